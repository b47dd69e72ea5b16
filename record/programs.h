#pragma once

#include <QList>
#include <QString>

namespace kestova::record {

// The programs that keep their strokes in the practice record: as the
// record names them, and as the learner knows them (their menu entries).
// The one list every part reads, so that a program added here is counted,
// shown and named everywhere.
struct RecordingProgram {
    QString name;
    QString shown;
};
namespace program {
inline const QString FingerDrill = QStringLiteral("Kestova100");
inline const QString WordTyping = QStringLiteral("KestovaC100");
inline const QString KeyDrill = QStringLiteral("KestovaB100");
inline const QString Course = QStringLiteral("KestovaCourse");
inline const QString Sentences = QStringLiteral("KestovaSentences"); // the course's 文の練習
} // namespace program
inline const QList<RecordingProgram> RecordingPrograms{{program::FingerDrill, QStringLiteral("指別練習")},
                                                       {program::WordTyping, QStringLiteral("単語練習")},
                                                       {program::KeyDrill, QStringLiteral("キー位置練習")},
                                                       {program::Course, QStringLiteral("練習コース")},
                                                       {program::Sentences, QStringLiteral("文の練習")}};

// A program as the learner knows it; one the list does not know by its own name.
inline QString ShownName(const QString &program)
{
    for (const RecordingProgram &known : RecordingPrograms) {
        if (known.name == program)
            return known.shown;
    }
    return program;
}

} // namespace kestova::record
