#pragma once

#include <QPoint>
#include <QRect>
#include <QSize>

namespace kestova {

// Geometry of the trainers' windows is given in twips; 15 twips make one
// logical pixel at 96 dpi, and Qt scales logical pixels on denser screens.
constexpr int Twips(int twips)
{
    return twips / 15;
}

constexpr QPoint Twips(QPoint twips)
{
    return {Twips(twips.x()), Twips(twips.y())};
}

// A control's place and size, as the window layouts give them.
constexpr QRect TwipsRect(int left, int top, int width, int height)
{
    return {Twips(left), Twips(top), Twips(width), Twips(height)};
}

} // namespace kestova
