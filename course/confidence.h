#pragma once

#include "attempt.h"
#include "rules.h"
#include "warmup.h"

#include <QHash>
#include <QList>
#include <QString>

#include <array>
#include <optional>

namespace kestova::course {

// What a unit's tally keeps of one attempt at it.
struct Sample {
    std::optional<qint64> sincePreviousMs; // none after a pause, or for the first stroke
    bool hit = false;
    // Shifted by a thumb as it was struck; not known for a kana that came
    // from an input method, which tells no thumbs.
    std::optional<bool> chord;
};

// What holds a unit's confidence down the most.
enum class Limit { None, TooFew, Speed, Accuracy, Chord };

// How well a unit is known, from its attempts oldest first: the time per
// attempt smoothed over the attempts (those after a pause left out), the
// accuracy over the last 50, and for a unit that takes a thumb the share of
// those whose chord is known that came out right as a chord. Confidence is
// the smallest of target time ÷ smoothed time, accuracy ÷ 90 %, chord share
// ÷ 90 % and attempts ÷ 15, a lesson's worth (too few attempts prove
// nothing yet): 1 or more
// means learnt. A unit that once reached 1 stays learnt: it is practised
// again where it falls, never learnt again before another may come.
struct Skill {
    int attempts = 0;
    std::optional<double> smoothedMs;
    double accuracy = 0;
    std::optional<double> chordShare;
    double confidence = 0;
    std::optional<double> medianMs; // of the last 20 attempts' times
    bool learnt = false;
    Limit limit = Limit::TooFew;
};

// The limit as the lesson result names it.
QString LimitName(Limit limit);

inline constexpr int RecentAttempts = 20, AccuracyAttempts = 50, ProvenAfter = 15;
inline constexpr double Smoothing = 0.1;
inline constexpr double WantedAccuracy = 0.90, WantedChords = 0.90;

// What a unit's skill needs of its attempts, taken one at a time oldest
// first: a course of a million strokes is weighed without keeping them.
// Whether the unit was ever learnt is weighed against the target given
// when the attempts are added.
class SkillTally {
public:
    void add(const Sample &sample, double targetMs);
    Skill skill(bool takesThumb, double targetMs) const;

private:
    double confidenceBesidesSpeed(bool takesThumb) const;

    int attempts = 0;
    std::optional<double> smoothedMs;
    std::array<Sample, AccuracyAttempts> recent{}; // a ring, the oldest at attempts % 50
    int recentHits = 0, chordsKnown = 0, chordHits = 0;
    bool learntWithThumb = false, learntWithout = false;
};
Skill SkillOf(const QList<Sample> &samples, bool takesThumb, double targetMs);

// The course's attempts, oldest first, as each kana's: the time of one is
// from the key's press before, whichever kana that was, unless it came
// after a pause.
class CourseAttempts {
public:
    explicit CourseAttempts(double targetMs = 1000) : targetMs(targetMs) {}
    void add(const Attempt &attempt);
    SkillTally of(QChar kana) const { return tallies.value(kana); }
    // Attempts from now on are weighed against this target.
    void setTarget(double ms) { targetMs = ms; }
    // Each kana's first strokes of a day, weighed apart.
    const WarmUpTally &warmUp() const { return firstOfDay; }

private:
    double targetMs;
    QHash<QChar, SkillTally> tallies;
    std::optional<qint64> previous;
    WarmUpTally firstOfDay;
    ZoneOffsets zone; // for attempts typed with no offset kept
};

// The target time per kana from a speed in kana per minute.
inline double TargetMs(int kanaPerMinute)
{
    return 60'000.0 / kanaPerMinute;
}

// How many units are in play after these skills of the units in play, in
// curriculum order: one more when every one of them was learnt, or is stuck
// (this many attempts and still not learnt: it stays the focus, and the
// coach takes it up, but holds no other unit back); never fewer than before.
inline constexpr int StuckAfter = 150;
inline constexpr double FallenBelow = 0.8;
int UnitsInPlay(const QList<Skill> &inPlay, int unitCount);

// The unit to practise: one learnt that has fallen well below 1 since (a
// higher target puts many just below), else the one in
// play with the lowest confidence, the one that came in last among equals;
// a stuck unit only while every other holds its confidence, so that it
// never keeps the rest from being learnt.
int FocusOf(const QList<Skill> &inPlay);

} // namespace kestova::course
