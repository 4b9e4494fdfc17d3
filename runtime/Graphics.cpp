#include "runtime/Graphics.h"

namespace zeb {

std::int32_t TFont::Size(std::int32_t pixelsPerInch) const {
  if (pixelsPerInch <= 0) return 0;
  const std::int32_t pixels = Height < 0 ? -Height : Height;
  return (pixels * 72 + pixelsPerInch / 2) / pixelsPerInch;
}

}  // namespace zeb
