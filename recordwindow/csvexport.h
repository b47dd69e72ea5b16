#pragma once

#include <QSqlDatabase>
#include <QString>

class QIODevice;

namespace kestova::record {

// Every stroke of the record, oldest first, as UTF-8 CSV with the header
// time,program,expected,typed,hit,thumb_ms: time in ISO 8601 local time with
// milliseconds, hit 1 or 0, thumb_ms empty where no thumb was weighed.
// Why it failed, or nothing: in words, the record or the output named as
// the one at fault.
QString WriteCsv(const QSqlDatabase &database, QIODevice &out);

} // namespace kestova::record
