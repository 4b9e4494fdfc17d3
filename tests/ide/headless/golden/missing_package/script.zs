# The package is missing: the IDE goes on without it. Main.cpp was opened from the command line.
select 6 1 7 1
key Tab
print
