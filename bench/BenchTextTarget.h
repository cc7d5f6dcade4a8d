// A memory device context of 640 × 480 with a font selected, for the text benchmarks; the
// objects are put back and deleted when it goes.
#pragma once

#include "platform/gdi/Text.h"

struct BenchTextTarget {
  explicit BenchTextTarget(const char* AFace, int AHeight = -13) {
    dc = CreateCompatibleDC(nullptr);
    bitmap = CreateBitmap(640, 480, 1, 32, nullptr);
    oldBitmap = SelectObject(dc, bitmap);
    font = CreateFontA(AHeight, 0, 0, 0, FW_NORMAL, 0, 0, 0, ANSI_CHARSET, 0, 0, 0, 0, AFace);
    oldFont = SelectObject(dc, font);
  }
  ~BenchTextTarget() {
    SelectObject(dc, oldFont);
    SelectObject(dc, oldBitmap);
    DeleteObject(font);
    DeleteObject(bitmap);
    DeleteDC(dc);
  }
  BenchTextTarget(const BenchTextTarget&) = delete;
  BenchTextTarget& operator=(const BenchTextTarget&) = delete;

  HDC dc;
  HBITMAP bitmap;
  HFONT font;
  HGDIOBJ oldBitmap, oldFont;
};
