#!/usr/bin/env python3
"""Runs the editor benchmark and its peers and prints two tables.

Times are medians of several runs; peak memory is the child's maximum
resident set as GNU time reports it.
Usage: editor-measure.py EDITOR_BENCH ZARN_HIGHLIGHT CORPUS_DIR
"""
import os
import shutil
import statistics
import subprocess
import sys
import tempfile
import time

READER_GOAL = 20        # the reader at least this many times unrtf --text
COLOUR_GOAL_2MB = 1.0   # seconds to colour a 2 MB page
MEMORY_GOAL = 10        # peak memory at most this many times the page's size
LIBREOFFICE_BOUND = 600 # seconds of a LibreOffice run before it is stopped


def page_prefix(source, size, path):
    """The first `size` bytes of source, cut after a line break."""
    with open(source, "rb") as f:
        data = f.read(size)
    cut = data.rfind(b"\n")
    with open(path, "wb") as f:
        f.write(data[:cut + 1] if cut > 0 else data)
    return path


def timed(argv, out=subprocess.DEVNULL, timeout=None):
    start = time.perf_counter()
    subprocess.run(argv, stdout=out, stderr=subprocess.DEVNULL, check=True, timeout=timeout)
    return time.perf_counter() - start


def figures(argv):
    """name -> seconds printed by editor-bench, and its peak MB."""
    with tempfile.NamedTemporaryFile("r") as report:
        out = subprocess.run(["/usr/bin/time", "-f", "%M", "-o", report.name] + argv,
                             capture_output=True, text=True, check=True).stdout
        peak = int(report.read().split()[-1]) / 1024.0
    return {name: float(value) for name, value in (line.split() for line in out.splitlines())}, peak


def median_figures(argv, runs):
    results = [figures(argv) for _ in range(runs)]
    names = results[0][0].keys()
    return ({n: statistics.median(r[0][n] for r in results) for n in names},
            statistics.median(r[1] for r in results))


def libreoffice_seconds(rtf, tmp):
    """Import time of LibreOffice headless (its start-up on an empty RTF
    subtracted), None when it is not installed, inf when it ran past the bound."""
    soffice = shutil.which("soffice")
    if not soffice:
        return None
    empty = os.path.join(tmp, "empty.rtf")
    with open(empty, "w") as f:
        f.write("{\\rtf1 }")
    argv = [soffice, "--headless", "--convert-to", "txt:Text", "--outdir", tmp]
    startup = timed(argv + [empty])
    try:
        return timed(argv + [rtf], timeout=LIBREOFFICE_BOUND) - startup
    except subprocess.TimeoutExpired:
        return float("inf")


def main():
    bench, highlight, corpus = sys.argv[1:4]
    source = os.path.join(corpus, "html-corpus.html")
    with tempfile.TemporaryDirectory() as tmp:
        pages = [("200 KB", page_prefix(source, 200_000, os.path.join(tmp, "page200k.html"))),
                 ("2 MB", page_prefix(source, 2_000_000, os.path.join(tmp, "page2m.html"))),
                 ("21 MB", source)]
        rtf = os.path.join(tmp, "page2m.rtf")
        with open(rtf, "wb") as out:
            subprocess.run([highlight, "--html", pages[1][1]], stdout=out, check=True)
        mb = os.path.getsize(rtf) / 1e6

        print(f"RTF reader on the highlighter's RTF of a 2 MB page ({mb:.1f} MB of RTF)")
        print(f"{'reader':<34} {'seconds':>8} {'MB/s':>8}")
        reader, _ = median_figures([bench, "read", rtf], 5)
        unrtf = statistics.median(timed(["unrtf", "--text", rtf]) for _ in range(3))
        rows = [("zarn parse only", reader["parse"]), ("zarn into the document", reader["document"]),
                ("unrtf --text", unrtf)]
        office = libreoffice_seconds(rtf, tmp)
        for name, seconds in rows:
            print(f"{name:<34} {seconds:>8.3f} {mb / seconds:>8.1f}")
        if office is None:
            print(f"{'LibreOffice headless import':<34} {'not installed':>17}")
        else:
            print(f"{'LibreOffice headless import':<34} {office:>8.1f} {mb / office:>8.2f}")
        factor = unrtf / reader["document"]
        print(f"reader into the document: {factor:.0f}x unrtf --text (goal {READER_GOAL}x): "
              + ("met" if factor >= READER_GOAL else "MISSED"))

        print()
        print("HighlightAsHTML in the editor, from the call to the coloured document shown")
        empty = os.path.join(tmp, "empty.html")
        open(empty, "wb").close()
        _, baseline = median_figures([bench, "colour", empty], 3)
        print(f"(peak memory of the program with an empty page: {baseline:.0f} MB; 'x page' is the"
              " peak above it divided by the page's size)")
        print(f"{'page':<8} {'colour s':>9} {'type s':>8} {'scroll s':>9} {'peak MB':>8} {'x page':>7}")
        for name, path in pages:
            page_mb = os.path.getsize(path) / 1e6
            result, peak = median_figures([bench, "colour", path], 3 if page_mb < 10 else 1)
            ratio = (peak - baseline) / page_mb
            print(f"{name:<8} {result['colour']:>9.3f} {result['type']:>8.3f} {result['scroll']:>9.3f} "
                  f"{peak:>8.0f} {ratio:>7.1f}")
            if name == "2 MB":
                print(f"  2 MB page under {COLOUR_GOAL_2MB} s: "
                      + ("met" if result["colour"] < COLOUR_GOAL_2MB else "MISSED"))
            print(f"  memory at most {MEMORY_GOAL}x the page: "
                  + ("met" if ratio <= MEMORY_GOAL else "MISSED"))


if __name__ == "__main__":
    main()
