#include "keyboardmap.h"

#include <algorithm>
#include <cmath>

#include <QFrame>
#include <QLabel>
#include <QWidget>

namespace kestova {

using enum KeyRow;
using namespace finger;

const std::array<KeyFrame, FrameCount> KeyboardLayout{{
    {20, Top, 0, 0, Little, 24, {40, u"ぁ"}, {41, u"。"}, u""},
    {21, Top, 360, 0, Ring, 25, {42, u"え"}, {43, u"か"}, u"が"},
    {22, Top, 720, 0, Middle, 26, {44, u"り"}, {45, u"た"}, u"だ"},
    {23, Top, 1080, 0, LeftIndex, 27, {46, u"ゃ"}, {47, u"こ"}, u"ご"},
    {24, Top, 1440, 0, LeftIndex, 28, {48, u"れ"}, {49, u"さ"}, u"ざ"},
    {25, Top, 1800, 0, RightIndex, 29, {50, u"よ"}, {51, u"ら"}, u"ぱ"},
    {26, Top, 2160, 0, RightIndex, 30, {52, u"に"}, {53, u"ち"}, u"ぢ"},
    {27, Top, 2520, 0, Middle, 31, {54, u"る"}, {55, u"く"}, u"ぐ"},
    {28, Top, 2880, 0, Ring, 32, {56, u"ま"}, {57, u"つ"}, u"づ"},
    {29, Top, 3240, 0, Little, 33, {58, u"ぇ"}, {-1, u"，"}, u"ぴ"},
    {30, Top, 3600, 0, Little, 34, {-1, u""}, {59, u"、"}, u""},

    {10, Home, 120, 360, Little, 38, {20, u"を"}, {21, u"う"}, u"ヴ"},
    {11, Home, 480, 360, Ring, 39, {22, u"あ"}, {23, u"し"}, u"じ"},
    {12, Home, 840, 360, Middle, 40, {24, u"な"}, {25, u"て"}, u"で"},
    {13, Home, 1200, 360, LeftIndex, 41, {26, u"ゅ"}, {27, u"け"}, u"げ"},
    {14, Home, 1560, 360, LeftIndex, 42, {28, u"も"}, {29, u"せ"}, u"ぜ"},
    {15, Home, 1920, 360, RightIndex, 43, {30, u"み"}, {31, u"は"}, u"ば"},
    {16, Home, 2280, 360, RightIndex, 44, {32, u"お"}, {33, u"と"}, u"ど"},
    {17, Home, 2640, 360, Middle, 45, {34, u"の"}, {35, u"き"}, u"ぎ"},
    {18, Home, 3000, 360, Ring, 46, {36, u"ょ"}, {37, u"い"}, u"ぽ"},
    {19, Home, 3360, 360, Little, 47, {38, u"っ"}, {39, u"ん"}, u""},

    {0, Bottom, 240, 720, Little, 52, {0, u"ぅ"}, {1, u"。"}, u""},
    {1, Bottom, 600, 720, Ring, 53, {2, u"ー"}, {3, u"ひ"}, u"び"},
    {2, Bottom, 960, 720, Middle, 54, {4, u"ろ"}, {5, u"す"}, u"ず"},
    {3, Bottom, 1320, 720, LeftIndex, 55, {6, u"や"}, {7, u"ふ"}, u"ぶ"},
    {4, Bottom, 1680, 720, LeftIndex, 56, {8, u"ぃ"}, {9, u"へ"}, u"べ"},
    {5, Bottom, 2040, 720, RightIndex, 57, {10, u"ぬ"}, {11, u"め"}, u"ぷ"},
    {6, Bottom, 2400, 720, RightIndex, 58, {12, u"ゆ"}, {13, u"そ"}, u"ぞ"},
    {7, Bottom, 2760, 720, Middle, 59, {14, u"む"}, {15, u"ね"}, u"ぺ"},
    {8, Bottom, 3120, 720, Ring, 60, {16, u"わ"}, {17, u"ほ"}, u"ぼ"},
    {9, Bottom, 3480, 720, Little, 61, {18, u"ぉ"}, {19, u"・"}, u""},
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

QList<KanaPlace> KanaPlaces(double pixelsPerTwip, double margin)
{
    QList<KanaPlace> places;
    for (const KeyFrame &key : KeyboardLayout) {
        const QRectF frame(margin + key.left * pixelsPerTwip, margin + key.top * pixelsPerTwip, 360 * pixelsPerTwip, 360 * pixelsPerTwip);
        const double half = frame.height() / 2;
        for (const auto &[caption, place, plane] : {std::tuple{key.thumbShift.caption, frame.adjusted(0, 0, -frame.width() / 2, -half), KeyPlane::OwnThumb},
                 {key.otherThumb, frame.adjusted(frame.width() / 2, 0, 0, -half), KeyPlane::OtherThumb},
                 {key.plain.caption, frame.adjusted(0, half, 0, 0), KeyPlane::Plain}}) {
            if (*caption)
                places.append({place, QString::fromUtf16(caption), plane, &key});
        }
    }
    return places;
}

QColor KanaColour(KeyPlane plane, const QColor &plain)
{
    return plane == KeyPlane::OwnThumb ? QColor(153, 0, 0) : plane == KeyPlane::OtherThumb ? QColor(0, 51, 160) : plain;
}

// WCAG 2's contrast ratio of relative luminances.
double ContrastOf(const QColor &one, const QColor &other)
{
    const auto luminance = [](const QColor &colour) {
        const auto linear = [](double value) { return value <= 0.03928 ? value / 12.92 : std::pow((value + 0.055) / 1.055, 2.4); };
        return 0.2126 * linear(colour.redF()) + 0.7152 * linear(colour.greenF()) + 0.0722 * linear(colour.blueF());
    };
    const double first = luminance(one), second = luminance(other);
    return (std::max(first, second) + 0.05) / (std::min(first, second) + 0.05);
}

QSize KanaMapSize(double pixelsPerTwip, double margin)
{
    const QSize twips(3600 + KeyFrameSizeTwips.width(), 720 + KeyFrameSizeTwips.height());
    return QSize(int(twips.width() * pixelsPerTwip + 2 * margin), int(twips.height() * pixelsPerTwip + 2 * margin));
}

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
        if (key.thumbShift.index >= 0)
            map.Label1[key.thumbShift.index] = makeKeyLabel(frame, key.thumbShift, true);
        if (key.plain.index >= 0)
            map.Label1[key.plain.index] = makeKeyLabel(frame, key.plain, false);
    }
    return map;
}

} // namespace kestova
