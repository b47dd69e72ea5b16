#include "codepage.h"
#include "inifile.h"
#include "keyboardmap.h"

#include <QFile>
#include <QProcess>
#include <QSet>
#include <QTemporaryDir>
#include <QTest>

using namespace kestova;

namespace {

const QString ShippedFile = QStringLiteral(KESTOVA_SOURCE_DIR "/fingerdrill/Mirelo.ini");

const QStringList OneFinger = {u"左小指"_qs,     u"左薬指"_qs,     u"左中指"_qs, u"左人差指左"_qs,
                               u"左人差指右"_qs, u"右人差指左"_qs, u"右人差指右"_qs,
                               u"右中指"_qs,     u"右薬指"_qs,     u"右小指"_qs};
const QStringList TwoFingers = {u"左小指"_qs,   u"左薬・中指"_qs, u"左人差指"_qs,
                                u"右人差指"_qs, u"右中・薬指"_qs, u"右小指"_qs};

// Which keys each finger of the one-finger group strikes: the map's frames
// by finger colour, index fingers split by their column.
QSet<QString> kanaOfFinger(const QString &finger)
{
    const QMap<QString, QList<int>> frames = {
        {u"左小指"_qs, {0, 10, 20}},       {u"左薬指"_qs, {1, 11, 21}},
        {u"左中指"_qs, {2, 12, 22}},       {u"左人差指左"_qs, {3, 13, 23}},
        {u"左人差指右"_qs, {4, 14, 24}},   {u"右人差指左"_qs, {5, 15, 25}},
        {u"右人差指右"_qs, {6, 16, 26}},   {u"右中指"_qs, {7, 17, 27}},
        {u"右薬指"_qs, {8, 18, 28}},       {u"右小指"_qs, {9, 19, 29, 30}},
    };
    QSet<QString> kana;
    for (const KeyFrame &key : KeyboardLayout) {
        if (!frames.value(finger).contains(key.index))
            continue;
        for (const auto &label : {key.thumbShift, key.plain}) {
            if (label)
                kana.insert(QString::fromUtf16(label->caption));
        }
    }
    return kana;
}

QStringList entries(const QString &group, const QString &finger)
{
    return GetIniString(group, finger, ShippedFile).split(u'\t');
}

} // namespace

class DrillDataTest : public QObject {
    Q_OBJECT

private slots:
    void isCodePage932WithCrLf();
    void everyGroupKeepsTheDrawingRules_data();
    void everyGroupKeepsTheDrawingRules();
    void oneFingerListsAreTheKeysOfThatFinger();
    void twoFingerListsJoinTheirFingers();
    void buildCopiesOnlyWhenNoFileIsThere();
};

void DrillDataTest::isCodePage932WithCrLf()
{
    QFile file(ShippedFile);
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QByteArray bytes = file.readAll();
    QVERIFY(!bytes.startsWith("\xEF\xBB\xBF") && !bytes.startsWith("\xFF\xFE"));
    QCOMPARE(ToCp932(FromCp932(bytes)), bytes);
    QCOMPARE(bytes.count('\n'), bytes.count("\r\n"));
    QCOMPARE(bytes.count('\r'), bytes.count("\r\n"));
    QVERIFY(bytes.endsWith("\r\n"));
}

void DrillDataTest::everyGroupKeepsTheDrawingRules_data()
{
    QTest::addColumn<QString>("group");
    QTest::addColumn<QStringList>("fingers");
    QTest::newRow("one finger") << u"指１本"_qs << OneFinger;
    QTest::newRow("two fingers") << u"指２本"_qs << TwoFingers;
}

void DrillDataTest::everyGroupKeepsTheDrawingRules()
{
    QFETCH(QString, group);
    QFETCH(QStringList, fingers);
    bool isNumber = false;
    const int charCount = GetIniString(group, u"文字数"_qs, ShippedFile).toInt(&isNumber);
    QVERIFY(isNumber);
    QVERIFY(charCount >= 2);
    for (const QString &finger : fingers) {
        const QString list = GetIniString(group, finger, ShippedFile);
        QVERIFY2(ToCp932(list).size() <= 254, qPrintable(finger));
        const QStringList items = list.split(u'\t');
        QVERIFY2(items.size() >= charCount, qPrintable(finger));
        for (const QString &item : items)
            QVERIFY2(item.size() == 1, qPrintable(finger + u": '"_qs + item + u"'"_qs));
        // Every kana of the finger is among the entries that are drawn.
        const QStringList drawn = items.mid(0, charCount);
        QCOMPARE(QSet<QString>(drawn.begin(), drawn.end()),
                 QSet<QString>(items.begin(), items.end()));
    }
}

void DrillDataTest::oneFingerListsAreTheKeysOfThatFinger()
{
    QSet<QString> all;
    for (const QString &finger : OneFinger) {
        const QStringList items = entries(u"指１本"_qs, finger);
        const QSet<QString> kana(items.begin(), items.end());
        QCOMPARE(kana, kanaOfFinger(finger));
        QVERIFY(!all.intersects(kana));
        all.unite(kana);
    }
    QCOMPARE(all.size(), 59);
}

void DrillDataTest::twoFingerListsJoinTheirFingers()
{
    const QList<QStringList> joined = {
        {u"左小指"_qs}, {u"左薬指"_qs, u"左中指"_qs}, {u"左人差指左"_qs, u"左人差指右"_qs},
        {u"右人差指左"_qs, u"右人差指右"_qs}, {u"右中指"_qs, u"右薬指"_qs}, {u"右小指"_qs},
    };
    for (int i = 0; i < TwoFingers.size(); ++i) {
        QSet<QString> expected;
        for (const QString &finger : joined[i])
            expected.unite(kanaOfFinger(finger));
        const QStringList items = entries(u"指２本"_qs, TwoFingers[i]);
        QCOMPARE(QSet<QString>(items.begin(), items.end()), expected);
    }
}

void DrillDataTest::buildCopiesOnlyWhenNoFileIsThere()
{
    QTemporaryDir dir;
    const QString dest = dir.filePath(u"Mirelo.ini"_qs);
    const QStringList args = {u"-DSOURCE="_qs + ShippedFile, u"-DDEST="_qs + dest, u"-P"_qs,
                              QStringLiteral(KESTOVA_SOURCE_DIR "/cmake/copy_if_absent.cmake")};
    QCOMPARE(QProcess::execute(u"cmake"_qs, args), 0);
    QFile shipped(ShippedFile);
    QVERIFY(shipped.open(QIODevice::ReadOnly));
    QFile copy(dest);
    QVERIFY(copy.open(QIODevice::ReadOnly));
    QCOMPARE(copy.readAll(), shipped.readAll());
    copy.close();

    PutIniString(u"秒数"_qs, u"左小指"_qs, u"42"_qs, dest);
    QCOMPARE(QProcess::execute(u"cmake"_qs, args), 0);
    QCOMPARE(GetIniString(u"秒数"_qs, u"左小指"_qs, dest), u"42"_qs);
}

QTEST_APPLESS_MAIN(DrillDataTest)
#include "tst_drilldata.moc"
