# Main.h is read with its module; a copy of Main.cpp then takes its place on disk, as another
# program's save would. Saving Main.h now would lose that: it is refused, and nothing is written.
open Main.cpp
save Main.h
view Main.h
type "// mine\n"
save
