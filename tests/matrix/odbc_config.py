"""A private copy of the ODBC configuration scripts/test exports (ODBCSYSINI, ODBCINI) with the
matrix's own data sources added, so the runner finds them without touching anyone's files."""

import configparser
import os
import shutil

DRIVER_DIR = "/usr/lib/x86_64-linux-gnu/odbc"


def _read(path):
    parser = configparser.RawConfigParser(strict=False, interpolation=None)
    parser.optionxform = str
    if path and os.path.isfile(path):
        parser.read(path)
    return parser


def dsn_section(name):
    """The settings of data source `name` as the exported configuration defines it."""
    system_dir = os.environ.get("ODBCSYSINI", "")
    for path in (os.environ.get("ODBCINI"), os.path.join(system_dir, "odbc.ini")):
        parser = _read(path)
        if parser.has_section(name):
            return dict(parser.items(name))
    return None


def write_config(folder, data_sources):
    """Writes odbcinst.ini and odbc.ini into `folder`: the exported ones plus `data_sources`
    ({name: {key: value}}). Returns the environment that points a program at them."""
    os.makedirs(folder, exist_ok=True)
    system_dir = os.environ.get("ODBCSYSINI", "")
    drivers = os.path.join(system_dir, "odbcinst.ini")
    if system_dir and os.path.isfile(drivers):
        shutil.copyfile(drivers, os.path.join(folder, "odbcinst.ini"))
    else:
        open(os.path.join(folder, "odbcinst.ini"), "w").close()
    sources = _read(os.environ.get("ODBCINI") or os.path.join(system_dir, "odbc.ini"))
    for name, settings in data_sources.items():
        if sources.has_section(name):
            sources.remove_section(name)
        sources.add_section(name)
        for key, value in settings.items():
            sources.set(name, key, value)
    path = os.path.join(folder, "odbc.ini")
    with open(path, "w") as out:
        sources.write(out, space_around_delimiters=False)
    env = dict(os.environ)
    env["ODBCSYSINI"] = folder
    env["ODBCINI"] = path
    env.setdefault("LANG", "C.UTF-8")
    return env
