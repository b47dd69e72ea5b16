#include "harness.h"
#include "runtimeerror.h"

#include <QMessageBox>

using namespace Qt::StringLiterals;

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
        QCOMPARE(generator.randomizeCalls, 1);
        QCOMPARE(generator.discarded, 568);
        QCOMPARE(generator.draws, 1);
    }

    void everyIndexComesUpAndNoneBeyond()
    {
        QSet<qint32> seen;
        for (int i = 0; i < 3000; ++i)
            seen.insert(PickRandomIndex(qint16(59)));
        QCOMPARE(seen.size(), 60);
        QVERIFY(seen.contains(0));
        QVERIFY(seen.contains(59));
        QVERIFY_THROWS_EXCEPTION(RuntimeError, PickRandomIndex(qint16(32767)));
    }

    // The generator jumps ahead; the same state as drawing one by one.
    void jumpingAheadIsDrawing()
    {
        for (int count : {0, 1, 2, 3, 568, 999, 1000}) {
            ClassicGenerator jumped, drawn;
            jumped.discard(count);
            for (int i = 0; i < count; ++i)
                drawn.next();
            QCOMPARE(jumped.next(), drawn.next());
        }
    }

    // No counter: the box comes before any draw, and the program ends.
    void unreadableCounterEndsTheProgramAtOnce()
    {
        TestProgram program(u"Kestova"_s);
        ScriptedGenerator generator;
        FixedCounter counter(std::nullopt);
        QVERIFY_THROWS_EXCEPTION(ProgramEnded, PickRandomIndex(qint16(59)));
        QCOMPARE(generator.draws + generator.discarded, 0);
        QCOMPARE(ShownMessages().size(), 1);
        QCOMPARE(ShownMessages()[0].title, u"Zodavoz");
        QCOMPARE(ShownMessages()[0].text, u"現在の環境では使用できません");
        QCOMPARE(ShownMessages()[0].icon, QMessageBox::Critical);
    }
};

QTEST_MAIN(RandomPickerTest)
#include "tst_randompicker.moc"
