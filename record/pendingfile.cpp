#include "pendingfile.h"

#include "recordedattempts.h"
#include "recorddatabase.h"

#include <QCoreApplication>
#include <QCryptographicHash>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QUrl>

#include <cerrno>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace Qt::StringLiterals;

namespace kestova::record {
namespace {

QByteArray nativeOf(const QString &path)
{
    return QFile::encodeName(path);
}

// The user's state folder, as XDG has it.
QString stateFolder()
{
    const QString state = qEnvironmentVariable("XDG_STATE_HOME");
    return (QDir::isAbsolutePath(state) ? state : QDir::homePath() + u"/.local/state"_s) + u"/Kestova"_s;
}

bool regular(int fd)
{
    struct stat status {};
    return ::fstat(fd, &status) == 0 && S_ISREG(status.st_mode);
}

bool writeAll(int fd, const QByteArray &bytes)
{
    for (qsizetype done = 0; done < bytes.size();) {
        const ssize_t written = ::write(fd, bytes.constData() + done, size_t(bytes.size() - done));
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0)
            return false;
        done += written;
    }
    return true;
}

} // namespace

QStringList PendingPlaces(const QString &recordPath)
{
    const QString absolute = QFileInfo(recordPath).absoluteFilePath();
    const QByteArray which = QCryptographicHash::hash(absolute.toUtf8(), QCryptographicHash::Sha1).toHex().left(8);
    return {absolute + u".pending"_s, u"%1/%2.%3.pending"_s.arg(stateFolder(), QFileInfo(absolute).fileName(), QString::fromLatin1(which))};
}

PendingKept KeepPending(const QString &recordPath, const std::vector<Attempt> &attempts, const QString &program)
{
    QByteArray lines;
    for (const Attempt &attempt : attempts)
        lines += PendingLine(attempt, program);
    QString why;
    for (const QString &place : PendingPlaces(recordPath)) {
        QDir().mkpath(QFileInfo(place).path());
        const int fd = ::open(nativeOf(place).constData(), O_WRONLY | O_APPEND | O_CREAT | O_NONBLOCK | O_CLOEXEC, 0600);
        if (fd < 0) {
            why = CauseOfErrno(errno);
            continue;
        }
        struct stat before {};
        const bool ok = regular(fd) && ::fstat(fd, &before) == 0 && writeAll(fd, lines) && ::fdatasync(fd) == 0;
        const int error = errno;
        if (!ok && regular(fd)) { // as it was: no half line, no empty file for strokes
            if (::ftruncate(fd, before.st_size) == 0 && before.st_size == 0)
                ::unlink(nativeOf(place).constData());
        }
        if (!ok)
            why = regular(fd) ? CauseOfErrno(error) : u"%1 がふつうのファイルではありません"_s.arg(place);
        ::close(fd);
        if (ok)
            return {place, {}};
    }
    return {{}, why};
}

QByteArray PendingLine(const Attempt &attempt, const QString &program)
{
    const int offset = attempt.utcOffset.value_or(QDateTime::fromMSecsSinceEpoch(attempt.pressedAt).offsetFromUtc());
    return QByteArray::number(attempt.pressedAt) + '\t' + QUrl::toPercentEncoding(attempt.program.isEmpty() ? program : attempt.program) + '\t'
            + QUrl::toPercentEncoding(attempt.asked) + '\t' + QUrl::toPercentEncoding(attempt.typed) + '\t' + (attempt.hit ? "1" : "0") + '\t'
            + (attempt.thumbOffsetMs ? QByteArray::number(*attempt.thumbOffsetMs) : QByteArray()) + '\t' + (attempt.chord() ? "1" : "0") + '\t'
            + QByteArray::number(int(attempt.thumbHand)) + '\t' + QByteArray::number(int(attempt.thumbNeeded)) + '\t' + QByteArray::number(offset) + '\t'
            + QByteArray::number(int(attempt.reason)) + '\n';
}

// Any time a clock may show, as strokes written straight into the record
// take it (a machine whose clock was never set shows 1970): only a time
// past 2200 is no stroke's.
std::optional<Attempt> AttemptOfPendingLine(QByteArray line)
{
    if (line.endsWith('\n'))
        line.chop(1);
    const QList<QByteArray> field = line.split('\t');
    if (field.size() != 10 && field.size() != 11)
        return std::nullopt;
    const auto number = [&](int at, qint64 lowest, qint64 highest) -> std::optional<qint64> {
        bool ok = false;
        const qint64 value = field[at].toLongLong(&ok);
        return ok && value >= lowest && value <= highest ? std::optional(value) : std::nullopt;
    };
    const auto text = [&](int at, qsizetype longest) -> std::optional<QString> {
        const QString decoded = QUrl::fromPercentEncoding(field[at]);
        return !decoded.isEmpty() && decoded.size() <= longest ? std::optional(decoded) : std::nullopt;
    };
    const auto time = number(0, 0, 7'258'118'400'000);
    const auto program = text(1, 64), expected = text(2, 8), typed = text(3, 8);
    const auto hit = number(4, 0, 1), chord = number(6, 0, 1), hand = number(7, 0, 2), needed = number(8, 0, 2);
    const auto offset = number(9, -18 * 3600, 18 * 3600);
    const auto thumb = field[5].isEmpty() ? std::optional<qint64>() : number(5, -10'000, 10'000);
    const auto reason = field.size() == 11 ? number(10, 0, StrokeReasonCount - 1) : std::optional<qint64>(-1);
    if (!time || !program || !expected || !typed || !hit || !chord || !hand || !needed || !offset || (!field[5].isEmpty() && !thumb) || !reason)
        return std::nullopt;
    // A plain stroke was told as not shifted in a line of before.
    const StrokeReason why = *reason >= 0 ? StrokeReason(*reason) : ReasonOfOlderStroke(*chord == 1 || thumb ? std::optional(*chord == 1) : std::nullopt, thumb);
    return Attempt{*expected, *typed, *hit == 1, *time, why, thumb, ThumbHand(*hand), ThumbHand(*needed), *program, int(*offset)};
}

PendingClaim::PendingClaim(int fd, QString path, QString mark) : fd(fd), path(std::move(path)), claimMark(std::move(mark))
{
}

PendingClaim::PendingClaim(PendingClaim &&other) noexcept
    : fd(std::exchange(other.fd, -1)), path(std::move(other.path)), claimMark(std::move(other.claimMark)), buffered(std::move(other.buffered)),
      atEnd(other.atEnd)
{
}

PendingClaim::~PendingClaim()
{
    if (fd >= 0)
        ::close(fd); // the lock goes with it
}

std::vector<PendingClaim> PendingClaim::claimAll(const QString &recordPath, QStringList &problems)
{
    std::vector<PendingClaim> claims;
    const QString pid = QString::number(QCoreApplication::applicationPid());
    // Opened without waiting, a regular file only, locked now or not at all.
    const auto take = [&](const QString &file, const QString &claimed, const QString &mark) {
        const int fd = ::open(nativeOf(file).constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
        if (fd < 0) {
            if (errno == EACCES)
                problems.append(u"%1 を読めないので、練習の記録に加えられません。このファイルの持ち主を自分にするか、要らなければ消してください。"_s.arg(file));
            return;
        }
        if (!regular(fd)) {
            problems.append(u"%1 がふつうのファイルではないので、練習の記録に加えません。要らなければ消してください。"_s.arg(file));
        } else if (::flock(fd, LOCK_EX | LOCK_NB) == 0 && (file == claimed || ::rename(nativeOf(file).constData(), nativeOf(claimed).constData()) == 0)) {
            claims.push_back(PendingClaim(fd, claimed, mark));
            return;
        }
        ::close(fd);
    };
    for (const QString &place : PendingPlaces(recordPath)) {
        const QFileInfo pending(place);
        // Claims of programs that ended before they were done.
        for (const QFileInfo &left : pending.dir().entryInfoList({pending.fileName() + u".*.*"_s}, QDir::Files | QDir::System)) {
            const QString mark = left.fileName().section(u'.', -1);
            take(left.filePath(), u"%1.%2.%3"_s.arg(place, pid, mark), mark);
        }
        // The pending file itself: renamed first, so that no program appends
        // to it any more, then locked.
        const QString mark = QString::number(QDateTime::currentMSecsSinceEpoch());
        const QString claimed = u"%1.%2.%3"_s.arg(place, pid, mark);
        struct stat status {};
        if (::lstat(nativeOf(place).constData(), &status) != 0)
            continue;
        if (!S_ISREG(status.st_mode))
            problems.append(u"%1 がふつうのファイルではないので、練習の記録に加えません。要らなければ消してください。"_s.arg(place));
        else if (::access(nativeOf(place).constData(), R_OK) != 0)
            problems.append(u"%1 を読めないので、練習の記録に加えられません。このファイルの持ち主を自分にするか、要らなければ消してください。"_s.arg(place));
        else if (::rename(nativeOf(place).constData(), nativeOf(claimed).constData()) == 0)
            take(claimed, claimed, mark);
    }
    return claims;
}

std::optional<QByteArray> PendingClaim::readLine()
{
    for (;;) {
        if (const qsizetype end = buffered.indexOf('\n'); end >= 0) {
            QByteArray line = buffered.left(end + 1);
            buffered.remove(0, end + 1);
            return line;
        }
        if (atEnd)
            return buffered.isEmpty() ? std::nullopt : std::optional(std::exchange(buffered, {}));
        char chunk[1 << 16];
        const ssize_t read = ::read(fd, chunk, sizeof chunk);
        if (read < 0 && errno == EINTR)
            continue;
        if (read <= 0)
            atEnd = true;
        else
            buffered.append(chunk, read);
    }
}

void PendingClaim::merged()
{
    ::unlink(nativeOf(path).constData());
}

} // namespace kestova::record
