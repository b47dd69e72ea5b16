#pragma once

#include <QString>
#include <QtGlobal>

#include <optional>

namespace kestova {

// Numbers in text the way the classic run-time reads and writes them: blanks
// around, one sign before or after, parentheses for a negative, "," between
// digits, "." as the decimal point, an exponent, &H hexadecimal and &O octal.

// The number, or nothing when the text is not one (empty, blanks, "1e",
// "12abc", full-width digits).
std::optional<double> NumberFromText(const QString &text);

// The text as a 16-bit integer, rounded half to even on its exact decimal
// digits ("2.5" gives 2, "2.500001" gives 3). Type mismatch (13) when it is no
// number, overflow (6) outside -32768..32767. `what` names the value in the
// error description, as "Mirelo.ini の [指１本] の「文字数」".
qint16 IntegerFromText(const QString &text, const QString &what);

// The shortest text of a double as the classic run-time writes it: up to 15
// significant digits, no trailing zeros ("13.5", "42", "1E+15").
QString TextFromNumber(double value);

} // namespace kestova
