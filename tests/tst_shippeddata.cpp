// The data files shipped with the trainers: Mirelo.ini and text.ini.
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

const QString Source = QStringLiteral(KESTOVA_SOURCE_DIR);
const QString Drills = Source + u"/fingerdrill/Mirelo.ini"_qs;
const QString Words = Source + u"/wordtype/text.ini"_qs;
const QStringList OneFinger = {u"左小指"_qs, u"左薬指"_qs, u"左中指"_qs, u"左人差指左"_qs, u"左人差指右"_qs,
                               u"右人差指左"_qs, u"右人差指右"_qs, u"右中指"_qs, u"右薬指"_qs, u"右小指"_qs};
// Each finger of the second group joins these fingers of the first.
const QList<QPair<QString, QList<int>>> TwoFingers = {{u"左小指"_qs, {0}}, {u"左薬・中指"_qs, {1, 2}}, {u"左人差指"_qs, {3, 4}},
                                                      {u"右人差指"_qs, {5, 6}}, {u"右中・薬指"_qs, {7, 8}}, {u"右小指"_qs, {9}}};

// The kana of the keys finger i of the first group strikes: its column of the
// map in each row, and the right little finger also the key right of P.
QSet<QString> kanaOfFinger(int i)
{
    QSet<QString> kana;
    for (const KeyFrame &key : KeyboardLayout) {
        if (key.index % 10 == i && key.index < 30 || (i == 9 && key.index == 30)) {
            for (const auto &label : {key.thumbShift, key.plain})
                if (label)
                    kana.insert(QString::fromUtf16(label->caption));
        }
    }
    return kana;
}

QSet<QString> entriesOf(const QString &group, const QString &finger)
{
    const QStringList entries = GetIniString(group, finger, Drills).split(u'\t');
    return {entries.begin(), entries.end()};
}

} // namespace

class ShippedDataTest : public QObject {
    Q_OBJECT

private slots:
    void filesAreCodePage932WithCrLf()
    {
        for (const QString &path : {Drills, Words}) {
            QFile file(path);
            QVERIFY(file.open(QIODevice::ReadOnly));
            const QByteArray bytes = file.readAll();
            QCOMPARE(ToCp932(FromCp932(bytes)), bytes);
            QCOMPARE(bytes.count('\n'), bytes.count("\r\n"));
            QCOMPARE(bytes.count('\r'), bytes.count("\r\n"));
            QVERIFY(bytes.endsWith("\r\n") && !bytes.startsWith("\xEF\xBB\xBF"));
        }
    }

    // Drawable lists: a count of 2 or more, single-character entries, every
    // kana of the list among the entries in play, and no list over 254 bytes.
    void fingerListsAreTheKeysOfEachFinger()
    {
        QSet<QString> all;
        for (const QString &group : {u"指１本"_qs, u"指２本"_qs}) {
            bool isNumber = false;
            const int count = GetIniString(group, u"文字数"_qs, Drills).toInt(&isNumber);
            QVERIFY(isNumber && count >= 2);
            QStringList fingers = OneFinger;
            if (group == u"指２本")
                std::transform(TwoFingers.begin(), TwoFingers.end(), fingers.begin(), [](const auto &f) { return f.first; }), fingers.resize(6);
            for (const QString &finger : fingers) {
                const QString list = GetIniString(group, finger, Drills);
                const QStringList entries = list.split(u'\t');
                QVERIFY2(ToCp932(list).size() <= 254 && entries.size() >= count, qPrintable(finger));
                QVERIFY2(std::all_of(entries.begin(), entries.end(), [](const QString &e) { return e.size() == 1; }), qPrintable(finger));
                QCOMPARE(QSet<QString>(entries.begin(), entries.begin() + count), QSet<QString>(entries.begin(), entries.end()));
            }
        }
        for (int i = 0; i < 10; ++i) {
            const QSet<QString> kana = entriesOf(u"指１本"_qs, OneFinger[i]);
            QCOMPARE(kana, kanaOfFinger(i));
            QVERIFY(!all.intersects(kana));
            all.unite(kana);
        }
        QCOMPARE(all.size(), 59);
        for (const auto &[finger, joined] : TwoFingers) {
            QSet<QString> expected;
            for (int i : joined)
                expected.unite(kanaOfFinger(i));
            QCOMPARE(entriesOf(u"指２本"_qs, finger), expected);
        }
    }

    // Distinct hiragana words of two or more kana, each kana on a key of the
    // map or its voiced form on the opposite thumb; some long vowels and small kana.
    void wordListHoldsWordsALearnerCanType()
    {
        QSet<QChar> onTheMap;
        for (const KeyFrame &key : KeyboardLayout) {
            for (const auto &label : {key.thumbShift, key.plain})
                if (label)
                    onTheMap.insert(QChar(label->caption[0]));
        }
        QCOMPARE(GetIniString(u"システム"_qs, u"繰り返し回数"_qs, Words), u"10"_qs);
        QSet<QString> words;
        QString kana;
        for (int n = 1;; ++n) {
            const QString word = GetIniString(u"テキスト"_qs, QString::number(n), Words);
            if (word.isEmpty())
                break;
            QVERIFY2(word.size() >= 2 && !words.contains(word), qPrintable(word));
            words.insert(word);
            kana += word;
        }
        for (QChar c : kana) {
            const QString base = QString(c).normalized(QString::NormalizationForm_D);
            QVERIFY2((c >= u'ぁ' && c <= u'ゖ') || c == u'ー', qPrintable(QString(c)));
            QVERIFY2(onTheMap.contains(base[0]) && (base.size() == 1 || base[1] == QChar(0x3099) || base[1] == QChar(0x309A)), qPrintable(QString(c)));
        }
        QVERIFY(words.size() >= 200 && kana.contains(u'ー') && kana.contains(u'ゃ') && kana.contains(u'っ'));
    }

    void buildCopiesOnlyWhenNoFileIsThere()
    {
        QTemporaryDir dir;
        const QString copy = dir.filePath(u"Mirelo.ini"_qs);
        const QStringList args = {u"-DSOURCE="_qs + Drills, u"-DDEST="_qs + copy, u"-P"_qs, Source + u"/cmake/copy_if_absent.cmake"_qs};
        QCOMPARE(QProcess::execute(u"cmake"_qs, args), 0);
        QCOMPARE(GetIniString(u"指１本"_qs, u"右小指"_qs, copy), GetIniString(u"指１本"_qs, u"右小指"_qs, Drills));
        PutIniString(u"秒数"_qs, u"左小指"_qs, u"42"_qs, copy);
        QCOMPARE(QProcess::execute(u"cmake"_qs, args), 0);
        QCOMPARE(GetIniString(u"秒数"_qs, u"左小指"_qs, copy), u"42"_qs);
    }
};

QTEST_APPLESS_MAIN(ShippedDataTest)
#include "tst_shippeddata.moc"
