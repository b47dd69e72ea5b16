// The data files shipped with the trainers: Mirelo.ini and text.ini.
#include "harness.h"
#include "inifile.h"
#include "keyboardmap.h"

#include <QProcess>

using namespace kestova;

namespace {

const QString Source = QStringLiteral(KESTOVA_SOURCE_DIR);
const QString Drills = Source + u"/fingerdrill/Mirelo.ini"_qs, Words = Source + u"/wordtype/text.ini"_qs;

// The kana on the keys of the map's columns `columns` (0..9 from the left,
// 10 the key right of P), as `finger` of `group` should list them.
struct Finger { QString group, finger; QList<int> columns; };
const QList<Finger> Fingers = {
    {u"指１本"_qs, u"左小指"_qs, {0}}, {u"指１本"_qs, u"左薬指"_qs, {1}}, {u"指１本"_qs, u"左中指"_qs, {2}},
    {u"指１本"_qs, u"左人差指左"_qs, {3}}, {u"指１本"_qs, u"左人差指右"_qs, {4}}, {u"指１本"_qs, u"右人差指左"_qs, {5}},
    {u"指１本"_qs, u"右人差指右"_qs, {6}}, {u"指１本"_qs, u"右中指"_qs, {7}}, {u"指１本"_qs, u"右薬指"_qs, {8}},
    {u"指１本"_qs, u"右小指"_qs, {9, 10}}, {u"指２本"_qs, u"左小指"_qs, {0}}, {u"指２本"_qs, u"左薬・中指"_qs, {1, 2}},
    {u"指２本"_qs, u"左人差指"_qs, {3, 4}}, {u"指２本"_qs, u"右人差指"_qs, {5, 6}}, {u"指２本"_qs, u"右中・薬指"_qs, {7, 8}},
    {u"指２本"_qs, u"右小指"_qs, {9, 10}}};

QSet<QString> kanaOfColumns(const QList<int> &columns)
{
    QSet<QString> kana;
    for (const KeyFrame &key : KeyboardLayout) {
        if (columns.contains(key.index == 30 ? 10 : key.index % 10))
            for (const KeyLabel &label : {key.thumbShift, key.plain})
                if (label.index >= 0)
                    kana.insert(QString::fromUtf16(label.caption));
    }
    return kana;
}

} // namespace

class ShippedDataTest : public QObject {
    Q_OBJECT

private slots:
    void filesAreCodePage932WithCrLf()
    {
        for (const QString &path : {Drills, Words}) {
            const QByteArray bytes = ReadFile(path), lines = QByteArray(bytes).replace("\r\n", "");
            QVERIFY(ToCp932(FromCp932(bytes)) == bytes && bytes.endsWith("\r\n") && !lines.contains('\n') && !lines.contains('\r'));
        }
    }

    // Every list: the kana of its finger's keys, each once among the first
    // "文字数" entries, at most 254 bytes; a count of at least 2.
    void fingerListsAreTheKeysOfEachFinger()
    {
        for (const Finger &finger : Fingers) {
            const int count = GetIniString(finger.group, u"文字数"_qs, Drills).toInt();
            const QString list = GetIniString(finger.group, finger.finger, Drills);
            const QStringList entries = list.split(u'\t');
            QVERIFY2(count >= 2 && entries.size() >= count && ToCp932(list).size() <= 254, qPrintable(finger.finger));
            QCOMPARE(QSet<QString>(entries.begin(), entries.begin() + count), kanaOfColumns(finger.columns));
            QCOMPARE(QSet<QString>(entries.begin(), entries.end()), kanaOfColumns(finger.columns));
        }
    }

    // Distinct words of two or more kana, each kana on a key of the map or
    // its voiced form; long vowels and small kana among them.
    void wordListHoldsWordsALearnerCanType()
    {
        const QSet<QString> onTheMap = kanaOfColumns({0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10});
        QSet<QString> words;
        for (int n = 1; !GetIniString(u"テキスト"_qs, QString::number(n), Words).isEmpty(); ++n) {
            const QString word = GetIniString(u"テキスト"_qs, QString::number(n), Words);
            QVERIFY2(word.size() >= 2 && !words.contains(word) && std::all_of(word.begin(), word.end(), [&](QChar c) {
                return onTheMap.contains(QString(c).normalized(QString::NormalizationForm_D).left(1)); }), qPrintable(word));
            words.insert(word);
        }
        QVERIFY(words.size() >= 200 && !words.values().filter(u"ー"_qs).isEmpty() && !words.values().filter(u"ゃ"_qs).isEmpty());
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
