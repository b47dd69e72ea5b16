#!/usr/bin/env python3
"""Makes data/kana-words.txt, the course's word list, from Debian's mecab-ipadic.

Readings of common nouns, verbal nouns, adjectival nouns, adverbs, and verbs
and adjectives in their dictionary form; no names of people, places or
organisations, no numbers or symbols. Katakana readings become hiragana;
2 to 8 kana, only kana the thumb-shift layout types (read from its one
table, keyboard/keyboardmap.cpp); one entry per reading, ranked by the
dictionary's word cost, lower (more common) first.

    python3 tools/kanawords.py [DICTIONARY_FOLDER] > data/kana-words.txt
DICTIONARY_FOLDER defaults to /usr/share/mecab/dic/ipadic (apt-get install mecab-ipadic).
"""
import csv
import pathlib
import re
import sys

ROOT = pathlib.Path(__file__).resolve().parent.parent
DICTIONARY = pathlib.Path(sys.argv[1] if len(sys.argv) > 1 else "/usr/share/mecab/dic/ipadic")
# File, and the part of speech (fields 5 and 6) or conjugated form (field 10) kept.
SOURCES = [
    ("Noun.csv", lambda f: f[5] == "一般"),
    ("Noun.verbal.csv", lambda f: f[5] == "サ変接続"),
    ("Noun.adjv.csv", lambda f: f[5] == "形容動詞語幹"),
    ("Adverb.csv", lambda f: f[4] == "副詞"),
    ("Verb.csv", lambda f: f[9] == "基本形"),
    ("Adj.csv", lambda f: f[9] == "基本形"),
]


def layout_kana():
    """Every kana the layout types: the captions of the keyboard table."""
    table = (ROOT / "keyboard/keyboardmap.cpp").read_text(encoding="utf-8")
    table = table[table.index("KeyboardLayout{{"):table.index("}};")]
    return {c for caption in re.findall(r'u"([^"]*)"', table) for c in caption}


def hiragana(reading):
    return "".join(chr(ord(c) - 0x60) if "ァ" <= c <= "ヶ" else c for c in reading)


def main():
    typed = layout_kana()
    cost = {}
    for name, keep in SOURCES:
        with open(DICTIONARY / name, encoding="euc_jp", errors="strict", newline="") as source:
            for fields in csv.reader(source):
                if len(fields) < 12 or not keep(fields):
                    continue
                reading = hiragana(fields[11])
                if 2 <= len(reading) <= 8 and set(reading) <= typed:
                    cost[reading] = min(cost.get(reading, 1 << 30), int(fields[3]))
    notice = (pathlib.Path("/usr/share/doc/mecab-ipadic/copyright").read_text(encoding="utf-8"))
    licence = notice[notice.index("License:"):notice.index("\nFiles: debian/*")].splitlines()[1:]
    print("# Kestova's kana words: readings from the IPA dictionary (mecab-ipadic), most common first;")
    print("# made by tools/kanawords.py. The dictionary's notice, which goes with this list:")
    for line in licence:
        print("#" + (line[1:] if line.strip() != "." else ""))
    for reading in sorted(cost, key=lambda r: (cost[r], r)):
        print(reading)


main()
