#pragma once

#include "practicestats.h"

#include <QWidget>

namespace kestova::record {

// The thumb-shift keyboard drawn as the trainers' map draws it, each key
// with its two kana, the thumb's above the plain one, each on the colour of
// how often it was missed: white never, red always, grey not yet practised.
// Its counts show in a tooltip.
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
        bool thumb;
        QColor finger;
    };
    QList<Cell> cells;
};

} // namespace kestova::record
