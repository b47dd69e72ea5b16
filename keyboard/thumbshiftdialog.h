#pragma once

#include "thumbshift.h"

#include <QDialog>

class QCheckBox;
class QLabel;
class QPushButton;
class QSpinBox;

namespace kestova {

class TypingBox;

// "親指シフトの設定": the built-in thumb-shift keyboard on or off, its thumb
// keys (each set by pressing it), the window within which keys count as
// pressed together, and a field to try them in, which types with the
// settings as they stand in the dialog.
class ThumbShiftDialog : public QDialog {
    Q_OBJECT

public:
    ThumbShiftDialog(const ThumbShiftSettings &settings, QWidget *parent);
    ThumbShiftSettings chosen() const { return settings; }

    QCheckBox *enabled;
    QCheckBox *continuous;
    QLabel *leftKeys;
    QLabel *rightKeys;
    QPushButton *setLeft;
    QPushButton *setRight;
    QLabel *note; // why a key pressed was not taken
    QSpinBox *windowMs;
    TypingBox *tryField;
    QPushButton *checkKeyboard; // キーボードの確認, with the thumb keys as chosen here

protected:
    bool event(QEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;

private:
    void capture(QList<int> *thumbKeys, QPushButton *button);
    void showSettings(const ThumbShiftSettings &shown);
    void changed();

    ThumbShiftSettings settings;
    QList<int> *capturing = nullptr;
};

} // namespace kestova
