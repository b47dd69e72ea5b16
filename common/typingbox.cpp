#include "typingbox.h"

#include <QInputMethodEvent>
#include <QKeyEvent>

namespace kestova {

TypingBox::TypingBox(TypedInput::KeyPress keyPress, QWidget *parent)
    : QLineEdit(parent), typedInput(this, std::move(keyPress), [this](const QString &character) { insert(character); })
{
}

// The keys of the thumb-shift keyboard type through it, never as themselves.
void TypingBox::keyPressEvent(QKeyEvent *event)
{
    if (typedInput.keyPressEvent(event) != TypedInput::KeyUse::ThumbShift)
        QLineEdit::keyPressEvent(event);
}

void TypingBox::keyReleaseEvent(QKeyEvent *event)
{
    typedInput.keyReleaseEvent(event);
    QLineEdit::keyReleaseEvent(event);
}

void TypingBox::inputMethodEvent(QInputMethodEvent *event)
{
    const bool preeditTaken = typedInput.takesPreedit(event);
    typedInput.inputMethodEvent(event);
    if (!preeditTaken) {
        QLineEdit::inputMethodEvent(event);
        return;
    }
    // The kana held as preedit is committed now; its commit has already put
    // it into the box, so the box must not show it again as preedit.
    QInputMethodEvent withoutPreedit;
    withoutPreedit.setCommitString(event->commitString(), event->replacementStart(),
                                   event->replacementLength());
    QLineEdit::inputMethodEvent(&withoutPreedit);
}

} // namespace kestova
