"""The comparison: what Access must hold and what the activity list must say, against what one
run produced. Every finding is one line of text naming table, column and row."""

import math
import struct
from fractions import Fraction

from access_rules import FieldProblem, expected_field, parse_access_type

PROBLEM_PREFIX = "\t!! Problem mit Feld: ["
ABORT_LINE = "*!*!* Bearbeitung der Tabelle abgebrochen !*!*!"
MISSING_LINE = "\tNICHT IN ACCESS-Datenbank !!!"
MAX_REPORTS_PER_COLUMN = 5


class Expectation:
    """A table's expected Access rows (id -> fields) and the fields reported as problems."""

    def __init__(self, table, server_rows):
        self.table = table
        self.rows = {}
        self.problem_fields = []
        self.problem_id = None
        self.server_count = len(server_rows)
        for values in server_rows:
            fields, problems = [], []
            for column, value in zip(table.columns, values):
                try:
                    fields.append(expected_field(value, column.access_type))
                except FieldProblem:
                    problems.append(column.name)
                    name = parse_access_type(column.access_type)[0]
                    fields.append({"b": False} if name == "YESNO" else None)
            self.rows[values[0]] = fields
            if problems:
                self.problem_fields = problems
                self.problem_id = values[0]
                break


def _show(field):
    if field is None:
        return "NULL"
    kind, value = next(iter(field.items()))
    text = repr(value)
    if len(text) > 80:
        text = "%s…(%d chars)" % (text[:60], len(text))
    return "%s:%s" % (kind, text)


def _ulp(x):
    return Fraction(math.ulp(float(x)))


def same_field(expected, got):
    if expected is None or got is None:
        return expected is None and got is None
    (kind, want), = expected.items()
    if kind not in got:
        return False
    have = got[kind]
    if kind == "t":
        have = Fraction(float(have))
        tolerance = max(Fraction(1, 2 * 86400 * 10**6), 2 * _ulp(want))
        return abs(have - want) <= tolerance
    if kind == "d":
        return struct.pack("<d", float(have)) == struct.pack("<d", want)
    if kind == "f":
        single = struct.unpack("<f", struct.pack("<f", float(have)))[0]
        return struct.pack("<f", single) == struct.pack("<f", want)
    return have == want


def compare_rows(expectation, dumped, findings, label):
    """Every expected row exactly once, every field equal, nothing else."""
    table = expectation.table
    if dumped is None:
        findings.append("%s %s: table not dumped" % (label, table.name))
        return
    columns, rows = dumped
    names = [c.name for c in table.columns]
    if [c.lower() for c in columns] != [n.lower() for n in names]:
        findings.append("%s %s: Access columns %s, expected %s" % (label, table.name, columns, names))
        return
    seen = {}
    for row in rows:
        key = row[0]["i"] if row[0] else None
        if key in seen:
            findings.append("%s %s: row id=%s stored twice" % (label, table.name, key))
        seen[key] = row
    missing = [key for key in expectation.rows if key not in seen]
    extra = [key for key in seen if key not in expectation.rows]
    if missing:
        findings.append("%s %s: %d rows missing, ids %s" % (
            label, table.name, len(missing), _ids(missing)))
    if extra:
        findings.append("%s %s: %d rows not expected, ids %s" % (
            label, table.name, len(extra), _ids(extra)))
    for index, column in enumerate(table.columns):
        wrong = []
        for key, fields in expectation.rows.items():
            if key in seen and not same_field(fields[index], seen[key][index]):
                wrong.append((key, fields[index], seen[key][index]))
        for key, want, have in wrong[:MAX_REPORTS_PER_COLUMN]:
            findings.append("%s %s.%s row id=%s: expected %s, got %s" % (
                label, table.name, column.name, key, _show(want), _show(have)))
        if len(wrong) > MAX_REPORTS_PER_COLUMN:
            findings.append("%s %s.%s: %d wrong values in all, ids %s" % (
                label, table.name, column.name, len(wrong), _ids([w[0] for w in wrong])))


def _ids(keys):
    keys = sorted(k for k in keys if k is not None)
    text = ",".join(str(k) for k in keys[:12])
    return text + (",…" if len(keys) > 12 else "")


def table_segments(lines):
    """The activity list cut at each 'SQL: name' line: {lower name: [segments]}."""
    segments = {}
    current = None
    for line in lines:
        if line.startswith("SQL: "):
            current = []
            segments.setdefault(line[5:].lower(), []).append(current)
        elif current is not None:
            current.append(line)
    return segments


def segment_problems(segment):
    """The fields a segment reports as problems, with their descriptions, and whether the
    table was marked failed."""
    problems = []
    for index, line in enumerate(segment):
        if line.startswith(PROBLEM_PREFIX) and line.endswith("] :"):
            description = segment[index + 1] if index + 1 < len(segment) else ""
            problems.append((line[len(PROBLEM_PREFIX):-3], description))
    return problems, ABORT_LINE in segment


def check_activity(tables, expectations, lines, kind, findings, label, selected=None,
                   foreign=None):
    """`foreign`: names the run must not list (other databases, system tables); None when
    every table of the data source is the matrix's own, so any other name is foreign."""
    segments = table_segments(lines)
    ours = {t.name.lower(): t for t in tables}
    for name, found in segments.items():
        if name not in ours and (foreign is None or name in foreign):
            findings.append("%s: table %s listed, which is not one of the source's own tables "
                            "(another schema or database, or a system table)" % (label, name))
    for table in tables:
        if selected and table.name.lower() != selected.lower():
            continue
        found = segments.get(table.name.lower(), [])
        if not table.on_server:
            continue
        quiet = kind == "ora" and not table.in_access
        if len(found) != (0 if quiet else 1):
            findings.append("%s %s: listed %d times in the activity list" % (
                label, table.name, len(found)))
        if not found:
            continue
        segment = found[0]
        if not table.in_access:
            if MISSING_LINE not in segment:
                findings.append("%s %s: no line '%s'" % (label, table.name, MISSING_LINE.strip()))
            continue
        if MISSING_LINE in segment:
            findings.append("%s %s: reported as missing in Access" % (label, table.name))
        expectation = expectations[table.name]
        count_lines = [l for l in segment if l.endswith(" Zeilen zu bearbeiten.")]
        if count_lines:
            counted = count_lines[0].strip().split(" ")[0].replace(".", "")
            if counted != str(expectation.server_count):
                findings.append("%s %s: row count line %r, server holds %d rows" % (
                    label, table.name, count_lines[0].strip(), expectation.server_count))
        problems, aborted = segment_problems(segment)
        names = [p[0] for p in problems]
        if names != expectation.problem_fields:
            detail = "; ".join("[%s] %s" % p for p in problems[:4])
            findings.append("%s %s: problem fields %s, expected %s%s" % (
                label, table.name, names or "none", expectation.problem_fields or "none",
                " (" + detail + ")" if detail else ""))
        for name, description in problems:
            if not description.startswith("\t\t") or not description.strip():
                findings.append("%s %s: problem [%s] without a description line" % (
                    label, table.name, name))
        if aborted != bool(expectation.problem_fields):
            findings.append("%s %s: table %s" % (
                label, table.name, "marked failed" if aborted else "not marked failed"))
