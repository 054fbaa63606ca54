"He said "hi"	x"
