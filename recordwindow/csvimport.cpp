#include "csvimport.h"

#include "recorddatabase.h"
#include "strokerecorder.h"

#include <QDateTime>
#include <QFile>
#include <QFileInfo>
#include <QSet>
#include <QSqlQuery>

#include <chrono>

using namespace Qt::StringLiterals;

namespace kestova::record {
namespace {

const QByteArray Header = "time,program,expected,typed,hit,thumb_ms,chord,thumb_hand,thumb_needed";
const QStringList Reasons{u"typed"_s, u"plain"_s, u"chord"_s, u"held_thumb"_s, u"thin_overlap"_s, u"thumb_to_next_key"_s, u"thumb_too_late"_s, u"thumb_too_early"_s};
const QStringList Hands{u"none"_s, u"left"_s, u"right"_s};

// The records of CSV text, each a list of fields, with the line each began on.
QList<std::pair<int, QStringList>> csvRecords(const QString &text)
{
    QList<std::pair<int, QStringList>> records;
    QStringList fields{QString()};
    int line = 1, began = 1;
    bool quoted = false;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (quoted) {
            if (c == u'"' && i + 1 < text.size() && text[i + 1] == u'"')
                fields.back() += text[++i];
            else if (c == u'"')
                quoted = false;
            else
                fields.back() += c;
            line += c == u'\n';
        } else if (c == u'"') {
            quoted = true;
        } else if (c == u',') {
            fields.append(QString());
        } else if (c == u'\n') {
            if (fields.size() > 1 || !fields[0].isEmpty()) // a blank line is none
                records.append({began, fields});
            fields = {QString()};
            began = ++line;
        } else if (c != u'\r') {
            fields.back() += c;
        }
    }
    if (fields.size() > 1 || !fields[0].isEmpty())
        records.append({began, fields});
    return records;
}

// An attempt of one CSV record, or nothing where a field is not as written.
std::optional<Attempt> attemptOf(const QStringList &field, bool withReason)
{
    bool ok = true;
    const auto number = [&ok](const QString &text) {
        bool read = false;
        const qint64 value = text.toLongLong(&read);
        ok = ok && read;
        return value;
    };
    const QDateTime time = QDateTime::fromString(field[0], Qt::ISODateWithMs);
    if (!time.isValid() || field[1].isEmpty() || (field[4] != u"1" && field[4] != u"0") || !u",0,1"_s.split(u',').contains(field[6])
        || !Hands.contains(field[8]) || (!field[7].isEmpty() && !Hands.contains(field[7])) || (withReason && !Reasons.contains(field[9])))
        return std::nullopt;
    Attempt attempt{field[2], field[3], field[4] == u"1", time.toMSecsSinceEpoch()};
    attempt.program = field[1];
    attempt.utcOffset = time.offsetFromUtc();
    if (!field[5].isEmpty())
        attempt.thumbOffsetMs = number(field[5]);
    attempt.thumbHand = ThumbHand(qMax(0, Hands.indexOf(field[7])));
    attempt.thumbNeeded = ThumbHand(Hands.indexOf(field[8]));
    if (withReason) {
        attempt.reason = StrokeReason(Reasons.indexOf(field[9]));
    } else { // as the record works it out for strokes of before it kept the reason
        attempt.reason = field[6].isEmpty() ? StrokeReason::Typed
                : field[6] == u"1"          ? StrokeReason::Chord
                : !attempt.thumbOffsetMs    ? StrokeReason::Plain
                : *attempt.thumbOffsetMs > 0 ? StrokeReason::ThumbTooLate
                                             : StrokeReason::ThumbTooEarly;
    }
    if (!ok || attempt.shifted().value_or(field[6] == u"1") != (field[6] == u"1"))
        return std::nullopt;
    return attempt;
}

} // namespace

std::optional<QList<Attempt>> ReadCsv(const QByteArray &bytes, const QString &name, QString *problem)
{
    const auto refuse = [&](int line) {
        *problem = u"%1 の %2 行目は、練習の記録の CSV（KestovaRecord --csv が書いたもの）ではありません。"_s.arg(name).arg(line);
        return std::nullopt;
    };
    const QString text = QString::fromUtf8(bytes);
    const QList<std::pair<int, QStringList>> records = csvRecords(text);
    if (records.isEmpty())
        return refuse(1);
    const QString header = records[0].second.join(u',');
    const bool withReason = header == QString::fromLatin1(Header + ",reason");
    if (!withReason && header != QString::fromLatin1(Header))
        return refuse(1);
    QList<Attempt> attempts;
    for (qsizetype row = 1; row < records.size(); ++row) {
        const auto &[line, fields] = records[row];
        std::optional<Attempt> attempt = fields.size() == (withReason ? 10 : 9) ? attemptOf(fields, withReason) : std::nullopt;
        if (!attempt)
            return refuse(line);
        attempts.append(*attempt);
    }
    return attempts;
}

QString ImportCsv(const QString &path, const QString &recordPath, qsizetype *added, qsizetype *skipped)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return u"%1 を読めません（%2）。"_s.arg(path, file.errorString());
    QString problem;
    std::optional<QList<Attempt>> attempts = ReadCsv(file.readAll(), QFileInfo(path).fileName(), &problem);
    if (!attempts)
        return problem;
    std::sort(attempts->begin(), attempts->end(), [](const Attempt &a, const Attempt &b) { return a.pressedAt < b.pressedAt; });
    // What the record holds already over the file's span of time.
    QSet<QString> there;
    const auto key = [](qint64 time, const QString &program, const QString &asked) { return u"%1\x1f%2\x1f%3"_s.arg(time).arg(program, asked); };
    {
        OpenedRecord record = OpenRecord(u"import"_s, Use::Writing, recordPath);
        if (!record.database.isOpen())
            return record.problem;
        if (!attempts->isEmpty()) {
            QSqlQuery query(record.database);
            query.prepare(u"SELECT time, program, expected FROM strokes WHERE time BETWEEN ? AND ?"_s);
            query.addBindValue(attempts->front().pressedAt);
            query.addBindValue(attempts->back().pressedAt);
            if (!query.exec())
                return u"練習の記録 %1 を読めません（%2）。"_s.arg(recordPath, CauseOf(query.lastError()));
            while (query.next())
                there.insert(key(query.value(0).toLongLong(), query.value(1).toString(), query.value(2).toString()));
        }
    }
    QSqlDatabase::removeDatabase(u"import"_s);
    *added = *skipped = 0;
    StrokeRecorder recorder(u"KestovaRecord"_s, recordPath);
    QStringList told;
    QObject::connect(&recorder, &StrokeRecorder::problem, [&told](const QString &text) { told.append(text); });
    for (const Attempt &attempt : std::as_const(*attempts)) {
        if (there.contains(key(attempt.pressedAt, attempt.program, attempt.asked))) {
            ++*skipped;
        } else {
            there.insert(key(attempt.pressedAt, attempt.program, attempt.asked)); // once, where the file has it twice
            recorder.add(attempt);
            ++*added;
        }
    }
    recorder.writeNow(std::chrono::minutes(10));
    if (const QString lost = recorder.finish(); !lost.isEmpty())
        told.append(lost);
    return told.join(u'\n');
}

} // namespace kestova::record
