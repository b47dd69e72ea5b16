#pragma once

#include <QMessageBox>
#include <QString>

class QWidget;

namespace kestova {

// What every trainer's main() does before it makes its window: names the
// program (error sources), sets the title that plain message boxes carry
// ("KestovaB" and so on) and the default font of its windows.
void StartProgram(const QString &name, const QString &title);

// The program's title; tests set it without the rest of StartProgram.
void SetProgramTitle(const QString &title);
QString ProgramTitle();

// A plain message box: the text, OK only, no icon, the program's title.
void ShowPlainMessage(const QString &text);

// The same, told while practice goes on: the box neither waits for OK nor
// takes the focus.
void ShowNotice(const QString &text);

// A message box with an explicit title and icon, OK only.
void ShowMessage(const QString &text, const QString &title, QMessageBox::Icon icon);

// Ends the process at once: no close, unload or terminate handler runs and
// nothing is saved.
[[noreturn]] void EndProgramNow();

// The folder that holds the program's files: its own folder where it may
// write there (a build, a portable install), else, and for a program
// installed on the system under /usr, the user's data folder
// ${XDG_DATA_HOME:-~/.local/share}/Kestova, made if missing. Callable
// before QApplication.
QString ProgramFolder();

// Puts the shipped file `name` (from share/kestova beside the program's
// bin folder) into ProgramFolder() where none is there yet, so that an
// installed trainer starts with its lists; a file of the user's is never
// replaced.
void ProvideShippedFile(const QString &name);

// File names as the system has them, bytes, and as text, without loss: a
// byte that is no UTF-8 becomes a lone surrogate U+DC80..U+DCFF and back, so
// that a folder whose name is not UTF-8 works like any other.
QByteArray NativePath(const QString &path);
QString PathFromNative(QByteArrayView path);

// Opens a window centred on its screen, as the trainers' windows open.
void ShowCentred(QWidget *window);

// Seams for tests. Each setter returns the handler it replaced so a test can
// put it back. A replaced end-of-program handler must not return: throw.
struct MessageRequest {
    QString text;
    QString title;
    QMessageBox::Icon icon;
    bool notice = false; // shown without stopping anything
};
using MessageHandler = void (*)(const MessageRequest &);
using EndHandler = void (*)();
using FolderHandler = QString (*)();

MessageHandler SetMessageHandler(MessageHandler handler);
EndHandler SetEndHandler(EndHandler handler);
FolderHandler SetFolderHandler(FolderHandler handler);

} // namespace kestova
