# Two packages that bind Tab, one whose Tab raises and one that keeps the IDE's objects: with
# --strict each is an error, and zeb-host ends with status 3 after the script.
open Unit1.pas
key Ctrl+Alt+K
key Tab
