#include "keyheatmap.h"

#include "keyboardmap.h"

#include <QHelpEvent>
#include <QPainter>
#include <QToolTip>

using namespace Qt::StringLiterals;

namespace kestova::record {
namespace {

// Twips to pixels at two and a half times the trainers' map, so that three
// kana to a key read easily.
constexpr double Scale = 2.5 / 15;
constexpr int Margin = 8;

QColor heatOf(const KanaTally &tally)
{
    if (tally.attempts == 0)
        return QColor::fromRgb(UnpractisedFill);
    const double missed = double(tally.misses) / tally.attempts;
    return QColor::fromRgb(MissedFills[missed < 0.05 ? 0 : missed < 0.10 ? 1 : missed < 0.20 ? 2 : 3]);
}

} // namespace

KeyHeatMap::KeyHeatMap(const QHash<QString, KanaTally> &kana, QWidget *parent) : QWidget(parent)
{
    const QColor plainText = palette().color(QPalette::WindowText);
    for (const KanaPlace &at : KanaPlaces(Scale, Margin)) {
        KanaTally tally = kana.value(at.kana);
        tally.kana = at.kana;
        cells.append({at.place, tally, KanaColour(at.plane, plainText), QColor::fromRgb(at.key->finger)});
    }
    setMouseTracking(true);
}

QSize KeyHeatMap::sizeHint() const
{
    return KanaMapSize(Scale, Margin);
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
            QToolTip::showText(help->globalPos(), tally.attempts == 0 ? u"%1：まだ練習していません"_s.arg(tally.kana)
                    : u"%1：%2 回のうちミス %3 回（%4 %）"_s.arg(tally.kana).arg(tally.attempts).arg(tally.misses).arg(100.0 * tally.misses / tally.attempts, 0, 'f', 0), this);
            return true;
        }
    }
    QToolTip::hideText();
    event->ignore();
    return true;
}

} // namespace kestova::record
