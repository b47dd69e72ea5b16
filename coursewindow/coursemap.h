#pragma once

#include "keyboardmap.h"
#include "thumbshift.h"

#include <QHash>
#include <QWidget>

namespace kestova::course {

// The keyboard map of the course: every key with all three kana it types
// (with its own hand's thumb, red; with the other hand's, blue; alone) and
// the two thumb keys below. While practising it lights a hinted kana and
// the thumb key to strike with it; after a lesson it colours each kana by
// how well it is known, grey where not yet in play.
class CourseMap : public QWidget {
    Q_OBJECT

public:
    explicit CourseMap(QWidget *parent);
    QSize sizeHint() const override;

    void hint(const QString &kana, ThumbHand thumb);
    void clearHint() { hint({}, ThumbHand::None); }
    // Confidence per kana in play.
    void showConfidence(const QHash<QString, double> &confidence);

    QString hintedKana() const { return hinted; }
    ThumbHand hintedThumb() const { return thumb; }

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    QRectF thumbKey(ThumbHand hand) const;

    QList<KanaPlace> places;
    QString hinted;
    ThumbHand thumb = ThumbHand::None;
    std::optional<QHash<QString, double>> confidence;
};

} // namespace kestova::course
