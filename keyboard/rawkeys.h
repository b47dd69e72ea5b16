#pragma once

#include <QString>
#include <QtGlobal>

#include <functional>

class QWidget;
struct xcb_connection_t;

namespace kestova {

// A physical key as the X server sent it, or the keyboard's focus moving as
// a grab of it begins (Grab) or ends (Ungrab).
struct RawKey {
    enum Kind { Press, Release, FocusOut, FocusIn };
    Kind kind = Press;
    int keyCode = 0;
    qint64 time = 0;    // the server's, as Qt stamps its key events
    quint16 state = 0;  // the modifiers held, as X gives them; for focus, Grab or Ungrab
    static constexpr quint16 Control = 0x4, Alt = 0x8, Super = 0x40;
    static constexpr quint16 Grab = 1, Ungrab = 2;
};

// Under X11 the keys reach a listener before Qt and before any input method
// see them: an input method that types no Japanese would otherwise make a
// dead key of the layout a half-typed accent, forward keys stamped with no
// time, or lose their key codes. Only the listener of the widget with the
// focus is asked, and what it takes goes no further. The keyboard's own
// changes (setxkbmap) are told to LayoutKeys.
// Elsewhere (Wayland, offscreen) nothing comes: keys arrive as Qt's events.
class RawKeys {
public:
    using Take = std::function<bool(const RawKey &)>;
    static void listen(QWidget *receiver, Take take);
    static void stopListening(QWidget *receiver);
    // Whether listeners hear anything here.
    static bool available();
    // The name of the keyboard the last key came from, as the X server
    // calls the device, once a listener heard a key; empty before, and
    // where the system does not tell (Wayland).
    static QString keyboardName();
    // Whether each of the keys is down now, as the X server has it; all of
    // them where that cannot be told.
    static bool allDown(const QList<int> &keyCodes);
};

// The X server's connection, where the program is an X11 client.
xcb_connection_t *X11Connection();

} // namespace kestova
