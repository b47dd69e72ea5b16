#pragma once

#include "keyindex.h"

#include <QByteArray>
#include <QList>
#include <QString>

#include <memory>
#include <optional>
#include <vector>

namespace kestova {

// One INI file parsed the way the classic private-profile functions read it:
// sections and keys matched without regard to the case of ASCII letters,
// the first of duplicates winning, ";" lines as comments, lines before the
// first section unreachable, values trimmed and stripped of one outer pair of
// quotes. Edits change only the lines they must and keep every other byte.
//
// Code page 932 and UTF-8 (with a byte-order mark) files are kept as their
// bytes; a UTF-16LE file is held as UTF-8 in a form that keeps lone
// surrogates and an odd last byte, and written back as it came. Line breaks,
// "[", "]", "=", ";", quotes and blanks are never part of a double-byte
// character's trail in either form, except "[", "]" and "\", which is why
// section headers are decoded before they are read.
//
// Memory stays a small multiple of the file: the keys of all sections share
// one flat table, and nothing is kept per line.
class IniDocument {
public:
    enum class Encoding { Cp932, Utf8Bom, Utf16LeBom };

    IniDocument();
    // Parses a whole file's bytes (at most 2 GiB: offsets are 32 bits).
    explicit IniDocument(const QByteArray &fileBytes);
    IniDocument(IniDocument &&) noexcept;
    IniDocument &operator=(IniDocument &&) noexcept;
    ~IniDocument();

    // The value as the classic read function hands it back: converted to code
    // page 932, at most 254 bytes without splitting a double-byte character,
    // cut at a NUL. nullopt where the section or key is missing.
    std::optional<QString> value(const QString &section, const QString &key) const;

    struct Edit {
        QString section, key, value;
    };
    // Why the file could not take the edit: a line break in any name or value,
    // a "]" in a section name, or a key that would read back as another key,
    // a section header or a comment ("=" anywhere, "[" or ";" first). Empty
    // when it can.
    static QString refusal(const Edit &edit);

    // The whole file's new bytes with each edit stored in turn: the first
    // matching key's value replaced, or the key added after the last key of
    // the first matching section, or the section added at the end. Text the
    // code page cannot hold is stored as "?". Edits that refusal() turns
    // down are left out.
    QByteArray withValues(const QList<Edit> &edits) const;
    QByteArray WithValue(const QString &section, const QString &key, const QString &value) const
    {
        return withValues({{section, key, value}});
    }

    // Whether every section of `earlier` is still here: a file that lost some
    // is being rewritten by someone else, or was cut short.
    bool holdsSectionsOf(const IniDocument &earlier) const;

    // Decodes every value at once, so that reads then only share the text:
    // for a file read ahead on a thread of its own, where the decoding costs
    // the reader nothing.
    void decodeValues();

    // A parameter as the classic functions take it: through code page 932,
    // with leading and trailing spaces dropped.
    static QString ansiName(const QString &name);

private:
    struct KeyLine {
        qint32 keyEnd;      // just past the key's own text
        qint32 valueBegin;
        qint32 valueEnd;    // the value, trimmed, quotes still on
        qint32 next;        // the next line
    };
    class Arena;

    void parse();
    void addKeyLine(int section, qint32 begin, qint32 end, qint32 next);
    QByteArray nameKey(const QString &decodedName) const;
    int findSection(const QString &section) const;
    int findKey(int section, const QString &key) const;
    QByteArray keyBytes(const QString &key) const;
    QByteArrayView storedKey(QByteArrayView raw);
    QString valueText(const KeyLine &keyLine) const;
    QString decode(QByteArrayView bytes) const;
    QByteArray encode(const QString &text) const;
    QByteArray fileBytesOf(const QByteArray &text) const;

    Encoding fileEncoding = Encoding::Cp932;
    QByteArray body;                 // the text after any byte-order mark
    QByteArray oddByte;              // a UTF-16 file's last byte of no unit
    std::unique_ptr<Arena> arena;    // names and keys that differ from their bytes in the file
    std::vector<qint32> newKeyPlaces; // by section: where a new key goes, after its last key line
    KeyIndex sectionIndex;           // section numbers by name (see nameKey()), as group 0
    KeyIndex keyIndex;               // keys by section number and bytes
    std::vector<KeyLine> keyLines;   // by key number
    std::vector<QString> decodedValues; // by key number, once decodeValues() ran
    struct {
        QString name;
        int index = -1;
    } mutable lastSection;           // the section asked for last; one thread only
};

// ASCII letters folded to lower case; nothing else changes. Names are
// compared after decoding, so a trail byte never looks like a letter.
QString FoldAsciiCase(QString text);

} // namespace kestova
