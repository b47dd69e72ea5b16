#include "judgements.h"

namespace kestova {

void Judgements::typing(const ThumbStroke *struck, bool isAnswer)
{
    thumb = struck;
    answer = isAnswer;
}

void Judgements::typed()
{
    typing(nullptr, false);
}

void Judgements::judge(const QString &asked, const QString &typed, bool hit)
{
    if (answer)
        emit judged({asked, typed, hit, thumb ? std::optional(*thumb) : std::nullopt});
}

} // namespace kestova
