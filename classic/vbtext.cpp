#include "vbtext.h"

#include "runtimeerror.h"

#include <algorithm>
#include <charconv>
#include <cmath>

using namespace Qt::StringLiterals;

namespace kestova {
namespace {

// A number taken apart: sign, decimal digits and the power of ten that
// follows the last of them; or a bit pattern for &H and &O.
constexpr qint64 MaxExponent = 100'000;

struct ParsedNumber {
    bool negative = false;
    QString digits;
    int exponent = 0;
    std::optional<quint64> bits;
};

bool isBlank(QChar c)
{
    return c == u' ' || c == u'\t' || c == u'\u3000';
}

std::optional<ParsedNumber> parse(const QString &text)
{
    qsizetype begin = 0, end = text.size();
    while (begin < end && isBlank(text[begin]))
        ++begin;
    while (end > begin && isBlank(text[end - 1]))
        --end;
    QStringView rest = QStringView(text).sliced(begin, end - begin);
    ParsedNumber number;

    if (rest.startsWith(u'(') && rest.endsWith(u')') && rest.size() > 2) {
        number.negative = true;
        rest = rest.sliced(1, rest.size() - 2);
    } else if (rest.startsWith(u'-') || rest.startsWith(u'+')) {
        number.negative = rest.front() == u'-';
        rest = rest.sliced(1);
    } else if (rest.endsWith(u'-') || rest.endsWith(u'+')) {
        number.negative = rest.back() == u'-';
        rest.chop(1);
    }

    if (rest.size() > 2 && rest[0] == u'&' && (rest[1].toUpper() == u'H' || rest[1].toUpper() == u'O')) {
        const int base = rest[1].toUpper() == u'H' ? 16 : 8;
        quint64 value = 0;
        for (QChar c : rest.sliced(2)) {
            const char16_t unit = c.unicode();
            int digit = -1;
            if (unit >= u'0' && unit <= u'9')
                digit = unit - u'0';
            else if (unit >= u'a' && unit <= u'f')
                digit = unit - u'a' + 10;
            else if (unit >= u'A' && unit <= u'F')
                digit = unit - u'A' + 10;
            if (digit < 0 || digit >= base || value > (quint64(1) << 40))
                return std::nullopt;
            value = value * quint64(base) + quint64(digit);
        }
        number.bits = value;
        return number;
    }

    bool sawDigit = false, sawPoint = false;
    qsizetype i = 0;
    for (; i < rest.size(); ++i) {
        const QChar c = rest[i];
        if (c >= u'0' && c <= u'9') {
            sawDigit = true;
            number.digits += c;
            if (sawPoint)
                --number.exponent;
        } else if (c == u',' && sawDigit && !sawPoint) {
            continue;
        } else if (c == u'.' && !sawPoint) {
            sawPoint = true;
        } else {
            break;
        }
    }
    if (!sawDigit)
        return std::nullopt;
    if (i < rest.size()) {
        if (rest[i] != u'e' && rest[i] != u'E')
            return std::nullopt;
        QStringView exponent = rest.sliced(i + 1);
        const bool negative = exponent.startsWith(u'-');
        if (negative || exponent.startsWith(u'+'))
            exponent = exponent.sliced(1);
        if (exponent.isEmpty())
            return std::nullopt;
        // Far beyond any double either way: the size is all that matters.
        qint64 power = 0;
        for (QChar c : exponent) {
            if (c < u'0' || c > u'9')
                return std::nullopt;
            power = std::min<qint64>(power * 10 + (c.unicode() - u'0'), MaxExponent);
        }
        number.exponent = int(std::clamp<qint64>(number.exponent + (negative ? -power : power), -MaxExponent, MaxExponent));
    }
    return number;
}

} // namespace

std::optional<double> NumberFromText(const QString &text)
{
    const std::optional<ParsedNumber> number = parse(text);
    if (!number)
        return std::nullopt;
    if (number->bits)
        return double(*number->bits);
    const QByteArray literal = number->digits.toLatin1() + 'e' + QByteArray::number(number->exponent);
    double value = 0;
    const auto [end, error] = std::from_chars(literal.cbegin(), literal.cend(), value);
    if (error == std::errc::result_out_of_range && number->exponent < 0)
        value = 0;
    else if (error != std::errc() || !std::isfinite(value))
        return std::nullopt;
    return number->negative ? -value : value;
}

qint16 IntegerFromText(const QString &text, const QString &what)
{
    const std::optional<ParsedNumber> number = parse(text);
    if (!number)
        Raise(TypeMismatchError, QStringLiteral("%1が数値ではありません（「%2」）。").arg(what, text));
    const auto overflow = [&] {
        Raise(OverflowError,
              QStringLiteral("%1が -32768 から 32767 の範囲にありません（「%2」）。").arg(what, text));
    };
    if (number->bits) {
        // A bit pattern: &HFFFF is -1.
        if (*number->bits > 0xFFFF)
            overflow();
        const auto value = qint16(quint16(*number->bits));
        return number->negative ? qint16(-value) : value;
    }

    // Split the digits at the decimal point, then round half to even. Only
    // the first digit after the point and whether any other follows matter,
    // so an exponent far out costs nothing.
    QString digits = number->digits;
    while (digits.size() > 1 && digits.front() == u'0')
        digits.remove(0, 1);
    const qint64 point = digits.size() + qint64(number->exponent);
    if (digits != u"0" && point > 6)
        overflow();
    QString whole, fraction;
    if (point > 0) {
        whole = digits.left(qsizetype(point)) + QString(qsizetype(std::max<qint64>(0, point - digits.size())), u'0');
        fraction = digits.mid(qsizetype(point));
    } else if (point == 0) {
        fraction = digits;
    } else {
        fraction = u"01"_s; // below a tenth: never rounded up
    }
    qint64 value = whole.isEmpty() ? 0 : whole.toLongLong();
    if (!fraction.isEmpty()) {
        const QChar first = fraction.front();
        const bool restZero = QStringView(fraction).sliced(1).count(u'0') == fraction.size() - 1;
        if (first > u'5' || (first == u'5' && !restZero) || (first == u'5' && value % 2 == 1))
            ++value;
    }
    if (number->negative)
        value = -value;
    if (value < -32768 || value > 32767)
        overflow();
    return qint16(value);
}

// Always with a "." whatever the user's locale: the C library's formatting
// would follow it, and a "," would be read back as thousands.
QString TextFromNumber(double value)
{
    if (value == 0)
        return QStringLiteral("0");
    char buffer[64];
    const auto end = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::general, 15).ptr;
    // Exponents as the classic run-time writes them: "1E+15", "1E-05".
    return QString::fromLatin1(buffer, end - buffer).toUpper();
}

} // namespace kestova
