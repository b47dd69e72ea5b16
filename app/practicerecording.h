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
    // Waits a tenth of a second at most: a record locked by another program
    // never holds up the window.
    void writeNow() { recorder.writeNow(); }
    // At the end: written, or kept in the pending file and told with what
    // could not be saved.
    void finish();

private:
    record::StrokeRecorder recorder;
};

// The progress window 練習の記録: the program KestovaRecord beside this one,
// started on its own.
void OpenProgressWindow();

} // namespace kestova
