#include "lessons.h"

#include <algorithm>

using namespace Qt::StringLiterals;

namespace kestova::course {
namespace {

constexpr QChar End = u'\0';
constexpr int ShortestMadeUp = 2, LongestMadeUp = 6;
// A common word is drawn this much more often than one far down the list:
// the weight of the word at rank r is 1 / (r + Flatness).
constexpr double Flatness = 50;
// Tries at a made-up word before giving up on the kana in play.
constexpr int MadeUpAttempts = 40;

// The kana っ doubles the consonant of: never a vowel, ん, ー, a small kana,
// nor one of the rows of n, m, y, r or w, which Japanese does not double.
const QString Doubled = QStringLiteral(u"かきくけこがぎぐげごさしすせそざじずぜぞたちつてとだぢづでどはひふへほばびぶべぼぱぴぷぺぽゔヴ");
// The kana each small one makes a syllable with: きゃ, ふぁ, てぃ, とぅ, しぇ ...
const QHash<QChar, QString> SmallAfter = {
    {u'ゃ', u"きぎしじちぢにひびぴみり"_s}, {u'ゅ', u"きぎしじちぢにひびぴみりでふ"_s}, {u'ょ', u"きぎしじちぢにひびぴみり"_s},
    {u'ぁ', u"ふつくぐゔヴ"_s}, {u'ぃ', u"ふつてでうゔヴ"_s}, {u'ぅ', u"とど"_s},
    {u'ぇ', u"ふつしじちいうゔヴ"_s}, {u'ぉ', u"ふつうゔヴ"_s}, {u'ゎ', u"くぐ"_s}};

// Whether `kana` may come right after `before` (End: at the start of a
// word): a small kana only after one it makes a syllable with; っ, ん and ー
// never first; っ only before a consonant it doubles; ー only after a kana
// that carries a vowel.
bool mayFollow(QChar before, QChar kana)
{
    if (before == u'っ' && !Doubled.contains(kana))
        return false;
    if (SmallAfter.contains(kana))
        return SmallAfter[kana].contains(before);
    if (kana == u'っ' || kana == u'ん')
        return before != End;
    if (kana == u'ー')
        return before != End && before != u'ん' && before != u'ー' && before != u'っ';
    return true;
}

bool mayEnd(QChar kana)
{
    return kana != u'っ';
}

} // namespace

WordSource::WordSource(QStringList list) : words(std::move(list))
{
    // After two kana, after one, and after none: a made-up word backs off to
    // a shorter context where the kana in play never follow a longer one.
    for (const QString &word : std::as_const(words)) {
        QString context(2, End);
        for (QChar kana : word + End) {
            for (qsizetype length : {2, 1, 0})
                ++following[context.right(length)][kana];
            context = context.mid(1) + kana;
        }
    }
}

QList<LessonWord> WordSource::lesson(const QSet<QChar> &inPlay, QChar focus, QRandomGenerator &random, int count) const
{
    QList<int> fitting;
    for (int rank = 0; rank < words.size(); ++rank) {
        const QString &word = words[rank];
        if (word.contains(focus) && std::all_of(word.cbegin(), word.cend(), [&](QChar kana) { return inPlay.contains(kana); }))
            fitting.append(rank);
    }
    QList<LessonWord> lesson;
    // Drawn without putting back, each with its weight.
    QList<double> weights;
    for (int rank : std::as_const(fitting))
        weights.append(1.0 / (rank + Flatness));
    while (lesson.size() < count && !fitting.isEmpty()) {
        double total = 0;
        for (double weight : std::as_const(weights))
            total += weight;
        double drawn = random.generateDouble() * total;
        qsizetype chosen = 0;
        while (chosen + 1 < weights.size() && (drawn -= weights[chosen]) > 0)
            ++chosen;
        lesson.append({words[fitting.takeAt(chosen)], false});
        weights.removeAt(chosen);
    }
    for (int tries = 0; lesson.size() < count && tries < count * 50; ++tries) {
        const QString word = madeUpWord(inPlay, focus, random);
        if (!word.isEmpty() && std::none_of(lesson.cbegin(), lesson.cend(), [&](const LessonWord &w) { return w.word == word; }))
            lesson.append({word, true});
    }
    return lesson;
}

// Of 2 to 6 kana with the focus at a place drawn first; the others each
// drawn after the two before it as the words have them, among the kana in
// play, or after one or none where the words hold nothing better, or any
// kana in play where the words hold none; each only where it makes a
// syllable with the kana before it and lets the next one follow (the
// focus, or at the end anything that may end a word). A word that cannot
// be finished is begun again; none at all where the kana in play cannot
// make one that holds the focus.
QString WordSource::madeUpWord(const QSet<QChar> &inPlay, QChar focus, QRandomGenerator &random) const
{
    for (int attempt = 0; attempt < MadeUpAttempts; ++attempt) {
        const int length = int(random.bounded(ShortestMadeUp, LongestMadeUp + 1));
        const int focusAt = int(random.bounded(length));
        QString word, context(2, End);
        while (word.size() < length) {
            const QChar before = word.isEmpty() ? End : word.back();
            const bool last = word.size() + 1 == length;
            const auto fits = [&](QChar kana) {
                return inPlay.contains(kana) && mayFollow(before, kana) && (!last || mayEnd(kana))
                    && (word.size() + 1 != focusAt || mayFollow(kana, focus));
            };
            QChar kana = focus;
            if (word.size() != focusAt) {
                QList<std::pair<QChar, int>> next;
                int total = 0;
                for (qsizetype shorter = 2; shorter >= 0 && total == 0; --shorter) {
                    const QHash<QChar, int> options = following.value(context.right(shorter));
                    for (auto option = options.cbegin(); option != options.cend(); ++option) {
                        if (fits(option.key())) {
                            next.append({option.key(), option.value()});
                            total += option.value();
                        }
                    }
                }
                if (total == 0) { // no fitting kana is in the words at all: any of them
                    for (QChar k : inPlay) {
                        if (fits(k)) {
                            next.append({k, 1});
                            ++total;
                        }
                    }
                }
                if (total == 0)
                    break;
                int drawn = int(random.bounded(total));
                auto chosen = next.cbegin();
                while ((drawn -= chosen->second) >= 0)
                    ++chosen;
                kana = chosen->first;
            } else if (!mayFollow(before, focus) || (last && !mayEnd(focus))) {
                break;
            }
            word += kana;
            context = context.mid(1) + kana;
        }
        if (word.size() == length)
            return word;
    }
    return {};
}

} // namespace kestova::course
