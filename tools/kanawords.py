#!/usr/bin/env python3
"""Makes data/kana-words.txt, the course's word list, from two Debian packages.

Sources (apt-get install edict mecab-ipadic):
- EDICT (/usr/share/edict/edict), the Japanese-English dictionary of the
  Electronic Dictionary Research and Development Group, CC BY-SA 3.0. Its
  "(P)" marks a word as common: one found in the newspaper and other
  frequency lists the dictionary draws on (news1, ichi1, spec1, gai1).
- The IPA dictionary (/usr/share/mecab/dic/ipadic), NAIST's licence. Its word
  cost falls as a word grows more frequent in the corpus it was trained on,
  but each part of speech has a file of its own and their costs do not
  compare (verbs cost far more than nouns), so a word's cost is taken as its
  percentile within its own file: 0 the cheapest of its kind, 1 the dearest.

A reading is kept if EDICT holds it as a word standing on its own (its first
sense a noun, verb, adjective, adverb, pronoun or interjection; not only a
prefix, suffix, counter, particle or expression; not archaic or obsolete)
and either EDICT marks it common or the IPA dictionary has it as a common
noun, verbal or adjectival noun, adverb, or verb or adjective in its
dictionary form. Ranked: EDICT's common words first, the most used first as
told by what goes with use (the more senses, glosses and compounds in EDICT,
the higher), then the IPA percentile; then the others by the IPA percentile
(words the IPA dictionary lacks last), ties by reading.

Left out: readings of other kana than the thumb-shift layout types (read
from its one table, keyboard/keyboardmap.cpp); of fewer than two syllables
or more than 8 kana; starting with ん, っ, ー or a small kana; of two kana
unless common; and every reading in tools/never-teach.txt. Katakana become
hiragana.

    python3 tools/kanawords.py > data/kana-words.txt
"""
import csv
import math
import pathlib
import re

ROOT = pathlib.Path(__file__).resolve().parent.parent
EDICT = pathlib.Path("/usr/share/edict/edict")
IPADIC = pathlib.Path("/usr/share/mecab/dic/ipadic")
# IPA file, and the part of speech (fields 5 and 6) or conjugated form (field 10) kept.
IPA_SOURCES = [
    ("Noun.csv", lambda f: f[5] == "一般"),
    ("Noun.verbal.csv", lambda f: f[5] == "サ変接続"),
    ("Noun.adjv.csv", lambda f: f[5] == "形容動詞語幹"),
    ("Adverb.csv", lambda f: f[4] == "副詞"),
    ("Verb.csv", lambda f: f[9] == "基本形"),
    ("Adj.csv", lambda f: f[9] == "基本形"),
]
# EDICT's parts of speech of a word that stands on its own.
WORD_TAG = re.compile(r"^(n|n-adv|n-t|pn|int|adj-.*|adv|adv-to|v[0-9a-z].*)$")
# An entry with one of these is no word to teach.
DROPPED_TAGS = {"arch", "obs", "obsc"}
KANJI = re.compile("[\u4e00-\u9fff々]")
SMALL = set("ゃゅょぁぃぅぇぉゎ")
NO_START = SMALL | set("んっー")


def layout_kana():
    """Every kana the layout types: the captions of the keyboard table."""
    table = (ROOT / "keyboard/keyboardmap.cpp").read_text(encoding="utf-8")
    table = table[table.index("KeyboardLayout{{"):table.index("}};")]
    return {c for caption in re.findall(r'u"([^"]*)"', table) for c in caption}


def hiragana(reading):
    return "".join(chr(ord(c) - 0x60) if "ァ" <= c <= "ヶ" else c for c in reading)


def edict_words():
    """Readings EDICT holds as words on their own: reading -> how basic the
    word is, None where EDICT does not mark it common."""
    lines = EDICT.read_text(encoding="euc_jp", errors="replace").splitlines()[1:]  # past the file's title
    headwords = "\n".join(line.split(" ", 1)[0] for line in lines)
    compounds = {}
    words = {}
    for line in lines:
        head, _, senses = line.partition(" /")
        written = head.split(" ", 1)[0]
        reading = hiragana(head[head.find("[") + 1:head.find("]")] if "[" in head else written)
        # The first sense tells what the word is: its part of speech comes before "(1)".
        first = {t for group in re.findall(r"\(([^()]*)\)", senses.split("(2)", 1)[0]) for t in group.split(",")}
        if first & DROPPED_TAGS or not any(WORD_TAG.match(t) for t in first):
            continue
        if "(P)" not in senses:
            words.setdefault(reading, None)
            continue
        # Common words that are used the most have the most senses and
        # glosses and make the most compounds (the written form less its
        # kana ending, found in other entries' written forms).
        numbered = 1
        while f"({numbered + 1}) " in senses:
            numbered += 1
        glosses = max(senses.count("/") - 1, 1)
        stem = re.sub("[ぁ-ゖ]+$", "", written) if KANJI.search(written) else written
        if stem not in compounds:
            compounds[stem] = headwords.count(stem)
        basic = math.log(numbered) + 0.5 * math.log(glosses) + 0.5 * math.log(1 + compounds[stem])
        words[reading] = max(words.get(reading) or 0.0, basic)
    return words


def ipa_percentiles():
    """Reading -> the lowest percentile of its cost within its IPA file."""
    percentile = {}
    for name, keep in IPA_SOURCES:
        rows = []
        with open(IPADIC / name, encoding="euc_jp", errors="strict", newline="") as source:
            for fields in csv.reader(source):
                if len(fields) >= 12 and keep(fields):
                    rows.append((int(fields[3]), hiragana(fields[11])))
        rows.sort()
        for place, (_, reading) in enumerate(rows):
            percentile[reading] = min(percentile.get(reading, 1.0), place / len(rows))
    return percentile


def syllables(reading):
    return sum(c not in SMALL for c in reading)


def never_teach():
    lines = (ROOT / "tools/never-teach.txt").read_text(encoding="utf-8").splitlines()
    return {line.strip() for line in lines if line.strip() and not line.startswith("#")}


def licence(path, start, end):
    notice = pathlib.Path(path).read_text(encoding="utf-8")
    return notice[notice.index(start):notice.index(end)].rstrip().splitlines()


def main():
    typed, banned = layout_kana(), never_teach()
    common, percentile = edict_words(), ipa_percentiles()
    kept = [r for r in common if (common[r] is not None or r in percentile)
            and 2 <= syllables(r) and len(r) <= 8 and set(r) <= typed and r[0] not in NO_START
            and (len(r) > 2 or common[r] is not None) and r not in banned]
    kept.sort(key=lambda r: (common[r] is None, -(common[r] or 0.0), percentile.get(r, 1.0), r))
    print("# Kestova's kana words, most common first; made by tools/kanawords.py from")
    print("# EDICT (the words, which are common, and their order) and the IPA dictionary")
    print("# (mecab-ipadic: more words, and the order of those EDICT does not mark common),")
    print("# whose notices go with this list.")
    print("#")
    print("# EDICT: Copyright (C) 2021 Electronic Dictionary Research and Development Group;")
    print("# this list, derived from it, is used and shared under the Creative Commons")
    print("# Attribution-ShareAlike Licence (V3.0), http://creativecommons.org/licenses/by-sa/3.0/;")
    print("# EDICT, its documentation and its licence: http://www.edrdg.org/jmdict/edict.html")
    print("# and http://www.edrdg.org/edrdg/licence.html (in Debian: /usr/share/doc/edict/).")
    print("#")
    print("# The IPA dictionary's notice:")
    ipa = licence("/usr/share/doc/mecab-ipadic/copyright", "License:", "\nFiles: debian/*")[1:]
    for line in ipa:
        print("#" + (line[1:] if line.strip() != "." else ""))
    for reading in kept:
        print(reading)


main()
