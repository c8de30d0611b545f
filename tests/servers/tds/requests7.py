"""Decoding what a TDS 7.4 client sends: SQL batch text and RPC calls with their parameters."""

import struct
from dataclasses import dataclass, field

from . import types7 as t

FIXED_SIZES = {0x1F: 0, 0x30: 1, 0x32: 1, 0x34: 2, 0x38: 4, 0x7F: 8, 0x3B: 4, 0x3E: 8, 0x3C: 8, 0x7A: 4, 0x3D: 8, 0x3A: 4}
BYTE_LEN = {t.INTN, t.BITN, t.FLTN, t.MONEYN, t.DATETIMN, t.GUID}
SHORT_LEN_COLLATED = {t.BIGCHAR, t.BIGVARCHAR, t.NCHAR, t.NVARCHAR}
SHORT_LEN = {t.BIGBINARY, t.BIGVARBINARY}
LONG_LEN = {t.TEXT, t.NTEXT, t.IMAGE}
UNICODE = {t.NCHAR, t.NVARCHAR, t.NTEXT, t.XML}
CHARS = {t.BIGCHAR, t.BIGVARCHAR, t.TEXT}

# Procedure ids SQL Server knows by number.
PROC_NAMES = {
    1: "sp_cursor",
    2: "sp_cursoropen",
    3: "sp_cursorprepare",
    4: "sp_cursorexecute",
    5: "sp_cursorprepexec",
    6: "sp_cursorunprepare",
    7: "sp_cursorfetch",
    8: "sp_cursoroption",
    9: "sp_cursorclose",
    10: "sp_executesql",
    11: "sp_prepare",
    12: "sp_execute",
    13: "sp_prepexec",
    14: "sp_prepexecrpc",
    15: "sp_unprepare",
}


class Reader:
    def __init__(self, data):
        self.data = data
        self.pos = 0

    def take(self, count):
        if self.pos + count > len(self.data):
            raise ValueError("request ends early")
        out = self.data[self.pos : self.pos + count]
        self.pos += count
        return out

    def byte(self):
        return self.take(1)[0]

    def unpack(self, fmt):
        return struct.unpack(fmt, self.take(struct.calcsize(fmt)))

    def at_end(self):
        return self.pos >= len(self.data)


def skip_all_headers(reader):
    total = struct.unpack_from("<I", reader.data, reader.pos)[0]
    # Only TDS 7.2+ requests carry them; a plausible total tells them apart from plain text.
    if 4 <= total <= len(reader.data) - reader.pos:
        reader.take(total)


def sql_text(payload):
    reader = Reader(payload)
    skip_all_headers(reader)
    return reader.data[reader.pos :].decode("utf-16-le", "replace")


@dataclass
class Param:
    name: str
    output: bool
    type_code: int
    value: object


@dataclass
class Call:
    proc: str  # name as sent, or the name of the numbered procedure
    proc_id: int
    flags: int
    params: list = field(default_factory=list)

    def param(self, index_or_name, default=None):
        if isinstance(index_or_name, int):
            return self.params[index_or_name].value if index_or_name < len(self.params) else default
        for p in self.params:
            if p.name.lower().lstrip("@") == index_or_name.lower().lstrip("@"):
                return p.value
        return default


def read_plp(reader):
    total = reader.unpack("<Q")[0]
    if total == 0xFFFFFFFFFFFFFFFF:
        return None
    parts = []
    while True:
        size = reader.unpack("<I")[0]
        if size == 0:
            return b"".join(parts)
        parts.append(reader.take(size))


def decode(code, data):
    if data is None:
        return None
    if code in UNICODE:
        return data.decode("utf-16-le", "replace")
    if code in CHARS:
        return data.decode("cp1252", "replace")
    if code in (0x30, 0x34, 0x38, 0x7F, t.INTN, 0x32, t.BITN):
        return int.from_bytes(data, "little", signed=code not in (0x30,) and len(data) > 1) if data else None
    return data


def read_param_value(reader):
    """TYPE_INFO and value of one parameter -> (type code, decoded value)."""
    code = reader.byte()
    if code in FIXED_SIZES:
        return code, decode(code, reader.take(FIXED_SIZES[code]))
    if code in BYTE_LEN:
        reader.byte()
        size = reader.byte()
        return code, decode(code, reader.take(size)) if size else None
    if code in (t.DECIMALN, t.NUMERICN):
        reader.take(3)
        size = reader.byte()
        return code, reader.take(size) if size else None
    if code == t.DATE:
        size = reader.byte()
        return code, reader.take(size) if size else None
    if code in (t.TIME, t.DATETIME2, t.DATETIMEOFFSET):
        reader.byte()
        size = reader.byte()
        return code, reader.take(size) if size else None
    if code in SHORT_LEN_COLLATED or code in SHORT_LEN:
        maxlen = reader.unpack("<H")[0]
        if code in SHORT_LEN_COLLATED:
            reader.take(5)
        if maxlen == 0xFFFF:
            return code, decode(code, read_plp(reader))
        size = reader.unpack("<H")[0]
        return code, None if size == 0xFFFF else decode(code, reader.take(size))
    if code in LONG_LEN:
        reader.unpack("<I")
        if code != t.IMAGE:
            reader.take(5)
        size = reader.unpack("<i")[0]
        return code, None if size < 0 else decode(code, reader.take(size))
    if code == t.XML:
        if reader.byte():
            reader.take(reader.byte() * 2)
            reader.take(reader.byte() * 2)
            reader.take(reader.unpack("<H")[0] * 2)
        return code, decode(code, read_plp(reader))
    if code == t.SSVARIANT:
        reader.unpack("<I")
        size = reader.unpack("<I")[0]
        return code, reader.take(size) if size else None
    raise ValueError("parameter type 0x%02X not understood" % code)


def rpc_calls(payload):
    """All RPC calls of one request."""
    reader = Reader(payload)
    skip_all_headers(reader)
    calls = []
    while not reader.at_end():
        name_len = reader.unpack("<H")[0]
        if name_len == 0xFFFF:
            proc_id = reader.unpack("<H")[0]
            name = PROC_NAMES.get(proc_id, "proc%d" % proc_id)
        else:
            proc_id = 0
            name = reader.take(name_len * 2).decode("utf-16-le")
        call = Call(name, proc_id, reader.unpack("<H")[0])
        while not reader.at_end() and reader.data[reader.pos] not in (0x80, 0xFF, 0xFE):
            pname = reader.take(reader.byte() * 2).decode("utf-16-le")
            status = reader.byte()
            code, value = read_param_value(reader)
            call.params.append(Param(pname, bool(status & 0x01), code, value))
        calls.append(call)
        if not reader.at_end():
            reader.byte()
    return calls
