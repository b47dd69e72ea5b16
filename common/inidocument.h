#pragma once

#include "keyindex.h"

#include <QByteArray>
#include <QHash>
#include <QList>
#include <QString>

#include <optional>

namespace kestova {

// One INI file parsed the way the classic private-profile functions read it:
// sections and keys matched without regard to the case of ASCII letters,
// the first of duplicates winning, ";" lines as comments, lines before the
// first section unreachable, values trimmed and stripped of one outer pair of
// quotes. Edits change only the lines they must and keep every other byte.
//
// The file's bytes are kept as they are for code page 932 and UTF-8 (with a
// byte-order mark) files; a UTF-16LE file is held as UTF-8 and written back as
// UTF-16LE. Line breaks, "[", "]", "=", ";", quotes and blanks are never part
// of a double-byte character's trail in either form, except "[", "]" and "\",
// which is why section headers are decoded before they are read.
class IniDocument {
public:
    enum class Encoding { Cp932, Utf8Bom, Utf16LeBom };

    IniDocument() = default;
    // Parses a whole file's bytes.
    explicit IniDocument(const QByteArray &fileBytes);

    // The value as the classic read function hands it back: converted to code
    // page 932, at most 254 bytes without splitting a double-byte character,
    // cut at a NUL. nullopt where the section or key is missing.
    std::optional<QString> Value(const QString &section, const QString &key) const;

    // Stores `value` under `key` in `[section]`: replaces the first matching
    // key's value, or adds the key after the last key of the first matching
    // section, or adds the section at the end. Returns the whole file's new
    // bytes. Text the code page cannot hold is stored as "?".
    QByteArray WithValue(const QString &section, const QString &key, const QString &value) const;


    // Decodes every value at once, so that reads then only share the text:
    // for a file read ahead on a thread of its own, where the decoding costs
    // the reader nothing.
    void DecodeValues();

    // A parameter as the classic functions take it: through code page 932,
    // with leading and trailing spaces dropped.
    static QString AnsiName(const QString &name);

private:
    struct Line {
        qsizetype begin;    // first byte of the line
        qsizetype end;      // first byte of its line break
        qsizetype next;     // first byte of the next line
    };
    struct KeyLine {
        int line;
        qsizetype keyEnd;   // just past the key's own text
        qsizetype valueBegin;
        qsizetype valueEnd; // the value, trimmed, quotes still on
        QString text;       // the value as read, once DecodeValues() ran
    };
    struct Section {
        int headerLine;
        int lastKeyLine;
        KeyIndex keys; // numbers the keys as keyBytes() gives them, in keyLines
        QList<KeyLine> keyLines;
    };

    void parse();
    QString valueText(const KeyLine &keyLine) const;
    int findSection(const QString &section) const;
    int findSectionByName(const QString &section) const;
    const KeyLine *findKey(const Section &section, const QString &key) const;
    QByteArray keyBytes(const QString &key) const;
    QByteArrayView storedKey(QByteArrayView raw);
    void addKeyLine(Section &section, int lineIndex);
    QString decode(QByteArrayView bytes) const;
    QByteArray encode(const QString &text) const;
    QByteArray fileBytesOf(const QByteArray &body) const;

    Encoding fileEncoding = Encoding::Cp932;
    QByteArray body;                 // the text after any byte-order mark
    QList<Line> lines;
    QList<Section> sections;         // first occurrence of each name only
    QHash<QString, int> sectionByName;
    QList<QByteArray> ownedKeys;     // keys that differ from their bytes in the file
    struct {
        QString name;
        int index = -1;
    } mutable lastSection;           // the section asked for last; one thread only
};

// ASCII letters folded to lower case; nothing else changes. Names are
// compared after decoding, so a trail byte never looks like a letter.
QString FoldAsciiCase(QString text);

} // namespace kestova
