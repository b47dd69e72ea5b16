// Text the way the classic platform converts it: code page 932 and numbers.
#include "codepage.h"
#include "harness.h"
#include "runtimeerror.h"
#include "vbtext.h"

#include <clocale>

using namespace kestova;

namespace {
constexpr int Mismatch = -1000000, Overflow = 1000000;
struct Bytes { const char *name; QString text; QByteArray bytes; enum { Both, Encode, Decode } way; };
struct Typed { const char *name; QString character; int keyAscii; QString back; };
struct Integer { const char *name; int result; };
struct Number { const char *name; const char *text; double value = 0; bool parse = true; };
} // namespace

class ConversionsTest : public QObject {
    Q_OBJECT

private slots:
    // Windows' table, not "SHIFT_JIS": ～ － \ and the NEC rows differ.
    void codePage_data()
    {
        AddRows<Bytes>({{"ascii", u"a=[b]"_qs, "a=[b]"}, {"backslash stays ascii", u"\\"_qs, "\x5C"}, {"hiragana", u"か"_qs, "\x82\xA9"},
            {"long vowel mark", u"ー"_qs, "\x81\x5B"}, {"fullwidth tilde", u"～"_qs, "\x81\x60"}, {"fullwidth minus", u"－"_qs, "\x81\x7C"},
            {"nec circled one", u"①"_qs, "\x87\x40"}, {"halfwidth katakana", u"ｱ"_qs, "\xB1"}, {"trail byte like bracket", u"ゾ"_qs, "\x83\x5D"},
            {"trail byte like backslash", u"表"_qs, "\x95\x5C"}, {"nul kept", QString(u"a\0b"_qs), QByteArray("a\0b", 3)}, {"empty", {}, {}},
            {"broken bar", u"a\u00A6b"_qs, "a?b", Bytes::Encode}, {"emoji is one mark", u"x😀y"_qs, "x?y", Bytes::Encode},
            {"lone surrogate", QString(QChar(0xD800)), "?", Bytes::Encode}, {"stray 80", u"a\u0080b"_qs, "a\x80" "b", Bytes::Decode},
            {"stray A0", u"\uF8F0"_qs, "\xA0", Bytes::Decode}, {"stray FF", u"\uF8F3"_qs, "\xFF", Bytes::Decode},
            {"lead byte at end", u"a・"_qs, "a\x82", Bytes::Decode}, {"lead byte before newline", u"・\n"_qs, "\x82\n", Bytes::Decode},
            {"undefined pair", u"・x"_qs, "\x85\x40x", Bytes::Decode}});
    }
    void codePage()
    {
        QFETCH(Bytes, row);
        if (row.way != Bytes::Decode)
            QCOMPARE(ToCp932(row.text), row.bytes);
        if (row.way != Bytes::Encode)
            QCOMPARE(FromCp932(row.bytes), row.text);
    }

    // A typed character as the classic key press carries it: double-byte codes negative.
    void keyAscii_data()
    {
        AddRows<Typed>({{"letter", u"a"_qs, 97, u"a"_qs}, {"backspace", u"\b"_qs, 8, u"\b"_qs}, {"halfwidth katakana", u"ｱ"_qs, 0xB1, u"ｱ"_qs},
            {"hiragana", u"か"_qs, qint16(0x82A9), u"か"_qs}, {"full stop", u"。"_qs, qint16(0x8142), u"。"_qs},
            {"katakana", u"カ"_qs, qint16(0x834A), u"カ"_qs}, {"kanji above 0xE000", u"漾"_qs, qint16(0xE040), u"漾"_qs},
            {"outside the code page", u"😀"_qs, '?', u"?"_qs}, {"broken bar", u"\u00A6"_qs, '?', u"?"_qs}});
    }
    void keyAscii()
    {
        QFETCH(Typed, row);
        QCOMPARE(int(KeyAsciiFromCharacter(row.character)), row.keyAscii);
        QCOMPARE(CharacterFromKeyAscii(qint16(row.keyAscii)), row.back);
    }

    // Text to a 16-bit integer: half to even on the exact digits, 13 or 6 otherwise.
    void integers_data()
    {
        AddRows<Integer>({{"6", 6}, {" 12 ", 12}, {"+7", 7}, {"12-", -12}, {"(12)", -12}, {"1,000", 1000}, {"1,2,3", 123},
            {"0.5", 0}, {"1.5", 2}, {"2.5", 2}, {"2.50", 2}, {"2.500001", 3}, {"3.5", 4}, {"-0.5", 0}, {"-1.5", -2},
            {"12.5", 12}, {"13.5", 14}, {"25427.45", 25427}, {"25427.55", 25428}, {"1e3", 1000}, {"15E-1", 2},
            {"&HFFFF", -1}, {"&h10", 16}, {"&O17", 15}, {"32767.49", 32767}, {"-32768.5", -32768},
            {"32767.5", Overflow}, {"-32768.51", Overflow}, {"40000", Overflow}, {"&H10000", Overflow}, {"1e9", Overflow},
            {"", Mismatch}, {"   ", Mismatch}, {".", Mismatch}, {"abc", Mismatch}, {"12abc", Mismatch}, {"1..2", Mismatch},
            {"--1", Mismatch}, {"1e", Mismatch}, {",5", Mismatch}, {"１２", Mismatch}, {"(12", Mismatch},
            {"1e999999999", Overflow}, {"1e99999999999999999999", Overflow}, {"1.5e-2147483648", 0}, {"1e-2147483647", 0}});
    }
    void integers()
    {
        QFETCH(Integer, row);
        try {
            QCOMPARE(int(IntegerFromText(QString::fromUtf8(row.name), u"「文字数」"_qs)), row.result);
        } catch (const RuntimeError &error) {
            QCOMPARE(error.Number, row.result == Overflow ? int(OverflowError) : row.result == Mismatch ? int(TypeMismatchError) : -1);
            QVERIFY(error.Description.contains(u"「文字数」"_qs));
        }
    }

    // Text to a double and back, the shortest text of up to 15 digits ("-": no number).
    void numbers_data()
    {
        AddRows<Number>({{"41", "41"}, {"12.5", "12.5"}, {" 5 ", "5"}, {"100000", "100000"}, {"abc", "-"}, {"", "-"}, {"1e400", "-"},
            {"1e-400", "0"}, {"1e999999999", "-"},
            {"sum", "0.3", 0.1 + 0.2, false}, {"third", "0.333333333333333", 1.0 / 3, false}, {"big", "1E+15", 1e15, false},
            {"small", "1E-05", 0.00001, false}, {"negative zero", "0", -0.0, false}});
    }
    void numbers()
    {
        QFETCH(Number, row);
        const std::optional<double> number = row.parse ? NumberFromText(QString::fromUtf8(row.name)) : row.value;
        QCOMPARE(number ? TextFromNumber(*number) : u"-"_qs, QString::fromLatin1(row.text));
    }

    // Number text keeps its "." under a locale that writes a ",": the test
    // set-up makes de_DE.UTF-8 for this.
    void numberTextIgnoresTheLocale()
    {
        QVERIFY(std::setlocale(LC_NUMERIC, "de_DE.UTF-8"));
        const QString text = TextFromNumber(12.5);
        const std::optional<double> number = NumberFromText(u"12.5"_qs);
        std::setlocale(LC_NUMERIC, "C");
        QVERIFY(text == u"12.5" && number == 12.5);
    }
};

QTEST_APPLESS_MAIN(ConversionsTest)
#include "tst_conversions.moc"
