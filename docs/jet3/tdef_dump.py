#!/usr/bin/env python3
"""Print the TDEF of every table in every Jet 3 fixture and check the
structural invariants noted in facts.md (tdef_len, counts, chains)."""
import glob, os, sys
sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import jet3

SHARED = os.path.normpath(os.path.join(os.path.dirname(os.path.abspath(__file__)), '..', '..', '..', 'shared'))
def dump(path, out):
    db = jet3.Db(path)
    checks = dict(tables=0, len_ok=0, vc=0, var_ok=0, autonum_tables=[])
    out.append('#### %s  pages=%d' % (os.path.basename(path), db.npages))
    for name, pg in sorted(db.table_pages().items(), key=lambda x: x[1]):
        t = db.tdef(pg)
        checks['tables'] += 1
        checks['len_ok'] += (t.tdef_len == t.end)
        checks['vc'] += (t.tdef_id == b'VC')
        nvar = sum(1 for c in t.columns if not c.fixed)
        checks['var_ok'] += (nvar == t.num_var)
        out.append('== %s tdef=%s len=%d rows=%d auto=%d type=0x%02x max_cols=%d var=%d cols=%d log=%d real=%d owned=%s free=%s' % (
            name, t.pages, t.tdef_len, t.num_rows, t.autonumber, t.table_type, t.max_cols,
            t.num_var, t.num_cols, t.num_idx, t.num_real, t.owned_map, t.free_map))
        out.append('   real-index counts (unknown, count): %s' % t.real_counts)
        for c in t.columns:
            if c.flags & 0x04: checks['autonum_tables'].append((name, c.name, t.autonumber))
            out.append('   col %-22s num=%-3d %-8s len=%-4d flags=0x%02x var_idx=%-3d fixed_off=%-5s b5=%d b7=%d sort=0x%04x cp=%d' % (
                c.name, c.num, jet3.TYPE_NAMES.get(c.type, c.type), c.length, c.flags, c.var_idx,
                c.fixed_off if c.fixed else '-', c.num2, c.w7, c.w9, c.w11))
        for i, r in enumerate(t.real):
            out.append('   real[%d] cols=%s map=%s root=%d flags=0x%02x' % (i, r['cols'], r['map'], r['root'], r['flags']))
        for l in t.logical:
            out.append('   logical %-24s num=%d real=%d type=%d rel_type=%d rel_idx=%d rel_tbl=%d upd=%d del=%d' % (
                l['name'], l['num'], l['real'], l['type'], l['rel_type'], l['rel_idx'], l['rel_tbl'], l['cascade_upd'], l['cascade_del']))
        for cm in t.col_maps:
            out.append('   column map col=%d owned=%s free=%s' % cm)
    out.append('   checks: %s' % checks)
    return checks

if __name__ == '__main__':
    out = []
    files = sys.argv[1:] or sorted(glob.glob(os.path.join(SHARED, 'fixtures', 'jet3', '*.mdb')))
    for f in files:
        dump(f, out)
    print('\n'.join(out))
