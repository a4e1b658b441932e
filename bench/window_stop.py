#!/usr/bin/env python3
"""Times how fast the window lets go of a file in hand: from "Stop" to the
run's end in the window, and from closing the window to the process gone,
with one 50 MB file and 40 chained pairs (each replacement is the next find
text) being worked on. Two texts: one where the find texts occur among other
words, and one made only of matches, where every pair rewrites the whole text.
Median of 5 runs each, beside the time the whole file takes once; prints a
Markdown table for bench/RESULTS.md.

  bench/window_stop.py [BUILD_DIR]     (default: build)

Inputs go under bench/work/stop/; results into its out/ folder (the source is
never written), which is emptied before every run.
"""
import os
import statistics
import subprocess
import sys
import time

from stop_inputs import ROOT, TEXTS, built, command, generate

RUNS = 5
AFTER_MS = 300   # how far into the run Stop or the close comes

def whole(driver, big, out, env):
    """Seconds the whole file takes through the window, unstopped."""
    args = command(driver, big, out)
    proc = subprocess.run(args, env=env, check=True, stdout=subprocess.PIPE, stderr=subprocess.DEVNULL, text=True)
    return int(proc.stdout.split()[-1]) / 1000


def run(driver, big, out, option, env):
    """Milliseconds from Stop to the run's end, or from the close to the process gone."""
    proc = subprocess.Popen(command(driver, big, out, option, str(AFTER_MS)), env=env,
                            stdout=subprocess.PIPE, stderr=subprocess.PIPE, text=True)
    closed_at = stop_ms = None
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
    return (gone - closed_at) / 1e6 if option == "--close-after" else stop_ms


def main():
    driver = built("quorvane-window-bench")
    work = os.path.join(ROOT, "bench", "work", "stop")
    out = os.path.join(work, "out")
    os.makedirs(work, exist_ok=True)
    env = dict(os.environ, QT_QPA_PLATFORM="offscreen")
    print("| Text (50 MB, 40 pairs) | Whole file, unstopped (s) | From | to | Median (ms) | Runs (ms) |")
    print("|---|---|---|---|---|---|")
    for name, line in TEXTS.items():
        big = os.path.join(work, f"{name}.txt")
        generate(big, line)
        full = whole(driver, big, out, env)
        for option, start, end in (("--stop-after", "Stop", "run ended in the window"),
                                   ("--close-after", "close", "process gone")):
            times = [run(driver, big, out, option, env) for _ in range(RUNS)]
            shown = ", ".join(f"{t:.1f}" for t in times)
            print(f"| {name} | {full:.2f} | {start} | {end} | {statistics.median(times):.1f} | {shown} |")


if __name__ == "__main__":
    main()
