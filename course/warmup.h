#pragma once

#include <QChar>
#include <QHash>
#include <QString>

#include <limits>
#include <optional>

namespace kestova::course {

// A kana's first attempts of each local day are its cold ones: how it
// fares before the fingers have warmed to it again.
inline constexpr int ColdAttempts = 3;
// A kana is taken up in a warm-up once its first strokes of two days are
// known, and only if they are slower or less sure than the rest.
inline constexpr int ColdDaysNeeded = 2;

// Each kana's first-of-day strokes weighed apart from the rest, and the
// warm-up order that follows from them: the spaced-review rule. A kana's
// loss is how much worse its cold strokes are than its warm ones (cold
// time ÷ warm time, times warm accuracy ÷ cold accuracy); what it has lost
// since it was last typed d days ago is that loss times 1 − e^(−d), the
// forgetting curve of Ebbinghaus (1885) with a strength of one day: a kana
// that loosens overnight, and has waited longest, comes first.
class WarmUpTally {
public:
    void add(QChar kana, qint64 localDay, std::optional<qint64> sinceMs, bool hit);
    // The day of the last attempt added, of any kana.
    std::optional<qint64> lastDay() const { return last; }
    // The kana of `inPlay` that have loosened by `today`, the most first.
    QString order(const QString &inPlay, qint64 today) const;

    struct Weighed {
        std::optional<double> coldMs, warmMs;
        double coldAccuracy = 1, warmAccuracy = 1;
        int coldDays = 0;
        qint64 lastDay = std::numeric_limits<qint64>::min();
        std::optional<double> loss() const;
    };
    Weighed of(QChar kana) const { return tally.value(kana).weighed; }

private:
    struct Kana {
        Weighed weighed;
        int today = 0; // attempts on its last day
        int coldHits = 0, cold = 0, warmHits = 0, warm = 0;
    };
    QHash<QChar, Kana> tally;
    std::optional<qint64> last;
};

} // namespace kestova::course
