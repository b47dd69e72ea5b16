#include "practicerecording.h"

#include "inifile.h"
#include "platform.h"
#include "practicegoals.h"
#include "recorddatabase.h"
#include "rules.h"

#include <QCoreApplication>
#include <QDateTime>
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

QString RecordWindowEntry(const QString &recordPath, const QDateTime &now)
{
    const QString connection = u"today"_s;
    qint64 ms = 0;
    {
        const record::OpenedRecord opened = record::OpenRecord(connection, record::Use::Reading, recordPath.isEmpty() ? record::RecordPath() : recordPath);
        ms = record::ActiveMsOfDay(opened.database, LocalDay(now));
    }
    QSqlDatabase::removeDatabase(connection);
    const int goal = record::LoadDailyGoal();
    return goal ? u"練習の記録…（今日 %1 分 / %2 分）"_s.arg(ms / 60'000).arg(goal) : u"練習の記録…（今日 %1 分）"_s.arg(ms / 60'000);
}

void OpenRecordWindow()
{
    const QString program = QCoreApplication::applicationDirPath() + u"/KestovaRecord"_s;
    if (!QProcess::startDetached(program, {}))
        ShowPlainMessage(u"練習の記録を開けません：%1 を起動できません。"_s.arg(program));
}

} // namespace kestova
