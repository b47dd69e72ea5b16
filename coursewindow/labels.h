#pragma once

#include <QLabel>

namespace kestova::course {

// A label the tests and the learner's scripts find by name, in a larger
// type where asked.
inline QLabel *NamedLabel(const QString &name, QWidget *parent, int pointSize = 0)
{
    auto *made = new QLabel(parent);
    made->setObjectName(name);
    if (pointSize) {
        QFont font = made->font();
        font.setPointSize(pointSize);
        made->setFont(font);
    }
    return made;
}

// A share as a whole percentage, as the results show it.
inline QString Percent(double share)
{
    return QString::number(qRound(100 * share));
}

} // namespace kestova::course
