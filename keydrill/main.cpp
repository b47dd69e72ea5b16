#include "frame1.h"
#include "platform.h"
#include "trainermenu.h"

#include <QApplication>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    kestova::StartProgram(QStringLiteral("KestovaB100"), QStringLiteral("KestovaB"));

    keydrill::Frame1 window;
    kestova::AddTrainerMenu(&window);
    kestova::ShowCentred(&window);
    return app.exec();
}
