#pragma once

#include "coursestate.h"
#include "lessons.h"
#include "recorddatabase.h"

#include <QObject>
#include <QThread>

#include <functional>
#include <memory>

namespace kestova::course {

// What the course starts with: the words, the units in the order they are
// learnt, its state, and what went wrong reading them. Its attempts since
// it began come after, read while the first lesson is typed.
struct CourseStart {
    std::shared_ptr<const WordSource> words;
    QList<Unit> units;
    CourseState state;
    QString problem;
    qint64 practisedTodayMs = 0; // in every program, before the window came
};

// The course's files, away from the window's thread, so that neither a
// long word list nor a long record nor a locked one ever holds up the
// window: read once at the start, the state written after each lesson.
// Answers come back as calls on the window's thread.
class CourseStore : public QObject {
    Q_OBJECT

public:
    CourseStore(QString wordsPath, QString recordPath);
    // Waits for what is being written.
    ~CourseStore() override;

    // `started` with the course's start, then `weighed` with its attempts
    // from before `now` (none where the record cannot be read).
    void load(QObject *receiver, qint64 now, std::function<void(const CourseStart &)> started,
              std::function<void(const std::optional<CourseAttempts> &)> weighed);
    void save(const CourseState &state);

signals:
    void problem(const QString &text);

private:
    void inThread(std::function<void()> work);
    // In the thread: the record open for writing, opened again if it was not.
    record::OpenedRecord &record();

    const QString wordsPath, recordPath;
    std::optional<record::OpenedRecord> opened;
    bool loaded = false, told = false; // in the thread
    QThread thread;
    QObject worker;
};

// A shipped file (the word list, the sentences): beside the program where
// it was built, else where it is installed.
QString ShippedPath(const QString &name);
inline QString WordListPath()
{
    return ShippedPath(QStringLiteral("kana-words.txt"));
}

// The words of a word list, most common first: lines of 2 to 8 kana the
// layout types; lines starting with # and others are passed over.
QStringList ReadWordList(const QString &path, QString *problem);

} // namespace kestova::course
