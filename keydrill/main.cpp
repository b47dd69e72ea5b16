#include "frame1.h"
#include "platform.h"

#include <QApplication>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("KestovaB100"));
    kestova::SetProgramTitle(QStringLiteral("KestovaB"));

    keydrill::Frame1 window;
    kestova::ShowCentred(&window);
    return app.exec();
}
