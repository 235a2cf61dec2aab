#!/usr/bin/env python3
"""Writes a pseudo-translation of a catalogue: every translation in accented Latin letters
(that Shift-JIS cannot carry), bracketed and about 30 % longer, so that a test can show a
missing glyph, a text narrowed on its way to the screen, or a text that would overflow.
Accelerators ("&S"), printf directives ("%zu"), line breaks and a file filter's patterns
(after "|") are kept as they are.

Usage: pseudo.py IN.po OUT.po
"""
import re
import sys

ACCENTED = str.maketrans("aeiouycnAEIOUYCN", "áéîöüÿçñÅÉÎÖÜÝÇÑ")
KEEP = re.compile(r"(&.|%[-+ #0]*\d*(?:\.\d+)?(?:hh|h|ll|l|z|j|t)?[diouxXcsfeEgG]|\\r|\\n|\\\"|\\\\)")


def pseudo(text):
    shown, sep, patterns = text.partition("|")
    parts = KEEP.split(shown)
    out = "".join(p if KEEP.fullmatch(p) else p.translate(ACCENTED) for p in parts)
    letters = len(re.sub(KEEP, "x", shown))
    pad = max(1, round(letters * 0.3) - 2)
    return "[" + out + " " + ("ŀø" * pad)[:pad] + "]" + sep + patterns


def main():
    source, target = sys.argv[1], sys.argv[2]
    text = open(source, encoding="utf-8").read()
    entries = text.split("\n\n")
    out = []
    for entry in entries:
        m = re.search(r'^msgstr ((?:".*"\n?)+)', entry, flags=re.M)
        msgid = re.search(r'^msgid ((?:".*"\n?)+)', entry, flags=re.M)
        if not m or not msgid or "".join(re.findall(r'"(.*)"', msgid.group(1))) == "":
            out.append(entry)
            continue
        translated = "".join(re.findall(r'"(.*)"', m.group(1)))
        out.append(entry[: m.start()] + 'msgstr "' + pseudo(translated) + '"\n' + entry[m.end():].lstrip("\n"))
    with open(target, "w", encoding="utf-8") as f:
        f.write("\n\n".join(out).rstrip("\n") + "\n")


if __name__ == "__main__":
    main()
