#pragma once

#include <QObject>
#include <QSqlError>
#include <QString>

#include <condition_variable>
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
    std::optional<qint64> thumbMs;
    bool chord = false;
};

// Keeps every judged keystroke of one program in the practice record. The
// keystroke only goes into memory; a thread of its own writes the strokes
// to the database in batches, every second and whenever asked (at every end
// of the program), so that a hard kill loses the last second at most. What
// goes wrong with the database is told through problem(), once for each
// thing; practice goes on regardless.
class StrokeRecorder : public QObject {
    Q_OBJECT

public:
    explicit StrokeRecorder(QString program, QString path = {});
    ~StrokeRecorder() override; // writes what is left

    void add(Stroke stroke);
    // Has what is kept now written and waits for the attempt, a few seconds
    // at most; a write that fails is told through problem() and tried again.
    void writeNow();

signals:
    void problem(const QString &text);

private:
    void run();
    bool writeBatch(const std::vector<Stroke> &batch);
    void tell(const QString &text);

    const QString program;
    const QString path;
    std::mutex mutex;
    std::condition_variable wake;
    std::condition_variable written;
    std::vector<Stroke> kept;
    quint64 asked = 0, done = 0; // write requests, and the last one carried out
    bool stopping = false;
    QStringList told;
    qint64 lastStroke = 0; // the stroke written last, for the steps of active time
    QSqlError lastError;
    std::thread writer;
};

} // namespace kestova::record
