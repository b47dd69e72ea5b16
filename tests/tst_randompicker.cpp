#include "randompicker.h"
#include "runtimeerror.h"
#include "testseams.h"

#include <QApplication>
#include <QFile>
#include <QProcess>
#include <QSet>
#include <QTemporaryDir>
#include <QTest>
#include <QWidget>

#include <cstdio>

using namespace kestova;

class RandomPickerTest : public QObject {
    Q_OBJECT

private slots:
    void skipCountFollowsTheCounterDigits_data();
    void skipCountFollowsTheCounterDigits();
    void discardsOneMoreThanTheSkipCount();
    void resultScalesTheDrawDownward_data();
    void resultScalesTheDrawDownward();
    void everyIndexComesUpAndNoneBeyond();
    void zeroAndMinusOneAlwaysGiveZero();
    void maxIndex32767Overflows();
    void classicGeneratorKeepsItsKnownSequence();
    void jumpAheadEqualsDrawing_data();
    void jumpAheadEqualsDrawing();
    void unreadableCounterShowsBoxBeforeDrawingAndEnds();
    void unreadableCounterEndsProcessWithoutCloseHandlers();
};

void RandomPickerTest::skipCountFollowsTheCounterDigits_data()
{
    QTest::addColumn<qint64>("count");
    QTest::addColumn<int>("skip");
    QTest::newRow("123.4567") << qint64(1234567) << 567;
    QTest::newRow("123.45") << qint64(1234500) << 345;
    QTest::newRow("123") << qint64(1230000) << 123;
    QTest::newRow("1230") << qint64(12300000) << 230;
    QTest::newRow("0.0005") << qint64(5) << 5;
    QTest::newRow("0.0120") << qint64(120) << 12;
    QTest::newRow("1") << qint64(10000) << 1;
    QTest::newRow("0") << qint64(0) << 0;
    QTest::newRow("9999") << qint64(99990000) << 999;
    QTest::newRow("largest") << std::numeric_limits<qint64>::max() << 807;
}

void RandomPickerTest::skipCountFollowsTheCounterDigits()
{
    QFETCH(qint64, count);
    QFETCH(int, skip);
    QCOMPARE(SkipCountFromCounter(count), skip);
}

void RandomPickerTest::discardsOneMoreThanTheSkipCount()
{
    ScriptedGenerator generator;
    GeneratorSeam useGenerator(&generator);
    CounterSeam counter(1234567);
    PickRandomIndex(qint16(9));
    QCOMPARE(generator.randomizeCalls, 1);
    QCOMPARE(generator.discarded, 568);
    QCOMPARE(generator.draws, 1);
}

void RandomPickerTest::resultScalesTheDrawDownward_data()
{
    QTest::addColumn<int>("maxIndex");
    QTest::addColumn<float>("draw");
    QTest::addColumn<int>("result");
    const float belowOne = 16777215.0f / 16777216.0f;
    QTest::newRow("zero draw") << 59 << 0.0f << 0;
    QTest::newRow("highest draw") << 59 << belowOne << 59;
    QTest::newRow("highest draw, widest range") << 32766 << belowOne << 32766;
    QTest::newRow("just under a step") << 1 << 0.4999999f << 0;
    QTest::newRow("half") << 1 << 0.5f << 1;
    QTest::newRow("exact product, not rounded up to 7") << 9 << 0.7f << 6;
}

void RandomPickerTest::resultScalesTheDrawDownward()
{
    QFETCH(int, maxIndex);
    QFETCH(float, draw);
    QFETCH(int, result);
    ScriptedGenerator generator;
    generator.values = {draw};
    GeneratorSeam useGenerator(&generator);
    QCOMPARE(PickRandomIndex(qint16(maxIndex)), result);
}

void RandomPickerTest::everyIndexComesUpAndNoneBeyond()
{
    QSet<qint32> seen;
    for (int i = 0; i < 3000; ++i) {
        const qint32 index = PickRandomIndex(qint16(59));
        QVERIFY2(index >= 0 && index <= 59, qPrintable(QString::number(index)));
        seen.insert(index);
    }
    QCOMPARE(seen.size(), 60);
}

void RandomPickerTest::zeroAndMinusOneAlwaysGiveZero()
{
    for (int i = 0; i < 200; ++i) {
        QCOMPARE(PickRandomIndex(qint16(0)), 0);
        QCOMPARE(PickRandomIndex(qint16(-1)), 0);
    }
}

void RandomPickerTest::maxIndex32767Overflows()
{
    try {
        PickRandomIndex(qint16(32767));
        QFAIL("no overflow");
    } catch (const RuntimeError &error) {
        QCOMPARE(error.Number, int(OverflowError));
        QVERIFY(!error.Description.isEmpty());
    }
}

void RandomPickerTest::classicGeneratorKeepsItsKnownSequence()
{
    // The first values of the classic run-time before any re-seeding.
    ClassicGenerator generator;
    const float expected[] = {0.7055475f, 0.5334240f, 0.5795186f, 0.2895625f, 0.3019480f};
    for (float value : expected)
        QCOMPARE(generator.Next(), value);
}

void RandomPickerTest::jumpAheadEqualsDrawing_data()
{
    QTest::addColumn<int>("count");
    for (int count : {0, 1, 2, 3, 568, 999, 1000})
        QTest::addRow("%d", count) << count;
}

void RandomPickerTest::jumpAheadEqualsDrawing()
{
    QFETCH(int, count);
    ClassicGenerator jumped, drawn;
    jumped.Reseed(12345.678f);
    drawn.Reseed(12345.678f);
    jumped.Discard(count);
    for (int i = 0; i < count; ++i)
        drawn.Next();
    QCOMPARE(jumped.State(), drawn.State());
    QCOMPARE(jumped.Next(), drawn.Next());
}

void RandomPickerTest::unreadableCounterShowsBoxBeforeDrawingAndEnds()
{
    PlatformSeams seams;
    ScriptedGenerator generator;
    GeneratorSeam useGenerator(&generator);
    CounterSeam counter(std::nullopt);
    QVERIFY_THROWS_EXCEPTION(ProgramEnded, PickRandomIndex(qint16(59)));
    QCOMPARE(ShownMessages().size(), 1);
    QCOMPARE(ShownMessages()[0].text, u"現在の環境では使用できません"_qs);
    QCOMPARE(ShownMessages()[0].title, u"Zodavoz"_qs);
    QCOMPARE(ShownMessages()[0].icon, QMessageBox::Critical);
    QCOMPARE(generator.draws, 0);
    QCOMPARE(generator.discarded, 0);
}

// The child half of the test below: a shown window whose close and destroy
// would leave a mark, then a pick with no counter.
class MarkingWindow : public QWidget {
public:
    explicit MarkingWindow(QString markPath) : markPath(std::move(markPath)) {}
    ~MarkingWindow() override { mark(u"destroyed"_qs); }

protected:
    void closeEvent(QCloseEvent *event) override
    {
        mark(u"closed"_qs);
        QWidget::closeEvent(event);
    }

private:
    void mark(const QString &what)
    {
        QFile file(markPath);
        if (file.open(QIODevice::Append))
            file.write(what.toUtf8() + '\n');
    }
    QString markPath;
};

static int runCounterFailureChild(int argc, char **argv)
{
    QApplication app(argc, argv);
    kestova::SetMessageHandler([](const MessageRequest &request) {
        std::printf("box|%s|%s|%d\n", qPrintable(request.title), qPrintable(request.text),
                    int(request.icon));
    });
    SetCounterReader([]() -> std::optional<qint64> { return std::nullopt; });
    MarkingWindow window(QString::fromLocal8Bit(argv[2]));
    window.show();
    PickRandomIndex(qint16(59));
    std::printf("returned\n");
    return 3;
}

void RandomPickerTest::unreadableCounterEndsProcessWithoutCloseHandlers()
{
    QTemporaryDir dir;
    const QString mark = dir.filePath(u"mark"_qs);
    QProcess child;
    child.start(QCoreApplication::applicationFilePath(), {u"counter-failure-child"_qs, mark});
    QVERIFY(child.waitForFinished(30000));
    QCOMPARE(child.exitStatus(), QProcess::NormalExit);
    QCOMPARE(child.exitCode(), 0);
    const QString output = QString::fromUtf8(child.readAllStandardOutput());
    QCOMPARE(output, QStringLiteral("box|Zodavoz|現在の環境では使用できません|%1\n")
                             .arg(int(QMessageBox::Critical)));
    QVERIFY2(!QFile::exists(mark), "a close or destroy handler ran");
}

int main(int argc, char **argv)
{
    if (argc == 3 && qstrcmp(argv[1], "counter-failure-child") == 0)
        return runCounterFailureChild(argc, argv);
    QCoreApplication app(argc, argv);
    RandomPickerTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_randompicker.moc"
