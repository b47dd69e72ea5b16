#pragma once

#include <QString>

#include <optional>

namespace kestova {

// Which thumb: the left hand's, the right hand's, or none; kept in the
// record by number.
enum class ThumbHand { None, Left, Right };

// Why a keystroke came out as it did: as the thumb-shift keyboard decided
// it, or as its thumb was found a moment later. Kept in the record by
// number: new reasons go at the end.
enum class StrokeReason {
    Typed,          // a key's own text or an input method's kana: no thumb timing
    Plain,          // struck with no thumb near it
    Chord,          // shifted by a thumb struck with it, within the window
    HeldThumb,      // shifted by a thumb held from before (continuous shift)
    ThinOverlap,    // a thumb came, but the key was let go too soon after it
    ThumbToNextKey, // three keys: the thumb went with the next key, nearer to it
    ThumbTooLate,   // a thumb came after the window
    ThumbTooEarly,  // a thumb came, and went, before the window
};
inline constexpr int StrokeReasonCount = int(StrokeReason::ThumbTooEarly) + 1;

// One keystroke as a trainer judged it: what it asked for, what came,
// whether that was right, when the key went down, how its thumb came and
// why the keyboard decided as it did. The one type every room reads: the
// record keeps it, the course weighs it, the lesson result tells it.
struct Attempt {
    QString asked;
    QString typed;
    bool hit = false;
    qint64 pressedAt = 0; // the key's press, ms since the epoch
    StrokeReason reason = StrokeReason::Typed;
    // The thumb's press minus the key's, where one was weighed or found near.
    std::optional<qint64> thumbOffsetMs;
    ThumbHand thumbHand = ThumbHand::None;   // that thumb's hand
    ThumbHand thumbNeeded = ThumbHand::None; // the thumb the kana asked for takes
    QString program;              // another program's, where merged from a pending file
    std::optional<int> utcOffset; // seconds east of UTC when typed, where known

    bool chord() const { return reason == StrokeReason::Chord || reason == StrokeReason::HeldThumb; }
    // Whether a thumb shifted the key, where that is known at all.
    std::optional<bool> shifted() const { return reason == StrokeReason::Typed ? std::nullopt : std::optional(chord()); }
};

} // namespace kestova
