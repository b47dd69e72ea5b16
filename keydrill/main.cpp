#include "frame1.h"
#include "trainerapp.h"

int main(int argc, char *argv[])
{
    return kestova::RunTrainer<keydrill::Frame1>(argc, argv, kestova::record::program::KeyDrill, QStringLiteral("KestovaB"), {}, {});
}
