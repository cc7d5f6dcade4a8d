// Every drawing operation of each family in every button state, one PNG per family under
// the build folder's gallery/ for a person to look at. The test checks that each operation
// painted in each state and that the families differ.
#include "platform/gdi/Codecs.h"
#include "tests/foundation/PainterTestFixture.h"

#include <filesystem>
#include <fstream>
#include <functional>

namespace {

using BS = TcxButtonState;
using P = const TcxCustomLookAndFeelPainter*;
using Op = std::function<void(P, TcxCanvas&, const TRect&, BS)>;

constexpr int kCellW = 44, kCellH = 30, kStates = 5;
// A paper no family paints with, light enough to see dark glyphs on.
constexpr TColor kGalleryPaper = 0x70B070;

std::vector<std::pair<const char*, Op>> Operations(TFont* font) {
  const TcxNeighbors none{};
  return {
      {"DropDownGlyph", [](P p, TcxCanvas& c, const TRect& r, BS) { p->DrawDropDownGlyph(c, r, clBtnText); }},
      {"Arrow", [](P p, TcxCanvas& c, const TRect& r, BS) { p->DrawArrow(c, r, TcxArrowDirection::adRight, clBtnText); }},
      {"ScrollBarArrow", [](P p, TcxCanvas& c, const TRect& r, BS s) {
         p->DrawScrollBarArrow(c, r, s, TcxArrowDirection::adUp, true); }},
      {"PlainButton", [](P p, TcxCanvas& c, const TRect& r, BS s) { p->DrawPlainButton(c, r, s); }},
      {"ButtonArrow", [](P p, TcxCanvas& c, const TRect& r, BS s) {
         p->DrawButton(c, r, "", s); p->DrawButtonArrow(c, r, s, TcxArrowDirection::adDown); }},
      {"Border", [](P p, TcxCanvas& c, const TRect& r, BS) { p->DrawBorder(c, r); }},
      {"Button", [](P p, TcxCanvas& c, const TRect& r, BS s) { p->DrawButton(c, r, "Ok", s); }},
      {"ExpandButton", [](P p, TcxCanvas& c, const TRect& r, BS s) {
         const Integer n = std::max<Integer>(p->ExpandButtonSize(), 11);
         p->DrawExpandButton(c, Bounds(r.Left + 4, r.Top + 4, n, n), s == BS::cxbsPressed); }},
      {"CheckButton", [](P p, TcxCanvas& c, const TRect& r, BS s) {
         p->DrawCheckButton(c, Bounds(r.Left + 4, r.Top + 4, 13, 13), s, true);
         p->DrawCheckButton(c, Bounds(r.Left + 22, r.Top + 4, 13, 13), s, false); }},
      {"RadioButton", [](P p, TcxCanvas& c, const TRect& r, BS s) {
         p->DrawRadioButton(c, r.Left + 4, r.Top + 4, s, true, false, clDefault);
         p->DrawRadioButton(c, r.Left + 22, r.Top + 4, s, false, true, clBtnFace); }},
      {"Header", [font, none](P p, TcxCanvas& c, const TRect& r, BS s) {
         p->DrawHeader(c, r, r, none, cxBordersAll, s, TAlignment::taCenter, TcxAlignmentVert::vaCenter, false, false,
                       "Hd", font, clBtnText, clBtnFace); }},
      {"ButtonCell", [font](P p, TcxCanvas& c, const TRect& r, BS s) {
         p->DrawButtonCell(c, r, s, cxBordersAll, "Cell", font, TAlignment::taCenter, TcxAlignmentVert::vaCenter,
                           clBtnText, clWindow); }},
      {"CloseButton", [](P p, TcxCanvas& c, const TRect& r, BS s) {
         const TPoint z = p->CloseButtonSize(); p->DrawCloseButton(c, Bounds(r.Left + 4, r.Top + 4, z.X, z.Y), s); }},
      {"ToolButton", [](P p, TcxCanvas& c, const TRect& r, BS s) { p->DrawToolButton(c, r, s); }},
      {"Bar", [](P p, TcxCanvas& c, const TRect& r, BS) {
         TcxPaintParams b; b.Color = clWindow; p->DrawBar(c, Bounds(r.Left + 2, r.Top + 6, r.Width() - 4, 14), true, b); }},
  };
}

// Operations that leave the cell alone in some families by design.
bool MayDrawNothing(const char* name) {
  const std::string n = name;
  return n == "Border";
}

class PainterGallery : public PainterTest {};

TEST_F(PainterGallery, EveryOperationInEveryStatePerFamily) {
  const std::pair<const char*, P> families[] = {{"standard", cxStandardPainter()},
                                                {"flat", cxFlatPainter()},
                                                {"ultraflat", cxUltraFlatPainter()},
                                                {"office11", cxOffice11Painter()}};
  const std::filesystem::path dir = std::filesystem::path(TL_BINARY_DIR) / "gallery";
  std::filesystem::create_directories(dir);
  std::vector<std::vector<Pixel>> images;
  for (const auto& [name, painter] : families) {
    const int w = kStates * kCellW, h = static_cast<int>(Operations(nullptr).size()) * kCellH;
    Make(w, h, kGalleryPaper);
    Owned<TFont> font(New<TFont>());
    font->Assign(canvas->GetFont());
    const auto ops = Operations(font.get());
    for (size_t row = 0; row < ops.size(); ++row)
      for (int s = 0; s < kStates; ++s) {
        const TRect cell = Bounds(s * kCellW + 2, static_cast<int>(row) * kCellH + 2, kCellW - 4, kCellH - 4);
        TcxRegion* saved = canvas->GetClipRegion();
        canvas->IntersectClipRect(cell);
        ops[row].second(painter, *canvas, cell, static_cast<BS>(s));
        canvas->SetClipRegion(saved, TcxRegionOperation::roSet);
        bool painted = false;
        for (int y = cell.Top; y < cell.Bottom && !painted; ++y)
          for (int x = cell.Left; x < cell.Right && !painted; ++x) painted = Px(x, y) != kGalleryPaper;
        if (!MayDrawNothing(ops[row].first)) {
          EXPECT_TRUE(painted) << name << " " << ops[row].first << " state " << s;
        }
        // Nothing spills out of its cell.
        EXPECT_EQ(Px(cell.Left - 1, cell.Top - 1), kGalleryPaper) << name << " " << ops[row].first;
      }
    DecodedImage image;
    image.Width = w;
    image.Height = h;
    for (int y = 0; y < h; ++y) {
      const Pixel* line = reinterpret_cast<const Pixel*>(bitmap->ScanLine(y));
      image.Pixels.insert(image.Pixels.end(), line, line + w);
    }
    images.push_back(image.Pixels);
    const EncodeResult png = EncodePng(image);
    ASSERT_TRUE(png.Ok) << png.Error;
    std::ofstream out(dir / (std::string(name) + ".png"), std::ios::binary);
    out.write(reinterpret_cast<const char*>(png.Bytes.data()), static_cast<std::streamsize>(png.Bytes.size()));
    ASSERT_TRUE(out.good());
  }
  for (size_t i = 0; i < images.size(); ++i)
    for (size_t j = i + 1; j < images.size(); ++j) EXPECT_NE(images[i], images[j]) << i << " vs " << j;
}

}  // namespace
