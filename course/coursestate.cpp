#include "coursestate.h"

#include "usersettings.h"

#include <QSettings>
#include <QSqlQuery>
#include <QVariant>

namespace kestova::course {
namespace {

const QString TargetKey = u"Course/targetSpeed"_qs;

bool run(const QSqlDatabase &database, const QString &sql, const QVariantList &values = {})
{
    QSqlQuery query(database);
    if (!query.prepare(sql))
        return false;
    for (const QVariant &value : values)
        query.addBindValue(value);
    return query.exec();
}

bool makeTable(const QSqlDatabase &database)
{
    return run(database, u"CREATE TABLE IF NOT EXISTS course (id INTEGER PRIMARY KEY CHECK (id = 1), units_in_play INTEGER NOT NULL, lessons INTEGER NOT NULL)"_qs);
}

} // namespace

CourseState LoadCourseState(const QSqlDatabase &database)
{
    CourseState state;
    QSqlQuery query(database);
    if (query.exec(u"SELECT units_in_play, lessons FROM course WHERE id = 1"_qs) && query.next())
        state = {qMax(FirstUnits, query.value(0).toInt()), qMax(0, query.value(1).toInt())};
    return state;
}

bool SaveCourseState(const QSqlDatabase &database, const CourseState &state)
{
    return makeTable(database)
            && run(database, u"INSERT INTO course VALUES (1, ?, ?) ON CONFLICT DO UPDATE SET units_in_play = excluded.units_in_play, lessons = excluded.lessons"_qs,
                   {state.unitsInPlay, state.lessons});
}

bool StartOver(const QSqlDatabase &database)
{
    return makeTable(database) && run(database, u"DELETE FROM course"_qs);
}

QList<CourseStroke> CourseStrokes(const QSqlDatabase &database)
{
    QList<CourseStroke> strokes;
    QSqlQuery query(database);
    query.setForwardOnly(true);
    query.prepare(u"SELECT time, expected, hit, chord FROM strokes WHERE program = ? ORDER BY time"_qs);
    query.addBindValue(CourseProgram);
    if (query.exec()) {
        while (query.next())
            strokes.append({query.value(0).toLongLong(), query.value(1).toString(), query.value(2).toBool(), query.value(3).toBool()});
    }
    return strokes;
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
