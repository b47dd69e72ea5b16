#include "endrequests.h"

#include <QGuiApplication>
#include <QSocketNotifier>
#include <QWidget>

#include <csignal>
#include <fcntl.h>
#include <unistd.h>

namespace kestova {
namespace {

int signalPipe[2] = {-1, -1};

// Only async-signal-safe work here: the event loop picks the byte up.
void onEndSignal(int)
{
    const char byte = 1;
    [[maybe_unused]] const ssize_t written = ::write(signalPipe[1], &byte, 1);
}

// Quitting as well ends a message box that may be open over the window,
// which would otherwise keep the program waiting for a click.
void closeAndQuit(QWidget *window)
{
    window->close();
    QCoreApplication::quit();
}

} // namespace

void CloseOnEndRequests(QWidget *window)
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
    QObject::connect(qApp, &QGuiApplication::commitDataRequest, window,
                     [window] { closeAndQuit(window); });
}

} // namespace kestova
