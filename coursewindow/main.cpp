#include "coursewindow.h"
#include "trainerapp.h"

int main(int argc, char *argv[])
{
    return kestova::RunTrainer<kestova::course::CourseWindow>(argc, argv, kestova::course::CourseProgram, QStringLiteral("練習コース"), {}, {});
}
