#pragma once

#include <QString>
#include <QtGlobal>

#include <functional>

class QInputMethodEvent;
class QKeyEvent;

namespace kestova {

// Turns what Qt delivers into the classic key-press event: one call per typed
// character with its code page 932 code. Characters come as key events, as
// input-method commits, and as preedit: Linux engines such as Anthy hold kana
// as preedit until confirmed, so a preedit that already holds a non-ASCII
// character is committed at once and counts. ASCII preedit (romaji on its way
// to a kana) is left to the input method.
class TypedInput {
public:
    using KeyPress = std::function<void(qint16 &KeyAscii)>;
    explicit TypedInput(KeyPress keyPress);

    // Each returns whether it raised at least one key press.
    bool keyEvent(const QKeyEvent *event);
    bool inputMethodEvent(const QInputMethodEvent *event);

    // Whether inputMethodEvent will take this event's preedit as typed.
    bool takesPreedit(const QInputMethodEvent *event) const;

    // Raises one key press per character of `text`.
    void type(QStringView text);

private:
    void commitPreedit(const QString &preedit);

    KeyPress keyPress;
    bool committing = false;
    bool commitArrived = false;
    bool discardingCommits = false;
};

} // namespace kestova
