#include "usersettings.h"

#include "keyboardhold.h"
#include "layoutkeys.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QFileSystemWatcher>
#include <QPointer>
#include <QRegularExpression>
#include <QSettings>

#include <cstdio>

using namespace Qt::StringLiterals;

namespace kestova {
namespace {

const QString Group = u"ThumbShift"_s;

// Why a key cannot be a thumb key now, with this layout.
QString whyNot(int code)
{
    return WhyNoThumbKey(code, LayoutKeys::instance().roleOf(code));
}

// Key codes as the file keeps them, "102,64", and as people write them by
// hand: unquoted (which QSettings reads as a list) or apart by spaces (a
// semicolon starts a comment in the file). A code the settings dialog would
// refuse is left out, said on standard error and in `refused`; nothing
// where no code is left.
QList<int> keyCodesOf(const QVariant &value, const QString &key, QStringList &refused)
{
    const QString text = value.typeId() == QMetaType::QStringList ? value.toStringList().join(u',') : value.toString();
    QList<int> codes;
    for (const QString &part : text.split(QRegularExpression(u"[,\\s]+"_s), Qt::SkipEmptyParts)) {
        bool ok = false;
        const int code = part.toInt(&ok);
        const QString refusal = ok ? whyNot(code) : u"「%1」はキーコードではありません。"_s.arg(part);
        if (refusal.isEmpty() && !codes.contains(code))
            codes.append(code);
        else if (!refusal.isEmpty())
            std::fprintf(stderr, "Kestova.conf [ThumbShift] %s: %s\n", qPrintable(key), qPrintable(refused.emplace_back(refusal)));
    }
    return codes;
}

// The usual thumb keys that this layout leaves usable; where it has made an
// Alt key something else, the key it makes that Alt instead.
QList<int> usableDefaults(const QList<int> &defaults, quint32 altKeysym, QStringList &refused)
{
    QList<int> usable;
    for (int code : defaults) {
        if (const QString refusal = whyNot(code); refusal.isEmpty()) {
            usable.append(code);
        } else if (refused.append(refusal); code == keycode::LeftAlt || code == keycode::RightAlt) {
            const int alt = LayoutKeys::instance().keyCodeOf(altKeysym);
            if (alt && whyNot(alt).isEmpty())
                usable.append(alt);
        }
    }
    return usable;
}

// A switch as people write it: true, false, 1, 0, yes, no, on, off.
bool switchOf(const QVariant &value, bool otherwise)
{
    const QString text = value.toString().trimmed().toLower();
    if (text == u"true" || text == u"1" || text == u"yes" || text == u"on")
        return true;
    if (text == u"false" || text == u"0" || text == u"no" || text == u"off")
        return false;
    return otherwise;
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
    return std::make_unique<QSettings>(QSettings::NativeFormat, QSettings::UserScope, u"Kestova"_s, u"Kestova"_s);
}

ThumbShiftSettings LoadThumbShiftSettings(QStringList *told)
{
    ThumbShiftSettings settings;
    QStringList refused;
    const auto file = OpenUserSettings();
    file->beginGroup(Group);
    settings.enabled = switchOf(file->value(u"enabled"_s), settings.enabled);
    settings.continuousShift = switchOf(file->value(u"continuousShift"_s), settings.continuousShift);
    const std::array hands{std::tuple{u"leftThumbKeys"_s, &settings.leftThumbKeys, quint32(0xFFE9)}, // Alt_L
                           std::tuple{u"rightThumbKeys"_s, &settings.rightThumbKeys, quint32(0xFFEA)}}; // Alt_R
    for (auto [key, codes, altKeysym] : hands) {
        const QList<int> saved = keyCodesOf(file->value(key), key, refused);
        *codes = saved.isEmpty() ? usableDefaults(*codes, altKeysym, refused) : saved;
    }
    // Where the desktop's shortcuts cannot be kept away, the usual keys never
    // pair Alt with Space (the window menu on most desktops).
    const bool leftAlt = std::any_of(settings.leftThumbKeys.cbegin(), settings.leftThumbKeys.cend(), [](int code) {
        return LayoutKeys::instance().altKeys().contains(code);
    });
    if (!file->contains(u"rightThumbKeys"_s) && leftAlt && !KeyboardHold::possible() && settings.rightThumbKeys.size() > 1)
        settings.rightThumbKeys.removeAll(keycode::Space);
    // A key is a thumb key of one hand only: the left keeps it, and a right
    // hand left with none has its own keys back.
    for (int code : std::as_const(settings.leftThumbKeys))
        settings.rightThumbKeys.removeAll(code);
    if (settings.rightThumbKeys.isEmpty()) {
        for (int code : usableDefaults(ThumbShiftSettings().rightThumbKeys, 0xFFEA, refused)) {
            if (!settings.leftThumbKeys.contains(code))
                settings.rightThumbKeys.append(code);
        }
    }
    bool ok = false;
    const int window = file->value(u"windowMs"_s).toInt(&ok);
    if (ok && window >= ThumbShiftSettings::ShortestWindowMs && window <= ThumbShiftSettings::LongestWindowMs)
        settings.windowMs = window;
    if (told)
        *told = refused;
    return settings;
}

void SaveThumbShiftSettings(const ThumbShiftSettings &settings)
{
    {
        const auto file = OpenUserSettings();
        file->beginGroup(Group);
        file->setValue(u"enabled"_s, settings.enabled);
        file->setValue(u"leftThumbKeys"_s, textOf(settings.leftThumbKeys));
        file->setValue(u"rightThumbKeys"_s, textOf(settings.rightThumbKeys));
        file->setValue(u"windowMs"_s, settings.windowMs);
        file->setValue(u"continuousShift"_s, settings.continuousShift);
    }
    UserSettingsChanges::instance().followFile(true);
}

// One for each QApplication: a program that starts its application afresh
// (at a smaller display size) watches with the new one's event loop.
UserSettingsChanges &UserSettingsChanges::instance()
{
    static QPointer<UserSettingsChanges> changes;
    if (!changes)
        changes = new UserSettingsChanges(QCoreApplication::instance());
    changes->watch();
    return *changes;
}

// The file is replaced whole on every save, so its folder is watched too,
// and the file again each time it comes back.
UserSettingsChanges::UserSettingsChanges(QObject *application) : QObject(application), watcher(new QFileSystemWatcher(this))
{
    QStringList why;
    thumbShift = LoadThumbShiftSettings(&why);
    refused = why.join(u'\n');
    connect(watcher, &QFileSystemWatcher::directoryChanged, this, [this] { followFile(false); });
    connect(watcher, &QFileSystemWatcher::fileChanged, this, [this] { followFile(false); });
    connect(&LayoutKeys::instance(), &LayoutKeys::changed, this, [this] { followFile(false); });
}

void UserSettingsChanges::watch()
{
    const QString path = OpenUserSettings()->fileName();
    const QString folder = QFileInfo(path).path();
    if (!watcher->directories().contains(folder) && QDir().mkpath(folder))
        watcher->addPath(folder);
    if (!watcher->files().contains(path) && QFileInfo::exists(path))
        watcher->addPath(path);
}

void UserSettingsChanges::followFile(bool saved)
{
    watch();
    QStringList why;
    const ThumbShiftSettings now = LoadThumbShiftSettings(&why);
    if (saved || now != thumbShift) {
        thumbShift = now;
        emit thumbShiftChanged();
    }
    why.removeDuplicates();
    if (const QString refusal = why.join(u'\n'); refusal != refused)
        emit refusalChanged(refused = refusal);
}

} // namespace kestova
