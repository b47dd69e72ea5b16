#include "sqlitestatement.h"

#include <QSqlDriver>
#include <QVariant>

#include <sqlite3.h>

using namespace Qt::StringLiterals;

namespace kestova::record {

sqlite3 *HandleOf(const QSqlDatabase &database)
{
    const QVariant handle = database.driver()->handle();
    return database.isOpen() && qstrcmp(handle.typeName(), "sqlite3*") == 0 ? *static_cast<sqlite3 *const *>(handle.data()) : nullptr;
}

bool RunPrepared(QSqlQuery &query, const QString &sql, const QVariantList &values)
{
    if (!query.prepare(sql))
        return false;
    for (const QVariant &value : values)
        query.addBindValue(value);
    return query.exec();
}

Rows::Rows(const QSqlDatabase &database, const char *sql, std::initializer_list<qint64> values)
    : connection(HandleOf(database)), step(SQLITE_MISUSE)
{
    if (!connection || sqlite3_prepare_v2(connection, sql, -1, &statement, nullptr) != SQLITE_OK) {
        step = connection ? sqlite3_errcode(connection) : SQLITE_MISUSE;
        return;
    }
    int at = 0;
    for (const qint64 value : values)
        sqlite3_bind_int64(statement, ++at, value);
    step = SQLITE_OK;
}

Rows::~Rows()
{
    sqlite3_finalize(statement);
}

bool Rows::next()
{
    if (step != SQLITE_OK && step != SQLITE_ROW)
        return false;
    step = sqlite3_step(statement);
    if (step != SQLITE_ROW && step != SQLITE_DONE)
        step = sqlite3_errcode(connection);
    return step == SQLITE_ROW;
}

QSqlError Rows::error() const
{
    if (step == SQLITE_OK || step == SQLITE_ROW || step == SQLITE_DONE)
        return {};
    const QString why = connection ? QString::fromUtf8(sqlite3_errmsg(connection)) : u"no SQLite connection"_s;
    return QSqlError(why, {}, QSqlError::StatementError, QString::number(step));
}

bool Rows::isNull(int column) const
{
    return sqlite3_column_type(statement, column) == SQLITE_NULL;
}

qint64 Rows::integer(int column) const
{
    return sqlite3_column_int64(statement, column);
}

QByteArrayView Rows::text(int column) const
{
    const auto *bytes = reinterpret_cast<const char *>(sqlite3_column_text(statement, column));
    return QByteArrayView(bytes, sqlite3_column_bytes(statement, column));
}

} // namespace kestova::record
