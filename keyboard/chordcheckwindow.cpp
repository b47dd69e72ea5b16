#include "chordcheckwindow.h"

#include "kanamap.h"
#include "keycodes.h"

#include <QDialogButtonBox>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QScrollArea>
#include <QVBoxLayout>

using namespace Qt::StringLiterals;

namespace kestova {
namespace {

QString thumbKeysOf(ThumbHand hand, const ThumbShiftSettings &settings)
{
    QStringList names;
    for (int code : hand == ThumbHand::Left ? settings.leftThumbKeys : settings.rightThumbKeys)
        names.append(KeyName(code));
    return u"%1の親指キー（%2）"_s.arg(hand == ThumbHand::Left ? u"左"_s : u"右"_s, names.join(u"・"_s));
}

} // namespace

ChordCheckWindow::ChordCheckWindow(const ThumbShiftSettings &settings, QWidget *parent)
    : QDialog(parent), settings(settings), check(settings), hold(this)
{
    setObjectName(u"chordCheck"_s);
    setWindowTitle(u"キーボードの確認"_s);
    auto *intro = new QLabel(u"光っているキーを、光っている親指キーと一緒に押して、離してください。"
                             u"キーがふたつ光ったら、親指キーを押したまま両方を押します。"
                             u"どの組み合わせがキーボードから届くかを確かめます。"_s, this);
    intro->setWordWrap(true);
    chordAsked = new QLabel(this);
    chordAsked->setObjectName(u"chordAsked"_s);
    QFont large = chordAsked->font();
    large.setPointSizeF(large.pointSizeF() * 1.4);
    chordAsked->setFont(large);
    tryNote = new QLabel(this);
    tryNote->setWordWrap(true);
    map = new KanaMap(KanaMap::ThumbKeys::Shown, this);
    missingChords = new QLabel(this);
    missingChords->setObjectName(u"missingChords"_s);
    missingChords->setWordWrap(true);
    missingChords->setTextFormat(Qt::PlainText);
    missingChords->setTextInteractionFlags(Qt::TextSelectableByMouse);
    missingChords->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    // The result in the map's place, however long.
    resultArea = new QScrollArea(this);
    resultArea->setWidget(missingChords);
    resultArea->setWidgetResizable(true);
    resultArea->setFrameShape(QFrame::NoFrame);
    resultArea->setFocusPolicy(Qt::NoFocus);
    resultArea->hide();

    auto *buttons = new QDialogButtonBox(this);
    giveUp = buttons->addButton(u"押しても届かない"_s, QDialogButtonBox::ActionRole);
    askAgain = buttons->addButton(u"届かなかった組み合わせをもう一度"_s, QDialogButtonBox::ActionRole);
    closeButton = buttons->addButton(u"閉じる"_s, QDialogButtonBox::RejectRole);
    // Every key goes to the check, Space and Return too, never to a button.
    for (QPushButton *button : {giveUp, askAgain, closeButton}) {
        button->setFocusPolicy(Qt::NoFocus);
        button->setAutoDefault(false);
    }
    askAgain->hide();

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(intro);
    layout->addWidget(chordAsked);
    layout->addWidget(tryNote);
    layout->addWidget(map, 0, Qt::AlignHCenter);
    layout->addWidget(resultArea, 1);
    layout->addWidget(buttons);

    connect(giveUp, &QPushButton::clicked, this, [this] {
        check.giveUp();
        showAsked();
    });
    connect(askAgain, &QPushButton::clicked, this, [this] {
        check.askMissingAgain();
        resultArea->hide();
        map->show();
        askAgain->hide();
        giveUp->show();
        showAsked();
    });
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    setAttribute(Qt::WA_InputMethodEnabled, false);
    setFocusPolicy(Qt::StrongFocus);
    setFocus();
    RawKeys::listen(this, [this](const RawKey &key) { return takeRawKey(key); });
    showAsked();
}

ChordCheckWindow::~ChordCheckWindow()
{
    RawKeys::stopListening(this);
}

QString ChordCheckWindow::keyboard() const
{
    return keyboardName;
}

bool ChordCheckWindow::ours(int keyCode) const
{
    return ThumbShiftEngine::handOfKey(keyCode) != ThumbHand::None || settings.leftThumbKeys.contains(keyCode)
        || settings.rightThumbKeys.contains(keyCode);
}

// Under X11, the keys as the server sent them, the window holding the
// keyboard so that no thumb chord opens a desktop menu.
bool ChordCheckWindow::takeRawKey(const RawKey &key)
{
    if (key.kind == RawKey::FocusOut || key.kind == RawKey::FocusIn) {
        const bool own = hold.ownGrabMoving(key);
        // The desktop took the keyboard for a shortcut (Alt+Tab): the keys
        // held are let go where this window never sees it.
        if (!own && key.kind == RawKey::FocusOut && key.state == RawKey::Grab)
            check.forgetKeys();
        return own;
    }
    hold.keyCame(key);
    hold.holdIf(true);
    if (!ours(key.keyCode)) {
        if (key.kind == RawKey::Press)
            check.otherKey();
        return hold.handBack(key);
    }
    if (key.kind == RawKey::Press)
        keyDown(key.keyCode);
    else
        keyUp(key.keyCode);
    return true;
}

void ChordCheckWindow::keyPressEvent(QKeyEvent *event)
{
    const int code = int(event->nativeScanCode());
    if (!ours(code)) {
        check.otherKey();
        return QDialog::keyPressEvent(event);
    }
    if (!event->isAutoRepeat())
        keyDown(code);
}

void ChordCheckWindow::keyReleaseEvent(QKeyEvent *event)
{
    const int code = int(event->nativeScanCode());
    if (!ours(code))
        return QDialog::keyReleaseEvent(event);
    if (!event->isAutoRepeat())
        keyUp(code);
}

// Keys held as the window loses the keyboard are let go where it never
// sees it: the try in hand is forgotten, not counted.
void ChordCheckWindow::changeEvent(QEvent *event)
{
    if (event->type() == QEvent::ActivationChange) {
        if (isActiveWindow()) {
            hold.holdIf(true);
        } else {
            hold.release();
            check.forgetKeys();
        }
    }
    QDialog::changeEvent(event);
}

void ChordCheckWindow::keyDown(int keyCode)
{
    if (const QString name = RawKeys::keyboardName(); !name.isEmpty())
        keyboardName = name;
    // A key let go into a window manager's grab (Alt+Tab) is never seen to
    // go up here: the server tells which keys are down.
    if (const QList<int> held = check.keysDown(); !held.isEmpty() && !RawKeys::allDown(held))
        check.forgetKeys();
    check.keyDown(keyCode);
}

void ChordCheckWindow::keyUp(int keyCode)
{
    const int failedBefore = check.failedTries();
    const int stepBefore = check.stepNumber();
    if (check.keyUp(keyCode) || check.stepNumber() != stepBefore) {
        tryNote->clear();
        showAsked();
    } else if (check.slippedLastTry()) {
        tryNote->setText(u"光っているのとは違うキーでした（数えません）。光っているキーと親指キーでどうぞ。"_s);
    } else if (check.failedTries() > failedBefore) {
        tryNote->setText(u"届きませんでした。全部のキーを押したまま、もう一度押してください。"_s);
    }
}

void ChordCheckWindow::showAsked()
{
    const AskedChord *asked = check.asked();
    if (!asked)
        return finish();
    const QString keys = asked->keys.size() == 1 ? KeyName(asked->keys.first()) : KeyName(asked->keys[0]) + u"と"_s + KeyName(asked->keys[1]);
    chordAsked->setText(u"%1：%2＋%3　（%4／%5）"_s.arg(asked->kana(), keys, thumbKeysOf(asked->thumb, settings))
                            .arg(check.stepNumber() + 1)
                            .arg(check.stepCount()));
    map->light(asked->kana(), asked->thumb);
}

void ChordCheckWindow::finish()
{
    const KeyboardCheck result{keyboardName, QDateTime::currentDateTime(), int(check.verdicts().size()), check.missing(), ChordAdvice(check.verdicts(), settings)};
    SaveKeyboardCheck(result);
    QStringList lines;
    if (result.missing.isEmpty()) {
        lines.append(u"%1から、%2の組み合わせがすべて届きました。"_s.arg(KeyboardTitle(keyboardName)).arg(result.chords));
    } else {
        lines.append(u"%1から届かなかった組み合わせ（%2のうち%3）："_s.arg(KeyboardTitle(keyboardName)).arg(result.chords).arg(result.missing.size()));
        for (const ChordVerdict &verdict : result.missing)
            lines.append(u"・"_s + verdict.asked.name());
        lines.append(QString());
    }
    lines.append(result.advice);
    missingChords->setText(lines.join(u'\n'));
    resultArea->setMinimumHeight(map->height());
    map->hide();
    resultArea->show();
    chordAsked->setText(u"確認が終わりました。"_s);
    tryNote->clear();
    map->light({}, ThumbHand::None);
    giveUp->hide();
    askAgain->setVisible(!result.missing.isEmpty());
    emit checked(result);
}

} // namespace kestova
