#pragma once

#include "attempt.h"

#include <QList>
#include <QString>

#include <array>
#include <optional>

namespace kestova::course {

// What went wrong with the thumb in an attempt that came out wrong.
enum class ThumbFault { Late, Early, OtherThumb, NoThumb, ThinOverlap, NotWanted, ToNextKey };
inline constexpr int ThumbFaultCount = 7;

// The fault of an attempt, by why the keyboard decided as it did: a kana
// that takes a thumb and came out wrong with no thumb near it, the other
// hand's, or the right one too late, too early, overlapping its key too
// little to count, or given to the next key, nearer to it; a plain kana
// shifted by a thumb. None for a hit, a wrong key struck with the right
// thumb, or a kana of an input method, which tells no thumbs.
std::optional<ThumbFault> ThumbFaultOf(const Attempt &attempt);

// A lesson's thumb faults: how many of each, one line of advice for the
// commonest, and where most are late or early by less than 100 ms beyond
// the window, a window that would have taken 95 % of the lesson's thumbs.
struct ThumbDiagnosis {
    std::array<int, ThumbFaultCount> counts{};
    std::optional<ThumbFault> commonest;
    QString advice;
    std::optional<int> suggestedWindowMs;
};
ThumbDiagnosis DiagnoseThumbs(const QList<Attempt> &lesson, int windowMs);

// The fault's name as the lesson result shows it.
QString ThumbFaultName(ThumbFault fault);
// The diagnosis as a result tells it: the faults counted and the advice,
// or that there were none.
QStringList DiagnosisLines(const ThumbDiagnosis &diagnosis);

} // namespace kestova::course
