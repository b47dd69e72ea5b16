#pragma once

#include <QList>
#include <QString>

namespace kestova::course {

// Kana as the learner types them: katakana made hiragana; ー, the marks and
// everything else as they are.
QString TypedKana(QStringView text);

// A stretch of a sentence as written, with the kana typed for it: kanji
// (and what else is read aloud) with their reading shown over them (ruby),
// kana and the typed marks as they stand, and marks the layout does not
// type («」？！) with no reading at all.
struct ReadingPart {
    QString written;
    QString reading;
    bool ruby = false;
};

// The sentence cut into its parts, the reading shared out among them: each
// run of kanji takes the reading up to where the kana written after it
// comes next. Where the two cannot be matched up, the rest is one part.
// The parts' readings joined are `reading`.
QList<ReadingPart> ReadingParts(const QString &written, const QString &reading);

} // namespace kestova::course
