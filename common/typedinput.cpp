#include "typedinput.h"

#include "codepage.h"
#include "usersettings.h"

#include <QGuiApplication>
#include <QInputMethod>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QWidget>

#include <algorithm>

namespace kestova {
namespace {

bool holdsNonAscii(const QString &text)
{
    return std::any_of(text.cbegin(), text.cend(), [](QChar c) { return c.unicode() > 0x7F; });
}

} // namespace

// A child of the receiver, so that whoever holds the window can find it.
TypedInput::TypedInput(QWidget *receiver, KeyPress keyPress, ThumbShiftTyped typed)
    : QObject(receiver), keyPress(std::move(keyPress)), thumbShiftTyped(std::move(typed)), settings(LoadThumbShiftSettings()), engine(settings)
{
    sinceLastEvent.start();
    decisionTimer.setSingleShot(true);
    connect(&decisionTimer, &QTimer::timeout, this, [this] {
        if (const std::optional<qint64> due = engine.Deadline()) {
            lastEventTime = *due;
            sinceLastEvent.restart();
            typeStrokes(engine.TimeReached(*due));
        }
        decideWhenDue();
    });
    connect(&UserSettingsChanges::instance(), &UserSettingsChanges::thumbShiftChanged, this, [this] {
        if (followsUserSettings) {
            releaseAll();
            engine = ThumbShiftEngine(settings = LoadThumbShiftSettings());
        }
    });
    receiver->installEventFilter(this);
    if (receiver->window() != receiver)
        receiver->window()->installEventFilter(this);
}

void TypedInput::useThumbShiftSettings(const ThumbShiftSettings &own)
{
    releaseAll();
    followsUserSettings = false;
    engine = ThumbShiftEngine(settings = own);
}

// Ctrl and Super combinations are shortcuts, never kana.
bool TypedInput::forThumbShift(const QKeyEvent *event) const
{
    return settings.enabled && !(event->modifiers() & (Qt::ControlModifier | Qt::MetaModifier))
            && engine.Handles(int(event->nativeScanCode()));
}

qint64 TypedInput::timeOf(const QKeyEvent *event)
{
    lastEventTime = event->timestamp() ? qint64(event->timestamp()) : lastEventTime + sinceLastEvent.elapsed();
    sinceLastEvent.restart();
    return lastEventTime;
}

TypedInput::KeyUse TypedInput::keyPressEvent(const QKeyEvent *event)
{
    if (forThumbShift(event)) {
        // Auto-repeat as the engine tells it: X marks only some repeats.
        typeStrokes(engine.KeyDown(int(event->nativeScanCode()), timeOf(event)));
        decideWhenDue();
        return KeyUse::ThumbShift;
    }
    const QString text = event->text();
    if (text.isEmpty())
        return KeyUse::Ignored;
    // A kana still pending was typed before this key.
    if (settings.enabled)
        typeStrokes(engine.Settle(timeOf(event)));
    type(text);
    return KeyUse::Typed;
}

// Releases count whatever the modifiers now, so that no key stays down for the engine.
void TypedInput::keyReleaseEvent(const QKeyEvent *event)
{
    if (settings.enabled && engine.Handles(int(event->nativeScanCode()))) {
        typeStrokes(engine.KeyUp(int(event->nativeScanCode()), timeOf(event)));
        decideWhenDue();
    }
}

void TypedInput::decideWhenDue()
{
    if (const std::optional<qint64> due = engine.Deadline())
        decisionTimer.start(int(std::max<qint64>(0, *due - (lastEventTime + sinceLastEvent.elapsed()))));
    else
        decisionTimer.stop();
}

void TypedInput::releaseAll()
{
    decisionTimer.stop();
    typeStrokes(engine.ReleaseAll(lastEventTime + sinceLastEvent.elapsed()));
}

void TypedInput::typeStrokes(const QList<ThumbStroke> &strokes)
{
    for (const ThumbStroke &stroke : strokes) {
        type(stroke.character, &stroke);
        if (thumbShiftTyped)
            thumbShiftTyped(stroke.character);
    }
}

bool TypedInput::eventFilter(QObject *, QEvent *event)
{
    switch (event->type()) {
    case QEvent::FocusOut:
    case QEvent::Hide:
    case QEvent::Close:
    case QEvent::WindowDeactivate:
        releaseAll();
        break;
    default:
        break;
    }
    return false;
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

void TypedInput::type(QStringView text, const ThumbStroke *thumb)
{
    for (qsizetype i = 0; i < text.size(); ++i) {
        const qsizetype length = text[i].isHighSurrogate() && i + 1 < text.size() ? 2 : 1;
        qint16 KeyAscii = KeyAsciiFromCharacter(text.mid(i, length));
        const QString asked = judged ? askedFor() : QString();
        keyPress(KeyAscii);
        if (judged)
            judged({asked, CharacterFromKeyAscii(KeyAscii), thumb});
        i += length - 1;
    }
}

void TypedInput::watchKeystrokes(std::function<QString()> asked, std::function<void(const Keystroke &)> judgement)
{
    askedFor = std::move(asked);
    judged = std::move(judgement);
}

} // namespace kestova
