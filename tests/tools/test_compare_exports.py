#!/usr/bin/env python3
"""Tests of the export comparison: its CSV reading, its cell rules, its handling of mdb-export's known
faults, that it catches a wrong cell end to end, and that the mdb-reader script prints numbers as C does."""

from __future__ import annotations

import io
import os
import random
import shutil
import stat
import struct
import subprocess
import sys
import tempfile
import unittest
from contextlib import redirect_stdout
from decimal import Decimal
from pathlib import Path

sys.path.insert(0, str(Path(__file__).resolve().parent))
import compare_exports as ce  # noqa: E402

HERE = Path(__file__).resolve().parent
FIXTURES = Path(os.environ.get("SQLVANTOR_FIXTURES_JET4", ce.REPO_ROOT.parent / "shared" / "fixtures" / "jet4"))


def cells(*texts):
    """Cells from Python values: None is NULL, str is quoted, anything else bare."""
    return [ce.Cell("", False) if t is None else ce.Cell(t, True) if isinstance(t, str) else ce.Cell(str(t), False)
            for t in texts]


class ParseCsvTest(unittest.TestCase):
    def test_quotes_newlines_and_empty_fields(self):
        data = 'a,b,c\n"x ""q"", y","line1\r\nline2",\n,"",3\n'
        self.assertEqual(
            ce.parse_csv(data),
            [
                [ce.Cell("a", False), ce.Cell("b", False), ce.Cell("c", False)],
                [ce.Cell('x "q", y', True), ce.Cell("line1\r\nline2", True), ce.Cell("", False)],
                [ce.Cell("", False), ce.Cell("", True), ce.Cell("3", False)],
            ],
        )
        self.assertTrue(ce.parse_csv("a\n\n")[1][0].is_null)  # one NULL column
        self.assertFalse(ce.parse_csv('a\n""\n')[1][0].is_null)

    def test_malformed(self):
        for data in ('a\n"open\n', 'a\n"x"y\n', "a\nx\"y\n"):
            with self.assertRaises(ce.CsvError, msg=data):
                ce.parse_csv(data)


class SameValueTest(unittest.TestCase):
    def check(self, kind, a, b, expected):
        (x, y) = cells(a, b)
        self.assertEqual(ce.same_value(x, y, kind), expected, f"{kind}: {a!r} vs {b!r}")

    def test_numbers(self):
        self.check("double", 0.30000000000000004, "0.3", False)  # quoted vs bare
        self.check("double", 0.30000000000000004, 0.3, True)  # 16 digits, as mdb-export prints
        self.check("double", 444.555, 444.556, False)
        self.check("float", 0.10000000149011612, 0.1, True)
        self.check("float", 0.1, 0.2, False)
        self.check("currency", "3.5", Decimal("3.5"), False)  # quoted vs bare
        self.check("currency", Decimal("3.5"), Decimal("3.5000"), True)
        self.check("numeric", -1, 1, False)
        self.check("long", 333333333, 333333334, False)
        self.check("integer", None, 0, False)
        self.check("integer", None, None, True)

    def test_dates_text_binary_guid(self):
        self.check("datetime", "1974-09-21 00:00:00", "1974-09-21 00:00:01", True)
        self.check("datetime", "1974-09-21 00:00:00", "1974-09-21 00:00:02", False)
        self.check("datetime", "1974-09-20 24:00:00", "1974-09-21 00:00:00", True)
        self.check("datetime", "0100-01-01 00:00:00", "100-01-01 00:00:00", True)
        self.check("text", "abc", "abc ", False)
        self.check("text", "", None, False)
        self.check("ole", "0AFF", "0aff", True)
        guid = "{01234567-89AB-CDEF-0123-456789ABCDEF}"
        self.check("repid", guid, guid.encode().hex().upper(), True)
        self.check("repid", guid, guid.replace("EF}", "EE}"), False)


class CompareTableTest(unittest.TestCase):
    KINDS = [("id", "long"), ("name", "text"), ("born", "datetime")]

    def exports(self, jettool_row, mdb_export_row, reader_row):
        def header():
            return [ce.Cell(name, False) for name, _ in self.KINDS]
        return {"jettool": [header(), cells(*jettool_row)], "mdb-export": [header(), cells(*mdb_export_row)],
                "mdb-reader": [header(), cells(*reader_row)]}

    def test_agreement_and_known_faults(self):
        row = (1, "", "1850-03-01 12:00:00")
        result = ce.compare_table("t", self.KINDS, self.exports(row, (1, None, ce.MDB_EXPORT_BAD_DATE), row))
        self.assertTrue(result.ok, result.problems)
        self.assertEqual(result.faults, {"empty-vs-null": 1, "date-range": 1})

    def test_binary_cut_at_a_zero_byte(self):
        kinds = [("id", "long"), ("data", "binary")]
        header = [ce.Cell(name, False) for name, _ in kinds]

        def compare(mdb_export_hex):
            exports = {"jettool": [header, cells(1, "0A00FF")], "mdb-export": [header, cells(1, mdb_export_hex)],
                       "mdb-reader": [header, cells(1, "0A00FF")]}
            return ce.compare_table("t", kinds, exports)

        self.assertEqual(compare("0A").faults, {"binary-zero": 1})
        self.assertFalse(compare("0A00").ok)  # cut, but not where the zero byte is

    def test_calculated_columns_are_counted_not_compared(self):
        kinds = [("id", "long"), ("sum", "double")]
        header = [ce.Cell(name, False) for name, _ in kinds]
        exports = {"jettool": [header, cells(1, "2.5")], "mdb-export": [header, cells(1, None)],
                   "mdb-reader": [header, cells(1, "4.1e-315")]}
        result = ce.compare_table("t", kinds, exports, frozenset({"sum"}))
        self.assertTrue(result.ok, result.problems)
        self.assertEqual(result.faults, {"calculated-column": 1})
        self.assertFalse(ce.compare_table("t", kinds, exports).ok)

    def test_types_mdb_export_does_not_know(self):
        kinds = [("id", "bigint"), ("when", "datetimextended")]
        header = [ce.Cell(name, False) for name, _ in kinds]
        row = cells(9007199254740993, "2024-02-29 12:00:00.0000001")
        exports = {"jettool": [header, row], "mdb-export": [header, cells(None, None)],
                   "mdb-reader": [header, row]}
        result = ce.compare_table("t", kinds, exports)
        self.assertTrue(result.ok, result.problems)
        self.assertEqual(result.faults, {"new-type": 2})
        exports["mdb-reader"] = [header, cells(9007199254740992, "2024-02-29 12:00:00.0000001")]
        self.assertFalse(ce.compare_table("t", kinds, exports).ok)  # BigInt compared exactly

    def test_bad_date_inside_range_is_not_excused(self):
        row = (1, "a", "1950-03-01 12:00:00")
        result = ce.compare_table("t", self.KINDS, self.exports(row, (1, "a", ce.MDB_EXPORT_BAD_DATE), row))
        self.assertFalse(result.ok)
        self.assertIn("mdb-export in 1 cell(s); first at row 1 column born", result.problems[0])

    def test_reports_first_difference_and_extra_rows(self):
        good = (1, "a", "2000-01-01 00:00:00")
        exports = self.exports((2, "a", "2000-01-01 00:00:00"), good, good)
        exports["mdb-reader"].append(cells(3, "b", "2001-01-01 00:00:00"))
        result = ce.compare_table("t", self.KINDS, exports)
        text = "\n".join(result.problems)
        self.assertIn("row counts differ: jettool 1, mdb-export 1, mdb-reader 2", text)
        self.assertIn("first at row 1 column id (long): jettool 2, mdb-export 1, mdb-reader 1", text)
        self.assertIn('row 2 from mdb-reader: 3,"b","2001-01-01 00:00:00"', text)

    def test_column_mismatch(self):
        row = (1, "a", "2000-01-01 00:00:00")
        exports = self.exports(row, row, row)
        exports["jettool"][0][1] = ce.Cell("Name", False)
        result = ce.compare_table("t", self.KINDS, exports)
        self.assertEqual(len(result.problems), 1)
        self.assertIn("jettool: columns ['id', 'Name', 'born']", result.problems[0])


def tools_present():
    return FIXTURES.is_dir() and shutil.which("mdb-export") and shutil.which("node") and \
        (HERE / "node_modules" / "mdb-reader").is_dir()


@unittest.skipUnless(tools_present(), "needs the jet4 fixtures, mdbtools, node and tests/tools/node_modules")
class EndToEndTest(unittest.TestCase):
    """A stand-in jettool that answers with mdb-export's output, once faithful and once with one cell changed."""

    FILE = "testV2000.mdb"

    def run_with_fake_jettool(self, sed_expression):
        with tempfile.TemporaryDirectory() as tmp:
            fake = Path(tmp) / "jettool"
            fake.write_text(
                "#!/bin/sh\n"
                "[ \"$1\" = export ] || exit 2\n"
                f"mdb-export -D '{ce.DATE_FORMAT}' -T '{ce.DATE_FORMAT}' -b hex \"$2\" \"$3\" | sed '{sed_expression}'\n"
            )
            fake.chmod(fake.stat().st_mode | stat.S_IXUSR)
            out = io.StringIO()
            with redirect_stdout(out):
                status = ce.main(["--jettool", str(fake), str(FIXTURES / self.FILE)])
            return status, out.getvalue()

    def test_faithful_export_passes(self):
        status, out = self.run_with_fake_jettool("")
        self.assertEqual(status, 0, out)
        self.assertIn("4 agree, 0 differ", out)

    def test_changed_cell_fails_naming_it(self):
        status, out = self.run_with_fake_jettool("s/444.555/444.5551/")
        self.assertEqual(status, 1, out)
        self.assertIn("FAIL testV2000.mdb Table1", out)
        self.assertIn("first at row 1 column F (double): jettool 444.5551, mdb-export 444.555, mdb-reader 444.555", out)


@unittest.skipUnless(shutil.which("node") and (HERE / "node_modules" / "mdb-reader").is_dir(), "needs node and mdb-reader")
class FormatGTest(unittest.TestCase):
    """The mdb-reader script's %.8g/%.16g against Python's, which rounds the exact value like glibc."""

    def test_matches_printf(self):
        rng = random.Random(4637)
        values = [0.0, -0.0, 0.1, 444.555, 1e16, 9999999999999999.0, 1e-5, 1e-4, 5e-324, 1.7976931348623157e308,
                  1125899906842624.5, 99999995.0, float("inf"), float("-inf")]
        for _ in range(3000):
            values.append(struct.unpack(">d", rng.getrandbits(64).to_bytes(8, "big"))[0])
            values.append(round(rng.uniform(-1e4, 1e4), rng.randint(0, 6)))
            values.append(struct.unpack("f", struct.pack("f", rng.uniform(-1e5, 1e5)))[0])
        values = [v for v in values if v == v]
        program = (
            f'import {{ formatG }} from "{(HERE / "mdb_reader_export.mjs").as_uri()}";\n'
            'import { readFileSync } from "node:fs";\n'
            'for (const hex of readFileSync(0, "utf8").trim().split("\\n")) {\n'
            '  const v = Buffer.from(hex, "hex").readDoubleBE();\n'
            '  console.log(formatG(v, 8) + " " + formatG(v, 16));\n'
            '}\n'
        )
        done = subprocess.run(["node", "--input-type=module", "-e", program], capture_output=True, text=True,
                              input="\n".join(struct.pack(">d", v).hex() for v in values), check=True)
        got = done.stdout.splitlines()
        self.assertEqual(len(got), len(values))
        for v, line in zip(values, got):
            self.assertEqual(line, f"{v:.8g} {v:.16g}", repr(v))


if __name__ == "__main__":
    unittest.main()
