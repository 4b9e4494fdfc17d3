// ProcessIo: zeb-host's arguments, standard streams and script file as the system hands them
// over, the one place that differs between systems (ProcessIoPosix.cpp, ProcessIoWin32.cpp).
//
// Everything inside the program is UTF-8 and bytes: the arguments arrive as UTF-8 and standard
// output and error pass bytes through untranslated, so a script prints the same bytes everywhere.
#pragma once

#include <cstdio>
#include <string>
#include <vector>

namespace zeb {

// Puts the standard streams in byte mode. Called once, before anything is printed.
void UseBinaryStandardStreams();
// The program's arguments, argv[0] first, in UTF-8 (`argv` on Linux; on Windows the command line
// itself, since argv there holds them in a code page that cannot hold every name).
std::vector<std::string> Utf8Arguments(int argc, char** argv);
// Whether standard input is a terminal.
bool StandardInputIsTerminal();
// Opens the script at the UTF-8 `path` for reading bytes. Only a regular file is a script: a
// FIFO, a device or a folder is refused before anything is read (none has an end a script can
// count on). Raises EInOutError ("cannot read script PATH: REASON") when it cannot.
std::FILE* OpenScript(const std::string& path);

}  // namespace zeb
