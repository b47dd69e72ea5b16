#pragma once

#include "attempt.h"
#include "keycodes.h"

#include <QList>
#include <QString>

#include <optional>

namespace kestova {

// Which keys are thumb keys, and how close in time a character key and a
// thumb key must come to count as pressed together.
struct ThumbShiftSettings {
    bool enabled = true;
    // So that both JIS and US keyboards have two thumb keys with no set-up.
    QList<int> leftThumbKeys{keycode::Muhenkan, keycode::LeftAlt};
    QList<int> rightThumbKeys{keycode::Henkan, keycode::Space, keycode::RightAlt};
    int windowMs = 100;
    // A thumb key held down shifts every character key struck while it is
    // down, not only the first (continuous shift of the JIS rules).
    bool continuousShift = false;

    static constexpr int ShortestWindowMs = 30;
    static constexpr int LongestWindowMs = 300;
    bool operator==(const ThumbShiftSettings &) const = default;
};

// One character the engine decided on, with how it came about and why.
struct ThumbStroke {
    QString character;
    int keyCode = 0;
    qint64 pressedAt = 0;  // the character key's press, ms
    // The thumb key's press minus the character key's, where a thumb key
    // was weighed for this character (negative: the thumb came first).
    std::optional<qint64> thumbOffsetMs;
    ThumbHand thumbHand = ThumbHand::None; // that thumb's hand
    StrokeReason reason = StrokeReason::Plain;
    bool chord() const { return reason == StrokeReason::Chord || reason == StrokeReason::HeldThumb; }
    // A thumb key struck alone, shifting nothing: no character, keyCode the
    // thumb key's. Typed input passes it by unless a space is asked for.
    bool thumbAlone = false;
};

// The thumb-shift (NICOLA) keyboard: physical keys and their timing become
// kana, by the simultaneous-press rules of the JIS proposal:
// - a character key and a thumb key pressed within the window, in either
//   order, make one shifted character (own hand's thumb: the second kana of
//   the key; the other hand's: its voiced kana);
// - character, thumb, character: the thumb goes with the character whose
//   press is nearer in time to the thumb's;
// - a thin overlap is no chord: a character key released less than 50 ms
//   after the thumb came down, and down longer before it than with it, is plain;
// - a character key released before any thumb key came is plain at once;
// - with continuous shift, a character key struck while a thumb key is
//   still held from an earlier chord or beyond its window is shifted by it,
//   unless a thumb key is struck within the window of the character's press:
//   in fast roll-over the next chord's own thumb wins over the last one's;
// - a thumb key that the desktop also reads as Alt goes with a key outside
//   the layout struck while it is held (Alt+Tab): it shifts no character
//   struck before it, and waits its whole window for that key to come;
// - a thumb key let go with no character struck since its press was struck
//   alone: told as such, for a trainer that asks for its space.
// Each character is decided at the first moment the rules allow. A plain
// class fed with key codes and times, so that it can be driven by a fake
// clock; deadline() says when timeReached() must be called.
class ThumbShiftEngine {
public:
    // `altKeys`: the keys the desktop reads as Alt, left and right.
    explicit ThumbShiftEngine(const ThumbShiftSettings &settings = {}, const QList<int> &altKeys = {keycode::LeftAlt, keycode::RightAlt});

    // Whether the key is one the engine types with: a character key of the
    // layout or a thumb key. Others pass it by.
    bool handles(int keyCode) const;

    // Each returns the characters decided by the event, in order. Presses of
    // a key already down, or released at the same time (auto-repeat), and
    // releases without a press are ignored.
    QList<ThumbStroke> keyDown(int keyCode, qint64 time);
    QList<ThumbStroke> keyUp(int keyCode, qint64 time);
    // When a pending decision falls due without a key event.
    std::optional<qint64> deadline() const;
    QList<ThumbStroke> timeReached(qint64 time);
    // A key outside the layout typed: what is pending is decided as if its
    // keys were released now, so that the characters keep their order; an
    // Alt thumb key still held is that key's modifier, no thumb.
    QList<ThumbStroke> otherKey(qint64 time);
    // Focus lost or window closing: settled, and the keys held are forgotten.
    QList<ThumbStroke> releaseAll(qint64 time);

    // The character of a key alone or with a thumb of the given hand.
    using Hand = ThumbHand;
    QString characterOf(int keyCode, Hand thumb) const;
    // Which hand's thumb key it is, if one.
    Hand thumbHand(int keyCode) const;
    // The hand that strikes a key of the layout; none for another key.
    static Hand handOfKey(int keyCode);
    // What the layout puts on a key with a thumb of that hand: nothing for a
    // place it leaves empty, unlike characterOf.
    static QString shiftedOf(int keyCode, Hand thumb);
    // The thumb a kana of the layout takes: none for a plain one.
    static Hand thumbNeededFor(const QString &kana);

private:
    static constexpr qint64 ThinOverlapMs = 50;
    struct Press {
        int keyCode;
        qint64 time;
    };

    ThumbStroke stroke(const Press &key, const std::optional<Press> &thumb, StrokeReason reason) const;
    // The pending character: shifted by the pending thumb (Chord), or else
    // as `otherwise` says why not.
    void decideCharacter(QList<ThumbStroke> &out, bool withThumb, StrokeReason otherwise = StrokeReason::Plain);
    StrokeReason withoutThumb(qint64 time) const;
    bool thinOverlap(qint64 time) const;
    std::optional<qint64> pendingDeadline() const;
    bool isAlt(const std::optional<Press> &key) const { return key && altKeys.contains(key->keyCode); }
    QList<ThumbStroke> settle(qint64 time);

    ThumbShiftSettings settings;
    QList<int> altKeys;
    QList<int> down; // keys held, to tell auto-repeat and releases without a press
    std::optional<Press> character; // pressed, not yet decided
    std::optional<Press> heldShift; // continuous shift: the thumb held at its press
    std::optional<Press> thumb;     // pressed, not yet given to a character
    QList<Press> thumbsHeld;        // thumb keys down now, used up or not, the latest last
    std::optional<Press> letGoThumb; // the last one released, should X repeat it
    // A thumb key down with no character struck since (its press, or once let
    // go its release, told a moment later: X may yet repeat it).
    std::optional<Press> tapping;
    std::optional<Press> tapped;
    std::optional<Press> lastRelease;
};

} // namespace kestova
