#pragma once

#include "twips.h"

#include <QColor>
#include <QList>
#include <QPoint>
#include <QRectF>
#include <QSize>
#include <QString>

#include <array>

class QFrame;
class QLabel;
class QWidget;

namespace kestova {


enum class KeyRow { Top, Home, Bottom };

// A character a key types and the map label that shows it.
struct KeyLabel {
    int index;               // Label1(index), or -1 where the map shows none
    const char16_t *caption; // u"" where the key types nothing
};

// One key of the thumb-shift keyboard: its frame, where it stands relative to
// the map's origin (twips), the colour of the finger that strikes it, the X11
// key code of its place (the same on every desktop layout), and what it types:
// with the thumb key of its own hand (drawn red), alone, and with the other
// hand's thumb key (voiced kana, never drawn).
struct KeyFrame {
    int index;          // Frame1(index)
    KeyRow row;
    int left;
    int top;
    QRgb finger;
    int keyCode;
    KeyLabel thumbShift;
    KeyLabel plain;
    const char16_t *otherThumb;
};

constexpr int FrameCount = 31;
constexpr int LabelCount = 60;

namespace finger {
constexpr QRgb Little = 0xFFFFC0C0;
constexpr QRgb Ring = 0xFFFFE0C0;
constexpr QRgb Middle = 0xFFFFFFC0;
constexpr QRgb LeftIndex = 0xFFC0FFC0;
constexpr QRgb RightIndex = 0xFFC0FFFF;
} // namespace finger

// The map row by row from the top, each row from left to right: the NICOLA
// layout, with "。" on Z as the map shows it. It is the one table of the
// keyboard: the map draws it and the thumb-shift engine types from it.
extern const std::array<KeyFrame, FrameCount> KeyboardLayout;

constexpr QSize KeyFrameSizeTwips{375, 435};
constexpr QPoint KeyLabelPosTwips{120, 180};

// The controls of one map as a window holds them.
struct KeyboardMap {
    std::array<QFrame *, FrameCount> Frame1{};
    std::array<QLabel *, LabelCount> Label1{};
};

// How a kana is typed on its key: alone, with the thumb key of the key's
// own hand, or with the other hand's.
enum class KeyPlane { Plain, OwnThumb, OtherThumb };

// Where a kana stands on a map that draws every kana a key types: with its
// own hand's thumb top left, with the other hand's top right, alone below.
struct KanaPlace {
    QRectF place; // in pixels
    QString kana;
    KeyPlane plane;
    const KeyFrame *key;
};
QList<KanaPlace> KanaPlaces(double pixelsPerTwip, double margin);
// The colour a map writes a kana of that plane in: dark red with the key's
// own thumb, dark blue with the other one, `plain` (black) alone; the
// place tells the plane too, for a learner who cannot tell the colours.
QColor KanaColour(KeyPlane plane, const QColor &plain);
// The fills of such maps, every kana colour 4.5:1 or better on each (WCAG
// AA): how well a kana is known, from learnt to new; how often it is
// missed, from under 5 % to 20 % and more; not yet practised; a hint.
inline constexpr std::array<QRgb, 4> KnownFills{0xFF96DC96, 0xFFE6EB8C, 0xFFFFC878, 0xFFFFAFA5};
inline constexpr std::array<QRgb, 4> MissedFills{0xFFFFFFFF, 0xFFFFECAA, 0xFFFFB46E, 0xFFFFAFA5};
inline constexpr QRgb UnpractisedFill = 0xFFE1E1E1, HintFill = 0xFFFFD700;
// How far apart two colours read, from 1 (the same) to 21 (black on white).
double ContrastOf(const QColor &one, const QColor &other);
// That map's size, margins included.
QSize KanaMapSize(double pixelsPerTwip, double margin);

// Creates Frame1(0..30) and Label1(0..59) in `window` with the map's top-left
// corner at `originTwips`: every frame shown, every kana label hidden.
KeyboardMap BuildKeyboardMap(QWidget *window, QPoint originTwips);

} // namespace kestova
