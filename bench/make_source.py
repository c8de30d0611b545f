#!/usr/bin/env python3
"""Writes the benchmark's table Bench into a SQLite file and/or the throwaway PostgreSQL and
MariaDB servers.

The rows follow the same rule as bench/bench_rows.cpp, so every source delivers what the writer
benchmark writes.

    make_source.py --rows N [--sqlite FILE] [--postgres SOCKET_DIR] [--mariadb SOCKET]

The servers' logins come from SQLVANTOR_PG_USER/_PASSWORD and SQLVANTOR_MARIA_USER/_PASSWORD.
"""
import argparse
import datetime
import io
import os
import sqlite3
import subprocess
import tempfile

COLUMNS_SQL = """
    {q}ID{q} INTEGER NOT NULL, {q}Name{q} VARCHAR(50), {q}Ort{q} VARCHAR(50),
    {q}Betrag{q} DOUBLE PRECISION, {q}Preis{q} NUMERIC(19,4), {q}Menge{q} SMALLINT,
    {q}Aktiv{q} {boolean} NOT NULL, {q}Datum{q} {timestamp}, {q}Bonus{q} INTEGER,
    {q}Notiz{q} VARCHAR(200)
"""
EPOCH = datetime.datetime(1899, 12, 30)


def row(i):
    bonus = None if i % 7 == 0 else i * 3 % 2000000000
    note = None if i % 3 == 0 else f"Bemerkung Nr. {i} – Größe, Maße, Übergabe"
    price = i * 10000 + 1234
    date = EPOCH + datetime.timedelta(days=40000 + (i % 100000) / 8.0)
    return (i, f"Müller-Lüdenscheidt {i}", f"Köln-Süd {i % 997}", i * 1.25,
            f"{price // 10000}.{price % 10000:04d}", i % 30000, i % 2 == 0,
            date.strftime("%Y-%m-%d %H:%M:%S"), bonus, note)


def write_sqlite(path, rows):
    if os.path.exists(path):
        os.remove(path)
    db = sqlite3.connect(path)
    db.execute('CREATE TABLE "Bench" (' +
               COLUMNS_SQL.format(q='"', boolean="BIT", timestamp="TIMESTAMP") + ")")
    db.executemany('INSERT INTO "Bench" VALUES (?,?,?,?,?,?,?,?,?,?)',
                   (r[:6] + (int(r[6]),) + r[7:] for r in map(row, range(1, rows + 1))))
    db.commit()
    db.close()


def csv_field(value, true="t", false="f"):
    if value is None:
        return "\\N"
    if isinstance(value, bool):
        return true if value else false
    return str(value).replace("\\", "\\\\").replace("\t", "\\t")


def write_postgres(socket_dir, rows):
    env = dict(os.environ, PGPASSWORD=os.environ["SQLVANTOR_PG_PASSWORD"])
    psql = ["psql", "-X", "-q", "-v", "ON_ERROR_STOP=1", "-h", socket_dir,
            "-U", os.environ["SQLVANTOR_PG_USER"], "-d", "sqlvantor"]
    columns = COLUMNS_SQL.format(q='"', boolean="BOOLEAN", timestamp="TIMESTAMP")
    subprocess.run(psql + ["-c", 'DROP TABLE IF EXISTS "Bench"; CREATE TABLE "Bench" (' +
                           columns + ")"], env=env, check=True)
    data = io.StringIO()
    for r in map(row, range(1, rows + 1)):
        data.write("\t".join(map(csv_field, r)) + "\n")
    subprocess.run(psql + ["-c", 'COPY "Bench" FROM STDIN'], input=data.getvalue().encode(),
                   env=env, check=True)
    # Freezing sets every row's hint bits now, so that the first scan measured does not.
    subprocess.run(psql + ["-c", 'VACUUM (FREEZE, ANALYZE) "Bench"'], env=env, check=True)


def write_mariadb(socket, rows):
    # The password travels in the environment, never on a command line.
    env = dict(os.environ, MYSQL_PWD=os.environ["SQLVANTOR_MARIA_PASSWORD"])
    client = ["mariadb", "--no-defaults", "--local-infile=1", "--socket=" + socket,
              "-u", os.environ["SQLVANTOR_MARIA_USER"], "sqlvantor"]
    # TIMESTAMP ends in 2038 there and updates itself; DATETIME is the plain date and time.
    create = ("DROP TABLE IF EXISTS `Bench`; CREATE TABLE `Bench` (" +
              COLUMNS_SQL.format(q="`", boolean="BOOLEAN", timestamp="DATETIME") + ")")
    subprocess.run(client + ["-e", create], env=env, check=True)
    # LOAD DATA reads the same tab-separated text as PostgreSQL's COPY, booleans as 1/0.
    handle, data = tempfile.mkstemp(suffix=".tsv")
    with os.fdopen(handle, "w", encoding="utf-8") as out:
        for r in map(row, range(1, rows + 1)):
            out.write("\t".join(csv_field(v, "1", "0") for v in r) + "\n")
    load = ("LOAD DATA LOCAL INFILE '" + data + "' INTO TABLE `Bench` CHARACTER SET utf8mb4; "
            "SHOW WARNINGS; ANALYZE TABLE `Bench`")
    try:
        result = subprocess.run(client + ["--batch", "-e", load], env=env, check=True,
                                capture_output=True, text=True)
    finally:
        os.remove(data)
    if "Warning" in result.stdout:
        raise SystemExit("LOAD DATA warned:\n" + result.stdout)


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--rows", type=int, default=1000000)
    parser.add_argument("--sqlite")
    parser.add_argument("--postgres")
    parser.add_argument("--mariadb", help="the throwaway MariaDB's socket")
    args = parser.parse_args()
    if args.sqlite:
        write_sqlite(args.sqlite, args.rows)
    if args.postgres:
        write_postgres(args.postgres, args.rows)
    if args.mariadb:
        write_mariadb(args.mariadb, args.rows)


if __name__ == "__main__":
    main()
