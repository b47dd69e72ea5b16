#include "platform.h"

#include "noticebar.h"

#include <QApplication>
#include <QFileInfo>
#include <QFont>
#include <QLibraryInfo>
#include <QPointer>
#include <QTranslator>
#include <QScreen>
#include <QStringDecoder>
#include <QWidget>

#include <cstdlib>
#include <cstdio>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace Qt::StringLiterals;

namespace kestova {
namespace {

QString programTitle;

// A notice stops nothing: it neither waits nor takes the focus, so that
// every key goes on to the window it was typed into.
void showRealMessage(const MessageRequest &request)
{
    if (request.notice) {
        ShowNoticeBar(request.text);
        return;
    }
    QMessageBox box(request.icon, request.title, request.text, QMessageBox::Ok);
    box.exec();
}

void endRealProgram()
{
    std::fflush(nullptr);
    std::_Exit(0);
}

// The folder of the running program's file, as bytes.
QByteArray executableFolder()
{
    char path[4096];
    const ssize_t length = ::readlink("/proc/self/exe", path, sizeof path);
    if (length <= 0 || length == sizeof path)
        return NativePath(QCoreApplication::applicationDirPath());
    const QByteArrayView program(path, length);
    return program.first(program.lastIndexOf('/')).toByteArray();
}

// Works before the application object exists, so that start-up can begin
// reading the program's files early.
QString realProgramFolder()
{
    // A program installed on the system keeps nothing beside itself, even
    // when run by an administrator who could write there.
    const QByteArray own = executableFolder();
    if (!own.startsWith("/usr/") && ::access(own.constData(), W_OK) == 0)
        return PathFromNative(own);
    const QByteArray home = qgetenv("HOME");
    QByteArray data = qgetenv("XDG_DATA_HOME");
    if (data.isEmpty() || !data.startsWith('/'))
        data = home + "/.local/share";
    // Each missing folder on the way, private to the user as XDG asks:
    // a new user has no ~/.local yet.
    data += "/Kestova";
    for (qsizetype slash = data.indexOf('/', 1); slash != -1; slash = data.indexOf('/', slash + 1))
        ::mkdir(data.left(slash).constData(), 0700);
    ::mkdir(data.constData(), 0700);
    return PathFromNative(data);
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
    // Qt's own buttons and dialogs in Japanese too (はい, キャンセル), as the
    // rest of the programs speak, whatever the desktop's language.
    static QPointer<QTranslator> qtsOwn;
    if (!qtsOwn) {
        qtsOwn = new QTranslator(QCoreApplication::instance());
        if (qtsOwn->load(u"qtbase_ja"_s, QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
            QCoreApplication::installTranslator(qtsOwn);
    }
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

void ShowNotice(const QString &text)
{
    messageHandler({text, programTitle, QMessageBox::Information, true});
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

void ProvideShippedFile(const QString &name)
{
    const QByteArray target = NativePath(ProgramFolder() + u'/' + name);
    if (::access(target.constData(), F_OK) == 0)
        return;
    QFile shipped(PathFromNative(executableFolder() + "/../share/kestova/") + name);
    if (!shipped.open(QIODevice::ReadOnly))
        return;
    const QByteArray bytes = shipped.readAll();
    // Made exclusively: a file another start made meanwhile stays as it is.
    const int file = ::open(target.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
    if (file < 0)
        return;
    const bool whole = ::write(file, bytes.constData(), size_t(bytes.size())) == bytes.size();
    ::close(file);
    if (!whole)
        ::unlink(target.constData());
}

QByteArray NativePath(const QString &path)
{
    QByteArray bytes;
    bytes.reserve(path.size() * 3);
    for (qsizetype i = 0; i < path.size(); ++i) {
        const char16_t unit = path[i].unicode();
        if (unit >= 0xDC80 && unit <= 0xDCFF && !(i > 0 && path[i - 1].isHighSurrogate())) {
            bytes += char(unit - 0xDC00);
            continue;
        }
        qsizetype length = 1;
        if (path[i].isHighSurrogate() && i + 1 < path.size() && path[i + 1].isLowSurrogate())
            length = 2;
        bytes += QStringView(path).sliced(i, length).toUtf8();
        i += length - 1;
    }
    return bytes;
}

QString PathFromNative(QByteArrayView path)
{
    QString text;
    text.reserve(path.size());
    QStringDecoder strict(QStringConverter::Utf8, QStringConverter::Flag::Stateless | QStringConverter::Flag::ConvertInvalidToNull);
    for (qsizetype i = 0; i < path.size();) {
        const auto lead = static_cast<unsigned char>(path[i]);
        const qsizetype length = lead < 0x80 ? 1 : lead >= 0xC2 && lead < 0xE0 ? 2 : lead >= 0xE0 && lead < 0xF0 ? 3 : lead >= 0xF0 && lead < 0xF5 ? 4 : 0;
        const QString character = length && i + length <= path.size() ? strict(path.sliced(i, length)) : QString();
        if (character.isEmpty() || character.contains(QChar(0)) != (lead == 0) || character.size() > 2) {
            text += QChar(char16_t(0xDC00 + lead)); // not UTF-8: kept as its byte
            ++i;
        } else {
            text += character;
            i += length;
        }
    }
    return text;
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
