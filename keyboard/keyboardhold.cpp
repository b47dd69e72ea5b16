#include "keyboardhold.h"

#include "keyboard-shortcuts-inhibit-client.h"
#include "layoutkeys.h"

#include <QApplication>
#include <QPointer>
#include <QWidget>
#include <QWindow>
#include <qpa/qplatformnativeinterface.h>

#include <wayland-client.h>
#include <xcb/xtest.h>
#include <xkbcommon/xkbcommon-keysyms.h>

#include <utility>

namespace kestova {
namespace {

// The compositor's shortcut inhibitor, bound on a queue of our own so that
// Qt's own dispatching never meets it; one for each application object, as
// each has a display of its own (a program made smaller starts anew).
struct Inhibiting : QObject {
    using QObject::QObject;
    wl_display *display = nullptr;
    wl_event_queue *queue = nullptr;
    wl_seat *seat = nullptr;
    zwp_keyboard_shortcuts_inhibit_manager_v1 *manager = nullptr;
};

void announced(void *data, wl_registry *registry, uint32_t name, const char *interface, uint32_t)
{
    auto *found = static_cast<Inhibiting *>(data);
    if (!found->seat && QByteArray(interface) == wl_seat_interface.name)
        found->seat = static_cast<wl_seat *>(wl_registry_bind(registry, name, &wl_seat_interface, 1));
    else if (QByteArray(interface) == zwp_keyboard_shortcuts_inhibit_manager_v1_interface.name)
        found->manager = static_cast<zwp_keyboard_shortcuts_inhibit_manager_v1 *>(
            wl_registry_bind(registry, name, &zwp_keyboard_shortcuts_inhibit_manager_v1_interface, 1));
}

void removed(void *, wl_registry *, uint32_t) {}

const wl_registry_listener RegistryListener{announced, removed};

// Looked up the first time a window of this application object asks.
Inhibiting &inhibiting()
{
    static QPointer<Inhibiting> found;
    if (found)
        return *found;
    found = new Inhibiting(QCoreApplication::instance());
    QPlatformNativeInterface *native = QGuiApplication::platformNativeInterface();
    if (QGuiApplication::platformName() != u"wayland" || !native)
        return *found;
    found->display = static_cast<wl_display *>(native->nativeResourceForIntegration("wl_display"));
    if (!found->display)
        return *found;
    found->queue = wl_display_create_queue(found->display);
    auto *wrapper = static_cast<wl_display *>(wl_proxy_create_wrapper(found->display));
    wl_proxy_set_queue(reinterpret_cast<wl_proxy *>(wrapper), found->queue);
    wl_registry *registry = wl_display_get_registry(wrapper);
    wl_proxy_wrapper_destroy(wrapper);
    wl_registry_add_listener(registry, &RegistryListener, found.data());
    wl_display_roundtrip_queue(found->display, found->queue);
    wl_registry_destroy(registry);
    return *found;
}

// Keys the desktop alone has a use for: the Windows key and any key with
// it, keys with Alt or Ctrl that no trainer takes (Alt+Tab, Alt+F4,
// Ctrl+F2, Ctrl+Alt+T; not the editing keys), the function keys, and the
// keys of the volume, the screen and the like.
bool desktopsKey(const RawKey &key)
{
    const quint32 keysym = LayoutKeys::instance().keysymOf(key.keyCode);
    // Ctrl+Space too: an input method's switch, which it takes in the program.
    const bool editing = keysym == XKB_KEY_BackSpace || keysym == XKB_KEY_Return || keysym == XKB_KEY_Delete || keysym == XKB_KEY_KP_Enter
            || keysym == XKB_KEY_space
            || (keysym >= XKB_KEY_Home && keysym <= XKB_KEY_End) || (keysym >= XKB_KEY_0 && keysym <= XKB_KEY_9) || (keysym >= XKB_KEY_a && keysym <= XKB_KEY_z);
    const bool function = keysym >= XKB_KEY_F1 && keysym <= XKB_KEY_F35;
    const bool controlAlt = (key.state & RawKey::Alt) && (key.state & RawKey::Control);
    return key.state & RawKey::Super || controlAlt || ((key.state & (RawKey::Alt | RawKey::Control)) && !editing) || function
            || keysym == XKB_KEY_Print || (keysym >= 0x1008FF00 && keysym <= 0x1008FFFF);
}

// A key pressed and let go again through XTEST, as if struck now.
void sendAgain(int keyCode)
{
    xcb_connection_t *connection = X11Connection();
    if (!connection)
        return;
    const xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(connection)).data->root;
    for (const uint8_t type : {XCB_KEY_PRESS, XCB_KEY_RELEASE})
        xcb_test_fake_input(connection, type, uint8_t(keyCode), XCB_CURRENT_TIME, root, 0, 0, 0);
    xcb_flush(connection);
}

} // namespace

KeyboardHold::KeyboardHold(QWidget *window) : window(window)
{
}

KeyboardHold::~KeyboardHold()
{
    release();
}

bool KeyboardHold::possible()
{
    return QGuiApplication::platformName() != u"wayland" || inhibiting().manager;
}

void KeyboardHold::keyCame(const RawKey &key)
{
    // A key of our own again, or the one sent again back here (no shortcut
    // of the desktop's): the desktop's turn is over.
    if (key.kind == RawKey::Press && ((!(key.state & (RawKey::Alt | RawKey::Super)) && !desktopsKey(key)) || key.keyCode == sentAgain))
        handedBack = false;
    if (key.kind == RawKey::Press && key.keyCode != sentAgain)
        sentAgain = 0; // another key first: the desktop took the one sent again
}

void KeyboardHold::holdIf(bool wanted)
{
    if (!wanted)
        release();
    if (!wanted || holding || handedBack || !window->isActiveWindow() || !window->windowHandle())
        return;
    if (X11Connection()) {
        holding = window->windowHandle()->setKeyboardGrabEnabled(true);
    } else if (Inhibiting &wayland = inhibiting(); wayland.manager && wayland.seat) {
        auto *surface = static_cast<wl_surface *>(
            QGuiApplication::platformNativeInterface()->nativeResourceForWindow("surface", window->windowHandle()));
        if (surface)
            inhibitor = zwp_keyboard_shortcuts_inhibit_manager_v1_inhibit_shortcuts(wayland.manager, surface, wayland.seat);
        wl_display_flush(wayland.display);
        holding = inhibitor;
    }
}

void KeyboardHold::release()
{
    handedBack = false;
    sentAgain = 0;
    if (!holding)
        return;
    holding = false;
    // A menu of the program's own holds the keyboard now: left to it.
    if (QApplication::activePopupWidget())
        return;
    if (inhibitor) {
        zwp_keyboard_shortcuts_inhibitor_v1_destroy(std::exchange(inhibitor, nullptr));
        wl_display_flush(inhibiting().display);
        wl_display_dispatch_queue_pending(inhibiting().display, inhibiting().queue);
    } else if (window->windowHandle()) {
        window->windowHandle()->setKeyboardGrabEnabled(false);
        letGoHere = window->isActiveWindow();
    }
}

// The focus leaving and coming back as this hold let go is never seen as
// the window losing it; both halves, or neither.
bool KeyboardHold::ownGrabMoving(const RawKey &focus)
{
    if (focus.state == RawKey::Grab)
        return holding;
    if (focus.kind == RawKey::FocusOut)
        return letGoOut = letGoHere;
    const bool ours = letGoHere && letGoOut;
    letGoHere = letGoOut = false;
    return ours;
}

bool KeyboardHold::handBack(const RawKey &key)
{
    // The desktop grabs its shortcut keys only while nobody holds the
    // keyboard, and only as they go down: a key handed back is sent again
    // once the learner has let go of it, with the modifier still held.
    // The key sent again come back: nobody else wanted it, and it is ours.
    if (key.keyCode == sentAgain) {
        if (key.kind == RawKey::Release)
            sentAgain = 0;
        return false;
    }
    if (key.kind == RawKey::Release && key.keyCode == toSendAgain) {
        sentAgain = std::exchange(toSendAgain, 0);
        sendAgain(key.keyCode);
        return true;
    }
    const bool modifier = LayoutKeys::instance().roleOf(key.keyCode) == KeyRole::Super;
    if (key.kind != RawKey::Press || !(modifier || desktopsKey(key)) || !holding)
        return false;
    release();
    handedBack = true;
    // A modifier alone is not sent again, lest the desktop take it for a
    // tap of its own: the keys struck with it reach the desktop as they are.
    if (!modifier)
        toSendAgain = key.keyCode;
    return !modifier;
}

} // namespace kestova
