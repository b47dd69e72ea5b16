#pragma once

#include "chordcheck.h"
#include "keyboardhold.h"

#include <QDialog>

class QLabel;
class QPushButton;
class QScrollArea;

namespace kestova {

class KanaMap;

// キーボードの確認: the map lights one chord after another, every key of the
// three rows with each thumb and neighbours rolled over, and the learner
// presses it. What the keyboard sent decides, key by key (the X server's
// raw keys under X11, the key events elsewhere): the chords that never
// arrived are listed with what to do, and kept for this keyboard.
class ChordCheckWindow : public QDialog {
    Q_OBJECT

public:
    ChordCheckWindow(const ThumbShiftSettings &settings, QWidget *parent);
    ~ChordCheckWindow() override;
    const ChordCheck &progress() const { return check; }
    // The keyboard's name as the system told it, once a key came.
    QString keyboard() const;

    QLabel *chordAsked;
    QLabel *tryNote;
    QLabel *missingChords;
    KanaMap *map;
    QPushButton *giveUp;    // 押しても届かない
    QPushButton *askAgain;  // the missing ones once more
    QPushButton *closeButton;

signals:
    void checked(const KeyboardCheck &result);

protected:
    void keyPressEvent(QKeyEvent *event) override;
    void keyReleaseEvent(QKeyEvent *event) override;
    void changeEvent(QEvent *event) override;

private:
    bool takeRawKey(const RawKey &key);
    bool ours(int keyCode) const;
    void keyDown(int keyCode);
    void keyUp(int keyCode);
    void showAsked();
    void finish();

    QScrollArea *resultArea; // holds missingChords
    ThumbShiftSettings settings;
    ChordCheck check;
    KeyboardHold hold;
    QString keyboardName;
};

} // namespace kestova
