#pragma once

#include <functional>

class QWidget;

namespace kestova {

// Closes `window` the ordinary way, running its close handlers so that
// nothing is lost, when the program is asked to end from outside: SIGTERM
// (shutdown, `kill`), SIGINT (Ctrl+C in the terminal that started it) or
// SIGHUP (that terminal closed). When the desktop session asks programs to
// save, which it may do in the middle of a session, `save` runs and the
// window stays.
void CloseOnEndRequests(QWidget *window, std::function<void()> save);

// Tells the learner, once, what could not be saved and why: on standard
// error, and in a box after an ordinary close, which an end asked for from
// outside (SIGTERM at logout, SIGHUP, SIGINT) then ends at once.
void ReportUnsavedValues();

} // namespace kestova
