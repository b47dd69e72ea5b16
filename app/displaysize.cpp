#include "displaysize.h"

#include "platform.h"
#include "usersettings.h"

#include <QScreen>
#include <QSettings>
#include <QTimer>
#include <QLayout>
#include <QWidget>

#include <algorithm>

using namespace Qt::StringLiterals;

namespace kestova {

int LoadDisplaySize()
{
    const int saved = OpenUserSettings()->value(u"displaySize"_s).toInt();
    return std::find(DisplaySizes.begin(), DisplaySizes.end(), saved) != DisplaySizes.end() ? saved : 100;
}

void SaveDisplaySize(int percent)
{
    OpenUserSettings()->setValue(u"displaySize"_s, percent);
}

DisplaySizeAtStart::DisplaySizeAtStart()
    : desktopFactor(qEnvironmentVariableIsSet("QT_SCALE_FACTOR") ? qEnvironmentVariable("QT_SCALE_FACTOR").toDouble() : 1.0),
      chosen(LoadDisplaySize()), percent(chosen)
{
    if (desktopFactor <= 0)
        desktopFactor = 1.0;
}

void DisplaySizeAtStart::applyScale() const
{
    qputenv("QT_SCALE_FACTOR", QByteArray::number(desktopFactor * percent / 100));
}

bool DisplaySizeAtStart::shrinkToFit(QWidget &window)
{
    // Measured as it will be shown: a window laid out by a layout has its
    // size only once the layout is done.
    window.ensurePolished();
    if (window.layout())
        window.layout()->activate();
    const QSize room = window.screen()->availableGeometry().size();
    const QSize wanted = window.size().expandedTo(window.layout() ? window.sizeHint() : QSize());
    if (wanted.width() <= room.width() && wanted.height() <= room.height())
        return false;
    // At size c the window takes wanted * c / percent of the room as it is now.
    int fitting = DisplaySizes.front();
    for (int size : DisplaySizes) {
        if (size < percent && wanted.width() * size <= room.width() * percent && wanted.height() * size <= room.height() * percent)
            fitting = size;
    }
    if (fitting == percent)
        return false;
    percent = fitting;
    return true;
}

void DisplaySizeAtStart::tellIfShrunk(QWidget *window) const
{
    if (percent == chosen)
        return;
    QTimer::singleShot(0, window, [shown = percent, chosen = chosen] {
        ShowNotice(u"画面に収まらないので、表示の大きさを %1\u00A0% にしました（設定は %2\u00A0%）。"_s.arg(shown).arg(chosen));
    });
}

} // namespace kestova
