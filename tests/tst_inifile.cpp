#include "codepage.h"
#include "inidocument.h"
#include "inifile.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>

#include <csignal>
#include <sys/stat.h>
#include <unistd.h>

using kestova::ToCp932;

namespace {

QByteArray utf16le(const QString &text)
{
    return "\xFF\xFE" + QByteArray(reinterpret_cast<const char *>(text.utf16()), text.size() * 2);
}

void writeBytes(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(bytes);
}

QByteArray readBytes(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

} // namespace

class IniFileTest : public QObject {
    Q_OBJECT

private slots:
    void init();

    void reads_data();
    void reads();
    void cutsLongValues_data();
    void cutsLongValues();
    void writes_data();
    void writes();

    void readingAMissingFileCreatesNothing();
    void writingCreatesTheFile();
    void unchangedValueLeavesTheFileAlone();
    void lineBreaksInAnArgumentAreNotStored();
    void readOnlyFileIsLeftAsItIs();
    void readOnlyFileAndFolderForAnOrdinaryUser();
    void aLinkIsWrittenThroughAndKept();
    void badFilesReadAsEmptyAndSurviveWrites();
    void cacheSeesAnOutsideEdit();
    void ownWriteIsSeenAtOnce();
    void prefetchedFileIsCheckedBeforeUse();
    void crashDuringWritesNeverTearsTheFile();
    void twoWritersLoseNothing();

private:
    QString path(const QString &name = u"test.ini"_qs) const { return dir->filePath(name); }
    std::unique_ptr<QTemporaryDir> dir;
};

void IniFileTest::init()
{
    dir = std::make_unique<QTemporaryDir>();
    QVERIFY(dir->isValid());
}

void IniFileTest::reads_data()
{
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<QString>("section");
    QTest::addColumn<QString>("key");
    QTest::addColumn<QString>("value");

    auto row = [](const char *name, const QByteArray &file, const QString &section,
                  const QString &key, const QString &value) {
        QTest::newRow(name) << file << section << key << value;
    };
    row("plain", "[s]\r\nk=v\r\n", u"s"_qs, u"k"_qs, u"v"_qs);
    row("names ignore ascii case", "[SeC]\r\nKeY=v\r\n", u"sEc"_qs, u"KEY"_qs, u"v"_qs);
    row("value keeps its case", "[s]\r\nk=VaLue\r\n", u"s"_qs, u"k"_qs, u"VaLue"_qs);
    row("missing section", "[s]\r\nk=v\r\n", u"t"_qs, u"k"_qs, QString());
    row("missing key", "[s]\r\nk=v\r\n", u"s"_qs, u"x"_qs, QString());
    row("first of two keys", "[s]\r\nk=1\r\nK=2\r\n", u"s"_qs, u"k"_qs, u"1"_qs);
    row("only the first of two sections", "[s]\r\na=1\r\n[t]\r\n[S]\r\nb=2\r\n", u"s"_qs, u"b"_qs,
        QString());
    row("lines before any section", "k=v\r\n[s]\r\n", QString(), u"k"_qs, QString());
    row("empty section name", "[]\r\nk=v\r\n", QString(), u"k"_qs, u"v"_qs);
    row("name ends at first bracket", "[s]x]\r\nk=v\r\n", u"s"_qs, u"k"_qs, u"v"_qs);
    row("nothing after the bracket", "[s]k=v\r\n", u"s"_qs, u"k"_qs, QString());
    row("no closing bracket", "[s\r\nk=v", u"s"_qs, u"k"_qs, u"v"_qs);
    row("opening bracket kept", "[[s]\r\nk=v\r\n", u"[s"_qs, u"k"_qs, u"v"_qs);
    row("header trimmed", "  [ s\t]\r\nk=v\r\n", u"s"_qs, u"k"_qs, u"v"_qs);
    row("comment line", "[s]\r\n;k=v\r\n", u"s"_qs, u";k"_qs, QString());
    row("indented comment", "[s]\r\n  ;k=v\r\n", u"s"_qs, u"k"_qs, QString());
    row("semicolon in a value", "[s]\r\nk=v ;x\r\n", u"s"_qs, u"k"_qs, u"v ;x"_qs);
    row("semicolon in a key", "[s]\r\na;b=1\r\n", u"s"_qs, u"a;b"_qs, u"1"_qs);
    row("hash means nothing", "[s]\r\n#k=v\r\n", u"s"_qs, u"#k"_qs, u"v"_qs);
    row("first equals sign splits", "[s]\r\nk=a=b\r\n", u"s"_qs, u"k"_qs, u"a=b"_qs);
    row("empty key", "[s]\r\n=v\r\n", u"s"_qs, QString(), u"v"_qs);
    row("line without equals", "[s]\r\nk\r\n", u"s"_qs, u"k"_qs, QString());
    row("blanks around", "[s]\r\n \tk \t=\t v \v\r\n", u"s"_qs, u"k"_qs, u"v"_qs);
    row("spaces of a name ignored", "[s]\r\nk=v\r\n", u" s "_qs, u" k "_qs, u"v"_qs);
    row("tab of a name counts", "[s]\r\nk=v\r\n", u"s"_qs, u"\tk"_qs, QString());
    row("double quotes", "[s]\r\nk=\"v\"\r\n", u"s"_qs, u"k"_qs, u"v"_qs);
    row("single quotes", "[s]\r\nk='v'\r\n", u"s"_qs, u"k"_qs, u"v"_qs);
    row("quoted blanks kept", "[s]\r\nk=\" v \"\r\n", u"s"_qs, u"k"_qs, u" v "_qs);
    row("mismatched quotes", "[s]\r\nk=\"v'\r\n", u"s"_qs, u"k"_qs, u"\"v'"_qs);
    row("only the outer pair", "[s]\r\nk=\"'v'\"\r\n", u"s"_qs, u"k"_qs, u"'v'"_qs);
    row("lone quote", "[s]\r\nk=\"\r\n", u"s"_qs, u"k"_qs, u"\""_qs);
    row("empty quotes", "[s]\r\nk=\"\"\r\n", u"s"_qs, u"k"_qs, QString());
    row("lf lines", "[s]\nk=v\n", u"s"_qs, u"k"_qs, u"v"_qs);
    row("cr lines", "[s]\rj=w\rk=v\r", u"s"_qs, u"k"_qs, u"v"_qs);
    row("trail bytes like brackets", ToCp932(u"[ゾ表]\r\nソ=ー\r\n"), u"ゾ表"_qs, u"ソ"_qs, u"ー"_qs);
    row("trail byte like a letter", ToCp932(u"[s]\r\nア=1\r\nヂ=2\r\n"), u"s"_qs, u"ヂ"_qs, u"2"_qs);
    row("fullwidth letters not folded", ToCp932(u"[s]\r\nＡ=1\r\n"), u"s"_qs, u"ａ"_qs, QString());
    row("nul ends the value", QByteArray("[s]\r\nk=a\0b\r\n", 12), u"s"_qs, u"k"_qs, u"a"_qs);
    row("nul ends a key", "[s]\r\nk=v\r\n", u"s"_qs, QStringView(u"k\0x", 3).toString(), u"v"_qs);
    row("long key ignores ascii case", "[s]\r\n" + QByteArray(40, 'K') + "=v\r\n", u"s"_qs,
        QString(40, u'k'), u"v"_qs);
    row("lone lead byte in a key", "[s]\r\n\x82=1\r\n", u"s"_qs, u"・"_qs, u"1"_qs);
    row("kana section and key", ToCp932(u"[指１本]\r\n左小指=あ\tい\r\n"), u"指１本"_qs,
        u"左小指"_qs, u"あ\tい"_qs);
    row("utf-16le file", utf16le(u"[指１本]\r\n文字数=かな\r\n"_qs), u"指１本"_qs, u"文字数"_qs,
        u"かな"_qs);
    row("utf-16le text outside the code page", utf16le(u"[s]\r\nk=a😀\r\n"_qs), u"s"_qs, u"k"_qs,
        u"a?"_qs);
    row("utf-8 file with a mark", "\xEF\xBB\xBF" + u"[s]\r\nk=かな\r\n"_qs.toUtf8(), u"s"_qs,
        u"k"_qs, u"かな"_qs);
}

void IniFileTest::reads()
{
    QFETCH(QByteArray, file);
    QFETCH(QString, section);
    QFETCH(QString, key);
    QFETCH(QString, value);
    writeBytes(path(), file);
    QCOMPARE(GetIniString(section, key, path()), value);
    // A file read ahead has its values decoded at once: the same text.
    kestova::IniDocument ahead(file);
    ahead.DecodeValues();
    QCOMPARE(ahead.Value(section, key).value_or(QString()), value);
}

void IniFileTest::cutsLongValues_data()
{
    QTest::addColumn<QString>("stored");
    QTest::addColumn<QString>("read");
    const QString kana = u"か"_qs;
    QTest::newRow("254 bytes whole") << QString(254, u'a') << QString(254, u'a');
    QTest::newRow("300 bytes to 254") << QString(300, u'b') << QString(254, u'b');
    QTest::newRow("127 kana whole") << kana.repeated(127) << kana.repeated(127);
    QTest::newRow("128 kana to 127") << kana.repeated(128) << kana.repeated(127);
    QTest::newRow("never half a kana") << u'a' + kana.repeated(127) << u'a' + kana.repeated(126);
    QStringList list(85, kana);
    QTest::newRow("85 entries with tabs") << list.join(u'\t') << list.join(u'\t');
    QStringList longer(86, kana);
    QTest::newRow("86 entries lose the last") << longer.join(u'\t') << list.join(u'\t');
}

void IniFileTest::cutsLongValues()
{
    QFETCH(QString, stored);
    QFETCH(QString, read);
    writeBytes(path(), "[s]\r\nk=" + ToCp932(stored) + "\r\n");
    QCOMPARE(GetIniString(u"s"_qs, u"k"_qs, path()), read);
}

void IniFileTest::writes_data()
{
    QTest::addColumn<QByteArray>("before");
    QTest::addColumn<QString>("section");
    QTest::addColumn<QString>("key");
    QTest::addColumn<QString>("value");
    QTest::addColumn<QByteArray>("after");

    auto row = [](const char *name, const QByteArray &before, const QString &section,
                  const QString &key, const QString &value, const QByteArray &after) {
        QTest::newRow(name) << before << section << key << value << after;
    };
    row("replace", "[s]\r\nk=old\r\nz=1\r\n", u"s"_qs, u"k"_qs, u"new"_qs,
        "[s]\r\nk=new\r\nz=1\r\n");
    row("key keeps spelling and line end", "[S]\n  Key = old\n", u"s"_qs, u"KEY"_qs, u"new"_qs,
        "[S]\n  Key=new\n");
    row("unended last line gets one", "[s]\r\nk=v", u"s"_qs, u"k"_qs, u"w"_qs, "[s]\r\nk=w\r\n");
    row("only the first duplicate", "[s]\r\nk=1\r\nk=2\r\n", u"s"_qs, u"k"_qs, u"9"_qs,
        "[s]\r\nk=9\r\nk=2\r\n");
    row("new key after the last key", "[s]\r\na=1\r\n;c\r\n\r\n[t]\r\n", u"s"_qs, u"b"_qs,
        u"2"_qs, "[s]\r\na=1\r\nb=2\r\n;c\r\n\r\n[t]\r\n");
    row("new key under a bare header", "[s]\r\n;c\r\n[t]\r\n", u"s"_qs, u"b"_qs, u"2"_qs,
        "[s]\r\nb=2\r\n;c\r\n[t]\r\n");
    row("new key at an unended end", "[s]\r\na=1", u"s"_qs, u"b"_qs, u"2"_qs,
        "[s]\r\na=1\r\nb=2\r\n");
    row("new section at the end", "[s]\r\na=1\r\n", u"t"_qs, u"b"_qs, u"2"_qs,
        "[s]\r\na=1\r\n[t]\r\nb=2\r\n");
    row("new section after an unended line", "[s]\r\na=1", u"t"_qs, u"b"_qs, u"2"_qs,
        "[s]\r\na=1\r\n[t]\r\nb=2\r\n");
    row("empty file", "", u"s"_qs, u"k"_qs, u"v"_qs, "[s]\r\nk=v\r\n");
    row("value as given", "[s]\r\n", u"s"_qs, u"k"_qs, u" v "_qs, "[s]\r\nk= v \r\n");
    row("names lose spaces", "", u" s "_qs, u" k "_qs, u"v"_qs, "[s]\r\nk=v\r\n");
    row("outside the code page", "", u"s"_qs, u"k"_qs, u"a😀b"_qs, "[s]\r\nk=a?b\r\n");
    row("kana in code page 932", "", u"秒数"_qs, u"左小指"_qs, u"12"_qs,
        ToCp932(u"[秒数]\r\n左小指=12\r\n"));
    row("bytes before the first section", QByteArray("\0junk\r\n[s]\r\nk=1\r\n", 17), u"s"_qs,
        u"k"_qs, u"2"_qs, QByteArray("\0junk\r\n[s]\r\nk=2\r\n", 17));
    row("invalid bytes elsewhere kept", "[s]\r\nx=\x80\xFF\x82\r\nk=1\r\n", u"s"_qs, u"k"_qs,
        u"2"_qs, "[s]\r\nx=\x80\xFF\x82\r\nk=2\r\n");
    row("utf-16le stays utf-16le", utf16le(u"[s]\r\nk=1\r\n"_qs), u"s"_qs, u"k"_qs, u"かな"_qs,
        utf16le(u"[s]\r\nk=かな\r\n"_qs));
    row("utf-16le keeps a second mark", utf16le(u"\uFEFF[s"_qs), u"s"_qs, u"k"_qs, u"v"_qs,
        utf16le(u"\uFEFF[s\r\n[s]\r\nk=v\r\n"_qs));
    row("utf-8 stays utf-8", "\xEF\xBB\xBF[s]\r\n", u"s"_qs, u"k"_qs, u"かな"_qs,
        "\xEF\xBB\xBF[s]\r\nk=" + u"かな"_qs.toUtf8() + "\r\n");
}

void IniFileTest::writes()
{
    QFETCH(QByteArray, before);
    QFETCH(QString, section);
    QFETCH(QString, key);
    QFETCH(QString, value);
    QFETCH(QByteArray, after);
    writeBytes(path(), before);
    PutIniString(section, key, value, path());
    QCOMPARE(readBytes(path()), after);
    QCOMPARE(GetIniString(section, key, path()), value.trimmed().replace(u"😀"_qs, u"?"_qs));
}

void IniFileTest::readingAMissingFileCreatesNothing()
{
    QCOMPARE(GetIniString(u"s"_qs, u"k"_qs, path()), QString());
    QVERIFY(!QFile::exists(path()));
    QCOMPARE(QDir(dir->path()).entryList(QDir::NoDotAndDotDot | QDir::AllEntries), QStringList());
}

void IniFileTest::writingCreatesTheFile()
{
    PutIniString(u"指１本"_qs, u"文字数"_qs, u"6"_qs, path());
    QCOMPARE(readBytes(path()), ToCp932(u"[指１本]\r\n文字数=6\r\n"));
    QCOMPARE(GetIniString(u"指１本"_qs, u"文字数"_qs, path()), u"6"_qs);
    QCOMPARE(QDir(dir->path()).entryList(QDir::NoDotAndDotDot | QDir::AllEntries | QDir::Hidden),
             QStringList{u"test.ini"_qs});
}

void IniFileTest::unchangedValueLeavesTheFileAlone()
{
    writeBytes(path(), "[s]\r\nk=v\r\n");
    struct stat before{};
    QCOMPARE(::stat(QFile::encodeName(path()).constData(), &before), 0);
    PutIniString(u"s"_qs, u"K"_qs, u"v"_qs, path());
    struct stat after{};
    QCOMPARE(::stat(QFile::encodeName(path()).constData(), &after), 0);
    QCOMPARE(after.st_ino, before.st_ino);
    QCOMPARE(after.st_mtim.tv_nsec, before.st_mtim.tv_nsec);
}

void IniFileTest::lineBreaksInAnArgumentAreNotStored()
{
    writeBytes(path(), "[s]\r\nk=v\r\n");
    PutIniString(u"s"_qs, u"k"_qs, u"x\r\n[evil]\r\ny=1"_qs, path());
    PutIniString(u"s\nt"_qs, u"k"_qs, u"w"_qs, path());
    PutIniString(u"s"_qs, u"k\r"_qs, u"w"_qs, path());
    QCOMPARE(readBytes(path()), QByteArray("[s]\r\nk=v\r\n"));
}

void IniFileTest::readOnlyFileIsLeftAsItIs()
{
    writeBytes(path(), "[s]\r\nk=v\r\n");
    QFile::setPermissions(path(), QFile::ReadOwner | QFile::ReadGroup | QFile::ReadOther);
    PutIniString(u"s"_qs, u"k"_qs, u"w"_qs, path());
    PutIniString(u"t"_qs, u"k"_qs, u"w"_qs, path());
    QCOMPARE(readBytes(path()), QByteArray("[s]\r\nk=v\r\n"));
    QCOMPARE(QFile::permissions(path()) & (QFile::WriteOwner | QFile::WriteGroup | QFile::WriteOther),
             QFile::Permissions());
}

void IniFileTest::readOnlyFileAndFolderForAnOrdinaryUser()
{
    // Root may write anything, so the writer runs as an ordinary user.
    const QString readOnlyFile = path(u"ro.ini"_qs);
    const QString lockedFolder = dir->filePath(u"locked"_qs);
    const QString inLockedFolder = lockedFolder + u"/in.ini"_qs;
    QVERIFY(QDir().mkdir(lockedFolder));
    writeBytes(readOnlyFile, "[s]\r\nk=v\r\n");
    writeBytes(inLockedFolder, "[s]\r\nk=v\r\n");
    ::chmod(QFile::encodeName(dir->path()).constData(), 0777);
    ::chmod(QFile::encodeName(readOnlyFile).constData(), 0444);
    ::chmod(QFile::encodeName(inLockedFolder).constData(), 0666);
    ::chmod(QFile::encodeName(lockedFolder).constData(), 0555);

    QProcess child;
    child.start(QCoreApplication::applicationFilePath(),
                {u"write-as-nobody"_qs, readOnlyFile, inLockedFolder, path(u"new.ini"_qs)});
    QVERIFY(child.waitForFinished(30000));
    QCOMPARE(child.exitCode(), 0);
    QCOMPARE(readBytes(readOnlyFile), QByteArray("[s]\r\nk=v\r\n"));
    QCOMPARE(readBytes(inLockedFolder), QByteArray("[s]\r\nk=v\r\n"));
    QCOMPARE(QDir(lockedFolder).entryList(QDir::NoDotAndDotDot | QDir::AllEntries | QDir::Hidden),
             QStringList{u"in.ini"_qs});
    // The same user may still create a file where the folder allows it.
    QCOMPARE(readBytes(path(u"new.ini"_qs)), QByteArray("[s]\r\nk=w\r\n"));
    ::chmod(QFile::encodeName(lockedFolder).constData(), 0755);
}

void IniFileTest::aLinkIsWrittenThroughAndKept()
{
    writeBytes(path(u"real.ini"_qs), "[s]\r\nk=v\r\n");
    QVERIFY(QFile::link(path(u"real.ini"_qs), path(u"link.ini"_qs)));
    PutIniString(u"s"_qs, u"k"_qs, u"w"_qs, path(u"link.ini"_qs));
    QVERIFY(QFileInfo(path(u"link.ini"_qs)).isSymLink());
    QCOMPARE(readBytes(path(u"real.ini"_qs)), QByteArray("[s]\r\nk=w\r\n"));
}

void IniFileTest::badFilesReadAsEmptyAndSurviveWrites()
{
    // A folder where the file should be.
    QVERIFY(QDir().mkdir(path(u"folder.ini"_qs)));
    QCOMPARE(GetIniString(u"s"_qs, u"k"_qs, path(u"folder.ini"_qs)), QString());
    PutIniString(u"s"_qs, u"k"_qs, u"v"_qs, path(u"folder.ini"_qs));
    QVERIFY(QFileInfo(path(u"folder.ini"_qs)).isDir());

    // A link to nowhere.
    QVERIFY(QFile::link(path(u"nowhere"_qs), path(u"dangling.ini"_qs)));
    QCOMPARE(GetIniString(u"s"_qs, u"k"_qs, path(u"dangling.ini"_qs)), QString());
    PutIniString(u"s"_qs, u"k"_qs, u"v"_qs, path(u"dangling.ini"_qs));
    QVERIFY(!QFile::exists(path(u"nowhere"_qs)));

    // 10 MB on one line, and bytes that are no text at all.
    const QByteArray huge = "[s]\r\nk=" + QByteArray(10 * 1024 * 1024, 'x');
    writeBytes(path(u"huge.ini"_qs), huge);
    QCOMPARE(GetIniString(u"s"_qs, u"k"_qs, path(u"huge.ini"_qs)), QString(254, u'x'));
    PutIniString(u"s"_qs, u"j"_qs, u"1"_qs, path(u"huge.ini"_qs));
    QCOMPARE(readBytes(path(u"huge.ini"_qs)), huge + "\r\nj=1\r\n");

    QByteArray noise(4096, Qt::Uninitialized);
    QRandomGenerator generator(7);
    for (char &byte : noise)
        byte = char(generator.bounded(256));
    writeBytes(path(u"noise.ini"_qs), noise);
    GetIniString(u"s"_qs, u"k"_qs, path(u"noise.ini"_qs));
    PutIniString(u"s"_qs, u"k"_qs, u"v"_qs, path(u"noise.ini"_qs));
    QVERIFY(readBytes(path(u"noise.ini"_qs)).startsWith(noise));
    QCOMPARE(GetIniString(u"s"_qs, u"k"_qs, path(u"noise.ini"_qs)), u"v"_qs);
}

void IniFileTest::cacheSeesAnOutsideEdit()
{
    // Reads within a millisecond of each other share one look at the file;
    // an outside edit a moment later is seen by the next read.
    const auto editLater = [this](const QByteArray &bytes) {
        QThread::msleep(20);
        writeBytes(path(), bytes);
    };
    writeBytes(path(), "[s]\r\nk=1\r\n");
    QCOMPARE(GetIniString(u"s"_qs, u"k"_qs, path()), u"1"_qs);
    editLater("[s]\r\nk=2\r\n"); // same size, same inode: only the time tells
    QCOMPARE(GetIniString(u"s"_qs, u"k"_qs, path()), u"2"_qs);
    editLater("[s]\r\nk=33\r\n");
    QCOMPARE(GetIniString(u"s"_qs, u"k"_qs, path()), u"33"_qs);
    QThread::msleep(20);
    QFile::remove(path());
    QCOMPARE(GetIniString(u"s"_qs, u"k"_qs, path()), QString());
}

void IniFileTest::ownWriteIsSeenAtOnce()
{
    writeBytes(path(), "[s]\r\nk=1\r\n");
    QCOMPARE(GetIniString(u"s"_qs, u"k"_qs, path()), u"1"_qs);
    PutIniString(u"s"_qs, u"k"_qs, u"2"_qs, path());
    QCOMPARE(GetIniString(u"s"_qs, u"k"_qs, path()), u"2"_qs);
}

void IniFileTest::prefetchedFileIsCheckedBeforeUse()
{
    writeBytes(path(u"early.ini"_qs), "[s]\r\nk=1\r\n");
    writeBytes(path(u"edited.ini"_qs), "[s]\r\nk=1\r\n");
    {
        kestova::IniPrefetch early(path(u"early.ini"_qs));
        kestova::IniPrefetch edited(path(u"edited.ini"_qs));
        kestova::IniPrefetch missing(path(u"later.ini"_qs));
        early.Adopt();
        edited.Adopt();
        missing.Adopt();
    }
    QCOMPARE(GetIniString(u"s"_qs, u"k"_qs, path(u"early.ini"_qs)), u"1"_qs);
    // Edited after it was read in advance, missing then created: the reads
    // see the files as they are.
    QThread::msleep(2);
    writeBytes(path(u"edited.ini"_qs), "[s]\r\nk=22\r\n");
    writeBytes(path(u"later.ini"_qs), "[s]\r\nk=3\r\n");
    QCOMPARE(GetIniString(u"s"_qs, u"k"_qs, path(u"edited.ini"_qs)), u"22"_qs);
    QCOMPARE(GetIniString(u"s"_qs, u"k"_qs, path(u"later.ini"_qs)), u"3"_qs);
}

void IniFileTest::crashDuringWritesNeverTearsTheFile()
{
    QRandomGenerator random(11);
    for (int round = 0; round < 25; ++round) {
        QProcess child;
        child.start(QCoreApplication::applicationFilePath(), {u"keep-writing"_qs, path()});
        QVERIFY(child.waitForStarted());
        QThread::msleep(5 + random.bounded(60));
        ::kill(pid_t(child.processId()), SIGKILL);
        QVERIFY(child.waitForFinished());
        const QByteArray bytes = readBytes(path());
        if (bytes.isEmpty() && !QFile::exists(path()))
            continue; // killed before the first write
        QVERIFY2(bytes.size() == 5 + 2 + 100000 + 2 && bytes.startsWith("[s]\r\nk=")
                         && bytes.endsWith("\r\n"),
                 qPrintable(u"torn file of %1 bytes"_qs.arg(bytes.size())));
        const QByteArray value = bytes.mid(7, 100000);
        QCOMPARE(value, QByteArray(100000, value[0]));
    }
}

void IniFileTest::twoWritersLoseNothing()
{
    QProcess first, second;
    first.start(QCoreApplication::applicationFilePath(), {u"count-up"_qs, path(), u"a"_qs});
    second.start(QCoreApplication::applicationFilePath(), {u"count-up"_qs, path(), u"b"_qs});
    QVERIFY(first.waitForFinished(120000));
    QVERIFY(second.waitForFinished(120000));
    QCOMPARE(first.readAllStandardError(), QByteArray());
    QCOMPARE(second.readAllStandardError(), QByteArray());
    QCOMPARE(first.exitCode(), 0);
    QCOMPARE(second.exitCode(), 0);
    QCOMPARE(GetIniString(u"s"_qs, u"a"_qs, path()), u"300"_qs);
    QCOMPARE(GetIniString(u"s"_qs, u"b"_qs, path()), u"300"_qs);
}

// Child processes of the tests above.
static int childMain(const QStringList &args)
{
    const QString command = args.value(1);
    if (command == u"write-as-nobody") {
        if (::getuid() == 0 && (::setgid(65534) != 0 || ::setuid(65534) != 0))
            return 3;
        PutIniString(u"s"_qs, u"k"_qs, u"w"_qs, args[2]);
        PutIniString(u"s"_qs, u"k"_qs, u"w"_qs, args[3]);
        PutIniString(u"s"_qs, u"k"_qs, u"w"_qs, args[4]);
        return 0;
    }
    if (command == u"keep-writing") {
        for (int i = 0;; ++i)
            PutIniString(u"s"_qs, u"k"_qs, QString(100000, QChar(u'0' + i % 10)), args[2]);
    }
    if (command == u"count-up") {
        // Each round checks that the other writer kept this writer's last value.
        for (int i = 1; i <= 300; ++i) {
            const QString last = GetIniString(u"s"_qs, args[3], args[2]);
            if (last != (i == 1 ? QString() : QString::number(i - 1))) {
                qWarning("lost value: expected %d, found '%s'", i - 1, qPrintable(last));
                return 1;
            }
            PutIniString(u"s"_qs, args[3], QString::number(i), args[2]);
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
        const int result = childMain(args);
        if (result >= 0)
            return result;
    }
    IniFileTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_inifile.moc"
