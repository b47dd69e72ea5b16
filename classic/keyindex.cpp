#include "keyindex.h"

#include <QHashFunctions>

namespace kestova {

quint32 KeyIndex::hashOf(const Key &key)
{
    const size_t hash = qHash(key.bytes(), QHashSeed::globalSeed() ^ (size_t(key.group) * 0x9E3779B97F4A7C15u));
    return quint32(hash ^ (hash >> 32));
}

size_t KeyIndex::slotFor(const Key &key, quint32 hash) const
{
    const size_t mask = table.size() - 1;
    size_t i = hash & mask;
    while (table[i].number >= 0 && !(table[i].hash == hash && keys[size_t(table[i].number)] == key))
        i = (i + 1) & mask;
    return i;
}

void KeyIndex::reserve(qsizetype count)
{
    if (!keys.empty())
        return;
    size_t size = 16;
    while (size < size_t(count) * 2)
        size *= 2;
    table.assign(size, Slot{});
    keys.reserve(size_t(count));
}

void KeyIndex::grow()
{
    std::vector<Slot> old = std::move(table);
    table.assign(old.empty() ? 16 : old.size() * 2, Slot{});
    const size_t mask = table.size() - 1;
    for (const Slot &slot : old) {
        if (slot.number < 0)
            continue;
        size_t i = slot.hash & mask;
        while (table[i].number >= 0)
            i = (i + 1) & mask;
        table[i] = slot;
    }
}

std::pair<int, bool> KeyIndex::insert(int group, QByteArrayView bytes)
{
    // At most half full, so that probes stay short.
    if ((keys.size() + 1) * 2 > table.size())
        grow();
    const Key key{group, qint32(bytes.size()), bytes.data()};
    const quint32 hash = hashOf(key);
    Slot &slot = table[slotFor(key, hash)];
    if (slot.number >= 0)
        return {slot.number, false};
    slot = {hash, int(keys.size())};
    keys.push_back(key);
    return {slot.number, true};
}

int KeyIndex::find(int group, QByteArrayView bytes) const
{
    // Keys are distinct, so the key after the one found last, if it is equal,
    // has the number that hashing would find.
    const Key key{group, qint32(bytes.size()), bytes.data()};
    const int next = lastFound + 1;
    if (next < int(keys.size()) && keys[size_t(next)] == key)
        return lastFound = next;
    if (table.empty())
        return -1;
    const int number = table[slotFor(key, hashOf(key))].number;
    if (number >= 0)
        lastFound = number;
    return number;
}

} // namespace kestova
