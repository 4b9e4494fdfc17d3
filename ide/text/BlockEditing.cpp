#include "ide/text/BlockEditing.h"

#include <algorithm>

namespace zeb {

BlockEditing::LeadEdit BlockEditing::Lead(std::string_view line, std::int32_t columns,
                                          std::int32_t tabWidth) noexcept {
  LeadEdit edit;
  if (columns >= 0) {
    if (!line.empty()) edit.pad = static_cast<std::size_t>(columns);
    return edit;
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
  edit.oldLead = lead;
  edit.kept = kept;
  edit.pad = target - keptVisual;
  return edit;
}

BlockEditing::IndentedLine BlockEditing::Indent(std::string_view line, std::int32_t columns,
                                                std::int32_t tabWidth) {
  const LeadEdit edit = Lead(line, columns, tabWidth);
  IndentedLine result;
  result.text.reserve(line.size() + edit.pad);
  result.text.assign(line.substr(0, edit.kept));
  result.text.append(edit.pad, ' ');
  result.text += line.substr(edit.oldLead);
  result.oldLead = edit.oldLead;
  result.newLead = edit.NewLead();
  return result;
}

std::size_t BlockEditing::MoveOffset(std::size_t offset, std::size_t oldLead, std::size_t newLead) {
  if (offset == 0) return 0;
  if (offset >= oldLead) return offset - oldLead + newLead;
  return std::min(offset, newLead);
}

bool BlockEditing::LowerCaseAscii(std::string& text, std::size_t from, std::size_t to) {
  to = std::min(to, text.size());
  if (from >= to) return false;
  return LowerCaseAscii(text.data() + from, to - from);
}

bool BlockEditing::LowerCaseAscii(char* bytes, std::size_t size) noexcept {
  bool changed = false;
  for (std::size_t i = 0; i < size; ++i) {
    const char c = bytes[i];
    if (c >= 'A' && c <= 'Z') {
      bytes[i] = static_cast<char>(c - 'A' + 'a');
      changed = true;
    }
  }
  return changed;
}

}  // namespace zeb
