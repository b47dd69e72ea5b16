#pragma once

#include <QByteArrayView>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QVariantList>

#include <initializer_list>

struct sqlite3;
struct sqlite3_stmt;

namespace kestova::record {

// SQLite's own connection under Qt's, for what Qt's driver does not offer
// (an interrupt, a progress handler, whether a file opened read-only):
// nullptr where the connection is no SQLite one. The build checks that Qt's
// SQLite plugin links the same SQLite as this program.
sqlite3 *HandleOf(const QSqlDatabase &database);

// The one way a statement is run here: prepared, with `values` bound in
// order; false with the query's lastError() where it fails.
bool RunPrepared(QSqlQuery &query, const QString &sql, const QVariantList &values = {});

// A query's rows read through SQLite's own interface on a Qt connection,
// each field as it stands: for reads of millions of rows, where QSqlQuery
// would copy every field into a variant.
class Rows {
public:
    Rows(const QSqlDatabase &database, const char *sql, std::initializer_list<qint64> values = {});
    ~Rows();
    Rows(const Rows &) = delete;
    Rows &operator=(const Rows &) = delete;

    // The next row; false at the end, or where reading failed.
    bool next();
    // Where reading failed, or could not begin: the error, as Qt tells
    // SQLite's (its code the native one).
    QSqlError error() const;

    bool isNull(int column) const;
    qint64 integer(int column) const;
    QByteArrayView text(int column) const;

private:
    sqlite3 *connection;
    sqlite3_stmt *statement = nullptr;
    int step;
};

} // namespace kestova::record
