// Types at a Wayland compositor as a physical keyboard would, through its
// virtual keyboard protocol, for the end-to-end tests:
//   wlkeys "d38 w60 d102 w30 u38 u102" [LAYOUT]
// physical keys by X11 key code (evdev code + 8) with real timing, as
// xtool.py keys types them under X: d press, u release, w wait (ms). The
// keymap is the standard one of LAYOUT (us where none is given), so that
// the codes are the physical keys' as on a real keyboard.
#include "virtual-keyboard-client.h"

#include <wayland-client.h>
#include <xkbcommon/xkbcommon.h>

#include <sys/mman.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstring>
#include <sstream>
#include <thread>

namespace {

wl_seat *seat;
zwp_virtual_keyboard_manager_v1 *manager;

void announced(void *, wl_registry *registry, uint32_t name, const char *interface, uint32_t)
{
    if (!strcmp(interface, wl_seat_interface.name))
        seat = static_cast<wl_seat *>(wl_registry_bind(registry, name, &wl_seat_interface, 1));
    else if (!strcmp(interface, zwp_virtual_keyboard_manager_v1_interface.name))
        manager = static_cast<zwp_virtual_keyboard_manager_v1 *>(
            wl_registry_bind(registry, name, &zwp_virtual_keyboard_manager_v1_interface, 1));
}

void removed(void *, wl_registry *, uint32_t) {}

int fail(const char *why)
{
    fprintf(stderr, "wlkeys: %s\n", why);
    return 1;
}

} // namespace

int main(int argc, char **argv)
{
    if (argc < 2 || argc > 3)
        return fail("usage: wlkeys KEYS [LAYOUT]");
    wl_display *display = wl_display_connect(nullptr);
    if (!display)
        return fail("cannot connect to the Wayland display");
    static const wl_registry_listener listener{announced, removed};
    wl_registry_add_listener(wl_display_get_registry(display), &listener, nullptr);
    wl_display_roundtrip(display);
    if (!seat || !manager)
        return fail("the compositor has no seat or no virtual keyboards");

    xkb_context *context = xkb_context_new(XKB_CONTEXT_NO_FLAGS);
    const xkb_rule_names names{"evdev", "pc105", argc == 3 ? argv[2] : "us", "", ""};
    xkb_keymap *keymap = context ? xkb_keymap_new_from_names(context, &names, XKB_KEYMAP_COMPILE_NO_FLAGS) : nullptr;
    if (!keymap)
        return fail("no keymap for that layout");
    // The compositor maps the file and reads it up to its terminating zero.
    char *text = xkb_keymap_get_as_string(keymap, XKB_KEYMAP_FORMAT_TEXT_V1);
    const size_t size = strlen(text) + 1;
    const int file = memfd_create("keymap", MFD_CLOEXEC);
    if (file < 0 || write(file, text, size) != ssize_t(size))
        return fail("cannot write the keymap");
    zwp_virtual_keyboard_v1 *keyboard = zwp_virtual_keyboard_manager_v1_create_virtual_keyboard(manager, seat);
    zwp_virtual_keyboard_v1_keymap(keyboard, WL_KEYBOARD_KEYMAP_FORMAT_XKB_V1, file, uint32_t(size));
    close(file); // sent as a copy
    if (wl_display_roundtrip(display) < 0)
        return fail("the compositor refused the keyboard");

    // The compositor takes a virtual keyboard's modifiers as told, never from
    // its keys: untold, Ctrl+A would reach the program as A.
    xkb_state *state = xkb_state_new(keymap);
    // Each key goes at its time in the script on the monotonic clock, and is
    // stamped with it, as a keyboard stamps a key when it moves: a late
    // wake-up here is a late delivery, not keys spaced otherwise.
    using namespace std::chrono;
    std::istringstream script(argv[1]);
    auto at = steady_clock::now();
    char kind;
    int value;
    while (script >> kind >> value) {
        if (kind == 'w') {
            std::this_thread::sleep_until(at += milliseconds(value));
            continue;
        }
        if ((kind != 'd' && kind != 'u') || value < 8)
            return fail("a key is d or u and an X11 key code, a wait w and ms");
        const bool down = kind == 'd';
        const auto time = uint32_t(duration_cast<milliseconds>(at.time_since_epoch()).count());
        zwp_virtual_keyboard_v1_key(keyboard, time, uint32_t(value - 8), down ? WL_KEYBOARD_KEY_STATE_PRESSED : WL_KEYBOARD_KEY_STATE_RELEASED);
        if (xkb_state_update_key(state, xkb_keycode_t(value), down ? XKB_KEY_DOWN : XKB_KEY_UP))
            zwp_virtual_keyboard_v1_modifiers(keyboard, xkb_state_serialize_mods(state, XKB_STATE_MODS_DEPRESSED),
                                              xkb_state_serialize_mods(state, XKB_STATE_MODS_LATCHED),
                                              xkb_state_serialize_mods(state, XKB_STATE_MODS_LOCKED),
                                              xkb_state_serialize_layout(state, XKB_STATE_LAYOUT_EFFECTIVE));
        wl_display_flush(display);
    }
    if (!script.eof())
        return fail("a key is d or u and an X11 key code, a wait w and ms");
    // Every event taken before the keyboard goes.
    wl_display_roundtrip(display);
    zwp_virtual_keyboard_v1_destroy(keyboard);
    wl_display_roundtrip(display);
    wl_display_disconnect(display);
    return 0;
}
