#include "coursestore.h"

#include "keyboardmap.h"
#include "recorddatabase.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QSet>

namespace kestova::course {
namespace {

const QString Connection = u"course"_qs;
constexpr qsizetype ShortestWord = 2, LongestWord = 8;

} // namespace

QString WordListPath()
{
    const QString folder = QCoreApplication::applicationDirPath();
    const QString beside = folder + u"/kana-words.txt"_qs;
    return QFileInfo::exists(beside) ? beside : QFileInfo(folder + u"/../share/kestova/kana-words.txt"_qs).absoluteFilePath();
}

QStringList ReadWordList(const QString &path, QString *problem)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        *problem = u"単語の一覧 %1 を読めません（%2）。作った語だけで練習します。"_qs.arg(path, file.errorString());
        return {};
    }
    QSet<QChar> typed;
    for (const KanaPlace &at : KanaPlaces(1, 0))
        typed.insert(at.kana[0]);
    QStringList words;
    for (const QByteArray &line : file.readAll().split('\n')) {
        const QString word = QString::fromUtf8(line).trimmed();
        if (word.size() >= ShortestWord && word.size() <= LongestWord && std::all_of(word.cbegin(), word.cend(), [&](QChar k) { return typed.contains(k); }))
            words.append(word);
    }
    if (words.isEmpty())
        *problem = u"単語の一覧 %1 に使える語がありません。作った語だけで練習します。"_qs.arg(path);
    return words;
}

CourseStore::CourseStore(QString words, QString record) : wordsPath(std::move(words)), recordPath(std::move(record))
{
    worker.moveToThread(&thread);
    thread.start();
}

CourseStore::~CourseStore()
{
    inThread([this] {
        opened.reset();
        QSqlDatabase::removeDatabase(Connection);
        QThread::currentThread()->quit();
    });
    thread.wait();
}

void CourseStore::inThread(std::function<void()> work)
{
    QMetaObject::invokeMethod(&worker, std::move(work), Qt::QueuedConnection);
}

record::OpenedRecord &CourseStore::record()
{
    if (!opened || !opened->writable) {
        opened.reset();
        QSqlDatabase::removeDatabase(Connection);
        opened = record::OpenRecord(Connection, record::Use::Writing, recordPath);
        if (opened->writable)
            PrepareCourse(opened->database);
    }
    return *opened;
}

void CourseStore::load(QObject *receiver, std::function<void(const CourseStart &)> done)
{
    inThread([this, receiver, done = std::move(done)] {
        auto start = std::make_shared<CourseStart>();
        const QStringList words = ReadWordList(wordsPath, &start->problem);
        start->units = Curriculum(KanaFrequency(words));
        start->words = std::make_shared<const WordSource>(words);
        // What is wrong with the record itself the practice recording tells.
        const record::OpenedRecord &opened = record();
        start->state = LoadCourseState(opened.database);
        if (const std::optional<CourseAttempts> attempts = ReadCourseAttempts(opened.database, start->state.since))
            start->attempts = *attempts;
        else if (opened.writable)
            start->problem = u"練習の記録からコースの打鍵を読めません。今までの練習は数えずに始めます。"_qs;
        QMetaObject::invokeMethod(receiver, [start, done] { done(*start); });
    });
}

void CourseStore::save(const CourseState &state)
{
    inThread([this, state] {
        const record::OpenedRecord &opened = record();
        if (!opened.writable || !SaveCourseState(opened.database, state))
            emit problem(u"コースの進み具合を練習の記録に書けません。打った記録は残ります。"_qs);
    });
}

} // namespace kestova::course
