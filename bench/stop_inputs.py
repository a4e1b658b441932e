"""Inputs shared by the stop timings (batch_stop.py, window_stop.py): a 50 MB
file in hand and 40 chained pairs, so a run takes seconds and is stopped
partway through its one file."""
import os
import shutil
import sys

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))

TEXTS = {
    "words": " ".join(f"word{k:02d} filler text" for k in range(40)) + "\n",
    "dense": "word00 " * 20 + "\n",
}


def built(name):
    """The built program name in the build folder given as the first argument
    (default build/, relative to the project)."""
    build = sys.argv[1] if len(sys.argv) > 1 else "build"
    return os.path.join(build if os.path.isabs(build) else os.path.join(ROOT, build), name)


def generate(path, line):
    """50 MB of the line over and over."""
    if os.path.exists(path) and os.path.getsize(path) >= 50 << 20:
        return
    data = line.encode() * ((50 << 20) // len(line) + 1)
    with open(path, "wb") as f:
        f.write(data[: 50 << 20])


def command(program, big, out, *extra):
    """The program's arguments for a run of big into the emptied folder out."""
    shutil.rmtree(out, ignore_errors=True)
    os.makedirs(out)
    args = [program, *extra, "--output-folder", out + "/"]
    # Each replacement forms the next find text, so the pairs must run one
    # after another over the whole file: the slowest way through it.
    for k in range(40):
        args += ["--find", f"word{k:02d}", "--replace", f"word{k + 1:02d}"]
    return args + [big]
