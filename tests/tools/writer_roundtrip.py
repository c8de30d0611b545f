#!/usr/bin/env python3
"""Fills copies of Access-made databases through `jettool exec` and `jettool import` and checks them.

For each (file, table, rows) case: the table is emptied with DELETE FROM, filled with generated rows in
shuffled key order (deep trees, page splits, map promotion), emptied and filled again. After each step
`jettool check` must be clean; after the fills `jettool export` must give back the rows that went in,
`mdb-count` must count them, and compare_exports.py must find jettool, mdb-export and mdb-reader in
agreement. Values are generated from the column types that `jettool schema` reports, unique where an
index needs it, NULL in every seventh row where the column allows it.

Exit status: 0 when every case passes, 1 otherwise, 77 when the fixtures are missing.
"""

from __future__ import annotations

import argparse
import csv
import io
import random
import re
import shutil
import subprocess
import sys
import tempfile
from pathlib import Path

HERE = Path(__file__).resolve().parent
SKIP = 77
CASES = [
    ("testIndexPropertiesV2003.mdb", "TableIgnoreNulls1", 5000),
    ("testIndexPropertiesV2003.mdb", "TableIgnoreNulls2", 3000),
    ("compIndexTestV2003.mdb", "Table1", 5000),
    ("indexTestV2003.mdb", "Table1", 3000),
    ("fixedTextTestV2003.mdb", "users", 3000),
    ("test2V2003.mdb", "MSP_PROJECTS", 400),
    ("testPromotionV2003.mdb", "jobDB1", 1500),
    ("testV2000.mdb", "Table1", 3000),
    ("testRefGlobalV2000.mdb", "Table1", 2000),
    ("testUnicodeCompV2003.mdb", "Table", 3000),
    ("delColTestV2003.mdb", "Table1", 2000),
    ("fixedNumericTestV2003.mdb", "test", 2000),
    ("overflowTestV2003.mdb", "Table1", 2000),
]
# Access 97 files: every table the transfer could refill, 5,000 rows where the file has room.
JET3_CASES = [
    ("compIndexTestV1997.mdb", "Table1", 5000),
    ("indexTestV1997.mdb", "Table1", 5000),
    ("indexTestV1997.mdb", "Table2", 3000),
    ("indexTestV1997.mdb", "Table3", 3000),
    ("testV1997.mdb", "Table1", 5000),
    ("testV1997.mdb", "Table2", 2000),
    ("testIndexCodesV1997.mdb", "Table1", 5000),
    ("overflowTestV1997.mdb", "Table1", 2000),
    ("delColTestV1997.mdb", "Table1", 2000),
    ("delTestV1997.mdb", "Table", 2000),
    ("queryTestV1997.mdb", "Table1", 2000),
    ("test2V1997.mdb", "MSP_PROJECTS", 400),
]
# Access 2007 and 2010 files (.accdb): General Legacy text indexes in the 2007 files, General
# (2010) ones in the 2010 files, ACE Decimal keys.
ACE_CASES = [
    ("testIndexPropertiesV2007.accdb", "TableIgnoreNulls1", 5000),
    ("testIndexPropertiesV2010.accdb", "TableIgnoreNulls2", 5000),
    ("compIndexTestV2007.accdb", "Table1", 5000),
    ("compIndexTestV2010.accdb", "Table1", 5000),
    ("indexTestV2007.accdb", "Table1", 3000),
    ("bigIndexTestV2007.accdb", "Table1", 3000),
    ("binIdxTestV2010.accdb", "Test", 3000),
    ("indexCursorTestV2010.accdb", "test", 3000),
    ("fixedTextTestV2010.accdb", "users", 3000),
    ("fixedNumericTestV2010.accdb", "test", 2000),
    ("test2V2010.accdb", "MSP_PROJECTS", 400),
    ("testPromotionV2010.accdb", "jobDB1", 1500),
    ("testV2007.accdb", "Table1", 3000),
    ("delColTestV2010.accdb", "Table1", 2000),
    ("delTestV2010.accdb", "Table", 2000),
    ("overflowTestV2010.accdb", "Table1", 2000),
]
COLUMN = re.compile(r"^  Spalte (.+?): (\w+) Type=(\d+) Size=(\d+) .*?(Precision=(\d+) Scale=(\d+))?")
PROPERTY = re.compile(r"^    (\w+) = (.*)$")
INDEX = re.compile(r"^  Index .+? \((.*)\)(.*)$")


def run(args: list[str], **kw) -> subprocess.CompletedProcess:
    return subprocess.run(args, capture_output=True, text=True, **kw)


class Column:
    def __init__(self, name: str, kind: str, size: int, precision: int, scale: int, auto: bool):
        self.name, self.kind, self.size = name, kind, size
        self.precision, self.scale, self.auto = precision, scale, auto
        self.required = False
        self.allow_empty = False


def read_columns(jettool: str, path: Path, table: str) -> list[Column]:
    out = run([jettool, "schema", str(path), table], check=True).stdout
    columns: list[Column] = []
    for line in out.splitlines():
        m = COLUMN.match(line)
        if m:
            columns.append(Column(m[1], m[2], int(m[4]), int(m[6] or 18), int(m[7] or 0),
                                  "AutoNumber" in line))
            continue
        i = INDEX.match(line)
        if i and ("PRIMARY KEY" in i[2] or "REQUIRED" in i[2]):
            # a key column never takes NULL
            for name in i[1].split(", "):
                for c in columns:
                    if c.name == name.removesuffix(" DESC"):
                        c.required = True
            continue
        p = PROPERTY.match(line)
        if p and columns:
            if p[1] == "Required":
                columns[-1].required = p[2] == "True"
            if p[1] == "AllowZeroLength":
                columns[-1].allow_empty = p[2] == "True"
    return columns


def value(c: Column, n: int, rng: random.Random) -> str:
    """The CSV cell for row key n, in the form jettool export prints it."""
    k = c.kind
    if not c.required and k != "Boolean" and n % 7 == 3:  # a Yes/No field is never NULL
        return ""
    if k == "Boolean":
        return str(n % 2)
    if k == "Byte":
        return str(n % 256)
    if k == "Integer":
        return str(n % 32768 - 16384)
    if k == "Long":
        return str(n * 3 - 1000)
    if k == "Currency":
        return f"{n}.{n % 10000:04d}"
    if k in ("Single", "Double"):
        return repr(n + 0.5) if k == "Double" else str(n % 1000 + 0.25)
    if k == "DateTime":
        return f'"{1990 + n % 30:04d}-{1 + n % 12:02d}-{1 + n % 28:02d} {n % 24:02d}:{n % 60:02d}:00"'
    if k == "Decimal":
        digits = str(n)[: max(1, c.precision - c.scale)]
        return digits + ("." + "5".ljust(c.scale, "0") if c.scale else "")
    if k == "GUID":
        return f'"{{{n:08X}-0000-4000-8000-{rng.getrandbits(48):012X}}}"'
    if k in ("Binary", "OLE"):
        length = min(c.size or 200, 4 + n % 40) if k == "Binary" else (5000 if n % 50 == 0 else 8)
        return '"' + bytes((n + i) % 256 for i in range(length)).hex().upper() + '"'
    text = f"{n} Zeile äöü ß"
    if k == "Memo":
        text = text * (400 if n % 50 == 0 else 1)
    if k == "Text":
        text = text[: c.size] if c.size >= len(str(n)) else str(n % 10 ** c.size)
    return '"' + text.replace('"', '""') + '"'


def write_rows(columns: list[Column], count: int, rng: random.Random) -> tuple[str, list[list[str]]]:
    keys = list(range(count))
    rng.shuffle(keys)
    writable = [c for c in columns if not c.auto]
    rows = [[value(c, n, rng) for c in writable] for n in keys]
    text = io.StringIO()
    text.write(",".join(c.name for c in writable) + "\n")
    for r in rows:
        text.write(",".join(r) + "\n")
    return text.getvalue(), rows


def cells(line_csv: str, names: list[str], wanted: list[str]) -> list[tuple]:
    reader = csv.reader(io.StringIO(line_csv))
    header = next(reader)
    index = [header.index(n) for n in wanted]
    # a one-column row holding NULL is an empty line
    return sorted(tuple((row or [""])[i] for i in index) for row in reader)


def check_clean(jettool: str, path: Path, step: str) -> list[str]:
    result = run([jettool, "check", str(path)])
    return [] if result.returncode == 0 else [f"{step}: check: {result.stdout[-2000:]}"]


def run_case(args, work: Path, file: str, table: str, count: int) -> list[str]:
    path = work / file
    shutil.copyfile(Path(args.fixtures) / file, path)
    problems: list[str] = []
    columns = read_columns(args.jettool, path, table)
    rng = random.Random(f"{file}/{table}")
    for round_ in (1, 2):
        step = f"{file} {table} round {round_}"
        result = run([args.jettool, "exec", str(path), f"DELETE FROM [{table}]"])
        if result.returncode != 0:
            return [f"{step}: DELETE FROM failed: {result.stderr}"]
        problems += check_clean(args.jettool, path, step + " after DELETE FROM")
        text, rows = write_rows(columns, count, rng)
        csv_path = work / "rows.csv"
        csv_path.write_text(text, encoding="utf-8")
        result = run([args.jettool, "import", str(path), table, str(csv_path)])
        if result.returncode != 0:
            problems.append(f"{step}: import failed: {result.stderr[:1500]}")
            continue
        problems += check_clean(args.jettool, path, step + " after import")
        exported = run([args.jettool, "export", str(path), table], check=True).stdout
        names = [c.name for c in columns if not c.auto]
        back = cells(exported, names, names)
        given = cells(text, names, names)
        if back != given:
            diff = (len(given), len(back))
            if len(back) == len(given):
                g, b = next((g, b) for g, b in zip(given, back) if g != b)
                diff = [(names[i], x, y) for i, (x, y) in enumerate(zip(g, b)) if x != y][:3]
            problems.append(f"{step}: export differs from the rows imported, first: {diff}")
        counted = run(["mdb-count", str(path), table]).stdout.strip()
        if counted != str(count):
            problems.append(f"{step}: mdb-count says {counted}, expected {count}")
    result = run([sys.executable, str(HERE / "compare_exports.py"), "--jettool", args.jettool,
                  "--fixtures", str(work), str(path)])
    if result.returncode != 0:
        problems.append(f"{file}: readers disagree: {result.stdout[-2000:]}{result.stderr[-500:]}")
    return problems


def main(argv: list[str]) -> int:
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--jettool", required=True)
    parser.add_argument("--fixtures", required=True)
    parser.add_argument("--jet3", action="store_true", help="the Access 97 cases")
    parser.add_argument("--ace", action="store_true", help="the Access 2007/2010 cases")
    parser.add_argument("--only", help="the cases of this file only")
    args = parser.parse_args(argv)
    cases = JET3_CASES if args.jet3 else ACE_CASES if args.ace else CASES
    if args.only:
        cases = [c for c in cases if c[0] == args.only]
    if not Path(args.fixtures).is_dir():
        print(f"writer_roundtrip: no fixtures at {args.fixtures}; skipped")
        return SKIP
    failures = 0
    with tempfile.TemporaryDirectory() as tmp:
        for file, table, count in cases:
            if not (Path(args.fixtures) / file).exists():
                continue
            work = Path(tmp) / f"{Path(file).stem}-{table}"
            work.mkdir()
            problems = run_case(args, work, file, table, count)
            print(f"{'ok  ' if not problems else 'FAIL'} {file} {table}: {count} rows, twice")
            for p in problems:
                print("     " + p)
            failures += bool(problems)
    print(f"writer_roundtrip: {len(cases) - failures} passed, {failures} failed")
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
