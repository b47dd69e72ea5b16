#include "course.h"

#include <algorithm>

namespace kestova::course {

Course::Course(QList<Unit> units, int inPlay, int targetKanaPerMinute)
    : curriculum(std::move(units)), unitsInPlay(qBound(qMin(FirstUnits, int(curriculum.size())), inPlay, int(curriculum.size()))),
      targetMs(TargetMs(targetKanaPerMinute))
{
}

// One unit joins at a time, and only after every unit in play is learnt,
// so a unit that joins has no attempts yet and the next waits for it.
const QList<Skill> &Course::weigh(const CourseAttempts &attempts)
{
    for (;;) {
        known.clear();
        for (int unit = 0; unit < unitsInPlay; ++unit)
            known.append(attempts.of(curriculum[unit].kana[0]).skill(curriculum[unit].thumb != ThumbHand::None, targetMs));
        const int joined = UnitsInPlay(known, int(curriculum.size()));
        if (joined == unitsInPlay)
            return known;
        unitsInPlay = joined;
    }
}

// Punctuation stands after words: a lesson on 、 or 。 is words of the
// weakest kana, each followed by it; once in play, 、 follows a word now
// and then and 。 ends the lesson.
QList<LessonWord> Course::coachedLesson(const WordSource &words, QRandomGenerator &random, QChar coached, QChar oldKey) const
{
    QList<int> surest;
    for (int unit = 0; unit < unitsInPlay; ++unit) {
        if (curriculum[unit].kana[0] != coached && !Punctuation.contains(curriculum[unit].kana))
            surest.append(unit);
    }
    std::stable_sort(surest.begin(), surest.end(), [this](int a, int b) { return known.value(a).confidence > known.value(b).confidence; });
    QSet<QChar> kana{coached};
    for (int unit : surest.mid(0, CoachedKana - 1))
        kana.insert(curriculum[unit].kana[0]);
    // The kana alone first; against an old habit, in turn with what the
    // habit's key types.
    const QString drill = oldKey.isNull() ? QString(3, coached) : QString(coached) + oldKey + coached;
    QList<LessonWord> lesson(DrillWords, LessonWord{drill, true});
    lesson += words.lesson(kana, coached, random, LessonLength - DrillWords);
    if (lesson.size() < LessonLength) { // too few words of those kana: of every kana in play
        QSet<QChar> inPlay;
        for (int unit = 0; unit < unitsInPlay; ++unit) {
            if (!Punctuation.contains(curriculum[unit].kana))
                inPlay.insert(curriculum[unit].kana[0]);
        }
        lesson += words.lesson(inPlay, coached, random, LessonLength - int(lesson.size()));
    }
    return lesson;
}

QList<LessonWord> Course::nextLesson(const WordSource &words, QRandomGenerator &random, QChar coached, QChar chosen, QChar oldKey) const
{
    if (!coached.isNull() && !Punctuation.contains(coached))
        return coachedLesson(words, random, coached, oldKey);
    if (!coached.isNull()) // a mark: words that it follows
        chosen = coached;
    QSet<QChar> kana, punctuation;
    int weakestKana = -1;
    for (int unit = 0; unit < unitsInPlay; ++unit) {
        const QChar k = curriculum[unit].kana[0];
        (Punctuation.contains(k) ? punctuation : kana).insert(k);
        const bool weaker = weakestKana < 0 || known.value(unit).confidence <= known.value(weakestKana).confidence;
        if (!Punctuation.contains(k) && weaker)
            weakestKana = unit;
    }
    const QChar focusKana = chosen.isNull() ? curriculum[focus()].kana[0] : chosen;
    const bool onMark = punctuation.contains(focusKana);
    QList<LessonWord> lesson = words.lesson(kana, onMark ? curriculum[weakestKana].kana[0] : focusKana, random);
    for (qsizetype i = 0; i < lesson.size(); ++i) {
        if (onMark)
            lesson[i].word += focusKana;
        else if (i + 1 == lesson.size() && punctuation.contains(u'。'))
            lesson[i].word += u'。';
        else if (i % 4 == 3 && punctuation.contains(u'、'))
            lesson[i].word += u'、';
    }
    return lesson;
}

} // namespace kestova::course
