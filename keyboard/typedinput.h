#pragma once

#include "judgements.h"
#include "thumbshift.h"

#include <QElapsedTimer>
#include <QObject>
#include <QString>
#include <QTimer>
#include <QtGlobal>

#include <functional>

class QInputMethodEvent;
class QKeyEvent;
class QWidget;

namespace kestova {

// Turns what Qt delivers into the classic key-press event: one call per typed
// character with its code page 932 code. Characters come
// - from the built-in thumb-shift keyboard: the physical keys of the layout
//   and the thumb keys, with their timing, become kana. Where no input
//   method is in use, the receiver declines Qt's own compose handling while
//   the keyboard is on, so that dead keys and AltGr combinations arrive as
//   the keys they are;
// - as the text of other key events, as they always did;
// - from an input method, as commits and as preedit: Linux engines such as
//   Anthy hold kana as preedit until confirmed, so each kana that appears in
//   the preedit counts at once, and the commit that later confirms it does
//   not count it again. ASCII preedit (romaji on its way to a kana) is left
//   to the input method, and the input method is never asked to commit or
//   reset: it may still be holding the next key. An input method that is on
//   takes the keys, so the engine never sees them.
class TypedInput : public QObject {
    Q_OBJECT

public:
    using KeyPress = std::function<void(qint16 &KeyAscii)>;
    // Runs after the key press for each character that came without text of
    // its own (from the thumb-shift keyboard, or a kana of a preedit), so
    // that a text box takes it as it takes the text of a key.
    using TypedAside = std::function<void(const QString &character)>;

    // `receiver` is the widget that gets the key events; losing the focus, or
    // its window closing, decides a character still pending. `judgements`,
    // where given, learn of each character on its way to the handler.
    TypedInput(QWidget *receiver, KeyPress keyPress, TypedAside typed = {}, Judgements *judgements = nullptr);

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

    // Raises one key press per character of `text`; `thumb` where the
    // thumb-shift keyboard typed it. `answers`: whether its printable
    // characters are typed as answers (not with Ctrl or Alt).
    void type(QStringView text, const ThumbStroke *thumb = nullptr, bool answers = true);

    // Settings of its own, instead of the user's saved ones (a test field).
    void useThumbShiftSettings(const ThumbShiftSettings &settings);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    bool forThumbShift(const QKeyEvent *event) const;
    qint64 timeOf(const QKeyEvent *event);
    qint64 now() const;
    void typeStrokes(const QList<ThumbStroke> &strokes);
    void typeAside(QStringView text);
    void decideWhenDue();
    void decideDue();
    void releaseAll();
    void use(const ThumbShiftSettings &chosen);

    QWidget *receiver;
    KeyPress keyPress;
    TypedAside typedAside;
    Judgements *judgements;
    // The kana of the input method's preedit counted so far; unknown after
    // the focus came back, when the input method may have dropped it.
    QString countedPreedit;
    QString convertedFrom; // the counted kana a conversion just committed
    bool preeditKnown = true;

    bool followsUserSettings = true;
    ThumbShiftSettings settings;
    ThumbShiftEngine engine;
    QTimer decisionTimer;
    bool draining = false;
    // The engine's clock is the key events' time stamps; between events it
    // runs on from the last one.
    qint64 lastEventTime = 0;
    QElapsedTimer sinceLastEvent;
};

} // namespace kestova
