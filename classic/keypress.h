#pragma once

#include "codepage.h"

#include <QString>

#include <functional>

namespace kestova {

// The classic key-press event for each typed character: the handler gets
// the character's code page 932 code, as the trainers were written for.
inline std::function<void(const QString &)> AsKeyPress(std::function<void(qint16 &KeyAscii)> keyPress)
{
    return [keyPress = std::move(keyPress)](const QString &character) {
        qint16 KeyAscii = KeyAsciiFromCharacter(character);
        keyPress(KeyAscii);
    };
}

} // namespace kestova
