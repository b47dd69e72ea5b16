#include "trainermenu.h"

#include "displaysize.h"
#include "platform.h"
#include "thumbshiftdialog.h"
#include "usersettings.h"

#include <QActionGroup>
#include <QMenu>
#include <QWidget>

using namespace Qt::StringLiterals;

namespace kestova {

void TellRefusedThumbKeys(QWidget *window)
{
    const auto tell = [](const QString &refusal) {
        if (!refusal.isEmpty())
            ShowNotice(refusal + u"\n右クリックの「親指シフトの設定…」でほかのキーを選べます。"_s);
    };
    tell(UserSettingsChanges::instance().refusal());
    QObject::connect(&UserSettingsChanges::instance(), &UserSettingsChanges::refusalChanged, window, tell);
}

QMenu *TrainerMenu(QWidget *window, const std::function<void(QMenu *)> &addMore)
{
    auto *menu = new QMenu(window);
    if (addMore)
        addMore(menu);
    menu->addAction(u"親指シフトの設定…"_s, window, [window] {
        ThumbShiftDialog dialog(LoadThumbShiftSettings(), window);
        if (dialog.exec() == QDialog::Accepted)
            SaveThumbShiftSettings(dialog.chosen());
    });
    // The size applies from the next start: a window built for one scale
    // factor cannot take another.
    QMenu *sizes = menu->addMenu(u"表示の大きさ（次の起動から）"_s);
    auto *choices = new QActionGroup(sizes);
    for (int size : DisplaySizes) {
        QAction *choice = sizes->addAction(u"%1 %"_s.arg(size), [size] { SaveDisplaySize(size); });
        choice->setCheckable(true);
        choice->setChecked(size == LoadDisplaySize());
        choices->addAction(choice);
    }
    return menu;
}

void AddTrainerMenu(QWidget *window, std::function<void(QMenu *)> addMore)
{
    window->setContextMenuPolicy(Qt::CustomContextMenu);
    QObject::connect(window, &QWidget::customContextMenuRequested, window, [window, addMore](const QPoint &at) {
        QMenu *menu = TrainerMenu(window, addMore);
        menu->setAttribute(Qt::WA_DeleteOnClose);
        menu->popup(window->mapToGlobal(at));
    });
}

} // namespace kestova
