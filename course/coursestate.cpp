#include "coursestate.h"

#include "usersettings.h"

#include <QSettings>
#include <QSqlDriver>
#include <QSqlQuery>
#include <QVariant>

#include <sqlite3.h>

using namespace Qt::StringLiterals;

namespace kestova::course {
namespace {

const QString TargetKey = u"Course/targetSpeed"_s;

bool run(const QSqlDatabase &database, const QString &sql, const QVariantList &values = {})
{
    QSqlQuery query(database);
    if (!query.prepare(sql))
        return false;
    for (const QVariant &value : values)
        query.addBindValue(value);
    return query.exec();
}

// The course's table, and an index that holds all the course reads of its
// strokes, in time order, so that weighing a long course reads nothing else.
bool makeTables(const QSqlDatabase &database)
{
    return run(database, u"CREATE TABLE IF NOT EXISTS course (id INTEGER PRIMARY KEY CHECK (id = 1), units_in_play INTEGER NOT NULL, lessons INTEGER NOT NULL, since INTEGER NOT NULL DEFAULT 0, joined TEXT NOT NULL DEFAULT '', kana TEXT NOT NULL DEFAULT '')"_s)
            && run(database, u"CREATE INDEX IF NOT EXISTS course_strokes ON strokes(time, expected, hit, chord) WHERE program = '%1'"_s.arg(CourseProgram));
}

} // namespace

CourseState LoadCourseState(const QSqlDatabase &database)
{
    CourseState state;
    QSqlQuery query(database);
    if (query.exec(u"SELECT units_in_play, lessons, since, joined, kana FROM course WHERE id = 1"_s) && query.next()) {
        state = {qMax(FirstUnits, query.value(0).toInt()), qMax(0, query.value(1).toInt()), query.value(2).toLongLong(), {}, query.value(4).toString()};
        for (const QString &lesson : query.value(3).toString().split(u' ', Qt::SkipEmptyParts))
            state.joinedAt.append(lesson.toInt());
    }
    return state;
}

bool PrepareCourse(const QSqlDatabase &database)
{
    return makeTables(database);
}

bool SaveCourseState(const QSqlDatabase &database, const CourseState &state)
{
    QStringList lessons;
    for (int lesson : state.joinedAt)
        lessons.append(QString::number(lesson));
    const QString joined = lessons.join(u' ');
    return makeTables(database)
            && run(database, u"INSERT OR REPLACE INTO course VALUES (1, ?, ?, ?, ?, ?)"_s, {state.unitsInPlay, state.lessons, state.since, joined, state.kana});
}

bool StartOver(const QSqlDatabase &database, qint64 now)
{
    return SaveCourseState(database, {FirstUnits, 0, now, {}, {}});
}

std::optional<CourseAttempts> ReadCourseAttempts(const QSqlDatabase &database, qint64 since)
{
    // QSqlQuery would copy every field of a million rows into variants;
    // SQLite's own interface, on the same connection, hands them over.
    const QVariant handle = database.driver()->handle();
    if (!database.isOpen() || qstrcmp(handle.typeName(), "sqlite3*") != 0)
        return std::nullopt;
    sqlite3 *connection = *static_cast<sqlite3 *const *>(handle.data());
    sqlite3_stmt *rows = nullptr;
    // The program named as it stands, so that SQLite takes the course's index.
    const QByteArray select = u"SELECT time, expected, hit, chord FROM strokes WHERE program = '%1' AND time >= ? ORDER BY time"_s.arg(CourseProgram).toUtf8();
    if (sqlite3_prepare_v2(connection, select.constData(), -1, &rows, nullptr) != SQLITE_OK)
        return std::nullopt;
    sqlite3_bind_int64(rows, 1, since);
    CourseAttempts attempts;
    int step;
    while ((step = sqlite3_step(rows)) == SQLITE_ROW) {
        // A unit is one kana, three bytes of UTF-8; decoded here, as QString
        // would cost a copy a row.
        const auto *bytes = sqlite3_column_text(rows, 1);
        const QChar kana = sqlite3_column_bytes(rows, 1) == 3 && (bytes[0] & 0xF0) == 0xE0
                ? QChar(char16_t((bytes[0] & 0x0F) << 12 | (bytes[1] & 0x3F) << 6 | (bytes[2] & 0x3F)))
                : QChar();
        const std::optional<bool> chord = sqlite3_column_type(rows, 3) == SQLITE_NULL ? std::nullopt : std::optional(sqlite3_column_int(rows, 3) != 0);
        attempts.add(sqlite3_column_int64(rows, 0), kana, sqlite3_column_int(rows, 2) != 0, chord);
    }
    sqlite3_finalize(rows);
    return step == SQLITE_DONE ? std::optional(std::move(attempts)) : std::nullopt;
}

int LoadTargetSpeed()
{
    bool ok = false;
    const int speed = OpenUserSettings()->value(TargetKey).toInt(&ok);
    return ok && speed >= SlowestTarget && speed <= FastestTarget ? speed : DefaultTarget;
}

void SaveTargetSpeed(int kanaPerMinute)
{
    OpenUserSettings()->setValue(TargetKey, qBound(SlowestTarget, kanaPerMinute, FastestTarget));
}

} // namespace kestova::course
