#pragma once

#include <QByteArrayView>

#include <utility>
#include <vector>

namespace kestova {

// Numbers the distinct keys it is given, (group, bytes) pairs, in the order
// they first come: the keys of all sections of a large INI file in one flat
// table, a few words per key and no allocation per key. The hash is keyed
// per process, so that no file can be built to make every key collide. Keys
// are views: their bytes must outlive the index.
class KeyIndex {
public:
    // Makes room for `count` keys at once, where the caller knows how many
    // may come: growing step by step touches several times the memory.
    void reserve(qsizetype count);
    // The key's number and whether it is new: a key met before keeps the
    // number it got first.
    std::pair<int, bool> insert(int group, QByteArrayView key);
    // The key's number, or -1. Keys looked up in the order they came (a
    // numbered list read from 1 upwards) are found without hashing: in a
    // large table every hashed probe lands on memory not touched for long.
    int find(int group, QByteArrayView key) const;
    qsizetype size() const { return qsizetype(keys.size()); }
    QByteArrayView bytesOf(int number) const { return keys[size_t(number)].bytes(); }

private:
    struct Slot {
        quint32 hash = 0;
        int number = -1; // -1: empty
    };
    struct Key {
        qint32 group;
        qint32 length;
        const char *data;
        QByteArrayView bytes() const { return {data, length}; }
        bool operator==(const Key &other) const { return group == other.group && bytes() == other.bytes(); }
    };
    static quint32 hashOf(const Key &key);
    // The slot that holds the key, or the empty slot where it would go.
    size_t slotFor(const Key &key, quint32 hash) const;
    void grow();

    std::vector<Slot> table;
    std::vector<Key> keys; // by number
    mutable int lastFound = -1; // one thread only, like the file cache
};

} // namespace kestova
