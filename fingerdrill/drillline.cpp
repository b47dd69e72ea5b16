// The drill line: 20 kana drawn from the chosen finger's list, typed
// strictly from the left.
#include "form1.h"

#include "codepage.h"
#include "inifile.h"
#include "randompicker.h"
#include "runtimeerror.h"
#include "vbtext.h"

#include <QLabel>
#include <QLineEdit>

using namespace Qt::StringLiterals;

namespace fingerdrill {
namespace {

// What error descriptions call the group's section: "Mirelo.ini の [指１本]".
QString sectionName(const QString &group)
{
    return u"Mirelo.ini の [%1]"_s.arg(group);
}

// Drawing stops only when an index other than the previous one comes up, so
// a count below 2 would draw for ever.
constexpr qint16 SmallestCharCount = 2;

} // namespace

qint16 Form1::ReadCharCount() const
{
    const QString text = GetIniString(GroupName, u"文字数"_s, IniPath);
    if (const QString problem = text.isEmpty() ? kestova::IniFileProblem(IniPath) : QString(); !problem.isEmpty())
        kestova::Raise(kestova::TypeMismatchError, u"%1 を使えません：%2"_s.arg(IniPath, problem));
    if (text.isEmpty())
        kestova::Raise(kestova::TypeMismatchError,
                       u"%1 に「文字数」がありません。"_s.arg(sectionName(GroupName)));
    const qint16 CharCount =
        kestova::IntegerFromText(text, u"%1 の「文字数」"_s.arg(sectionName(GroupName)));
    if (CharCount < SmallestCharCount)
        kestova::Raise(kestova::InvalidArgumentError,
                       u"%1 の「文字数」は %2 以上にしてください（「%3」）。"_s.arg(
                           sectionName(GroupName), QString::number(SmallestCharCount), text));
    return CharCount;
}

// The entries of the finger's list, split at every TAB; empty pieces count,
// an empty list has none.
QStringList Form1::ReadFingerList() const
{
    const QString list = GetIniString(GroupName, FingerName, IniPath);
    return list.isEmpty() ? QStringList() : list.split(u'\t');
}

void Form1::ShowDrillLine()
{
    kestova::PassUpAs10000([this] {
        Position = 0;
        for (QLabel *echo : Label2)
            echo->setText(QString());
        const qint16 CharCount = ReadCharCount();
        const QStringList entries = ReadFingerList();
        const qint16 maxIndex = CharCount - 1;
        qint16 LastPick = 0;
        for (int i = 0; i < LineLength; ++i) {
            qint16 index;
            do {
                index = qint16(kestova::PickRandomIndex(maxIndex));
            } while (index == LastPick);
            if (index >= entries.size()) {
                const QString where = sectionName(GroupName);
                kestova::Raise(kestova::SubscriptError,
                               entries.isEmpty()
                                   ? u"%1 に「%2」の文字がありません。"_s.arg(where, FingerName)
                                   : u"%1 の「%2」には文字が %3 個しかありません（「文字数」は %4）。"_s.arg(
                                         where, FingerName, QString::number(entries.size()),
                                         QString::number(CharCount)));
            }
            LastPick = index;
            Label1[i]->setText(entries[index]);
        }
    });
}

void Form1::Text1_KeyPress(qint16 &KeyAscii)
{
    kestova::ReportAndReturn([this, KeyAscii] {
        const QString typed = kestova::CharacterFromKeyAscii(KeyAscii);
        const QString asked = Label1.at(Position)->text();
        const bool hit = judgements.judge(asked, typed);
        if (hit) {
            Label2[Position]->setText(typed);
            ++Position;
        } else {
            Label2[Position]->setText(QString());
        }
        Text1->setText(QString());
        if (Position == LineLength)
            ShowDrillLine();
    });
}

} // namespace fingerdrill
