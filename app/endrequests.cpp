#include "endrequests.h"

#include "inifile.h"
#include "platform.h"

#include <QGuiApplication>
#include <QSocketNotifier>
#include <QWidget>

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <fcntl.h>
#include <unistd.h>

using namespace Qt::StringLiterals;

namespace kestova {
namespace {

int signalPipe[2] = {-1, -1};
bool askedFromOutside = false;
// Once the window is gone and all is kept that can be, nothing is left to
// close: an end asked for then (logout under a last message box) ends it.
volatile std::sig_atomic_t endAtOnce = 0;

// Only async-signal-safe work here: the event loop picks the byte up.
void onEndSignal(int)
{
    if (endAtOnce)
        ::_exit(0);
    const int error = errno;
    const char byte = 1;
    [[maybe_unused]] const ssize_t written = ::write(signalPipe[1], &byte, 1);
    errno = error;
}

// Quitting as well ends a message box that may be open over the window,
// which would otherwise keep the program waiting for a click.
void closeAndQuit(QWidget *window)
{
    askedFromOutside = true;
    window->close();
    QCoreApplication::quit();
}

} // namespace

void CloseOnEndRequests(QWidget *window, std::function<void()> save)
{
    // The window is the context of both connections: they end with it.
    if (signalPipe[0] < 0 && ::pipe2(signalPipe, O_CLOEXEC | O_NONBLOCK) == 0) {
        struct sigaction action = {};
        action.sa_handler = onEndSignal;
        sigemptyset(&action.sa_mask);
        action.sa_flags = SA_RESTART;
        for (int signal : {SIGTERM, SIGINT, SIGHUP})
            sigaction(signal, &action, nullptr);
    }
    if (signalPipe[0] >= 0) {
        auto *notifier = new QSocketNotifier(signalPipe[0], QSocketNotifier::Read, window);
        QObject::connect(notifier, &QSocketNotifier::activated, window, [window] {
            char bytes[16];
            while (::read(signalPipe[0], bytes, sizeof bytes) > 0) {
            }
            closeAndQuit(window);
        });
    }
    QObject::connect(qApp, &QGuiApplication::commitDataRequest, window, [save = std::move(save)] {
        askedFromOutside = true;
        save();
        ReportUnsavedValues();
        askedFromOutside = false;
    });
}

void ReportUnsavedValues()
{
    const QStringList problems = TakeUnsavedProblems();
    if (problems.isEmpty())
        return;
    const QString text = u"保存できなかったものがあります。\n\n"_s + problems.join(u'\n');
    std::fprintf(stderr, "%s: %s\n", qPrintable(QCoreApplication::applicationName()), text.toLocal8Bit().constData());
    if (!askedFromOutside) {
        endAtOnce = 1;
        ShowPlainMessage(text);
    }
}

} // namespace kestova
