open Main.cpp
type "// edited\n"
save no/such/folder/Main.cpp
save
