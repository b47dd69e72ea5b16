#include "reading.h"

#include "curriculum.h"

#include <QSet>

namespace kestova::course {
namespace {

bool isKatakana(QChar c)
{
    return c >= u'ァ' && c <= u'ヶ';
}

// Typed as it is written: kana, ー and the marks the layout has.
bool typedAsWritten(QChar c)
{
    static const QSet<QChar> layout = LayoutKana();
    return layout.contains(c) || layout.contains(TypedKana(QString(c)).front());
}

// Shown and passed over: marks, spaces and symbols the layout has no key
// for, and what lies beyond the basic plane (emoji).
bool passedOver(QChar c)
{
    return !typedAsWritten(c) && (c.isPunct() || c.isSpace() || c.isSymbol() || c.isSurrogate() || c.category() == QChar::Mark_NonSpacing);
}

// Longer than this, a sentence is not matched to its reading word by word:
// the matching's depth and time grow with it.
constexpr qsizetype LongestMatched = 200;

} // namespace

QString TypedKana(QStringView text)
{
    QString typed = text.toString();
    for (QChar &c : typed) {
        if (isKatakana(c) && c != u'ヴ' && c != u'ヵ' && c != u'ヶ') // ヴ has a key of its own
            c = QChar(c.unicode() - (u'ァ' - u'ぁ'));
    }
    return typed;
}

namespace {

// Matches a sentence as written to its reading, character by character: a
// run of kanji takes the reading up to one of the places where the kana
// written after it comes, the first that lets the rest match. Where a
// place cannot (written[i] against reading[j]), it is not tried again.
class Matcher {
public:
    Matcher(const QString &written, const QString &reading) : written(written), reading(reading) {}

    bool from(qsizetype i, qsizetype j)
    {
        if (i == written.size())
            return j == reading.size();
        if (failed.contains({i, j}))
            return false;
        const QChar c = written[i];
        if (passedOver(c) && tryPart(i, i + 1, j, j, false))
            return true;
        if (typedAsWritten(c) && j < reading.size() && reading[j] == TypedKana(QString(c))[0] && tryPart(i, i + 1, j, j + 1, false))
            return true;
        if (!passedOver(c) && !typedAsWritten(c)) {
            qsizetype end = i;
            while (end < written.size() && !typedAsWritten(written[end]) && !passedOver(written[end]))
                ++end;
            qsizetype anchor = end;
            while (anchor < written.size() && passedOver(written[anchor]))
                ++anchor;
            // After a mark, more kanji may come: the reading may end anywhere.
            const bool last = anchor == written.size(), beforeKana = !last && typedAsWritten(written[anchor]);
            const QChar next = beforeKana ? TypedKana(QString(written[anchor]))[0] : QChar();
            for (qsizetype readingEnd = j + 1; readingEnd <= reading.size(); ++readingEnd) {
                const bool fits = last ? readingEnd == reading.size() : readingEnd < reading.size() && (!beforeKana || reading[readingEnd] == next);
                if (fits && tryPart(i, end, j, readingEnd, true))
                    return true;
            }
        }
        failed.insert({i, j});
        return false;
    }

    QList<ReadingPart> parts;

private:
    bool tryPart(qsizetype i, qsizetype end, qsizetype j, qsizetype readingEnd, bool ruby)
    {
        parts.append({written.mid(i, end - i), reading.mid(j, readingEnd - j), ruby});
        if (from(end, readingEnd))
            return true;
        parts.removeLast();
        return false;
    }

    const QString &written, &reading;
    QSet<std::pair<qsizetype, qsizetype>> failed;
};

} // namespace

QList<ReadingPart> ReadingParts(const QString &written, const QString &reading)
{
    Matcher matcher(written, reading);
    if (written.size() > LongestMatched || reading.size() > 2 * LongestMatched || !matcher.from(0, 0))
        return {{written, reading, true}}; // no match: one part, read as a whole
    // Kana next to kana, and marks next to marks, as one part.
    QList<ReadingPart> parts;
    for (const ReadingPart &part : std::as_const(matcher.parts)) {
        if (!part.ruby && !parts.isEmpty() && !parts.back().ruby && parts.back().reading.isEmpty() == part.reading.isEmpty()) {
            parts.back().written += part.written;
            parts.back().reading += part.reading;
        } else {
            parts.append(part);
        }
    }
    return parts;
}

} // namespace kestova::course
