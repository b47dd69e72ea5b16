#pragma once

class QMenu;
class QWidget;

namespace kestova {

// The right-click menu of a trainer's window, for what is not part of the
// trainer itself: "親指シフトの設定…" and "表示の大きさ".
void AddTrainerMenu(QWidget *window);

// The menu as it opens over `window`; the caller shows it.
QMenu *TrainerMenu(QWidget *window);

} // namespace kestova
