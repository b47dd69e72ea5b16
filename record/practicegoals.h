#pragma once

#include "practicestats.h"

#include <QDate>
#include <QList>
#include <QSqlDatabase>

namespace kestova::record {

// The target speed in kana per minute, which the course weighs each kana
// against and the forecast looks to: Kestova.conf ([Course] targetSpeed, 30
// to 300, 60 unless set).
int LoadTargetSpeed();
void SaveTargetSpeed(int kanaPerMinute);
inline constexpr int SlowestTarget = 30, FastestTarget = 300, DefaultTarget = 60;

// Minutes of practice a day the learner aims at; none where 0.
inline constexpr int DefaultGoalMinutes = 15, LongestGoalMinutes = 600;
int LoadDailyGoal();
void SaveDailyGoal(int minutes);

// The learner's speed with their former input method (romaji or JIS
// kana), kana per minute, for the forecast to set beside; 0 where not given.
int LoadFormerSpeed();
void SaveFormerSpeed(int kanaPerMinute);

// The practice time of a local day (days since the epoch), pauses left
// out, every program's: 0 where there was none or the record cannot say.
qint64 ActiveMsOfDay(const QSqlDatabase &database, qint64 localDay);

// Days in a row whose practice met the goal: the run up to today (today
// counts once met; until then the run up to yesterday stands), and the
// longest ever. None where there is no goal.
struct GoalRuns {
    int current = 0, longest = 0;
};
GoalRuns RunsOfGoal(const QList<DayTotals> &days, QDate today, int goalMinutes);

// A day's practice met the goal.
inline bool GoalMet(const Totals &totals, int goalMinutes)
{
    return goalMinutes > 0 && totals.activeMs >= qint64(goalMinutes) * 60'000;
}

} // namespace kestova::record
