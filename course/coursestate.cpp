#include "coursestate.h"

#include "recordedattempts.h"
#include "sqlitestatement.h"
#include "usersettings.h"

#include <QSettings>
#include <QSqlQuery>
#include <QVariant>

using namespace Qt::StringLiterals;

namespace kestova::course {
namespace {

const QString TargetKey = u"Course/targetSpeed"_s;

} // namespace

CourseState LoadCourseState(const QSqlDatabase &database)
{
    CourseState state;
    QSqlQuery query(database);
    if (query.exec(u"SELECT units_in_play, lessons, since, joined, kana FROM course WHERE id = 1"_s) && query.next()) {
        state = {qMax(FirstUnits, query.value(0).toInt()), qMax(0, query.value(1).toInt()), query.value(2).toLongLong(), {}, query.value(4).toString()};
        for (const QString &lesson : query.value(3).toString().split(u' ', Qt::SkipEmptyParts))
            state.joinedAt.append(lesson.toInt());
    }
    return state;
}

bool SaveCourseState(const QSqlDatabase &database, const CourseState &state)
{
    QStringList lessons;
    for (int lesson : state.joinedAt)
        lessons.append(QString::number(lesson));
    QSqlQuery query(database);
    return record::RunPrepared(query, u"INSERT OR REPLACE INTO course VALUES (1, ?, ?, ?, ?, ?)"_s,
                               {state.unitsInPlay, state.lessons, state.since, lessons.join(u' '), state.kana});
}

bool StartOver(const QSqlDatabase &database, qint64 now)
{
    return SaveCourseState(database, {FirstUnits, 0, now, {}, {}});
}

std::optional<CourseAttempts> ReadCourseAttempts(const QSqlDatabase &database, qint64 since, double targetMs)
{
    CourseAttempts attempts(targetMs);
    const QSqlError error = record::ReadAttempts(database, {CourseProgram, since, false}, [&attempts](const Attempt &attempt) {
        attempts.add(attempt);
        return true;
    });
    return error.isValid() ? std::nullopt : std::optional(std::move(attempts));
}

int LoadTargetSpeed()
{
    bool ok = false;
    const int speed = OpenUserSettings()->value(TargetKey).toInt(&ok);
    return ok && speed >= SlowestTarget && speed <= FastestTarget ? speed : DefaultTarget;
}

void SaveTargetSpeed(int kanaPerMinute)
{
    OpenUserSettings()->setValue(TargetKey, qBound(SlowestTarget, kanaPerMinute, FastestTarget));
}

} // namespace kestova::course
