#include "rules.h"

#include <algorithm>

namespace kestova {
namespace {

constexpr qint64 DayMs = 86'400'000;

} // namespace

std::optional<qint64> PacedGap(std::optional<qint64> previous, qint64 time)
{
    if (!previous || time < *previous || time - *previous >= PauseMs)
        return std::nullopt;
    return time - *previous;
}

void PacedTally::add(bool hit, qint64 pressedAt)
{
    ++strokes;
    hits += hit;
    if (const std::optional<qint64> gap = PacedGap(lastPress, pressedAt)) {
        spentMs += *gap;
        pacedHits += hit;
    }
    lastPress = pressedAt;
}

std::optional<int> PacedTally::kanaPerMinute() const
{
    return spentMs > 0 ? std::optional(qRound(pacedHits * 60'000.0 / spentMs)) : std::nullopt;
}

std::optional<double> PacedTally::accuracy() const
{
    return strokes ? std::optional(double(hits) / strokes) : std::nullopt;
}

qint64 LocalDay(qint64 msSinceEpoch, int utcOffset)
{
    const qint64 local = msSinceEpoch + qint64(utcOffset) * 1000;
    return local / DayMs - (local % DayMs < 0);
}

qint64 LocalDay(const QDateTime &time)
{
    return LocalDay(time.toMSecsSinceEpoch(), time.offsetFromUtc());
}

int ZoneOffsets::at(qint64 msSinceEpoch)
{
    if (msSinceEpoch < quarterStarts || msSinceEpoch >= quarterStarts + QuarterMs) {
        quarterStarts = msSinceEpoch - ((msSinceEpoch % QuarterMs) + QuarterMs) % QuarterMs;
        offset = QDateTime::fromMSecsSinceEpoch(quarterStarts).offsetFromUtc();
    }
    return offset;
}

std::optional<double> MedianOf(QList<qint64> values)
{
    if (values.isEmpty())
        return std::nullopt;
    const auto middle = values.begin() + values.size() / 2;
    std::nth_element(values.begin(), middle, values.end());
    if (values.size() % 2)
        return double(*middle);
    return (double(*std::max_element(values.begin(), middle)) + double(*middle)) / 2;
}

} // namespace kestova
