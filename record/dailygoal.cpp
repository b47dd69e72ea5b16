#include "dailygoal.h"

#include "usersettings.h"

#include <QSettings>

using namespace Qt::StringLiterals;

namespace kestova::record {
namespace {

const QString GoalKey = u"Practice/DailyGoalMinutes"_s;

} // namespace

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

GoalRuns RunsOfGoal(const QList<DayTotals> &days, QDate today, int goalMinutes)
{
    GoalRuns runs;
    int run = 0;
    QDate last;
    for (const DayTotals &day : days) { // oldest first
        if (!GoalMet(day.totals, goalMinutes))
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
