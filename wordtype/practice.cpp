// The practice loop: the word is struck off from the left as it is typed,
// and the map shows the key of the next character.
#include "form1.h"

#include "autosizelabel.h"
#include "codepage.h"
#include "randompicker.h"
#include "runtimeerror.h"

#include <QLabel>
#include <QLineEdit>

namespace wordtype {
namespace {
// Completions are counted in 16 bits; a count that is never met stops here.
constexpr qint16 MaxRepeatDone = 32767;
} // namespace

void Form1::PickNextWord()
{
    kestova::PassUpAs10000([this] {
        qint16 r;
        do {
            const qint16 max = qint16(Words.size() - 1);
            r = qint16(kestova::PickRandomIndex(max));
        } while (r == WordIndex);
        ShowWord(r);
        WordIndex = r;
    });
}

void Form1::ShowWord(const qint16 &index)
{
    if (index < 0 || index >= Words.size())
        kestova::RaiseSubscript();
    Label3->setText(Words[index]);
    ShowKeyHint(Label3->text().left(1));
}

// The full stop stands on two keys; searching from the top finds the one
// in the top row.
void Form1::ShowKeyHint(const QString &character)
{
    kestova::PassUpAs10000([this, &character] {
        for (QLabel *label : Label1)
            label->setVisible(false);
        for (int i = kestova::LabelCount - 1; i >= 0; --i) {
            if (Label1[i]->text() == character) {
                Label1[i]->setVisible(true);
                break;
            }
        }
    });
}

void Form1::Text1_KeyPress(qint16 &KeyAscii)
{
    kestova::ReportAndReturn([this, KeyAscii] {
        const QString c = kestova::CharacterFromKeyAscii(KeyAscii);
        Text1->setText(QString());
        const QString asked = Label3->text().left(1);
        const bool hit = judgements.judge(asked, c);
        if (hit) {
            Label3->setText(Label3->text().mid(1));
            ShowKeyHint(Label3->text().left(1));
        }
        if (Label3->text().isEmpty()) {
            if (RepeatDone < MaxRepeatDone)
                ++RepeatDone;
            if (RepeatDone == RepeatCount) {
                RepeatDone = 0;
                PickNextWord();
            } else {
                ShowWord(WordIndex);
            }
        }
    });
}

} // namespace wordtype
