#pragma once

#include "practicestats.h"

#include <QDate>
#include <QList>
#include <QPointF>

#include <optional>

namespace kestova::record {

// A learning curve: speed = plateau − rise·e^(−t/τ), t counted in practice
// sessions (here, days of practice).
struct LearningCurve {
    double plateau = 0, rise = 0, tau = 0;
    double rSquared = 0; // how much of the speeds' spread the curve explains
    double at(double t) const;
    // The session at which it reaches `speed`; none if it never does.
    std::optional<double> reaching(double speed) const;
};

// The least-squares curve through (session, speed) points, τ searched on a
// grid of 0.5 to 20 times as many sessions as there are; none for fewer
// than three points.
std::optional<LearningCurve> FitLearningCurve(const QList<QPointF> &points);

// The curve is trusted only where it explains this much of the spread
// (R²), and only from this many days of practice.
inline constexpr double LeastRSquared = 0.5;
inline constexpr int FewestSessions = 5;

// When the learner's speed reaches a speed, from their own days of practice
// (each day's kana per minute, the last 60 days of practice, days of under a
// minute left out): the date, with an 80 % interval from the curve refitted
// to its own residuals drawn again, and how many days of practice from now.
struct SpeedForecast {
    std::optional<LearningCurve> curve;
    bool trusted = false;
    bool reached = false; // the speed is reached already
    std::optional<int> sessions;
    std::optional<QDate> date, early, late;
};
SpeedForecast ForecastSpeed(const QList<DayTotals> &days, QDate today, double speed);

// The forecast as the record window tells it: of the goal speed, and of the
// speed with the learner's former input method, where they gave one.
QString ForecastSentence(const QList<DayTotals> &days, QDate today, int goalSpeed, int formerSpeed);

} // namespace kestova::record
