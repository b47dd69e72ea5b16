#pragma once

#include "attempt.h"

#include <QSqlDatabase>
#include <QSqlError>

#include <functional>
#include <limits>

namespace kestova::record {

// Why the keyboard decided as it did, for a stroke recorded before the
// record kept it: told from whether a thumb shifted it (unknown for an
// input method's kana) and where the nearest thumb came.
StrokeReason ReasonOfOlderStroke(std::optional<bool> shifted, std::optional<qint64> thumbOffsetMs);

// Which attempts to read: one program's or all, from a time on; whole, or
// only what weighing them takes (when, what was asked, hit, why), which the
// course's own index holds.
struct AttemptsWanted {
    QString program; // every program's where empty
    qint64 since = 0;
    bool whole = true;
    qint64 until = std::numeric_limits<qint64>::max(); // exclusive
};

// The attempts of the record, oldest first, one at a time until `each`
// says no more: the same attempt changed for each, so that a million are
// read without a copy; what is kept must be copied. The error where they
// could not all be read.
QSqlError ReadAttempts(const QSqlDatabase &database, const AttemptsWanted &wanted, const std::function<bool(const Attempt &)> &each);

} // namespace kestova::record
