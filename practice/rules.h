#pragma once

#include <QDateTime>
#include <QList>
#include <QString>

#include <optional>

namespace kestova {

// The judge: a keystroke is right when it typed what was asked for.
inline bool IsHit(const QString &asked, const QString &typed)
{
    return asked == typed;
}

// A gap between strokes this long or longer is a pause, not practice:
// neither the gap nor the stroke after it counts in a speed.
inline constexpr qint64 PauseMs = 5'000;
// The gap from the stroke before that counts in a speed: none after a
// pause, for the first stroke, or for one dated before the one before.
std::optional<qint64> PacedGap(std::optional<qint64> previous, qint64 time);

// A lesson's or a sentence's figures as the record counts them: strokes,
// hits, and the time spent with pauses (and the stroke after each) left out.
struct PacedTally {
    int strokes = 0, hits = 0, pacedHits = 0;
    qint64 spentMs = 0;
    std::optional<qint64> lastPress;
    void add(bool hit, qint64 pressedAt);
    // Kana typed right a minute; none before any time was spent.
    std::optional<int> kanaPerMinute() const;
    // The share of hits; none before a stroke.
    std::optional<double> accuracy() const;
};

// A thumb key and a character key count as struck together when the one
// comes less than the window after the other, in either order: a thumb
// right at the window's end is too late, one right at its start too early.
inline bool WithinChordWindow(qint64 thumbOffsetMs, int windowMs)
{
    return thumbOffsetMs > -windowMs && thumbOffsetMs < windowMs;
}
// The first moment after a key's press that is outside its window.
inline qint64 ChordWindowEnds(qint64 pressedAt, int windowMs)
{
    return pressedAt + windowMs;
}

// Days are local days: the day of the calendar where the stroke was typed,
// by the offset from UTC in force then (seconds east), counted from
// 1970-01-01.
qint64 LocalDay(qint64 msSinceEpoch, int utcOffset);
qint64 LocalDay(const QDateTime &time);
// The local zone's offset from UTC at a time, looked up once a quarter of
// an hour of strokes (zones change their offsets on the quarter hour).
class ZoneOffsets {
public:
    int at(qint64 msSinceEpoch);

private:
    static constexpr qint64 QuarterMs = 900'000;
    qint64 quarterStarts = -1;
    int offset = 0;
};

// The median: the middle value, or the mean of the two middle ones.
std::optional<double> MedianOf(QList<qint64> values);

} // namespace kestova
