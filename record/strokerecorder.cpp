#include "strokerecorder.h"

#include "pendingfile.h"
#include "rules.h"
#include "sqlitestatement.h"

#include <QDateTime>
#include <QFileInfo>
#include <QSqlError>
#include <QSqlQuery>
#include <QVariant>

#include <map>
#include <optional>
#include <tuple>

using namespace Qt::StringLiterals;

namespace kestova::record {
namespace {

constexpr auto WriteEvery = std::chrono::seconds(1);
constexpr auto GivenUpAfter = std::chrono::milliseconds(500);
// A record that could not be opened is tried again this often, not at every
// write: opening checks it, which takes a while on a big record.
constexpr qint64 OpenAgainMs = 5'000;
// Another program's lock outlasting this many writes is told, not before:
// a merge or a moment's work of another trainer is no trouble.
constexpr int BusyWritesTold = 5;
// Strokes kept while the record cannot be written; beyond, the oldest go.
constexpr size_t MostKept = 200'000;
// Strokes merged from a pending file in one transaction: short enough for
// another program's busy timeout, with the live strokes written between.
constexpr size_t MergedAtOnce = 2'000;

// What a learner can do about a record that takes nothing.
QString whatToDo(const QString &path, const QSqlError &error)
{
    const int code = error.nativeErrorCode().toInt() & 0xFF;
    const QString folder = QFileInfo(path).absolutePath();
    if (code == 13)
        return u"%1 のあるディスクに空きを作ってください。"_s.arg(folder);
    if (code == 8 || code == 14 || code == 23)
        return u"フォルダー %1 とその中の記録に書き込めるようにしてください。"_s.arg(folder);
    return {};
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
void StrokeRecorder::add(Attempt attempt)
{
    const std::lock_guard lock(mutex);
    if (kept.size() >= MostKept)
        kept.erase(kept.begin(), kept.begin() + MostKept / 10);
    kept.push_back(std::move(attempt));
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
// of a second at most, and a check or a bringing up to date of the record
// still under way half a second on is given up (the next program does it
// again), so that closing never waits for them.
QString StrokeRecorder::finish()
{
    {
        std::unique_lock lock(mutex);
        if (stopping || !writer.joinable()) {
            stopping = true;
            return {};
        }
        stopping = true;
        wake.notify_one();
        if (!written.wait_for(lock, GivenUpAfter, [this] { return ended; }))
            givingUp.now();
    }
    writer.join();
    return lost;
}

// On the GUI thread, once for each thing that went wrong.
void StrokeRecorder::tell(const QString &text)
{
    if (text.isEmpty())
        return;
    QMetaObject::invokeMethod(this, [this, text] {
        if (!told.contains(text)) {
            told.append(text);
            emit problem(text);
        }
    }, Qt::QueuedConnection);
}

// What is kept in memory, to write it with what the writer has in hand.
void StrokeRecorder::takeKept(std::vector<Attempt> &batch)
{
    const std::lock_guard lock(mutex);
    batch.insert(batch.end(), std::make_move_iterator(kept.begin()), std::make_move_iterator(kept.end()));
    kept.clear();
}

void StrokeRecorder::run()
{
    const QString connection = u"record-writer-%1"_s.arg(quintptr(this));
    std::optional<OpenedRecord> record;
    std::vector<Attempt> batch;
    qint64 openAgainAt = 0;
    int busyWrites = 0;
    for (bool last = false; !last;) {
        quint64 request;
        {
            std::unique_lock lock(mutex);
            wake.wait_for(lock, WriteEvery, [&] { return stopping || asked > done; });
            last = stopping;
            request = asked;
        }
        takeKept(batch);
        // A record set aside or replaced under this connection is left for the one at the path.
        if (record && record->database.isOpen() && record->fileId != FileIdOf(path)) {
            record.reset();
            QSqlDatabase::removeDatabase(connection);
        }
        const qint64 now = QDateTime::currentMSecsSinceEpoch();
        if ((!batch.empty() || spilled) && (!record || !record->database.isOpen()) && (now >= openAgainAt || last)) {
            record.reset();
            QSqlDatabase::removeDatabase(connection);
            record = OpenRecord(connection, Use::Writing, path, &givingUp);
            openAgainAt = now + OpenAgainMs;
            if (!Busy(record->error) && record->error.nativeErrorCode() != u"9") // in use for a moment, or given up at the end
                tell(record->problem);
            if (record->writable && record->database.isOpen()) {
                spilled = false;
                mergePending(*record, batch);
            }
        }
        if (!batch.empty() && record && record->writable && record->database.isOpen()) {
            if (writeBatch(record->database, batch)) {
                batch.clear();
                busyWrites = 0;
            } else if (Unusable(lastError)) { // found damaged only now, inside a table: a fresh record
                tell(StartAfresh(*record, path, record->fileId));
                if (record->writable && writeBatch(record->database, batch))
                    batch.clear();
            } else if (!Busy(lastError) || ++busyWrites >= BusyWritesTold) {
                tell(u"練習の記録 %1 に書き込めません（%2）。%3"_s.arg(path, CauseOf(lastError), whatToDo(path, lastError)));
            }
            if (!batch.empty() && !Busy(lastError))
                record->database.close(); // opened again later
        }
        // What the record does not take now waits in the pending file, at
        // once, so that a hard kill loses no more than the last second;
        // only another program's lock is waited out, till the end.
        const bool waitingOut = Busy(lastError) || (record && Busy(record->error));
        if (!batch.empty() && (last || !waitingOut))
            spill(batch, record ? record->error : QSqlError());
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
    const std::lock_guard lock(mutex);
    ended = true;
    written.notify_all();
}

// Into the pending file, told once for each cause: kept there, to be added
// once the record can be written, or kept nowhere.
void StrokeRecorder::spill(std::vector<Attempt> &batch, const QSqlError &why)
{
    const PendingKept pending = KeepPending(path, batch, program);
    const QString cause = why.isValid() ? u"（%1）"_s.arg(CauseOf(why)) : QString();
    if (!pending.place.isEmpty()) {
        tell(u"練習の記録 %1 に書き込めません%2。いまの練習は %3 に残し、書き込めるようになったら記録に加えます。%4"_s.arg(path, cause, pending.place,
                                                                                                       whatToDo(path, why)));
        batch.clear();
        spilled = true;
        return;
    }
    const QString text = u"練習の記録 %1 に書き込めません%2。いまの練習はどこにも残せていません（%3）。%4"_s.arg(path, cause, pending.problem, whatToDo(path, why));
    tell(text);
    const std::lock_guard lock(mutex);
    if (stopping)
        lost = u"%1 打の練習を残せませんでした。"_s.arg(batch.size()) + text;
}

// Each claimed pending file in parts, each in one transaction with how many
// lines of the file are merged, so that none is merged twice; the live
// strokes between the parts; a program ending meanwhile stops after the
// part it is writing.
void StrokeRecorder::mergePending(OpenedRecord &record, std::vector<Attempt> &live)
{
    QStringList problems;
    std::vector<PendingClaim> claims = PendingClaim::claimAll(path, problems);
    for (const QString &problem : std::as_const(problems))
        tell(problem);
    for (PendingClaim &claim : claims) {
        QSqlQuery done(record.database);
        const qint64 merged = RunPrepared(done, u"SELECT lines FROM pending_merges WHERE mark = ?"_s, {claim.mark()}) && done.next() ? done.value(0).toLongLong() : 0;
        done.finish();
        qint64 read = 0;
        std::vector<Attempt> part;
        for (std::optional<QByteArray> line = claim.readLine();; line = claim.readLine()) {
            if (line && read++ >= merged) {
                if (std::optional<Attempt> attempt = AttemptOfPendingLine(*line))
                    part.push_back(std::move(*attempt));
            }
            if (line && part.size() < MergedAtOnce)
                continue;
            const auto progress = [&](QSqlQuery &query) {
                return RunPrepared(query, u"INSERT INTO pending_merges VALUES (?, ?) ON CONFLICT DO UPDATE SET lines = excluded.lines"_s, {claim.mark(), read});
            };
            if (!writeBatch(record.database, part, progress))
                return;
            part.clear();
            takeKept(live);
            if (!live.empty() && writeBatch(record.database, live))
                live.clear();
            if (!line)
                break;
            const std::lock_guard lock(mutex);
            if (stopping)
                return; // claimed again once this program has ended
        }
        claim.merged();
    }
}

// The strokes and what they add to the summaries, in one transaction.
bool StrokeRecorder::writeBatch(QSqlDatabase &database, const std::vector<Attempt> &batch, const std::function<bool(QSqlQuery &)> &alsoDo)
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
    std::map<QString, std::optional<qint64>> previous{{program, lastStroke}};
    ZoneOffsets offsets;
    std::vector<int> offsetOf;
    for (const Attempt &attempt : batch) {
        const QString &by = attempt.program.isEmpty() ? program : attempt.program;
        offsetOf.push_back(attempt.utcOffset.value_or(offsets.at(attempt.pressedAt)));
        const qint64 localDay = LocalDay(attempt.pressedAt, offsetOf.back());
        Day &day = days[{localDay, by}];
        ++day.strokes;
        day.hits += attempt.hit;
        std::optional<qint64> &before = previous[by];
        // A pause, and the attempt after it, count in no speed.
        if (const std::optional<qint64> gap = PacedGap(before, attempt.pressedAt)) {
            day.activeMs += *gap;
            day.pacedHits += attempt.hit;
        }
        before = attempt.pressedAt;
        ++kana[{attempt.asked, attempt.typed}];
        ++kanaDays[{localDay, attempt.asked, attempt.typed}];
        // A thumb near a plain kana asked for is no attempt at a chord.
        if (const std::optional<qint64> thumb = attempt.thumbOffsetMs; thumb && (attempt.chord() || attempt.thumbNeeded != ThumbHand::None)) {
            const qint64 bin = *thumb - ((*thumb % 10) + 10) % 10;
            for (Thumb *tally : {&thumbs[{bin, attempt.chord()}], &thumbDays[{localDay, bin, attempt.chord()}]}) {
                ++tally->count;
                tally->total += *thumb;
                tally->squares += *thumb * *thumb;
            }
        }
    }

    QSqlQuery query(database);
    const auto run = [&](const QString &sql, const QVariantList &values) { return RunPrepared(query, sql, values); };
    const QVariant none(QMetaType::fromType<qint64>());
    size_t row = 0;
    bool ok = query.exec(u"BEGIN IMMEDIATE"_s)
            && std::all_of(batch.begin(), batch.end(), [&](const Attempt &attempt) {
                   const std::optional<bool> shifted = attempt.shifted();
                   return run(u"INSERT INTO strokes (time, program, expected, typed, hit, thumb_ms, chord, utc_offset, thumb_hand, thumb_needed, reason)"
                              " VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?)"_s,
                              {attempt.pressedAt, attempt.program.isEmpty() ? program : attempt.program, attempt.asked, attempt.typed, attempt.hit ? 1 : 0,
                               attempt.thumbOffsetMs ? QVariant(*attempt.thumbOffsetMs) : none, shifted ? QVariant(*shifted ? 1 : 0) : none, offsetOf[row++],
                               attempt.thumbHand != ThumbHand::None ? QVariant(int(attempt.thumbHand)) : none, int(attempt.thumbNeeded), int(attempt.reason)});
               })
            && std::all_of(days.begin(), days.end(), [&](const auto &day) {
                   return run(u"INSERT INTO days VALUES (?, ?, ?, ?, ?, ?) ON CONFLICT DO UPDATE SET strokes = strokes + excluded.strokes,"
                              " hits = hits + excluded.hits, active_ms = active_ms + excluded.active_ms, paced_hits = paced_hits + excluded.paced_hits"_s,
                              {day.first.first, day.first.second, day.second.strokes, day.second.hits, day.second.activeMs, day.second.pacedHits});
               })
            && std::all_of(kana.begin(), kana.end(), [&](const auto &pair) {
                   return run(u"INSERT INTO kana VALUES (?, ?, ?) ON CONFLICT DO UPDATE SET count = count + excluded.count"_s,
                              {pair.first.first, pair.first.second, pair.second});
               })
            && std::all_of(thumbs.begin(), thumbs.end(), [&](const auto &bin) {
                   return run(u"INSERT INTO thumb_bins VALUES (?, ?, ?, ?, ?) ON CONFLICT DO UPDATE SET count = count + excluded.count,"
                              " total = total + excluded.total, squares = squares + excluded.squares"_s,
                              {bin.first.first, bin.first.second ? 1 : 0, bin.second.count, bin.second.total, bin.second.squares});
               })
            && std::all_of(kanaDays.begin(), kanaDays.end(), [&](const auto &tally) {
                   const auto &[day, expected, typed] = tally.first;
                   return run(u"INSERT INTO kana_days VALUES (?, ?, ?, ?) ON CONFLICT DO UPDATE SET count = count + excluded.count"_s,
                              {day, expected, typed, tally.second});
               })
            && std::all_of(thumbDays.begin(), thumbDays.end(), [&](const auto &tally) {
                   const auto &[day, bin, chord] = tally.first;
                   return run(u"INSERT INTO thumb_days VALUES (?, ?, ?, ?, ?, ?) ON CONFLICT DO UPDATE SET count = count + excluded.count,"
                              " total = total + excluded.total, squares = squares + excluded.squares"_s,
                              {day, bin, chord ? 1 : 0, tally.second.count, tally.second.total, tally.second.squares});
               })
            && (!alsoDo || alsoDo(query))
            && query.exec(u"COMMIT"_s);
    if (!ok) {
        lastError = query.lastError();
        query.exec(u"ROLLBACK"_s);
        return false;
    }
    lastError = {};
    lastStroke = previous[program];
    return true;
}

} // namespace kestova::record
