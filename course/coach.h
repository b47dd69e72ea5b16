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
    ThumbFault fault;
    QString advice;
};

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
