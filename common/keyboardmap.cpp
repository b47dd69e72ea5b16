#include "keyboardmap.h"

#include <QFrame>
#include <QLabel>
#include <QWidget>

namespace kestova {

using enum KeyRow;
using namespace finger;

const std::array<KeyFrame, FrameCount> KeyboardLayout{{
    {20, Top, 0, 0, Little, KeyLabel{40, u"ぁ"}, KeyLabel{41, u"。"}},
    {21, Top, 360, 0, Ring, KeyLabel{42, u"え"}, KeyLabel{43, u"か"}},
    {22, Top, 720, 0, Middle, KeyLabel{44, u"り"}, KeyLabel{45, u"た"}},
    {23, Top, 1080, 0, LeftIndex, KeyLabel{46, u"ゃ"}, KeyLabel{47, u"こ"}},
    {24, Top, 1440, 0, LeftIndex, KeyLabel{48, u"れ"}, KeyLabel{49, u"さ"}},
    {25, Top, 1800, 0, RightIndex, KeyLabel{50, u"よ"}, KeyLabel{51, u"ら"}},
    {26, Top, 2160, 0, RightIndex, KeyLabel{52, u"に"}, KeyLabel{53, u"ち"}},
    {27, Top, 2520, 0, Middle, KeyLabel{54, u"る"}, KeyLabel{55, u"く"}},
    {28, Top, 2880, 0, Ring, KeyLabel{56, u"ま"}, KeyLabel{57, u"つ"}},
    {29, Top, 3240, 0, Little, KeyLabel{58, u"ぇ"}, std::nullopt},
    {30, Top, 3600, 0, Little, std::nullopt, KeyLabel{59, u"、"}},

    {10, Home, 120, 360, Little, KeyLabel{20, u"を"}, KeyLabel{21, u"う"}},
    {11, Home, 480, 360, Ring, KeyLabel{22, u"あ"}, KeyLabel{23, u"し"}},
    {12, Home, 840, 360, Middle, KeyLabel{24, u"な"}, KeyLabel{25, u"て"}},
    {13, Home, 1200, 360, LeftIndex, KeyLabel{26, u"ゅ"}, KeyLabel{27, u"け"}},
    {14, Home, 1560, 360, LeftIndex, KeyLabel{28, u"も"}, KeyLabel{29, u"せ"}},
    {15, Home, 1920, 360, RightIndex, KeyLabel{30, u"み"}, KeyLabel{31, u"は"}},
    {16, Home, 2280, 360, RightIndex, KeyLabel{32, u"お"}, KeyLabel{33, u"と"}},
    {17, Home, 2640, 360, Middle, KeyLabel{34, u"の"}, KeyLabel{35, u"き"}},
    {18, Home, 3000, 360, Ring, KeyLabel{36, u"ょ"}, KeyLabel{37, u"い"}},
    {19, Home, 3360, 360, Little, KeyLabel{38, u"っ"}, KeyLabel{39, u"ん"}},

    {0, Bottom, 240, 720, Little, KeyLabel{0, u"ぅ"}, KeyLabel{1, u"。"}},
    {1, Bottom, 600, 720, Ring, KeyLabel{2, u"ー"}, KeyLabel{3, u"ひ"}},
    {2, Bottom, 960, 720, Middle, KeyLabel{4, u"ろ"}, KeyLabel{5, u"す"}},
    {3, Bottom, 1320, 720, LeftIndex, KeyLabel{6, u"や"}, KeyLabel{7, u"ふ"}},
    {4, Bottom, 1680, 720, LeftIndex, KeyLabel{8, u"ぃ"}, KeyLabel{9, u"へ"}},
    {5, Bottom, 2040, 720, RightIndex, KeyLabel{10, u"ぬ"}, KeyLabel{11, u"め"}},
    {6, Bottom, 2400, 720, RightIndex, KeyLabel{12, u"ゆ"}, KeyLabel{13, u"そ"}},
    {7, Bottom, 2760, 720, Middle, KeyLabel{14, u"む"}, KeyLabel{15, u"ね"}},
    {8, Bottom, 3120, 720, Ring, KeyLabel{16, u"わ"}, KeyLabel{17, u"ほ"}},
    {9, Bottom, 3480, 720, Little, KeyLabel{18, u"ぉ"}, KeyLabel{19, u"・"}},
}};

namespace {

QLabel *makeKeyLabel(QFrame *frame, const KeyLabel &key, bool thumbShift)
{
    auto *label = new QLabel(QString::fromUtf16(key.caption), frame);
    label->setObjectName(QStringLiteral("Label1_%1").arg(key.index));
    if (thumbShift) {
        QPalette palette = label->palette();
        palette.setColor(QPalette::WindowText, QColor(255, 0, 0));
        label->setPalette(palette);
    }
    label->move(Twips(KeyLabelPosTwips.x()), Twips(KeyLabelPosTwips.y()));
    label->adjustSize();
    label->hide();
    return label;
}

} // namespace

KeyboardMap BuildKeyboardMap(QWidget *window, QPoint originTwips)
{
    KeyboardMap map;
    for (const KeyFrame &key : KeyboardLayout) {
        auto *frame = new QFrame(window);
        frame->setObjectName(QStringLiteral("Frame1_%1").arg(key.index));
        frame->setFrameStyle(QFrame::Panel | QFrame::Sunken);
        frame->setAutoFillBackground(true);
        QPalette palette = frame->palette();
        palette.setColor(QPalette::Window, QColor::fromRgb(key.finger));
        frame->setPalette(palette);
        frame->setGeometry(Twips(originTwips.x() + key.left), Twips(originTwips.y() + key.top),
                           Twips(KeyFrameSizeTwips.width()), Twips(KeyFrameSizeTwips.height()));
        frame->show();
        map.Frame1[key.index] = frame;
        if (key.thumbShift)
            map.Label1[key.thumbShift->index] = makeKeyLabel(frame, *key.thumbShift, true);
        if (key.plain)
            map.Label1[key.plain->index] = makeKeyLabel(frame, *key.plain, false);
    }
    return map;
}

} // namespace kestova
