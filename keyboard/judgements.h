#pragma once

#include "thumbshift.h"

#include <QObject>
#include <QString>

#include <optional>

namespace kestova {

// One character as a trainer judged it: what it asked for, what came, and
// whether that moved it on; for a kana of the built-in keyboard, how it was
// struck; when it was judged (ms since the epoch).
struct JudgedStroke {
    QString asked;
    QString typed;
    bool hit = false;
    std::optional<ThumbStroke> thumb;
    qint64 at = 0;
};

// A trainer's judgements, one way: typed input says which character is on
// its way to the handler and how it came; the handler, having judged it by
// its own rule, says so with judge(); judged() then carries it on (to the
// practice record). Only characters a learner can type as an answer are
// carried: control keys and Ctrl or Alt combinations are the trainer's
// business alone. A kana missed that an input method still holds, which a
// voicing mark may yet change (が asked, か typed, then ゛), is carried once
// the next comes: made voiced, the two are one attempt, the voiced one.
class Judgements : public QObject {
    Q_OBJECT

public:
    // From typed input, around the handler's run.
    void typing(const ThumbStroke *thumb, bool answer, bool mayBeVoiced = false);
    void typed();
    // The character on its way is the last one made voiced.
    void voicing() { voices = true; }
    // What is held goes on now (focus lost, the program ending).
    void settle();
    // The character on its way to the handler, for a trainer that takes it
    // only later: whether it is an answer, and how it was struck; taken, the
    // handler's judgement follows typingAgain().
    struct OnItsWay {
        bool answer = false;
        std::optional<ThumbStroke> thumb;
    };
    OnItsWay onItsWay() const { return {answer, thumb ? std::optional(*thumb) : std::nullopt}; }
    void typingAgain(const OnItsWay &way) { typing(way.thumb ? &*way.thumb : nullptr, way.answer); }
    // A thumb key went down at `time` (the engine's clock), shifting or not.
    void thumbDown(qint64 time, ThumbHand hand) { emit thumbPressed(time, hand); }

    void judge(const QString &asked, const QString &typed, bool hit);

signals:
    void judged(const kestova::JudgedStroke &stroke);
    void thumbPressed(qint64 time, kestova::ThumbHand hand);

private:
    bool answer = false;
    bool mayBeVoiced = false;
    bool voices = false;
    const ThumbStroke *thumb = nullptr;
    std::optional<JudgedStroke> held;
};

} // namespace kestova
