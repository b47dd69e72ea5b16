#include "harness.h"
#include "runtimeerror.h"

#include <QApplication>
#include <QProcess>
#include <QWidget>

#include <cstdio>

using namespace kestova;

namespace {
struct Pick { const char *name; int maxIndex; float draw; int result; };
constexpr float BelowOne = 16777215.0f / 16777216.0f;
}

class RandomPickerTest : public QObject {
    Q_OBJECT

private slots:
    // The counter read as a decimal with four places, point removed, last three digits.
    void skipCountFollowsTheCounterDigits()
    {
        const QList<QPair<qint64, int>> rows = {{1234567, 567}, {1234500, 345}, {1230000, 123}, {12300000, 230}, {5, 5},
            {120, 12}, {10000, 1}, {0, 0}, {99990000, 999}, {std::numeric_limits<qint64>::max(), 807}};
        for (const auto &[count, skip] : rows)
            QVERIFY2(SkipCountFromCounter(count) == skip, qPrintable(QString::number(count)));
    }

    // Re-seeded once, n + 1 draws thrown away, then the draw scaled and floored.
    void picks_data()
    {
        AddRows<Pick>({{"zero draw", 59, 0.0f, 0}, {"highest draw", 59, BelowOne, 59}, {"widest range", 32766, BelowOne, 32766},
            {"just under a step", 1, 0.4999999f, 0}, {"half", 1, 0.5f, 1}, {"exact product, not rounded up to 7", 9, 0.7f, 6},
            {"zero range", 0, BelowOne, 0}, {"minus one", -1, BelowOne, 0}});
    }
    void picks()
    {
        QFETCH(Pick, row);
        ScriptedGenerator generator({row.draw});
        FixedCounter counter(1234567);
        QCOMPARE(PickRandomIndex(qint16(row.maxIndex)), row.result);
        QVERIFY(generator.randomizeCalls == 1 && generator.discarded == 568 && generator.draws == 1);
    }

    void everyIndexComesUpAndNoneBeyond()
    {
        QSet<qint32> seen;
        for (int i = 0; i < 3000; ++i)
            seen.insert(PickRandomIndex(qint16(59)));
        QVERIFY(seen.size() == 60 && seen.contains(0) && seen.contains(59));
        QVERIFY_THROWS_EXCEPTION(RuntimeError, PickRandomIndex(qint16(32767)));
    }

    void jumpingAheadIsDrawing()
    {
        for (int count : {0, 1, 2, 3, 568, 999, 1000}) { // jumping ahead is drawing
            ClassicGenerator jumped, drawn;
            jumped.Reseed(12345.678f);
            drawn.Reseed(12345.678f);
            jumped.Discard(count);
            for (int i = 0; i < count; ++i)
                drawn.Next();
            QCOMPARE(jumped.Next(), drawn.Next());
        }
    }

    // No counter: the box comes before any draw, and the process ends
    // without running a close or destroy handler.
    void unreadableCounterEndsTheProgramAtOnce()
    {
        {
            TestProgram program(u"Kestova"_qs);
            ScriptedGenerator generator;
            FixedCounter counter(std::nullopt);
            QVERIFY_THROWS_EXCEPTION(ProgramEnded, PickRandomIndex(qint16(59)));
            QCOMPARE(generator.draws + generator.discarded, 0);
        }
        QTemporaryDir dir;
        QProcess child;
        child.start(QCoreApplication::applicationFilePath(), {u"counter-failure-child"_qs, dir.filePath(u"mark"_qs)});
        QVERIFY(child.waitForFinished(30000) && child.exitStatus() == QProcess::NormalExit && child.exitCode() == 0);
        QCOMPARE(QString::fromUtf8(child.readAllStandardOutput()), u"box|Zodavoz|現在の環境では使用できません|%1\n"_qs.arg(int(QMessageBox::Critical)));
        QVERIFY2(!QFile::exists(dir.filePath(u"mark"_qs)), "a close or destroy handler ran");
    }
};

// A shown window whose close or destruction leaves a mark.
class MarkingWindow : public QWidget {
public:
    explicit MarkingWindow(const QString &path) : mark(path) {}
    ~MarkingWindow() override { mark.open(QIODevice::Append); }

protected:
    void closeEvent(QCloseEvent *) override { mark.open(QIODevice::Append); }

private:
    QFile mark;
};

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    if (argc == 3 && qstrcmp(argv[1], "counter-failure-child") == 0) {
        SetMessageHandler([](const MessageRequest &r) { std::printf("box|%s|%s|%d\n", qPrintable(r.title), qPrintable(r.text), int(r.icon)); });
        SetCounterReader([]() -> std::optional<qint64> { return std::nullopt; });
        MarkingWindow window(QString::fromLocal8Bit(argv[2]));
        window.show();
        PickRandomIndex(qint16(59));
        return 3;
    }
    RandomPickerTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_randompicker.moc"
