#include "recordedattempts.h"

#include "sqlitestatement.h"

#include <QStringDecoder>

using namespace Qt::StringLiterals;

namespace kestova::record {
namespace {

// The text of a field into a string read before, whose memory it takes
// again unless the string was copied since.
void assign(QString &to, QByteArrayView utf8, QStringDecoder &decoder)
{
    // Most fields are one kana, three bytes: decoded here, at a million rows.
    if (utf8.size() == 3 && (utf8[0] & 0xF0) == 0xE0 && (utf8[1] & 0xC0) == 0x80 && (utf8[2] & 0xC0) == 0x80) {
        const char16_t unit((utf8[0] & 0x0F) << 12 | (utf8[1] & 0x3F) << 6 | (utf8[2] & 0x3F));
        if (unit >= 0x800 && !QChar::isSurrogate(unit)) {
            to.resize(1);
            to[0] = QChar(unit);
            return;
        }
    }
    to.resize(utf8.size()); // UTF-16 takes no more units than UTF-8 bytes
    to.truncate(decoder.appendToBuffer(to.data(), utf8) - to.data());
}

ThumbHand handOf(qint64 number)
{
    return number == 1 ? ThumbHand::Left : number == 2 ? ThumbHand::Right : ThumbHand::None;
}

} // namespace

StrokeReason ReasonOfOlderStroke(std::optional<bool> shifted, std::optional<qint64> thumbOffsetMs)
{
    if (!shifted)
        return StrokeReason::Typed;
    if (*shifted)
        return StrokeReason::Chord;
    if (!thumbOffsetMs)
        return StrokeReason::Plain;
    return *thumbOffsetMs > 0 ? StrokeReason::ThumbTooLate : StrokeReason::ThumbTooEarly;
}

QSqlError ReadAttempts(const QSqlDatabase &database, const AttemptsWanted &wanted, const std::function<bool(const Attempt &)> &each)
{
    // The program named as it stands, so that SQLite takes the course's
    // index for the course's strokes.
    const QString program = wanted.program.isEmpty() ? QString() : u"program = '%1' AND "_s.arg(QString(wanted.program).replace(u'\'', u"''"_s));
    const QString columns = wanted.whole ? u"time, expected, hit, reason, chord, thumb_ms, thumb_hand, thumb_needed, typed, program, utc_offset"_s
                                         : u"time, expected, hit, reason, chord"_s;
    const QByteArray sql = u"SELECT %1 FROM strokes WHERE %2time >= ? AND time < ? ORDER BY time"_s.arg(columns, program).toUtf8();
    Rows rows(database, sql.constData(), {wanted.since, wanted.until});
    Attempt attempt;
    QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    const auto optional = [&rows](int column) { return rows.isNull(column) ? std::nullopt : std::optional(rows.integer(column)); };
    while (rows.next()) {
        attempt.pressedAt = rows.integer(0);
        assign(attempt.asked, rows.text(1), decoder);
        attempt.hit = rows.integer(2) != 0;
        if (wanted.whole) {
            attempt.thumbOffsetMs = optional(5);
            attempt.thumbHand = handOf(rows.integer(6));
            attempt.thumbNeeded = handOf(rows.integer(7));
            assign(attempt.typed, rows.text(8), decoder);
            assign(attempt.program, rows.text(9), decoder);
            attempt.utcOffset = rows.isNull(10) ? std::nullopt : std::optional(int(rows.integer(10)));
        }
        const std::optional<qint64> reason = optional(3);
        if (reason && *reason >= 0 && *reason < StrokeReasonCount)
            attempt.reason = StrokeReason(*reason);
        else
            attempt.reason = ReasonOfOlderStroke(rows.isNull(4) ? std::nullopt : std::optional(rows.integer(4) != 0), attempt.thumbOffsetMs);
        if (!each(attempt))
            break;
    }
    return rows.error();
}

} // namespace kestova::record
