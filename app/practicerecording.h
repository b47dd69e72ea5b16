#pragma once

#include "judgements.h"
#include "strokerecorder.h"

#include <QDateTime>
#include <QObject>

class QWidget;

namespace kestova {

// A program's attempts kept in the practice record under its name, each as
// its judgements give it out. The record itself is opened only when there
// is something to write, so that it never delays the window's first
// showing.
class PracticeRecording : public QObject {
    Q_OBJECT

public:
    PracticeRecording(const QString &program, Judgements &judgements, QWidget *window, const QString &path = {});
    // What waits is judged, and what is judged written: a tenth of a second
    // at most, so that a record locked by another program never holds up the
    // window.
    void writeNow();
    // At the end: written, or kept in the pending file and told with what
    // could not be saved.
    void finish();

private:
    Judgements &judgements;
    record::StrokeRecorder recorder;
};

// The record window 練習の記録: the program KestovaRecord beside this one,
// started on its own.
void OpenRecordWindow();
// Its menu entry, with today's practice against the daily goal as the
// record holds it (every program's): 練習の記録…（今日 5 分 / 15 分）.
QString RecordWindowEntry(const QString &recordPath = {}, const QDateTime &now = QDateTime::currentDateTime());

} // namespace kestova
