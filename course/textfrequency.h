#pragma once

#include <span>

namespace kestova::course {

// A kana of the layout and how often it occurs in real Japanese text.
struct TextKana {
    char16_t kana;
    long long count;
    char16_t follows; // for a small kana, the kana it follows most; else 0
};

// Every kana the layout types, the commonest first, counted over the prose
// of Japanese manuals (course/textfrequency.cpp, made by tools/kanafrequency.py).
std::span<const TextKana> TextFrequency();

} // namespace kestova::course
