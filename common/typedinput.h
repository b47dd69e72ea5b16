#pragma once

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
//   and the thumb keys, with their timing, become kana;
// - as the text of other key events, as they always did;
// - from an input method, as commits and as preedit: Linux engines such as
//   Anthy hold kana as preedit until confirmed, so a preedit that already
//   holds a non-ASCII character is committed at once and counts. ASCII
//   preedit (romaji on its way to a kana) is left to the input method. An
//   input method that is composing takes the keys, so the engine never sees them.
class TypedInput : public QObject {
    Q_OBJECT

public:
    using KeyPress = std::function<void(qint16 &KeyAscii)>;
    // Runs after the key press for each character the thumb-shift keyboard
    // typed, so that a text box takes it as it takes the text of a key.
    using ThumbShiftTyped = std::function<void(const QString &character)>;

    // `receiver` is the widget that gets the key events; losing the focus, or
    // its window closing, decides a character still pending.
    TypedInput(QWidget *receiver, KeyPress keyPress, ThumbShiftTyped typed = {});

    enum class KeyUse { Ignored, Typed, ThumbShift };
    KeyUse keyPressEvent(const QKeyEvent *event);
    void keyReleaseEvent(const QKeyEvent *event);
    // Whether it raised at least one key press.
    bool inputMethodEvent(const QInputMethodEvent *event);
    // Whether inputMethodEvent will take this event's preedit as typed.
    bool takesPreedit(const QInputMethodEvent *event) const;

    // Raises one key press per character of `text`; `thumb` where the
    // thumb-shift keyboard typed it.
    void type(QStringView text, const ThumbStroke *thumb = nullptr);

    // Each keystroke as the handler judged it: what it asked for just
    // before, what came (as the handler saw it), and for a kana of the
    // thumb-shift keyboard, how it was struck.
    struct Keystroke {
        QString asked;
        QString typed;
        const ThumbStroke *thumb;
    };
    void watchKeystrokes(std::function<QString()> askedFor, std::function<void(const Keystroke &)> judged);

    // Settings of its own, instead of the user's saved ones (a test field).
    void useThumbShiftSettings(const ThumbShiftSettings &settings);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    bool forThumbShift(const QKeyEvent *event) const;
    qint64 timeOf(const QKeyEvent *event);
    void typeStrokes(const QList<ThumbStroke> &strokes);
    void decideWhenDue();
    void releaseAll();
    void commitPreedit(const QString &preedit);

    KeyPress keyPress;
    ThumbShiftTyped thumbShiftTyped;
    std::function<QString()> askedFor;
    std::function<void(const Keystroke &)> judged;
    bool committing = false;
    bool commitArrived = false;
    bool discardingCommits = false;

    bool followsUserSettings = true;
    ThumbShiftSettings settings;
    ThumbShiftEngine engine;
    QTimer decisionTimer;
    // The engine's clock is the key events' time stamps; between events it
    // runs on from the last one.
    qint64 lastEventTime = 0;
    QElapsedTimer sinceLastEvent;
};

} // namespace kestova
