#!/usr/bin/env python3
"""Checks `jettool drop-relations`, `rename` and `drop` on copies of Access-made databases.

For each file: every relationship is deleted, then one table renamed (letter case only) and
another renamed to a new name, then one table dropped. After each step `jettool check` must be
clean, mdbtools (`mdb-tables`, `mdb-schema --relations`) and mdb-reader must list the expected
tables and no foreign keys, and every remaining table must export from mdb-export as before.
Where `jettool copy-structure` is available, 200 safe-mode cycles on two files (copy the structure,
import the rows, drop the original, rename the copy) must keep the file clean and stop it from
growing once the freed pages are reused.

Exit status: 0 when every case passes, 1 otherwise, 77 when the fixtures are missing.
"""

from __future__ import annotations

import argparse
import shutil
import subprocess
import sys
import tempfile
from pathlib import Path

HERE = Path(__file__).resolve().parent
SKIP = 77
FILES = ["indexTestV2000.mdb", "indexTestV2003.mdb", "test2V2000.mdb", "testV2000.mdb",
         "delColTestV2003.mdb", "testRefGlobalV2000.mdb"]
CYCLES = 200
# (fixture, table) for the cycles; relationships are deleted first.
CYCLE_CASES = [("testV2000.mdb", "Table1"), ("indexTestV2003.mdb", "Table1")]
# The same on Access 97 files (--jet3).
JET3_FILES = ["indexTestV1997.mdb", "testV1997.mdb", "test2V1997.mdb", "delColTestV1997.mdb",
              "testIndexCodesV1997.mdb"]
JET3_CYCLE_CASES = [("testV1997.mdb", "Table1"), ("indexTestV1997.mdb", "Table1")]
# Fewer on 2 KB pages: a deleted row keeps its two-byte slot until its page has 255, so the
# catalog's long-value page, which takes the new table's properties each cycle, has room for
# them about 160 times before one more page is needed.
JET3_CYCLES = 150
# Access 2007 and 2010 files (.accdb): catalog names keyed General Legacy in the 2007 files,
# General in the 2010 ones.
ACE_FILES = ["indexTestV2007.accdb", "queryTestV2010.accdb", "testV2007.accdb", "test2V2010.accdb",
             "testIndexPropertiesV2010.accdb", "testIndexPropertiesV2007.accdb"]
ACE_CYCLE_CASES = [("testV2007.accdb", "Table1"), ("compIndexTestV2010.accdb", "Table1")]


def run(args: list[str]) -> subprocess.CompletedProcess:
    return subprocess.run(args, capture_output=True, text=True, errors="replace")


class Case:
    def __init__(self, jettool: str, path: Path):
        self.jettool, self.path, self.failures = jettool, path, []

    def fail(self, step: str, message: str) -> None:
        self.failures.append(f"{self.path.name}: {step}: {message}")

    def tool(self, step: str, *args: str) -> bool:
        result = run([self.jettool, *args])
        if result.returncode != 0:
            self.fail(step, f"jettool {args[0]}: {result.stderr.strip() or result.stdout.strip()}")
        return result.returncode == 0

    def user_tables(self) -> list[str]:
        return run([self.jettool, "tables", str(self.path)]).stdout.split("\n")[:-1]

    def export(self, table: str) -> str:
        return run(["mdb-export", str(self.path), table]).stdout

    def verify(self, step: str, expected: list[str], exports: dict[str, str]) -> None:
        check = run([self.jettool, "check", str(self.path)])
        if check.returncode != 0:
            self.fail(step, "check: " + " | ".join(check.stdout.splitlines()[:5]))
        listed = run(["mdb-tables", "-1", str(self.path)]).stdout.split()
        if sorted(listed) != sorted(expected):
            self.fail(step, f"mdb-tables lists {listed}, expected {expected}")
        reader = run(["node", str(HERE / "mdb_reader_export.mjs"), "--tables", str(self.path)])
        if sorted(reader.stdout.split("\n")[:-1]) != sorted(expected):
            self.fail(step, f"mdb-reader lists {reader.stdout.split()} ({reader.stderr.strip()})")
        schema = run(["mdb-schema", "--relations", str(self.path), "postgres"]).stdout
        if "FOREIGN KEY" in schema:
            self.fail(step, "mdb-schema still shows foreign keys")
        for table, before in exports.items():
            if self.export(table) != before:
                self.fail(step, f"table {table} exports differently")


def structure_steps(case: Case) -> None:
    tables = case.user_tables()
    exports = {t: case.export(t) for t in tables}
    if not case.tool("drop-relations", "drop-relations", str(case.path)):
        return
    case.verify("drop-relations", tables, exports)
    if len(tables) < 2:
        return
    first, last = tables[0], tables[-1]
    if case.tool("rename", "rename", str(case.path), first, first.upper()):
        exports[first.upper()] = exports.pop(first)
        tables = [first.upper() if t == first else t for t in tables]
        case.verify("rename (case)", tables, exports)
    renamed = "Umbenannt_" + last
    if case.tool("rename", "rename", str(case.path), last.lower(), renamed):
        exports[renamed] = exports.pop(last)
        tables = [renamed if t == last else t for t in tables]
        case.verify("rename", tables, exports)
    victim = tables[0]
    if case.tool("drop", "drop", str(case.path), victim):
        exports.pop(victim)
        tables.remove(victim)
        case.verify("drop", tables, exports)


def copy_structure_available(jettool: str, path: Path) -> bool:
    probe = path.with_name("probe.mdb")
    shutil.copy(path, probe)
    tables = run([jettool, "tables", str(probe)]).stdout.split()
    ok = bool(tables) and run([jettool, "copy-structure", str(probe), tables[0],
                               "probe_copy"]).returncode == 0
    probe.unlink()
    return ok


def safe_mode_cycles(case: Case, table: str, cycles: int) -> None:
    csv = case.path.with_suffix(".csv")
    csv.write_text(run([case.jettool, "export", str(case.path), table]).stdout)
    tables = case.user_tables()
    others = {t: case.export(t) for t in tables if t != table}
    sizes = []
    for cycle in range(cycles):
        staging = "new_" + table
        ok = (case.tool("copy-structure", "copy-structure", str(case.path), table, staging)
              and case.tool("import", "import", str(case.path), staging, str(csv))
              and case.tool("drop", "drop", str(case.path), table)
              and case.tool("rename", "rename", str(case.path), staging, table))
        if not ok:
            return
        sizes.append(case.path.stat().st_size)
        if cycle % 50 == 49:
            case.verify(f"cycle {cycle + 1}", tables, others)
    # The first cycles may take new pages; after them the freed ones must suffice.
    if sizes[-1] > sizes[2]:
        case.fail("cycles", f"file grows: {sizes}")


def main() -> int:
    parser = argparse.ArgumentParser()
    parser.add_argument("--jettool", required=True)
    parser.add_argument("--fixtures", required=True)
    parser.add_argument("--jet3", action="store_true", help="the Access 97 files")
    parser.add_argument("--ace", action="store_true", help="the Access 2007/2010 files")
    args = parser.parse_args()
    fixtures = Path(args.fixtures)
    files, cycle_cases = FILES, CYCLE_CASES
    if args.jet3:
        files, cycle_cases = JET3_FILES, JET3_CYCLE_CASES
    if args.ace:
        files, cycle_cases = ACE_FILES, ACE_CYCLE_CASES
    present = [name for name in files if (fixtures / name).exists()]
    if not present:
        print("fixtures missing", file=sys.stderr)
        return SKIP
    failures = []
    with tempfile.TemporaryDirectory() as scratch:
        for name in present:
            path = Path(scratch) / name
            shutil.copy(fixtures / name, path)
            path.chmod(0o644)
            case = Case(args.jettool, path)
            structure_steps(case)
            failures += case.failures
        for name, table in cycle_cases:
            if not (fixtures / name).exists():
                continue
            cycle_file = Path(scratch) / ("cycles-" + name)
            shutil.copy(fixtures / name, cycle_file)
            cycle_file.chmod(0o644)
            if not copy_structure_available(args.jettool, cycle_file):
                print("copy-structure not available: cycles skipped")
                break
            case = Case(args.jettool, cycle_file)
            if case.tool("drop-relations", "drop-relations", str(cycle_file)):
                safe_mode_cycles(case, table, JET3_CYCLES if args.jet3 else CYCLES)
            failures += case.failures
    for failure in failures:
        print(failure)
    print(f"{len(present)} files, {len(failures)} failures")
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
