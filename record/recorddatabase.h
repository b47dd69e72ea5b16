#pragma once

#include <QSqlDatabase>
#include <QSqlError>
#include <QString>

#include <atomic>
#include <mutex>

namespace kestova::record {

// The version of the record's tables this program writes; an older record
// is brought up to it, a newer one left as it is.
inline constexpr int RecordVersion = 4;

// ${XDG_DATA_HOME:-~/.local/share}/Kestova/record.sqlite
QString RecordPath();

// A connection to the practice record, opened in the calling thread: WAL, a
// short busy timeout (a writer tries again), every table and index of the
// record, the course's included: this room alone makes and versions them.
// For writing, the file is checked for damage first, and a damaged one or
// one that is no database is set aside as record.sqlite.broken-<date> and
// a fresh one started; an older record is copied to
// record.sqlite.before-v<N> (whole or not at all) and brought up to date. A
// reader finds a record not yet made empty, and makes none. `problem` says
// what the learner should be told; the connection is not open where the
// record cannot be read at all, and not `writable` where it must not be
// written (made by a newer version).
struct OpenedRecord {
    QSqlDatabase database;
    QString problem;
    QSqlError error; // behind the problem
    bool writable = false;
    quint64 fileId = 0; // the file opened, to tell when another replaced it
};
// Stops, from another thread, a check or a bringing up to date of the
// record under way (a program ending never waits for them): the record is
// then left unwritable, for the next program to check again.
class GivingUp {
public:
    void now();
    bool asked() const { return flag; }

private:
    friend class Checking;
    std::atomic<bool> flag = false;
    std::mutex mutex;
    void *checking = nullptr; // SQLite's connection, while it checks
};

// A writer sets a bad file aside; a reader takes it as it is.
enum class Use { Reading, Writing };
OpenedRecord OpenRecord(const QString &connectionName, Use use, const QString &path = RecordPath(), GivingUp *givingUp = nullptr);

// Whether the record at `path` is of an older version, which opening it
// brings up to date: on a big record a matter of seconds.
bool Outdated(const QString &path);

// Whether an error says the file cannot be used as it is: damaged, or no
// database. A record locked by another program is in use, not broken.
bool Unusable(const QSqlError &error);
bool Busy(const QSqlError &error);

// What went wrong, in words a learner can act on: an error of SQLite's,
// or of the system's (errno).
QString CauseOf(const QSqlError &error);
QString CauseOfErrno(int error);

// The file at `path` now (its inode), 0 where there is none.
quint64 FileIdOf(const QString &path);

// Closes the connection, moves the file aside as <path>.broken-<date> if it
// is still the file `foundBroken` (another program may have done so
// already), and opens the record at `path` afresh on the same connection;
// what the learner should be told.
QString StartAfresh(OpenedRecord &record, const QString &path, quint64 foundBroken);

} // namespace kestova::record
