#!/usr/bin/env python3
"""Loopback server for the links-checker benchmark.

Writes the list of 1,000 addresses to the file named by its first argument
(80 % answer 200, 10 % redirect with 302 to a 200, 5 % answer 404, 5 % 500;
50 of the 200 answers come after one second), then serves them and prints its
port on the first line of standard output.
"""
import http.server
import socketserver
import sys
import time


class Handler(http.server.BaseHTTPRequestHandler):
    protocol_version = "HTTP/1.1"

    def answer(self, status, body=b"", location=None):
        self.send_response(status)
        if location:
            self.send_header("Location", location)
        self.send_header("Content-Type", "text/html")
        self.send_header("Content-Length", str(len(body)))
        self.end_headers()
        if self.command != "HEAD":
            self.wfile.write(body)

    def do_GET(self):
        kind = self.path.split("/")[1] if "/" in self.path else ""
        if kind == "slow":
            time.sleep(1)
            self.answer(200, b"<html><body>slow</body></html>")
        elif kind == "ok":
            self.answer(200, b"<html><body>ok</body></html>")
        elif kind == "moved":
            self.answer(302, b"", "/ok" + self.path[len("/moved"):])
        elif kind == "gone":
            self.answer(404, b"gone")
        elif kind == "broken":
            self.answer(500, b"broken")
        else:
            self.answer(404, b"?")

    do_HEAD = do_GET

    def log_message(self, *args):
        pass


class Server(socketserver.ThreadingMixIn, http.server.HTTPServer):
    daemon_threads = True
    request_queue_size = 256


def main():
    server = Server(("127.0.0.1", 0), Handler)
    port = server.server_address[1]
    base = "http://127.0.0.1:%d" % port
    lines = []
    for i in range(1000):
        if i % 20 == 0:
            kind = "slow"  # 50 of them
        elif i % 10 == 1:
            kind = "moved"  # 100
        elif i % 20 == 3:
            kind = "gone"  # 50
        elif i % 20 == 13:
            kind = "broken"  # 50
        else:
            kind = "ok"
        lines.append("%s/%s/%d" % (base, kind, i))
    with open(sys.argv[1], "w") as out:
        out.write("\n".join(lines) + "\n")
    print(port, flush=True)
    server.serve_forever()


if __name__ == "__main__":
    main()
