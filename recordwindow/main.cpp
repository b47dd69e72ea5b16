// KestovaRecord: the record window "練習の記録" on its own, or
// `KestovaRecord --csv FILE` (or `-` for standard output): every stroke as
// CSV; `KestovaRecord --import FILE`: the strokes of such a CSV added.
#include "csvexport.h"
#include "csvimport.h"
#include "displaysize.h"
#include "platform.h"
#include "recordwindow.h"
#include "recorddatabase.h"
#include "trainermenu.h"

#include <QApplication>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

#include <cerrno>
#include <cstdio>

#include <fcntl.h>
#include <sys/stat.h>

using namespace Qt::StringLiterals;

namespace {

// Like any Unix tool: "-" is standard output; a pipe, a terminal or
// another character device (/dev/stdout, >(gzip), /dev/null) is written as
// a stream and never replaced; a regular file, or none yet, is replaced
// only by a whole export; anything else is refused.
int exportCsv(int &argc, char **argv, const QString &target)
{
    QCoreApplication app(argc, argv);
    const auto said = [](const QString &problem) {
        std::fprintf(stderr, "KestovaRecord: %s\n", problem.toLocal8Bit().constData());
        return 1;
    };
    const auto fail = [&target, &said](const QString &cause) { return said(u"%1 に書き出せません（%2）。"_s.arg(target, cause)); };
    struct stat status {};
    const bool exists = target != u"-" && ::stat(QFile::encodeName(target).constData(), &status) == 0;
    // /dev/stdout and /dev/fd/N lead through /proc to what the shell opened,
    // which may be a file: written where it stands, never replaced.
    bool descriptor = false;
    QString step = target;
    for (int links = 0; links < 40 && !descriptor && !step.isEmpty(); ++links, step = QFileInfo(step).symLinkTarget())
        descriptor = step.startsWith(u"/proc/"_s) || step.startsWith(u"/dev/fd/"_s);
    const bool stream = target == u"-" || descriptor || (exists && (S_ISFIFO(status.st_mode) || S_ISCHR(status.st_mode)));
    if (exists && !stream && !S_ISREG(status.st_mode))
        return fail(S_ISDIR(status.st_mode) ? u"フォルダーです"_s : u"ふつうのファイルではありません"_s);
    kestova::record::OpenedRecord record = kestova::record::OpenRecord(u"export"_s, kestova::record::Use::Reading);
    if (!record.database.isOpen())
        return said(record.problem); // the record is at fault, and named
    QFile streamed;
    QSaveFile file(target);
    QIODevice &out = stream ? static_cast<QIODevice &>(streamed) : file;
    // Appended to, never cut short: what a shell's >> holds stays.
    const int fd = stream && target != u"-" ? ::open(QFile::encodeName(target).constData(), O_WRONLY | O_APPEND | O_CLOEXEC) : -1;
    const bool opened = target == u"-" ? streamed.open(stdout, QIODevice::WriteOnly)
                                       : stream ? fd >= 0 && streamed.open(fd, QIODevice::WriteOnly, QFileDevice::AutoCloseHandle)
                                                : file.open(QIODevice::WriteOnly);
    if (!opened)
        return fail(kestova::record::CauseOfErrno(errno));
    out.setObjectName(target);
    if (const QString problem = kestova::record::WriteCsv(record.database, out); !problem.isEmpty())
        return said(problem);
    if (stream ? !streamed.flush() : !file.commit())
        return fail(kestova::record::CauseOfErrno(errno));
    return 0;
}

// Another machine's record, or an old backup, brought into this one.
int importCsv(int &argc, char **argv, const QString &source)
{
    QCoreApplication app(argc, argv);
    qsizetype added = 0, skipped = 0;
    const QString problem = kestova::record::ImportCsv(source, kestova::record::RecordPath(), &added, &skipped);
    if (!problem.isEmpty()) {
        std::fprintf(stderr, "KestovaRecord: %s\n", problem.toLocal8Bit().constData());
        return 1;
    }
    std::printf("%s\n", u"%1 の打鍵 %2 回を練習の記録に加えました（すでにあった %3 回は飛ばしました）。"_s.arg(source).arg(added).arg(skipped).toLocal8Bit().constData());
    return 0;
}

} // namespace

int main(int argc, char *argv[])
{
    if (argc == 3 && qstrcmp(argv[1], "--csv") == 0)
        return exportCsv(argc, argv, QString::fromLocal8Bit(argv[2]));
    if (argc == 3 && qstrcmp(argv[1], "--import") == 0)
        return importCsv(argc, argv, QString::fromLocal8Bit(argv[2]));
    if (argc > 1) {
        std::fprintf(stderr, "usage: KestovaRecord [--csv FILE|-] [--import FILE]\n");
        return 2;
    }
    kestova::DisplaySizeAtStart display;
    for (;;) {
        display.applyScale();
        QApplication app(argc, argv);
        kestova::StartProgram(u"KestovaRecord"_s, u"練習の記録"_s);
        kestova::record::RecordWindow window;
        window.adjustSize();
        if (display.shrinkToFit(window))
            continue;
        kestova::AddTrainerMenu(&window);
        kestova::ShowCentred(&window);
        display.tellIfShrunk(&window);
        return app.exec();
    }
}
