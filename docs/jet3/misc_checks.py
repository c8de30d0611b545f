#!/usr/bin/env python3
"""Checks for facts.md sections 1, 2, 4, 5, 8, 9: data page headers, row
flags, usage maps, long values, property blobs, catalog rows."""
import collections
import glob
import os
import struct
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import jet3
from jet3 import u16, u32, u24
SHARED = os.path.normpath(os.path.join(os.path.dirname(os.path.abspath(__file__)), '..', '..', '..', 'shared'))

FILES = sorted(glob.glob(os.path.join(SHARED, 'fixtures', 'jet3', '*.mdb')))
SECTION = sys.argv[1] if len(sys.argv) > 1 else 'all'


def data_pages():
    c = collections.Counter()
    notes = []
    for path in FILES:
        db = jet3.Db(path)
        for pg in range(1, db.npages):
            p = db.page(pg)
            c['type%02x' % p[0]] += 1
            if p[0] != 1:
                continue
            c['byte1=%02x' % p[1]] += 1
            slots = db.row_slots(pg)
            total = sum(e - s for r, w, s, e in slots)
            exp = jet3.PAGE - 10 - total - 2 * len(slots)
            c['free_ok' if u16(p, 2) == exp else 'free_bad'] += 1
            if u16(p, 2) != exp:
                notes.append((os.path.basename(path), pg, u16(p, 2), exp))
            owner = p[4:8]
            kind = 'LVAL' if owner == b'LVAL' else ('zero' if u32(p, 4) == 0 else 'tdef')
            c['owner_' + kind] += 1
            for r, w, s, e in slots:
                fl = w & 0xC000
                if fl:
                    c['flag_%04x' % fl] += 1
                    if fl == 0x4000:
                        row = p[s:e]
                        notes.append(('overflow', os.path.basename(path), pg, r, hex(w), 'len', e - s,
                                      'target row', row[0], 'page', u24(row, 1)))
                    if fl == 0xC000 and len([x for x in notes if x[0] == 'deleted']) < 3:
                        notes.append(('deleted', os.path.basename(path), pg, r, hex(w), 'len', e - s))
            c['max_rows_on_page'] = max(c['max_rows_on_page'], len(slots))
    print(dict(c))
    for n in notes[:20]:
        print(' ', n)


def usage_maps():
    for path in FILES:
        db = jet3.Db(path)
        fname = os.path.basename(path)
        g = db.row_bytes(1, 0)[1]
        p1 = db.page(1)
        kind, setbits = jet3.usage_map_bits(db, 0, 1)
        # pages in use: everything any table, index or column map owns
        used = {0, 1}
        lens = collections.Counter()
        for name, tpg in db.table_pages().items():
            t = db.tdef(tpg)
            used.update(t.pages)
            maps = [t.owned_map, t.free_map] + [r['map'] for r in t.real] + \
                [m for cm in t.col_maps for m in cm[1:] if m[1]]
            for m in maps:
                row = db.row_bytes(m[1], m[0])[1]
                lens['type%d/len%d' % (row[0], len(row))] += 1
                used.add(m[1])
            for m in [t.owned_map] + [r['map'] for r in t.real] + [cm[1] for cm in t.col_maps]:
                used.update(jet3.usage_map_pages(db, *m))
        free = set(setbits)
        inuse_marked_free = sorted(used & free)
        within = set(range(db.npages))
        unaccounted = sorted(within - used - free)
        past_eof = [b for b in setbits if b >= db.npages]
        print('%-24s page1 owner=%d rows=%d row0 type=%d len=%d start=%d | set bits in file=%d, past EOF=%d (first %s) | in-use pages with set bit: %s | pages neither used nor set: %s | map rows %s' % (
            fname, u32(p1, 4), u16(p1, 8), g[0], len(g), u32(g, 1), len(free & within), len(past_eof),
            past_eof[:1], inuse_marked_free, unaccounted[:12], dict(lens)))
        if fname == 'testV1997.mdb':
            for r, w, s, e in db.row_slots(1):
                print('   page 1 row', r, hex(w), 'len', e - s, db.page(1)[s:s + 24].hex(' '))


def long_values():
    c = collections.Counter()
    for path in FILES:
        db = jet3.Db(path)
        for name, tpg in db.table_pages().items():
            t = db.tdef(tpg)
            lvcols = [col for col in t.columns if col.type in (11, 12)]
            if not lvcols:
                continue
            for pg, r, row in t.iter_rows():
                raw = t.crack(row, raw=True)
                for col in lvcols:
                    d = raw[col.name]
                    if d is None:
                        continue
                    d = bytes(d)
                    ln = u32(d, 0)
                    kind = ln >> 24 & 0xC0
                    size = ln & 0x3FFFFFFF
                    c['kind%02x' % kind] += 1
                    if kind == 0x80:
                        c['inline_len_ok' if len(d) == 12 + size else 'inline_len_bad'] += 1
                        c['max_inline'] = max(c['max_inline'], size)
                        c['inline_tail8_zero' if d[4:12] == bytes(8) else 'inline_tail8_nonzero'] += 1
                    else:
                        lpg = u24(d, 5)
                        lp = db.page(lpg)
                        c['lval_page_tag_' + repr(lp[4:8])] += 1
                        if kind == 0x00:
                            # chain: follow, record row sizes
                            rr, pp = d[4], lpg
                            sizes = []
                            while pp:
                                w, lrow = db.row_bytes(pp, rr)
                                sizes.append(len(lrow))
                                rr, pp = lrow[0], u24(lrow, 1)
                            c['chains'] += 1
                            c['max_chain_row'] = max(c['max_chain_row'], max(sizes))
                            data = jet3.read_long_value(db, d)
                            c['chain_len_ok' if len(data) == size else 'chain_len_bad'] += 1
                            if len(sizes) > 1:
                                c['multi_row_chains'] += 1
                                c['chain_example'] = (os.path.basename(path), name, col.name, size, sizes)
                        else:
                            w, lrow = db.row_bytes(lpg, d[4])
                            c['single_len_ok' if len(lrow) == size else 'single_len_bad(%d/%d)' % (len(lrow), size)] += 1
                            c['min_single'] = min(c.get('min_single', 10 ** 9), size)
                            c['max_single'] = max(c['max_single'], size)
                        c['desc_tail4_zero' if d[8:12] == bytes(4) else 'desc_tail4_nonzero'] += 1
    for k, v in sorted(c.items(), key=lambda x: str(x[0])):
        print(' ', k, v)


def kkd(blob, enc):
    """Parse a Jet 3 property blob; returns list of (chunk type, obj, [(name, type, ddl, value)])."""
    assert blob[:4] == b'KKD\0', blob[:4]
    o = 4
    names = []
    out = []
    while o < len(blob):
        ln, ty = u32(blob, o), u16(blob, o + 4)
        body = blob[o + 6:o + ln]
        if ty == 0x80:
            q = 0
            while q < len(body):
                n = u16(body, q)
                names.append(body[q + 2:q + 2 + n].decode(enc))
                q += 2 + n
            out.append(('names', len(names), names[:6]))
        else:
            blen = u32(body, 0)
            nlen = u16(body, 4)
            obj = body[6:6 + nlen].decode(enc)
            q = blen
            ents = []
            while q < len(body):
                el = u16(body, q)
                ddl, dt, ni, vs = body[q + 2], body[q + 3], u16(body, q + 4), u16(body, q + 6)
                val = body[q + 8:q + 8 + vs]
                if dt in (10, 12):
                    val = val.decode(enc)
                ents.append((names[ni], dt, ddl, val))
                q += el
            out.append((hex(ty), obj, ents))
        o += ln
    return out


def properties():
    db = jet3.Db(os.path.join(SHARED, 'fixtures/jet3/testV1997.mdb'))
    t = db.tdef(2)
    for pg, r, row in t.iter_rows():
        v = t.crack(row)
        if v['Name'] in ('Table1', 'MSysDb') and v['LvProp']:
            print('==', v['Name'], 'LvProp', len(v['LvProp']), 'bytes; head', v['LvProp'][:24].hex(' '))
            for chunk in kkd(v['LvProp'], db.encoding):
                print('  ', chunk if chunk[0] == 'names' else (chunk[0], chunk[1], chunk[2][:8]))
    # every blob of every fixture parses?
    ok = bad = 0
    for path in FILES:
        db = jet3.Db(path)
        t = db.tdef(2)
        for pg, r, row in t.iter_rows():
            b = t.crack(row)['LvProp']
            if b:
                try:
                    kkd(b, db.encoding)
                    ok += 1
                except Exception as e:
                    bad += 1
    print('KKD blobs parsed:', ok, 'failed:', bad)


def catalog():
    db = jet3.Db(os.path.join(SHARED, 'fixtures/jet3/indexTestV1997.mdb'))
    t = db.tdef(2)
    for pg, r, row in t.iter_rows():
        v = t.crack(row)
        print('  MSysObjects Id=%08x Parent=%08x Type=%d Flags=%08x Owner=%s Name=%s' % (
            v['Id'] & 0xFFFFFFFF, v['ParentId'] & 0xFFFFFFFF, v['Type'], v['Flags'] & 0xFFFFFFFF,
            v['Owner'].hex() if v['Owner'] else None, v['Name']))
    ta = db.tdef(db.table_pages()['MSysACEs'])
    aces = collections.Counter()
    for pg, r, row in ta.iter_rows():
        v = ta.crack(row)
        aces[(v['SID'].hex(), hex(v['ACM']), v['FInheritable'])] += 1
    print('  MSysACEs (SID, ACM, FInheritable): count', dict(aces))
    tr = db.tdef(db.table_pages()['MSysRelationships'])
    for pg, r, row in tr.iter_rows():
        print('  MSysRelationships', tr.crack(row))


if __name__ == '__main__':
    for fn in (data_pages, usage_maps, long_values, properties, catalog):
        if SECTION in ('all', fn.__name__):
            print('#####', fn.__name__)
            fn()
