#pragma once

#include "keycodes.h"

#include <QHash>
#include <QObject>

class QKeyEvent;

namespace kestova {

// What the desktop's keyboard layout makes of the physical keys now.
class LayoutKeys : public QObject {
    Q_OBJECT

public:
    static LayoutKeys &instance();

    // Read from the X server's keymap, and read again whenever it changes;
    // elsewhere (Wayland) learnt from the keys as they come.
    KeyRole roleOf(int keyCode);
    // The key that types `keysym` without a modifier, where exactly one does,
    // and the other way round.
    int keyCodeOf(quint32 keysym);
    quint32 keysymOf(int keyCode);
    // The keys the desktop reads as Alt, for its shortcuts.
    QList<int> altKeys();
    // A key event tells what its key is now.
    void learn(const QKeyEvent *event);
    // The server's keymap changed (X11): read afresh at the next question.
    void forget();

    // What a test sets instead of the desktop's layout; nothing: all unknown.
    void useRoles(const QHash<int, KeyRole> &roles);

signals:
    void changed();

private:
    explicit LayoutKeys(QObject *application);
    void read();

    bool known = false;
    bool fixed = false;      // a test's roles
    bool fromServer = false; // the X server's keymap, not learnt
    QHash<int, KeyRole> roles;
    QHash<quint32, int> keysyms; // 0 where two keys type it
    QHash<int, quint32> symbols;
};

} // namespace kestova
