#!/usr/bin/env python3
"""Times how fast quorvane-batch lets go of a file in hand: from SIGINT to the
process gone, with one 50 MB file and 40 chained pairs (each replacement is
the next find text) being worked on. Two texts: the one bench/window_stop.py
uses, and one made only of matches, where every pair rewrites the whole text.
Median of 5 runs each, beside the time the whole file takes once; prints a
Markdown table for bench/RESULTS.md.

  bench/batch_stop.py [BUILD_DIR]     (default: build)

Inputs go under bench/work/stop-batch/; results into its out/ folder (the
source is never written), which is emptied before every run.
"""
import os
import signal
import statistics
import subprocess
import sys
import time

from stop_inputs import ROOT, TEXTS, built, command, generate

RUNS = 5
AFTER_MS = 300   # how far into the run the signal comes


def whole(batch, big, out):
    """Seconds the whole file takes, unstopped."""
    start = time.monotonic_ns()
    subprocess.run(command(batch, big, out), check=True, stdout=subprocess.DEVNULL)
    return (time.monotonic_ns() - start) / 1e9


def run(batch, big, out):
    """Milliseconds from SIGINT to the process gone."""
    proc = subprocess.Popen(command(batch, big, out), stdout=subprocess.PIPE, stderr=subprocess.PIPE)
    time.sleep(AFTER_MS / 1000)
    if proc.poll() is not None:
        sys.exit(f"the file was finished before {AFTER_MS} ms: nothing to stop")
    sent = time.monotonic_ns()
    proc.send_signal(signal.SIGINT)
    proc.wait()
    gone = time.monotonic_ns()
    err = proc.stderr.read().decode()
    if proc.returncode != 130 or "Stopped by SIGINT: 1 file not reached." not in err or os.listdir(out):
        sys.exit(f"the file was not abandoned cleanly (exit {proc.returncode}):\n{err}")
    return (gone - sent) / 1e6


def main():
    batch = built("quorvane-batch")
    work = os.path.join(ROOT, "bench", "work", "stop-batch")
    os.makedirs(work, exist_ok=True)
    out = os.path.join(work, "out")
    print("| Text (50 MB, 40 pairs) | Whole file, unstopped (s) | SIGINT to exit 130, median (ms) | Runs (ms) |")
    print("|---|---|---|---|")
    for name, line in TEXTS.items():
        big = os.path.join(work, name + ".txt")
        generate(big, line)
        once = whole(batch, big, out)
        times = [run(batch, big, out) for _ in range(RUNS)]
        shown = ", ".join(f"{t:.1f}" for t in times)
        print(f"| {name} | {once:.2f} | {statistics.median(times):.1f} | {shown} |")


if __name__ == "__main__":
    main()
