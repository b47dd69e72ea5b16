#pragma once

#include "attempt.h"

#include <QByteArray>
#include <QStringList>

#include <optional>
#include <vector>

namespace kestova::record {

// Strokes that cannot go into the record wait in a pending file of lines,
// which the next program to open the record merges: beside the record
// (record.sqlite.pending), or where that folder takes nothing (a disk
// remounted read-only, a folder made unwritable), in the user's state
// folder ${XDG_STATE_HOME:-~/.local/state}/Kestova, named after the record.
QStringList PendingPlaces(const QString &recordPath);

// Appends the strokes as whole lines to the first place that takes them:
// a regular file only, opened without waiting (a FIFO put there would hold
// the program for ever), and cut back to where it was where the disk fills
// mid-way, so that no half line and no empty file stands for strokes.
struct PendingKept {
    QString place;   // where they went
    QString problem; // or why they went nowhere
};
PendingKept KeepPending(const QString &recordPath, const std::vector<Attempt> &attempts, const QString &program);

// An attempt as a line of the file, and back: a line that is no attempt
// (the file is the user's, and may hold anything) is nothing. Lines of
// before the reason was kept have ten fields.
QByteArray PendingLine(const Attempt &attempt, const QString &program);
std::optional<Attempt> AttemptOfPendingLine(QByteArray line);

// A pending file claimed for merging: renamed to "<file>.<pid>.<mark>" and
// locked while it is merged, so that two programs never merge it both; a
// claim whose program ended before it was done is no longer locked, and is
// claimed again under its mark (PIDs come back after a reboot; a lock does
// not). A file that cannot be merged is told, with what to do, in
// `problems`, and left where it is.
class PendingClaim {
public:
    static std::vector<PendingClaim> claimAll(const QString &recordPath, QStringList &problems);
    PendingClaim(PendingClaim &&other) noexcept;
    PendingClaim &operator=(PendingClaim &&) = delete;
    ~PendingClaim();

    const QString &mark() const { return claimMark; }
    // The next line, or nothing at the end.
    std::optional<QByteArray> readLine();
    // All merged: the file goes.
    void merged();

private:
    PendingClaim(int fd, QString path, QString mark);
    int fd;
    QString path;
    QString claimMark;
    QByteArray buffered;
    bool atEnd = false;
};

} // namespace kestova::record
