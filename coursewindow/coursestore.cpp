#include "coursestore.h"

#include "practicegoals.h"
#include "recorddatabase.h"
#include "rules.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QFile>
#include <QFileInfo>
#include <QSet>

using namespace Qt::StringLiterals;

namespace kestova::course {
namespace {

const QString Connection = u"course"_s, StartConnection = u"course-start"_s;
constexpr qsizetype ShortestWord = 2, LongestWord = 8;
constexpr int BusyTries = 20; // five seconds

} // namespace

QString ShippedPath(const QString &name)
{
    const QString folder = QCoreApplication::applicationDirPath();
    const QString beside = folder + u'/' + name;
    return QFileInfo::exists(beside) ? beside : QFileInfo(folder + u"/../share/kestova/"_s + name).absoluteFilePath();
}

QStringList ReadWordList(const QString &path, QString *problem)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        *problem = u"単語の一覧 %1 を読めません。作った語だけで練習します。"_s.arg(path);
        return {};
    }
    const QSet<QChar> typed = LayoutKana();
    QStringList words;
    QByteArray text = file.readAll();
    if (text.startsWith("\xEF\xBB\xBF")) // a byte order mark an editor put in
        text.remove(0, 3);
    for (const QByteArray &line : text.split('\n')) {
        const QString word = QString::fromUtf8(line).trimmed();
        if (word.size() >= ShortestWord && word.size() <= LongestWord && std::all_of(word.cbegin(), word.cend(), [&](QChar k) { return typed.contains(k); }))
            words.append(word);
    }
    if (words.isEmpty())
        *problem = u"単語の一覧 %1 に使える語がありません（UTF-8 で一行に一語、ひらがな 2〜8 字）。作った語だけで練習します。"_s.arg(path);
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
    }
    return *opened;
}

void CourseStore::load(QObject *receiver, qint64 now, std::function<void(const CourseStart &)> started,
                       std::function<void(const std::optional<CourseAttempts> &)> weighed)
{
    inThread([this, receiver, now, started = std::move(started), weighed = std::move(weighed)] {
        auto start = std::make_shared<CourseStart>();
        const QStringList words = ReadWordList(wordsPath, &start->problem);
        start->units = Curriculum();
        start->words = std::make_shared<const WordSource>(words);
        // The state through a reader, which neither waits for a writer nor
        // checks the whole record: the first lesson needs nothing more.
        std::optional<CourseState> early;
        {
            const record::OpenedRecord reader = record::OpenRecord(StartConnection, record::Use::Reading, recordPath);
            early = ReadCourseState(reader.database);
            start->practisedTodayMs = record::ActiveMsOfDay(reader.database, LocalDay(QDateTime::fromMSecsSinceEpoch(now)));
        }
        QSqlDatabase::removeDatabase(StartConnection);
        if (early) {
            start->state = *early;
            QMetaObject::invokeMethod(receiver, [start, started] { started(*start); });
        }
        // The first lesson is up meanwhile. A record locked by another
        // program a while is waited for here; a long history takes its time.
        const record::OpenedRecord *opened = &record();
        for (int tries = 0; !opened->writable && record::Busy(opened->error) && tries < BusyTries; ++tries) {
            QThread::msleep(250);
            opened = &record();
        }
        if (!opened->problem.isEmpty())
            emit problem(opened->problem);
        if (!early) { // not there to read yet, or not readable: as the writer finds it
            start->state = LoadCourseState(opened->database);
            QMetaObject::invokeMethod(receiver, [start, started] { started(*start); });
        }
        const auto attempts = std::make_shared<std::optional<CourseAttempts>>(
                ReadCourseAttempts(opened->database, start->state.since, TargetMs(LoadTargetSpeed()), now));
        loaded = attempts->has_value();
        if (!loaded)
            emit problem(u"練習の記録からコースの今までの練習を読めません。コースは今までの練習を数えずに続け、その進み具合は記録しません。"_s);
        QMetaObject::invokeMethod(receiver, [attempts, weighed] { weighed(*attempts); });
    });
}

void CourseStore::save(const CourseState &state)
{
    inThread([this, state] {
        if (!loaded) // never over what could not be read
            return;
        const record::OpenedRecord &opened = record();
        if ((!opened.writable || !SaveCourseState(opened.database, state)) && !told) {
            told = true;
            const QString cause = opened.problem.isEmpty() ? record::CauseOf(opened.database.lastError()) : opened.problem;
            emit problem(u"コースの進み具合を練習の記録に書けません（%1）。打った記録は残ります。"_s.arg(cause));
        }
    });
}

} // namespace kestova::course
