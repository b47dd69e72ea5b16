#include "strokerecorder.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSqlError>
#include <QSqlQuery>
#include <QUrl>
#include <QVariant>

#include <cerrno>
#include <map>

#include <signal.h>
#include <optional>
#include <tuple>

namespace kestova::record {
namespace {

constexpr auto WriteEvery = std::chrono::seconds(1);
// Strokes kept while the record cannot be written; beyond, the oldest go.
constexpr size_t MostKept = 200'000;
constexpr qint64 DayMs = 86'400'000;

// The offset from UTC of the local zone at a time, looked up once a quarter
// of an hour of strokes (zones change their offsets on the quarter hour).
class UtcOffsets {
public:
    int at(qint64 ms)
    {
        if (ms < quarterStarts || ms >= quarterStarts + QuarterMs) {
            quarterStarts = ms - ((ms % QuarterMs) + QuarterMs) % QuarterMs;
            offset = QDateTime::fromMSecsSinceEpoch(quarterStarts).offsetFromUtc();
        }
        return offset;
    }

private:
    static constexpr qint64 QuarterMs = 900'000;
    qint64 quarterStarts = -1;
    int offset = 0;
};

QString pendingPath(const QString &path)
{
    return path + u".pending"_qs;
}

// Strokes merged from a pending file in one transaction, between looks at
// whether the program is ending.
constexpr size_t MergedAtOnce = 20'000;

// A stroke as a line of the pending file, its texts percent-encoded.
QByteArray pendingLine(const Stroke &stroke, const QString &program)
{
    const int offset = stroke.utcOffset.value_or(QDateTime::fromMSecsSinceEpoch(stroke.time).offsetFromUtc());
    return QByteArray::number(stroke.time) + '\t' + QUrl::toPercentEncoding(stroke.program.isEmpty() ? program : stroke.program) + '\t'
            + QUrl::toPercentEncoding(stroke.expected) + '\t' + QUrl::toPercentEncoding(stroke.typed) + '\t' + (stroke.hit ? "1" : "0") + '\t'
            + (stroke.thumbMs ? QByteArray::number(*stroke.thumbMs) : QByteArray()) + '\t' + (stroke.chord ? "1" : "0") + '\t'
            + QByteArray::number(stroke.thumbHand) + '\t' + QByteArray::number(stroke.thumbNeeded) + '\t' + QByteArray::number(offset) + '\n';
}

// A line of the pending file as pendingLine() writes it, or nothing: the
// file is the user's, and may hold anything.
std::optional<Stroke> strokeOf(QByteArray line)
{
    if (line.endsWith('\n'))
        line.chop(1);
    const QList<QByteArray> field = line.split('\t');
    if (field.size() != 10)
        return std::nullopt;
    const auto number = [&](int at, qint64 lowest, qint64 highest) -> std::optional<qint64> {
        bool ok = false;
        const qint64 value = field[at].toLongLong(&ok);
        return ok && value >= lowest && value <= highest ? std::optional(value) : std::nullopt;
    };
    const auto text = [&](int at, qsizetype longest) -> std::optional<QString> {
        const QString decoded = QUrl::fromPercentEncoding(field[at]);
        return !decoded.isEmpty() && decoded.size() <= longest ? std::optional(decoded) : std::nullopt;
    };
    const auto time = number(0, 946'684'800'000, 7'258'118'400'000); // 2000 to 2200
    const auto program = text(1, 64), expected = text(2, 8), typed = text(3, 8);
    const auto hit = number(4, 0, 1), chord = number(6, 0, 1), hand = number(7, 0, 2), needed = number(8, 0, 2);
    const auto offset = number(9, -18 * 3600, 18 * 3600);
    const auto thumb = field[5].isEmpty() ? std::optional<qint64>() : number(5, -10'000, 10'000);
    if (!time || !program || !expected || !typed || !hit || !chord || !hand || !needed || !offset || (!field[5].isEmpty() && !thumb))
        return std::nullopt;
    Stroke stroke{*time, *expected, *typed, *hit == 1, thumb, *chord == 1, int(*hand), int(*needed), *program, int(*offset)};
    return stroke;
}

// Whether the process that claimed a pending file, named in it, has ended.
bool claimerEnded(const QString &claimed)
{
    bool ok = false;
    const qint64 pid = claimed.section(u'.', -2, -2).toLongLong(&ok);
    return ok && pid > 0 && pid < (1 << 22) && ::kill(pid_t(pid), 0) != 0 && errno == ESRCH;
}

} // namespace

StrokeRecorder::StrokeRecorder(QString program, QString path)
    : program(std::move(program)), path(path.isEmpty() ? RecordPath() : std::move(path))
{
}

StrokeRecorder::~StrokeRecorder()
{
    finish();
}

// The writer starts with the first stroke: a program starting up has no
// thread, no database and no memory of them.
void StrokeRecorder::add(Stroke stroke)
{
    const std::lock_guard lock(mutex);
    if (kept.size() >= MostKept)
        kept.erase(kept.begin(), kept.begin() + MostKept / 10);
    kept.push_back(std::move(stroke));
    if (!writer.joinable() && !stopping)
        writer = std::thread([this] { run(); });
}

bool StrokeRecorder::writeNow(std::chrono::milliseconds longest)
{
    std::unique_lock lock(mutex);
    if (!writer.joinable())
        return kept.empty();
    const quint64 request = ++asked;
    wake.notify_one();
    return written.wait_for(lock, longest, [&] { return done >= request; });
}

// The writer's last attempt, or the pending file: a lock costs it a quarter
// of a second at most, so only a disk that hangs keeps it longer.
QString StrokeRecorder::finish()
{
    {
        const std::lock_guard lock(mutex);
        if (stopping || !writer.joinable())
            return stopping = true, QString();
        stopping = true;
    }
    wake.notify_one();
    writer.join();
    return leftPending;
}

// On the GUI thread, once for each thing that went wrong.
void StrokeRecorder::tell(const QString &text)
{
    if (text.isEmpty())
        return;
    QMetaObject::invokeMethod(this, [this, text] {
        if (!told.contains(text))
            told.append(text), emit problem(text);
    }, Qt::QueuedConnection);
}

void StrokeRecorder::run()
{
    const QString connection = u"record-writer-%1"_qs.arg(quintptr(this));
    std::optional<OpenedRecord> record;
    std::vector<Stroke> batch;
    for (bool last = false; !last;) {
        quint64 request;
        {
            std::unique_lock lock(mutex);
            wake.wait_for(lock, WriteEvery, [&] { return stopping || asked > done; });
            last = stopping;
            request = asked;
            batch.insert(batch.end(), std::make_move_iterator(kept.begin()), std::make_move_iterator(kept.end()));
            kept.clear();
        }
        // A record set aside or replaced under this connection is left for the one at the path.
        if (record && record->database.isOpen() && record->fileId != FileIdOf(path))
            record.reset(), QSqlDatabase::removeDatabase(connection);
        if (!batch.empty() && (!record || !record->database.isOpen())) {
            record.reset();
            QSqlDatabase::removeDatabase(connection);
            record = OpenRecord(connection, Use::Writing, path);
            if (!Busy(record->error)) // in use by another program for a moment: tried again
                tell(record->problem);
            if (record->writable)
                mergePending(*record);
        }
        if (!batch.empty() && record->writable && record->database.isOpen()) {
            if (writeBatch(record->database, batch)) {
                batch.clear();
            } else if (Unusable(lastError)) { // found damaged only now, inside a table: a fresh record
                tell(StartAfresh(*record, path, record->fileId));
                if (record->writable && writeBatch(record->database, batch))
                    batch.clear();
            } else {
                tell(u"練習の記録 %1 に書き込めません（%2）。練習は続けられ、書き込めるようになったら書き込みます。"_qs.arg(path, CauseOf(lastError)));
            }
        }
        if (last && !batch.empty()) {
            const QString where = pendingPath(path);
            const QString notice = keepPending(batch) ? u"練習の記録に書き込めなかった %1 打は %2 に残しました。次に記録を開いたときに加えます。"_qs.arg(batch.size()).arg(where)
                                                      : u"練習の記録に書き込めなかった %1 打を %2 にも残せませんでした。"_qs.arg(batch.size()).arg(where);
            const std::lock_guard lock(mutex);
            leftPending = notice;
        }
        if (batch.size() > MostKept)
            batch.erase(batch.begin(), batch.begin() + qsizetype(batch.size() - MostKept));
        {
            const std::lock_guard lock(mutex);
            done = request;
        }
        written.notify_all();
    }
    record.reset();
    QSqlDatabase::removeDatabase(connection);
}

bool StrokeRecorder::keepPending(const std::vector<Stroke> &batch)
{
    QFile file(pendingPath(path));
    if (!file.open(QIODevice::WriteOnly | QIODevice::Append))
        return false;
    QByteArray lines;
    for (const Stroke &stroke : batch)
        lines += pendingLine(stroke, program);
    return file.write(lines) == lines.size() && file.flush();
}

// Claimed by renaming it to "pending.<this process>.<a mark of the claim>",
// so that two programs never merge it both. A claim whose process ended
// before it was done (killed, or ending) is claimed again under its mark,
// and merged on from where the record says it got to.
void StrokeRecorder::mergePending(OpenedRecord &record)
{
    const QFileInfo pending(pendingPath(path));
    const auto claimFor = [&](const QString &mark) { return u"%1.%2.%3"_qs.arg(pending.filePath()).arg(QCoreApplication::applicationPid()).arg(mark); };
    for (const QFileInfo &left : pending.dir().entryInfoList({pending.fileName() + u".*.*"_qs}, QDir::Files)) {
        const QString mark = left.fileName().section(u'.', -1);
        if (claimerEnded(left.filePath()) && QFile::rename(left.filePath(), claimFor(mark)) && !mergeClaimed(record, claimFor(mark), mark))
            return;
    }
    const QString mark = QString::number(QDateTime::currentMSecsSinceEpoch());
    if (QFile::rename(pending.filePath(), claimFor(mark)))
        mergeClaimed(record, claimFor(mark), mark);
}

// In parts, each in one transaction with how many lines of the file are
// merged, so that none is merged twice and a program ending meanwhile
// stops after the part it is writing. Whether it was all merged.
bool StrokeRecorder::mergeClaimed(OpenedRecord &record, const QString &claimed, const QString &mark)
{
    QFile file(claimed);
    QSqlQuery done(record.database);
    done.prepare(u"SELECT lines FROM pending_merges WHERE mark = ?"_qs);
    done.addBindValue(mark);
    qint64 merged = done.exec() && done.next() ? done.value(0).toLongLong() : 0, read = 0;
    done.finish();
    if (!file.open(QIODevice::ReadOnly))
        return false;
    std::vector<Stroke> part;
    for (bool first = true; !file.atEnd(); first = false) {
        for (; !file.atEnd() && part.size() < MergedAtOnce; ++read) {
            const QByteArray line = file.readLine();
            if (read < merged)
                continue;
            if (const std::optional<Stroke> stroke = strokeOf(line))
                part.push_back(*stroke);
        }
        {
            const std::lock_guard lock(mutex);
            if (stopping && !first)
                return false; // claimed again once this program has ended
        }
        const auto progress = [&](QSqlQuery &query) {
            query.prepare(u"INSERT INTO pending_merges VALUES (?, ?) ON CONFLICT DO UPDATE SET lines = excluded.lines"_qs);
            query.addBindValue(mark);
            query.addBindValue(read);
            return query.exec();
        };
        if (!writeBatch(record.database, part, progress))
            return false;
        part.clear();
    }
    file.close();
    return QFile::remove(claimed);
}

// The strokes and what they add to the summaries, in one transaction.
bool StrokeRecorder::writeBatch(QSqlDatabase &database, const std::vector<Stroke> &batch, const std::function<bool(QSqlQuery &)> &alsoDo)
{
    struct Day {
        qint64 strokes = 0, hits = 0, activeMs = 0, pacedHits = 0;
    };
    struct Thumb {
        qint64 count = 0, total = 0, squares = 0;
    };
    std::map<std::pair<qint64, QString>, Day> days;
    std::map<std::pair<QString, QString>, qint64> kana;
    std::map<std::pair<qint64, bool>, Thumb> thumbs;
    std::map<std::tuple<qint64, QString, QString>, qint64> kanaDays;
    std::map<std::tuple<qint64, qint64, bool>, Thumb> thumbDays;
    std::map<QString, qint64> previous{{program, lastStroke}};
    UtcOffsets offsets;
    std::vector<int> offsetOf;
    for (const Stroke &stroke : batch) {
        const QString &by = stroke.program.isEmpty() ? program : stroke.program;
        offsetOf.push_back(stroke.utcOffset.value_or(offsets.at(stroke.time)));
        const qint64 local = stroke.time + qint64(offsetOf.back()) * 1000;
        const qint64 localDay = local / DayMs - (local % DayMs < 0);
        Day &day = days[{localDay, by}];
        ++day.strokes, day.hits += stroke.hit;
        qint64 &before = previous[by];
        // A pause, and the stroke after it, count in no speed.
        if (before && stroke.time >= before && stroke.time - before < PauseMs)
            day.activeMs += stroke.time - before, day.pacedHits += stroke.hit;
        before = stroke.time;
        ++kana[{stroke.expected, stroke.typed}];
        ++kanaDays[{localDay, stroke.expected, stroke.typed}];
        if (stroke.thumbMs && (stroke.chord || stroke.thumbNeeded)) { // a thumb near a plain kana asked for is no attempt at a chord
            const qint64 bin = *stroke.thumbMs - ((*stroke.thumbMs % 10) + 10) % 10;
            for (Thumb *tally : {&thumbs[{bin, stroke.chord}], &thumbDays[{localDay, bin, stroke.chord}]})
                ++tally->count, tally->total += *stroke.thumbMs, tally->squares += *stroke.thumbMs * *stroke.thumbMs;
        }
    }

    QSqlQuery query(database);
    const auto run = [&](const QString &sql, const QVariantList &values) {
        if (!query.prepare(sql))
            return false;
        for (const QVariant &value : values)
            query.addBindValue(value);
        return query.exec();
    };
    const QVariant none(QMetaType::fromType<qint64>());
    size_t row = 0;
    bool ok = query.exec(u"BEGIN IMMEDIATE"_qs)
            && std::all_of(batch.begin(), batch.end(), [&](const Stroke &stroke) {
                   return run(u"INSERT INTO strokes (time, program, expected, typed, hit, thumb_ms, chord, utc_offset, thumb_hand, thumb_needed)"
                              " VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?)"_qs,
                              {stroke.time, stroke.program.isEmpty() ? program : stroke.program, stroke.expected, stroke.typed, stroke.hit ? 1 : 0,
                               stroke.thumbMs ? QVariant(*stroke.thumbMs) : none, stroke.shifted() ? QVariant(stroke.chord ? 1 : 0) : none, offsetOf[row++],
                               stroke.thumbHand ? QVariant(stroke.thumbHand) : none, stroke.thumbNeeded});
               })
            && std::all_of(days.begin(), days.end(), [&](const auto &day) {
                   return run(u"INSERT INTO days VALUES (?, ?, ?, ?, ?, ?) ON CONFLICT DO UPDATE SET strokes = strokes + excluded.strokes,"
                              " hits = hits + excluded.hits, active_ms = active_ms + excluded.active_ms, paced_hits = paced_hits + excluded.paced_hits"_qs,
                              {day.first.first, day.first.second, day.second.strokes, day.second.hits, day.second.activeMs, day.second.pacedHits});
               })
            && std::all_of(kana.begin(), kana.end(), [&](const auto &pair) {
                   return run(u"INSERT INTO kana VALUES (?, ?, ?) ON CONFLICT DO UPDATE SET count = count + excluded.count"_qs,
                              {pair.first.first, pair.first.second, pair.second});
               })
            && std::all_of(thumbs.begin(), thumbs.end(), [&](const auto &bin) {
                   return run(u"INSERT INTO thumb_bins VALUES (?, ?, ?, ?, ?) ON CONFLICT DO UPDATE SET count = count + excluded.count,"
                              " total = total + excluded.total, squares = squares + excluded.squares"_qs,
                              {bin.first.first, bin.first.second ? 1 : 0, bin.second.count, bin.second.total, bin.second.squares});
               })
            && std::all_of(kanaDays.begin(), kanaDays.end(), [&](const auto &tally) {
                   const auto &[day, expected, typed] = tally.first;
                   return run(u"INSERT INTO kana_days VALUES (?, ?, ?, ?) ON CONFLICT DO UPDATE SET count = count + excluded.count"_qs,
                              {day, expected, typed, tally.second});
               })
            && std::all_of(thumbDays.begin(), thumbDays.end(), [&](const auto &tally) {
                   const auto &[day, bin, chord] = tally.first;
                   return run(u"INSERT INTO thumb_days VALUES (?, ?, ?, ?, ?, ?) ON CONFLICT DO UPDATE SET count = count + excluded.count,"
                              " total = total + excluded.total, squares = squares + excluded.squares"_qs,
                              {day, bin, chord ? 1 : 0, tally.second.count, tally.second.total, tally.second.squares});
               })
            && (!alsoDo || alsoDo(query))
            && query.exec(u"COMMIT"_qs);
    if (!ok) {
        lastError = query.lastError();
        query.exec(u"ROLLBACK"_qs);
        return false;
    }
    lastStroke = previous[program];
    return true;
}

} // namespace kestova::record
