#!/usr/bin/env python3
"""A small HTTP server for the updater's tests, on 127.0.0.1 and a free port.

Serves the files of one folder. /cut/NAME announces NAME's full length but sends half of it and
closes the connection; /redirect/NAME answers 302 to /NAME; /hold/NAME answers as /NAME once a line
comes on standard input. Prints "PORT n" once listening and one "GET path" line per request.
Stops by itself after a bounded number of requests or seconds.
"""
import http.server
import os
import sys
import time

MAX_REQUESTS = 200
MAX_SECONDS = 120


class Handler(http.server.BaseHTTPRequestHandler):
    def do_GET(self):
        print("GET " + self.path, flush=True)
        path = self.path.split("?", 1)[0]
        if path.startswith("/redirect/"):
            self.send_response(302)
            self.send_header("Location", path[len("/redirect"):])
            self.send_header("Content-Length", "0")
            self.end_headers()
            return
        if path.startswith("/hold/"):
            path = path[len("/hold"):]
            sys.stdin.readline()
        cut = path.startswith("/cut/")
        if cut:
            path = path[len("/cut"):]
        file = os.path.join(self.server.folder, path.lstrip("/"))
        if ".." in path.split("/") or not os.path.isfile(file):
            self.send_error(404)
            return
        with open(file, "rb") as f:
            body = f.read()
        self.send_response(200)
        self.send_header("Content-Length", str(len(body)))
        self.end_headers()
        self.wfile.write(body[: len(body) // 2] if cut else body)
        if cut:
            self.wfile.flush()
            self.close_connection = True

    def log_message(self, *args):
        pass


def main():
    server = http.server.HTTPServer(("127.0.0.1", 0), Handler)
    server.folder = sys.argv[1]
    server.timeout = 0.5
    print("PORT %d" % server.server_address[1], flush=True)
    deadline = time.monotonic() + MAX_SECONDS
    handled = 0
    while handled < MAX_REQUESTS and time.monotonic() < deadline:
        server.handle_request()
        handled += 1
    server.server_close()


if __name__ == "__main__":
    main()
