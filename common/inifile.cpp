#include "inifile.h"

#include "inidocument.h"

#include <QFileInfo>
#include <QHash>

#include <cerrno>
#include <ctime>
#include <fcntl.h>
#include <memory>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

using kestova::IniDocument;

namespace {

struct FileStamp {
    dev_t device = 0;
    ino_t inode = 0;
    off_t size = 0;
    timespec modified{};
    timespec changed{};

    bool operator==(const FileStamp &other) const
    {
        return device == other.device && inode == other.inode && size == other.size
                && modified.tv_sec == other.modified.tv_sec
                && modified.tv_nsec == other.modified.tv_nsec
                && changed.tv_sec == other.changed.tv_sec
                && changed.tv_nsec == other.changed.tv_nsec;
    }
};

FileStamp stampOf(const struct stat &info)
{
    return {info.st_dev, info.st_ino, info.st_size, info.st_mtim, info.st_ctim};
}

struct CachedFile {
    FileStamp stamp;
    std::shared_ptr<const IniDocument> document;
    qint64 checkedAt = 0; // monotonic microseconds of the last look at the file
};

QHash<QString, CachedFile> &cache()
{
    static QHash<QString, CachedFile> files;
    return files;
}

qint64 nowMicroseconds()
{
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return qint64(now.tv_sec) * 1'000'000 + now.tv_nsec / 1000;
}

// Looking at the file costs a system call, more than a lookup itself; reads
// that follow each other within a millisecond (a word list read key by key)
// trust the look just taken. File times move in ticks of a few milliseconds
// anyway, and a write of our own drops the entry at once.
constexpr qint64 RecheckAfterMicroseconds = 1000;

// A file descriptor closed when it goes out of scope.
class Descriptor {
public:
    explicit Descriptor(int fd = -1) : fd(fd) {}
    ~Descriptor()
    {
        if (fd >= 0)
            ::close(fd);
    }
    Descriptor(const Descriptor &) = delete;
    Descriptor &operator=(const Descriptor &) = delete;
    int get() const { return fd; }
    bool valid() const { return fd >= 0; }

private:
    int fd;
};

bool readAll(int fd, QByteArray &bytes, off_t expectedSize)
{
    bytes.clear();
    bytes.reserve(qsizetype(expectedSize) + 1);
    char buffer[65536];
    for (;;) {
        const ssize_t got = ::read(fd, buffer, sizeof buffer);
        if (got == 0)
            return true;
        if (got < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        bytes.append(buffer, got);
    }
}

bool writeAll(int fd, const QByteArray &bytes)
{
    qsizetype done = 0;
    while (done < bytes.size()) {
        const ssize_t wrote = ::write(fd, bytes.constData() + done, size_t(bytes.size() - done));
        if (wrote < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        done += wrote;
    }
    return true;
}

// The parsed file `name` as it is now; nullptr when it is missing or cannot
// be read as a file.
// The file read last, so that a run of reads skips even the hashing of its
// name. Cleared whenever the cache changes, which may move its entries.
struct {
    QString name;
    CachedFile *entry = nullptr;
} lastRead;

// The file at `path` read and parsed, with the stamp of what was read; no
// document when it is missing or cannot be read as a file.
enum class Values { OnRead, Decoded };

CachedFile loadFile(const QByteArray &path, Values values = Values::OnRead)
{
    Descriptor file(::open(path.constData(), O_RDONLY | O_CLOEXEC));
    struct stat info{};
    QByteArray bytes;
    if (!file.valid() || ::fstat(file.get(), &info) != 0 || !S_ISREG(info.st_mode)
        || !readAll(file.get(), bytes, info.st_size))
        return {};
    auto document = std::make_shared<IniDocument>(bytes);
    if (values == Values::Decoded)
        document->DecodeValues();
    // The stamp of what was read: a write in between changes it again.
    return {stampOf(info), std::move(document)};
}

const IniDocument *currentDocument(const QString &name)
{
    const qint64 now = nowMicroseconds();
    if (lastRead.entry && name == lastRead.name
        && now - lastRead.entry->checkedAt < RecheckAfterMicroseconds)
        return lastRead.entry->document.get();
    lastRead.entry = nullptr;

    const QByteArray path = QFile::encodeName(name);
    struct stat info{};
    if (::stat(path.constData(), &info) != 0 || !S_ISREG(info.st_mode)) {
        cache().remove(name);
        return nullptr;
    }
    auto cached = cache().find(name);
    if (cached == cache().end() || !(cached->stamp == stampOf(info))) {
        CachedFile loaded = loadFile(path);
        if (!loaded.document)
            return nullptr;
        cached = cache().insert(name, std::move(loaded));
    }
    cached->checkedAt = now;
    lastRead.entry = &*cached;
    lastRead.name = name;
    return cached->document.get();
}

void forget(const QString &name)
{
    lastRead.entry = nullptr;
    cache().remove(name);
}

bool breaksLines(const QString &text)
{
    return text.contains(u'\r') || text.contains(u'\n');
}

// Replaces the file at `path` by `bytes` through a temporary file in the same
// folder, so that readers and crashes see the old file or the new one whole.
bool replaceFile(const QByteArray &path, const QByteArray &folder, const QByteArray &bytes,
                 const struct stat *old)
{
    QByteArray temporary = folder + "/.kestova-XXXXXX";
    Descriptor file(::mkostemp(temporary.data(), O_CLOEXEC));
    if (!file.valid())
        return false;
    bool written = writeAll(file.get(), bytes) && ::fsync(file.get()) == 0;
    if (written && old) {
        ::fchmod(file.get(), old->st_mode & 07777);
        if (::fchown(file.get(), old->st_uid, old->st_gid) != 0) {
            // Only root may give a file away; the mode is what matters here.
        }
    } else if (written) {
        const mode_t mask = ::umask(0);
        ::umask(mask);
        ::fchmod(file.get(), 0666 & ~mask);
    }
    if (!written || ::rename(temporary.constData(), path.constData()) != 0) {
        ::unlink(temporary.constData());
        return false;
    }
    Descriptor directory(::open(folder.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (directory.valid())
        ::fsync(directory.get());
    return true;
}

} // namespace

QString GetIniString(const QString &Section, const QString &Key, const QString &FileName)
{
    // Valid until the cache changes, which nothing does while we look.
    const IniDocument *document = currentDocument(FileName);
    if (!document)
        return QString();
    return document->Value(Section, Key).value_or(QString());
}

void PutIniString(const QString &Section, const QString &Key, const QString &Value,
                  const QString &FileName)
{
    if (breaksLines(Section) || breaksLines(Key) || breaksLines(Value))
        return;

    // Write to the file a link points at, and keep the link.
    QFileInfo info(FileName);
    if (info.isSymLink()) {
        info.setFile(info.symLinkTarget());
        if (info.isSymLink() || !info.exists())
            return;
    }
    const QByteArray path = QFile::encodeName(info.absoluteFilePath());
    const QByteArray folder = QFile::encodeName(info.absolutePath());

    // Writers of one folder take turns; readers need no lock, since a file
    // is only ever replaced whole.
    Descriptor folderLock(::open(folder.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (!folderLock.valid() || ::access(folder.constData(), W_OK) != 0)
        return;
    while (::flock(folderLock.get(), LOCK_EX) != 0) {
        if (errno != EINTR)
            return;
    }

    struct stat old{};
    const bool exists = ::stat(path.constData(), &old) == 0;
    if (exists && (!S_ISREG(old.st_mode) || ::access(path.constData(), W_OK) != 0
                   || (old.st_mode & 0222) == 0))
        return; // a read-only file, as the classic platform refuses it even to administrators

    QByteArray oldBytes;
    if (exists) {
        Descriptor file(::open(path.constData(), O_RDONLY | O_CLOEXEC));
        if (!file.valid() || !readAll(file.get(), oldBytes, old.st_size))
            return;
    }
    const QByteArray newBytes = IniDocument(oldBytes).WithValue(Section, Key, Value);
    if (exists && newBytes == oldBytes)
        return;
    replaceFile(path, folder, newBytes, exists ? &old : nullptr);
    forget(FileName);
    forget(info.absoluteFilePath());
}

namespace kestova {

struct IniPrefetch::Loaded {
    CachedFile file;
};

IniPrefetch::IniPrefetch(const QString &fileName)
    : name(fileName), loaded(std::make_unique<Loaded>()),
      worker([this] { loaded->file = loadFile(QFile::encodeName(name), Values::Decoded); })
{
}

IniPrefetch::~IniPrefetch()
{
    Adopt();
}

void IniPrefetch::Adopt()
{
    if (!worker.joinable())
        return;
    worker.join();
    // What was read is checked against the file at the first read, as any
    // cached file is.
    if (loaded->file.document && !cache().contains(name)) {
        loaded->file.checkedAt = 0;
        cache().insert(name, std::move(loaded->file));
    }
    loaded->file = {};
}

} // namespace kestova
