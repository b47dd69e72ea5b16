#pragma once

#include "judgements.h"
#include "keyboardhold.h"
#include "rawkeys.h"
#include "thumbshift.h"

#include <QElapsedTimer>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QTimer>
#include <QtGlobal>

#include <functional>

class QInputMethodEvent;
class QKeyEvent;
class QLabel;
class QWidget;

namespace kestova {

// Turns what Qt delivers into typed characters: one call per character, with
// the judgements told when its key went down and how. Characters come
// - from the built-in thumb-shift keyboard: the physical keys of the layout
//   and the thumb keys, with their timing, become kana. It types whenever no
//   input method types Japanese: under X11 it takes those keys before Qt and
//   any input method see them, so that no Latin input method makes a dead
//   key of one; elsewhere the receiver declines Qt's own compose handling
//   while it is on. While a thumb key is an Alt key, the window holds the
//   keyboard, so that no thumb chord becomes a desktop shortcut;
// - as the text of other key events, as they always did;
// - from an input method, as commits and as preedit: Linux engines such as
//   Anthy hold kana as preedit until confirmed, so each kana that appears in
//   the preedit counts at once, also behind a stray romaji letter, and the
//   commit that later confirms it does not count it again. ASCII preedit
//   (romaji on its way to a kana) is left to the input method; a stray letter
//   counts once, when it is dropped or sent. The input method is never asked
//   to commit or reset: it may still be holding the next key. The preedit is
//   shown beside the receiver, never in it.
class TypedInput : public QObject {
    Q_OBJECT

public:
    using Typed = std::function<void(const QString &character)>;
    // Runs after the key press for each character that came without text of
    // its own (from the thumb-shift keyboard, or a kana of a preedit), so
    // that a text box takes it as it takes the text of a key.
    using TypedAside = std::function<void(const QString &character)>;

    // `receiver` is the widget that gets the key events; losing the focus, or
    // its window closing, decides a character still pending. `judgements`,
    // where given, learn of each character on its way to the handler.
    TypedInput(QWidget *receiver, Typed typed, TypedAside typedAside = {}, Judgements *judgements = nullptr);
    ~TypedInput() override;

    enum class KeyUse { Ignored, Typed, ThumbShift };
    KeyUse keyPressEvent(const QKeyEvent *event);
    void keyReleaseEvent(const QKeyEvent *event);
    // Returns the part of the event's commit that was typed now (not
    // counted before from the preedit), for the receiver to take.
    QString inputMethodEvent(const QInputMethodEvent *event);
    // The same in two steps, for a receiver that takes the commit in between:
    // the commit's characters first, then the preedit's new kana.
    QString takeCommit(const QInputMethodEvent *event);
    void takePreedit(const QInputMethodEvent *event);
    // The receiver's answer to Qt::ImEnabled.
    bool acceptsInputMethod() const;

    // Where a space is asked for, a thumb key that types one (Space) struck
    // alone types it: `asked` gives the space asked for now, or nothing.
    void typeSpacesAskedBy(std::function<QString()> asked) { spaceAsked = std::move(asked); }

    // Settings of its own, instead of the user's saved ones (a test field).
    void useThumbShiftSettings(const ThumbShiftSettings &settings);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    bool builtInTypes() const;
    bool forThumbShift(const QKeyEvent *event) const;
    bool takeRawKey(const RawKey &key);
    void holdIfWanted();
    void keyDown(int keyCode, qint64 time);
    void keyUp(int keyCode, qint64 time);
    qint64 timeOf(const QKeyEvent *event);
    qint64 stamped(qint64 time);
    qint64 now() const;
    qint64 wallClockOf(qint64 time) const;
    // One call per character of `text`, its key pressed at `pressedAt` (ms
    // since the epoch); `thumb` where the thumb-shift keyboard typed it.
    // `answers`: whether its printable characters are typed as answers (not
    // with Ctrl or Alt).
    struct HowTyped {
        qint64 pressedAt;
        const ThumbStroke *thumb = nullptr;
        bool answers = true;
        bool fromPreedit = false;
        bool voicesLast = false;
    };
    void type(QStringView text, const HowTyped &how);
    void typeStrokes(const QList<ThumbStroke> &strokes);
    void typeAside(QStringView text, bool voicesLast = false);
    void showPreedit(const QString &preedit);
    void decideWhenDue();
    void decideDue();
    void releaseAll();
    void use(const ThumbShiftSettings &chosen);

    QWidget *receiver;
    Typed typed;
    TypedAside typedAside;
    QPointer<Judgements> judgements;
    bool judged; // whether the receiver has judgements at all
    std::function<QString()> spaceAsked;
    // The kana of the input method's preedit counted so far; unknown after
    // the focus came back, when the input method may have dropped it.
    QString countedPreedit;
    QString convertedFrom; // the counted kana a conversion just committed
    QString strays;        // romaji letters standing before kana in the preedit
    bool preeditKnown = true;
    QLabel *preeditShown = nullptr;

    bool followsUserSettings = true;
    ThumbShiftSettings settings;
    QList<int> engineAltKeys;
    bool typedBuiltIn = true;
    ThumbShiftEngine engine;
    KeyboardHold hold;
    QTimer decisionTimer;
    bool draining = false;
    // The engine's clock is the key events' time stamps; between events it
    // runs on from the last one. Once an event came with no time (an input
    // method forwarding keys), Qt's key events are timed by their arrival.
    qint64 lastEventTime = 0;
    qint64 wallAtLastEvent = 0; // the wall clock when lastEventTime was
    QElapsedTimer sinceLastEvent;
    bool timedByArrival = false;
};

} // namespace kestova
