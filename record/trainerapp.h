#pragma once

#include "displaysize.h"
#include "endrequests.h"
#include "platform.h"
#include "progresswindow.h"
#include "strokerecorder.h"
#include "trainermenu.h"
#include "typedinput.h"

#include <QApplication>
#include <QDateTime>
#include <QMenu>

#include <functional>

namespace kestova {

// Runs a trainer's one window to its end: the application at the learner's
// display size (made anew at a smaller size if the window would not fit the
// screen, before anything is loaded), the window's load step, every judged
// keystroke kept in the practice record, ends asked for from outside, the
// right-click menu with the progress window; what could not be saved is
// told at the end.
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

        record::StrokeRecorder recorder(name);
        QObject::connect(&recorder, &record::StrokeRecorder::problem, &window, &ShowPlainMessage);
        window.template findChild<TypedInput *>()->watchKeystrokes(
                [&window] { return window.CharacterAskedFor(); },
                [&recorder](const TypedInput::Keystroke &stroke) {
                    record::Stroke kept{QDateTime::currentMSecsSinceEpoch(), stroke.asked, stroke.typed, stroke.asked == stroke.typed};
                    if (stroke.thumb)
                        kept.thumbMs = stroke.thumb->thumbOffsetMs, kept.chord = stroke.thumb->chord;
                    recorder.add(std::move(kept));
                });

        if (load)
            load(window);
        CloseOnEndRequests(&window, [&window, &save, &recorder] {
            if (save)
                save(window);
            recorder.writeNow();
        });
        AddTrainerMenu(&window, [&recorder, &window](QMenu *menu) {
            menu->addAction(u"練習の記録…"_qs, &window, [&recorder] {
                recorder.writeNow(); // this session's strokes too
                auto *progress = new record::ProgressWindow;
                progress->setAttribute(Qt::WA_DeleteOnClose);
                progress->setAttribute(Qt::WA_QuitOnClose, false); // the trainer's close still ends the program
                progress->show();
            });
        });
        ShowCentred(&window);
        display.tellIfShrunk(&window);
        const int result = app.exec();
        recorder.writeNow();
        ReportUnsavedValues();
        return result;
    }
}

} // namespace kestova
