#include "endrequests.h"
#include "form1.h"
#include "inifile.h"
#include "platform.h"
#include "trainermenu.h"

#include <QApplication>

int main(int argc, char *argv[])
{
    // A long word list is parsed while Qt starts up.
    kestova::IniPrefetch wordList(kestova::ProgramFolder() + QStringLiteral("/text.ini"));
    QApplication app(argc, argv);
    kestova::StartProgram(QStringLiteral("KestovaC100"), QStringLiteral("KestovaC"));

    wordtype::Form1 window;
    wordList.Adopt();
    window.Form_Load();
    QObject::connect(&app, &QCoreApplication::aboutToQuit, &window, &wordtype::Form1::Form_Terminate);
    kestova::CloseOnEndRequests(&window, [&window] { window.Form_Terminate(); });
    kestova::AddTrainerMenu(&window);
    kestova::ShowCentred(&window);
    const int result = app.exec();
    kestova::ReportUnsavedValues();
    return result;
}
