#include "keyindex.h"

namespace kestova {

// FNV-1a, its bits then mixed (MurmurHash3's finaliser): numbered keys such
// as "1" to "32766" differ in a few bits only and would crowd together in the
// table's low bits, making probes long.
quint32 KeyIndex::hashOf(QByteArrayView key)
{
    quint32 hash = 2166136261u;
    for (char c : key) {
        hash ^= static_cast<unsigned char>(c);
        hash *= 16777619u;
    }
    hash ^= hash >> 16;
    hash *= 0x85ebca6bu;
    hash ^= hash >> 13;
    hash *= 0xc2b2ae35u;
    hash ^= hash >> 16;
    return hash;
}

size_t KeyIndex::slotFor(QByteArrayView key, quint32 hash) const
{
    const size_t mask = table.size() - 1;
    size_t i = hash & mask;
    while (table[i].number >= 0 && !(table[i].hash == hash && keys[table[i].number] == key))
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

std::pair<int, bool> KeyIndex::insert(QByteArrayView key)
{
    // At most half full, so that probes stay short.
    if ((keys.size() + 1) * 2 > table.size())
        grow();
    const quint32 hash = hashOf(key);
    Slot &slot = table[slotFor(key, hash)];
    if (slot.number >= 0)
        return {slot.number, false};
    slot = {hash, int(keys.size())};
    keys.push_back(key);
    return {slot.number, true};
}

int KeyIndex::find(QByteArrayView key) const
{
    // Keys are distinct, so the key after the one found last, if it is equal,
    // has the number that hashing would find.
    const int next = lastFound + 1;
    if (next < int(keys.size()) && keys[next] == key)
        return lastFound = next;
    if (table.empty())
        return -1;
    const int number = table[slotFor(key, hashOf(key))].number;
    if (number >= 0)
        lastFound = number;
    return number;
}

} // namespace kestova
