// The practice record: strokes written by the recorder, the figures the
// progress window shows, the CSV export, and a broken file set aside.
#include "csvexport.h"
#include "harness.h"
#include "practicestats.h"
#include "progresswindow.h"
#include "recorddatabase.h"
#include "strokerecorder.h"

#include <QBuffer>
#include <QDir>
#include <QTableWidget>
#include <QSignalSpy>
#include <QSqlQuery>
#include <QTabWidget>

using namespace kestova::record;

namespace {

const QDateTime Now(QDate(2026, 12, 7), QTime(12, 0));
struct Figures { const char *name; const char *strokes; const char *what; QString shown; };

// Writes "30 F あ う -12; ..." through the recorders of the trainers: seconds
// before Now, F/W/K for the finger drill, word trainer and key drill, the
// kana asked for, the kana typed, and where a thumb shifted it its offset.
void record(const QString &path, const QString &strokes)
{
    std::map<QChar, std::unique_ptr<StrokeRecorder>> recorders;
    for (const QString &stroke : strokes.split(u';', Qt::SkipEmptyParts)) {
        const QStringList part = stroke.split(u' ', Qt::SkipEmptyParts);
        auto &recorder = recorders[part[1][0]];
        if (!recorder)
            recorder = std::make_unique<StrokeRecorder>(QMap<QChar, QString>{{u'F', u"Kestova100"_qs}, {u'W', u"KestovaC100"_qs}, {u'K', u"KestovaB100"_qs}}.value(part[1][0]), path);
        const qint64 time = Now.toMSecsSinceEpoch() - qint64(part[0].toDouble() * 1000);
        recorder->add({time, part[2], part[3], part[2] == part[3], part.size() > 4 ? std::optional(part[4].toLongLong()) : std::nullopt, part.size() > 4});
    }
}

// One figure of the statistics as text.
QString describe(const PracticeStats &stats, const QString &what)
{
    const auto totals = [&](const QString &program) {
        QStringList periods;
        for (const Totals &totals : stats.totals(program))
            periods.append(u"%1/%2/%3"_qs.arg(totals.activeMs).arg(totals.strokes).arg(totals.hits));
        return periods.join(u' ');
    };
    QStringList parts;
    if (what.startsWith(u"totals"))
        return totals(what.mid(7) == u"*" ? QString() : what.mid(7));
    if (what == u"weakest")
        for (const KanaTally &tally : stats.weakest())
            parts.append(u"%1 %2/%3"_qs.arg(tally.kana).arg(tally.misses).arg(tally.attempts));
    if (what == u"confusions")
        for (const Confusion &confusion : stats.confusions())
            parts.append(u"%1>%2 %3"_qs.arg(confusion.expected, confusion.typed).arg(confusion.count));
    if (what == u"thumbs") {
        const ThumbTiming &thumb = stats.thumbTiming();
        for (auto bin = thumb.bins.cbegin(); bin != thumb.bins.cend(); ++bin)
            parts.append(u"%1:%2"_qs.arg(bin.key()).arg(bin.value()));
        parts.append(u"mean %1 spread %2 plain %3/%4"_qs.arg(thumb.mean).arg(thumb.spread).arg(thumb.thumbKanaPlain).arg(thumb.thumbKanaAttempts));
    }
    if (what == u"days")
        for (const DayTotals &day : stats.days())
            parts.append(u"%1:%2"_qs.arg(day.day.toString(u"MMdd"_qs)).arg(day.totals.strokes));
    return parts.join(u", "_qs);
}

} // namespace

class RecordTest : public QObject {
    Q_OBJECT
    std::unique_ptr<TestProgram> program;
    QString path() const { return program->path(u"record.sqlite"_qs); }

private slots:
    void init() { program.reset(), program = std::make_unique<TestProgram>(u"Kestova"_qs); }

    void figures_data()
    {
        AddRows<Figures>({{"pauses over 10 s are left out", "30 F あ あ;29 F い い;28 F う う;8 F え え;7 F お お", "totals Kestova100", u"3000/5/5 3000/5/5 3000/5/5"_qs},
            {"today, the last 7 days, all time", "10 W あ あ;259200 W い い;864000 W う う", "totals KestovaC100", u"0/1/1 0/2/2 0/3/3"_qs},
            {"all together adds the trainers", "3 F あ あ;2 F い い;3 K う う;1 K え ね", "totals *", u"3000/4/3 3000/4/3 3000/4/3"_qs},
            {"practice days", "10 F あ あ;86400 F い い;86401 W う う", "days", u"1206:2, 1207:1"_qs},
            {"the weakest have five attempts", "9 F い あ;8 F い あ;7 F い い;6 F い い;5 F い い;9 K う あ;8 K う う;7 K う う;6 K う う;5 K う う;"
                                               "9 W え あ;8 W え あ;7 W え え;6 W え え", "weakest", u"い 2/5, う 1/5"_qs},
            {"confusions, most first", "5 F む ね;4 F む ほ;3 F む ね;2 F む む", "confusions", u"む>ね 2, む>ほ 1"_qs},
            {"thumb bins, mean, spread, thumb kana typed plain", "5 F を を -15;4 F を う 15;3 F が が 10;2 F が か;1 F を を 40", "thumbs",
             u"-20:1, 10:2, 40:1, mean 12.5 spread 19.5256 plain 2/5"_qs}});
    }
    void figures()
    {
        QFETCH(Figures, row);
        record(path(), QString::fromUtf8(row.strokes));
        OpenedRecord opened = OpenRecord(u"figures"_qs, Use::Reading, path());
        QCOMPARE(describe(PracticeStats(opened.database, Now), QString::fromLatin1(row.what)), row.shown);
        opened.database.close();
    }

    // Oldest first, local time with milliseconds, a field with a comma
    // quoted, thumb_ms only where a thumb was weighed.
    void csvHoldsEveryStroke()
    {
        record(path(), u"2 F あ , 12;1.5 W い い"_qs);
        OpenedRecord opened = OpenRecord(u"csv"_qs, Use::Reading, path());
        QBuffer out;
        QVERIFY(out.open(QIODevice::WriteOnly) && WriteCsv(opened.database, out).isEmpty());
        const auto at = [](int msBefore) { return Now.addMSecs(-msBefore).toString(u"yyyy-MM-ddTHH:mm:ss.zzz"_qs); };
        QCOMPARE(QString::fromUtf8(out.data()), u"time,program,expected,typed,hit,thumb_ms\n%1,Kestova100,あ,\",\",0,12\n%2,KestovaC100,い,い,1,\n"_qs.arg(at(2000), at(1500)));
        opened.database.close();
    }

    // A record locked by another program past the busy timeout is in use,
    // not broken: the learner is told, and the strokes are written later.
    void lockedRecordIsWrittenLater()
    {
        record(path(), u"9 F あ あ"_qs);
        {
            OpenedRecord other = OpenRecord(u"other"_qs, Use::Reading, path());
            QVERIFY(QSqlQuery(other.database).exec(u"BEGIN IMMEDIATE"_qs));
            StrokeRecorder recorder(u"Kestova100"_qs, path());
            QSignalSpy told(&recorder, &StrokeRecorder::problem);
            recorder.add({Now.toMSecsSinceEpoch() - 8000, u"い"_qs, u"い"_qs, true});
            QVERIFY(told.wait(10000) && told[0][0].toString().contains(u"書き込めません"_qs));
            other.database.close();
        }
        QSqlDatabase::removeDatabase(u"other"_qs);
        OpenedRecord opened = OpenRecord(u"locked"_qs, Use::Reading, path());
        QCOMPARE(describe(PracticeStats(opened.database, Now), u"totals Kestova100"_qs), u"0/2/2 0/2/2 0/2/2"_qs);
        opened.database.close();
    }

    // A file that is no database is set aside, the learner told, and the
    // practice recorded in a fresh one; the progress window shows its figures.
    void brokenFileIsSetAsideAndPracticeGoesOn()
    {
        WriteFile(path(), QByteArray(4096, 'x'));
        {
            StrokeRecorder recorder(u"Kestova100"_qs, path());
            QSignalSpy told(&recorder, &StrokeRecorder::problem);
            for (int second = 3; second >= 0; --second)
                recorder.add({Now.toMSecsSinceEpoch() - second * 1000, u"あ"_qs, second ? u"あ"_qs : u"い"_qs, second != 0});
            recorder.writeNow();
            QVERIFY(told.wait(2000) && told[0][0].toString().contains(u"record.sqlite.broken-"_qs));
        }
        QCOMPARE(QDir(program->path(u"."_qs)).entryList({u"record.sqlite.broken-*"_qs}).size(), 1);
        ProgressWindow window(path());
        const auto *table = window.tabs->widget(0)->findChild<QTableWidget *>();
        QStringList allTime;
        for (int column = 1; column < table->columnCount(); ++column)
            allTime.append(table->item(table->rowCount() - 1, column)->text());
        QCOMPARE(allTime, (QStringList{u"合計"_qs, u"0:00:03"_qs, u"4"_qs, u"40.0"_qs, u"75.0 %"_qs})); // the first stroke follows a pause
    }
};

QTEST_MAIN(RecordTest)
#include "tst_record.moc"
