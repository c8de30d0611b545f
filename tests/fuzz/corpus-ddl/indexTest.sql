-- That file uses encoding UTF-8

DROP TABLE [Table1];
CREATE TABLE [Table1]
 (
	[id]			Long Integer DEFAULT 0, 
	[otherfk1]			Long Integer DEFAULT 0, 
	[otherfk2]			Long Integer DEFAULT 0, 
	[data]			Text (50), 
	[otherfk3]			Long Integer DEFAULT 0
);

DROP TABLE [Table2];
CREATE TABLE [Table2]
 (
	[id]			Long Integer DEFAULT 0, 
	[data]			Text (50)
);

DROP TABLE [Table3];
CREATE TABLE [Table3]
 (
	[id]			Long Integer DEFAULT 0, 
	[data]			Text (50)
);


