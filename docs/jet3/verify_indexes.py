#!/usr/bin/env python3
"""Walk every real index of every table of every Jet 3 fixture, check the
page headers, recompute every entry from the table rows with gen97_key and
compare byte for byte with the Access-built leaves."""
import collections
import glob
import os
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import jet3
import gen97_key as K
SHARED = os.path.normpath(os.path.join(os.path.dirname(os.path.abspath(__file__)), '..', '..', '..', 'shared'))

VERBOSE = '-v' in sys.argv
files = [a for a in sys.argv[1:] if not a.startswith('-')] or \
    sorted(glob.glob(os.path.join(SHARED, 'fixtures', 'jet3', '*.mdb')))

tot = collections.Counter()
mismatches = []
page_notes = collections.Counter()


def raw_value(db, t, c, row, cr):
    present = c.num < cr['ncols']
    bit = present and bool(cr['nullmask'][c.num // 8] >> (c.num % 8) & 1)
    if c.type == 1:
        return bit
    if not bit:
        return None
    if c.fixed:
        return row[1 + c.fixed_off:1 + c.fixed_off + c.length]
    v = row[cr['var'][c.var_idx]:cr['var'][c.var_idx + 1]]
    if c.type == 12:
        v = jet3.read_long_value(db, v)
    if c.type in (3, 4, 5, 6, 7, 8) and not c.fixed:
        pass                 # number stored in the var area (MSysModules2)
    return bytes(v)


def check_pages(db, t, ri, name, iname):
    """Header checks over every page of the tree."""
    seen_leaves = []
    stack = [ri['root']]
    pages = []
    while stack:
        pg = stack.pop()
        h = jet3.index_page(db, pg)
        pages.append(pg)
        page_notes['pages'] += 1
        page_notes['type%02x' % h['type']] += 1
        if h['tdef'] != t.page_no:
            page_notes['tdef_mismatch'] += 1
        if h['free'] == jet3.PAGE - h['used_end']:
            page_notes['free_ok'] += 1
        else:
            page_notes['free_bad'] += 1
            if VERBOSE:
                print('free?', name, iname, pg, h['free'], jet3.PAGE - h['used_end'])
        if h['prefix']:
            page_notes['prefix>0'] += 1
            ents = h['entries']
            if all(e[:h['prefix']] == ents[0][:h['prefix']] for e in ents):
                page_notes['prefix_ok'] += 1
        page_notes['b21=%d on type%02x' % (h['b21'], h['type'])] += 1
        if h['type'] == 3:
            for e in h['entries']:
                last = jet3.last_leaf_entry(db, jet3.u32be(e[-4:]))
                page_notes['node_entry=last_of_child' if last == e[:-4] else 'node_entry_other'] += 1
            page_notes['node_with_tail' if h['tail'] else 'node_without_tail'] += 1
            page_notes['node_entries=%d' % len(h['entries'])] += 1
            kids = [jet3.u32be(e[-4:]) for e in h['entries']]
            if h['tail']:
                kids.append(h['tail'])
            stack += kids[::-1]
        else:
            seen_leaves.append((pg, h['prev'], h['next']))
    # leaf chain: prev/next must link the leaves in walk order
    for i, (pg, prv, nxt) in enumerate(seen_leaves):
        exp_prev = seen_leaves[i - 1][0] if i else 0
        exp_next = seen_leaves[i + 1][0] if i + 1 < len(seen_leaves) else 0
        page_notes['leaf_links_ok' if (prv, nxt) == (exp_prev, exp_next) else 'leaf_links_bad'] += 1
    return pages


for path in files:
    db = jet3.Db(path)
    fname = os.path.basename(path)
    for name, tpg in sorted(db.table_pages().items()):
        t = db.tdef(tpg)
        rows = list(t.iter_rows())
        for ii, ri in enumerate(t.real):
            iname = ','.join(l['name'] for l in t.logical if l['real'] == ii)
            check_pages(db, t, ri, name, iname)
            actual = [e for _, _, e in jet3.walk_index(db, ri['root'])]
            cols = [(t.by_num[cn], bool(fl & 1)) for cn, fl in ri['cols']]
            expected = []
            for dpg, r, row in rows:
                cr = jet3.crack_row(row, t.num_var > 0)
                vals = [raw_value(db, t, c, row, cr) for c, asc in cols]
                if ri['flags'] & 0x02 and all(v is None for v in vals):
                    continue
                key = b''.join(K.column_key(c.type, v, asc, bool_value=v) for (c, asc), v in zip(cols, vals))
                expected.append(key + bytes([dpg >> 16 & 0xFF, dpg >> 8 & 0xFF, dpg & 0xFF, r]))
            expected.sort()
            kinds = '+'.join(jet3.TYPE_NAMES[c.type] + ('' if a else '(desc)') for c, a in cols)
            has_text = any(c.type in (10, 12) for c, a in cols)
            tot['indexes'] += 1
            tot['entries'] += len(actual)
            act_by_ptr = {e[-4:]: e for e in actual}
            exp_by_ptr = {e[-4:]: e for e in expected}
            nmatch = sum(1 for p, e in exp_by_ptr.items() if act_by_ptr.get(p) == e)
            tot['matching'] += nmatch
            if has_text:
                tot['text_entries'] += len(actual)
                tot['text_matching'] += nmatch
            tot['order_ok' if actual == expected else 'order_bad'] += 1
            tot['sorted_ok' if actual == sorted(actual) and len(set(actual)) == len(actual) else 'sorted_bad'] += 1
            if nmatch != len(actual) or len(actual) != len(expected):
                for p, e in exp_by_ptr.items():
                    a = act_by_ptr.get(p)
                    if a != e:
                        mismatches.append((fname, name, iname, kinds, (a or b'').hex(' '), e.hex(' ')))
            if VERBOSE:
                print('%-24s %-18s %-28s %-30s flags=0x%02x entries=%d expected=%d match=%d' % (
                    fname, name, iname, kinds, ri['flags'], len(actual), len(expected), nmatch))

print('TOTAL', dict(tot))
print('PAGES', dict(page_notes))
print('MISMATCHES', len(mismatches))
for m in mismatches[:40]:
    print(' ', m)
