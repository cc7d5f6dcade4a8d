// The fixture of graphics and image-list tests: a fresh window layer (which counts GDI
// objects and device contexts left behind) with the graphics unit started, plus a check
// that no platform image list outlives the test.
#pragma once

#include "classlib/visual/Graphics.h"
#include "tests/support/UserTest.h"

#include <initializer_list>

class GraphicsFixture : public UserTest {
 protected:
  void SetUp() override;
  void TearDown() override;

  // A bitmap of W x H filled with Color (a plain RGB colour).
  static Owned<TBitmap> FilledBitmap(Integer W, Integer H, TColor Color);
  // The colour at (X, Y) of a bitmap, as a plain RGB colour.
  static TColor At(TBitmap* B, Integer X, Integer Y) { return B->Canvas()->GetPixel(X, Y); }
  struct PixelColor {
    Integer X, Y;
    TColor Color;
  };
  // Each listed pixel of B has its colour.
  static void ExpectPixels(TBitmap* B, std::initializer_list<PixelColor> Pixels);

 private:
  size_t imageListsAtStart_ = 0;
};

// Counts OnChange calls (events are bound to objects, not lambdas).
class GfxChangeCounter : public TObject {
 public:
  int Count = 0;
  TObject* LastSender = nullptr;
  void Changed(TObject* Sender) {
    ++Count;
    LastSender = Sender;
  }
  TNotifyEvent Event() { return TNotifyEvent(this, &GfxChangeCounter::Changed); }
};
