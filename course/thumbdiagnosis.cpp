#include "thumbdiagnosis.h"

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

std::optional<ThumbFault> ThumbFaultOf(const record::Stroke &stroke, int windowMs)
{
    if (stroke.hit)
        return std::nullopt;
    if (stroke.thumbNeeded == 0)
        return stroke.chord ? std::optional(ThumbFault::NotWanted) : std::nullopt;
    if (!stroke.thumbMs)
        return ThumbFault::NoThumb;
    if (stroke.thumbHand != stroke.thumbNeeded)
        return ThumbFault::OtherThumb;
    if (stroke.chord)
        return std::nullopt;
    if (qAbs(*stroke.thumbMs) <= windowMs)
        return ThumbFault::ThinOverlap;
    return *stroke.thumbMs > 0 ? ThumbFault::Late : ThumbFault::Early;
}

ThumbDiagnosis DiagnoseThumbs(const QList<record::Stroke> &lesson, int windowMs)
{
    // One line for each fault, in the order of ThumbFault; %1 the mean offset.
    static const QString advice[ThumbFaultCount] = {
        u"親指が平均 +%1 ms 遅れています。文字キーと同時に押しましょう"_s,
        u"親指が平均 %1 ms 早すぎます。文字キーと同時に押しましょう"_s,
        u"反対側の親指を押しています。濁音は文字キーと反対側、ほかは同じ側の親指です"_s,
        u"親指キーが押されていません。文字キーと一緒に親指キーを押しましょう"_s,
        u"親指と文字キーを押している時間の重なりが短すぎます。両方をしっかり押さえましょう"_s,
        u"親指の要らない字で親指キーが押されています。親指を早めに離しましょう"_s};
    ThumbDiagnosis diagnosis;
    QList<qint64> offsets; // of every thumb the kana asked for, struck or not
    std::array<qint64, ThumbFaultCount> offsetSums{};
    qint64 nearMisses = 0;
    for (const record::Stroke &stroke : lesson) {
        if (stroke.thumbMs && stroke.thumbNeeded != 0 && stroke.thumbHand == stroke.thumbNeeded)
            offsets.append(qAbs(*stroke.thumbMs));
        if (const std::optional<ThumbFault> fault = ThumbFaultOf(stroke, windowMs)) {
            ++diagnosis.counts[int(*fault)];
            if (timing(*fault)) {
                offsetSums[int(*fault)] += *stroke.thumbMs;
                nearMisses += qAbs(*stroke.thumbMs) - windowMs < NearMissMs;
            }
        }
    }
    const auto most = std::max_element(diagnosis.counts.cbegin(), diagnosis.counts.cend());
    if (*most == 0)
        return diagnosis;
    const int commonest = int(most - diagnosis.counts.cbegin());
    diagnosis.commonest = ThumbFault(commonest);
    diagnosis.advice = timing(ThumbFault(commonest)) ? advice[commonest].arg(qRound(double(offsetSums[commonest]) / *most)) : advice[commonest];
    int allFaults = 0;
    for (int count : diagnosis.counts)
        allFaults += count;
    if (2 * nearMisses > allFaults && !offsets.isEmpty()) {
        std::sort(offsets.begin(), offsets.end());
        const qint64 p95 = offsets[qMin(offsets.size() - 1, qsizetype(qCeil(0.95 * offsets.size())) - 1)];
        const int suggested = int(qBound<qint64>(qint64(ThumbShiftSettings::ShortestWindowMs), (p95 + 9) / 10 * 10, qint64(ThumbShiftSettings::LongestWindowMs)));
        if (suggested > windowMs)
            diagnosis.suggestedWindowMs = suggested;
    }
    return diagnosis;
}

QString ThumbFaultName(ThumbFault fault)
{
    static const QString names[ThumbFaultCount] = {u"親指が遅い"_s, u"親指が早い"_s, u"反対の親指"_s, u"親指なし"_s, u"重なりが短い"_s, u"要らない親指"_s};
    return names[int(fault)];
}

} // namespace kestova::course
