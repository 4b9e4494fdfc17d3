# A package whose key procedure raises: the IDE reports it and the key counts as consumed.
open Unit1.pas
cursor 1 1
key Tab
key Ctrl+Alt+U
key a
print
