// FileArguments: the FILEs of zeb-ide's command line, with the places to open them at.
//
//   FILE                  the file (one that does not exist opens empty, made at the first save)
//   FILE:LINE[:COLUMN]    at that line and column, as compilers and grep name places
//   +LINE FILE            at that line (a "+LINE" names the line of the FILE after it)
//
// A name that is an existing file is that file, colons and all: "a:1" is the file "a:1" when
// there is one, else line 1 of "a"; "a:1:2" is line 2 of the file "a:1" when there is one, else
// line 1, column 2 of "a". A trailing colon ("main.cpp:12:") is what compilers print
// after a place and is taken with it. To open a file whose name starts with "+", write "./+x".
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace zeb {

struct FileLocation {
  std::string path;
  int line = 0;    // from 1; 0 for none
  int column = 0;  // from 1, in characters as the status bar counts them; 0 for none

  friend bool operator==(const FileLocation&, const FileLocation&) = default;
};

// The files' locations, in their order; a "+LINE" with no FILE after it is an error, said in
// `error`, and nothing is returned. `exists` tells whether a name is a file on disk.
std::optional<std::vector<FileLocation>> ReadFileArguments(
    const std::vector<std::string>& arguments,
    const std::function<bool(const std::string&)>& exists, std::string& error);

}  // namespace zeb
