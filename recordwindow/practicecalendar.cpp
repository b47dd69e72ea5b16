#include "practicecalendar.h"

#include <QHelpEvent>
#include <QPainter>
#include <QToolTip>

using namespace Qt::StringLiterals;

namespace kestova::record {
namespace {

const QColor Shades[] = {QColor(0xeeeeee), QColor(0xc6e48b), QColor(0x7bc96f), QColor(0x239a3b), QColor(0x196127)};

} // namespace

PracticeCalendar::PracticeCalendar(QMap<QDate, qint64> ms, QDate today, int goalMinutes, QWidget *parent)
    : QWidget(parent), activeMs(std::move(ms)), today(today), goalMinutes(goalMinutes)
{
    setObjectName(u"practiceCalendar"_s);
    // The Monday of the week 52 weeks before this one.
    first = today.addDays(1 - today.dayOfWeek() - 7 * (Weeks - 1));
    setMouseTracking(true);
}

int PracticeCalendar::shadeOf(QDate day) const
{
    const qint64 ms = activeMs.value(day);
    if (ms <= 0)
        return 0;
    if (goalMinutes <= 0)
        return 3;
    const double share = double(ms) / (goalMinutes * 60'000.0);
    return share >= 2 ? 4 : share >= 1 ? 3 : share >= 0.5 ? 2 : 1;
}

QRect PracticeCalendar::cellOf(QDate day) const
{
    const qint64 index = first.daysTo(day);
    return QRect(int(index / 7) * Cell, Top + int(index % 7) * Cell, Cell - 2, Cell - 2);
}

QDate PracticeCalendar::dayAt(QPoint at) const
{
    if (at.x() < 0 || at.y() < Top)
        return {};
    const QDate day = first.addDays(at.x() / Cell * 7 + (at.y() - Top) / Cell);
    return (at.y() - Top) / Cell < 7 && day >= first && day <= today ? day : QDate();
}

QSize PracticeCalendar::sizeHint() const
{
    return {Weeks * Cell, Top + 7 * Cell};
}

void PracticeCalendar::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.setPen(palette().color(QPalette::WindowText));
    QFont small = font();
    small.setPointSizeF(font().pointSizeF() * 0.8);
    painter.setFont(small);
    for (QDate day = first; day <= today; day = day.addDays(1)) {
        const QRect cell = cellOf(day);
        if (day.day() == 1 || day == first) // the month over its first week
            painter.drawText(QPoint(cell.left(), Top - 4), u"%1月"_s.arg(day.month()));
        painter.fillRect(cell, Shades[shadeOf(day)]);
        if (day == today)
            painter.drawRect(cell);
    }
}

bool PracticeCalendar::event(QEvent *event)
{
    if (event->type() != QEvent::ToolTip)
        return QWidget::event(event);
    const auto *help = static_cast<QHelpEvent *>(event);
    const QDate day = dayAt(help->pos());
    if (day.isValid())
        QToolTip::showText(help->globalPos(), u"%1：%2 分"_s.arg(day.toString(u"yyyy/M/d"_s)).arg(activeMs.value(day) / 60'000), this);
    else
        QToolTip::hideText();
    return true;
}

} // namespace kestova::record
