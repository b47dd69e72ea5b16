#include "judgements.h"

#include <QDateTime>

namespace kestova {

void Judgements::typing(const ThumbStroke *struck, bool isAnswer, bool voiceable)
{
    thumb = struck;
    answer = isAnswer;
    mayBeVoiced = voiceable;
}

void Judgements::typed()
{
    typing(nullptr, false);
    voices = false;
}

void Judgements::settle()
{
    if (held)
        emit judged(*std::exchange(held, std::nullopt));
}

void Judgements::judge(const QString &asked, const QString &typed, bool hit)
{
    if (!answer)
        return;
    JudgedStroke stroke{asked, typed, hit, thumb ? std::optional(*thumb) : std::nullopt, QDateTime::currentMSecsSinceEpoch()};
    if (voices && held)
        held.reset(); // the kana it voiced was no attempt of its own
    settle();
    if (mayBeVoiced && !hit)
        held = stroke;
    else
        emit judged(stroke);
}

} // namespace kestova
