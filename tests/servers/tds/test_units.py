"""Unit checks of the parts the driver runs cannot pin down: value edges, cursor movement,
statement recognition and catalog filters. Run: python3 -m unittest tds.test_units"""

import sqlite3
import struct
import tempfile
import unittest

from . import catalog, cursors, queries, requests7, types5, types7
from . import sqlsource as src


def enc7(declared, value):
    return types7.wire_type(src.parse_type(declared)).encode(value)


class Values7(unittest.TestCase):
    def test_exact_numbers_keep_every_digit_and_sign(self):
        data = enc7("decimal(38,10)", b"-1234567890123456789012345678.0123456789")
        self.assertEqual(data[:2], b"\x11\x00")  # 17 bytes, sign 0 = negative
        self.assertEqual(int.from_bytes(data[2:], "little"), 12345678901234567890123456780123456789)
        self.assertEqual(enc7("money", "-0.0001"), b"\x08" + struct.pack("<iI", -1, 0xFFFFFFFF))
        self.assertEqual(enc7("numeric(5,2)", 1.005), b"\x05\x01" + (101).to_bytes(4, "little"))  # half up

    def test_datetime_rounds_like_the_server(self):
        # 23:59:59.999 becomes the next day's midnight; smalldatetime rounds 29.998 s up
        self.assertEqual(enc7("datetime", "2024-02-28 23:59:59.999"), b"\x08" + struct.pack("<iI", 45349, 0))
        self.assertEqual(enc7("smalldatetime", "2024-01-01 10:00:29.998"), b"\x04" + struct.pack("<HH", 45290, 601))
        self.assertEqual(enc7("smalldatetime", "2024-01-01 10:00:29.997"), b"\x04" + struct.pack("<HH", 45290, 600))

    def test_datetimeoffset_goes_out_in_utc(self):
        data = enc7("datetimeoffset(0)", "2024-03-01 01:00:00 +02:00")
        self.assertEqual(data[0], 8)
        self.assertEqual(int.from_bytes(data[1:4], "little"), 23 * 3600)
        self.assertEqual(int.from_bytes(data[4:7], "little"), (src.parse_datetime("2024-02-29")[0]).toordinal() - 1)
        self.assertEqual(struct.unpack("<h", data[7:])[0], 120)

    def test_time_length_follows_scale(self):
        for scale, size in ((0, 3), (2, 3), (3, 4), (4, 4), (5, 5), (7, 5)):
            self.assertEqual(enc7("time(%d)" % scale, "23:59:59.9999999")[0], size)

    def test_padding_counts_characters_not_code_units(self):
        data = enc7("nchar(3)", "😀")
        self.assertEqual(struct.unpack("<H", data[:2])[0], 6)  # surrogate pair + one blank
        self.assertEqual(data[2:].decode("utf-16-le"), "😀 ")

    def test_values_longer_than_declared_are_refused(self):
        self.assertEqual(enc7("varchar(3)", "abc"), b"\x03\x00abc")
        with self.assertRaises(ValueError):
            enc7("varchar(3)", "abcd")
        with self.assertRaises(ValueError):
            enc7("nvarchar(1)", "😀")  # two UTF-16 code units
        with self.assertRaises(ValueError):
            types5.wire_type(src.parse_type("char(2)")).encode("äb")  # three bytes in UTF-8

    def test_textsize_cuts_long_types_in_bytes(self):
        types7.TEXTSIZE.value = 5
        try:
            self.assertEqual(enc7("nvarchar(max)", "abcdef")[8:], b"\x04\x00\x00\x00a\x00b\x00\x00\x00\x00\x00")
            self.assertEqual(enc7("text", "abcdef")[-9:], b"\x05\x00\x00\x00abcde")
            self.assertEqual(enc7("xml", "<a/>")[:8], struct.pack("<Q", 8))  # xml is never cut
            self.assertEqual(enc7("nvarchar(10)", "abcdef")[:2], b"\x0c\x00")  # nor are short types
        finally:
            types7.TEXTSIZE.value = 0

    def test_long_values_go_in_several_plp_chunks(self):
        data = enc7("varbinary(max)", b"x" * 20000)
        self.assertEqual(struct.unpack("<Q", data[:8])[0], 20000)
        self.assertEqual(struct.unpack("<I", data[8:12])[0], types7.PLP_CHUNK)
        self.assertEqual(data[-4:], b"\x00\x00\x00\x00")
        self.assertEqual(enc7("nvarchar(max)", None), types7.PLP_NULL)

    def test_variant_carries_its_base_type(self):
        data = enc7("sql_variant", "decimal(10,2):-12.34")
        self.assertEqual(data[4:8], bytes([types7.DECIMALN, 2, 10, 2]))
        self.assertEqual(data[8], 0)
        self.assertEqual(enc7("sql_variant", None), b"\x00\x00\x00\x00")


class Values5(unittest.TestCase):
    def test_decimal_is_big_endian_with_sybase_sign(self):
        w = types5.wire_type(src.parse_type("numeric(10,2)"))
        self.assertEqual(w.encode("-1.00"), b"\x06\x01" + (100).to_bytes(5, "big"))

    def test_bigdatetime_counts_microseconds_from_year_zero(self):
        w = types5.wire_type(src.parse_type("bigdatetime"))
        value = struct.unpack("<Q", w.encode("1900-01-01 00:00:00.000001")[1:])[0]
        self.assertEqual(value, 693961 * 86400 * 10**6 + 1)

    def test_empty_strings_are_not_null(self):
        self.assertEqual(types5.wire_type(src.parse_type("varchar(10)")).encode(""), b"\x01 ")
        self.assertEqual(types5.wire_type(src.parse_type("varchar(10)")).encode(None), b"\x00")


class CursorMoves(unittest.TestCase):
    def cursor(self, n=25):
        return cursors.Cursor("t", [], [], [(i,) for i in range(1, n + 1)], cursors.KEYSET, 1)

    def ids(self, rows):
        return [r[0] for r in rows]

    def test_next_gives_a_short_last_rowset_then_nothing(self):
        c = self.cursor()
        self.assertEqual(self.ids(c.fetch(cursors.NEXT, 0, 10)), list(range(1, 11)))
        c.fetch(cursors.NEXT, 0, 10)
        self.assertEqual(self.ids(c.fetch(cursors.NEXT, 0, 10)), [21, 22, 23, 24, 25])
        self.assertEqual(c.fetch(cursors.NEXT, 0, 10), [])
        self.assertEqual(self.ids(c.fetch(cursors.PREV, 0, 10)), list(range(16, 26)))

    def test_prev_stops_at_the_first_rowset_then_before_it(self):
        c = self.cursor()
        c.fetch(cursors.ABSOLUTE, 5, 10)
        self.assertEqual(self.ids(c.fetch(cursors.PREV, 0, 10)), list(range(1, 11)))
        self.assertEqual(c.fetch(cursors.PREV, 0, 10), [])

    def test_absolute_and_relative(self):
        c = self.cursor()
        self.assertEqual(self.ids(c.fetch(cursors.ABSOLUTE, -3, 10)), [23, 24, 25])
        self.assertEqual(self.ids(c.fetch(cursors.RELATIVE, -5, 2)), [18, 19])
        self.assertEqual(self.ids(c.fetch(cursors.REFRESH, 0, 0)), [18, 19])
        self.assertEqual(c.fetch(cursors.ABSOLUTE, 0, 10), [])
        self.assertEqual(c.fetch(cursors.FIRST, 0, 0), [])  # positions only
        self.assertEqual(self.ids(c.fetch(cursors.RELATIVE, 7, 1)), [7])


class Statements(unittest.TestCase):
    def test_table_names_in_every_quoting(self):
        for text in ("SELECT * FROM Typen", "select * from [Typen]", 'SELECT  *  FROM "Typen";',
                     "SELECT * FROM dbo.Typen", "SELECT * FROM [sqlvantor].[dbo].[Typen]", "SELECT * FROM sqlvantor..Typen"):
            self.assertEqual(queries.classify(text, {})[0], "rows", text)
            self.assertEqual(queries.classify(text, {})[1][-1], "Typen", text)
        self.assertEqual(queries.classify("SELECT * FROM [a]]b]", {})[1], ["a]b"])

    def test_count_with_and_without_alias(self):
        self.assertEqual(queries.classify("SELECT COUNT(*) AS SatzZahl FROM [T]", {})[1:], (["T"], "SatzZahl"))
        self.assertEqual(queries.classify("select count(*) from T", {})[1:], (["T"], ""))

    def test_anything_else_is_a_syntax_error(self):
        self.assertEqual(queries.classify("SELECT a FROM T", {})[0], "syntax")
        self.assertEqual(queries.classify("DELETE FROM T", {})[0], "syntax")


class Catalog(unittest.TestCase):
    def setUp(self):
        self.dir = tempfile.TemporaryDirectory()
        path = self.dir.name + "/db"
        con = sqlite3.connect(path)
        con.execute("CREATE TABLE Typen (a int)")
        con.execute("CREATE TABLE t_x (a int)")
        con.execute("CREATE VIEW Sicht AS SELECT a FROM Typen")
        con.close()
        self.source = src.Source(path)

    def tearDown(self):
        self.source.close()
        self.dir.cleanup()

    def test_not_null_columns_are_described_so(self):
        con = sqlite3.connect(self.dir.name + "/db")
        con.execute("CREATE TABLE nn (a int NOT NULL, b int)")
        con.commit()
        con.close()
        self.assertEqual([c.nullable for c in self.source.columns("nn")], [False, True])

    def test_types_owner_and_patterns(self):
        rows = catalog.tables(self.source, {"@table_type": "'TABLE','VIEW'"})
        self.assertEqual([r[2] for r in rows if r[1] == "dbo"][:3], ["t_x", "Typen", "Sicht"])  # "_" sorts before letters
        self.assertIn(("sqlvantor", "sys", "objects", "VIEW", None), rows)
        self.assertEqual([r[3] for r in catalog.tables(self.source, {"@table_type": "'SYSTEM TABLE'"})], ["SYSTEM TABLE"] * 2)
        self.assertEqual([r[2] for r in catalog.tables(self.source, {"@table_name": "t\\_%"})], ["t_x"])
        self.assertEqual(catalog.tables(self.source, {"@table_qualifier": "master"}), [])


class Requests(unittest.TestCase):
    def test_numbered_rpc_as_freetds_sends_it(self):
        text = "SELECT * FROM t".encode("utf-16-le")
        payload = struct.pack("<IIH", 22, 18, 2) + bytes(12)  # ALL_HEADERS: transaction descriptor
        payload += struct.pack("<HHH", 0xFFFF, 2, 0)
        payload += b"\x00\x01\x26\x04\x00"  # handle OUT, NULL
        payload += b"\x00\x00\x63" + struct.pack("<i", len(text)) + types7.COLLATION + struct.pack("<i", len(text)) + text
        payload += b"\x00\x01\x26\x04\x04" + struct.pack("<i", 1)
        (call,) = requests7.rpc_calls(payload)
        self.assertEqual((call.proc, call.param(0), call.param(1), call.param(2)), ("sp_cursoropen", None, "SELECT * FROM t", 1))


if __name__ == "__main__":
    unittest.main()
