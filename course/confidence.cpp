#include "confidence.h"

#include "rules.h"

#include <algorithm>

namespace kestova::course {

// Only a single kana is a unit's attempt; the pause rule as the record's.
void CourseAttempts::add(const Attempt &attempt)
{
    const QChar kana = attempt.asked.size() == 1 ? attempt.asked[0] : QChar();
    const std::optional<qint64> since = PacedGap(previous, attempt.pressedAt);
    tallies[kana].add({since, attempt.hit, attempt.shifted()}, targetMs);
    firstOfDay.add(kana, LocalDay(attempt.pressedAt, attempt.utcOffset.value_or(zone.at(attempt.pressedAt))), since, attempt.hit);
    previous = attempt.pressedAt;
}

void SkillTally::add(const Sample &sample, double targetMs)
{
    Sample &oldest = recent[attempts % AccuracyAttempts];
    if (attempts >= AccuracyAttempts) { // the oldest leaves the counts
        recentHits -= oldest.hit;
        chordsKnown -= oldest.chord.has_value();
        chordHits -= oldest.hit && oldest.chord == true;
    }
    oldest = sample;
    recentHits += sample.hit;
    chordsKnown += sample.chord.has_value();
    chordHits += sample.hit && sample.chord == true;
    ++attempts;
    if (sample.sincePreviousMs)
        smoothedMs = smoothedMs ? *smoothedMs + Smoothing * (double(*sample.sincePreviousMs) - *smoothedMs) : double(*sample.sincePreviousMs);
    if (smoothedMs && *smoothedMs <= targetMs) {
        learntWithThumb = learntWithThumb || confidenceBesidesSpeed(true) >= 1;
        learntWithout = learntWithout || confidenceBesidesSpeed(false) >= 1;
    }
}

double SkillTally::confidenceBesidesSpeed(bool takesThumb) const
{
    const int counted = qMin(attempts, AccuracyAttempts);
    double confidence = std::min(double(recentHits) / qMax(1, counted) / WantedAccuracy, double(attempts) / ProvenAfter);
    if (takesThumb && chordsKnown > 0)
        confidence = std::min(confidence, double(chordHits) / chordsKnown / WantedChords);
    return confidence;
}

Skill SkillTally::skill(bool takesThumb, double targetMs) const
{
    Skill skill;
    skill.attempts = attempts;
    skill.smoothedMs = smoothedMs;
    skill.learnt = takesThumb ? learntWithThumb : learntWithout;
    if (attempts == 0)
        return skill;
    const int counted = qMin(attempts, AccuracyAttempts);
    skill.accuracy = double(recentHits) / counted;
    QList<qint64> times;
    for (int back = 1; back <= qMin(attempts, RecentAttempts); ++back) {
        if (const Sample &sample = recent[(attempts - back) % AccuracyAttempts]; sample.sincePreviousMs)
            times.append(*sample.sincePreviousMs);
    }
    skill.medianMs = MedianOf(times);
    if (takesThumb && chordsKnown > 0)
        skill.chordShare = double(chordHits) / chordsKnown;
    // Each part of the confidence, the one that holds it down the most named.
    const std::array<std::pair<Limit, double>, 4> parts{{
        {Limit::Speed, smoothedMs ? targetMs / qMax(1.0, *smoothedMs) : 0},
        {Limit::Accuracy, skill.accuracy / WantedAccuracy},
        {Limit::Chord, skill.chordShare ? *skill.chordShare / WantedChords : 2.0},
        {Limit::TooFew, double(attempts) / ProvenAfter},
    }};
    const auto lowest = std::min_element(parts.cbegin(), parts.cend(), [](const auto &a, const auto &b) { return a.second < b.second; });
    skill.confidence = lowest->second;
    skill.limit = skill.confidence >= 1 ? Limit::None : lowest->first;
    return skill;
}

QString LimitName(Limit limit)
{
    static const QString names[] = {QString(), QStringLiteral("回数"), QStringLiteral("速さ"), QStringLiteral("正確さ"), QStringLiteral("親指")};
    return names[int(limit)];
}

Skill SkillOf(const QList<Sample> &samples, bool takesThumb, double targetMs)
{
    SkillTally tally;
    for (const Sample &sample : samples)
        tally.add(sample, targetMs);
    return tally.skill(takesThumb, targetMs);
}

int UnitsInPlay(const QList<Skill> &inPlay, int unitCount)
{
    const bool allLearnt = std::all_of(inPlay.cbegin(), inPlay.cend(), [](const Skill &skill) {
        return skill.learnt || skill.attempts >= StuckAfter;
    });
    return int(std::min<qsizetype>(unitCount, inPlay.size() + (allLearnt && !inPlay.isEmpty() ? 1 : 0)));
}

int FocusOf(const QList<Skill> &inPlay)
{
    const auto lowest = [&inPlay](auto eligible) {
        int focus = -1;
        for (int unit = 0; unit < inPlay.size(); ++unit) {
            if (eligible(inPlay[unit]) && (focus < 0 || inPlay[unit].confidence <= inPlay[focus].confidence))
                focus = unit;
        }
        return focus;
    };
    const int fallen = lowest([](const Skill &skill) { return skill.learnt && skill.confidence < FallenBelow; });
    const int practising = lowest([](const Skill &skill) { return skill.confidence < 1 && skill.attempts < StuckAfter; });
    return fallen >= 0 ? fallen : practising >= 0 ? practising : lowest([](const Skill &) { return true; });
}

} // namespace kestova::course
