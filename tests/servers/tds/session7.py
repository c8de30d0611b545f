"""One client connection speaking TDS 7.4 as Microsoft SQL Server does."""

import logging
import struct

from . import catalog, cursors, framing, login7, queries, requests7
from . import sqlsource as src
from . import tokens7 as tk
from . import types7

log = logging.getLogger("tds")

INT4 = types7.wire_type(src.ColumnType("int"))
SYSNAME = types7.wire_type(src.ColumnType("nvarchar", 128))

# Statement numbers in DONE tokens as SQL Server fills them in
CMD_SELECT, CMD_SET, CMD_USE, CMD_EXEC = 0xC1, 0xBE, 0xC4, 0xE0


class Failure(Exception):
    """An error the server reports to the client: number, severity, German-free server text."""

    def __init__(self, number, text, severity=16, state=1):
        super().__init__(text)
        self.number, self.text, self.severity, self.state = number, text, severity, state


def scalars(session):
    version = "Microsoft SQL Server 2022 (RTM) - 16.0.1000.6 (X64) (sqlvantor test server)"
    nv = src.ColumnType("nvarchar", 128)
    return {
        "@@SPID": (src.ColumnType("smallint"), session.channel.spid),
        "@@VERSION": (src.ColumnType("nvarchar", 300), version),
        "@@SERVERNAME": (nv, tk.SERVER_NAME),
        "@@TRANCOUNT": (src.ColumnType("int"), 0),
        "DB_NAME()": (nv, src.DATABASE_NAME),
        "USER_NAME()": (nv, "dbo"),
        "USER": (nv, "dbo"),
        "SUSER_SNAME()": (nv, session.user),
        "SYSTEM_USER": (nv, session.user),
        "SCHEMA_NAME()": (nv, "dbo"),
        "1": (src.ColumnType("int"), 1),
        "@@TEXTSIZE": (src.ColumnType("int"), 2147483647),
        "@@OPTIONS": (src.ColumnType("int"), 5496),
        "@@MAX_PRECISION": (src.ColumnType("tinyint"), 38),
    }


class Session7:
    def __init__(self, channel, source, config):
        self.channel = channel
        self.source = source
        self.config = config
        self.user = ""
        self.cursors = {}
        self.transaction = b""  # descriptor of the open transaction, empty outside one
        # The ODBC flag of the login makes SQL Server's TEXTSIZE unlimited.
        types7.TEXTSIZE.value = 0
        self.transactions = 0

    # --- login -----------------------------------------------------------------------------

    def login(self, prelogin_payload):
        self.channel.send_message(framing.REPLY, login7.prelogin_reply())
        kind, payload = self.channel.read_message()
        if kind != framing.LOGIN7:
            log.info("expected Login7, got message type 0x%02X", kind)
            return False
        info = login7.parse_login7(payload)
        self.user = info["user"]
        log.info("login user=%r app=%r database=%r version=%08X", info["user"], info["app"], info["database"], info["tds_version"])
        reply = framing.Reply(self.channel)
        if info["user"] != self.config.user or info["password"] != self.config.password:
            reply.add(tk.message(18456, "Login failed for user '%s'." % info["user"], 14, state=1))
            reply.add(tk.done(tk.DONE_ERROR, curcmd=0))
            reply.finish()
            return False
        database = info["database"] or src.DATABASE_NAME
        if database.lower() not in (src.DATABASE_NAME, "master"):
            reply.add(tk.message(4060, 'Cannot open database "%s" requested by the login. The login failed.' % database, 11))
            reply.add(tk.message(18456, "Login failed for user '%s'." % info["user"], 14, state=1))
            reply.add(tk.done(tk.DONE_ERROR, curcmd=0))
            reply.finish()
            return False
        if info["packet_size"]:
            size = min(max(info["packet_size"], 512), 32767)
        else:
            size = 4096
        reply.add(tk.envchange(tk.ENV_DATABASE, src.DATABASE_NAME, "master"))
        reply.add(tk.message(5701, "Changed database context to '%s'." % src.DATABASE_NAME, 0, 2, token=tk.INFO))
        reply.add(tk.envchange(tk.ENV_COLLATION, types7.COLLATION, b""))
        reply.add(tk.envchange(tk.ENV_LANGUAGE, "us_english", ""))
        reply.add(tk.message(5703, "Changed language setting to us_english.", 0, 1, token=tk.INFO))
        reply.add(tk.loginack("Microsoft SQL Server", login7.SERVER_VERSION))
        reply.add(tk.envchange(tk.ENV_PACKETSIZE, str(size), str(size)))
        reply.add(tk.done(curcmd=0))
        reply.finish()
        self.channel.packet_size = size
        return True

    # --- the request loop --------------------------------------------------------------------

    def serve(self):
        while True:
            kind, payload = self.channel.read_message()
            reply = framing.Reply(self.channel)
            try:
                if kind == framing.SQL_BATCH:
                    self.batch(reply, requests7.sql_text(payload))
                elif kind == framing.RPC:
                    self.rpc(reply, requests7.rpc_calls(payload))
                elif kind == framing.ATTENTION:
                    reply.add(tk.done(tk.DONE_ATTN, curcmd=0))
                elif kind == framing.TRANSACTION:
                    self.transaction_request(reply, payload)
                else:
                    log.info("message type 0x%02X not understood", kind)
                    reply.add(tk.message(102, "Incorrect syntax near 'message'.", 15))
                    reply.add(tk.done(tk.DONE_ERROR, curcmd=0))
            except ValueError as exc:
                log.exception("bad request")
                reply.add(tk.message(8009, "The request could not be read: %s" % exc, 16))
                reply.add(tk.done(tk.DONE_ERROR, curcmd=0))
            except framing.Cancelled:
                log.info("request cancelled by the client")
                reply.buf += tk.done(tk.DONE_ATTN, curcmd=0)
            reply.finish()

    # --- transactions: nothing is written, but the client sees them begin and end ----------

    def begin(self, reply):
        self.transactions += 1
        self.transaction = struct.pack("<Q", (self.channel.spid << 32) | self.transactions)
        reply.add(tk.envchange(tk.ENV_BEGIN_TRAN, self.transaction, b""))

    def end(self, reply, commit):
        if self.transaction:
            kind = tk.ENV_COMMIT_TRAN if commit else tk.ENV_ROLLBACK_TRAN
            reply.add(tk.envchange(kind, b"", self.transaction))
            self.transaction = b""

    def transaction_request(self, reply, payload):
        reader = requests7.Reader(payload)
        requests7.skip_all_headers(reader)
        request = reader.unpack("<H")[0]
        log.info("transaction request %d", request)
        if request == 5:  # begin
            self.begin(reply)
        elif request in (7, 8):  # commit, rollback; a following flag may begin the next one
            reader.take(reader.byte() * 2)
            self.end(reply, request == 7)
            if not reader.at_end() and reader.byte():
                self.begin(reply)
        reply.add(tk.done(curcmd=0))

    # --- SQL batches -------------------------------------------------------------------------

    def batch(self, reply, text):
        log.info("batch: %r", text)
        statements = queries.statements(text) or [""]
        for index, statement in enumerate(statements):
            more = tk.DONE_MORE if index < len(statements) - 1 else 0
            try:
                self.statement(reply, statement, more)
            except Failure as exc:
                reply.add(tk.message(exc.number, exc.text, exc.severity, exc.state))
                reply.add(tk.done(tk.DONE_ERROR | more, curcmd=CMD_SELECT))

    def statement(self, reply, statement, more, token=tk.DONE):
        """Answers one statement; inside a procedure call `token` is DONEINPROC."""
        action = queries.classify(statement, scalars(self))
        kind = action[0]
        if kind == "rows":
            table = self.resolve(action[1])
            self.send_rows(reply, table, self.source.rows(table), more, token)
        elif kind == "count":
            table = self.resolve(action[1])
            reply.add(tk.colmetadata([(action[2], INT4)]))
            reply.add(tk.row([INT4], [self.source.count(table)]))
            reply.add(tk.done(more, count=1, curcmd=CMD_SELECT, token=token))
        elif kind == "scalar":
            _, alias, _, ctype, value = action
            wire = types7.wire_type(ctype)
            reply.add(tk.colmetadata([(alias, wire)]))
            reply.add(tk.row([wire], [value]))
            reply.add(tk.done(more, count=1, curcmd=CMD_SELECT, token=token))
        elif kind == "use":
            if action[1].lower() not in (src.DATABASE_NAME, "master"):
                raise Failure(911, "Database '%s' does not exist. Make sure that the name is entered correctly." % action[1])
            reply.add(tk.envchange(tk.ENV_DATABASE, src.DATABASE_NAME, src.DATABASE_NAME))
            reply.add(tk.message(5701, "Changed database context to '%s'." % src.DATABASE_NAME, 0, 1, token=tk.INFO))
            reply.add(tk.done(more, curcmd=CMD_USE, token=token))
        elif kind == "textsize":
            # 0 goes back to the server's default, as on the real one
            types7.TEXTSIZE.value = action[1] if action[1] > 0 else 4096
            reply.add(tk.done(more, curcmd=CMD_SET, token=token))
        elif kind == "quiet":
            words = statement.upper().split()
            if words[:1] == ["BEGIN"]:
                self.begin(reply)
            elif "COMMIT" in words[:5] or "ROLLBACK" in words[:5]:
                self.end(reply, "COMMIT" in words[:5])
                if "BEGIN" in words[2:]:
                    self.begin(reply)
            reply.add(tk.done(more, curcmd=CMD_SET, token=token))
        elif kind == "sp_tables":
            self.send_tables(reply, action[1])
            if token == tk.DONE:
                reply.add(tk.returnstatus(0))
                reply.add(tk.done(more, curcmd=CMD_EXEC, token=tk.DONEPROC))
        else:
            log.info("not understood: %r", statement)
            raise Failure(102, "Incorrect syntax near '%s'." % action[1][:100], 15)

    def resolve(self, parts):
        """Stored table name for ['db', 'owner', 'name'] or raise error 208."""
        name = parts[-1]
        qualifiers = parts[:-1]
        ok = True
        if len(qualifiers) >= 1 and qualifiers[-1] and qualifiers[-1].lower() != "dbo":
            ok = False
        if len(qualifiers) == 2 and qualifiers[0] and qualifiers[0].lower() != src.DATABASE_NAME:
            ok = False
        stored = self.source.find(name) if ok else None
        if stored is None:
            raise Failure(208, "Invalid object name '%s'." % ".".join(parts))
        return stored

    def columns(self, table):
        out = []
        for c in self.source.columns(table):
            wire = types7.wire_type(c.type)
            wire.nullable = c.nullable
            out.append((c.name, wire))
        return out

    def send_rows(self, reply, table, rows, more, token=tk.DONE):
        cols = self.columns(table)
        wires = [w for _, w in cols]
        reply.add(tk.colmetadata(cols, table))
        count = 0
        try:
            for values in rows:
                reply.add(tk.row(wires, values))
                count += 1
        except (ValueError, TypeError, ArithmeticError, struct.error) as exc:
            log.exception("value of row %d in %s", count + 1, table)
            raise Failure(8114, "Stored value of row %d in %s cannot be sent: %s" % (count + 1, table, exc)) from exc
        reply.add(tk.done(more, count=count, curcmd=CMD_SELECT, token=token))

    def send_tables(self, reply, args):
        rows = catalog.tables(self.source, args)
        wires = [SYSNAME, SYSNAME, SYSNAME, types7.wire_type(src.ColumnType("varchar", 32)), types7.wire_type(src.ColumnType("varchar", 254))]
        reply.add(tk.colmetadata(list(zip(catalog.COLUMNS, wires))))
        for r in rows:
            reply.add(tk.row(wires, r))
        reply.add(tk.done(tk.DONE_MORE, count=len(rows), curcmd=CMD_SELECT, token=tk.DONEINPROC))

    # --- RPC ---------------------------------------------------------------------------------

    def rpc(self, reply, calls):
        for index, call in enumerate(calls):
            more = tk.DONE_MORE if index < len(calls) - 1 else 0
            log.info("rpc %s %s", call.proc, [(p.name, p.value if not isinstance(p.value, bytes) else p.value.hex()) for p in call.params])
            name = call.proc.split(".")[-1].strip("[]").lower()
            handler = getattr(self, "rpc_" + name, None)
            try:
                if handler is None:
                    raise Failure(2812, "Could not find stored procedure '%s'." % call.proc)
                handler(reply, call, more)
            except Failure as exc:
                reply.add(tk.message(exc.number, exc.text, exc.severity, exc.state, procedure=name))
                reply.add(tk.done(tk.DONE_ERROR | more, curcmd=CMD_EXEC, token=tk.DONEPROC))

    def end_proc(self, reply, more, status=0):
        reply.add(tk.returnstatus(status))
        reply.add(tk.done(more, curcmd=CMD_EXEC, token=tk.DONEPROC))

    def rpc_sp_tables(self, reply, call, more):
        args = {}
        for index, p in enumerate(call.params):
            key = p.name.lower() if p.name else queries.SP_TABLES_ORDER[index]
            args[key] = p.value
        self.send_tables(reply, args)
        self.end_proc(reply, more)

    # Prepared statements: the handle stands for the statement text.

    def prepared_handle(self, text):
        self.prepared = getattr(self, "prepared", {})
        handle = len(self.prepared) + 1
        self.prepared[handle] = text
        return handle

    def run_in_proc(self, reply, text):
        for statement in queries.statements(text) or [""]:
            self.statement(reply, statement, tk.DONE_MORE, tk.DONEINPROC)

    def rpc_sp_prepexec(self, reply, call, more):
        text = call.param(2) or ""
        handle = self.prepared_handle(text)
        self.run_in_proc(reply, text)
        reply.add(tk.returnstatus(0))
        reply.add(tk.returnvalue(0, call.params[0].name, INT4, handle))
        reply.add(tk.done(more, curcmd=CMD_EXEC, token=tk.DONEPROC))

    def rpc_sp_prepare(self, reply, call, more):
        text = call.param(2) or ""
        handle = self.prepared_handle(text)
        action = queries.classify(text, scalars(self))
        if action[0] == "rows":
            table = self.resolve(action[1])
            reply.add(tk.colmetadata(self.columns(table), table))
            reply.add(tk.done(tk.DONE_MORE, curcmd=CMD_SELECT, token=tk.DONEINPROC))
        reply.add(tk.returnstatus(0))
        reply.add(tk.returnvalue(0, call.params[0].name, INT4, handle))
        reply.add(tk.done(more, curcmd=CMD_EXEC, token=tk.DONEPROC))

    def rpc_sp_execute(self, reply, call, more):
        text = getattr(self, "prepared", {}).get(call.param(0))
        if text is None:
            raise Failure(8179, "Could not find prepared statement with handle %s." % call.param(0))
        self.run_in_proc(reply, text)
        self.end_proc(reply, more)

    def rpc_sp_executesql(self, reply, call, more):
        self.run_in_proc(reply, call.param(0) or "")
        self.end_proc(reply, more)

    def rpc_sp_unprepare(self, reply, call, more):
        getattr(self, "prepared", {}).pop(call.param(0), None)
        self.end_proc(reply, more)

    def rpc_sp_cursoropen(self, reply, call, more):
        statement = call.param(1) or ""
        scrollopt = call.param(2) or cursors.KEYSET
        ccopt = call.param(3) or cursors.READ_ONLY
        action = queries.classify(statement, scalars(self))
        scroll = scrollopt & 0xFF
        if action[0] == "rows":
            table = self.resolve(action[1])
            cols = self.columns(table)
            rows = self.source.rows(table).fetchall()
        elif action[0] == "count":
            # An aggregate cannot be keyset-driven: SQL Server makes such a cursor static.
            table = self.resolve(action[1])
            cols = [(action[2], INT4)]
            rows = [(self.source.count(table),)]
            scroll = cursors.STATIC
        elif action[0] == "scalar":
            table = ""
            cols = [(action[1], types7.wire_type(action[3]))]
            rows = [(action[4],)]
            scroll = cursors.STATIC
        else:
            raise Failure(102, "Incorrect syntax near '%s'." % (statement.split()[0] if statement.split() else ""), 15)
        # A fast-forward request is answered as forward-only; the rest keep what was asked for.
        if scroll & cursors.FAST_FORWARD:
            scroll = cursors.FORWARD_ONLY | cursors.FAST_FORWARD
        cursor = cursors.Cursor(table, cols, [w for _, w in cols], rows, scroll, ccopt & 0xFF)
        self.cursors[cursor.id] = cursor
        rowcount = len(rows) if scroll & (cursors.KEYSET | cursors.STATIC) else -1
        reply.add(tk.colmetadata(cols, table))
        reply.add(tk.done(tk.DONE_MORE, curcmd=CMD_SELECT, token=tk.DONEINPROC))
        reply.add(tk.returnstatus(0))
        reply.add(tk.returnvalue(0, "", INT4, cursor.id))
        reply.add(tk.returnvalue(2, "", INT4, scroll))
        reply.add(tk.returnvalue(3, "", INT4, cursor.ccopt))
        reply.add(tk.returnvalue(4, "", INT4, rowcount))
        reply.add(tk.done(more, curcmd=CMD_EXEC, token=tk.DONEPROC))

    def cursor_of(self, call):
        cursor = self.cursors.get(call.param(0))
        if cursor is None:
            raise Failure(16916, "A cursor with the name '%s' does not exist." % call.param(0))
        return cursor

    def rpc_sp_cursorfetch(self, reply, call, more):
        cursor = self.cursor_of(call)
        fetch_type = call.param(1) or cursors.NEXT
        row_number = call.param(2) or 0
        nrows = call.param(3)
        if nrows is None:
            nrows = 20  # SQL Server's default rowset
        if fetch_type & cursors.INFO:
            self.end_proc(reply, more)
            return
        kind = fetch_type & 0xFF
        names = {cursors.PREV: "Prior", cursors.LAST: "Last", cursors.ABSOLUTE: "Absolute", cursors.RELATIVE: "Relative"}
        if cursor.scrollopt & cursors.FORWARD_ONLY and kind in names:
            raise Failure(16911, "fetch: The fetch type %s cannot be used with forward only cursors." % names[kind])
        if cursor.scrollopt & cursors.DYNAMIC and kind == cursors.ABSOLUTE:
            raise Failure(16911, "fetch: The fetch type Absolute cannot be used with dynamic cursors.")
        rows = cursor.fetch(fetch_type, row_number, nrows)
        self.send_rowset(reply, call, cursor, rows)
        self.end_proc(reply, more)

    def send_rowset(self, reply, call, cursor, rows):
        # Flag 0x02 asks for no metadata: the client still has it from sp_cursoropen.
        if call.flags & 0x02:
            reply.add(tk.colmetadata(None))
        else:
            reply.add(tk.colmetadata(cursor.columns, cursor.table))
        try:
            for values in rows:
                reply.add(tk.row(cursor.wires, values))
        except (ValueError, TypeError, ArithmeticError, struct.error) as exc:
            raise Failure(8114, "Stored value in %s cannot be sent: %s" % (cursor.table, exc)) from exc
        reply.add(tk.done(tk.DONE_MORE, count=len(rows), curcmd=CMD_SELECT, token=tk.DONEINPROC))

    def rpc_sp_cursoroption(self, reply, call, more):
        self.cursor_of(call)
        self.end_proc(reply, more)

    def rpc_sp_cursor(self, reply, call, more):
        cursor = self.cursor_of(call)
        optype = call.param(1) or 0
        rownum = call.param(2) or 0
        if optype & (0x01 | 0x02 | 0x04):
            raise Failure(16929, "The cursor is READ ONLY.")
        if optype & 0x08:  # refresh: the rows again, one or the whole rowset
            if rownum:
                row = cursor.row_at(rownum)
                rows = [row] if row is not None else []
            else:
                rows = cursor.rows[cursor.start - 1 : cursor.start - 1 + cursor.size] if cursor.start >= 1 else []
            self.send_rowset(reply, call, cursor, rows)
        elif rownum and cursor.row_at(rownum) is None and not optype & 0x40:
            raise Failure(16931, "There are no rows in the current fetch buffer.")
        self.end_proc(reply, more)

    def rpc_sp_cursorclose(self, reply, call, more):
        self.cursor_of(call)
        del self.cursors[call.param(0)]
        self.end_proc(reply, more)
