#pragma once

#include <QtGlobal>
#include <optional>

namespace kestova {

// The pseudo-random generator behind the picker: re-seeded from the clock on
// every pick, values strictly below 1.
class RandomGenerator {
public:
    virtual ~RandomGenerator() = default;
    virtual void randomizeFromClock() = 0;
    virtual float next() = 0;
    // Draws `count` numbers and throws them away.
    virtual void discard(int count);
};

// The classic 24-bit linear congruential generator: values are k / 2^24, so
// every one is exact in single precision and none reaches 1.
class ClassicGenerator final : public RandomGenerator {
public:
    void randomizeFromClock() override;
    float next() override;
    void discard(int count) override;

    void reseed(float seconds);
    quint32 State() const { return state; }

private:
    quint32 state = 0x50000;
};

// The high-resolution counter: a monotonic count in 100 ns ticks, or nothing
// when it cannot be read.
using CounterReader = std::optional<qint64> (*)();
std::optional<qint64> ReadMonotonicCounter();

// How many draws a counter reading makes the picker throw away, less one:
// the counter read as a decimal with four places, its point removed, its last
// three digits. 1234567 (123.4567) gives 567, 1234500 (123.45) gives 345.
int SkipCountFromCounter(qint64 count);

// A whole number from 0 to MaxIndex. MaxIndex 32767 is an overflow error;
// 0 and -1 always give 0. When the counter cannot be read, the user is told
// and the program ends here.
qint32 PickRandomIndex(const qint16 &MaxIndex);

// Seams for tests; each returns what it replaced.
RandomGenerator *SetRandomGenerator(RandomGenerator *generator);
CounterReader SetCounterReader(CounterReader reader);

} // namespace kestova
