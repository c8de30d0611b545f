#!/usr/bin/env python3
"""Small Jet 3 (Access 97) reader / row encoder used to check facts.md.

Standard library only.  Own code; offsets are documented in facts.md.
"""
import struct
import sys

PAGE = 2048
HDR_KEY = bytes([0xC7, 0xDA, 0x39, 0x6B])
HDR_MASK_START = 0x18
HDR_MASK_LEN_J3 = 126
HDR_MASK_LEN_J4 = 128

u8 = lambda b, o: b[o]
u16 = lambda b, o: struct.unpack_from('<H', b, o)[0]
u32 = lambda b, o: struct.unpack_from('<I', b, o)[0]
i32 = lambda b, o: struct.unpack_from('<i', b, o)[0]
u24 = lambda b, o: b[o] | (b[o + 1] << 8) | (b[o + 2] << 16)


def rc4_stream(key, n):
    s = list(range(256))
    j = 0
    for i in range(256):
        j = (j + s[i] + key[i % len(key)]) & 0xFF
        s[i], s[j] = s[j], s[i]
    out = bytearray()
    i = j = 0
    for _ in range(n):
        i = (i + 1) & 0xFF
        j = (j + s[i]) & 0xFF
        s[i], s[j] = s[j], s[i]
        out.append(s[(s[i] + s[j]) & 0xFF])
    return bytes(out)


HDR_MASK = rc4_stream(HDR_KEY, HDR_MASK_LEN_J4)

TYPE_NAMES = {1: 'Boolean', 2: 'Byte', 3: 'Integer', 4: 'Long', 5: 'Currency',
              6: 'Single', 7: 'Double', 8: 'DateTime', 9: 'Binary', 10: 'Text',
              11: 'OLE', 12: 'Memo', 15: 'GUID', 16: 'Numeric'}
FIXED_SIZES = {1: 0, 2: 1, 3: 2, 4: 4, 5: 8, 6: 4, 7: 8, 8: 8, 15: 16, 16: 17}


class Db:
    def __init__(self, path):
        self.path = path
        with open(path, 'rb') as f:
            self.data = f.read()
        self.npages = len(self.data) // PAGE
        h = bytearray(self.data[:PAGE])
        for k in range(HDR_MASK_LEN_J3):
            h[HDR_MASK_START + k] ^= HDR_MASK[k]
        self.header = bytes(h)
        self.version = self.data[0x14]
        self.sort_order = u16(self.header, 0x3A)
        self.code_page = u16(self.header, 0x3C)
        self.db_key = u32(self.header, 0x3E)
        self.encoding = 'cp%d' % self.code_page if self.code_page else 'cp1252'
        self._tdefs = {}

    def page(self, n):
        return self.data[n * PAGE:(n + 1) * PAGE]

    # ---- data pages -------------------------------------------------
    def row_slots(self, pg):
        """[(row number, raw offset word, start, end)] of a data page."""
        p = self.page(pg)
        n = u16(p, 8)
        out = []
        prev_end = PAGE
        for r in range(n):
            w = u16(p, 10 + 2 * r)
            start = w & 0x1FFF
            out.append((r, w, start, prev_end))
            prev_end = start
        return out

    def row_bytes(self, pg, r):
        for rr, w, s, e in self.row_slots(pg):
            if rr == r:
                return w, self.page(pg)[s:e]
        raise KeyError((pg, r))

    # ---- TDEF -----------------------------------------------------------
    def tdef_buffer(self, pg):
        p = self.page(pg)
        assert p[0] == 2, ('not a TDEF', pg, p[0])
        buf = bytearray(p)
        pages = [pg]
        nxt = u32(p, 4)
        while nxt:
            q = self.page(nxt)
            assert q[0] == 2
            buf += q[8:]
            pages.append(nxt)
            nxt = u32(q, 4)
        return bytes(buf), pages

    def tdef(self, pg):
        if pg not in self._tdefs:
            self._tdefs[pg] = Tdef(self, pg)
        return self._tdefs[pg]

    def catalog(self):
        """{name: (tdef page, type, flags)} from MSysObjects (TDEF page 2)."""
        t = self.tdef(2)
        res = {}
        for pg, r, row in t.iter_rows():
            v = t.crack(row)
            res[v['Name']] = (v['Id'], v['Type'], v['Flags'])
        return res

    def table_pages(self):
        """{name: tdef page} for every local table (Type 1)."""
        return {n: i for n, (i, ty, fl) in self.catalog().items() if ty == 1}


class Column:
    pass


class Tdef:
    def __init__(self, db, pg):
        self.db = db
        self.page_no = pg
        b, self.pages = db.tdef_buffer(pg)
        self.buf = b
        self.tdef_id = b[2:4]
        self.tdef_len = u32(b, 8)
        self.num_rows = u32(b, 12)
        self.autonumber = u32(b, 16)
        self.table_type = b[20]
        self.max_cols = u16(b, 21)
        self.num_var = u16(b, 23)
        self.num_cols = u16(b, 25)
        self.num_idx = u32(b, 27)
        self.num_real = u32(b, 31)
        self.owned_map = (b[35], u24(b, 36))
        self.free_map = (b[39], u24(b, 40))
        o = 43
        self.real_counts = []
        for i in range(self.num_real):
            self.real_counts.append((u32(b, o), u32(b, o + 4)))
            o += 8
        self.columns = []
        for i in range(self.num_cols):
            c = Column()
            c.raw = b[o:o + 18]
            c.type = b[o]
            c.num = u16(b, o + 1)
            c.var_idx = u16(b, o + 3)
            c.num2 = u16(b, o + 5)
            c.w7 = u16(b, o + 7)
            c.w9 = u16(b, o + 9)
            c.w11 = u16(b, o + 11)
            c.flags = b[o + 13]
            c.fixed_off = u16(b, o + 14)
            c.length = u16(b, o + 16)
            c.fixed = bool(c.flags & 1)
            self.columns.append(c)
            o += 18
        for c in self.columns:
            n = b[o]
            c.name = b[o + 1:o + 1 + n].decode(db.encoding)
            o += 1 + n
        self.real = []
        for i in range(self.num_real):
            cols = []
            for k in range(10):
                cn = u16(b, o + 3 * k)
                if cn != 0xFFFF:
                    cols.append((cn, b[o + 3 * k + 2]))
            ri = dict(cols=cols, map=(b[o + 30], u24(b, o + 31)),
                      root=u32(b, o + 34), flags=b[o + 38], raw=b[o:o + 39])
            self.real.append(ri)
            o += 39
        self.logical = []
        for i in range(self.num_idx):
            li = dict(num=u32(b, o), real=u32(b, o + 4), rel_type=b[o + 8],
                      rel_idx=i32(b, o + 9), rel_tbl=u32(b, o + 13),
                      cascade_upd=b[o + 17], cascade_del=b[o + 18],
                      type=b[o + 19], raw=b[o:o + 20])
            self.logical.append(li)
            o += 20
        for li in self.logical:
            n = b[o]
            li['name'] = b[o + 1:o + 1 + n].decode(db.encoding)
            o += 1 + n
        self.col_maps = []
        while u16(b, o) != 0xFFFF:
            self.col_maps.append((u16(b, o), (b[o + 2], u24(b, o + 3)),
                                  (b[o + 6], u24(b, o + 7))))
            o += 10
        self.end = o + 2
        self.by_num = {c.num: c for c in self.columns}

    # ---- rows -------------------------------------------------------------
    def data_pages(self):
        """Pages owned by the table, taken from its owned-pages usage map."""
        return [p for p in usage_map_pages(self.db, *self.owned_map)
                if self.db.page(p)[0] == 1 and u32(self.db.page(p), 4) == self.page_no]

    def iter_rows(self, with_deleted=False):
        for pg in self.data_pages():
            for r, w, s, e in self.db.row_slots(pg):
                if w & 0x8000 and not with_deleted:
                    continue
                row = self.db.page(pg)[s:e]
                if w & 0x4000:
                    tr, tp = row[0], u24(row, 1)
                    row = self.db.row_bytes(tp, tr)[1]
                yield pg, r, row

    def crack_raw(self, row):
        return crack_row(row)

    def crack(self, row, raw=False):
        """Decode a row into {column name: python value}."""
        cr = crack_row(row, self.num_var > 0)
        out = {}
        for c in self.columns:
            present = c.num < cr['ncols']
            bit = present and bool(cr['nullmask'][c.num // 8] >> (c.num % 8) & 1)
            if c.type == 1:
                out[c.name] = bit
                continue
            if not bit:
                out[c.name] = None
                continue
            if c.fixed:
                v = row[1 + c.fixed_off:1 + c.fixed_off + c.length]
            else:
                s, e = cr['var'][c.var_idx], cr['var'][c.var_idx + 1]
                v = row[s:e]
            out[c.name] = v if raw else self.decode(c, v)
        return out

    def decode(self, c, v):
        t = c.type
        if t == 2:
            return v[0]
        if t == 3:
            return struct.unpack('<h', v)[0]
        if t == 4:
            return struct.unpack('<i', v)[0]
        if t == 5:
            return struct.unpack('<q', v)[0] / 10000
        if t == 6:
            return struct.unpack('<f', v)[0]
        if t in (7, 8):
            return struct.unpack('<d', v)[0]
        if t == 10:
            return v.decode(self.db.encoding, 'replace')
        if t == 12:
            return read_long_value(self.db, v).decode(self.db.encoding, 'replace')
        if t == 11:
            return read_long_value(self.db, v)
        return bytes(v)


def crack_row(row, has_var=True):
    """Split a Jet 3 row into its parts.  Returns a dict with ncols, nullmask,
    var offsets (var_count + 1 entries, last = eod), jumps, layout info."""
    n = len(row)
    ncols = row[0]
    nm = (ncols + 7) // 8
    nullmask = row[n - nm:]
    res = dict(ncols=ncols, nullmask=nullmask, var=[], jumps=[], dummy=False)
    if not has_var:
        return res
    vpos = n - nm - 1
    nvar = row[vpos]
    njumps = (n - 1) // 256
    first = vpos - njumps - 1            # position of var offset 0
    jumps = [row[vpos - 1 - k] for k in range(njumps)]
    eod_low = row[first - nvar]
    # the eod byte sits right after the var data; its own position is eod
    eod = first - nvar
    used = njumps
    if eod // 256 < njumps:
        used = njumps - 1
        res['dummy'] = True
    offs = []
    ju = 0
    for i in range(nvar + 1):
        while ju < used and jumps[ju] == i:
            ju += 1
        offs.append(row[first - i] + 256 * ju)
    assert offs[-1] == eod and (eod & 0xFF) == eod_low, (offs, eod)
    res.update(var=offs, jumps=jumps, nvar=nvar, njumps=njumps, eod=eod)
    return res


def encode_row(ncols, fixed_area, var_values, nullmask):
    """Build a Jet 3 row.

    ncols       column count stored in byte 0
    fixed_area  bytes of the whole fixed area (all fixed slots)
    var_values  list in var-table order, bytes (b'' for null / empty) or
                None when the table has no variable columns at all
    nullmask    bytes, (ncols + 7) // 8 long
    """
    out = bytearray([ncols]) + fixed_area
    if var_values is None:
        return bytes(out + nullmask)
    offs = []
    for v in var_values:
        offs.append(len(out))
        out += v
    eod = len(out)
    offs.append(eod)
    nvar = len(var_values)
    # trailer = eod + nvar offsets + jumps + var count + null mask
    base = len(out) + 1 + nvar + 1 + len(nullmask)
    njumps = 0
    while (base + njumps - 1) // 256 != njumps:
        njumps = (base + njumps - 1) // 256
    # jumps[k] = first var entry (eod counts as entry nvar) at >= 256*(k+1)
    jumps = []
    for k in range(njumps):
        lim = 256 * (k + 1)
        first = next((i for i, o in enumerate(offs) if o >= lim), None)
        jumps.append(first if first is not None else 0xFF)
    out.append(eod & 0xFF)
    for i in range(nvar - 1, -1, -1):
        out.append(offs[i] & 0xFF)
    for k in range(njumps - 1, -1, -1):
        out.append(jumps[k])
    out.append(nvar)
    out += nullmask
    return bytes(out)


def reencode(tdef, row):
    """Decode `row` into parts and rebuild it with encode_row."""
    cr = crack_row(row, tdef.num_var > 0)
    nm = cr['nullmask']
    ncols = cr['ncols']
    if tdef.num_var == 0:
        return encode_row(ncols, row[1:len(row) - len(nm)], None, nm)
    offs = cr['var']
    fixed = row[1:offs[0]] if cr['nvar'] else row[1:cr['eod']]
    vals = [row[offs[i]:offs[i + 1]] for i in range(cr['nvar'])]
    return encode_row(ncols, fixed, vals, nm)


# ---- long values ---------------------------------------------------------
def read_long_value(db, d):
    ln = u32(d, 0)
    kind = ln >> 24
    size = ln & 0x3FFFFFFF
    if kind & 0x80:
        return bytes(d[12:12 + size])
    r, pg = d[4], u24(d, 5)
    if kind & 0x40:
        return db.row_bytes(pg, r)[1][:size]
    out = bytearray()
    while pg and len(out) < size:
        w, row = db.row_bytes(pg, r)
        out += row[4:]
        r, pg = row[0], u24(row, 1)
    return bytes(out[:size])


# ---- usage maps -----------------------------------------------------------
def usage_map_row(db, row, pg):
    return db.row_bytes(pg, row)[1]


def usage_map_bits(db, row, pg):
    """Return (kind, sorted list of pages whose bit is set)."""
    m = usage_map_row(db, row, pg)
    if m[0] == 0:
        start = u32(m, 1)
        bm = m[5:]
        return 0, [start + 8 * j + i for j, byte in enumerate(bm)
                   for i in range(8) if byte >> i & 1]
    assert m[0] == 1
    pages = []
    bits_per = (PAGE - 4) * 8
    for k in range((len(m) - 1) // 4):
        mp = u32(m, 1 + 4 * k)
        if not mp:
            continue
        bp = db.page(mp)
        for j in range(4, PAGE):
            byte = bp[j]
            if byte:
                pages += [k * bits_per + (j - 4) * 8 + i for i in range(8) if byte >> i & 1]
    return 1, pages


def usage_map_pages(db, row, pg):
    return usage_map_bits(db, row, pg)[1]


# ---- index pages --------------------------------------------------------------
IDX_BITMAP_OFF = 22
IDX_BITMAP_LEN = 226
IDX_ENTRY_OFF = 248


def index_page(db, pg):
    p = db.page(pg)
    h = dict(type=p[0], b1=p[1], free=u16(p, 2), tdef=u32(p, 4), prev=u32(p, 8),
             next=u32(p, 12), tail=u32(p, 16), prefix=p[20], b21=p[21])
    ends = [j * 8 + i for j in range(IDX_BITMAP_LEN)
            for i in range(8) if p[IDX_BITMAP_OFF + j] >> i & 1]
    entries = []
    start = 0
    prefix = b''
    for k, e in enumerate(ends):
        raw = p[IDX_ENTRY_OFF + start:IDX_ENTRY_OFF + e]
        full = raw if k == 0 else prefix + raw
        if k == 0:
            prefix = raw[:h['prefix']]
        entries.append(full)
        start = e
    h['used_end'] = IDX_ENTRY_OFF + (ends[-1] if ends else 0)
    h['entries'] = entries
    return h


def walk_index(db, root):
    """Yield (leaf page, entry bytes) in order, checking node/leaf links."""
    def descend(pg):
        h = index_page(db, pg)
        if h['type'] == 4:
            for e in h['entries']:
                yield pg, h, e
            return
        assert h['type'] == 3, (pg, h['type'])
        kids = [u32be(e[-4:]) for e in h['entries']]
        if h['tail']:
            kids.append(h['tail'])
        for k in kids:
            yield from descend(k)
    yield from descend(root)


def last_leaf_entry(db, pg):
    """Last entry of the subtree rooted at pg (follows tails / last entries)."""
    while True:
        h = index_page(db, pg)
        if h['type'] == 4:
            return h['entries'][-1] if h['entries'] else None
        pg = h['tail'] or u32be(h['entries'][-1][-4:])


def u32be(b):
    return struct.unpack('>I', b)[0]


if __name__ == '__main__':
    db = Db(sys.argv[1])
    print('version', db.version, 'sort', hex(db.sort_order), 'cp', db.code_page)
    for name, pg in sorted(db.table_pages().items()):
        t = db.tdef(pg)
        print(name, pg, t.num_rows, [(c.name, TYPE_NAMES.get(c.type, c.type)) for c in t.columns])
