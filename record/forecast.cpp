#include "forecast.h"

#include <QRandomGenerator>

#include <algorithm>
#include <cmath>

using namespace Qt::StringLiterals;

namespace kestova::record {
namespace {

constexpr int LastSessions = 60, Resamples = 200;
constexpr double LongestForecast = 3650; // days of practice: beyond, no date is told
constexpr qint64 ShortestSessionMs = 60'000;

// The days of practice as (session, kana per minute), the last 60.
QList<std::pair<QDate, QPointF>> sessionsOf(const QList<DayTotals> &days)
{
    QList<std::pair<QDate, QPointF>> sessions;
    for (const DayTotals &day : days) {
        if (day.totals.activeMs >= ShortestSessionMs && day.totals.kanaPerMinute())
            sessions.append({day.day, QPointF(sessions.size(), *day.totals.kanaPerMinute())});
    }
    sessions = sessions.mid(qMax<qsizetype>(0, sessions.size() - LastSessions));
    for (qsizetype i = 0; i < sessions.size(); ++i) // counted from the first kept, so that e^(t/τ) stays in range
        sessions[i].second.setX(double(i));
    return sessions;
}

QString shortDate(QDate day, QDate today)
{
    return day.year() == today.year() ? day.toString(u"M/d"_s) : day.toString(u"yyyy/M/d"_s);
}

} // namespace

double LearningCurve::at(double t) const
{
    return plateau - rise * std::exp(-t / tau);
}

std::optional<double> LearningCurve::reaching(double speed) const
{
    if (rise <= 0 || plateau <= speed)
        return std::nullopt;
    return std::max(0.0, -tau * std::log((plateau - speed) / rise));
}

std::optional<LearningCurve> FitLearningCurve(const QList<QPointF> &points)
{
    const qsizetype n = points.size();
    if (n < 3)
        return std::nullopt;
    double meanY = 0;
    for (const QPointF &p : points)
        meanY += p.y() / n;
    double spread = 0;
    for (const QPointF &p : points)
        spread += (p.y() - meanY) * (p.y() - meanY);
    const double first = points.front().x(), span = std::max(1.0, points.back().x() - first);
    std::optional<LearningCurve> best;
    double bestError = 0;
    // For each τ the rest is a straight line in e^(−t/τ).
    for (int step = 0; step <= 120; ++step) {
        const double tau = 0.5 * std::pow(40.0 * span, step / 120.0);
        double sx = 0, sy = 0, sxx = 0, sxy = 0;
        for (const QPointF &p : points) {
            const double x = std::exp(-(p.x() - first) / tau);
            sx += x;
            sy += p.y();
            sxx += x * x;
            sxy += x * p.y();
        }
        const double det = n * sxx - sx * sx;
        if (std::abs(det) < 1e-12)
            continue;
        const double slope = (n * sxy - sx * sy) / det, intercept = (sy - slope * sx) / n;
        double error = 0;
        for (const QPointF &p : points) {
            const double off = p.y() - (intercept + slope * std::exp(-(p.x() - first) / tau));
            error += off * off;
        }
        if (!best || error < bestError) {
            // Counted from session 0, not from the first point.
            best = LearningCurve{intercept, -slope * std::exp(first / tau), tau, spread > 0 ? 1 - error / spread : 0};
            bestError = error;
        }
    }
    return best;
}

SpeedForecast ForecastSpeed(const QList<DayTotals> &days, QDate today, double speed)
{
    SpeedForecast forecast;
    const QList<std::pair<QDate, QPointF>> sessions = sessionsOf(days);
    QList<QPointF> points;
    for (const auto &[day, point] : sessions)
        points.append(point);
    forecast.curve = FitLearningCurve(points);
    if (!forecast.curve || points.size() < FewestSessions)
        return forecast;
    const LearningCurve &curve = *forecast.curve;
    const double now = points.back().x();
    forecast.trusted = curve.rSquared >= LeastRSquared;
    // Reached, by the curve or, where no curve fits, by the last three days.
    double recent = 0;
    for (const QPointF &p : points.mid(points.size() - 3))
        recent += p.y() / 3;
    forecast.reached = (forecast.trusted ? curve.at(now) : recent) >= speed;
    const std::optional<double> at = curve.reaching(speed);
    if (!forecast.trusted || forecast.reached || !at)
        return forecast;
    // Calendar days per day of practice, as the learner has practised.
    const double pace = std::max(1.0, double(sessions.front().first.daysTo(sessions.back().first)) / std::max<qsizetype>(1, sessions.size() - 1));
    const auto dateAt = [&](double session) { return today.addDays(qint64(std::ceil(std::max(0.0, session - now) * pace))); };
    if (*at - now > LongestForecast)
        return forecast; // too far off to say when
    forecast.sessions = int(std::ceil(*at - now));
    forecast.date = dateAt(*at);
    // The 80 % interval: the curve refitted to itself plus its residuals
    // drawn again; a draw that never reaches the speed counts as latest.
    QList<double> residuals;
    for (const QPointF &p : std::as_const(points))
        residuals.append(p.y() - curve.at(p.x()));
    QRandomGenerator random(1);
    QList<double> reachedAt;
    for (int draw = 0; draw < Resamples; ++draw) {
        QList<QPointF> again;
        for (const QPointF &p : std::as_const(points))
            again.append({p.x(), curve.at(p.x()) + residuals[random.bounded(int(residuals.size()))]});
        const std::optional<LearningCurve> refit = FitLearningCurve(again);
        const std::optional<double> when = refit ? refit->reaching(speed) : std::nullopt;
        reachedAt.append(when.value_or(std::numeric_limits<double>::infinity()));
    }
    std::sort(reachedAt.begin(), reachedAt.end());
    if (std::isfinite(reachedAt[Resamples / 10]))
        forecast.early = dateAt(std::min(reachedAt[Resamples / 10], now + LongestForecast));
    if (std::isfinite(reachedAt[Resamples * 9 / 10]) && reachedAt[Resamples * 9 / 10] - now <= LongestForecast)
        forecast.late = dateAt(reachedAt[Resamples * 9 / 10]);
    return forecast;
}

QString ForecastSentence(const QList<DayTotals> &days, QDate today, int goalSpeed, int formerSpeed)
{
    const SpeedForecast goal = ForecastSpeed(days, today, goalSpeed);
    const qsizetype sessions = sessionsOf(days).size();
    if (sessions < FewestSessions)
        return u"1 分以上練習した日が %1 日になると、目標の速さ（%2 字/分）に届く日を予測します（今 %3 日）。"_s.arg(FewestSessions).arg(goalSpeed).arg(sessions);
    if (!goal.trusted && !goal.reached)
        return u"速さの伸びがまだ学習曲線に合わないので、予測しません（当てはまり R² = %1、%2 以上で予測）。"_s.arg(goal.curve ? goal.curve->rSquared : 0.0, 0, 'f', 2).arg(LeastRSquared);
    const auto toward = [&](const SpeedForecast &forecast, int speed, const QString &what) {
        if (forecast.reached)
            return u"%1（%2 字/分）にはもう届いています。"_s.arg(what).arg(speed);
        if (!forecast.trusted)
            return u"%1（%2 字/分）に届く日は、速さの伸びが学習曲線に合うまで予測しません。"_s.arg(what).arg(speed);
        if (!forecast.date)
            return u"今の伸び方では速さは %1 字/分ほどで頭打ちになり、%2（%3 字/分）には届きそうにありません。"_s.arg(qRound(forecast.curve->plateau)).arg(what).arg(speed);
        return u"%1（%2 字/分）には、あと %3 日ほどの練習で %4 ごろ届く見込みです（80 % の幅：%5〜%6）。"_s.arg(what)
                .arg(speed)
                .arg(*forecast.sessions)
                .arg(shortDate(*forecast.date, today), forecast.early ? shortDate(*forecast.early, today) : u"見込めない"_s,
                     forecast.late ? shortDate(*forecast.late, today) : u"見込めない"_s);
    };
    QString sentence = toward(goal, goalSpeed, u"目標の速さ"_s);
    if (formerSpeed > 0)
        sentence += toward(ForecastSpeed(days, today, formerSpeed), formerSpeed, u"前の入力の速さ"_s);
    return sentence + u"（当てはまり R² = %1）"_s.arg(goal.curve->rSquared, 0, 'f', 2);
}

} // namespace kestova::record
