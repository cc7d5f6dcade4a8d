// Native painter tests: the theme units started by the test, and paper canvases the
// painters draw on through the library's canvas wrapper.
#pragma once

#include "classlib/visual/Graphics.h"
#include "platform/gdi/Surface.h"
#include "tests/foundation/ThemeUnitsFixture.h"
#include "widgets/foundation/cxLookAndFeelPaintersNative.h"

#include <memory>
#include <vector>

// One 32-bit bitmap selected into a memory DC, with a TcxCanvas over it.
class PaperCanvas {
 public:
  static constexpr COLORREF kPaper = RGB(1, 2, 3);
  PaperCanvas(int w, int h) {
    dc_ = CreateCompatibleDC(nullptr);
    bmp_ = CreateBitmap(w, h, 1, 32, nullptr);
    old_ = SelectObject(dc_, bmp_);
    Surf().Fill(PixelFromColor(kPaper));
    canvas_ = New<TCanvas>();
    canvas_->SetHandle(dc_);
    cx_ = New<TcxCanvas>(canvas_);
  }
  ~PaperCanvas() {
    cx_->Free();
    canvas_->Free();
    SelectObject(dc_, old_);
    DeleteDC(dc_);
    DeleteObject(bmp_);
  }
  PaperCanvas(const PaperCanvas&) = delete;
  PaperCanvas& operator=(const PaperCanvas&) = delete;

  TcxCanvas& Cx() { return *cx_; }
  HDC DC() const { return dc_; }
  Surface& Surf() { return *BitmapFromHandle(bmp_)->Pixels; }
  COLORREF Px(int x, int y) { return ColorFromPixel(Surf().At(x, y)); }
  bool Painted() {
    for (int y = 0; y < Surf().Height(); ++y)
      for (int x = 0; x < Surf().Width(); ++x)
        if (Px(x, y) != kPaper) return true;
    return false;
  }
  // The first differing pixel as "x,y", or empty when both surfaces match.
  String DiffersFrom(PaperCanvas& other) {
    for (int y = 0; y < Surf().Height(); ++y)
      for (int x = 0; x < Surf().Width(); ++x)
        if (Px(x, y) != other.Px(x, y)) return std::to_string(x) + "," + std::to_string(y);
    return {};
  }

 private:
  HDC dc_ = nullptr;
  HBITMAP bmp_ = nullptr;
  HGDIOBJ old_ = nullptr;
  TCanvas* canvas_ = nullptr;
  TcxCanvas* cx_ = nullptr;
};

class NativePainterTest : public ThemeUnitsTest {
 protected:
  const TcxCustomLookAndFeelPainter& Native() { return *cxNativePainter(); }
  const TcxCustomLookAndFeelPainter& Standard() { return *cxStandardPainter(); }

  // The theme calls one drawing makes.
  template <class F>
  std::vector<ThemeCall> Record(F draw) {
    ThemeStartRecording();
    draw();
    ThemeStopRecording();
    return ThemeRecordedCalls();
  }
};
