#include "csvexport.h"

#include "recordedattempts.h"
#include "recorddatabase.h"
#include "rules.h"

#include <QDateTime>
#include <QIODevice>

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <optional>

using namespace Qt::StringLiterals;

namespace kestova::record {
namespace {

// Local time in ISO 8601 with its offset from UTC: the offset the attempt
// was typed with, or for attempts of before offsets were kept, the local
// zone's then; the calendar date once a day.
class LocalTime {
public:
    void append(QByteArray &out, qint64 ms, std::optional<int> kept)
    {
        const int offset = kept.value_or(zone.at(ms));
        const qint64 day = LocalDay(ms, offset);
        if (day != shownDay) {
            shownDay = day;
            date = QDate(1970, 1, 1).addDays(day).toString(u"yyyy-MM-dd"_s).toLatin1();
        }
        const qint64 inDay = ms + qint64(offset) * 1000 - day * 86'400'000;
        char clock[] = "THH:MM:SS.mmm+HH:MM";
        const int east = std::abs(offset) / 60;
        for (auto [at, value] : {std::pair{1, inDay / 3'600'000}, {4, inDay / 60'000 % 60}, {7, inDay / 1000 % 60}, {14, qint64(east / 60)}, {17, qint64(east % 60)}}) {
            clock[at] = char('0' + value / 10);
            clock[at + 1] = char('0' + value % 10);
        }
        clock[10] = char('0' + inDay % 1000 / 100);
        clock[11] = char('0' + inDay % 100 / 10);
        clock[12] = char('0' + inDay % 10);
        clock[13] = offset < 0 ? '-' : '+';
        out += date;
        out += clock;
    }

private:
    ZoneOffsets zone;
    qint64 shownDay = LLONG_MIN;
    QByteArray date;
};

// A field as CSV takes it: quoted where it holds a comma, a quote or a line break.
void appendField(QByteArray &out, const QString &text)
{
    const QByteArray bytes = text.toUtf8();
    if (bytes.contains(',') || bytes.contains('"') || bytes.contains('\n') || bytes.contains('\r'))
        out += '"' + QByteArray(bytes).replace("\"", "\"\"") + '"';
    else
        out += bytes;
}

const char *handName(ThumbHand hand)
{
    return hand == ThumbHand::Left ? "left" : hand == ThumbHand::Right ? "right" : "none";
}

const char *reasonName(StrokeReason reason)
{
    static const char *const names[StrokeReasonCount] = {"typed", "plain", "chord", "held_thumb", "thin_overlap", "thumb_to_next_key",
                                                         "thumb_too_late", "thumb_too_early"};
    return names[int(reason)];
}

} // namespace

QString WriteCsv(const QSqlDatabase &database, QIODevice &out)
{
    if (!database.isOpen())
        return u"練習の記録が開いていません。"_s;
    QByteArray buffer = "time,program,expected,typed,hit,thumb_ms,chord,thumb_hand,thumb_needed,reason\n";
    LocalTime time;
    QString problem;
    const QSqlError error = ReadAttempts(database, {}, [&](const Attempt &attempt) {
        time.append(buffer, attempt.pressedAt, attempt.utcOffset);
        for (const QString *text : {&attempt.program, &attempt.asked, &attempt.typed}) {
            buffer += ',';
            appendField(buffer, *text);
        }
        buffer += attempt.hit ? ",1," : ",0,";
        if (attempt.thumbOffsetMs)
            buffer += QByteArray::number(*attempt.thumbOffsetMs);
        buffer += ',';
        if (const std::optional<bool> shifted = attempt.shifted())
            buffer += *shifted ? '1' : '0';
        buffer += ',';
        // No hand where no thumb was near: as the record has it.
        if (attempt.thumbHand != ThumbHand::None)
            buffer += handName(attempt.thumbHand);
        buffer += ',';
        buffer += handName(attempt.thumbNeeded);
        buffer += ',';
        buffer += reasonName(attempt.reason);
        buffer += '\n';
        if (buffer.size() > 1 << 16) {
            if (out.write(buffer) != buffer.size())
                problem = u"%1 に書き出せません（%2）。"_s.arg(out.objectName(), CauseOfErrno(errno));
            buffer.clear();
        }
        return problem.isEmpty();
    });
    if (problem.isEmpty() && error.isValid())
        problem = u"練習の記録 %1 を読めません（%2）。"_s.arg(database.databaseName(), CauseOf(error));
    if (problem.isEmpty() && out.write(buffer) != buffer.size())
        problem = u"%1 に書き出せません（%2）。"_s.arg(out.objectName(), CauseOfErrno(errno));
    return problem;
}

} // namespace kestova::record
