#pragma once

#include "thumbdiagnosis.h"
#include "thumbshift.h"

#include <QHash>
#include <QList>
#include <QString>

#include <optional>

namespace kestova::course {

// How a kana is struck on this keyboard, with the names of the thumb keys
// as the settings have them: 「お」は「と」のキーと右親指（変換）を同時に.
QString HowToStrike(const QString &kana, const ThumbShiftSettings &settings);
// Which keys are the thumb of that hand: 右親指キーは「変換」「スペース」です.
QString ThumbKeysOf(ThumbHand hand, const ThumbShiftSettings &settings);

// What the coach takes up: a kana whose thumb went wrong the same way in
// each of the last three lessons, and what to tell the learner of it.
struct Coaching {
    QChar kana;
    std::optional<ThumbFault> fault; // none for an old habit
    QString advice;
    // An old habit's key instead: the kana it types, struck in turn with the
    // kana asked for in the lesson's first words.
    QChar oldKey;
};

// A lesson's misses by the habit they show (romaji, JIS kana, a
// neighbour, other): 打ち間違いのくせ：ローマ字のキー 4 回、となりのキー 1 回;
// nothing where there were none.
QString HabitsOfMisses(const QList<Attempt> &lesson);
// Where one old habit (romaji or JIS kana) makes half a lesson's misses or
// more, three at least: the kana it spoils most, to be struck in turn with
// what that habit's key types.
std::optional<Coaching> HabitCoaching(const QList<Attempt> &lesson);
inline constexpr int HabitMissesToCoach = 3;

// Watches the lessons one after another; the next lesson takes up what it
// finds (fewer kana, that kana alone struck first, slowly).
class Coach {
public:
    std::optional<Coaching> afterLesson(const QList<Attempt> &lesson, const ThumbShiftSettings &settings);

private:
    QList<QHash<QChar, ThumbFault>> recent; // each kana's commonest fault, the last three lessons
};

inline constexpr int CoachAfterLessons = 3;

} // namespace kestova::course
