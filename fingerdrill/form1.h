#pragma once

#include "judgements.h"

#include <QHash>
#include <QWidget>

#include <array>

namespace kestova {
class AutoSizeLabel;
}

class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QTimer;

namespace fingerdrill {

inline constexpr int FingerCount = 10;
inline constexpr int LineLength = 20;

// The finger drill: choose a finger group and a finger, then type the line
// of 20 kana drawn from that finger's list, strictly from the left. A timer
// tallies the seconds each finger has been chosen, kept in Mirelo.ini.
class Form1 : public QWidget {
    Q_OBJECT

public:
    explicit Form1(QWidget *parent = nullptr);

    // Start-up, before the window is first shown.
    void Form_Load();
    void Form_Unload();
    void Combo1_Click();
    void Command1_Click(qint16 Index);
    void Text1_KeyPress(qint16 &KeyAscii);
    void Timer1_Timer();
    // Each typed character as the handler judged it, for the practice record.
    kestova::Judgements judgements;

    QTimer *Timer1;
    QComboBox *Combo1;
    QLineEdit *Text1;
    std::array<QPushButton *, FingerCount> Command1;
    std::array<kestova::AutoSizeLabel *, FingerCount> Label4;
    kestova::AutoSizeLabel *Label3;
    std::array<QLabel *, LineLength> Label2;
    std::array<QLabel *, LineLength> Label1;

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    void SetListIndex(int index);
    void ShowDrillLine();
    qint16 ReadCharCount() const;
    QStringList ReadFingerList() const;
    void LoadFingerSeconds();
    void SaveFingerSeconds();

    QString IniPath;
    // Each finger's seconds as last read from or written to the file.
    QHash<QString, QString> SecondsAsRead;
    QString GroupName;
    QString FingerName;
    qint16 Position = 0;
    qint16 SelectedFinger = 0;
};

} // namespace fingerdrill
