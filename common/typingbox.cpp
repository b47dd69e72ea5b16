#include "typingbox.h"

#include <QInputMethodEvent>
#include <QKeyEvent>

namespace kestova {

TypingBox::TypingBox(TypedInput::KeyPress keyPress, QWidget *parent)
    : QLineEdit(parent), typedInput(std::move(keyPress))
{
}

void TypingBox::keyPressEvent(QKeyEvent *event)
{
    typedInput.keyEvent(event);
    QLineEdit::keyPressEvent(event);
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
