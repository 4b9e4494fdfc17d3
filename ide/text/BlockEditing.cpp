#include "ide/text/BlockEditing.h"

#include <algorithm>

namespace zebide {

BlockEditing::IndentedLine BlockEditing::Indent(std::string_view line, std::int32_t columns,
                                                std::int32_t tabWidth) {
  IndentedLine result;
  if (columns >= 0) {
    result.text.reserve(line.size() + static_cast<std::size_t>(columns));
    if (!line.empty()) result.text.assign(static_cast<std::size_t>(columns), ' ');
    result.newLead = result.text.size();
    result.text += line;
    return result;
  }

  const std::size_t width = static_cast<std::size_t>(std::max(tabWidth, 1));
  // The visual width of the leading white space, and its length in bytes.
  std::size_t lead = 0;
  std::size_t visual = 0;
  while (lead < line.size() && (line[lead] == ' ' || line[lead] == '\t')) {
    visual = line[lead] == '\t' ? (visual / width + 1) * width : visual + 1;
    ++lead;
  }
  const auto remove = static_cast<std::size_t>(-static_cast<std::int64_t>(columns));
  const std::size_t target = visual > remove ? visual - remove : 0;

  // Keep the white space that fits within the target width, then pad with spaces up to it.
  std::size_t kept = 0;
  std::size_t keptVisual = 0;
  while (kept < lead) {
    const std::size_t next = line[kept] == '\t' ? (keptVisual / width + 1) * width : keptVisual + 1;
    if (next > target) break;
    keptVisual = next;
    ++kept;
  }
  result.text.reserve(line.size());
  result.text.assign(line.substr(0, kept));
  result.text.append(target - keptVisual, ' ');
  result.oldLead = lead;
  result.newLead = result.text.size();
  result.text += line.substr(lead);
  return result;
}

std::size_t BlockEditing::MoveOffset(std::size_t offset, std::size_t oldLead, std::size_t newLead) {
  if (offset == 0) return 0;
  if (offset >= oldLead) return offset - oldLead + newLead;
  return std::min(offset, newLead);
}

bool BlockEditing::LowerCaseAscii(std::string& text, std::size_t from, std::size_t to) {
  bool changed = false;
  to = std::min(to, text.size());
  for (std::size_t i = from; i < to; ++i) {
    const char c = text[i];
    if (c >= 'A' && c <= 'Z') {
      text[i] = static_cast<char>(c - 'A' + 'a');
      changed = true;
    }
  }
  return changed;
}

}  // namespace zebide
