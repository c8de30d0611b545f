"""Server values in one canonical form, whatever server they come from: Python's int, Decimal,
float, bool, str, bytes and uuid.UUID, plus the types below for what Python's own types cannot
hold (a Single, dates outside Python's range or zero dates, negative and long times). Also the
reading of a server's own text of a value into that form."""

import datetime
import struct
import re
import uuid
from dataclasses import dataclass
from decimal import Decimal


@dataclass(frozen=True)
class F32:
    value: float  # a number a Single holds exactly


@dataclass(frozen=True)
class SqlDate:
    year: int
    month: int
    day: int

    def valid(self):
        try:
            datetime.date(max(self.year, 1), self.month, self.day)
            return self.year > 0
        except ValueError:
            return False


@dataclass(frozen=True)
class SqlTime:
    hour: int
    minute: int
    second: int
    micro: int = 0
    negative: bool = False


@dataclass(frozen=True)
class SqlTimestamp:
    year: int
    month: int
    day: int
    hour: int
    minute: int
    second: int
    micro: int = 0

    def valid(self):
        return SqlDate(self.year, self.month, self.day).valid()


def micros_of(fraction):
    return int((fraction or "").ljust(6, "0")[:6] or 0)


def read_date(text):
    if not re.fullmatch(r"\d+-\d+-\d+", text):
        return SqlDate(0, 0, 0)  # no date at all: nothing a date field can take
    y, m, d = (int(part) for part in text.split("-"))
    return SqlDate(y, m, d)


def read_time(text):
    match = re.fullmatch(r"(-?)(\d+):(\d\d):(\d\d)(?:\.(\d+))?", text)
    sign, h, mi, s, frac = match.groups()
    return SqlTime(int(h), int(mi), int(s), micros_of(frac), sign == "-")


def read_timestamp(text):
    """'YYYY-MM-DD HH:MM:SS[.ffffff]', a 'T' also taken; an offset (+01, +05:30) is dropped: the
    session's local time is what a driver delivers."""
    if text in ("infinity", "-infinity"):
        return SqlTimestamp(0, 1, 1, 0, 0, 0)
    match = re.fullmatch(
        r"(\d+)-(\d\d)-(\d\d)[ T](\d\d):(\d\d):(\d\d)(?:\.(\d+))?([+-]\d\d(?::?\d\d)*)?", text
    )
    y, m, d, h, mi, s, frac, _offset = match.groups()
    return SqlTimestamp(int(y), int(m), int(d), int(h), int(mi), int(s), micros_of(frac))


def read_value(kind, text):
    """The canonical value of a server's text of a value of `kind`; None stays None."""
    if text is None:
        return None
    if kind == "int":
        return int(text)
    if kind == "dec":
        return Decimal(text)
    if kind == "f32":
        return F32(struct.unpack("<f", struct.pack("<f", float(text)))[0])
    if kind == "f64":
        return float(text)
    if kind == "bool":
        return text in ("t", "true", "1")
    if kind == "date":
        return read_date(text)
    if kind == "time":
        return read_time(text)
    if kind in ("ts", "tstz"):
        return read_timestamp(text)
    if kind == "text":
        return text
    if kind == "bytes":
        return bytes.fromhex(text[2:] if text.startswith("\\x") else text)
    if kind == "uuid":
        return uuid.UUID(text)
    raise ValueError("unknown kind " + kind)
