// Colours and fonts of the form library.
#pragma once

#include <cstdint>
#include <string>

#include "api/Export.h"

namespace zeb {

using TColor = std::int32_t;

// System colours are the system colour index with the top bit set.
inline constexpr TColor clBtnFace = static_cast<TColor>(0x8000000Fu);
inline constexpr TColor clWindowText = static_cast<TColor>(0x80000008u);
inline constexpr TColor clWindow = static_cast<TColor>(0x80000005u);

using TFontCharset = std::uint8_t;
inline constexpr TFontCharset DEFAULT_CHARSET = 1;
inline constexpr TFontCharset HANGEUL_CHARSET = 129;

enum class TFontStyle : std::uint8_t {
  None = 0,
  Bold = 1,
  Italic = 2,
  Underline = 4,
  StrikeOut = 8
};

struct ZEB_RTL_API TFont {
  std::string Name = "Tahoma";
  // Negative: the character height in pixels; positive: the cell height.
  std::int32_t Height = -11;
  TFontCharset Charset = DEFAULT_CHARSET;
  TColor Color = clWindowText;
  TFontStyle Style = TFontStyle::None;

  // Point size at the given pixels per inch, as the form library derives it from Height.
  std::int32_t Size(std::int32_t pixelsPerInch) const;
};

}  // namespace zeb
