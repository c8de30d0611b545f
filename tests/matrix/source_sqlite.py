"""SQLite through the SQLite ODBC driver: its storage classes under the declared types the
driver reads (INTEGER, BIGINT, SMALLINT, TINYINT, REAL, FLOAT, DECIMAL, BOOLEAN, DATE, TIME,
TIMESTAMP, VARCHAR, TEXT, BLOB), problem tables, a view and a server-only table. Built and read
back with Python's sqlite3 module, a reader independent of the ODBC layer."""

import datetime
import hashlib
import os
import sqlite3

from odbc_config import DRIVER_DIR
from server_values import read_value
from table_model import Column, Table

ROWS = 9500
BASE_DATE = datetime.date(1900, 1, 1)


def _null(i, every, value):
    return None if i % every == 0 else value


def _md5(i, repeat=1):
    return hashlib.md5(str(i).encode()).digest() * repeat


def _big_text(i):
    return ("Größe € 😀 Zeile %d\n" % i) * 6000


def _type_columns():
    special = {
        "c_int": {1: -2**31, 2: 2**31 - 1},
        "c_bigint": {1: -2**63, 2: 2**63 - 1},
        "c_small": {1: -32768, 2: 32767},
        "c_tiny": {1: -128, 2: 127},
        # The driver hands REAL over as text of 15 significant digits (see _canonical): the
        # extremes are those it can write, the largest double itself would come out larger.
        "c_real": {1: 1.79769313486231e308, 2: -2.2250738585072e-308, 3: 4.94065645841247e-324},
        "c_date": {1: "0100-01-01", 2: "9999-12-31", 3: "1899-12-30", 4: "1899-12-29"},
        "c_time": {1: "00:00:00", 2: "23:59:59"},
        "c_ts": {1: "0100-01-01 00:00:00", 2: "9999-12-31 23:59:59", 3: "1899-12-29 06:00:00",
                 4: "1800-06-15 12:34:56.123"},
        "c_vc": {1: "😀" * 25, 2: "€" * 50},
    }

    # Extremes in the last rows: a value refused by mistake then hides no other row.
    def value(name, i, default, every):
        if i - (ROWS - 5) in special.get(name, {}):
            return special[name][i - (ROWS - 5)]
        return _null(i, every, default)

    def stamp(i):
        moment = datetime.datetime(2000, 1, 1) + i * datetime.timedelta(
            days=1, hours=1, minutes=2, seconds=3, milliseconds=456)
        return moment.strftime("%Y-%m-%d %H:%M:%S.") + "%03d" % (moment.microsecond // 1000)

    return [
        Column("id", "INTEGER PRIMARY KEY", "LONG", "int", lambda i: i),
        Column("c_int", "INTEGER", "LONG", "int",
               lambda i: value("c_int", i, i * 225799 - 1073741824, 7)),
        Column("c_bigint", "BIGINT", "DECIMAL(19,0)", "int",
               lambda i: value("c_bigint", i, i * 912345678901234 - 4611686018427387904, 11)),
        Column("c_small", "SMALLINT", "SHORT", "int",
               lambda i: value("c_small", i, (i * 37) % 65536 - 32768, 13)),
        Column("c_tiny", "TINYINT", "SHORT", "int",
               lambda i: value("c_tiny", i, i % 256 - 128, 17)),
        Column("c_real", "REAL", "DOUBLE", "f64", lambda i: value("c_real", i, i / 3, 19)),
        Column("c_float", "FLOAT", "DOUBLE", "f64", lambda i: _null(i, 23, i * 1.1)),
        Column("c_dec", "DECIMAL(18,4)", "CURRENCY", "f64",
               lambda i: _null(i, 29, round(i * 1234.5678 / 7, 4))),
        Column("c_bool", "BOOLEAN", "YESNO", "bool", lambda i: _null(i, 31, i % 2)),
        Column("c_date", "DATE", "DATETIME", "date",
               lambda i: value("c_date", i, (BASE_DATE + datetime.timedelta(days=i * 13))
                               .isoformat(), 37)),
        Column("c_time", "TIME", "DATETIME", "time",
               lambda i: value("c_time", i, "%02d:%02d:%02d" % (
                   i * 9 // 3600 % 24, i * 9 // 60 % 60, i * 9 % 60), 41)),
        Column("c_ts", "TIMESTAMP", "DATETIME", "ts", lambda i: value("c_ts", i, stamp(i), 43)),
        Column("c_vc", "VARCHAR(50)", "TEXT(50)", "text",
               lambda i: value("c_vc", i, "Grüße € %d 😀 Ünïcödé" % i, 59)),
        Column("c_text", "TEXT", "MEMO", "text",
               lambda i: _big_text(i) if i % 500 == 7 or i == ROWS
               else _null(i, 61, 'Text %d mit \t Tab, "Quote", \\ und ä' % i)),
        Column("c_blob", "BLOB", "LONGBINARY", "bytes",
               lambda i: _md5(i, 7000) if i % 500 == 9 or i == ROWS - 1
               else _null(i, 67, _md5(i))),
    ]


def _problem(name, declared, access_type, kind, good, bad):
    columns = [Column("id", "INTEGER PRIMARY KEY", "LONG", "int", lambda i: i),
               Column("c", declared, access_type, kind, lambda i: bad if i == 4 else good(i)),
               Column("tag", "VARCHAR(20)", "TEXT(20)", "text", lambda i: "Zeile %d" % i)]
    return Table(name, columns, 6)


def tables():
    view = Table("mx_v_view", [Column("id", "", "LONG", "int"),
                               Column("c_vc", "", "TEXT(50)", "text")], 0)
    view.notes.append("view")
    return [
        # An INTEGER column holding a value beyond 32 bits: it must arrive whole, not cut.
        _problem("mx_p1_int_wide", "INTEGER", "DECIMAL(19,0)", "int", lambda i: i, 2**40 + 5),
        _problem("mx_p2_bigint", "BIGINT", "LONG", "int", lambda i: i * 1000, 3000000000),
        _problem("mx_p3_text", "VARCHAR(20)", "TEXT(10)", "text", lambda i: "Größe€%d" % i,
                 "ÄÖÜäöüß€€€x"),
        _problem("mx_p4_empty", "VARCHAR(20)", "TEXT(10)", "text", lambda i: "x%d" % i, ""),
        _problem("mx_p5_date", "DATE", "DATETIME", "date",
                 lambda i: "2000-01-%02d" % i, "kein Datum"),
        Table("mx_types", _type_columns(), ROWS),
        view,
        Table("mx_zz_server_only", [Column("id", "INTEGER PRIMARY KEY", "LONG", "int",
                                           lambda i: i)], 3, in_access=False),
    ]


class Sqlite:
    def __init__(self, folder):
        self.path = os.path.join(folder, "source.db")
        self.user = ""
        self.password = ""
        self.tables = tables()

    def missing(self):
        if not os.path.exists(os.path.join(DRIVER_DIR, "libsqlite3odbc.so")):
            return "SQLite ODBC driver not installed"
        return None

    def data_source(self):
        return "sqlvantor_matrix_sqlite", {
            "Driver": os.path.join(DRIVER_DIR, "libsqlite3odbc.so"), "Database": self.path}

    def setup(self):
        with sqlite3.connect(self.path) as db:
            for table in self.tables:
                if "view" in table.notes:
                    continue
                columns = ", ".join('"%s" %s' % (c.name, c.server_type) for c in table.columns)
                db.execute('CREATE TABLE "%s" (%s)' % (table.name, columns))
                marks = ", ".join("?" for _ in table.columns)
                db.executemany('INSERT INTO "%s" VALUES (%s)' % (table.name, marks),
                               ([c.expr(i) for c in table.columns]
                                for i in range(1, table.rows + 1)))
            db.execute('CREATE VIEW mx_v_view AS SELECT id, c_vc FROM mx_types WHERE id <= 2500')

    def server_rows(self, table):
        with sqlite3.connect(self.path) as db:
            names = ", ".join('"%s"' % c.name for c in table.columns)
            stored = db.execute('SELECT %s FROM "%s" ORDER BY 1' % (names, table.name))
            return [tuple(_canonical(c.kind, v) for c, v in zip(table.columns, row))
                    for row in stored]


def _canonical(kind, value):
    """A stored SQLite value as the declared type makes the driver deliver it."""
    if value is None:
        return None
    if kind == "bool":
        return bool(value)
    if kind in ("date", "time", "ts"):
        return read_value(kind, str(value))
    if kind == "f64":
        # SQLite ODBC reads every value as SQLite's text of it, which has 15 significant digits
        # for a REAL; that is all the driver can deliver (isql shows the same).
        return float("%.15g" % value)
    return value
