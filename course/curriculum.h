#pragma once

#include "keyboardmap.h"
#include "thumbshift.h"

#include <QHash>
#include <QList>
#include <QString>
#include <QStringList>

namespace kestova::course {

using Plane = KeyPlane;

// One kana of the thumb-shift layout with how it is typed: the course's
// unit of learning.
struct Unit {
    QString kana;
    int keyCode = 0;
    KeyRow row = KeyRow::Home;
    Plane plane = Plane::Plain;
    ThumbHand thumb = ThumbHand::None; // the thumb it takes
};

// How often each kana occurs in the words.
QHash<QString, qint64> KanaFrequency(const QStringList &words);

// Every kana the layout types, once, in the order the course brings them
// in: the home row plain, then with its own thumb; the top row so; the
// bottom row so; the other thumb's kana (voiced, semi-voiced); and last
// the punctuation. Within a group, the kana more frequent in the words first.
QList<Unit> Curriculum(const QHash<QString, qint64> &frequency);

// The units with the kana given first, in that order, the others after
// them as they were.
QList<Unit> InPlayFirst(QList<Unit> units, const QString &kana);

// The course starts with this many units in play.
inline constexpr int FirstUnits = 6;

} // namespace kestova::course
