#!/usr/bin/env python3
"""Print a few decoded rows (bytes, parts, values, re-encoding) for facts.md."""
import os, sys
sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import jet3
SHARED = os.path.normpath(os.path.join(os.path.dirname(os.path.abspath(__file__)), '..', '..', '..', 'shared'))
F = os.path.join(SHARED, 'fixtures/jet3/')
def show(f, table, limit=2):
    db = jet3.Db(F + f); t = db.tdef(db.table_pages()[table])
    for n, (pg, r, row) in enumerate(t.iter_rows()):
        if n >= limit: break
        cr = jet3.crack_row(row, t.num_var > 0)
        enc = jet3.reencode(t, row)
        print('--- %s %s page %d row %d len %d' % (f, table, pg, r, len(row)))
        print('  bytes  :', row.hex(' ') if len(row) <= 120 else row[:24].hex(' ') + ' ... ' + row[-40:].hex(' '))
        print('  ncols=%d nullmask=%s var offsets=%s jumps=%s' % (cr['ncols'], cr['nullmask'].hex(), cr.get('var'), cr.get('jumps')))
        vals = t.crack(row)
        print('  values :', {k: (v if not isinstance(v, (bytes, bytearray)) else bytes(v[:16]).hex()) for k, v in list(vals.items())[:12]})
        print('  re-encoded identical:', enc == row)
show('testV1997.mdb', 'Table1')
show('testV1997.mdb', 'MSysACEs', 1)
show('indexTestV1997.mdb', 'Table1', 1)
show('delColTestV1997.mdb', 'Table1', 2)
show('test2V1997.mdb', 'MSP_PROJECTS', 1)
show('testIndexCodesV1997.mdb', 'Table13', 1)
