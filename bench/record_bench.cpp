// The practice record with a million strokes: the record window must be
// drawn within 300 ms and the CSV export written within 2 s; recording must
// add at most 5 µs (median) to a keystroke on the window's thread.
#include "csvexport.h"
#include "practicerecording.h"
#include "practicestats.h"
#include "forecast.h"
#include "recordwindow.h"
#include "recorddatabase.h"
#include "strokerecorder.h"
#include "typingbox.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QKeyEvent>
#include <QRandomGenerator>
#include <QSqlQuery>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QVariant>

#include <algorithm>
#include <cmath>
#include <array>
#include <memory>
#include <cstdio>
#include <vector>

using namespace Qt::StringLiterals;

namespace {

constexpr int StrokeCount = 1'000'000;

// A year of practice in sessions of a few hundred strokes, written as the
// trainers write them.
void fillRecord(const QString &path)
{
    const QString kana = u"あいうえおかきくけこさしすせそたちつてとなにぬねのはひふへほまみむめもやゆよらりるれろわをん"_s;
    QRandomGenerator random(3);
    qint64 time = QDateTime::currentMSecsSinceEpoch() - 365LL * 86'400'000;
    std::array<std::unique_ptr<kestova::record::StrokeRecorder>, 3> recorders;
    for (int i = 0; i < 3; ++i)
        recorders[size_t(i)] = std::make_unique<kestova::record::StrokeRecorder>(QStringList{u"Kestova100"_s, u"KestovaC100"_s, u"KestovaB100"_s}[i], path);
    for (int session = 0; session < StrokeCount / 300; ++session) {
        kestova::record::StrokeRecorder &recorder = *recorders[size_t(session % 3)];
        time += 5000 + random.bounded(18'000'000);
        for (int i = 0; i < 300; ++i) {
            time += 300 + random.bounded(500);
            const QString expected = kana.mid(random.bounded(kana.size()), 1);
            const bool hit = random.bounded(100) < 92;
            const bool thumb = random.bounded(3) == 0;
            recorder.add({expected, hit ? expected : kana.mid(random.bounded(kana.size()), 1), hit, time,
                          thumb ? kestova::StrokeReason::Chord : kestova::StrokeReason::Plain, thumb ? std::optional<qint64>(random.bounded(200) - 80) : std::nullopt});
        }
        if (session % 100 == 99)
            recorder.writeNow(std::chrono::minutes(1));
    }
    for (auto &recorder : recorders)
        recorder->writeNow(std::chrono::minutes(1));
}

double medianOf(std::vector<double> samples)
{
    std::sort(samples.begin(), samples.end());
    return samples[samples.size() / 2];
}

bool report(const char *what, double value, double budget, const char *unit)
{
    const bool ok = value <= budget;
    std::printf("%-42s %9.2f %s (budget %.0f %s): %s\n", what, value, unit, budget, unit, ok ? "ok" : "OVER BUDGET");
    return ok;
}

} // namespace

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QTemporaryDir dir;
    const QString path = dir.filePath(u"record.sqlite"_s);
    std::printf("== practice record, %d strokes ==\n", StrokeCount);
    fillRecord(path);

    // Done by a writer's thread when it opens the record, never the window's.
    QElapsedTimer checking;
    checking.start();
    {
        kestova::record::OpenedRecord record = kestova::record::OpenRecord(u"check"_s, kestova::record::Use::Writing, path);
        std::printf("%-42s %9.2f ms (%s, on the writer's thread)\n", "integrity check on opening for writing", checking.nsecsElapsed() / 1e6,
                    record.problem.isEmpty() ? "ok" : qPrintable(record.problem));
    }
    QSqlDatabase::removeDatabase(u"check"_s);

    std::vector<double> drawn;
    for (int run = 0; run < 5; ++run) {
        QElapsedTimer timer;
        timer.start();
        kestova::record::RecordWindow window(path);
        window.resize(window.sizeHint());
        window.grab(); // drawn, as the screen would show it
        window.tabs->setCurrentIndex(1); // and the days, the calendar and the forecast
        window.grab();
        drawn.push_back(timer.nsecsElapsed() / 1e6);
    }
    const bool windowOk = report("record window drawn, with its days", medianOf(drawn), 300, "ms");

    // The forecast on synthetic learners: 60 days of speeds on a curve of
    // τ 5 to 30 days, noise of 3 kana/min; how far off τ and the day the
    // speed of 80 kana/min comes (the curve's own, without noise) are.
    std::vector<double> tauErrors, dayErrors;
    QRandomGenerator learners(5);
    for (int learner = 0; learner < 100; ++learner) {
        const double tau = 5 + 25 * learners.generateDouble();
        QList<kestova::record::DayTotals> days;
        for (int t = 0; t < 30; ++t) {
            const double noise = 3 * (learners.generateDouble() + learners.generateDouble() + learners.generateDouble() - 1.5) * 2;
            const qint64 hits = qint64((100 - 80 * std::exp(-t / tau) + noise) * 10);
            days.append({QDate(2026, 1, 1).addDays(t), {600'000, hits, hits, hits}});
        }
        const kestova::record::SpeedForecast forecast = kestova::record::ForecastSpeed(days, QDate(2026, 1, 31), 80);
        tauErrors.push_back(std::abs(forecast.curve->tau - tau) / tau);
        const double trueDay = tau * std::log(4.0); // 100 − 80·e^(−t/τ) = 80
        if (forecast.sessions && trueDay > 29)
            dayErrors.push_back(std::abs(29 + *forecast.sessions - trueDay));
    }
    std::printf("%-42s %9.0f %% (median; 90th percentile %.0f %%)\n", "forecast: τ of 100 synthetic learners off by", 100 * medianOf(tauErrors),
                100 * [&] { std::sort(tauErrors.begin(), tauErrors.end()); return tauErrors[89]; }());
    if (!dayErrors.empty())
        std::printf("%-42s %9.1f days (median, of %zu still short of 80 kana/min)\n", "forecast: the day 80 kana/min comes, off by", medianOf(dayErrors), dayErrors.size());
    // A period other than all time is read from its strokes, not the summaries.
    QElapsedTimer month;
    month.start();
    {
        kestova::record::OpenedRecord record = kestova::record::OpenRecord(u"month"_s, kestova::record::Use::Reading, path);
        const kestova::record::PracticeStats stats(record.database, QDateTime::currentDateTime(), kestova::record::LastThirtyDays);
    }
    QSqlDatabase::removeDatabase(u"month"_s);
    const bool monthOk = report("the last 30 days' figures (half the strokes)", month.nsecsElapsed() / 1e6, 300, "ms");

    QElapsedTimer timer;
    timer.start();
    QFile csv(dir.filePath(u"strokes.csv"_s));
    kestova::record::OpenedRecord record = kestova::record::OpenRecord(u"export"_s, kestova::record::Use::Reading, path);
    const bool exported = csv.open(QIODevice::WriteOnly) && kestova::record::WriteCsv(record.database, csv).isEmpty();
    csv.close();
    const bool csvOk = report("--csv of every stroke", timer.nsecsElapsed() / 1e6, 2000, "ms") && exported;

    // One keystroke through a typing box, with and without the record, in
    // turns, so that both meet the same machine.
    std::vector<double> plain, recorded;
    // Both judge alike; only one's judgements reach the record.
    kestova::Judgements unrecorded, judgements;
    QWidget window;
    kestova::PracticeRecording recorder(u"bench"_s, judgements, &window, dir.filePath(u"keystrokes.sqlite"_s));
    const auto judging = [](kestova::Judgements &to) { return [&to](const QString &typed) { to.judge(u"あ"_s, typed); }; };
    kestova::TypingBox bare(judging(unrecorded), nullptr, &unrecorded);
    kestova::TypingBox recording(judging(judgements), nullptr, &judgements);
    for (int i = 0; i < 40002; ++i) {
        kestova::TypingBox &box = i % 2 ? recording : bare;
        QKeyEvent key(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, u"あ"_s);
        QElapsedTimer one;
        one.start();
        QCoreApplication::sendEvent(&box, &key);
        (i % 2 ? recorded : plain).push_back(one.nsecsElapsed() / 1e3);
        box.clear();
    }
    const bool keystrokeOk = report("recording, added to one keystroke", medianOf(recorded) - medianOf(plain), 5, "µs");
    return windowOk && monthOk && csvOk && keystrokeOk ? 0 : 1;
}
