"""Packet framing shared by both protocol generations.

Every message travels as packets of an 8-byte header (type, status, big-endian length, spid,
packet number, window) and a payload; the last packet of a message has the EOM bit set.
"""

import select
import socket
import struct

EOM = 0x01

# Message types
SQL_BATCH = 0x01
LOGIN50 = 0x02
RPC = 0x03
REPLY = 0x04
ATTENTION = 0x06
TRANSACTION = 0x0E
NORMAL50 = 0x0F
LOGIN7 = 0x10
PRELOGIN = 0x12


class ConnectionClosed(Exception):
    """The client went away in the middle of (or between) messages."""


class Cancelled(Exception):
    """The client sent an attention while a reply was going out: the reply ends early."""


class Channel:
    """Reads whole messages from a socket and writes replies split into packets."""

    def __init__(self, sock, spid):
        self.sock = sock
        self.spid = spid
        self.packet_size = 4096
        self._pending = b""

    def _read_exact(self, count):
        chunks = []
        while count:
            data = self.sock.recv(min(count, 65536))
            if not data:
                raise ConnectionClosed()
            chunks.append(data)
            count -= len(data)
        return b"".join(chunks)

    def attention_waiting(self):
        """True (and the attention read) when the client has cancelled the running request.
        Anything else waiting stays for the next read_message."""
        readable, _, _ = select.select([self.sock], [], [], 0)
        if not readable:
            return False
        head = self.sock.recv(1, socket.MSG_PEEK)
        if not head or head[0] != ATTENTION:
            return False
        self.read_message()
        return True

    def read_message(self):
        """Returns (type, payload) of the next complete message."""
        payload = []
        while True:
            header = self._read_exact(8)
            kind, status, length = struct.unpack(">BBH", header[:4])
            if length < 8:
                raise ConnectionClosed()
            payload.append(self._read_exact(length - 8))
            if status & EOM:
                return kind, b"".join(payload)

    def send_message(self, kind, payload):
        body_size = self.packet_size - 8
        number = 1
        offset = 0
        while True:
            part = payload[offset : offset + body_size]
            offset += len(part)
            last = offset >= len(payload)
            header = struct.pack(
                ">BBHHBB", kind, EOM if last else 0, len(part) + 8, self.spid, number & 0xFF, 0
            )
            self.sock.sendall(header + part)
            number += 1
            if last:
                return


class Reply:
    """Collects reply tokens and sends full packets as soon as they are filled, so long
    results never sit in memory whole."""

    def __init__(self, channel, kind=REPLY):
        self.channel = channel
        self.kind = kind
        self.buf = bytearray()
        self.number = 1

    def add(self, data):
        """Appends whole tokens only, so the reply can end after any of them."""
        self.buf += data
        body = self.channel.packet_size - 8
        if len(self.buf) > 4 * body:
            self._flush(keep_last=True)
            if self.channel.attention_waiting():
                raise Cancelled()

    def _flush(self, keep_last):
        body = self.channel.packet_size - 8
        offset = 0
        while len(self.buf) - offset > body or (not keep_last and offset < len(self.buf)):
            part = bytes(self.buf[offset : offset + body])
            offset += len(part)
            last = not keep_last and offset >= len(self.buf)
            header = struct.pack(
                ">BBHHBB",
                self.kind,
                EOM if last else 0,
                len(part) + 8,
                self.channel.spid,
                self.number & 0xFF,
                0,
            )
            self.channel.sock.sendall(header + part)
            self.number += 1
        del self.buf[:offset]

    def finish(self):
        if not self.buf:
            header = struct.pack(">BBHHBB", self.kind, EOM, 8, self.channel.spid, self.number & 0xFF, 0)
            self.channel.sock.sendall(header)
            return
        self._flush(keep_last=False)
