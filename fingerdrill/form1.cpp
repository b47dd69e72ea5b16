#include "form1.h"

#include "autosizelabel.h"
#include "keypress.h"
#include "platform.h"
#include "runtimeerror.h"
#include "twips.h"
#include "typingbox.h"

#include <QCloseEvent>
#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <QTimer>

using namespace Qt::StringLiterals;

namespace fingerdrill {

using kestova::Twips;
using kestova::TwipsRect;

namespace {

constexpr QSize ClientTwips{10110, 4185};

// Finger button captions per group; they are also the keys of the finger
// lists and of the seconds in Mirelo.ini. An empty caption is no finger.
const std::array<QString, FingerCount> OneFingerCaptions{
    u"左小指"_s, u"左薬指"_s, u"左中指"_s, u"左人差指左"_s, u"左人差指右"_s,
    u"右人差指左"_s, u"右人差指右"_s, u"右中指"_s, u"右薬指"_s, u"右小指"_s,
};
const std::array<QString, FingerCount> TwoFingerCaptions{
    u"左小指"_s, u"左薬・中指"_s, u"左人差指"_s, u"右人差指"_s, u"右中・薬指"_s,
    u"右小指"_s, {}, {}, {}, {},
};
const QString OneFingerGroup = u"指１本"_s;
const QString TwoFingerGroup = u"指２本"_s;

const QStringList UsageLines{
    u"使い方"_s,
    u"①Q's Nicolatter を起動状態にする"_s,
    u"②IMEを 無変換 にする"_s,
    u"③右のコンボボックスで、練習したいものを選ぶ"_s,
    u"④左の練習したい指のボタンを押す"_s,
    u"⑤出てきた字を左から順番に打っていく"_s,
};

// The captions of a group's buttons; nothing for a text that names no group.
const std::array<QString, FingerCount> *captionsOf(const QString &group)
{
    if (group == OneFingerGroup)
        return &OneFingerCaptions;
    if (group == TwoFingerGroup)
        return &TwoFingerCaptions;
    return nullptr;
}

// Left hand's five buttons above, right hand's below; each seconds label
// stands under its button.
QPoint buttonTwips(int i)
{
    return {360 + 1080 * (i % 5), i < 5 ? 240 : 960};
}

QPoint secondsTwips(int i)
{
    return buttonTwips(i) + QPoint(120, 480);
}

QLabel *makeLabel(const QString &name, const QString &caption, QWidget *parent)
{
    auto *label = new QLabel(caption, parent);
    label->setObjectName(name);
    label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    return label;
}

} // namespace

Form1::Form1(QWidget *parent) : QWidget(parent)
{
    setObjectName(u"Form1"_s);
    setWindowTitle(u"Kestova 1.00"_s);
    setFixedSize(Twips(ClientTwips.width()), Twips(ClientTwips.height()));

    Timer1 = new QTimer(this);
    Timer1->setObjectName(u"Timer1"_s);
    Timer1->setInterval(1000);
    connect(Timer1, &QTimer::timeout, this, &Form1::Timer1_Timer);
    Timer1->start();

    Combo1 = new QComboBox(this);
    Combo1->setObjectName(u"Combo1"_s);
    Combo1->addItems({OneFingerGroup, TwoFingerGroup});
    Combo1->setCurrentIndex(-1);
    Combo1->setGeometry(TwipsRect(7560, 240, 1695, 300));
    connect(Combo1, &QComboBox::activated, this, &Form1::Combo1_Click);

    Text1 = new kestova::TypingBox(kestova::AsKeyPress([this](qint16 &KeyAscii) { Text1_KeyPress(KeyAscii); }), this, &judgements);
    Text1->setObjectName(u"Text1"_s);
    Text1->setGeometry(TwipsRect(6120, 240, 855, 375));

    for (int i = 0; i < FingerCount; ++i) {
        Command1[i] = new QPushButton(OneFingerCaptions[i], this);
        Command1[i]->setObjectName(u"Command1_%1"_s.arg(i));
        Command1[i]->setGeometry(QRect(Twips(buttonTwips(i)), QSize(Twips(1095), Twips(375))));
        // A click on a button without a finger selects nothing, but the
        // typing box keeps the keys all the same.
        connect(Command1[i], &QPushButton::clicked, this, [this, i] {
            Command1_Click(qint16(i));
            Text1->setFocus();
        });
    }
    for (int i = 0; i < FingerCount; ++i) {
        Label4[i] = new kestova::AutoSizeLabel(u"Label4_%1"_s.arg(i), u"Label4"_s, secondsTwips(i), this);
    }
    Label3 = new kestova::AutoSizeLabel(u"Label3"_s, UsageLines.join(u'\n'), {3000, 2880}, this);

    for (int i = 0; i < LineLength; ++i) {
        Label2[i] = makeLabel(u"Label2_%1"_s.arg(i), u"Label2"_s, this);
        Label2[i]->setGeometry(TwipsRect(240 + 480 * i, 2280, 375, 375));
    }
    for (int i = 0; i < LineLength; ++i) {
        Label1[i] = makeLabel(u"Label1_%1"_s.arg(i), u"Label1"_s, this);
        Label1[i]->setGeometry(TwipsRect(240 + 480 * i, 1800, 375, 375));
    }

    setTabOrder(Text1, Combo1);
    setTabOrder(Combo1, Command1[0]);
    for (int i = 1; i < FingerCount; ++i)
        setTabOrder(Command1[i - 1], Command1[i]);
}

// Setting the selected item from code raises the click event, as choosing
// it does.
void Form1::SetListIndex(int index)
{
    Combo1->setCurrentIndex(index);
    Combo1_Click();
}

void Form1::Form_Load()
{
    IniPath = kestova::ProgramFolder() + u"/Mirelo.ini"_s;
    LoadFingerSeconds();
    SetListIndex(0);
}

void Form1::Combo1_Click()
{
    using kestova::SkipOnError;
    SkipOnError([this] { SaveFingerSeconds(); });
    if (const auto *captions = captionsOf(Combo1->currentText())) {
        for (int i = 0; i < FingerCount; ++i)
            Command1[i]->setText((*captions)[i]);
    }
    SkipOnError([this] { LoadFingerSeconds(); });
    SkipOnError([this] { Command1_Click(0); });
}

void Form1::Command1_Click(qint16 Index)
{
    using kestova::SkipOnError;
    if (Command1.at(Index)->text().isEmpty())
        return;
    FingerName = Command1[Index]->text();
    GroupName = Combo1->currentText();
    SelectedFinger = Index;
    SkipOnError([this] { ShowDrillLine(); });
    Text1->setFocus();
}

void Form1::closeEvent(QCloseEvent *event)
{
    Form_Unload();
    event->accept();
}

} // namespace fingerdrill
