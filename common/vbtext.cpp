#include "vbtext.h"

#include "runtimeerror.h"

#include <cmath>
#include <cstdlib>

namespace kestova {
namespace {

// A number taken apart: sign, decimal digits and the power of ten that
// follows the last of them; or a bit pattern for &H and &O.
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
        bool ok = false;
        const int power = exponent.toInt(&ok);
        if (!ok || exponent.isEmpty() || !exponent.back().isDigit())
            return std::nullopt;
        number.exponent += power;
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
    const double value = std::strtod(literal.constData(), nullptr);
    if (!std::isfinite(value))
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

    // Split the digits at the decimal point, then round half to even.
    QString whole = number->digits;
    QString fraction;
    if (number->exponent >= 0) {
        whole += QString(number->exponent, u'0');
    } else {
        const qsizetype point = whole.size() + number->exponent;
        if (point <= 0) {
            fraction = QString(-point, u'0') + whole;
            whole.clear();
        } else {
            fraction = whole.sliced(point);
            whole.truncate(point);
        }
    }
    while (whole.size() > 1 && whole.front() == u'0')
        whole.remove(0, 1);
    if (whole.size() > 6)
        overflow();
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

QString TextFromNumber(double value)
{
    if (value == 0)
        return QStringLiteral("0");
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "%.15G", value);
    // C's %G writes exponents as the classic run-time does: "1E+15", "1E-05".
    return QString::fromLatin1(buffer);
}

} // namespace kestova
