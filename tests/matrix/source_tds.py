"""FreeTDS against the test TDS server (scripts/throwaway-tds), as Microsoft SQL Server (TDS 7.4)
and as Sybase (TDS 5.0): each variant's own types declared on the columns of the SQLite file that
server serves, stored as tests/servers/tds/sqlsource.py describes, and read back with Python's
sqlite3 module as the oracle. Both variants share the file, so one setup writes the tables of
both (SQL Server's mx_..., Sybase's mxs_...) and a run sees the other variant's tables as server
tables without an Access counterpart. Other tests share the file too, so only the matrix's own
tables are touched and other tables in the list are no finding.

A column's `kind` says how the oracle reads the stored value: besides server_values' kinds,
ts/time take up to 7 fraction digits, dto drops the offset (the wall-clock time the server shows),
pad:N and padu8:N pad text with blanks as the server does for char(n) (to N UTF-16 units, or to
N bytes of UTF-8 on Sybase), bin:N pads bytes with zeros, variant reads 'basetype:value'."""

import datetime
import fcntl
import hashlib
import os
import re
import sqlite3
import struct
import uuid
from decimal import Decimal

from access_rules import Unrepresentable
from odbc_config import DRIVER_DIR, dsn_section
from server_values import F32, SqlTime, SqlTimestamp, read_value
from table_model import Column, Table

ROWS = 9500
BIG_TEXT = 6000  # repeats of a ~20 character line: values of 100 KB and more


def _null(i, every, value):
    return None if i % every == 0 else value


def _exact(text):
    # Long exact numbers as a BLOB of their text: NUMERIC affinity would keep 15 digits only.
    return text.encode("ascii")


def _f32(value):
    return struct.unpack("<f", struct.pack("<f", value))[0]


def _md5(i, repeat=1):
    return hashlib.md5(str(i).encode()).digest() * repeat


def _pick(special, i, default, every):
    """Extremes in the last rows (key 1 is row ROWS-4, key 5 the last row): a value refused by
    mistake then hides no other row. NULL every `every` rows elsewhere."""
    key = i - (ROWS - 5)
    if key in special:
        return special[key]
    return _null(i, every, default)


def _stamp(i, micro, start=datetime.datetime(2000, 1, 1)):
    moment = start + i * datetime.timedelta(days=1, hours=1, minutes=2, seconds=3,
                                            microseconds=micro)
    return moment.strftime("%Y-%m-%d %H:%M:%S.%f")


def _stamp_ms10(i):
    # Whole hundredths: datetime's 1/300 s ticks hold them, so the server shows them unchanged.
    return _stamp(i, 0)[:19] + ".%02d0" % (i * 7 % 100)


def _ticks7(i):
    # Never a last digit 5: half a microsecond is where the oracle's rounding would be a guess.
    ticks = i * 1234567 % 10**7
    return "%07d" % (ticks - (ticks % 10 == 5))


def _day(i, step=13, start=datetime.date(1900, 1, 1)):
    return (start + datetime.timedelta(days=i * step)).isoformat()


def _clock(i, step=9):
    return "%02d:%02d:%02d" % (i * step // 3600 % 24, i * step // 60 % 60, i * step % 60)


def _decimal(i, factor, places, divisor=7):
    return _exact(str((Decimal(i) * Decimal(factor) / divisor).quantize(Decimal(1).scaleb(-places))))


def _big(i, offset, text):
    """Every thousandth row (shifted by `offset`, so columns take turns) a value of 100 KB."""
    return (text % i) * BIG_TEXT if i % 1000 == offset else None


# --- SQL Server --------------------------------------------------------------------------------

def _mssql_columns():
    special = {
        "c_tiny": {1: 0, 2: 255},
        "c_small": {1: -32768, 2: 32767},
        "c_int": {1: -2**31, 2: 2**31 - 1},
        "c_big": {1: -2**63, 2: 2**63 - 1},
        "c_dec": {1: _exact("-999999999999999999.9999999999"),
                  2: _exact("999999999999999999.9999999999"), 3: _exact("0.0000000001")},
        "c_num": {1: _exact("-" + "9" * 28), 2: _exact("9" * 28), 3: _exact("0")},
        "c_dec9": {1: _exact("-9999999.99"), 2: _exact("9999999.99"), 3: _exact("0.01")},
        "c_num15": {1: _exact("-9999999999.99999"), 2: _exact("9999999999.99999"),
                    3: _exact("0.00001")},
        "c_money": {1: _exact("-922337203685477.5808"), 2: _exact("922337203685477.5807")},
        "c_smoney": {1: _exact("-214748.3648"), 2: _exact("214748.3647"), 3: _exact("0.0001")},
        "c_float": {1: 1.7976931348623157e308, 2: -2.2250738585072014e-308, 3: 5e-324},
        "c_real": {1: _f32(3.4028235e38), 2: _f32(1.17549435e-38), 3: _f32(1.4e-45)},
        "c_dt": {1: "1753-01-01 00:00:00", 2: "9999-12-31 23:59:59", 3: "1899-12-30 00:00:00.003",
                 4: "9999-12-31 23:59:59.997"},
        "c_sdt": {1: "1900-01-01 00:00:00", 2: "2079-06-06 23:59:00"},
        "c_dt2": {1: "0100-01-01 00:00:00", 2: "9999-12-31 23:59:59.999",
                  3: "1800-06-15 12:34:56.123456", 4: "1899-12-29 06:00:00"},
        "c_dt27": {1: "0100-01-01 00:00:00.0000001", 2: "9999-12-31 23:59:59.999",
                   3: "1899-12-30 00:00:00.0000001", 4: "1899-12-29 23:59:59.9999994",
                   5: "2024-02-29 13:14:15.9999996"},
        "c_date": {1: "0100-01-01", 2: "9999-12-31", 3: "1899-12-30", 4: "1899-12-29"},
        "c_time": {1: "00:00:00", 2: "23:59:59"},
        "c_time7": {1: "00:00:00.0000000", 2: "23:59:59.9999999", 3: "00:00:00.0000001",
                    4: "12:00:00.5"},
        "c_dto": {1: "0100-01-01 12:00:00.0000000 +14:00", 2: "9999-12-31 09:59:59.9999999 -14:00",
                  3: "2024-03-31 02:30:00.1234567 +02:00", 4: "1899-12-30 00:00:00 -05:30"},
        "c_char": {1: "ÿ" * 10, 2: "x"},
        "c_vc": {1: "ÿ" * 50, 2: "Œ€‰" * 16 + "ab"},
        "c_nchar": {1: "😀" * 5, 2: "€"},
        "c_nvc": {1: "😀" * 25, 2: "€" * 50},
        "c_bin": {1: b"\xff" * 16, 2: b"\x00", 3: b"\x01"},
        "c_vb": {1: b"\xff" * 50, 2: b"\x00", 3: b""},
    }

    def value(name, i, default, every):
        return _pick(special.get(name, {}), i, default, every)

    def dto(i):
        offsets = ["+00:00", "+02:00", "-08:00", "+05:30", "+14:00", "-14:00"]
        return "%s.%s %s" % (_stamp(i, 0)[:19], _ticks7(i), offsets[i % len(offsets)])

    c = Column
    return [
        c("id", "int", "LONG", "int", lambda i: i),
        c("c_tiny", "tinyint", "BYTE", "int", lambda i: value("c_tiny", i, i % 256, 7)),
        c("c_small", "smallint", "SHORT", "int",
          lambda i: value("c_small", i, (i * 37) % 65536 - 32768, 11)),
        c("c_int", "int", "LONG", "int", lambda i: value("c_int", i, i * 225799 - 1073741824, 13)),
        c("c_big", "bigint", "DECIMAL(19,0)", "int",
          lambda i: value("c_big", i, i * 912345678901234 - 4611686018427387904, 17)),
        c("c_bit", "bit", "YESNO", "bool", lambda i: _null(i, 19, i % 2)),
        c("c_dec", "decimal(38,10)", "DECIMAL(28,10)", "dec",
          lambda i: value("c_dec", i, _decimal(i, "123456789012.3456789012", 10), 23)),
        c("c_num", "numeric(38,0)", "DECIMAL(28,0)", "dec",
          lambda i: value("c_num", i, _decimal(i, "-1234567890123456789012345", 0, 3), 83)),
        c("c_dec9", "decimal(9,2)", "CURRENCY", "dec",
          lambda i: value("c_dec9", i, _decimal(i, "-2345.67", 2, 3), 89)),
        c("c_num15", "numeric(15,5)", "DOUBLE", "dec",
          lambda i: value("c_num15", i, _decimal(i, "1234567.89012", 5), 97)),
        c("c_money", "money", "CURRENCY", "dec",
          lambda i: value("c_money", i, _decimal(i, "1234567.8901", 4, 3), 29)),
        c("c_smoney", "smallmoney", "CURRENCY", "dec",
          lambda i: value("c_smoney", i, _decimal(i, "-45.6789", 4, 3), 101)),
        c("c_float", "float", "DOUBLE", "f64", lambda i: value("c_float", i, i / 3, 31)),
        c("c_real", "real", "SINGLE", "f32", lambda i: value("c_real", i, _f32(i * 1.1), 37)),
        c("c_dt", "datetime", "DATETIME", "ts",
          lambda i: value("c_dt", i, _stamp(i, 0)[:19] if i % 2 else _stamp_ms10(i), 41)),
        c("c_sdt", "smalldatetime", "DATETIME", "ts",
          lambda i: value("c_sdt", i, _stamp(i, 0)[:16] + ":00", 103)),
        c("c_dt2", "datetime2(6)", "DATETIME", "ts",
          lambda i: value("c_dt2", i, _stamp(i, 456789), 43)),
        c("c_dt27", "datetime2(7)", "DATETIME", "ts",
          lambda i: value("c_dt27", i, _stamp(i, 0, datetime.datetime(1750, 3, 1))[:19] + "."
                          + _ticks7(i), 107)),
        c("c_date", "date", "DATETIME", "date",
          lambda i: value("c_date", i, _day(i), 47)),
        c("c_time", "time(0)", "DATETIME", "time", lambda i: value("c_time", i, _clock(i), 53)),
        c("c_time7", "time(7)", "DATETIME", "time",
          lambda i: value("c_time7", i, _clock(i, 7) + "." + _ticks7(i), 109)),
        c("c_dto", "datetimeoffset(7)", "DATETIME", "dto", lambda i: value("c_dto", i, dto(i), 113)),
        c("c_guid", "uniqueidentifier", "GUID", "uuid",
          lambda i: _null(i, 59, str(uuid.UUID(bytes=_md5(i))).upper())),
        c("c_char", "char(10)", "TEXT(10)", "pad:10",
          lambda i: value("c_char", i, "Ä€ö%d" % (i % 1000), 127)),
        c("c_vc", "varchar(50)", "TEXT(50)", "text", lambda i: value("c_vc", i, "Grüße € %d Äö" % i, 61)),
        c("c_nchar", "nchar(10)", "TEXT(10)", "pad:10",
          lambda i: value("c_nchar", i, "Ü😀%d" % (i % 10000), 131)),
        c("c_nvc", "nvarchar(50)", "TEXT(50)", "text",
          lambda i: value("c_nvc", i, "Grüße € %d 😀 Ünïcödé" % i, 67)),
        c("c_vcmax", '"varchar(max)"', "MEMO", "text",
          lambda i: _big(i, 3, "Größe € ‰ Zeile %d\n") or _null(i, 137, "varchar(max) %d ÿ" % i)),
        c("c_nmax", '"nvarchar(max)"', "MEMO", "text",
          lambda i: ("Größe € 😀 Zeile %d\n" % i) * BIG_TEXT if i % 500 == 7 or i == ROWS
          else _null(i, 71, 'Text %d mit \t Tab, "Quote", \\ und ä' % i)),
        c("c_vbmax", '"varbinary(max)"', "LONGBINARY", "bytes",
          lambda i: _md5(i, 7000) if i % 500 == 9 or i == ROWS - 1 else _null(i, 73, _md5(i))),
        c("c_text", "text", "MEMO", "text",
          lambda i: _big(i, 11, "text € Zeile %d äöü\r\n") or _null(i, 139, "text %d €" % i)),
        c("c_ntext", "ntext", "MEMO", "text",
          lambda i: _big(i, 13, "ntext 😀 Zeile %d\n") or _null(i, 79, "ntext %d ä€😀" % i)),
        c("c_image", "image", "LONGBINARY", "bytes",
          lambda i: _md5(i, 6500) if i % 1000 == 17 else _null(i, 149, _md5(i)[: 1 + i % 16])),
        c("c_bin", "binary(16)", "LONGBINARY", "bin:16",
          lambda i: value("c_bin", i, _md5(i)[: 1 + i % 16], 151)),
        c("c_vb", "varbinary(50)", "LONGBINARY", "bytes",
          lambda i: value("c_vb", i, _md5(i, 4)[: 1 + i % 50], 157)),
        c("c_xml", "xml", "MEMO", "text",
          lambda i: _null(i, 163, '<r n="%d">Grüße € 😀 &amp; &lt;%d&gt;</r>' % (i, i))),
    ]


def _variant_columns():
    """sql_variant columns, each holding one base type, into the Access field its values fit."""
    special = {
        "v_int": {1: "int:-2147483648", 2: "int:2147483647"},
        "v_big": {1: "bigint:-9223372036854775808", 2: "bigint:9223372036854775807"},
        "v_dt": {1: "datetime:1753-01-01 00:00:00", 2: "datetime:9999-12-31 23:59:59.997"},
        # Years below 1000 in the last row: FreeTDS writes such a year without its zeros.
        "v_dt2": {5: "datetime2(7):0100-01-01 00:00:00", 2: "datetime2(7):9999-12-31 23:59:59.999"},
        "v_date": {5: "date:0100-01-01", 2: "date:9999-12-31"},
        "v_nvc": {1: "nvarchar:" + "😀" * 100, 2: "nvarchar:x"},
        "v_vc": {1: "varchar:" + "ÿ" * 200, 2: "varchar:x"},
        "v_dec": {1: "decimal(18,4):-99999999999999.9999", 2: "decimal(18,4):99999999999999.9999"},
        "v_money": {1: "money:-922337203685477.5808", 2: "money:922337203685477.5807"},
        "v_float": {1: "float:1.7976931348623157e308", 2: "float:5e-324"},
    }

    def value(name, i, default, every):
        return _pick(special.get(name, {}), i, default, every)

    c = Column
    return [
        c("id", "int", "LONG", "int", lambda i: i),
        c("v_int", "sql_variant", "LONG", "variant",
          lambda i: value("v_int", i, "int:%d" % (i * 225799 - 1073741824), 7)),
        c("v_big", "sql_variant", "DECIMAL(19,0)", "variant",
          lambda i: value("v_big", i, "bigint:%d" % (i * 912345678901234 - 4611686018427387904), 11)),
        c("v_dt", "sql_variant", "DATETIME", "variant",
          lambda i: value("v_dt", i, "datetime:" + _stamp_ms10(i), 13)),
        c("v_dt2", "sql_variant", "DATETIME", "variant",
          lambda i: value("v_dt2", i, "datetime2(7):%s.%s" % (_stamp(i, 0)[:19], _ticks7(i)), 17)),
        c("v_date", "sql_variant", "DATETIME", "variant",
          lambda i: value("v_date", i, "date:" + _day(i), 19)),
        c("v_nvc", "sql_variant", "TEXT(200)", "variant",
          lambda i: value("v_nvc", i, "nvarchar:Grüße € %d 😀" % i, 23)),
        c("v_vc", "sql_variant", "TEXT(200)", "variant",
          lambda i: value("v_vc", i, "varchar:Straße %d ‰" % i, 29)),
        c("v_dec", "sql_variant", "DECIMAL(18,4)", "variant",
          lambda i: value("v_dec", i, "decimal(18,4):" + _decimal(i, "-98765.4321", 4, 3).decode(), 31)),
        c("v_money", "sql_variant", "CURRENCY", "variant",
          lambda i: value("v_money", i, "money:" + _decimal(i, "1234567.8901", 4, 3).decode(), 37)),
        c("v_float", "sql_variant", "DOUBLE", "variant",
          lambda i: value("v_float", i, "float:%r" % (i / 3), 41)),
        c("v_guid", "sql_variant", "GUID", "variant",
          lambda i: _null(i, 43, "uniqueidentifier:" + str(uuid.UUID(bytes=_md5(i))).upper())),
    ]


def _problem(name, declared, access_type, kind, good, bad, tag="nvarchar(20)"):
    """Six rows; the fourth holds the value Access cannot take."""
    columns = [Column("id", "int", "LONG", "int", lambda i: i),
               Column("c", declared, access_type, kind, lambda i: bad if i == 4 else good(i)),
               Column("tag", tag, "TEXT(20)", "text", lambda i: "Zeile %d" % i)]
    return Table(name, columns, 6)


def _view(name, over, column):
    view = Table(name, [Column("id", "", "LONG", "int"), column], 0)
    view.notes.append("view")
    view.notes.append("SELECT id, %s FROM %s WHERE id <= 2500" % (column.name, over))
    return view


def mssql_tables():
    long_text = "ntext ä€ " * 8000  # 72,000 characters: more than 64 KB
    return [
        _problem("mx_p1_decimal", "decimal(38,0)", "DECIMAL(28,0)", "dec",
                 lambda i: _exact(str(12345678901234567890123456 + i)), _exact("1" + "0" * 29)),
        _problem("mx_p2_bigint", "bigint", "LONG", "int", lambda i: i * 1000, 3000000000),
        _problem("mx_p3_text", "nvarchar(20)", "TEXT(10)", "text", lambda i: "Größe€%d" % i,
                 "ÄÖÜäöüß€€€x"),
        _problem("mx_p4_date", "date", "DATETIME", "date", lambda i: "2000-01-%02d" % i,
                 "0001-01-01"),
        _problem("mx_p5_dt2_year1", "datetime2(7)", "DATETIME", "ts",
                 lambda i: "2000-01-01 10:00:%02d.1234567" % i, "0099-12-31 23:59:59.1234567"),
        # A double cannot tell this moment from 01.01.10000, which Access does not know.
        _problem("mx_p6_dt2_end", "datetime2(7)", "DATETIME", "ts",
                 lambda i: "9999-12-%02d 23:59:59.9999999" % i, "9999-12-31 23:59:59.9999999"),
        _problem("mx_p7_dto", "datetimeoffset(7)", "DATETIME", "dto",
                 lambda i: "2000-01-01 10:00:00 +0%d:00" % i, "0050-06-01 12:00:00 +02:00"),
        # Blanks the server pads with count: char(20) does not fit a Text(10) field.
        _problem("mx_p9_char", "char(20)", "TEXT(10)", "pad:20", lambda i: None, "abc"),
        _problem("mx_p10_empty", "nvarchar(20)", "TEXT(20)", "text", lambda i: "Zeile%d" % i, ""),
        _problem("mx_p11_variant", "sql_variant", "LONG", "variant",
                 lambda i: "bigint:%d" % (i * 1000), "bigint:3000000000"),
        # FreeTDS names no base type: a binary variant would arrive as the text of its hex
        # digits, so a binary field refuses every variant.
        _problem("mx_p15_variant_bin", "sql_variant", "LONGBINARY", "variant", lambda i: None,
                 "varbinary:c4ca"),
        _problem("mx_p12_ntext", "ntext", "TEXT(100)", "text", lambda i: "kurz %d ä€" % i,
                 long_text),
        _problem("mx_p13_money", "money", "DECIMAL(10,4)", "dec", lambda i: _exact("%d.5" % i),
                 _exact("922337203685477.5807")),
        _problem("mx_p14_numeric", "numeric(38,10)", "DECIMAL(28,10)", "dec",
                 lambda i: _exact("%d.0123456789" % (10**17 * i)), _exact("9" * 28 + "." + "9" * 10)),
        Table("mx_types", _mssql_columns(), ROWS),
        Table("mx_variant", _variant_columns(), ROWS),
        _view("mx_v_view", "mx_types", Column("c_nvc", "", "TEXT(50)", "text")),
        Table("mx_zz_server_only", [Column("id", "int", "LONG", "int", lambda i: i),
                                    Column("fp", "nvarchar(40)", "", "text", lambda i: "")],
              1, in_access=False),
    ]


# --- Sybase ASE ----------------------------------------------------------------------------------

def _sybase_columns():
    special = {
        "c_tiny": {1: 0, 2: 255},
        "c_small": {1: -32768, 2: 32767},
        "c_int": {1: -2**31, 2: 2**31 - 1},
        "c_big": {1: -2**63, 2: 2**63 - 1},
        # Unsigned values beyond the signed range are in the problem tables: FreeTDS describes
        # the unsigned types as their signed namesakes.
        "c_usmall": {1: 0, 2: 32767},
        "c_uint": {1: 0, 2: 2**31 - 1},
        "c_ubig": {1: 0, 2: 2**63 - 1},
        "c_dec": {1: _exact("-999999999999999999.9999999999"),
                  2: _exact("999999999999999999.9999999999"), 3: _exact("0.0000000001")},
        "c_num": {1: _exact("-" + "9" * 28), 2: _exact("9" * 28), 3: _exact("0")},
        "c_num9": {1: _exact("-9999999.99"), 2: _exact("9999999.99"), 3: _exact("0.01")},
        "c_money": {1: _exact("-922337203685477.5808"), 2: _exact("922337203685477.5807")},
        "c_smoney": {1: _exact("-214748.3648"), 2: _exact("214748.3647"), 3: _exact("0.0001")},
        "c_float": {1: 1.7976931348623157e308, 2: -2.2250738585072014e-308, 3: 5e-324},
        "c_real": {1: _f32(3.4028235e38), 2: _f32(1.17549435e-38), 3: _f32(1.4e-45)},
        "c_dt": {1: "1753-01-01 00:00:00", 2: "9999-12-31 23:59:59.997",
                 3: "1899-12-30 00:00:00.003", 4: "1899-12-29 12:00:00"},
        "c_sdt": {1: "1900-01-01 00:00:00", 2: "2079-06-06 23:59:00"},
        "c_bigdt": {1: "0100-01-01 00:00:00", 2: "9999-12-31 23:59:59.999",
                    3: "1899-12-30 00:00:00.000001", 4: "1800-06-15 12:34:56.123456"},
        "c_date": {1: "0100-01-01", 2: "9999-12-31", 3: "1899-12-30", 4: "1899-12-29"},
        "c_time": {1: "00:00:00", 2: "23:59:59.997", 3: "00:00:00.003", 4: "12:00:00.5"},
        "c_char": {1: "é" * 5, 2: "x" * 10, 3: "€€€a"},
        "c_vc": {1: "x" * 50, 2: "€" * 16 + "ab", 3: "😀" * 12 + "a"},
        "c_vclong": {1: "€" * 333 + "a", 2: "x"},
        "c_nchar": {1: "€" * 10, 2: "x"},
        "c_nvc": {1: "😀" * 30, 2: "€" * 40},
        "c_unichar": {1: "😀" * 5, 2: "x"},
        "c_univc": {1: "😀" * 20, 2: "€" * 40},
        "c_bin": {1: b"\xff" * 16, 2: b"\x00", 3: b"\x01"},
        "c_vb": {1: b"\xff" * 50, 2: b"\x00"},
    }

    def value(name, i, default, every):
        return _pick(special.get(name, {}), i, default, every)

    c = Column
    return [
        c("id", "int", "LONG", "int", lambda i: i),
        c("c_tiny", "tinyint", "BYTE", "int", lambda i: value("c_tiny", i, i % 256, 7)),
        c("c_small", "smallint", "SHORT", "int",
          lambda i: value("c_small", i, (i * 37) % 65536 - 32768, 11)),
        c("c_int", "int", "LONG", "int", lambda i: value("c_int", i, i * 225799 - 1073741824, 13)),
        c("c_big", "bigint", "DECIMAL(19,0)", "int",
          lambda i: value("c_big", i, i * 912345678901234 - 4611686018427387904, 17)),
        c("c_usmall", "unsigned smallint", "LONG", "int",
          lambda i: value("c_usmall", i, i * 3 % 32768, 19)),
        c("c_uint", "unsigned int", "DECIMAL(10,0)", "int",
          lambda i: value("c_uint", i, i * 226001, 23)),
        c("c_ubig", "unsigned bigint", "DECIMAL(20,0)", "int",
          lambda i: value("c_ubig", i, i * 970123456789012, 29)),
        # ASE's bit holds no NULL.
        c("c_bit", "bit", "YESNO", "bool", lambda i: i % 3 == 0),
        c("c_dec", "decimal(38,10)", "DECIMAL(28,10)", "dec",
          lambda i: value("c_dec", i, _decimal(i, "123456789012.3456789012", 10), 31)),
        c("c_num", "numeric(38,0)", "DECIMAL(28,0)", "dec",
          lambda i: value("c_num", i, _decimal(i, "-1234567890123456789012345", 0, 3), 37)),
        c("c_num9", "numeric(9,2)", "CURRENCY", "dec",
          lambda i: value("c_num9", i, _decimal(i, "-2345.67", 2, 3), 41)),
        c("c_money", "money", "CURRENCY", "dec",
          lambda i: value("c_money", i, _decimal(i, "1234567.8901", 4, 3), 43)),
        c("c_smoney", "smallmoney", "CURRENCY", "dec",
          lambda i: value("c_smoney", i, _decimal(i, "-45.6789", 4, 3), 47)),
        c("c_float", "float", "DOUBLE", "f64", lambda i: value("c_float", i, i / 3, 53)),
        c("c_real", "real", "SINGLE", "f32", lambda i: value("c_real", i, _f32(i * 1.1), 59)),
        c("c_dt", "datetime", "DATETIME", "ts",
          lambda i: value("c_dt", i, _stamp(i, 0)[:19] if i % 2 else _stamp_ms10(i), 61)),
        c("c_sdt", "smalldatetime", "DATETIME", "ts",
          lambda i: value("c_sdt", i, _stamp(i, 0)[:16] + ":00", 67)),
        c("c_bigdt", "bigdatetime", "DATETIME", "ts",
          lambda i: value("c_bigdt", i, _stamp(i, 456789, datetime.datetime(1750, 3, 1)), 71)),
        c("c_date", "date", "DATETIME", "date", lambda i: value("c_date", i, _day(i), 73)),
        c("c_time", "time", "DATETIME", "time",
          lambda i: value("c_time", i, _clock(i) + (".%02d0" % (i % 100) if i % 2 else ""), 79)),
        c("c_char", "char(10)", "TEXT(10)", "padu8:10",
          lambda i: value("c_char", i, "Ä€ö%d" % (i % 100), 83)),
        c("c_vc", "varchar(50)", "TEXT(50)", "text",
          lambda i: value("c_vc", i, "Grüße € %d 😀" % i, 89)),
        c("c_vclong", "varchar(1000)", "MEMO", "text",
          lambda i: value("c_vclong", i, ("Zeile %d € " % i) * (1 + i % 60), 97)),
        # nchar(n) is n national characters of three bytes each, padded as bytes.
        c("c_nchar", "nchar(10)", "TEXT(30)", "padu8:30",
          lambda i: value("c_nchar", i, "Ü😀%d" % (i % 10000), 101)),
        c("c_nvc", "nvarchar(40)", "TEXT(60)", "text",
          lambda i: value("c_nvc", i, "Grüße € %d 😀 Ünïcödé" % i, 103)),
        c("c_unichar", "unichar(10)", "TEXT(10)", "pad:10",
          lambda i: value("c_unichar", i, "Ü😀%d" % (i % 10000), 107)),
        c("c_univc", "univarchar(40)", "TEXT(40)", "text",
          lambda i: value("c_univc", i, "Grüße € %d 😀 Ünïcödé" % i, 109)),
        c("c_text", "text", "MEMO", "text",
          lambda i: _big(i, 11, "text € Zeile %d 😀\r\n") or _null(i, 113, "text %d €" % i)),
        c("c_image", "image", "LONGBINARY", "bytes",
          lambda i: _md5(i, 6500) if i % 1000 == 17 else _null(i, 127, _md5(i)[: 1 + i % 16])),
        c("c_bin", "binary(16)", "LONGBINARY", "bin:16",
          lambda i: value("c_bin", i, _md5(i)[: 1 + i % 16], 131)),
        c("c_vb", "varbinary(50)", "LONGBINARY", "bytes",
          lambda i: value("c_vb", i, _md5(i, 4)[: 1 + i % 50], 137)),
    ]


def _unsigned_columns():
    """The unsigned types over their whole range into fields that hold them. FreeTDS describes
    them as the signed types of their size, but hands out their values whole; a field problem
    for the upper half would still be no wrong value, a negative number would be."""
    def top(i, low, high):
        return {297: high, 298: low, 299: high - 1}.get(i, None if i % 13 == 0 else low + (
            (high - low) * i // 300))

    c = Column
    return [
        c("id", "int", "LONG", "int", lambda i: i),
        c("c_usmall", "unsigned smallint", "LONG", "int", lambda i: top(i, 0, 65535)),
        c("c_uint", "unsigned int", "DECIMAL(10,0)", "int", lambda i: top(i, 0, 2**32 - 1)),
        # Beyond SQLite's INTEGER: the digits as a BLOB, which the server reads as a number.
        c("c_ubig", "unsigned bigint", "DECIMAL(20,0)", "int",
          lambda i: (lambda v: v if v is None or v < 2**63 else _exact(str(v)))(
              top(i, 0, 2**64 - 1))),
    ]


def sybase_tables():
    long_text = "text ä€ " * 9000  # 72,000 characters: more than 64 KB
    unitext = [Column("id", "int", "LONG", "int", lambda i: i),
               Column("c_utx", "unitext", "MEMO", "text",
                      lambda i: ("unitext 😀 Zeile %d ä\n" % i) * BIG_TEXT if i % 100 == 7
                      else _null(i, 11, "unitext %d ä€😀" % i))]
    return [
        _problem("mxs_p1_decimal", "decimal(38,0)", "DECIMAL(28,0)", "dec",
                 lambda i: _exact(str(12345678901234567890123456 + i)), _exact("1" + "0" * 29),
                 "varchar(20)"),
        _problem("mxs_p2_bigint", "bigint", "LONG", "int", lambda i: i * 1000, 3000000000,
                 "varchar(20)"),
        _problem("mxs_p3_text", "varchar(30)", "TEXT(10)", "text", lambda i: "Größe€%d" % i,
                 "ÄÖÜäöüß€€€x", "varchar(20)"),
        # The unsigned values beyond the signed range, into fields too narrow for them: the
        # value itself is a field problem, and so is its true value if the driver refuses it;
        # any other value stored is wrong.
        _problem("mxs_p4_usmall", "unsigned smallint", "SHORT", "int", lambda i: i * 1000,
                 65535, "varchar(20)"),
        _problem("mxs_p5_uint", "unsigned int", "LONG", "int", lambda i: i * 100000,
                 4294967295, "varchar(20)"),
        _problem("mxs_p6_ubig", "unsigned bigint", "DECIMAL(19,0)", "int",
                 lambda i: i * 10**17, _exact(str(2**64 - 1)), "varchar(20)"),
        _problem("mxs_p7_date", "date", "DATETIME", "date", lambda i: "2000-01-%02d" % i,
                 "0001-01-01", "varchar(20)"),
        _problem("mxs_p9_char", "char(20)", "TEXT(10)", "padu8:20", lambda i: None, "abc",
                 "varchar(20)"),
        _problem("mxs_p10_text", "text", "TEXT(100)", "text", lambda i: "kurz %d ä€" % i,
                 long_text, "varchar(20)"),
        _problem("mxs_p11_bigdt", "bigdatetime", "DATETIME", "ts",
                 lambda i: "2000-01-01 10:00:%02d.123456" % i, "0001-01-01 00:00:00",
                 "varchar(20)"),
        _problem("mxs_p12_numeric", "numeric(38,10)", "DECIMAL(28,10)", "dec",
                 lambda i: _exact("%d.0123456789" % (10**17 * i)), _exact("9" * 28 + "." + "9" * 10),
                 "varchar(20)"),
        Table("mxs_types", _sybase_columns(), ROWS),
        Table("mxs_unitext", unitext, 300),
        Table("mxs_unsigned", _unsigned_columns(), 300),
        _view("mxs_v_view", "mxs_types", Column("c_vc", "", "TEXT(50)", "text")),
        Table("mxs_zz_server_only", [Column("id", "int", "LONG", "int", lambda i: i)], 1,
              in_access=False),
    ]


def all_tables():
    return mssql_tables() + sybase_tables()


class Tds:
    def __init__(self, variant):
        self.variant = variant  # mssql or sybase
        self.dsn = os.environ.get("SQLVANTOR_MSSQL_DSN" if variant == "mssql"
                                  else "SQLVANTOR_SYBASE_DSN")
        self.user = os.environ.get("SQLVANTOR_TDS_USER")
        self.password = os.environ.get("SQLVANTOR_TDS_PASSWORD")
        self.path = os.environ.get("SQLVANTOR_TDS_DATABASE")
        self.server = dsn_section(self.dsn) if self.dsn else None
        self.tables = mssql_tables() if variant == "mssql" else sybase_tables()
        self.foreign = set()  # the file is shared: other tables are no finding

    def missing(self):
        if not (self.dsn and self.user and self.password and self.path):
            return "SQLVANTOR_%s_DSN/TDS_USER/TDS_PASSWORD/TDS_DATABASE not set" % (
                self.variant.upper())
        if not self.server:
            return "data source %s not found in ODBCINI/ODBCSYSINI" % self.dsn
        return None

    def data_source(self):
        settings = {key: value for key, value in self.server.items() if key != "Driver"}
        settings["Driver"] = os.path.join(DRIVER_DIR, "libtdsodbc.so")
        return "sqlvantor_matrix_" + self.variant, settings

    def setup(self):
        """Both variants' tables at once: the other variant's tests, running beside this one,
        then find them ready and never write while the server reads for them."""
        with open(__file__, "rb") as me:
            fingerprint = hashlib.sha256(me.read()).hexdigest()[:16]
        key = hashlib.sha256(self.path.encode()).hexdigest()[:12]
        with open("/tmp/sqlvantor-matrix-tds-%s.lock" % key, "w") as lock:
            fcntl.flock(lock, fcntl.LOCK_EX)
            with sqlite3.connect(self.path, timeout=60) as db:
                try:
                    current = db.execute("SELECT fp FROM mx_zz_server_only").fetchone()[0]
                except sqlite3.Error:
                    current = None
                if current == fingerprint:
                    return
                ours = re.compile(r"mxs?_")
                for name, kind in db.execute("SELECT name, type FROM sqlite_master"
                                             " WHERE type IN ('table', 'view')").fetchall():
                    if ours.match(name):
                        db.execute('DROP %s IF EXISTS "%s"' % (kind.upper(), name))
                tables = all_tables()
                for table in tables:
                    if "view" in table.notes:
                        continue
                    columns = ", ".join('"%s" %s' % (c.name, c.server_type)
                                        for c in table.columns)
                    db.execute('CREATE TABLE "%s" (%s)' % (table.name, columns))
                    marks = ", ".join("?" for _ in table.columns)
                    db.executemany('INSERT INTO "%s" VALUES (%s)' % (table.name, marks),
                                   ([c.expr(i) for c in table.columns]
                                    for i in range(1, table.rows + 1)))
                for table in tables:
                    if "view" in table.notes:
                        db.execute('CREATE VIEW "%s" AS %s' % (table.name, table.notes[1]))
                db.execute("UPDATE mx_zz_server_only SET fp = ?", (fingerprint,))

    def server_rows(self, table):
        with sqlite3.connect(self.path, timeout=60) as db:
            names = ", ".join('"%s"' % c.name for c in table.columns)
            stored = db.execute('SELECT %s FROM "%s" ORDER BY 1' % (names, table.name))
            return [tuple(_canonical(c.kind, v) for c, v in zip(table.columns, row))
                    for row in stored]


# --- the oracle's reading of stored values ------------------------------------------------------

_MOMENT = re.compile(r"(?:(\d+)-(\d\d)-(\d\d) )?(\d\d):(\d\d):(\d\d)(?:\.(\d+))?(?: [+-]\d\d:\d\d)?")


def _moment(text, kind):
    """A stored date/time text with up to 7 fraction digits, rounded to the microsecond; the
    oracle then stays within 0.05 µs of the server's value. A time rounded up to 24:00 is the
    next day, 31.12.1899, as Access counts it."""
    y, mo, d, h, mi, s, frac = _MOMENT.fullmatch(text).groups()
    micro = (int((frac or "").ljust(7, "0")[:7]) + 5) // 10
    if kind == "time":
        y, mo, d = 1899, 12, 30
    if micro == 10**6:
        try:
            moment = datetime.datetime(int(y), int(mo), int(d), int(h), int(mi), int(s))
            moment += datetime.timedelta(seconds=1)
        except OverflowError:
            return SqlTimestamp(10000, 1, 1, 0, 0, 0)
        if kind == "time" and moment.day == 30:
            return SqlTime(moment.hour, moment.minute, moment.second)
        return SqlTimestamp(moment.year, moment.month, moment.day, moment.hour, moment.minute,
                            moment.second)
    if kind == "time":
        return SqlTime(int(h), int(mi), int(s), micro)
    return SqlTimestamp(int(y), int(mo), int(d), int(h), int(mi), int(s), micro)


def _variant(text):
    declared, _, value = text.partition(":")
    base = declared.split("(")[0]
    if base in ("int", "bigint", "smallint", "tinyint"):
        return int(value)
    if base in ("decimal", "numeric", "money", "smallmoney"):
        return Decimal(value)
    if base == "float":
        return float(value)
    if base == "real":
        return F32(_f32(float(value)))
    if base == "bit":
        return value not in ("0", "")
    if base == "date":
        return read_value("date", value)
    if base in ("datetime", "smalldatetime", "datetime2"):
        return _moment(value, "ts")
    if base == "time":
        return _moment(value, "time")
    if base == "uniqueidentifier":
        return uuid.UUID(value)
    if base in ("varbinary", "binary"):
        # FreeTDS hands a variant over as the text of its value and names no base type.
        return Unrepresentable("binary sql_variant")
    return value


def _canonical(kind, value):
    if value is None:
        return None
    if kind == "bool":
        return bool(value)
    if kind == "int":
        return int(value)  # beyond SQLite's INTEGER stored as text in a BLOB, as _exact does
    if kind == "dec":
        return Decimal(value.decode() if isinstance(value, bytes) else str(value))
    if kind == "f32":
        return F32(value)
    if kind in ("ts", "dto", "time"):
        return _moment(str(value), "time" if kind == "time" else "ts")
    if kind in ("date", "uuid"):
        return read_value(kind, str(value))
    if kind.startswith("pad:"):
        width = int(kind[4:])
        return value + " " * (width - len(value.encode("utf-16-le")) // 2)
    if kind.startswith("padu8:"):
        width = int(kind[6:])
        return value + " " * (width - len(value.encode("utf-8")))
    if kind.startswith("bin:"):
        return bytes(value).ljust(int(kind[4:]), b"\x00")
    if kind == "variant":
        return _variant(value)
    return value
