#include "form1.h"
#include "inifile.h"
#include "trainerapp.h"

int main(int argc, char *argv[])
{
    using wordtype::Form1;
    kestova::ProvideShippedFile(QStringLiteral("text.ini"));
    // A long word list is parsed while Qt starts up.
    kestova::IniPrefetch wordList(kestova::ProgramFolder() + QStringLiteral("/text.ini"));
    const auto load = [&wordList](Form1 &window) {
        wordList.adopt();
        window.Form_Load();
        QObject::connect(qApp, &QCoreApplication::aboutToQuit, &window, &Form1::Form_Terminate);
    };
    return kestova::RunTrainer<Form1>(argc, argv, kestova::record::program::WordTyping, QStringLiteral("KestovaC"), load, &Form1::Form_Terminate);
}
