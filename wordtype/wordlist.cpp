// text.ini: the word list and the repeat count.
#include "form1.h"

#include "inifile.h"
#include "platform.h"
#include "runtimeerror.h"
#include "vbtext.h"

#include <QLineEdit>

using namespace Qt::StringLiterals;

namespace wordtype {
namespace {

const QString SystemSection = u"システム"_s;
const QString RepeatCountKey = u"繰り返し回数"_s;
const QString WordSection = u"テキスト"_s;
constexpr qint16 DefaultRepeatCount = 10;
// Word numbers are 16-bit: key "32767" would be the 32,767th word, one more
// than the counter can step past.
constexpr qint16 MaxWords = 32766;

} // namespace

void Form1::Form_Load()
{
    kestova::ReportAndReturn([this] {
        IniPath = kestova::ProgramFolder() + u"/text.ini"_s;
        LoadWordList();
        PickNextWord();
        RepeatCount = ReadRepeatCount();
        txtCount->setText(QString::number(RepeatCount));
    });
}

void Form1::LoadWordList()
{
    kestova::PassUpAs10000([this] {
        for (qint16 n = 1; n <= MaxWords; ++n) {
            const QString word = GetIniString(WordSection, QString::number(n), IniPath);
            if (word.isEmpty())
                break;
            Words.append(word);
        }
        if (Words.size() < 2) {
            // A file that cannot be read at all is told as such, not as too few words.
            const QString problem = kestova::IniFileProblem(IniPath);
            kestova::ShowPlainMessage(problem.isEmpty() ? u"テキストファイルには単語を２つ以上登録してください。"_s
                                                        : u"テキストファイル %1 を使えません：%2"_s.arg(IniPath, problem));
            kestova::EndProgramNow();
        }
    });
}

// A number rounded half to even; no number, or one beyond 16 bits, is 10.
qint16 Form1::ReadRepeatCount() const
{
    const QString text = GetIniString(SystemSection, RepeatCountKey, IniPath);
    try {
        return kestova::IntegerFromText(text, RepeatCountKey);
    } catch (const kestova::RuntimeError &) {
        return DefaultRepeatCount;
    }
}

void Form1::Form_Terminate()
{
    PutIniString(SystemSection, RepeatCountKey, QString::number(RepeatCount), IniPath);
}

} // namespace wordtype
