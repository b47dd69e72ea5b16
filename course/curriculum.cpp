#include "curriculum.h"
#include "textfrequency.h"

#include <algorithm>

using namespace Qt::StringLiterals;

namespace kestova::course {
namespace {

// Punctuation and the long-vowel mark. A lesson is words: 、 and 。 stand
// between and after them, and ー only lengthens the kana before it, so a
// mark is of use once there are words enough to hold and join. They wait
// until MarksAfter kana are in play, where the shipped list has some
// thousands of words of them, and then take their place by frequency.
const QString Marks = u"、。，・ー"_s;

bool known(const QList<Unit> &units, const QString &kana)
{
    return std::any_of(units.cbegin(), units.cend(), [&](const Unit &unit) { return unit.kana == kana; });
}

} // namespace

KanaCounts TextCounts()
{
    KanaCounts counts;
    for (const TextKana &kana : TextFrequency()) {
        counts.frequency.insert(QString(QChar(kana.kana)), kana.count);
        if (kana.follows)
            counts.follows.insert(QString(QChar(kana.kana)), QString(QChar(kana.follows)));
    }
    return counts;
}

QList<Unit> Curriculum(const KanaCounts &counts)
{
    // Every kana once: one on two keys (。) at the first of them.
    QList<Unit> pool;
    for (const KanaPlace &at : KanaPlaces(1, 0)) {
        if (!known(pool, at.kana))
            pool.append({at.kana, at.key->keyCode, at.key->row, at.plane, ThumbShiftEngine::thumbNeededFor(at.kana)});
    }
    std::stable_sort(pool.begin(), pool.end(), [&](const Unit &a, const Unit &b) { return counts.frequency.value(a.kana) > counts.frequency.value(b.kana); });
    // The commonest plain kana of the home row, where the fingers rest.
    QList<Unit> units;
    for (auto unit = pool.begin(); unit != pool.end() && units.size() < FirstUnits;) {
        if (unit->row == KeyRow::Home && unit->plane == Plane::Plain) {
            units.append(*unit);
            unit = pool.erase(unit);
        } else {
            ++unit;
        }
    }
    // Then the commonest kana that may come next.
    const auto mayCome = [&](const Unit &unit) {
        const QString base = counts.follows.value(unit.kana);
        return (units.size() >= MarksAfter || !Marks.contains(unit.kana)) && (base.isEmpty() || known(units, base) || !known(pool, base));
    };
    while (!pool.isEmpty()) {
        auto next = std::find_if(pool.begin(), pool.end(), mayCome);
        // A thumb none of whose kana is in play yet takes the last places
        // before ThumbBy, the own thumb first.
        QList<Plane> untried;
        for (Plane thumb : {Plane::OwnThumb, Plane::OtherThumb}) {
            if (std::none_of(units.cbegin(), units.cend(), [&](const Unit &unit) { return unit.plane == thumb; }))
                untried.append(thumb);
        }
        if (!untried.isEmpty() && units.size() + untried.size() >= ThumbBy) {
            const auto first = std::find_if(pool.begin(), pool.end(), [&](const Unit &unit) { return unit.plane == untried.first() && mayCome(unit); });
            if (first != pool.end())
                next = first;
        }
        if (next == pool.end()) // only where the counts leave none that may come
            next = pool.begin();
        units.append(*next);
        pool.erase(next);
    }
    return units;
}
QSet<QChar> LayoutKana()
{
    QSet<QChar> kana;
    for (const KanaPlace &at : KanaPlaces(1, 0))
        kana.insert(at.kana[0]);
    return kana;
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
