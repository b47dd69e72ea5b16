#include "platform.h"

#include <QApplication>
#include <QScreen>
#include <QWidget>

#include <cstdlib>
#include <cstdio>

namespace kestova {
namespace {

QString programTitle;

void showRealMessage(const MessageRequest &request)
{
    QMessageBox box(request.icon, request.title, request.text, QMessageBox::Ok);
    box.exec();
}

void endRealProgram()
{
    std::fflush(nullptr);
    std::_Exit(0);
}

QString realProgramFolder()
{
    return QCoreApplication::applicationDirPath();
}

MessageHandler messageHandler = showRealMessage;
EndHandler endHandler = endRealProgram;
FolderHandler folderHandler = realProgramFolder;

} // namespace

void SetProgramTitle(const QString &title)
{
    programTitle = title;
}

QString ProgramTitle()
{
    return programTitle;
}

void ShowPlainMessage(const QString &text)
{
    messageHandler({text, programTitle, QMessageBox::NoIcon});
}

void ShowMessage(const QString &text, const QString &title, QMessageBox::Icon icon)
{
    messageHandler({text, title, icon});
}

void EndProgramNow()
{
    endHandler();
    // A replacement that returns would let the caller run on as if nothing happened.
    std::abort();
}

QString ProgramFolder()
{
    return folderHandler();
}

void ShowCentred(QWidget *window)
{
    const QRect available = window->screen()->availableGeometry();
    window->move(available.center() - window->rect().center());
    window->show();
}

MessageHandler SetMessageHandler(MessageHandler handler)
{
    return std::exchange(messageHandler, handler);
}

EndHandler SetEndHandler(EndHandler handler)
{
    return std::exchange(endHandler, handler);
}

FolderHandler SetFolderHandler(FolderHandler handler)
{
    return std::exchange(folderHandler, handler);
}

} // namespace kestova
