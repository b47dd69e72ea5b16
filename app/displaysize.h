#pragma once

#include <array>

class QWidget;

namespace kestova {

// "表示の大きさ": every window larger as a whole, as Qt's own scale factor
// makes it (layout, fonts, the keyboard map, all crisp), on top of whatever
// scale the desktop applies. Percent; saved per user as `displaySize`.
inline constexpr std::array<int, 4> DisplaySizes{100, 125, 150, 200};
int LoadDisplaySize();
void SaveDisplaySize(int percent);

// The size a program starts at: the learner's choice, or the largest that
// lets its window fit the screen.
class DisplaySizeAtStart {
public:
    DisplaySizeAtStart();
    // Before each application object: its scale factor.
    void applyScale() const;
    // Whether `window`, laid out, is too large for its screen; if so, the
    // size becomes the largest that fits, and the caller makes the
    // application anew.
    bool shrinkToFit(QWidget &window);
    // Tells the learner, once the window shows, that it came out smaller.
    void tellIfShrunk(QWidget *window) const;

private:
    double desktopFactor;
    int chosen;
    int percent;
};

} // namespace kestova
