#include "warmup.h"

#include <QList>

#include <algorithm>
#include <cmath>

namespace kestova::course {
namespace {

constexpr double ColdSmoothing = 0.3, WarmSmoothing = 0.1;

void smooth(std::optional<double> &into, double value, double weight)
{
    into = into ? *into + weight * (value - *into) : value;
}

} // namespace

void WarmUpTally::add(QChar kana, qint64 localDay, std::optional<qint64> sinceMs, bool hit)
{
    Kana &one = tally[kana];
    if (one.weighed.lastDay != localDay) {
        one.weighed.lastDay = localDay;
        one.today = 0;
        ++one.weighed.coldDays;
    }
    const bool cold = one.today++ < ColdAttempts;
    if (sinceMs)
        smooth(cold ? one.weighed.coldMs : one.weighed.warmMs, double(*sinceMs), cold ? ColdSmoothing : WarmSmoothing);
    (cold ? one.cold : one.warm) += 1;
    (cold ? one.coldHits : one.warmHits) += hit;
    one.weighed.coldAccuracy = one.cold ? double(one.coldHits) / one.cold : 1;
    one.weighed.warmAccuracy = one.warm ? double(one.warmHits) / one.warm : 1;
    last = localDay;
}

std::optional<double> WarmUpTally::Weighed::loss() const
{
    if (coldDays < ColdDaysNeeded || !coldMs || !warmMs || *warmMs <= 0)
        return std::nullopt;
    // A little added to both accuracies, so that one miss in few is no wall.
    return *coldMs / *warmMs * (warmAccuracy + 0.05) / (coldAccuracy + 0.05);
}

QString WarmUpTally::order(const QString &inPlay, qint64 today) const
{
    QList<std::pair<double, QChar>> lost;
    for (QChar kana : inPlay) {
        const Weighed weighed = of(kana);
        const std::optional<double> loss = weighed.loss();
        if (!loss || *loss <= 1 || weighed.lastDay >= today)
            continue;
        lost.append({*loss * (1 - std::exp(-double(today - weighed.lastDay))), kana});
    }
    std::stable_sort(lost.begin(), lost.end(), [](const auto &a, const auto &b) { return a.first > b.first; });
    QString ordered;
    for (const auto &[priority, kana] : lost)
        ordered += kana;
    return ordered;
}

} // namespace kestova::course
