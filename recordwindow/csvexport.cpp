#include "csvexport.h"

#include "recorddatabase.h"

#include <QDateTime>
#include <QIODevice>
#include <QSqlDriver>
#include <QVariant>

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <optional>
#include <sqlite3.h>

using namespace Qt::StringLiterals;

namespace kestova::record {
namespace {

// Local time in ISO 8601 with its offset from UTC: the offset the stroke
// was typed with, or for strokes of before offsets were kept, the local
// zone's, looked up once a quarter of an hour of strokes (zones change their
// offsets on the quarter hour of UTC); the calendar date once a day.
class LocalTime {
public:
    void append(QByteArray &out, qint64 ms, std::optional<int> kept)
    {
        if (!kept && (ms < quarterStarts || ms >= quarterStarts + QuarterMs)) {
            quarterStarts = ms - ((ms % QuarterMs) + QuarterMs) % QuarterMs;
            zoneOffset = QDateTime::fromMSecsSinceEpoch(quarterStarts).offsetFromUtc();
        }
        const int offset = kept.value_or(zoneOffset);
        const qint64 local = ms + qint64(offset) * 1000;
        const qint64 day = local / 86'400'000 - (local % 86'400'000 < 0);
        if (day != shownDay)
            shownDay = day, date = QDate(1970, 1, 1).addDays(day).toString(u"yyyy-MM-dd"_s).toLatin1();
        qint64 inDay = local - day * 86'400'000;
        char clock[] = "THH:MM:SS.mmm+HH:MM";
        const int east = std::abs(offset) / 60;
        for (auto [at, value] : {std::pair{1, inDay / 3'600'000}, {4, inDay / 60'000 % 60}, {7, inDay / 1000 % 60}, {14, qint64(east / 60)}, {17, qint64(east % 60)}})
            clock[at] = char('0' + value / 10), clock[at + 1] = char('0' + value % 10);
        clock[10] = char('0' + inDay % 1000 / 100), clock[11] = char('0' + inDay % 100 / 10), clock[12] = char('0' + inDay % 10);
        clock[13] = offset < 0 ? '-' : '+';
        out += date;
        out += clock;
    }

private:
    static constexpr qint64 QuarterMs = 900'000;
    qint64 quarterStarts = -1, shownDay = LLONG_MIN;
    int zoneOffset = 0;
    QByteArray date;
};

// A field as CSV takes it: quoted where it holds a comma, a quote or a line break.
void appendField(QByteArray &out, QByteArrayView bytes)
{
    if (bytes.contains(',') || bytes.contains('"') || bytes.contains('\n') || bytes.contains('\r'))
        out += '"' + bytes.toByteArray().replace("\"", "\"\"") + '"';
    else
        out.append(bytes);
}

} // namespace

QString WriteCsv(const QSqlDatabase &database, QIODevice &out)
{
    // A million rows through QSqlQuery cost seconds in copies; SQLite's own
    // interface, on the same connection, hands each field over as it stands.
    const QVariant handle = database.driver()->handle();
    if (!database.isOpen() || qstrcmp(handle.typeName(), "sqlite3*") != 0)
        return u"練習の記録が開いていません。"_s;
    sqlite3 *connection = *static_cast<sqlite3 *const *>(handle.data());
    const auto recordsFault = [&] {
        return u"練習の記録 %1 を読めません（%2）。"_s.arg(database.databaseName(), CauseOf(QSqlError({}, {}, QSqlError::StatementError, QString::number(sqlite3_errcode(connection)))));
    };
    const auto outputsFault = [&out] { return u"%1 に書き出せません（%2）。"_s.arg(out.objectName(), CauseOfErrno(errno)); };
    sqlite3_stmt *rows = nullptr;
    if (sqlite3_prepare_v2(connection, "SELECT time, program, expected, typed, hit, thumb_ms, chord, utc_offset, thumb_hand, thumb_needed FROM strokes ORDER BY time", -1, &rows, nullptr) != SQLITE_OK)
        return recordsFault();
    const auto text = [&](int column) {
        return QByteArrayView(reinterpret_cast<const char *>(sqlite3_column_text(rows, column)), sqlite3_column_bytes(rows, column));
    };
    QByteArray buffer = "time,program,expected,typed,hit,thumb_ms,chord,thumb_hand,thumb_needed\n";
    const auto hand = [&](int column) -> QByteArrayView {
        if (sqlite3_column_type(rows, column) == SQLITE_NULL)
            return {};
        const int number = sqlite3_column_int(rows, column);
        return number == 1 ? "left" : number == 2 ? "right" : "none";
    };
    LocalTime time;
    QString problem;
    int step;
    while (problem.isEmpty() && (step = sqlite3_step(rows)) == SQLITE_ROW) {
        time.append(buffer, sqlite3_column_int64(rows, 0),
                    sqlite3_column_type(rows, 7) == SQLITE_NULL ? std::nullopt : std::optional(sqlite3_column_int(rows, 7)));
        for (int column : {1, 2, 3}) {
            buffer += ',';
            appendField(buffer, text(column));
        }
        buffer += sqlite3_column_int(rows, 4) ? ",1," : ",0,";
        if (sqlite3_column_type(rows, 5) != SQLITE_NULL)
            buffer += QByteArray::number(sqlite3_column_int64(rows, 5));
        buffer += ',';
        if (sqlite3_column_type(rows, 6) != SQLITE_NULL)
            buffer += sqlite3_column_int(rows, 6) ? '1' : '0';
        buffer += ',';
        buffer += hand(8);
        buffer += ',';
        buffer += hand(9);
        buffer += '\n';
        if (buffer.size() > 1 << 16) {
            if (out.write(buffer) != buffer.size())
                problem = outputsFault();
            buffer.clear();
        }
    }
    if (problem.isEmpty() && step != SQLITE_DONE)
        problem = recordsFault();
    sqlite3_finalize(rows);
    if (problem.isEmpty() && out.write(buffer) != buffer.size())
        problem = outputsFault();
    return problem;
}

} // namespace kestova::record
