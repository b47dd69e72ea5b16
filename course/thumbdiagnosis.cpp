#include "thumbdiagnosis.h"

#include "rules.h"
#include "thumbshift.h"

#include <QtMath>

#include <algorithm>

using namespace Qt::StringLiterals;

namespace kestova::course {
namespace {

// A window longer than this by more than this is not what a late or early
// thumb needs: it needs practice.
constexpr qint64 NearMissMs = 100;

bool timing(ThumbFault fault)
{
    return fault == ThumbFault::Late || fault == ThumbFault::Early;
}

} // namespace

std::optional<ThumbFault> ThumbFaultOf(const Attempt &attempt)
{
    if (attempt.hit || attempt.reason == StrokeReason::Typed)
        return std::nullopt;
    if (attempt.thumbNeeded == ThumbHand::None)
        return attempt.chord() ? std::optional(ThumbFault::NotWanted) : std::nullopt;
    if (attempt.thumbHand != ThumbHand::None && attempt.thumbHand != attempt.thumbNeeded)
        return ThumbFault::OtherThumb;
    switch (attempt.reason) {
    case StrokeReason::ThumbTooLate:
        return ThumbFault::Late;
    case StrokeReason::ThumbTooEarly:
        return ThumbFault::Early;
    case StrokeReason::ThinOverlap:
        return ThumbFault::ThinOverlap;
    case StrokeReason::ThumbToNextKey:
        return ThumbFault::ToNextKey;
    case StrokeReason::Plain:
        return ThumbFault::NoThumb;
    default: // shifted by the right thumb: the key was wrong
        return std::nullopt;
    }
}

ThumbDiagnosis DiagnoseThumbs(const QList<Attempt> &lesson, int windowMs)
{
    // One line for each fault, in the order of ThumbFault; %1 the mean offset,
    // its sign told in words.
    static const QString advice[ThumbFaultCount] = {
        u"親指が平均 %1 ms 遅れています。文字キーと同時に押しましょう"_s,
        u"親指が平均 %1 ms 早すぎます。文字キーと同時に押しましょう"_s,
        u"反対側の親指を押しています。濁音は文字キーと反対側、ほかは同じ側の親指です"_s,
        u"親指キーが押されていません。文字キーと一緒に親指キーを押しましょう"_s,
        u"親指と文字キーを押している時間の重なりが短すぎます。両方をしっかり押さえましょう"_s,
        u"親指の要らない字で親指キーが押されています。親指を早めに離しましょう"_s,
        u"親指が次の字のキーに近く、次の字と組になりました。親指は打つ字のキーと同時に押しましょう"_s};
    ThumbDiagnosis diagnosis;
    QList<qint64> offsets; // of every thumb the kana asked for, struck or not
    std::array<qint64, ThumbFaultCount> offsetSums{};
    qint64 nearMisses = 0;
    for (const Attempt &attempt : lesson) {
        const std::optional<qint64> offset = attempt.thumbOffsetMs;
        if (offset && attempt.thumbNeeded != ThumbHand::None && attempt.thumbHand == attempt.thumbNeeded)
            offsets.append(qAbs(*offset));
        if (const std::optional<ThumbFault> fault = ThumbFaultOf(attempt)) {
            ++diagnosis.counts[int(*fault)];
            if (timing(*fault) && offset) {
                offsetSums[int(*fault)] += *offset;
                nearMisses += qAbs(*offset) - windowMs < NearMissMs;
            }
        }
    }
    const auto most = std::max_element(diagnosis.counts.cbegin(), diagnosis.counts.cend());
    if (*most == 0)
        return diagnosis;
    const int commonest = int(most - diagnosis.counts.cbegin());
    diagnosis.commonest = ThumbFault(commonest);
    diagnosis.advice = timing(ThumbFault(commonest)) ? advice[commonest].arg(qAbs(qRound(double(offsetSums[commonest]) / *most))) : advice[commonest];
    int allFaults = 0;
    for (int count : diagnosis.counts)
        allFaults += count;
    if (2 * nearMisses > allFaults && !offsets.isEmpty()) {
        std::sort(offsets.begin(), offsets.end());
        const qint64 p95 = offsets[qMin(offsets.size() - 1, qsizetype(qCeil(0.95 * offsets.size())) - 1)];
        // In tens of milliseconds, wide enough to hold that thumb.
        qint64 wide = (p95 + 9) / 10 * 10;
        if (!WithinChordWindow(p95, int(wide)))
            wide += 10;
        const int suggested = int(qBound<qint64>(qint64(ThumbShiftSettings::ShortestWindowMs), wide, qint64(ThumbShiftSettings::LongestWindowMs)));
        if (suggested > windowMs)
            diagnosis.suggestedWindowMs = suggested;
    }
    return diagnosis;
}

QString ThumbFaultName(ThumbFault fault)
{
    static const QString names[ThumbFaultCount] = {u"親指が遅い"_s, u"親指が早い"_s, u"反対の親指"_s, u"親指なし"_s, u"重なりが短い"_s, u"要らない親指"_s,
                                                   u"親指が次の字に"_s};
    return names[int(fault)];
}

QStringList DiagnosisLines(const ThumbDiagnosis &diagnosis)
{
    if (!diagnosis.commonest)
        return {u"親指の打ち間違いはありませんでした。"_s};
    QStringList counts;
    for (int fault = 0; fault < ThumbFaultCount; ++fault) {
        if (diagnosis.counts[fault])
            counts.append(u"%1 %2 回"_s.arg(ThumbFaultName(ThumbFault(fault))).arg(diagnosis.counts[fault]));
    }
    return {u"親指の打ち間違い：%1"_s.arg(counts.join(u"、"_s)), diagnosis.advice};
}

} // namespace kestova::course
