#include "thumbshift.h"

#include "keyboardmap.h"
#include "rules.h"

#include <array>
#include <utility>

namespace kestova {
namespace {

// The keys of the layout by X11 key code.
const std::array<const KeyFrame *, 256> &keysByCode()
{
    static const std::array<const KeyFrame *, 256> keys = [] {
        std::array<const KeyFrame *, 256> byCode{};
        for (const KeyFrame &key : KeyboardLayout)
            byCode[size_t(key.keyCode)] = &key;
        return byCode;
    }();
    return keys;
}

const KeyFrame *keyOf(int keyCode)
{
    return keyCode > 0 && keyCode < 256 ? keysByCode()[size_t(keyCode)] : nullptr;
}

// The left hand strikes the five keys from the left of each row; the key
// right of P, the row's eleventh, is the right hand's.
ThumbShiftEngine::Hand handOf(const KeyFrame &key)
{
    constexpr int KeysPerRow = 10, LeftHandKeys = 5;
    const bool leftHand = key.keyCode != keycode::RightOfP && key.index % KeysPerRow < LeftHandKeys;
    return leftHand ? ThumbShiftEngine::Hand::Left : ThumbShiftEngine::Hand::Right;
}

} // namespace

ThumbShiftEngine::ThumbShiftEngine(const ThumbShiftSettings &settings, const QList<int> &altKeys)
    : settings(settings), altKeys(altKeys)
{
}

ThumbShiftEngine::Hand ThumbShiftEngine::thumbHand(int keyCode) const
{
    if (settings.leftThumbKeys.contains(keyCode))
        return Hand::Left;
    if (settings.rightThumbKeys.contains(keyCode))
        return Hand::Right;
    return Hand::None;
}

ThumbShiftEngine::Hand ThumbShiftEngine::thumbNeededFor(const QString &kana)
{
    for (const KeyFrame &key : KeyboardLayout) {
        if (kana == QStringView(key.thumbShift.caption))
            return handOf(key);
        if (kana == QStringView(key.otherThumb))
            return handOf(key) == Hand::Left ? Hand::Right : Hand::Left;
    }
    return Hand::None;
}

ThumbShiftEngine::Hand ThumbShiftEngine::handOfKey(int keyCode)
{
    const KeyFrame *key = keyOf(keyCode);
    return key ? handOf(*key) : Hand::None;
}

QString ThumbShiftEngine::shiftedOf(int keyCode, Hand thumb)
{
    const KeyFrame *key = keyOf(keyCode);
    if (!key || thumb == Hand::None)
        return {};
    return QString::fromUtf16(thumb == handOf(*key) ? key->thumbShift.caption : key->otherThumb);
}

bool ThumbShiftEngine::handles(int keyCode) const
{
    return thumbHand(keyCode) != Hand::None || keyOf(keyCode);
}

// A place the layout leaves empty types the key's plain character: the
// keystroke is never lost.
QString ThumbShiftEngine::characterOf(int keyCode, Hand thumb) const
{
    const KeyFrame *key = keyOf(keyCode);
    if (!key)
        return {};
    const char16_t *shifted = thumb == Hand::None ? u"" : thumb == handOf(*key) ? key->thumbShift.caption : key->otherThumb;
    return QString::fromUtf16(*shifted ? shifted : key->plain.caption);
}

// A thumb given with the stroke where it was weighed for it: shifting it,
// or why not.
ThumbStroke ThumbShiftEngine::stroke(const Press &key, const std::optional<Press> &thumbPress, StrokeReason reason) const
{
    const bool weighed = thumbPress && reason != StrokeReason::Plain;
    const std::optional<qint64> offset = weighed ? std::optional(thumbPress->time - key.time) : std::nullopt;
    const Hand hand = weighed ? thumbHand(thumbPress->keyCode) : Hand::None;
    const bool chord = reason == StrokeReason::Chord || reason == StrokeReason::HeldThumb;
    return {characterOf(key.keyCode, chord ? hand : Hand::None), key.keyCode, key.time, offset, hand, reason};
}

// The pending character, shifted by the pending thumb, or by a thumb held
// from before under continuous shift, or plain; a thumb that shifts it is
// used up.
void ThumbShiftEngine::decideCharacter(QList<ThumbStroke> &out, bool withThumb, StrokeReason otherwise)
{
    if (!withThumb && heldShift) {
        ThumbStroke held = stroke(*character, heldShift, StrokeReason::HeldThumb);
        held.thumbOffsetMs.reset(); // shifted by a thumb held from before, not struck with it
        out.append(held);
    } else {
        out.append(stroke(*character, thumb, withThumb ? StrokeReason::Chord : otherwise));
    }
    character.reset();
    heldShift.reset();
    if (withThumb)
        thumb.reset();
}

// The pending character let go at `time`, less than 50 ms after the thumb
// came down and after a longer time alone before it: no chord.
bool ThumbShiftEngine::thinOverlap(qint64 time) const
{
    const qint64 together = time - thumb->time;
    return together < ThinOverlapMs && thumb->time - character->time > together;
}

// Why the pending character is plain, let go at `time` with no thumb or
// too thin an overlap with it.
StrokeReason ThumbShiftEngine::withoutThumb(qint64 time) const
{
    return thumb && thinOverlap(time) ? StrokeReason::ThinOverlap : StrokeReason::Plain;
}

// When the pending character or thumb falls due.
std::optional<qint64> ThumbShiftEngine::pendingDeadline() const
{
    // After a character and then a thumb, a next character could still take
    // the thumb until it would come later after the thumb than the first did
    // before it. An Alt thumb key waits its whole window for a key it may be
    // the modifier of.
    if (character && thumb)
        return isAlt(thumb) ? ChordWindowEnds(thumb->time, settings.windowMs) : thumb->time + (thumb->time - character->time);
    if (character)
        return ChordWindowEnds(character->time, settings.windowMs);
    if (thumb)
        return ChordWindowEnds(thumb->time, settings.windowMs);
    return std::nullopt;
}

std::optional<qint64> ThumbShiftEngine::deadline() const
{
    const std::optional<qint64> pending = pendingDeadline();
    if (tapped)
        return pending ? std::min(*pending, tapped->time + 1) : tapped->time + 1;
    return pending;
}

QList<ThumbStroke> ThumbShiftEngine::timeReached(qint64 time)
{
    QList<ThumbStroke> out;
    for (;;) {
        const std::optional<qint64> due = pendingDeadline();
        if (tapped && tapped->time + 1 <= time && (!due || tapped->time + 1 <= *due)) {
            ThumbStroke alone{{}, tapped->keyCode, tapped->time, {}, thumbHand(tapped->keyCode), StrokeReason::Plain};
            alone.thumbAlone = true;
            out.append(alone);
            tapped.reset();
        } else if (due && *due <= time) {
            if (character)
                decideCharacter(out, thumb.has_value());
            else
                thumb.reset(); // a thumb alone shifts nothing
        } else {
            return out;
        }
    }
}

QList<ThumbStroke> ThumbShiftEngine::keyDown(int keyCode, qint64 time)
{
    if (!handles(keyCode) || down.contains(keyCode))
        return {};
    down.append(keyCode);
    // X11 repeats a key held down as a release and a press at one time: the
    // key is still held, and types nothing more.
    if (lastRelease && lastRelease->keyCode == keyCode && lastRelease->time == time) {
        if (letGoThumb && letGoThumb->keyCode == keyCode)
            thumbsHeld.append(*letGoThumb);
        if (tapped && tapped->keyCode == keyCode)
            tapping = std::exchange(tapped, std::nullopt);
        return {};
    }
    QList<ThumbStroke> out = timeReached(time);
    const Press press{keyCode, time};
    if (thumbHand(keyCode) != Hand::None) {
        if (character && thumb) // a second thumb: the first one's character is decided
            decideCharacter(out, true);
        tapping = character ? std::nullopt : std::optional(press);
        thumb = press;
        thumbsHeld.append(press);
        return out;
    }
    tapping.reset();
    if (settings.continuousShift && !thumbsHeld.isEmpty() && !thumb) {
        if (character)
            decideCharacter(out, false);
        character = press;
        heldShift = thumbsHeld.last();
    } else if (character && thumb) {
        // Three keys: the thumb goes with the press nearer to its own.
        const bool thumbWithFirst = thumb->time - character->time <= time - thumb->time;
        decideCharacter(out, thumbWithFirst, StrokeReason::ThumbToNextKey);
        if (thumbWithFirst) {
            character = press;
        } else {
            out.append(stroke(press, thumb, StrokeReason::Chord));
            thumb.reset();
        }
    } else if (thumb) {
        out.append(stroke(press, thumb, StrokeReason::Chord));
        thumb.reset();
    } else {
        if (character)
            decideCharacter(out, false);
        character = press;
    }
    return out;
}

QList<ThumbStroke> ThumbShiftEngine::keyUp(int keyCode, qint64 time)
{
    if (!down.removeOne(keyCode))
        return {};
    lastRelease = Press{keyCode, time};
    QList<ThumbStroke> out = timeReached(time);
    if (character && character->keyCode == keyCode) {
        decideCharacter(out, thumb && !thinOverlap(time), withoutThumb(time));
    } else if (thumb && thumb->keyCode == keyCode) {
        if (character) // let go while the character is still down: they were together
            decideCharacter(out, true);
        thumb.reset();
    }
    if (tapping && tapping->keyCode == keyCode) {
        tapped = Press{keyCode, time};
        tapping.reset();
    }
    for (qsizetype i = 0; i < thumbsHeld.size(); ++i) {
        if (thumbsHeld[i].keyCode == keyCode)
            letGoThumb = thumbsHeld.takeAt(i--);
    }
    return out;
}

QList<ThumbStroke> ThumbShiftEngine::otherKey(qint64 time)
{
    QList<ThumbStroke> out = timeReached(time);
    tapping.reset();
    if (isAlt(heldShift))
        heldShift.reset();
    if (isAlt(thumb)) // Alt+Tab: the Alt key is Tab's, weighed for no character
        thumb.reset();
    out.append(settle(time));
    return out;
}

QList<ThumbStroke> ThumbShiftEngine::settle(qint64 time)
{
    QList<ThumbStroke> out = timeReached(time);
    if (character)
        decideCharacter(out, thumb && !thinOverlap(time), withoutThumb(time));
    thumb.reset();
    return out;
}

QList<ThumbStroke> ThumbShiftEngine::releaseAll(qint64 time)
{
    down.clear();
    thumbsHeld.clear();
    tapping.reset();
    tapped.reset();
    return settle(time);
}

} // namespace kestova
