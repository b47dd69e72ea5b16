#include "codepage.h"

#include <QTest>

using namespace kestova;

class CodePageTest : public QObject {
    Q_OBJECT

private slots:
    void encodes_data();
    void encodes();
    void decodes_data();
    void decodes();
    void keyAsciiRoundTrip_data();
    void keyAsciiRoundTrip();
    void unmappableTypedCharacterIsQuestionMark();
};

void CodePageTest::encodes_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QByteArray>("bytes");
    QTest::newRow("ascii") << u"a=b"_qs << QByteArray("a=b");
    QTest::newRow("backslash stays ascii") << u"\\"_qs << QByteArray("\x5C");
    QTest::newRow("hiragana") << u"か"_qs << QByteArray("\x82\xA9");
    QTest::newRow("long vowel mark") << u"ー"_qs << QByteArray("\x81\x5B");
    QTest::newRow("fullwidth tilde") << u"～"_qs << QByteArray("\x81\x60");
    QTest::newRow("fullwidth minus") << u"－"_qs << QByteArray("\x81\x7C");
    QTest::newRow("nec circled one") << u"①"_qs << QByteArray("\x87\x40");
    QTest::newRow("halfwidth katakana") << u"ｱ"_qs << QByteArray("\xB1");
    QTest::newRow("broken bar") << u"a\u00A6b"_qs << QByteArray("a?b");
    QTest::newRow("emoji is one mark") << u"x😀y"_qs << QByteArray("x?y");
    QTest::newRow("lone surrogate") << QString(QChar(0xD800)) << QByteArray("?");
    QTest::newRow("empty") << QString() << QByteArray();
}

void CodePageTest::encodes()
{
    QFETCH(QString, text);
    QFETCH(QByteArray, bytes);
    QCOMPARE(ToCp932(text), bytes);
}

void CodePageTest::decodes_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("text");
    QTest::newRow("ascii") << QByteArray("[sec]") << u"[sec]"_qs;
    QTest::newRow("trail byte like bracket") << QByteArray("\x83\x5D") << u"ゾ"_qs;
    QTest::newRow("trail byte like backslash") << QByteArray("\x95\x5C") << u"表"_qs;
    QTest::newRow("fullwidth tilde") << QByteArray("\x81\x60") << u"～"_qs;
    QTest::newRow("stray 80") << QByteArray("a\x80" "b") << u"a\u0080b"_qs;
    QTest::newRow("stray A0") << QByteArray("\xA0") << u"\uF8F0"_qs;
    QTest::newRow("stray FF") << QByteArray("\xFF") << u"\uF8F3"_qs;
    QTest::newRow("lead byte at end") << QByteArray("a\x82") << u"a・"_qs;
    QTest::newRow("lead byte before newline") << QByteArray("\x82\n") << u"・\n"_qs;
    QTest::newRow("undefined pair") << QByteArray("\x85\x40x") << u"・x"_qs;
    QTest::newRow("nul kept") << QByteArray("a\0b", 3) << QString(u"a\0b"_qs);
}

void CodePageTest::decodes()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QString, text);
    QCOMPARE(FromCp932(bytes), text);
}

void CodePageTest::keyAsciiRoundTrip_data()
{
    QTest::addColumn<QString>("character");
    QTest::addColumn<int>("keyAscii");
    QTest::newRow("letter") << u"a"_qs << 97;
    QTest::newRow("backspace") << u"\b"_qs << 8;
    QTest::newRow("halfwidth katakana") << u"ｱ"_qs << 0xB1;
    QTest::newRow("hiragana ka is negative") << u"か"_qs << int(qint16(0x82A9));
    QTest::newRow("full stop") << u"。"_qs << int(qint16(0x8142));
    QTest::newRow("katakana ka") << u"カ"_qs << int(qint16(0x834A));
    QTest::newRow("kanji above 0xE000") << u"漾"_qs << int(qint16(0xE040));
}

void CodePageTest::keyAsciiRoundTrip()
{
    QFETCH(QString, character);
    QFETCH(int, keyAscii);
    QCOMPARE(int(KeyAsciiFromCharacter(character)), keyAscii);
    QCOMPARE(CharacterFromKeyAscii(qint16(keyAscii)), character);
}

void CodePageTest::unmappableTypedCharacterIsQuestionMark()
{
    QCOMPARE(KeyAsciiFromCharacter(u"😀"), qint16('?'));
    QCOMPARE(KeyAsciiFromCharacter(u"\u00A6"), qint16('?'));
    QCOMPARE(CharacterFromKeyAscii(KeyAsciiFromCharacter(u"😀")), u"?"_qs);
}

QTEST_APPLESS_MAIN(CodePageTest)
#include "tst_codepage.moc"
