#pragma once

#include "practicegoals.h"

#include "confidence.h"
#include "curriculum.h"
#include "programs.h"

#include <QSqlDatabase>

#include <limits>

namespace kestova::course {

// The course's program name in the practice record.
inline const QString CourseProgram = record::program::Course;

// What the course keeps of its own in the practice record: the units in
// play, the lessons taken, and since when its strokes count. Everything
// else comes from its strokes.
struct CourseState {
    int unitsInPlay = FirstUnits;
    int lessons = 0;
    qint64 since = 0; // ms since the epoch
    // The lesson each unit after the first ones came into play in.
    QList<int> joinedAt;
    // The kana in play, in the order they came: the same ones stay in play
    // whatever the word list now makes of the order.
    QString kana;

    int joinedIn(int unit) const { return unit < FirstUnits ? 0 : joinedAt.value(unit - FirstUnits, 0); }
    void join(int unit, int lesson)
    {
        if (unit >= FirstUnits) {
            joinedAt.resize(unit - FirstUnits);
            joinedAt.append(lesson);
        }
    }
    // Units that came into play in the last two lessons are new.
    bool isNew(int unit) const { return lessons - joinedIn(unit) < 2; }
};

// Each reads or writes the record behind an open connection; a record
// whose course table is empty holds a course not yet begun.
CourseState LoadCourseState(const QSqlDatabase &database);
// The same, none where the record could not be read (a course not begun is
// a state of its own).
std::optional<CourseState> ReadCourseState(const QSqlDatabase &database);
// Saved merged with what another window saved of the same course since.
CourseState MergedCourseState(const CourseState &ours, const CourseState &stored);
bool SaveCourseState(const QSqlDatabase &database, const CourseState &state);
// "最初から": the state forgotten; the strokes are kept, and only those
// typed from now on count for the course.
bool StartOver(const QSqlDatabase &database, qint64 now);

// The course's attempts from `since` to before `until`, as each kana's,
// weighed against the target time per kana; none if the record cannot be read.
std::optional<CourseAttempts> ReadCourseAttempts(const QSqlDatabase &database, qint64 since, double targetMs,
                                                 qint64 until = std::numeric_limits<qint64>::max());

using record::DefaultTarget;
using record::FastestTarget;
using record::LoadTargetSpeed;
using record::SaveTargetSpeed;
using record::SlowestTarget;

} // namespace kestova::course
