"""Server cursors as SQL Server keeps them for sp_cursoropen/sp_cursorfetch.

A cursor holds all rows of its statement (tests use thousands, not millions) and the position
of its current rowset: `start` is the 1-based number of the rowset's first row, 0 before the
first row and count+1 after the last.
"""

import itertools

# sp_cursorfetch fetch types
FIRST, NEXT, PREV, LAST, ABSOLUTE, RELATIVE, REFRESH, INFO = 0x01, 0x02, 0x04, 0x08, 0x10, 0x20, 0x80, 0x100

# scroll options (low byte) and concurrency options
KEYSET, DYNAMIC, FORWARD_ONLY, STATIC, FAST_FORWARD = 0x01, 0x02, 0x04, 0x08, 0x10
READ_ONLY, SCROLL_LOCKS, OPTIMISTIC, OPTIMISTIC_VALUES = 0x01, 0x02, 0x04, 0x08

_ids = itertools.count(180150003)


class Cursor:
    def __init__(self, table, columns, wires, rows, scrollopt, ccopt):
        self.id = next(_ids)
        self.table = table
        self.columns = columns
        self.wires = wires
        self.rows = rows
        self.scrollopt = scrollopt
        self.ccopt = ccopt
        self.start = 0
        self.size = 1  # rows of the current rowset as last asked for

    @property
    def count(self):
        return len(self.rows)

    def fetch(self, fetch_type, row_number, nrows):
        """Moves as SQL Server does and returns the rows of the new rowset (maybe none)."""
        n = self.count
        kind = fetch_type & 0xFF
        if nrows == 0 and kind in (FIRST, LAST):
            # No rows asked for: only positions before the first or after the last row, from
            # where the driver goes on with RELATIVE (its way to ABSOLUTE on dynamic cursors).
            self.start = 0 if kind == FIRST else n + 1
            self.size = 0
            return []
        if kind == NEXT:
            start = 1 if self.start <= 0 else self.start + self.size
        elif kind == FIRST:
            start = 1
        elif kind == PREV:
            if self.start <= 1:
                start = 0
            else:
                start = max(1, self.start - nrows)
        elif kind == LAST:
            start = max(1, n - nrows + 1) if n else 0
        elif kind == ABSOLUTE:
            if row_number > 0:
                start = row_number
            elif row_number < 0:
                start = n + row_number + 1
                if start < 1:
                    # beyond the first row: the first rowset when it still reaches back to it
                    start = 1 if -row_number <= nrows and n else 0
            else:
                start = 0
        elif kind == RELATIVE:
            base = self.start if self.start > 0 else 0
            start = base + row_number
            if start < 1:
                start = 0 if self.start <= 1 else 1
        elif kind == REFRESH:
            start = self.start
            nrows = self.size
        else:
            start = self.start
        if start > n:
            start = n + 1
        if start < 0:
            start = 0
        self.start = start
        self.size = nrows
        if start < 1 or start > n:
            return []
        return self.rows[start - 1 : start - 1 + nrows]

    def row_at(self, index):
        """Row `index` (1-based) of the current rowset, or None."""
        if self.start < 1 or index < 1 or index > self.size:
            return None
        pos = self.start - 1 + index - 1
        return self.rows[pos] if pos < self.count else None
