#pragma once

#include "attempt.h"

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

// How well a unit is known, from its attempts oldest first: the time per
// attempt smoothed over the attempts (those after a pause left out), the
// accuracy over the last 20, and for a unit that takes a thumb the share of
// those whose chord is known that came out right as a chord. Confidence is the smallest of
// target time ÷ smoothed time, accuracy ÷ 95 %, chord share ÷ 90 % and
// attempts ÷ 20 (too few attempts prove nothing yet): 1 or more means learnt.
struct Skill {
    int attempts = 0;
    std::optional<double> smoothedMs;
    double accuracy = 0;
    std::optional<double> chordShare;
    double confidence = 0;
    std::optional<double> medianMs; // of the last 20 attempts' times
};
Skill SkillOf(const QList<Sample> &samples, bool takesThumb, double targetMs);

inline constexpr int RecentAttempts = 20;
inline constexpr double Smoothing = 0.1;
inline constexpr double WantedAccuracy = 0.95, WantedChords = 0.90;

// What a unit's skill needs of its attempts, taken one at a time oldest
// first: a course of a million strokes is weighed without keeping them.
class SkillTally {
public:
    void add(const Sample &sample);
    Skill skill(bool takesThumb, double targetMs) const;

private:
    int attempts = 0;
    std::optional<double> smoothedMs;
    std::array<Sample, RecentAttempts> recent; // a ring, the oldest at attempts % 20
};

// The course's attempts, oldest first, as each kana's: the time of one is
// from the key's press before, whichever kana that was, unless it came
// after a pause.
class CourseAttempts {
public:
    void add(const Attempt &attempt);
    SkillTally of(QChar kana) const { return tallies.value(kana); }

private:
    QHash<QChar, SkillTally> tallies;
    std::optional<qint64> previous;
};

// The target time per kana from a speed in kana per minute.
inline double TargetMs(int kanaPerMinute)
{
    return 60'000.0 / kanaPerMinute;
}

// How many units are in play after these skills of the units in play, in
// curriculum order: one more when every one of them has its 20 attempts and
// a confidence of 1; never fewer than before.
int UnitsInPlay(const QList<Skill> &inPlay, int unitCount);

// The unit to practise: the one in play with the lowest confidence, the one
// that came in last among equals.
int FocusOf(const QList<Skill> &inPlay);

} // namespace kestova::course
