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

// The thumb-shift settings as saved, defaults for what is missing or out of range.
ThumbShiftSettings LoadThumbShiftSettings();
void SaveThumbShiftSettings(const ThumbShiftSettings &settings);

// Tells every part of this program that the user changed a setting, here
// or in another Kestova program.
class UserSettingsChanges : public QObject {
    Q_OBJECT

public:
    static UserSettingsChanges &instance();
    // Reads the file again; tells if the thumb-shift settings changed, or
    // were `saved` by this program.
    void followFile(bool saved);

signals:
    void thumbShiftChanged();

private:
    explicit UserSettingsChanges(QObject *application);
    void watch();
    QFileSystemWatcher *watcher;
    ThumbShiftSettings thumbShift;
};

} // namespace kestova
