#pragma once

#include "attempt.h"

#include <QList>
#include <QString>

#include <optional>

namespace kestova::record {

// The attempts of a CSV as WriteCsv writes it (or as it wrote it before the
// reason column: the reason then worked out from the chord and the thumb's
// offset). Nothing where it is no such CSV, and `problem` names the file
// (`name`) and the first line at fault.
std::optional<QList<Attempt>> ReadCsv(const QByteArray &bytes, const QString &name, QString *problem);

// The strokes of the CSV file at `path` added to the record, save those it
// holds already (the same time, program and kana asked for). Why it could
// not, or nothing; how many were added and passed over.
QString ImportCsv(const QString &path, const QString &recordPath, qsizetype *added, qsizetype *skipped);

} // namespace kestova::record
