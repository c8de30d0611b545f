"""Self-test: the real FreeTDS driver (through unixODBC) against this server, on the fetch paths
the transfer uses. Run as `python3 -m tds.selftest` from tests/servers; exits 77 (skipped) when
tdsodbc or unixODBC is missing. With --facts it also prints what the driver does with the
unusual types (for the notes)."""

import argparse
import datetime
import decimal
import os
import random
import sqlite3
import struct
import subprocess
import sys
import tempfile
import time

from . import sqlsource as src

DRIVER = "/usr/lib/x86_64-linux-gnu/odbc/libtdsodbc.so"
USER, PASSWORD = "pruefer", "Geheim-42"
ROWS = 2345  # several rowsets of 100 and a short last one

# (column, declared type, expected SQLDescribeCol type as FreeTDS reports it)
COLUMNS = [
    ("id", "int", 4), ("bi", "bigint", -5), ("si", "smallint", 5), ("ti", "tinyint", -6), ("bt", "bit", -7),
    ("dc", "decimal(38,10)", 2), ("nm", "numeric(10,2)", 2), ("mo", "money", 3), ("sm", "smallmoney", 3),
    ("fl", "float", 8), ("re", "real", 7), ("dt", "datetime", 93), ("sdt", "smalldatetime", 93),
    ("dt2", "datetime2(7)", 93), ("d", "date", 91), ("t", "time(7)", -154), ("dto", "datetimeoffset(7)", -155),
    ("c", "char(10)", 1), ("vc", "varchar(50)", 12), ("nc", "nchar(10)", -8), ("nvc", "nvarchar(100)", -9),
    ("nvm", '"nvarchar(max)"', -9), ("vm", '"varchar(max)"', 12), ("tx", "text", -1), ("ntx", "ntext", -10),
    ("bin", "binary(8)", -2), ("vb", "varbinary(50)", -3), ("vbm", '"varbinary(max)"', -3), ("img", "image", -4),
    ("g", "uniqueidentifier", -11), ("x", "xml", -152), ("v", "sql_variant", -150),
]
BINARY = {"bin", "vb", "vbm", "img"}
WORDS = ["Straße", "Grüße", "naïve", "Œuvre €", "abc", "x", "Ärger", "plain"]
UNICODE_WORDS = ["Grüße 😀", "日本語", "Ωμέγα", "emoji 🎉🎉", "a'b", "plain"]


def make_row(rng, i):
    """One row: (values to store, values the driver must give back as text/bytes)."""
    if i % 97 == 5:
        return [i] + [None] * (len(COLUMNS) - 1)
    day = datetime.date(1900, 1, 1) + datetime.timedelta(days=rng.randrange(0, 80000))
    small_day = datetime.date(1900, 1, 1) + datetime.timedelta(days=rng.randrange(0, 65000))
    secs = rng.randrange(0, 86400)
    hms = "%02d:%02d:%02d" % (secs // 3600, secs // 60 % 60, secs % 60)
    frac7 = "%07d" % rng.randrange(0, 10**7)
    t300 = rng.randrange(0, 300)
    ms = "%03d" % ((t300 * 10 + 1) // 3)
    offset = rng.choice(["+02:00", "-05:30", "+00:00", "+14:00"])
    dec = "%s%d.%010d" % (rng.choice(["", "-"]), rng.randrange(0, 10**27), rng.randrange(0, 10**10))
    money = "%s%d.%04d" % (rng.choice(["", "-"]), rng.randrange(0, 10**14), rng.randrange(0, 10**4))
    small = "%s%d.%04d" % (rng.choice(["", "-"]), rng.randrange(0, 214747), rng.randrange(0, 10**4))
    word = rng.choice(WORDS)
    uword = rng.choice(UNICODE_WORDS)
    blob = bytes(rng.randrange(256) for _ in range(rng.randrange(1, 40)))
    variant = rng.choice(
        ["int:%d" % rng.randrange(-10**6, 10**6), "nvarchar:%s" % uword, "float:0.25", "decimal(10,2):12.34",
         "datetime:2024-01-01 10:00:00", "bigint:%d" % (2**40 + i)]
    )
    values = [
        i, rng.randrange(-2**63, 2**63), rng.randrange(-2**15, 2**15), rng.randrange(0, 256), i % 2,
        dec.encode("ascii"), "%d.%02d" % (rng.randrange(0, 10**8), rng.randrange(100)), money.encode("ascii"), small,
        rng.uniform(-1e6, 1e6), struct.unpack("<f", struct.pack("<f", rng.uniform(-1000, 1000)))[0],
        "%s %s.%s" % (day, hms, ms), "%s %s:00" % (small_day, hms[:5]), "%s %s.%s" % (day, hms, frac7),
        str(day), "%s.%s" % (hms, frac7), "%s %s.%s %s" % (day, hms, frac7, offset),
        word[:10], word + " " + str(i), uword[:8], uword + str(i), uword * rng.randrange(1, 50), word * 20,
        word * rng.randrange(1, 30), uword * 3, blob[:8], blob, blob * 10, blob * 5,
        "%08X-%04X-%04X-%04X-%012X" % (rng.getrandbits(32), rng.getrandbits(16), rng.getrandbits(16), rng.getrandbits(16), rng.getrandbits(48)),
        "<r n=\"%d\">%s</r>" % (i, uword), variant,
    ]
    return values


def normalise(name, declared, value):
    """Brings stored and fetched text to one comparable form."""
    if value is None:
        return None
    t = src.parse_type(declared.strip('"'))
    n = t.name
    if isinstance(value, bytes) and name not in BINARY:
        value = value.decode("ascii")
    if name in BINARY:
        data = bytes(value)
        return data.ljust(t.length, b"\x00") if n == "binary" else data
    if n in ("int", "bigint", "smallint", "tinyint", "bit"):
        return int(value)
    if n in ("decimal", "numeric", "money", "smallmoney"):
        return src.parse_decimal(value, t.scale if n in ("decimal", "numeric") else 4)
    if n == "float":
        return float(value)
    if n == "real":
        return round(float(value), 2)
    if n in ("datetime", "smalldatetime", "datetime2", "date", "time", "datetimeoffset"):
        date, ticks, offset = src.parse_datetime(value)
        if n == "datetime":
            ticks = (ticks + 5000) // 10000  # FreeTDS shows milliseconds
        return date, ticks, offset
    if n in ("char", "nchar"):
        return str(value).ljust(t.length)
    if n == "uniqueidentifier":
        return str(value).upper()
    if n == "sql_variant":
        vt, inner = src.parse_variant(value) if ":" in str(value) and not str(value)[0].isdigit() else (None, value)
        return str(inner)
    return str(value)


def normalise_variant_fetched(stored, fetched):
    """sql_variant comes back as the base type's text; compare it with the stored base value."""
    vt, inner = src.parse_variant(stored)
    return normalise("v_" + vt.name, vt.name if vt.name not in ("decimal",) else "decimal(%d,%d)" % (vt.precision, vt.scale), inner) == normalise(
        "v_" + vt.name, vt.name if vt.name not in ("decimal",) else "decimal(%d,%d)" % (vt.precision, vt.scale), fetched
    )


class Check:
    def __init__(self):
        self.failures = 0
        self.passed = 0

    def equal(self, what, got, expected):
        if got == expected:
            self.passed += 1
            return True
        self.failures += 1
        if self.failures <= 40:
            print("FAIL %s: got %r, expected %r" % (what, got, expected))
        return False


def compare_row(check, what, stored, fetched):
    for (name, declared, _), s, f in zip(COLUMNS, stored, fetched):
        if name == "v" and s is not None and f is not None:
            if not normalise_variant_fetched(s, f):
                check.equal("%s col %s" % (what, name), f, s)
            else:
                check.passed += 1
            continue
        check.equal("%s col %s" % (what, name), normalise(name, declared, f), normalise(name, declared, s))


def start_server(workdir, db):
    with open(os.path.join(workdir, "pw"), "w") as f:
        f.write(PASSWORD + "\n")
    port_file = os.path.join(workdir, "port")
    here = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
    proc = subprocess.Popen(
        [sys.executable, "-m", "tds", "--database", db, "--user", USER, "--password-file", os.path.join(workdir, "pw"),
         "--port-file", port_file, "--lifetime", "900", "--log", os.path.join(workdir, "server.log"), "--verbose"],
        cwd=here,
    )
    for _ in range(100):
        if os.path.exists(port_file):
            break
        time.sleep(0.1)
    with open(port_file) as f:
        port = int(f.read())
    with open(os.path.join(workdir, "odbcinst.ini"), "w") as f:
        f.write("[FreeTDS]\nDriver=%s\n" % DRIVER)
    with open(os.path.join(workdir, "odbc.ini"), "w") as f:
        for dsn, version in (("st_mssql", "7.4"), ("st_sybase", "5.0")):
            f.write("[%s]\nDriver=FreeTDS\nServer=127.0.0.1\nPort=%d\nTDS_Version=%s\nDatabase=sqlvantor\nClientCharset=UTF-8\n\n" % (dsn, port, version))
    with open(os.path.join(workdir, "freetds.conf"), "w") as f:
        f.write("[global]\n\ttds version = auto\n")
    os.environ.update(ODBCSYSINI=workdir, ODBCINI=os.path.join(workdir, "odbc.ini"), FREETDSCONF=os.path.join(workdir, "freetds.conf"))
    return proc


def fill(db, rng):
    con = sqlite3.connect(db)
    con.execute("CREATE TABLE Typen (%s)" % ", ".join("%s %s" % (n, d) for n, d, _ in COLUMNS))
    rows = [make_row(rng, i) for i in range(1, ROWS + 1)]
    con.executemany("INSERT INTO Typen VALUES (%s)" % ",".join("?" * len(COLUMNS)), rows)
    con.execute('CREATE TABLE Lang (id int, nt ntext, tx text, im image, nvm "nvarchar(max)", vbm "varbinary(max)", x xml)')
    big_text = "".join(rng.choice(WORDS) + " " for _ in range(25000))  # ~ 170 KB
    big_u = "".join(rng.choice(UNICODE_WORDS) for _ in range(20000))
    big_b = bytes(rng.randrange(256) for _ in range(150000))
    con.execute("INSERT INTO Lang VALUES (1, ?, ?, ?, ?, ?, ?)", (big_u, big_text, big_b, big_u, big_b, "<a>%s</a>" % big_u))
    con.execute("INSERT INTO Lang VALUES (2, NULL, NULL, NULL, NULL, NULL, NULL)")
    con.execute("CREATE VIEW Sicht AS SELECT id, vc FROM Typen")
    con.commit()
    con.close()
    return rows


def read_forward(conn, check, stored, mode_name, cursor_type=None, concurrency=None, array=1):
    from . import odbc

    st = conn.statement()
    try:
        if cursor_type is not None:
            st.set_attr(odbc.SQL_ATTR_CURSOR_TYPE, cursor_type)
        if concurrency is not None:
            st.set_attr(odbc.SQL_ATTR_CONCURRENCY, concurrency)
        st.execute("SELECT * FROM Typen")
        got = []
        if array == 1:
            while st.fetch():
                got.append([st.get_data(c, odbc.SQL_C_BINARY if n in BINARY else odbc.SQL_C_WCHAR) for c, (n, _, _) in enumerate(COLUMNS, 1)])
        else:
            st.bind_columns([(odbc.SQL_C_BINARY if n in BINARY else odbc.SQL_C_WCHAR, 4000) for n, _, _ in COLUMNS], array)
            sizes = []
            while st.fetch():
                sizes.append(st.fetched.value)
                for r in range(st.fetched.value):
                    got.append([st.bound_value(r, c) for c in range(len(COLUMNS))])
            check.equal("%s rowset sizes" % mode_name, sizes[-1], ROWS % array or array)
        check.equal("%s row count" % mode_name, len(got), len(stored))
        for i, (s, f) in enumerate(zip(stored, got)):
            compare_row(check, "%s row %d" % (mode_name, i + 1), s, f)
        return st.warnings
    finally:
        st.close()


def run(args):
    from . import odbc

    check = Check()
    rng = random.Random(20240229)
    with tempfile.TemporaryDirectory(prefix="tds-selftest-") as workdir:
        db = os.path.join(workdir, "db.sqlite")
        stored = fill(db, rng)
        server = start_server(workdir, db)
        try:
            try:
                odbc.Connection("st_mssql", USER, "falsch")
                check.equal("wrong password refused", False, True)
            except odbc.OdbcError as exc:
                check.equal("wrong password: native 18456", any(r[1] == 18456 for r in exc.records), True)
                print("wrong password:", exc.records)
            with odbc.Connection("st_mssql", USER, PASSWORD) as conn:
                catalog = conn.current_catalog()
                check.equal("current catalog", catalog, "sqlvantor")
                print("driver:", conn.info_text(odbc.SQL_DRIVER_NAME), conn.info_text(odbc.SQL_DRIVER_VER),
                      "dbms:", conn.info_text(odbc.SQL_DBMS_NAME), conn.info_text(odbc.SQL_DBMS_VER),
                      "getdata extensions: 0x%x" % conn.info_int(odbc.SQL_GETDATA_EXTENSIONS),
                      "quote: %r" % conn.info_text(odbc.SQL_IDENTIFIER_QUOTE_CHAR))
                with conn.statement() as st:
                    st.tables(catalog, None, None, "TABLE,VIEW")
                    listed = []
                    while st.fetch():
                        listed.append(tuple(st.get_data(c, odbc.SQL_C_WCHAR) for c in range(1, 6)))
                    ours = [(r[2], r[3]) for r in listed if r[1] == "dbo"]
                    check.equal("SQLTables dbo", ours, [("Lang", "TABLE"), ("Typen", "TABLE"), ("Sicht", "VIEW")])
                    check.equal("SQLTables system views", any(r[1] == "sys" and r[3] == "VIEW" for r in listed), True)
                    check.equal("SQLTables catalog", {r[0] for r in listed}, {"sqlvantor"})
                with conn.statement() as st:
                    st.execute("SELECT COUNT(*) AS SatzZahl FROM [dbo].[Typen]")
                    st.fetch()
                    check.equal("count", st.get_data(1, odbc.SQL_C_WCHAR), str(ROWS))
                with conn.statement() as st:
                    st.execute("SELECT * FROM Typen")
                    for c, (n, d, sql_type) in enumerate(COLUMNS, 1):
                        check.equal("SQLDescribeCol %s %s" % (n, d), st.describe(c)[1], sql_type)
                with conn.statement() as st:
                    try:
                        st.execute("SELECT * FROM Fehlt")
                        check.equal("unknown table fails", False, True)
                    except odbc.OdbcError as exc:
                        check.equal("unknown table: 208", exc.records[0][1], 208)
                        check.equal("unknown table: 42S02", exc.records[0][0], "42S02")
                t0 = time.time()
                read_forward(conn, check, stored, "forward")
                read_forward(conn, check, stored, "forward array", array=100)
                read_forward(conn, check, stored, "keyset", odbc.SQL_CURSOR_KEYSET_DRIVEN, odbc.SQL_CONCUR_LOCK)
                read_forward(conn, check, stored, "keyset array", odbc.SQL_CURSOR_KEYSET_DRIVEN, odbc.SQL_CONCUR_LOCK, array=100)
                read_forward(conn, check, stored, "dynamic", odbc.SQL_CURSOR_DYNAMIC)
                read_forward(conn, check, stored, "dynamic array", odbc.SQL_CURSOR_DYNAMIC, array=100)
                print("six full reads of %d rows: %.1f s" % (ROWS, time.time() - t0))
                check_long(conn, check, db)
                check_scrolling(conn, check)
                check_two_sessions(conn, check, stored)
                check_early_close(conn, check)
                if args.facts:
                    facts(conn)
            from . import selftest5

            selftest5.run(check, db, rng, USER, PASSWORD, args.facts)
        finally:
            server.terminate()
            server.wait()
            if check.failures or args.verbose:
                with open(os.path.join(workdir, "server.log")) as f:
                    lines = [line for line in f if " rpc " in line or " batch: " in line or "Error" in line]
                    print("".join(lines[-60:]))
    print("%d checks passed, %d failed" % (check.passed, check.failures))
    return 1 if check.failures else 0


def check_long(conn, check, db):
    from . import odbc

    con = sqlite3.connect(db)
    expected = con.execute("SELECT * FROM Lang ORDER BY id").fetchall()
    con.close()
    kinds = [odbc.SQL_C_WCHAR, odbc.SQL_C_WCHAR, odbc.SQL_C_BINARY, odbc.SQL_C_WCHAR, odbc.SQL_C_BINARY, odbc.SQL_C_WCHAR]
    with conn.statement() as st:
        st.execute("SELECT * FROM Lang")
        for row in expected:
            check.equal("long row present", st.fetch(), True)
            for c, kind in enumerate(kinds, 2):
                value = st.get_data(c, kind, chunk=4000)
                check.equal("long value %d/%d" % (row[0], c), value, row[c - 1])
        check.equal("long rows end", st.fetch(), False)
    with conn.statement() as st:
        st.execute("SELECT * FROM Lang")
        st.fetch()
        narrow = st.get_data(2, odbc.SQL_C_CHAR, chunk=3001)
        check.equal("long ntext as UTF-8 chunks", narrow, expected[0][1])


def check_early_close(conn, check):
    """Closing a cursor after a few rows cancels the rest; the next statement reads its own."""
    from . import odbc

    for cursor_type in (odbc.SQL_CURSOR_FORWARD_ONLY, odbc.SQL_CURSOR_KEYSET_DRIVEN):
        with conn.statement() as st:
            st.set_attr(odbc.SQL_ATTR_CURSOR_TYPE, cursor_type)
            started = time.time()
            for _ in range(3):
                st.execute("SELECT * FROM Typen")
                for _ in range(5):
                    st.fetch()
                st.close_cursor()
                st.execute("SELECT COUNT(*) AS SatzZahl FROM Typen")
                st.fetch()
                check.equal("count after early close", st.get_data(1, odbc.SQL_C_WCHAR), str(ROWS))
                st.close_cursor()
            print("three early closes (cursor type %d): %.2f s" % (cursor_type, time.time() - started))


def check_two_sessions(conn, check, stored):
    """Two connections at once, their fetches interleaved: each session keeps its own rows."""
    from . import odbc

    with odbc.Connection("st_mssql", USER, PASSWORD) as other:
        with conn.statement() as a, other.statement() as b:
            a.execute("SELECT * FROM Typen")
            b.set_attr(odbc.SQL_ATTR_CURSOR_TYPE, odbc.SQL_CURSOR_KEYSET_DRIVEN)
            b.execute("SELECT * FROM Typen")
            for i in range(300):
                a.fetch()
                b.fetch()
                check.equal("interleaved row %d" % (i + 1), (a.get_data(1, odbc.SQL_C_WCHAR), b.get_data(1, odbc.SQL_C_WCHAR)), (str(i + 1), str(i + 1)))


def check_scrolling(conn, check):
    """Keyset and dynamic cursors scroll as ODBC says: the ids of each rowset."""
    from . import odbc

    for cursor_type in (odbc.SQL_CURSOR_KEYSET_DRIVEN, odbc.SQL_CURSOR_DYNAMIC, odbc.SQL_CURSOR_STATIC):
        with conn.statement() as st:
            st.set_attr(odbc.SQL_ATTR_CURSOR_TYPE, cursor_type)
            st.execute("SELECT * FROM Typen")
            st.bind_columns([(odbc.SQL_C_WCHAR, 64)], 100)

            def ids():
                return [int(st.bound_value(r, 0)) for r in range(st.fetched.value)]

            steps = [
                (odbc.SQL_FETCH_NEXT, 0, list(range(1, 101))),
                (odbc.SQL_FETCH_NEXT, 0, list(range(101, 201))),
                (odbc.SQL_FETCH_PRIOR, 0, list(range(1, 101))),
                (odbc.SQL_FETCH_LAST, 0, list(range(ROWS - 99, ROWS + 1))),
                (odbc.SQL_FETCH_ABSOLUTE, 2301, list(range(2301, ROWS + 1))),
                (odbc.SQL_FETCH_NEXT, 0, None),
                (odbc.SQL_FETCH_ABSOLUTE, -10, list(range(ROWS - 9, ROWS + 1))),
                (odbc.SQL_FETCH_RELATIVE, -50, list(range(ROWS - 59, ROWS + 1))),
                (odbc.SQL_FETCH_FIRST, 0, list(range(1, 101))),
                (odbc.SQL_FETCH_PRIOR, 0, None),
            ]
            if cursor_type == odbc.SQL_CURSOR_DYNAMIC:
                # FreeTDS sends ABSOLUTE on a dynamic cursor as FIRST (no rows) + RELATIVE, so a
                # negative one lands before the first row, and RELATIVE goes on from there.
                steps[6] = (odbc.SQL_FETCH_ABSOLUTE, -10, None)
                steps[7] = (odbc.SQL_FETCH_RELATIVE, -50, None)
            for n, (orientation, offset, expected) in enumerate(steps):
                found = st.fetch_scroll(orientation, offset)
                got = ids() if found else None
                check.equal("scroll type %d step %d" % (cursor_type, n), got, expected)


def getdata_in_rowsets(conn):
    """What FreeTDS's SQLGetData reads after SQLSetPos inside a keyset rowset of 100."""
    from . import odbc

    with conn.statement() as st:
        st.set_attr(odbc.SQL_ATTR_CURSOR_TYPE, odbc.SQL_CURSOR_KEYSET_DRIVEN)
        st.set_attr(odbc.SQL_ATTR_CONCURRENCY, odbc.SQL_CONCUR_LOCK)
        st.execute("SELECT * FROM Typen")
        st.set_attr(odbc.SQL_ATTR_ROW_ARRAY_SIZE, 100)
        seen = []
        for rowset in range(2):
            st.fetch()
            for row in (1, 2, 50, 100):
                try:
                    st.set_pos(row)
                    seen.append((rowset * 100 + row, st.get_data(1, odbc.SQL_C_WCHAR)))
                except odbc.OdbcError as exc:
                    seen.append((rowset * 100 + row, exc.sqlstate))
        print("keyset, rowsets of 100, SQLSetPos(n) + SQLGetData(id): (wanted, got)", seen)
    with conn.statement() as st:
        st.set_attr(odbc.SQL_ATTR_CURSOR_TYPE, odbc.SQL_CURSOR_KEYSET_DRIVEN)
        st.execute("SELECT * FROM Typen")
        st.set_attr(odbc.SQL_ATTR_ROW_ARRAY_SIZE, 100)
        st.fetch_scroll(odbc.SQL_FETCH_LAST)
        try:
            st.set_pos(1)
            print("short last rowset, SQLSetPos(1) + SQLGetData:", st.get_data(1, odbc.SQL_C_WCHAR))
        except odbc.OdbcError as exc:
            print("short last rowset, SQLSetPos(1) + SQLGetData:", exc.records)


def facts(conn):
    from . import odbc

    getdata_in_rowsets(conn)
    print("--- conversions (first non-NULL row) ---")
    probes = [("v", "sql_variant"), ("t", "time"), ("dto", "datetimeoffset"), ("x", "xml")]
    for name, label in probes:
        col = [n for n, _, _ in COLUMNS].index(name) + 1
        for c_type, c_name in ((odbc.SQL_C_WCHAR, "WCHAR"), (odbc.SQL_C_CHAR, "CHAR"), (odbc.SQL_C_TYPE_TIMESTAMP, "TIMESTAMP"), (odbc.SQL_C_BINARY, "BINARY")):
            with conn.statement() as st:
                st.execute("SELECT * FROM Typen")
                st.fetch()
                try:
                    if c_type in (odbc.SQL_C_WCHAR, odbc.SQL_C_CHAR):
                        value = st.get_data(col, c_type)
                    elif c_type == odbc.SQL_C_BINARY:
                        value = st.get_data(col, c_type).hex()
                    else:
                        raw = st.get_struct(col, c_type, 16)
                        value = struct.unpack("<hHHHHHI", raw) if raw else raw
                except odbc.OdbcError as exc:
                    value = "error %s" % exc.records
                print("%-15s -> SQL_C_%-9s %r" % (label, c_name, value))
    with conn.statement() as st:
        st.execute("SELECT * FROM Typen")
        col = [n for n, _, _ in COLUMNS].index("v") + 1
        print("sql_variant type name:", st.col_attr_text(col, odbc.SQL_DESC_TYPE_NAME))
        st.fetch()
        try:
            print("sql_variant SQL_CA_SS_VARIANT_TYPE:", st.col_attr_text(col, odbc.SQL_CA_SS_VARIANT_TYPE))
        except odbc.OdbcError as exc:
            print("sql_variant SQL_CA_SS_VARIANT_TYPE:", exc.records)


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--facts", action="store_true")
    parser.add_argument("--verbose", action="store_true")
    args = parser.parse_args()
    if not os.path.exists(DRIVER):
        print("tdsodbc is not installed; skipped")
        return 77
    try:
        from . import odbc  # noqa: F401
    except OSError:
        print("libodbc is not installed; skipped")
        return 77
    return run(args)


if __name__ == "__main__":
    sys.exit(main())
