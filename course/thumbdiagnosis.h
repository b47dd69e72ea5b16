#pragma once

#include "strokerecorder.h"

#include <QList>
#include <QString>

#include <array>
#include <optional>

namespace kestova::course {

// What went wrong with the thumb in a stroke that came out wrong.
enum class ThumbFault { Late, Early, OtherThumb, NoThumb, ThinOverlap, NotWanted };
inline constexpr int ThumbFaultCount = 6;

// The fault of a stroke as the practice record keeps it, judged against the
// thumb-shift window in force: a kana that takes a thumb and came out wrong
// with no thumb near it, the other hand's, or the right one too late, too
// early or overlapping its key too little to count; a plain kana shifted by
// a thumb. None for a hit, or a wrong key struck with the right thumb.
std::optional<ThumbFault> ThumbFaultOf(const record::Stroke &stroke, int windowMs);

// A lesson's thumb faults: how many of each, one line of advice for the
// commonest, and where most are late or early by less than 100 ms beyond
// the window, a window that would have taken 95 % of the lesson's thumbs.
struct ThumbDiagnosis {
    std::array<int, ThumbFaultCount> counts{};
    std::optional<ThumbFault> commonest;
    QString advice;
    std::optional<int> suggestedWindowMs;
};
ThumbDiagnosis DiagnoseThumbs(const QList<record::Stroke> &lesson, int windowMs);

// The fault's name as the lesson result shows it.
QString ThumbFaultName(ThumbFault fault);

} // namespace kestova::course
