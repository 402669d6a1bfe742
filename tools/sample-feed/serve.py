#!/usr/bin/env python3
"""Serves the sample feed folder on a free loopback port for tools/run-kfeeddoc.

Writes the port number to the file named by its one argument once it listens, answers .xml
files as "application/rss+xml; charset=utf-8", logs nothing, and stops by itself after five
minutes in case nobody stops it.
"""
import functools
import http.server
import os
import sys
import threading

LIFETIME_SECONDS = 300


class FeedHandler(http.server.SimpleHTTPRequestHandler):
    extensions_map = {".xml": "application/rss+xml; charset=utf-8", "": "application/octet-stream"}

    def log_message(self, format, *args):  # keep the terminal for the program's own output
        pass


def main():
    port_file = sys.argv[1]
    folder = os.path.dirname(os.path.abspath(__file__))
    handler = functools.partial(FeedHandler, directory=folder)
    server = http.server.ThreadingHTTPServer(("127.0.0.1", 0), handler)
    threading.Timer(LIFETIME_SECONDS, server.shutdown).start()
    with open(port_file + ".part", "w") as out:
        out.write(str(server.server_address[1]))
    os.rename(port_file + ".part", port_file)
    server.serve_forever()
    os._exit(0)


if __name__ == "__main__":
    main()
