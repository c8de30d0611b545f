"""The tables of the matrix: server columns, the Access field each one fills, and the DDL that
makes the Access side."""

from dataclasses import dataclass, field


@dataclass
class Column:
    name: str
    server_type: str  # the type as the server declares it
    access_type: str  # Access DDL type: LONG, SHORT, BYTE, CURRENCY, SINGLE, DOUBLE, DATETIME,
    #                   YESNO, TEXT(n), MEMO, LONGBINARY, GUID, DECIMAL(p,s)
    kind: str  # how the oracle's text of a value reads: int, dec, f32, f64, bool, date, time,
    #            ts, tstz, text, bytes, uuid
    expr: str = ""  # the value of row i, as the server source builds it (SQL or Python)


@dataclass
class Table:
    name: str
    columns: list  # of Column; the first is the id, a Long primary key on the Access side
    rows: int = 0
    in_access: bool = True  # False: a server table without an Access counterpart
    on_server: bool = True  # False: only in Access (stays empty, must not be touched)
    notes: list = field(default_factory=list)


def access_ddl(tables):
    statements = []
    for table in tables:
        if not table.in_access:
            continue
        lines = []
        for index, column in enumerate(table.columns):
            suffix = " CONSTRAINT pk_%s PRIMARY KEY" % table.name if index == 0 else ""
            lines.append("    [%s] %s%s" % (column.name, column.access_type, suffix))
        statements.append("CREATE TABLE [%s] (\n%s\n);" % (table.name, ",\n".join(lines)))
    return "\n\n".join(statements) + "\n"
