#!/usr/bin/env python3
"""Export the General 97 text keys Access stored in the Jet 3 fixtures, as test data for the
C++ key builder (tests/jet/index/data/gen97_keys.txt).

Walks every real index of every table (system tables too) of every fixture, like
verify_indexes.py. For each leaf entry whose row has a non-null value in a Text or Memo column
of that index, it cuts the text column's piece out of the key Access stored: the pieces before
it are as long as gen97_key recomputes them, and the whole recomputed key must equal the stored
one (so the cut is exact; the script stops on any difference). Each distinct (value bytes,
direction) is written once, sorted, as one line:

    a|d <value bytes in hex, '-' when empty> <key piece in hex, flag byte included>

Usage: export_gen97_keys.py [OUTPUT] [FIXTURE.mdb ...]
    OUTPUT defaults to tests/jet/index/data/gen97_keys.txt of this repository; the fixtures to
    every .mdb in ../shared/fixtures/jet3.
"""
import glob
import os
import sys

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, HERE)
import jet3  # noqa: E402
import gen97_key as K  # noqa: E402

REPO = os.path.normpath(os.path.join(HERE, '..', '..'))
SHARED = os.path.normpath(os.path.join(REPO, '..', 'shared'))
DEFAULT_OUTPUT = os.path.join(REPO, 'tests', 'jet', 'index', 'data', 'gen97_keys.txt')
TEXT_TYPES = (10, 12)


def raw_value(db, c, row, cr):
    """The stored bytes of column c (None for null; for Boolean the bit), as verify_indexes.py."""
    present = c.num < cr['ncols']
    bit = present and bool(cr['nullmask'][c.num // 8] >> (c.num % 8) & 1)
    if c.type == 1:
        return bit
    if not bit:
        return None
    if c.fixed:
        return bytes(row[1 + c.fixed_off:1 + c.fixed_off + c.length])
    v = row[cr['var'][c.var_idx]:cr['var'][c.var_idx + 1]]
    if c.type == 12:
        v = jet3.read_long_value(db, v)
    return bytes(v)


def export(files):
    keys = {}            # (value bytes, ascending) -> key piece
    entries = 0
    for path in files:
        db = jet3.Db(path)
        for name, tpg in sorted(db.table_pages().items()):
            t = db.tdef(tpg)
            rows = {}
            for dpg, r, row in t.iter_rows():
                rows[bytes([dpg >> 16 & 0xFF, dpg >> 8 & 0xFF, dpg & 0xFF, r])] = row
            for ri in t.real:
                cols = [(t.by_num[cn], bool(fl & 1)) for cn, fl in ri['cols']]
                if not any(c.type in TEXT_TYPES for c, _ in cols):
                    continue
                for _, _, entry in jet3.walk_index(db, ri['root']):
                    stored, pointer = entry[:-4], entry[-4:]
                    row = rows[pointer]
                    cr = jet3.crack_row(row, t.num_var > 0)
                    pos = 0
                    pieces = []
                    for c, asc in cols:
                        v = raw_value(db, c, row, cr)
                        piece = K.column_key(c.type, v, asc, bool_value=v)
                        if c.type in TEXT_TYPES and v is not None:
                            pieces.append((v, asc, stored[pos:pos + len(piece)]))
                        pos += len(piece)
                    want = b''.join(K.column_key(c.type, raw_value(db, c, row, cr), asc,
                                                 bool_value=raw_value(db, c, row, cr))
                                    for c, asc in cols)
                    if want != bytes(stored):
                        sys.exit('%s %s: stored key %s, recomputed %s' % (
                            os.path.basename(path), name, bytes(stored).hex(), want.hex()))
                    for v, asc, piece in pieces:
                        entries += 1
                        old = keys.setdefault((v, asc), bytes(piece))
                        if old != piece:
                            sys.exit('two keys for %r: %s %s' % (v, old.hex(), piece.hex()))
    return keys, entries


def main(argv):
    output = argv[1] if len(argv) > 1 else DEFAULT_OUTPUT
    files = argv[2:] or sorted(glob.glob(os.path.join(SHARED, 'fixtures', 'jet3', '*.mdb')))
    keys, entries = export(files)
    lines = [
        '# General 97 text keys as Access 97 stored them in the Jet 3 fixtures: one line per',
        '# distinct (value, direction): a|d, the value\'s code-page bytes (cp1252) in hex or - when',
        '# empty, the key piece of the text column (flag byte included).',
        '# Made by docs/jet3/export_gen97_keys.py from ../shared/fixtures/jet3/*.mdb;',
        '# regenerate with: python3 docs/jet3/export_gen97_keys.py',
        '# %d text entries in %d files, %d distinct lines.' % (entries, len(files), len(keys)),
    ]
    for (v, asc), piece in sorted(keys.items(), key=lambda kv: (not kv[0][1], kv[0][0])):
        lines.append('%s %s %s' % ('a' if asc else 'd', v.hex() or '-', piece.hex()))
    os.makedirs(os.path.dirname(output), exist_ok=True)
    with open(output, 'w', encoding='ascii', newline='\n') as f:
        f.write('\n'.join(lines) + '\n')
    print('%s: %d text entries, %d distinct lines, %d bytes' % (
        output, entries, len(keys), os.path.getsize(output)))


if __name__ == '__main__':
    main(sys.argv)
