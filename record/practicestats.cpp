#include "practicestats.h"

#include "keyboardmap.h"
#include "recorddatabase.h"
#include "rules.h"
#include "sqlitestatement.h"

#include <QSqlError>
#include <QSqlQuery>
#include <QTimeZone>
#include <QVariant>

#include <algorithm>
#include <cmath>

using namespace Qt::StringLiterals;

namespace kestova::record {
namespace {

constexpr int PeriodDays[PeriodCount] = {1, 7, 30, 0};
// Strokes read for the kana's median times: the latest of the period.
constexpr int PacedStrokesRead = 100'000;

// The time a kana takes: the median of its gaps from the stroke before in
// the same program, pauses left out, over the latest strokes since `since`.
void addMedianTimes(QSqlQuery &query, qint64 since, QHash<QString, KanaTally> &byKana)
{
    if (!RunPrepared(query, u"SELECT expected, time, program FROM strokes WHERE time >= ? ORDER BY time DESC LIMIT ?"_s, {since, PacedStrokesRead}))
        return;
    struct Later { QString kana; qint64 time; };
    QHash<QString, Later> laterIn; // per program, the stroke read just before, which came after
    QHash<QString, QList<qint64>> gaps;
    while (query.next()) {
        const QString kana = query.value(0).toString(), program = query.value(2).toString();
        const qint64 time = query.value(1).toLongLong();
        if (const auto later = laterIn.constFind(program); later != laterIn.cend()) {
            if (const std::optional<qint64> gap = PacedGap(time, later->time))
                gaps[later->kana].append(*gap);
        }
        laterIn[program] = {kana, time};
    }
    for (auto kana = gaps.cbegin(); kana != gaps.cend(); ++kana) {
        KanaTally &tally = byKana[kana.key()];
        tally.kana = kana.key();
        tally.medianMs = MedianOf(*kana);
    }
}

} // namespace

std::optional<double> Totals::kanaPerMinute() const
{
    return activeMs > 0 ? std::optional(pacedHits * 60'000.0 / activeMs) : std::nullopt;
}

std::optional<double> Totals::accuracy() const
{
    return strokes > 0 ? std::optional(hits * 100.0 / strokes) : std::nullopt;
}

Totals &Totals::operator+=(const Totals &other)
{
    activeMs += other.activeMs;
    strokes += other.strokes;
    hits += other.hits;
    pacedHits += other.pacedHits;
    return *this;
}

PracticeStats::PracticeStats(const QSqlDatabase &database, const QDateTime &now, Period shown)
{
    // Days are local days, as the recorder counted them.
    today = int(LocalDay(now));
    QSqlQuery query(database);
    query.setForwardOnly(true);
    const auto run = [&](const QString &sql) {
        if (!query.exec(sql) && problem.isEmpty())
            problem = CauseOf(query.lastError());
        return query.isActive();
    };

    if (run(u"SELECT day, program, strokes, hits, active_ms, paced_hits FROM days ORDER BY day"_s)) {
        while (query.next()) {
            const int day = query.value(0).toInt();
            const Totals totals{query.value(4).toLongLong(), query.value(2).toLongLong(), query.value(3).toLongLong(), query.value(5).toLongLong()};
            auto &periods = perProgram[query.value(1).toString()];
            // A period ends now: strokes dated later (a clock set wrong) count in all time only.
            for (int period = 0; period < PeriodCount; ++period) {
                if (!PeriodDays[period] || (day <= today && today - day < PeriodDays[period]))
                    periods[size_t(period)] += totals;
            }
            const QDate date = QDate(1970, 1, 1).addDays(day);
            if (practiceDays.isEmpty() || practiceDays.last().day != date)
                practiceDays.append({date, {}});
            practiceDays.last().totals += totals;
        }
    }
    // Every period but all time is read from the tallies of its days.
    const int firstDay = today - PeriodDays[shown] + 1;
    const qint64 since = QDate(1970, 1, 1).addDays(firstDay).startOfDay(now.timeZone()).toMSecsSinceEpoch();
    if (run(shown == AllTime ? u"SELECT expected, typed, count FROM kana"_s
                             : u"SELECT expected, typed, sum(count) FROM kana_days WHERE day BETWEEN %1 AND %2 GROUP BY expected, typed"_s.arg(firstDay).arg(today))) {
        while (query.next()) {
            const QString expected = query.value(0).toString(), typed = query.value(1).toString();
            const qint64 count = query.value(2).toLongLong();
            KanaTally &tally = byKana[expected];
            tally.kana = expected;
            tally.attempts += count;
            if (!IsHit(expected, typed)) {
                tally.misses += count;
                mistakes.append({expected, typed, count});
            }
        }
    }
    // The last four weeks' misses by habit, a week back from today each.
    if (run(u"SELECT (%1 - day) / 7, expected, typed, sum(count) FROM kana_days WHERE day BETWEEN %2 AND %1 GROUP BY 1, 2, 3"_s.arg(today).arg(today - 27))) {
        while (query.next()) {
            const QString expected = query.value(1).toString(), typed = query.value(2).toString();
            if (!IsHit(expected, typed))
                weeks[size_t(3 - query.value(0).toInt())][size_t(HabitOfMiss(expected, typed))] += query.value(3).toLongLong();
        }
    }
    if (run(shown == AllTime ? u"SELECT bin, chord, count, total, squares FROM thumb_bins"_s
                             : u"SELECT bin, chord, sum(count), sum(total), sum(squares) FROM thumb_days WHERE day BETWEEN %1 AND %2 GROUP BY bin, chord"_s.arg(firstDay).arg(today))) {
        double sum = 0, squares = 0;
        while (query.next()) {
            (query.value(1).toBool() ? thumb.bins : thumb.failedBins)[query.value(0).toInt()] = query.value(2).toLongLong();
            thumb.count += query.value(2).toLongLong();
            sum += query.value(3).toDouble();
            squares += query.value(4).toDouble();
        }
        if (thumb.count) {
            thumb.mean = sum / thumb.count;
            thumb.spread = std::sqrt(std::max(0.0, squares / thumb.count - thumb.mean * thumb.mean));
        }
    }
    addMedianTimes(query, shown == AllTime ? 0 : since, byKana);
    for (const KeyFrame &key : KeyboardLayout) {
        for (const char16_t *shifted : {key.thumbShift.caption, key.otherThumb}) {
            if (!*shifted)
                continue;
            const QString kana = QString::fromUtf16(shifted), plain = QString::fromUtf16(key.plain.caption);
            thumb.thumbKanaAttempts += byKana.value(kana).attempts;
            for (const Confusion &mistake : std::as_const(mistakes))
                thumb.thumbKanaPlain += mistake.expected == kana && mistake.typed == plain ? mistake.count : 0;
        }
    }
}

// All together: the programs' practice added up.
std::array<Totals, PeriodCount> PracticeStats::totals(const QString &program) const
{
    if (!program.isEmpty())
        return perProgram.value(program);
    std::array<Totals, PeriodCount> together;
    for (const auto &periods : perProgram) {
        for (int period = 0; period < PeriodCount; ++period)
            together[size_t(period)] += periods[size_t(period)];
    }
    return together;
}

QList<KanaTally> PracticeStats::weakest(int count, int fewestAttempts) const
{
    QList<KanaTally> tallies;
    for (const KanaTally &tally : byKana) {
        if (tally.attempts >= fewestAttempts && tally.misses > 0)
            tallies.append(tally);
    }
    // The highest share of misses first; more attempts first among equals.
    std::sort(tallies.begin(), tallies.end(), [](const KanaTally &a, const KanaTally &b) {
        const qint64 left = a.misses * b.attempts, right = b.misses * a.attempts;
        return left != right ? left > right : a.attempts != b.attempts ? a.attempts > b.attempts : a.kana < b.kana;
    });
    return tallies.mid(0, count);
}

std::array<qint64, MissHabitCount> PracticeStats::habits() const
{
    std::array<qint64, MissHabitCount> counts{};
    for (const Confusion &mistake : mistakes)
        counts[size_t(HabitOfMiss(mistake.expected, mistake.typed))] += mistake.count;
    return counts;
}

QList<Confusion> PracticeStats::confusions(int count) const
{
    QList<Confusion> sorted = mistakes;
    std::sort(sorted.begin(), sorted.end(), [](const Confusion &a, const Confusion &b) {
        return a.count != b.count ? a.count > b.count : std::tie(a.expected, a.typed) < std::tie(b.expected, b.typed);
    });
    return sorted.mid(0, count);
}

} // namespace kestova::record
