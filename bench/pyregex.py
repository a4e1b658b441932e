#!/usr/bin/env python3
"""Reference of the matching modes: each pair in turn over the whole text
with Python's re (the bench texts are ASCII, where its \\w and case agree
with PCRE2's Unicode ones). Finds holding '#' are skipped: no bench text
holds one, so they never match.

Usage: pyregex.py [--word] [--ignore-case] [--regex] PAIRS INPUT OUTPUT
"""
import re
import sys


def main():
    args = sys.argv[1:]
    word, case, regex = ("--word" in args), ("--ignore-case" in args), ("--regex" in args)
    pairs, source, output = [a for a in args if not a.startswith("--")]
    text = open(source, "rb").read().decode("utf-8")
    for line in open(pairs, encoding="utf-8").read().splitlines():
        if "::" not in line:
            continue
        find, replace = line.split("::", 1)
        if "#" in find:
            continue
        pattern = find if regex else re.escape(find)
        if word:
            pattern = r"(?<!\w)(?:" + pattern + r")(?!\w)"
        if regex:
            replace = re.sub(r"\$(\d+)", r"\\g<\1>", replace)
        else:
            replace = replace.replace("\\", "\\\\")
        text = re.sub(pattern, replace, text, flags=re.IGNORECASE if case else 0)
    open(output, "wb").write(text.encode("utf-8"))


if __name__ == "__main__":
    main()
