#include "inidocument.h"

#include "codepage.h"

#include <QHash>
#include <QStringDecoder>

#include <algorithm>
#include <cstring>
#include <map>

using namespace Qt::StringLiterals;

namespace kestova {

// Keeps names and keys that differ from their bytes in the file, in chunks
// that never move, so that the indexes can hold views of them.
class IniDocument::Arena {
public:
    QByteArrayView keep(QByteArrayView bytes)
    {
        const auto size = size_t(bytes.size());
        if (size > room) {
            room = std::max(ChunkSize, size);
            chunks.push_back(std::make_unique<char[]>(room));
            next = chunks.back().get();
        }
        if (size)
            std::memcpy(next, bytes.data(), size);
        const QByteArrayView kept(next, bytes.size());
        next += size;
        room -= size;
        return kept;
    }

private:
    static constexpr size_t ChunkSize = 64 * 1024;
    std::vector<std::unique_ptr<char[]>> chunks;
    char *next = nullptr;
    size_t room = 0;
};

namespace {

constexpr qsizetype ValueLimit = 254; // bytes: the classic 255-byte buffer less its NUL

bool isBlank(char c)
{
    return c == ' ' || c == '\t' || c == '\v';
}

QString trimmedBlanks(const QString &text)
{
    qsizetype begin = 0, end = text.size();
    while (begin < end && (text[begin] == u' ' || text[begin] == u'\t' || text[begin] == u'\v'))
        ++begin;
    while (end > begin && (text[end - 1] == u' ' || text[end - 1] == u'\t' || text[end - 1] == u'\v'))
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
    return std::all_of(bytes.begin(), bytes.end(), [](char c) { return static_cast<unsigned char>(c) < 0x80; });
}

bool isAsciiCapital(char c)
{
    return c >= 'A' && c <= 'Z';
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

// UTF-16 held as UTF-8 without loss: a lone surrogate gets the three bytes
// its code would have, which no UTF-8 decoder accepts but which come back as
// the same unit.
QByteArray wtf8Of(QStringView units)
{
    QByteArray bytes;
    bytes.reserve(units.size() * 3);
    for (qsizetype i = 0; i < units.size(); ++i) {
        char32_t code = units[i].unicode();
        if (QChar::isHighSurrogate(code) && i + 1 < units.size() && units[i + 1].isLowSurrogate())
            code = QChar::surrogateToUcs4(char16_t(code), units[++i].unicode());
        if (code < 0x80) {
            bytes += char(code);
        } else if (code < 0x800) {
            bytes += char(0xC0 | code >> 6);
            bytes += char(0x80 | (code & 0x3F));
        } else if (code < 0x10000) {
            bytes += char(0xE0 | code >> 12);
            bytes += char(0x80 | (code >> 6 & 0x3F));
            bytes += char(0x80 | (code & 0x3F));
        } else {
            bytes += char(0xF0 | code >> 18);
            bytes += char(0x80 | (code >> 12 & 0x3F));
            bytes += char(0x80 | (code >> 6 & 0x3F));
            bytes += char(0x80 | (code & 0x3F));
        }
    }
    return bytes;
}

QString unitsOfWtf8(QByteArrayView bytes)
{
    QString units;
    units.reserve(bytes.size());
    for (qsizetype i = 0; i < bytes.size();) {
        const auto lead = static_cast<unsigned char>(bytes[i]);
        const int length = lead < 0x80 ? 1 : lead < 0xE0 ? 2 : lead < 0xF0 ? 3 : 4;
        char32_t code = length == 1 ? lead : length == 2 ? lead & 0x1F : length == 3 ? lead & 0x0F : lead & 0x07;
        for (int k = 1; k < length && i + k < bytes.size(); ++k)
            code = code << 6 | (static_cast<unsigned char>(bytes[i + k]) & 0x3F);
        i += length;
        if (code >= 0x10000) {
            units += QChar(QChar::highSurrogate(code));
            units += QChar(QChar::lowSurrogate(code));
        } else {
            units += QChar(char16_t(code));
        }
    }
    return units;
}

bool endsWithLineBreak(const QByteArray &bytes)
{
    return bytes.endsWith('\n') || bytes.endsWith('\r');
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

bool breaksLines(const QString &text)
{
    return text.contains(u'\r') || text.contains(u'\n');
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

QString IniDocument::ansiName(const QString &name)
{
    return trimmedSpaces(FromCp932(ToCp932(upToNul(name))));
}

IniDocument::IniDocument() : arena(std::make_unique<Arena>()) {}
IniDocument::IniDocument(IniDocument &&) noexcept = default;
IniDocument &IniDocument::operator=(IniDocument &&) noexcept = default;
IniDocument::~IniDocument() = default;

IniDocument::IniDocument(const QByteArray &fileBytes) : IniDocument()
{
    if (fileBytes.startsWith("\xFF\xFE")) {
        fileEncoding = Encoding::Utf16LeBom;
        const QByteArrayView units = QByteArrayView(fileBytes).sliced(2);
        body = wtf8Of(QStringView(reinterpret_cast<const char16_t *>(units.data()), units.size() / 2));
        oddByte = units.size() % 2 ? QByteArray(1, units.back()) : QByteArray();
    } else if (fileBytes.startsWith("\xEF\xBB\xBF")) {
        fileEncoding = Encoding::Utf8Bom;
        body = fileBytes.sliced(3);
    } else {
        body = fileBytes;
    }
    if (body.size() < std::numeric_limits<qint32>::max())
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
    return fileEncoding == Encoding::Cp932 ? ToCp932(text) : wtf8Of(text);
}

QByteArray IniDocument::fileBytesOf(const QByteArray &text) const
{
    switch (fileEncoding) {
    case Encoding::Utf8Bom:
        return "\xEF\xBB\xBF" + text;
    case Encoding::Utf16LeBom: {
        const QString units = unitsOfWtf8(text);
        return "\xFF\xFE" + QByteArray(reinterpret_cast<const char *>(units.utf16()), units.size() * 2) + oddByte;
    }
    case Encoding::Cp932:
        break;
    }
    return text;
}

// Sections are compared by their decoded names, ASCII case folded, as UTF-8.
QByteArray IniDocument::nameKey(const QString &decodedName) const
{
    return FoldAsciiCase(decodedName).toUtf8();
}

void IniDocument::parse()
{
    const char *data = body.constData();
    const auto size = qint32(body.size());
    // Room for a key per line that could hold one, not per "=" alone.
    keyIndex.reserve(qMin(body.count('='), body.count('\n') + body.count('\r') + 1));
    int current = -1; // the section whose keys the lines are; -1 before the first or in a repeat
    for (qint32 begin = 0; begin < size;) {
        qint32 end = begin;
        while (end < size && data[end] != '\r' && data[end] != '\n')
            ++end;
        const qint32 next = end == size ? end : end + (data[end] == '\r' && end + 1 < size && data[end + 1] == '\n' ? 2 : 1);
        qint32 first = begin;
        while (first < end && isBlank(data[first]))
            ++first;
        if (first < end && data[first] == '[') {
            QString name = decode(QByteArrayView(data + first + 1, end - first - 1));
            if (const qsizetype close = name.indexOf(u']'); close >= 0)
                name.truncate(close);
            const QByteArrayView key = arena->keep(nameKey(trimmedBlanks(name)));
            // A repeated section is never read: the first of a name wins.
            const auto [number, isNew] = sectionIndex.insert(0, key);
            current = isNew ? number : -1;
            if (isNew)
                newKeyPlaces.push_back(next);
        } else if (current >= 0 && first < end && data[first] != ';') {
            addKeyLine(current, begin, end, next);
        }
        begin = next;
    }
}

void IniDocument::addKeyLine(int section, qint32 begin, qint32 end, qint32 next)
{
    const char *data = body.constData();
    const auto *equals = static_cast<const char *>(std::memchr(data + begin, '=', size_t(end - begin)));
    if (!equals)
        return;
    newKeyPlaces[size_t(section)] = next;

    qint32 keyBegin = begin, keyEnd = qint32(equals - data);
    while (keyBegin < keyEnd && isBlank(data[keyBegin]))
        ++keyBegin;
    while (keyEnd > keyBegin && isBlank(data[keyEnd - 1]))
        --keyEnd;
    qint32 valueBegin = qint32(equals - data) + 1, valueEnd = end;
    while (valueBegin < valueEnd && isBlank(data[valueBegin]))
        ++valueBegin;
    while (valueEnd > valueBegin && isBlank(data[valueEnd - 1]))
        --valueEnd;

    const QByteArrayView key = storedKey(QByteArrayView(data + keyBegin, keyEnd - keyBegin));
    if (keyIndex.insert(section, key).second)
        keyLines.push_back({keyEnd, valueBegin, valueEnd, next});
}

// A key of the file as lookups compare it (see keyBytes). Most keys are
// their own bytes; the others are kept in the arena.
QByteArrayView IniDocument::storedKey(QByteArrayView raw)
{
    const bool cp932 = fileEncoding == Encoding::Cp932;
    if (cp932 && !isAscii(raw)) // through the code page and back, as a parameter goes
        return arena->keep(foldedBytes(ToCp932(FromCp932(raw)), true));
    if (std::any_of(raw.begin(), raw.end(), isAsciiCapital))
        return arena->keep(foldedBytes(raw, cp932));
    return raw;
}

// A key parameter as the classic functions see it (through code page 932,
// spaces trimmed), in the file's own encoding, ASCII case folded.
QByteArray IniDocument::keyBytes(const QString &key) const
{
    if (fileEncoding != Encoding::Cp932)
        return foldedBytes(wtf8Of(ansiName(key)), false);
    return foldedBytes(withoutSpaces(ToCp932(upToNul(key))), true);
}

int IniDocument::findSection(const QString &section) const
{
    // A list is read key by key from one section.
    if (lastSection.name.isNull() || section != lastSection.name)
        lastSection = {section, sectionIndex.find(0, nameKey(ansiName(section)))};
    return lastSection.index;
}

int IniDocument::findKey(int section, const QString &key) const
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
    return length >= 0 ? keyIndex.find(section, withoutSpaces({ascii, length})) : keyIndex.find(section, keyBytes(key));
}

std::optional<QString> IniDocument::value(const QString &section, const QString &key) const
{
    const int sectionIndex = findSection(section);
    const int found = sectionIndex < 0 ? -1 : findKey(sectionIndex, key);
    if (found < 0)
        return std::nullopt;
    return decodedValues.empty() ? valueText(keyLines[size_t(found)]) : decodedValues[size_t(found)];
}

void IniDocument::decodeValues()
{
    decodedValues.resize(keyLines.size());
    for (size_t i = 0; i < keyLines.size(); ++i)
        decodedValues[i] = valueText(keyLines[i]);
}

QString IniDocument::valueText(const KeyLine &keyLine) const
{
    QByteArrayView value(body.constData() + keyLine.valueBegin, keyLine.valueEnd - keyLine.valueBegin);
    if (value.size() >= 2 && value.front() == value.back() && (value.front() == '"' || value.front() == '\''))
        value = value.sliced(1, value.size() - 2);
    if (fileEncoding == Encoding::Cp932)
        return FromCp932(cutForBuffer(value));
    return FromCp932(cutForBuffer(ToCp932(fromUtf8Exact(value))));
}

bool IniDocument::holdsSectionsOf(const IniDocument &earlier) const
{
    // Sections are numbered as they first come; each has its place for new keys.
    for (int section = 0; section < int(earlier.newKeyPlaces.size()); ++section) {
        if (sectionIndex.find(0, earlier.sectionIndex.bytesOf(section)) < 0)
            return false;
    }
    return true;
}

QString IniDocument::refusal(const Edit &edit)
{
    const QString section = ansiName(edit.section), key = ansiName(edit.key);
    if (breaksLines(section) || breaksLines(key) || breaksLines(edit.value))
        return u"改行を含む名前や値は書き込めません。"_s;
    if (section.contains(u']'))
        return u"セクション名に「]」は使えません（「%1」）。"_s.arg(section);
    if (key.contains(u'='))
        return u"キー名に「=」は使えません（「%1」）。"_s.arg(key);
    if (const QString start = trimmedBlanks(key).left(1); start == u"[" || start == u";")
        return u"キー名を「%1」で始めることはできません（「%2」）。"_s.arg(start, key);
    // A file's names lose their tabs at the ends too: such a name would read back as another.
    if (trimmedBlanks(section) != section || trimmedBlanks(key) != key)
        return u"名前の前後にタブは使えません（「%1」「%2」）。"_s.arg(section, key);
    return {};
}

QByteArray IniDocument::withValues(const QList<Edit> &edits) const
{
    // The last value of each key, in the order the keys first come.
    struct Store {
        QString section, key, value;
    };
    std::vector<Store> stores;
    QHash<QPair<QByteArray, QByteArray>, size_t> storeOf;
    for (const Edit &edit : edits) {
        if (!refusal(edit).isEmpty())
            continue;
        Store store{ansiName(edit.section), ansiName(edit.key), FromCp932(ToCp932(upToNul(edit.value)))};
        const QPair<QByteArray, QByteArray> name{nameKey(store.section), keyBytes(store.key)};
        if (const auto known = storeOf.constFind(name); known != storeOf.cend()) {
            stores[*known].value = store.value;
        } else {
            storeOf.insert(name, stores.size());
            stores.push_back(std::move(store));
        }
    }

    // Splices of the file: a key line's value replaced, new key lines after a
    // section's last key, by position; new sections at the end.
    std::map<qint32, std::pair<qint32, QByteArray>> splices; // position -> (end of what goes, what comes)
    QByteArray newSections;
    QHash<QByteArray, QByteArray> newSectionLines;
    QList<QByteArray> newSectionOrder;
    for (const Store &store : stores) {
        const QByteArray line = encode(store.key) + '=' + encode(store.value) + "\r\n";
        const int section = sectionIndex.find(0, nameKey(store.section));
        if (section < 0) {
            const QByteArray name = nameKey(store.section);
            if (!newSectionLines.contains(name)) {
                newSectionOrder.append(name);
                newSectionLines[name] = encode(u'[' + store.section + u']') + "\r\n";
            }
            newSectionLines[name] += line;
            continue;
        }
        if (const int key = findKey(section, store.key); key >= 0) {
            // The key keeps its spelling and place; the rest of its line is new.
            const KeyLine &found = keyLines[size_t(key)];
            qint32 lineEnd = found.valueEnd;
            while (lineEnd < found.next && body[lineEnd] != '\r' && body[lineEnd] != '\n')
                ++lineEnd;
            const QByteArray lineBreak = found.next > lineEnd ? body.mid(lineEnd, found.next - lineEnd) : "\r\n";
            splices[found.keyEnd] = {found.next, '=' + encode(store.value) + lineBreak};
        } else {
            const qint32 place = newKeyPlaces[size_t(section)];
            splices.try_emplace(place, place, QByteArray()).first->second.second += line;
        }
    }
    QByteArray text;
    text.reserve(body.size() + 256);
    qint32 done = 0;
    for (const auto &[at, splice] : splices) {
        text.append(QByteArrayView(body).sliced(done, at - done));
        if (splice.first == at && !text.isEmpty() && !endsWithLineBreak(text))
            text += "\r\n"; // new keys after a last line that had no line break
        text += splice.second;
        done = splice.first;
    }
    text.append(QByteArrayView(body).sliced(done));
    for (const QByteArray &name : newSectionOrder)
        newSections += newSectionLines[name];
    if (!newSections.isEmpty() && !text.isEmpty() && !endsWithLineBreak(text))
        text += "\r\n";
    return fileBytesOf(text + newSections);
}

} // namespace kestova
