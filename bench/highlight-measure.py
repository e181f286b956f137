#!/usr/bin/env python3
"""Runs zarn-highlight and its peers on each corpus and prints a table.

Wall time is the best of several runs for the fast commands (one run for the
slow peers); peak memory is the child's maximum resident set (wait4).
Usage: highlight-measure.py ZARN_HIGHLIGHT CORPUS_DIR
"""
import os
import subprocess
import sys
import tempfile
import time

GOAL_PEER_FACTOR = 50   # at least this many times the faster peer's throughput
GOAL_COPY_FACTOR = 6    # at most this many times the plain copy's time


def wall(argv, stdout_path):
    """Wall seconds of one run."""
    with open(stdout_path, "wb") as out:
        start = time.perf_counter()
        result = subprocess.run(argv, stdout=out, stderr=subprocess.DEVNULL)
        seconds = time.perf_counter() - start
    if result.returncode != 0:
        sys.exit("failed: " + " ".join(argv))
    return seconds


def peak_mb(argv, stdout_path):
    """Peak resident set of one run, as GNU time reports it (a child forked
    from this Python process would start from Python's own high-water mark)."""
    with open(stdout_path, "wb") as out, tempfile.NamedTemporaryFile("r") as report:
        subprocess.run(["/usr/bin/time", "-f", "%M", "-o", report.name] + argv,
                       stdout=out, stderr=subprocess.DEVNULL, check=True)
        return int(report.read().split()[-1]) / 1024.0


def best(argv, stdout_path, runs):
    return min(wall(argv, stdout_path) for _ in range(runs)), peak_mb(argv, stdout_path)


def main():
    tool, corpus = sys.argv[1], sys.argv[2]
    cases = [("html", os.path.join(corpus, "html-corpus.html")),
             ("xml", os.path.join(corpus, "xml-corpus.xml"))]
    print(f"{'corpus':<6} {'command':<22} {'seconds':>8} {'MB/s':>8} {'peak MB':>8} {'zarn x':>8}")
    verdicts = []
    with tempfile.TemporaryDirectory() as tmp:
        out = os.path.join(tmp, "out")
        for language, path in cases:
            mb = os.path.getsize(path) / 1e6
            commands = [
                ("zarn-highlight", [tool, "--" + language, path], 9),
                ("highlight -O rtf", ["highlight", "-O", "rtf", "--syntax", language, "-i", path], 1),
                ("pygmentize -f rtf", ["pygmentize", "-f", "rtf", "-l", language, path], 1),
                ("cat (plain copy)", ["cat", path], 9),
            ]
            times = {}
            for name, argv, runs in commands:
                seconds, peak = best(argv, out, runs)
                times[name] = seconds
                ratio = seconds / times["zarn-highlight"]
                print(f"{language:<6} {name:<22} {seconds:8.3f} {mb / seconds:8.1f} {peak:8.1f} {ratio:8.1f}")
            zarn = times["zarn-highlight"]
            peer = min(times["highlight -O rtf"], times["pygmentize -f rtf"])
            copy = times["cat (plain copy)"]
            verdicts.append(f"{language}: {peer / zarn:.0f}x the faster peer (goal >= {GOAL_PEER_FACTOR}x), "
                            f"{zarn / copy:.1f}x the plain copy's time (goal <= {GOAL_COPY_FACTOR}x)")
    print("\n".join(verdicts))


if __name__ == "__main__":
    main()
