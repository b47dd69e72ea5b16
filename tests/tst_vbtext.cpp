#include "runtimeerror.h"
#include "vbtext.h"

#include <QTest>

using namespace kestova;

class VbTextTest : public QObject {
    Q_OBJECT

private slots:
    void integers_data();
    void integers();
    void numbers_data();
    void numbers();
    void numberText_data();
    void numberText();
};

void VbTextTest::integers_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("result"); // -1000000 type mismatch, 1000000 overflow
    const int mismatch = -1000000, overflow = 1000000;
    const QList<QPair<const char *, int>> rows = {
        {"6", 6},          {" 12 ", 12},       {"+7", 7},           {"12-", -12},
        {"(12)", -12},     {"1,000", 1000},    {"1,2,3", 123},      {"0.5", 0},
        {"1.5", 2},        {"2.5", 2},         {"2.50", 2},         {"2.500001", 3},
        {"3.5", 4},        {"-0.5", 0},        {"-1.5", -2},        {"12.5", 12},
        {"13.5", 14},      {"25427.45", 25427}, {"25427.55", 25428}, {"1e3", 1000},
        {"15E-1", 2},      {"&HFFFF", -1},     {"&h10", 16},        {"&O17", 15},
        {"32767.49", 32767}, {"-32768.5", -32768},
        {"32767.5", overflow}, {"-32768.51", overflow}, {"40000", overflow},
        {"&H10000", overflow}, {"1e9", overflow},
        {"", mismatch},    {"   ", mismatch},  {".", mismatch},     {"abc", mismatch},
        {"12abc", mismatch}, {"1..2", mismatch}, {"--1", mismatch},  {"1e", mismatch},
        {",5", mismatch},  {"１２", mismatch},  {"(12", mismatch},
    };
    for (const auto &[text, result] : rows)
        QTest::newRow(text[0] ? text : "empty") << QString::fromUtf8(text) << result;
}

void VbTextTest::integers()
{
    QFETCH(QString, text);
    QFETCH(int, result);
    try {
        const qint16 value = IntegerFromText(text, u"「文字数」"_qs);
        QCOMPARE(int(value), result);
    } catch (const RuntimeError &error) {
        QVERIFY2(result == 1000000 || result == -1000000, qPrintable(error.Description));
        QCOMPARE(error.Number, result == 1000000 ? int(OverflowError) : int(TypeMismatchError));
        QVERIFY(error.Description.contains(u"「文字数」"_qs));
    }
}

void VbTextTest::numbers_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("isNumber");
    QTest::addColumn<double>("value");
    QTest::newRow("whole") << u"41"_qs << true << 41.0;
    QTest::newRow("fraction") << u"12.5"_qs << true << 12.5;
    QTest::newRow("blanks") << u" 5 "_qs << true << 5.0;
    QTest::newRow("beyond 16 bits") << u"100000"_qs << true << 100000.0;
    QTest::newRow("letters") << u"abc"_qs << false << 0.0;
    QTest::newRow("empty") << QString() << false << 0.0;
    QTest::newRow("too large") << u"1e400"_qs << false << 0.0;
}

void VbTextTest::numbers()
{
    QFETCH(QString, text);
    QFETCH(bool, isNumber);
    QFETCH(double, value);
    const std::optional<double> number = NumberFromText(text);
    QCOMPARE(number.has_value(), isNumber);
    if (isNumber)
        QCOMPARE(*number, value);
}

void VbTextTest::numberText_data()
{
    QTest::addColumn<double>("value");
    QTest::addColumn<QString>("text");
    QTest::newRow("whole") << 42.0 << u"42"_qs;
    QTest::newRow("half") << 13.5 << u"13.5"_qs;
    QTest::newRow("sum") << 0.1 + 0.2 << u"0.3"_qs;
    QTest::newRow("third") << 1.0 / 3 << u"0.333333333333333"_qs;
    QTest::newRow("big") << 1e15 << u"1E+15"_qs;
    QTest::newRow("small") << 0.00001 << u"1E-05"_qs;
    QTest::newRow("negative zero") << -0.0 << u"0"_qs;
}

void VbTextTest::numberText()
{
    QFETCH(double, value);
    QFETCH(QString, text);
    QCOMPARE(TextFromNumber(value), text);
}

QTEST_APPLESS_MAIN(VbTextTest)
#include "tst_vbtext.moc"
