#include "autosizelabel.h"

namespace kestova {

AutoSizeLabel::AutoSizeLabel(const QString &caption, QWidget *parent) : QLabel(parent)
{
    setText(caption);
}

void AutoSizeLabel::setText(const QString &caption)
{
    QLabel::setText(caption);
    adjustSize();
}

} // namespace kestova
