#include "kanamap.h"

#include <QHelpEvent>
#include <QPainter>
#include <QMouseEvent>
#include <QToolTip>

using namespace Qt::StringLiterals;

namespace kestova {
namespace {

// Twips to pixels at two and a half times the trainers' map, so that three
// kana to a key read easily.
constexpr double Scale = 2.5 / 15;
constexpr int Margin = 8;
// The thumb keys' row below the bottom row, in twips.
constexpr int ThumbRowTop = 1130, ThumbRowHeight = 300;

QColor fingerColour(const QString &, QColor finger)
{
    return finger;
}

} // namespace

KanaMap::KanaMap(ThumbKeys thumbKeys, QWidget *parent)
    : QWidget(parent), thumbKeys(thumbKeys), places(KanaPlaces(Scale, Margin)), colours(fingerColour)
{
}

QSize KanaMap::sizeHint() const
{
    const QSize keys = KanaMapSize(Scale, Margin);
    if (thumbKeys == ThumbKeys::Hidden)
        return keys;
    return keys + QSize(0, int((ThumbRowTop + ThumbRowHeight - 720 - KeyFrameSizeTwips.height()) * Scale));
}

void KanaMap::colourBy(Colours given)
{
    colours = given ? std::move(given) : fingerColour;
    update();
}

void KanaMap::light(const QString &kana, ThumbHand thumb)
{
    lit = kana;
    litHand = thumb;
    update();
}

void KanaMap::tellBy(std::function<QString(const QString &)> given)
{
    tell = std::move(given);
    setMouseTracking(bool(tell));
}

// Under the bottom row's left and right halves.
QRectF KanaMap::thumbKey(ThumbHand hand) const
{
    const int left = hand == ThumbHand::Left ? 1080 : 2040;
    return QRectF(Margin + left * Scale, Margin + ThumbRowTop * Scale, 840 * Scale, ThumbRowHeight * Scale);
}

void KanaMap::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    QFont font = painter.font();
    font.setPixelSize(int(360 * Scale * 0.3));
    painter.setFont(font);
    const QColor litFill = QColor::fromRgb(HintFill);
    const QColor plainText = palette().color(QPalette::WindowText);
    for (const KanaPlace &at : std::as_const(places)) {
        const bool isLit = !at.kana.isEmpty() && lit.contains(at.kana);
        const QColor finger = QColor::fromRgb(at.key->finger);
        painter.setPen(QPen(isLit ? Qt::black : finger.darker(130), isLit ? 3 : 1.5));
        painter.setBrush(isLit ? litFill : colours(at.kana, finger));
        painter.drawRect(at.place.adjusted(1, 1, -1, -1));
        painter.setPen(KanaColour(at.plane, plainText));
        painter.drawText(at.place, Qt::AlignCenter, at.kana);
    }
    if (thumbKeys == ThumbKeys::Hidden)
        return;
    for (const auto &[hand, name] : {std::pair{ThumbHand::Left, u"左親指"_s}, {ThumbHand::Right, u"右親指"_s}}) {
        const bool isLit = hand == litHand;
        painter.setPen(QPen(isLit ? Qt::black : Qt::gray, isLit ? 3 : 1.5));
        painter.setBrush(isLit ? litFill : palette().color(QPalette::Button));
        painter.drawRoundedRect(thumbKey(hand).adjusted(1, 1, -1, -1), 4, 4);
        painter.setPen(palette().color(QPalette::ButtonText));
        painter.drawText(thumbKey(hand), Qt::AlignCenter, name);
    }
}

QString KanaMap::kanaAt(const QPointF &point) const
{
    for (const KanaPlace &at : places) {
        if (at.place.contains(point))
            return at.kana;
    }
    return {};
}

void KanaMap::mouseReleaseEvent(QMouseEvent *event)
{
    if (const QString kana = kanaAt(event->position()); !kana.isEmpty() && event->button() == Qt::LeftButton)
        emit kanaClicked(kana, event->globalPosition().toPoint());
    QWidget::mouseReleaseEvent(event);
}

bool KanaMap::event(QEvent *event)
{
    if (event->type() != QEvent::ToolTip || !tell)
        return QWidget::event(event);
    const auto *help = static_cast<QHelpEvent *>(event);
    if (const QString kana = kanaAt(help->pos()); !kana.isEmpty()) {
        QToolTip::showText(help->globalPos(), tell(kana), this);
        return true;
    }
    QToolTip::hideText();
    event->ignore();
    return true;
}

} // namespace kestova
