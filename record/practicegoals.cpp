#include "practicegoals.h"

#include "usersettings.h"

#include <QSettings>
#include <QSqlQuery>

using namespace Qt::StringLiterals;

namespace kestova::record {
namespace {

const QString GoalKey = u"Practice/DailyGoalMinutes"_s, TargetKey = u"Course/targetSpeed"_s, FormerKey = u"Practice/FormerSpeed"_s;

} // namespace

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

int LoadDailyGoal()
{
    bool number = false;
    const int minutes = OpenUserSettings()->value(GoalKey, DefaultGoalMinutes).toInt(&number);
    return number && minutes >= 0 && minutes <= LongestGoalMinutes ? minutes : DefaultGoalMinutes;
}

void SaveDailyGoal(int minutes)
{
    OpenUserSettings()->setValue(GoalKey, qBound(0, minutes, LongestGoalMinutes));
}

int LoadFormerSpeed()
{
    return qBound(0, OpenUserSettings()->value(FormerKey, 0).toInt(), FastestTarget * 2);
}

void SaveFormerSpeed(int kanaPerMinute)
{
    OpenUserSettings()->setValue(FormerKey, qBound(0, kanaPerMinute, FastestTarget * 2));
}

qint64 ActiveMsOfDay(const QSqlDatabase &database, qint64 localDay)
{
    QSqlQuery query(database);
    query.prepare(u"SELECT SUM(active_ms) FROM days WHERE day = ?"_s);
    query.addBindValue(localDay);
    return query.exec() && query.next() ? query.value(0).toLongLong() : 0;
}

GoalRuns RunsOfGoal(const QList<DayTotals> &days, QDate today, int goalMinutes)
{
    GoalRuns runs;
    int run = 0;
    QDate last;
    for (const DayTotals &day : days) { // oldest first; none after today (a clock set wrong)
        if (day.day > today || !GoalMet(day.totals, goalMinutes))
            continue;
        run = last.isValid() && last.daysTo(day.day) == 1 ? run + 1 : 1;
        last = day.day;
        runs.longest = qMax(runs.longest, run);
    }
    if (last.isValid() && last.daysTo(today) <= 1)
        runs.current = run;
    return runs;
}

} // namespace kestova::record
