// BlockEditing: what the block commands do to one line, apart from any view or document.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace zeb {

// The widest indent or unindent a block command accepts, in columns.
inline constexpr std::int32_t kMaxIndentColumns = 4096;

class BlockEditing {
 public:
  // How a block command rewrites the start of a line: the first `kept` bytes stay, the bytes
  // from there up to `oldLead` go, and `pad` spaces come in their place.
  struct LeadEdit {
    std::size_t oldLead = 0;
    std::size_t kept = 0;
    std::size_t pad = 0;

    std::size_t NewLead() const noexcept { return kept + pad; }
    bool Changes() const noexcept { return kept != oldLead || pad != 0; }
  };

  struct IndentedLine {
    std::string text;
    std::size_t oldLead = 0;  // bytes of leading white space replaced
    std::size_t newLead = 0;  // bytes that replaced them
  };

  // A line indented by `columns`: a positive count puts that many spaces in front (an empty
  // line stays empty); a negative one takes away up to -columns columns of leading blanks and
  // tabs, a tab spanning to the next multiple of `tabWidth`. When taking a tab away would go too
  // far, the tab is replaced by the spaces that keep the text at the right column.
  static LeadEdit Lead(std::string_view line, std::int32_t columns, std::int32_t tabWidth) noexcept;
  // The line as Lead rewrites it.
  static IndentedLine Indent(std::string_view line, std::int32_t columns, std::int32_t tabWidth);

  // Where a byte offset in a line goes when its leading white space changes from oldLead to
  // newLead bytes: the start of the line stays, offsets in the text move with it, offsets inside
  // the white space keep their place as far as it remains.
  static std::size_t MoveOffset(std::size_t offset, std::size_t oldLead, std::size_t newLead);

  // Lower-cases the ASCII letters A to Z of `text` in [from, to); other bytes stay. True when
  // any byte changed.
  static bool LowerCaseAscii(std::string& text, std::size_t from, std::size_t to);
  static bool LowerCaseAscii(char* bytes, std::size_t size) noexcept;
};

}  // namespace zeb
