#pragma once

#include <QHash>
#include <QList>
#include <QRandomGenerator>
#include <QString>

namespace kestova::course {

// A sentence as written, and the kana the learner types for it.
struct Sentence {
    QString written;
    QString reading;
};

// The sentences of a file of "written<TAB>reading" lines (UTF-8; '#' lines
// and blank ones are passed over). A line that is no sentence is named in
// `problem` and left out.
QList<Sentence> ParseSentences(const QByteArray &text, const QString &source, QString *problem);

// Picks the next sentence, the learner's weakest kana more often: each
// sentence weighs 1 plus, for each kana of its reading, how far that kana
// is from being known (1 - confidence, none for a kana known), squared.
class SentenceChooser {
public:
    explicit SentenceChooser(QList<Sentence> sentences);

    const QList<Sentence> &sentences() const { return all; }
    // An index into sentences(), never `last` where there is another; -1
    // where there are none.
    int next(const QHash<QChar, double> &confidence, QRandomGenerator &random, int last = -1) const;

private:
    QList<Sentence> all;
    // Each sentence's kana and how often, so that a choice reads no text.
    QList<QList<std::pair<QChar, int>>> kanaOf;
};

} // namespace kestova::course
