#include "progresswindow.h"

#include "keyheatmap.h"
#include "practicestats.h"
#include "recorddatabase.h"
#include "usersettings.h"

#include <QAreaSeries>
#include <QLegendMarker>
#include <QChartView>
#include <QDateTimeAxis>
#include <QHeaderView>
#include <QLabel>
#include <QLineSeries>
#include <QTabWidget>
#include <QTableWidget>
#include <QVBoxLayout>
#include <QValueAxis>

namespace kestova::record {
namespace {

const QStringList Programs{u"Kestova100"_qs, u"KestovaC100"_qs, u"KestovaB100"_qs};

QString timeText(qint64 ms)
{
    const qint64 seconds = ms / 1000;
    return u"%1:%2:%3"_qs.arg(seconds / 3600).arg(seconds / 60 % 60, 2, 10, QChar(u'0')).arg(seconds % 60, 2, 10, QChar(u'0'));
}

QString figure(std::optional<double> value, const QString &unit = {})
{
    return value ? QString::number(*value, 'f', 1) + unit : u"—"_qs;
}

QChartView *chartView(QChart *chart)
{
    chart->legend()->setAlignment(Qt::AlignBottom);
    auto *view = new QChartView(chart);
    view->setRenderHint(QPainter::Antialiasing);
    view->setMinimumSize(560, 300);
    return view;
}

// Kana per minute and accuracy, one point per practice day.
QChartView *dailyChart(const PracticeStats &stats)
{
    auto *chart = new QChart;
    chart->setTitle(u"練習した日ごとの速さと正確さ（直近 30 日）"_qs);
    auto *speed = new QLineSeries, *accuracy = new QLineSeries;
    speed->setName(u"1分あたりのかな"_qs);
    accuracy->setName(u"正確さ（%）"_qs);
    const QList<DayTotals> days = stats.days().mid(qMax(0, int(stats.days().size()) - 30));
    for (const DayTotals &day : days) {
        const qreal at = QDateTime(day.day, QTime(12, 0)).toMSecsSinceEpoch();
        speed->append(at, day.totals.kanaPerMinute().value_or(0));
        accuracy->append(at, day.totals.accuracy().value_or(0));
    }
    chart->addSeries(speed);
    chart->addSeries(accuracy);
    auto *dates = new QDateTimeAxis;
    dates->setFormat(u"M/d"_qs);
    if (!days.isEmpty())
        dates->setRange(QDateTime(days.first().day, QTime(0, 0)), QDateTime(days.last().day.addDays(1), QTime(0, 0)));
    auto *perMinute = new QValueAxis, *percent = new QValueAxis;
    perMinute->setLabelFormat(u"%d"_qs);
    perMinute->setMin(0);
    percent->setRange(0, 100);
    chart->addAxis(dates, Qt::AlignBottom);
    chart->addAxis(perMinute, Qt::AlignLeft);
    chart->addAxis(percent, Qt::AlignRight);
    for (auto [series, values] : {std::pair{speed, perMinute}, {accuracy, percent}})
        series->attachAxis(dates), series->attachAxis(values);
    if (perMinute->max() <= 0)
        perMinute->setMax(10);
    perMinute->applyNiceNumbers();
    return chartView(chart);
}

} // namespace

QString ProgramName(const QString &program)
{
    static const QHash<QString, QString> names{{u"Kestova100"_qs, u"指別練習"_qs}, {u"KestovaC100"_qs, u"単語練習"_qs},
                                               {u"KestovaB100"_qs, u"キー位置練習"_qs}, {QString(), u"合計"_qs}};
    return names.value(program, program);
}

ProgressWindow::ProgressWindow(const QString &recordPath, QWidget *parent) : QWidget(parent)
{
    setWindowTitle(u"練習の記録"_qs);
    const QString connection = u"progress-%1"_qs.arg(quintptr(this));
    {
        OpenedRecord record = OpenRecord(connection, Use::Reading, recordPath.isEmpty() ? RecordPath() : recordPath);
        const PracticeStats stats(record.database);
        tabs = new QTabWidget(this);
        tabs->addTab(summaryPage(stats), u"速さと正確さ"_qs);
        tabs->addTab(keysPage(stats), u"キーごと"_qs);
        tabs->addTab(thumbPage(stats), u"親指のタイミング"_qs);
        auto *layout = new QVBoxLayout(this);
        const QString problem = !record.problem.isEmpty() ? record.problem : stats.problem;
        if (!problem.isEmpty())
            layout->addWidget(new QLabel(u"記録を読めません：%1"_qs.arg(problem), this));
        layout->addWidget(tabs);
        record.database.close();
    }
    QSqlDatabase::removeDatabase(connection);
}

QWidget *ProgressWindow::summaryPage(const PracticeStats &stats)
{
    auto *page = new QWidget;
    auto *table = new QTableWidget(0, 6, page);
    table->setHorizontalHeaderLabels({u"期間"_qs, u"練習"_qs, u"練習時間"_qs, u"打鍵数"_qs, u"1分あたりのかな"_qs, u"正確さ"_qs});
    table->verticalHeader()->hide();
    table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    const QStringList periods{u"今日"_qs, u"直近7日"_qs, u"すべて"_qs};
    for (int period = 0; period < PeriodCount; ++period) {
        for (const QString &program : Programs + QStringList{QString()}) {
            const Totals totals = stats.totals(program)[size_t(period)];
            const int row = table->rowCount();
            table->insertRow(row);
            const QStringList cells{periods[period], ProgramName(program), timeText(totals.activeMs), QString::number(totals.strokes),
                                    figure(totals.kanaPerMinute()), figure(totals.accuracy(), u" %"_qs)};
            for (int column = 0; column < cells.size(); ++column)
                table->setItem(row, column, new QTableWidgetItem(cells[column]));
        }
    }
    table->resizeColumnsToContents();
    table->resizeRowsToContents();
    table->setMinimumHeight(table->horizontalHeader()->height() + table->rowCount() * table->rowHeight(0) + 2 * table->frameWidth());
    auto *layout = new QVBoxLayout(page);
    layout->addWidget(table);
    layout->addWidget(dailyChart(stats));
    return page;
}

QWidget *ProgressWindow::keysPage(const PracticeStats &stats)
{
    auto *page = new QWidget;
    auto *layout = new QVBoxLayout(page);
    layout->addWidget(new QLabel(u"キーごとのミスの割合（白：ミスなし、赤：多い、灰色：まだ練習していない）"_qs));
    layout->addWidget(new KeyHeatMap(stats.kana(), page));
    QStringList weakest{u"苦手なかな（5 回以上打ったもの）"_qs};
    for (const KanaTally &tally : stats.weakest())
        weakest.append(u"　%1　%2 回のうちミス %3 回（%4 %）"_qs.arg(tally.kana).arg(tally.attempts).arg(tally.misses).arg(100.0 * tally.misses / tally.attempts, 0, 'f', 0));
    QStringList confusions{u"よくある打ち間違い"_qs};
    for (const Confusion &confusion : stats.confusions())
        confusions.append(u"　%1 を打つところで %2　%3 回"_qs.arg(confusion.expected, confusion.typed).arg(confusion.count));
    for (const QStringList &lines : {weakest, confusions})
        layout->addWidget(new QLabel(lines.size() > 1 ? lines.join(u'\n') : lines.first() + u"：まだありません"_qs));
    layout->addStretch();
    return page;
}

QWidget *ProgressWindow::thumbPage(const PracticeStats &stats)
{
    const ThumbTiming &timing = stats.thumbTiming();
    const int window = LoadThumbShiftSettings().windowMs;
    auto *chart = new QChart;
    chart->setTitle(u"親指キーを押した時刻 − 文字キーを押した時刻（10 ミリ秒ごと）"_qs);
    // Bars as steps over milliseconds, the chords and the thumbs that made
    // none side by side, and the judgement window's ends as lines.
    auto *chordTop = new QLineSeries, *failedTop = new QLineSeries;
    qint64 highest = 1;
    int first = -window, last = window;
    for (const auto &[bins, top] : {std::pair{&timing.bins, chordTop}, {&timing.failedBins, failedTop}}) {
        for (auto bin = bins->cbegin(); bin != bins->cend(); ++bin) {
            *top << QPointF(bin.key(), 0) << QPointF(bin.key(), bin.value()) << QPointF(bin.key() + 10, bin.value()) << QPointF(bin.key() + 10, 0);
            highest = qMax(highest, bin.value()), first = qMin(first, bin.key()), last = qMax(last, bin.key() + 10);
        }
    }
    auto *inside = new QAreaSeries(chordTop), *outside = new QAreaSeries(failedTop);
    chordTop->setParent(inside), failedTop->setParent(outside); // an area series does not own its line
    inside->setName(u"同時打鍵になった"_qs);
    outside->setName(u"ならなかった（遅すぎ・早すぎ・反対の親指）"_qs);
    outside->setColor(QColor(230, 120, 60, 180));
    auto *ms = new QValueAxis, *counts = new QValueAxis;
    ms->setRange(first - 10, last + 10);
    ms->setLabelFormat(u"%d"_qs);
    counts->setRange(0, highest);
    counts->setLabelFormat(u"%d"_qs);
    chart->addAxis(ms, Qt::AlignBottom);
    chart->addAxis(counts, Qt::AlignLeft);
    for (QAbstractSeries *series : {static_cast<QAbstractSeries *>(inside), static_cast<QAbstractSeries *>(outside)})
        chart->addSeries(series), series->attachAxis(ms), series->attachAxis(counts);
    for (int end : {-window, window}) {
        auto *line = new QLineSeries;
        *line << QPointF(end, 0) << QPointF(end, highest);
        line->setPen(QPen(Qt::darkGray, 1, Qt::DashLine));
        chart->addSeries(line), line->attachAxis(ms), line->attachAxis(counts);
        chart->legend()->markers(line).value(0)->setVisible(false);
    }
    ms->applyNiceNumbers();
    counts->applyNiceNumbers();

    auto *page = new QWidget;
    auto *layout = new QVBoxLayout(page);
    layout->addWidget(chartView(chart));
    layout->addWidget(new QLabel(u"破線は判定時間（±%1 ミリ秒）です。"_qs.arg(window)));
    const QString share = timing.thumbKanaAttempts
            ? u"%1 %（%2 回のうち %3 回）"_qs.arg(100.0 * timing.thumbKanaPlain / timing.thumbKanaAttempts, 0, 'f', 1).arg(timing.thumbKanaAttempts).arg(timing.thumbKanaPlain)
            : u"—"_qs;
    layout->addWidget(new QLabel(timing.count == 0 ? u"親指シフトで打ったかながまだありません。"_qs
            : u"平均 %1 ミリ秒、ばらつき（標準偏差）%2 ミリ秒、%3 回。負の値は親指が先です。"_qs.arg(timing.mean, 0, 'f', 1).arg(timing.spread, 0, 'f', 1).arg(timing.count)));
    layout->addWidget(new QLabel(u"親指で打つかなが親指なしのかなになった割合：%1"_qs.arg(share)));
    return page;
}

} // namespace kestova::record
