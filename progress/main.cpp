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
#include <QSaveFile>

#include <cstdio>

namespace {

int exportCsv(int &argc, char **argv, const QString &target)
{
    QCoreApplication app(argc, argv);
    const auto fail = [](const QString &problem) {
        std::fprintf(stderr, "KestovaRecord: %s\n", problem.toLocal8Bit().constData());
        return 1;
    };
    kestova::record::OpenedRecord record = kestova::record::OpenRecord(u"export"_qs, kestova::record::Use::Reading);
    if (!record.database.isOpen())
        return fail(record.problem);
    // A file is replaced only by a whole export: a failed one leaves it as it was.
    QFile console;
    QSaveFile file(target);
    QIODevice &out = target == u"-" ? static_cast<QIODevice &>(console) : file;
    if (!(target == u"-" ? console.open(stdout, QIODevice::WriteOnly) : file.open(QIODevice::WriteOnly)))
        return fail(u"%1 に書き出せません：%2"_qs.arg(target, out.errorString()));
    if (const QString problem = kestova::record::WriteCsv(record.database, out); !problem.isEmpty())
        return fail(u"%1 に書き出せません：%2"_qs.arg(target, problem));
    if (target == u"-" ? !console.flush() : !file.commit())
        return fail(u"%1 に書き出せません：%2"_qs.arg(target, out.errorString()));
    return 0;
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
