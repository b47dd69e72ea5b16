#pragma once

#include "sentences.h"

#include <QObject>
#include <QThread>

#include <atomic>
#include <functional>

namespace kestova::course {

// A text the learner brings, from a file or pasted: larger is refused at
// once, so that nothing is read that would hold the learner up.
inline constexpr qint64 LargestText = 10 * 1024 * 1024;
// A sentence longer than this is cut after a 、 (or, with none, here).
inline constexpr qsizetype LongestSentence = 80;

// The text's sentences, each with its mark (。！？ and a closing bracket
// after it), its line breaks taken out, and none without kana or kanji.
QStringList SplitSentences(QStringView text);

// The reading MeCab gives for one sentence: its lines ("surface<TAB>reading"
// in katakana, no reading for a word it does not know). Kana are typed as
// written, marks the layout has not passed over. None where a word read
// aloud (kanji, Latin letters, digits) has no reading, or where the words
// are not the sentence's.
std::optional<QString> ReadingOfMecabLines(QStringView sentence, const QList<QStringView> &lines);

// What a reading of a text gives, in batches: the first as soon as there
// is a sentence, `done` with the last; `problem` a message for the learner
// (with sentences or without).
struct TextBatch {
    QList<Sentence> sentences;
    QString problem;
    bool done = false;
    bool first = false; // the reading's first batch: a new text
};

// Reads a text's sentences and their readings (MeCab, where a sentence has
// kanji) away from the window's thread, and keeps them (KeepText) once all
// are read. A new reading stops the one before: its batches no longer come.
class TextReader {
public:
    using Batches = std::function<void(const TextBatch &)>;
    TextReader();
    ~TextReader();

    // A UTF-8 file, named in the messages as `source`.
    void readFile(const QString &path, QObject *receiver, Batches batches);
    void readText(const QString &text, const QString &source, QObject *receiver, Batches batches);
    // The reading under way stops: its batches no longer come.
    void stop() { ++generation; }

private:
    void read(std::function<QString(QString *problem)> text, const QString &source, QObject *receiver, Batches batches);

    QThread thread;
    QObject worker;
    std::atomic<int> generation = 0;
};

// The text kept between sessions, its readings as the learner left them:
// ${XDG_DATA_HOME:-~/.local/share}/Kestova/text.txt, in the sentences'
// file format with its source at the head.
QString KeptTextPath();
bool KeepText(const QList<Sentence> &sentences, const QString &source, QString *problem);
QList<Sentence> KeptText(QString *source);

} // namespace kestova::course
