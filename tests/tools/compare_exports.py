#!/usr/bin/env python3
"""Cross-checks `jettool export` against two independent readers of the Access format.

For every user table (as `mdb-tables -1` lists them) of every .mdb and .accdb file in the fixture folder,
three CSV exports are taken:

  jettool     build/jettool export FILE TABLE
  mdb-export  mdb-export -D '%Y-%m-%d %H:%M:%S' -T '%Y-%m-%d %H:%M:%S' -b hex FILE TABLE
  mdb-reader  node tests/tools/mdb_reader_export.mjs FILE TABLE

and compared: the same columns, the same rows in the same order, and in each cell, by the column's type
(from mdb-reader): text identical (and quoted alike), numbers equal as numbers, dates alike (the same
second, give or take one), binary the same hex, NULL where the others have NULL.

jettool must agree with mdb-reader in every cell (but the ACE cases below), and with mdb-export in every
cell except where mdb-export is known to print a wrong value. Those cases are counted and reported, not failed:

  empty-vs-null   mdb-export prints an empty (not NULL) text, memo or binary value as nothing, the same as
                  NULL; the others print "" (quoted, empty). The cell is then checked against mdb-reader only.
  date-range      mdb-export cannot convert dates before 1899-12-30 or after day 1,000,000 (year 4637) and
                  prints "1900-01-00 00:00:00". The cell is then checked against mdb-reader only.
  guid-hex        with -b hex, mdb-export prints a Replication ID as the hex of the ASCII of its
                  "{...}" text; that hex is decoded before comparing, so this one is still checked.
  guid-hyphen     in Access 97 files mdb-export leaves out the hyphen between the fourth and fifth
                  group of a Replication ID; the digits are compared.

One difference of both other readers' is allowed in Access 97 (code-page) files:

  undefined-byte  a text byte the code page leaves undefined (0x81, 0x8D, 0x8F, 0x90 and 0x9D in cp1252):
                  jettool reads it as the control character of the same value, as Windows does, so that
                  it is written back unchanged; mdb-reader prints U+FFFD there, mdb-export "?". The rest
                  of the text is compared.

In ACE (.accdb) files:

  complex-column  an attachment, multi-value or version-history column holds the key of its values in
                  the column's hidden table. mdb-reader reads every such column as attachments from that
                  table (and fails on the other kinds), never giving the stored key, so its export
                  leaves these cells empty: they are checked against mdb-export only.
  calculated-column
                  a calculated column (ACE 14+) wraps each stored value in a header of its own and keeps
                  its result type in the column property ResultType; neither other reader unwraps them
                  (mdb-export prints NULL or zeros, mdb-reader the wrapped bytes read as the column's
                  stored type). The columns are listed in CALCULATED_COLUMNS; their cells are counted,
                  not compared (tests/jet checks jettool's values against the expressions by hand);
                  the table's other columns are compared as usual.
  skipped tables  a table no independent reader can serve as reference for, listed in SKIPPED_TABLES
                  with the reason; it is reported, not compared.

  new-type        mdb-export (mdbtools 1.0) does not know ACE 16's BigInt and ACE 17's extended Date/Time
                  and prints those cells empty. The cell is then checked against mdb-reader only.

  binary-zero     mdb-export ends a binary value at its first zero byte: it prints the hex before it (nothing
                  when the value starts with one). The cell is then checked against mdb-reader only.

Two more differences of mdb-export's are allowed everywhere: Double is printed with 16 significant digits
(so "%.16g" renderings are compared) and a time that rounds up to midnight is printed as "24:00:00".

Exit status: 0 when every table agrees, 1 when a table differs or a tool fails, 77 when there are no
fixtures (ctest reports the test as skipped), 2 on bad usage.
"""

from __future__ import annotations

import argparse
import datetime as dt
import json
import os
import re
import shutil
import struct
import subprocess
import sys
from dataclasses import dataclass, field
from decimal import Decimal, InvalidOperation
from pathlib import Path
from typing import Optional

REPO_ROOT = Path(__file__).resolve().parents[2]
READER_SCRIPT = Path(__file__).resolve().parent / "mdb_reader_export.mjs"
DATE_FORMAT = "%Y-%m-%d %H:%M:%S"
SKIP = 77
TOOL_TIMEOUT_SECONDS = 300
MDB_EXPORT_BAD_DATE = "1900-01-00 00:00:00"
MDB_EXPORT_MAX_DAYS = 1_000_000
ACCESS_EPOCH = dt.datetime(1899, 12, 30)

# (file name, table) -> the calculated columns, whose values no other reader decodes.
CALCULATED_COLUMNS = {
    ("calcFieldTestV2010.accdb", "Table1"): frozenset(
        {"LastFirst", "LastFirstLen", "MonthlySalary", "IsRich", "AllNames", "WeeklySalary", "SalaryTest",
         "BoolTest", "DecimalTest", "FloatTest", "BigNumTest"}
    ),
}

# (file name, table) -> why the table is not compared.
SKIPPED_TABLES = {
    ("unsupportedFieldsTestV2007.accdb", "Test"): "column types 70 and 71, made up for this file: "
    "mdb-reader refuses the table, mdb-export prints those cells empty",
}


# ---- CSV as the three tools write it --------------------------------------------------------------------


@dataclass(frozen=True)
class Cell:
    text: str
    quoted: bool

    @property
    def is_null(self) -> bool:
        return not self.quoted and self.text == ""

    def shown(self) -> str:
        if self.is_null:
            return "NULL"
        body = self.text if len(self.text) <= 80 else self.text[:77] + "..."
        return '"' + body + '"' if self.quoted else body


class CsvError(ValueError):
    pass


def parse_csv(data: str) -> list[list[Cell]]:
    """Splits CSV into records of cells, keeping whether each cell was quoted.

    Records end at '\\n' (a '\\r' before it is kept as data only inside quotes). Inside quotes a doubled
    quote stands for one, and CR, LF and commas are data. A quote may only open a field."""
    records: list[list[Cell]] = []
    record: list[Cell] = []
    i, n = 0, len(data)
    line = 1
    while i < n:
        if data[i] == '"':
            start_line = line
            i += 1
            parts = []
            while True:
                j = data.find('"', i)
                if j < 0:
                    raise CsvError(f"line {start_line}: quoted field never closed")
                parts.append(data[i:j])
                line += data.count("\n", i, j)
                if j + 1 < n and data[j + 1] == '"':
                    parts.append('"')
                    i = j + 2
                    continue
                i = j + 1
                break
            cell = Cell("".join(parts), True)
            if i < n and data[i] not in ",\n":
                raise CsvError(f"line {line}: text after a closing quote: {data[i:i + 20]!r}")
        else:
            j = i
            while j < n and data[j] not in ",\n":
                if data[j] == '"':
                    raise CsvError(f"line {line}: quote inside an unquoted field")
                j += 1
            cell = Cell(data[i:j], False)
            i = j
        record.append(cell)
        if i >= n:
            records.append(record)
            break
        if data[i] == ",":
            i += 1
            if i >= n:
                record.append(Cell("", False))
                records.append(record)
        else:  # newline
            records.append(record)
            record = []
            line += 1
            i += 1
    return records


# ---- comparing one cell ---------------------------------------------------------------------------------

INTEGER_TYPES = {"byte", "integer", "long", "bigint"}
DECIMAL_TYPES = {"currency", "numeric"}
TEXT_TYPES = {"text", "memo"}
BINARY_TYPES = {"binary", "ole"}
DATE_RE = re.compile(r"^(-?\d{1,6})-(\d{2})-(\d{2}) (\d{2}):(\d{2}):(\d{2})$")


def parse_date(text: str) -> Optional[dt.datetime]:
    """'YYYY-MM-DD HH:MM:SS' (any number of year digits, hour 24 allowed) or None."""
    m = DATE_RE.match(text)
    if not m:
        return None
    year, month, day, hour, minute, second = (int(g) for g in m.groups())
    try:
        base = dt.datetime(year, month, day)
    except ValueError:
        return None
    if hour > 24 or minute > 59 or second > 59:
        return None
    return base + dt.timedelta(hours=hour, minutes=minute, seconds=second)


def guid_text(cell: Cell) -> str:
    """A GUID cell as upper-case '{...}' text; mdb-export's hex of that text is decoded first."""
    text = cell.text
    if re.fullmatch(r"(?:[0-9A-Fa-f]{2})+", text) and text[:2] == "7B":
        try:
            text = bytes.fromhex(text).decode("ascii")
        except (ValueError, UnicodeDecodeError):
            pass
    return text.upper()


def same_number(a: str, b: str, kind: str) -> bool:
    try:
        if kind in INTEGER_TYPES:
            return int(a) == int(b)
        if kind in DECIMAL_TYPES:
            return Decimal(a) == Decimal(b)
        x, y = float(a), float(b)
    except (ValueError, InvalidOperation):
        return False
    if x == y:
        return True
    if kind == "float":  # a Single: the same 32-bit value, however many digits each prints
        try:
            return struct.pack("<f", x) == struct.pack("<f", y)
        except OverflowError:
            return False
    digits = 16
    return f"%.{digits}g" % x == f"%.{digits}g" % y


def same_value(a: Cell, b: Cell, kind: str) -> bool:
    """Whether two cells of a column of mdb-reader type `kind` hold the same value."""
    if a.is_null or b.is_null:
        return a.is_null and b.is_null
    if a.quoted != b.quoted:
        return False
    if kind == "boolean":
        return a.text == b.text
    if kind in INTEGER_TYPES or kind in DECIMAL_TYPES or kind in ("float", "double"):
        return same_number(a.text, b.text, kind)
    if kind == "datetime":
        x, y = parse_date(a.text), parse_date(b.text)
        if x is None or y is None:
            return a.text == b.text
        return abs((x - y).total_seconds()) <= 1
    if kind in BINARY_TYPES:
        return a.text.upper() == b.text.upper()
    if kind == "repid":
        return guid_text(a) == guid_text(b)
    return a.text == b.text  # text, memo and anything unknown: identical


def date_outside_mdb_export_range(reference: Cell) -> bool:
    when = parse_date(reference.text)
    if when is None:
        return False
    days = (when - ACCESS_EPOCH).total_seconds() / 86400
    return days < 0 or days > MDB_EXPORT_MAX_DAYS


UNDEFINED_CP1252 = "\u0081\u008d\u008f\u0090\u009d"


def undefined_byte_difference(jettool: Cell, other: Cell, shown_as: str) -> bool:
    """Whether the cells differ only where jettool holds an undefined code-page byte."""
    if jettool.is_null or other.is_null or not any(ch in UNDEFINED_CP1252 for ch in jettool.text):
        return False
    return jettool.text.translate({ord(ch): shown_as for ch in UNDEFINED_CP1252}) == other.text


def binary_cut_at_zero(mdb_export: Cell, reference: Cell) -> bool:
    """Whether mdb-export's hex is the reference's up to (not including) the reference's first zero byte."""
    if reference.is_null:
        return False
    data = bytes.fromhex(reference.text)
    return b"\0" in data and bytes.fromhex(mdb_export.text) == data[: data.index(0)]


MDB_EXPORT_UNKNOWN_TYPES = {"bigint", "datetimextended"}


def mdb_export_fault(mdb_export: Cell, reference: Cell, kind: str) -> Optional[str]:
    """Names the known mdb-export fault that explains its cell differing from the reference, if any."""
    if kind in MDB_EXPORT_UNKNOWN_TYPES and mdb_export.is_null:
        return "new-type"
    if mdb_export.is_null and reference.quoted and reference.text == "":
        return "empty-vs-null"
    if kind == "repid" and guid_text(mdb_export).replace("-", "") == guid_text(reference).replace("-", ""):
        return "guid-hyphen"
    if kind == "datetime" and mdb_export.text == MDB_EXPORT_BAD_DATE and date_outside_mdb_export_range(reference):
        return "date-range"
    if kind in BINARY_TYPES and binary_cut_at_zero(mdb_export, reference):
        return "binary-zero"
    return None


# ---- comparing one table ------------------------------------------------------------------------------


@dataclass
class TableResult:
    label: str
    rows: int = 0
    columns: int = 0
    problems: list[str] = field(default_factory=list)
    faults: dict[str, int] = field(default_factory=dict)
    fault_examples: dict[str, str] = field(default_factory=dict)

    @property
    def ok(self) -> bool:
        return not self.problems


MAX_PROBLEMS_SHOWN = 5


def compare_table(
    label: str,
    kinds: list[tuple[str, str]],
    exports: dict[str, list[list[Cell]]],
    calculated: frozenset[str] = frozenset(),
) -> TableResult:
    """Compares the parsed exports ('jettool', 'mdb-export', 'mdb-reader') of one table.

    kinds lists (column name, mdb-reader type) in column order; calculated names the columns whose
    cells are counted, not compared."""
    result = TableResult(label)
    names = [name for name, _ in kinds]
    result.columns = len(names)

    for tool, records in exports.items():
        if not records:
            result.problems.append(f"{tool}: no header row")
            continue
        header = [c.text for c in records[0]]
        if header != names:
            result.problems.append(f"{tool}: columns {header} differ from {names}")
    if result.problems:
        return result

    bodies = {tool: records[1:] for tool, records in exports.items()}
    counts = {tool: len(rows) for tool, rows in bodies.items()}
    result.rows = counts["mdb-reader"]
    if len(set(counts.values())) != 1:
        result.problems.append("row counts differ: " + ", ".join(f"{t} {c}" for t, c in counts.items()))

    for tool, rows in bodies.items():
        for number, row in enumerate(rows, start=1):
            if len(row) != len(names):
                result.problems.append(f"{tool}: row {number} has {len(row)} fields, not {len(names)}")
                break
    if result.problems and any("fields, not" in p for p in result.problems):
        return result

    first_diff: dict[str, str] = {}
    diff_count: dict[str, int] = {}
    jet, mdb, ref = bodies["jettool"], bodies["mdb-export"], bodies["mdb-reader"]
    for r in range(min(counts.values())):
        for c, (name, kind) in enumerate(kinds):
            j, m, x = jet[r][c], mdb[r][c], ref[r][c]
            where = f"row {r + 1} column {name} ({kind}): jettool {j.shown()}, mdb-export {m.shown()}, mdb-reader {x.shown()}"
            if name in calculated:
                result.faults["calculated-column"] = result.faults.get("calculated-column", 0) + 1
                result.fault_examples.setdefault("calculated-column", where)
                continue
            if kind == "complex":
                result.faults["complex-column"] = result.faults.get("complex-column", 0) + 1
                result.fault_examples.setdefault("complex-column", where)
                if not same_value(j, m, "long"):
                    diff_count["mdb-export"] = diff_count.get("mdb-export", 0) + 1
                    first_diff.setdefault("mdb-export", where)
                continue
            if not same_value(j, x, kind):
                if undefined_byte_difference(j, x, "\ufffd"):
                    result.faults["undefined-byte"] = result.faults.get("undefined-byte", 0) + 1
                    result.fault_examples.setdefault("undefined-byte", where)
                else:
                    diff_count["mdb-reader"] = diff_count.get("mdb-reader", 0) + 1
                    first_diff.setdefault("mdb-reader", where)
            if not same_value(j, m, kind):
                fault = "undefined-byte" if undefined_byte_difference(j, m, "?") else mdb_export_fault(m, x, kind)
                if fault:
                    result.faults[fault] = result.faults.get(fault, 0) + 1
                    result.fault_examples.setdefault(fault, where)
                else:
                    diff_count["mdb-export"] = diff_count.get("mdb-export", 0) + 1
                    first_diff.setdefault("mdb-export", where)

    for other in ("mdb-reader", "mdb-export"):
        if other in first_diff:
            result.problems.append(
                f"jettool differs from {other} in {diff_count[other]} cell(s); first at {first_diff[other]}"
            )
    longest = max(counts.values())
    if min(counts.values()) < longest:
        r = min(counts.values())
        for tool, rows in bodies.items():
            if len(rows) == longest:
                extra = ",".join(cell.shown() for cell in rows[r])
                result.problems.append(f"first row beyond the shortest export, row {r + 1} from {tool}: {extra}")
                break
    return result


# ---- running the tools ----------------------------------------------------------------------------------


class ToolError(RuntimeError):
    pass


def run(command: list[str]) -> str:
    try:
        done = subprocess.run(command, capture_output=True, timeout=TOOL_TIMEOUT_SECONDS)
    except FileNotFoundError as error:
        raise ToolError(f"{command[0]}: not found ({error})") from error
    except subprocess.TimeoutExpired as error:
        raise ToolError(f"{' '.join(command)}: no answer after {TOOL_TIMEOUT_SECONDS} s") from error
    if done.returncode != 0:
        stderr = done.stderr.decode("utf-8", "replace").strip()
        raise ToolError(f"{' '.join(command)}: exit status {done.returncode}" + (f": {stderr[:500]}" if stderr else ""))
    return done.stdout.decode("utf-8", "surrogateescape")


def export_commands(jettool: str, node: str, path: str, table: str) -> dict[str, list[str]]:
    return {
        "jettool": [jettool, "export", path, table],
        "mdb-export": ["mdb-export", "-D", DATE_FORMAT, "-T", DATE_FORMAT, "-b", "hex", path, table],
        "mdb-reader": [node, str(READER_SCRIPT), path, table],
    }


def compare_file_table(jettool: str, node: str, path: Path, table: str) -> TableResult:
    label = f"{path.name} {table}"
    try:
        kinds = [(c["name"], c["type"]) for c in json.loads(run([node, str(READER_SCRIPT), "--types", str(path), table]))]
    except (ToolError, ValueError) as error:
        return TableResult(label, problems=[f"column types from mdb-reader: {error}"])
    exports: dict[str, list[list[Cell]]] = {}
    problems = []
    for tool, command in export_commands(jettool, node, str(path), table).items():
        try:
            exports[tool] = parse_csv(run(command))
        except ToolError as error:
            problems.append(str(error))
        except CsvError as error:
            problems.append(f"{tool}: unreadable CSV: {error}")
    if problems:
        return TableResult(label, problems=problems)
    return compare_table(label, kinds, exports, CALCULATED_COLUMNS.get((path.name, table), frozenset()))


def find_missing_tools(jettool: str, node: str) -> list[str]:
    missing = []
    if not (os.path.isfile(jettool) and os.access(jettool, os.X_OK)):
        missing.append(f"jettool not built at {jettool}")
    for tool in ("mdb-export", "mdb-tables"):
        if not shutil.which(tool):
            missing.append(f"{tool} not installed (package mdbtools; run scripts/install-deps)")
    if not shutil.which(node):
        missing.append(f"{node} not installed (package nodejs; run scripts/install-deps)")
    if not (READER_SCRIPT.parent / "node_modules" / "mdb-reader").is_dir():
        missing.append("mdb-reader missing in tests/tools/node_modules (run scripts/install-deps)")
    return missing


def main(argv: list[str]) -> int:
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--jettool", default=str(REPO_ROOT / "build" / "jettool"))
    parser.add_argument("--fixtures", default=str(REPO_ROOT.parent / "shared" / "fixtures" / "jet4"))
    parser.add_argument("--node", default="node")
    parser.add_argument("files", nargs="*", help="only these files (default: every .mdb and .accdb in --fixtures)")
    args = parser.parse_args(argv)

    folder = Path(args.fixtures)
    files = [Path(f) for f in args.files] or sorted([*folder.glob("*.mdb"), *folder.glob("*.accdb")])
    if not files:
        print(f"compare_exports: SKIP: no .mdb or .accdb fixtures in {args.fixtures}")
        return SKIP
    missing = find_missing_tools(args.jettool, args.node)
    if missing:
        for line in missing:
            print(f"compare_exports: {line}")
        return 1

    results: list[TableResult] = []
    skipped = 0
    for path in files:
        try:
            tables = [t for t in run(["mdb-tables", "-1", str(path)]).split("\n") if t]
        except ToolError as error:
            results.append(TableResult(path.name, problems=[str(error)]))
            continue
        for table in tables:
            reason = SKIPPED_TABLES.get((path.name, table))
            if reason:
                skipped += 1
                print(f"skip {path.name} {table}: {reason}")
                continue
            result = compare_file_table(args.jettool, args.node, path, table)
            results.append(result)
            status = "ok  " if result.ok else "FAIL"
            print(f"{status} {result.label} ({result.rows} rows, {result.columns} columns)")
            for problem in result.problems[:MAX_PROBLEMS_SHOWN]:
                print(f"       {problem}")
            for fault, count in sorted(result.faults.items()):
                checked = {"complex-column": "against mdb-export only", "calculated-column": "by neither reader"}
                how = checked.get(fault, "against mdb-reader only")
                print(f"       known fault {fault}: {count} cell(s), checked {how}; "
                      f"first at {result.fault_examples[fault]}")

    failed = [r for r in results if not r.ok]
    faults = sum(sum(r.faults.values()) for r in results)
    print(f"compare_exports: {len(results)} tables in {len(files)} files: "
          f"{len(results) - len(failed)} agree, {len(failed)} differ, {skipped} skipped; "
          f"{faults} cell(s) where a reader is known to be wrong")
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
