#pragma once

#include <QDate>
#include <QMap>
#include <QWidget>

namespace kestova::record {

// The last year of practice as a calendar, a week a column (Monday on
// top), each day shaded by its minutes against the daily goal: none, under
// half of it, under the goal, met, twice met.
class PracticeCalendar : public QWidget {
    Q_OBJECT

public:
    PracticeCalendar(QMap<QDate, qint64> activeMs, QDate today, int goalMinutes, QWidget *parent = nullptr);

    // 0 (no practice) to 4 (twice the goal); with no goal, 0 or 3.
    int shadeOf(QDate day) const;
    // The day shown at a place, or none.
    QDate dayAt(QPoint at) const;
    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent *event) override;
    bool event(QEvent *event) override; // tooltips: the day and its minutes

private:
    static constexpr int Cell = 12, Weeks = 53, Top = 16;
    QRect cellOf(QDate day) const;

    QMap<QDate, qint64> activeMs;
    QDate today, first;
    int goalMinutes;
};

} // namespace kestova::record
