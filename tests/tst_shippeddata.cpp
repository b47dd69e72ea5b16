// The data files shipped with the trainers: Mirelo.ini, text.ini, the course's words and the sentences.
#include "harness.h"
#include "inifile.h"
#include "keyboardmap.h"

#include <QProcess>

using namespace Qt::StringLiterals;

using namespace kestova;

namespace {

const QString Source = QStringLiteral(KESTOVA_SOURCE_DIR);
const QString Drills = Source + u"/fingerdrill/Mirelo.ini"_s, Words = Source + u"/wordtype/text.ini"_s;

// The kana on the keys of the map's columns `columns` (0..9 from the left,
// 10 the key right of P), as `finger` of `group` should list them.
struct Finger { QString group, finger; QList<int> columns; };
const QList<Finger> Fingers = {
    {u"指１本"_s, u"左小指"_s, {0}}, {u"指１本"_s, u"左薬指"_s, {1}}, {u"指１本"_s, u"左中指"_s, {2}},
    {u"指１本"_s, u"左人差指左"_s, {3}}, {u"指１本"_s, u"左人差指右"_s, {4}}, {u"指１本"_s, u"右人差指左"_s, {5}},
    {u"指１本"_s, u"右人差指右"_s, {6}}, {u"指１本"_s, u"右中指"_s, {7}}, {u"指１本"_s, u"右薬指"_s, {8}},
    {u"指１本"_s, u"右小指"_s, {9, 10}}, {u"指２本"_s, u"左小指"_s, {0}}, {u"指２本"_s, u"左薬・中指"_s, {1, 2}},
    {u"指２本"_s, u"左人差指"_s, {3, 4}}, {u"指２本"_s, u"右人差指"_s, {5, 6}}, {u"指２本"_s, u"右中・薬指"_s, {7, 8}},
    {u"指２本"_s, u"右小指"_s, {9, 10}}};

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

// The lines of a file of the source tree, less comments and blank lines.
QStringList entriesOf(const QString &path)
{
    QStringList entries;
    for (const QString &line : QString::fromUtf8(ReadFile(Source + path)).split(u'\n'))
        if (!line.trimmed().isEmpty() && !line.startsWith(u'#'))
            entries.append(line.trimmed());
    return entries;
}

} // namespace

class ShippedDataTest : public QObject {
    Q_OBJECT

private slots:
    void filesAreCodePage932WithCrLf()
    {
        for (const QString &path : {Drills, Words}) {
            const QByteArray bytes = ReadFile(path), lines = QByteArray(bytes).replace("\r\n", "");
            QCOMPARE(ToCp932(FromCp932(bytes)), bytes);
            QVERIFY(bytes.endsWith("\r\n"));
            QVERIFY(!lines.contains('\n'));
            QVERIFY(!lines.contains('\r'));
        }
    }

    // Every list: the kana of its finger's keys, each once among the first
    // "文字数" entries, at most 254 bytes; a count of at least 2.
    void fingerListsAreTheKeysOfEachFinger()
    {
        for (const Finger &finger : Fingers) {
            const int count = GetIniString(finger.group, u"文字数"_s, Drills).toInt();
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
        for (int n = 1; !GetIniString(u"テキスト"_s, QString::number(n), Words).isEmpty(); ++n) {
            const QString word = GetIniString(u"テキスト"_s, QString::number(n), Words);
            QVERIFY2(word.size() >= 2 && !words.contains(word) && std::all_of(word.begin(), word.end(), [&](QChar c) {
                return onTheMap.contains(QString(c).normalized(QString::NormalizationForm_D).left(1)); }), qPrintable(word));
            words.insert(word);
        }
        QVERIFY(words.size() >= 200);
        QVERIFY(!words.values().filter(u"ー"_s).isEmpty());
        QVERIFY(!words.values().filter(u"ゃ"_s).isEmpty());
    }

    // The course's words: tens of thousands, none of those never to teach,
    // everyday verbs and adjectives among the first 3 %.
    void courseWordsAreEverydayFirstAndNeverTheBannedOnes()
    {
        const QStringList words = entriesOf(u"/data/kana-words.txt"_s);
        QVERIFY(words.size() > 20000);
        for (const QString &banned : entriesOf(u"/tools/never-teach.txt"_s))
            QVERIFY2(!words.contains(banned), qPrintable(banned));
        for (const char *everyday : {"する", "いう", "たべる", "おおきい", "いく", "くる", "ある", "いる", "なる", "みる"}) {
            const qsizetype rank = words.indexOf(QString::fromUtf8(everyday));
            QVERIFY2(rank >= 0 && rank < words.size() * 3 / 100, everyday);
        }
    }

    // The sentence mode's text: "written<TAB>reading", the reading 10 to 40
    // of hiragana, 、, 。 and ー; at least 600 sentences, none twice.
    void sentencesHaveAReadingALearnerCanType()
    {
        const QStringList lines = entriesOf(u"/data/sentences.txt"_s);
        for (const QString &line : lines) {
            const QStringList parts = line.split(u'\t');
            QVERIFY2(parts.size() == 2 && !parts[0].isEmpty() && parts[1].size() >= 10 && parts[1].size() <= 40
                     && std::all_of(parts[1].begin(), parts[1].end(), [](QChar c) {
                            return (c >= u'ぁ' && c <= u'ゖ') || u"、。ー"_s.contains(c); }), qPrintable(line));
        }
        QVERIFY(lines.size() >= 600);
        QCOMPARE(QSet<QString>(lines.begin(), lines.end()).size(), lines.size());
    }

    void buildCopiesOnlyWhenNoFileIsThere()
    {
        QTemporaryDir dir;
        const QString copy = dir.filePath(u"Mirelo.ini"_s);
        const QStringList args = {u"-DSOURCE="_s + Drills, u"-DDEST="_s + copy, u"-P"_s, Source + u"/cmake/copy_if_absent.cmake"_s};
        QCOMPARE(QProcess::execute(u"cmake"_s, args), 0);
        QCOMPARE(GetIniString(u"指１本"_s, u"右小指"_s, copy), GetIniString(u"指１本"_s, u"右小指"_s, Drills));
        PutIniString(u"秒数"_s, u"左小指"_s, u"42"_s, copy);
        QCOMPARE(QProcess::execute(u"cmake"_s, args), 0);
        QCOMPARE(GetIniString(u"秒数"_s, u"左小指"_s, copy), u"42"_s);
    }
};

QTEST_APPLESS_MAIN(ShippedDataTest)
#include "tst_shippeddata.moc"
