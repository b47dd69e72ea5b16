#include "lessons.h"

#include <algorithm>

namespace kestova::course {
namespace {

constexpr QChar End = u'\0';
constexpr int ShortestMadeUp = 2, LongestMadeUp = 6;
// A common word is drawn this much more often than one far down the list:
// the weight of the word at rank r is 1 / (r + Flatness).
constexpr double Flatness = 50;

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
// play, or after one or none where the words hold nothing better, or
// any kana in play where the words hold none.
QString WordSource::madeUpWord(const QSet<QChar> &inPlay, QChar focus, QRandomGenerator &random) const
{
    const int length = int(random.bounded(ShortestMadeUp, LongestMadeUp + 1));
    const int focusAt = int(random.bounded(length));
    QString word, context(2, End);
    while (word.size() < length) {
        QChar kana = focus;
        if (word.size() != focusAt) {
            QList<std::pair<QChar, int>> next;
            int total = 0;
            for (qsizetype shorter = 2; shorter >= 0 && total == 0; --shorter) {
                const QHash<QChar, int> options = following.value(context.right(shorter));
                for (auto option = options.cbegin(); option != options.cend(); ++option) {
                    if (inPlay.contains(option.key())) {
                        next.append({option.key(), option.value()});
                        total += option.value();
                    }
                }
            }
            if (total == 0) { // no kana in play is in the words at all: any of them
                for (QChar k : inPlay) {
                    next.append({k, 1});
                    ++total;
                }
            }
            int drawn = int(random.bounded(total));
            auto chosen = next.cbegin();
            while ((drawn -= chosen->second) >= 0)
                ++chosen;
            kana = chosen->first;
        }
        word += kana;
        context = context.mid(1) + kana;
    }
    return word;
}

} // namespace kestova::course
