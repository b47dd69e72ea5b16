// The chords キーボードの確認 asks for, in its order, one a line: the
// character keys' X11 key codes, then L or R for the thumb's hand.
#include "chordcheck.h"

#include <cstdio>

int main()
{
    for (const kestova::AskedChord &chord : kestova::ChordCheckSteps()) {
        for (int key : chord.keys)
            std::printf("%d ", key);
        std::printf("%s\n", chord.thumb == kestova::ThumbHand::Left ? "L" : "R");
    }
}
