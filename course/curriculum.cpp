#include "curriculum.h"

#include <algorithm>

using namespace Qt::StringLiterals;

namespace kestova::course {
namespace {

const QString Punctuation = u"、。，・"_s;

// The group a unit comes in with, first to last.
int groupOf(const Unit &unit)
{
    if (Punctuation.contains(unit.kana))
        return 7;
    if (unit.plane == Plane::OtherThumb)
        return 6;
    const int row = unit.row == KeyRow::Home ? 0 : unit.row == KeyRow::Top ? 1 : 2;
    return row * 2 + (unit.plane == Plane::OwnThumb ? 1 : 0);
}

} // namespace

QHash<QString, qint64> KanaFrequency(const QStringList &words)
{
    QHash<QString, qint64> frequency;
    for (const QString &word : words) {
        for (QChar kana : word)
            ++frequency[QString(kana)];
    }
    return frequency;
}

QList<Unit> Curriculum(const QHash<QString, qint64> &frequency)
{
    QList<Unit> units;
    for (const KanaPlace &at : KanaPlaces(1, 0))
        units.append({at.kana, at.key->keyCode, at.key->row, at.plane, ThumbShiftEngine::thumbNeededFor(at.kana)});
    std::stable_sort(units.begin(), units.end(), [&](const Unit &a, const Unit &b) {
        const int groupA = groupOf(a), groupB = groupOf(b);
        return groupA != groupB ? groupA < groupB : frequency.value(a.kana) > frequency.value(b.kana);
    });
    // A kana on two keys (。) is learnt once, where it comes first.
    QList<Unit> once;
    for (const Unit &unit : std::as_const(units)) {
        if (std::none_of(once.cbegin(), once.cend(), [&](const Unit &known) { return known.kana == unit.kana; }))
            once.append(unit);
    }
    return once;
}

QList<Unit> InPlayFirst(QList<Unit> units, const QString &kana)
{
    qsizetype placed = 0;
    for (QChar first : kana) {
        const auto found = std::find_if(units.begin() + placed, units.end(), [&](const Unit &unit) { return unit.kana[0] == first; });
        if (found != units.end()) {
            std::rotate(units.begin() + placed, found, found + 1);
            ++placed;
        }
    }
    return units;
}

} // namespace kestova::course
