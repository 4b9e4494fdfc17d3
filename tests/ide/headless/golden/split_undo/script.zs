# Two views of one file: each keeps its own block; undo steps are the file's.
open Unit1.pas
select 21 1 26 1
split
select 1 1 1 5
key Ctrl+Alt+Shift+L
print
view Unit1.dfm
select 2 1 4 1
key Tab
print
open Unit1.pas
key Tab
print
undo
undo
redo
print
