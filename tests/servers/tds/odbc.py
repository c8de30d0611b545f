"""Just enough of the ODBC API over ctypes (unixODBC's libodbc.so.2) for the self-test to drive
the real FreeTDS driver the way the transfer does."""

import ctypes
import ctypes.util

SQL_HANDLE_ENV, SQL_HANDLE_DBC, SQL_HANDLE_STMT = 1, 2, 3
SQL_SUCCESS, SQL_SUCCESS_WITH_INFO, SQL_NO_DATA, SQL_ERROR = 0, 1, 100, -1
SQL_NULL_DATA, SQL_NTS = -1, -3
SQL_ATTR_ODBC_VERSION, SQL_OV_ODBC3 = 200, 3
SQL_ATTR_CURRENT_CATALOG = 109
SQL_ATTR_CURSOR_TYPE, SQL_ATTR_CONCURRENCY, SQL_ATTR_ROW_ARRAY_SIZE = 6, 7, 27
SQL_ATTR_ROWS_FETCHED_PTR, SQL_ATTR_ROW_STATUS_PTR = 26, 25
SQL_CURSOR_FORWARD_ONLY, SQL_CURSOR_KEYSET_DRIVEN, SQL_CURSOR_DYNAMIC, SQL_CURSOR_STATIC = 0, 1, 2, 3
SQL_CONCUR_READ_ONLY, SQL_CONCUR_LOCK = 1, 2
SQL_C_CHAR, SQL_C_WCHAR, SQL_C_BINARY, SQL_C_SLONG, SQL_C_TYPE_TIMESTAMP = 1, -8, -2, -16, 93
SQL_C_TYPE_TIME, SQL_C_DOUBLE = 92, 8
SQL_DESC_TYPE_NAME, SQL_CA_SS_VARIANT_TYPE = 14, 1215
SQL_DRIVER_NAME, SQL_DRIVER_VER, SQL_DBMS_NAME, SQL_DBMS_VER = 6, 7, 17, 18
SQL_GETDATA_EXTENSIONS, SQL_IDENTIFIER_QUOTE_CHAR, SQL_DATABASE_NAME = 81, 29, 16
SQL_FETCH_NEXT, SQL_FETCH_FIRST, SQL_FETCH_LAST, SQL_FETCH_PRIOR, SQL_FETCH_ABSOLUTE, SQL_FETCH_RELATIVE = 1, 2, 3, 4, 5, 6
SQL_POSITION = 0
SQL_LOCK_NO_CHANGE = 0
SQL_CLOSE = 0

_lib = ctypes.CDLL(ctypes.util.find_library("odbc") or "libodbc.so.2")
H = ctypes.c_void_p
LEN = ctypes.c_long


class OdbcError(Exception):
    def __init__(self, what, records):
        self.records = records  # [(sqlstate, native, text)]
        super().__init__("%s failed: %s" % (what, "; ".join("[%s] (%d) %s" % r for r in records)))

    @property
    def sqlstate(self):
        return self.records[0][0] if self.records else ""


def diagnostics(kind, handle):
    out = []
    state = wbuf(6)
    text = wbuf(1024)
    native = ctypes.c_int()
    size = ctypes.c_short()
    for i in range(1, 20):
        rc = _lib.SQLGetDiagRecW(kind, handle, i, state, ctypes.byref(native), text, 1024, ctypes.byref(size))
        if rc not in (SQL_SUCCESS, SQL_SUCCESS_WITH_INFO):
            break
        out.append((wvalue(state), native.value, wvalue(text)))
    return out


def check(rc, what, kind, handle, allow=()):
    if rc in (SQL_SUCCESS,) or rc in allow:
        return rc
    if rc == SQL_SUCCESS_WITH_INFO:
        return rc
    raise OdbcError(what, diagnostics(kind, handle))


def wstr(text):
    """SQLWCHAR is UTF-16 here, not ctypes' 4-byte wchar_t."""
    return ctypes.create_string_buffer(text.encode("utf-16-le") + b"\0\0") if text is not None else None


def wbuf(chars):
    return ctypes.create_string_buffer(chars * 2 + 2)


def wvalue(buf):
    raw = buf.raw
    for i in range(0, len(raw) - 1, 2):
        if raw[i] == 0 and raw[i + 1] == 0:
            raw = raw[:i]
            break
    return raw.decode("utf-16-le", "surrogatepass")


class Connection:
    def __init__(self, dsn, user, password, attrs=()):
        self.env = H()
        check(_lib.SQLAllocHandle(SQL_HANDLE_ENV, None, ctypes.byref(self.env)), "SQLAllocHandle", 0, None)
        _lib.SQLSetEnvAttr(self.env, SQL_ATTR_ODBC_VERSION, ctypes.c_void_p(SQL_OV_ODBC3), 0)
        self.dbc = H()
        check(_lib.SQLAllocHandle(SQL_HANDLE_DBC, self.env, ctypes.byref(self.dbc)), "SQLAllocHandle", SQL_HANDLE_ENV, self.env)
        rc = _lib.SQLConnectW(self.dbc, wstr(dsn), SQL_NTS, wstr(user), SQL_NTS, wstr(password), SQL_NTS)
        try:
            check(rc, "SQLConnect", SQL_HANDLE_DBC, self.dbc)
        except OdbcError:
            _lib.SQLFreeHandle(SQL_HANDLE_DBC, self.dbc)
            _lib.SQLFreeHandle(SQL_HANDLE_ENV, self.env)
            raise

    def close(self):
        _lib.SQLDisconnect(self.dbc)
        _lib.SQLFreeHandle(SQL_HANDLE_DBC, self.dbc)
        _lib.SQLFreeHandle(SQL_HANDLE_ENV, self.env)

    def __enter__(self):
        return self

    def __exit__(self, *exc):
        self.close()

    def info_text(self, what):
        buf = wbuf(512)
        size = ctypes.c_short()
        check(_lib.SQLGetInfoW(self.dbc, what, buf, 1024, ctypes.byref(size)), "SQLGetInfo", SQL_HANDLE_DBC, self.dbc)
        return wvalue(buf)

    def info_int(self, what):
        value = ctypes.c_uint()
        size = ctypes.c_short()
        check(_lib.SQLGetInfoW(self.dbc, what, ctypes.byref(value), 4, ctypes.byref(size)), "SQLGetInfo", SQL_HANDLE_DBC, self.dbc)
        return value.value

    def current_catalog(self):
        buf = wbuf(256)
        size = ctypes.c_int()
        check(
            _lib.SQLGetConnectAttrW(self.dbc, SQL_ATTR_CURRENT_CATALOG, buf, 512, ctypes.byref(size)),
            "SQLGetConnectAttr",
            SQL_HANDLE_DBC,
            self.dbc,
        )
        return wvalue(buf)

    def statement(self):
        return Statement(self)


class Statement:
    def __init__(self, conn):
        self.handle = H()
        check(_lib.SQLAllocHandle(SQL_HANDLE_STMT, conn.dbc, ctypes.byref(self.handle)), "SQLAllocHandle", SQL_HANDLE_DBC, conn.dbc)
        self.warnings = []

    def _check(self, rc, what, allow=()):
        if rc == SQL_SUCCESS_WITH_INFO:
            self.warnings += diagnostics(SQL_HANDLE_STMT, self.handle)
        return check(rc, what, SQL_HANDLE_STMT, self.handle, allow)

    def close(self):
        _lib.SQLFreeHandle(SQL_HANDLE_STMT, self.handle)

    def __enter__(self):
        return self

    def __exit__(self, *exc):
        self.close()

    def set_attr(self, attr, value):
        self._check(_lib.SQLSetStmtAttrW(self.handle, attr, ctypes.c_void_p(value), 0), "SQLSetStmtAttr")

    def get_attr(self, attr):
        value = ctypes.c_long()
        self._check(_lib.SQLGetStmtAttrW(self.handle, attr, ctypes.byref(value), 8, None), "SQLGetStmtAttr")
        return value.value

    def execute(self, sql):
        self._check(_lib.SQLExecDirectW(self.handle, wstr(sql), SQL_NTS), "SQLExecDirect")

    def tables(self, catalog, schema, table, types):
        args = []
        for value in (catalog, schema, table, types):
            args += [wstr(value), SQL_NTS if value is not None else 0]
        self._check(_lib.SQLTablesW(self.handle, *args), "SQLTables")

    def num_cols(self):
        n = ctypes.c_short()
        self._check(_lib.SQLNumResultCols(self.handle, ctypes.byref(n)), "SQLNumResultCols")
        return n.value

    def describe(self, col):
        name = wbuf(256)
        name_len, sql_type, nullable, digits = ctypes.c_short(), ctypes.c_short(), ctypes.c_short(), ctypes.c_short()
        size = ctypes.c_ulong()
        self._check(
            _lib.SQLDescribeColW(
                self.handle, col, name, 256, ctypes.byref(name_len), ctypes.byref(sql_type), ctypes.byref(size),
                ctypes.byref(digits), ctypes.byref(nullable),
            ),
            "SQLDescribeCol",
        )
        return wvalue(name), sql_type.value, size.value, digits.value

    def col_attr_text(self, col, field):
        buf = wbuf(256)
        size = ctypes.c_short()
        num = ctypes.c_long()
        self._check(_lib.SQLColAttributeW(self.handle, col, field, buf, 512, ctypes.byref(size), ctypes.byref(num)), "SQLColAttribute")
        return wvalue(buf), num.value

    def fetch(self):
        return self._check(_lib.SQLFetch(self.handle), "SQLFetch", allow=(SQL_NO_DATA,)) != SQL_NO_DATA

    def fetch_scroll(self, orientation, offset=0):
        return self._check(_lib.SQLFetchScroll(self.handle, orientation, offset), "SQLFetchScroll", allow=(SQL_NO_DATA,)) != SQL_NO_DATA

    def set_pos(self, row):
        self._check(_lib.SQLSetPos(self.handle, row, SQL_POSITION, SQL_LOCK_NO_CHANGE), "SQLSetPos")

    def close_cursor(self):
        _lib.SQLFreeStmt(self.handle, SQL_CLOSE)

    def get_data(self, col, c_type, chunk=8192):
        """The whole value of a column through SQLGetData in chunks: str, bytes or None."""
        parts = []
        unit = 2 if c_type == SQL_C_WCHAR else 1 if c_type == SQL_C_CHAR else 0
        buf = ctypes.create_string_buffer(chunk + 2)
        ind = LEN()
        while True:
            rc = _lib.SQLGetData(self.handle, col, c_type, buf, chunk, ctypes.byref(ind))
            if rc == SQL_NO_DATA:
                break
            self._check(rc, "SQLGetData col %d" % col)
            if ind.value == SQL_NULL_DATA:
                return None
            if rc == SQL_SUCCESS_WITH_INFO and (ind.value < 0 or ind.value >= chunk - unit + (unit == 0)):
                got = chunk - unit
                parts.append(buf.raw[:got])
                self.warnings = [w for w in self.warnings if w[0] != "01004"]
                continue
            parts.append(buf.raw[: ind.value])
            break
        data = b"".join(parts)
        if c_type == SQL_C_WCHAR:
            return data.decode("utf-16-le", "surrogatepass")
        if c_type == SQL_C_CHAR:
            return data.decode("utf-8", "replace")
        return data

    def get_struct(self, col, c_type, size=32):
        buf = ctypes.create_string_buffer(size)
        ind = LEN()
        self._check(_lib.SQLGetData(self.handle, col, c_type, buf, size, ctypes.byref(ind)), "SQLGetData col %d" % col)
        return None if ind.value == SQL_NULL_DATA else buf.raw[: max(ind.value, 0)]

    def bind_columns(self, specs, rows):
        """specs: [(c_type, bytes per value)]; returns a reader of the bound arrays."""
        self.bound = []
        for col, (c_type, width) in enumerate(specs, 1):
            buf = ctypes.create_string_buffer(width * rows)
            ind = (LEN * rows)()
            self._check(_lib.SQLBindCol(self.handle, col, c_type, buf, width, ind), "SQLBindCol")
            self.bound.append((c_type, width, buf, ind))
        self.fetched = ctypes.c_ulong()
        self.status = (ctypes.c_ushort * rows)()
        self.set_attr(SQL_ATTR_ROW_ARRAY_SIZE, rows)
        self._check(_lib.SQLSetStmtAttrW(self.handle, SQL_ATTR_ROWS_FETCHED_PTR, ctypes.byref(self.fetched), 0), "SQLSetStmtAttr")
        self._check(_lib.SQLSetStmtAttrW(self.handle, SQL_ATTR_ROW_STATUS_PTR, self.status, 0), "SQLSetStmtAttr")

    def bound_value(self, row, col):
        c_type, width, buf, ind = self.bound[col]
        size = ind[row]
        if size == SQL_NULL_DATA:
            return None
        raw = buf.raw[row * width : row * width + min(size, width)]
        if c_type == SQL_C_WCHAR:
            return raw.decode("utf-16-le", "surrogatepass")
        if c_type == SQL_C_CHAR:
            return raw.decode("utf-8", "replace")
        return raw
