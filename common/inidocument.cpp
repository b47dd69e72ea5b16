#include "inidocument.h"

#include "codepage.h"

#include <QStringDecoder>

#include <algorithm>
#include <cstring>

namespace kestova {
namespace {

constexpr qsizetype ValueLimit = 254; // bytes: the classic 255-byte buffer less its NUL

bool isBlank(char c)
{
    return c == ' ' || c == '\t' || c == '\v';
}

bool isBlank(QChar c)
{
    return c == u' ' || c == u'\t' || c == u'\v';
}

QString trimmedBlanks(const QString &text)
{
    qsizetype begin = 0, end = text.size();
    while (begin < end && isBlank(text[begin]))
        ++begin;
    while (end > begin && isBlank(text[end - 1]))
        --end;
    return text.mid(begin, end - begin);
}

// Parameters lose leading and trailing spaces only; a TAB in a name counts.
QString trimmedSpaces(const QString &text)
{
    qsizetype begin = 0, end = text.size();
    while (begin < end && text[begin] == u' ')
        ++begin;
    while (end > begin && text[end - 1] == u' ')
        --end;
    return begin == 0 && end == text.size() ? text : text.mid(begin, end - begin);
}

bool isAscii(QByteArrayView bytes)
{
    for (char c : bytes) {
        if (static_cast<unsigned char>(c) >= 0x80)
            return false;
    }
    return true;
}

// The longest run of whole characters that fits the classic buffer, up to
// the first NUL.
QByteArrayView cutForBuffer(QByteArrayView cp932)
{
    qsizetype length = 0;
    while (length < cp932.size()) {
        const qsizetype step = IsCp932LeadByte(static_cast<unsigned char>(cp932[length])) ? 2 : 1;
        if (length + step > ValueLimit)
            break;
        length = std::min(length + step, cp932.size());
    }
    cp932 = cp932.first(length);
    const qsizetype nul = cp932.indexOf('\0');
    return nul < 0 ? cp932 : cp932.first(nul);
}

// UTF-8 text as it stands: QString::fromUtf8 would drop a leading U+FEFF,
// which in a file's text is a character like any other.
QString fromUtf8Exact(QByteArrayView bytes)
{
    QStringDecoder decoder(QStringConverter::Utf8, QStringConverter::Flag::ConvertInitialBom);
    return decoder(bytes);
}

bool endsWithLineBreak(const QByteArray &bytes)
{
    return bytes.endsWith('\n') || bytes.endsWith('\r');
}

bool isAsciiCapital(char c)
{
    return c >= 'A' && c <= 'Z';
}

// ASCII capitals folded to lower case, skipping the trail bytes of code page
// 932, which can look like letters; UTF-8 never has ASCII inside a character.
QByteArray foldedBytes(QByteArrayView bytes, bool cp932)
{
    QByteArray folded = bytes.toByteArray();
    for (qsizetype i = 0; i < bytes.size(); ++i) {
        if (cp932 && IsCp932LeadByte(static_cast<unsigned char>(bytes[i])))
            ++i;
        else if (isAsciiCapital(bytes[i]))
            folded[i] = char(bytes[i] + 0x20);
    }
    return folded;
}

// Names lose the spaces around them; bytes of code page 932 or UTF-8, where a
// space is never part of another character.
QByteArrayView withoutSpaces(QByteArrayView bytes)
{
    while (!bytes.isEmpty() && bytes.front() == ' ')
        bytes = bytes.sliced(1);
    while (!bytes.isEmpty() && bytes.back() == ' ')
        bytes.chop(1);
    return bytes;
}

// The classic functions take C strings: text after a NUL never arrives.
QString upToNul(const QString &text)
{
    const qsizetype nul = text.indexOf(QChar(0));
    return nul < 0 ? text : text.left(nul);
}

} // namespace

QString FoldAsciiCase(QString text)
{
    // Most names have no capital letter: leave their text shared, uncopied.
    const auto isCapital = [](QChar c) { return c >= u'A' && c <= u'Z'; };
    if (std::none_of(text.cbegin(), text.cend(), isCapital))
        return text;
    for (QChar &c : text) {
        if (isCapital(c))
            c = QChar(c.unicode() + 0x20);
    }
    return text;
}

QString IniDocument::AnsiName(const QString &name)
{
    return trimmedSpaces(FromCp932(ToCp932(upToNul(name))));
}

IniDocument::IniDocument(const QByteArray &fileBytes)
{
    if (fileBytes.startsWith("\xFF\xFE")) {
        fileEncoding = Encoding::Utf16LeBom;
        const QByteArrayView units = QByteArrayView(fileBytes).sliced(2);
        body = QStringView(reinterpret_cast<const char16_t *>(units.data()), units.size() / 2)
                       .toUtf8();
    } else if (fileBytes.startsWith("\xEF\xBB\xBF")) {
        fileEncoding = Encoding::Utf8Bom;
        body = fileBytes.sliced(3);
    } else {
        body = fileBytes;
    }
    parse();
}

QString IniDocument::decode(QByteArrayView bytes) const
{
    if (isAscii(bytes))
        return QString::fromLatin1(bytes);
    return fileEncoding == Encoding::Cp932 ? FromCp932(bytes) : fromUtf8Exact(bytes);
}

QByteArray IniDocument::encode(const QString &text) const
{
    return fileEncoding == Encoding::Cp932 ? ToCp932(text) : text.toUtf8();
}

QByteArray IniDocument::fileBytesOf(const QByteArray &text) const
{
    switch (fileEncoding) {
    case Encoding::Utf8Bom:
        return "\xEF\xBB\xBF" + text;
    case Encoding::Utf16LeBom: {
        const QString wide = fromUtf8Exact(text);
        return "\xFF\xFE"
                + QByteArray(reinterpret_cast<const char *>(wide.utf16()), wide.size() * 2);
    }
    case Encoding::Cp932:
        break;
    }
    return text;
}

void IniDocument::parse()
{
    const char *data = body.constData();
    const qsizetype size = body.size();
    lines.reserve(body.count('\n') + 1);
    for (qsizetype begin = 0; begin < size;) {
        qsizetype end = begin;
        while (end < size && data[end] != '\r' && data[end] != '\n')
            ++end;
        qsizetype next = end;
        if (next < size)
            next += (data[next] == '\r' && next + 1 < size && data[next + 1] == '\n') ? 2 : 1;
        lines.append({begin, end, next});
        begin = next;
    }

    // Which lines open a section and which hold keys, in one pass; then the
    // keys of each section, with room made for all its lines at once.
    QList<int> headers;
    for (int i = 0; i < lines.size(); ++i) {
        qsizetype first = lines[i].begin;
        while (first < lines[i].end && isBlank(data[first]))
            ++first;
        if (first < lines[i].end && data[first] == '[')
            headers.append(i);
    }
    headers.append(int(lines.size()));
    for (qsizetype h = 0; h + 1 < headers.size(); ++h) {
        const int header = headers[h];
        const qsizetype first = lines[header].begin + QByteArrayView(data + lines[header].begin,
                                lines[header].end - lines[header].begin).indexOf('[');
        QString name = decode(QByteArrayView(data + first + 1, lines[header].end - first - 1));
        const qsizetype close = name.indexOf(u']');
        if (close >= 0)
            name.truncate(close);
        name = FoldAsciiCase(trimmedBlanks(name));
        // A repeated section is never read: the first of a name wins.
        if (sectionByName.contains(name))
            continue;
        sectionByName.insert(name, int(sections.size()));
        sections.append({header, -1, {}, {}});
        Section &section = sections.last();
        const int lineCount = headers[h + 1] - header - 1;
        section.keys.reserve(lineCount);
        section.keyLines.reserve(lineCount);
        for (int i = header + 1; i < headers[h + 1]; ++i)
            addKeyLine(section, i);
    }
}

void IniDocument::addKeyLine(Section &section, int lineIndex)
{
    const char *data = body.constData();
    const Line &line = lines[lineIndex];
    qsizetype first = line.begin;
    while (first < line.end && isBlank(data[first]))
        ++first;
    if (first == line.end || data[first] == ';')
        return;
    const auto *equals = static_cast<const char *>(
            std::memchr(data + line.begin, '=', size_t(line.end - line.begin)));
    if (!equals)
        return;
    section.lastKeyLine = lineIndex;

    qsizetype keyBegin = line.begin;
    qsizetype keyEnd = equals - data;
    while (keyBegin < keyEnd && isBlank(data[keyBegin]))
        ++keyBegin;
    while (keyEnd > keyBegin && isBlank(data[keyEnd - 1]))
        --keyEnd;
    qsizetype valueBegin = equals - data + 1;
    qsizetype valueEnd = line.end;
    while (valueBegin < valueEnd && isBlank(data[valueBegin]))
        ++valueBegin;
    while (valueEnd > valueBegin && isBlank(data[valueEnd - 1]))
        --valueEnd;

    const QByteArrayView key = storedKey(QByteArrayView(data + keyBegin, keyEnd - keyBegin));
    if (section.keys.insert(key).second)
        section.keyLines.append({lineIndex, keyEnd, valueBegin, valueEnd});
}

// A key of the file as lookups compare it (see keyBytes). Most keys are
// their own bytes; the others are kept beside the file's text.
QByteArrayView IniDocument::storedKey(QByteArrayView raw)
{
    const bool cp932 = fileEncoding == Encoding::Cp932;
    QByteArray key;
    if (cp932 && !isAscii(raw)) {
        // Through the code page and back, as a parameter goes: bytes the
        // code page rejects read as the character they decode to.
        key = foldedBytes(ToCp932(FromCp932(raw)), true);
    } else if (std::any_of(raw.begin(), raw.end(), isAsciiCapital)) {
        key = foldedBytes(raw, cp932);
    } else {
        return raw;
    }
    ownedKeys.append(key);
    return ownedKeys.last();
}

// A key parameter as the classic functions see it (through code page 932,
// spaces trimmed), in the file's own encoding, ASCII case folded.
QByteArray IniDocument::keyBytes(const QString &key) const
{
    if (fileEncoding != Encoding::Cp932)
        return foldedBytes(AnsiName(key).toUtf8(), false);
    return foldedBytes(withoutSpaces(ToCp932(upToNul(key))), true);
}

int IniDocument::findSection(const QString &section) const
{
    // A list is read key by key from one section.
    if (!lastSection.name.isNull() && section == lastSection.name)
        return lastSection.index;
    lastSection = {section, findSectionByName(section)};
    return lastSection.index;
}

int IniDocument::findSectionByName(const QString &section) const
{
    // Names read from a code page 932 file survive the trip through the code
    // page, so a name found as given needs no conversion first.
    if (fileEncoding == Encoding::Cp932) {
        const auto direct = sectionByName.constFind(FoldAsciiCase(trimmedSpaces(section)));
        if (direct != sectionByName.cend())
            return *direct;
    }
    return sectionByName.value(FoldAsciiCase(AnsiName(section)), -1);
}

const IniDocument::KeyLine *IniDocument::findKey(const Section &section, const QString &key) const
{
    // Short ASCII keys, such as the numbers of a word list, are spelled out
    // on the stack: this runs once for every word.
    char ascii[32];
    qsizetype length = 0;
    for (QChar c : key) {
        if (c.unicode() >= 0x80 || length == qsizetype(sizeof ascii)) {
            length = -1;
            break;
        }
        if (c.unicode() == 0)
            break;
        ascii[length++] = char(isAsciiCapital(char(c.unicode())) ? c.unicode() + 0x20 : c.unicode());
    }
    const int found = length >= 0 ? section.keys.find(withoutSpaces({ascii, length}))
                                  : section.keys.find(keyBytes(key));
    return found < 0 ? nullptr : &section.keyLines[found];
}

std::optional<QString> IniDocument::Value(const QString &section, const QString &key) const
{
    const int sectionIndex = findSection(section);
    if (sectionIndex < 0)
        return std::nullopt;
    const KeyLine *keyLine = findKey(sections[sectionIndex], key);
    if (!keyLine)
        return std::nullopt;
    return keyLine->text.isNull() ? valueText(*keyLine) : keyLine->text;
}

void IniDocument::DecodeValues()
{
    for (Section &section : sections) {
        for (KeyLine &keyLine : section.keyLines)
            keyLine.text = valueText(keyLine);
    }
}

QString IniDocument::valueText(const KeyLine &keyLine) const
{
    QByteArrayView value(body.constData() + keyLine.valueBegin,
                         keyLine.valueEnd - keyLine.valueBegin);
    if (value.size() >= 2 && value.front() == value.back()
        && (value.front() == '"' || value.front() == '\''))
        value = value.sliced(1, value.size() - 2);
    if (fileEncoding == Encoding::Cp932)
        return FromCp932(cutForBuffer(value));
    return FromCp932(cutForBuffer(ToCp932(fromUtf8Exact(value))));
}

QByteArray IniDocument::WithValue(const QString &section, const QString &key,
                                  const QString &value) const
{
    const QString sectionName = AnsiName(section);
    const QString keyName = AnsiName(key);
    const QString ansiValue = FromCp932(ToCp932(upToNul(value)));
    const QByteArray keyLine = encode(keyName) + '=' + encode(ansiValue) + "\r\n";

    const auto sectionIt = sectionByName.constFind(FoldAsciiCase(sectionName));
    if (sectionIt == sectionByName.cend()) {
        QByteArray text = body;
        if (!text.isEmpty() && !endsWithLineBreak(text))
            text += "\r\n";
        text += encode(u'[' + sectionName + u']') + "\r\n" + keyLine;
        return fileBytesOf(text);
    }

    const Section &found = sections[*sectionIt];
    if (const KeyLine *keyIt = findKey(found, keyName)) {
        // The key keeps its spelling and place; the rest of its line is new.
        const Line &line = lines[keyIt->line];
        const QByteArray lineBreak =
                line.next > line.end ? body.mid(line.end, line.next - line.end) : "\r\n";
        return fileBytesOf(body.left(keyIt->keyEnd) + '=' + encode(ansiValue) + lineBreak
                           + body.mid(line.next));
    }

    const Line &after = lines[found.lastKeyLine >= 0 ? found.lastKeyLine : found.headerLine];
    if (after.next == after.end)
        return fileBytesOf(body.left(after.end) + "\r\n" + keyLine);
    return fileBytesOf(body.left(after.next) + keyLine + body.mid(after.next));
}

} // namespace kestova
