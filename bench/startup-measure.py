#!/usr/bin/env python3
"""Runs one browser command and measures its start-up.

This script serves the benchmark page on a loopback server; the page, once
loaded, sends a request to /loaded on the same server. The time from
launching the command to that request is the start-up time. Meanwhile the resident memory of the command's whole
process tree (the browser and its engine's helper processes) is summed every
10 ms; the peak up to the load is reported, with the tree's proportional set
size at the load. The browser is then ended. Prints one JSON line: name, ms,
peak_rss_mib, pss_at_load_mib, output (its first line on standard output).
"""
import argparse
import http.server
import json
import os
import signal
import subprocess
import sys
import tempfile
import threading
import time

PAGE_KIB = os.sysconf("SC_PAGE_SIZE") // 1024


def serve(port, page, loaded):
    with open(page, "rb") as f:
        html = f.read()

    class Handler(http.server.BaseHTTPRequestHandler):
        def do_GET(self):
            body, kind = b"", "text/plain"
            if self.path == "/page.html":
                body, kind = html, "text/html; charset=utf-8"
            elif self.path.startswith("/loaded") and not loaded.is_set():
                loaded.at = time.monotonic()
                loaded.set()
            self.send_response(200)
            self.send_header("Content-Type", kind)
            self.send_header("Content-Length", str(len(body)))
            self.send_header("Cache-Control", "no-store")
            self.end_headers()
            self.wfile.write(body)

        def log_message(self, *args):
            pass

    class Server(http.server.ThreadingHTTPServer):
        allow_reuse_address = True

        def handle_error(self, request, client_address):
            pass  # a browser ended mid-request

    server = Server(("127.0.0.1", port), Handler)
    threading.Thread(target=server.serve_forever, daemon=True).start()
    return server


def process_table():
    """pid -> (parent pid, resident KiB) for every process."""
    table = {}
    for entry in os.listdir("/proc"):
        if not entry.isdigit():
            continue
        try:
            with open(f"/proc/{entry}/stat") as f:
                stat = f.read()
            with open(f"/proc/{entry}/statm") as f:
                resident = int(f.read().split()[1]) * PAGE_KIB
        except (OSError, ValueError, IndexError):
            continue
        parent = int(stat[stat.rindex(")") + 2:].split()[1])
        table[int(entry)] = (parent, resident)
    return table


def proportional_kib(pids):
    """Proportional set size of the processes: shared pages are split
    between the processes that share them, so the sum does not count the
    engine's forked helpers' common pages twice."""
    total = 0
    for pid in pids:
        try:
            with open(f"/proc/{pid}/smaps_rollup") as f:
                for line in f:
                    if line.startswith("Pss:"):
                        total += int(line.split()[1])
                        break
        except OSError:
            pass
    return total


def tree(root, table):
    children = {}
    for pid, (parent, _) in table.items():
        children.setdefault(parent, []).append(pid)
    found, stack = [], [root]
    while stack:
        pid = stack.pop()
        if pid in table:
            found.append(pid)
        stack.extend(children.get(pid, []))
    return found


def end_tree(process, pids):
    for sig in (signal.SIGTERM, signal.SIGKILL):
        for pid in pids:
            try:
                os.kill(pid, sig)
            except ProcessLookupError:
                pass
        try:
            process.wait(timeout=3)
            break
        except subprocess.TimeoutExpired:
            continue
    for pid in pids:
        try:
            os.kill(pid, signal.SIGKILL)
        except ProcessLookupError:
            pass


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--name", required=True)
    parser.add_argument("--port", type=int, required=True)
    parser.add_argument("--page", required=True, help="served as /page.html")
    parser.add_argument("--timeout", type=float, default=60)
    parser.add_argument("command", nargs=argparse.REMAINDER)
    args = parser.parse_args()
    command = args.command[1:] if args.command[:1] == ["--"] else args.command

    loaded = threading.Event()
    server = serve(args.port, args.page, loaded)
    with tempfile.TemporaryFile("w+") as output:
        start = time.monotonic()
        process = subprocess.Popen(command, stdout=output, stderr=subprocess.DEVNULL,
                                   stdin=subprocess.DEVNULL, start_new_session=True)
        peak = 0
        while not loaded.is_set() and time.monotonic() - start < args.timeout:
            table = process_table()
            peak = max(peak, sum(table[pid][1] for pid in tree(process.pid, table)))
            if process.poll() is not None and not loaded.is_set():
                break
            loaded.wait(0.01)
        table = process_table()
        pids = tree(process.pid, table)
        pss = 0
        if loaded.is_set():
            peak = max(peak, sum(table[pid][1] for pid in pids))
            pss = proportional_kib(pids)
        try:
            process.wait(timeout=2)  # a browser told to quit after loading does so
        except subprocess.TimeoutExpired:
            pass
        end_tree(process, pids)
        output.seek(0)
        first_line = output.readline().strip()
    server.shutdown()

    result = {"name": args.name,
              "ms": round((loaded.at - start) * 1000) if loaded.is_set() else None,
              "peak_rss_mib": round(peak / 1024, 1),
              "pss_at_load_mib": round(pss / 1024, 1),
              "output": first_line}
    print(json.dumps(result))
    return 0 if loaded.is_set() else 1


if __name__ == "__main__":
    sys.exit(main())
