#pragma once

#include "confidence.h"
#include "curriculum.h"

#include <QSqlDatabase>

namespace kestova::course {

// The course's program name in the practice record.
inline const QString CourseProgram = QStringLiteral("KestovaCourse");

// What the course keeps of its own in the practice record: the units in
// play and the lessons taken. Everything else comes from its strokes.
struct CourseState {
    int unitsInPlay = FirstUnits;
    int lessons = 0;
};

// Each reads or writes the record behind an open connection; a record
// without the course's table holds a course not yet begun.
CourseState LoadCourseState(const QSqlDatabase &database);
bool SaveCourseState(const QSqlDatabase &database, const CourseState &state);
// "最初から": the state forgotten, the strokes kept.
bool StartOver(const QSqlDatabase &database);

// The course's strokes, oldest first.
QList<CourseStroke> CourseStrokes(const QSqlDatabase &database);

// The target speed in kana per minute, a setting of the course in
// Kestova.conf ([Course] targetSpeed, 30 to 300, 60 unless set).
int LoadTargetSpeed();
void SaveTargetSpeed(int kanaPerMinute);
inline constexpr int SlowestTarget = 30, FastestTarget = 300, DefaultTarget = 60;

} // namespace kestova::course
