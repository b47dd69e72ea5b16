#pragma once

#include "judgements.h"
#include "strokerecorder.h"

#include <QList>
#include <QObject>
#include <QTimer>

#include <optional>

class QWidget;

namespace kestova {

// A program's judged strokes kept in the practice record under its name,
// each with the thumb nearest to its key within 300 ms, before or after,
// whether or not it made a chord, and the thumb its kana takes. A stroke of
// the built-in keyboard is held that long for a thumb that comes late. The
// record itself is opened only when there is something to write, so that
// it never delays the window's first showing.
class PracticeRecording : public QObject {
    Q_OBJECT

public:
    PracticeRecording(const QString &program, Judgements &judgements, QWidget *window, const QString &path = {});
    // Waits a tenth of a second at most: a record locked by another program
    // never holds up the window.
    void writeNow();
    // At the end: written, or kept in the pending file and told with what
    // could not be saved.
    void finish();

signals:
    // A stroke as it goes to the record, its thumb found.
    void kept(const kestova::record::Stroke &stroke);

private:
    struct ThumbPress {
        qint64 time;
        ThumbHand hand;
    };
    void judged(const JudgedStroke &stroke);
    void pass();

    record::StrokeRecorder recorder;
    std::optional<JudgedStroke> held;
    qint64 heldSince = 0;
    QList<ThumbPress> thumbs; // the latest few
    QTimer holding;
};

// The record window 練習の記録: the program KestovaRecord beside this one,
// started on its own.
void OpenRecordWindow();

} // namespace kestova
