#pragma once

#include <QSqlDatabase>
#include <QString>

namespace kestova::record {

// ${XDG_DATA_HOME:-~/.local/share}/Kestova/record.sqlite
QString RecordPath();

// A connection to the practice record, opened in the calling thread: WAL, a
// busy timeout so that several trainers write in turn, the table of strokes
// and the indexes the progress window reads by. A file that is no database
// is set aside as record.sqlite.broken-<date> and a fresh one started. A
// reader finds a record not yet made empty, and makes none. `problem` says
// what the learner should be told; the connection is not open where the
// record cannot be kept at all.
struct OpenedRecord {
    QSqlDatabase database;
    QString problem;
};
// A writer sets a bad file aside; a reader takes it as it is.
enum class Use { Reading, Writing };
OpenedRecord OpenRecord(const QString &connectionName, Use use, const QString &path = RecordPath());

// Whether an error says the file cannot be used as it is: corrupt, or no
// database.
bool Unusable(const QSqlError &error);

// Closes the connection, moves the file aside as <path>.broken-<date>, opens
// a fresh one on the same connection; what the learner should be told.
QString StartAfresh(QSqlDatabase &database, const QString &path);

} // namespace kestova::record
