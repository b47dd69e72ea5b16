#include "thumbshiftdialog.h"

#include "chordcheckwindow.h"
#include "keycodes.h"
#include "layoutkeys.h"
#include "typingbox.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QSpinBox>

using namespace Qt::StringLiterals;

namespace kestova {
namespace {

const QString SetCaption = u"押して決める"_s;

QString namesOf(const QList<int> &keyCodes)
{
    QStringList names;
    for (int code : keyCodes)
        names.append(KeyName(code));
    return names.join(u"、"_s);
}

} // namespace

ThumbShiftDialog::ThumbShiftDialog(const ThumbShiftSettings &initial, QWidget *parent) : QDialog(parent), settings(initial)
{
    setWindowTitle(u"親指シフトの設定"_s);
    enabled = new QCheckBox(u"内蔵の親指シフトを使う（入力メソッドを使わないとき）"_s, this);
    continuous = new QCheckBox(u"親指キーを押している間は続けてシフトする（連続シフト）"_s, this);
    leftKeys = new QLabel(this);
    rightKeys = new QLabel(this);
    setLeft = new QPushButton(SetCaption, this);
    setRight = new QPushButton(SetCaption, this);
    windowMs = new QSpinBox(this);
    windowMs->setRange(ThumbShiftSettings::ShortestWindowMs, ThumbShiftSettings::LongestWindowMs);
    windowMs->setSuffix(u" ミリ秒"_s);
    tryField = new TypingBox([](const QString &) {}, this);
    for (QPushButton *button : {setLeft, setRight})
        button->setAutoDefault(false);

    auto *form = new QFormLayout;
    form->addRow(enabled);
    for (const auto &[caption, keys, button] : {std::tuple{u"左の親指キー："_s, leftKeys, setLeft}, {u"右の親指キー："_s, rightKeys, setRight}}) {
        auto *row = new QHBoxLayout;
        row->addWidget(keys, 1);
        row->addWidget(button);
        form->addRow(caption, row);
    }
    note = new QLabel(this);
    note->setWordWrap(true);
    form->addRow(note);
    form->addRow(u"同時に押したとみなす間隔："_s, windowMs);
    form->addRow(continuous);
    form->addRow(u"試し打ち："_s, tryField);
    checkKeyboard = new QPushButton(u"キーボードの確認…"_s, this);
    checkKeyboard->setAutoDefault(false);
    form->addRow(u"親指キーと同時に押せるか："_s, checkKeyboard);
    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel | QDialogButtonBox::RestoreDefaults, this);
    buttons->button(QDialogButtonBox::Ok)->setText(u"決定"_s);
    buttons->button(QDialogButtonBox::Cancel)->setText(u"キャンセル"_s);
    buttons->button(QDialogButtonBox::RestoreDefaults)->setText(u"既定に戻す"_s);
    form->addRow(buttons);
    setLayout(form);

    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(buttons->button(QDialogButtonBox::RestoreDefaults), &QPushButton::clicked, this, [this] { showSettings(ThumbShiftSettings()); });
    connect(setLeft, &QPushButton::clicked, this, [this] { capture(&settings.leftThumbKeys, setLeft); });
    connect(checkKeyboard, &QPushButton::clicked, this, [this] {
        auto *check = new ChordCheckWindow(settings, this);
        check->setAttribute(Qt::WA_DeleteOnClose);
        check->open();
    });
    connect(setRight, &QPushButton::clicked, this, [this] { capture(&settings.rightThumbKeys, setRight); });
    connect(enabled, &QCheckBox::toggled, this, [this](bool on) {
        settings.enabled = on;
        changed();
    });
    connect(continuous, &QCheckBox::toggled, this, [this](bool on) {
        settings.continuousShift = on;
        changed();
    });
    connect(windowMs, &QSpinBox::valueChanged, this, [this](int ms) {
        settings.windowMs = ms;
        changed();
    });
    showSettings(settings);
    tryField->setFocus();
}

void ThumbShiftDialog::showSettings(const ThumbShiftSettings &shown)
{
    settings = shown;
    enabled->setChecked(shown.enabled);
    continuous->setChecked(shown.continuousShift);
    windowMs->setValue(shown.windowMs);
    changed();
}

void ThumbShiftDialog::changed()
{
    leftKeys->setText(namesOf(settings.leftThumbKeys));
    rightKeys->setText(namesOf(settings.rightThumbKeys));
    tryField->useThumbShiftSettings(settings);
}

// The next key pressed, wherever the focus is, becomes the thumb key.
void ThumbShiftDialog::capture(QList<int> *thumbKeys, QPushButton *button)
{
    capturing = thumbKeys;
    button->setText(u"キーを押してください…"_s);
    grabKeyboard();
}

// Tab too is a key to capture, not a move to the next control.
bool ThumbShiftDialog::event(QEvent *event)
{
    if (capturing && event->type() == QEvent::KeyPress) {
        keyPressEvent(static_cast<QKeyEvent *>(event));
        return true;
    }
    return QDialog::event(event);
}

void ThumbShiftDialog::keyPressEvent(QKeyEvent *event)
{
    if (!capturing)
        return QDialog::keyPressEvent(event);
    releaseKeyboard();
    const int code = int(event->nativeScanCode());
    const QList<int> &otherHand = capturing == &settings.leftThumbKeys ? settings.rightThumbKeys : settings.leftThumbKeys;
    note->clear();
    if (event->key() != Qt::Key_Escape) { // Escape keeps the keys as they were
        LayoutKeys::instance().learn(event);
        const QString refusal = WhyNoThumbKey(code, LayoutKeys::instance().roleOf(code));
        if (!refusal.isEmpty()) {
            note->setText(refusal);
        } else if (otherHand == QList<int>{code}) {
            note->setText(u"%1 はもう一方の手のただ一つの親指キーです。先にそちらを別のキーにしてください。"_s.arg(KeyName(code)));
        } else { // a key is a thumb key of one hand only
            settings.leftThumbKeys.removeAll(code);
            settings.rightThumbKeys.removeAll(code);
            *capturing = {code};
        }
    }
    capturing = nullptr;
    setLeft->setText(SetCaption);
    setRight->setText(SetCaption);
    changed();
}

} // namespace kestova
