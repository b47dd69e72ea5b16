#include "confidence.h"

#include "recorddatabase.h"

#include <algorithm>

namespace kestova::course {

void CourseAttempts::add(qint64 time, QChar expected, bool hit, std::optional<bool> chord)
{
    const bool paced = previous && time >= *previous && time - *previous < record::PauseMs;
    tallies[expected].add({paced ? std::optional(time - *previous) : std::nullopt, hit, chord});
    previous = time;
}

void SkillTally::add(const Attempt &attempt)
{
    if (attempt.sincePreviousMs)
        smoothedMs = smoothedMs ? *smoothedMs + Smoothing * (double(*attempt.sincePreviousMs) - *smoothedMs) : double(*attempt.sincePreviousMs);
    recent[attempts++ % RecentAttempts] = attempt;
}

Skill SkillTally::skill(bool takesThumb, double targetMs) const
{
    Skill skill;
    skill.attempts = attempts, skill.smoothedMs = smoothedMs;
    const int counted = qMin(attempts, RecentAttempts);
    if (counted == 0)
        return skill;
    const auto share = [&](auto counts) { return double(std::count_if(recent.cbegin(), recent.cbegin() + counted, counts)) / counted; };
    skill.accuracy = share([](const Attempt &a) { return a.hit; });
    QList<qint64> times;
    for (int i = 0; i < counted; ++i)
        if (recent[i].sincePreviousMs)
            times.append(*recent[i].sincePreviousMs);
    if (!times.isEmpty()) {
        std::sort(times.begin(), times.end());
        skill.medianMs = times.size() % 2 ? double(times[times.size() / 2]) : (times[times.size() / 2 - 1] + times[times.size() / 2]) / 2.0;
    }
    const qsizetype known = std::count_if(recent.cbegin(), recent.cbegin() + counted, [](const Attempt &a) { return a.chord.has_value(); });
    if (takesThumb && known > 0)
        skill.chordShare = double(std::count_if(recent.cbegin(), recent.cbegin() + counted, [](const Attempt &a) { return a.hit && a.chord == true; })) / known;
    skill.confidence = skill.smoothedMs ? targetMs / qMax(1.0, *skill.smoothedMs) : 0;
    skill.confidence = std::min({skill.confidence, skill.accuracy / WantedAccuracy, double(skill.attempts) / RecentAttempts});
    if (skill.chordShare)
        skill.confidence = std::min(skill.confidence, *skill.chordShare / WantedChords);
    return skill;
}

Skill SkillOf(const QList<Attempt> &attempts, bool takesThumb, double targetMs)
{
    SkillTally tally;
    for (const Attempt &attempt : attempts)
        tally.add(attempt);
    return tally.skill(takesThumb, targetMs);
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
