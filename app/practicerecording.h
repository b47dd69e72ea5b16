#pragma once

#include "judgements.h"
#include "strokerecorder.h"

#include <QObject>

class QWidget;

namespace kestova {

// A program's judged strokes kept in the practice record under its name.
// The record itself is opened only when there is something to write, so
// that it never delays the window's first showing; strokes are kept in
// memory until then.
class PracticeRecording : public QObject {
    Q_OBJECT

public:
    PracticeRecording(const QString &program, Judgements &judgements, QWidget *window, const QString &path = {});
    void writeNow() { recorder.writeNow(); }

private:
    record::StrokeRecorder recorder;
};

// The progress window 練習の記録: the program KestovaRecord beside this one,
// started on its own.
void OpenProgressWindow();

} // namespace kestova
