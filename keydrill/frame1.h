#pragma once

#include "keyboardmap.h"
#include "typedinput.h"

#include <QWidget>

class QLabel;

namespace keydrill {

// The key position drill: the keyboard map shows one kana at its key's place;
// typing that kana moves on to another key drawn at random.
class Frame1 : public QWidget {
    Q_OBJECT

public:
    explicit Frame1(QWidget *parent = nullptr);

    void Form_Activate();
    void Form_KeyPress(qint16 &KeyAscii);
    // Each typed character as the handler judged it, for the practice record.
    kestova::Judgements judgements;

    // The key frames Frame1(0..30); C++ keeps a member from sharing the
    // window's own name.
    std::array<QFrame *, kestova::FrameCount> Frame1Array;
    std::array<QLabel *, kestova::LabelCount> Label1;
    QLabel *Label2;

protected:
    bool event(QEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void keyReleaseEvent(QKeyEvent *event) override;
    void inputMethodEvent(QInputMethodEvent *event) override;
    QVariant inputMethodQuery(Qt::InputMethodQuery query) const override;

private:
    void ShowNextKey();

    qint16 CurrentKey = 0;
    kestova::TypedInput typedInput;
};

} // namespace keydrill
