#!/usr/bin/env python3
"""Turns the figures of one scripts/bench run into bench/RESULTS.md.

  report.py RESULTS_DIR OUTPUT.md WORKLOAD...

RESULTS_DIR holds ID.json (hyperfine exports, one command each, ID being
WORKLOAD.contender), ID.check ("same" or "DIFFERENT") and a few extra
figures (A.memory-kb, *.skipped).
"""
import datetime
import json
import os
import platform
import shutil
import subprocess
import sys

TITLES = {
    "A": "A: one 256 MB CRLF text file, one pair (about 1.4 M matches)",
    "B": "B: the same 256 MB file, 100 pairs of which 10 match",
    "C": "C: 20,000 files of 8 KB, 3 pairs, in place",
    "D": "D: one 64 MB UTF-16LE file, one pair",
    "E": "E: 1,000 pairs (10 matching) over 32 MB",
    "F": "F: 10,000 pairs (100 matching) over 32 MB, against one pair over the same 32 MB (A32)",
    "G": "G: 10,000 numbered renames (100 matching) over 32 MB, against one pair over the same 32 MB (A32)",
    "H": "H: 10,000 renames over 32 MB, 500 of which change a third of the words, against one pair "
         "changing as many words of another 32 MB (H1)",
    "M": "M: 64 KiB of one letter, a::aa twelve times (a 256 MB result)",
    "W": "W: 20,000 small files through the window (offscreen) and through quorvane-batch",
    "P": "P: 10,000 pairs that never match over 2,000 small files, through the window and through quorvane-batch",
    "L": "L: the file list: folder scan, name filters, list loading",
    "X": "X: whole words and ignore case, one pair over A's 256 MB, against exact",
    "Y": "Y: 10,000 whole-word sets (F's) over 32 MB, against one exact pair over the same 32 MB",
    "Z": "Z: regular expressions: one with a literal start over 256 MB, 100 sets over 32 MB",
    "N": "N: 10,000 numbered renames over 32 MB whose replacements end where every later find begins "
         "(100 matching, none forming one), against one pair over the same 32 MB (A32)",
    "O": "O: N's list after a pair that forms a later find wherever it matches (about every 190 bytes), "
         "against one pair (A32)",
    "K": "K: 100,000 files of 1 KB, a dry run with 10,000 sets (100 matching) against one set",
    "T": "T: a copy of the system's headers, one identifier renamed in place where a minority of files hold it",
    "S": "S: the --folder scan over 100,000 files (the tree of L)",
}

# (workload, description, numerator id, denominator id or None, limit)
TARGETS = [
    ("A", "quorvane at most 1.1 x cp", "A.quorvane", "A.cp", 1.1),
    ("A", "without backups at most 1.1 x cp", "A.nobackup", "A.cp", 1.1),
    ("A", "without backups at most 1.0 x the revision before (BENCH_BEFORE)", "A.nobackup", "A.before", 1.0),
    ("A", "quorvane at most 0.5 x sed", "A.quorvane", "A.sed", 0.5),
    ("B", "quorvane at most 0.2 x sed", "B.quorvane", "B.sed", 0.2),
    ("B", "quorvane at most 0.05 x sed (thousands-of-sets goal)", "B.quorvane", "B.sed", 0.05),
    ("C", "quorvane at most 1.0 x sed -i", "C.quorvane", "C.sed", 1.0),
    ("C", "backups on at most 1.15 x backups off", "C.quorvane", "C.nobackup", 1.15),
    ("C", "--undo of the run at most 1.0 x the run", "C.undo", "C.quorvane", 1.0),
    ("C", "2 workers (--jobs 2) at most 0.25 x sed -i", "C.jobs2", "C.sed", 0.25),
    ("C", "1 worker (--jobs 1) at most 1.05 x the revision before (BENCH_BEFORE)", "C.jobs1", "C.before", 1.05),
    ("D", "quorvane at most 2 x cp", "D.quorvane", "D.cp", 2.0),
    ("E", "quorvane at most 0.05 x sed", "E.quorvane", "E.sed", 0.05),
    ("F", "10,000 pairs at most 3 x one pair over the same 32 MB", "F.quorvane", "A32.quorvane", 3.0),
    ("G", "10,000 renames sharing first and last units with later finds at most 3 x one pair",
     "G.quorvane", "A32.quorvane", 3.0),
    ("H", "10,000 sets changing a third of the words at most 3 x one pair changing as many",
     "H.quorvane", "H1.quorvane", 3.0),
    ("N", "10,000 renames that could form later finds at most 3 x one pair (read the CPU column)",
     "N.quorvane", "A32.quorvane", 3.0),
    ("N", "the same with the second core busy", "N.quorvane.busy", "A32.quorvane.busy", 3.0),
    ("W", "window at most 1.5 x quorvane-batch", "W.window", "W.batch", 1.5),
    ("P", "the window's run at most 1.2 x quorvane-batch", "P.run", "P.batch", 1.2),
    ("L", "\"Add All\" at most 2 x find -type f", "L.addall", "L.find", 2.0),
    ("L", "first name filter over 100,000 entries under 1 s", "L.filter1", None, 1.0),
    ("L", "second name filter over 100,000 entries under 1 s", "L.filter2", None, 1.0),
    ("L", "1,000,000 entries from a list file under 5 s", "L.list", None, 5.0),
    ("X", "whole words, one pair, at most 1.5 x exact", "X.word", "X.quorvane", 1.5),
    ("X", "ignore case, one pair, at most 1.5 x exact", "X.case", "X.quorvane", 1.5),
    ("X", "whole words at most 1.5 x exact, the second core busy", "X.busy-word", "X.busy-exact", 1.5),
    ("Y", "10,000 whole-word sets at most 3 x one exact pair", "Y.word", "Y.quorvane", 3.0),
    ("Z", "one regular expression with a literal start at most 1.0 x sd", "Z.quorvane", "Z.sd", 1.0),
    ("Z", "one regular expression with a literal start at most 0.5 x perl", "Z.quorvane", "Z.perl", 0.5),
    ("Z", "100 regex sets over 32 MB at most 0.5 x perl with the 100 substitutions",
     "Z.sets", "Z.perl-sets", 0.5),
    ("T", "quorvane at most 0.6 x grep -rlZ \\| xargs -0 sed -i", "T.quorvane", "T.grep", 0.6),
    ("S", "the --folder scan at most 2 x find -type f", "S.quorvane", "S.find", 2.0),
    ("T", "one worker per core at most 1.0 x one worker (--jobs 1)", "T.quorvane", "T.jobs1", 1.0),
    ("T", "at most 1.0 x the revision before (BENCH_BEFORE)", "T.quorvane", "T.before", 1.0),
    ("W", "the window on one worker per core at most 1.0 x on one worker", "W.window", "W.window-jobs1", 1.0),
]

# Workloads measured as the yardstick of another, shown in its section.
COMPANIONS = {"F": ["A32"], "G": ["A32"], "H": ["H1"], "N": ["A32"], "O": ["A32"]}

NOTES = {
    "A": "A.quorvane keeps a backup of the output it replaces, as every run does by default: the "
         "result is hashed for the store's manifest as it is written, the old output is kept (a hard "
         "link), and the store, at its 2 GB limit after eight such runs, frees the 256 MB file it kept "
         "eight runs before, beside the run. A.nobackup is the same run with --no-backup; A.before, when measured, is A.nobackup "
         "by the quorvane-batch named by BENCH_BEFORE.",
    "B": "sed, perl and python run once here; "
         "sd applies one pair per run and is left out.",
    "C": "Files are regenerated before every run, and synced so that no contender pays for writing "
         "out the fresh copy. quorvane syncs every result to disk "
         "before renaming it over the source; sed, perl, sd and python do not sync. "
         "C.quorvane keeps a backup of every file it replaces (a hard link into its store, which "
         "keeps at most 50 runs and 2 GB of kept files, about 13 of C's runs; the store holds 10 runs "
         "before the first one measured, and once it holds 13, each run also prunes the oldest "
         "and frees the 20,000 files it kept), C.nobackup runs "
         "with --no-backup, and C.undo is quorvane-batch --undo of the run just made (each file "
         "read and hashed, then put back). C.jobs1 and C.jobs2 are C.quorvane with --jobs 1 and "
         "--jobs 2 (C.quorvane takes one worker per core); C.before, when measured, is the "
         "quorvane-batch that BENCH_BEFORE names, on one worker (--jobs 1).",
    "D": "sed, perl and sd cannot match UTF-16 text; the python contender decodes UTF-16.",
    "E": "sed, perl and python run once here.",
    "M": "Every pair doubles the text, so one 64 KiB stretch of input becomes 256 MB: the stages "
         "hand grown output on in pieces, and memory stays that of a short text. quorvane keeps a "
         "backup of the output it replaces, as by default; sed runs its twelve s/a/aa/g on the one "
         "line; python is the reference's bytes.replace loop.",
    "W": "Both run the same 3 pairs over the 20,000 files of C in place, files regenerated before "
         "every run; times are whole processes (the window's start-up included). The window runs "
         "single mode through its own \"Start Replacing\" (quorvane-window-bench).",
    "P": "Both run the same 10,000 pairs (each holding a '#', which no file does) over 2,000 files of "
         "2 KB in place, files regenerated before every run; nothing is written. The window takes the "
         "pairs as the lines of its single-mode boxes, so before every file it checks them and runs "
         "them. P.window and P.batch are whole processes; P.run is the window's run alone (the click on "
         "\"Start Replacing\" until it returns), without the start-up that typing the 10,000 lines into "
         "the boxes costs once; quorvane-batch's time includes its start-up and reading the sets.",
    "L": "quorvane-filelist-bench clicks the main window's own buttons (offscreen): \"Add All "
         "File(s) In Folder\" answered \"txt\" and the tree, the two name filters answered "
         "\"FILE00\" over the 100,000 entries Add All gave, \"Load List Of Files From File\" with one "
         "list file of 1,000,000 paths; each time includes the window events left pending. "
         "find writes its names to /dev/null.",
    "X": "X.quorvane is the exact run; every quorvane figure of X, Y and Z is the engine through "
         "quorvane-match-bench (no backup kept) until quorvane-batch takes -w, -i and -E. "
         "Whole words and ignore case go cell by cell (see docs/development.md); X.outside adds a pair "
         "whose find is not ASCII, which sends ignore case through one regular-expression stream per "
         "pair. X.busy-* run with a busy loop on the other core. sed's \\b and perl's \\b are ASCII "
         "word boundaries, which on this ASCII text agree with quorvane's Unicode ones.",
    "Y": "Y.exact is F's exact run through the same program; Y.outside (100 sets and a find that is "
         "not ASCII, ignoring case) takes the regular-expression chain and runs once.",
    "Z": "perl runs perl -p into a file (as in A), the 100 sets as one program of 100 s///g. "
         "Z.noprefix and Z.sets-noprefix are the same patterns written so that no literal start can "
         "be read off them ([a]pple, (?:) in front): every stream asks PCRE2 from every place.",
    "F": "sed (about 10 x its time in E) and python are left out to keep the run short; "
         "the output is still checked against the reference.",
    "G": "Matching sets turn a word into upper case and a number (\"dolor::DOLOR300\"); the others "
         "are numbered words, half of them capitalised (\"dolor4711\", \"Dolor4711\"), which the "
         "text never holds: the replacements end in digits that many later finds hold, yet form "
         "none of them. The reference applies the 100 matching sets (the others cannot match: the "
         "text has no digits, and inserted digits follow upper-case letters).",
    "H": "The text is words of a 1,500-word vocabulary; the 500 matching sets (as in G) change a "
         "third of its words. H1 is the same kind of text with \"apple\" as about a third of its "
         "words, and the one pair apple::Orange. The reference applies the 500 matching sets.",
    "N": "Renames \"zq123xw::n123zq\": every replacement ends with \"zq\", which begins every later "
         "find, so every pair could form a later find; the 100 that match rename words of the text, "
         "where a space or a line end follows, so none does. Rows ending in .busy ran with a shell "
         "loop keeping the second core busy. The reference applies the 100 matching sets.",
    "O": "The first pair, apple::Qzq7775xw, forms the find of the list's last pair wherever it "
         "matches, so the run leaves the one-pass mode at the first \"apple\" and goes pair by pair. "
         "The reference applies the pairs that match, in order.",
    "K": "A dry run reads every file and counts what would change; setsF is the 10,000 sets of F, "
         "setsA the one pair apple::Orange. The files are 256 distinct texts of 1 KB; rows ending "
         "in .busy ran with the second core busy.",
    "T": "The tree is /usr/include copied as many times as make about 50,000 files (links kept as "
         "links, which neither contender follows), regenerated and synced before every run; "
         "`nullptr` becomes `NULLPTR_QV` in the files that hold it. T.quorvane is quorvane-batch "
         "--in-place --folder with its backups (hard links into a store on the same file system), "
         "T.nobackup the same with --no-backup, T.grep `grep -rlZ nullptr DIR | xargs -0 sed -i`. "
         "T.jobs1 is T.quorvane on one worker (--jobs 1); T.quorvane has one per core. T.before, "
         "when measured, is T.quorvane by the quorvane-batch named by BENCH_BEFORE. "
         "Every result is checked against the tree grep and sed leave.",
    "S": "S.quorvane is quorvane-scan-bench: the scan quorvane-batch --folder makes (version-control "
         "folders, links, hidden and '~' files left out, names in order), its paths written to "
         "/dev/null as find's are; whole processes, start-up included. The list of files is "
         "checked against find's.",
}


def sh(*cmd):
    try:
        return subprocess.run(cmd, capture_output=True, text=True, check=False).stdout.strip()
    except OSError:
        return "not found"


def load(results):
    medians, runs, checks, extra, cpu = {}, {}, {}, {}, {}
    for name in sorted(os.listdir(results)):
        path = os.path.join(results, name)
        stem, ext = os.path.splitext(name)
        if ext == ".json":
            try:
                with open(path) as f:
                    r = json.load(f)["results"][0]
            except (ValueError, KeyError, IndexError):
                continue
            medians[stem], runs[stem] = r["median"], len(r["times"])
            if "user" in r:
                cpu[stem] = r["user"] + r["system"]
        elif ext == ".check":
            checks[stem] = open(path).read().strip()
        else:
            extra[name] = open(path, errors="replace").read().strip()
    return medians, runs, checks, extra, cpu


def machine():
    cpu = next((l.split(":", 1)[1].strip() for l in open("/proc/cpuinfo") if l.startswith("model name")), "?")
    mem = next((l.split()[1] for l in open("/proc/meminfo") if l.startswith("MemTotal")), "0")
    here = os.path.dirname(os.path.abspath(__file__))
    disk = shutil.disk_usage(here)
    fs = sh("stat", "-f", "-c", "%T", here)
    dev = sh("df", "--output=source", here).splitlines()[-1:]
    lines = [
        f"- CPU: {cpu}, nproc {os.cpu_count()}",
        f"- Memory: {int(mem) / 1024 / 1024:.1f} GiB",
        f"- Disk of bench/work: {dev[0] if dev else '?'} ({fs}), {disk.total / 1e9:.0f} GB, "
        f"{disk.free / 1e9:.0f} GB free",
        f"- Kernel: {platform.release()}; load average at the end of the run: "
        f"{open('/proc/loadavg').read().split()[0]} (the machine is shared with other builds)",
        f"- Tools: {sh('sed', '--version').splitlines()[0]}; perl {sh('perl', '-e', 'print $^V')}; "
        f"{sh('sd', '--version')}; {sh('python3', '--version')}; {sh('hyperfine', '--version')}",
    ]
    return lines


def main():
    results, output, wanted = sys.argv[1], sys.argv[2], sys.argv[3:]
    medians, runs, checks, extra, cpu = load(results)
    # The report this run replaces: what it did not measure is carried over.
    try:
        old = open(output).read().split("\n")
    except OSError:
        old = []
    now = datetime.datetime.now(datetime.timezone.utc).strftime("%Y-%m-%d %H:%M UTC")
    md = ["# Benchmark results", "",
          f"Measured {now} by `scripts/bench {' '.join(wanted)}` on revision "
          f"{os.environ.get('BENCH_REVISION', 'unknown')}, all contenders in the same run.",
          "Times are medians of hyperfine runs (wall clock, warm page cache; commands run more than once",
          "get one unmeasured warm-up run first); ratios are quorvane's time",
          "over the contender's. \"same\" means the output was compared byte for byte with the reference",
          "(a python bytes.replace of every pair in order). The CPU column is hyperfine's mean",
          "user+system time, which helps where other work on the machine stretched wall times.",
          "", "## Machine", ""]
    md += machine()
    md += ["", "## Targets", "",
           "| Workload | Target | Measured | Same ratio in CPU time | Same ratio in instructions | Result |",
           "|---|---|---|---|---|---|"]
    for w, text, num, den, limit in TARGETS:
        if w not in wanted:
            continue
        failed = [i for i in (num, den) if i and f"{i}.failed" in extra]
        if failed:
            md.append(f"| {w} | {text} | {', '.join(failed)} failed | - | - | FAIL |")
            continue
        if num not in medians or (den and den not in medians):
            md.append(f"| {w} | {text} | not measured | - | - | - |")
            continue
        value = medians[num] / medians[den] if den else medians[num]
        shown = f"{value:.3f} x" if den else f"{value:.3f} s"
        by_cpu = f"{cpu[num] / cpu[den]:.3f} x" if den and num in cpu and den in cpu else "-"
        ir = {i: int(extra[f"{i}.ir"]) for i in (num, den) if i and extra.get(f"{i}.ir", "").isdigit()}
        by_ir = f"{ir[num] / ir[den]:.3f} x" if den and len(ir) == 2 else "-"
        ok = value <= limit and checks.get(num, "same") == "same"
        md.append(f"| {w} | {text} | {shown} | {by_cpu} | {by_ir} | {'pass' if ok else 'FAIL'} |")
    for w in ("A", "M"):
        if w in wanted and f"{w}.memory-kb" in extra:
            kb = int(extra[f"{w}.memory-kb"])
            md.append(f"| {w} | peak memory at most 64 MB | {kb / 1024:.1f} MB | - | - | "
                      f"{'pass' if kb <= 64 * 1024 else 'FAIL'} |")

    md += earlier_targets(old, wanted)

    for w in wanted:
        md += ["", f"## {TITLES[w]}", ""]
        if f"{w}.skipped" in extra:
            md += [f"Not measured: {extra[w + '.skipped']}."]
            continue
        order = ["quorvane", "cp", "sed", "perl", "sd", "python"]
        ids = [i for i in medians if i.split(".")[0] in [w] + COMPANIONS.get(w, [])]
        ids.sort(key=lambda i: (i.split(".")[0] != w, order.index(i.split(".")[1])
                                if i.split(".")[1] in order else len(order), i))
        base = medians.get(f"{w}.quorvane")
        md += ["| Contender | Median (s) | CPU user+sys (s) | Runs | quorvane / contender | Output |",
               "|---|---|---|---|---|---|"]
        for i in ids:
            ratio = f"{base / medians[i]:.3f}" if base and i != f"{w}.quorvane" else "-"
            used = f"{cpu[i]:.3f}" if i in cpu else "-"
            md.append(f"| {i} | {medians[i]:.3f} | {used} | {runs[i]} | {ratio} | {checks.get(i, '-')} |")
        for name in sorted(extra):
            if name.endswith(".failed") and name.split(".")[0] in [w] + COMPANIONS.get(w, []):
                md.append(f"| {name[:-len('.failed')]} | command failed | - | - | - | - |")
        counted = [i for i in ids if f"{i}.ir" in extra and extra[f"{i}.ir"].isdigit()]
        if counted:
            md += ["", "Instructions of one run under callgrind: " + "; ".join(
                f"{i} {int(extra[i + '.ir']) / 1e6:.0f} M" for i in counted) + "."]
        if w in NOTES:
            md += ["", NOTES[w]]
        if w == "W" and extra.get("W.click-ms", "").isdigit():
            md += ["", f"The click on \"Start Replacing\" alone took {int(extra['W.click-ms']) / 1000:.3f} s "
                       f"in a separate run."]
        if f"{w}.memory-kb" in extra:
            md += ["", f"Peak resident memory of quorvane-batch (/usr/bin/time -v): "
                       f"{int(extra[w + '.memory-kb']) / 1024:.1f} MB."]
    md += earlier_sections(old, md)
    with open(output, "w") as f:
        f.write("\n".join(md) + "\n")


def earlier_targets(old, wanted):
    """The target rows of the existing report (its lines) for workloads this run
    left out, marked as earlier unless they already say when they were measured."""
    rows, inside = [], False
    for line in old:
        if line.startswith("## "):
            inside = line == "## Targets"
            continue
        cells = line.split(" | ")
        if not inside or not line.startswith("| ") or len(cells) < 3 or line.startswith("| Workload") \
                or line.startswith("|---"):
            continue
        workload = cells[0][2:].strip()
        if workload in wanted:
            continue
        if "(earlier run" not in cells[1] and "(rerun" not in cells[1]:
            cells[1] += " (earlier run)"
        rows.append(" | ".join(cells))
    return rows


def earlier_sections(old, md):
    """Sections of the existing report (its lines) that this run did not produce
    (workloads left out, hand-measured figures), kept after the new ones and
    marked as earlier, so that a partial run never drops figures."""
    mark = " (earlier run, not repeated)"
    made = {line[3:].replace(mark, "") for line in md if line.startswith("## ")}
    kept, current = [], None
    for line in old:
        if line.startswith("## "):
            title = line[3:].replace(mark, "")
            current = None if title in made or title in ("Machine", "Targets") else []
            if current is not None:
                current.append(f"## {title}{mark}" if title[:2].rstrip(":") in TITLES else line)
                kept.append(current)
        elif current is not None:
            current.append(line)
    out = []
    for section in kept:
        while section and not section[-1].strip():
            section.pop()
        out += [""] + section
    return out


if __name__ == "__main__":
    main()
