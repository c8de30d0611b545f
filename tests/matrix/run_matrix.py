#!/usr/bin/env python3
"""The driver matrix, one (source, server kind) per call: builds the source's tables on the
server, a matching Access file, performs one real transfer run through transfer_runner and
checks every row and field of every table against the server's own rows, converted by the
Access field's rules, and the activity list against the expected problems.

  run_matrix.py --runner PATH --jettool PATH --source sqlite|postgres_w|postgres_a|mariadb|mssql|sybase
                --kind ms|ora|syb|safe [--keep]

Exit status 0: every check passed; 1: findings (listed); 77: the source's server is not set up.
"""

import argparse
import os
import shutil
import subprocess
import sys
import tempfile

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))

from checks import Expectation, check_activity, compare_rows  # noqa: E402
from odbc_config import write_config  # noqa: E402
from runner_output import STATUS_TEXT, run_transfer  # noqa: E402
from table_model import access_ddl  # noqa: E402

SKIP = 77
OLD_ROW_ID = -7  # a row every Access table holds before the run


def make_source(name, folder):
    if name == "sqlite":
        from source_sqlite import Sqlite
        return Sqlite(folder)
    if name in ("postgres_w", "postgres_a"):
        from source_postgres import Postgres
        return Postgres(name[-1])
    if name in ("mssql", "sybase"):
        from source_tds import Tds
        return Tds(name)
    if name == "mariadb":
        from source_mariadb import MariaDb
        return MariaDb()
    raise SystemExit("unknown source " + name)


def make_access_file(jettool, folder, tables):
    mdb = os.path.join(folder, "matrix.mdb")
    ddl = os.path.join(folder, "matrix.ddl")
    with open(ddl, "w", encoding="utf-8") as out:
        out.write(access_ddl(tables))
    subprocess.run([jettool, "create", mdb, "--schema", ddl], check=True, capture_output=True)
    old_rows = os.path.join(folder, "old.csv")
    with open(old_rows, "w") as out:
        out.write("id\n%d\n" % OLD_ROW_ID)
    for table in tables:
        if table.in_access:
            subprocess.run([jettool, "import", mdb, table.name, old_rows], check=True,
                           capture_output=True)
    return mdb


def old_row(table):
    fields = [{"i": OLD_ROW_ID}] + [None] * (len(table.columns) - 1)
    for index, column in enumerate(table.columns):
        if column.access_type.upper() == "YESNO":
            fields[index] = {"b": False}
    return fields


def expectations_for(source, tables):
    expectations = {}
    for table in tables:
        if table.in_access:
            expectations[table.name] = Expectation(table, source.server_rows(table))
    return expectations


def check_run(result, tables, expectations, kind, findings, label, selected=None):
    if result.status != 0:
        tail = " | ".join(result.lines[-3:])
        findings.append("%s: run ended with exit status %s (%s): %s %s" % (
            label, result.status, STATUS_TEXT.get(result.status, "?"), tail,
            result.stderr.strip()[-300:]))
    check_activity(tables, expectations, result.lines, kind, findings, label, selected,
                   getattr(result, "foreign", None))
    for table in tables:
        if not table.in_access or (selected and table.name != selected):
            continue
        expectation = expectations[table.name]
        failed = bool(expectation.problem_fields)
        if not table.on_server:
            expectation.rows = {OLD_ROW_ID: old_row(table)}
            compare_rows(expectation, result.tables.get(table.name), findings, label)
        elif kind == "safe" and failed:
            # The table stays as it was; the rows that arrived wait in the staging copy.
            kept = Expectation(table, [])
            kept.rows = {OLD_ROW_ID: old_row(table)}
            compare_rows(kept, result.tables.get(table.name), findings, label)
            compare_rows(expectation, result.tables.get("new_" + table.name), findings,
                         label + " (staging copy)")
        else:
            compare_rows(expectation, result.tables.get(table.name), findings, label)


def dump_names(tables, expectations, kind):
    names = [t.name for t in tables if t.in_access]
    if kind == "safe":
        names += ["new_" + t.name for t in tables
                  if t.in_access and t.on_server and expectations[t.name].problem_fields]
    return names


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--runner", required=True)
    parser.add_argument("--jettool", required=True)
    parser.add_argument("--source", required=True)
    parser.add_argument("--kind", required=True, choices=["ms", "ora", "syb", "safe"])
    parser.add_argument("--keep", action="store_true", help="keep the work folder")
    args = parser.parse_args()

    folder = tempfile.mkdtemp(prefix="matrix-%s-%s-" % (args.source, args.kind))
    try:
        source = make_source(args.source, folder)
        reason = source.missing()
        if reason:
            print("SKIP: " + reason)
            return SKIP
        source.setup()
        tables = source.tables
        dsn, settings = source.data_source()
        env = write_config(os.path.join(folder, "odbc"), {dsn: settings})
        expectations = expectations_for(source, tables)
        mdb = make_access_file(args.jettool, folder, tables)
        label = "%s/%s" % (args.source, args.kind)
        findings = []
        result = run_transfer(args.runner, env, dsn, source.user, source.password, mdb,
                              args.kind, dump_names(tables, expectations, args.kind), folder)
        result.foreign = getattr(source, "foreign", None)
        print("%s: exit status %d after %.1f s, %d activity lines" % (
            label, result.status, result.seconds, len(result.lines)))
        check_run(result, tables, expectations, args.kind, findings, label)
        if result.status != 0:
            # Each table on its own, so one failing table does not hide the others' values.
            for table in tables:
                if not (table.in_access and table.on_server):
                    continue
                single = os.path.join(folder, "single-" + table.name)
                os.makedirs(single)
                single_mdb = make_access_file(args.jettool, single, tables)
                alone = run_transfer(args.runner, env, dsn, source.user, source.password,
                                     single_mdb, args.kind,
                                     dump_names([table], expectations, args.kind), single,
                                     table=table.name)
                alone.foreign = getattr(source, "foreign", None)
                check_run(alone, [table], expectations, args.kind, findings,
                          label + " [nur " + table.name + "]", table.name)
        checked = subprocess.run([args.jettool, "check", mdb], capture_output=True, text=True)
        if checked.returncode != 0:
            findings.append("%s: jettool check: %s" % (label, checked.stdout.strip()[-500:]))
        for line in findings:
            print("FINDING " + line)
        rows = sum(len(e.rows) for e in expectations.values())
        print("%s: %d tables, %d expected rows checked, %d findings" % (
            label, len(expectations), rows, len(findings)))
        return 1 if findings else 0
    finally:
        if args.keep:
            print("work folder kept: " + folder)
        else:
            shutil.rmtree(folder, ignore_errors=True)


if __name__ == "__main__":
    sys.exit(main())
