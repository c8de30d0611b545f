"""What an Access field must hold for a server value: the value converted by the field's rules
(DAO's assignment), or FieldProblem when Access refuses it. Values come in the matrix's
canonical form (see server_values.py); the result is a field of the runner's dump."""

import math
import re
import struct
import uuid
from decimal import Decimal, ROUND_HALF_EVEN, InvalidOperation
from fractions import Fraction

from server_values import F32, SqlDate, SqlTime, SqlTimestamp


class FieldProblem(Exception):
    """Access cannot take the value: the run must report the field."""


class NotModelled(Exception):
    """A pairing of value and field the matrix has no rule for: a fault of the matrix itself."""


MEMO_LIMIT_CHARS = 0x00FFFFFF // 2
CURRENCY_MIN = -922337203685477_5808
CURRENCY_MAX = 922337203685477_5807
INTEGER_RANGES = {"BYTE": (0, 255), "SHORT": (-32768, 32767), "LONG": (-2**31, 2**31 - 1)}


def parse_access_type(access_type):
    match = re.fullmatch(r"(\w+)(?:\((\d+)(?:,\s*(\d+))?\))?", access_type.replace(" ", ""))
    if not match:
        raise NotModelled("Access type " + access_type)
    name = match.group(1).upper()
    size = int(match.group(2)) if match.group(2) else None
    scale = int(match.group(3)) if match.group(3) else 0
    return name, size, scale


def float32(value):
    return struct.unpack("<f", struct.pack("<f", value))[0]


def shortest_f32_text(value):
    for digits in range(1, 10):
        text = "%.*g" % (digits, value)
        if float32(float(text)) == value:
            return text
    return repr(value)


def exact_decimal(value):
    """The decimal a number stands for: exact values as they are, floating point numbers as the
    shortest decimal that reads back as them (as DAO counts them)."""
    if isinstance(value, bool):
        return Decimal(-1 if value else 0)
    if isinstance(value, int):
        return Decimal(value)
    if isinstance(value, Decimal):
        if not value.is_finite():
            raise FieldProblem("not a number")
        return value
    if isinstance(value, F32):
        if not math.isfinite(value.value):
            raise FieldProblem("not a number")
        return Decimal(shortest_f32_text(value.value))
    if isinstance(value, float):
        if not math.isfinite(value):
            raise FieldProblem("not a number")
        return Decimal(repr(value))
    raise NotModelled("number from %r" % (value,))


def rounded(value, places):
    try:
        return exact_decimal(value).quantize(Decimal(1).scaleb(-places), rounding=ROUND_HALF_EVEN)
    except InvalidOperation:
        raise FieldProblem("too many digits")


def days_from_civil(year, month, day):
    year -= month <= 2
    era = (year if year >= 0 else year - 399) // 400
    year_of_era = year - era * 400
    day_of_year = (153 * (month - 3 if month > 2 else month + 9) + 2) // 5 + day - 1
    day_of_era = year_of_era * 365 + year_of_era // 4 - year_of_era // 100 + day_of_year
    return era * 146097 + day_of_era - 719468 + 25569


def access_days(date_part, micros):
    """Jet's days: whole days since 30.12.1899, the time of day added (or, before that day,
    subtracted, as Jet counts the whole part backwards there)."""
    whole = days_from_civil(*date_part) if date_part else 0
    fraction = Fraction(micros, 86400 * 10**6)
    return whole + fraction if whole >= 0 else whole - fraction


def date_value(value):
    if isinstance(value, SqlDate):
        if not value.valid():
            raise FieldProblem("no calendar date")
        if not 100 <= value.year <= 9999:
            raise FieldProblem("date out of range")
        return access_days((value.year, value.month, value.day), 0)
    if isinstance(value, SqlTimestamp):
        if not value.valid():
            raise FieldProblem("no calendar date")
        if not 100 <= value.year <= 9999:
            raise FieldProblem("date out of range")
        micros = ((value.hour * 60 + value.minute) * 60 + value.second) * 10**6 + value.micro
        days = access_days((value.year, value.month, value.day), micros)
        if float(days) >= 2958466:  # rounds to 01.01.10000: no double tells them apart
            raise FieldProblem("date out of range")
        return days
    if isinstance(value, SqlTime):
        if value.negative or value.hour > 23:
            raise FieldProblem("not a time of day")
        micros = ((value.hour * 60 + value.minute) * 60 + value.second) * 10**6 + value.micro
        return access_days(None, micros)
    raise NotModelled("date from %r" % (value,))


def utf16_units(text):
    return len(text.encode("utf-16-le")) // 2


def text_value(value, size):
    if isinstance(value, str):
        text = value
    elif isinstance(value, int) and not isinstance(value, bool):
        text = str(value)
    else:
        raise NotModelled("text from %r" % (value,))
    if text == "":
        raise FieldProblem("zero length not allowed")
    limit = size if size is not None else MEMO_LIMIT_CHARS
    if utf16_units(text) > limit:
        raise FieldProblem("text too long")
    return {"s": text}


class Unrepresentable:
    """A server value no driver of the matrix can hand over as it is: a field problem wherever
    it goes."""

    def __init__(self, reason):
        self.reason = reason


def expected_field(value, access_type):
    """The dump field the Access field must hold for `value`, or FieldProblem."""
    if isinstance(value, Unrepresentable):
        raise FieldProblem(value.reason)
    name, size, scale = parse_access_type(access_type)
    if value is None:
        return {"b": False} if name == "YESNO" else None
    if name in INTEGER_RANGES:
        low, high = INTEGER_RANGES[name]
        number = rounded(value, 0)
        if not low <= number <= high:
            raise FieldProblem("out of range")
        return {"i": int(number)}
    if name == "CURRENCY":
        units = int(rounded(value, 4).scaleb(4))
        if not CURRENCY_MIN <= units <= CURRENCY_MAX:
            raise FieldProblem("out of range")
        return {"c": str(units)}
    if name == "DECIMAL":
        precision = size or 18
        number = rounded(value, scale)
        if len(number.as_tuple().digits) > precision and number != 0:
            raise FieldProblem("too many digits")
        return {"m": format(number, "f")}
    if name == "DOUBLE":
        if isinstance(value, F32):
            value = value.value
        if isinstance(value, float):
            if not math.isfinite(value):
                raise FieldProblem("not a number")
            return {"d": value}
        return {"d": float(exact_decimal(value))}
    if name == "SINGLE":
        source = value.value if isinstance(value, F32) else float(exact_decimal(value))
        if not math.isfinite(source) or not math.isfinite(float32(source)):
            raise FieldProblem("out of range")
        return {"f": float32(source)}
    if name == "DATETIME":
        return {"t": date_value(value)}
    if name == "YESNO":
        if isinstance(value, bool):
            return {"b": value}
        return {"b": exact_decimal(value) != 0}
    if name in ("TEXT", "MEMO"):
        return text_value(value, size if name == "TEXT" else None)
    if name == "LONGBINARY":
        if isinstance(value, (bytes, bytearray)):
            return {"x": bytes(value).hex()}
        if isinstance(value, str):
            return {"x": value.encode("utf-16-le").hex()}
        raise NotModelled("binary from %r" % (value,))
    if name == "GUID":
        if isinstance(value, uuid.UUID):
            return {"g": value.hex}
        if isinstance(value, str):
            try:
                return {"g": uuid.UUID(value.strip("{}")).hex}
            except ValueError:
                raise FieldProblem("no GUID")
        raise NotModelled("GUID from %r" % (value,))
    raise NotModelled("Access type " + access_type)
