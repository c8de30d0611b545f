"""The rows the server hands out: tables and views of a SQLite file.

Tests create the tables directly in the file, declaring each column with its SQL Server or
Sybase type (``CREATE TABLE Typen (id int, b decimal(38,10), d datetimeoffset(7),
e "nvarchar(max)", ...)``); the server maps the declared type to its wire type and encodes the
stored value. SQLite takes only numbers in a type's parentheses, so (max) types are declared
quoted ("nvarchar(max)" or [varbinary(max)]) or with the length -1 (nvarchar(-1)). A column
without a declared type is served as nvarchar(4000). Views are served too and listed as VIEW.

How each type's values are stored in SQLite (tests write them so and read them back as the
expected values); NULL is SQL NULL for every type:

  int, bigint, smallint, tinyint, unsigned smallint/int/bigint   INTEGER
  bit                                   INTEGER 0 or 1
  float, real, double precision         REAL (real: what survives a 4-byte float)
  decimal(p,s), numeric(p,s), money, smallmoney
                                        the exact number as text: '-12345.6789'; more places than
                                        the scale are rounded half up. SQLite gives these columns
                                        NUMERIC affinity, which stores number-like text as INTEGER
                                        or REAL and keeps only 15 significant digits: store longer
                                        numbers as a BLOB of their ASCII text
                                        (CAST('-1234567890123456789.5' AS BLOB), or bind bytes),
                                        which SQLite leaves alone and the server reads as text
  datetime, smalldatetime, datetime2(n), bigdatetime
                                        TEXT '2024-02-29 13:14:15.1234567' (fraction optional,
                                        up to 7 digits; datetime rounds to 1/300 s like the
                                        server, smalldatetime to the minute)
  date                                  TEXT '2024-02-29'
  time(n)                               TEXT '13:14:15.1234567'
  datetimeoffset(n)                     TEXT '2024-02-29 13:14:15.1234567 +02:00' (local time
                                        and its offset; the wire carries UTC and the offset)
  uniqueidentifier                      TEXT '6F9619FF-8B86-D011-B42D-00C04FC964FF'
  char(n), varchar(n|max), text         TEXT; must fit code page 1252 (collation Latin1_General)
  nchar(n), nvarchar(n|max), ntext, unichar, univarchar, unitext
                                        TEXT, any Unicode (emoji travel as surrogate pairs)
  binary(n), varbinary(n|max), image    BLOB
  xml                                   TEXT
  sql_variant                           TEXT 'basetype:value', the base type as declared above:
                                        'int:42', 'nvarchar:abc', 'datetime:2024-01-01 10:00:00',
                                        'decimal(10,2):12.34', 'float:0.5', 'varbinary:0A0B' (hex)

char(n)/nchar(n)/binary(n) values shorter than n are padded on the wire as the server would
(blanks, or zero bytes for binary).
"""

import datetime
import decimal
import re
import sqlite3
from dataclasses import dataclass

# The SQL Server name of the database the file stands for.
DATABASE_NAME = "sqlvantor"


@dataclass(frozen=True)
class ColumnType:
    name: str  # lower case, single spaces: 'int', 'unsigned int', 'nvarchar', ...
    length: int = 0  # characters or bytes as declared; -1 for (max)
    precision: int = 0
    scale: int = 0

    @property
    def is_max(self):
        return self.length == -1


@dataclass
class Column:
    name: str
    type: ColumnType
    nullable: bool = True  # false for columns declared NOT NULL


_DECL = re.compile(r"^\s*([a-z_][a-z0-9_ ]*?)\s*(?:\(\s*([^)]*)\))?\s*$", re.I)

_DEFAULT_LENGTH = {
    "char": 1,
    "varchar": 1,
    "nchar": 1,
    "nvarchar": 1,
    "binary": 1,
    "varbinary": 1,
    "unichar": 1,
    "univarchar": 1,
}

_ALIASES = {
    "integer": "int",
    "double precision": "float",
    "double": "float",
    "unsigned integer": "unsigned int",
    "character": "char",
    "character varying": "varchar",
    "national char": "nchar",
    "national character": "nchar",
    "national varchar": "nvarchar",
    "national character varying": "nvarchar",
    "dec": "decimal",
    "bool": "bit",
    "boolean": "bit",
    "blob": "varbinary",
}


def parse_type(declared):
    """Turns a declared column type into a ColumnType; unknown or empty -> nvarchar(4000)."""
    match = _DECL.match(declared or "")
    if not match:
        return ColumnType("nvarchar", 4000)
    name = " ".join(match.group(1).lower().split())
    name = _ALIASES.get(name, name)
    args = [a.strip().lower() for a in (match.group(2) or "").split(",") if a.strip()]
    if name in ("decimal", "numeric"):
        precision = int(args[0]) if args else 18
        scale = int(args[1]) if len(args) > 1 else 0
        return ColumnType(name, precision=precision, scale=scale)
    if name in ("datetime2", "time", "datetimeoffset"):
        return ColumnType(name, scale=int(args[0]) if args else 7)
    if name == "float":
        if args and int(args[0]) <= 24:
            return ColumnType("real")
        return ColumnType("float")
    if name in _DEFAULT_LENGTH:
        if args and args[0] in ("max", "-1"):
            return ColumnType(name, -1)
        return ColumnType(name, int(args[0]) if args else _DEFAULT_LENGTH[name])
    known = {
        "int", "bigint", "smallint", "tinyint", "bit", "unsigned smallint", "unsigned int",
        "unsigned bigint", "money", "smallmoney", "real", "datetime", "smalldatetime", "date",
        "bigdatetime", "text", "ntext", "unitext", "image", "uniqueidentifier", "xml",
        "sql_variant",
    }
    if name in known:
        return ColumnType(name)
    return ColumnType("nvarchar", 4000)


def parse_variant(text):
    """'decimal(10,2):12.34' -> (ColumnType, '12.34')."""
    declared, _, value = text.partition(":")
    return parse_type(declared), value


# --- value parsing shared by the encoders ---------------------------------------------------

_DT = re.compile(
    r"^\s*(?:(\d{4})-(\d{1,2})-(\d{1,2}))?[ T]?"
    r"(?:(\d{1,2}):(\d{2})(?::(\d{2})(?:\.(\d{1,9}))?)?)?"
    r"\s*(?:([+-])(\d{1,2}):(\d{2}))?\s*$"
)

DAY_TICKS = 86400 * 10**7


def parse_datetime(text):
    """'2024-02-29 13:14:15.1234567 +02:00' -> (datetime.date or None, ticks of 100 ns since
    midnight, offset in minutes or None). Fractions beyond 7 digits are cut."""
    match = _DT.match(str(text))
    if not match:
        raise ValueError("not a date/time: %r" % (text,))
    y, mo, d, h, mi, s, frac, sign, oh, om = match.groups()
    date = datetime.date(int(y), int(mo), int(d)) if y else None
    ticks = 0
    if h is not None:
        fraction = int((frac or "0")[:7].ljust(7, "0"))
        ticks = ((int(h) * 60 + int(mi)) * 60 + int(s or 0)) * 10**7 + fraction
    offset = None
    if sign:
        offset = (int(oh) * 60 + int(om)) * (-1 if sign == "-" else 1)
    return date, ticks, offset


def parse_decimal(text, scale):
    """Exact number as text -> integer of units of 10**-scale (rounded half up)."""
    if isinstance(text, (bytes, bytearray, memoryview)):
        text = bytes(text).decode("ascii")
    with decimal.localcontext() as ctx:
        ctx.prec = 80  # 38 digits and more must stay exact
        value = decimal.Decimal(repr(text) if isinstance(text, float) else str(text).strip())
        quantum = decimal.Decimal(1).scaleb(-scale)
        return int(value.quantize(quantum, rounding=decimal.ROUND_HALF_UP).scaleb(scale))


def parse_guid(text):
    import uuid

    return uuid.UUID(str(text).strip())


# --- the source itself -----------------------------------------------------------------------


class Source:
    """One read-only connection to the SQLite file per client session."""

    def __init__(self, path):
        self.path = path
        self.db = sqlite3.connect("file:%s?mode=ro" % path, uri=True, check_same_thread=False)
        self.db.text_factory = str

    def close(self):
        self.db.close()

    def objects(self):
        """[(name, 'TABLE' | 'VIEW')] of the file, in name order."""
        rows = self.db.execute(
            "SELECT name, type FROM sqlite_master WHERE type IN ('table', 'view') "
            "AND name NOT LIKE 'sqlite\\_%' ESCAPE '\\' ORDER BY name"
        ).fetchall()
        return [(name, "TABLE" if kind == "table" else "VIEW") for name, kind in rows]

    def find(self, name):
        """The stored name of a table or view, matched without regard to case, or None."""
        for stored, _ in self.objects():
            if stored.lower() == name.lower():
                return stored
        return None

    def columns(self, name):
        rows = self.db.execute('PRAGMA table_info("%s")' % name.replace('"', '""')).fetchall()
        return [Column(row[1], parse_type(row[2]), not row[3]) for row in rows]

    def rows(self, name):
        """An iterator over the rows in storage order."""
        return self.db.execute('SELECT * FROM "%s"' % name.replace('"', '""'))

    def count(self, name):
        return self.db.execute('SELECT COUNT(*) FROM "%s"' % name.replace('"', '""')).fetchone()[0]
