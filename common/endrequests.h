#pragma once

class QWidget;

namespace kestova {

// Closes `window` the ordinary way, running its close handlers so that
// nothing is lost, when the program is asked to end from outside: SIGTERM
// (shutdown, `kill`), SIGINT (Ctrl+C in the terminal that started it), SIGHUP
// (that terminal closed) or the end of the desktop session.
void CloseOnEndRequests(QWidget *window);

} // namespace kestova
