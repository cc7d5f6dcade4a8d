#include "GdiTestCanvas.h"

#include <vector>

namespace {

// A logical palette of the given colours.
HPALETTE MakePalette(std::initializer_list<COLORREF> colours) {
  std::vector<uint8_t> bytes(sizeof(LOGPALETTE) + colours.size() * sizeof(PALETTEENTRY));
  auto* lp = reinterpret_cast<LOGPALETTE*>(bytes.data());
  lp->palVersion = 0x300;
  lp->palNumEntries = WORD(colours.size());
  size_t i = 0;
  for (COLORREF c : colours) lp->palPalEntry[i++] = {GetRValue(c), GetGValue(c), GetBValue(c), 0};
  return CreatePalette(lp);
}

}  // namespace

using PaletteTest = GdiCanvasTest;

TEST_F(PaletteTest, PaletteIndexColoursTakeTheSelectedPalettesEntryAndTheFirstPastItsEnd) {
  const COLORREF teal = RGB(0, 128, 128), plum = RGB(142, 69, 133);
  HPALETTE pal = MakePalette({teal, plum});
  ASSERT_NE(pal, nullptr);
  EXPECT_EQ(SelectPalette(dc, pal, FALSE), GetStockObject(DEFAULT_PALETTE));
  EXPECT_EQ(GetCurrentObject(dc, OBJ_PAL), pal);
  HBRUSH entry1 = CreateSolidBrush(PALETTEINDEX(1)), past = CreateSolidBrush(PALETTEINDEX(7));
  RECT a{0, 0, 4, 4}, b{4, 0, 8, 4};
  FillRect(dc, &a, entry1);
  FillRect(dc, &b, past);
  ExpectPx({{0, 0, plum}, {3, 3, plum}, {4, 0, teal}, {7, 3, teal}});
  // The brush keeps the index: new entries show in what it paints next.
  const PALETTEENTRY gold{255, 215, 0, 0};
  EXPECT_EQ(SetPaletteEntries(pal, 1, 1, &gold), 1u);
  RECT c{0, 4, 4, 8};
  FillRect(dc, &c, entry1);
  ExpectPx({{0, 4, RGB(255, 215, 0)}, {0, 0, plum}});
  // A pen and a pixel resolve the same way.
  EXPECT_EQ(SetPixel(dc, 20, 20, PALETTEINDEX(0)), teal);
  Use(CreatePen(PS_SOLID, 1, PALETTEINDEX(1)));
  MoveToEx(dc, 10, 10, nullptr);
  LineTo(dc, 14, 10);
  ExpectPx({{10, 10, RGB(255, 215, 0)}, {13, 10, RGB(255, 215, 0)}, {14, 10, kWhite}});
  // A plain colour with the palette flag's neighbours set draws its RGB value.
  SetPixel(dc, 21, 20, PALETTERGB(1, 2, 3));
  EXPECT_EQ(Px(21, 20), RGB(1, 2, 3));
  SelectPalette(dc, static_cast<HPALETTE>(GetStockObject(DEFAULT_PALETTE)), FALSE);
  DeleteObject(entry1);
  DeleteObject(past);
  DeleteObject(pal);
}

TEST_F(PaletteTest, TheDefaultPaletteHoldsTheTwentyStaticColours) {
  HGDIOBJ def = GetStockObject(DEFAULT_PALETTE);
  ASSERT_NE(def, nullptr);
  EXPECT_EQ(GetObjectType(def), OBJ_PAL);
  EXPECT_EQ(GetCurrentObject(dc, OBJ_PAL), def);   // what a new DC has
  PALETTEENTRY e[20]{};
  ASSERT_EQ(GetPaletteEntries(static_cast<HPALETTE>(def), 0, 20, e), 20u);
  const auto rgb = [](const PALETTEENTRY& p) { return RGB(p.peRed, p.peGreen, p.peBlue); };
  EXPECT_EQ(rgb(e[0]), RGB(0, 0, 0));
  EXPECT_EQ(rgb(e[1]), RGB(128, 0, 0));
  EXPECT_EQ(rgb(e[7]), RGB(192, 192, 192));
  EXPECT_EQ(rgb(e[8]), RGB(192, 220, 192));
  EXPECT_EQ(rgb(e[9]), RGB(166, 202, 240));
  EXPECT_EQ(rgb(e[10]), RGB(255, 251, 240));
  EXPECT_EQ(rgb(e[11]), RGB(160, 160, 164));
  EXPECT_EQ(rgb(e[13]), RGB(255, 0, 0));
  EXPECT_EQ(rgb(e[19]), RGB(255, 255, 255));
  // With no palette selected the default one resolves indices.
  EXPECT_EQ(SetPixel(dc, 1, 1, PALETTEINDEX(13)), RGB(255, 0, 0));
  EXPECT_EQ(SetPixel(dc, 2, 1, PALETTEINDEX(9)), RGB(166, 202, 240));
  // The stock palette cannot be changed or resized; deleting it is harmless.
  EXPECT_EQ(SetPaletteEntries(static_cast<HPALETTE>(def), 0, 1, &e[19]), 0u);
  EXPECT_FALSE(ResizePalette(static_cast<HPALETTE>(def), 4));
  DeleteObject(def);
  EXPECT_EQ(GetPaletteEntries(static_cast<HPALETTE>(def), 0, 0, nullptr), 20u);
}

TEST_F(PaletteTest, ResizingSettingAndReadingKeepToThePalettesEntries) {
  HPALETTE pal = MakePalette({RGB(1, 1, 1), RGB(2, 2, 2)});
  EXPECT_EQ(GetPaletteEntries(pal, 0, 0, nullptr), 2u);
  ASSERT_TRUE(ResizePalette(pal, 3));
  PALETTEENTRY e[4]{};
  EXPECT_EQ(GetPaletteEntries(pal, 0, 4, e), 3u);   // no more than it holds
  EXPECT_EQ(e[1].peRed, 2);
  EXPECT_EQ(e[2].peRed, 0);   // a new entry is black
  // Entries set past the end are not set; a start past the end sets none.
  const PALETTEENTRY two[2] = {{9, 9, 9, 0}, {8, 8, 8, 0}};
  EXPECT_EQ(SetPaletteEntries(pal, 2, 2, two), 1u);
  EXPECT_EQ(SetPaletteEntries(pal, 3, 1, two), 0u);
  EXPECT_EQ(GetPaletteEntries(pal, 2, 1, e), 1u);
  EXPECT_EQ(e[0].peGreen, 9);
  ASSERT_TRUE(ResizePalette(pal, 1));
  EXPECT_EQ(GetPaletteEntries(pal, 0, 0, nullptr), 1u);
  EXPECT_FALSE(ResizePalette(pal, 0));
  // Bad input fails without a palette.
  LOGPALETTE empty{0x300, 0, {}};
  EXPECT_EQ(CreatePalette(&empty), nullptr);
  EXPECT_EQ(CreatePalette(nullptr), nullptr);
  EXPECT_EQ(SelectPalette(dc, reinterpret_cast<HPALETTE>(GetStockObject(WHITE_BRUSH)), FALSE), nullptr);
  EXPECT_EQ(RealizePalette(dc), 0u);   // no hardware palette to map into
  EXPECT_EQ(RealizePalette(nullptr), GDI_ERROR);
  DeleteObject(pal);
}

TEST_F(PaletteTest, TheSelectedPaletteIsSavedAndRestoredWithTheDcAndOutlivesItsDeletion) {
  HPALETTE pal = MakePalette({RGB(10, 20, 30)});
  const int level = SaveDC(dc);
  SelectPalette(dc, pal, FALSE);
  DeleteObject(pal);   // still selected: it lives on in the DC
  EXPECT_EQ(SetPixel(dc, 0, 0, PALETTEINDEX(0)), RGB(10, 20, 30));
  RestoreDC(dc, level);
  EXPECT_EQ(GetCurrentObject(dc, OBJ_PAL), GetStockObject(DEFAULT_PALETTE));
  EXPECT_EQ(SetPixel(dc, 1, 0, PALETTEINDEX(0)), RGB(0, 0, 0));
}
