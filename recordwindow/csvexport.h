#pragma once

#include <QSqlDatabase>
#include <QString>

class QIODevice;

namespace kestova::record {

// Every attempt of the record, oldest first, as UTF-8 CSV with the header
// time,program,expected,typed,hit,thumb_ms,chord,thumb_hand,thumb_needed,reason:
// time the key's press in ISO 8601 local time with milliseconds, hit 1 or
// 0, thumb_ms empty where no thumb was weighed or near, chord empty where
// not known (an input method's kana), the hands left, right or none, the
// reason why the keyboard decided as it did (plain, chord, held_thumb,
// thin_overlap, thumb_to_next_key, thumb_too_late, thumb_too_early, or
// typed for text with no thumb timing). Why it failed, or nothing: in
// words, the record or the output named as the one at fault.
QString WriteCsv(const QSqlDatabase &database, QIODevice &out);

} // namespace kestova::record
