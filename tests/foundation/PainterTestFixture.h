// A 32-bit bitmap canvas on a marked paper colour, with the painter units started.
#pragma once

#include "platform/gdi/FontEngine.h"
#include "platform/gdi/Gdi.h"
#include "tests/support/AppTest.h"
#include "widgets/foundation/cxGraphics.h"
#include "widgets/foundation/cxLookAndFeelPainterImages.h"
#include "widgets/foundation/cxLookAndFeelPainters.h"
#include "widgets/foundation/cxLookAndFeels.h"

class PainterTest : public AppTest {
 protected:
  static constexpr TColor kPaper = 0x030201;

  void SetUp() override {
    AppTest::SetUp();
    cxLookAndFeelPainterImages::Initialize();
    Make(40, 40);
  }
  void TearDown() override {
    canvas.reset();
    bitmap.reset();
    cxLookAndFeelPainterImages::Finalize();
    AppTest::TearDown();
  }
  void Make(int w, int h, TColor fill = kPaper) {
    canvas.reset();
    bitmap.reset(New<TBitmap>());
    bitmap->SetPixelFormat(TPixelFormat::pf32bit);
    bitmap->SetSize(w, h);
    bitmap->Canvas()->Brush()->SetColor(fill);
    bitmap->Canvas()->FillRect({0, 0, w, h});
    canvas.reset(New<TcxCanvas>(bitmap->Canvas()));
    canvas->GetFont()->SetName(kTestFaceName);
    canvas->GetFont()->SetHeight(-10);
  }
  // Read from the surface itself: clip exclusions left by a painter must not hide pixels.
  TColor Px(int x, int y) {
    const Pixel p = reinterpret_cast<const Pixel*>(bitmap->ScanLine(y))[x];
    return TColor(((p & 0xFF) << 16) | (p & 0xFF00) | ((p >> 16) & 0xFF));
  }
  static TColor Rgb(TColor c) { return TColor(ColorToRGB(c)); }
  bool Is(int x, int y, TColor c) { return Px(x, y) == Rgb(c); }
  Owned<TBitmap> bitmap;
  Owned<TcxCanvas> canvas;
};
