#include "inifile.h"

#include "platform.h"

#include <QHash>

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <dirent.h>
#include <tuple>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace Qt::StringLiterals;

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
                && modified.tv_sec == other.modified.tv_sec && modified.tv_nsec == other.modified.tv_nsec
                && changed.tv_sec == other.changed.tv_sec && changed.tv_nsec == other.changed.tv_nsec;
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

// The file read last, so that a run of reads skips even the hashing of its
// name. Cleared whenever the cache changes, which may move its entries.
struct {
    QString name;
    CachedFile *entry = nullptr;
} lastRead;

void remember(const QString &name, CachedFile file)
{
    lastRead.entry = nullptr;
    cache().insert(name, std::move(file));
}

void forget(const QString &name)
{
    lastRead.entry = nullptr;
    cache().remove(name);
}

QStringList &unsaved()
{
    static QStringList problems;
    return problems;
}

bool unsavedBecause(const QString &fileName, const QString &reason)
{
    const QString problem = u"%1：%2"_s.arg(fileName, reason);
    if (!unsaved().contains(problem))
        unsaved().append(problem);
    return false;
}

qint64 monotonicMicroseconds()
{
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return qint64(now.tv_sec) * 1'000'000 + now.tv_nsec / 1000;
}

// Looking at the file costs a system call, more than a lookup itself; reads
// that follow each other within a millisecond (a word list read key by key)
// trust the look just taken. File times move in ticks of a few milliseconds
// anyway, and a write of our own updates the entry at once.
constexpr qint64 RecheckAfterMicroseconds = 1000;

// A file changed in place this recently may still be being written by
// another program (an editor, or a shell's "> text.ini"): it is looked at
// again a moment later, for a second at most, and left alone if it is still
// changing then.
constexpr qint64 SettledAfterMilliseconds = 200;
constexpr int SettleChecks = 50;
constexpr qint64 WrittenWithinMilliseconds = 2000;
const QString BeingWritten = u"ほかのプログラムが書き換えている途中のようなので、上書きしませんでした。"_s;
constexpr useconds_t SettleWaitMicroseconds = 20'000;

// What the system's error means for a learner.
QString reasonOf(int error)
{
    switch (error) {
    case EACCES:
    case EPERM: return u"権限がありません。"_s;
    case EROFS: return u"読み取り専用のディスクです。"_s;
    case ENOSPC: return u"ディスクに空きがありません。"_s;
    case EDQUOT: return u"ディスクの使用量が上限に達しています。"_s;
    case ENOENT: return u"見つかりません。"_s;
    case EIO: return u"ディスクの読み書きに失敗しました。"_s;
    case ELOOP: return u"リンクがたどれません。"_s;
    default: return u"エラー %1（%2）。"_s.arg(error).arg(QString::fromLocal8Bit(std::strerror(error)));
    }
}

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

// Reads to the end, and fails on a file that grew past the limit meanwhile.
bool readAll(int fd, QByteArray &bytes, off_t expectedSize)
{
    bytes.clear();
    bytes.reserve(qsizetype(expectedSize) + 1);
    char buffer[65536];
    for (;;) {
        const ssize_t got = ::read(fd, buffer, sizeof buffer);
        if (got == 0)
            return true;
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0)
            return false;
        if (bytes.size() + got > kestova::LargestIniFile) {
            errno = EFBIG;
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
        if (wrote < 0 && errno == EINTR)
            continue;
        if (wrote < 0)
            return false;
        done += wrote;
    }
    return true;
}

struct Loaded {
    FileStamp stamp;
    std::shared_ptr<IniDocument> document; // none: missing or a problem
    QString problem;
    QByteArray bytes;
};

// The file at `path` read and parsed, with the stamp of what was read. Never
// waits: a pipe or a device is no file to read.
enum class Values { OnRead, Decoded };

Loaded loadFile(const QByteArray &path, Values values = Values::OnRead)
{
    Descriptor file(::open(path.constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC));
    struct stat info{};
    Loaded loaded;
    if (!file.valid()) {
        if (errno != ENOENT)
            loaded.problem = u"読めません。"_s + reasonOf(errno);
        return loaded;
    }
    if (::fstat(file.get(), &info) != 0 || !S_ISREG(info.st_mode)) {
        loaded.problem = S_ISDIR(info.st_mode) ? u"ファイルではなくフォルダーです。"_s : u"通常のファイルではありません。"_s;
        return loaded;
    }
    const auto tooLarge = [&] {
        loaded.problem = u"大きすぎます（%1 MB。%2 MB まで）。"_s.arg(qMax<qint64>(info.st_size, kestova::LargestIniFile + 1) >> 20).arg(kestova::LargestIniFile >> 20);
        return loaded;
    };
    if (info.st_size > kestova::LargestIniFile)
        return tooLarge();
    if (!readAll(file.get(), loaded.bytes, info.st_size)) {
        if (errno == EFBIG)
            return tooLarge();
        loaded.problem = u"読めません。"_s + reasonOf(errno);
        return loaded;
    }
    try {
        loaded.document = std::make_shared<IniDocument>(loaded.bytes);
        if (values == Values::Decoded)
            loaded.document->decodeValues();
    } catch (const std::bad_alloc &) {
        loaded.problem = u"メモリが足りず読めません。"_s;
        loaded.document.reset();
    }
    // The stamp of what was read: a write in between changes it again.
    loaded.stamp = stampOf(info);
    return loaded;
}

const IniDocument *currentDocument(const QString &name)
{
    const qint64 now = monotonicMicroseconds();
    if (lastRead.entry && name == lastRead.name && now - lastRead.entry->checkedAt < RecheckAfterMicroseconds)
        return lastRead.entry->document.get();
    lastRead.entry = nullptr;

    const QByteArray path = kestova::NativePath(name);
    struct stat info{};
    if (::stat(path.constData(), &info) != 0 || !S_ISREG(info.st_mode)) {
        forget(name);
        return nullptr;
    }
    auto cached = cache().find(name);
    if (cached == cache().end() || !(cached->stamp == stampOf(info))) {
        Loaded loaded = loadFile(path);
        if (!loaded.document)
            return nullptr;
        remember(name, {loaded.stamp, std::move(loaded.document)});
        cached = cache().find(name);
    }
    cached->checkedAt = now;
    lastRead.entry = &*cached;
    lastRead.name = name;
    return cached->document.get();
}

// The path a name finally points at, through any number of links; a file
// not there yet is named in its folder's real path.
std::optional<QByteArray> realPath(const QByteArray &given, QString &problem)
{
    if (char *real = ::realpath(given.constData(), nullptr)) {
        QByteArray path(real);
        std::free(real);
        return path;
    }
    struct stat link{};
    if (errno != ENOENT || ::lstat(given.constData(), &link) == 0) {
        problem = errno == ENOENT ? u"リンク先のファイルがありません。"_s : reasonOf(errno);
        return std::nullopt;
    }
    const qsizetype slash = given.lastIndexOf('/');
    const QByteArray folder = slash > 0 ? given.left(slash) : slash == 0 ? QByteArray("/") : QByteArray(".");
    char *real = ::realpath(folder.constData(), nullptr);
    if (!real) {
        problem = u"フォルダーがありません。"_s;
        return std::nullopt;
    }
    QByteArray path = QByteArray(real) + '/' + given.mid(slash + 1);
    std::free(real);
    return path;
}

// Temporary files of a writer killed while saving. Every writer of a folder
// holds its lock while its file exists, so under the lock any is left over.
void removeLeftovers(int folder)
{
    const int copy = ::dup(folder);
    DIR *entries = copy >= 0 ? ::fdopendir(copy) : nullptr;
    if (!entries) {
        if (copy >= 0)
            ::close(copy);
        return;
    }
    while (const dirent *entry = ::readdir(entries)) {
        if (std::strncmp(entry->d_name, ".kestova-", 9) == 0)
            ::unlinkat(folder, entry->d_name, 0);
    }
    ::closedir(entries);
}

// Replaces the file at `path` by `bytes` through a temporary file in the same
// folder, so that readers and crashes see the old file or the new one whole.
// The system's error where it fails.
int replaceFile(const QByteArray &path, const QByteArray &folder, const QByteArray &bytes, const struct stat *old)
{
    QByteArray temporary = folder + "/.kestova-XXXXXX";
    Descriptor file(::mkostemp(temporary.data(), O_CLOEXEC));
    if (!file.valid())
        return errno;
    int error = writeAll(file.get(), bytes) && ::fsync(file.get()) == 0 ? 0 : errno;
    // Its last write a little before its renaming, even on a clock that
    // ticks coarsely: other writers then see it was written aside.
    timespec times[2] = {{0, UTIME_OMIT}, {}};
    clock_gettime(CLOCK_REALTIME, &times[1]);
    times[1].tv_sec -= 1;
    ::futimens(file.get(), times);
    if (!error && old) {
        ::fchmod(file.get(), old->st_mode & 07777);
        if (::fchown(file.get(), old->st_uid, old->st_gid) != 0) {
            // Only root may give a file away; the mode is what matters here.
        }
    } else if (!error) {
        const mode_t mask = ::umask(0);
        ::umask(mask);
        ::fchmod(file.get(), 0666 & ~mask);
    }
    if (!error && ::rename(temporary.constData(), path.constData()) != 0)
        error = errno;
    if (error) {
        ::unlink(temporary.constData());
        return error;
    }
    Descriptor directory(::open(folder.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (directory.valid())
        ::fsync(directory.get());
    return 0;
}

// A file changed after its last write (renamed into place, or its mode set)
// is not being written in place. Writes in place move both times together.
bool writtenAside(const FileStamp &stamp)
{
    return std::tie(stamp.changed.tv_sec, stamp.changed.tv_nsec) > std::tie(stamp.modified.tv_sec, stamp.modified.tv_nsec);
}

qint64 ageInMilliseconds(const FileStamp &stamp)
{
    timespec now{};
    clock_gettime(CLOCK_REALTIME, &now);
    return (qint64(now.tv_sec) - stamp.modified.tv_sec) * 1000 + (now.tv_nsec - stamp.modified.tv_nsec) / 1'000'000;
}

} // namespace

QString GetIniString(const QString &Section, const QString &Key, const QString &FileName)
{
    // Valid until the cache changes, which nothing does while we look.
    const IniDocument *document = currentDocument(FileName);
    if (!document)
        return QString();
    return document->value(Section, Key).value_or(QString());
}

bool PutIniString(const QString &Section, const QString &Key, const QString &Value, const QString &FileName)
{
    return kestova::EditIniFile(FileName, [&](const IniDocument &) { return QList<IniDocument::Edit>{{Section, Key, Value}}; });
}

namespace kestova {

QString IniFileProblem(const QString &FileName)
{
    return loadFile(NativePath(FileName)).problem;
}

void KeepUnsavedProblem(const QString &problem)
{
    if (!unsaved().contains(problem))
        unsaved().append(problem);
}

QStringList TakeUnsavedProblems()
{
    return std::exchange(unsaved(), {});
}

bool EditIniFile(const QString &FileName, const std::function<QList<IniDocument::Edit>(const IniDocument &)> &edits)
{
    QString problem;
    const std::optional<QByteArray> path = realPath(NativePath(FileName), problem);
    if (!path)
        return unsavedBecause(FileName, problem);
    const QByteArray folder = path->left(qMax<qsizetype>(1, path->lastIndexOf('/')));

    // Writers of one folder take turns; readers need no lock, since a file
    // is only ever replaced whole.
    Descriptor folderLock(::open(folder.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (!folderLock.valid() || ::access(folder.constData(), W_OK) != 0)
        return unsavedBecause(FileName, u"フォルダーに書き込めません。"_s + reasonOf(errno));
    while (::flock(folderLock.get(), LOCK_EX) != 0) {
        if (errno != EINTR)
            return unsavedBecause(FileName, reasonOf(errno));
    }
    removeLeftovers(folderLock.get());

    // The file as it is now, once it has settled: not changed while it was
    // read, and either as this program last saw it, or written aside and
    // renamed, as we write, or left alone a while.
    const CachedFile earlier = cache().value(FileName);
    struct stat old{};
    bool exists = false;
    Loaded now;
    for (int check = 0;; ++check) {
        exists = ::stat(path->constData(), &old) == 0;
        if (!exists)
            break;
        if (S_ISREG(old.st_mode) && ((old.st_mode & 0222) == 0 || ::access(path->constData(), W_OK) != 0))
            return unsavedBecause(FileName, u"読み取り専用のファイルです。"_s);
        now = loadFile(*path);
        if (!now.document)
            return unsavedBecause(FileName, now.problem);
        struct stat after{};
        const bool still = ::stat(path->constData(), &after) == 0 && stampOf(after) == now.stamp;
        if (still && (now.stamp == earlier.stamp || writtenAside(now.stamp) || ageInMilliseconds(now.stamp) >= SettledAfterMilliseconds))
            break;
        if (check == SettleChecks)
            return unsavedBecause(FileName, BeingWritten);
        ::usleep(SettleWaitMicroseconds);
    }
    // A file changed in place a moment ago that lost sections read before is
    // being written; one put in place whole, or changed a while ago, is as
    // its writer meant.
    if (exists && earlier.document && !writtenAside(now.stamp) && ageInMilliseconds(now.stamp) < WrittenWithinMilliseconds
        && !now.document->holdsSectionsOf(*earlier.document))
        return unsavedBecause(FileName, BeingWritten);

    const IniDocument empty;
    const IniDocument &current = exists ? *now.document : empty;
    const QList<IniDocument::Edit> wanted = edits(current);
    bool stored = true;
    for (const IniDocument::Edit &edit : wanted) {
        if (const QString refusal = IniDocument::refusal(edit); !refusal.isEmpty())
            stored = unsavedBecause(FileName, refusal);
    }
    QByteArray bytes;
    try {
        bytes = current.withValues(wanted);
    } catch (const std::bad_alloc &) {
        return unsavedBecause(FileName, u"メモリが足りず書き込めません。"_s);
    }
    if (exists && bytes == now.bytes)
        return stored;
    if (bytes.size() > LargestIniFile)
        return unsavedBecause(FileName, u"大きくなりすぎるため書き込めません。"_s);
    if (const int error = replaceFile(*path, folder, bytes, exists ? &old : nullptr))
        return unsavedBecause(FileName, u"書き込めませんでした。"_s + reasonOf(error));

    // What was written is what the next read sees, without reading it again.
    struct stat written{};
    if (::stat(path->constData(), &written) == 0)
        remember(FileName, {stampOf(written), std::make_shared<IniDocument>(bytes)});
    else
        forget(FileName);
    return stored;
}

struct IniPrefetch::Loaded {
    ::Loaded file;
};

IniPrefetch::IniPrefetch(const QString &fileName)
    : name(fileName), loaded(std::make_unique<Loaded>()),
      worker([this] { loaded->file = loadFile(NativePath(name), Values::Decoded); })
{
}

IniPrefetch::~IniPrefetch()
{
    adopt();
}

void IniPrefetch::adopt()
{
    if (!worker.joinable())
        return;
    worker.join();
    // What was read is checked against the file at the first read, as any
    // cached file is.
    if (loaded->file.document && !cache().contains(name))
        remember(name, {loaded->file.stamp, std::move(loaded->file.document)});
    loaded->file = {};
}

} // namespace kestova
