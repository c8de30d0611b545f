"""Wire types of TDS 7.4: the TYPE_INFO of a column and the encoding of its values.

Each declared column type (see sqlsource) becomes a WireType: `info` is what follows the user
type and flags in COLMETADATA or RETURNVALUE, `encode(value)` gives a value's bytes in a ROW.
"""

import datetime
import struct
import threading

from . import sqlsource as src

# Latin1_General, code page 1252, case and accent insensitive (sort id 52).
COLLATION = bytes([0x09, 0x04, 0xD0, 0x00, 0x34])

INTN, BITN, FLTN, MONEYN, DATETIMN = 0x26, 0x68, 0x6D, 0x6E, 0x6F
DECIMALN, NUMERICN, GUID = 0x6A, 0x6C, 0x24
DATE, TIME, DATETIME2, DATETIMEOFFSET = 0x28, 0x29, 0x2A, 0x2B
BIGCHAR, BIGVARCHAR, NCHAR, NVARCHAR = 0xAF, 0xA7, 0xEF, 0xE7
BIGBINARY, BIGVARBINARY = 0xAD, 0xA5
TEXT, NTEXT, IMAGE, XML, SSVARIANT = 0x23, 0x63, 0x22, 0xF1, 0x62

PLP_NULL = b"\xff" * 8
# PLP values go out in chunks of this size, so long values arrive in several.
PLP_CHUNK = 8000
# A text pointer and timestamp are only echoed back by clients that update text in place.
TEXT_POINTER = b"\x10" + bytes(range(16)) + b"\x00" * 8

_EPOCH_1900 = datetime.date(1900, 1, 1).toordinal()

# SET TEXTSIZE of the session served by this thread (0: no limit). It cuts text, ntext, image
# and the (max) types, in bytes, as the server does; xml is not cut.
TEXTSIZE = threading.local()


def textsize_cut(data, unit=1):
    limit = getattr(TEXTSIZE, "value", 0)
    if limit and len(data) > limit:
        return data[: limit - limit % unit]
    return data


def decimal_size(precision):
    if precision <= 9:
        return 5
    if precision <= 19:
        return 9
    if precision <= 28:
        return 13
    return 17


def time_size(scale):
    return 3 if scale <= 2 else 4 if scale <= 4 else 5


class WireType:
    def __init__(self, code, info, encode, table_name=False):
        self.code = code
        self.info = info  # type byte and its TYPE_INFO
        self.encode = encode
        self.table_name = table_name  # text/ntext/image carry a table name in COLMETADATA


# --- scalar encoders: value (not None) -> bytes without length prefix ------------------------


def int_bytes(size, signed=True):
    return lambda v: int(v).to_bytes(size, "little", signed=signed)


def money_bytes(size):
    def enc(v):
        units = src.parse_decimal(v, 4)
        if size == 4:
            return struct.pack("<i", units)
        return struct.pack("<iI", units >> 32, units & 0xFFFFFFFF)

    return enc


def datetime_bytes(v):
    date, ticks, _ = src.parse_datetime(v)
    days = (date or datetime.date(1900, 1, 1)).toordinal() - _EPOCH_1900
    three_hundredths = (ticks * 3 + 50000) // 100000
    if three_hundredths >= 300 * 86400:
        days, three_hundredths = days + 1, 0
    return struct.pack("<iI", days, three_hundredths)


def smalldatetime_bytes(v):
    date, ticks, _ = src.parse_datetime(v)
    days = (date or datetime.date(1900, 1, 1)).toordinal() - _EPOCH_1900
    # SQL Server rounds 29.998 s and more up to the next minute.
    minutes = (ticks + 30 * 10**7 + 20000) // (60 * 10**7)
    if minutes >= 1440:
        days, minutes = days + 1, 0
    return struct.pack("<HH", days, minutes)


def date_bytes(date):
    return (date.toordinal() - 1).to_bytes(3, "little")


def time_bytes(ticks, scale):
    return (ticks // 10 ** (7 - scale)).to_bytes(time_size(scale), "little")


def split_datetime(v, scale, utc=False):
    date, ticks, offset = src.parse_datetime(v)
    date = date or datetime.date(1900, 1, 1)
    if utc:
        total = (date.toordinal() * src.DAY_TICKS + ticks) - (offset or 0) * 60 * 10**7
        date = datetime.date.fromordinal(total // src.DAY_TICKS)
        ticks = total % src.DAY_TICKS
    return date, ticks, offset or 0


def decimal_bytes(precision, scale):
    size = decimal_size(precision)

    def enc(v):
        units = src.parse_decimal(v, scale)
        return bytes([1 if units >= 0 else 0]) + abs(units).to_bytes(size - 1, "little")

    return enc


def char_bytes(v, length=0):
    data = str(v).encode("cp1252")
    return data.ljust(length, b" ") if length > 0 else data


def nchar_bytes(v, length=0):
    data = str(v).encode("utf-16-le")
    if length > 0 and len(data) < length * 2:
        data += " ".encode("utf-16-le") * (length - len(data) // 2)
    return data


def binary_bytes(v, length=0):
    data = bytes(v) if not isinstance(v, str) else bytes.fromhex(v)
    return data.ljust(length, b"\x00") if length > 0 else data


def limited(scalar, limit):
    """SQL Server never holds a value longer than its column; SQLite does not check, so a test
    that stored one learns it here instead of from a driver reading past its buffer."""

    def enc(v):
        data = scalar(v)
        if len(data) > limit:
            raise ValueError("%d bytes do not fit the declared %d" % (len(data), limit))
        return data

    return enc


# --- length prefixes --------------------------------------------------------------------------


def byte_len(scalar):
    return lambda v: b"\x00" if v is None else (lambda d: bytes([len(d)]) + d)(scalar(v))


def short_len(scalar):
    return lambda v: b"\xff\xff" if v is None else (lambda d: struct.pack("<H", len(d)) + d)(scalar(v))


def plp(data):
    out = [struct.pack("<Q", len(data))]
    for start in range(0, len(data), PLP_CHUNK):
        chunk = data[start : start + PLP_CHUNK]
        out.append(struct.pack("<I", len(chunk)))
        out.append(chunk)
    out.append(b"\x00\x00\x00\x00")
    return b"".join(out)


def plp_len(scalar, unit=1, cut=True):
    if not cut:
        return lambda v: PLP_NULL if v is None else plp(scalar(v))
    return lambda v: PLP_NULL if v is None else plp(textsize_cut(scalar(v), unit))


def text_len(scalar, unit=1):
    def enc(v):
        if v is None:
            return b"\x00"
        data = textsize_cut(scalar(v), unit)
        return TEXT_POINTER + struct.pack("<I", len(data)) + data

    return enc


# --- the mapping ------------------------------------------------------------------------------


def wire_type(t):
    """The WireType for a sqlsource.ColumnType."""
    n = t.name
    ints = {"tinyint": 1, "smallint": 2, "int": 4, "bigint": 8}
    if n in ints:
        size = ints[n]
        return WireType(INTN, bytes([INTN, size]), byte_len(int_bytes(size, n != "tinyint")))
    if n.startswith("unsigned"):
        # SQL Server has no unsigned types: the next wider signed one holds every value.
        size = {"unsigned smallint": 4, "unsigned int": 8, "unsigned bigint": 17}[n]
        if size == 17:
            return wire_type(src.ColumnType("numeric", precision=20))
        return WireType(INTN, bytes([INTN, size]), byte_len(int_bytes(size)))
    if n == "bit":
        return WireType(BITN, bytes([BITN, 1]), byte_len(lambda v: bytes([1 if int(v) else 0])))
    if n == "float":
        return WireType(FLTN, bytes([FLTN, 8]), byte_len(lambda v: struct.pack("<d", float(v))))
    if n == "real":
        return WireType(FLTN, bytes([FLTN, 4]), byte_len(lambda v: struct.pack("<f", float(v))))
    if n in ("money", "smallmoney"):
        size = 8 if n == "money" else 4
        return WireType(MONEYN, bytes([MONEYN, size]), byte_len(money_bytes(size)))
    if n == "datetime":
        return WireType(DATETIMN, bytes([DATETIMN, 8]), byte_len(datetime_bytes))
    if n == "smalldatetime":
        return WireType(DATETIMN, bytes([DATETIMN, 4]), byte_len(smalldatetime_bytes))
    if n in ("decimal", "numeric"):
        code = DECIMALN if n == "decimal" else NUMERICN
        p, s = t.precision, t.scale
        return WireType(code, bytes([code, decimal_size(p), p, s]), byte_len(decimal_bytes(p, s)))
    if n == "uniqueidentifier":
        return WireType(GUID, bytes([GUID, 16]), byte_len(lambda v: src.parse_guid(v).bytes_le))
    if n == "date":
        return WireType(DATE, bytes([DATE]), byte_len(lambda v: date_bytes(split_datetime(v, 0)[0])))
    if n == "time":
        s = t.scale
        return WireType(TIME, bytes([TIME, s]), byte_len(lambda v: time_bytes(src.parse_datetime(v)[1], s)))
    if n in ("datetime2", "bigdatetime"):
        s = t.scale if n == "datetime2" else 6

        def enc_dt2(v):
            date, ticks, _ = split_datetime(v, s)
            return time_bytes(ticks, s) + date_bytes(date)

        return WireType(DATETIME2, bytes([DATETIME2, s]), byte_len(enc_dt2))
    if n == "datetimeoffset":
        s = t.scale

        def enc_dto(v):
            date, ticks, offset = split_datetime(v, s, utc=True)
            return time_bytes(ticks, s) + date_bytes(date) + struct.pack("<h", offset)

        return WireType(DATETIMEOFFSET, bytes([DATETIMEOFFSET, s]), byte_len(enc_dto))
    if n in ("char", "varchar"):
        code = BIGCHAR if n == "char" else BIGVARCHAR
        if t.is_max:
            return WireType(code, bytes([code]) + b"\xff\xff" + COLLATION, plp_len(char_bytes))
        pad = t.length if n == "char" else 0
        return WireType(
            code,
            bytes([code]) + struct.pack("<H", t.length) + COLLATION,
            short_len(limited(lambda v: char_bytes(v, pad), t.length)),
        )
    if n in ("nchar", "nvarchar", "unichar", "univarchar"):
        code = NCHAR if n in ("nchar", "unichar") else NVARCHAR
        if t.is_max:
            return WireType(code, bytes([code]) + b"\xff\xff" + COLLATION, plp_len(nchar_bytes, 2))
        pad = t.length if code == NCHAR else 0
        return WireType(
            code,
            bytes([code]) + struct.pack("<H", min(t.length * 2, 8000)) + COLLATION,
            short_len(limited(lambda v: nchar_bytes(v, pad), min(t.length * 2, 8000))),
        )
    if n in ("binary", "varbinary"):
        code = BIGBINARY if n == "binary" else BIGVARBINARY
        if t.is_max:
            return WireType(code, bytes([code]) + b"\xff\xff", plp_len(binary_bytes))
        pad = t.length if n == "binary" else 0
        return WireType(
            code, bytes([code]) + struct.pack("<H", t.length), short_len(limited(lambda v: binary_bytes(v, pad), t.length))
        )
    if n == "text":
        return WireType(TEXT, bytes([TEXT]) + struct.pack("<i", 0x7FFFFFFF) + COLLATION, text_len(char_bytes), True)
    if n in ("ntext", "unitext"):
        return WireType(NTEXT, bytes([NTEXT]) + struct.pack("<i", 0x7FFFFFFE) + COLLATION, text_len(nchar_bytes, 2), True)
    if n == "image":
        return WireType(IMAGE, bytes([IMAGE]) + struct.pack("<i", 0x7FFFFFFF), text_len(binary_bytes), True)
    if n == "xml":
        return WireType(XML, bytes([XML, 0]), plp_len(nchar_bytes, cut=False))
    if n == "sql_variant":
        return WireType(SSVARIANT, bytes([SSVARIANT]) + struct.pack("<i", 8009), variant_bytes)
    return wire_type(src.ColumnType("nvarchar", 4000))


# --- sql_variant ------------------------------------------------------------------------------

_VARIANT_FIXED = {
    "int": (0x38, int_bytes(4)),
    "bigint": (0x7F, int_bytes(8)),
    "smallint": (0x34, int_bytes(2)),
    "tinyint": (0x30, int_bytes(1, False)),
    "bit": (0x32, lambda v: bytes([1 if int(v) else 0])),
    "float": (0x3E, lambda v: struct.pack("<d", float(v))),
    "real": (0x3B, lambda v: struct.pack("<f", float(v))),
    "money": (0x3C, money_bytes(8)),
    "smallmoney": (0x7A, money_bytes(4)),
    "datetime": (0x3D, datetime_bytes),
    "smalldatetime": (0x3A, smalldatetime_bytes),
    "uniqueidentifier": (GUID, lambda v: src.parse_guid(v).bytes_le),
}


def variant_inner(t, value):
    """Base type byte, property bytes and data of a sql_variant value."""
    n = t.name
    if n in _VARIANT_FIXED:
        code, enc = _VARIANT_FIXED[n]
        return bytes([code, 0]) + enc(value)
    if n in ("decimal", "numeric"):
        code = DECIMALN if n == "decimal" else NUMERICN
        return bytes([code, 2, t.precision, t.scale]) + decimal_bytes(t.precision, t.scale)(value)
    if n == "date":
        return bytes([DATE, 0]) + date_bytes(split_datetime(value, 0)[0])
    if n == "time":
        return bytes([TIME, 1, t.scale]) + time_bytes(src.parse_datetime(value)[1], t.scale)
    if n == "datetime2":
        date, ticks, _ = split_datetime(value, t.scale)
        return bytes([DATETIME2, 1, t.scale]) + time_bytes(ticks, t.scale) + date_bytes(date)
    if n == "datetimeoffset":
        date, ticks, offset = split_datetime(value, t.scale, utc=True)
        return (
            bytes([DATETIMEOFFSET, 1, t.scale])
            + time_bytes(ticks, t.scale)
            + date_bytes(date)
            + struct.pack("<h", offset)
        )
    if n in ("char", "varchar"):
        code = BIGCHAR if n == "char" else BIGVARCHAR
        data = char_bytes(value, t.length if n == "char" else 0)
        return bytes([code, 7]) + COLLATION + struct.pack("<H", max(t.length, len(data))) + data
    if n in ("nchar", "nvarchar"):
        code = NCHAR if n == "nchar" else NVARCHAR
        data = nchar_bytes(value, t.length if n == "nchar" else 0)
        return bytes([code, 7]) + COLLATION + struct.pack("<H", max(t.length * 2, len(data))) + data
    if n in ("binary", "varbinary"):
        code = BIGBINARY if n == "binary" else BIGVARBINARY
        data = binary_bytes(value, t.length if n == "binary" else 0)
        return bytes([code, 2]) + struct.pack("<H", max(t.length, len(data))) + data
    raise ValueError("sql_variant cannot hold %s" % n)


def variant_bytes(v):
    if v is None:
        return b"\x00\x00\x00\x00"
    t, value = src.parse_variant(str(v))
    inner = variant_inner(t, value)
    return struct.pack("<I", len(inner)) + inner
