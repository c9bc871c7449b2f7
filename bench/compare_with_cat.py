#!/usr/bin/env python3
"""Times tarnwick against `cat STORY > OUT`, the same bytes written with no work.

For stories of 1 MiB, 64 MiB and 268,431,360 bytes (the most the format
holds), generated here and removed afterwards, it runs both commands with
hyperfine (warm-up runs, then repeated runs, alternating the same files) and
prints each one's mean time, the ratio tarnwick/cat, and tarnwick's peak
resident memory. With --check it fails when tarnwick misses its targets: at
most 1.5 times cat's time at the largest size, and a peak memory there within
1 MiB of the one at 1 MiB.

    compare_with_cat.py build/default/tarnwick [--runs 10] [--check]
"""

import argparse
import json
import os
import resource
import shutil
import subprocess
import sys
import tempfile
from pathlib import Path

SIZES = [1 << 20, 64 << 20, 65535 * 4096]
MAX_TIME_RATIO = 1.5
MAX_MEMORY_GROWTH_KIB = 1024


def make_story(path: Path, size: int):
    """Random bytes: nothing a file system could compress or skip."""
    with open(path, "wb") as f:
        left = size
        while left:
            chunk = min(left, 8 << 20)
            f.write(os.urandom(chunk))
            left -= chunk


def peak_memory_kib(command, runs=3):
    """The largest resident set over a few runs, measured in a fresh child."""
    probe = ("import resource, subprocess, sys\n"
             "subprocess.run(sys.argv[1:], stdout=subprocess.DEVNULL, check=True)\n"
             "print(resource.getrusage(resource.RUSAGE_CHILDREN).ru_maxrss)\n")
    return max(int(subprocess.run([sys.executable, "-c", probe] + command, check=True,
                                  capture_output=True, text=True).stdout)
               for _ in range(runs))


def time_both(story: Path, folder: Path, exe: str, runs: int):
    report = folder / "hyperfine.json"
    subprocess.run(
        ["hyperfine", "--warmup", "2", "--runs", str(runs), "--style", "none",
         "--export-json", str(report),
         "--command-name", "tarnwick", f"'{exe}' '{story}' '{folder / 'out.pdb'}' Benchmark",
         "--command-name", "cat", f"cat '{story}' > '{folder / 'cat.out'}'"],
        check=True, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    results = {r["command"]: r for r in json.loads(report.read_text())["results"]}
    return results["tarnwick"]["mean"], results["cat"]["mean"]


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("tarnwick")
    parser.add_argument("--runs", type=int, default=10)
    parser.add_argument("--check", action="store_true", help="fail when a target is missed")
    options = parser.parse_args()
    exe = os.path.abspath(options.tarnwick)
    if shutil.which("hyperfine") is None:
        sys.exit("hyperfine is needed (Debian package hyperfine)")

    folder = Path(tempfile.mkdtemp(prefix="tarnwick-bench-"))
    rows = []
    try:
        for size in SIZES:
            story = folder / "story.z5"
            make_story(story, size)
            tarnwick_s, cat_s = time_both(story, folder, exe, options.runs)
            memory = peak_memory_kib([exe, str(story), str(folder / "out.pdb"), "Benchmark"])
            rows.append((size, tarnwick_s, cat_s, memory))
            story.unlink()
    finally:
        shutil.rmtree(folder, ignore_errors=True)

    print(f"{'story bytes':>12} {'tarnwick ms':>12} {'cat ms':>9} {'ratio':>6} {'peak RSS KiB':>13}")
    for size, tarnwick_s, cat_s, memory in rows:
        print(f"{size:>12} {tarnwick_s * 1000:>12.1f} {cat_s * 1000:>9.1f} "
              f"{tarnwick_s / cat_s:>6.2f} {memory:>13}")

    ratio = rows[-1][1] / rows[-1][2]
    growth = rows[-1][3] - rows[0][3]
    print(f"largest story: {ratio:.2f} x cat (target at most {MAX_TIME_RATIO}); "
          f"peak memory {growth:+d} KiB over the 1 MiB story (target at most "
          f"{MAX_MEMORY_GROWTH_KIB})")
    if options.check and (ratio > MAX_TIME_RATIO or growth > MAX_MEMORY_GROWTH_KIB):
        print("target missed")
        return 1
    return 0


if __name__ == "__main__":
    sys.exit(main())
