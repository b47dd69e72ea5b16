#pragma once

#include "recorddatabase.h"
#include "attempt.h"

#include <QObject>
#include <QSqlError>
#include <QSqlQuery>
#include <QString>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <optional>
#include <thread>
#include <vector>

namespace kestova::record {

// Keeps every attempt of one program in the practice record. The attempt
// only goes into memory; a thread of its own, started with the
// first stroke, writes the strokes to the database in batches, every second
// and whenever asked, so that a hard kill loses the last second at most.
// Strokes the record does not take (full, read-only, damaged beyond
// repair, of a newer version) go to the pending file at once, which the
// next program to open the record merges (this one too, once the record
// can be written again); only another program's lock is waited out. What
// goes wrong is told through problem(), once for each thing, in words
// that say what to do; practice goes on.
class StrokeRecorder : public QObject {
    Q_OBJECT

public:
    explicit StrokeRecorder(QString program, QString path = {});
    ~StrokeRecorder() override; // finish()

    void add(Attempt attempt);
    // Has what is kept now written, waiting `longest` at most; whether the
    // writer got to it in time (written, or kept to try again).
    bool writeNow(std::chrono::milliseconds longest = std::chrono::milliseconds(100));
    // Writes what is left, or keeps it in the pending file, within about
    // a second; what the learner must still be told then: strokes kept
    // nowhere. Strokes safely in the pending file need no word.
    QString finish();

signals:
    void problem(const QString &text);

private:
    void run();
    void takeKept(std::vector<Attempt> &batch);
    // `alsoDo` goes into the same transaction.
    bool writeBatch(QSqlDatabase &database, const std::vector<Attempt> &batch, const std::function<bool(QSqlQuery &)> &alsoDo = {});
    void mergePending(OpenedRecord &record, std::vector<Attempt> &live);
    void spill(std::vector<Attempt> &batch, const QSqlError &why);
    void tell(const QString &text);

    const QString program;
    const QString path;
    std::mutex mutex;
    std::condition_variable wake;
    std::condition_variable written;
    std::vector<Attempt> kept;
    quint64 asked = 0, done = 0; // write requests, and the last one carried out
    bool stopping = false;
    bool ended = false; // the writer has done
    GivingUp givingUp; // a check of the record under way
    bool spilled = false; // strokes of this program wait in a pending file
    QString lost;         // strokes kept nowhere at the end
    QStringList told;
    std::optional<qint64> lastStroke; // the attempt written last, for the steps of active time
    QSqlError lastError;
    std::thread writer;
};

} // namespace kestova::record
