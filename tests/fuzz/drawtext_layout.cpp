// fuzz-links: platform_gdi
// DrawText's layout over arbitrary text, flags, rectangle width and tab length, with the
// test face: it must end, keep every line inside the text, and never read out of bounds.
#include "platform/gdi/TextLayout.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 8) return 0;
  UINT format;
  std::memcpy(&format, data, 4);
  int16_t width, height;
  std::memcpy(&width, data + 4, 2);
  std::memcpy(&height, data + 6, 2);
  FontDesc desc;
  desc.FaceName = kTestFaceName;
  desc.Height = -(1 + (format >> 24) % 40);
  FontInstance& font = RealizeFont(desc);
  DrawTextMargins margins;
  margins.TabLength = int((format >> 16) & 0x0F);
  const Byte* text = data + 8;
  Integer count = Integer(size - 8);
  TRect rect{3, 5, 3 + width, 5 + height};
  DrawTextLayout layout = LayoutDrawText(font, text, count, rect, format & 0x3FFFFF, margins);
  size_t shown = 0;
  for (const TextLine& line : layout.Lines) {
    if (line.Chars.size() != line.Advances.size()) std::abort();
    shown += line.Chars.size();
  }
  // Ellipses add at most three characters per line; nothing else grows the text.
  if (shown > size_t(count) + 3 * layout.Lines.size()) std::abort();
  return 0;
}
