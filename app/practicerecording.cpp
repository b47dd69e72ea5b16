#include "practicerecording.h"

#include "inifile.h"
#include "platform.h"

#include <QCoreApplication>
#include <QProcess>
#include <QWidget>

using namespace Qt::StringLiterals;

namespace kestova {

PracticeRecording::PracticeRecording(const QString &program, Judgements &judgements, QWidget *window, const QString &path)
    : judgements(judgements), recorder(program, path)
{
    connect(&recorder, &record::StrokeRecorder::problem, window, &ShowNotice);
    connect(&judgements, &Judgements::judged, this, [this](const Attempt &attempt) { recorder.add(attempt); });
}

void PracticeRecording::writeNow()
{
    judgements.settle();
    recorder.writeNow();
}

void PracticeRecording::finish()
{
    judgements.settle();
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
