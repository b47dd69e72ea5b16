#!/usr/bin/env python3
# Kestova: review aid for data/sentences.txt, the sentence-typing mode's text.
#
# Usage:  tools/checkreadings.py [path/to/sentences.txt]
#
# Needs MeCab and the IPA dictionary (Debian: apt-get install mecab
# mecab-ipadic-utf8).  For every sentence it has MeCab read the written part,
# turns that reading into hiragana (ー kept, every mark but 、。 dropped) and
# prints the line number and both readings where they differ, then a count.
# A difference is for a person to judge: the dictionary is often wrong or
# gives one of several good readings (今日 きょう/こんにち, 一人 ひとり/いちにん).
# These differences never fail the run.
#
# It also checks the format: a tab on every line, a non-empty written part,
# a reading of 10 to 40 characters made only of hiragana, 、, 。 and ー, no
# sentence twice.  A format fault makes it exit 1; otherwise it exits 0.
#
# Copyright the Kestova developers; GPL-3.0-or-later.
import re
import subprocess
import sys
from pathlib import Path

HIRAGANA = re.compile(r"^[ぁ-ゖ、。ー]+$")
BARRED = set("ゎゐゑ")


def to_hiragana(text):
    out = []
    for c in text:
        if "ァ" <= c <= "ヶ":
            c = chr(ord(c) - 0x60)
        if "ぁ" <= c <= "ゖ" or c in "、。ー":
            out.append(c)
    return "".join(out)


def main():
    path = Path(sys.argv[1]) if len(sys.argv) > 1 else Path(__file__).resolve().parent.parent / "data" / "sentences.txt"
    entries, faults, seen = [], 0, set()
    for number, line in enumerate(path.read_text(encoding="utf-8").split("\n"), 1):
        if not line.strip() or line.startswith("#"):
            continue
        written, tab, reading = line.partition("\t")
        problem = None
        if not tab or not written.strip():
            problem = "no tab or no written part"
        elif not HIRAGANA.match(reading) or BARRED & set(reading):
            problem = "reading not only hiragana, 、, 。 and ー"
        elif not 10 <= len(reading) <= 40:
            problem = f"reading of {len(reading)} characters"
        elif written in seen:
            problem = "sentence twice"
        if problem:
            print(f"{path.name}:{number}: FORMAT: {problem}: {line}")
            faults += 1
            continue
        seen.add(written)
        entries.append((number, written, reading))

    result = subprocess.run(["mecab", "-Oyomi"], input="\n".join(w for _, w, _ in entries) + "\n",
                            capture_output=True, text=True, check=True)
    readings = result.stdout.split("\n")
    differ = 0
    for (number, written, reading), mecab in zip(entries, readings):
        mecab = to_hiragana(mecab)
        if mecab != reading:
            differ += 1
            print(f"{path.name}:{number}: {written}\n    file:  {reading}\n    mecab: {mecab}")
    print(f"{len(entries)} sentences; {differ} readings differ from MeCab's; {faults} format faults")
    return 1 if faults else 0


if __name__ == "__main__":
    sys.exit(main())
