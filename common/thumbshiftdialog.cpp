#include "thumbshiftdialog.h"

#include "typingbox.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QSpinBox>

namespace kestova {
namespace {

const QString SetCaption = u"押して決める"_qs;

QString namesOf(const QList<int> &keyCodes)
{
    QStringList names;
    for (int code : keyCodes)
        names.append(KeyName(code));
    return names.join(u"、"_qs);
}

} // namespace

QString KeyName(int keyCode)
{
    static const QMap<int, QString> names{
        {102, u"無変換"_qs}, {100, u"変換"_qs}, {101, u"カタカナ/ひらがな"_qs}, {65, u"スペース"_qs},
        {64, u"左Alt"_qs}, {108, u"右Alt"_qs}, {37, u"左Ctrl"_qs}, {105, u"右Ctrl"_qs},
        {50, u"左Shift"_qs}, {62, u"右Shift"_qs}, {133, u"左Windows"_qs}, {134, u"右Windows"_qs},
        {66, u"Caps Lock"_qs}, {23, u"Tab"_qs}, {22, u"BackSpace"_qs}, {36, u"Enter"_qs}};
    return names.value(keyCode, u"キー番号 %1"_qs.arg(keyCode));
}

ThumbShiftDialog::ThumbShiftDialog(const ThumbShiftSettings &initial, QWidget *parent) : QDialog(parent), settings(initial)
{
    setWindowTitle(u"親指シフトの設定"_qs);
    enabled = new QCheckBox(u"内蔵の親指シフトを使う（入力メソッドを使わないとき）"_qs, this);
    leftKeys = new QLabel(this);
    rightKeys = new QLabel(this);
    setLeft = new QPushButton(SetCaption, this);
    setRight = new QPushButton(SetCaption, this);
    windowMs = new QSpinBox(this);
    windowMs->setRange(ThumbShiftSettings::ShortestWindowMs, ThumbShiftSettings::LongestWindowMs);
    windowMs->setSuffix(u" ミリ秒"_qs);
    tryField = new TypingBox([](qint16 &) {}, this);
    for (QPushButton *button : {setLeft, setRight})
        button->setAutoDefault(false);

    auto *form = new QFormLayout;
    form->addRow(enabled);
    for (const auto &[caption, keys, button] : {std::tuple{u"左の親指キー："_qs, leftKeys, setLeft}, {u"右の親指キー："_qs, rightKeys, setRight}}) {
        auto *row = new QHBoxLayout;
        row->addWidget(keys, 1);
        row->addWidget(button);
        form->addRow(caption, row);
    }
    note = new QLabel(this);
    note->setWordWrap(true);
    form->addRow(note);
    form->addRow(u"同時に押したとみなす間隔："_qs, windowMs);
    form->addRow(u"試し打ち："_qs, tryField);
    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel | QDialogButtonBox::RestoreDefaults, this);
    buttons->button(QDialogButtonBox::RestoreDefaults)->setText(u"既定に戻す"_qs);
    form->addRow(buttons);
    setLayout(form);

    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(buttons->button(QDialogButtonBox::RestoreDefaults), &QPushButton::clicked, this, [this] { showSettings(ThumbShiftSettings()); });
    connect(setLeft, &QPushButton::clicked, this, [this] { capture(&settings.leftThumbKeys, setLeft); });
    connect(setRight, &QPushButton::clicked, this, [this] { capture(&settings.rightThumbKeys, setRight); });
    connect(enabled, &QCheckBox::toggled, this, [this](bool on) { settings.enabled = on, changed(); });
    connect(windowMs, &QSpinBox::valueChanged, this, [this](int ms) { settings.windowMs = ms, changed(); });
    showSettings(settings);
    tryField->setFocus();
}

void ThumbShiftDialog::showSettings(const ThumbShiftSettings &shown)
{
    settings = shown;
    enabled->setChecked(shown.enabled);
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
    button->setText(u"キーを押してください…"_qs);
    grabKeyboard();
}

void ThumbShiftDialog::keyPressEvent(QKeyEvent *event)
{
    if (!capturing)
        return QDialog::keyPressEvent(event);
    releaseKeyboard();
    const int code = int(event->nativeScanCode());
    const QList<int> &otherHand = capturing == &settings.leftThumbKeys ? settings.rightThumbKeys : settings.leftThumbKeys;
    note->clear();
    const bool pressed = event->key() != Qt::Key_Escape && code > 0 && code < 256; // Escape keeps the keys as they were
    if (pressed && !ThumbShiftEngine().CharacterOf(code, ThumbShiftEngine::Hand::None).isEmpty()) {
        note->setText(u"%1 はかなを打つキーなので、親指キーにはできません。"_qs.arg(KeyName(code)));
    } else if (pressed && otherHand == QList<int>{code}) {
        note->setText(u"%1 はもう一方の手のただ一つの親指キーです。先にそちらを別のキーにしてください。"_qs.arg(KeyName(code)));
    } else if (pressed) { // a key is a thumb key of one hand only
        settings.leftThumbKeys.removeAll(code);
        settings.rightThumbKeys.removeAll(code);
        *capturing = {code};
    }
    capturing = nullptr;
    setLeft->setText(SetCaption);
    setRight->setText(SetCaption);
    changed();
}

} // namespace kestova
