#include "endrequests.h"
#include "form1.h"
#include "platform.h"
#include "trainermenu.h"

#include <QApplication>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    kestova::StartProgram(QStringLiteral("Kestova100"), QStringLiteral("Kestova"));

    fingerdrill::Form1 window;
    window.Form_Load();
    kestova::CloseOnEndRequests(&window, [&window] { window.Form_Unload(); });
    kestova::AddTrainerMenu(&window);
    kestova::ShowCentred(&window);
    const int result = app.exec();
    kestova::ReportUnsavedValues();
    return result;
}
