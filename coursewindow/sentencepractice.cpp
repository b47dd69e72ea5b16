#include "sentencepractice.h"

#include "coursestore.h"
#include "curriculum.h"
#include "labels.h"
#include "platform.h"
#include "programs.h"
#include "rubytext.h"
#include "rules.h"
#include "thumbdiagnosis.h"
#include "typingbox.h"
#include "usersettings.h"

#include <QBoxLayout>
#include <QFile>
#include <QFileInfo>
#include <QInputDialog>
#include <QLabel>
#include <QPushButton>
#include <QSettings>
#include <QStackedLayout>

using namespace Qt::StringLiterals;

namespace kestova::course {
namespace {

const QString AlwaysKey = u"Sentences/AlwaysShowReadings"_s, NextKey = u"Sentences/NextOfText"_s, StampKey = u"Sentences/TextStamp"_s;

// The kept text as it stands, its time and size: progress saved for
// another text (replaced meanwhile, here or in another window) is not
// taken for its.
QString keptStamp()
{
    const QFileInfo kept(KeptTextPath());
    return kept.exists() ? u"%1 %2"_s.arg(kept.lastModified().toMSecsSinceEpoch()).arg(kept.size()) : QString();
}

} // namespace

bool ReadingsAlwaysShown()
{
    return OpenUserSettings()->value(AlwaysKey, false).toBool();
}

void ShowReadingsAlways(bool always)
{
    OpenUserSettings()->setValue(AlwaysKey, always);
}

SentencePractice::SentencePractice(Judgements &judgements, QWidget *parent) : QWidget(parent), judgements(judgements), shipped({})
{
    auto *practice = new QWidget(this);
    sentenceSource = NamedLabel(u"sentenceSource"_s, practice);
    sentenceSource->setTextFormat(Qt::PlainText); // a file's name as it is
    sentenceText = new RubyText(practice);
    sentenceText->setObjectName(u"sentenceText"_s);
    QFont font = sentenceText->font();
    font.setPointSize(18);
    sentenceText->setFont(font);
    sentenceReading = NamedLabel(u"sentenceReading"_s, practice, 12);
    sentenceReading->setWordWrap(true);
    typingBox = new TypingBox([this](const QString &typed) { kanaTyped(typed); }, practice, &judgements);
    typingBox->setObjectName(u"typingBox"_s);
    typingBox->setFixedWidth(typingBox->sizeHint().height() * 2);
    sentenceStats = NamedLabel(u"sentenceStats"_s, practice);
    auto *typingRow = new QHBoxLayout;
    typingRow->addWidget(typingBox);
    typingRow->addWidget(sentenceSource);
    typingRow->addStretch();
    typingRow->addWidget(sentenceStats);
    auto *practiceLayout = new QVBoxLayout(practice);
    practiceLayout->setContentsMargins({});
    practiceLayout->addWidget(sentenceText, 1);
    practiceLayout->addWidget(sentenceReading);
    practiceLayout->addLayout(typingRow);

    auto *result = new QWidget(this);
    sentenceResult = NamedLabel(u"sentenceResult"_s, result);
    sentenceResult->setWordWrap(true);
    sentenceResult->setTextFormat(Qt::RichText);
    sentenceResult->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    nextSentence = new QPushButton(u"次の文"_s, result);
    nextSentence->setObjectName(u"nextSentence"_s);
    nextSentence->setAutoDefault(true); // Return on it goes on
    auto *resultLayout = new QVBoxLayout(result);
    resultLayout->setContentsMargins({});
    resultLayout->addWidget(sentenceResult, 1);
    resultLayout->addWidget(nextSentence, 0, Qt::AlignRight);

    stack = new QStackedLayout(this);
    stack->addWidget(practice);
    stack->addWidget(result);
    connect(nextSentence, &QPushButton::clicked, this, &SentencePractice::startSentence);
    connect(&judgements, &Judgements::judged, this, &SentencePractice::attemptJudged);
    hesitation.setSingleShot(true);
    connect(&hesitation, &QTimer::timeout, this, [this] {
        hesitated = true;
        showHint();
    });
}

int SentencePractice::pages() const
{
    return stack->currentIndex();
}

void SentencePractice::practiseShipped()
{
    if (shipped.sentences().isEmpty()) {
        QFile file(ShippedPath(u"sentences.txt"_s));
        QString problem;
        if (file.open(QIODevice::ReadOnly))
            shipped = SentenceChooser(ParseSentences(file.readAll(), file.fileName(), &problem));
        else
            problem = u"文の一覧 %1 を読めません。"_s.arg(file.fileName());
        if (!problem.isEmpty())
            ShowNotice(problem);
    }
    reader.stop();
    fromText = false;
    readDone = true;
    text.clear();
    index = -1;
    startSentence();
}

void SentencePractice::practiseKeptOrShipped()
{
    QString source;
    const QString stamp = keptStamp();
    QList<Sentence> kept = KeptText(&source);
    if (kept.isEmpty())
        return practiseShipped();
    const std::unique_ptr<QSettings> settings = OpenUserSettings();
    const int next = settings->value(StampKey).toString() == stamp ? settings->value(NextKey, 0).toInt() : 0;
    reader.stop();
    fromText = true;
    readDone = true;
    text = std::move(kept);
    textSource = source;
    textStamp = stamp;
    index = (next < 0 || next >= text.size() ? 0 : next) - 1; // all typed: from the start again
    startSentence();
}

// Where the text goes on another time: saved only for a text kept whole.
void SentencePractice::saveProgress(int next) const
{
    if (!fromText || !readDone)
        return;
    const std::unique_ptr<QSettings> settings = OpenUserSettings();
    settings->setValue(NextKey, next);
    settings->setValue(StampKey, textStamp);
}

void SentencePractice::leave()
{
    reader.stop();
    settle();
    judgements.program.clear();
}

void SentencePractice::practiseFile(const QString &path)
{
    reader.readFile(path, this, [this, path](const TextBatch &batch) { textRead(batch, QFileInfo(path).fileName()); });
}

void SentencePractice::practiseText(const QString &pasted)
{
    reader.readText(pasted, u"貼り付けた文章"_s, this, [this](const TextBatch &batch) { textRead(batch, u"貼り付けた文章"_s); });
}

// The text's sentences as they are read: the first starts at once, the
// rest join behind it.
void SentencePractice::textRead(const TextBatch &batch, const QString &source)
{
    if (!batch.problem.isEmpty())
        ShowNotice(batch.problem);
    if (batch.first && batch.sentences.isEmpty()) { // refused: the sentence in hand stays
        if (parts.isEmpty())
            practiseKeptOrShipped();
        return;
    }
    if (batch.first) { // the text in hand is replaced
        settle();
        fromText = true;
        text.clear();
        textSource = source;
        index = -1;
    }
    text += batch.sentences;
    readDone = batch.done;
    if (batch.first)
        startSentence();
    if (batch.done) { // kept now, by the reader
        textStamp = keptStamp();
        saveProgress(pages() == ResultPage ? index + 1 : index);
    }
    showSource();
}

// The next sentence: of a text, the one after; of the shipped ones, the
// learner's weakest kana more often.
void SentencePractice::startSentence()
{
    settle();
    if (fromText) {
        if (index + 1 >= text.size() && readDone) {
            ShowNotice(u"文章「%1」を最後まで打ちました。最初からもう一度打ちます。"_s.arg(textSource));
            index = -1;
        }
        index = qMin(index + 1, int(text.size()) - 1);
        saveProgress(index);
    } else {
        QHash<QChar, double> confidence;
        for (auto known = skills.cbegin(); known != skills.cend(); ++known)
            confidence.insert(known.key(), known->confidence);
        index = shipped.next(confidence, random, index);
    }
    const QList<Sentence> &from = fromText ? text : shipped.sentences();
    if (index < 0 || index >= from.size())
        return;
    judgements.program = record::program::Sentences;
    const Sentence &sentence = from[index];
    parts = ReadingParts(sentence.written, sentence.reading);
    reading = sentence.reading;
    typed = 0;
    missed = hesitated = false;
    attempts.clear();
    tally = {};
    sentenceText->setParts(parts);
    const bool always = ReadingsAlwaysShown();
    for (qsizetype part = 0; part < parts.size(); ++part)
        sentenceText->setReadingShown(part, parts[part].ruby && (always || !readingKnown(parts[part])));
    showSource();
    stack->setCurrentIndex(PracticePage);
    typingBox->setFocus();
    showRest();
    showHint();
}

// Which sentences: of a text, how far in (… while it is still being read).
void SentencePractice::showSource()
{
    sentenceSource->setText(fromText ? u"文章「%1」 %2 / %3%4"_s.arg(textSource).arg(index + 1).arg(text.size()).arg(readDone ? QString() : u"…"_s)
                                     : u"苦手な字の多い文が出ます"_s);
}

bool SentencePractice::readingKnown(const ReadingPart &part) const
{
    return std::all_of(part.reading.cbegin(), part.reading.cend(), [this](QChar kana) { return skills.value(kana).confidence >= 1; });
}

qsizetype SentencePractice::partTyped() const
{
    qsizetype kana = 0;
    for (qsizetype part = 0; part < parts.size(); ++part) {
        kana += parts[part].reading.size();
        if (kana > typed)
            return part;
    }
    return parts.size();
}

// The kana still to type; a kanji word whose reading is hidden as written.
void SentencePractice::showRest()
{
    QString rest;
    qsizetype kana = 0;
    for (qsizetype part = 0; part < parts.size(); ++part) {
        const qsizetype length = parts[part].reading.size(), start = kana;
        kana += length;
        if (kana <= typed)
            continue;
        if (parts[part].ruby && !sentenceText->readingShown(part))
            rest += parts[part].written;
        else
            rest += parts[part].reading.mid(qMax<qsizetype>(0, typed - start));
    }
    sentenceReading->setText(rest);
    sentenceText->setTypedParts(partTyped());
    sentenceStats->setText(u"速さ %1 字/分　正確さ %2 %"_s.arg(tally.kanaPerMinute() ? QString::number(*tally.kanaPerMinute()) : u"－"_s,
                                                                 tally.accuracy() ? Percent(*tally.accuracy()) : u"－"_s));
}

// The next kana's key after a miss or a hesitation, and the reading of its
// word shown again; else the map waits twice the usual time for it.
void SentencePractice::showHint()
{
    if (typed >= reading.size()) {
        emit hint({});
        return;
    }
    if (missed || hesitated) {
        hesitation.stop();
        sentenceText->setReadingShown(partTyped(), true);
        showRest();
        emit hint(reading.mid(typed, 1));
        return;
    }
    emit hint({});
    hesitation.start(int(2 * skills.value(reading[typed]).medianMs.value_or(usualMs)));
}

void SentencePractice::kanaTyped(const QString &typedText)
{
    typingBox->setText(QString());
    if (typedText == u"\r"_s)
        return startSentence();
    if (typedText.isEmpty() || typedText[0] < u' ' || typed >= reading.size() || pages() != PracticePage)
        return;
    hesitated = false;
    if (!judgements.judge(reading.mid(typed, 1), typedText)) {
        missed = true;
        showHint();
        return;
    }
    ++typed;
    missed = false;
    showRest();
    if (typed < reading.size()) {
        showHint();
    } else {
        judgements.settle(); // the last attempt weighed too
        endSentence();
    }
}

void SentencePractice::attemptJudged(const Attempt &attempt)
{
    if (attempt.program != record::program::Sentences)
        return;
    attempts.append(attempt);
    tally.add(attempt.hit, attempt.pressedAt);
    if (pages() == PracticePage)
        showRest();
}

// The result: speed and accuracy, the kana missed, what went wrong with
// the thumb.
void SentencePractice::endSentence()
{
    hesitation.stop();
    emit hint({});
    QStringList lines{u"<b>%1</b>"_s.arg(sentenceText->text().toHtmlEscaped()), reading};
    lines.append(u"速さ %1 字/分　正確さ %2 %"_s.arg(tally.kanaPerMinute().value_or(0)).arg(Percent(tally.accuracy().value_or(0))));
    QMap<QString, int> missedKana;
    for (const Attempt &attempt : std::as_const(attempts)) {
        if (!attempt.hit)
            ++missedKana[attempt.asked];
    }
    QStringList missedText;
    for (auto kana = missedKana.cbegin(); kana != missedKana.cend(); ++kana)
        missedText.append(u"「%1」%2 回"_s.arg(kana.key()).arg(kana.value()));
    lines.append(missedText.isEmpty() ? u"間違えた字はありませんでした。"_s : u"間違えた字：%1"_s.arg(missedText.join(u"、"_s)));
    lines += DiagnosisLines(DiagnoseThumbs(attempts, LoadThumbShiftSettings().windowMs));
    lines.append(u"<span style=\"color:gray\">Return で次の文へ</span>"_s);
    sentenceResult->setText(lines.join(u"<br>"_s));
    stack->setCurrentIndex(ResultPage);
    nextSentence->setFocus();
    saveProgress(index + 1);
}

void SentencePractice::correctReading()
{
    if (!correctable())
        return;
    bool ok = false;
    const QString corrected = QInputDialog::getText(this, u"読みを直す"_s, u"%1\nの読み（ひらがなと、。ー）"_s.arg(text[index].written), QLineEdit::Normal, reading, &ok).trimmed();
    if (!ok || corrected == reading)
        return;
    const QSet<QChar> layout = LayoutKana();
    if (corrected.isEmpty() || !std::all_of(corrected.cbegin(), corrected.cend(), [&](QChar kana) { return layout.contains(kana); })) {
        ShowNotice(u"読み「%1」は使えません。ひらがなと、。ー だけで書いてください。"_s.arg(corrected));
        return;
    }
    text[index].reading = corrected;
    QString problem;
    if (KeepText(text, textSource, &problem))
        textStamp = keptStamp();
    else
        ShowNotice(problem);
    --index;
    startSentence();
}

void SentencePractice::settle()
{
    hesitation.stop();
    judgements.settle();
}

} // namespace kestova::course
