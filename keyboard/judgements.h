#pragma once

#include "attempt.h"
#include "thumbshift.h"

#include <QObject>
#include <QString>
#include <QTimer>

#include <limits>
#include <optional>

namespace kestova {

// A trainer's judgements, one way: typed input says which character is on
// its way to the handler and how it came; the handler asks judge() whether
// it is what it asked for, and goes on by that answer; the attempt then
// goes out once, complete, through judged(), to the practice record and to
// whatever else listens. Only characters a learner types as an answer are
// attempts: control keys and Ctrl or Alt combinations are the trainer's
// business alone.
// An attempt waits a moment before it goes: a plain kana for a thumb that
// may come just too late (the nearest within 300 ms, before or after, that
// shifted no other kana, tells why it was plain); a kana missed that an
// input method still holds, which a voicing mark may yet change (が asked,
// か typed, then ゛), for the next kana: made voiced, the two are one
// attempt, the voiced one.
class Judgements : public QObject {
    Q_OBJECT

public:
    Judgements();

    // The character on its way to the handler.
    struct OnItsWay {
        bool answer = false;
        qint64 pressedAt = 0;             // its key's press, ms since the epoch
        // As the thumb-shift keyboard struck it, its times on the keyboard's
        // own clock (the key events' time stamps).
        std::optional<ThumbStroke> thumb;
        bool mayBeVoiced = false;         // a kana an input method still holds
        bool voicesLast = false;          // the last kana, made voiced in the preedit
    };
    void typing(OnItsWay way) { onItsWay = std::move(way); }
    void typed() { onItsWay = {}; }
    const OnItsWay &onItsWayNow() const { return onItsWay; }

    // The program its attempts are kept under where not the one recording
    // them: a mode of that program with a name of its own.
    QString program;

    // The judge, the same for every trainer: whether `typed` is what was
    // asked for.
    bool judge(const QString &asked, const QString &typed);
    // A thumb key went down, shifting or not, at a time of the keyboard's clock.
    void thumbDown(qint64 time, ThumbHand hand);
    // What waits goes now (focus lost, the program ending, a lesson over).
    void settle();

signals:
    void judged(const kestova::Attempt &attempt);

private:
    struct ThumbPress {
        qint64 at; // the keyboard's clock
        ThumbHand hand;
        bool used;
    };
    struct Held {
        Attempt attempt;
        qint64 keyDown;         // the keyboard's clock
        qint64 keyBefore;       // the press of the key judged before it
    };
    // The held kana judged; `keyAfter` the press of the key that comes next.
    void pass(std::optional<qint64> keyAfter = std::nullopt);

    OnItsWay onItsWay;
    qint64 lastKeyDown = std::numeric_limits<qint64>::min(); // the keyboard's clock
    std::optional<Held> held;
    bool heldForVoicing = false;
    QTimer holding;
    QList<ThumbPress> thumbs; // the latest few
};

} // namespace kestova
