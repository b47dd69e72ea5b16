#pragma once

#include <QLabel>

namespace kestova {

// A label that fits its size to its caption whenever the caption changes,
// growing to the right and down from its fixed top-left corner.
class AutoSizeLabel : public QLabel {
    Q_OBJECT

public:
    AutoSizeLabel(const QString &caption, QWidget *parent);
    // A named label with its top-left corner at `twips` in its window.
    AutoSizeLabel(const QString &name, const QString &caption, QPoint twips, QWidget *parent);

    // Hides QLabel::setText: call it through this type so the size follows.
    void setText(const QString &caption);
};

} // namespace kestova
