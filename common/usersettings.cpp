#include "usersettings.h"

#include <QSettings>

namespace kestova {
namespace {

const QString Group = u"ThumbShift"_qs;

// Key codes as the file keeps them, "102,64"; nothing where one is no key code.
QList<int> keyCodesOf(const QString &text)
{
    QList<int> codes;
    for (const QString &part : text.split(u',', Qt::SkipEmptyParts)) {
        bool ok = false;
        const int code = part.trimmed().toInt(&ok);
        if (!ok || code < 8 || code > 255)
            return {};
        codes.append(code);
    }
    return codes;
}

QString textOf(const QList<int> &codes)
{
    QStringList parts;
    for (int code : codes)
        parts.append(QString::number(code));
    return parts.join(u',');
}

} // namespace

std::unique_ptr<QSettings> OpenUserSettings()
{
    return std::make_unique<QSettings>(QSettings::NativeFormat, QSettings::UserScope, u"Kestova"_qs, u"Kestova"_qs);
}

ThumbShiftSettings LoadThumbShiftSettings()
{
    ThumbShiftSettings settings;
    const auto file = OpenUserSettings();
    file->beginGroup(Group);
    settings.enabled = file->value(u"enabled"_qs, settings.enabled).toBool();
    for (auto [key, codes] : {std::pair{u"leftThumbKeys"_qs, &settings.leftThumbKeys}, {u"rightThumbKeys"_qs, &settings.rightThumbKeys}}) {
        const QList<int> saved = keyCodesOf(file->value(key).toString());
        if (!saved.isEmpty())
            *codes = saved;
    }
    bool ok = false;
    const int window = file->value(u"windowMs"_qs).toInt(&ok);
    if (ok && window >= ThumbShiftSettings::ShortestWindowMs && window <= ThumbShiftSettings::LongestWindowMs)
        settings.windowMs = window;
    return settings;
}

void SaveThumbShiftSettings(const ThumbShiftSettings &settings)
{
    {
        const auto file = OpenUserSettings();
        file->beginGroup(Group);
        file->setValue(u"enabled"_qs, settings.enabled);
        file->setValue(u"leftThumbKeys"_qs, textOf(settings.leftThumbKeys));
        file->setValue(u"rightThumbKeys"_qs, textOf(settings.rightThumbKeys));
        file->setValue(u"windowMs"_qs, settings.windowMs);
    }
    emit UserSettingsChanges::instance().thumbShiftChanged();
}

UserSettingsChanges &UserSettingsChanges::instance()
{
    static UserSettingsChanges changes;
    return changes;
}

} // namespace kestova
