#include "typedinput.h"

#include "codepage.h"
#include "usersettings.h"

#include <QGuiApplication>
#include <QInputMethod>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QWidget>

#include <algorithm>
#include <utility>

namespace kestova {
namespace {

// A key event stamped before a decision's deadline may still be on its way
// from the display server when the deadline passes on this program's clock
// (which runs behind the server's by the time an event takes to arrive): a
// decision waits this much longer, and takes what is queued first.
constexpr qint64 InFlightMs = 2;

// The kana at the front of a preedit; romaji still on their way to a kana
// come after them.
QString leadingKana(const QString &preedit)
{
    const auto ascii = std::find_if(preedit.cbegin(), preedit.cend(), [](QChar c) { return c.unicode() <= 0x7F; });
    return preedit.first(ascii - preedit.cbegin());
}

// Qt's own compose handling, not an input method, is what a program gets
// where none is chosen; it would swallow dead keys.
bool noInputMethodChosen()
{
    const QByteArray module = qgetenv("QT_IM_MODULE");
    return module.isEmpty() || module == "compose" || module == "none";
}

} // namespace

// A child of the receiver, whose keys it reads.
TypedInput::TypedInput(QWidget *receiver, KeyPress keyPress, TypedAside typed, Judgements *judgements)
    : QObject(receiver), receiver(receiver), keyPress(std::move(keyPress)), typedAside(std::move(typed)), judgements(judgements),
      settings(LoadThumbShiftSettings()), engine(settings)
{
    sinceLastEvent.start();
    decisionTimer.setSingleShot(true);
    decisionTimer.setTimerType(Qt::PreciseTimer); // a coarse timer may be 5 % late
    connect(&decisionTimer, &QTimer::timeout, this, &TypedInput::decideDue);
    connect(&UserSettingsChanges::instance(), &UserSettingsChanges::thumbShiftChanged, this, [this] {
        if (followsUserSettings)
            use(LoadThumbShiftSettings());
    });
    receiver->installEventFilter(this);
    if (receiver->window() != receiver)
        receiver->window()->installEventFilter(this);
}

void TypedInput::useThumbShiftSettings(const ThumbShiftSettings &own)
{
    followsUserSettings = false;
    use(own);
}

void TypedInput::use(const ThumbShiftSettings &chosen)
{
    releaseAll();
    engine = ThumbShiftEngine(settings = chosen);
    if (receiver->hasFocus())
        QGuiApplication::inputMethod()->update(Qt::ImEnabled);
}

bool TypedInput::acceptsInputMethod() const
{
    return !(settings.enabled && noInputMethodChosen());
}

// Ctrl and Super combinations are shortcuts, never kana.
bool TypedInput::forThumbShift(const QKeyEvent *event) const
{
    return settings.enabled && !(event->modifiers() & (Qt::ControlModifier | Qt::MetaModifier))
            && engine.handles(int(event->nativeScanCode()));
}

qint64 TypedInput::timeOf(const QKeyEvent *event)
{
    lastEventTime = event->timestamp() ? qint64(event->timestamp()) : now();
    sinceLastEvent.restart();
    return lastEventTime;
}

qint64 TypedInput::now() const
{
    return lastEventTime + sinceLastEvent.elapsed();
}

TypedInput::KeyUse TypedInput::keyPressEvent(const QKeyEvent *event)
{
    if (forThumbShift(event)) {
        // A repeat Qt marks is of a key still held. On Wayland Qt repeats by
        // itself, stamped with the first press's time: the engine would take
        // its release for one back then, and its clock would jump back.
        if (event->isAutoRepeat())
            return KeyUse::ThumbShift;
        const int code = int(event->nativeScanCode());
        const qint64 time = timeOf(event);
        if (const ThumbHand hand = engine.thumbHand(code); hand != ThumbHand::None && judgements)
            judgements->thumbDown(time, hand);
        // The repeats X leaves unmarked the engine tells by their time.
        typeStrokes(engine.keyDown(code, time));
        decideWhenDue();
        return KeyUse::ThumbShift;
    }
    const QString text = event->text();
    if (text.isEmpty())
        return KeyUse::Ignored;
    // A kana still pending was typed before this key.
    if (settings.enabled)
        typeStrokes(engine.settle(timeOf(event)));
    type(text, nullptr, !(event->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier)));
    return KeyUse::Typed;
}

// Releases count whatever the modifiers now, so that no key stays down for the engine.
void TypedInput::keyReleaseEvent(const QKeyEvent *event)
{
    if (settings.enabled && !event->isAutoRepeat() && engine.handles(int(event->nativeScanCode()))) {
        typeStrokes(engine.keyUp(int(event->nativeScanCode()), timeOf(event)));
        decideWhenDue();
    }
}

void TypedInput::decideWhenDue()
{
    if (draining)
        return; // decideDue() looks again once the queue is drained
    if (const std::optional<qint64> due = engine.deadline())
        decisionTimer.start(int(std::max<qint64>(0, *due + InFlightMs - now())));
    else
        decisionTimer.stop();
}

// Key events that a busy program has not yet taken may be stamped before the
// deadline: a round trip to the display server brings every event it sent
// before, they are taken first, and the deadline is looked at again in
// their time.
void TypedInput::decideDue()
{
    if (draining)
        return;
    draining = true;
    QGuiApplication::sync();
    draining = false;
    if (const std::optional<qint64> due = engine.deadline(); due && *due + InFlightMs <= now())
        typeStrokes(engine.timeReached(*due));
    decideWhenDue();
}

void TypedInput::releaseAll()
{
    decisionTimer.stop();
    typeStrokes(engine.releaseAll(now()));
}

void TypedInput::typeStrokes(const QList<ThumbStroke> &strokes)
{
    for (const ThumbStroke &stroke : strokes) {
        type(stroke.character, &stroke);
        if (typedAside)
            typedAside(stroke.character);
    }
}

void TypedInput::typeAside(QStringView text)
{
    for (qsizetype i = 0; i < text.size(); ++i) {
        const qsizetype length = text[i].isHighSurrogate() && i + 1 < text.size() ? 2 : 1;
        const QString character = text.mid(i, length).toString();
        type(character);
        if (typedAside)
            typedAside(character);
        i += length - 1;
    }
}

bool TypedInput::eventFilter(QObject *, QEvent *event)
{
    switch (event->type()) {
    case QEvent::FocusIn:
        preeditKnown = false;
        break;
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

QString TypedInput::takeCommit(const QInputMethodEvent *event)
{
    const QString commit = event->commitString();
    if (commit.isEmpty())
        return {};
    // A commit confirms the preedit: what of it was counted is not typed
    // again, and what of the counted kana it leaves stays in the preedit.
    QString fresh;
    if (commit.startsWith(countedPreedit)) {
        fresh = commit.mid(countedPreedit.size());
        countedPreedit.clear();
    } else if (countedPreedit.startsWith(commit)) {
        countedPreedit = countedPreedit.mid(commit.size());
    } else { // a conversion: the preedit after it may hold kana counted before
        convertedFrom = std::exchange(countedPreedit, QString());
    }
    type(fresh);
    return fresh;
}

void TypedInput::takePreedit(const QInputMethodEvent *event)
{
    const QString kana = leadingKana(event->preeditString());
    if (!convertedFrom.isEmpty()) {
        qsizetype counted = kana.size();
        while (counted > 0 && !convertedFrom.endsWith(kana.left(counted)))
            --counted;
        typeAside(QStringView(kana).mid(counted));
    } else if (kana.startsWith(countedPreedit)) {
        typeAside(QStringView(kana).mid(countedPreedit.size()));
    } else if (!preeditKnown) { // after the focus came back: a preedit begun afresh
        typeAside(kana);
    } else if (kana.size() == countedPreedit.size() && kana.chopped(1) == countedPreedit.chopped(1)
               && kana.back().decomposition().startsWith(countedPreedit.back())) {
        typeAside(QStringView(kana).last(1)); // its last kana made voiced (か with ゛: が)
    }
    // Otherwise kana were taken back or converted: nothing new was typed.
    countedPreedit = kana;
    convertedFrom.clear();
    preeditKnown = true;
}

QString TypedInput::inputMethodEvent(const QInputMethodEvent *event)
{
    QString fresh = takeCommit(event);
    takePreedit(event);
    return fresh;
}

// Control characters (Return, Esc, BackSpace, Tab, Delete) are no answer.
void TypedInput::type(QStringView text, const ThumbStroke *thumb, bool answers)
{
    for (qsizetype i = 0; i < text.size(); ++i) {
        const qsizetype length = text[i].isHighSurrogate() && i + 1 < text.size() ? 2 : 1;
        qint16 KeyAscii = KeyAsciiFromCharacter(text.mid(i, length));
        const char32_t character = length == 2 ? QChar::surrogateToUcs4(text[i], text[i + 1]) : text[i].unicode();
        if (judgements)
            judgements->typing(thumb, answers && QChar::isPrint(character));
        keyPress(KeyAscii);
        if (judgements)
            judgements->typed();
        i += length - 1;
    }
}

} // namespace kestova
