#include "practicerecording.h"

#include "inifile.h"
#include "platform.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QProcess>
#include <QWidget>

namespace kestova {

PracticeRecording::PracticeRecording(const QString &program, Judgements &judgements, QWidget *window, const QString &path)
    : recorder(program, path)
{
    connect(&recorder, &record::StrokeRecorder::problem, window, &ShowNotice);
    connect(&judgements, &Judgements::judged, this, [this](const JudgedStroke &stroke) {
        record::Stroke kept{QDateTime::currentMSecsSinceEpoch(), stroke.asked, stroke.typed, stroke.hit};
        if (stroke.thumb)
            kept.thumbMs = stroke.thumb->thumbOffsetMs, kept.chord = stroke.thumb->chord;
        recorder.add(std::move(kept));
    });
}

void PracticeRecording::finish()
{
    if (const QString notice = recorder.finish(); !notice.isEmpty())
        KeepUnsavedProblem(notice);
}

void OpenProgressWindow()
{
    const QString program = QCoreApplication::applicationDirPath() + u"/KestovaRecord"_qs;
    if (!QProcess::startDetached(program, {}))
        ShowPlainMessage(u"練習の記録を開けません：%1 を起動できません。"_qs.arg(program));
}

} // namespace kestova
