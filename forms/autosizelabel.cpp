#include "autosizelabel.h"

#include "twips.h"

namespace kestova {

AutoSizeLabel::AutoSizeLabel(const QString &caption, QWidget *parent) : QLabel(parent)
{
    setText(caption);
}

AutoSizeLabel::AutoSizeLabel(const QString &name, const QString &caption, QPoint twips,
                             QWidget *parent)
    : AutoSizeLabel(caption, parent)
{
    setObjectName(name);
    move(Twips(twips));
}

void AutoSizeLabel::setText(const QString &caption)
{
    QLabel::setText(caption);
    adjustSize();
}

} // namespace kestova
