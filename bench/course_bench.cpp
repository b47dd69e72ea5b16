// The course's figures: the model learner's progress, a lesson generated with the full word list (budget
// 5 ms), and its state rebuilt from a record of a million course strokes
// (budget 200 ms), read and weighed, and the first lesson over it on screen
// (budget 300 ms); the next sentence chosen (budget 5 ms).
#include "course.h"
#include "sentencepractice.h"
#include "sentences.h"
#include "rubytext.h"
#include "coursewindow.h"
#include "coursestore.h"
#include "coursestate.h"
#include "recorddatabase.h"
#include "strokerecorder.h"
#include "../tests/modellearner.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QLabel>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <vector>

using namespace Qt::StringLiterals;

using namespace kestova;

namespace {

bool report(const char *what, double ms, double budget)
{
    std::printf("%-46s %9.2f ms (budget %.0f ms): %s\n", what, ms, budget, ms <= budget ? "ok" : "OVER BUDGET");
    return ms <= budget;
}

} // namespace

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    std::printf("== the course ==\n");
    QElapsedTimer loading;
    loading.start();
    QString problem;
    const QStringList words = course::ReadWordList(QStringLiteral(KESTOVA_SOURCE_DIR "/data/kana-words.txt"), &problem);
    const course::WordSource source(words);
    std::printf("(%lld words read and their model made, away from the window's thread: %.0f ms)\n", qlonglong(words.size()), loading.nsecsElapsed() / 1e6);
    const QList<course::Unit> units = course::Curriculum();
    // The model learner at twice the target speed: lessons to 18 kana, to
    // the first voiced kana and to every kana.
    for (double slips : {0.04, 0.02, 0.01}) {
        const course::LearnerProgress progress = course::TakeCourse(units, source, {slips, 2});
        std::printf("model learner, %.0f %% slips: 18 kana after %d lessons, a voiced kana after %d, all %lld after %d\n", slips * 100,
                    progress.to18, progress.toVoiced, qlonglong(units.size()), progress.toAll);
        if (slips == 0.04) { // the rank in the list of the real words of its first lessons
            std::vector<qsizetype> ranks;
            for (const QString &word : progress.firstWords)
                ranks.push_back(words.indexOf(word) + 1);
            std::nth_element(ranks.begin(), ranks.begin() + qsizetype(ranks.size()) / 2, ranks.end());
            std::printf("(the median rank of the %zu real words of its first 20 lessons: %lld of %lld)\n", ranks.size(),
                        qlonglong(ranks[ranks.size() / 2]), qlonglong(words.size()));
        }
    }
    std::vector<double> lessons;
    QRandomGenerator random(1);
    for (int inPlay = course::FirstUnits; inPlay <= units.size(); ++inPlay) {
        course::Course state(units, inPlay);
        QElapsedTimer timer;
        timer.start();
        state.nextLesson(source, random);
        lessons.push_back(timer.nsecsElapsed() / 1e6);
    }
    std::sort(lessons.begin(), lessons.end());
    const bool lessonOk = report("a lesson, slowest over every size of the course", lessons.back(), 5);

    // The next sentence, weighed by every kana's confidence, slowest of 200.
    QFile sentenceFile(QStringLiteral(KESTOVA_SOURCE_DIR "/data/sentences.txt"));
    sentenceFile.open(QIODevice::ReadOnly);
    const course::SentenceChooser chooser(course::ParseSentences(sentenceFile.readAll(), u"sentences.txt"_s, nullptr));
    QHash<QChar, double> confidence;
    for (const course::Unit &unit : units)
        confidence.insert(unit.kana[0], random.generateDouble());
    double slowestChoice = 0;
    for (int i = 0, last = -1; i < 200; ++i) {
        QElapsedTimer timer;
        timer.start();
        last = chooser.next(confidence, random, last);
        slowestChoice = std::max(slowestChoice, timer.nsecsElapsed() / 1e6);
    }
    std::printf("(%lld sentences)\n", qlonglong(chooser.sentences().size()));
    const bool choiceOk = report("the next sentence, slowest of 200", slowestChoice, 5);

    // A text of 1 MB, opened as the learner opens one: the time to its first
    // sentence in the window, and to its last read by MeCab.
    QTemporaryDir textDir; // where the text is kept, and the settings
    qputenv("XDG_DATA_HOME", QFile::encodeName(textDir.path()));
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(textDir.path()));
    QFile text(textDir.filePath(u"text.txt"_s));
    text.open(QIODevice::WriteOnly);
    for (qsizetype i = 0; text.size() < 1024 * 1024; ++i)
        text.write((chooser.sentences()[i % chooser.sentences().size()].written + (i % 8 == 7 ? u"\n"_s : QString())).toUtf8());
    text.close();
    Judgements judgements;
    course::SentencePractice practice(judgements, nullptr);
    QElapsedTimer opened;
    opened.start();
    practice.practiseFile(text.fileName());
    while (practice.sentenceText->text().isEmpty())
        QCoreApplication::processEvents(QEventLoop::AllEvents, 1);
    const bool textOk = report("a 1 MB text opened: its first sentence shown", opened.nsecsElapsed() / 1e6, 1000);
    while (practice.sentenceSource->text().endsWith(u"…"_s))
        QCoreApplication::processEvents(QEventLoop::AllEvents, 1);
    std::printf("(%s, every sentence read in %.0f ms)\n", qPrintable(practice.sentenceSource->text()), opened.nsecsElapsed() / 1e6);

    QTemporaryDir dir;
    const QString path = dir.filePath(u"record.sqlite"_s);
    {
        record::StrokeRecorder recorder(course::CourseProgram, path);
        qint64 time = 1'790'000'000'000;
        for (int i = 0; i < 1'000'000; ++i) {
            recorder.add({units[i % 40].kana, i % 17 ? units[i % 40].kana : u"x"_s, i % 17 != 0, time += 400});
            if (i % 100'000 == 99'999) // never more in memory than the recorder keeps
                recorder.writeNow(std::chrono::minutes(2));
        }
    }
    QElapsedTimer timer;
    timer.start();
    int inPlay = 0;
    {
        record::OpenedRecord opened = record::OpenRecord(u"course"_s, record::Use::Reading, path);
        const course::CourseState saved = course::LoadCourseState(opened.database);
        course::Course state(units, saved.unitsInPlay);
        state.weigh(course::ReadCourseAttempts(opened.database, saved.since, course::TargetMs(60)).value());
        inPlay = state.inPlay();
    }
    QSqlDatabase::removeDatabase(u"course"_s);
    const bool stateOk = report("the course's state from 1 M strokes", timer.nsecsElapsed() / 1e6, 200);
    std::printf("(%d units in play after them)\n", inPlay);

    // The window over that record: its first lesson on screen, from the
    // window made; the history is read beside the lesson.
    double firstLessonMs = 0;
    {
        QElapsedTimer made;
        made.start();
        course::CourseWindow window(path, QStringLiteral(KESTOVA_SOURCE_DIR "/data/kana-words.txt"));
        window.show();
        while (window.lesson().size() != course::LessonLength)
            QCoreApplication::processEvents(QEventLoop::AllEvents, 1);
        firstLessonMs = made.nsecsElapsed() / 1e6;
    }
    const bool firstOk = report("the first lesson with 1 M strokes in the record", firstLessonMs, 300);
    return lessonOk && choiceOk && textOk && stateOk && firstOk ? 0 : 1;
}
