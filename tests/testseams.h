#pragma once

#include "platform.h"
#include "randompicker.h"

#include <QList>

#include <optional>

// Message boxes the code under test showed, in order.
inline QList<kestova::MessageRequest> &ShownMessages()
{
    static QList<kestova::MessageRequest> messages;
    return messages;
}

// Thrown where the program would have ended at once.
struct ProgramEnded {};

// Replaces message boxes and the end of the program for one test, and puts
// the real ones back afterwards.
class PlatformSeams {
public:
    PlatformSeams()
        : oldMessage(kestova::SetMessageHandler(
              [](const kestova::MessageRequest &r) { ShownMessages().append(r); })),
          oldEnd(kestova::SetEndHandler([] { throw ProgramEnded{}; }))
    {
        ShownMessages().clear();
    }
    ~PlatformSeams()
    {
        kestova::SetMessageHandler(oldMessage);
        kestova::SetEndHandler(oldEnd);
    }

private:
    kestova::MessageHandler oldMessage;
    kestova::EndHandler oldEnd;
};

// A generator that returns the values it is given, in a cycle, and counts
// what the picker asked of it.
class ScriptedGenerator : public kestova::RandomGenerator {
public:
    QList<float> values{0.0f};
    int randomizeCalls = 0;
    int draws = 0;
    int discarded = 0;

    void RandomizeFromClock() override { ++randomizeCalls; }
    float Next() override
    {
        const float value = values[next % values.size()];
        ++next;
        ++draws;
        return value;
    }
    void Discard(int count) override { discarded += count; }

private:
    qsizetype next = 0;
};

class GeneratorSeam {
public:
    explicit GeneratorSeam(kestova::RandomGenerator *generator)
        : old(kestova::SetRandomGenerator(generator))
    {
    }
    ~GeneratorSeam() { kestova::SetRandomGenerator(old); }

private:
    kestova::RandomGenerator *old;
};

// A counter that reads a fixed value, or fails.
inline std::optional<qint64> &FixedCount()
{
    static std::optional<qint64> count;
    return count;
}

class CounterSeam {
public:
    explicit CounterSeam(std::optional<qint64> count)
        : old(kestova::SetCounterReader([] { return FixedCount(); }))
    {
        FixedCount() = count;
    }
    ~CounterSeam() { kestova::SetCounterReader(old); }

private:
    kestova::CounterReader old;
};

// Points the program's folder at a test's own folder.
inline QString &SeamFolder()
{
    static QString folder;
    return folder;
}

class FolderSeam {
public:
    explicit FolderSeam(const QString &folder)
        : old(kestova::SetFolderHandler([] { return SeamFolder(); }))
    {
        SeamFolder() = folder;
    }
    ~FolderSeam() { kestova::SetFolderHandler(old); }

private:
    kestova::FolderHandler old;
};
