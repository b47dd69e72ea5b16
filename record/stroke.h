#pragma once

#include <QString>

#include <optional>

namespace kestova::record {

// One judged keystroke.
struct Stroke {
    qint64 time = 0; // ms since the epoch
    QString expected;
    QString typed;
    bool hit = false;
    // From the built-in thumb-shift keyboard: the thumb's press minus the
    // key's, and whether it shifted the key.
    // Also where no chord came of it: the nearest thumb within 300 ms.
    std::optional<qint64> thumbMs;
    bool chord = false;
    int thumbHand = 0;   // that thumb's hand: 0 none, 1 left, 2 right
    int thumbNeeded = 0; // the thumb the kana asked for takes, as above
    QString program; // another program's, when merged from a pending file
    std::optional<int> utcOffset; // as kept in a pending file; else the zone's at `time`

    // Whether a thumb shifted the key, where that is known: a thumb was
    // weighed, or made a chord without a time (continuous shift).
    std::optional<bool> shifted() const { return thumbMs || chord ? std::optional(chord) : std::nullopt; }
};

} // namespace kestova::record
