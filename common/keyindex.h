#pragma once

#include <QByteArrayView>

#include <utility>
#include <vector>

namespace kestova {

// Numbers the distinct byte strings it is given, in the order they first
// come, for the keys of a large INI section: a flat table of 8-byte slots,
// no allocation per key. Keys are views: their bytes must outlive the index.
class KeyIndex {
public:
    // Makes room for `count` keys at once, where the caller knows how many
    // may come: growing step by step touches several times the memory.
    void reserve(qsizetype count);
    // The key's number and whether it is new: a key met before keeps the
    // number it got first.
    std::pair<int, bool> insert(QByteArrayView key);
    // The key's number, or -1. Keys looked up in the order they came (a
    // numbered list read from 1 upwards) are found without hashing: in a
    // large table every hashed probe lands on memory not touched for long.
    int find(QByteArrayView key) const;

private:
    struct Slot {
        quint32 hash = 0;
        int number = -1; // -1: empty
    };
    static quint32 hashOf(QByteArrayView key);
    // The slot that holds the key, or the empty slot where it would go.
    size_t slotFor(QByteArrayView key, quint32 hash) const;
    void grow();

    std::vector<Slot> table;
    std::vector<QByteArrayView> keys; // by number
    mutable int lastFound = -1; // like the file cache, for one thread
};

} // namespace kestova
