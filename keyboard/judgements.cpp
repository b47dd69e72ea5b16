#include "judgements.h"

#include "rules.h"

namespace kestova {
namespace {

// How far from its key a thumb is still this key's: beyond, the learner
// meant nothing with it.
constexpr qint64 NearestThumbMs = 300;
constexpr qsizetype ThumbsKept = 8;

} // namespace

Judgements::Judgements()
{
    holding.setSingleShot(true);
    holding.setInterval(int(NearestThumbMs));
    connect(&holding, &QTimer::timeout, this, [this] { pass(); });
}

void Judgements::thumbDown(qint64 time, ThumbHand hand)
{
    thumbs.append({time, hand, false});
    if (thumbs.size() > ThumbsKept)
        thumbs.removeFirst();
}

bool Judgements::judge(const QString &asked, const QString &typed)
{
    const bool hit = IsHit(asked, typed);
    if (!onItsWay.answer)
        return hit;
    Attempt attempt{asked, typed, hit, onItsWay.pressedAt, StrokeReason::Typed, {}, ThumbHand::None, ThumbShiftEngine::thumbNeededFor(asked)};
    attempt.program = program;
    if (const std::optional<ThumbStroke> &thumb = onItsWay.thumb) {
        attempt.reason = thumb->reason;
        attempt.thumbOffsetMs = thumb->thumbOffsetMs;
        attempt.thumbHand = thumb->thumbHand;
        // The thumb that shifted it is no other kana's nearest.
        for (ThumbPress &press : thumbs) {
            if (thumb->thumbOffsetMs && press.at == thumb->pressedAt + *thumb->thumbOffsetMs)
                press.used = true;
        }
    }
    if (onItsWay.voicesLast && held && heldForVoicing)
        held.reset(); // the kana it voiced was no attempt of its own
    pass(onItsWay.thumb ? std::optional(onItsWay.thumb->pressedAt) : std::nullopt);
    const qint64 keyBefore = onItsWay.thumb ? std::exchange(lastKeyDown, onItsWay.thumb->pressedAt) : lastKeyDown;
    heldForVoicing = onItsWay.mayBeVoiced && !hit;
    if (heldForVoicing || attempt.reason == StrokeReason::Plain) {
        held = Held{attempt, onItsWay.thumb ? onItsWay.thumb->pressedAt : 0, keyBefore};
        if (!heldForVoicing)
            holding.start();
    } else {
        emit judged(attempt);
    }
    return hit;
}

// A plain kana with a thumb of its own near it: the thumb was too early or
// too late for the window, or the key let go before it came.
void Judgements::pass(std::optional<qint64> keyAfter)
{
    holding.stop();
    if (!held)
        return;
    auto [attempt, keyDown, keyBefore] = *std::exchange(held, std::nullopt);
    if (attempt.reason == StrokeReason::Plain) {
        // This key's thumb: none another kana took, none struck before the
        // key before this one, none nearer the key after it.
        ThumbPress *nearest = nullptr;
        for (ThumbPress &press : thumbs) {
            const qint64 offset = press.at - keyDown;
            if (!press.used && press.at > keyBefore && !(keyAfter && qAbs(press.at - *keyAfter) < qAbs(offset)) && qAbs(offset) <= NearestThumbMs && (!nearest || qAbs(offset) < qAbs(nearest->at - keyDown)))
                nearest = &press;
        }
        if (nearest) {
            nearest->used = true;
            attempt.thumbOffsetMs = nearest->at - keyDown;
            attempt.thumbHand = nearest->hand;
            attempt.reason = *attempt.thumbOffsetMs > 0 ? StrokeReason::ThumbTooLate : StrokeReason::ThumbTooEarly;
        }
    }
    emit judged(attempt);
}

void Judgements::settle()
{
    pass();
}

} // namespace kestova
