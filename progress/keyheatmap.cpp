#include "keyheatmap.h"

#include "keyboardmap.h"

#include <QHelpEvent>
#include <QPainter>
#include <QToolTip>

namespace kestova::record {
namespace {

// Twips to pixels at two and a half times the trainers' map, so that three
// kana to a key read easily.
constexpr double Scale = 2.5 / 15;
const QSize MapTwips{3600 + 375, 720 + 435};
constexpr int Margin = 8;

// Misses below 5 %, below 10 %, below 20 %, and more.
const QColor Heat[] = {QColor(255, 255, 255), QColor(255, 236, 170), QColor(255, 180, 110), QColor(235, 90, 70)};

QColor heatOf(const KanaTally &tally)
{
    if (tally.attempts == 0)
        return QColor(225, 225, 225);
    const double missed = double(tally.misses) / tally.attempts;
    return Heat[missed < 0.05 ? 0 : missed < 0.10 ? 1 : missed < 0.20 ? 2 : 3];
}

} // namespace

KeyHeatMap::KeyHeatMap(const QHash<QString, KanaTally> &kana, QWidget *parent) : QWidget(parent)
{
    for (const KeyFrame &key : KeyboardLayout) {
        const QRectF frame(Margin + key.left * Scale, Margin + key.top * Scale, 360 * Scale, 360 * Scale);
        const double half = frame.height() / 2;
        for (const auto &[caption, place, text] : {std::tuple{key.thumbShift.caption, frame.adjusted(0, 0, -frame.width() / 2, -half), QColor(255, 0, 0)},
                 {key.otherThumb, frame.adjusted(frame.width() / 2, 0, 0, -half), QColor(0, 70, 200)},
                 {key.plain.caption, frame.adjusted(0, half, 0, 0), palette().color(QPalette::WindowText)}}) {
            if (!*caption)
                continue;
            KanaTally tally = kana.value(QString::fromUtf16(caption));
            tally.kana = QString::fromUtf16(caption);
            cells.append({place, tally, text, QColor::fromRgb(key.finger)});
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
    font.setPixelSize(int(360 * Scale * 0.3));
    painter.setFont(font);
    for (const Cell &cell : cells) {
        painter.setPen(QPen(cell.finger.darker(130), 1.5));
        painter.setBrush(heatOf(cell.tally));
        painter.drawRect(cell.place.adjusted(1, 1, -1, -1));
        painter.setPen(cell.text);
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
