// Small X11 helper for the end-to-end tests and the screenshot script, for
// what xdotool cannot do without a window manager:
//   xtool close WID          ask the window to close, as a window manager would
//   xtool grab WID FILE.png [X Y W H]
//                            save what the window shows, or that part of it
//   xtool keys "d38 w60 d102 w30 u38 u102"
//                            physical keys by X11 key code through XTEST, with
//                            real timing: d press, u release, w wait (ms)
#include <QImage>

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/XTest.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <sstream>
#include <string>
#include <unistd.h>

namespace {

int closeWindow(Display *display, Window window)
{
    XEvent event{};
    event.xclient.type = ClientMessage;
    event.xclient.window = window;
    event.xclient.message_type = XInternAtom(display, "WM_PROTOCOLS", False);
    event.xclient.format = 32;
    event.xclient.data.l[0] = long(XInternAtom(display, "WM_DELETE_WINDOW", False));
    event.xclient.data.l[1] = CurrentTime;
    XSendEvent(display, window, False, NoEventMask, &event);
    XSync(display, False);
    return 0;
}

int grab(Display *display, Window window, const char *path, char **region)
{
    XWindowAttributes attributes;
    if (!XGetWindowAttributes(display, window, &attributes))
        return 1;
    int left = 0, top = 0, width = attributes.width, height = attributes.height;
    if (region) {
        left = std::atoi(region[0]);
        top = std::atoi(region[1]);
        width = std::atoi(region[2]);
        height = std::atoi(region[3]);
    }
    XImage *image = XGetImage(display, window, left, top, width, height, AllPlanes, ZPixmap);
    if (!image)
        return 1;
    QImage picture(width, height, QImage::Format_RGB32);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x)
            picture.setPixel(x, y, 0xFF000000u | (XGetPixel(image, x, y) & 0xFFFFFFu));
    }
    XDestroyImage(image);
    return picture.save(QString::fromLocal8Bit(path), "PNG") ? 0 : 1;
}

int pressKeys(Display *display, const char *script)
{
    std::istringstream tokens(script);
    for (std::string token; tokens >> token;) {
        const int number = std::atoi(token.c_str() + 1);
        if (token[0] == 'w') {
            XFlush(display);
            usleep(useconds_t(number) * 1000);
        } else if (token[0] == 'd' || token[0] == 'u') {
            XTestFakeKeyEvent(display, unsigned(number), token[0] == 'd', CurrentTime);
        } else {
            return 2;
        }
    }
    XSync(display, False);
    return 0;
}

} // namespace

int main(int argc, char **argv)
{
    if (argc < 3) {
        std::fprintf(stderr, "usage: xtool close|grab WID [FILE] | keys SCRIPT\n");
        return 2;
    }
    Display *display = XOpenDisplay(nullptr);
    if (!display) {
        std::fprintf(stderr, "xtool: no X display\n");
        return 2;
    }
    const Window window = std::strtoul(argv[2], nullptr, 0);
    int result = 2;
    if (std::strcmp(argv[1], "keys") == 0)
        result = pressKeys(display, argv[2]);
    else if (std::strcmp(argv[1], "close") == 0)
        result = closeWindow(display, window);
    else if (std::strcmp(argv[1], "grab") == 0 && (argc == 4 || argc == 8))
        result = grab(display, window, argv[3], argc == 8 ? argv + 4 : nullptr);
    XCloseDisplay(display);
    return result;
}
