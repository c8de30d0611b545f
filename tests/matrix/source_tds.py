"""FreeTDS against the test TDS server (scripts/throwaway-tds), as Microsoft SQL Server (TDS 7.4)
and as Sybase (TDS 5.0): SQL Server's types declared on the columns of the SQLite file that
server serves, stored as tests/servers/tds/sqlsource.py describes, and read back with Python's
sqlite3 module as the oracle. Other tests share the file, so only the matrix's own tables
(mx_...) are touched and other tables in the list are no finding."""

import datetime
import fcntl
import hashlib
import os
import sqlite3
import struct
import uuid
from decimal import Decimal

from odbc_config import DRIVER_DIR, dsn_section
from server_values import F32, read_value
from table_model import Column, Table

ROWS = 9500


def _null(i, every, value):
    return None if i % every == 0 else value


def _exact(text):
    # Long exact numbers as a BLOB of their text: NUMERIC affinity would keep 15 digits only.
    return text.encode("ascii")


def _f32(value):
    return struct.unpack("<f", struct.pack("<f", value))[0]


def _md5(i, repeat=1):
    return hashlib.md5(str(i).encode()).digest() * repeat


def _type_columns():
    special = {
        "c_tiny": {1: 0, 2: 255},
        "c_small": {1: -32768, 2: 32767},
        "c_int": {1: -2**31, 2: 2**31 - 1},
        "c_big": {1: -2**63, 2: 2**63 - 1},
        "c_dec": {1: _exact("-999999999999999999.9999999999"),
                  2: _exact("999999999999999999.9999999999"), 3: _exact("0.0000000001")},
        "c_money": {1: _exact("-922337203685477.5808"), 2: _exact("922337203685477.5807")},
        "c_float": {1: 1.7976931348623157e308, 2: -2.2250738585072014e-308, 3: 5e-324},
        "c_real": {1: _f32(3.4028235e38), 2: _f32(1.17549435e-38)},
        "c_dt": {1: "1753-01-01 00:00:00", 2: "9999-12-31 23:59:59"},
        "c_dt2": {1: "0100-01-01 00:00:00", 2: "9999-12-31 23:59:59.999",
                  3: "1800-06-15 12:34:56.123456", 4: "1899-12-29 06:00:00"},
        "c_date": {1: "0100-01-01", 2: "9999-12-31", 3: "1899-12-30", 4: "1899-12-29"},
        "c_time": {1: "00:00:00", 2: "23:59:59"},
        "c_nvc": {1: "😀" * 25, 2: "€" * 50},
    }

    # Extremes in the last rows: a value refused by mistake then hides no other row.
    def value(name, i, default, every):
        if i - (ROWS - 5) in special.get(name, {}):
            return special[name][i - (ROWS - 5)]
        return _null(i, every, default)

    def stamp(i, micro):
        moment = datetime.datetime(2000, 1, 1) + i * datetime.timedelta(
            days=1, hours=1, minutes=2, seconds=3, microseconds=micro)
        return moment.strftime("%Y-%m-%d %H:%M:%S.%f")

    big = 6000
    return [
        Column("id", "int", "LONG", "int", lambda i: i),
        Column("c_tiny", "tinyint", "BYTE", "int", lambda i: value("c_tiny", i, i % 256, 7)),
        Column("c_small", "smallint", "SHORT", "int",
               lambda i: value("c_small", i, (i * 37) % 65536 - 32768, 11)),
        Column("c_int", "int", "LONG", "int",
               lambda i: value("c_int", i, i * 225799 - 1073741824, 13)),
        Column("c_big", "bigint", "DECIMAL(19,0)", "int",
               lambda i: value("c_big", i, i * 912345678901234 - 4611686018427387904, 17)),
        Column("c_bit", "bit", "YESNO", "bool", lambda i: _null(i, 19, i % 2)),
        Column("c_dec", "decimal(38,10)", "DECIMAL(28,10)", "dec",
               lambda i: value("c_dec", i, _exact(str(
                   (Decimal(i) * Decimal("123456789012.3456789012") / 7)
                   .quantize(Decimal("1e-10")))), 23)),
        Column("c_money", "money", "CURRENCY", "dec",
               lambda i: value("c_money", i, _exact(str(
                   (Decimal(i) * Decimal("1234567.8901") / 3).quantize(Decimal("1e-4")))), 29)),
        Column("c_float", "float", "DOUBLE", "f64", lambda i: value("c_float", i, i / 3, 31)),
        Column("c_real", "real", "SINGLE", "f32",
               lambda i: value("c_real", i, _f32(i * 1.1), 37)),
        Column("c_dt", "datetime", "DATETIME", "ts",
               lambda i: value("c_dt", i, stamp(i, 0)[:19], 41)),
        Column("c_dt2", "datetime2(6)", "DATETIME", "ts",
               lambda i: value("c_dt2", i, stamp(i, 456789), 43)),
        Column("c_date", "date", "DATETIME", "date",
               lambda i: value("c_date", i, (datetime.date(1900, 1, 1) + datetime.timedelta(
                   days=i * 13)).isoformat(), 47)),
        Column("c_time", "time(0)", "DATETIME", "time",
               lambda i: value("c_time", i, "%02d:%02d:%02d" % (
                   i * 9 // 3600 % 24, i * 9 // 60 % 60, i * 9 % 60), 53)),
        Column("c_guid", "uniqueidentifier", "GUID", "uuid",
               lambda i: _null(i, 59, str(uuid.UUID(bytes=_md5(i))).upper())),
        Column("c_vc", "varchar(50)", "TEXT(50)", "text",
               lambda i: _null(i, 61, "Grüße € %d Äö" % i)),
        Column("c_nvc", "nvarchar(50)", "TEXT(50)", "text",
               lambda i: value("c_nvc", i, "Grüße € %d 😀 Ünïcödé" % i, 67)),
        Column("c_nmax", '"nvarchar(max)"', "MEMO", "text",
               lambda i: ("Größe € 😀 Zeile %d\n" % i) * big if i % 500 == 7 or i == ROWS
               else _null(i, 71, 'Text %d mit \t Tab, "Quote", \\ und ä' % i)),
        Column("c_vbmax", '"varbinary(max)"', "LONGBINARY", "bytes",
               lambda i: _md5(i, 7000) if i % 500 == 9 or i == ROWS - 1
               else _null(i, 73, _md5(i))),
        Column("c_ntext", "ntext", "MEMO", "text", lambda i: _null(i, 79, "ntext %d ä€😀" % i)),
    ]


def _problem(name, declared, access_type, kind, good, bad):
    columns = [Column("id", "int", "LONG", "int", lambda i: i),
               Column("c", declared, access_type, kind, lambda i: bad if i == 4 else good(i)),
               Column("tag", "nvarchar(20)", "TEXT(20)", "text", lambda i: "Zeile %d" % i)]
    return Table(name, columns, 6)


def tables():
    view = Table("mx_v_view", [Column("id", "", "LONG", "int"),
                               Column("c_nvc", "", "TEXT(50)", "text")], 0)
    view.notes.append("view")
    return [
        _problem("mx_p1_decimal", "decimal(38,0)", "DECIMAL(28,0)", "dec",
                 lambda i: _exact(str(12345678901234567890123456 + i)), _exact("1" + "0" * 29)),
        _problem("mx_p2_bigint", "bigint", "LONG", "int", lambda i: i * 1000, 3000000000),
        _problem("mx_p3_text", "nvarchar(20)", "TEXT(10)", "text", lambda i: "Größe€%d" % i,
                 "ÄÖÜäöüß€€€x"),
        Table("mx_types", _type_columns(), ROWS),
        view,
        Table("mx_zz_server_only", [Column("id", "int", "LONG", "int", lambda i: i),
                                    Column("fp", "nvarchar(40)", "", "text", lambda i: "")],
              1, in_access=False),
    ]


class Tds:
    def __init__(self, variant):
        self.variant = variant  # mssql or sybase
        self.dsn = os.environ.get("SQLVANTOR_MSSQL_DSN" if variant == "mssql"
                                  else "SQLVANTOR_SYBASE_DSN")
        self.user = os.environ.get("SQLVANTOR_TDS_USER")
        self.password = os.environ.get("SQLVANTOR_TDS_PASSWORD")
        self.path = os.environ.get("SQLVANTOR_TDS_DATABASE")
        self.server = dsn_section(self.dsn) if self.dsn else None
        self.tables = tables()
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
                for table in self.tables:
                    db.execute('DROP VIEW IF EXISTS "%s"' % table.name)
                    db.execute('DROP TABLE IF EXISTS "%s"' % table.name)
                for table in self.tables:
                    if "view" in table.notes:
                        continue
                    columns = ", ".join('"%s" %s' % (c.name, c.server_type)
                                        for c in table.columns)
                    db.execute('CREATE TABLE "%s" (%s)' % (table.name, columns))
                    marks = ", ".join("?" for _ in table.columns)
                    db.executemany('INSERT INTO "%s" VALUES (%s)' % (table.name, marks),
                                   ([c.expr(i) for c in table.columns]
                                    for i in range(1, table.rows + 1)))
                db.execute("CREATE VIEW mx_v_view AS SELECT id, c_nvc FROM mx_types"
                           " WHERE id <= 2500")
                db.execute("UPDATE mx_zz_server_only SET fp = ?", (fingerprint,))

    def server_rows(self, table):
        with sqlite3.connect(self.path, timeout=60) as db:
            names = ", ".join('"%s"' % c.name for c in table.columns)
            stored = db.execute('SELECT %s FROM "%s" ORDER BY 1' % (names, table.name))
            return [tuple(_canonical(c.kind, v) for c, v in zip(table.columns, row))
                    for row in stored]


def _canonical(kind, value):
    if value is None:
        return None
    if kind == "bool":
        return bool(value)
    if kind == "dec":
        return Decimal(value.decode() if isinstance(value, bytes) else str(value))
    if kind == "f32":
        return F32(value)
    if kind in ("date", "time", "ts", "uuid"):
        return read_value(kind, str(value))
    return value
