// Pens and brushes as the object queries describe them.
#include "GdiTestCanvas.h"

using PenBrushTest = GdiCanvasTest;

TEST_F(PenBrushTest, ASolidBrushIsItsOwnObjectWithItsColour) {
  HBRUSH b = CreateSolidBrush(RGB(192, 192, 192));
  EXPECT_NE(static_cast<HGDIOBJ>(b), GetStockObject(LTGRAY_BRUSH));
  LOGBRUSH lb{};
  ASSERT_EQ(GetObjectA(b, sizeof lb, &lb), int(sizeof lb));
  EXPECT_EQ(std::pair(lb.lbStyle, lb.lbColor), std::pair(UINT(BS_SOLID), RGB(192, 192, 192)));
  DeleteObject(b);
  EXPECT_EQ(GetObjectA(b, sizeof lb, &lb), 0);
}

TEST_F(PenBrushTest, HatchNumbersBeyondTheSixPatternsGivePlainBrushes) {
  for (int hatch = 0; hatch < 14; ++hatch) {
    HBRUSH b = CreateHatchBrush(hatch, RGB(12, 34, 56));
    if (hatch >= 12) {
      EXPECT_EQ(b, nullptr) << hatch;
      continue;
    }
    ASSERT_NE(b, nullptr) << hatch;
    LOGBRUSH lb{};
    GetObjectA(b, sizeof lb, &lb);
    EXPECT_EQ(lb.lbColor, RGB(12, 34, 56));
    if (hatch <= HS_DIAGCROSS)
      EXPECT_EQ(std::pair(lb.lbStyle, lb.lbHatch), std::pair(UINT(BS_HATCHED), ULONG_PTR(hatch)));
    else
      EXPECT_EQ(std::pair(lb.lbStyle, lb.lbHatch), std::pair(UINT(BS_SOLID), ULONG_PTR(0))) << hatch;
    DeleteObject(b);
  }
}

TEST_F(PenBrushTest, APatternBrushOutlivesItsBitmap) {
  HDC m = CreateCompatibleDC(nullptr);
  HBITMAP first = CreateBitmap(16, 16, 1, 32, nullptr), second = CreateBitmap(16, 16, 1, 32, nullptr);
  HGDIOBJ old = SelectObject(m, first);
  RECT all{0, 0, 16, 16};
  HBRUSH orange = CreateSolidBrush(0xFF5511);
  FillRect(m, &all, orange);
  DeleteObject(orange);
  HBRUSH pattern = CreatePatternBrush(first);
  LOGBRUSH lb{};
  GetObjectA(pattern, sizeof lb, &lb);
  EXPECT_EQ(lb.lbStyle, UINT(BS_PATTERN));
  EXPECT_EQ(lb.lbColor, COLORREF(0));
  EXPECT_EQ(lb.lbHatch, reinterpret_cast<ULONG_PTR>(first));
  SelectObject(m, second);
  DeleteObject(first);
  FillRect(m, &all, pattern);
  EXPECT_EQ(GetPixel(m, 10, 10), COLORREF(0xFF5511));
  DeleteObject(pattern);
  SelectObject(m, old);
  DeleteObject(second);
  DeleteDC(m);
}

TEST_F(PenBrushTest, PensAreDescribedAsThePlatformKeepsThem) {
  struct Case {
    int style, width;
    UINT gotStyle;
    LONG gotWidth;
    COLORREF gotColor;
  };
  const COLORREF c = RGB(0x12, 0x34, 0x56);
  for (auto k : {Case{int(PS_SOLID), -123, PS_SOLID, 123, c}, Case{int(PS_SOLID), 0, PS_SOLID, 0, c},
                 Case{int(PS_DASH), 123, PS_DASH, 123, c}, Case{int(PS_INSIDEFRAME), 123, PS_INSIDEFRAME, 123, c},
                 Case{7, 123, PS_SOLID, 123, c}, Case{15, 123, PS_SOLID, 123, c},
                 Case{int(PS_NULL), -123, PS_NULL, 1, 0}}) {
    HPEN p = CreatePen(k.style, k.width, c);
    ASSERT_NE(p, nullptr) << k.style;
    EXPECT_EQ(GetObjectA(p, 0, nullptr), int(sizeof(LOGPEN)));
    LOGPEN lp{};
    EXPECT_EQ(GetObjectA(p, int(sizeof lp.lopnStyle), &lp), 0);   // too small: nothing
    ASSERT_EQ(GetObjectA(p, int(sizeof lp) * 4, &lp), int(sizeof lp));
    EXPECT_EQ(std::tuple(lp.lopnStyle, lp.lopnWidth.X, lp.lopnWidth.Y, lp.lopnColor),
              std::tuple(k.gotStyle, k.gotWidth, LONG(0), k.gotColor)) << k.style;
    DeleteObject(p);
  }
  EXPECT_EQ(static_cast<HGDIOBJ>(CreatePen(PS_NULL, 1, 0)), GetStockObject(NULL_PEN));
}
