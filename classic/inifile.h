#pragma once

#include "inidocument.h"

#include <QString>
#include <QStringList>

#include <functional>
#include <memory>
#include <thread>

// Reading and writing one value of an INI file with the classic
// private-profile semantics (see IniDocument), for files in the programs'
// own folders.

// The value of Key in [Section] of FileName, or "" when the file, section or
// key is missing or the file cannot be read. Reading creates nothing. A file
// is parsed once and served from memory until its size, times or inode change.
QString GetIniString(const QString &Section, const QString &Key, const QString &FileName);

// Stores Value under Key in [Section] of FileName, creating file, section or
// key as needed; whether it did. A value that is not stored leaves the file
// as it was and is kept for TakeUnsavedProblems(), with the reason.
bool PutIniString(const QString &Section, const QString &Key, const QString &Value, const QString &FileName);

namespace kestova {

// Files larger than this are refused, read or written.
inline constexpr qint64 LargestIniFile = 64 * 1024 * 1024;

// Why FileName cannot be read as an INI file, in words the learner can act
// on ("フォルダーです。"); empty when it can be, or is simply missing.
QString IniFileProblem(const QString &FileName);

// One read-modify-write of FileName: `edits` sees the file as it is now and
// returns the values to store. The file is replaced whole and at once (a
// crash leaves the old or the new file, never a torn one), under a lock that
// keeps two programs writing at the same time from losing each other's
// values. A file that changed a moment ago, or while it was read, is read
// again after a short wait; a file that has lost sections this program read
// earlier (cut short, or being written by an editor) is not overwritten. A
// read-only file or folder is left as it is, like the classic write. Returns
// whether the values were stored.
bool EditIniFile(const QString &FileName, const std::function<QList<IniDocument::Edit>(const IniDocument &now)> &edits);

// What could not be saved since the last call, one line per file and reason,
// each once.
QStringList TakeUnsavedProblems();
// Adds what else could not be saved, to be told with the rest.
void KeepUnsavedProblem(const QString &problem);

// Reads, parses and decodes an INI file on a thread of its own while the
// program starts, and hands it to the reads above: a word list of 32,766
// entries then costs its lookups only. adopt() (or the destructor) waits for
// the thread; the reads see the file as it is then, since a cached file is
// compared with the file before it is used.
class IniPrefetch {
public:
    explicit IniPrefetch(const QString &fileName);
    ~IniPrefetch();
    IniPrefetch(const IniPrefetch &) = delete;
    IniPrefetch &operator=(const IniPrefetch &) = delete;

    void adopt();

private:
    struct Loaded;
    QString name;
    std::unique_ptr<Loaded> loaded;
    std::thread worker; // last: it starts once the rest is there
};

} // namespace kestova
