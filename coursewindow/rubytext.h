#pragma once

#include "reading.h"

#include <QWidget>

namespace kestova::course {

// A sentence as written, each kanji word's reading small above it where it
// is shown (ruby); the words typed grey. Lines break between words, never
// inside a kanji word.
class RubyText : public QWidget {
    Q_OBJECT

public:
    explicit RubyText(QWidget *parent = nullptr);

    void setParts(QList<ReadingPart> parts);
    void setReadingShown(qsizetype part, bool shown);
    bool readingShown(qsizetype part) const { return shown.value(part); }
    // The parts before this one are typed.
    void setTypedParts(qsizetype typed);

    // The sentence as written.
    QString text() const;
    // The readings shown, in order.
    QStringList readingsShown() const;

    bool hasHeightForWidth() const override { return true; }
    int heightForWidth(int width) const override;
    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    // A box of the text: a kanji word with its reading, or one character.
    struct Box {
        qsizetype part;
        QString written;
        QRect at;
        bool withReading; // a kanji word's, not one wider than the line
    };
    QList<Box> boxes(int width) const;
    QFont rubyFont() const;

    QList<ReadingPart> parts;
    QList<bool> shown;
    qsizetype typed = 0;
};

} // namespace kestova::course
