// fuzz-links: widgets_editcore
// The editors' text layout over arbitrary text, flags, rectangle, indents, line limit and
// selection, with the test face: it must end, give rows that lie inside the text in order,
// and leave the device context's clip, background mode and justification as they were.
#include "platform/gdi/Text.h"
#include "widgets/editcore/cxEditTextUtils.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>

namespace {

template <class T>
T Take(const uint8_t*& p) {
  T v;
  std::memcpy(&v, p, sizeof v);
  p += sizeof v;
  return v;
}

HDC CanvasDC() {
  static HDC dc = [] {
    HDC d = CreateCompatibleDC(nullptr);
    SelectObject(d, CreateBitmap(48, 48, 1, 32, nullptr));
    return d;
  }();
  return dc;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  constexpr size_t kHeader = 20;
  if (size < kHeader) return 0;
  const uint8_t* p = data;
  const Cardinal flags = Take<Cardinal>(p);
  const int16_t left = Take<int16_t>(p), top = Take<int16_t>(p);
  const int16_t width = Take<int16_t>(p), height = Take<int16_t>(p);
  const int8_t leftIndent = Take<int8_t>(p), rightIndent = Take<int8_t>(p);
  const int8_t maxLines = Take<int8_t>(p);
  const uint8_t fontHeight = Take<uint8_t>(p);
  const int16_t selStart = Take<int16_t>(p), selLength = Take<int16_t>(p);
  const String text(reinterpret_cast<const char*>(data + kHeader), size - kHeader);
  const Integer length = Integer(std::strlen(text.c_str()));

  HDC dc = CanvasDC();
  HFONT font = CreateFontA(-(fontHeight % 40), 0, 0, 0, FW_NORMAL, 0, 0, 0, ANSI_CHARSET, 0, 0, 0, 0,
                           kTestFaceName);
  HGDIOBJ oldFont = SelectObject(dc, font);
  SetBkMode(dc, OPAQUE);

  const TRect r{left, top, Integer(left) + width, Integer(top) + height};
  TcxTextParams params;
  cxCalcTextParams(dc, flags, params);
  TcxTextRows rows;
  Integer count = -1;
  cxMakeTextRows(dc, text.c_str(), r, maxLines, count, rows, params);
  if (count < 0 || size_t(count) != rows.size()) std::abort();
  Integer next = 0;
  for (const TcxTextRow& row : rows) {
    if (row.StartIndex < next || row.TextLength < 0 || row.Text != text.c_str() + row.StartIndex ||
        row.StartIndex + row.TextLength > length)
      std::abort();
    next = row.StartIndex + std::max(row.TextLength, 1);
  }
  cxPlaceTextRows(dc, r, params, count, rows);
  if (cxGetLongestTextRowWidth(rows, count + 5) < 0) std::abort();

  TRect out = r;
  cxTextOut(dc, text.c_str(), out, leftIndent, rightIndent, maxLines, TColor(0xFFFFFF), TColor(0xFF),
            selLength, selStart, flags);
  if (!(flags & cxtfCalcRect) && !(out == r)) std::abort();

  HRGN probe = CreateRectRgn(0, 0, 0, 0);
  if (GetClipRgn(dc, probe) != 0 || GetBkMode(dc) != OPAQUE) std::abort();
  DeleteObject(probe);
  SIZE s{};
  GetTextExtentPoint32A(dc, " ", 1, &s);
  SIZE plain{};
  SetTextJustification(dc, 0, 0);
  GetTextExtentPoint32A(dc, " ", 1, &plain);
  if (s.cx != plain.cx) std::abort();

  SelectObject(dc, oldFont);
  DeleteObject(font);
  return 0;
}
