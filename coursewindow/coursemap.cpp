#include "coursemap.h"

#include <QPainter>

using namespace Qt::StringLiterals;

namespace kestova::course {
namespace {

// As the record window's map: two and a half times the trainers' map.
constexpr double Scale = 2.5 / 15;
constexpr int Margin = 8;
// The thumb keys' row below the bottom row, in twips.
constexpr int ThumbRowTop = 1130, ThumbRowHeight = 300;

QColor colourOf(std::optional<double> confidence)
{
    if (!confidence)
        return QColor::fromRgb(UnpractisedFill);
    return QColor::fromRgb(KnownFills[*confidence >= 1 ? 0 : *confidence >= 0.8 ? 1 : *confidence >= 0.5 ? 2 : 3]);
}

} // namespace

CourseMap::CourseMap(QWidget *parent) : QWidget(parent), places(KanaPlaces(Scale, Margin))
{
    setObjectName(u"courseMap"_s);
}

QSize CourseMap::sizeHint() const
{
    return KanaMapSize(Scale, Margin) + QSize(0, int((ThumbRowTop + ThumbRowHeight - 720 - KeyFrameSizeTwips.height()) * Scale));
}

void CourseMap::hint(const QString &kana, ThumbHand hand)
{
    hinted = kana, thumb = hand, confidence.reset();
    update();
}

void CourseMap::showConfidence(const QHash<QString, double> &known)
{
    hinted.clear(), thumb = ThumbHand::None, confidence = known;
    update();
}

// Under the bottom row's left and right halves, where the thumbs rest.
QRectF CourseMap::thumbKey(ThumbHand hand) const
{
    const int left = hand == ThumbHand::Left ? 1080 : 2040;
    return QRectF(Margin + left * Scale, Margin + ThumbRowTop * Scale, 840 * Scale, ThumbRowHeight * Scale);
}

void CourseMap::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    QFont font = painter.font();
    font.setPixelSize(int(360 * Scale * 0.3));
    painter.setFont(font);
    const QColor lit = QColor::fromRgb(HintFill);
    for (const KanaPlace &at : std::as_const(places)) {
        const bool isHinted = at.kana == hinted;
        const QColor finger = QColor::fromRgb(at.key->finger);
        painter.setPen(QPen(isHinted ? Qt::black : finger.darker(130), isHinted ? 3 : 1.5));
        painter.setBrush(confidence ? colourOf(confidence->contains(at.kana) ? std::optional(confidence->value(at.kana)) : std::nullopt)
                                    : isHinted ? lit : finger);
        painter.drawRect(at.place.adjusted(1, 1, -1, -1));
        painter.setPen(KanaColour(at.plane, palette().color(QPalette::WindowText)));
        painter.drawText(at.place, Qt::AlignCenter, at.kana);
    }
    for (const auto &[hand, name] : {std::pair{ThumbHand::Left, u"左親指"_s}, {ThumbHand::Right, u"右親指"_s}}) {
        painter.setPen(QPen(hand == thumb ? Qt::black : Qt::gray, hand == thumb ? 3 : 1.5));
        painter.setBrush(hand == thumb ? lit : palette().color(QPalette::Button));
        painter.drawRoundedRect(thumbKey(hand).adjusted(1, 1, -1, -1), 4, 4);
        painter.setPen(palette().color(QPalette::ButtonText));
        painter.drawText(thumbKey(hand), Qt::AlignCenter, name);
    }
}

} // namespace kestova::course
