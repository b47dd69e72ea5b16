#include "rubytext.h"

#include <QPainter>

using namespace Qt::StringLiterals;

namespace kestova::course {

RubyText::RubyText(QWidget *parent) : QWidget(parent)
{
    QSizePolicy policy(QSizePolicy::Preferred, QSizePolicy::Preferred);
    policy.setHeightForWidth(true);
    setSizePolicy(policy);
}

QFont RubyText::rubyFont() const
{
    QFont small = font();
    small.setPointSizeF(font().pointSizeF() / 2);
    return small;
}

void RubyText::setParts(QList<ReadingPart> newParts)
{
    parts = std::move(newParts);
    shown = QList<bool>(parts.size(), false);
    typed = 0;
    updateGeometry();
    update();
}

void RubyText::setReadingShown(qsizetype part, bool show)
{
    if (part < 0 || part >= shown.size() || shown[part] == show)
        return;
    shown[part] = show;
    update();
}

void RubyText::setTypedParts(qsizetype typedParts)
{
    typed = typedParts;
    update();
}

QString RubyText::text() const
{
    QString written;
    for (const ReadingPart &part : parts)
        written += part.written;
    return written;
}

QStringList RubyText::readingsShown() const
{
    QStringList readings;
    for (qsizetype part = 0; part < parts.size(); ++part) {
        if (parts[part].ruby && shown[part])
            readings.append(parts[part].reading);
    }
    return readings;
}

// Each line as high as a reading and the text under it; a kanji word as
// wide as the wider of the two.
QList<RubyText::Box> RubyText::boxes(int width) const
{
    const QFontMetrics text(font()), ruby(rubyFont());
    const int lineHeight = ruby.height() + text.height();
    QList<Box> laid;
    int x = 0, y = 0;
    const auto place = [&](qsizetype part, const QString &written, int boxWidth, bool withReading) {
        if (x > 0 && x + boxWidth > width) {
            x = 0;
            y += lineHeight;
        }
        laid.append({part, written, QRect(x, y, boxWidth, lineHeight), withReading});
        x += boxWidth;
    };
    for (qsizetype part = 0; part < parts.size(); ++part) {
        const int wide = qMax(text.horizontalAdvance(parts[part].written), ruby.horizontalAdvance(parts[part].reading));
        if (parts[part].ruby && wide <= width) {
            place(part, parts[part].written, wide, true);
        } else { // character by character, any reading in the line of kana below
            for (qsizetype i = 0; i < parts[part].written.size(); ++i) {
                const qsizetype length = parts[part].written[i].isHighSurrogate() && i + 1 < parts[part].written.size() ? 2 : 1;
                const QString character = parts[part].written.mid(i, length);
                place(part, character, text.horizontalAdvance(character), false);
                i += length - 1;
            }
        }
    }
    return laid;
}

int RubyText::heightForWidth(int width) const
{
    const QList<Box> laid = boxes(width);
    const int lineHeight = QFontMetrics(rubyFont()).height() + fontMetrics().height();
    // Room for two lines whatever the sentence, so that the window keeps
    // its size from one sentence to the next, save for the longest.
    return qMax(2 * lineHeight, laid.isEmpty() ? 0 : laid.back().at.bottom() + 1);
}

QSize RubyText::sizeHint() const
{
    const int width = fontMetrics().horizontalAdvance(u'あ') * 22;
    return {width, heightForWidth(width)};
}

void RubyText::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    const QFont small = rubyFont();
    const int rubyHeight = QFontMetrics(small).height();
    for (const Box &box : boxes(width())) {
        painter.setPen(box.part < typed ? palette().color(QPalette::Disabled, QPalette::WindowText) : palette().color(QPalette::WindowText));
        if (box.withReading && shown[box.part]) {
            painter.setFont(small);
            painter.drawText(box.at.adjusted(0, 0, 0, -(box.at.height() - rubyHeight)), Qt::AlignHCenter | Qt::AlignBottom, parts[box.part].reading);
        }
        painter.setFont(font());
        painter.drawText(box.at.adjusted(0, rubyHeight, 0, 0), Qt::AlignHCenter | Qt::AlignTop, box.written);
    }
}

} // namespace kestova::course
