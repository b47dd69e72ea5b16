#pragma once

#include "attempt.h"
#include "keyboardmap.h"

#include <QWidget>

#include <functional>

namespace kestova {

// The thumb-shift keyboard drawn with every kana each key types: with its
// own hand's thumb (red) and with the other hand's (the voiced kana, blue)
// side by side above the plain one; where asked, the two thumb keys below,
// where the thumbs rest. Each kana stands on the colour the map is given
// for it (its finger's unless told otherwise); one kana and one thumb key
// may be lit, to show what to strike next. A tooltip may tell of a kana.
class KanaMap : public QWidget {
    Q_OBJECT

public:
    enum class ThumbKeys { Hidden, Shown };
    KanaMap(ThumbKeys thumbKeys, QWidget *parent);
    QSize sizeHint() const override;

    // The fill of each kana, from the finger colour of its key; its finger's
    // colour for none.
    using Colours = std::function<QColor(const QString &kana, QColor finger)>;
    void colourBy(Colours colours);
    // Kana and a thumb key lit: each kana of `kana`; none for nothing lit.
    void light(const QString &kana, ThumbHand thumb);
    QString litKana() const { return lit; }
    ThumbHand litThumb() const { return litHand; }
    // What the tooltip over a kana says.
    void tellBy(std::function<QString(const QString &kana)> tell);
    // The kana at a point of the map; none between them.
    QString kanaAt(const QPointF &point) const;

signals:
    // A kana clicked, and where, in global coordinates.
    void kanaClicked(const QString &kana, const QPoint &at);

protected:
    void paintEvent(QPaintEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    bool event(QEvent *event) override;

private:
    QRectF thumbKey(ThumbHand hand) const;

    const ThumbKeys thumbKeys;
    QList<KanaPlace> places;
    Colours colours;
    std::function<QString(const QString &)> tell;
    QString lit;
    ThumbHand litHand = ThumbHand::None;
};

} // namespace kestova
