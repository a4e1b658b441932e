#!/usr/bin/env python3
"""Times how fast the window lets go of a file in hand: from "Stop" to the
run's end, and from closing the window to the process gone, with one 50 MB
file and 40 chained pairs (each replacement is the next find text) being
worked on. Median of 5 runs each; prints a Markdown
table for bench/RESULTS.md.

  bench/window_stop.py [BUILD_DIR]     (default: build)

Inputs go under bench/work/stop/; results into its out/ folder (the source is
never written), which is emptied before every run.
"""
import os
import shutil
import statistics
import subprocess
import sys
import time

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
RUNS = 5
AFTER_MS = 300   # how far into the run Stop or the close comes


def generate(path):
    """50 MB of text in which each of the 40 find texts occurs."""
    if os.path.exists(path) and os.path.getsize(path) >= 50 << 20:
        return
    line = " ".join(f"word{k:02d} filler text" for k in range(40)) + "\n"
    data = line.encode() * ((50 << 20) // len(line) + 1)
    with open(path, "wb") as f:
        f.write(data[: 50 << 20])


def run(driver, big, out, option, env):
    shutil.rmtree(out, ignore_errors=True)
    os.makedirs(out)
    args = [driver, option, str(AFTER_MS), "--output-folder", out + "/"]
    # Each replacement forms the next find text, so the pairs must run one
    # after another over the whole file: the slowest way through it.
    for k in range(40):
        args += ["--find", f"word{k:02d}", "--replace", f"word{k + 1:02d}"]
    args.append(big)
    proc = subprocess.Popen(args, stdout=subprocess.PIPE, stderr=subprocess.PIPE, env=env, text=True)
    closed_at = None
    stop_ms = None
    for line in proc.stdout:
        if line.startswith("closed-at "):
            closed_at = int(line.split()[1])
        elif line.startswith("stop-ms "):
            stop_ms = float(line.split()[1])
    proc.wait()
    gone = time.clock_gettime_ns(time.CLOCK_MONOTONIC)
    err = proc.stderr.read()
    if "abandoned" not in err or os.listdir(out):
        sys.exit(f"{option}: the file was not abandoned (finished before {AFTER_MS} ms?)\n{err}")
    if option == "--close-after":
        return (gone - closed_at) / 1e6
    return stop_ms


def main():
    build = sys.argv[1] if len(sys.argv) > 1 else "build"
    if not os.path.isabs(build):
        build = os.path.join(ROOT, build)
    driver = os.path.join(build, "quorvane-window-bench")
    work = os.path.join(ROOT, "bench", "work", "stop")
    os.makedirs(work, exist_ok=True)
    big = os.path.join(work, "big.txt")
    generate(big)
    env = dict(os.environ, QT_QPA_PLATFORM="offscreen")
    print("| From | to | Median (ms) | Runs (ms) |")
    print("|---|---|---|---|")
    for option, what in (("--stop-after", ("Stop clicked", "the run ended in the window")),
                         ("--close-after", ("window closed", "the process gone"))):
        times = [run(driver, big, os.path.join(work, "out"), option, env) for _ in range(RUNS)]
        shown = ", ".join(f"{t:.1f}" for t in times)
        print(f"| {what[0]} | {what[1]} | {statistics.median(times):.1f} | {shown} |")


if __name__ == "__main__":
    main()
