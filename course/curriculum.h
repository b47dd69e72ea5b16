#pragma once

#include "keyboardmap.h"
#include "thumbshift.h"

#include <QHash>
#include <QList>
#include <QSet>
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

// How often each kana occurs in running text, and for a small kana the
// kana it follows most there.
struct KanaCounts {
    QHash<QString, qint64> frequency;
    QHash<QString, QString> follows;
};

// The counts over real Japanese text (course/textfrequency.cpp).
KanaCounts TextCounts();

// Every kana the layout types, once, in the order the course brings them
// in: the FirstUnits commonest plain kana of the home row; then every other
// kana, the commoner first, save that the first kana of each thumb comes in
// by unit ThumbBy, the marks (、。，・ー) only after MarksAfter units, and a
// small kana only once the kana it follows most is in play.
QList<Unit> Curriculum(const KanaCounts &counts = TextCounts());

// The units with the kana given first, in that order, the others after
// them as they were.
QList<Unit> InPlayFirst(QList<Unit> units, const QString &kana);

// The course starts with this many units in play.
inline constexpr int FirstUnits = 6;
// The first kana of each thumb joins no later than as this unit.
inline constexpr int ThumbBy = 12;
// The marks join no sooner than after this many units.
inline constexpr int MarksAfter = 20;

// Every kana the layout types, marks included.
QSet<QChar> LayoutKana();

// The marks that stand between and after words, not in them.
inline const QString Punctuation = QStringLiteral("、。，・");

} // namespace kestova::course
