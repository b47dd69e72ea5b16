// The word list shipped with the word typing trainer.
#include "codepage.h"
#include "inifile.h"
#include "keyboardmap.h"

#include <QFile>
#include <QSet>
#include <QTest>

namespace {

const QString ShippedFile = QStringLiteral(KESTOVA_SOURCE_DIR "/wordtype/text.ini");

// Kana that the thumb-shift layout gives on a key of the map, or voiced on
// the opposite thumb (が from か, ぱ from は).
bool typable(QChar c, const QSet<QChar> &onTheMap)
{
    if (onTheMap.contains(c))
        return true;
    const QString base = QString(c).normalized(QString::NormalizationForm_D);
    return base.size() == 2 && onTheMap.contains(base[0]) &&
           (base[1] == QChar(0x3099) || base[1] == QChar(0x309A));
}

} // namespace

class WordListTest : public QObject {
    Q_OBJECT

private slots:
    void isCodePage932WithCrLfAndCountTen();
    void holdsEnoughDistinctHiraganaWordsAUserCanType();
};

void WordListTest::isCodePage932WithCrLfAndCountTen()
{
    QFile file(ShippedFile);
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QByteArray bytes = file.readAll();
    QCOMPARE(kestova::ToCp932(kestova::FromCp932(bytes)), bytes);
    QCOMPARE(bytes.count('\n'), bytes.count("\r\n"));
    QVERIFY(bytes.endsWith("\r\n"));
    QCOMPARE(GetIniString(u"システム"_qs, u"繰り返し回数"_qs, ShippedFile), u"10"_qs);
}

void WordListTest::holdsEnoughDistinctHiraganaWordsAUserCanType()
{
    QSet<QChar> onTheMap;
    for (const kestova::KeyFrame &key : kestova::KeyboardLayout) {
        for (const auto &label : {key.thumbShift, key.plain}) {
            if (label)
                onTheMap.insert(QString::fromUtf16(label->caption)[0]);
        }
    }
    QSet<QString> words;
    bool hasLongVowel = false, hasSmallKana = false;
    for (int n = 1;; ++n) {
        const QString word = GetIniString(u"テキスト"_qs, QString::number(n), ShippedFile);
        if (word.isEmpty())
            break;
        QVERIFY2(word.size() >= 2, qPrintable(word));
        QVERIFY2(!words.contains(word), qPrintable(word));
        words.insert(word);
        for (QChar c : word) {
            QVERIFY2((c >= u'ぁ' && c <= u'ゖ') || c == u'ー', qPrintable(word));
            QVERIFY2(typable(c, onTheMap), qPrintable(word));
            hasLongVowel |= c == u'ー';
            hasSmallKana |= u"ぁぃぅぇぉゃゅょっ"_qs.contains(c);
        }
    }
    QVERIFY(words.size() >= 200);
    QVERIFY(hasLongVowel);
    QVERIFY(hasSmallKana);
}

QTEST_APPLESS_MAIN(WordListTest)
#include "tst_wordlist.moc"
