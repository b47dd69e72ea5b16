#pragma once

#include "coach.h"
#include "course.h"
#include "coursestore.h"
#include "judgements.h"
#include "recorddatabase.h"
#include "rules.h"
#include "strokerecorder.h"

#include <QRandomGenerator>
#include <QSet>
#include <QTimer>
#include <QWidget>

#include <optional>

class QLabel;
class QMenu;
class QProgressBar;
class QPushButton;
class QStackedLayout;

namespace kestova {
class KanaMap;
class TypingBox;
} // namespace kestova

namespace kestova::course {

class SentencePractice;

// 練習コース: lessons of 15 words that bring the kana in one at a time and
// work on the least known one. Typed kana are struck off the front of the
// current word; a wrong one leaves it as it is. The map hints only for a
// new kana, after a miss, or when the learner waits longer than twice their
// usual time for it. After the 15th word, the lesson's result with what
// went wrong with the thumb. Ctrl+C copies the lesson's words.
class CourseWindow : public QWidget {
    Q_OBJECT

public:
    explicit CourseWindow(const QString &recordPath = record::RecordPath(), const QString &wordsPath = WordListPath());

    // Each typed kana as the window judged it: the course weighs the
    // attempts as the practice record keeps them.
    Judgements judgements;
    // 目標の速さ and 最初から in the right-click menu.
    void addToMenu(QMenu *menu);

    // Ready once the words and the record are read.
    bool ready() const { return course.has_value(); }
    const Course &state() const { return *course; }
    const QList<LessonWord> &lesson() const { return words; }

    QLabel *lessonWords, *currentWord, *focusKana, *liveStats, *lessonResult;
    QProgressBar *dailyGoal; // today's practice, every program's, against the daily goal
    TypingBox *typingBox;
    KanaMap *map;
    QPushButton *nextLesson, *takeWindow, *toSentences;
    SentencePractice *sentences;

private:
    void started(const CourseStart &start);
    void chooseFocus(const QString &kana, const QPoint &at);
    void weighed(const std::optional<CourseAttempts> &history);
    void startLesson();
    void kanaTyped(const QString &typed);
    void attemptJudged(const Attempt &attempt);
    void showWord();
    void showLive();
    void showHint();
    void endLesson();
    void showKnown();
    void showToday();
    void setTargetSpeed();
    void startOver();
    // 文の練習, begun by `begin` (which sentences), and back to the course.
    void practiseSentences(const std::function<void()> &begin);
    void backToCourse();
    void openText();
    // キーボードの確認, and a lesson's kana that this keyboard was found not
    // to send, told once.
    void checkKeyboard();
    void tellMissingChords();
    QMap<QString, QList<int>> missingChords() const; // the kana of those chords

    int unitOf(QChar kana) const;

    // The practice and the lesson result, one at a time in the same place.
    QStackedLayout *pages;
    static constexpr int PracticePage = 0, ResultPage = 1, SentencePage = 2;
    int pageBeforeSentences = PracticePage;
    CourseStore store;
    std::optional<Course> course;
    std::shared_ptr<const WordSource> source;
    CourseState saved;
    CourseAttempts attempts;
    bool historyWeighed = false;
    Coach coach;
    std::optional<Coaching> coaching; // for the next lesson
    // A kana, or a row or plane of them: the weakest in play is the focus.
    struct ChosenFocus {
        QString kana;
        bool kept; // until chosen again, not for one lesson
    };
    std::optional<ChosenFocus> chosen;
    // The first lesson of a day, once the history tells it is: the kana
    // that loosened most since it was last typed.
    bool warmUpDue = false, warmingUp = false;
    QList<Attempt> typedSinceStart; // before the history came
    // Today's practice: every program's before the window came, and this
    // window's lessons' and sentences'; against the goal as last read.
    qint64 practisedBeforeMs = 0;
    PacedTally practisedHere;
    int dailyGoalMinutes = 0;
    QRandomGenerator random{QRandomGenerator::securelySeeded()};
    int targetSpeed = DefaultTarget;
    std::optional<int> nextTarget; // chosen during a lesson, for the next

    // The lesson in hand.
    QList<LessonWord> words;
    int wordIndex = 0;
    QString rest; // of the current word
    PacedTally tally;
    int focus = 0;
    double focusBefore = 0;
    int inPlayBefore = 0;
    QList<Attempt> lessonAttempts;
    bool missed = false, hesitated = false;
    QTimer hesitation;
    std::optional<int> suggestedWindowMs;
    QSet<QString> chordsTold;
    // Typed before the first lesson was ready: given to it.
    QList<std::pair<QString, Judgements::OnItsWay>> typedEarly;
};

} // namespace kestova::course
