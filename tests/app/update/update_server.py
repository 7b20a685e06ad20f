#!/usr/bin/env python3
"""A small HTTP server for the updater's tests, on 127.0.0.1 and a free port.

Serves the files of one folder. /cut/NAME announces NAME's full length but sends half of it and
closes the connection; /redirect/NAME answers 302 to /NAME; /hold/NAME answers as /NAME once a line
comes on standard input; /trickle/NAME sends NAME's first byte at once and the rest once a line
comes. Prints "PORT n" once listening and one "GET path" line per request.
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
        trickle = path.startswith("/trickle/")
        if trickle:
            path = path[len("/trickle"):]
        file = os.path.join(self.server.folder, path.lstrip("/"))
        if ".." in path.split("/") or not os.path.isfile(file):
            self.send_error(404)
            return
        with open(file, "rb") as f:
            body = f.read()
        self.send_response(200)
        self.send_header("Content-Length", str(len(body)))
        self.end_headers()
        if trickle:
            self.wfile.write(body[:1])
            self.wfile.flush()
            sys.stdin.readline()
            body = body[1:]
        self.wfile.write(body[: len(body) // 2] if cut else body)
        if cut:
            self.wfile.flush()
            self.close_connection = True

    def log_message(self, *args):
        pass


class Server(http.server.HTTPServer):
    def handle_error(self, request, client_address):
        # A client that gave up on an answer is part of the tests, not an error.
        if not isinstance(sys.exc_info()[1], ConnectionError):
            super().handle_error(request, client_address)


def main():
    server = Server(("127.0.0.1", 0), Handler)
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
