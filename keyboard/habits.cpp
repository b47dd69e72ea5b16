#include "habits.h"

#include "keyboardmap.h"

#include <QHash>
#include <QList>
#include <QSet>

using namespace Qt::StringLiterals;

namespace kestova {
namespace {

// The letter keys and marks by what a US or Japanese keyboard prints on
// them: their key codes.
const QHash<QChar, int> &keyOfCharacter()
{
    static const QHash<QChar, int> keys = [] {
        QHash<QChar, int> made;
        const QString rows[] = {u"1234567890-"_s, u"qwertyuiop@"_s, u"asdfghjkl;:"_s, u"zxcvbnm,./"_s};
        const int firsts[] = {10, 24, 38, 52};
        for (int row = 0; row < 4; ++row) {
            for (int i = 0; i < rows[row].size(); ++i)
                made.insert(rows[row][i], firsts[row] + i);
        }
        made.insert(u'^', 21);
        made.insert(u'[', 35);
        made.insert(u']', 51);
        made.insert(u'\\', 97); // ろ on a Japanese keyboard
        made.insert(u'¥', 132);  // ー on a Japanese keyboard
        return made;
    }();
    return keys;
}

// The kana without its voicing mark (が → か, ぱ → は); small kana as large.
QChar baseKana(QChar kana)
{
    static const QString small = u"ぁぃぅぇぉっゃゅょゎ"_s, large = u"あいうえおつやゆよわ"_s;
    if (const qsizetype at = small.indexOf(kana); at >= 0)
        return large[at];
    if (kana == u'ヴ' || kana == u'ゔ')
        return u'う';
    return QString(kana).normalized(QString::NormalizationForm_D).front();
}

// The romaji input's first letters of each kana (some have two ways: じ ji
// or zi, ふ fu or hu); small kana and っ start with x or l.
QString romajiLetters(QChar kana)
{
    static const QHash<QChar, QString> letters = [] {
        QHash<QChar, QString> made;
        const QList<std::pair<QString, QString>> rows{{u"あいうえお"_s, u"aiueo"_s}, {u"かきくけこ"_s, u"kkkkk"_s}, {u"がぎぐげご"_s, u"ggggg"_s},
                                                     {u"さすせそ"_s, u"ssss"_s}, {u"ざずぜぞ"_s, u"zzzz"_s}, {u"たてと"_s, u"ttt"_s}, {u"だぢづでど"_s, u"ddddd"_s},
                                                     {u"なにぬねの"_s, u"nnnnn"_s}, {u"はひへほ"_s, u"hhhh"_s}, {u"ばびぶべぼ"_s, u"bbbbb"_s},
                                                     {u"ぱぴぷぺぽ"_s, u"ppppp"_s}, {u"まみむめも"_s, u"mmmmm"_s}, {u"やゆよ"_s, u"yyy"_s},
                                                     {u"らりるれろ"_s, u"rrrrr"_s}, {u"わを"_s, u"ww"_s}, {u"ん"_s, u"n"_s}, {u"ー、。・"_s, u"-,./"_s}};
        for (const auto &[kana, letter] : rows) {
            for (qsizetype i = 0; i < kana.size(); ++i)
                made.insert(kana[i], QString(letter[i]));
        }
        made.insert(u'し', u"sc"_s); // shi, ci
        made.insert(u'じ', u"jz"_s);
        made.insert(u'ち', u"ct"_s);
        made.insert(u'つ', u"t"_s);
        made.insert(u'ふ', u"fh"_s);
        made.insert(u'ヴ', u"v"_s);
        made.insert(u'ゔ', u"v"_s);
        for (QChar small : u"ぁぃぅぇぉっゃゅょゎ"_s)
            made.insert(small, u"xl"_s);
        return made;
    }();
    return letters.value(kana);
}

// The JIS-kana input's key of each kana, by what is printed on it; a voiced
// or small kana starts on the key of its base.
std::optional<QChar> jisKanaKey(QChar kana)
{
    static const QHash<QChar, QChar> keys = [] {
        QHash<QChar, QChar> made;
        const QString kanaRows = u"ぬふあうえおやゆよわほ" u"たていすかんなにらせ" u"ちとしはきくまのりれけ" u"つさそひこみもねるめ"_s;
        const QString keyRows = u"1234567890-" u"qwertyuiop" u"asdfghjkl;:" u"zxcvbnm,./"_s;
        for (qsizetype i = 0; i < kanaRows.size(); ++i)
            made.insert(kanaRows[i], keyRows[i]);
        made.insert(u'へ', u'^');
        made.insert(u'む', u']');
        made.insert(u'を', u'0');
        made.insert(u'、', u',');
        made.insert(u'。', u'.');
        made.insert(u'・', u'/');
        made.insert(u'ろ', u'\\');
        made.insert(u'ー', u'¥');
        return made;
    }();
    const auto key = keys.constFind(baseKana(kana));
    return key == keys.cend() ? std::nullopt : std::optional(*key);
}

// The keys of the thumb-shift layout that type a text, on any plane; or
// the key of a digit or mark typed on its own.
QList<const KeyFrame *> keysTyping(const QString &text)
{
    QList<const KeyFrame *> keys;
    for (const KeyFrame &key : KeyboardLayout) {
        if (text == QStringView(key.plain.caption) || text == QStringView(key.thumbShift.caption) || text == QStringView(key.otherThumb))
            keys.append(&key);
    }
    return keys;
}

QSet<int> keyCodesTyping(const QString &text)
{
    QSet<int> codes;
    for (const KeyFrame *key : keysTyping(text))
        codes.insert(key->keyCode);
    if (text.size() == 1 && keyOfCharacter().contains(text[0].toLower()))
        codes.insert(keyOfCharacter().value(text[0].toLower()));
    return codes;
}

} // namespace

MissHabit HabitOfMiss(const QString &asked, const QString &typed)
{
    // The kana's own key struck on the wrong plane is a thumb's miss, no habit.
    QSet<int> struck = keyCodesTyping(typed);
    struck.subtract(keyCodesTyping(asked));
    if (asked.size() != 1 || struck.isEmpty())
        return MissHabit::Other;
    for (QChar letter : romajiLetters(asked[0])) {
        if (struck.contains(keyOfCharacter().value(letter)))
            return MissHabit::Romaji;
    }
    if (const std::optional<QChar> jis = jisKanaKey(asked[0]); jis && struck.contains(keyOfCharacter().value(*jis)))
        return MissHabit::JisKana;
    // A key next to the kana's own, in its row or the rows above and below.
    for (const KeyFrame *own : keysTyping(asked)) {
        for (const KeyFrame *other : keysTyping(typed)) {
            if (other != own && std::abs(other->top - own->top) <= 360 && std::abs(other->left - own->left) <= 420)
                return MissHabit::Neighbour;
        }
    }
    return MissHabit::Other;
}

QString HabitName(MissHabit habit)
{
    static const QString names[MissHabitCount] = {u"ローマ字のキー"_s, u"JIS かなのキー"_s, u"となりのキー"_s, u"ほかのキー"_s};
    return names[int(habit)];
}

std::optional<QString> HabitKey(MissHabit habit, const QString &asked)
{
    if (asked.size() != 1)
        return std::nullopt;
    if (habit == MissHabit::Romaji && !romajiLetters(asked[0]).isEmpty())
        return romajiLetters(asked[0]).left(1).toUpper();
    if (habit == MissHabit::JisKana && jisKanaKey(asked[0]))
        return QString(*jisKanaKey(asked[0])).toUpper();
    return std::nullopt;
}

} // namespace kestova
