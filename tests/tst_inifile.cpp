#include "harness.h"
#include "inidocument.h"
#include "inifile.h"
#include "platform.h"

#include <QDir>
#include <QProcess>
#include <QRandomGenerator>
#include <QThread>

#include <csignal>
#include <cstdio>
#include <sys/resource.h>
#include <thread>
#include <sys/stat.h>
#include <unistd.h>

using namespace Qt::StringLiterals;

using kestova::ToCp932;

namespace {

QByteArray utf16le(const QString &text)
{
    return "\xFF\xFE" + QByteArray(reinterpret_cast<const char *>(text.utf16()), text.size() * 2);
}

// The test binary runs itself as a helper process: `tst_inifile COMMAND ...`.
QProcess *startChild(const QStringList &args)
{
    auto *child = new QProcess;
    child->start(QCoreApplication::applicationFilePath(), args);
    return child;
}

struct Read { const char *name; QByteArray file; QString section, key, value; };
struct Write { const char *name; QByteArray before; QString section, key, value; QByteArray after; };
struct Refused { const char *name; enum { File, FileAsRoot, Locked, Full, Folder, Pipe, Large } kind; int mode; QString section, key, value, reason; };

} // namespace

class IniFileTest : public QObject {
    Q_OBJECT
    std::unique_ptr<QTemporaryDir> dir;
    QString path(const QString &name = u"test.ini"_s) const { return dir->filePath(name); }
    QStringList folderEntries() const { return QDir(dir->path()).entryList(QDir::NoDotAndDotDot | QDir::AllEntries | QDir::Hidden | QDir::System); }

private slots:
    void init() { dir = std::make_unique<QTemporaryDir>(); }

    void reads_data()
    {
        const QString s = u"s"_s, k = u"k"_s, v = u"v"_s, none, kana = u"か"_s;
        const auto value = [](const QString &text) { return "[s]\r\nk=" + ToCp932(text) + "\r\n"; };
        AddRows<Read>({{"plain", "[s]\r\nk=v\r\n", s, k, v}, {"names ignore ascii case", "[SeC]\r\nKeY=v\r\n", u"sEc"_s, u"KEY"_s, v},
            {"value keeps its case", "[s]\r\nk=VaLue\r\n", s, k, u"VaLue"_s}, {"missing section", "[s]\r\nk=v\r\n", u"t"_s, k, none},
            {"missing key", "[s]\r\nk=v\r\n", s, u"x"_s, none}, {"first of two keys", "[s]\r\nk=1\r\nK=2\r\n", s, k, u"1"_s},
            {"only the first of two sections", "[s]\r\na=1\r\n[t]\r\n[S]\r\nb=2\r\n", s, u"b"_s, none},
            {"lines before any section", "k=v\r\n[s]\r\n", none, k, none}, {"empty section name", "[]\r\nk=v\r\n", none, k, v},
            {"name ends at first bracket", "[s]x]\r\nk=v\r\n", s, k, v}, {"nothing after the bracket", "[s]k=v\r\n", s, k, none},
            {"no closing bracket", "[s\r\nk=v", s, k, v}, {"opening bracket kept", "[[s]\r\nk=v\r\n", u"[s"_s, k, v},
            {"header trimmed", "  [ s\t]\r\nk=v\r\n", s, k, v}, {"comment line", "[s]\r\n;k=v\r\n", s, u";k"_s, none},
            {"indented comment", "[s]\r\n  ;k=v\r\n", s, k, none}, {"semicolon in a value", "[s]\r\nk=v ;x\r\n", s, k, u"v ;x"_s},
            {"semicolon in a key", "[s]\r\na;b=1\r\n", s, u"a;b"_s, u"1"_s}, {"hash means nothing", "[s]\r\n#k=v\r\n", s, u"#k"_s, v},
            {"first equals sign splits", "[s]\r\nk=a=b\r\n", s, k, u"a=b"_s}, {"empty key", "[s]\r\n=v\r\n", s, none, v},
            {"line without equals", "[s]\r\nk\r\n", s, k, none}, {"blanks around", "[s]\r\n \tk \t=\t v \v\r\n", s, k, v},
            {"spaces of a name ignored", "[s]\r\nk=v\r\n", u" s "_s, u" k "_s, v}, {"tab of a name counts", "[s]\r\nk=v\r\n", s, u"\tk"_s, none},
            {"double quotes", "[s]\r\nk=\"v\"\r\n", s, k, v}, {"single quotes", "[s]\r\nk='v'\r\n", s, k, v},
            {"quoted blanks kept", "[s]\r\nk=\" v \"\r\n", s, k, u" v "_s}, {"mismatched quotes", "[s]\r\nk=\"v'\r\n", s, k, u"\"v'"_s},
            {"only the outer pair", "[s]\r\nk=\"'v'\"\r\n", s, k, u"'v'"_s}, {"lone quote", "[s]\r\nk=\"\r\n", s, k, u"\""_s},
            {"empty quotes", "[s]\r\nk=\"\"\r\n", s, k, none}, {"lf lines", "[s]\nk=v\n", s, k, v}, {"cr lines", "[s]\rj=w\rk=v\r", s, k, v},
            {"trail bytes like brackets", ToCp932(u"[ゾ表]\r\nソ=ー\r\n"), u"ゾ表"_s, u"ソ"_s, u"ー"_s},
            {"trail byte like a letter", ToCp932(u"[s]\r\nア=1\r\nヂ=2\r\n"), s, u"ヂ"_s, u"2"_s},
            {"fullwidth letters not folded", ToCp932(u"[s]\r\nＡ=1\r\n"), s, u"ａ"_s, none},
            {"nul ends the value", QByteArray("[s]\r\nk=a\0b\r\n", 12), s, k, u"a"_s},
            {"nul ends a key", "[s]\r\nk=v\r\n", s, QStringView(u"k\0x", 3).toString(), v},
            {"long key ignores ascii case", "[s]\r\n" + QByteArray(40, 'K') + "=v\r\n", s, QString(40, u'k'), v},
            {"lone lead byte in a key", "[s]\r\n\x82=1\r\n", s, u"・"_s, u"1"_s},
            {"kana section and key", ToCp932(u"[指１本]\r\n左小指=あ\tい\r\n"), u"指１本"_s, u"左小指"_s, u"あ\tい"_s},
            {"utf-16le file", utf16le(u"[指１本]\r\n文字数=かな\r\n"_s), u"指１本"_s, u"文字数"_s, u"かな"_s},
            {"utf-16le text outside the code page", utf16le(u"[s]\r\nk=a😀\r\n"_s), s, k, u"a?"_s},
            {"utf-8 file with a mark", "\xEF\xBB\xBF" + u"[s]\r\nk=かな\r\n"_s.toUtf8(), s, k, u"かな"_s},
            // the classic 255-byte buffer: 254 bytes at most, never half a kana
            {"254 bytes whole", value(QString(254, u'a')), s, k, QString(254, u'a')},
            {"300 bytes to 254", value(QString(300, u'b')), s, k, QString(254, u'b')},
            {"128 kana to 127", value(kana.repeated(128)), s, k, kana.repeated(127)},
            {"never half a kana", value(u'a' + kana.repeated(127)), s, k, u'a' + kana.repeated(126)},
            {"86 entries lose the last", value(QStringList(86, kana).join(u'\t')), s, k, QStringList(85, kana).join(u'\t')}});
    }
    void reads()
    {
        QFETCH(Read, row);
        WriteFile(path(), row.file);
        QCOMPARE(GetIniString(row.section, row.key, path()), row.value);
        kestova::IniDocument ahead(row.file); // read ahead: values decoded at once, the same text
        ahead.decodeValues();
        QCOMPARE(ahead.value(row.section, row.key).value_or(QString()), row.value);
    }

    void writes_data()
    {
        const QString s = u"s"_s, k = u"k"_s, b = u"b"_s, two = u"2"_s;
        AddRows<Write>({{"replace", "[s]\r\nk=old\r\nz=1\r\n", s, k, u"new"_s, "[s]\r\nk=new\r\nz=1\r\n"},
            {"key keeps spelling and line end", "[S]\n  Key = old\n", s, u"KEY"_s, u"new"_s, "[S]\n  Key=new\n"},
            {"unended last line gets one", "[s]\r\nk=v", s, k, u"w"_s, "[s]\r\nk=w\r\n"},
            {"only the first duplicate", "[s]\r\nk=1\r\nk=2\r\n", s, k, u"9"_s, "[s]\r\nk=9\r\nk=2\r\n"},
            {"new key after the last key", "[s]\r\na=1\r\n;c\r\n\r\n[t]\r\n", s, b, two, "[s]\r\na=1\r\nb=2\r\n;c\r\n\r\n[t]\r\n"},
            {"new key under a bare header", "[s]\r\n;c\r\n[t]\r\n", s, b, two, "[s]\r\nb=2\r\n;c\r\n[t]\r\n"},
            {"new key at an unended end", "[s]\r\na=1", s, b, two, "[s]\r\na=1\r\nb=2\r\n"},
            {"new section at the end", "[s]\r\na=1\r\n", u"t"_s, b, two, "[s]\r\na=1\r\n[t]\r\nb=2\r\n"},
            {"new section after an unended line", "[s]\r\na=1", u"t"_s, b, two, "[s]\r\na=1\r\n[t]\r\nb=2\r\n"},
            {"empty file", "", s, k, u"v"_s, "[s]\r\nk=v\r\n"}, {"value as given", "[s]\r\n", s, k, u" v "_s, "[s]\r\nk= v \r\n"},
            {"no file yet", QByteArray(), u"指１本"_s, u"文字数"_s, u"6"_s, ToCp932(u"[指１本]\r\n文字数=6\r\n")},
            {"names lose spaces", "", u" s "_s, u" k "_s, u"v"_s, "[s]\r\nk=v\r\n"},
            {"outside the code page", "", s, k, u"a😀b"_s, "[s]\r\nk=a?b\r\n"},
            {"bytes before the first section", QByteArray("\0junk\r\n[s]\r\nk=1\r\n", 17), s, k, two, QByteArray("\0junk\r\n[s]\r\nk=2\r\n", 17)},
            {"invalid bytes elsewhere kept", "[s]\r\nx=\x80\xFF\x82\r\nk=1\r\n", s, k, two, "[s]\r\nx=\x80\xFF\x82\r\nk=2\r\n"},
            {"utf-16le stays utf-16le", utf16le(u"[s]\r\nk=1\r\n"_s), s, k, u"かな"_s, utf16le(u"[s]\r\nk=かな\r\n"_s)},
            {"utf-16le keeps a second mark", utf16le(u"\uFEFF[s"_s), s, k, u"v"_s, utf16le(u"\uFEFF[s\r\n[s]\r\nk=v\r\n"_s)},
            {"utf-8 stays utf-8", "\xEF\xBB\xBF[s]\r\n", s, k, u"かな"_s, "\xEF\xBB\xBF[s]\r\nk=" + u"かな"_s.toUtf8() + "\r\n"},
            {"utf-16le keeps lone surrogates and an odd byte", utf16le(u"[s]\r\n;\xD800\r\nk=1"_s) + 'A', s, k, two, utf16le(u"[s]\r\n;\xD800\r\nk=2\r\n"_s) + 'A'},
            {"stray bytes in a section name", "[\x80x]\r\nk=1\r\n", u"\u0080x"_s, k, two, "[\x80x]\r\nk=2\r\n"},
            {"10 MB kept whole", "[s]\r\nk=" + QByteArray(10 << 20, 'x'), s, b, two, "[s]\r\nk=" + QByteArray(10 << 20, 'x') + "\r\nb=2\r\n"}});
    }
    void writes()
    {
        QFETCH(Write, row);
        if (!row.before.isNull())
            WriteFile(path(), row.before);
        WriteFile(path(u".kestova-Ab12Cd"_s), "left by a writer killed while saving");
        QVERIFY(PutIniString(row.section, row.key, row.value, path()));
        QCOMPARE(ReadFile(path()), row.after);
        QCOMPARE(GetIniString(row.section, row.key, path()), row.value.trimmed().replace(u"😀"_s, u"?"_s));
        QCOMPARE(folderEntries(), QStringList{u"test.ini"_s});
    }

    // Writes refused: the file left as it was, not even replaced by an equal
    // copy; nothing left beside it; the reason told, and a file unusable as
    // such read as missing. Root may write anything, so the writes run in a
    // child as an ordinary user, all but one; a full disk is a limit on the
    // size of files.
    void refusedWrites_data()
    {
        const QString s = u"s"_s, k = u"k"_s, w = u"w"_s;
        AddRows<Refused>({{"the same value", Refused::File, 0666, s, u"K"_s, u"v"_s, {}},
            {"line break in the value", Refused::File, 0666, s, k, u"x\r\n[evil]\r\ny=1"_s, u"改行"_s},
            {"line break in the section", Refused::File, 0666, u"s\nt"_s, k, w, u"改行"_s},
            {"line break in the key", Refused::File, 0666, s, u"k\r"_s, w, u"改行"_s},
            {"a key like a section", Refused::File, 0666, s, u"[x"_s, w, u"「[」で始める"_s},
            {"a key like a comment", Refused::File, 0666, s, u" ;x"_s, w, u"「;」で始める"_s},
            {"a key with =", Refused::File, 0666, s, u"a=b"_s, w, u"「=」"_s}, {"a tab after a key", Refused::File, 0666, s, u"k\t"_s, w, u"タブ"_s}, {"a section with ]", Refused::File, 0666, u"s]x"_s, k, w, u"「]」"_s},
            {"read-only file", Refused::File, 0444, s, k, w, u"読み取り専用のファイル"_s},
            {"read-only file, root", Refused::FileAsRoot, 0444, s, k, w, u"読み取り専用のファイル"_s},
            {"unreadable file", Refused::File, 0222, s, k, w, u"読めません。権限がありません"_s},
            {"folder not writable", Refused::Locked, 0666, s, k, w, u"フォルダーに書き込めません"_s},
            {"disk full", Refused::Full, 0666, s, k, w, u"書き込めませんでした。"_s},
            {"a folder", Refused::Folder, 0777, s, k, w, u"フォルダー"_s}, {"a pipe", Refused::Pipe, 0666, s, k, w, u"通常のファイルではありません"_s},
            {"65 MB", Refused::Large, 0666, s, k, w, u"大きすぎます（65 MB。64 MB まで）"_s}});
    }
    void refusedWrites()
    {
        QFETCH(Refused, row);
        const QString locked = path(u"locked"_s), file = row.kind == Refused::Locked ? locked + u"/in.ini"_s : path();
        const QByteArray native = QFile::encodeName(file);
        QVERIFY(QDir().mkdir(locked));
        if (row.kind == Refused::Folder || row.kind == Refused::Pipe)
            QVERIFY(row.kind == Refused::Folder ? ::mkdir(native, 0777) == 0 : ::mkfifo(native, 0666) == 0);
        else
            WriteFile(file, "[s]\r\nk=v\r\n");
        QVERIFY(row.kind != Refused::Large || ::truncate(native, 65 << 20) == 0);
        ::chmod(native, mode_t(row.mode));
        ::chmod(QFile::encodeName(dir->path()), 0777);
        ::chmod(QFile::encodeName(locked), 0555);
        struct stat before{}, after{};
        ::stat(native, &before);
        std::unique_ptr<QProcess> child(startChild({u"write-as-nobody"_s, file, row.section, row.key, row.value, QString::number(row.kind)}));
        QVERIFY(child->waitForFinished(30000));
        QVERIFY(child->exitCode() == 0);
        const QStringList told = QString::fromUtf8(child->readAllStandardOutput()).split(u'\n');
        ::stat(native, &after);
        ::chmod(QFile::encodeName(locked), 0755);
        const bool readable = row.kind < Refused::Folder && row.mode != 0222;
        QCOMPARE(told.value(0), readable ? u"v"_s : QString());
        QVERIFY2(row.reason.isEmpty() ? told.value(1).isEmpty() : told.value(1).startsWith(file) && told.value(1).contains(row.reason), qPrintable(told.join(u'\n')));
        QCOMPARE(after.st_ino, before.st_ino);
        QCOMPARE(after.st_mtim.tv_nsec, before.st_mtim.tv_nsec);
        QCOMPARE(after.st_size, before.st_size);
        const QStringList entries = folderEntries() + QDir(locked).entryList(QDir::NoDotAndDotDot | QDir::AllEntries | QDir::Hidden);
        QCOMPARE(entries, QStringList({u"locked"_s, row.kind == Refused::Locked ? u"in.ini"_s : u"test.ini"_s}));
    }

    // An editor writing the file in place: a save waits until it has settled,
    // for a second at most, and never overwrites a file changed in place that
    // lost the sections read before.
    void fileBeingWrittenByAnEditor()
    {
        WriteFile(path(), "[a]\r\nk=1\r\n[b]\r\nk=2\r\n");
        QCOMPARE(GetIniString(u"a"_s, u"k"_s, path()), u"1"_s);
        QFile::resize(path(), 0); // "> file", the rest still to come
        QVERIFY(!PutIniString(u"b"_s, u"k"_s, u"3"_s, path()));
        QVERIFY(ReadFile(path()).isEmpty());
        QVERIFY(kestova::TakeUnsavedProblems().value(0).contains(u"書き換えている途中"_s));

        QFile file(path());
        QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        QVERIFY(file.write("[a]\r\nk=1\r\n[b"));
        QVERIFY(file.flush());
        std::thread editor([&] {
            QThread::msleep(100);
            file.write("]\r\nk=2\r\n");
            file.flush();
        });
        QVERIFY(PutIniString(u"b"_s, u"k"_s, u"3"_s, path()));
        editor.join();
        QCOMPARE(ReadFile(path()), QByteArray("[a]\r\nk=1\r\n[b]\r\nk=3\r\n"));

        QFile slow(path()); // still writing when a save has waited its second
        QVERIFY(slow.open(QIODevice::WriteOnly | QIODevice::Truncate));
        QVERIFY(slow.write("[a]\r\nk=1\r\n[b]\r\nk=3\r\n"));
        QVERIFY(slow.flush());
        std::thread slowWriter([&] {
            for (int line = 0; line < 150; ++line) {
                QThread::msleep(10);
                slow.write("x=1\r\n");
                slow.flush();
            }
        });
        const bool saved = PutIniString(u"b"_s, u"k"_s, u"4"_s, path());
        slowWriter.join();
        QVERIFY(!saved);
        QVERIFY(ReadFile(path()).endsWith(QByteArray("x=1\r\n").repeated(150)));
        QCOMPARE(GetIniString(u"b"_s, u"k"_s, path()), u"3");

        QFile edited(path()); // sections left out in place: being written a moment ago, meant two seconds later
        QVERIFY(edited.open(QIODevice::WriteOnly | QIODevice::Truncate));
        QVERIFY(edited.write("[a]\r\nk=1\r\n"));
        QVERIFY(edited.flush());
        QVERIFY(!PutIniString(u"c"_s, u"k"_s, u"5"_s, path()));
        QThread::msleep(2100);
        QVERIFY(PutIniString(u"c"_s, u"k"_s, u"5"_s, path()));
        WriteFile(path(u"new"_s), "[a]\r\nk=1\r\n"); // a file put in place whole may leave sections out
        QVERIFY(QFile::remove(path()));
        QVERIFY(QFile::rename(path(u"new"_s), path()));
        QVERIFY(PutIniString(u"c"_s, u"k"_s, u"6"_s, path()));
    }

    // A link to nowhere reads as empty and is not written; links are written
    // through and kept.
    void oddPaths()
    {
        QVERIFY(QFile::link(path(u"nowhere"_s), path(u"dangling.ini"_s)));
        QVERIFY(GetIniString(u"s"_s, u"k"_s, path(u"dangling.ini"_s)).isNull());
        QVERIFY(!PutIniString(u"s"_s, u"k"_s, u"v"_s, path(u"dangling.ini"_s)));
        QCOMPARE(folderEntries(), QStringList{u"dangling.ini"_s});

        WriteFile(path(u"real.ini"_s), "[s]\r\nk=v\r\n");
        QVERIFY(QFile::link(path(u"real.ini"_s), path(u"link.ini"_s)));
        QVERIFY(QFile::link(path(u"link.ini"_s), path(u"link2.ini"_s)));
        QVERIFY(PutIniString(u"s"_s, u"k"_s, u"w"_s, path(u"link2.ini"_s)));
        QVERIFY(QFileInfo(path(u"link2.ini"_s)).isSymLink());
        QVERIFY(QFileInfo(path(u"link.ini"_s)).isSymLink());
        QCOMPARE(ReadFile(path(u"real.ini"_s)), QByteArray("[s]\r\nk=w\r\n"));
    }

    // Reads within a millisecond share one look at the file; an outside edit
    // a moment later (same size and inode: only the time tells), a removal,
    // a write of our own and a file read ahead are all seen by the next read.
    void readsSeeTheFileAsItIsNow()
    {
        const auto editLater = [this](const QString &name, const QByteArray &bytes) {
            QThread::msleep(20);
            WriteFile(path(name), bytes);
        };
        WriteFile(path(), "[s]\r\nk=1\r\n");
        QCOMPARE(GetIniString(u"s"_s, u"k"_s, path()), u"1"_s);
        editLater(u"test.ini"_s, "[s]\r\nk=2\r\n");
        QCOMPARE(GetIniString(u"s"_s, u"k"_s, path()), u"2"_s);
        PutIniString(u"s"_s, u"k"_s, u"33"_s, path());
        QCOMPARE(GetIniString(u"s"_s, u"k"_s, path()), u"33"_s);
        QThread::msleep(20);
        QFile::remove(path());
        QCOMPARE(GetIniString(u"s"_s, u"k"_s, path()), QString());

        WriteFile(path(u"early.ini"_s), "[s]\r\nk=1\r\n");
        WriteFile(path(u"edited.ini"_s), "[s]\r\nk=1\r\n");
        for (const QString name : {u"early.ini"_s, u"edited.ini"_s, u"later.ini"_s})
            kestova::IniPrefetch(path(name)).adopt();
        QCOMPARE(GetIniString(u"s"_s, u"k"_s, path(u"early.ini"_s)), u"1"_s);
        editLater(u"edited.ini"_s, "[s]\r\nk=22\r\n");
        WriteFile(path(u"later.ini"_s), "[s]\r\nk=3\r\n");
        QCOMPARE(GetIniString(u"s"_s, u"k"_s, path(u"edited.ini"_s)), u"22"_s);
        QCOMPARE(GetIniString(u"s"_s, u"k"_s, path(u"later.ini"_s)), u"3"_s);
    }

    void killedWriterNeverTearsTheFile()
    {
        QRandomGenerator random(11);
        for (int round = 0; round < 25; ++round) {
            std::unique_ptr<QProcess> child(startChild({u"keep-writing"_s, path()}));
            QVERIFY(child->waitForStarted());
            QThread::msleep(5 + random.bounded(60));
            ::kill(pid_t(child->processId()), SIGKILL);
            QVERIFY(child->waitForFinished());
            const QByteArray bytes = ReadFile(path());
            if (!QFile::exists(path()))
                continue; // killed before the first write
            const QByteArray value = bytes.mid(7, 100000);
            QVERIFY2(bytes == "[s]\r\nk=" + QByteArray(100000, value[0]) + "\r\n", qPrintable(u"torn file of %1 bytes"_s.arg(bytes.size())));
        }
    }

    void twoWritersLoseNothing()
    {
        std::unique_ptr<QProcess> first(startChild({u"count-up"_s, path(), u"a"_s}));
        std::unique_ptr<QProcess> second(startChild({u"count-up"_s, path(), u"b"_s}));
        for (QProcess *child : {first.get(), second.get()}) {
            QVERIFY(child->waitForFinished(120000));
            QCOMPARE(child->readAllStandardError(), QByteArray());
            QCOMPARE(child->exitCode(), 0);
        }
        QCOMPARE(GetIniString(u"s"_s, u"a"_s, path()), u"300"_s);
        QCOMPARE(GetIniString(u"s"_s, u"b"_s, path()), u"300"_s);
    }
};

// The helper processes of the tests above.
static int childMain(const QStringList &args)
{
    if (args[1] == u"write-as-nobody") { // FILE SECTION KEY VALUE KIND: prints the value of s/k and the problems
        if (::getuid() == 0 && args[6].toInt() != Refused::FileAsRoot && (::setgid(65534) != 0 || ::setuid(65534) != 0))
            return 3;
        const rlimit limit{args[6].toInt() == Refused::Full ? 4 : RLIM_INFINITY, RLIM_INFINITY};
        ::signal(SIGXFSZ, SIG_IGN);
        ::setrlimit(RLIMIT_FSIZE, &limit);
        kestova::IniPrefetch(args[2]).adopt(); // a pipe never holds up a read ahead
        const QString read = GetIniString(u"s"_s, u"k"_s, args[2]);
        PutIniString(args[3], args[4], args[5], args[2]);
        std::printf("%s\n%s\n", qPrintable(read), kestova::TakeUnsavedProblems().join(u'\n').toUtf8().constData());
        return 0;
    }
    if (args[1] == u"keep-writing") {
        for (int i = 0;; ++i)
            PutIniString(u"s"_s, u"k"_s, QString(100000, QChar(u'0' + i % 10)), args[2]);
    }
    if (args[1] == u"count-up") { // each round checks that the other writer kept this one's last value
        for (int i = 1; i <= 300; ++i) {
            const QString last = GetIniString(u"s"_s, args[3], args[2]);
            if (last != (i == 1 ? QString() : QString::number(i - 1))) {
                qWarning("lost value: expected %d, found '%s'", i - 1, qPrintable(last));
                return 1;
            }
            PutIniString(u"s"_s, args[3], QString::number(i), args[2]);
        }
        return 0;
    }
    return -1;
}

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() > 1 && !args[1].startsWith(u'-')) {
        if (const int result = childMain(args); result >= 0)
            return result;
    }
    IniFileTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_inifile.moc"
