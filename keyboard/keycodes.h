#pragma once

#include <QString>

namespace kestova {

// X11 key codes of physical keys (evdev code + 8): the same place on every
// desktop layout, on X11 and Wayland alike.
namespace keycode {
constexpr int Escape = 9;
constexpr int BackSpace = 22;
constexpr int Tab = 23;
constexpr int RightOfP = 34; // [ on US keyboards, @ on Japanese ones
constexpr int Return = 36;
constexpr int LeftCtrl = 37;
constexpr int LeftShift = 50;
constexpr int RightShift = 62;
constexpr int LeftAlt = 64;
constexpr int Space = 65;
constexpr int CapsLock = 66;
constexpr int Henkan = 100;
constexpr int KatakanaHiragana = 101;
constexpr int Muhenkan = 102;
constexpr int RightCtrl = 105;
constexpr int RightAlt = 108; // AltGr where the layout makes it a level-3 shift
constexpr int LeftSuper = 133;
constexpr int RightSuper = 134;
constexpr int Menu = 135;
constexpr int Lowest = 8;
constexpr int Highest = 255;
} // namespace keycode

// What the desktop's keyboard layout makes of a physical key: a layout
// option can make the right Alt key a Ctrl key (ctrl:ralt_rctrl) or Caps Lock
// a Super key (caps:super); a thumb key that had become one of those would
// turn every chord into a shortcut. Unknown where the layout cannot be read.
enum class KeyRole { Unknown, Other, Alt, AltGr, Control, Shift, Super };

// A key's name as a learner knows it: what is printed on it, or for a key
// of the thumb-shift layout the kana it types alone.
QString KeyName(int keyCode);

// Why a key cannot be a thumb key, or nothing where it can: a kana key
// types, and a modifier changes the keys struck with it (Ctrl+A is a
// control character, the Windows key opens the desktop's menus, the menu
// key the text box's). A key is judged by what the layout makes of it now,
// `role`, and by its usual place where that is unknown. AltGr will do: the
// keyboard goes by the key, and a level it shifts to is never looked at.
QString WhyNoThumbKey(int keyCode, KeyRole role = KeyRole::Unknown);

} // namespace kestova
