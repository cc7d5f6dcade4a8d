// A 32-bit bitmap selected into a memory DC and filled with a paper colour, so a test can
// tell painted pixels from untouched ones.
#pragma once

#include "platform/gdi/DeviceContext.h"
#include "platform/gdi/GdiObject.h"

class PaperDC {
 public:
  static constexpr COLORREF kPaper = RGB(1, 2, 3);

  PaperDC() = default;
  PaperDC(int w, int h) { Canvas(w, h); }
  ~PaperDC() { Release(); }
  PaperDC(const PaperDC&) = delete;
  PaperDC& operator=(const PaperDC&) = delete;

  // A fresh w × h sheet of paper; the previous one, if any, is released.
  void Canvas(int w, int h) {
    Release();
    dc = CreateCompatibleDC(nullptr);
    bmp = CreateBitmap(w, h, 1, 32, nullptr);
    old_ = SelectObject(dc, bmp);
    Surf().Fill(PixelFromColor(kPaper));
  }
  void Release() {
    if (!dc) return;
    SelectObject(dc, old_);
    DeleteDC(dc);
    DeleteObject(bmp);
    dc = nullptr;
    bmp = nullptr;
  }

  Surface& Surf() { return *BitmapFromHandle(bmp)->Pixels; }
  COLORREF Px(int x, int y) { return ColorFromPixel(Surf().At(x, y)); }
  // Whether any pixel of r (of the whole sheet) differs from the paper.
  bool Painted(const TRect& r) {
    for (int y = r.Top; y < r.Bottom; ++y)
      for (int x = r.Left; x < r.Right; ++x)
        if (Px(x, y) != kPaper) return true;
    return false;
  }
  bool Painted() { return Painted(Rect(0, 0, Surf().Width(), Surf().Height())); }

  HDC dc = nullptr;
  HBITMAP bmp = nullptr;

 private:
  HGDIOBJ old_ = nullptr;
};
