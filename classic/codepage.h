#pragma once

#include <QByteArray>
#include <QString>
#include <QtGlobal>

namespace kestova {

// Code page 932, the Microsoft table of Shift-JIS (glibc iconv "CP932"; never
// "SHIFT_JIS", which turns 0x5C into a yen sign and differs on ～ － ∥).

// Encodes text; a character the code page cannot hold becomes one "?".
QByteArray ToCp932(QStringView text);

// Decodes bytes; an invalid or cut-off sequence becomes "・" (U+30FB) and a
// stray single byte 80, A0, FD..FF the character the Windows table gives it.
QString FromCp932(QByteArrayView bytes);

// Whether a byte starts a double-byte character.
constexpr bool IsCp932LeadByte(unsigned char byte)
{
    return (byte >= 0x81 && byte <= 0x9F) || (byte >= 0xE0 && byte <= 0xFC);
}

// One typed character as the classic key-press event carries it: 0..255 for
// a single-byte character, the double-byte code with the lead byte high
// (negative as a signed value) for a full-width one, "?" when unmappable.
// `character` holds one character (one or two UTF-16 units).
qint16 KeyAsciiFromCharacter(QStringView character);

// The character whose code is KeyAscii (the reverse of the above).
QString CharacterFromKeyAscii(qint16 KeyAscii);

} // namespace kestova
