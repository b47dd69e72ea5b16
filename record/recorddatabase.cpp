#include "recorddatabase.h"

#include "programs.h"
#include "sqlitestatement.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSqlError>
#include <QSqlQuery>
#include <QStandardPaths>
#include <QVariant>

#include <cerrno>

#include <sqlite3.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace Qt::StringLiterals;

namespace kestova::record {
namespace {

// Short, so that a writer held up by another program's lock is free to keep
// its strokes elsewhere when its program ends.
constexpr int BusyTimeoutMs = 250;

// Every attempt, and what the record window reads kept up to date beside
// them in the same transactions, so that it never reads every one; the
// course's own state.
const char *const Tables[] = {
    "CREATE TABLE IF NOT EXISTS strokes ("
    " time INTEGER NOT NULL,"      // the key's press, ms since the epoch, UTC
    " program TEXT NOT NULL,"
    " expected TEXT NOT NULL,"
    " typed TEXT NOT NULL,"
    " hit INTEGER NOT NULL,"
    " thumb_ms INTEGER,"           // thumb press minus key press, where a thumb was weighed or found near
    " chord INTEGER,"              // whether a thumb shifted the key (also one held from before); unknown for an input method's
    " utc_offset INTEGER,"         // seconds east of UTC in force when typed
    " thumb_hand INTEGER,"         // that thumb's hand: 1 left, 2 right
    " thumb_needed INTEGER,"       // the thumb the kana asked for takes: 0 none, 1 left, 2 right
    " reason INTEGER)",            // why the keyboard decided as it did (StrokeReason); unknown before version 3
    // Per local day and program: active time leaves pauses out, and the
    // hits that count in a speed are those not after a pause.
    "CREATE TABLE IF NOT EXISTS days (day INTEGER NOT NULL, program TEXT NOT NULL, strokes INTEGER NOT NULL,"
    " hits INTEGER NOT NULL, active_ms INTEGER NOT NULL, paced_hits INTEGER NOT NULL DEFAULT 0,"
    " PRIMARY KEY (day, program)) WITHOUT ROWID",
    "CREATE TABLE IF NOT EXISTS kana (expected TEXT NOT NULL, typed TEXT NOT NULL, count INTEGER NOT NULL,"
    " PRIMARY KEY (expected, typed)) WITHOUT ROWID",
    // The nearest thumb to each key, in 10 ms bins by their lower end, as
    // chords and as failures, with their sums for mean and spread.
    "CREATE TABLE IF NOT EXISTS thumb_bins (bin INTEGER NOT NULL, chord INTEGER NOT NULL, count INTEGER NOT NULL, total INTEGER NOT NULL,"
    " squares INTEGER NOT NULL, PRIMARY KEY (bin, chord)) WITHOUT ROWID",
    // How far each claimed pending file is merged, by the mark of its claim.
    "CREATE TABLE IF NOT EXISTS pending_merges (mark TEXT PRIMARY KEY, lines INTEGER NOT NULL) WITHOUT ROWID",
    // The same two per local day, for the figures of a period.
    "CREATE TABLE IF NOT EXISTS kana_days (day INTEGER NOT NULL, expected TEXT NOT NULL, typed TEXT NOT NULL, count INTEGER NOT NULL,"
    " PRIMARY KEY (day, expected, typed)) WITHOUT ROWID",
    "CREATE TABLE IF NOT EXISTS thumb_days (day INTEGER NOT NULL, bin INTEGER NOT NULL, chord INTEGER NOT NULL, count INTEGER NOT NULL,"
    " total INTEGER NOT NULL, squares INTEGER NOT NULL, PRIMARY KEY (day, bin, chord)) WITHOUT ROWID",
    // The course's units in play, lessons taken, since when its strokes
    // count, the lesson each unit joined in, and its kana in order.
    "CREATE TABLE IF NOT EXISTS course (id INTEGER PRIMARY KEY CHECK (id = 1), units_in_play INTEGER NOT NULL, lessons INTEGER NOT NULL,"
    " since INTEGER NOT NULL DEFAULT 0, joined TEXT NOT NULL DEFAULT '', kana TEXT NOT NULL DEFAULT '')",
};

// Made after the tables are up to date. The course's index holds all the
// course weighs of its strokes, in time order, so that a long course reads
// nothing else however many strokes other programs have; the program too,
// which its query names, or SQLite would look each stroke up in the table.
const QString Indexes[] = {
    u"CREATE INDEX IF NOT EXISTS strokes_by_time ON strokes(time)"_s,
    u"CREATE INDEX IF NOT EXISTS course_strokes ON strokes(time, expected, hit, reason, chord, program) WHERE program = '%1'"_s.arg(program::Course),
};

// From version 1, which had no version, after the tables new in 2: the
// time zone of each stroke, the nearest thumb's hand and the thumb needed,
// the hits counted in speeds (then all of them), the thumb bins (then the
// thumbs weighed, nearly all chords).
const char *const FromVersion1[] = {
    "ALTER TABLE strokes ADD COLUMN utc_offset INTEGER",
    "ALTER TABLE strokes ADD COLUMN thumb_hand INTEGER",
    "ALTER TABLE strokes ADD COLUMN thumb_needed INTEGER",
    "ALTER TABLE days ADD COLUMN paced_hits INTEGER NOT NULL DEFAULT 0",
    "UPDATE days SET paced_hits = hits",
    "INSERT INTO thumb_bins SELECT bin, 1, count, total, squares FROM thumbs",
    "INSERT INTO kana_days SELECT CAST(julianday(time / 1000.0, 'unixepoch', 'localtime') - 2440587.5 AS INTEGER) AS local_day,"
    " expected, typed, count(*) FROM strokes GROUP BY local_day, expected, typed",
    "INSERT INTO thumb_days SELECT CAST(julianday(time / 1000.0, 'unixepoch', 'localtime') - 2440587.5 AS INTEGER) AS local_day,"
    " thumb_ms - ((thumb_ms % 10) + 10) % 10 AS bin, 1, count(*), sum(thumb_ms), sum(thumb_ms * thumb_ms) FROM strokes"
    " WHERE thumb_ms IS NOT NULL GROUP BY local_day, bin",
};

// From version 2: why the keyboard decided as it did.
const char *const FromVersion2[] = {
    "ALTER TABLE strokes ADD COLUMN reason INTEGER",
};

// From any older version: the course's index is made anew (version 2's
// course made its own, version 3's read the table as well).
const char *const OlderIndexes[] = {
    "DROP INDEX IF EXISTS course_strokes",
};

QSqlError run(QSqlDatabase &database, const QString &statement)
{
    QSqlQuery query(database);
    return query.exec(statement) ? QSqlError() : query.lastError();
}

QSqlError run(QSqlDatabase &database, const char *statement)
{
    return run(database, QString::fromLatin1(statement));
}

template <typename Statements>
QSqlError runAll(QSqlDatabase &database, const Statements &statements)
{
    for (const auto &statement : statements) {
        if (QSqlError error = run(database, statement); error.isValid())
            return error;
    }
    return {};
}

// A record's tables and indexes as this version has them, from the version it has.
QSqlError makeSchema(QSqlDatabase &database, int version)
{
    QSqlError error = runAll(database, Tables);
    if (!error.isValid() && version == 1)
        error = runAll(database, FromVersion1);
    if (!error.isValid() && version >= 1 && version < 3)
        error = runAll(database, FromVersion2);
    if (!error.isValid() && version >= 1)
        error = runAll(database, OlderIndexes);
    return error.isValid() ? error : runAll(database, Indexes);
}

// The record's version: 1 for the tables of before versions were kept,
// 0 for none yet; -1 where it cannot be read.
int versionOf(QSqlDatabase &database, QSqlError &error)
{
    QSqlQuery query(database);
    if (!query.exec(u"SELECT (SELECT user_version FROM pragma_user_version), EXISTS (SELECT 1 FROM sqlite_master WHERE name = 'strokes')"_s)
        || !query.next()) {
        error = query.lastError();
        return -1;
    }
    const int version = query.value(0).toInt();
    return version == 0 && query.value(1).toBool() ? 1 : version;
}

// Whether the copy of a record at `copy` is whole: a database that holds
// its strokes and passes a check.
bool wholeCopy(const QString &copy)
{
    const QString connection = u"copy-%1"_s.arg(quintptr(&copy));
    bool whole = false;
    {
        QSqlDatabase database = QSqlDatabase::addDatabase(u"QSQLITE"_s, connection);
        database.setDatabaseName(copy);
        database.setConnectOptions(u"QSQLITE_OPEN_READONLY"_s);
        QSqlQuery query(database);
        whole = database.open() && query.exec(u"PRAGMA quick_check"_s) && query.next() && query.value(0).toString() == u"ok"
                && query.exec(u"SELECT 1 FROM sqlite_master WHERE name = 'strokes'"_s) && query.next();
    }
    QSqlDatabase::removeDatabase(connection);
    return whole;
}

// Brings the tables up to this version in one transaction, after a copy of
// the record as it was, made under another name and renamed once whole, so
// that a program killed while copying leaves no copy that looks like one;
// another program doing the same at once finds it done.
QSqlError bringUpToDate(QSqlDatabase &database, const QString &path, int version)
{
    const QString copy = u"%1.before-v%2"_s.arg(path).arg(RecordVersion);
    if (version > 0 && !(QFileInfo::exists(copy) && wholeCopy(copy))) {
        const QString partial = copy + u".partial"_s;
        QFile::remove(partial);
        QSqlQuery vacuum(database);
        const bool made = vacuum.exec(u"VACUUM INTO '%1'"_s.arg(QString(partial).replace(u'\'', u"''"_s)));
        const QSqlError error = vacuum.lastError();
        vacuum.finish();
        if (!made || !wholeCopy(partial) || !(QFile::remove(copy) || !QFileInfo::exists(copy)) || !QFile::rename(partial, copy)) {
            QFile::remove(partial);
            return error.isValid() ? error : QSqlError(u"copy"_s, {}, QSqlError::StatementError, u"10"_s);
        }
    }
    QSqlError error = run(database, "BEGIN IMMEDIATE");
    if (error.isValid())
        return error;
    version = versionOf(database, error);
    if (!error.isValid() && version < RecordVersion)
        error = makeSchema(database, version);
    if (!error.isValid() && version < RecordVersion)
        error = run(database, QByteArray("PRAGMA user_version = " + QByteArray::number(RecordVersion)).constData());
    if (!error.isValid())
        error = run(database, "COMMIT");
    if (error.isValid())
        run(database, "ROLLBACK");
    return error;
}

bool open(QSqlDatabase &database, const QString &path)
{
    database.setDatabaseName(path);
    database.setConnectOptions(u"QSQLITE_BUSY_TIMEOUT=%1"_s.arg(BusyTimeoutMs));
    return database.open();
}

// Damage inside a table is found only when a read reaches it: the error
// where the record is damaged or cannot be read.
QSqlError check(QSqlDatabase &database)
{
    QSqlQuery check(database);
    if (!check.exec(u"PRAGMA quick_check"_s) || !check.next())
        return check.lastError();
    return check.value(0).toString() == u"ok" ? QSqlError() : QSqlError(check.value(0).toString(), {}, QSqlError::StatementError, u"11"_s);
}

// Sets up an open connection for writing; the error where it fails. A
// record of a newer version is not touched at all, not even its journal.
QSqlError prepareForWriting(OpenedRecord &record, const QString &path)
{
    QSqlError error;
    const int version = versionOf(record.database, error);
    if (error.isValid() || version > RecordVersion)
        return error;
    error = runAll(record.database, std::initializer_list<const char *>{"PRAGMA journal_mode=WAL", "PRAGMA synchronous=NORMAL"});
    // SQLite opens a file it may not write read-only, without a word.
    if (!error.isValid() && sqlite3_db_readonly(HandleOf(record.database), "main") == 1)
        return QSqlError(u"read-only"_s, {}, QSqlError::ConnectionError, u"8"_s);
    if (!error.isValid())
        error = check(record.database);
    if (error.isValid())
        return error;
    record.writable = true;
    return version < RecordVersion ? bringUpToDate(record.database, path, version) : QSqlError();
}

// A folder that takes no new file (read-only, or not the user's) keeps
// SQLite from making its journal: said as what it is.
QString cannotOpen(const QString &path, const QSqlError &error)
{
    const QString folder = QFileInfo(path).absolutePath();
    if ((error.nativeErrorCode().toInt() & 0xFF) == 14 && QFileInfo(folder).isDir() && ::access(QFile::encodeName(folder).constData(), W_OK) != 0)
        return u"練習の記録 %1 を開けません（フォルダー %2 に書き込めません。読み取り専用になっているか、許可がありません）。"_s.arg(path, folder);
    return u"練習の記録 %1 を開けません（%2）。"_s.arg(path, CauseOf(error));
}

} // namespace

// While it lives, a check or a bringing up to date on the connection stops
// when the program gives up: SQLite's integrity check hears only an
// interrupt, the statements of a bringing up to date a progress handler too.
class Checking {
public:
    Checking(QSqlDatabase &database, GivingUp *givingUp) : connection(HandleOf(database)), givingUp(givingUp)
    {
        if (!givingUp || !connection)
            return;
        const auto given = [](void *flag) { return static_cast<const std::atomic<bool> *>(flag)->load() ? 1 : 0; };
        sqlite3_progress_handler(connection, 1000, given, &givingUp->flag);
        const std::lock_guard lock(givingUp->mutex);
        givingUp->checking = connection;
        if (givingUp->flag)
            sqlite3_interrupt(connection);
    }
    ~Checking()
    {
        if (!givingUp || !connection)
            return;
        sqlite3_progress_handler(connection, 0, nullptr, nullptr);
        const std::lock_guard lock(givingUp->mutex);
        givingUp->checking = nullptr;
    }

private:
    sqlite3 *connection;
    GivingUp *givingUp;
};

void GivingUp::now()
{
    flag = true;
    const std::lock_guard lock(mutex);
    if (checking)
        sqlite3_interrupt(static_cast<sqlite3 *>(checking));
}

namespace {

const QString PracticeGoesOn = u"練習は続けられます。"_s;

} // namespace

bool Outdated(const QString &path)
{
    const QString connection = u"version-%1"_s.arg(quintptr(&path));
    int version = 0;
    if (QFileInfo(path).isFile()) {
        QSqlDatabase database = QSqlDatabase::addDatabase(u"QSQLITE"_s, connection);
        database.setDatabaseName(path);
        database.setConnectOptions(u"QSQLITE_OPEN_READONLY"_s);
        QSqlError error;
        version = database.open() ? versionOf(database, error) : 0;
        database.close();
    }
    QSqlDatabase::removeDatabase(connection);
    return version >= 1 && version < RecordVersion;
}

bool Unusable(const QSqlError &error)
{
    const int code = error.nativeErrorCode().toInt() & 0xFF; // SQLITE_CORRUPT, SQLITE_NOTADB
    return code == 11 || code == 26;
}

bool Busy(const QSqlError &error)
{
    const int code = error.nativeErrorCode().toInt() & 0xFF; // SQLITE_BUSY, SQLITE_LOCKED
    return code == 5 || code == 6;
}

QString CauseOf(const QSqlError &error)
{
    switch (error.nativeErrorCode().toInt() & 0xFF) {
    case 5:
    case 6:
        return u"ほかのプログラムが使っています"_s;
    case 8:
    case 23:
        return u"書き込みが許されていません"_s;
    case 10:
        return u"ディスクの読み書きに失敗しました"_s;
    case 11:
    case 26:
        return u"ファイルが壊れています"_s;
    case 13:
        return u"ディスクがいっぱいです"_s;
    case 14:
        return u"ファイルを開けません。フォルダーがないか、許可がありません"_s;
    default:
        return u"記録のファイルを使えません"_s;
    }
}

QString CauseOfErrno(int error)
{
    switch (error) {
    case ENOSPC:
    case EDQUOT:
        return u"ディスクがいっぱいです"_s;
    case EFBIG:
        return u"ファイルが大きくなりすぎました"_s;
    case EROFS:
        return u"読み取り専用のディスクです"_s;
    case EACCES:
    case EPERM:
        return u"書き込みが許されていません"_s;
    case ENOENT:
        return u"フォルダーがありません"_s;
    case EISDIR:
        return u"フォルダーです"_s;
    case EINVAL:
        return u"書き込めない種類のファイルです"_s;
    case EIO:
        return u"ディスクの読み書きに失敗しました"_s;
    default:
        return u"書き込めません（エラー番号 %1）"_s.arg(error);
    }
}

quint64 FileIdOf(const QString &path)
{
    struct stat status {};
    return ::stat(QFile::encodeName(path).constData(), &status) == 0 ? quint64(status.st_ino) : 0;
}

QString StartAfresh(OpenedRecord &record, const QString &path, quint64 foundBroken)
{
    record.database.close();
    QString told;
    if (foundBroken && FileIdOf(path) == foundBroken) {
        const QString aside = path + u".broken-"_s + QDateTime::currentDateTime().toString(u"yyyyMMdd-HHmmss-zzz"_s);
        for (const char *suffix : {"", "-wal", "-shm"})
            QFile::rename(path + QLatin1String(suffix), aside + QLatin1String(suffix));
        told = u"練習の記録のファイルが壊れていたので、%1 として残し、新しく記録を始めました。"_s.arg(aside);
    }
    record.writable = false;
    record.fileId = 0;
    QSqlError error = open(record.database, path) ? prepareForWriting(record, path) : record.database.lastError();
    if (error.isValid()) {
        record.database.close();
        return cannotOpen(path, error) + PracticeGoesOn;
    }
    record.fileId = FileIdOf(path);
    return told;
}

QString RecordPath()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) + u"/Kestova/record.sqlite"_s;
}

OpenedRecord OpenRecord(const QString &connectionName, Use use, const QString &path, GivingUp *givingUp)
{
    OpenedRecord opened{QSqlDatabase::addDatabase(u"QSQLITE"_s, connectionName), {}, {}};
    if (QFileInfo(path).isDir()) {
        opened.problem = u"練習の記録 %1 がフォルダーになっていて、記録を読み書きできません。このフォルダーの名前を変えるか、ほかへ移してください。"_s.arg(path)
                + (use == Use::Writing ? PracticeGoesOn : QString());
        return opened;
    }
    if (use == Use::Reading && !QFileInfo::exists(path)) { // nothing practised yet: an empty record in memory
        QSqlError error = open(opened.database, u":memory:"_s) ? QSqlError() : opened.database.lastError();
        if (!error.isValid())
            error = makeSchema(opened.database, 0);
        opened.problem = error.isValid() ? cannotOpen(path, error) : QString();
        return opened;
    }
    if (!QDir().mkpath(QFileInfo(path).absolutePath())) {
        opened.problem = u"フォルダー %1 を作れません。"_s.arg(QFileInfo(path).absolutePath());
        return opened;
    }
    if (!open(opened.database, path)) {
        opened.error = opened.database.lastError();
        opened.problem = cannotOpen(path, opened.error);
        return opened;
    }
    opened.fileId = FileIdOf(path);
    if (use == Use::Reading) {
        QSqlError error;
        const int version = versionOf(opened.database, error);
        if (version > RecordVersion)
            opened.problem = u"練習の記録 %1 は新しい版の Kestova で作られています。読めるところだけを表示します。"_s.arg(path);
        else if (version >= 1 && version < RecordVersion) // brought up to date where it can be; read as it is otherwise
            bringUpToDate(opened.database, path, version);
        return opened;
    }
    // Locked by another program (trainers started together make the record
    // at once): the writer tries again a moment later.
    QSqlError error;
    {
        const Checking checking(opened.database, givingUp);
        error = prepareForWriting(opened, path);
    }
    if (Unusable(error)) {
        opened.problem = StartAfresh(opened, path, opened.fileId);
    } else if (error.isValid()) {
        opened.database.close();
        opened.writable = false;
        opened.error = error;
        opened.problem = cannotOpen(path, error) + PracticeGoesOn;
    } else if (!opened.writable) {
        opened.problem = u"練習の記録 %1 は新しい版の Kestova で作られているので、書き込みません。この版での練習は %2 に残します。"_s.arg(path, path + u".pending"_s);
    }
    return opened;
}

} // namespace kestova::record
