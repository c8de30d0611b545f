#!/usr/bin/env python3
"""Writes the benchmark's table Bench into a SQLite file and/or the throwaway PostgreSQL server.

The rows follow the same rule as bench/bench_rows.cpp, so every source delivers what the writer
benchmark writes.

    make_source.py --rows N [--sqlite FILE] [--postgres SOCKET_DIR]
"""
import argparse
import datetime
import io
import os
import sqlite3
import subprocess

COLUMNS_SQL = """
    "ID" INTEGER NOT NULL, "Name" VARCHAR(50), "Ort" VARCHAR(50), "Betrag" DOUBLE PRECISION,
    "Preis" NUMERIC(19,4), "Menge" SMALLINT, "Aktiv" {boolean} NOT NULL, "Datum" TIMESTAMP,
    "Bonus" INTEGER, "Notiz" VARCHAR(200)
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
    db.execute('CREATE TABLE "Bench" (' + COLUMNS_SQL.format(boolean="BIT") + ")")
    db.executemany('INSERT INTO "Bench" VALUES (?,?,?,?,?,?,?,?,?,?)',
                   (r[:6] + (int(r[6]),) + r[7:] for r in map(row, range(1, rows + 1))))
    db.commit()
    db.close()


def csv_field(value):
    if value is None:
        return "\\N"
    if isinstance(value, bool):
        return "t" if value else "f"
    return str(value).replace("\\", "\\\\").replace("\t", "\\t")


def write_postgres(socket_dir, rows):
    env = dict(os.environ, PGPASSWORD=os.environ["SQLVANTOR_PG_PASSWORD"])
    psql = ["psql", "-X", "-q", "-v", "ON_ERROR_STOP=1", "-h", socket_dir,
            "-U", os.environ["SQLVANTOR_PG_USER"], "-d", "sqlvantor"]
    subprocess.run(psql + ["-c", 'DROP TABLE IF EXISTS "Bench"; CREATE TABLE "Bench" (' +
                           COLUMNS_SQL.format(boolean="BOOLEAN") + ")"], env=env, check=True)
    data = io.StringIO()
    for r in map(row, range(1, rows + 1)):
        data.write("\t".join(map(csv_field, r)) + "\n")
    subprocess.run(psql + ["-c", 'COPY "Bench" FROM STDIN'], input=data.getvalue().encode(),
                   env=env, check=True)
    # Freezing sets every row's hint bits now, so that the first scan measured does not.
    subprocess.run(psql + ["-c", 'VACUUM (FREEZE, ANALYZE) "Bench"'], env=env, check=True)


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--rows", type=int, default=1000000)
    parser.add_argument("--sqlite")
    parser.add_argument("--postgres")
    args = parser.parse_args()
    if args.sqlite:
        write_sqlite(args.sqlite, args.rows)
    if args.postgres:
        write_postgres(args.postgres, args.rows)


if __name__ == "__main__":
    main()
