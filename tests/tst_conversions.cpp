// Text the way the classic platform converts it: code page 932 and numbers.
#include "codepage.h"
#include "harness.h"
#include "runtimeerror.h"
#include "vbtext.h"

#include <clocale>

using namespace Qt::StringLiterals;

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
        AddRows<Bytes>({{"ascii", u"a=[b]"_s, "a=[b]"}, {"backslash stays ascii", u"\\"_s, "\x5C"}, {"hiragana", u"か"_s, "\x82\xA9"},
            {"long vowel mark", u"ー"_s, "\x81\x5B"}, {"fullwidth tilde", u"～"_s, "\x81\x60"}, {"fullwidth minus", u"－"_s, "\x81\x7C"},
            {"nec circled one", u"①"_s, "\x87\x40"}, {"halfwidth katakana", u"ｱ"_s, "\xB1"}, {"trail byte like bracket", u"ゾ"_s, "\x83\x5D"},
            {"trail byte like backslash", u"表"_s, "\x95\x5C"}, {"nul kept", QString(u"a\0b"_s), QByteArray("a\0b", 3)}, {"empty", {}, {}},
            {"broken bar", u"a\u00A6b"_s, "a?b", Bytes::Encode}, {"emoji is one mark", u"x😀y"_s, "x?y", Bytes::Encode},
            {"lone surrogate", QString(QChar(0xD800)), "?", Bytes::Encode}, {"stray 80", u"a\u0080b"_s, "a\x80" "b", Bytes::Decode},
            {"stray A0", u"\uF8F0"_s, "\xA0", Bytes::Decode}, {"stray FF", u"\uF8F3"_s, "\xFF", Bytes::Decode},
            {"lead byte at end", u"a・"_s, "a\x82", Bytes::Decode}, {"lead byte before newline", u"・\n"_s, "\x82\n", Bytes::Decode},
            {"undefined pair", u"・x"_s, "\x85\x40x", Bytes::Decode}});
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
        AddRows<Typed>({{"letter", u"a"_s, 97, u"a"_s}, {"backspace", u"\b"_s, 8, u"\b"_s}, {"halfwidth katakana", u"ｱ"_s, 0xB1, u"ｱ"_s},
            {"hiragana", u"か"_s, qint16(0x82A9), u"か"_s}, {"full stop", u"。"_s, qint16(0x8142), u"。"_s},
            {"katakana", u"カ"_s, qint16(0x834A), u"カ"_s}, {"kanji above 0xE000", u"漾"_s, qint16(0xE040), u"漾"_s},
            {"outside the code page", u"😀"_s, '?', u"?"_s}, {"broken bar", u"\u00A6"_s, '?', u"?"_s}});
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
            QCOMPARE(int(IntegerFromText(QString::fromUtf8(row.name), u"「文字数」"_s)), row.result);
        } catch (const RuntimeError &error) {
            QCOMPARE(error.Number, row.result == Overflow ? int(OverflowError) : row.result == Mismatch ? int(TypeMismatchError) : -1);
            QVERIFY(error.Description.contains(u"「文字数」"_s));
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
        QCOMPARE(number ? TextFromNumber(*number) : u"-"_s, QString::fromLatin1(row.text));
    }

    // Number text keeps its "." under a locale that writes a ",": the test
    // set-up makes de_DE.UTF-8 for this.
    void numberTextIgnoresTheLocale()
    {
        QVERIFY(std::setlocale(LC_NUMERIC, "de_DE.UTF-8"));
        const QString text = TextFromNumber(12.5);
        const std::optional<double> number = NumberFromText(u"12.5"_s);
        std::setlocale(LC_NUMERIC, "C");
        QCOMPARE(text, u"12.5");
        QCOMPARE(number, 12.5);
    }
};

QTEST_APPLESS_MAIN(ConversionsTest)
#include "tst_conversions.moc"
