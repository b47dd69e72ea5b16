#pragma once

#include <QString>

namespace kestova {

// A notice shown inside the program's window, as a bar along its bottom
// edge: it covers none of the practice above it, takes neither the focus
// nor a key, and goes with a click on it or with Esc. Notices that come
// while one is shown join it; one that comes before any window is shown
// waits for the window. Each is also written to standard error, where a
// program started from a terminal leaves its story.
void ShowNoticeBar(const QString &text);

} // namespace kestova
