#pragma once

#include "practicestats.h"

#include <QWidget>

namespace kestova::record {

// The thumb-shift keyboard drawn as the trainers' map draws it, each key
// with every kana it types: with its own hand's thumb (red) and with the
// other hand's (the voiced kana, blue) side by side above the plain one.
// Each is on the colour of its share of misses, in steps that tell 5 %,
// 10 % and 20 % apart; grey where not yet practised. Its counts show in a
// tooltip.
class KeyHeatMap : public QWidget {
    Q_OBJECT

public:
    KeyHeatMap(const QHash<QString, KanaTally> &kana, QWidget *parent);
    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent *event) override;
    bool event(QEvent *event) override;

private:
    struct Cell {
        QRectF place;
        KanaTally tally;
        QColor text;
        QColor finger;
    };
    QList<Cell> cells;
};

} // namespace kestova::record
