// A memory DC over a 32-bit bitmap for raster tests; dumps the bitmap as PNG when a test fails
// and checks that the test released every GDI object and DC it made.
#pragma once

#include "platform/gdi/DeviceContext.h"
#include "platform/gdi/Gdi.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

class GdiCanvasTest : public ::testing::Test {
 protected:
  static constexpr COLORREF kWhite = RGB(255, 255, 255);
  static constexpr COLORREF kBlack = RGB(0, 0, 0);

  void SetUp() override {
    SetSysColorPreset(SysColorPreset::Classic);   // whatever an earlier test chose
    objectsBefore_ = GdiLiveObjectCount();
    dcsBefore_ = LiveDCCount();
    Canvas(32, 32);
  }

  // (Re)creates the canvas: w x h, every pixel `fill`.
  void Canvas(int w, int h, COLORREF fill = kWhite) {
    Release();
    dc = CreateCompatibleDC(nullptr);
    bmp = CreateBitmap(w, h, 1, 32, nullptr);
    old = SelectObject(dc, bmp);
    Surf().Fill(PixelFromColor(fill));
  }

  Surface& Surf() { return *BitmapFromHandle(bmp)->Pixels; }
  COLORREF Px(int x, int y) { return ColorFromPixel(Surf().At(x, y)); }

  void TearDown() override {
    if (HasFailure() && dc) {
      const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
      std::filesystem::create_directories(std::string(TL_BINARY_DIR) + "/test-dumps");
      SaveSurfacePng(Surf(), std::string(TL_BINARY_DIR) + "/test-dumps/" + info->test_suite_name() + "." +
                                 info->name() + ".png");
    }
    Release();
    EXPECT_EQ(GdiLiveObjectCount(), objectsBefore_) << "GDI objects leaked";
    EXPECT_EQ(LiveDCCount(), dcsBefore_) << "DCs leaked";
  }

  HDC dc = nullptr;
  HBITMAP bmp = nullptr;

 private:
  void Release() {
    if (!dc) return;
    SelectObject(dc, old);
    DeleteDC(dc);
    DeleteObject(bmp);
    dc = nullptr;
    bmp = nullptr;
  }
  HGDIOBJ old = nullptr;
  size_t objectsBefore_ = 0, dcsBefore_ = 0;
};

// Deletes a GDI object at the end of a scope.
struct GdiHold {
  HGDIOBJ h;
  explicit GdiHold(HGDIOBJ o) : h(o) {}
  ~GdiHold() { DeleteObject(h); }
  GdiHold(const GdiHold&) = delete;
  GdiHold& operator=(const GdiHold&) = delete;
};
