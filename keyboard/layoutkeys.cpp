#include "layoutkeys.h"

#include "keycodes.h"
#include "rawkeys.h"

#include <QGuiApplication>
#include <QKeyEvent>
#include <QPointer>

#include <xkbcommon/xkbcommon-x11.h>
#include <xkbcommon/xkbcommon.h>

namespace kestova {
namespace {

KeyRole roleOfKeysym(xkb_keysym_t keysym)
{
    switch (keysym) {
    case XKB_KEY_Alt_L:
    case XKB_KEY_Alt_R:
    case XKB_KEY_Meta_L:
    case XKB_KEY_Meta_R:
        return KeyRole::Alt;
    case XKB_KEY_ISO_Level3_Shift:
    case XKB_KEY_Mode_switch:
        return KeyRole::AltGr;
    case XKB_KEY_Control_L:
    case XKB_KEY_Control_R:
        return KeyRole::Control;
    case XKB_KEY_Shift_L:
    case XKB_KEY_Shift_R:
        return KeyRole::Shift;
    case XKB_KEY_Super_L:
    case XKB_KEY_Super_R:
    case XKB_KEY_Hyper_L:
    case XKB_KEY_Hyper_R:
        return KeyRole::Super;
    default:
        return KeyRole::Other;
    }
}

KeyRole roleOfQtKey(int key)
{
    switch (key) {
    case Qt::Key_Alt:
        return KeyRole::Alt;
    case Qt::Key_AltGr:
        return KeyRole::AltGr;
    case Qt::Key_Control:
        return KeyRole::Control;
    case Qt::Key_Shift:
        return KeyRole::Shift;
    case Qt::Key_Meta:
    case Qt::Key_Super_L:
    case Qt::Key_Super_R:
    case Qt::Key_Hyper_L:
    case Qt::Key_Hyper_R:
        return KeyRole::Super;
    default:
        return KeyRole::Other;
    }
}

} // namespace

// One for each QApplication, as the keymap is its display's.
LayoutKeys &LayoutKeys::instance()
{
    static QPointer<LayoutKeys> keys;
    if (!keys)
        keys = new LayoutKeys(QCoreApplication::instance());
    return *keys;
}

LayoutKeys::LayoutKeys(QObject *application) : QObject(application)
{
}

// The keymap of the X server's core keyboard, level one of its first layout.
void LayoutKeys::read()
{
    known = true;
    xcb_connection_t *connection = X11Connection();
    if (fixed || !connection)
        return;
    roles.clear();
    keysyms.clear();
    symbols.clear();
    fromServer = true;
    xkb_context *context = xkb_context_new(XKB_CONTEXT_NO_FLAGS);
    const int32_t device = xkb_x11_get_core_keyboard_device_id(connection);
    xkb_keymap *keymap = device < 0 ? nullptr : xkb_x11_keymap_new_from_device(context, connection, device, XKB_KEYMAP_COMPILE_NO_FLAGS);
    for (int code = keycode::Lowest; keymap && code <= keycode::Highest; ++code) {
        const xkb_keysym_t *syms = nullptr;
        if (xkb_keymap_key_get_syms_by_level(keymap, xkb_keycode_t(code), 0, 0, &syms) < 1)
            continue;
        roles.insert(code, roleOfKeysym(syms[0]));
        symbols.insert(code, syms[0]);
        // A keysym two keys type is no key's.
        keysyms.insert(syms[0], keysyms.contains(syms[0]) ? 0 : code);
    }
    xkb_keymap_unref(keymap);
    xkb_context_unref(context);
}

KeyRole LayoutKeys::roleOf(int keyCode)
{
    if (!known)
        read();
    return roles.value(keyCode, KeyRole::Unknown);
}

int LayoutKeys::keyCodeOf(quint32 keysym)
{
    if (!known)
        read();
    return keysyms.value(keysym);
}

quint32 LayoutKeys::keysymOf(int keyCode)
{
    if (!known)
        read();
    return symbols.value(keyCode);
}

QList<int> LayoutKeys::altKeys()
{
    if (!known)
        read();
    QList<int> alt;
    for (auto role = roles.cbegin(); role != roles.cend(); ++role) {
        if (*role == KeyRole::Alt)
            alt.append(role.key());
    }
    // Where the layout is not known, the Alt keys are where they usually are.
    return roles.isEmpty() ? QList<int>{keycode::LeftAlt, keycode::RightAlt} : alt;
}

void LayoutKeys::learn(const QKeyEvent *event)
{
    const int code = int(event->nativeScanCode());
    if (fromServer || code < keycode::Lowest || code > keycode::Highest || event->type() != QEvent::KeyPress)
        return;
    if (const quint32 keysym = event->nativeVirtualKey()) {
        symbols.insert(code, keysym);
        if (!keysyms.contains(keysym))
            keysyms.insert(keysym, code);
    }
    const KeyRole role = roleOfQtKey(event->key());
    const KeyRole was = roles.value(code, KeyRole::Unknown);
    roles.insert(code, role);
    // Only a modifier newly found, or gone, changes what the keyboard may use.
    if (was != role && (was != KeyRole::Unknown || role != KeyRole::Other))
        emit changed();
}

void LayoutKeys::forget()
{
    if (fixed)
        return;
    known = false;
    emit changed();
}

void LayoutKeys::useRoles(const QHash<int, KeyRole> &own)
{
    fixed = known = true;
    fromServer = false;
    roles = own;
    keysyms.clear();
    symbols.clear();
    emit changed();
}

} // namespace kestova
