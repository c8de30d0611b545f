"""Reply tokens of TDS 7.4."""

import struct

from . import types7

ENVCHANGE, LOGINACK, ERROR, INFO = 0xE3, 0xAD, 0xAA, 0xAB
COLMETADATA, ROW, RETURNSTATUS, RETURNVALUE = 0x81, 0xD1, 0x79, 0xAC
DONE, DONEPROC, DONEINPROC = 0xFD, 0xFE, 0xFF

DONE_FINAL, DONE_MORE, DONE_ERROR, DONE_COUNT, DONE_ATTN = 0x00, 0x01, 0x02, 0x10, 0x20

ENV_DATABASE, ENV_LANGUAGE, ENV_PACKETSIZE, ENV_COLLATION = 1, 2, 4, 7
ENV_BEGIN_TRAN, ENV_COMMIT_TRAN, ENV_ROLLBACK_TRAN = 8, 9, 10

SERVER_NAME = "SQLVANTOR"


def b_varchar(text):
    data = text.encode("utf-16-le")
    return bytes([len(data) // 2]) + data


def us_varchar(text):
    data = text.encode("utf-16-le")
    return struct.pack("<H", len(data) // 2) + data


def envchange(kind, new, old):
    if kind in (ENV_COLLATION, ENV_BEGIN_TRAN, ENV_COMMIT_TRAN, ENV_ROLLBACK_TRAN):
        body = bytes([kind, len(new)]) + new + bytes([len(old)]) + old
    else:
        body = bytes([kind]) + b_varchar(new) + b_varchar(old)
    return struct.pack("<BH", ENVCHANGE, len(body)) + body


def loginack(program, version=(16, 0, 1000)):
    body = (
        b"\x01"
        + bytes([0x74, 0x00, 0x00, 0x04])
        + b_varchar(program)
        + bytes([version[0], version[1], version[2] >> 8, version[2] & 0xFF])
    )
    return struct.pack("<BH", LOGINACK, len(body)) + body


def done(status=DONE_FINAL, count=None, token=DONE, curcmd=0xC1):
    if count is not None:
        status |= DONE_COUNT
    return struct.pack("<BHHQ", token, status, curcmd, count or 0)


def message(number, text, severity, state=1, procedure="", line=1, token=ERROR):
    body = (
        struct.pack("<iBB", number, state, severity)
        + us_varchar(text)
        + b_varchar(SERVER_NAME)
        + b_varchar(procedure)
        + struct.pack("<i", line)
    )
    return struct.pack("<BH", token, len(body)) + body


def column_info(name, wire, table="", flags=0):
    # nullable, and "updatability unknown" for table columns as SQL Server marks them
    flags |= 0x01 if getattr(wire, "nullable", True) else 0
    flags |= 0x08 if table else 0
    out = struct.pack("<IH", 0, flags) + wire.info
    if wire.table_name:
        out += b"\x02" + us_varchar("dbo") + us_varchar(table or "t")
    return out + b_varchar(name)


def colmetadata(columns, table=""):
    """columns: [(name, WireType)]; None -> the 'no metadata' form of cursor fetches."""
    if columns is None:
        return struct.pack("<BH", COLMETADATA, 0xFFFF)
    return struct.pack("<BH", COLMETADATA, len(columns)) + b"".join(
        column_info(n, w, table) for n, w in columns
    )


def row(wires, values):
    return bytes([ROW]) + b"".join(w.encode(v) for w, v in zip(wires, values))


def returnstatus(value):
    return struct.pack("<Bi", RETURNSTATUS, value)


INT4 = types7.wire_type(types7.src.ColumnType("int"))


def returnvalue(ordinal, name, wire, value, status=0x01):
    return (
        struct.pack("<BH", RETURNVALUE, ordinal)
        + b_varchar(name)
        + bytes([status])
        + struct.pack("<IH", 0, 0x01)
        + wire.info
        + wire.encode(value)
    )
