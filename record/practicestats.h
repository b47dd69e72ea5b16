#pragma once

#include <QDateTime>
#include <QHash>
#include <QMap>
#include <QSqlDatabase>
#include <QStringList>

#include <array>
#include <optional>

#include "habits.h"

namespace kestova::record {

// Practice over a stretch of time: the active time (pauses left out), the
// strokes, the hits among them, and the hits that count in a speed (not
// the first after a pause).
struct Totals {
    qint64 activeMs = 0, strokes = 0, hits = 0, pacedHits = 0;
    std::optional<double> kanaPerMinute() const; // hits per minute of active time
    std::optional<double> accuracy() const;      // percent
    Totals &operator+=(const Totals &other);
};

enum Period { Today, LastSevenDays, LastThirtyDays, AllTime };
inline constexpr int PeriodCount = 4;

struct DayTotals {
    QDate day;
    Totals totals;
};

struct KanaTally {
    QString kana;
    qint64 attempts = 0, misses = 0;
    // The median time from the stroke before, pauses left out, over the
    // period's latest strokes.
    std::optional<double> medianMs;
};

struct Confusion {
    QString expected, typed;
    qint64 count = 0;
};

// The nearest thumb's press minus the key's, in 10 ms bins by their lower
// end: where it made a chord, and where it did not.
struct ThumbTiming {
    QMap<int, qint64> bins, failedBins;
    qint64 count = 0;
    double mean = 0, spread = 0;
    // Kana asked for that take a thumb, and how many of those came out as
    // the plain kana of their key: a thumb too late or too early.
    qint64 thumbKanaAttempts = 0, thumbKanaPlain = 0;
};

// What the record window shows, read from the record's summaries.
class PracticeStats {
public:
    // `now` decides what "today" is; the kana and the thumb are those of the
    // period `shown`, the totals those of every period.
    explicit PracticeStats(const QSqlDatabase &database, const QDateTime &now = QDateTime::currentDateTime(), Period shown = AllTime);

    QStringList programs() const { return perProgram.keys(); }
    // One program's, or all together (their sum) for "".
    std::array<Totals, PeriodCount> totals(const QString &program = {}) const;
    QList<DayTotals> days() const { return practiceDays; } // oldest first
    const QHash<QString, KanaTally> &kana() const { return byKana; }
    QList<KanaTally> weakest(int count = 10, int fewestAttempts = 5) const;
    QList<Confusion> confusions(int count = 10) const;
    const ThumbTiming &thumbTiming() const { return thumb; }
    // The period's misses by the habit they show (romaji, JIS kana,
    // neighbour, other), and the last four weeks' (the oldest first).
    std::array<qint64, MissHabitCount> habits() const;
    const std::array<std::array<qint64, MissHabitCount>, 4> &habitWeeks() const { return weeks; }
    // Why the record could not be read, if it could not.
    QString problem;

private:
    QMap<QString, std::array<Totals, PeriodCount>> perProgram;
    QList<DayTotals> practiceDays;
    int today = 0;
    QHash<QString, KanaTally> byKana;
    QList<Confusion> mistakes;
    ThumbTiming thumb;
    std::array<std::array<qint64, MissHabitCount>, 4> weeks{};
};

} // namespace kestova::record
