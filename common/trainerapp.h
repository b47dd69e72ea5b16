#pragma once

#include "displaysize.h"
#include "endrequests.h"
#include "platform.h"
#include "trainermenu.h"

#include <QApplication>

#include <functional>

namespace kestova {

// Runs a trainer's one window to its end: the application at the learner's
// display size (made anew at a smaller size if the window would not fit the
// screen, before anything is loaded), the window's load step, ends asked for
// from outside, the right-click menu; what could not be saved is told at the end.
template <typename Window>
int RunTrainer(int &argc, char **argv, const QString &name, const QString &title,
               const std::function<void(Window &)> &load, const std::function<void(Window &)> &save)
{
    DisplaySizeAtStart display;
    for (;;) {
        display.applyScale();
        QApplication app(argc, argv);
        StartProgram(name, title);
        Window window;
        if (display.shrinkToFit(window))
            continue;
        if (load)
            load(window);
        CloseOnEndRequests(&window, [&window, &save] {
            if (save)
                save(window);
        });
        AddTrainerMenu(&window);
        ShowCentred(&window);
        display.tellIfShrunk(&window);
        const int result = app.exec();
        ReportUnsavedValues();
        return result;
    }
}

} // namespace kestova
