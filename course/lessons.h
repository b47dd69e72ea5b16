#pragma once

#include <QHash>
#include <QList>
#include <QRandomGenerator>
#include <QSet>
#include <QString>
#include <QStringList>

namespace kestova::course {

// A word of a lesson; a made-up one is shown as such.
struct LessonWord {
    QString word;
    bool madeUp = false;
};

inline constexpr int LessonLength = 15;

// The words a lesson is drawn from, most common first, and a model of
// which kana follows two others in them, for the words made up where too
// few real ones can be typed yet.
class WordSource {
public:
    explicit WordSource(QStringList words);

    // `count` words, none twice: real words of only the kana in play that
    // hold the focus, drawn with weight toward the common ones; made-up
    // words of 2 to 6 kana fill up what they cannot.
    QList<LessonWord> lesson(const QSet<QChar> &inPlay, QChar focus, QRandomGenerator &random, int count = LessonLength) const;

private:
    QString madeUpWord(const QSet<QChar> &inPlay, QChar focus, QRandomGenerator &random) const;

    QStringList words;
    // The kana seen after two others, after one and after none ("\0\0"
    // begins a word, "\0" ends one), with their counts.
    QHash<QString, QHash<QChar, int>> following;
};

} // namespace kestova::course
