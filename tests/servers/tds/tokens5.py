"""Reply tokens of TDS 5.0 and the decoding of the login record and request tokens."""

import struct

from .requests7 import Reader

LOGINACK, ENVCHANGE, ERROR, INFO, CAPABILITY = 0xAD, 0xE3, 0xAA, 0xAB, 0xE2
ROWFMT, ROW, DONE, DONEPROC, DONEINPROC, RETURNSTATUS = 0xEE, 0xD1, 0xFD, 0xFE, 0xFF, 0x79
LANGUAGE, DBRPC, PARAMFMT, PARAMFMT2, PARAMS, LOGOUT = 0x21, 0xE6, 0xEC, 0x20, 0xD7, 0x71
DYNAMIC, EED = 0xE7, 0xE5
DBRPC2 = 0xE8

DONE_FINAL, DONE_MORE, DONE_ERROR, DONE_COUNT, DONE_ATTN = 0x00, 0x01, 0x02, 0x10, 0x20
ENV_DATABASE, ENV_LANGUAGE, ENV_CHARSET, ENV_PACKETSIZE = 1, 2, 3, 4

SERVER_NAME = "SQLVANTOR"
PRODUCT = "Adaptive Server Enterprise"
PRODUCT_VERSION = (16, 0, 4, 0)


def b_str(text):
    data = text.encode("utf-8")
    return bytes([len(data)]) + data


def envchange(kind, new, old):
    body = bytes([kind]) + b_str(new) + b_str(old)
    return struct.pack("<BH", ENVCHANGE, len(body)) + body


def loginack(ok):
    name = PRODUCT.encode("ascii")
    body = bytes([5 if ok else 6]) + bytes([5, 0, 0, 0]) + bytes([len(name)]) + name + bytes(PRODUCT_VERSION)
    return struct.pack("<BH", LOGINACK, len(body)) + body


def capability(client_caps):
    return struct.pack("<BH", CAPABILITY, len(client_caps)) + client_caps


def done(status=DONE_FINAL, count=None, token=DONE):
    if count is not None:
        status |= DONE_COUNT
    return struct.pack("<BHHi", token, status, 0, count or 0)


def message(number, text, severity, state=1, procedure="", line=1, token=ERROR):
    data = text.encode("utf-8")
    body = (
        struct.pack("<iBB", number, state, severity)
        + struct.pack("<H", len(data))
        + data
        + b_str(SERVER_NAME)
        + b_str(procedure)
        + struct.pack("<H", line)
    )
    return struct.pack("<BH", token, len(body)) + body


def eed(number, text, severity, sqlstate, state=1, procedure="", line=1):
    data = text.encode("utf-8")
    body = (
        struct.pack("<iBB", number, state, severity)
        + b_str(sqlstate)
        + b"\x00"  # no extended data follows
        + struct.pack("<H", 0)
        + struct.pack("<H", len(data))
        + data
        + b_str(SERVER_NAME)
        + b_str(procedure)
        + struct.pack("<H", line)
    )
    return struct.pack("<BH", EED, len(body)) + body


def rowfmt(columns):
    """columns: [(name, types5.WireType)]."""
    body = struct.pack("<H", len(columns))
    for name, wire in columns:
        status = 0x20 if getattr(wire, "nullable", True) else 0
        body += b_str(name) + bytes([status]) + struct.pack("<i", wire.usertype) + bytes([wire.code]) + wire.info + b"\x00"
    return struct.pack("<BH", ROWFMT, len(body)) + body


def row(wires, values):
    return bytes([ROW]) + b"".join(w.encode(v) for w, v in zip(wires, values))


def returnstatus(value):
    return struct.pack("<Bi", RETURNSTATUS, value)


# --- the login record ------------------------------------------------------------------------


def _field(payload, offset, size):
    length = min(payload[offset + size], size)
    return payload[offset : offset + length].decode("utf-8", "replace")


def parse_login(payload):
    """The fixed-layout 5.0 login record and the capabilities after it."""
    out = {
        "host": _field(payload, 0, 30),
        "user": _field(payload, 31, 30),
        "password": _field(payload, 62, 30),
        "app": _field(payload, 140, 30),
        "server": _field(payload, 171, 30),
        "version": payload[458:462],
        "library": _field(payload, 462, 10),
        "language": _field(payload, 480, 30),
        "charset": _field(payload, 525, 30),
        "packet_size": _field(payload, 557, 6),
        "capabilities": b"",
    }
    # Longer passwords sit in the remote password field: a 0 byte, the length, the text.
    remote_len = payload[203]
    if remote_len and not out["password"]:
        out["password"] = payload[204 : 204 + remote_len].decode("utf-8", "replace")
    if len(payload) > 571 and payload[568] == CAPABILITY:
        size = struct.unpack_from("<H", payload, 569)[0]
        out["capabilities"] = payload[571 : 571 + size]
    return out


# --- request tokens --------------------------------------------------------------------------

_FIXED = {0x30: 1, 0x32: 1, 0x34: 2, 0x38: 4, 0xBF: 8, 0x3B: 4, 0x3E: 8, 0x3C: 8, 0x7A: 4, 0x3D: 8, 0x3A: 4,
          0x31: 4, 0x33: 4, 0x40: 1, 0x41: 2, 0x42: 4, 0x43: 8, 0x1F: 0}
_BYTE_LEN = {0x26, 0x44, 0x68, 0x6D, 0x6E, 0x6F, 0x7B, 0x93, 0x2F, 0x27, 0x2D, 0x25, 0x6A, 0x6C, 0xBB, 0xBC}
_INT_LEN = {0xAF, 0xE1, 0x23, 0x22, 0xAE}
_CHARS = {0x2F, 0x27, 0xAF, 0x23}
_INTS = {0x30, 0x34, 0x38, 0xBF, 0x26, 0x40, 0x41, 0x42, 0x43, 0x44, 0x32, 0x68}


def read_paramfmt(reader, wide):
    count = reader.unpack("<H")[0]
    params = []
    for _ in range(count):
        name = reader.take(reader.byte()).decode("utf-8", "replace")
        status = reader.unpack("<I")[0] if wide else reader.byte()
        usertype = reader.unpack("<i")[0]
        code = reader.byte()
        if code in _BYTE_LEN:
            reader.byte()
            if code in (0x6A, 0x6C):
                reader.take(2)
            elif code in (0xBB, 0xBC):
                reader.byte()
        elif code in _INT_LEN:
            reader.unpack("<i")
            if code in (0x23, 0x22, 0xAE):
                reader.take(reader.unpack("<H")[0])
        elif code not in _FIXED:
            raise ValueError("parameter type 0x%02X not understood" % code)
        reader.take(reader.byte())  # locale
        params.append((name, status, usertype, code))
    return params


def read_param_values(reader, formats):
    values = []
    for name, status, usertype, code in formats:
        if code in _FIXED:
            data = reader.take(_FIXED[code])
        elif code in _BYTE_LEN:
            size = reader.byte()
            data = reader.take(size) if size else None
        else:
            size = reader.unpack("<i")[0]
            data = reader.take(size) if size > 0 else None
        value = data
        if data is not None and code in _CHARS:
            value = data.decode("utf-8", "replace")
        elif data is not None and code in _INTS:
            value = int.from_bytes(data, "little", signed=code not in (0x30, 0x40, 0x41, 0x42, 0x43, 0x44))
        values.append((name, value))
    return values


def parse_tokens(payload):
    """A TDS 5.0 request -> [('language', text) | ('rpc', name, [(param, value)]) | ('logout',)]."""
    reader = Reader(payload)
    out = []
    formats = []
    while not reader.at_end():
        token = reader.byte()
        if token == LANGUAGE:
            size = reader.unpack("<I")[0]
            body = reader.take(size)
            out.append(["language", body[1:].decode("utf-8", "replace")])
        elif token in (DBRPC, DBRPC2):
            size = reader.unpack("<H")[0]
            body = Reader(reader.take(size))
            name = body.take(body.byte()).decode("utf-8", "replace")
            out.append(["rpc", name, []])
        elif token in (PARAMFMT, PARAMFMT2):
            wide = token == PARAMFMT2
            size = reader.unpack("<I" if wide else "<H")[0]
            formats = read_paramfmt(Reader(reader.take(size)), wide)
        elif token == PARAMS:
            values = read_param_values(reader, formats)
            if out and out[-1][0] == "rpc":
                out[-1][2] = values
        elif token == DYNAMIC:
            body = Reader(reader.take(reader.unpack("<H")[0]))
            operation = body.byte()
            body.byte()
            ident = body.take(body.byte()).decode("utf-8", "replace")
            out.append(["dynamic", operation, ident])
        elif token == LOGOUT:
            reader.byte()
            out.append(["logout"])
        else:
            raise ValueError("token 0x%02X not understood" % token)
    return out
