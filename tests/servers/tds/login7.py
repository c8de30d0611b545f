"""Pre-login and Login7 of TDS 7.4."""

import struct

from .requests7 import Reader

# Pre-login options
VERSION, ENCRYPTION, INSTOPT, THREADID, MARS, TERMINATOR = 0, 1, 2, 3, 4, 0xFF
ENCRYPT_NOT_SUPPORTED = 0x02
# Reported as SQL Server 2022 (16.0)
SERVER_VERSION = (16, 0, 1000)


def prelogin_options(payload):
    options = {}
    pos = 0
    while pos < len(payload) and payload[pos] != TERMINATOR:
        token, offset, length = struct.unpack_from(">BHH", payload, pos)
        options[token] = payload[offset : offset + length]
        pos += 5
    return options


def prelogin_reply():
    """No TLS: ENCRYPTION 'not supported' lets the client go on in the clear."""
    major, minor, build = SERVER_VERSION
    values = [
        (VERSION, struct.pack(">BBHH", major, minor, build, 0)),
        (ENCRYPTION, bytes([ENCRYPT_NOT_SUPPORTED])),
        (INSTOPT, b"\x00"),
        (THREADID, b""),
        (MARS, b"\x00"),
    ]
    header_size = 5 * len(values) + 1
    header, data = b"", b""
    for token, value in values:
        header += struct.pack(">BHH", token, header_size + len(data), len(value))
        data += value
    return header + bytes([TERMINATOR]) + data


def decode_password(data):
    out = bytearray()
    for b in data:
        b ^= 0xA5
        out.append(((b << 4) & 0xF0) | (b >> 4))
    return out.decode("utf-16-le", "replace")


def parse_login7(payload):
    """Login7 record -> dict of the fields the server looks at."""
    reader = Reader(payload)
    (length, version, packet_size, _prog, _pid, _conn, flags1, flags2, type_flags, flags3, _tz, lcid) = reader.unpack(
        "<IIIIIIBBBBiI"
    )
    fields = ["host", "user", "password", "app", "server", "extension", "library", "language", "database"]
    out = {"tds_version": version, "packet_size": packet_size, "lcid": lcid}
    for name in fields:
        offset, count = struct.unpack_from("<HH", payload, reader.pos)
        reader.pos += 4
        raw = payload[offset : offset + count * 2]
        out[name] = decode_password(raw) if name == "password" else raw.decode("utf-16-le", "replace")
    return out
