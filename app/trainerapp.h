#pragma once

#include "displaysize.h"
#include "endrequests.h"
#include "platform.h"
#include "practicerecording.h"
#include "programs.h"
#include "trainermenu.h"

#include <QApplication>
#include <QMenu>

#include <functional>


namespace kestova {

// Runs a trainer's one window to its end: the application at the learner's
// display size (made anew at a smaller size if the window would not fit the
// screen, before anything is loaded), the window's load step, its judged
// keystrokes kept in the practice record, ends asked for from outside, the
// right-click menu with the record window and what the window adds to it
// (addToMenu); what could not be saved is told at the end.
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

        PracticeRecording recording(name, window.judgements, &window);
        if (load)
            load(window);
        CloseOnEndRequests(&window, [&window, &save, &recording] {
            if (save)
                save(window);
            recording.writeNow();
        });
        AddTrainerMenu(&window, [&recording, &window](QMenu *menu) {
            if constexpr (requires { window.addToMenu(menu); })
                window.addToMenu(menu);
            recording.writeNow(); // this session's strokes counted today
            menu->addAction(RecordWindowEntry(), &window, [&recording] {
                recording.writeNow(); // this session's strokes too
                OpenRecordWindow();
            });
        });
        ShowCentred(&window);
        display.tellIfShrunk(&window);
        TellRefusedThumbKeys(&window);
        const int result = app.exec();
        recording.finish();
        ReportUnsavedValues();
        return result;
    }
}

} // namespace kestova
