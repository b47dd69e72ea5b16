#include "keyheatmap.h"

#include "keyboardmap.h"

#include <QHelpEvent>
#include <QPainter>
#include <QToolTip>

namespace kestova::record {
namespace {

// Twips to pixels at twice the trainers' map, so that kana read easily.
constexpr double Scale = 2.0 / 15;
const QSize MapTwips{3600 + 375, 720 + 435};
constexpr int Margin = 8;

QColor heatOf(const KanaTally &tally)
{
    if (tally.attempts == 0)
        return QColor(225, 225, 225);
    const double missed = double(tally.misses) / tally.attempts;
    return QColor::fromRgbF(1.0f, float(1 - missed * 0.85), float(1 - missed * 0.85));
}

} // namespace

KeyHeatMap::KeyHeatMap(const QHash<QString, KanaTally> &kana, QWidget *parent) : QWidget(parent)
{
    for (const KeyFrame &key : KeyboardLayout) {
        const QRectF frame(Margin + key.left * Scale, Margin + key.top * Scale, 360 * Scale, 360 * Scale);
        for (const KeyLabel &label : {key.thumbShift, key.plain}) {
            if (label.index < 0)
                continue;
            const bool thumb = label.index == key.thumbShift.index;
            const QString caption = QString::fromUtf16(label.caption);
            KanaTally tally = kana.value(caption);
            tally.kana = caption;
            const QRectF half = thumb ? frame.adjusted(0, 0, 0, -frame.height() / 2) : frame.adjusted(0, frame.height() / 2, 0, 0);
            cells.append({half, tally, thumb, QColor::fromRgb(key.finger)});
        }
    }
    setMouseTracking(true);
}

QSize KeyHeatMap::sizeHint() const
{
    return QSize(int(MapTwips.width() * Scale) + 2 * Margin, int(MapTwips.height() * Scale) + 2 * Margin);
}

void KeyHeatMap::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    QFont font = painter.font();
    font.setPixelSize(int(360 * Scale * 0.36));
    painter.setFont(font);
    for (const Cell &cell : cells) {
        painter.setPen(QPen(cell.finger.darker(130), 1.5));
        painter.setBrush(heatOf(cell.tally));
        painter.drawRect(cell.place.adjusted(1, 1, -1, -1));
        painter.setPen(cell.thumb ? QColor(255, 0, 0) : palette().color(QPalette::WindowText));
        painter.drawText(cell.place, Qt::AlignCenter, cell.tally.kana);
    }
}

bool KeyHeatMap::event(QEvent *event)
{
    if (event->type() != QEvent::ToolTip)
        return QWidget::event(event);
    const auto *help = static_cast<QHelpEvent *>(event);
    for (const Cell &cell : cells) {
        if (cell.place.contains(help->pos())) {
            const KanaTally &tally = cell.tally;
            QToolTip::showText(help->globalPos(), tally.attempts == 0 ? u"%1：まだ練習していません"_qs.arg(tally.kana)
                    : u"%1：%2 回のうちミス %3 回（%4 %）"_qs.arg(tally.kana).arg(tally.attempts).arg(tally.misses).arg(100.0 * tally.misses / tally.attempts, 0, 'f', 0), this);
            return true;
        }
    }
    QToolTip::hideText();
    event->ignore();
    return true;
}

} // namespace kestova::record
