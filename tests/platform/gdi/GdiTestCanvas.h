// A memory DC over a 32-bit bitmap for raster tests; dumps the bitmap as PNG when a test fails
// and checks that the test released every GDI object and DC it made.
#pragma once

#include "platform/gdi/DeviceContext.h"
#include "platform/gdi/Gdi.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <utility>
#include <vector>

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
  void Clear() { Surf().Fill(0xFFFFFF); }

  // Selects `obj` into the canvas until it is recreated or the test ends, then deletes it.
  template <class H>
  H Use(H obj) {
    held_.push_back({obj, SelectObject(dc, obj)});
    return obj;
  }
  // Expects each listed pixel to have its colour.
  struct PxAt {
    int x, y;
    COLORREF colour;
  };
  void ExpectPx(std::initializer_list<PxAt> points) {
    for (const PxAt& p : points) EXPECT_EQ(Px(p.x, p.y), p.colour) << "at " << p.x << "," << p.y;
  }
  // How many canvas pixels have colour `c`.
  int Count(COLORREF c) {
    int n = 0;
    for (int y = 0; y < Surf().Height(); ++y)
      for (int x = 0; x < Surf().Width(); ++x) n += Px(x, y) == c;
    return n;
  }
  // The canvas pixels that are not white.
  std::vector<POINT> Inked() {
    std::vector<POINT> out;
    for (int y = 0; y < Surf().Height(); ++y)
      for (int x = 0; x < Surf().Width(); ++x)
        if (Px(x, y) != kWhite) out.push_back({x, y});
    return out;
  }

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
    for (auto it = held_.rbegin(); it != held_.rend(); ++it) {
      SelectObject(dc, it->second);
      DeleteObject(it->first);
    }
    held_.clear();
    SelectObject(dc, old);
    DeleteDC(dc);
    DeleteObject(bmp);
    dc = nullptr;
    bmp = nullptr;
  }
  HGDIOBJ old = nullptr;
  std::vector<std::pair<HGDIOBJ, HGDIOBJ>> held_;   // object, what it replaced
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
