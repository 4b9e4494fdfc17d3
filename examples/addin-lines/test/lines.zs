open Names.txt
# Sort three lines (the block ends at column 1 of line 4, which is left out), then undo it.
select 1 1 4 1
key Ctrl+Alt+S
print
undo
print
# Duplicate the cursor's line: one undo step.
cursor 2 2
key Ctrl+Alt+D
print
undo
print
# A CRLF file whose last line has no line end; multi-byte text sorts by its bytes.
open Crlf.txt
select 1 1 4 3
key Ctrl+Alt+S
print
echo
key Ctrl+Alt+D
print
echo
undo
undo
print
echo
