"""One run of transfer_runner: its activity lines, its exit status and the Access tables it
dumped afterwards."""

import json
import os
import subprocess
from dataclasses import dataclass, field

KIND_ARGUMENTS = {"ms": ["--kind", "ms"], "ora": ["--kind", "ora"], "syb": ["--kind", "syb"],
                  "safe": ["--kind", "ms", "--safe"]}
STATUS_TEXT = {0: "completed", 1: "RunFailure", 2: "aborted", 3: "bad arguments",
               4: "dump failed"}


@dataclass
class RunResult:
    status: int
    lines: list
    stderr: str
    tables: dict = field(default_factory=dict)  # name -> (columns, rows)
    seconds: float = 0.0


def run_transfer(runner, env, dsn, user, password, mdb, kind, dump_tables, folder, table=None,
                 timeout=240):
    import time

    dump_path = os.path.join(folder, "dump-%s.jsonl" % (table or "all"))
    command = [runner, "--dsn", dsn, "--user", user, "--password", password, "--mdb", mdb]
    command += KIND_ARGUMENTS[kind] + ["--dump-file", dump_path]
    if table:
        command += ["--table", table]
    for name in dump_tables:
        command += ["--dump", name]
    started = time.monotonic()
    try:
        done = subprocess.run(command, env=env, capture_output=True, timeout=timeout)
        status, stdout, stderr = done.returncode, done.stdout, done.stderr
    except subprocess.TimeoutExpired as expired:
        status, stdout, stderr = -1, expired.stdout or b"", b"timeout after %d s" % timeout
    result = RunResult(status, stdout.decode("utf-8", "replace").split("\n"),
                       stderr.decode("utf-8", "replace"), seconds=time.monotonic() - started)
    if result.lines and result.lines[-1] == "":
        result.lines.pop()
    if os.path.exists(dump_path):
        result.tables = read_dump(dump_path)
    return result


def read_dump(path):
    tables = {}
    current = None
    with open(path, encoding="ascii") as dump:
        for line in dump:
            item = json.loads(line)
            if isinstance(item, dict) and "table" in item:
                current = (item["columns"], [])
                tables[item["table"]] = current
            elif isinstance(item, dict) and "end" in item:
                current = None
            else:
                current[1].append(item)
    return tables
