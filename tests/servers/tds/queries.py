"""What the server understands of SQL text, for both protocol generations.

A batch is split into statements; each becomes one action the session answers:
  ('rows', table)              SELECT * FROM name
  ('count', table, alias)      SELECT COUNT(*) [AS alias] FROM name
  ('scalar', alias, type, v)   the server variables and functions drivers ask for
  ('use', database)            USE name
  ('textsize', n)               SET TEXTSIZE n
  ('quiet',)                   other SET statements, transactions: done without rows
  ('sp_tables', {arg: value})  EXEC sp_tables ... sent as text
  ('syntax', near)             anything else: error 102
Names may be bare, [bracketed] or "quoted", and qualified by owner and database.
"""

import re

_PART = r'(?:\[(?:[^\]]|\]\])+\]|"(?:[^"]|"")+"|[A-Za-z_#@][\w$#@]*)'
_NAME = r"(%s(?:\s*\.\s*(?:%s)?){0,2})" % (_PART, _PART)
_ALIAS = r"(?:\s+(?:AS\s+)?(%s))?" % _PART

_SELECT_ALL = re.compile(r"^SELECT\s+\*\s+FROM\s+" + _NAME + r"$", re.I | re.S)
_COUNT = re.compile(r"^SELECT\s+COUNT\s*\(\s*\*\s*\)" + _ALIAS + r"\s+FROM\s+" + _NAME + r"$", re.I | re.S)
_USE = re.compile(r"^USE\s+(%s)$" % _PART, re.I)
_QUIET = re.compile(
    r"^(SET\s|BEGIN\s+TRAN|COMMIT|ROLLBACK|IF\s+@@TRANCOUNT|DBCC\s|SET$)", re.I
)
_EXEC = re.compile(r"^(?:EXEC(?:UTE)?\s+)?" + _NAME + r"(?:\s+(.*))?$", re.I | re.S)
_SCALAR = re.compile(r"^SELECT\s+(.+?)" + _ALIAS + r"$", re.I | re.S)
_SPLIT = re.compile(r";|\n(?=\s*(?:SET|USE|SELECT|EXEC|EXECUTE|IF|DECLARE|COMMIT|ROLLBACK)\b)", re.I)


def unquote(part):
    part = part.strip()
    if part.startswith("[") and part.endswith("]"):
        return part[1:-1].replace("]]", "]")
    if part.startswith('"') and part.endswith('"'):
        return part[1:-1].replace('""', '"')
    return part


def split_name(text):
    """'sqlvantor.dbo.[Tab]' -> ['sqlvantor', 'dbo', 'Tab'] (empty parts kept)."""
    parts = re.findall(_PART + r"|\.", text)
    out, current = [], ""
    for p in parts:
        if p == ".":
            out.append(current)
            current = ""
        else:
            current = unquote(p)
    out.append(current)
    return out


_KEYWORD = re.compile(r"(SET|USE|SELECT|EXEC|EXECUTE|IF|DECLARE|COMMIT|ROLLBACK)\b", re.I)


def statements(text):
    """Splits a batch at ';' and where a new statement starts with one of the usual keywords,
    outside quotes, brackets and parentheses (servers need no separator between statements).
    A SELECT right after UNION/IN( is not a new statement, and is inside parentheses anyway."""
    out, start, i, depth = [], 0, 0, 0
    quote = None
    while i < len(text):
        ch = text[i]
        if quote:
            if ch == quote:
                quote = None
        elif ch in "'\"":
            quote = ch
        elif ch == "[":
            quote = "]"
        elif ch == "(":
            depth += 1
        elif ch == ")":
            depth = max(0, depth - 1)
        elif ch == ";" and depth == 0:
            out.append(text[start:i])
            start = i + 1
        elif depth == 0 and (i == 0 or not (text[i - 1].isalnum() or text[i - 1] in "_@#$")):
            m = _KEYWORD.match(text, i)
            if m and text[start:i].strip() and not _continues(text[start:i], m.group(1)):
                out.append(text[start:i])
                start = i
        i += 1
    out.append(text[start:])
    return [s.strip() for s in out if s.strip()]


def _continues(before, keyword):
    """True when `keyword` belongs to the statement before it (EXEC's argument, SET in UPDATE)."""
    last = before.split()[-1].upper() if before.split() else ""
    return last in ("UNION", "ALL", "EXISTS", "AS", "UPDATE") or (keyword.upper() == "SET" and before.strip().upper().startswith("UPDATE"))


def parse_literal(text):
    text = text.strip()
    if text.upper() == "NULL":
        return None
    m = re.match(r"^N?'((?:[^']|'')*)'$", text, re.S)
    if m:
        return m.group(1).replace("''", "'")
    if re.match(r"^-?\d+$", text):
        return int(text)
    return unquote(text)


def split_args(text):
    """Arguments of EXEC: [(name or None, value)]."""
    args, depth, current, quote = [], 0, "", False
    for ch in text or "":
        if ch == "'":
            quote = not quote
        if ch == "," and not quote and depth == 0:
            args.append(current)
            current = ""
            continue
        current += ch
    if current.strip():
        args.append(current)
    out = []
    for arg in args:
        m = re.match(r"^\s*(@\w+)\s*=\s*(.*)$", arg, re.S)
        if m:
            out.append((m.group(1).lower(), parse_literal(m.group(2))))
        else:
            out.append((None, parse_literal(arg)))
    return out


SP_TABLES_ORDER = ["@table_name", "@table_owner", "@table_qualifier", "@table_type", "@fusepattern"]


def classify(statement, scalars):
    """One statement -> action tuple; `scalars` maps an upper-case expression to (type, value)."""
    s = statement.strip().rstrip(";").strip()
    m = _SELECT_ALL.match(s)
    if m:
        return ("rows", split_name(m.group(1)))
    m = _COUNT.match(s)
    if m:
        return ("count", split_name(m.group(2)), unquote(m.group(1)) if m.group(1) else "")
    m = _USE.match(s)
    if m:
        return ("use", unquote(m.group(1)))
    m = re.match(r"^SET\s+TEXTSIZE\s+(-?\d+)$", s, re.I)
    if m:
        return ("textsize", int(m.group(1)))
    if _QUIET.match(s):
        return ("quiet",)
    m = _SCALAR.match(s)
    if m:
        expr = " ".join(m.group(1).split()).upper()
        if expr in scalars:
            alias = unquote(m.group(2)) if m.group(2) else ""
            return ("scalar", alias, expr) + tuple(scalars[expr])
    m = _EXEC.match(s)
    if m and split_name(m.group(1))[-1].lower() == "sp_tables":
        args = {}
        for index, (name, value) in enumerate(split_args(m.group(2))):
            if name is None and index < len(SP_TABLES_ORDER):
                name = SP_TABLES_ORDER[index]
            if name:
                args[name] = value
        return ("sp_tables", args)
    near = s.split()[0] if s.split() else s
    return ("syntax", near)
