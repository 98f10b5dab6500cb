#!/usr/bin/env python3
# SPDX-FileCopyrightText: 2026 QuiverBolt developers
# SPDX-License-Identifier: MIT
"""A stand-in for the rating server, for trying the game on one machine.

Answers every submission posted to "/" with a place in the local and the
world rating, a message and a link, as the real server does. Prints "ready"
once it listens. Usage: rating_standin.py [--port N] [--record FILE]
(FILE receives the body of the last submission, byte for byte).
"""

import argparse
import http.server
import sys

REPLY = (
    b"<rating><local_top>5</local_top><world_top>120</world_top>"
    b"<message>5th here, 120th in the world!</message>"
    b"<hiperlink>http://localhost:8390/rating/</hiperlink>"
    b"<fsize>18</fsize></rating>"
)


def make_handler(record_path):
    class Handler(http.server.BaseHTTPRequestHandler):
        def do_POST(self):
            length = int(self.headers.get("Content-Length") or 0)
            body = self.rfile.read(length)
            if record_path:
                with open(record_path, "wb") as record:
                    record.write(body)
            if self.path != "/":
                self.send_error(404)
                return
            self.send_response(200)
            self.send_header("Content-Type", "text/xml; charset=utf-8")
            self.send_header("Content-Length", str(len(REPLY)))
            self.send_header("Connection", "close")
            self.end_headers()
            self.wfile.write(REPLY)

        def log_message(self, format, *args):
            print("rating stand-in: " + format % args, file=sys.stderr)

    return Handler


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--port", type=int, default=8390)
    parser.add_argument("--record", help="file that receives the last submission's body")
    args = parser.parse_args()
    try:
        server = http.server.HTTPServer(("127.0.0.1", args.port), make_handler(args.record))
    except OSError as error:
        print(f"rating stand-in: cannot listen on port {args.port}: {error}", file=sys.stderr)
        return 1
    print("ready", flush=True)
    try:
        server.serve_forever()
    except KeyboardInterrupt:
        pass
    return 0


if __name__ == "__main__":
    sys.exit(main())
