#include "trainermenu.h"

#include "thumbshiftdialog.h"
#include "usersettings.h"

#include <QMenu>
#include <QWidget>

namespace kestova {

QMenu *TrainerMenu(QWidget *window)
{
    auto *menu = new QMenu(window);
    menu->addAction(u"親指シフトの設定…"_qs, window, [window] {
        ThumbShiftDialog dialog(LoadThumbShiftSettings(), window);
        if (dialog.exec() == QDialog::Accepted)
            SaveThumbShiftSettings(dialog.chosen());
    });
    return menu;
}

void AddTrainerMenu(QWidget *window)
{
    window->setContextMenuPolicy(Qt::CustomContextMenu);
    QObject::connect(window, &QWidget::customContextMenuRequested, window, [window](const QPoint &at) {
        QMenu *menu = TrainerMenu(window);
        menu->setAttribute(Qt::WA_DeleteOnClose);
        menu->popup(window->mapToGlobal(at));
    });
}

} // namespace kestova
