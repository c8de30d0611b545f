"""A stand-in TDS server for the driver tests.

The real FreeTDS ODBC driver talks to it as it would to Microsoft SQL Server (TDS 7.4) or to
Sybase ASE (TDS 5.0) - one port serves both, told apart by the client's first packet; the rows
come from a SQLite file the tests fill themselves (sqlsource says how each type is stored).

Start it with scripts/throwaway-tds, or by hand from tests/servers:
    python3 -m tds --database FILE --user NAME --password-file FILE --port-file FILE
                   [--lifetime SECONDS] [--log FILE] [--verbose]
The self-test drives the real driver through unixODBC: python3 -m tds.selftest [--facts].

Modules: framing (packets), login7/requests7/tokens7/types7/session7 (SQL Server),
tokens5/types5/session5 (ASE), queries (the SQL it understands), catalog (sp_tables),
cursors (server cursors), sqlsource (SQLite), main (listener, threads, lifetime).
"""
