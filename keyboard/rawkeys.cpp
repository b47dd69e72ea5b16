#include "rawkeys.h"

#include "layoutkeys.h"

#include <QAbstractNativeEventFilter>
#include <QApplication>
#include <QHash>
#include <QPointer>
#include <QWidget>

#include <xcb/xcb.h>
#include <xcb/xinput.h>

#include <algorithm>
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
        followKeyboards(connection);
    }

    QHash<QWidget *, RawKeys::Take> listeners;
    QString keyboardName;

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
        if (kind == XCB_GE_GENERIC && xinputOpcode >= 0) {
            const auto *generic = static_cast<const xcb_ge_generic_event_t *>(message);
            if (generic->extension == xinputOpcode && generic->event_type == XCB_INPUT_RAW_KEY_PRESS) {
                keyboardName = nameOf(static_cast<const xcb_input_raw_key_press_event_t *>(message)->sourceid);
                return true;
            }
            // Devices plugged in or out (Qt's selection, seen here first):
            // a number may come back for another device.
            if (generic->extension == xinputOpcode && generic->event_type == XCB_INPUT_HIERARCHY)
                names.clear();
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
    // Raw key presses, which tell the device they came from, from the
    // master keyboard only: Qt selects its own events for all devices, and a
    // selection for the same device would replace Qt's. A master's raw
    // events come from XInput 2.1 on; 2.2 is what Qt asks for, and a client
    // may not ask for less than it did.
    void followKeyboards(xcb_connection_t *connection)
    {
        const xcb_query_extension_reply_t *xinput = xcb_get_extension_data(connection, &xcb_input_id);
        xcb_input_xi_query_version_reply_t *version = xinput && xinput->present
            ? xcb_input_xi_query_version_reply(connection, xcb_input_xi_query_version(connection, 2, 2), nullptr) : nullptr;
        const bool usable = version && version->major_version >= 2;
        std::free(version);
        if (!usable)
            return;
        xcb_input_xi_query_device_reply_t *devices = xcb_input_xi_query_device_reply(connection, xcb_input_xi_query_device(connection, XCB_INPUT_DEVICE_ALL_MASTER), nullptr);
        if (!devices)
            return;
        for (auto device = xcb_input_xi_query_device_infos_iterator(devices); device.rem; xcb_input_xi_device_info_next(&device)) {
            if (device.data->type != XCB_INPUT_DEVICE_TYPE_MASTER_KEYBOARD)
                continue;
            struct {
                xcb_input_event_mask_t head;
                uint32_t mask;
            } select{{device.data->deviceid, 1}, XCB_INPUT_XI_EVENT_MASK_RAW_KEY_PRESS};
            xcb_input_xi_select_events(connection, xcb_setup_roots_iterator(xcb_get_setup(connection)).data->root, 1, &select.head);
            xinputOpcode = xinput->major_opcode;
            break;
        }
        std::free(devices);
    }

    QString nameOf(xcb_input_device_id_t device)
    {
        if (const auto known = names.constFind(device); known != names.cend())
            return *known;
        xcb_connection_t *connection = X11Connection();
        QString name;
        if (auto *reply = xcb_input_xi_query_device_reply(connection, xcb_input_xi_query_device(connection, device), nullptr)) {
            if (auto info = xcb_input_xi_query_device_infos_iterator(reply); info.rem)
                name = QString::fromUtf8(xcb_input_xi_device_info_name(info.data), xcb_input_xi_device_info_name_length(info.data));
            std::free(reply);
        }
        return names[device] = name;
    }

    int xkbEvent = -1;
    int xinputOpcode = -1;
    QHash<int, QString> names;
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

QString RawKeys::keyboardName()
{
    const Filter *raw = filter(false);
    return raw ? raw->keyboardName : QString();
}

bool RawKeys::allDown(const QList<int> &keyCodes)
{
    xcb_connection_t *connection = X11Connection();
    xcb_query_keymap_reply_t *keymap = connection ? xcb_query_keymap_reply(connection, xcb_query_keymap(connection), nullptr) : nullptr;
    if (!keymap)
        return true;
    const bool all = std::all_of(keyCodes.cbegin(), keyCodes.cend(), [keymap](int code) {
        return code >= 0 && code < 256 && (keymap->keys[code / 8] >> (code % 8) & 1);
    });
    std::free(keymap);
    return all;
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
