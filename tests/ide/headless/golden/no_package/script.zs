# Without the add-in no key is bound: Tab inserts a tab, Shift+Tab does nothing.
open Main.h
select 3 1 4 1
key Tab
key Shift+Tab
key x
key Shift+Y
key Ctrl+Alt+U
print
