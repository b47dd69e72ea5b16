#include "coursewindow.h"

#include "chordcheckwindow.h"
#include "kanamap.h"
#include "labels.h"
#include "platform.h"
#include "practicegoals.h"
#include "rules.h"
#include "sentencepractice.h"
#include "thumbdiagnosis.h"
#include "typingbox.h"
#include "usersettings.h"

#include <QBoxLayout>
#include <QClipboard>
#include <QGuiApplication>
#include <QDateTime>
#include <QFileDialog>
#include <QInputDialog>
#include <QLabel>
#include <QMenu>
#include <QMessageBox>
#include <QProgressBar>
#include <QPushButton>
#include <QStackedLayout>

using namespace Qt::StringLiterals;

namespace kestova::course {
namespace {

constexpr QChar CtrlC(3);

qint64 now()
{
    return QDateTime::currentMSecsSinceEpoch();
}

} // namespace

CourseWindow::CourseWindow(const QString &recordPath, const QString &wordsPath) : store(wordsPath, recordPath)
{
    setObjectName(u"CourseWindow"_s);
    setWindowTitle(u"練習コース"_s);

    auto *practice = new QWidget(this);
    lessonWords = NamedLabel(u"lessonWords"_s, practice);
    lessonWords->setWordWrap(true);
    lessonWords->setTextFormat(Qt::RichText);
    currentWord = NamedLabel(u"currentWord"_s, practice, 28);
    currentWord->setAlignment(Qt::AlignCenter);
    currentWord->setText(u"準備中…"_s);
    typingBox = new TypingBox([this](const QString &typed) { kanaTyped(typed); }, practice, &judgements);
    typingBox->setObjectName(u"typingBox"_s);
    typingBox->setFixedWidth(typingBox->sizeHint().height() * 2);
    focusKana = NamedLabel(u"focusKana"_s, practice);
    liveStats = NamedLabel(u"liveStats"_s, practice);
    dailyGoal = new QProgressBar(practice);
    dailyGoal->setObjectName(u"dailyGoal"_s);
    dailyGoal->setFixedWidth(dailyGoal->fontMetrics().horizontalAdvance(u"今日 000 分 / 000 分"_s) + 8);
    auto *typingRow = new QHBoxLayout;
    typingRow->addWidget(typingBox);
    typingRow->addWidget(focusKana);
    typingRow->addStretch();
    typingRow->addWidget(liveStats);
    typingRow->addWidget(dailyGoal);
    auto *practiceLayout = new QVBoxLayout(practice);
    practiceLayout->setContentsMargins({});
    practiceLayout->addWidget(lessonWords);
    practiceLayout->addWidget(currentWord, 1);
    practiceLayout->addLayout(typingRow);

    auto *result = new QWidget(this);
    lessonResult = NamedLabel(u"lessonResult"_s, result);
    lessonResult->setWordWrap(true);
    lessonResult->setTextFormat(Qt::RichText);
    lessonResult->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    takeWindow = new QPushButton(result);
    takeWindow->setObjectName(u"takeWindow"_s);
    nextLesson = new QPushButton(u"次のレッスン"_s, result);
    nextLesson->setObjectName(u"nextLesson"_s);
    nextLesson->setAutoDefault(true); // Return on it starts the next lesson
    toSentences = new QPushButton(u"文の練習へ"_s, result);
    toSentences->setObjectName(u"toSentences"_s);
    toSentences->hide();
    auto *buttons = new QHBoxLayout;
    buttons->addWidget(takeWindow);
    buttons->addStretch();
    buttons->addWidget(toSentences);
    buttons->addWidget(nextLesson);
    auto *resultLayout = new QVBoxLayout(result);
    resultLayout->setContentsMargins({});
    resultLayout->addWidget(lessonResult, 1);
    resultLayout->addLayout(buttons);

    pages = new QStackedLayout;
    pages->addWidget(practice);
    pages->addWidget(result);
    sentences = new SentencePractice(judgements, this);
    pages->addWidget(sentences);
    map = new KanaMap(KanaMap::ThumbKeys::Shown, this);
    connect(map, &KanaMap::kanaClicked, this, &CourseWindow::chooseFocus);
    // Other thumb keys: a kana whose chord this keyboard lost is told again,
    // with the keys in use now.
    connect(&UserSettingsChanges::instance(), &UserSettingsChanges::thumbShiftChanged, this, [this] { chordsTold.clear(); });
    map->setObjectName(u"courseMap"_s);
    auto *layout = new QVBoxLayout(this);
    layout->setSizeConstraint(QLayout::SetFixedSize);
    layout->addLayout(pages, 1);
    layout->addWidget(map);
    // Room for three lines of words and eight of the result from the start,
    // so that the window keeps its size whatever it shows.
    lessonWords->setFixedHeight(lessonWords->fontMetrics().lineSpacing() * 3);
    lessonResult->setMinimumHeight(lessonResult->fontMetrics().lineSpacing() * 8);

    connect(&judgements, &Judgements::judged, this, &CourseWindow::attemptJudged);
    connect(&judgements, &Judgements::judged, this, [this](const Attempt &attempt) { // lessons and sentences alike
        practisedHere.add(attempt.hit, attempt.pressedAt);
        showToday();
    });
    connect(nextLesson, &QPushButton::clicked, this, &CourseWindow::startLesson);
    connect(takeWindow, &QPushButton::clicked, this, [this] {
        ThumbShiftSettings settings = LoadThumbShiftSettings();
        settings.windowMs = *suggestedWindowMs;
        SaveThumbShiftSettings(settings);
        takeWindow->hide();
        nextLesson->setFocus();
    });
    connect(&store, &CourseStore::problem, this, &ShowNotice);
    connect(toSentences, &QPushButton::clicked, this, [this] { practiseSentences([this] { sentences->practiseKeptOrShipped(); }); });
    connect(sentences, &SentencePractice::hint, this, [this](const QString &kana) {
        const int unit = kana.isEmpty() ? -1 : unitOf(kana[0]);
        map->colourBy({});
        map->light(unit < 0 ? QString() : kana, unit < 0 ? ThumbHand::None : course->units()[unit].thumb);
    });
    hesitation.setSingleShot(true);
    connect(&hesitation, &QTimer::timeout, this, [this] {
        hesitated = true;
        showHint();
    });
    takeWindow->hide();
    // Once the window is up: the words and the record take their time
    // beside it, not before it.
    QTimer::singleShot(0, this, [this] {
        store.load(this, now(), [this](const CourseStart &start) { started(start); },
                   [this](const std::optional<CourseAttempts> &history) { weighed(history); });
    });
}

void CourseWindow::started(const CourseStart &start)
{
    source = start.words;
    saved = start.state;
    practisedBeforeMs = start.practisedTodayMs;
    dailyGoalMinutes = record::LoadDailyGoal();
    showToday();
    targetSpeed = LoadTargetSpeed();
    attempts = CourseAttempts(TargetMs(targetSpeed));
    course.emplace(InPlayFirst(start.units, saved.kana), saved.unitsInPlay, targetSpeed);
    if (!start.problem.isEmpty())
        ShowNotice(start.problem);
    startLesson();
    for (const auto &[typed, way] : std::exchange(typedEarly, {})) {
        judgements.typing(way);
        kanaTyped(typed);
        judgements.typed();
    }
    // KestovaCourse --text FILE: the text's sentences at once.
    const QStringList arguments = QCoreApplication::arguments();
    if (const qsizetype text = arguments.indexOf(u"--text"_s); text > 0) {
        if (text + 1 < arguments.size())
            practiseSentences([this, file = arguments[text + 1]] { sentences->practiseFile(file); });
        else
            ShowNotice(u"--text の後に文章のファイルを書いてください（KestovaCourse --text ファイル）。"_s);
    }
    // KestovaCourse --check-keyboard: キーボードの確認 at once.
    if (arguments.contains(u"--check-keyboard"_s))
        checkKeyboard();
}

int CourseWindow::unitOf(QChar kana) const
{
    const QList<Unit> &units = course->units();
    for (int unit = 0; unit < units.size(); ++unit) {
        if (units[unit].kana[0] == kana)
            return unit;
    }
    return -1;
}

void CourseWindow::startLesson()
{
    if (const std::optional<int> speed = std::exchange(nextTarget, std::nullopt)) {
        targetSpeed = *speed;
        attempts.setTarget(TargetMs(targetSpeed));
        course.emplace(QList<Unit>(course->units()), course->inPlay(), targetSpeed);
    }
    const int before = course->inPlay();
    const QList<Skill> &skills = course->weigh(attempts);
    for (int unit = before; unit < course->inPlay(); ++unit) // joined after a change of target speed
        saved.join(unit, saved.lessons);
    saved.unitsInPlay = course->inPlay();
    // A kana the coach took up is this lesson's focus.
    const std::optional<Coaching> coached = std::exchange(coaching, std::nullopt);
    const int coachedUnit = coached ? unitOf(coached->kana) : -1;
    // Else one the learner chose, for this lesson or until chosen again: of
    // a row or plane, the weakest in play.
    int chosenUnit = -1;
    for (int unit = 0; chosen && unit < course->inPlay(); ++unit) {
        if (chosen->kana.contains(course->units()[unit].kana) && (chosenUnit < 0 || skills[unit].confidence < skills[chosenUnit].confidence))
            chosenUnit = unit;
    }
    // Else, the day's first lesson, the kana that loosened most overnight.
    QString inPlay;
    for (int unit = 0; unit < course->inPlay(); ++unit)
        inPlay += course->units()[unit].kana;
    const QString loosened = std::exchange(warmUpDue, false) ? attempts.warmUp().order(inPlay, LocalDay(QDateTime::currentDateTime())) : QString();
    const int warmUpUnit = loosened.isEmpty() ? -1 : unitOf(loosened[0]);
    focus = coachedUnit >= 0 && coachedUnit < course->inPlay() ? coachedUnit
            : chosenUnit >= 0 && chosenUnit < course->inPlay() ? chosenUnit
            : warmUpUnit >= 0                                   ? warmUpUnit
                                                                : course->focus();
    warmingUp = focus == warmUpUnit && focus != coachedUnit && focus != chosenUnit;
    if (chosen && !chosen->kept && focus == chosenUnit)
        chosen.reset();
    focusBefore = skills[focus].confidence;
    inPlayBefore = course->inPlay();
    words = course->nextLesson(*source, random, focus == coachedUnit ? coached->kana : QChar(),
                               focus == chosenUnit || warmingUp ? course->units()[focus].kana[0] : QChar(), focus == coachedUnit ? coached->oldKey : QChar());
    wordIndex = 0;
    tally = {};
    dailyGoalMinutes = record::LoadDailyGoal(); // once a lesson, never at a keystroke
    showToday();
    lessonAttempts.clear();
    pages->setCurrentIndex(PracticePage);
    typingBox->setFocus();
    showWord();
    tellMissingChords();
}

QMap<QString, QList<int>> CourseWindow::missingChords() const
{
    const std::optional<KeyboardCheck> check = LoadKeyboardCheck(CurrentKeyboard());
    return check ? check->missingKana(LoadThumbShiftSettings()) : QMap<QString, QList<int>>();
}

// Each kana told once, with the thumb keys in use that did not give it.
void CourseWindow::tellMissingChords()
{
    const QMap<QString, QList<int>> missing = missingChords();
    QString lesson;
    for (const LessonWord &word : std::as_const(words))
        lesson += word.word;
    QString untold;
    for (auto kana = missing.cbegin(); kana != missing.cend(); ++kana) {
        if (!lesson.contains(kana.key()) || chordsTold.contains(kana.key()))
            continue;
        chordsTold.insert(kana.key());
        QStringList thumbKeys;
        for (int code : *kana)
            thumbKeys.append(KeyName(code));
        untold += u"「%1」"_s.arg(kana.key()) + (thumbKeys.isEmpty() ? QString() : u"（%1）"_s.arg(thumbKeys.join(u"・"_s)));
    }
    if (!untold.isEmpty())
        ShowNotice(u"このレッスンの%1は、キーボードの確認でこのキーボードから届かなかった組み合わせです。打てなくても親指のせいではありません。どうすればよいかは、キーボードの確認の結果を見てください。"_s.arg(untold));
}

void CourseWindow::checkKeyboard()
{
    auto *check = new ChordCheckWindow(LoadThumbShiftSettings(), this);
    check->setAttribute(Qt::WA_DeleteOnClose);
    connect(check, &ChordCheckWindow::checked, this, [this] { chordsTold.clear(); });
    check->open();
}

void CourseWindow::showWord()
{
    rest = words[wordIndex].word;
    QStringList shown;
    for (int i = 0; i < words.size(); ++i) {
        // Made-up words in italics; those done grey; the current one bold.
        QString word = words[i].word.toHtmlEscaped();
        if (words[i].madeUp)
            word = u"<i>%1</i>"_s.arg(word);
        // Kana may break anywhere in Japanese text; a word, never: its kana
        // are joined (U+2060 WORD JOINER, which shows nothing).
        word = QStringList(word.begin(), word.end()).join(QChar(0x2060));
        shown.append(i < wordIndex ? u"<span style=\"color:gray\">%1</span>"_s.arg(word) : i == wordIndex ? u"<b><u>%1</u></b>"_s.arg(word) : word);
    }
    lessonWords->setText(shown.join(u"　"_s));
    QFont font = currentWord->font();
    font.setItalic(words[wordIndex].madeUp);
    currentWord->setFont(font);
    currentWord->setToolTip(words[wordIndex].madeUp ? u"作った語（辞書にない語）"_s : QString());
    currentWord->setText(rest);
    missed = false;
    showLive();
    showHint();
}

void CourseWindow::showLive()
{
    const Unit &focused = course->units()[focus];
    focusKana->setText(u"練習する字「%1」%2"_s.arg(focused.kana, warmingUp ? u"（今日のおさらい）"_s : QString()));
    liveStats->setText(u"速さ %1 字/分　正確さ %2 %　使える字 %3 / %4"_s
                               .arg(tally.kanaPerMinute() ? QString::number(*tally.kanaPerMinute()) : u"－"_s,
                                    tally.accuracy() ? Percent(*tally.accuracy()) : u"－"_s)
                               .arg(course->inPlay())
                               .arg(course->units().size()));
}

// The next kana's key and thumb, for a new kana at once, else only after a
// miss or when the learner waits more than twice their median time for it.
void CourseWindow::showHint()
{
    const int unit = rest.isEmpty() ? -1 : unitOf(rest[0]);
    map->colourBy({});
    if (unit < 0) {
        map->light({}, ThumbHand::None);
        return;
    }
    const Unit &next = course->units()[unit];
    if (saved.isNew(unit) || missed || hesitated) {
        hesitation.stop();
        map->light(next.kana, next.thumb);
        return;
    }
    map->light({}, ThumbHand::None);
    const Skill skill = unit < course->skills().size() ? course->skills()[unit] : Skill{};
    hesitation.start(int(2 * skill.medianMs.value_or(TargetMs(targetSpeed))));
}

// Each kana struck off the word as it is judged; how it was typed is
// weighed once its attempt is complete (attemptJudged).
void CourseWindow::kanaTyped(const QString &typed)
{
    typingBox->setText(QString());
    if (typed == CtrlC && ready()) { // the lesson's words, one a line, to look up or keep
        QStringList lines;
        for (const LessonWord &word : std::as_const(words))
            lines.append(word.word);
        QGuiApplication::clipboard()->setText(lines.join(u'\n'));
    }
    if (typed.isEmpty() || typed[0] < u' ')
        return;
    if (!ready()) {
        typedEarly.append({typed, judgements.onItsWayNow()});
        return;
    }
    if (rest.isEmpty())
        return;
    hesitated = false;
    if (!judgements.judge(rest.left(1), typed)) {
        missed = true;
        showHint();
        return;
    }
    rest.remove(0, 1);
    missed = false;
    currentWord->setText(rest);
    if (!rest.isEmpty()) {
        showHint();
    } else if (++wordIndex < words.size()) {
        showWord();
    } else {
        judgements.settle(); // the last attempts weighed too
        endLesson();
    }
}

// The course's history, read while the first lesson was typed: the attempts
// since come after it, and the lesson's focus is weighed from it.
void CourseWindow::weighed(const std::optional<CourseAttempts> &history)
{
    if (historyWeighed)
        return; // started over meanwhile: the history no longer counts
    historyWeighed = true;
    const QList<Attempt> typed = std::exchange(typedSinceStart, {});
    if (!history)
        return; // the course goes on from what is typed now
    attempts = *history;
    attempts.setTarget(TargetMs(targetSpeed));
    if (pages->currentIndex() == PracticePage && typed.size() == lessonAttempts.size())
        focusBefore = course->weigh(attempts)[focus].confidence;
    // Practised before, on an earlier day: the day begins with a warm-up,
    // at once where the lesson in hand is still untouched.
    const std::optional<qint64> lastDay = attempts.warmUp().lastDay();
    warmUpDue = lastDay && *lastDay < LocalDay(QDateTime::currentDateTime());
    for (const Attempt &attempt : typed)
        attempts.add(attempt);
    if (warmUpDue && pages->currentIndex() == PracticePage && typed.isEmpty() && lessonAttempts.isEmpty())
        startLesson();
    if (pages->currentIndex() == PracticePage)
        showHint();
}

// As the practice record counts speed: a pause of 5 s or more is no
// practice, and the kana after it is not counted.
void CourseWindow::attemptJudged(const Attempt &attempt)
{
    if (!ready() || attempt.pressedAt < saved.since || attempt.program == record::program::Sentences)
        return;
    attempts.add(attempt);
    if (!historyWeighed)
        typedSinceStart.append(attempt);
    lessonAttempts.append(attempt);
    tally.add(attempt.hit, attempt.pressedAt);
    showLive();
}

// The result: speed, accuracy, the focus kana before and after, the kana
// that came into play, and what went wrong with the thumb.
void CourseWindow::endLesson()
{
    hesitation.stop();
    const Unit focused = course->units()[focus];
    const double focusAfter = course->weigh(attempts)[focus].confidence;
    ++saved.lessons;
    for (int unit = inPlayBefore; unit < course->inPlay(); ++unit)
        saved.join(unit, saved.lessons);
    saved.unitsInPlay = course->inPlay();
    saved.kana.clear();
    for (int unit = 0; unit < course->inPlay(); ++unit)
        saved.kana += course->units()[unit].kana;
    store.save(saved);

    QStringList lines{u"<b>レッスン %1 の結果</b>"_s.arg(saved.lessons)};
    lines.append(u"速さ %1 字/分　正確さ %2 %"_s.arg(tally.kanaPerMinute().value_or(0)).arg(Percent(tally.accuracy().value_or(0))));
    lines.append(u"「%1」の習熟度 %2 % → %3 %"_s.arg(focused.kana, Percent(qMin(1.0, focusBefore)), Percent(qMin(1.0, focusAfter))));
    // A warm-up: how the kana fares at the day's first strokes against later ones.
    const WarmUpTally::Weighed firstOfDay = attempts.warmUp().of(focused.kana[0]);
    if (warmingUp && firstOfDay.coldMs && firstOfDay.warmMs)
        lines.append(u"今日のおさらい「%1」：その日の最初の %2 回は %3 ms・正確さ %4 %、慣れてからは %5 ms・%6 %"_s.arg(focused.kana)
                             .arg(ColdAttempts)
                             .arg(qRound(*firstOfDay.coldMs))
                             .arg(Percent(firstOfDay.coldAccuracy))
                             .arg(qRound(*firstOfDay.warmMs))
                             .arg(Percent(firstOfDay.warmAccuracy)));
    // What holds each kana not yet sure back.
    QStringList notYetSure;
    for (int unit = 0; unit < course->inPlay(); ++unit) {
        if (const Skill &skill = course->skills()[unit]; skill.confidence < 1)
            notYetSure.append(u"「%1」%2"_s.arg(course->units()[unit].kana, LimitName(skill.limit)));
    }
    if (!notYetSure.isEmpty())
        lines.append(u"まだ足りないもの：%1"_s.arg(notYetSure.join(u"、"_s)));
    const ThumbShiftSettings settings = LoadThumbShiftSettings();
    QStringList joined;
    for (int unit = inPlayBefore; unit < course->inPlay(); ++unit) {
        const Unit &added = course->units()[unit];
        joined.append(u"「%1」"_s.arg(added.kana));
        // The first kana of a thumb: which key that thumb is on this keyboard.
        const bool firstOfThumb = added.thumb != ThumbHand::None
                && std::none_of(course->units().cbegin(), course->units().cbegin() + unit, [&](const Unit &u) { return u.thumb == added.thumb; });
        if (firstOfThumb)
            joined.last() += u"（%1打ちます。%2）"_s.arg(HowToStrike(added.kana, settings), ThumbKeysOf(added.thumb, settings));
    }
    if (!joined.isEmpty())
        lines.append(u"新しく使える字：%1"_s.arg(joined.join(QString())));
    // Every kana in play: real sentences are within reach.
    toSentences->setVisible(course->inPlay() == course->units().size());
    if (toSentences->isVisible())
        lines.append(u"すべての字が使えます。「文の練習へ」で、ふつうの文を打つ練習もできます。"_s);
    if (const QString habits = HabitsOfMisses(lessonAttempts); !habits.isEmpty())
        lines.append(habits);
    coaching = coach.afterLesson(lessonAttempts, settings);
    if (!coaching)
        coaching = HabitCoaching(lessonAttempts);
    // A thumb fault on a chord this keyboard does not send is the keyboard's.
    if (coaching && coaching->fault && missingChords().contains(QString(coaching->kana))) {
        lines.append(u"「%1」は、キーボードの確認でこのキーボードから届かなかった組み合わせです。親指のせいではありません。"_s.arg(coaching->kana));
        coaching.reset();
    }
    if (coaching)
        lines.append(u"<b>%1</b>"_s.arg(coaching->advice));
    const int windowMs = settings.windowMs;
    const ThumbDiagnosis diagnosis = DiagnoseThumbs(lessonAttempts, windowMs);
    lines += DiagnosisLines(diagnosis);
    suggestedWindowMs = diagnosis.suggestedWindowMs;
    takeWindow->setVisible(suggestedWindowMs.has_value());
    if (suggestedWindowMs)
        takeWindow->setText(u"同時打鍵の判定時間を %1 ms から %2 ms にする"_s.arg(windowMs).arg(*suggestedWindowMs));
    lines.append(u"<span style=\"color:gray\">下の図：どれだけ覚えたか。緑は覚えた字、黄・橙・赤はまだの字、灰色はまだ使わない字</span>"_s);
    lessonResult->setText(lines.join(u"<br>"_s));
    showKnown();
    pages->setCurrentIndex(ResultPage);
    nextLesson->setFocus();
}

// Today's minutes against the daily goal, as the record window shows them.
void CourseWindow::showToday()
{
    const int goal = dailyGoalMinutes, minutes = int((practisedBeforeMs + practisedHere.spentMs) / 60'000);
    dailyGoal->setRange(0, qMax(goal, 1));
    dailyGoal->setValue(qMin(minutes, qMax(goal, 1)));
    dailyGoal->setFormat(goal ? u"今日 %1 分 / %2 分"_s.arg(minutes).arg(goal) : u"今日 %1 分"_s.arg(minutes));
}

// How well each kana is known, grey where not yet in play.
void CourseWindow::showKnown()
{
    QHash<QString, double> known;
    for (int unit = 0; unit < course->inPlay(); ++unit)
        known.insert(course->units()[unit].kana, course->skills()[unit].confidence);
    map->light({}, ThumbHand::None);
    map->colourBy([known](const QString &kana, QColor) {
        const auto confidence = known.constFind(kana);
        if (confidence == known.cend())
            return QColor::fromRgb(UnpractisedFill);
        return QColor::fromRgb(KnownFills[*confidence >= 1 ? 0 : *confidence >= 0.8 ? 1 : *confidence >= 0.5 ? 2 : 3]);
    });
}

// A kana of the map clicked: to be the focus of the next lesson, or of
// every lesson until chosen again, or the course's choice again.
void CourseWindow::chooseFocus(const QString &kana, const QPoint &at)
{
    if (!ready())
        return;
    QMenu menu(this);
    const int unit = unitOf(kana[0]);
    const bool inPlay = unit >= 0 && unit < course->inPlay();
    menu.addAction(inPlay ? u"「%1」を次のレッスンで練習する"_s.arg(kana) : u"「%1」はまだ使いません"_s.arg(kana), this, [this, kana] {
        chosen = ChosenFocus{kana, false};
    })->setEnabled(inPlay);
    menu.addAction(u"「%1」を選び直すまで練習する"_s.arg(kana), this, [this, kana] { chosen = ChosenFocus{kana, true}; })->setEnabled(inPlay);
    // The row of its key and the plane it is on, until chosen again.
    const QList<KanaPlace> places = KanaPlaces(1, 0);
    const auto clicked = std::find_if(places.cbegin(), places.cend(), [&](const KanaPlace &p) { return p.kana == kana; });
    const auto group = [&places](auto belongs) {
        QString kana;
        for (const KanaPlace &place : places) {
            if (belongs(place))
                kana += place.kana;
        }
        return kana;
    };
    const QString row = group([&](const KanaPlace &p) { return p.key->row == clicked->key->row; });
    const QString plane = group([&](const KanaPlace &p) { return p.plane == clicked->plane; });
    static const QString rowNames[] = {u"上の段"_s, u"中の段"_s, u"下の段"_s}, planeNames[] = {u"親指なしの字"_s, u"同じ側の親指の字"_s, u"反対側の親指の字"_s};
    menu.addAction(u"%1を選び直すまで練習する"_s.arg(rowNames[int(clicked->key->row)]), this, [this, row] { chosen = ChosenFocus{row, true}; });
    menu.addAction(u"%1を選び直すまで練習する"_s.arg(planeNames[int(clicked->plane)]), this, [this, plane] { chosen = ChosenFocus{plane, true}; });
    menu.addAction(u"練習する字をコースに任せる"_s, this, [this] { chosen.reset(); })->setEnabled(chosen.has_value());
    menu.exec(at);
}

void CourseWindow::addToMenu(QMenu *menu)
{
    const bool inSentences = pages->currentIndex() == SentencePage;
    if (inSentences) {
        menu->addAction(u"練習コースに戻る"_s, this, &CourseWindow::backToCourse);
    } else {
        menu->addAction(u"目標の速さ…"_s, this, &CourseWindow::setTargetSpeed)->setEnabled(ready());
        menu->addAction(u"最初から…"_s, this, &CourseWindow::startOver)->setEnabled(ready());
    }
    menu->addSeparator();
    if (inSentences) {
        menu->addAction(u"用意された文で練習する"_s, sentences, &SentencePractice::practiseShipped);
        menu->addAction(u"この文の読みを直す…"_s, sentences, &SentencePractice::correctReading)->setEnabled(sentences->correctable());
    } else {
        menu->addAction(u"文の練習"_s, this, [this] { practiseSentences([this] { sentences->practiseKeptOrShipped(); }); })->setEnabled(ready());
    }
    menu->addAction(u"文章を開いて練習する…"_s, this, &CourseWindow::openText)->setEnabled(ready());
    menu->addAction(u"貼り付けた文章で練習する"_s, this, [this] {
        const QString pasted = QGuiApplication::clipboard()->text();
        practiseSentences([this, pasted] { sentences->practiseText(pasted); });
    })->setEnabled(ready() && !QGuiApplication::clipboard()->text().isEmpty());
    QAction *always = menu->addAction(u"読みをいつも表示する"_s, this, [](bool checked) { ShowReadingsAlways(checked); });
    always->setCheckable(true);
    always->setChecked(ReadingsAlwaysShown());
    menu->addSeparator();
    menu->addAction(u"キーボードの確認…"_s, this, &CourseWindow::checkKeyboard);
    menu->addSeparator();
}

void CourseWindow::practiseSentences(const std::function<void()> &begin)
{
    if (!ready())
        return;
    hesitation.stop();
    judgements.settle(); // the lesson's last attempt kept as the lesson's
    if (pages->currentIndex() != SentencePage)
        pageBeforeSentences = pages->currentIndex();
    QHash<QChar, Skill> known;
    const QList<Skill> &skills = course->weigh(attempts);
    for (int unit = 0; unit < course->inPlay(); ++unit)
        known.insert(course->units()[unit].kana[0], skills[unit]);
    sentences->setSkills(known, TargetMs(targetSpeed));
    pages->setCurrentIndex(SentencePage);
    begin();
}

// The lesson in hand, or its result, as it was left.
void CourseWindow::backToCourse()
{
    sentences->leave();
    pages->setCurrentIndex(pageBeforeSentences);
    if (pageBeforeSentences == PracticePage) {
        typingBox->setFocus();
        showHint();
    } else {
        showKnown();
        nextLesson->setFocus();
    }
}

void CourseWindow::openText()
{
    const QString file = QFileDialog::getOpenFileName(this, u"練習する文章（UTF-8）"_s, QString(), u"文章 (*.txt);;すべてのファイル (*)"_s);
    if (!file.isEmpty())
        practiseSentences([this, file] { sentences->practiseFile(file); });
}

void CourseWindow::setTargetSpeed()
{
    bool ok = false;
    const int speed = QInputDialog::getInt(this, u"目標の速さ"_s, u"1 分間に打つ字の数（%1〜%2）"_s.arg(SlowestTarget).arg(FastestTarget), LoadTargetSpeed(),
                                           SlowestTarget, FastestTarget, 10, &ok);
    if (!ok)
        return;
    SaveTargetSpeed(speed);
    // The lesson in hand goes on, weighed at the speed it began with; the
    // next is weighed at the new one.
    nextTarget = speed;
}

// The units in play and the lessons forgotten; the strokes stay in the
// record, and only those typed from now on count.
void CourseWindow::startOver()
{
    if (QMessageBox::question(this, u"練習コース"_s, u"練習コースを最初からやり直しますか？\n打った記録は残ります。"_s) != QMessageBox::Yes)
        return;
    saved = {FirstUnits, 0, now(), {}, {}};
    store.save(saved);
    historyWeighed = true; // a history still being read is of the course before
    typedSinceStart.clear();
    attempts = CourseAttempts(TargetMs(targetSpeed));
    course.emplace(QList<Unit>(course->units()), FirstUnits, targetSpeed);
    startLesson();
}

} // namespace kestova::course
