#pragma once

#include <QString>

#include <memory>
#include <thread>

// Reading and writing one value of an INI file with the classic
// private-profile semantics (see IniDocument), for files in the programs'
// own folders.

// The value of Key in [Section] of FileName, or "" when the file, section or
// key is missing. Reading creates nothing. A file is parsed once and served
// from memory until its size, modification time or inode changes.
QString GetIniString(const QString &Section, const QString &Key, const QString &FileName);

// Stores Value under Key in [Section] of FileName, creating file, section or
// key as needed. The file is replaced whole and at once (a crash leaves the
// old or the new file, never a torn one), under a lock that keeps two
// programs writing at the same time from losing each other's values. A
// read-only file or folder is left as it is and the value is not stored,
// without an error, like the classic write. So is a value that would break
// the file's lines (a line break in any argument).
void PutIniString(const QString &Section, const QString &Key, const QString &Value,
                  const QString &FileName);

namespace kestova {

// Reads, parses and decodes an INI file on a thread of its own while the
// program starts, and hands it to the reads above: a word list of 32,766
// entries then costs its lookups only. Adopt() (or the
// destructor) waits for the thread; the reads see the file as it is then,
// since a cached file is compared with the file before it is used.
class IniPrefetch {
public:
    explicit IniPrefetch(const QString &fileName);
    ~IniPrefetch();
    IniPrefetch(const IniPrefetch &) = delete;
    IniPrefetch &operator=(const IniPrefetch &) = delete;

    void Adopt();

private:
    struct Loaded;
    QString name;
    std::unique_ptr<Loaded> loaded;
    std::thread worker; // last: it starts once the rest is there
};

} // namespace kestova
