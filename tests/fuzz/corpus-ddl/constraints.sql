-- Kunden und Aufträge
CREATE TABLE [Kunde] (
	[Nr]	COUNTER CONSTRAINT [pk] PRIMARY KEY,
	[Name]	Text (80) NOT NULL WITH COMPRESSION,
	[Straße]	VARCHAR(100) DEFAULT 'unbekannt',
	[Saldo]	Currency DEFAULT 0,
	[Aktiv]	YESNO DEFAULT TRUE,
	[Seit]	DateTime DEFAULT Date(),
	[Notiz]	Memo WITH COMP,
	[Code]	Text (5) UNIQUE
);
CREATE TABLE Auftrag (Nr Long, Pos Short, Kunde Long NOT NULL, Betrag Numeric (12, 2),
	CONSTRAINT AuftragPK PRIMARY KEY (Nr, Pos));
CREATE INDEX KundeDatum ON Auftrag (Kunde ASC, Betrag DESC) WITH IGNORE NULL;
CREATE UNIQUE INDEX [NrKunde] ON [Auftrag] ([Nr], [Kunde]) WITH DISALLOW NULL;
/* gelöscht */ DROP TABLE [Auftrag];
