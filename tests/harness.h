#pragma once
// What the window and logic tests share: a program's world for one test
// (its own folder, message boxes recorded, the end of the program thrown),
// a scripted random generator, data-driven rows, and ways to type into and
// look at windows.

#include "codepage.h"
#include "platform.h"
#include "practicerecording.h"
#include "randompicker.h"
#include "recorddatabase.h"

#include <QDateTime>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QImage>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QRegularExpression>
#include <QSettings>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <memory>
#include <optional>

using namespace Qt::StringLiterals;

inline QList<kestova::MessageRequest> &ShownMessages()
{
    static QList<kestova::MessageRequest> messages;
    return messages;
}

// Thrown where the program would have ended at once.
struct ProgramEnded {};

// Writes a file as an editor would have a while ago: its writes long settled.
inline void WriteFile(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    QCOMPARE(file.write(bytes), bytes.size());
    QVERIFY(file.flush());
    QVERIFY(file.setFileTime(QDateTime::currentDateTime().addSecs(-1), QFileDevice::FileModificationTime));
}

inline QByteArray ReadFile(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// Named as the program, with a folder of its own; message boxes are
// recorded and the end of the program throws ProgramEnded.
class TestProgram {
public:
    explicit TestProgram(const QString &title)
        : oldMessage(kestova::SetMessageHandler([](const kestova::MessageRequest &r) { ShownMessages().append(r); })),
          oldEnd(kestova::SetEndHandler([] { throw ProgramEnded{}; })),
          oldFolder(kestova::SetFolderHandler([] { return folderOfTest(); }))
    {
        kestova::StartProgram(title, title);
        ShownMessages().clear();
        folderOfTest() = folder.path();
        qputenv("XDG_STATE_HOME", QFile::encodeName(folder.filePath(u"state"_s))); // pending strokes of the test's records
        qputenv("XDG_DATA_HOME", QFile::encodeName(folder.filePath(u"data"_s))); // texts kept
        QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, folder.path()); // the user's settings too
    }
    ~TestProgram()
    {
        kestova::SetMessageHandler(oldMessage);
        kestova::SetEndHandler(oldEnd);
        kestova::SetFolderHandler(oldFolder);
    }
    QString path(const QString &name) const { return folder.filePath(name); }
    // Writes text with "\n" line ends as a code page 932 file with CR LF.
    void write(const QString &name, QString text) const { WriteFile(path(name), kestova::ToCp932(text.replace(u"\n"_s, u"\r\n"_s))); }
    QByteArray read(const QString &name) const { return ReadFile(path(name)); }
    // A trainer's window loaded as at start-up, once `file` (unless null) is its data file `name`.
    template <typename Window>
    std::unique_ptr<Window> loaded(const QString &name, const QString &file) const
    {
        if (!file.isNull())
            write(name, file);
        auto window = std::make_unique<Window>();
        window->Form_Load();
        return window;
    }

private:
    static QString &folderOfTest()
    {
        static QString folder;
        return folder;
    }
    QTemporaryDir folder;
    kestova::MessageHandler oldMessage;
    kestova::EndHandler oldEnd;
    kestova::FolderHandler oldFolder;
};

// Returns the values it is given, in a cycle, and counts what was asked.
class ScriptedGenerator : public kestova::RandomGenerator {
public:
    explicit ScriptedGenerator(QList<float> values = {0.0f}) : values(std::move(values)), old(kestova::SetRandomGenerator(this)) {}
    ~ScriptedGenerator() override { kestova::SetRandomGenerator(old); }
    void randomizeFromClock() override { ++randomizeCalls; }
    float next() override { return values[draws++ % values.size()]; }
    void discard(int count) override { discarded += count; }

    QList<float> values;
    int randomizeCalls = 0, draws = 0, discarded = 0;

private:
    kestova::RandomGenerator *old;
};

// A counter that reads a fixed value, or fails.
class FixedCounter {
public:
    explicit FixedCounter(std::optional<qint64> count) : old(kestova::SetCounterReader([] { return reading(); })) { reading() = count; }
    ~FixedCounter() { kestova::SetCounterReader(old); }

private:
    static std::optional<qint64> &reading()
    {
        static std::optional<qint64> count;
        return count;
    }
    kestova::CounterReader old;
};

// The rows of a data-driven test: structs whose first member is the row's name.
template <typename Row>
void AddRows(std::initializer_list<Row> rows)
{
    QTest::addColumn<Row>("row");
    for (const Row &row : rows)
        QTest::newRow(row.name) << row;
}

// One key press per character, as a keyboard without input method gives it.
inline void TypeText(QWidget *widget, const QString &text)
{
    for (QChar c : text)
        QTest::sendKeyEvent(QTest::Click, widget, Qt::Key_unknown, QString(c), Qt::NoModifier);
}

// The strokes of the record at `path`, oldest first, each as its `columns`
// joined by spaces.
inline QStringList RecordedStrokes(const QString &path, const QString &columns = u"program, typed, hit"_s)
{
    QStringList strokes;
    {
        kestova::record::OpenedRecord record = kestova::record::OpenRecord(u"recorded"_s, kestova::record::Use::Reading, path);
        QSqlQuery query(u"SELECT %1 FROM strokes ORDER BY rowid"_s.arg(columns), record.database);
        while (query.next()) {
            QStringList values;
            for (int column = 0; column < query.record().count(); ++column)
                values.append(query.value(column).toString());
            strokes.append(values.join(u' '));
        }
    }
    QSqlDatabase::removeDatabase(u"recorded"_s);
    return strokes;
}

// Control keys (Return, Esc, BackSpace, Tab, Delete, Ctrl+C, Alt+X), then a
// wrong printable key, into `receiver`, with the window's judgements kept in
// a practice record of the test's folder: what the record then holds, as
// "typed hit" per stroke.
inline QStringList RecordedOfControlKeysAndAMiss(const TestProgram &program, kestova::Judgements &judgements, QWidget *receiver)
{
    const QString path = program.path(u"record.sqlite"_s);
    {
        QWidget owner;
        kestova::PracticeRecording recording(u"test"_s, judgements, &owner, path);
        for (const auto &[key, text, modifiers] : {std::tuple{Qt::Key_Return, u"\r"_s, Qt::NoModifier}, {Qt::Key_Escape, u"\x1b"_s, Qt::NoModifier},
                 {Qt::Key_Backspace, u"\b"_s, Qt::NoModifier}, {Qt::Key_Tab, u"\t"_s, Qt::NoModifier}, {Qt::Key_Delete, u"\x7f"_s, Qt::NoModifier},
                 {Qt::Key_C, u"\x03"_s, Qt::ControlModifier}, {Qt::Key_X, u"x"_s, Qt::AltModifier}, {Qt::Key_1, u"1"_s, Qt::NoModifier}})
            QTest::sendKeyEvent(QTest::Click, receiver, key, text, modifiers);
    }
    return RecordedStrokes(path, u"typed, hit"_s);
}

// A key by its place on a US keyboard; L and R are Muhenkan and Henkan, ? no key of the layout,
// #38 a key by its code.
inline int KeyCode(QStringView name)
{
    if (name.startsWith(u'#'))
        return name.mid(1).toInt();
    const QMap<QString, int> thumbs{{u"L"_s, 102}, {u"R"_s, 100}, {u"?"_s, 99}};
    for (const auto &[row, first] : {std::pair{u"qwertyuiop["_s, 24}, {u"asdfghjkl;"_s, 38}, {u"zxcvbnm,./"_s, 52}}) {
        if (name.size() == 1 && row.contains(name[0]))
            return first + int(row.indexOf(name[0]));
    }
    return thumbs.value(name.toString());
}

// Sends "a+0 a*30 ^a+40 1+50 a-60 ~70 s0+80" as X delivers it, key codes
// and time stamps: * auto-repeat (/ its release), ^ with Ctrl, 1 a key
// outside the layout, ~ focus lost and back, s0 a key an input method
// forwarded with neither code nor time; and "=か" a key's text alone, "!か"
// an input method's commit, "?か" its preedit, "!か?き" both in one event.
// `inRealTime`: each key event sent at its time from the first.
inline void SendKeys(QWidget *receiver, const QString &keys, bool inRealTime = false)
{
    QElapsedTimer sinceFirst;
    sinceFirst.start();
    for (QString event : keys.split(u' ', Qt::SkipEmptyParts)) {
        if (event.startsWith(u'=')) {
            QTest::sendKeyEvent(QTest::Click, receiver, Qt::Key_unknown, event.mid(1), Qt::NoModifier);
            continue;
        }
        if (event.startsWith(u'!') || event.startsWith(u'?')) {
            const qsizetype preedit = event.indexOf(u'?');
            QInputMethodEvent input(preedit >= 0 ? event.mid(preedit + 1) : QString(), {});
            input.setCommitString(event.startsWith(u'!') ? event.mid(1, preedit < 0 ? -1 : preedit - 1) : QString());
            QCoreApplication::sendEvent(receiver, &input);
            continue;
        }
        const bool control = event.startsWith(u'^');
        event.remove(u'^');
        const qsizetype at = event.lastIndexOf(QRegularExpression(u"[-+*/~]"_s));
        QString name = event.left(at);
        const bool forwarded = name.size() == 2 && name.endsWith(u'0');
        name.truncate(1 + !forwarded * name.size());
        if (event[at] == u'~') { // the focus lost and back
            QFocusEvent focusOut(QEvent::FocusOut), focusIn(QEvent::FocusIn);
            QCoreApplication::sendEvent(receiver, &focusOut);
            QCoreApplication::sendEvent(receiver, &focusIn);
            continue;
        }
        const int code = forwarded ? 0 : name == u"1" ? 10 : KeyCode(name);
        QKeyEvent key(u"-/"_s.contains(event[at]) ? QEvent::KeyRelease : QEvent::KeyPress, Qt::Key_A, control ? Qt::ControlModifier : Qt::NoModifier,
                      quint32(code), name.size() == 1 ? name[0].unicode() : 0, 0, name.size() == 1 && !control ? name : QString(), u"*/"_s.contains(event[at]));
        key.setTimestamp(forwarded ? 0 : 1000 + event.mid(at + 1).toULong()); // an X server's time is never 0
        while (inRealTime && sinceFirst.elapsed() < qint64(event.mid(at + 1).toULong())) {
            QEventLoop wait; // not QTest::qWait, which sleeps 10 ms between looks
            QTimer::singleShot(1, Qt::PreciseTimer, &wait, &QEventLoop::quit);
            wait.exec();
        }
        QCoreApplication::sendEvent(receiver, &key);
    }
}

// The indices of the labels whose own Visible flag is set.
template <size_t N>
QList<int> ShownLabels(const std::array<QLabel *, N> &labels)
{
    QList<int> shown;
    for (size_t i = 0; i < N; ++i) {
        if (!labels[i]->isHidden())
            shown.append(int(i));
    }
    return shown;
}

// The window as drawn against its picture in tests/pictures: one check of
// every control's place, size, caption and colour. KESTOVA_NEW_PICTURES=1
// draws the pictures anew after an intended change.
inline bool LooksLikeItsPicture(QWidget *window, const QString &name)
{
    const QString picture = QStringLiteral(KESTOVA_SOURCE_DIR "/tests/pictures/") + name + u".png"_s;
    const QImage drawn = window->grab().toImage().convertToFormat(QImage::Format_RGB32);
    if (qEnvironmentVariableIsSet("KESTOVA_NEW_PICTURES"))
        return drawn.save(picture);
    if (drawn == QImage(picture).convertToFormat(QImage::Format_RGB32))
        return true;
    drawn.save(name + u"-drawn.png"_s);
    qWarning("%s differs from %s: see %s-drawn.png", qPrintable(name), qPrintable(picture), qPrintable(name));
    return false;
}
