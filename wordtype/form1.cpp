#include "form1.h"

#include "autosizelabel.h"
#include "keypress.h"
#include "twips.h"
#include "typingbox.h"

#include <QEvent>
#include <QLabel>
#include <QPushButton>

using namespace Qt::StringLiterals;

namespace wordtype {

using kestova::Twips;
using kestova::TwipsRect;

namespace {

constexpr QSize ClientTwips{4680, 5130};
constexpr QPoint MapOriginTwips{360, 3420};
constexpr qint16 MaxCount = 32767;
constexpr qint16 MinCount = -32768;

// The arrows' own small face. The classic Japanese UI gothic is not on Linux;
// the IPA proportional gothic has the nearest metrics.
QFont arrowFont()
{
    const QString classicGothic = u"ＭＳ Ｐゴシック"_s;
    if (QFont::substitutes(classicGothic).isEmpty())
        QFont::insertSubstitution(classicGothic, u"IPAPGothic"_s);
    return QFont(classicGothic, 6, QFont::Normal);
}

} // namespace

Form1::Form1(QWidget *parent) : QWidget(parent)
{
    setObjectName(u"Form1"_s);
    setWindowTitle(u"KestovaC 1.00"_s);
    setFixedSize(Twips(ClientTwips.width()), Twips(ClientTwips.height()));

    auto *typingBox = new kestova::TypingBox(kestova::AsKeyPress([this](qint16 &KeyAscii) { Text1_KeyPress(KeyAscii); }), this, &judgements);
    // Space as a thumb key types no space of its own: struck alone, it types
    // the one a word asks for.
    typingBox->typeSpacesAskedBy([this] {
        const QString next = Label3->text().left(1);
        return next == u" " || next == u"　" ? next : QString();
    });
    Text1 = typingBox;
    Text1->setObjectName(u"Text1"_s);
    Text1->setGeometry(TwipsRect(480, 240, 375, 375));

    Command1 = new QPushButton(u"キーボード表示/非表示"_s, this);
    Command1->setObjectName(u"Command1"_s);
    Command1->setGeometry(TwipsRect(2040, 240, 2175, 375));
    connect(Command1, &QPushButton::clicked, this, &Form1::Command1_Click);

    Label3 = new kestova::AutoSizeLabel(u"Label3"_s, QString(), {600, 1080}, this);
    Label4 = new kestova::AutoSizeLabel(u"Label4"_s, u"繰り返し回数"_s, {180, 1560}, this);

    txtCount = new QLineEdit(u"10"_s, this);
    txtCount->setObjectName(u"txtCount"_s);
    txtCount->setGeometry(TwipsRect(1200, 1500, 555, 270));
    txtCount->installEventFilter(this);

    const std::array<QString, 2> arrows{u"▲"_s, u"▼"_s};
    const std::array<QRect, 2> arrowPlaces{TwipsRect(1740, 1500, 195, 120),
                                           TwipsRect(1740, 1620, 195, 165)};
    for (int i = 0; i < 2; ++i) {
        cmdUpDown[i] = new QPushButton(arrows[i], this);
        cmdUpDown[i]->setObjectName(u"cmdUpDown_%1"_s.arg(i));
        cmdUpDown[i]->setFont(arrowFont());
        cmdUpDown[i]->setGeometry(arrowPlaces[i]);
        connect(cmdUpDown[i], &QPushButton::clicked, this, [this, i] { cmdUpDown_Click(qint16(i)); });
    }

    Label5 = new kestova::AutoSizeLabel(u"Label5"_s, u"回"_s, {1980, 1560}, this);

    const kestova::KeyboardMap map = kestova::BuildKeyboardMap(this, MapOriginTwips);
    Frame1Array = map.Frame1;
    Label1 = map.Label1;

    Label2 = new kestova::AutoSizeLabel(u"Label2"_s, u"IMEの変換モードを「無変換」にしてください。"_s,
                                        {600, 4680}, this);

    setTabOrder(Text1, Command1);
    setTabOrder(Command1, cmdUpDown[0]);
    setTabOrder(cmdUpDown[0], cmdUpDown[1]);
    setTabOrder(cmdUpDown[1], txtCount);
}

bool Form1::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == txtCount && event->type() == QEvent::FocusIn)
        txtCount_GotFocus();
    return QWidget::eventFilter(watched, event);
}

void Form1::cmdUpDown_Click(qint16 Index)
{
    // At the ends of the 16-bit range the count stays where it is.
    if (Index == 0) {
        if (RepeatCount < MaxCount)
            ++RepeatCount;
        txtCount->setText(QString::number(RepeatCount));
    } else if (Index == 1) {
        if (RepeatCount > MinCount)
            --RepeatCount;
        if (RepeatCount == 0)
            RepeatCount = 1;
        txtCount->setText(QString::number(RepeatCount));
    }
    Text1->setFocus();
}

void Form1::txtCount_GotFocus()
{
    Text1->setFocus();
}

void Form1::Command1_Click()
{
    const bool shown = !Frame1Array[0]->isHidden();
    for (QFrame *frame : Frame1Array)
        frame->setVisible(!shown);
    Text1->setFocus();
}

} // namespace wordtype
