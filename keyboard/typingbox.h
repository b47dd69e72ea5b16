#pragma once

#include "typedinput.h"

#include <QLineEdit>

namespace kestova {

// A one-line text box that tells of each typed character: every one, from
// the thumb-shift keyboard, a key event or the input method, first goes to
// the handler and then into the box as usual. The trainers' handlers empty the box, so it shows the last
// character typed.
class TypingBox : public QLineEdit {
    Q_OBJECT

public:
    TypingBox(TypedInput::Typed typed, QWidget *parent, Judgements *judgements = nullptr);
    void useThumbShiftSettings(const ThumbShiftSettings &settings) { typedInput.useThumbShiftSettings(settings); }
    void typeSpacesAskedBy(std::function<QString()> asked) { typedInput.typeSpacesAskedBy(std::move(asked)); }

protected:
    void keyPressEvent(QKeyEvent *event) override;
    void keyReleaseEvent(QKeyEvent *event) override;
    void inputMethodEvent(QInputMethodEvent *event) override;
    QVariant inputMethodQuery(Qt::InputMethodQuery query) const override;

private:
    TypedInput typedInput;
};

} // namespace kestova
