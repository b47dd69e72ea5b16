#pragma once

#include "broughttext.h"
#include "confidence.h"
#include "judgements.h"
#include "reading.h"
#include "rules.h"
#include "sentences.h"

#include <QRandomGenerator>
#include <QTimer>
#include <QWidget>

class QLabel;
class QPushButton;
class QStackedLayout;

namespace kestova {
class TypingBox;
} // namespace kestova

namespace kestova::course {

class RubyText;

// 文の練習: a sentence as written, its kanji words' readings above them
// until their kana are known (again on a miss or a hesitation in the word),
// its kana typed and struck off one by one; then its result. Return goes on
// to the next: of the shipped sentences, the learner's weakest kana more
// often; of a text the learner brought, the one after, where the learner
// left off last time.
class SentencePractice : public QWidget {
    Q_OBJECT

public:
    SentencePractice(Judgements &judgements, QWidget *parent);

    // What the course knows of each kana in play, for the readings that
    // fade, the hesitation and the choice of sentence.
    void setSkills(QHash<QChar, Skill> known, double targetMs) { skills = std::move(known); usualMs = targetMs; }
    void practiseShipped();
    // The kept text where it goes on, else the shipped sentences.
    void practiseKeptOrShipped();
    void practiseFile(const QString &path);
    void practiseText(const QString &text);
    // Before its first kana: another reading for the sentence in hand.
    void correctReading();
    // A text being read is corrected once it is read whole and kept.
    bool correctable() const { return fromText && readDone && typed == 0 && pages() == PracticePage; }
    void settle();
    // Back to the course: a text being read stops, and the keystrokes are
    // the course's again.
    void leave();

    RubyText *sentenceText;
    QLabel *sentenceReading, *sentenceSource, *sentenceStats, *sentenceResult;
    TypingBox *typingBox;
    QPushButton *nextSentence;

signals:
    // The key of this kana to be shown on the map; none for an empty one.
    void hint(const QString &kana);

private:
    static constexpr int PracticePage = 0, ResultPage = 1;
    int pages() const;
    void textRead(const TextBatch &batch, const QString &source);
    void startSentence();
    void showSource();
    void saveProgress(int next) const;
    void kanaTyped(const QString &typed);
    void attemptJudged(const Attempt &attempt);
    void showRest();
    void showHint();
    void endSentence();
    qsizetype partTyped() const; // the part the next kana is in
    bool readingKnown(const ReadingPart &part) const;

    Judgements &judgements;
    QStackedLayout *stack;
    TextReader reader;
    SentenceChooser shipped;
    QRandomGenerator random{QRandomGenerator::securelySeeded()};
    QHash<QChar, Skill> skills;
    double usualMs = 1000;

    // The sentences in hand: the shipped ones, or the learner's text, read
    // as far as `readDone` says.
    bool fromText = false, readDone = true;
    QList<Sentence> text;
    QString textSource;
    QString textStamp; // the kept text's, as it was kept
    int index = -1;

    // The sentence in hand.
    QList<ReadingPart> parts;
    QString reading;
    qsizetype typed = 0;
    bool missed = false, hesitated = false;
    QTimer hesitation;
    QList<Attempt> attempts;
    PacedTally tally;
};

// Whether a kanji word's reading is shown whatever the learner knows.
bool ReadingsAlwaysShown();
void ShowReadingsAlways(bool always);

} // namespace kestova::course
