#pragma once

#include "rawkeys.h"

class QWidget;
struct zwp_keyboard_shortcuts_inhibitor_v1;

namespace kestova {

// While a practice window is active, no thumb chord reaches a desktop
// shortcut: left Alt with Space opens the window menu on most desktops, and
// its "Close" takes the next key. Under X11 the window holds the keyboard
// (an active grab, let go when the window is no longer active); a key the
// desktop alone has a use for — Alt+Tab, Alt+F4, Ctrl+F2, a Windows-key
// shortcut, the function and volume keys — hands the keyboard back and is
// sent again through XTEST once let go, so that the desktop still gets it. Under Wayland the compositor is asked
// to inhibit its shortcuts while the window has the keyboard.
class KeyboardHold {
public:
    explicit KeyboardHold(QWidget *window);
    ~KeyboardHold();
    KeyboardHold(const KeyboardHold &) = delete;
    KeyboardHold &operator=(const KeyboardHold &) = delete;

    // Held while `wanted` and the window is active; asked again at each key,
    // which is told first (X11).
    void keyCame(const RawKey &key);
    void holdIf(bool wanted);
    void release();
    bool held() const { return holding; }
    // Under X11, whether a key pressed is the desktop's: if so the keyboard
    // goes back to the desktop, the key is sent again, and it is not ours.
    bool handBack(const RawKey &key);
    // Whether the keyboard's focus moving with a grab is this hold's doing,
    // which the program then never sees as its window losing the focus.
    bool ownGrabMoving(const RawKey &focus);

    // Whether a window can keep the desktop's shortcuts away here; where it
    // cannot, the default thumb keys never pair Alt with Space.
    static bool possible();

private:
    QWidget *window;
    bool holding = false;
    bool handedBack = false; // until a key comes with no modifier of the desktop's
    bool letGoHere = false;  // released while active: the focus comes back from the grab
    bool letGoOut = false;   // and its first half was seen
    int toSendAgain = 0;     // the desktop's key handed back, sent again once let go
    int sentAgain = 0;       // and sent
    zwp_keyboard_shortcuts_inhibitor_v1 *inhibitor = nullptr;
};

} // namespace kestova
