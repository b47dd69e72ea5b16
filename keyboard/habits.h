#pragma once

#include <QString>

#include <optional>

namespace kestova {

// What a miss on the thumb-shift keyboard shows of an older habit: the key
// struck is the first letter of the kana asked in romaji input (か → K), or
// the key that types it in JIS-kana input (か → T), or a neighbour of its
// own key; else none of these.
enum class MissHabit { Romaji, JisKana, Neighbour, Other };
inline constexpr int MissHabitCount = int(MissHabit::Other) + 1;

// The key struck is found from what it typed: a kana of the thumb-shift
// layout on any plane, or a digit or mark of the key's own.
MissHabit HabitOfMiss(const QString &asked, const QString &typed);
// As the results name it: ローマ字のキー, JIS かなのキー, となりのキー, ほかのキー.
QString HabitName(MissHabit habit);
// The key an old habit strikes for a kana, by what is printed on it (K, T,
// 3); none for a habit with no key of its own, or a kana it has none for.
std::optional<QString> HabitKey(MissHabit habit, const QString &asked);

} // namespace kestova
