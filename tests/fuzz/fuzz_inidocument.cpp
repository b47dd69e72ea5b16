// Fuzzes the INI parser and editor with arbitrary file bytes: nothing may
// crash, and a value written must read back as written.
#include "inidocument.h"

#include <cstdint>
#include <cstdlib>

using kestova::IniDocument;

// What a value written as given reads back as: trimmed, one pair of outer
// quotes removed.
static QString readBackOf(const QString &value)
{
    QString text = value.trimmed();
    if (text.size() >= 2 && text.front() == text.back() && (text.front() == u'"' || text.front() == u'\''))
        text = text.sliced(1, text.size() - 2);
    return text;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char *>(data), qsizetype(size));
    const IniDocument document(bytes);
    // Values decoded ahead, as for a file read on another thread, read the same.
    IniDocument decoded(bytes);
    decoded.decodeValues();
    for (const QString &section : {QStringLiteral("s"), QString()}) {
        if (decoded.value(section, QStringLiteral("k")) != document.value(section, QStringLiteral("k")))
            std::abort();
    }

    const struct {
        QString section, key, value;
    } writes[] = {
        {QStringLiteral("s"), QStringLiteral("k"), QStringLiteral("value")},
        {QStringLiteral("指１本"), QStringLiteral("左小指"), QStringLiteral("か\tき")},
        {QStringLiteral("S"), QStringLiteral("new key"), QStringLiteral(" \"quoted\" ")},
    };
    for (const auto &write : writes) {
        const IniDocument written(document.WithValue(write.section, write.key, write.value));
        if (written.value(write.section, write.key) != readBackOf(write.value))
            std::abort();
    }
    return 0;
}
