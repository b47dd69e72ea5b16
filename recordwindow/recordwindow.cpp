#include "recordwindow.h"

#include "forecast.h"
#include "practicegoals.h"
#include "practicecalendar.h"

#include "kanamap.h"
#include "practicestats.h"
#include "programs.h"
#include "recorddatabase.h"
#include "rules.h"
#include "usersettings.h"

#include <QAreaSeries>

#include <cmath>
#include <numeric>
#include <QLegendMarker>
#include <QChartView>
#include <QDateTimeAxis>
#include <QFileInfo>
#include <QHeaderView>
#include <QLabel>
#include <QLineSeries>
#include <QTabWidget>
#include <QTableWidget>
#include <QInputDialog>
#include <QProgressBar>
#include <QPushButton>
#include <QComboBox>
#include <QHBoxLayout>
#include <QTimer>
#include <QVBoxLayout>
#include <QValueAxis>

using namespace Qt::StringLiterals;

namespace kestova::record {
namespace {

const QStringList PeriodNames{u"今日"_s, u"直近 7 日"_s, u"直近 30 日"_s, u"すべて"_s};

QString timeText(qint64 ms)
{
    const qint64 seconds = ms / 1000;
    return u"%1:%2:%3"_s.arg(seconds / 3600).arg(seconds / 60 % 60, 2, 10, QChar(u'0')).arg(seconds % 60, 2, 10, QChar(u'0'));
}

QString figure(std::optional<double> value, const QString &unit = {})
{
    return value ? QString::number(*value, 'f', 1) + unit : u"—"_s;
}

QChartView *chartView(QChart *chart)
{
    chart->legend()->setAlignment(Qt::AlignBottom);
    // Qt Charts cuts an axis's labels short ("…") wherever it finds the room
    // tight, even when they would fit: never.
    for (QAbstractAxis *axis : chart->axes())
        axis->setTruncateLabels(false);
    auto *view = new QChartView(chart);
    view->setRenderHint(QPainter::Antialiasing);
    view->setMinimumSize(560, 300);
    return view;
}

// Kana per minute and accuracy over the last 30 calendar days, each on a
// scale of its own; a day without practice is a gap in the lines.
QWidget *dailyChart(const PracticeStats &stats, const QDate &today)
{
    const QDate first = today.addDays(-29);
    QList<DayTotals> days;
    for (const DayTotals &day : stats.days()) {
        if (day.day >= first && day.day <= today)
            days.append(day);
    }
    if (days.isEmpty())
        return new QLabel(u"直近 30 日には練習がありません。"_s);
    auto *chart = new QChart;
    chart->setTitle(u"日ごとの速さと正確さ（直近 30 日）"_s);
    auto *dates = new QDateTimeAxis;
    dates->setFormat(u"M/d"_s);
    dates->setTitleText(first.year() == today.year() ? u"%1 年"_s.arg(today.year()) : u"%1 年 〜 %2 年"_s.arg(first.year()).arg(today.year()));
    dates->setRange(QDateTime(first, QTime(0, 0)), QDateTime(today.addDays(1), QTime(0, 0)));
    auto *perMinute = new QValueAxis, *percent = new QValueAxis;
    perMinute->setTitleText(u"かな／分"_s);
    perMinute->setLabelFormat(u"%d"_s);
    percent->setTitleText(u"正確さ（%）"_s);
    percent->setLabelFormat(u"%d"_s);
    chart->addAxis(dates, Qt::AlignBottom);
    chart->addAxis(perMinute, Qt::AlignLeft);
    chart->addAxis(percent, Qt::AlignRight);
    double fastest = 10, leastAccurate = 100;
    QLineSeries *speed = nullptr, *accuracy = nullptr;
    QDate last;
    for (const DayTotals &day : days) {
        if (!speed || last.daysTo(day.day) > 1) { // a gap: the lines begin anew
            const bool firstRun = !speed;
            speed = new QLineSeries;
            accuracy = new QLineSeries;
            for (auto [series, axis, name] : {std::tuple{speed, perMinute, u"かな／分"_s}, {accuracy, percent, u"正確さ"_s}}) {
                series->setName(name);
                series->setPointsVisible(true);
                chart->addSeries(series);
                series->attachAxis(dates);
                series->attachAxis(axis);
                chart->legend()->markers(series).value(0)->setVisible(firstRun);
            }
        }
        const qreal at = QDateTime(day.day, QTime(12, 0)).toMSecsSinceEpoch();
        speed->append(at, day.totals.kanaPerMinute().value_or(0));
        accuracy->append(at, day.totals.accuracy().value_or(0));
        fastest = qMax(fastest, day.totals.kanaPerMinute().value_or(0));
        leastAccurate = qMin(leastAccurate, day.totals.accuracy().value_or(100));
        last = day.day;
    }
    perMinute->setRange(0, fastest);
    perMinute->applyNiceNumbers();
    const double lowest = qMax(0.0, std::floor(leastAccurate / 10) * 10 - 10);
    percent->setRange(lowest, 100);
    percent->setTickCount(int((100 - lowest) / 10) + 1);
    return chartView(chart);
}

} // namespace

// Read again whenever a trainer writes to the record while it is open.
RecordWindow::RecordWindow(const QString &recordPath, QWidget *parent)
    : QWidget(parent), path(recordPath.isEmpty() ? RecordPath() : recordPath)
{
    setWindowTitle(u"練習の記録"_s);
    new QVBoxLayout(this);
    reload();
    auto *watch = new QTimer(this);
    connect(watch, &QTimer::timeout, this, [this] {
        if (writtenAt() != readAt)
            reload();
    });
    watch->start(RereadEveryMs);
}

// Closing gives up bringing the record up to date; the next program does it.
RecordWindow::~RecordWindow()
{
    givingUp.now();
    if (bringing.joinable())
        bringing.join();
}

// The record's file and its log, as they change with every write.
QString RecordWindow::writtenAt() const
{
    QString stamp;
    for (const QString &file : {path, path + u"-wal"_s}) {
        const QFileInfo info(file);
        stamp += u"%1/%2 "_s.arg(info.size()).arg(info.lastModified().toMSecsSinceEpoch());
    }
    return stamp;
}

void RecordWindow::reload()
{
    if (bringing.joinable() && !broughtUp)
        return; // being brought up to date: the waiting said, nothing to read yet
    readAt = writtenAt();
    const int shown = tabs ? tabs->currentIndex() : 0;
    while (QLayoutItem *item = layout()->takeAt(0)) {
        delete item->widget();
        delete item;
    }
    auto *choice = new QComboBox(this);
    choice->setObjectName(u"period"_s);
    choice->addItems(PeriodNames);
    choice->setCurrentIndex(period);
    connect(choice, &QComboBox::activated, this, [this](int chosen) {
        period = Period(chosen);
        QTimer::singleShot(0, this, &RecordWindow::reload); // not while the box is still in use
    });
    auto *bar = new QWidget(this);
    auto *top = new QHBoxLayout(bar);
    top->setContentsMargins(0, 0, 0, 0);
    top->addWidget(new QLabel(u"期間："_s, bar));
    choice->setParent(bar);
    top->addWidget(choice);
    top->addStretch();
    layout()->addWidget(bar);
    if (!bringing.joinable() && Outdated(path)) {
        auto *waiting = new QLabel(u"練習の記録を新しい形にしています。記録が大きいと少しかかります…"_s, this);
        waiting->setObjectName(u"bringingUpToDate"_s);
        layout()->addWidget(waiting);
        tabs = nullptr;
        bringing = std::thread([this] {
            const QString connection = u"bringing-%1"_s.arg(quintptr(this));
            OpenRecord(connection, Use::Writing, path, &givingUp).database.close();
            QSqlDatabase::removeDatabase(connection);
            QMetaObject::invokeMethod(this, [this] {
                broughtUp = true;
                reload();
            }, Qt::QueuedConnection);
        });
        return;
    }
    const QString connection = u"progress-%1"_s.arg(quintptr(this));
    {
        OpenedRecord record = OpenRecord(connection, Use::Reading, path);
        const PracticeStats stats(record.database, QDateTime::currentDateTime(), period);
        tabs = new QTabWidget(this);
        const QString problem = !record.problem.isEmpty() ? record.problem : stats.problem;
        if (!problem.isEmpty())
            layout()->addWidget(new QLabel(record.problem.isEmpty() ? u"練習の記録 %1 を読めません（%2）。"_s.arg(path, problem) : problem, this));
        if (stats.programs().isEmpty() && problem.isEmpty()) {
            layout()->addWidget(new QLabel(u"まだ練習の記録がありません。練習するとここに速さと正確さ、苦手なかな、親指のタイミングが出ます。"_s, this));
        } else {
            tabs->addTab(summaryPage(stats), u"速さと正確さ"_s);
            tabs->addTab(daysPage(stats), u"毎日の練習"_s);
            tabs->addTab(keysPage(stats), u"キーごと"_s);
            tabs->addTab(thumbPage(stats), u"親指のタイミング"_s);
            tabs->setCurrentIndex(shown);
        }
        layout()->addWidget(tabs);
        tabs->setVisible(tabs->count() > 0);
        record.database.close();
    }
    QSqlDatabase::removeDatabase(connection);
}

QWidget *RecordWindow::summaryPage(const PracticeStats &stats)
{
    auto *page = new QWidget;
    auto *table = new QTableWidget(0, 6, page);
    table->setHorizontalHeaderLabels({u"期間"_s, u"練習"_s, u"練習時間"_s, u"打鍵数"_s, u"1分あたりのかな"_s, u"正確さ"_s});
    table->verticalHeader()->hide();
    table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    // Every program that keeps strokes, and any other the record holds (a
    // newer version's), so that the rows add up to the total.
    QStringList programs;
    for (const RecordingProgram &known : RecordingPrograms)
        programs.append(known.name);
    for (const QString &other : stats.programs()) {
        if (!programs.contains(other))
            programs.append(other);
    }
    for (const QString &program : programs + QStringList{QString()}) {
        const Totals totals = stats.totals(program)[size_t(period)];
        const int row = table->rowCount();
        table->insertRow(row);
        const QStringList cells{PeriodNames[period], program.isEmpty() ? u"合計"_s : ShownName(program), timeText(totals.activeMs), QString::number(totals.strokes),
                                figure(totals.kanaPerMinute()), figure(totals.accuracy(), u" %"_s)};
        for (int column = 0; column < cells.size(); ++column)
            table->setItem(row, column, new QTableWidgetItem(cells[column]));
    }
    table->resizeColumnsToContents();
    table->resizeRowsToContents();
    table->setMinimumHeight(table->horizontalHeader()->height() + table->rowCount() * table->rowHeight(0) + 2 * table->frameWidth());
    auto *layout = new QVBoxLayout(page);
    layout->addWidget(table);
    layout->addWidget(new QLabel(u"1分あたりのかな：正しく打てたかなの数を練習時間で割ったもの。%1 秒以上の間とその直後の1打は、練習時間にも数にも入れません。"_s
                                         .arg(PauseMs / 1000)));
    return page;
}

// Day by day: today's practice against the daily goal, the runs of days
// that met it, the last year as a calendar and the last 30 days' speed and
// accuracy.
QWidget *RecordWindow::daysPage(const PracticeStats &stats)
{
    auto *page = new QWidget;
    auto *layout = new QVBoxLayout(page);
    const QDate today = QDate::currentDate();
    const int goal = LoadDailyGoal();
    QMap<QDate, qint64> activeMs;
    for (const DayTotals &day : stats.days())
        activeMs.insert(day.day, day.totals.activeMs);
    auto *goalRow = new QHBoxLayout;
    auto *dailyGoal = new QProgressBar(page);
    dailyGoal->setObjectName(u"dailyGoal"_s);
    dailyGoal->setRange(0, qMax(goal, 1));
    dailyGoal->setValue(int(qMin<qint64>(activeMs.value(today) / 60'000, qMax(goal, 1))));
    dailyGoal->setFormat(goal ? u"今日 %1 分 / 目標 %2 分"_s.arg(activeMs.value(today) / 60'000).arg(goal) : u"今日 %1 分（目標なし）"_s.arg(activeMs.value(today) / 60'000));
    goalRow->addWidget(dailyGoal, 1);
    auto *change = new QPushButton(u"1 日の目標…"_s, page);
    connect(change, &QPushButton::clicked, this, [this] {
        bool ok = false;
        const int minutes = QInputDialog::getInt(this, u"1 日の目標"_s, u"1 日に練習する分数（0 で目標なし）"_s, LoadDailyGoal(), 0, LongestGoalMinutes, 5, &ok);
        if (ok) {
            SaveDailyGoal(minutes);
            reload();
        }
    });
    goalRow->addWidget(change);
    layout->addLayout(goalRow);
    const GoalRuns runs = RunsOfGoal(stats.days(), today, goal);
    auto *runsText = new QLabel(goal ? u"目標に届いた日：今 %1 日続いています。最長 %2 日。"_s.arg(runs.current).arg(runs.longest)
                                     : u"1 日の目標を決めると、目標に届いた日が続いた数が出ます。"_s,
                                page);
    runsText->setObjectName(u"goalRuns"_s);
    layout->addWidget(runsText);
    layout->addWidget(new PracticeCalendar(activeMs, today, goal, page), 0, Qt::AlignHCenter);
    auto *chartRow = new QHBoxLayout;
    chartRow->addWidget(dailyChart(stats, today), 1);
    // Beside the speeds: when they reach the target speed, and the former
    // input method's, at the learner's own pace.
    auto *forecastColumn = new QVBoxLayout;
    auto *forecast = new QLabel(ForecastSentence(stats.days(), today, LoadTargetSpeed(), LoadFormerSpeed()), page);
    forecast->setObjectName(u"forecast"_s);
    forecast->setWordWrap(true);
    forecast->setFixedWidth(forecast->fontMetrics().horizontalAdvance(u'あ') * 14);
    forecastColumn->addWidget(forecast);
    auto *former = new QPushButton(u"前の入力の速さ…"_s, page);
    connect(former, &QPushButton::clicked, this, [this] {
        bool ok = false;
        const int speed = QInputDialog::getInt(this, u"前の入力の速さ"_s, u"ローマ字入力や JIS かな入力で 1 分間に打てたかなの数（0 で比べない）"_s, LoadFormerSpeed(), 0,
                                               FastestTarget * 2, 10, &ok);
        if (ok) {
            SaveFormerSpeed(speed);
            reload();
        }
    });
    forecastColumn->addWidget(former);
    forecastColumn->addStretch();
    chartRow->addLayout(forecastColumn);
    layout->addLayout(chartRow, 1);
    return page;
}

QWidget *RecordWindow::keysPage(const PracticeStats &stats)
{
    auto *page = new QWidget;
    auto *layout = new QVBoxLayout(page);
    auto *legend = new QLabel(u"キーごとのミスの割合：白 5 % 未満、黄 10 % 未満、橙 20 % 未満、赤 20 % 以上、灰色 まだ練習していない。"
                              "各キーの左上は同じ側の親指（赤字）、右上は反対側の親指（濁音など、青字）、下は親指なしのかな。"_s);
    legend->setWordWrap(true);
    layout->addWidget(legend);
    // Each kana on the colour of its share of misses, in steps that tell 5 %,
    // 10 % and 20 % apart; its counts in a tooltip.
    auto *map = new KanaMap(KanaMap::ThumbKeys::Hidden, page);
    map->setObjectName(u"keyMap"_s);
    const QHash<QString, KanaTally> kana = stats.kana();
    map->colourBy([kana](const QString &at, QColor) {
        const KanaTally tally = kana.value(at);
        if (tally.attempts == 0)
            return QColor::fromRgb(UnpractisedFill);
        const double missed = double(tally.misses) / tally.attempts;
        return QColor::fromRgb(MissedFills[missed < 0.05 ? 0 : missed < 0.10 ? 1 : missed < 0.20 ? 2 : 3]);
    });
    map->tellBy([kana](const QString &at) {
        const KanaTally tally = kana.value(at);
        if (tally.attempts == 0)
            return u"%1：まだ練習していません"_s.arg(at);
        return u"%1：%2 回のうちミス %3 回（%4 %）"_s.arg(at).arg(tally.attempts).arg(tally.misses).arg(100.0 * tally.misses / tally.attempts, 0, 'f', 0);
    });
    layout->addWidget(map);
    QStringList weakest{u"苦手なかな（5 回以上打ったもの）"_s};
    for (const KanaTally &tally : stats.weakest())
        weakest.append(u"　%1　%2 回のうちミス %3 回（%4 %）、かかる時間 %5"_s.arg(tally.kana).arg(tally.attempts).arg(tally.misses)
                               .arg(100.0 * tally.misses / tally.attempts, 0, 'f', 0).arg(tally.medianMs ? u"%1 ミリ秒"_s.arg(qRound(*tally.medianMs)) : u"—"_s));
    // What the misses show of romaji and JIS-kana habits, and how that
    // went over the last four weeks.
    const auto shares = [](const std::array<qint64, MissHabitCount> &counts) {
        const qint64 all = std::accumulate(counts.cbegin(), counts.cend(), qint64(0));
        QStringList shown;
        for (int habit = 0; habit < MissHabitCount; ++habit)
            shown.append(u"%1 %2 %"_s.arg(HabitName(MissHabit(habit))).arg(all ? qRound(100.0 * counts[size_t(habit)] / all) : 0));
        return shown.join(u"、"_s);
    };
    QStringList trend;
    static const QString weekNames[] = {u"3 週前"_s, u"2 週前"_s, u"先週"_s, u"今週"_s};
    for (int week = 0; week < 4; ++week) {
        const auto &counts = stats.habitWeeks()[size_t(week)];
        const qint64 all = std::accumulate(counts.cbegin(), counts.cend(), qint64(0));
        trend.append(all ? u"%1 %2 %"_s.arg(weekNames[week]).arg(qRound(100.0 * (counts[0] + counts[1]) / all)) : u"%1 －"_s.arg(weekNames[week]));
    }
    auto *habits = new QLabel(u"打ち間違いのくせ：%1\n前の入力（ローマ字・JIS かな）のくせの割合：%2"_s.arg(shares(stats.habits()), trend.join(u" → "_s)), page);
    habits->setObjectName(u"missHabits"_s);
    habits->setWordWrap(true);
    layout->addWidget(habits);
    QStringList confusions{u"よくある打ち間違い"_s};
    for (const Confusion &confusion : stats.confusions())
        confusions.append(u"　%1 を打つところで %2　%3 回"_s.arg(confusion.expected, confusion.typed).arg(confusion.count));
    for (const QStringList &lines : {weakest, confusions})
        layout->addWidget(new QLabel(lines.size() > 1 ? lines.join(u'\n') : lines.first() + u"：まだありません"_s));
    layout->addStretch();
    return page;
}

QWidget *RecordWindow::thumbPage(const PracticeStats &stats)
{
    const ThumbTiming &timing = stats.thumbTiming();
    const int window = LoadThumbShiftSettings().windowMs;
    auto *chart = new QChart;
    chart->setTitle(u"親指キーを押した時刻 − 文字キーを押した時刻（10 ミリ秒ごと）"_s);
    // Bars as steps over milliseconds, the chords and the thumbs that made
    // none side by side, and the judgement window's ends as lines.
    auto *chordTop = new QLineSeries, *failedTop = new QLineSeries;
    qint64 highest = 1;
    int first = -window, last = window;
    for (const auto &[bins, top] : {std::pair{&timing.bins, chordTop}, {&timing.failedBins, failedTop}}) {
        for (auto bin = bins->cbegin(); bin != bins->cend(); ++bin) {
            *top << QPointF(bin.key(), 0) << QPointF(bin.key(), bin.value()) << QPointF(bin.key() + 10, bin.value()) << QPointF(bin.key() + 10, 0);
            highest = qMax(highest, bin.value());
            first = qMin(first, bin.key());
            last = qMax(last, bin.key() + 10);
        }
    }
    auto *inside = new QAreaSeries(chordTop), *outside = new QAreaSeries(failedTop);
    // An area series does not own its line.
    chordTop->setParent(inside);
    failedTop->setParent(outside);
    inside->setName(u"同時打鍵になった"_s);
    outside->setName(u"ならなかった（遅すぎ・早すぎ・反対の親指）"_s);
    outside->setColor(QColor(230, 120, 60, 180));
    auto *ms = new QValueAxis, *counts = new QValueAxis;
    ms->setRange(first - 10, last + 10);
    ms->setLabelFormat(u"%d"_s);
    counts->setRange(0, highest);
    counts->setLabelFormat(u"%d"_s);
    chart->addAxis(ms, Qt::AlignBottom);
    chart->addAxis(counts, Qt::AlignLeft);
    for (QAbstractSeries *series : {static_cast<QAbstractSeries *>(inside), static_cast<QAbstractSeries *>(outside)}) {
        chart->addSeries(series);
        series->attachAxis(ms);
        series->attachAxis(counts);
    }
    for (int end : {-window, window}) {
        auto *line = new QLineSeries;
        *line << QPointF(end, 0) << QPointF(end, highest);
        line->setPen(QPen(Qt::darkGray, 1, Qt::DashLine));
        chart->addSeries(line);
        line->attachAxis(ms);
        line->attachAxis(counts);
        chart->legend()->markers(line).value(0)->setVisible(false);
    }
    ms->applyNiceNumbers();
    counts->applyNiceNumbers();

    auto *page = new QWidget;
    auto *layout = new QVBoxLayout(page);
    layout->addWidget(chartView(chart));
    layout->addWidget(new QLabel(u"破線は判定時間（±%1 ミリ秒）です。"_s.arg(window)));
    const QString share = timing.thumbKanaAttempts
            ? u"%1 %（%2 回のうち %3 回）"_s.arg(100.0 * timing.thumbKanaPlain / timing.thumbKanaAttempts, 0, 'f', 1).arg(timing.thumbKanaAttempts).arg(timing.thumbKanaPlain)
            : u"—"_s;
    layout->addWidget(new QLabel(timing.count == 0 ? u"親指シフトで打ったかながまだありません。"_s
            : u"平均 %1 ミリ秒、ばらつき（標準偏差）%2 ミリ秒、%3 回。負の値は親指が先です。"_s.arg(timing.mean, 0, 'f', 1).arg(timing.spread, 0, 'f', 1).arg(timing.count)));
    layout->addWidget(new QLabel(u"親指で打つかなが親指なしのかなになった割合：%1"_s.arg(share)));
    return page;
}

} // namespace kestova::record
