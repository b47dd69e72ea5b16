#pragma once

#include "judgements.h"
#include "keyboardmap.h"

#include <QWidget>

#include <array>

class QLabel;
class QLineEdit;
class QPushButton;

namespace kestova {
class AutoSizeLabel;
}

namespace wordtype {

// The word typing trainer: a word from text.ini is struck off from the left
// as it is typed, typed RepeatCount times, then another word is drawn. The
// keyboard map shows the key of the next character.
class Form1 : public QWidget {
    Q_OBJECT

public:
    explicit Form1(QWidget *parent = nullptr);

    // Start-up, before the window is first shown; with fewer than two words
    // the program ends here.
    void Form_Load();
    // Writes the repeat count; runs as the program closes.
    void Form_Terminate();
    void Text1_KeyPress(qint16 &KeyAscii);
    void cmdUpDown_Click(qint16 Index);
    void txtCount_GotFocus();
    void Command1_Click();
    // Each typed character as the handler judged it, for the practice record.
    kestova::Judgements judgements;

    QLineEdit *Text1;
    QPushButton *Command1;
    kestova::AutoSizeLabel *Label3;
    QLabel *Label4;
    QLineEdit *txtCount;
    std::array<QPushButton *, 2> cmdUpDown;
    QLabel *Label5;
    // The key frames Frame1(0..30); C++ keeps a member from sharing the
    // window's own class name.
    std::array<QFrame *, kestova::FrameCount> Frame1Array;
    std::array<QLabel *, kestova::LabelCount> Label1;
    QLabel *Label2;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void LoadWordList();
    qint16 ReadRepeatCount() const;
    void PickNextWord();
    void ShowWord(const qint16 &index);
    void ShowKeyHint(const QString &character);

    qint16 WordIndex = 0;
    QStringList Words;
    QString IniPath;
    qint16 RepeatCount = 0;
    qint16 RepeatDone = 0;
};

} // namespace wordtype
