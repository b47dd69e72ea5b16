#include "coursestate.h"

#include "recordedattempts.h"
#include "sqlitestatement.h"

#include <QSqlQuery>
#include <QVariant>

#include <algorithm>

using namespace Qt::StringLiterals;

namespace kestova::course {

CourseState LoadCourseState(const QSqlDatabase &database)
{
    return ReadCourseState(database).value_or(CourseState());
}

std::optional<CourseState> ReadCourseState(const QSqlDatabase &database)
{
    CourseState state;
    QSqlQuery query(database);
    if (!query.exec(u"SELECT units_in_play, lessons, since, joined, kana FROM course WHERE id = 1"_s))
        return std::nullopt;
    if (query.next()) {
        state = {qMax(FirstUnits, query.value(0).toInt()), qMax(0, query.value(1).toInt()), query.value(2).toLongLong(), {}, query.value(4).toString()};
        for (const QString &lesson : query.value(3).toString().split(u' ', Qt::SkipEmptyParts))
            state.joinedAt.append(lesson.toInt());
    }
    return state;
}

// Two windows on one course: what either brought into play stays. A
// course started over since (a later `since`) is the one kept.
CourseState MergedCourseState(const CourseState &ours, const CourseState &stored)
{
    if (stored.since != ours.since)
        return stored.since > ours.since ? stored : ours;
    CourseState merged = ours;
    for (QChar kana : stored.kana) {
        if (!merged.kana.contains(kana))
            merged.kana += kana;
    }
    merged.unitsInPlay = std::max({ours.unitsInPlay, stored.unitsInPlay, int(merged.kana.size())});
    merged.lessons = qMax(ours.lessons, stored.lessons);
    if (stored.joinedAt.size() > merged.joinedAt.size())
        merged.joinedAt += stored.joinedAt.mid(merged.joinedAt.size());
    return merged;
}

bool SaveCourseState(const QSqlDatabase &database, const CourseState &state)
{
    QSqlQuery query(database);
    if (!query.exec(u"BEGIN IMMEDIATE"_s))
        return false;
    const CourseState merged = MergedCourseState(state, LoadCourseState(database));
    QStringList lessons;
    for (int lesson : merged.joinedAt)
        lessons.append(QString::number(lesson));
    const bool saved = record::RunPrepared(query, u"INSERT OR REPLACE INTO course VALUES (1, ?, ?, ?, ?, ?)"_s,
                                           {merged.unitsInPlay, merged.lessons, merged.since, lessons.join(u' '), merged.kana});
    query.finish();
    if (saved && query.exec(u"COMMIT"_s))
        return true;
    query.exec(u"ROLLBACK"_s); // never left inside the transaction
    return false;
}

bool StartOver(const QSqlDatabase &database, qint64 now)
{
    return SaveCourseState(database, {FirstUnits, 0, now, {}, {}});
}

std::optional<CourseAttempts> ReadCourseAttempts(const QSqlDatabase &database, qint64 since, double targetMs, qint64 until)
{
    CourseAttempts attempts(targetMs);
    const QSqlError error = record::ReadAttempts(database, {CourseProgram, since, false, until}, [&attempts](const Attempt &attempt) {
        attempts.add(attempt);
        return true;
    });
    return error.isValid() ? std::nullopt : std::optional(std::move(attempts));
}

} // namespace kestova::course
