#include "confidence.h"

#include "recorddatabase.h"

#include <algorithm>

namespace kestova::course {

QHash<QString, QList<Attempt>> AttemptsOf(const QList<CourseStroke> &strokes)
{
    QHash<QString, QList<Attempt>> attempts;
    std::optional<qint64> previous;
    for (const CourseStroke &stroke : strokes) {
        const bool paced = previous && stroke.time >= *previous && stroke.time - *previous < record::PauseMs;
        attempts[stroke.expected].append({paced ? std::optional(stroke.time - *previous) : std::nullopt, stroke.hit, stroke.chord});
        previous = stroke.time;
    }
    return attempts;
}

Skill SkillOf(const QList<Attempt> &attempts, bool takesThumb, double targetMs)
{
    Skill skill;
    skill.attempts = int(attempts.size());
    for (const Attempt &attempt : attempts) {
        if (attempt.sincePreviousMs)
            skill.smoothedMs = skill.smoothedMs ? *skill.smoothedMs + Smoothing * (double(*attempt.sincePreviousMs) - *skill.smoothedMs)
                                                : double(*attempt.sincePreviousMs);
    }
    const QList<Attempt> recent = attempts.mid(qMax(qsizetype(0), attempts.size() - RecentAttempts));
    if (recent.isEmpty())
        return skill;
    const auto share = [&](auto counts) { return double(std::count_if(recent.cbegin(), recent.cend(), counts)) / double(recent.size()); };
    skill.accuracy = share([](const Attempt &a) { return a.hit; });
    if (takesThumb)
        skill.chordShare = share([](const Attempt &a) { return a.hit && a.chord; });
    skill.confidence = skill.smoothedMs ? targetMs / qMax(1.0, *skill.smoothedMs) : 0;
    skill.confidence = std::min({skill.confidence, skill.accuracy / WantedAccuracy, double(skill.attempts) / RecentAttempts});
    if (skill.chordShare)
        skill.confidence = std::min(skill.confidence, *skill.chordShare / WantedChords);
    return skill;
}

int UnitsInPlay(const QList<Skill> &inPlay, int unitCount)
{
    const bool allLearnt = std::all_of(inPlay.cbegin(), inPlay.cend(), [](const Skill &skill) {
        return skill.attempts >= RecentAttempts && skill.confidence >= 1;
    });
    return int(std::min<qsizetype>(unitCount, inPlay.size() + (allLearnt && !inPlay.isEmpty() ? 1 : 0)));
}

int FocusOf(const QList<Skill> &inPlay)
{
    int focus = -1;
    for (int unit = 0; unit < inPlay.size(); ++unit) {
        if (focus < 0 || inPlay[unit].confidence <= inPlay[focus].confidence)
            focus = unit;
    }
    return focus;
}

} // namespace kestova::course
