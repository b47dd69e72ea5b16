#include "rawkeys.h"

#include "layoutkeys.h"

#include <QAbstractNativeEventFilter>
#include <QApplication>
#include <QHash>
#include <QPointer>
#include <QWidget>

#include <xcb/xcb.h>

#include <cstdlib>

namespace kestova {
namespace {

class Filter : public QObject, public QAbstractNativeEventFilter {
public:
    explicit Filter(QCoreApplication *application) : QObject(application)
    {
        application->installNativeEventFilter(this);
        xcb_connection_t *connection = X11Connection();
        const char name[] = "XKEYBOARD";
        xcb_query_extension_reply_t *xkb = xcb_query_extension_reply(connection, xcb_query_extension(connection, sizeof name - 1, name), nullptr);
        xkbEvent = xkb && xkb->present ? xkb->first_event : -1;
        std::free(xkb);
    }

    QHash<QWidget *, RawKeys::Take> listeners;

    bool nativeEventFilter(const QByteArray &type, void *message, qintptr *) override
    {
        if (type != "xcb_generic_event_t")
            return false;
        const auto *event = static_cast<const xcb_generic_event_t *>(message);
        const int kind = event->response_type & 0x7F;
        // Every XKB event comes as one type; its own kind is its second byte.
        if (kind == xkbEvent) {
            constexpr uint8_t NewKeyboardNotify = 0, MapNotify = 1;
            const uint8_t xkbKind = reinterpret_cast<const uint8_t *>(event)[1];
            if (xkbKind == NewKeyboardNotify || xkbKind == MapNotify)
                LayoutKeys::instance().forget();
            return false;
        }
        QWidget *focusWidget = QApplication::focusWidget();
        const auto listener = listeners.constFind(focusWidget);
        if (listener == listeners.cend())
            return false;
        const xcb_window_t window = xcb_window_t(focusWidget->window()->winId());
        if (kind == XCB_KEY_PRESS || kind == XCB_KEY_RELEASE) {
            const auto *key = reinterpret_cast<const xcb_key_press_event_t *>(event);
            if (key->event != window)
                return false;
            return (*listener)({kind == XCB_KEY_PRESS ? RawKey::Press : RawKey::Release, key->detail, qint64(key->time), key->state});
        }
        // The keyboard grabbed or let go: by this program's hold, or by the
        // desktop for a shortcut of its own.
        const auto *focus = reinterpret_cast<const xcb_focus_out_event_t *>(event);
        if ((kind == XCB_FOCUS_OUT || kind == XCB_FOCUS_IN) && focus->event == window
            && (focus->mode == XCB_NOTIFY_MODE_GRAB || focus->mode == XCB_NOTIFY_MODE_UNGRAB))
            return (*listener)({kind == XCB_FOCUS_OUT ? RawKey::FocusOut : RawKey::FocusIn, 0, 0, focus->mode});
        return false;
    }

private:
    int xkbEvent = -1;
};

Filter *filter(bool make)
{
    static QPointer<Filter> one;
    if (!one && make && RawKeys::available())
        one = new Filter(QCoreApplication::instance());
    return one;
}

} // namespace

bool RawKeys::available()
{
    return X11Connection();
}

xcb_connection_t *X11Connection()
{
    const auto *x11 = QGuiApplication::platformName() == u"xcb" ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    return x11 ? x11->connection() : nullptr;
}

void RawKeys::listen(QWidget *receiver, Take take)
{
    if (Filter *raw = filter(true))
        raw->listeners.insert(receiver, std::move(take));
}

void RawKeys::stopListening(QWidget *receiver)
{
    if (Filter *raw = filter(false))
        raw->listeners.remove(receiver);
}

} // namespace kestova
