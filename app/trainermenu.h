#pragma once

#include <functional>

class QMenu;
class QWidget;

namespace kestova {

// The right-click menu of a trainer's window, for what is not part of the
// trainer itself: "親指シフトの設定…" and "表示の大きさ".
// `addMore` puts in what the program has besides.
void AddTrainerMenu(QWidget *window, std::function<void(QMenu *)> addMore = {});

// Tells the learner, now and whenever the layout or the settings change,
// which thumb keys cannot be used with the keyboard layout as it is, and
// where to choose others.
void TellRefusedThumbKeys(QWidget *window);

// The menu as it opens over `window`; the caller shows it.
QMenu *TrainerMenu(QWidget *window, const std::function<void(QMenu *)> &addMore = {});

} // namespace kestova
