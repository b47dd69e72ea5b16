#include "practicerecording.h"

#include "inifile.h"
#include "platform.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QProcess>
#include <QWidget>

#include <utility>

using namespace Qt::StringLiterals;

namespace kestova {

namespace {

constexpr qint64 NearestThumbMs = 300;
constexpr qsizetype ThumbsKept = 8;

int handNumber(ThumbHand hand)
{
    return hand == ThumbHand::Left ? 1 : hand == ThumbHand::Right ? 2 : 0;
}

} // namespace

PracticeRecording::PracticeRecording(const QString &program, Judgements &judgements, QWidget *window, const QString &path)
    : recorder(program, path)
{
    holding.setSingleShot(true);
    holding.setInterval(int(NearestThumbMs));
    connect(&holding, &QTimer::timeout, this, &PracticeRecording::pass);
    connect(&recorder, &record::StrokeRecorder::problem, window, &ShowNotice);
    connect(&judgements, &Judgements::judged, this, &PracticeRecording::judged);
    connect(&judgements, &Judgements::thumbPressed, this, [this](qint64 time, ThumbHand hand) {
        thumbs.append({time, hand});
        if (thumbs.size() > ThumbsKept)
            thumbs.removeFirst();
    });
}

void PracticeRecording::judged(const JudgedStroke &stroke)
{
    pass();
    held = stroke;
    heldSince = QDateTime::currentMSecsSinceEpoch();
    if (stroke.thumb)
        holding.start();
    else
        pass();
}

// The held stroke to the recorder, with the thumb nearest its key: the one
// the engine weighed, or else any within reach.
void PracticeRecording::pass()
{
    holding.stop();
    if (!held)
        return;
    const JudgedStroke stroke = *std::exchange(held, std::nullopt);
    record::Stroke kept;
    kept.time = heldSince, kept.expected = stroke.asked, kept.typed = stroke.typed, kept.hit = stroke.hit;
    kept.thumbNeeded = handNumber(ThumbShiftEngine::thumbNeededFor(stroke.asked));
    if (const std::optional<ThumbStroke> &struck = stroke.thumb; struck && struck->thumbOffsetMs) {
        kept.thumbMs = struck->thumbOffsetMs, kept.chord = struck->chord, kept.thumbHand = handNumber(struck->thumbHand);
    } else if (struck) {
        kept.chord = struck->chord; // continuous shift: a thumb held from before
        for (const ThumbPress &thumb : std::as_const(thumbs)) {
            const qint64 offset = thumb.time - struck->pressedAt;
            if (qAbs(offset) <= NearestThumbMs && (!kept.thumbMs || qAbs(offset) < qAbs(*kept.thumbMs)))
                kept.thumbMs = offset, kept.thumbHand = handNumber(thumb.hand);
        }
    }
    emit this->kept(kept);
    recorder.add(std::move(kept));
}

void PracticeRecording::writeNow()
{
    pass();
    recorder.writeNow();
}

void PracticeRecording::finish()
{
    pass();
    if (const QString notice = recorder.finish(); !notice.isEmpty())
        KeepUnsavedProblem(notice);
}

void OpenRecordWindow()
{
    const QString program = QCoreApplication::applicationDirPath() + u"/KestovaRecord"_s;
    if (!QProcess::startDetached(program, {}))
        ShowPlainMessage(u"練習の記録を開けません：%1 を起動できません。"_s.arg(program));
}

} // namespace kestova
