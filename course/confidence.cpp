#include "confidence.h"

#include "rules.h"

#include <algorithm>

namespace kestova::course {

// Only a single kana is a unit's attempt; the pause rule as the record's.
void CourseAttempts::add(const Attempt &attempt)
{
    const QChar kana = attempt.asked.size() == 1 ? attempt.asked[0] : QChar();
    tallies[kana].add({PacedGap(previous, attempt.pressedAt), attempt.hit, attempt.shifted()});
    previous = attempt.pressedAt;
}

void SkillTally::add(const Sample &sample)
{
    if (sample.sincePreviousMs)
        smoothedMs = smoothedMs ? *smoothedMs + Smoothing * (double(*sample.sincePreviousMs) - *smoothedMs) : double(*sample.sincePreviousMs);
    recent[attempts++ % RecentAttempts] = sample;
}

Skill SkillTally::skill(bool takesThumb, double targetMs) const
{
    Skill skill;
    skill.attempts = attempts;
    skill.smoothedMs = smoothedMs;
    const int counted = qMin(attempts, RecentAttempts);
    if (counted == 0)
        return skill;
    const auto share = [&](auto counts) { return double(std::count_if(recent.cbegin(), recent.cbegin() + counted, counts)) / counted; };
    skill.accuracy = share([](const Sample &a) { return a.hit; });
    QList<qint64> times;
    for (int i = 0; i < counted; ++i) {
        if (recent[i].sincePreviousMs)
            times.append(*recent[i].sincePreviousMs);
    }
    skill.medianMs = MedianOf(times);
    const qsizetype known = std::count_if(recent.cbegin(), recent.cbegin() + counted, [](const Sample &a) { return a.chord.has_value(); });
    if (takesThumb && known > 0)
        skill.chordShare = double(std::count_if(recent.cbegin(), recent.cbegin() + counted, [](const Sample &a) { return a.hit && a.chord == true; })) / known;
    skill.confidence = skill.smoothedMs ? targetMs / qMax(1.0, *skill.smoothedMs) : 0;
    skill.confidence = std::min({skill.confidence, skill.accuracy / WantedAccuracy, double(skill.attempts) / RecentAttempts});
    if (skill.chordShare)
        skill.confidence = std::min(skill.confidence, *skill.chordShare / WantedChords);
    return skill;
}

Skill SkillOf(const QList<Sample> &samples, bool takesThumb, double targetMs)
{
    SkillTally tally;
    for (const Sample &sample : samples)
        tally.add(sample);
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
