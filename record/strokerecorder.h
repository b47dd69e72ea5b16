#pragma once

#include "recorddatabase.h"

#include <QObject>
#include <QSqlError>
#include <QSqlQuery>
#include <QString>

#include <chrono>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <optional>
#include <thread>
#include <vector>

namespace kestova::record {

// One judged keystroke.
struct Stroke {
    qint64 time = 0; // ms since the epoch
    QString expected;
    QString typed;
    bool hit = false;
    // From the built-in thumb-shift keyboard: the thumb's press minus the
    // key's, and whether it shifted the key.
    // Also where no chord came of it: the nearest thumb within 300 ms.
    std::optional<qint64> thumbMs;
    bool chord = false;
    int thumbHand = 0;   // that thumb's hand: 0 none, 1 left, 2 right
    int thumbNeeded = 0; // the thumb the kana asked for takes, as above
    QString program; // another program's, when merged from a pending file
    std::optional<int> utcOffset; // as kept in a pending file; else the zone's at `time`

    // Whether a thumb shifted the key, where that is known: a thumb was
    // weighed, or made a chord without a time (continuous shift).
    std::optional<bool> shifted() const { return thumbMs || chord ? std::optional(chord) : std::nullopt; }
};

// Keeps every judged keystroke of one program in the practice record. The
// keystroke only goes into memory; a thread of its own, started with the
// first stroke, writes the strokes to the database in batches, every second
// and whenever asked, so that a hard kill loses the last second at most.
// Strokes that cannot be written (the record locked, full, read-only, or of
// a newer version) are kept and tried again; at the end they go to a
// pending file beside the record (record.sqlite.pending), which the next
// program to open the record merges and removes. What goes wrong is told
// through problem(), once for each thing, in words; practice goes on.
class StrokeRecorder : public QObject {
    Q_OBJECT

public:
    explicit StrokeRecorder(QString program, QString path = {});
    ~StrokeRecorder() override; // finish()

    void add(Stroke stroke);
    // Has what is kept now written, waiting `longest` at most; whether the
    // writer got to it in time (written, or kept to try again).
    bool writeNow(std::chrono::milliseconds longest = std::chrono::milliseconds(100));
    // Writes what is left, or keeps it in the pending file, within about
    // two seconds; what the learner should be told then, if anything.
    QString finish();

signals:
    void problem(const QString &text);

private:
    void run();
    // `alsoDo` goes into the same transaction.
    bool writeBatch(QSqlDatabase &database, const std::vector<Stroke> &batch, const std::function<bool(QSqlQuery &)> &alsoDo = {});
    void mergePending(OpenedRecord &record);
    bool mergeClaimed(OpenedRecord &record, const QString &claimed, const QString &mark);
    bool keepPending(const std::vector<Stroke> &batch);
    void tell(const QString &text);

    const QString program;
    const QString path;
    std::mutex mutex;
    std::condition_variable wake;
    std::condition_variable written;
    std::vector<Stroke> kept;
    quint64 asked = 0, done = 0; // write requests, and the last one carried out
    bool stopping = false;
    QString leftPending; // where the last strokes went, if not into the record
    QStringList told;
    qint64 lastStroke = 0; // the stroke written last, for the steps of active time
    QSqlError lastError;
    std::thread writer;
};

} // namespace kestova::record
