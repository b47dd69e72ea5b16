#include "codepage.h"

#include <algorithm>
#include <array>
#include <memory>
#include <cerrno>
#include <iconv.h>

namespace kestova {
namespace {

constexpr char16_t MiddleDot = u'\u30FB';

bool isTrailByte(unsigned char byte)
{
    return (byte >= 0x40 && byte <= 0x7E) || (byte >= 0x80 && byte <= 0xFC);
}

// Windows' table gives these single bytes a character; glibc rejects them.
char16_t strayByteCharacter(unsigned char byte)
{
    switch (byte) {
    case 0x80: return u'\u0080';
    case 0xA0: return u'\uF8F0';
    case 0xFD: return u'\uF8F1';
    case 0xFE: return u'\uF8F2';
    case 0xFF: return u'\uF8F3';
    default: return MiddleDot;
    }
}

// The single bytes above, back from their characters; "?" for any other
// character the code page lacks.
unsigned char strayByteOf(char16_t character)
{
    switch (character) {
    case u'\u0080': return 0x80;
    case u'\uF8F0': return 0xA0;
    case u'\uF8F1': return 0xFD;
    case u'\uF8F2': return 0xFE;
    case u'\uF8F3': return 0xFF;
    default: return '?';
    }
}

// One conversion descriptor per direction and thread, opened on first use:
// opening one costs far more than converting a typed character.
class Converter {
public:
    Converter(const char *to, const char *from) : cd(iconv_open(to, from))
    {
        if (cd == reinterpret_cast<iconv_t>(-1))
            qFatal("iconv cannot convert between %s and %s", from, to);
    }
    ~Converter() { iconv_close(cd); }
    Converter(const Converter &) = delete;
    Converter &operator=(const Converter &) = delete;

    // Converts as much as it can; returns false with errno set where it stops.
    bool convert(const char *&in, size_t &inLeft, char *&out, size_t &outLeft)
    {
        auto *input = const_cast<char *>(in);
        const size_t result = iconv(cd, &input, &inLeft, &out, &outLeft);
        in = input;
        if (result == size_t(-1)) {
            iconv(cd, nullptr, nullptr, nullptr, nullptr);
            return false;
        }
        return true;
    }

private:
    iconv_t cd;
};

Converter &encoder()
{
    thread_local Converter converter("CP932", "UTF-16LE");
    return converter;
}

Converter &decoder()
{
    thread_local Converter converter("UTF-16LE", "CP932");
    return converter;
}

// Decodes with iconv, replacing what it rejects the way Windows does.
QString decodeWithIconv(QByteArrayView bytes)
{
    QString result(bytes.size(), Qt::Uninitialized);
    const char *in = bytes.data();
    size_t inLeft = size_t(bytes.size());
    char *out = reinterpret_cast<char *>(result.data());
    size_t outLeft = size_t(result.size()) * 2;
    while (!decoder().convert(in, inLeft, out, outLeft)) {
        const auto lead = static_cast<unsigned char>(in[0]);
        size_t skip = 1;
        char16_t replacement = strayByteCharacter(lead);
        if (IsCp932LeadByte(lead)) {
            replacement = MiddleDot;
            if (inLeft >= 2 && isTrailByte(static_cast<unsigned char>(in[1])))
                skip = 2;
        }
        in += skip;
        inLeft -= skip;
        *reinterpret_cast<char16_t *>(out) = replacement;
        out += 2;
        outLeft -= 2;
    }
    result.truncate((out - reinterpret_cast<char *>(result.data())) / 2);
    return result;
}

// The characters of the double-byte codes with one lead byte, filled from
// iconv the first time that lead byte is met; 0 where the code has none.
// Calling iconv for every short value costs more than the rest of reading a
// large word list together.
using TrailTable = std::array<char16_t, 256>;

const TrailTable &trailTable(unsigned char lead)
{
    thread_local std::array<std::unique_ptr<TrailTable>, 256> tables;
    std::unique_ptr<TrailTable> &table = tables[lead];
    if (!table) {
        table = std::make_unique<TrailTable>();
        table->fill(0);
        for (int trail = 0x40; trail <= 0xFC; ++trail) {
            const char code[2] = {char(lead), char(trail)};
            const char *in = code;
            size_t inLeft = 2;
            char16_t unit[2];
            char *out = reinterpret_cast<char *>(unit);
            size_t outLeft = sizeof unit;
            if (decoder().convert(in, inLeft, out, outLeft) && outLeft == 2)
                (*table)[trail] = unit[0];
        }
    }
    return *table;
}

} // namespace

QByteArray ToCp932(QStringView text)
{
    if (std::all_of(text.begin(), text.end(), [](QChar c) { return c.unicode() < 0x80; }))
        return text.toLatin1();
    QByteArray result(text.size() * 2, Qt::Uninitialized);
    const char *in = reinterpret_cast<const char *>(text.utf16());
    size_t inLeft = size_t(text.size()) * 2;
    char *out = result.data();
    size_t outLeft = size_t(result.size());
    while (!encoder().convert(in, inLeft, out, outLeft)) {
        // Only unmappable input stops us: two bytes per UTF-16 unit always fit.
        const auto *unit = reinterpret_cast<const char16_t *>(in);
        const bool pair = inLeft >= 4 && QChar::isHighSurrogate(unit[0])
                && QChar::isLowSurrogate(unit[1]);
        const size_t skip = pair ? 4 : 2;
        in += skip;
        inLeft -= skip;
        *out++ = char(strayByteOf(unit[0]));
        --outLeft;
    }
    result.truncate(out - result.data());
    return result;
}

QString FromCp932(QByteArrayView bytes)
{
    QString result(bytes.size(), Qt::Uninitialized);
    char16_t *out = reinterpret_cast<char16_t *>(result.data());
    for (qsizetype i = 0; i < bytes.size(); ++i) {
        const auto byte = static_cast<unsigned char>(bytes[i]);
        if (byte < 0x80) {
            *out++ = byte;
        } else if (byte >= 0xA1 && byte <= 0xDF) {
            *out++ = char16_t(u'\uFF61' + (byte - 0xA1)); // half-width katakana
        } else {
            const char16_t character = IsCp932LeadByte(byte) && i + 1 < bytes.size()
                    ? trailTable(byte)[static_cast<unsigned char>(bytes[i + 1])]
                    : 0;
            // Anything the tables do not know goes the long way, whole.
            if (!character)
                return decodeWithIconv(bytes);
            *out++ = character;
            ++i;
        }
    }
    result.truncate(out - reinterpret_cast<const char16_t *>(result.constData()));
    return result;
}

qint16 KeyAsciiFromCharacter(QStringView character)
{
    const QByteArray code = ToCp932(character);
    if (code.size() == 1)
        return static_cast<unsigned char>(code[0]);
    if (code.size() == 2)
        return static_cast<qint16>(static_cast<unsigned char>(code[0]) << 8
                                   | static_cast<unsigned char>(code[1]));
    return '?';
}

QString CharacterFromKeyAscii(qint16 KeyAscii)
{
    const auto code = static_cast<quint16>(KeyAscii);
    if (code <= 0xFF) {
        const char byte = static_cast<char>(code);
        return FromCp932(QByteArrayView(&byte, 1));
    }
    const char pair[2] = {static_cast<char>(code >> 8), static_cast<char>(code & 0xFF)};
    return FromCp932(QByteArrayView(pair, 2));
}

} // namespace kestova
