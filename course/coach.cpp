#include "coach.h"

#include "habits.h"

#include "keyboardmap.h"
#include "keycodes.h"

#include <QStringList>

using namespace Qt::StringLiterals;

namespace kestova::course {
namespace {

QString handName(ThumbHand hand)
{
    return hand == ThumbHand::Left ? u"左親指"_s : u"右親指"_s;
}

QString keyNames(ThumbHand hand, const ThumbShiftSettings &settings, const QString &quote)
{
    QStringList names;
    for (int code : hand == ThumbHand::Left ? settings.leftThumbKeys : settings.rightThumbKeys)
        names.append(quote.arg(KeyName(code)));
    return names.join(quote.startsWith(u'「') ? QString() : u"・"_s);
}

} // namespace

QString HowToStrike(const QString &kana, const ThumbShiftSettings &settings)
{
    for (const KanaPlace &at : KanaPlaces(1, 0)) {
        if (at.kana != kana)
            continue;
        const QString key = QString::fromUtf16(at.key->plain.caption);
        const ThumbHand hand = ThumbShiftEngine::thumbNeededFor(kana);
        if (hand == ThumbHand::None)
            return u"「%1」は親指を押さずに「%1」のキーだけで"_s.arg(kana);
        return u"「%1」は「%2」のキーと%3（%4）を同時に"_s.arg(kana, key, handName(hand), keyNames(hand, settings, u"%1"_s));
    }
    return {};
}

QString ThumbKeysOf(ThumbHand hand, const ThumbShiftSettings &settings)
{
    return u"%1キーは%2です"_s.arg(handName(hand), keyNames(hand, settings, u"「%1」"_s));
}

std::optional<Coaching> Coach::afterLesson(const QList<Attempt> &lesson, const ThumbShiftSettings &settings)
{
    // Each kana's commonest fault in this lesson.
    QHash<QChar, std::array<int, ThumbFaultCount>> counts;
    for (const Attempt &attempt : lesson) {
        if (const std::optional<ThumbFault> fault = ThumbFaultOf(attempt); fault && attempt.asked.size() == 1)
            ++counts[attempt.asked[0]][int(*fault)];
    }
    QHash<QChar, ThumbFault> faults;
    for (auto kana = counts.cbegin(); kana != counts.cend(); ++kana)
        faults.insert(kana.key(), ThumbFault(std::max_element(kana->cbegin(), kana->cend()) - kana->cbegin()));
    recent.append(faults);
    if (recent.size() > CoachAfterLessons)
        recent.removeFirst();
    if (recent.size() < CoachAfterLessons)
        return std::nullopt;
    for (auto kana = faults.cbegin(); kana != faults.cend(); ++kana) {
        const bool repeated = std::all_of(recent.cbegin(), recent.cend(), [&](const QHash<QChar, ThumbFault> &earlier) {
            return earlier.value(kana.key(), ThumbFault(-1)) == kana.value();
        });
        if (repeated) {
            const QString how = HowToStrike(QString(kana.key()), settings);
            return Coaching{kana.key(), kana.value(),
                            u"%1打ちます。3 回のレッスンで同じ間違い（%2）が続いたので、次のレッスンは字を減らし、「%3」だけをまずゆっくり打ちます。"_s
                                    .arg(how, ThumbFaultName(kana.value()), QString(kana.key())),
                            QChar()};
        }
    }
    return std::nullopt;
}

QString HabitsOfMisses(const QList<Attempt> &lesson)
{
    std::array<int, MissHabitCount> counts{};
    for (const Attempt &attempt : lesson) {
        if (!attempt.hit)
            ++counts[int(HabitOfMiss(attempt.asked, attempt.typed))];
    }
    QStringList shown;
    for (int habit = 0; habit < MissHabitCount; ++habit) {
        if (counts[habit])
            shown.append(u"%1 %2 回"_s.arg(HabitName(MissHabit(habit))).arg(counts[habit]));
    }
    return shown.isEmpty() ? QString() : u"打ち間違いのくせ：%1"_s.arg(shown.join(u"、"_s));
}

std::optional<Coaching> HabitCoaching(const QList<Attempt> &lesson)
{
    int misses = 0;
    std::array<QHash<QString, int>, MissHabitCount> byKana;
    std::array<QHash<QString, QString>, MissHabitCount> typedFor; // what the habit's key typed, for each kana
    for (const Attempt &attempt : lesson) {
        if (attempt.hit || attempt.asked.size() != 1)
            continue;
        ++misses;
        const MissHabit habit = HabitOfMiss(attempt.asked, attempt.typed);
        ++byKana[int(habit)][attempt.asked];
        typedFor[int(habit)].insert(attempt.asked, attempt.typed);
    }
    for (MissHabit habit : {MissHabit::Romaji, MissHabit::JisKana}) {
        const QHash<QString, int> &kana = byKana[int(habit)];
        int count = 0;
        for (int each : kana)
            count += each;
        if (count < HabitMissesToCoach || 2 * count < misses)
            continue;
        const QString worst = std::max_element(kana.keyValueBegin(), kana.keyValueEnd(), [](const auto &a, const auto &b) {
                                  return a.second != b.second ? a.second < b.second : a.first > b.first; // the same every time among equals
                              })->first;
        const QString old = typedFor[int(habit)].value(worst);
        return Coaching{worst[0], std::nullopt,
                        u"「%1」を%2（%3）で %4 回打ちました（打ち間違いの %5 回のうち）。前の入力のくせです。次のレッスンは、まず「%1」と、そのキーで出る「%6」を交互に打って、指に違いを覚えさせます。"_s
                                .arg(worst, HabitName(habit), HabitKey(habit, worst).value_or(QString()))
                                .arg(count)
                                .arg(misses)
                                .arg(old),
                        old.size() == 1 ? old[0] : QChar()};
    }
    return std::nullopt;
}

} // namespace kestova::course
