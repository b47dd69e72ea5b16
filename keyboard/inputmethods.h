#pragma once

#include <QObject>

namespace kestova {

// Which input method really reads the keys, and whether it types Japanese
// now: QT_IM_MODULE names only a wish, and Qt falls back to its own compose
// handling where the wish cannot be met (no daemon running, or a module it
// does not have), which swallows dead keys as any Latin input method does.
class InputMethods : public QObject {
    Q_OBJECT

public:
    static InputMethods &instance();

    // No input method: Qt's own compose handling.
    bool composeOnly() const;
    // An input method that types Japanese now, as it tells of itself: IBus
    // by the language of its engine, fcitx5 of the one its input context
    // uses, once it has said so.
    bool typesJapanese() const;
    // It gave a key of the layout back as the key it is: it types no
    // Japanese now, whatever it said, until it says something new.
    void gaveBackKey();

signals:
    void changed();

private:
    explicit InputMethods(QObject *application);
    bool told = false;
    bool givenBack = false;
};

} // namespace kestova
