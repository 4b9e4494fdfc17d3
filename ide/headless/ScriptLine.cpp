#include "ide/headless/ScriptLine.h"

namespace zeb {

namespace {
bool Blank(char c) {
  return c == ' ' || c == '\t' || c == '\r';
}
}  // namespace

bool IsSkipped(std::string_view line) {
  std::size_t first = 0;
  while (first < line.size() && Blank(line[first]))
    ++first;
  return first == line.size() || line[first] == '#';
}

ScriptArgs SplitLine(std::string_view text) {
  ScriptArgs args;
  std::size_t i = 0;
  while (true) {
    while (i < text.size() && Blank(text[i]))
      ++i;
    if (i == text.size()) break;
    std::string arg;
    if (text[i] == '"') {
      ++i;
      bool closed = false;
      while (i < text.size()) {
        const char c = text[i++];
        if (c == '"') {
          closed = true;
          break;
        }
        if (c != '\\') {
          arg += c;
          continue;
        }
        if (i == text.size()) break;
        const char e = text[i++];
        if (e == 'n')
          arg += '\n';
        else if (e == 't')
          arg += '\t';
        else if (e == '"' || e == '\\')
          arg += e;
        else
          throw EScriptError(std::string("unknown escape \\") + e + " in quotes");
      }
      if (!closed) throw EScriptError("a quote is not closed");
      if (i < text.size() && !Blank(text[i]))
        throw EScriptError("a closing quote must end its argument");
    } else {
      while (i < text.size() && !Blank(text[i]))
        arg += text[i++];
    }
    args.push_back(std::move(arg));
  }
  return args;
}

}  // namespace zeb
