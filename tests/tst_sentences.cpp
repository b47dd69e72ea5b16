// 文の練習: sentences cut into their readings, a learner's own text read into
// sentences (and refused where it cannot be), readings that fade, and the
// mode as the course's window runs it, into the practice record.
#include "broughttext.h"
#include "courseharness.h"
#include "programs.h"
#include "reading.h"
#include "rubytext.h"
#include "sentencepractice.h"
#include "typingbox.h"

#include <QApplication>
#include <QInputDialog>
#include <QLabel>
#include <QMenu>
#include <QProgressBar>
#include <QPushButton>
#include <QSignalSpy>
#include <QSqlQuery>

namespace {

// "朝(あさ)ご飯(はん)に": each ruby part with its reading in brackets.
QString shown(const QList<ReadingPart> &parts)
{
    QString text;
    for (const ReadingPart &part : parts)
        text += part.ruby ? u"%1(%2)"_s.arg(part.written, part.reading) : part.written;
    return text;
}

// Each kana an input method's commit.
QString commits(const QString &kana)
{
    QStringList keys;
    for (QChar c : kana)
        keys.append(u"!"_s + c);
    return keys.join(u' ');
}

// The text's batches, read to the end.
TextBatch readAll(TextReader &reader, const std::function<void(TextReader &, QObject *, TextReader::Batches)> &read)
{
    TextBatch all;
    QObject receiver;
    read(reader, &receiver, [&all](const TextBatch &batch) {
        all.sentences += batch.sentences;
        all.problem += batch.problem;
        all.done = batch.done;
    });
    QDeadlineTimer deadline(20'000);
    while (!all.done && !deadline.hasExpired())
        QTest::qWait(10);
    return all;
}

} // namespace

struct PartsRow { const char *name; const char16_t *written, *reading, *parts; };
struct TextRow { const char *name; QByteArray bytes; bool mecab; const char16_t *first, *problem; const char *path = nullptr; };
struct FadeRow { const char *name; bool known, always; const char *action; const char16_t *readings, *rest; };
Q_DECLARE_METATYPE(PartsRow)
Q_DECLARE_METATYPE(TextRow)
Q_DECLARE_METATYPE(FadeRow)

class SentenceTest : public QObject {
    Q_OBJECT

private slots:
    void readingParts_data()
    {
        AddRows<PartsRow>({{"kanji, kana and katakana", u"朝ご飯にパンを食べました。", u"あさごはんにぱんをたべました。", u"朝(あさ)ご飯(はん)にパンを食(た)べました。"},
            {"marks passed over", u"「はい」と言った！", u"はいといった", u"「はい」と言(い)った！"},
            {"a kanji's reading holding the kana after it", u"言い出す", u"いいだす", u"言(い)い出(だ)す"},
            {"kanji last", u"毎日", u"まいにち", u"毎日(まいにち)"},
            {"ヴ and an emoji", u"ヴァイオリン🎻を弾く。", u"ヴぁいおりんをひく。", u"ヴァイオリン🎻を弾(ひ)く。"},
            {"the first place that lets the rest match", u"何にしようか", u"なににしようか", u"何(なに)にしようか"},
            {"a reading that goes its own way: one part", u"今日は", u"あした", u"今日は(あした)"}});
    }
    void readingParts()
    {
        QFETCH(PartsRow, row);
        QCOMPARE(shown(ReadingParts(QString::fromUtf16(row.written), QString::fromUtf16(row.reading))), QString::fromUtf16(row.parts));
    }

    // Every shipped sentence cut cleanly: no kana under a reading, the
    // readings joined its reading.
    void shippedSentencesCutCleanly()
    {
        for (const Sentence &sentence : ParseSentences(ReadFile(QStringLiteral(KESTOVA_SOURCE_DIR "/data/sentences.txt")), {}, nullptr)) {
            const QList<ReadingPart> parts = ReadingParts(sentence.written, sentence.reading);
            QString joined;
            for (const ReadingPart &part : parts) {
                joined += part.reading;
                QVERIFY2(!part.ruby || part.written.contains(QRegularExpression(u"^[^ぁ-ゖァ-ヺー]+$"_s)), qPrintable(shown(parts)));
            }
            QCOMPARE(joined, sentence.reading);
        }
    }

    // Sentences cut from a text: at their marks, not inside brackets, with
    // no line break inside, none of marks alone; MeCab's answer refused
    // where its words are not the sentence's.
    void sentencesOfAText()
    {
        QCOMPARE(SplitSentences(u"雨が降った。本当に！？「うん。本当？」と言った。\nabc.\n・ー\n「まさか\n」と彼は言った。（最後）"_s).join(u'|'),
                 u"雨が降った。|本当に！？|「うん。本当？」と言った。|「まさか」と彼は言った。|（最後）"_s);
        const QStringList cut = SplitSentences(QString(50, u'あ') + u'、' + QString(50, u'い'));
        QCOMPARE(cut.size(), 2);
        QCOMPARE(cut[0].size(), 51);
        QCOMPARE(ReadingOfMecabLines(u"今日は", {u"今日\tキョウ", u"は\tハ"}), u"きょうは"_s);
        QVERIFY(!ReadingOfMecabLines(u"明日は", {u"今日\tキョウ", u"は\tハ"}));
        QCOMPARE(ReadingParts(QString(50'000, u'あ'), QString(50'000, u'あ')).size(), 1); // too long to match word by word
    }

    // A text as a learner brings it: read into sentences with MeCab, or
    // refused with a message that names it.
    void texts_data()
    {
        AddRows<TextRow>({{"kanji read by MeCab", "今日は雨です。コーヒーを飲みます。", true, u"今日は雨です。\tきょうはあめです。", u""},
            {"a byte order mark", "\xEF\xBB\xBFうしろ。", true, u"うしろ。\tうしろ。", u""},
            {"kana alone, without MeCab", "うしろ。", false, u"うしろ。\tうしろ。", u""},
            {"kanji without MeCab: told", "雨です。うしろ。", false, u"うしろ。\tうしろ。", u"MeCab"},
            {"not UTF-8", "\x82\xa0\x82\xa2", true, u"", u"text.txt は UTF-8 ではありません"},
            {"empty", " \n", true, u"", u"text.txt は空です"},
            {"no Japanese", "Hello, world.", true, u"", u"text.txt に日本語の文がありません"},
            {"huge", {}, true, u"", u"text.txt は大きすぎます（50 MB）"},
            {"a device", "", true, u"", u"zero はふつうのファイルではありません", "/dev/zero"},
            {"half-width katakana, a voicing mark apart", "ｶﾀｶﾅでか\xE3\x82\x99す。", true, u"カタカナでがす。\tかたかなでがす。", u""},
            {"digits MeCab cannot read: passed over", "3つ。うしろ。", true, u"うしろ。\tうしろ。", u"1 文は読みが付けられない"}});
    }
    void texts()
    {
        QFETCH(TextRow, row);
        TestProgram program(u"KestovaCourse"_s);
        QFile file(program.path(u"text.txt"_s));
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(row.bytes);
        if (row.bytes.isNull())
            QVERIFY(file.resize(50 * 1024 * 1024)); // a sparse file: quick to make, not to read
        file.close();
        const QByteArray paths = qgetenv("PATH");
        if (!row.mecab)
            qputenv("PATH", "/nonexistent");
        TextReader reader;
        const QString path = row.path ? QString::fromLatin1(row.path) : file.fileName();
        const TextBatch read = readAll(reader, [&](TextReader &r, QObject *to, TextReader::Batches batches) { r.readFile(path, to, batches); });
        qputenv("PATH", paths);
        QCOMPARE(read.sentences.isEmpty() ? QString() : read.sentences[0].written + u'\t' + read.sentences[0].reading, QString::fromUtf16(row.first));
        QVERIFY2(read.problem.contains(QString::fromUtf16(row.problem)), qPrintable(read.problem));
        QCOMPARE(read.problem.isEmpty(), !*row.problem);
    }

    // A text opened while another is still being read replaces it: none of
    // the first one's sentences come after; nor after Kestova's own.
    void aNewTextStopsTheOneBefore()
    {
        TestProgram program(u"KestovaCourse"_s);
        kestova::Judgements judgements;
        SentencePractice practice(judgements, nullptr);
        WriteFile(program.path(u"long.txt"_s), QString(u"今日は雨です。"_s).repeated(50'000).toUtf8());
        for (const auto &[then, shown] : {std::pair{std::function<void()>([&] { practice.practiseText(u"うしろ。"_s); }), u"文章「貼り付けた文章」 1 / 1"_s},
                                          {[&] { practice.practiseShipped(); }, u"苦手な字の多い文が出ます"_s}}) {
            practice.practiseFile(program.path(u"long.txt"_s));
            QTRY_COMPARE(practice.sentenceText->text(), u"今日は雨です。"_s);
            then();
            QTest::qWait(1500); // the long text read to its end meanwhile
            QCOMPARE(practice.sentenceSource->text(), shown);
        }
    }

    // A reading shown over a kanji word while its kana are not yet known,
    // again after a miss or a hesitation in it, or always where the
    // learner wants; the kana still to type show a hidden word as written.
    void readingsFade_data()
    {
        AddRows<FadeRow>({{"kana not yet known: shown", false, false, "", u"きょう あめ", u"きょうはあめです。"},
            {"kana known: hidden", true, false, "", u"", u"今日は雨です。"},
            {"a miss brings its word's back", true, false, "miss", u"きょう", u"きょうは雨です。"},
            {"a hesitation too", true, false, "wait", u"きょう", u"きょうは雨です。"},
            {"shown always, where the learner wants", true, true, "", u"きょう あめ", u"きょうはあめです。"}});
    }
    void readingsFade()
    {
        QFETCH(FadeRow, row);
        TestProgram program(u"KestovaCourse"_s);
        ShowReadingsAlways(row.always);
        kestova::Judgements judgements;
        SentencePractice practice(judgements, nullptr);
        QHash<QChar, Skill> skills;
        for (QChar kana : u"きょうはあめです。"_s)
            skills.insert(kana, {.confidence = row.known ? 1.0 : 0.5, .medianMs = 100});
        practice.setSkills(skills, 1000);
        practice.practiseText(u"今日は雨です。"_s);
        QTRY_COMPARE(practice.sentenceText->text(), u"今日は雨です。"_s);
        QSignalSpy hinted(&practice, &SentencePractice::hint);
        if (row.action == "miss"_ba)
            SendKeys(practice.typingBox, u"!あ"_s);
        if (row.action == "wait"_ba)
            QTRY_VERIFY(hinted.contains(QVariantList{u"き"_s}));
        QCOMPARE(practice.sentenceText->readingsShown().join(u' '), QString::fromUtf16(row.readings));
        QCOMPARE(practice.sentenceReading->text(), QString::fromUtf16(row.rest));
    }

    // A text refused with no sentence in hand: Kestova's own. Typed to the
    // end: the result with the kana missed; the text goes on
    // where it was left, in a window opened later; a reading corrected
    // before the sentence is typed is kept with the text.
    void textKeptWithItsProgress()
    {
        TestProgram program(u"KestovaCourse"_s);
        {
            kestova::Judgements judgements;
            SentencePractice practice(judgements, nullptr);
            practice.practiseFile(program.path(u"none.txt"_s)); // refused, with none in hand: the shipped sentences
            QTRY_COMPARE(practice.sentenceSource->text(), u"苦手な字の多い文が出ます"_s);
            QVERIFY(!practice.sentenceText->text().isEmpty());
            practice.practiseText(u"うしろ。まえ。よこ。"_s);
            QTRY_COMPARE(practice.sentenceText->text(), u"うしろ。"_s);
            SendKeys(practice.typingBox, u"!う !か "_s + commits(u"しろ。"_s));
            QVERIFY2(practice.sentenceResult->text().contains(u"間違えた字：「し」1 回"_s), qPrintable(practice.sentenceResult->text()));
            QTRY_VERIFY(!practice.sentenceSource->text().endsWith(u"…"_s)); // read whole, and kept
        }
        kestova::Judgements judgements;
        SentencePractice practice(judgements, nullptr);
        practice.practiseKeptOrShipped();
        QCOMPARE(practice.sentenceText->text(), u"まえ。"_s);
        QVERIFY(practice.correctable());
        QTimer::singleShot(0, [] { qobject_cast<QInputDialog *>(QApplication::activeModalWidget())->setTextValue(u"まへ。"_s); });
        QTimer::singleShot(0, [] { QTimer::singleShot(0, [] { qobject_cast<QInputDialog *>(QApplication::activeModalWidget())->accept(); }); });
        practice.correctReading();
        QCOMPARE(practice.sentenceReading->text(), u"まへ。"_s);
        QString source;
        QCOMPARE(KeptText(&source).value(1).reading, u"まへ。"_s);
        QCOMPARE(source, u"貼り付けた文章"_s);
        WriteFile(KeptTextPath(), "x\tう\ny\tう\n"); // replaced by another window: from its start
        practice.practiseKeptOrShipped();
        QCOMPARE(practice.sentenceText->text(), u"x"_s);
    }
};

class SentenceWindowTest : public QObject {
    Q_OBJECT

private slots:
    // Begun from the course's menu and back to the lesson as it was: each
    // stroke in the record under the mode's own name; Return goes on to
    // another sentence; what was typed stays when a text replaces it.
    void fromTheCourseAndBack()
    {
        CourseUnderTest course({FirstUnits, 5, 0, {}});
        QTRY_VERIFY(course.window->ready());
        QCOMPARE(course.window->dailyGoal->format(), u"今日 0 分 / 15 分"_s);
        QMenu menu;
        course.window->addToMenu(&menu);
        const auto action = [&menu](const QString &text) {
            for (QAction *action : menu.actions()) {
                if (action->text() == text)
                    return action;
            }
            return static_cast<QAction *>(nullptr);
        };
        action(u"文の練習"_s)->trigger();
        SentencePractice *sentences = course.window->sentences;
        QVERIFY(sentences->isVisible());
        const QString first = sentences->sentenceText->text(), reading = sentences->sentenceReading->text();
        QVERIFY(!first.isEmpty());
        SendKeys(sentences->typingBox, u"!ゐ "_s + commits(reading.left(1)));
        SendKeys(sentences->typingBox, u"=\r"_s);
        QVERIFY(sentences->sentenceText->text() != first);
        sentences->practiseText(u"うしろ。"_s); // another text: what was typed stays
        QTRY_COMPARE(sentences->sentenceText->text(), u"うしろ。"_s);
        sentences->practiseFile(course.program.path(u"none.txt"_s)); // refused: told, and the sentence stays
        QTRY_COMPARE(ShownMessages().size(), 1);
        QVERIFY(ShownMessages()[0].text.contains(u"none.txt を開けません"_s));
        QCOMPARE(sentences->sentenceText->text(), u"うしろ。"_s);
        course.recording->writeNow();
        const QStringList kept = RecordedStrokes(course.path);
        QCOMPARE(kept, (QStringList{u"KestovaSentences ゐ 0"_s, u"KestovaSentences %1 1"_s.arg(reading.left(1))}));
        QMenu back;
        course.window->addToMenu(&back);
        QCOMPARE(back.actions()[0]->text(), u"練習コースに戻る"_s);
        back.actions()[0]->trigger();
        QVERIFY(course.window->judgements.program.isEmpty());
        while (course.window->currentWord->isVisible()) // the lesson as it was left, to its end
            course.typeRight();
        QVERIFY(course.window->lessonResult->isVisible());
        QVERIFY(!course.window->toSentences->isVisible()); // offered only once every kana is in play
    }
};

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    SentenceTest sentences;
    SentenceWindowTest window;
    return QTest::qExec(&sentences, argc, argv) | QTest::qExec(&window, argc, argv);
}
#include "tst_sentences.moc"
