#pragma once
// A model learner taking the course lesson after lesson: each kana at a
// steady pace, a slip now and then (a wrong kana, then the right one), and
// perhaps one kana always struck with the wrong thumb first. Shared by the
// course's test and its benchmark.
#include "course.h"

#include <QRandomGenerator>
#include <QRegularExpression>

namespace kestova::course {

struct LearnerModel {
    double slips = 0.04;      // the share of kana struck wrong first
    double speed = 2;         // times the target speed
    QChar wrongThumb;         // a kana always struck with the wrong thumb first
    int lessons = 200;
    quint32 seed = 7;
};

// Lessons taken when each mark was reached (-1: not within the lessons).
struct LearnerProgress {
    int to18 = -1, toVoiced = -1, toAll = -1;
    int inPlay = 0;
    // Of the lessons after the faulty kana came in: how many there were, and
    // in how many it was the focus while no other kana was being learnt.
    int afterFault = 0, faultFocused = 0, othersLearning = 0;
    QStringList firstWords; // of the first 20 lessons
};

inline LearnerProgress TakeCourse(const QList<Unit> &units, const WordSource &words, const LearnerModel &model)
{
    constexpr int TargetSpeed = 60;
    Course course(units, FirstUnits, TargetSpeed);
    CourseAttempts attempts(TargetMs(TargetSpeed));
    QRandomGenerator random(model.seed);
    LearnerProgress progress;
    qint64 now = 0;
    const double paceMs = TargetMs(TargetSpeed) / model.speed;
    for (int lesson = 0; lesson <= model.lessons; ++lesson) {
        const QList<Skill> &skills = course.weigh(attempts);
        progress.inPlay = course.inPlay();
        const auto reached = [&](int &mark, bool now) {
            if (mark < 0 && now)
                mark = lesson;
        };
        reached(progress.to18, course.inPlay() >= 18);
        reached(progress.toAll, course.inPlay() == units.size());
        reached(progress.toVoiced, std::any_of(units.cbegin(), units.cbegin() + course.inPlay(), [](const Unit &u) { return u.plane == Plane::OtherThumb; }));
        if (progress.toAll >= 0 && model.wrongThumb.isNull())
            break;
        const int faulty = int(std::find_if(units.cbegin(), units.cbegin() + course.inPlay(), [&](const Unit &u) { return u.kana[0] == model.wrongThumb; }) - units.cbegin());
        if (faulty < course.inPlay()) {
            ++progress.afterFault;
            const bool othersLearning = std::any_of(skills.cbegin(), skills.cend(), [&](const Skill &s) { return &s != &skills[faulty] && s.confidence < 1; });
            progress.othersLearning += othersLearning;
            progress.faultFocused += !othersLearning && course.focus() == faulty;
        }
        const QChar other = course.units().first().kana[0];
        for (const LessonWord &word : course.nextLesson(words, random)) {
            if (lesson < 20 && !word.madeUp)
                progress.firstWords.append(QString(word.word).remove(QRegularExpression(QStringLiteral("[、。，・]$"))));
            for (QChar kana : word.word) {
                const bool thumb = std::any_of(units.cbegin(), units.cend(), [&](const Unit &u) { return u.kana[0] == kana && u.thumb != ThumbHand::None; });
                const StrokeReason reason = thumb ? StrokeReason::Chord : StrokeReason::Plain;
                const bool slip = kana == model.wrongThumb || random.generateDouble() < model.slips;
                for (bool hit : {false, true}) {
                    if (!hit && !slip)
                        continue;
                    now += qint64(paceMs * (0.85 + 0.3 * random.generateDouble()));
                    attempts.add({QString(kana), QString(hit ? kana : other), hit, now, reason});
                }
            }
            now += qint64(paceMs);
        }
        now += 60'000; // the result read, the next lesson begun
    }
    return progress;
}

} // namespace kestova::course
