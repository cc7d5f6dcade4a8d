// Native painter tests: the theme units started by the test, and paper canvases the
// painters draw on through the library's canvas wrapper.
#pragma once

#include "classlib/visual/Graphics.h"
#include "platform/gdi/Surface.h"
#include "tests/foundation/ThemeUnitsFixture.h"
#include "tests/support/PaperDC.h"
#include "widgets/foundation/cxLookAndFeelPaintersNative.h"

#include <memory>
#include <vector>

// A sheet of paper with a TcxCanvas over it.
class PaperCanvas : public PaperDC {
 public:
  PaperCanvas(int w, int h) : PaperDC(w, h) {
    canvas_ = New<TCanvas>();
    canvas_->SetHandle(dc);
    cx_ = New<TcxCanvas>(canvas_);
  }
  ~PaperCanvas() {
    cx_->Free();
    canvas_->Free();
  }

  TcxCanvas& Cx() { return *cx_; }
  HDC DC() const { return dc; }
  using PaperDC::Painted;
  // The first differing pixel as "x,y", or empty when both surfaces match.
  String DiffersFrom(PaperCanvas& other) {
    for (int y = 0; y < Surf().Height(); ++y)
      for (int x = 0; x < Surf().Width(); ++x)
        if (Px(x, y) != other.Px(x, y)) return std::to_string(x) + "," + std::to_string(y);
    return {};
  }

 private:
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
