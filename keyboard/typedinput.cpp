#include "typedinput.h"

#include "inputmethods.h"
#include "layoutkeys.h"
#include "usersettings.h"

#include <QDateTime>
#include <QGuiApplication>
#include <QInputMethod>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QWidget>

#include <algorithm>
#include <utility>

using namespace Qt::StringLiterals;

namespace kestova {
namespace {

// A key event stamped before a decision's deadline may still be on its way
// from the display server when the deadline passes on this program's clock
// (which runs behind the server's by the time an event takes to arrive): a
// decision waits this much longer, and takes what is queued first.
constexpr qint64 InFlightMs = 2;

bool isAscii(QChar c)
{
    return c.unicode() <= 0x7F;
}

// The kana of a preedit, in order: romaji letters still on their way to a
// kana, or left standing before one, are no kana.
QString kanaOf(QStringView preedit)
{
    QString kana;
    for (QChar c : preedit) {
        if (!isAscii(c))
            kana.append(c);
    }
    return kana;
}

// Letters of a preedit that kana follow: no romaji on its way any more.
QString straysOf(QStringView preedit)
{
    const auto lastKana = std::find_if(preedit.rbegin(), preedit.rend(), [](QChar c) { return !isAscii(c); });
    QString letters;
    for (auto c = preedit.begin(); c != lastKana.base(); ++c) {
        if (isAscii(*c))
            letters.append(*c);
    }
    return letters;
}

// `counted` in order within `commit`, the rest of it new: nothing where the
// commit does not hold them all.
std::optional<QString> uncounted(QStringView commit, QStringView counted)
{
    QString fresh;
    qsizetype matched = 0;
    for (QChar c : commit) {
        if (matched < counted.size() && c == counted[matched])
            ++matched;
        else if (matched < counted.size() && !isAscii(c))
            return std::nullopt;
        else
            fresh.append(c);
    }
    return matched == counted.size() ? std::optional(fresh) : std::nullopt;
}

// A kana that ゛ or ゜ would make another: か, は, う.
bool mayBeVoiced(char32_t kana)
{
    for (const char32_t voiced : {char32_t(kana + 1), char32_t(kana + 2), U'ゔ', U'ヴ'}) {
        const QString parts = QString::fromUcs4(&voiced, 1).normalized(QString::NormalizationForm_D);
        if (parts.size() == 2 && parts[0].unicode() == kana)
            return true;
    }
    return false;
}

} // namespace

// A child of the receiver, whose keys it reads.
TypedInput::TypedInput(QWidget *receiver, Typed typed, TypedAside typedAside, Judgements *judgements)
    : QObject(receiver), receiver(receiver), typed(std::move(typed)), typedAside(std::move(typedAside)), judgements(judgements), judged(judgements),
      settings(LoadThumbShiftSettings()), engineAltKeys(LayoutKeys::instance().altKeys()), engine(settings, engineAltKeys),
      hold(receiver->window())
{
    stamped(0);
    decisionTimer.setSingleShot(true);
    decisionTimer.setTimerType(Qt::PreciseTimer); // a coarse timer may be 5 % late
    connect(&decisionTimer, &QTimer::timeout, this, &TypedInput::decideDue);
    connect(&UserSettingsChanges::instance(), &UserSettingsChanges::thumbShiftChanged, this, [this] {
        if (followsUserSettings)
            use(LoadThumbShiftSettings());
    });
    connect(&LayoutKeys::instance(), &LayoutKeys::changed, this, [this] { use(settings); });
    connect(&InputMethods::instance(), &InputMethods::changed, this, [this] { use(settings); });
    receiver->installEventFilter(this);
    if (receiver->window() != receiver)
        receiver->window()->installEventFilter(this);
    RawKeys::listen(receiver, [this](const RawKey &key) { return takeRawKey(key); });
}

TypedInput::~TypedInput()
{
    RawKeys::stopListening(receiver);
}

void TypedInput::useThumbShiftSettings(const ThumbShiftSettings &own)
{
    followsUserSettings = false;
    use(own);
}

// Nothing changed (a modifier learnt, the same settings saved again), a
// key under way is left to finish as it began.
void TypedInput::use(const ThumbShiftSettings &chosen)
{
    const QList<int> altKeys = LayoutKeys::instance().altKeys();
    const bool typing = builtInTypes();
    if (chosen == settings && altKeys == engineAltKeys && typing == typedBuiltIn)
        return;
    releaseAll();
    engineAltKeys = altKeys;
    typedBuiltIn = typing;
    engine = ThumbShiftEngine(settings = chosen, altKeys);
    if (receiver->hasFocus())
        QGuiApplication::inputMethod()->update(Qt::ImEnabled);
}

// The built-in keyboard types while it is on and no input method types Japanese.
bool TypedInput::builtInTypes() const
{
    return settings.enabled && !InputMethods::instance().typesJapanese();
}

bool TypedInput::acceptsInputMethod() const
{
    return !(settings.enabled && InputMethods::instance().composeOnly());
}

// Ctrl and Super combinations are shortcuts, never kana.
bool TypedInput::forThumbShift(const QKeyEvent *event) const
{
    return settings.enabled && !(event->modifiers() & (Qt::ControlModifier | Qt::MetaModifier))
            && engine.handles(int(event->nativeScanCode()));
}

qint64 TypedInput::stamped(qint64 time)
{
    lastEventTime = time;
    sinceLastEvent.restart();
    wallAtLastEvent = QDateTime::currentMSecsSinceEpoch();
    return time;
}

qint64 TypedInput::timeOf(const QKeyEvent *event)
{
    timedByArrival = timedByArrival || !event->timestamp();
    return stamped(timedByArrival ? now() : qint64(event->timestamp()));
}

qint64 TypedInput::now() const
{
    return lastEventTime + sinceLastEvent.elapsed();
}

// A time of the engine's clock on the wall clock, for the record: the clocks
// are paired when an event comes, so that typing reads neither.
qint64 TypedInput::wallClockOf(qint64 time) const
{
    return wallAtLastEvent + (time - lastEventTime);
}

// The window holds the keyboard while the built-in keyboard types and one of
// its thumb keys is an Alt key, which desktops pair with Space and others.
void TypedInput::holdIfWanted()
{
    const QList<int> altKeys = LayoutKeys::instance().altKeys();
    hold.holdIf(builtInTypes() && std::any_of(altKeys.cbegin(), altKeys.cend(), [this](int code) { return engine.thumbHand(code) != ThumbHand::None; }));
}

// A key as the X server sent it, before Qt and the input method.
bool TypedInput::takeRawKey(const RawKey &key)
{
    const bool typing = builtInTypes();
    if (key.kind == RawKey::FocusOut || key.kind == RawKey::FocusIn) {
        const bool ours = hold.ownGrabMoving(key);
        // The desktop took the keyboard for a shortcut (Alt+Tab): a thumb
        // held is that shortcut's modifier, and the keys held are let go
        // where this window never sees it.
        if (!ours && key.kind == RawKey::FocusOut && key.state == RawKey::Grab) {
            typeStrokes(engine.otherKey(now()));
            typeStrokes(engine.releaseAll(now()));
        }
        return ours;
    }
    hold.keyCame(key);
    holdIfWanted();
    if (!typing || !engine.handles(key.keyCode) || (key.kind == RawKey::Press && key.state & (RawKey::Control | RawKey::Super))) {
        // A key outside the layout decides what is pending; Alt goes with it.
        if (key.kind == RawKey::Press && typing && LayoutKeys::instance().roleOf(key.keyCode) <= KeyRole::Other) {
            typeStrokes(engine.otherKey(stamped(key.time)));
            decideWhenDue();
        }
        return hold.handBack(key);
    }
    timedByArrival = false;
    if (key.kind == RawKey::Press)
        keyDown(key.keyCode, stamped(key.time));
    else
        keyUp(key.keyCode, stamped(key.time));
    return true;
}

void TypedInput::keyDown(int code, qint64 time)
{
    if (const ThumbHand hand = engine.thumbHand(code); hand != ThumbHand::None && judgements)
        judgements->thumbDown(time, hand);
    // The repeats X leaves unmarked the engine tells by their time.
    typeStrokes(engine.keyDown(code, time));
    decideWhenDue();
}

void TypedInput::keyUp(int code, qint64 time)
{
    typeStrokes(engine.keyUp(code, time));
    decideWhenDue();
}

TypedInput::KeyUse TypedInput::keyPressEvent(const QKeyEvent *event)
{
    LayoutKeys::instance().learn(event);
    holdIfWanted();
    // An input method forwarding keys may leave out their codes: the key
    // that types the event's keysym, where only one does.
    QKeyEvent known(event->type(), event->key(), event->modifiers(), event->nativeScanCode()
                        ? event->nativeScanCode() : quint32(LayoutKeys::instance().keyCodeOf(event->nativeVirtualKey())),
                    event->nativeVirtualKey(), event->nativeModifiers(), event->text(), event->isAutoRepeat());
    known.setTimestamp(event->timestamp());
    if (forThumbShift(&known)) {
        // A repeat Qt marks is of a key still held. On Wayland Qt repeats by
        // itself, stamped with the first press's time: the engine would take
        // its release for one back then, and its clock would jump back.
        if (event->isAutoRepeat())
            return KeyUse::ThumbShift;
        // A character key given back by an input method that said it types
        // Japanese: it does not, and the keys go to the built-in keyboard.
        if (engine.thumbHand(int(known.nativeScanCode())) == ThumbHand::None)
            InputMethods::instance().gaveBackKey();
        keyDown(int(known.nativeScanCode()), timeOf(event));
        return KeyUse::ThumbShift;
    }
    const QString text = event->text();
    // A key of the layout that came with no code to tell it by: never its
    // Latin letter in a kana trainer.
    if (settings.enabled && !known.nativeScanCode() && text.size() == 1 && text[0].isLetter() && isAscii(text[0]))
        return KeyUse::ThumbShift;
    if (text.isEmpty())
        return KeyUse::Ignored;
    // A kana still pending was typed before this key.
    const qint64 time = timeOf(event);
    if (settings.enabled) {
        typeStrokes(engine.otherKey(time));
        decideWhenDue();
    }
    type(text, {wallClockOf(time), nullptr, !(event->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier))});
    return KeyUse::Typed;
}

// Releases count whatever the modifiers now, so that no key stays down for the engine.
void TypedInput::keyReleaseEvent(const QKeyEvent *event)
{
    const int code = int(event->nativeScanCode() ? event->nativeScanCode() : LayoutKeys::instance().keyCodeOf(event->nativeVirtualKey()));
    if (settings.enabled && !event->isAutoRepeat() && engine.handles(code))
        keyUp(code, timeOf(event));
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
    hold.release();
    // A window being destroyed has lost its judgements first: nothing of it
    // may be called any more.
    const QList<ThumbStroke> pending = engine.releaseAll(now());
    if (judged && !judgements)
        return;
    typeStrokes(pending);
    if (judgements)
        judgements->settle();
}

void TypedInput::typeStrokes(const QList<ThumbStroke> &strokes)
{
    for (ThumbStroke stroke : strokes) {
        if (stroke.thumbAlone) { // types only a space asked for, with Space
            if (stroke.keyCode != keycode::Space || !spaceAsked || (stroke.character = spaceAsked()).isEmpty())
                continue;
        }
        type(stroke.character, {wallClockOf(stroke.pressedAt), &stroke});
        if (typedAside)
            typedAside(stroke.character);
    }
}

// `voicesLast`: the kana is the one typed last, made voiced in the preedit
// (か with ゛: が), one attempt with it.
// An input method tells no times: its kana count as typed when they come.
void TypedInput::typeAside(QStringView text, bool voicesLast)
{
    for (qsizetype i = 0; i < text.size(); ++i) {
        const qsizetype length = text[i].isHighSurrogate() && i + 1 < text.size() ? 2 : 1;
        const QString character = text.mid(i, length).toString();
        type(character, {QDateTime::currentMSecsSinceEpoch(), nullptr, true, true, voicesLast});
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
        holdIfWanted();
        break;
    case QEvent::FocusOut:
    case QEvent::Hide:
    case QEvent::Close:
    case QEvent::WindowDeactivate:
        releaseAll();
        showPreedit({});
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
    // A stray letter it sends counts now.
    QString fresh;
    if (const std::optional<QString> rest = uncounted(commit, countedPreedit)) {
        fresh = *rest;
        countedPreedit.clear();
        strays.clear();
    } else if (countedPreedit.startsWith(commit)) {
        countedPreedit = countedPreedit.mid(commit.size());
    } else { // a conversion: the preedit after it may hold kana counted before
        convertedFrom = std::exchange(countedPreedit, QString());
        strays.clear();
    }
    type(fresh, {QDateTime::currentMSecsSinceEpoch()});
    return fresh;
}

void TypedInput::takePreedit(const QInputMethodEvent *event)
{
    const QString preedit = event->preeditString();
    const QString kana = kanaOf(preedit);
    // Stray letters gone from the preedit were dropped: each counts now.
    const QString standing = straysOf(preedit);
    for (qsizetype kept = 0; QChar letter : std::exchange(strays, standing)) {
        if (kept < standing.size() && standing[kept] == letter)
            ++kept;
        else
            typeAside(QString(letter));
    }
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
        typeAside(QStringView(kana).last(1), true); // its last kana made voiced (か with ゛: が)
    }
    // Otherwise kana were taken back or converted: nothing new was typed.
    countedPreedit = kana;
    convertedFrom.clear();
    preeditKnown = true;
    showPreedit(preedit);
}

// What the input method holds, under the receiver's text cursor, where a
// learner looks: the trainers never put it in their boxes, whose text they
// change at every key.
void TypedInput::showPreedit(const QString &preedit)
{
    if (preedit.isEmpty()) {
        if (preeditShown)
            preeditShown->hide();
        return;
    }
    if (!preeditShown) {
        preeditShown = new QLabel(receiver->window());
        preeditShown->setObjectName(u"preedit"_s);
        preeditShown->setAttribute(Qt::WA_TransparentForMouseEvents);
        preeditShown->setStyleSheet(u"QLabel { background: white; color: black; border: 1px solid gray; text-decoration: underline; }"_s);
    }
    const QRect cursor = receiver->inputMethodQuery(Qt::ImCursorRectangle).toRect();
    preeditShown->setText(preedit);
    preeditShown->adjustSize();
    preeditShown->move(receiver->mapTo(receiver->window(), cursor.bottomLeft() + QPoint(0, 2)));
    preeditShown->raise();
    preeditShown->show();
}

QString TypedInput::inputMethodEvent(const QInputMethodEvent *event)
{
    QString fresh = takeCommit(event);
    takePreedit(event);
    return fresh;
}

// Control characters (Return, Esc, BackSpace, Tab, Delete) are no answer.
void TypedInput::type(QStringView text, const HowTyped &how)
{
    for (qsizetype i = 0; i < text.size(); ++i) {
        const qsizetype length = text[i].isHighSurrogate() && i + 1 < text.size() ? 2 : 1;
        const char32_t character = length == 2 ? QChar::surrogateToUcs4(text[i], text[i + 1]) : text[i].unicode();
        if (judgements) {
            judgements->typing({how.answers && QChar::isPrint(character), how.pressedAt, how.thumb ? std::optional(*how.thumb) : std::nullopt,
                                how.fromPreedit && mayBeVoiced(character), how.voicesLast});
        }
        typed(text.mid(i, length).toString());
        if (judgements)
            judgements->typed();
        i += length - 1;
    }
}

} // namespace kestova
