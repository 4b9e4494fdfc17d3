// zeb-ide's FILE arguments: places after names, "+LINE" before them, and names that really hold
// a colon.
#include "ide/qt/FileArguments.h"

#include <gtest/gtest.h>

#include <ostream>
#include <set>

namespace zeb {
void PrintTo(const FileLocation& location, std::ostream* out) {
  *out << location.path << ":" << location.line << ":" << location.column;
}
}  // namespace zeb

namespace {

using zeb::FileLocation;

TEST(FileArguments, NamesPlacesAndLinesAsEditorsReadThem) {
  const std::set<std::string> files = {"a:1", "+x"};
  const auto exists = [&](const std::string& name) { return files.count(name) != 0; };
  const struct {
    std::vector<std::string> arguments;
    std::vector<FileLocation> expected;
  } cases[] = {
      {{"f.pas"}, {{"f.pas", 0, 0}}},
      {{"f.pas:12"}, {{"f.pas", 12, 0}}},
      {{"f.pas:12:5"}, {{"f.pas", 12, 5}}},
      {{"src/f.cpp:12:5:"}, {{"src/f.cpp", 12, 5}}},  // as a compiler prints it
      {{"a:1"}, {{"a:1", 0, 0}}},                     // a file of that name
      {{"b:1"}, {{"b", 1, 0}}},                       // no such file: a place
      {{"a:1:2"}, {{"a:1", 2, 0}}},                   // a place in the file "a:1"
      {{"b:1:2"}, {{"b", 1, 2}}},
      {{"b:x"}, {{"b:x", 0, 0}}},
      {{"b:0"}, {{"b:0", 0, 0}}},  // lines count from 1
      {{":5"}, {{":5", 0, 0}}},    // no name before the place
      {{"b:x:5"}, {{"b:x", 5, 0}}},
      {{"+3", "f.pas"}, {{"f.pas", 3, 0}}},
      {{"+3", "f.pas:7:2", "g.pas"}, {{"f.pas", 3, 0}, {"g.pas", 0, 0}}},
      {{"./+x"}, {{"./+x", 0, 0}}},
      {{}, {}},
  };
  for (const auto& c : cases) {
    const std::string label = c.arguments.empty() ? "(none)" : c.arguments.front();
    std::string error;
    const auto read = zeb::ReadFileArguments(c.arguments, exists, error);
    ASSERT_TRUE(read.has_value()) << label << ": " << error;
    EXPECT_EQ(*read, c.expected) << label;
  }
  // A "+" that is no line number, or names no file's line, is an error; "+x" stays one even when
  // a file has that name ("./+x" opens it).
  for (const std::vector<std::string>& bad : std::vector<std::vector<std::string>>{
           {"+3"}, {"f.pas", "+3"}, {"+x"}, {"+0", "f.pas"}, {"+-1", "f.pas"}}) {
    std::string error;
    EXPECT_FALSE(zeb::ReadFileArguments(bad, exists, error).has_value()) << bad.back();
    EXPECT_FALSE(error.empty());
  }
}

}  // namespace
