#include "typingbox.h"

#include <QInputMethodEvent>
#include <QKeyEvent>

namespace kestova {

TypingBox::TypingBox(TypedInput::Typed typed, QWidget *parent, Judgements *judgements)
    : QLineEdit(parent), typedInput(this, std::move(typed), [this](const QString &character) { insert(character); }, judgements)
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

// Only what was typed now goes into the box. The preedit stays the input
// method's: shown here, it would be reset when the handler changes the
// text, and an input method reset drops the key it may still be holding.
void TypingBox::inputMethodEvent(QInputMethodEvent *event)
{
    QInputMethodEvent fresh;
    fresh.setCommitString(typedInput.takeCommit(event));
    QLineEdit::inputMethodEvent(&fresh);
    typedInput.takePreedit(event);
}

QVariant TypingBox::inputMethodQuery(Qt::InputMethodQuery query) const
{
    if (query == Qt::ImEnabled && !typedInput.acceptsInputMethod())
        return false;
    return QLineEdit::inputMethodQuery(query);
}

} // namespace kestova
