open Sample.pas
cursor 11 3
key Ctrl+Alt+T
# A block of three whole lines.
select 9 1 12 1
key Ctrl+Alt+T
# Ctrl+Alt+T is ours; Ctrl+T is not bound.
key Ctrl+T
