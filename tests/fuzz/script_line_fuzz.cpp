// The script line parser on any bytes. Beyond not crashing, what it reads must be consistent:
// a line it splits, written back with every word quoted (or, where a word allows, bare), splits
// into the same words; a line it refuses holds a quote, the only thing that can be wrong.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

#include "ide/headless/ScriptLine.h"

namespace {

void Check(bool ok, const char* what, std::string_view line) {
  if (ok) return;
  std::fprintf(stderr, "inconsistent: %s\nline: ", what);
  std::fwrite(line.data(), 1, line.size(), stderr);
  std::fputc('\n', stderr);
  std::abort();
}

std::string Quoted(const std::string& word) {
  std::string text = "\"";
  for (const char c : word) {
    if (c == '"' || c == '\\')
      text += {'\\', c};
    else if (c == '\n')
      text += "\\n";
    else if (c == '\t')
      text += "\\t";
    else
      text += c;
  }
  return text + "\"";
}

// Whether the word reads back as itself without quotes.
bool Bare(const std::string& word, bool first) {
  if (word.empty() || word[0] == '"' || (first && word[0] == '#')) return false;
  return word.find_first_of(" \t\r") == std::string::npos;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view line(reinterpret_cast<const char*>(data), size);
  if (zeb::IsSkipped(line)) return 0;
  zeb::ScriptArgs words;
  try {
    words = zeb::SplitLine(line);
  } catch (const zeb::EScriptError& e) {
    Check(line.find('"') != std::string_view::npos, "refused a line without quotes", line);
    Check(e.Status() == 2 && !e.Message().empty(), "a refusal without its reason", line);
    return 0;
  }
  Check(!words.empty(), "no words in a line that is not skipped", line);

  std::string quoted;
  std::string bare;
  bool allBare = true;
  for (std::size_t i = 0; i < words.size(); ++i) {
    quoted += (i > 0 ? " " : "") + Quoted(words[i]);
    allBare = allBare && Bare(words[i], i == 0);
    bare += (i > 0 ? " " : "") + words[i];
  }
  Check(!zeb::IsSkipped(quoted), "its quoted form is skipped", line);
  Check(zeb::SplitLine(quoted) == words, "its quoted form reads differently", line);
  if (allBare) Check(zeb::SplitLine(bare) == words, "its bare form reads differently", line);
  return 0;
}
