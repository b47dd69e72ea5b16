#include "strokerecorder.h"

#include "recorddatabase.h"

#include <QDateTime>
#include <QSqlError>
#include <QSqlQuery>
#include <QVariant>

#include <map>
#include <optional>

namespace kestova::record {
namespace {

constexpr auto WriteEvery = std::chrono::seconds(1);
constexpr auto LongestWait = std::chrono::seconds(8);
// Strokes kept while the record cannot be written; beyond, the oldest go.
constexpr size_t MostKept = 200'000;
constexpr qint64 DayMs = 86'400'000;
constexpr qint64 LongestStepMs = 10'000; // a longer pause is no practice

} // namespace

StrokeRecorder::StrokeRecorder(QString program, QString path)
    : program(std::move(program)), path(path.isEmpty() ? RecordPath() : std::move(path))
{
}

StrokeRecorder::~StrokeRecorder()
{
    {
        const std::lock_guard lock(mutex);
        stopping = true;
    }
    wake.notify_one();
    if (writer.joinable())
        writer.join();
}

// The writer starts with the first stroke: a program starting up has no
// thread, no database and no memory of them.
void StrokeRecorder::add(Stroke stroke)
{
    const std::lock_guard lock(mutex);
    if (kept.size() >= MostKept)
        kept.erase(kept.begin(), kept.begin() + MostKept / 10);
    kept.push_back(std::move(stroke));
    if (!writer.joinable())
        writer = std::thread([this] { run(); });
}

void StrokeRecorder::writeNow()
{
    std::unique_lock lock(mutex);
    if (!writer.joinable())
        return; // nothing was ever kept
    const quint64 request = ++asked;
    wake.notify_one();
    written.wait_for(lock, LongestWait, [&] { return done >= request; });
}

// On the GUI thread, once for each thing that went wrong.
void StrokeRecorder::tell(const QString &text)
{
    QMetaObject::invokeMethod(this, [this, text] {
        if (!told.contains(text))
            told.append(text), emit problem(text);
    }, Qt::QueuedConnection);
}

void StrokeRecorder::run()
{
    const QString connection = u"record-writer-%1"_qs.arg(quintptr(this));
    {
        std::optional<OpenedRecord> opened;
        QSqlDatabase none;
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
            if (!opened && !batch.empty()) {
                opened = OpenRecord(connection, Use::Writing, path);
                if (!opened->problem.isEmpty())
                    tell(opened->problem);
            }
            QSqlDatabase &database = opened ? opened->database : none;
            if (!batch.empty() && database.isOpen() && writeBatch(batch))
                batch.clear();
            else if (!batch.empty() && database.isOpen() && Unusable(lastError)) {
                // Found broken only now, in the middle of the file: a fresh record.
                tell(StartAfresh(database, path));
                if (database.isOpen() && writeBatch(batch))
                    batch.clear();
            }
            if (batch.size() > MostKept)
                batch.erase(batch.begin(), batch.begin() + qsizetype(batch.size() - MostKept));
            {
                const std::lock_guard lock(mutex);
                done = request;
            }
            written.notify_all();
        }
        if (opened)
            opened->database.close();
    }
    QSqlDatabase::removeDatabase(connection);
}

// The strokes and what they add to the summaries, in one transaction.
bool StrokeRecorder::writeBatch(const std::vector<Stroke> &batch)
{
    QSqlDatabase database = QSqlDatabase::database(u"record-writer-%1"_qs.arg(quintptr(this)), false);
    struct Day {
        qint64 strokes = 0, hits = 0, activeMs = 0;
    };
    struct Thumb {
        qint64 count = 0, total = 0, squares = 0;
    };
    std::map<qint64, Day> days;
    std::map<std::pair<QString, QString>, qint64> kana;
    std::map<qint64, Thumb> thumbs;
    qint64 previous = lastStroke;
    for (const Stroke &stroke : batch) {
        const qint64 offset = qint64(QDateTime::fromMSecsSinceEpoch(stroke.time).offsetFromUtc()) * 1000;
        Day &day = days[(stroke.time + offset) / DayMs];
        ++day.strokes, day.hits += stroke.hit;
        if (previous && stroke.time >= previous && stroke.time - previous <= LongestStepMs)
            day.activeMs += stroke.time - previous;
        previous = stroke.time;
        ++kana[{stroke.expected, stroke.typed}];
        if (stroke.thumbMs) {
            Thumb &bin = thumbs[*stroke.thumbMs - ((*stroke.thumbMs % 10) + 10) % 10];
            ++bin.count, bin.total += *stroke.thumbMs, bin.squares += *stroke.thumbMs * *stroke.thumbMs;
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
    bool ok = query.exec(u"BEGIN IMMEDIATE"_qs)
            && std::all_of(batch.begin(), batch.end(), [&](const Stroke &stroke) {
                   return run(u"INSERT INTO strokes VALUES (?, ?, ?, ?, ?, ?, ?)"_qs,
                              {stroke.time, program, stroke.expected, stroke.typed, stroke.hit ? 1 : 0,
                               stroke.thumbMs ? QVariant(*stroke.thumbMs) : none, stroke.thumbMs ? QVariant(stroke.chord ? 1 : 0) : none});
               })
            && std::all_of(days.begin(), days.end(), [&](const auto &day) {
                   return run(u"INSERT INTO days VALUES (?, ?, ?, ?, ?) ON CONFLICT DO UPDATE SET strokes = strokes + excluded.strokes,"
                              " hits = hits + excluded.hits, active_ms = active_ms + excluded.active_ms"_qs,
                              {day.first, program, day.second.strokes, day.second.hits, day.second.activeMs});
               })
            && std::all_of(kana.begin(), kana.end(), [&](const auto &pair) {
                   return run(u"INSERT INTO kana VALUES (?, ?, ?) ON CONFLICT DO UPDATE SET count = count + excluded.count"_qs,
                              {pair.first.first, pair.first.second, pair.second});
               })
            && std::all_of(thumbs.begin(), thumbs.end(), [&](const auto &bin) {
                   return run(u"INSERT INTO thumbs VALUES (?, ?, ?, ?) ON CONFLICT DO UPDATE SET count = count + excluded.count,"
                              " total = total + excluded.total, squares = squares + excluded.squares"_qs,
                              {bin.first, bin.second.count, bin.second.total, bin.second.squares});
               })
            && query.exec(u"COMMIT"_qs);
    if (!ok) {
        lastError = query.lastError();
        query.exec(u"ROLLBACK"_qs);
        if (!Unusable(lastError))
            tell(u"練習の記録を書き込めません（%1）。練習は続けられます。"_qs.arg(lastError.text()));
        return false;
    }
    lastStroke = previous;
    return true;
}

} // namespace kestova::record
