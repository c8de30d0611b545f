"""Wire types of TDS 5.0 (Sybase ASE): ROWFMT descriptions and value encodings.

The server's character set is UTF-8 (announced at login), so char/varchar/text travel as UTF-8
and nchar/nvarchar take three bytes a character; unichar/univarchar/unitext travel as UTF-16LE.
Integers are little-endian as the client's login asks for. SQL Server types that ASE lacks are
served as the nearest ASE type (uniqueidentifier as char(36), datetime2 as bigdatetime,
(max) types as text/unitext/image, xml and sql_variant as text of the value).
"""

import datetime
import struct

from . import sqlsource as src
from . import types7

INTN, UINTN, BIT, BITN, FLTN, MONEYN, DATETIMN = 0x26, 0x44, 0x32, 0x68, 0x6D, 0x6E, 0x6F
DECIMALN, NUMERICN, DATEN, TIMEN, BIGDATETIMEN, BIGTIMEN = 0x6A, 0x6C, 0x7B, 0x93, 0xBB, 0xBC
CHAR, VARCHAR, BINARY, VARBINARY, LONGCHAR, LONGBINARY = 0x2F, 0x27, 0x2D, 0x25, 0xAF, 0xE1
TEXT, IMAGE, UNITEXT = 0x23, 0x22, 0xAE

USER_CHAR, USER_VARCHAR, USER_BINARY, USER_VARBINARY = 1, 2, 3, 4
USER_NCHAR, USER_NVARCHAR, USER_UNICHAR, USER_UNIVARCHAR, USER_UNITEXT = 24, 25, 34, 35, 36
NCHAR_SIZE = 3  # bytes a national character takes in the server's UTF-8

_EPOCH_1900 = datetime.date(1900, 1, 1).toordinal()
_BYTES_PER_PRECISION = [1, 2, 2, 3, 3, 4, 4, 4, 5, 5, 6, 6, 6, 7, 7, 8, 8, 9, 9, 9, 10, 10, 11, 11, 11,
                        12, 12, 13, 13, 14, 14, 14, 15, 15, 16, 16, 16, 17, 17]
TEXT_POINTER = types7.TEXT_POINTER


class WireType:
    def __init__(self, code, info, encode, usertype=0):
        self.code = code
        self.info = info  # what follows the type byte in ROWFMT
        self.encode = encode
        self.usertype = usertype


def byte_len(scalar):
    return lambda v: b"\x00" if v is None else (lambda d: bytes([len(d)]) + d)(scalar(v))


def int_len(scalar):
    return lambda v: b"\x00\x00\x00\x00" if v is None else (lambda d: struct.pack("<i", len(d)) + d)(scalar(v))


def text_len(scalar):
    def enc(v):
        if v is None:
            return b"\x00"
        data = types7.textsize_cut(scalar(v))
        return TEXT_POINTER + struct.pack("<i", len(data)) + data

    return enc


def never_empty(data, filler):
    """A zero length means NULL in TDS 5.0; ASE sends an empty string as one blank."""
    return data if data else filler


def utf8(length=0):
    def enc(v):
        data = str(v).encode("utf-8")
        if length:
            data = data.ljust(length, b" ")
        return never_empty(data, b" ")

    return enc


def utf16(length=0):
    def enc(v):
        data = str(v).encode("utf-16-le")
        if length and len(data) < length * 2:
            data += " ".encode("utf-16-le") * (length - len(data) // 2)
        return never_empty(data, " ".encode("utf-16-le"))

    return enc


def raw(length=0):
    def enc(v):
        data = types7.binary_bytes(v, length)
        return never_empty(data, b"\x00")

    return enc


def decimal_bytes(precision, scale):
    size = _BYTES_PER_PRECISION[precision]

    def enc(v):
        units = src.parse_decimal(v, scale)
        return bytes([0 if units >= 0 else 1]) + abs(units).to_bytes(size - 1, "big")

    return enc


def date_days(v):
    date = src.parse_datetime(v)[0]
    return struct.pack("<i", date.toordinal() - _EPOCH_1900)


def time_300(v):
    ticks = src.parse_datetime(v)[1]
    return struct.pack("<I", min((ticks * 3 + 50000) // 100000, 300 * 86400 - 1))


def bigdatetime(v):
    date, ticks, _ = src.parse_datetime(v)
    date = date or datetime.date(1900, 1, 1)
    return struct.pack("<Q", (date.toordinal() + 365) * 86400 * 10**6 + ticks // 10)


def bigtime(v):
    return struct.pack("<Q", src.parse_datetime(v)[1] // 10)


def char_type(length, usertype, unit=1):
    """char-like column of `length` bytes: short form up to 255, LONGCHAR beyond."""
    fixed = usertype in (USER_CHAR, USER_NCHAR)
    pad = length if fixed else 0
    if length <= 255:
        return WireType(CHAR if fixed else VARCHAR, bytes([length]), byte_len(types7.limited(utf8(pad), length)), usertype)
    return WireType(LONGCHAR, struct.pack("<i", length), int_len(types7.limited(utf8(pad), length)), usertype)


def binary_type(length, usertype):
    fixed = usertype == USER_BINARY
    pad = length if fixed else 0
    if length <= 255:
        return WireType(BINARY if fixed else VARBINARY, bytes([length]), byte_len(types7.limited(raw(pad), length)), usertype)
    return WireType(LONGBINARY, struct.pack("<i", length), int_len(types7.limited(raw(pad), length)), usertype)


def blob_type(code, usertype, scalar, table="t"):
    name = table.encode("utf-8")
    info = struct.pack("<i", 0x7FFFFFFF) + struct.pack("<H", len(name)) + name
    return WireType(code, info, text_len(scalar), usertype)


def wire_type(t, table="t"):
    n = t.name
    ints = {"tinyint": 1, "smallint": 2, "int": 4, "bigint": 8}
    if n in ints:
        size = ints[n]
        return WireType(INTN, bytes([size]), byte_len(lambda v: int(v).to_bytes(size, "little", signed=n != "tinyint")))
    if n.startswith("unsigned"):
        size = {"unsigned smallint": 2, "unsigned int": 4, "unsigned bigint": 8}[n]
        return WireType(UINTN, bytes([size]), byte_len(lambda v: int(v).to_bytes(size, "little")))
    if n == "bit":
        # ASE's bit has no NULL; BITN keeps the NULLs SQLite may hold.
        return WireType(BITN, b"\x01", byte_len(lambda v: bytes([1 if int(v) else 0])))
    if n in ("float", "real"):
        size, fmt = (8, "<d") if n == "float" else (4, "<f")
        return WireType(FLTN, bytes([size]), byte_len(lambda v: struct.pack(fmt, float(v))))
    if n in ("money", "smallmoney"):
        size = 8 if n == "money" else 4
        return WireType(MONEYN, bytes([size]), byte_len(types7.money_bytes(size)))
    if n == "datetime":
        return WireType(DATETIMN, b"\x08", byte_len(types7.datetime_bytes))
    if n == "smalldatetime":
        return WireType(DATETIMN, b"\x04", byte_len(types7.smalldatetime_bytes))
    if n in ("decimal", "numeric"):
        p, s = t.precision, t.scale
        return WireType(DECIMALN if n == "decimal" else NUMERICN, bytes([_BYTES_PER_PRECISION[p], p, s]), byte_len(decimal_bytes(p, s)))
    if n == "date":
        return WireType(DATEN, b"\x04", byte_len(date_days))
    if n == "time":
        return WireType(TIMEN, b"\x04", byte_len(time_300))
    if n in ("bigdatetime", "datetime2"):
        return WireType(BIGDATETIMEN, b"\x08\x06", byte_len(bigdatetime))
    if n in ("char", "varchar") and not t.is_max:
        return char_type(t.length, USER_CHAR if n == "char" else USER_VARCHAR)
    if n in ("nchar", "nvarchar") and not t.is_max:
        return char_type(t.length * NCHAR_SIZE, USER_NCHAR if n == "nchar" else USER_NVARCHAR)
    if n in ("unichar", "univarchar") and not t.is_max:
        fixed = n == "unichar"
        return WireType(
            LONGBINARY, struct.pack("<i", t.length * 2), int_len(types7.limited(utf16(t.length if fixed else 0), t.length * 2)),
            USER_UNICHAR if fixed else USER_UNIVARCHAR,
        )
    if n in ("binary", "varbinary") and not t.is_max:
        return binary_type(t.length, USER_BINARY if n == "binary" else USER_VARBINARY)
    if n in ("text", "varchar", "char", "xml"):
        return blob_type(TEXT, 19, lambda v: str(v).encode("utf-8"), table)
    if n in ("unitext", "ntext", "nvarchar", "nchar", "unichar", "univarchar"):
        # FreeTDS does not ask for the unitext type, so ASE sends it as image with the
        # unitext user type (UTF-16LE inside); the driver hands it out as binary.
        return blob_type(IMAGE, USER_UNITEXT, lambda v: str(v).encode("utf-16-le"), table)
    if n in ("image", "varbinary", "binary"):
        return blob_type(IMAGE, 20, lambda v: types7.binary_bytes(v), table)
    if n == "uniqueidentifier":
        return char_type(36, USER_CHAR)
    if n == "sql_variant":
        w = char_type(8000, USER_VARCHAR)
        return WireType(w.code, w.info, lambda v: w.encode(None if v is None else src.parse_variant(str(v))[1]), w.usertype)
    return char_type(max(t.length, 255) * NCHAR_SIZE if t.length else 255, USER_VARCHAR)
