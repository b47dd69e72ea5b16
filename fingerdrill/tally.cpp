// The practice time tally: seconds per finger, counted in the labels under
// the finger buttons and kept in section "秒数" of Mirelo.ini.
#include "form1.h"

#include "autosizelabel.h"
#include "inifile.h"
#include "vbtext.h"

#include <QPushButton>

using namespace Qt::StringLiterals;

namespace fingerdrill {
namespace {

const QString SecondsSection = u"秒数"_s;

// What the file should hold after this window's practice: the file's value
// as it is now plus what was practised here since the value was read, so
// that two windows on one file both count. A value that is no number is
// written as the label shows it.
QString mergedSeconds(const QString &shown, const QString &asRead, const QString &inFileNow)
{
    const auto number = [](const QString &text) { return text.isEmpty() ? std::optional<double>(0) : kestova::NumberFromText(text); };
    const std::optional<double> label = number(shown), before = number(asRead), now = number(inFileNow);
    if (!label || !before || !now || shown.isEmpty())
        return shown;
    return kestova::TextFromNumber(*now + (*label - *before));
}

} // namespace

void Form1::Timer1_Timer()
{
    kestova::AutoSizeLabel *seconds = Label4.at(SelectedFinger);
    if (seconds->text().isEmpty())
        seconds->setText(u"0"_s);
    // A hand-edited value that is no number cannot take a second; it stays
    // as it is, and is saved back as it is.
    if (const std::optional<double> value = kestova::NumberFromText(seconds->text()))
        seconds->setText(kestova::TextFromNumber(*value + 1));
}

void Form1::LoadFingerSeconds()
{
    for (int i = 0; i < FingerCount; ++i) {
        const QString finger = Command1[i]->text();
        if (finger.isEmpty()) {
            Label4[i]->setText(QString());
            continue;
        }
        const QString value = GetIniString(SecondsSection, finger, IniPath);
        SecondsAsRead[finger] = value;
        Label4[i]->setText(value.isEmpty() ? u"0"_s : value);
    }
}

// All the fingers in one read-modify-write of the file.
void Form1::SaveFingerSeconds()
{
    QList<kestova::IniDocument::Edit> saved;
    const bool stored = kestova::EditIniFile(IniPath, [&](const kestova::IniDocument &now) {
        for (int i = 0; i < FingerCount; ++i) {
            const QString finger = Command1[i]->text();
            if (!finger.isEmpty())
                saved.append({SecondsSection, finger, mergedSeconds(Label4[i]->text(), SecondsAsRead.value(finger), now.value(SecondsSection, finger).value_or(QString()))});
        }
        return saved;
    });
    for (int i = 0; stored && i < FingerCount; ++i) {
        for (const kestova::IniDocument::Edit &edit : saved) {
            if (edit.key == Command1[i]->text()) {
                SecondsAsRead[edit.key] = edit.value;
                Label4[i]->setText(edit.value);
            }
        }
    }
}

void Form1::Form_Unload()
{
    SaveFingerSeconds();
}

} // namespace fingerdrill
