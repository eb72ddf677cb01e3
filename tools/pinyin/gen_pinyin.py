#!/usr/bin/env python3
"""Generates data/PinyinTable.inc, the pinyin-initial tables of the keyboard
search key, from the Unihan readings of Debian's unicode-data package.

Run by hand (never by the build) after changing the curated lists below:

    apt-get install unicode-data
    python3 tools/pinyin/gen_pinyin.py [--unihan DIR] [--out data/PinyinTable.inc]

Two tables come out, both for the CJK range U+4E00 to U+9FA5:
- one capital letter per code point: the initial of the character's usual
  reading (kMandarin, the first reading when there are several);
- the characters with several readings whose initials differ, each with its
  letters (1 to 3), the usual reading's letter first.

Which characters count as having several readings is a choice of data: the
characters of GB 2312 whose readings in the modern standard dictionary
(kXHC1983) begin with different letters, plus those whose recorded modern
usage (kHanyuPinlu) shows readings with different letters, with the letters of a
few characters set by hand below.
"""
import argparse
import bz2
import collections
import os
import re
import sys
import unicodedata

FIRST, LAST = 0x4E00, 0x9FA5

# Characters the readings files give no Mandarin reading for (units of
# measure and a few regional characters): their letters, decided here.
MANUAL_INITIALS = {
    0x5159: "S",  # 兙 shike, decagram
    0x5161: "B",  # 兡 baike, hectogram
    0x55E7: "J",  # 嗧 jialun, gallon
    0x685B: "L",  # 桛 no Mandarin reading; Cantonese lung
    0x70EA: "G",  # 烪 no Mandarin reading; Cantonese gwaan
    0x74E7: "S",  # 瓧 shike, decagram
    0x74F0: "F",  # 瓰 fenke, decigram
    0x74F1: "H",  # 瓱 haoke, milligram
    0x74FC: "L",  # 瓼 no Mandarin reading; Cantonese lei
    0x7505: "L",  # 甅 lige, centigram
}

# Letters decided by hand where the usual-first order does not fit how the
# character is typed in names.
MANUAL_POLYPHONES = {
    0x4E50: "YL",  # 乐 yue / le
}

MAX_LETTERS = 3


def initial(pinyin):
    letter = unicodedata.normalize("NFD", pinyin.strip())[0].upper()
    if not ("A" <= letter <= "Z"):
        raise ValueError("not a pinyin reading: %r" % pinyin)
    return letter


def split_readings(kind, value):
    if kind in ("kMandarin",):
        return value.split()
    if kind == "kHanyuPinlu":
        return [re.sub(r"\(.*\)", "", item) for item in value.split()]
    # kXHC1983, kHanyuPinyin, kTGHZ2013: "location:reading,reading ..."
    out = []
    for item in value.split():
        out.extend(item.split(":", 1)[1].split(","))
    return out


def read_unihan(directory, name, wanted):
    path = os.path.join(directory, name)
    opener = bz2.open if path.endswith(".bz2") else open
    table = collections.defaultdict(dict)
    with opener(path, "rt", encoding="utf-8") as f:
        for line in f:
            if line.startswith("#") or not line.strip():
                continue
            cp, kind, value = line.rstrip("\n").split("\t", 2)
            code = int(cp[2:], 16)
            if FIRST <= code <= LAST and kind in wanted:
                table[code][kind] = value
    return table


def unique(seq):
    seen, out = set(), []
    for x in seq:
        if x not in seen:
            seen.add(x)
            out.append(x)
    return out


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--unihan", default="/usr/share/unicode")
    here = os.path.dirname(os.path.abspath(__file__))
    parser.add_argument("--out", default=os.path.join(here, "..", "..", "data", "PinyinTable.inc"))
    args = parser.parse_args()

    readings = read_unihan(args.unihan, "Unihan_Readings.txt.bz2",
                           {"kMandarin", "kXHC1983", "kHanyuPinlu", "kHanyuPinyin"})
    mappings = read_unihan(args.unihan, "Unihan_OtherMappings.txt.bz2", {"kGB0"})

    letters = []
    from_mandarin = 0
    for code in range(FIRST, LAST + 1):
        r = readings.get(code, {})
        if "kMandarin" in r:
            letters.append(initial(split_readings("kMandarin", r["kMandarin"])[0]))
            from_mandarin += 1
        elif code in MANUAL_INITIALS:
            letters.append(MANUAL_INITIALS[code])
        elif "kHanyuPinyin" in r:
            letters.append(initial(split_readings("kHanyuPinyin", r["kHanyuPinyin"])[0]))
        else:
            sys.exit("no reading for U+%04X: add it to MANUAL_INITIALS" % code)
    assert len(letters) == LAST - FIRST + 1

    polyphones = {}
    for code in range(FIRST, LAST + 1):
        r = readings.get(code, {})
        candidates = []
        if "kXHC1983" in r and code in mappings:
            candidates = unique(initial(p) for p in split_readings("kXHC1983", r["kXHC1983"]))
        if len(candidates) < 2 and "kHanyuPinlu" in r:
            candidates = unique(initial(p) for p in split_readings("kHanyuPinlu", r["kHanyuPinlu"]))
        if len(candidates) < 2:
            continue
        usual = letters[code - FIRST]
        ordered = unique([usual] + candidates)[:MAX_LETTERS]
        polyphones[code] = "".join(ordered)
    polyphones.update(MANUAL_POLYPHONES)

    out = []
    out.append("// Generated by tools/pinyin/gen_pinyin.py from the Unihan readings; do not edit.")
    out.append("// %d of %d initials from kMandarin; %d characters with several readings."
               % (from_mandarin, len(letters), len(polyphones)))
    out.append("")
    out.append("static const uint32_t kPinyinFirst = 0x%04X;" % FIRST)
    out.append("static const uint32_t kPinyinLast = 0x%04X;" % LAST)
    out.append("")
    out.append("// One initial per code point from kPinyinFirst to kPinyinLast.")
    out.append("static const char kPinyinInitials[] =")
    text = "".join(letters)
    for i in range(0, len(text), 100):
        out.append('    "%s"' % text[i:i + 100])
    out.append("    ;")
    out.append("")
    out.append("// Characters with several readings, by code point; the usual reading's letter first.")
    out.append("static const PolyphoneEntry kPolyphones[] = {")
    for code in sorted(polyphones):
        out.append('    {0x%04X, "%s"},  // %s' % (code, polyphones[code], chr(code)))
    out.append("};")
    with open(args.out, "w", encoding="utf-8", newline="\n") as f:
        f.write("\n".join(out) + "\n")
    print("wrote %s: %d initials (%d from kMandarin), %d polyphones; begins %s"
          % (args.out, len(letters), from_mandarin, len(polyphones), text[:19]))


if __name__ == "__main__":
    main()
