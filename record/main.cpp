// KestovaRecord: the progress window "練習の記録" on its own, or
// `KestovaRecord --csv FILE` (or `-` for standard output): every stroke as CSV.
#include "csvexport.h"
#include "displaysize.h"
#include "platform.h"
#include "progresswindow.h"
#include "recorddatabase.h"
#include "trainermenu.h"

#include <QApplication>
#include <QFile>

#include <cstdio>

namespace {

int exportCsv(int &argc, char **argv, const QString &target)
{
    QCoreApplication app(argc, argv);
    QFile out;
    const bool opened = target == u"-" ? out.open(stdout, QIODevice::WriteOnly) : (out.setFileName(target), out.open(QIODevice::WriteOnly | QIODevice::Truncate));
    QString problem = opened ? QString() : out.errorString();
    if (opened) {
        kestova::record::OpenedRecord record = kestova::record::OpenRecord(u"export"_qs, kestova::record::Use::Reading);
        problem = record.database.isOpen() ? kestova::record::WriteCsv(record.database, out) : record.problem;
        out.close();
        if (problem.isEmpty() && out.error() != QFileDevice::NoError)
            problem = out.errorString();
    }
    if (problem.isEmpty())
        return 0;
    std::fprintf(stderr, "KestovaRecord: %s に書き出せません：%s\n", qPrintable(target), problem.toLocal8Bit().constData());
    return 1;
}

} // namespace

int main(int argc, char *argv[])
{
    if (argc == 3 && qstrcmp(argv[1], "--csv") == 0)
        return exportCsv(argc, argv, QString::fromLocal8Bit(argv[2]));
    if (argc > 1) {
        std::fprintf(stderr, "usage: KestovaRecord [--csv FILE|-]\n");
        return 2;
    }
    kestova::DisplaySizeAtStart display;
    for (;;) {
        display.applyScale();
        QApplication app(argc, argv);
        kestova::StartProgram(u"KestovaRecord"_qs, u"練習の記録"_qs);
        kestova::record::ProgressWindow window;
        window.adjustSize();
        if (display.shrinkToFit(window))
            continue;
        kestova::AddTrainerMenu(&window);
        kestova::ShowCentred(&window);
        display.tellIfShrunk(&window);
        return app.exec();
    }
}
