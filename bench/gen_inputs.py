#!/usr/bin/env python3
"""Generates the benchmark inputs under a work folder, deterministically.

Texts are lines of lower-case words ended by CR LF. Replacement texts are
capitalised, and every find text that must not match carries a '#', which no
text and no replacement contains; so a pair list's result equals applying
only its matching pairs, which keeps the reference outputs cheap to make.

Usage: gen_inputs.py WORK WORKLOAD...
"""
import os
import random
import shutil
import sys

BLOCK = 4 * 1024 * 1024           # the big texts are this block repeated
A_SIZE = 256 * 1024 * 1024
SMALL_SIZE = 32 * 1024 * 1024
A_MATCHES = 1_400_000             # "apple" occurrences wanted in A


def vocabulary(rng, count=400):
    letters = "bcdfghjklmnprstvwz"
    vowels = "aeiou"
    words = set()
    while len(words) < count:
        n = rng.randint(2, 4)
        w = "".join(rng.choice(letters) + rng.choice(vowels) for _ in range(n))
        if "apple" not in w:
            words.add(w)
    return sorted(words)


def block(rng, words, size, apple_every, extra=()):
    """A text of exactly size bytes, whole CR LF lines, "apple" about every
    apple_every bytes; extra words are sprinkled in too."""
    parts, length, line = [], 0, []
    next_apple = rng.expovariate(1 / apple_every)
    pool = list(words) + list(extra)
    while True:
        w = "apple" if length >= next_apple else rng.choice(pool)
        if w == "apple":
            next_apple += rng.expovariate(1 / apple_every)
        line.append(w)
        length += len(w.encode()) + 1
        if len(line) >= rng.randint(40, 90):
            parts.append(" ".join(line) + "\r\n")
            length += 1
            line = []
            if length > size - 1200:
                break
    text = "".join(parts)
    pad = size - len(text.encode())
    return text + "x" * (pad - 2) + "\r\n"


def write_pairs(path, pairs):
    """The sets file, and the same pairs as a sed script (.sed) and a perl
    program (.pl); the texts are letters, digits and '#' only."""
    stem = os.path.splitext(path)[0]
    with open(path, "w", encoding="utf-8", newline="") as f:
        f.writelines(f"{find}::{replace}\r\n" for find, replace in pairs)
    with open(stem + ".sed", "w") as f:
        f.writelines(f"s/{find}/{replace}/g\n" for find, replace in pairs)
    with open(stem + ".pl", "w") as f:
        f.writelines(f"s/\\Q{find}\\E/{replace}/g;\n" for find, replace in pairs)


def pair_list(rng, words, total, matching):
    """matching pairs on words of the text (apple first), the rest never match."""
    chosen = ["apple"] + rng.sample(words, matching - 1)
    pairs = [(w, w.capitalize() + "Q") for w in chosen]
    misses = [(rng.choice(words) + "#" + str(i), "Miss") for i in range(total - matching)]
    pairs += misses
    rng.shuffle(pairs)
    return pairs


def renames(rng, words, total, matching):
    """Sets as people write renames: matching words become upper-case words
    with a number ("dolor::DOLOR300"), the rest are numbered words, some
    capitalised ("dolor4711", "Dolor4711"), which no text holds. Replacements
    thus share first and last units with many later finds without being able
    to form one. Returns the pairs and the matching ones (for the reference)."""
    chosen = rng.sample(words, matching)
    hits = [(w, w.upper() + str(rng.randint(100, 999))) for w in chosen]
    misses = []
    for i in range(total - matching):
        w = rng.choice(words)
        misses.append(((w.capitalize() if i % 2 else w) + str(i), w.upper() + str(i)))
    pairs = hits + misses
    rng.shuffle(pairs)
    return pairs, [p for p in pairs if p in hits]


def text_g_h(work, words):
    """G: 10,000 renames (100 matching) over text32. H: a text over 1,500 words
    where 500 renames change a third of the words, plus 9,500 that never match;
    and H1, a text where "apple" alone is about a third of the words."""
    rng = random.Random(7)
    pairs, hits = renames(rng, words, 10_000, 100)
    write_pairs(os.path.join(work, "pairsG.txt"), pairs)
    write_pairs(os.path.join(work, "pairsG.matching.txt"), hits)
    many = vocabulary(random.Random(8), 1500)
    pairs, hits = renames(rng, many, 10_000, 500)
    write_pairs(os.path.join(work, "pairsH.txt"), pairs)
    write_pairs(os.path.join(work, "pairsH.matching.txt"), hits)
    dense = os.path.join(work, "textH.txt")
    if not os.path.exists(dense) or os.path.getsize(dense) != SMALL_SIZE:
        data = block(random.Random(9), many, BLOCK, 1e12).encode()
        with open(dense, "wb") as f:
            for _ in range(SMALL_SIZE // BLOCK):
                f.write(data)
    one = os.path.join(work, "textH1.txt")
    if not os.path.exists(one) or os.path.getsize(one) != SMALL_SIZE:
        # Words average some 7 bytes with their space: "apple" every 21 bytes.
        data = block(random.Random(10), many, BLOCK, 21).encode()
        with open(one, "wb") as f:
            for _ in range(SMALL_SIZE // BLOCK):
                f.write(data)


def big_text(work, rng, words):
    path = os.path.join(work, "text256.txt")
    small = os.path.join(work, "text32.txt")
    if os.path.exists(path) and os.path.getsize(path) == A_SIZE and os.path.exists(small):
        return path
    data = block(rng, words, BLOCK, A_SIZE / A_MATCHES).encode()
    with open(path, "wb") as f:
        for _ in range(A_SIZE // BLOCK):
            f.write(data)
    with open(small, "wb") as f:
        for _ in range(SMALL_SIZE // BLOCK):
            f.write(data)
    return path


def small_tree(root, names, text):
    """root/pristine holding each of names with text() as its content, and
    root/names.txt and root/list.txt (the names under root/files); False
    when the tree is there already."""
    if os.path.exists(os.path.join(root, "list.txt")):
        return False
    pristine = os.path.join(root, "pristine")
    shutil.rmtree(root, ignore_errors=True)
    for name in names:
        path = os.path.join(pristine, name)
        os.makedirs(os.path.dirname(path), exist_ok=True)
        with open(path, "wb") as f:
            f.write(text().encode())
    with open(os.path.join(root, "names.txt"), "w") as f:
        f.write("".join(n + "\n" for n in names))
    with open(os.path.join(root, "list.txt"), "w") as f:
        f.write("".join(os.path.join(root, "files", n) + "\n" for n in names))
    return True


def tree_c(work, rng, words):
    root = os.path.join(work, "C")
    names = [os.path.join(f"d{i // 1000:02d}", f"f{i:05d}.txt") for i in range(20_000)]
    if small_tree(root, names, lambda: block(rng, words, 8192, 400)):
        write_pairs(os.path.join(root, "pairs.txt"),
                    [("apple", "Orange"), (words[0], words[0].upper()), (words[1], "")])


def tree_p(work, rng, words):
    """P: 2,000 files of 2 KB and 10,000 pairs of which none matches."""
    root = os.path.join(work, "P")
    if small_tree(root, [f"f{i:04d}.txt" for i in range(2_000)], lambda: block(rng, words, 2048, 400)):
        write_pairs(os.path.join(root, "pairs.txt"),
                    [(rng.choice(words) + "#" + str(i), "Miss" + str(i)) for i in range(10_000)])


def text_d(work, rng, words):
    path = os.path.join(work, "D", "text16.txt")
    if os.path.exists(path):
        return
    os.makedirs(os.path.dirname(path), exist_ok=True)
    extra = ["café", "Zürich", "naïve", "日本語", "Ελλάδα", "кошка"]
    text = block(rng, words, BLOCK // 2, 190, extra)
    units = text.encode("utf-16-le")
    # 64 MiB of UTF-16LE text after the mark.
    with open(path, "wb") as f:
        f.write(b"\xff\xfe")
        written = 0
        while written < 64 * 1024 * 1024:
            chunk = units[: 64 * 1024 * 1024 - written]
            f.write(chunk)
            written += len(chunk)
    write_pairs(os.path.join(work, "D", "pairs.txt"), [("apple", "Orange")])


def tree_k(work, rng, words):
    """K: 100,000 files of 1 KB in 100 folders, for the per-file cost of a
    long pair list: a list of the files and one of their names."""
    root = os.path.join(work, "K")
    names = [os.path.join(f"d{i // 1000:02d}", f"f{i:05d}.txt") for i in range(100_000)]
    # A few hundred distinct files, repeated: the text is not what is measured.
    texts = [block(rng, words, 1024, 400) for _ in range(256)]
    small_tree(root, names, lambda: texts[rng.randrange(len(texts))])


def numbered_renames(work):
    """N: 10,000 numbered renames over text32 whose replacements end with the
    first units of every later find ("zq123xw::n123zq"), so each could start a
    later find; 100 of them rename words of the text, which never holds "zq"
    followed by a digit, so none forms one. O, just outside: the same list
    where one early rename's replacement does form a later find wherever the
    text holds it ("...::n0zq7xw" ends with the find "zq7xw"... of a later pair
    whose replacement forms nothing more)."""
    rng = random.Random(11)
    words = vocabulary(random.Random(20261207))
    hits = rng.sample(words, 100)
    pairs = [(h, f"n{i}zq") for i, h in enumerate(hits)]
    pairs += [(f"zq{i}xw", f"n{i}zq") for i in range(100, 10_000)]
    random.Random(12).shuffle(pairs)
    write_pairs(os.path.join(work, "pairsN.txt"), pairs)
    write_pairs(os.path.join(work, "pairsN.matching.txt"), [p for p in pairs if p[0] in hits])
    # O: "apple" (about every 190 bytes) becomes "zq" followed by the find
    # text's rest of the list's last pair, which therefore matches there.
    last = pairs[-1]
    assert last[0].startswith("zq")
    outside = [("apple", "Q" + last[0])] + pairs
    write_pairs(os.path.join(work, "pairsO.txt"), outside)
    write_pairs(os.path.join(work, "pairsO.matching.txt"),
                [p for p in outside if p[0] in hits or p in (outside[0], last)])


def tree_l(work):
    """100,000 empty .txt files in 1,000 folders (10 parents of 100), and a
    list file of 1,000,000 paths."""
    root = os.path.join(work, "L")
    if os.path.exists(os.path.join(root, "list1m.txt")):
        return
    shutil.rmtree(root, ignore_errors=True)
    paths = []
    for g in range(10):
        for f in range(100):
            folder = os.path.join(root, "tree", f"g{g:02d}", f"f{f:03d}")
            os.makedirs(folder)
            for n in range(100):
                path = os.path.join(folder, f"file{n:03d}.txt")
                open(path, "wb").close()
                paths.append(path)
    with open(os.path.join(root, "list1m.txt"), "w") as f:
        for _ in range(10):
            f.write("".join(p + "\n" for p in paths))


def matcher_sets(work, words):
    """X, Y, Z: the sets of the matching modes. One exact pair with a pair
    whose find is not ASCII (ignore case then takes the regex chain); 100
    regular expressions (10 matching, each a word and what follows it) with
    the same as a perl program, and the same patterns without a literal start."""
    write_pairs(os.path.join(work, "pairsX.outside.txt"), [("apple", "Orange"), ("caf\u00e9", "CAF\u00c9")])
    write_pairs(os.path.join(work, "pairsY.outside.txt"),
                pair_list(random.Random(2), words, 100, 10) + [("caf\u00e9", "CAF\u00c9")])
    rng = random.Random(12)
    pairs = [(w + r"(\w*)", w.upper() + "_$1") for w in rng.sample(words, 10)]
    pairs += [(rng.choice(words) + "#" + r"(\d+)", "Miss$1") for _ in range(90)]
    rng.shuffle(pairs)
    for name, prefix in (("pairsZ100", ""), ("pairsZ100.noprefix", "(?:)")):
        with open(os.path.join(work, name + ".txt"), "w", newline="") as f:
            f.writelines(f"{prefix}{find}::{replace}\r\n" for find, replace in pairs)
        with open(os.path.join(work, name + ".pl"), "w") as f:
            f.writelines(f"s/{prefix}{find}/{replace}/g;\n" for find, replace in pairs)
    with open(os.path.join(work, "pairsZ1.txt"), "w", newline="") as f:
        f.write("apple([a-z]*)::Orange$1\r\n")
    with open(os.path.join(work, "pairsZ1.noprefix.txt"), "w", newline="") as f:
        f.write("[a]pple([a-z]*)::Orange$1\r\n")


def tree_t(work):
    """Copies of the system's headers (/usr/include), as many as make about
    50,000 files, links kept as links."""
    root = os.path.join(work, "T", "pristine")
    if os.path.exists(root):
        return
    per_copy = sum(len(files) for _, _, files in os.walk("/usr/include"))
    copies = max(1, round(50_000 / max(per_copy, 1)))
    for k in range(copies):
        shutil.copytree("/usr/include", os.path.join(root + ".tmp", f"c{k + 1}"), symlinks=True)
    os.rename(root + ".tmp", root)


def main():
    work, wanted = sys.argv[1], set(sys.argv[2:])
    os.makedirs(work, exist_ok=True)
    rng = random.Random(20261207)
    words = vocabulary(rng)
    if wanted & {"A", "B", "E", "F", "G", "H", "N", "O"}:
        big_text(work, random.Random(1), words)
        write_pairs(os.path.join(work, "pairsA.txt"), [("apple", "Orange")])
        write_pairs(os.path.join(work, "pairsB.txt"), pair_list(random.Random(2), words, 100, 10))
        write_pairs(os.path.join(work, "pairsE.txt"), pair_list(random.Random(3), words, 1000, 10))
        write_pairs(os.path.join(work, "pairsF.txt"), pair_list(random.Random(4), words, 10000, 100))
    if wanted & {"X", "Y", "Z"}:
        big_text(work, random.Random(1), words)
        write_pairs(os.path.join(work, "pairsA.txt"), [("apple", "Orange")])
        write_pairs(os.path.join(work, "pairsB.txt"), pair_list(random.Random(2), words, 100, 10))
        write_pairs(os.path.join(work, "pairsF.txt"), pair_list(random.Random(4), words, 10000, 100))
        matcher_sets(work, words)
    if wanted & {"G", "H"}:
        text_g_h(work, words)
    if "C" in wanted:
        tree_c(work, random.Random(5), words)
    if "D" in wanted:
        text_d(work, random.Random(6), words)
    if wanted & {"L", "S"}:
        tree_l(work)
    if "K" in wanted:
        tree_k(work, random.Random(13), words)
    if wanted & {"N", "O"}:
        numbered_renames(work)
    if "T" in wanted:
        tree_t(work)
    if "P" in wanted:
        tree_p(work, random.Random(8), words)
    if "M" in wanted:
        # Growth: each of twelve pairs doubles the text, 64 KiB to 256 MB.
        os.makedirs(os.path.join(work, "M"), exist_ok=True)
        with open(os.path.join(work, "M", "a64k.txt"), "wb") as f:
            f.write(b"a" * 65536)
        write_pairs(os.path.join(work, "M", "pairs.txt"), [("a", "aa")] * 12)


if __name__ == "__main__":
    main()
