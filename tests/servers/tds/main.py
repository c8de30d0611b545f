"""The main program: listens on 127.0.0.1, serves every connection in its own thread and ends
by itself after --lifetime seconds, so a forgotten server does not linger."""

import argparse
import logging
import os
import socket
import sys
import threading
from dataclasses import dataclass

from . import framing
from .sqlsource import Source

log = logging.getLogger("tds")


@dataclass
class Config:
    database: str
    user: str
    password: str


def handle(sock, spid, config):
    channel = framing.Channel(sock, spid)
    source = None
    try:
        source = Source(config.database)
        kind, payload = channel.read_message()
        if kind == framing.PRELOGIN:
            from .session7 import Session7

            session = Session7(channel, source, config)
            if session.login(payload):
                session.serve()
        elif kind == framing.LOGIN50:
            from .session5 import Session5

            session = Session5(channel, source, config)
            if session.login(payload):
                session.serve()
        else:
            log.info("connection %d: first message type 0x%02X not understood", spid, kind)
    except framing.ConnectionClosed:
        pass
    except OSError as exc:
        log.info("connection %d: %s", spid, exc)
    except Exception:
        log.exception("connection %d failed", spid)
    finally:
        if source is not None:
            source.close()
        sock.close()
        log.info("connection %d closed", spid)


def main(argv=None):
    parser = argparse.ArgumentParser(prog="tds", description="TDS test server over a SQLite file")
    parser.add_argument("--database", required=True, help="SQLite file with the tables")
    parser.add_argument("--user", required=True)
    parser.add_argument("--password-file", required=True, help="file whose first line is the password")
    parser.add_argument("--port-file", help="the chosen port is written here once the server listens")
    parser.add_argument("--port", type=int, default=0, help="0: the system picks one")
    parser.add_argument("--lifetime", type=float, default=3600, help="seconds until the server ends itself")
    parser.add_argument("--pid-file", help="the server's process id is written here")
    parser.add_argument("--log", help="log file (default: standard error)")
    parser.add_argument("--verbose", action="store_true")
    args = parser.parse_args(argv)

    logging.basicConfig(
        filename=args.log,
        level=logging.INFO if args.verbose else logging.WARNING,
        format="%(asctime)s %(threadName)s %(message)s",
    )
    with open(args.password_file, encoding="utf-8") as f:
        password = f.readline().rstrip("\n")
    config = Config(os.path.abspath(args.database), args.user, password)

    listener = socket.socket(socket.AF_INET, socket.SOCK_STREAM)
    listener.setsockopt(socket.SOL_SOCKET, socket.SO_REUSEADDR, 1)
    listener.bind(("127.0.0.1", args.port))
    listener.listen(16)
    port = listener.getsockname()[1]
    if args.pid_file:
        with open(args.pid_file, "w", encoding="ascii") as f:
            f.write("%d\n" % os.getpid())
    # The port file appears last: whoever waits for it may connect at once.
    if args.port_file:
        tmp = args.port_file + ".tmp"
        with open(tmp, "w", encoding="ascii") as f:
            f.write("%d\n" % port)
        os.replace(tmp, args.port_file)
    log.warning("listening on 127.0.0.1:%d for %g s", port, args.lifetime)

    # The lifetime ends the whole process, connections included.
    timer = threading.Timer(args.lifetime, lambda: os._exit(0))
    timer.daemon = True
    timer.start()

    spid = 51
    while True:
        sock, _ = listener.accept()
        sock.setsockopt(socket.IPPROTO_TCP, socket.TCP_NODELAY, 1)
        thread = threading.Thread(target=handle, args=(sock, spid, config), name="spid%d" % spid, daemon=True)
        thread.start()
        spid = spid + 1 if spid < 32000 else 51
    return 0


if __name__ == "__main__":
    sys.exit(main())
