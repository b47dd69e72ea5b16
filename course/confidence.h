#pragma once

#include <QHash>
#include <QList>
#include <QString>

#include <optional>

namespace kestova::course {

// One attempt at a unit, as the practice record holds it.
struct Attempt {
    std::optional<qint64> sincePreviousMs; // none after a pause, or for the first stroke
    bool hit = false;
    bool chord = false; // shifted by a thumb as it was struck
};

// A stroke of the course as the practice record keeps it.
struct CourseStroke {
    qint64 time = 0;
    QString expected;
    bool hit = false;
    bool chord = false;
};

// Each kana's attempts, oldest first, from the course's strokes oldest first:
// the time since the stroke before, unless that was a pause.
QHash<QString, QList<Attempt>> AttemptsOf(const QList<CourseStroke> &strokes);

// How well a unit is known, from its attempts oldest first: the time per
// attempt smoothed over the attempts (those after a pause left out), the
// accuracy over the last 20, and for a unit that takes a thumb the share of
// those that came out right as a chord. Confidence is the smallest of
// target time ÷ smoothed time, accuracy ÷ 95 %, chord share ÷ 90 % and
// attempts ÷ 20 (too few attempts prove nothing yet): 1 or more means learnt.
struct Skill {
    int attempts = 0;
    std::optional<double> smoothedMs;
    double accuracy = 0;
    std::optional<double> chordShare;
    double confidence = 0;
};
Skill SkillOf(const QList<Attempt> &attempts, bool takesThumb, double targetMs);

inline constexpr int RecentAttempts = 20;
inline constexpr double Smoothing = 0.1;
inline constexpr double WantedAccuracy = 0.95, WantedChords = 0.90;

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
