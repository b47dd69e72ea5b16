#include "course.h"

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

QList<LessonWord> Course::nextLesson(const WordSource &words, QRandomGenerator &random) const
{
    QSet<QChar> kana;
    for (int unit = 0; unit < unitsInPlay; ++unit)
        kana.insert(curriculum[unit].kana[0]);
    return words.lesson(kana, curriculum[focus()].kana[0], random);
}

} // namespace kestova::course
