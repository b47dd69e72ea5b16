#include "recorddatabase.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSqlError>
#include <QSqlQuery>
#include <QStandardPaths>
#include <QThread>

namespace kestova::record {
namespace {

constexpr int BusyTimeoutMs = 5000;
constexpr int BusyRetries = 50, BusyRetryMs = 100;

// Every stroke, and what the progress window reads kept up to date beside
// them in the same transactions, so that it never reads every stroke.
const char *const Schema[] = {
    "PRAGMA journal_mode=WAL",
    "PRAGMA synchronous=NORMAL",
    "CREATE TABLE IF NOT EXISTS strokes ("
    " time INTEGER NOT NULL,"      // ms since the epoch
    " program TEXT NOT NULL,"
    " expected TEXT NOT NULL,"
    " typed TEXT NOT NULL,"
    " hit INTEGER NOT NULL,"
    " thumb_ms INTEGER,"           // thumb press minus key press, where a thumb was weighed
    " chord INTEGER)",             // whether that thumb shifted the key
    "CREATE INDEX IF NOT EXISTS strokes_by_time ON strokes(time)",
    // Per local day and program: active time leaves pauses over 10 s out.
    "CREATE TABLE IF NOT EXISTS days (day INTEGER NOT NULL, program TEXT NOT NULL, strokes INTEGER NOT NULL,"
    " hits INTEGER NOT NULL, active_ms INTEGER NOT NULL, PRIMARY KEY (day, program)) WITHOUT ROWID",
    "CREATE TABLE IF NOT EXISTS kana (expected TEXT NOT NULL, typed TEXT NOT NULL, count INTEGER NOT NULL,"
    " PRIMARY KEY (expected, typed)) WITHOUT ROWID",
    // Thumb offsets in 10 ms bins by their lower end, with their sums for mean and spread.
    "CREATE TABLE IF NOT EXISTS thumbs (bin INTEGER PRIMARY KEY, count INTEGER NOT NULL, total INTEGER NOT NULL, squares INTEGER NOT NULL)",
};

// Sets up an open connection; the error where it fails.
QSqlError prepare(QSqlDatabase &database)
{
    QSqlQuery query(database);
    for (const char *statement : Schema) {
        if (!query.exec(QString::fromLatin1(statement)))
            return query.lastError();
    }
    return {};
}

QString cannotOpen(const QString &path, const QSqlError &error)
{
    return u"練習の記録 %1 を開けません（%2）。"_qs.arg(path, error.text());
}

const QString PracticeGoesOn = u"練習は続けられますが、記録は残りません。"_qs;

bool open(QSqlDatabase &database, const QString &path)
{
    database.setDatabaseName(path);
    database.setConnectOptions(u"QSQLITE_BUSY_TIMEOUT=%1"_qs.arg(BusyTimeoutMs));
    return database.open();
}

// SQLITE_BUSY
bool busy(const QSqlError &error)
{
    return error.nativeErrorCode().toInt() == 5;
}

} // namespace

// SQLITE_CORRUPT 11 and SQLITE_NOTADB 26. A record locked for long
// (SQLITE_BUSY) is in use, not broken: its writes are tried again.
bool Unusable(const QSqlError &error)
{
    const int code = error.nativeErrorCode().toInt();
    return code == 11 || code == 26;
}

QString StartAfresh(QSqlDatabase &database, const QString &path)
{
    database.close();
    const QString aside = path + u".broken-"_qs + QDateTime::currentDateTime().toString(u"yyyyMMdd-HHmmss"_qs);
    for (const char *suffix : {"", "-wal", "-shm"})
        QFile::rename(path + QLatin1String(suffix), aside + QLatin1String(suffix));
    const QSqlError error = open(database, path) ? prepare(database) : database.lastError();
    if (error.isValid()) {
        database.close();
        return cannotOpen(path, error) + PracticeGoesOn;
    }
    return u"練習の記録のファイルが壊れているか使えなくなっていたので、%1 として残し、新しく記録を始めました。"_qs.arg(aside);
}

QString RecordPath()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) + u"/Kestova/record.sqlite"_qs;
}

OpenedRecord OpenRecord(const QString &connectionName, Use use, const QString &path)
{
    OpenedRecord opened{QSqlDatabase::addDatabase(u"QSQLITE"_qs, connectionName), {}};
    if (use == Use::Reading && !QFileInfo::exists(path)) { // nothing practised yet: an empty record in memory
        const QSqlError error = open(opened.database, u":memory:"_qs) ? prepare(opened.database) : opened.database.lastError();
        opened.problem = error.isValid() ? cannotOpen(path, error) : QString();
        return opened;
    }
    if (!QDir().mkpath(QFileInfo(path).absolutePath())) {
        opened.problem = u"フォルダー %1 を作れません。"_qs.arg(QFileInfo(path).absolutePath());
        return opened;
    }
    QSqlError error = open(opened.database, path) ? prepare(opened.database) : opened.database.lastError();
    // Trainers started together make the record at once, and switching it to
    // WAL does not wait for a lock: the later one tries again.
    for (int attempt = 0; use == Use::Writing && opened.database.isOpen() && busy(error) && attempt < BusyRetries; ++attempt) {
        QThread::msleep(BusyRetryMs);
        error = prepare(opened.database);
    }
    if (error.isValid() && Unusable(error) && use == Use::Writing) {
        opened.problem = StartAfresh(opened.database, path);
    } else if (error.isValid()) {
        opened.database.close();
        opened.problem = cannotOpen(path, error) + (use == Use::Writing ? PracticeGoesOn : QString());
    }
    return opened;
}

} // namespace kestova::record
