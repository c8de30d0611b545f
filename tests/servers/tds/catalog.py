"""sp_tables: the catalog rows both server kinds answer, honouring @table_name, @table_owner,
@table_qualifier (LIKE patterns for name and owner) and @table_type ("'TABLE','VIEW'")."""

import re

from .sqlsource import DATABASE_NAME

# A real server also lists some of its own objects; tests see that they are told apart.
MSSQL_SYSTEM_VIEWS = [
    ("INFORMATION_SCHEMA", "COLUMNS"),
    ("INFORMATION_SCHEMA", "TABLES"),
    ("INFORMATION_SCHEMA", "VIEWS"),
    ("sys", "columns"),
    ("sys", "objects"),
    ("sys", "tables"),
    ("sys", "views"),
]
MSSQL_SYSTEM_TABLES = [("sys", "trace_xe_action_map"), ("sys", "trace_xe_event_map")]
SYBASE_SYSTEM_TABLES = [("dbo", "syscolumns"), ("dbo", "sysindexes"), ("dbo", "sysobjects"), ("dbo", "sysusers")]

COLUMNS = ["TABLE_QUALIFIER", "TABLE_OWNER", "TABLE_NAME", "TABLE_TYPE", "REMARKS"]


def like(pattern, text):
    if pattern is None or pattern == "":
        return True
    out, i = "", 0
    while i < len(pattern):
        ch = pattern[i]
        if ch == "\\" and i + 1 < len(pattern):
            # sp_tables matches with ESCAPE '\', the driver's search pattern escape
            i += 1
            out += re.escape(pattern[i])
        elif ch == "%":
            out += ".*"
        elif ch == "_":
            out += "."
        elif ch == "[":
            end = pattern.find("]", i + 1)
            if end < 0:
                out += re.escape(ch)
            else:
                inner = pattern[i + 1 : end]
                out += re.escape(inner) if len(inner) == 1 else "[" + inner.replace("\\", "\\\\") + "]"
                i = end
        else:
            out += re.escape(ch)
        i += 1
    return re.fullmatch(out, text, re.I | re.S) is not None


def parse_types(text):
    if not text:
        return None
    return {part.strip().strip("'\"").upper() for part in text.split(",") if part.strip()}


def tables(source, args, sybase=False):
    """args: {'@table_name': ..., ...} -> rows of COLUMNS."""
    name = args.get("@table_name")
    owner = args.get("@table_owner")
    qualifier = args.get("@table_qualifier")
    types = parse_types(args.get("@table_type"))
    if qualifier not in (None, "") and qualifier.lower() != DATABASE_NAME.lower():
        return []
    candidates = [("dbo", n, kind) for n, kind in source.objects()]
    if sybase:
        candidates += [(o, n, "SYSTEM TABLE") for o, n in SYBASE_SYSTEM_TABLES]
    else:
        candidates += [(o, n, "VIEW") for o, n in MSSQL_SYSTEM_VIEWS]
        candidates += [(o, n, "SYSTEM TABLE") for o, n in MSSQL_SYSTEM_TABLES]
    rows = [
        (DATABASE_NAME, o, n, kind, None)
        for o, n, kind in candidates
        if (types is None or kind in types) and like(name, n) and like(owner, o)
    ]
    rows.sort(key=lambda r: (r[3], r[0], r[1].lower(), r[2].lower()))
    return rows
