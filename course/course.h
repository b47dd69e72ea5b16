#pragma once

#include "confidence.h"
#include "curriculum.h"
#include "lessons.h"

#include <QList>

namespace kestova::course {

// The 練習コース as a plain object: the units in curriculum order, how many
// are in play, and from the course's strokes so far, each unit's skill,
// the units that join, the focus and the next lesson's words.
inline constexpr int CoachedKana = 6, DrillWords = 3;

class Course {
public:
    Course(QList<Unit> curriculum, int inPlay = FirstUnits, int targetKanaPerMinute = 60);

    const QList<Unit> &units() const { return curriculum; }
    int inPlay() const { return unitsInPlay; }
    // The skills of the units in play, after the course's attempts so far;
    // units join while every unit in play is learnt.
    const QList<Skill> &weigh(const CourseAttempts &attempts);
    const QList<Skill> &skills() const { return known; }
    // The unit in play with the lowest confidence.
    int focus() const { return known.isEmpty() ? unitsInPlay - 1 : FocusOf(known); }
    // Fifteen words that hold the focus, real where they can be. A kana the
    // coach takes up is the focus instead, among fewer kana (it and the
    // surest of the others), struck alone a few times first (against an old
    // habit, in turn with `oldKey`, what the habit's key types); a kana the
    // learner chose is the focus instead of the course's.
    QList<LessonWord> nextLesson(const WordSource &words, QRandomGenerator &random, QChar coached = {}, QChar chosen = {}, QChar oldKey = {}) const;

private:
    QList<LessonWord> coachedLesson(const WordSource &words, QRandomGenerator &random, QChar coached, QChar oldKey) const;

    QList<Unit> curriculum;
    int unitsInPlay;
    double targetMs;
    QList<Skill> known;
};

} // namespace kestova::course
