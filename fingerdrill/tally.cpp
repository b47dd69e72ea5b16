// The practice time tally: seconds per finger, counted in the labels under
// the finger buttons and kept in section "秒数" of Mirelo.ini.
#include "form1.h"

#include "autosizelabel.h"
#include "inifile.h"
#include "vbtext.h"

#include <QPushButton>

namespace fingerdrill {
namespace {
const QString SecondsSection = u"秒数"_qs;
} // namespace

void Form1::Timer1_Timer()
{
    kestova::AutoSizeLabel *seconds = Label4.at(SelectedFinger);
    if (seconds->text().isEmpty())
        seconds->setText(u"0"_qs);
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
        Label4[i]->setText(value.isEmpty() ? u"0"_qs : value);
    }
}

void Form1::SaveFingerSeconds()
{
    for (int i = 0; i < FingerCount; ++i) {
        const QString finger = Command1[i]->text();
        if (!finger.isEmpty())
            PutIniString(SecondsSection, finger, Label4[i]->text(), IniPath);
    }
}

void Form1::Form_Unload()
{
    SaveFingerSeconds();
}

} // namespace fingerdrill
