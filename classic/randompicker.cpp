#include "randompicker.h"

#include "platform.h"
#include "runtimeerror.h"

#include <QMessageBox>

#include <cmath>
#include <cstring>
#include <ctime>

namespace kestova {
namespace {

constexpr quint32 Multiplier = 1140671485u;
constexpr quint32 Increment = 12820163u;
constexpr quint32 StateMask = 0xFFFFFFu;

ClassicGenerator defaultGenerator;
RandomGenerator *generator = &defaultGenerator;
CounterReader counterReader = ReadMonotonicCounter;

// Seconds since midnight as a single-precision value, like the classic
// run-time's timer. Only the seed's mixing uses it, so UTC is good enough.
float secondsOfDay()
{
    timespec now{};
    clock_gettime(CLOCK_REALTIME, &now);
    const double seconds = double(now.tv_sec % 86400) + double(now.tv_nsec) / 1e9;
    return static_cast<float>(seconds);
}

} // namespace

void RandomGenerator::discard(int count)
{
    for (int i = 0; i < count; ++i)
        next();
}

void ClassicGenerator::randomizeFromClock()
{
    reseed(secondsOfDay());
}

// The classic mixing: the seed's bit pattern enters the middle 16 bits of the
// state, the low byte of the old state stays.
void ClassicGenerator::reseed(float seconds)
{
    quint32 bits;
    std::memcpy(&bits, &seconds, sizeof bits);
    const quint32 mixed = ((bits & 0xFFFF) << 8) ^ ((bits >> 8) & 0xFFFF00);
    state = (mixed | (state & 0xFF)) & StateMask;
}

float ClassicGenerator::next()
{
    state = (state * Multiplier + Increment) & StateMask;
    return static_cast<float>(state) / 16777216.0f;
}

// Jumps ahead by `count` steps at once: the affine step x -> a x + c composed
// with itself by squaring, the same state as drawing `count` times.
void ClassicGenerator::discard(int count)
{
    quint32 a = 1, c = 0;
    quint32 stepA = Multiplier, stepC = Increment;
    for (quint32 n = count > 0 ? quint32(count) : 0; n != 0; n >>= 1) {
        if (n & 1) {
            a = (a * stepA) & StateMask;
            c = (c * stepA + stepC) & StateMask;
        }
        stepC = (stepC * stepA + stepC) & StateMask;
        stepA = (stepA * stepA) & StateMask;
    }
    state = (state * a + c) & StateMask;
}

std::optional<qint64> ReadMonotonicCounter()
{
    timespec now{};
    if (clock_gettime(CLOCK_MONOTONIC, &now) != 0)
        return std::nullopt;
    return qint64(now.tv_sec) * 10'000'000 + now.tv_nsec / 100;
}

int SkipCountFromCounter(qint64 count)
{
    // The decimal text of count / 10000 drops trailing zeros of the fraction,
    // that is up to four trailing zero digits of the count; the point itself
    // is removed, so the last three digits left are n.
    quint64 digits = count < 0 ? 0 - quint64(count) : quint64(count);
    for (int place = 0; place < 4 && digits != 0 && digits % 10 == 0; ++place)
        digits /= 10;
    return int(digits % 1000);
}

qint32 PickRandomIndex(const qint16 &MaxIndex)
{
    generator->randomizeFromClock();
    const std::optional<qint64> count = counterReader();
    if (!count) {
        ShowMessage(QStringLiteral("現在の環境では使用できません"), QStringLiteral("Zodavoz"),
                    QMessageBox::Critical);
        EndProgramNow();
    }
    generator->discard(SkipCountFromCounter(*count) + 1);
    const float r = generator->next();
    if (MaxIndex == 32767)
        RaiseOverflow();
    const qint16 range = qint16(MaxIndex + 1);
    // A 16-bit integer times a 24-bit fraction is exact in a double.
    return qint32(std::floor(double(range) * double(r)));
}

RandomGenerator *SetRandomGenerator(RandomGenerator *replacement)
{
    return std::exchange(generator, replacement);
}

CounterReader SetCounterReader(CounterReader reader)
{
    return std::exchange(counterReader, reader);
}

} // namespace kestova
