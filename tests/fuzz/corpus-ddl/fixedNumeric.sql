-- That file uses encoding UTF-8

CREATE TABLE [test]
 (
	[col1]			Memo/Hyperlink (255), 
	[col2]			Numeric (18, 0), 
	[col3]			Numeric (18, 0), 
	[col4]			Numeric (18, 0), 
	[col5]			Numeric (18, 0), 
	[col6]			Numeric (18, 0), 
	[col7]			Numeric (18, 0)
);


