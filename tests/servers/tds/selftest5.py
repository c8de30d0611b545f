"""The Sybase half of the self-test: FreeTDS with TDS_Version=5.0 against the ASE kind of the
server, over the fetch paths the transfer uses (no server cursors exist there)."""

import datetime
import sqlite3
import struct

from . import sqlsource as src

# (column, declared type); what SQLDescribeCol says is printed, not checked: it is FreeTDS's.
COLUMNS = [
    ("id", "int"), ("si", "smallint"), ("ti", "tinyint"), ("bi", "bigint"), ("us", "unsigned smallint"),
    ("ui", "unsigned int"), ("ub", "unsigned bigint"), ("bt", "bit"), ("dc", "decimal(38,10)"),
    ("nm", "numeric(10,2)"), ("mo", "money"), ("sm", "smallmoney"), ("fl", "float"), ("re", "real"),
    ("dt", "datetime"), ("sdt", "smalldatetime"), ("d", "date"), ("t", "time"), ("bdt", "bigdatetime"),
    ("c", "char(10)"), ("vc", "varchar(50)"), ("lvc", "varchar(1000)"), ("nc", "nchar(10)"), ("nvc", "nvarchar(40)"),
    ("uc", "unichar(10)"), ("uvc", "univarchar(40)"), ("tx", "text"), ("utx", "unitext"), ("bin", "binary(8)"),
    ("vb", "varbinary(50)"), ("img", "image"),
]
BINARY = {"bin", "vb", "img", "utx"}  # unitext arrives as image: FreeTDS does not ask for it
ROWS = 1234
WORDS = ["Straße", "Grüße", "naïve", "Œuvre €", "abc", "plain", "日本語"]


def make_row(rng, i):
    if i % 89 == 7:
        return [i] + [None] * (len(COLUMNS) - 1)
    day = datetime.date(1900, 1, 1) + datetime.timedelta(days=rng.randrange(0, 65000))
    secs = rng.randrange(0, 86400)
    hms = "%02d:%02d:%02d" % (secs // 3600, secs // 60 % 60, secs % 60)
    ms = "%03d" % ((rng.randrange(0, 300) * 10 + 1) // 3)
    word = rng.choice(WORDS)
    blob = bytes(rng.randrange(256) for _ in range(rng.randrange(1, 40)))
    return [
        i, rng.randrange(-2**15, 2**15), rng.randrange(0, 256), rng.randrange(-2**63, 2**63),
        rng.randrange(0, 2**16), rng.randrange(0, 2**32), rng.randrange(0, 2**63), i % 2,
        ("%s%d.%010d" % (rng.choice(["", "-"]), rng.randrange(10**27), rng.randrange(10**10))).encode("ascii"),
        "%d.%02d" % (rng.randrange(10**8), rng.randrange(100)),
        ("%s%d.%04d" % (rng.choice(["", "-"]), rng.randrange(10**14), rng.randrange(10**4))).encode("ascii"),
        "%d.%04d" % (rng.randrange(214747), rng.randrange(10**4)),
        rng.uniform(-1e6, 1e6), struct.unpack("<f", struct.pack("<f", rng.uniform(-1000, 1000)))[0],
        "%s %s.%s" % (day, hms, ms), "%s %s:00" % (day, hms[:5]), str(day), "%s.%s" % (hms, ms),
        "%s %s.%06d" % (day, hms, rng.randrange(10**6)),
        "abc"[: rng.randrange(1, 4)], word + str(i), word * rng.randrange(1, 40), word[:3], word + str(i),
        word[:10], word * 2 + str(i), word * rng.randrange(1, 200), word * 3 + "😀", blob[:8], blob, blob * 20,
    ]


def normalise(name, declared, value):
    if value is None:
        return None
    t = src.parse_type(declared)
    n = t.name
    if name == "utx":
        return value.encode("utf-16-le") if isinstance(value, str) else bytes(value)
    if name in BINARY:
        data = bytes(value)
        return data.ljust(t.length, b"\x00") if n == "binary" else data
    if isinstance(value, bytes):
        value = value.decode("ascii")
    if n in ("int", "bigint", "smallint", "tinyint", "bit") or n.startswith("unsigned"):
        return int(value)
    if n in ("decimal", "numeric", "money", "smallmoney"):
        return src.parse_decimal(value, t.scale if n in ("decimal", "numeric") else 4)
    if n == "float":
        return float(value)
    if n == "real":
        return round(float(value), 2)
    if n in ("datetime", "smalldatetime", "date", "time", "bigdatetime"):
        date, ticks, _ = src.parse_datetime(value)
        if n in ("datetime", "time"):
            ticks = (ticks + 5000) // 10000
        return date, ticks
    if n == "char":
        return str(value).ljust(t.length)
    if n == "nchar":
        return str(value).rstrip(" ")  # padded to bytes, not characters
    if n == "unichar":
        return str(value).ljust(t.length)
    return str(value)


def fill(db, rng):
    con = sqlite3.connect(db)
    con.execute("CREATE TABLE SybTypen (%s)" % ", ".join("%s %s" % c for c in COLUMNS))
    rows = [make_row(rng, i) for i in range(1, ROWS + 1)]
    con.executemany("INSERT INTO SybTypen VALUES (%s)" % ",".join("?" * len(COLUMNS)), rows)
    con.commit()
    con.close()
    return rows


def read_all(conn, check, stored, mode, array=1, cursor_type=None):
    from . import odbc

    with conn.statement() as st:
        if cursor_type is not None:
            st.set_attr(odbc.SQL_ATTR_CURSOR_TYPE, cursor_type)
        st.execute("SELECT * FROM SybTypen")
        got = []
        kinds = [odbc.SQL_C_BINARY if n in BINARY else odbc.SQL_C_WCHAR for n, _ in COLUMNS]
        if array == 1:
            while st.fetch():
                got.append([st.get_data(c, k) for c, k in enumerate(kinds, 1)])
        else:
            st.bind_columns([(k, 8000) for k in kinds], array)
            while st.fetch():
                for r in range(st.fetched.value):
                    got.append([st.bound_value(r, c) for c in range(len(COLUMNS))])
        check.equal("5.0 %s row count" % mode, len(got), len(stored))
        for i, (s, f) in enumerate(zip(stored, got)):
            for (name, declared), sv, fv in zip(COLUMNS, s, f):
                check.equal("5.0 %s row %d col %s" % (mode, i + 1, name), normalise(name, declared, fv), normalise(name, declared, sv))
        return st.warnings


def run(check, db, rng, user, password, facts=False):
    from . import odbc

    stored = fill(db, rng)
    try:
        odbc.Connection("st_sybase", user, "falsch")
        check.equal("5.0 wrong password refused", False, True)
    except odbc.OdbcError as exc:
        print("5.0 wrong password:", exc.records)
        check.equal("5.0 wrong password: native 4002", any(r[1] == 4002 for r in exc.records), True)
    with odbc.Connection("st_sybase", user, password) as conn:
        catalog = conn.current_catalog()
        check.equal("5.0 current catalog", catalog, "sqlvantor")
        print("5.0 driver:", conn.info_text(odbc.SQL_DRIVER_NAME), "dbms:", conn.info_text(odbc.SQL_DBMS_NAME),
              conn.info_text(odbc.SQL_DBMS_VER), "quote: %r" % conn.info_text(odbc.SQL_IDENTIFIER_QUOTE_CHAR))
        with conn.statement() as st:
            st.tables(catalog, None, None, "TABLE,VIEW")
            listed = []
            while st.fetch():
                listed.append(tuple(st.get_data(c, odbc.SQL_C_WCHAR) for c in range(1, 6)))
            check.equal("5.0 SQLTables", [(r[2], r[3]) for r in listed], [("Lang", "TABLE"), ("SybTypen", "TABLE"), ("Typen", "TABLE"), ("Sicht", "VIEW")])
        with conn.statement() as st:
            st.execute("SELECT COUNT(*) AS SatzZahl FROM SybTypen")
            st.fetch()
            check.equal("5.0 count", st.get_data(1, odbc.SQL_C_WCHAR), str(ROWS))
        with conn.statement() as st:
            try:
                st.execute("SELECT * FROM Fehlt")
                check.equal("5.0 unknown table fails", False, True)
            except odbc.OdbcError as exc:
                check.equal("5.0 unknown table: 208", exc.records[0][1], 208)
        with conn.statement() as st:
            st.execute("SELECT * FROM SybTypen")
            described = [st.describe(c)[1:3] for c in range(1, len(COLUMNS) + 1)]
            print("5.0 SQLDescribeCol (type, size):", ", ".join("%s %s" % (n, d) for (n, _), d in zip(COLUMNS, described)))
        read_all(conn, check, stored, "forward")
        read_all(conn, check, stored, "forward array", array=100)
        warnings = read_all(conn, check, stored, "keyset request", cursor_type=odbc.SQL_CURSOR_KEYSET_DRIVEN)
        print("5.0 keyset request warnings:", warnings[:2])
        check_long(conn, check, db)


def check_long(conn, check, db):
    """Values far over 64 KB: text and image (and unitext/ntext as image) in chunks."""
    from . import odbc

    con = sqlite3.connect(db)
    expected = con.execute("SELECT id, nt, tx, im, x FROM Lang ORDER BY id").fetchall()
    con.close()
    with conn.statement() as st:
        st.execute("SELECT * FROM Lang")
        for row in expected:
            check.equal("5.0 long row present", st.fetch(), True)
            nt = st.get_data(2, odbc.SQL_C_BINARY, chunk=5000)
            check.equal("5.0 long ntext (as image)", nt, None if row[1] is None else row[1].encode("utf-16-le"))
            check.equal("5.0 long text", st.get_data(3, odbc.SQL_C_WCHAR, chunk=5000), row[2])
            check.equal("5.0 long image", st.get_data(4, odbc.SQL_C_BINARY, chunk=5000), row[3])
        check.equal("5.0 long rows end", st.fetch(), False)
