#!/usr/bin/env python3
"""The python contender and reference: each pair of a sets file in order with
bytes.replace over the whole text.

  pyreplace.py [--skip-misses] [--utf16] PAIRS INPUT OUTPUT
  pyreplace.py PAIRS --in-place LIST      (every path of LIST, rewritten in place)

--skip-misses leaves out pairs whose find text holds '#': the generated texts
and replacements never contain one, so the result is the same (used to make
reference outputs quickly). --utf16 reads a UTF-16 file with its mark and
writes UTF-16LE with the mark FF FE.
"""
import sys


def read_pairs(path, skip_misses):
    pairs = []
    with open(path, "rb") as f:
        for line in f.read().split(b"\r\n"):
            if b"::" not in line:
                continue
            find, replace = line.split(b"::")[:2]
            if find and not (skip_misses and b"#" in find):
                pairs.append((find, replace))
    return pairs


def replace_all(data, pairs):
    for find, replace in pairs:
        data = data.replace(find, replace)
    return data


def main():
    args = sys.argv[1:]
    skip = "--skip-misses" in args
    utf16 = "--utf16" in args
    args = [a for a in args if a not in ("--skip-misses", "--utf16")]
    if len(args) == 3 and args[1] == "--in-place":
        pairs = read_pairs(args[0], skip)
        with open(args[2]) as f:
            paths = f.read().split("\n")
        for path in filter(None, paths):
            with open(path, "rb") as f:
                data = f.read()
            with open(path, "wb") as f:
                f.write(replace_all(data, pairs))
        return
    pairs_path, source, output = args
    pairs = read_pairs(pairs_path, skip)
    with open(source, "rb") as f:
        data = f.read()
    if utf16:
        text = data.decode("utf-16")
        text = replace_all(text, [(a.decode(), b.decode()) for a, b in pairs])
        data = b"\xff\xfe" + text.encode("utf-16-le")
    else:
        data = replace_all(data, pairs)
    with open(output, "wb") as f:
        f.write(data)


if __name__ == "__main__":
    main()
