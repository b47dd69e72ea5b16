#include "typedinput.h"

#include "codepage.h"

#include <QGuiApplication>
#include <QInputMethod>
#include <QInputMethodEvent>
#include <QKeyEvent>

#include <algorithm>

namespace kestova {
namespace {

bool holdsNonAscii(const QString &text)
{
    return std::any_of(text.cbegin(), text.cend(), [](QChar c) { return c.unicode() > 0x7F; });
}

} // namespace

TypedInput::TypedInput(KeyPress keyPress) : keyPress(std::move(keyPress))
{
}

bool TypedInput::keyEvent(const QKeyEvent *event)
{
    const QString text = event->text();
    if (text.isEmpty())
        return false;
    type(text);
    return true;
}

bool TypedInput::inputMethodEvent(const QInputMethodEvent *event)
{
    if (discardingCommits)
        return false;
    bool typed = false;
    if (!event->commitString().isEmpty()) {
        commitArrived = true;
        type(event->commitString());
        typed = true;
    }
    if (takesPreedit(event)) {
        commitPreedit(event->preeditString());
        typed = true;
    }
    return typed;
}

bool TypedInput::takesPreedit(const QInputMethodEvent *event) const
{
    return !committing && !discardingCommits && holdsNonAscii(event->preeditString());
}

// fcitx5 and IBus answer a commit request at once with a commit event, which
// lands in inputMethodEvent above while we wait here. Where nothing answers,
// the preedit counts as typed as it stands and the input method drops it; a
// commit it sends while dropping would count the same kana twice.
void TypedInput::commitPreedit(const QString &preedit)
{
    committing = true;
    commitArrived = false;
    QGuiApplication::inputMethod()->commit();
    committing = false;
    if (!commitArrived) {
        type(preedit);
        discardingCommits = true;
        QGuiApplication::inputMethod()->reset();
        discardingCommits = false;
    }
}

void TypedInput::type(QStringView text)
{
    for (qsizetype i = 0; i < text.size(); ++i) {
        const qsizetype length = text[i].isHighSurrogate() && i + 1 < text.size() ? 2 : 1;
        qint16 KeyAscii = KeyAsciiFromCharacter(text.mid(i, length));
        keyPress(KeyAscii);
        i += length - 1;
    }
}

} // namespace kestova
