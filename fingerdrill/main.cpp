#include "form1.h"
#include "trainerapp.h"

int main(int argc, char *argv[])
{
    using fingerdrill::Form1;
    kestova::ProvideShippedFile(QStringLiteral("Mirelo.ini"));
    return kestova::RunTrainer<Form1>(argc, argv, kestova::record::program::FingerDrill, QStringLiteral("Kestova"),
                                      &Form1::Form_Load, &Form1::Form_Unload);
}
