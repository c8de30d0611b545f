"""A stand-in TDS server for the driver tests.

The real FreeTDS ODBC driver talks to it as it would to Microsoft SQL Server (TDS 7.4) or to
Sybase ASE (TDS 5.0); the rows come from a SQLite file the tests fill themselves. Run it with
``python3 -m tds --help`` from tests/servers (scripts/throwaway-tds does that).
"""
