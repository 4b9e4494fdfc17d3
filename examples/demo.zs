# The zeb-host demo: the add-in's keys on a Pascal unit and a C++ module.
echo "== Unit1.pas: select lines 22 to 24 and press Tab (2 columns in a .pas file)"
open Unit1.pas
select 22 1 25 1
key Tab
print
echo "== Shift+Tab takes the indent away again; a second Tab indents again"
key Shift+Tab
key Tab
key Tab
print
echo "== Undo: back to one indent"
undo
print
echo "== No block: the add-in passes Tab on and the editor inserts a tab character"
cursor 27 1
key Tab
echo "== Ctrl+Alt+U: the add-in's information dialog"
key Ctrl+Alt+U
echo "== Main.cpp: Tab indents by 4 outside Pascal; Shift+Tab unindents the tab-indented lines"
open Main.cpp
select 6 1 7 1
key Tab
select 10 1 12 1
key Shift+Tab
print
echo "== Main.h, a companion of Main.cpp: the block is the header's, the 4 columns Main.cpp's"
view Main.h
select 3 1 4 1
key Tab
print
echo "== Save both modules"
save
view Main.cpp
save
view Unit1.pas
save
