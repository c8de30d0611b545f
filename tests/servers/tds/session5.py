"""One client connection speaking TDS 5.0 as Sybase ASE does: language batches, DBRPC calls of
sp_tables, ROWFMT/ROW results. ASE has no server cursors for this client: FreeTDS reads every
result forward."""

import logging
import re

from . import catalog, framing, queries
from . import sqlsource as src
from . import tokens5 as tk
from . import types5, types7

log = logging.getLogger("tds")

INT4 = types5.wire_type(src.ColumnType("int"))


class Failure(Exception):
    def __init__(self, number, text, severity=16, state=1):
        super().__init__(text)
        self.number, self.text, self.severity, self.state = number, text, severity, state


_EXECUTE_STRING = re.compile(r"^EXEC(?:UTE)?\s*\(\s*'((?:[^']|'')*)'\s*\)$", re.I | re.S)


class Session5:
    def __init__(self, channel, source, config):
        self.channel = channel
        self.source = source
        self.config = config
        self.user = ""
        self.channel.packet_size = 512
        # FreeTDS sends no SET TEXTSIZE by itself; long values then go out whole (a real ASE
        # would cut them at its @@textsize).
        types7.TEXTSIZE.value = 0

    def scalars(self):
        nv = src.ColumnType("varchar", 30)
        return {
            "@@SPID": (src.ColumnType("int"), self.channel.spid),
            "@@VERSION": (src.ColumnType("varchar", 255), "Adaptive Server Enterprise/16.0 SP04/sqlvantor test server"),
            "@@SERVERNAME": (nv, tk.SERVER_NAME),
            "@@TRANCOUNT": (src.ColumnType("int"), 0),
            "@@NCHARSIZE": (src.ColumnType("int"), types5.NCHAR_SIZE),
            "@@UNICHARSIZE": (src.ColumnType("int"), 2),
            "DB_NAME()": (nv, src.DATABASE_NAME),
            "USER_NAME()": (nv, "dbo"),
            "SUSER_NAME()": (nv, self.user),
            "1": (src.ColumnType("int"), 1),
            "CONVERT(NVARCHAR(3), 'ABC')": (src.ColumnType("nvarchar", 3), "abc"),
            "CONVERT(UNIVARCHAR(3), 'XYZ')": (src.ColumnType("univarchar", 3), "xyz"),
        }

    def login(self, payload):
        info = tk.parse_login(payload)
        self.user = info["user"]
        log.info("5.0 login user=%r app=%r charset=%r packet=%r", info["user"], info["app"], info["charset"], info["packet_size"])
        reply = framing.Reply(self.channel)
        if info["user"] != self.config.user or info["password"] != self.config.password:
            reply.add(tk.message(4002, "Login failed.", 14, state=1))
            reply.add(tk.loginack(False))
            reply.add(tk.done(tk.DONE_ERROR))
            reply.finish()
            return False
        try:
            size = int(info["packet_size"] or 512)
        except ValueError:
            size = 512
        size = min(max(size, 512), 65535)
        reply.add(tk.envchange(tk.ENV_DATABASE, src.DATABASE_NAME, "master"))
        reply.add(tk.message(5701, "Changed database context to '%s'." % src.DATABASE_NAME, 10, token=tk.INFO))
        reply.add(tk.envchange(tk.ENV_LANGUAGE, "us_english", ""))
        reply.add(tk.envchange(tk.ENV_CHARSET, "utf8", ""))
        reply.add(tk.envchange(tk.ENV_PACKETSIZE, str(size), str(size)))
        reply.add(tk.loginack(True))
        if info["capabilities"]:
            reply.add(tk.capability(self.server_capabilities(info["capabilities"])))
        reply.add(tk.done())
        reply.finish()
        self.channel.packet_size = size
        return True

    @staticmethod
    def server_capabilities(client):
        """The client's request capabilities back (all granted); response capabilities none,
        so wide rows and unichar as UTF-16 stay as ASE sends them by default."""
        out = bytearray(client)
        pos = 0
        while pos + 2 <= len(out):
            kind, size = out[pos], out[pos + 1]
            if kind == 2:
                out[pos + 2 : pos + 2 + size] = bytes(size)
            pos += 2 + size
        return bytes(out)

    def serve(self):
        while True:
            kind, payload = self.channel.read_message()
            reply = framing.Reply(self.channel)
            if kind == framing.ATTENTION:
                reply.add(tk.done(tk.DONE_ATTN))
                reply.finish()
                continue
            try:
                if kind == framing.SQL_BATCH:
                    # A plain query message (as TDS 4.2 sends it): the text alone.
                    requests = [["language", payload.decode("utf-8", "replace")]]
                else:
                    requests = tk.parse_tokens(payload)
            except ValueError as exc:
                log.exception("bad request")
                reply.add(tk.message(8009, "The request could not be read: %s" % exc, 16))
                reply.add(tk.done(tk.DONE_ERROR))
                reply.finish()
                continue
            try:
                if self.answer(reply, requests):
                    return
            except framing.Cancelled:
                log.info("request cancelled by the client")
                reply.buf += tk.done(tk.DONE_ATTN)
            reply.finish()

    def answer(self, reply, requests):
        """Answers the requests of one message; True after a logout."""
        for request in requests:
            if request[0] == "logout":
                reply.add(tk.done())
                reply.finish()
                return True
            if request[0] == "dynamic":
                # ASE's answer to statements it cannot prepare; FreeTDS then sends them
                # as language batches itself.
                log.info("5.0 dynamic operation 0x%02X on %r refused", request[1], request[2])
                reply.add(tk.eed(2782, "Dynamic SQL statements are not supported by this server; execute the statement directly.", 16, "ZZZZZ"))
                reply.add(tk.done(tk.DONE_ERROR))
                continue
            if request[0] == "language":
                self.batch(reply, request[1])
            else:
                self.rpc(reply, request[1], request[2])
        return False

    def batch(self, reply, text):
        log.info("5.0 batch: %r", text)
        statements = queries.statements(text) or [""]
        for index, statement in enumerate(statements):
            more = tk.DONE_MORE if index < len(statements) - 1 else 0
            try:
                self.statement(reply, statement, more)
            except Failure as exc:
                reply.add(tk.message(exc.number, exc.text, exc.severity, exc.state))
                reply.add(tk.done(tk.DONE_ERROR | more))

    def statement(self, reply, statement, more):
        m = _EXECUTE_STRING.match(statement.strip())
        if m:
            statement = m.group(1).replace("''", "'")
        action = queries.classify(statement, self.scalars())
        kind = action[0]
        if kind == "rows":
            table = self.resolve(action[1])
            cols = []
            for c in self.source.columns(table):
                wire = types5.wire_type(c.type, table)
                wire.nullable = c.nullable
                cols.append((c.name, wire))
            wires = [w for _, w in cols]
            reply.add(tk.rowfmt(cols))
            count = 0
            try:
                for values in self.source.rows(table):
                    reply.add(tk.row(wires, values))
                    count += 1
            except (ValueError, TypeError, ArithmeticError) as exc:
                log.exception("value of row %d in %s", count + 1, table)
                raise Failure(247, "Stored value of row %d in %s cannot be sent: %s" % (count + 1, table, exc)) from exc
            reply.add(tk.done(more, count=count))
        elif kind == "count":
            table = self.resolve(action[1])
            reply.add(tk.rowfmt([(action[2], INT4)]))
            reply.add(tk.row([INT4], [self.source.count(table)]))
            reply.add(tk.done(more, count=1))
        elif kind == "scalar":
            _, alias, _, ctype, value = action
            wire = types5.wire_type(ctype)
            reply.add(tk.rowfmt([(alias, wire)]))
            reply.add(tk.row([wire], [value]))
            reply.add(tk.done(more, count=1))
        elif kind == "use":
            if action[1].lower() not in (src.DATABASE_NAME, "master"):
                raise Failure(911, "Attempt to locate entry in sysdatabases for database '%s' by name failed - no entry found under that name. Make sure that name is entered properly." % action[1])
            reply.add(tk.envchange(tk.ENV_DATABASE, src.DATABASE_NAME, src.DATABASE_NAME))
            reply.add(tk.done(more))
        elif kind == "textsize":
            # 0 goes back to the server's default, as on the real one
            types7.TEXTSIZE.value = action[1] if action[1] > 0 else 32768
            reply.add(tk.done(more))
        elif kind == "quiet":
            reply.add(tk.done(more))
        elif kind == "sp_tables":
            self.send_tables(reply, action[1])
            reply.add(tk.returnstatus(0))
            reply.add(tk.done(more, token=tk.DONEPROC))
        else:
            log.info("not understood: %r", statement)
            raise Failure(102, "Incorrect syntax near '%s'." % action[1][:100], 15)

    def resolve(self, parts):
        name = parts[-1]
        qualifiers = parts[:-1]
        ok = not (qualifiers and qualifiers[-1] and qualifiers[-1].lower() != "dbo")
        if len(qualifiers) == 2 and qualifiers[0] and qualifiers[0].lower() != src.DATABASE_NAME:
            ok = False
        stored = self.source.find(name) if ok else None
        if stored is None:
            raise Failure(208, "%s not found. Specify owner.objectname or use sp_help to check whether the object exists (sp_help may produce lots of output)." % ".".join(parts))
        return stored

    def send_tables(self, reply, args):
        rows = catalog.tables(self.source, args, sybase=True)
        name = types5.wire_type(src.ColumnType("varchar", 255))
        kind = types5.wire_type(src.ColumnType("varchar", 32))
        wires = [name, name, name, kind, name]
        reply.add(tk.rowfmt(list(zip(catalog.COLUMNS, wires))))
        for r in rows:
            reply.add(tk.row(wires, r))
        reply.add(tk.done(tk.DONE_MORE, count=len(rows), token=tk.DONEINPROC))

    def rpc(self, reply, name, params):
        log.info("5.0 rpc %s %s", name, params)
        proc = name.split(".")[-1].lower()
        try:
            if proc != "sp_tables":
                raise Failure(2812, "Stored procedure '%s' not found. Specify owner.objectname or use sp_help to check whether the object exists (sp_help may produce lots of output)." % name)
            args = {}
            for index, (pname, value) in enumerate(params):
                key = pname.lower() if pname else queries.SP_TABLES_ORDER[index]
                args[key] = value
            self.send_tables(reply, args)
            reply.add(tk.returnstatus(0))
            reply.add(tk.done(token=tk.DONEPROC))
        except Failure as exc:
            reply.add(tk.message(exc.number, exc.text, exc.severity, exc.state, procedure=proc))
            reply.add(tk.done(tk.DONE_ERROR, token=tk.DONEPROC))
