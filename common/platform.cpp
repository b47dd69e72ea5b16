#include "platform.h"

#include <QApplication>
#include <QFileInfo>
#include <QFont>
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

// Works before the application object exists, so that start-up can begin
// reading the program's files early.
QString realProgramFolder()
{
    const QString folder = QFileInfo(QStringLiteral("/proc/self/exe")).canonicalPath();
    return folder.isEmpty() ? QCoreApplication::applicationDirPath() : folder;
}

MessageHandler messageHandler = showRealMessage;
EndHandler endHandler = endRealProgram;
FolderHandler folderHandler = realProgramFolder;

} // namespace

void StartProgram(const QString &name, const QString &title)
{
    QCoreApplication::setApplicationName(name);
    SetProgramTitle(title);
    // A proportional Japanese gothic at 9 points: kana take the width the
    // layouts were drawn for, where a Latin default would fall back glyph by
    // glyph to a wider face. Where it is missing fontconfig picks the nearest.
    QFont font(QStringLiteral("IPAPGothic"), 9);
    font.setStyleHint(QFont::SansSerif);
    QApplication::setFont(font);
}

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
