-- That file uses encoding UTF-8

CREATE TABLE [users]
 (
	[i_user_id]			Long Integer NOT NULL, 
	[c_user_login]			Text (32) NOT NULL, 
	[c_user_pwd]			Text (32) NOT NULL, 
	[c_user_session]			Text (40) NOT NULL, 
	[c_user_name]			Text (200) NOT NULL, 
	[i_user_flags]			Long Integer NOT NULL, 
	[i_user_type]			Long Integer NOT NULL, 
	[i_user_merch]			Long Integer NOT NULL, 
	[c_flag_]			Text (1) NOT NULL, 
	[d_stamp_]			DateTime NOT NULL
);


