#!/usr/bin/env python3
"""Index key bytes for Jet 3 (Access 97) indexes.

text_key() implements the "General" sort order of Access 97 ("General 97")
from the code tables in ../shared/jet-index-codes.  The other functions
give the per-column key of the fixed-size types.  Each function returns the
column's complete piece of the key, including the leading flag byte
(0x7F ascending / 0x80 descending, or the single null byte 0x00 / 0xFF).

Usage as a script:  gen97_key.py TEXT [desc]   -> prints the key in hex.
"""
import os
import struct
import sys
SHARED = os.path.normpath(os.path.join(os.path.dirname(os.path.abspath(__file__)), '..', '..', '..', 'shared'))

CODES_DIR = os.path.join(SHARED, 'jet-index-codes')
ASC_FLAG, DESC_FLAG = 0x7F, 0x80
ASC_NULL, DESC_NULL = 0x00, 0xFF
MAX_INDEX_CHARS = 255


def _load():
    table = []
    with open(os.path.join(CODES_DIR, 'index_codes_gen_97.txt'), encoding='ascii') as f:
        for line in f:
            line = line.rstrip('\n')
            kind, rest = line[0], line[1:]
            fields = rest.split(',') if rest else []
            if kind == 'X':
                table.append(('X', b'', None))
            elif kind in 'SG':
                table.append((kind, bytes.fromhex(fields[0].zfill(len(fields[0]) + len(fields[0]) % 2)), None))
            elif kind == 'I':
                inline = bytes.fromhex(fields[0].zfill(len(fields[0]) + len(fields[0]) % 2))
                extra = int(fields[1], 16)
                table.append(('I', inline, extra))
            else:
                raise ValueError('unexpected code line %r' % line)
    assert len(table) == 256, len(table)
    # Unicode code point -> code-page byte, for the characters cp1252 puts
    # at 0x80..0x9F (only needed when the caller hands in str values)
    back = {}
    with open(os.path.join(CODES_DIR, 'index_mappings_ext_gen_97.txt'), encoding='ascii') as f:
        for line in f:
            line = line.strip()
            if line:
                a, b = line.split(',')
                back[int(a)] = int(b)
    return table, back


CODES, EXT_MAP = _load()

# Codes of the 'G' (significant) letters: a c e i n o s u y, either case.
G_CODES = frozenset(inl[0] for kind, inl, _ in CODES if kind == 'G')

# Two corrections to the plain table walk, both seen in keys Access 97 built
# (nwind.mdb) and neither contradicted by any fixture:
#  * a NUL byte is keyed like the other control characters (0x10), not
#    ignored as line 0 ('X') of the table says;
#  * the ligatures whose code is two letters (0x8C/0x9C "oe", 0xC6/0xE6 "ae",
#    0xDF "ss") count each significant letter of the expansion, so that the
#    placeholders written before a later accented letter line up.
NUL_AS_CONTROL = True
COUNT_EXPANDED_SIGNIFICANT = True


def to_code_bytes(value, encoding='cp1252'):
    """Text as the single-byte codes the table is indexed by."""
    if isinstance(value, (bytes, bytearray)):
        return bytes(value)
    out = bytearray()
    for ch in value:
        cp = ord(ch)
        if cp < 256:
            out.append(cp)
        elif cp in EXT_MAP:
            out.append(EXT_MAP[cp])
        else:
            out.append(0)          # line 0 is 'X': ignored
    return bytes(out)


def text_key(value, ascending=True):
    """Key piece of a Text/Memo column (value: bytes in the code page, or
    str, or None for null)."""
    if value is None:
        return bytes([ASC_NULL if ascending else DESC_NULL])
    b = to_code_bytes(value)[:MAX_INDEX_CHARS].rstrip(b' ')
    body = bytearray()
    nibbles = None           # list of 4-bit values, started lazily
    pending_sig = 0          # 'G' characters since the last 'I' character
    for c in b:
        kind, inline, extra = CODES[c]
        if c == 0 and NUL_AS_CONTROL:
            kind, inline = 'S', b'\x10'
        body += inline
        if kind == 'G':
            pending_sig += 1
        elif kind == 'S' and len(inline) > 1 and COUNT_EXPANDED_SIGNIFICANT:
            pending_sig += sum(1 for x in inline if x in G_CODES)
        elif kind == 'I':
            if nibbles is None:
                nibbles = [0]
            nibbles += [2] * pending_sig
            nibbles.append(extra & 0x0F)
            pending_sig = 0
    if nibbles is None:
        body.append(0x00)
    else:
        nibbles.append(0)
        if len(nibbles) % 2:
            nibbles.append(0)
        body += bytes((nibbles[i] << 4) | nibbles[i + 1] for i in range(0, len(nibbles), 2))
    if ascending:
        return bytes([ASC_FLAG]) + bytes(body)
    return bytes([DESC_FLAG]) + bytes(x ^ 0xFF for x in body)


def _inv(b):
    return bytes(x ^ 0xFF for x in b)


def int_key(raw_le, ascending=True):
    """Integer (2), Long (4), Currency (8): raw little-endian bytes."""
    if raw_le is None:
        return bytes([ASC_NULL if ascending else DESC_NULL])
    be = bytearray(raw_le[::-1])
    be[0] ^= 0x80
    return bytes([ASC_FLAG]) + bytes(be) if ascending else bytes([DESC_FLAG]) + _inv(be)


def float_key(raw_le, ascending=True):
    """Single, Double, Date/Time: raw little-endian IEEE bytes."""
    if raw_le is None:
        return bytes([ASC_NULL if ascending else DESC_NULL])
    be = bytearray(raw_le[::-1])
    neg = bool(be[0] & 0x80)
    if not neg:
        be[0] ^= 0x80
    if neg == ascending:
        be = _inv(be)
    return bytes([ASC_FLAG if ascending else DESC_FLAG]) + bytes(be)


def byte_key(raw, ascending=True):
    if raw is None:
        return bytes([ASC_NULL if ascending else DESC_NULL])
    return bytes([ASC_FLAG]) + bytes(raw) if ascending else bytes([DESC_FLAG]) + _inv(raw)


def bool_key(value, ascending=True):
    """Booleans are never null in an index."""
    v = 0x00 if value else 0xFF
    return bytes([ASC_FLAG, v]) if ascending else bytes([DESC_FLAG, v ^ 0xFF])


def binary_key(raw, ascending=True):
    """Binary and GUID (stored bytes): 8-byte groups + length byte."""
    if raw is None:
        return bytes([ASC_NULL if ascending else DESC_NULL])
    out = bytearray([ASC_FLAG if ascending else DESC_FLAG])
    pos = 0
    n = len(raw)
    while n - pos > 8:
        seg = raw[pos:pos + 8]
        out += seg if ascending else _inv(seg)
        out.append(9)
        pos += 8
    if n - pos > 0:
        seg = bytes(raw[pos:]) + bytes(8 - (n - pos)) + bytes([n - pos])
        out += seg if ascending else _inv(seg)
    return bytes(out)


def guid_key(raw, ascending=True):
    """GUID: the stored bytes have the first three groups little-endian;
    the key uses them in display (big-endian) order, then the binary rule."""
    if raw is None:
        return binary_key(None, ascending)
    disp = bytes(raw[3::-1]) + bytes(raw[5:3:-1]) + bytes(raw[7:5:-1]) + bytes(raw[8:16])
    return binary_key(disp, ascending)


def column_key(col_type, raw, ascending=True, bool_value=None):
    """Dispatch on the Jet type code.  raw = stored bytes of the value (None
    for null).  For Boolean pass bool_value."""
    if col_type == 1:
        return bool_key(bool_value, ascending)
    if col_type == 2:
        return byte_key(raw, ascending)
    if col_type in (3, 4, 5):
        return int_key(raw, ascending)
    if col_type in (6, 7, 8):
        return float_key(raw, ascending)
    if col_type in (10, 12):
        return text_key(raw, ascending)
    if col_type == 9:
        return binary_key(raw, ascending)
    if col_type == 15:
        return guid_key(raw, ascending)
    raise ValueError('type %d cannot be indexed here' % col_type)


if __name__ == '__main__':
    s = sys.argv[1] if len(sys.argv) > 1 else 'admin'
    asc = not (len(sys.argv) > 2 and sys.argv[2].startswith('d'))
    print(text_key(s, asc).hex(' '))
