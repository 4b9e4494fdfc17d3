# Files are bytes: saved without edits they are the same; edits keep the line ends.
open Raw.cpp
save
print
open Crlf.pas
select 4 1 5 7
key Tab
cursor 6 1
type "z := 3;\n"
print
save
undo
undo
save Copy.pas
