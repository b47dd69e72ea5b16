#pragma once

#include "thumbshift.h"

#include <QObject>

#include <memory>

class QFileSystemWatcher;
class QSettings;

namespace kestova {

// The one per-user settings file of all the programs:
// ${XDG_CONFIG_HOME:-~/.config}/Kestova/Kestova.conf.
std::unique_ptr<QSettings> OpenUserSettings();

// The thumb-shift settings as saved, defaults for what is missing or out of
// range; thumb keys judged by what the layout makes of them now, and why
// any was refused in `refused`.
ThumbShiftSettings LoadThumbShiftSettings(QStringList *refused = nullptr);
void SaveThumbShiftSettings(const ThumbShiftSettings &settings);

// Tells every part of this program that the user changed a setting, here
// or in another Kestova program.
class UserSettingsChanges : public QObject {
    Q_OBJECT

public:
    static UserSettingsChanges &instance();
    // Reads the file again; tells if the thumb-shift settings changed, or
    // were `saved` by this program. The layout changing is followed too.
    void followFile(bool saved);
    // Why thumb keys chosen or usual are not used with this layout, or nothing.
    QString refusal() const { return refused; }

signals:
    void thumbShiftChanged();
    void refusalChanged(const QString &refusal);

private:
    explicit UserSettingsChanges(QObject *application);
    void watch();
    QFileSystemWatcher *watcher;
    ThumbShiftSettings thumbShift;
    QString refused;
};

} // namespace kestova
