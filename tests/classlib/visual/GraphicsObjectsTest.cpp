// Colours and their names, fonts (size and height, handles), pens and brushes, and their
// published properties through the component writer and reader.
#include "classlib/core/Filer.h"
#include "classlib/core/FormText.h"
#include "platform/gdi/Font.h"
#include "tests/classlib/visual/GraphicsFixture.h"
#include "tests/support/FormDescription.h"

#include <cstring>

namespace {

// A component with graphics sub-objects and the integer properties that have names.
class TGfxHolder : public TComponent {
  TL_CLASS(TGfxHolder, TComponent)
 public:
  explicit TGfxHolder(TComponent* AOwner) : TComponent(AOwner) {
    FFont = New<TFont>();
    FPen = New<TPen>();
    FBrush = New<TBrush>();
  }
  ~TGfxHolder() override {
    FFont->Free();
    FPen->Free();
    FBrush->Free();
  }
  TFont* GetFont() const { return FFont; }
  TPen* GetPen() const { return FPen; }
  TBrush* GetBrush() const { return FBrush; }
  TColor GetColor() const { return FColor; }
  void SetColor(TColor v) { FColor = v; }
  TCursor GetCursor() const { return FCursor; }
  void SetCursor(TCursor v) { FCursor = v; }

 private:
  TFont* FFont;
  TPen* FPen;
  TBrush* FBrush;
  TColor FColor = clWindow;
  TCursor FCursor = crDefault;
};

TL_DEFINE_CLASS(TGfxHolder, [](auto& c) {
  c.Property("Brush", &TGfxHolder::GetBrush);
  c.Property("Color", &TGfxHolder::GetColor, &TGfxHolder::SetColor).Idents("TColor").Default(clWindow);
  c.Property("Cursor", &TGfxHolder::GetCursor, &TGfxHolder::SetCursor).Idents("TCursor").Default(crDefault);
  c.Property("Font", &TGfxHolder::GetFont);
  c.Property("Pen", &TGfxHolder::GetPen);
})

class GraphicsObjectsTest : public GraphicsFixture {
 protected:
  void SetUp() override {
    GraphicsFixture::SetUp();
    RegisterClass(TGfxHolder::StaticClass());
  }
  void TearDown() override {
    UnRegisterClass(TGfxHolder::StaticClass());
    GraphicsFixture::TearDown();
  }

  static Owned<TGfxHolder> FromText(const String& text) {
    Owned<TGfxHolder> h(New<TGfxHolder>(nullptr));
    ReadDescription(text, h.get());
    return h;
  }
  static String Binary(TComponent* c) {
    Owned<TMemoryStream> bin(New<TMemoryStream>());
    bin->WriteComponent(c);
    return String(reinterpret_cast<const char*>(bin->Memory()), size_t(bin->GetSize()));
  }
};

TEST_F(GraphicsObjectsTest, ColoursConvertToRgbThroughTheSystemTable) {
  EXPECT_EQ(ColorToRGB(clBtnFace), GetSysColor(COLOR_BTNFACE));
  EXPECT_EQ(ColorToRGB(TColor(0x02123456)), COLORREF(0x123456));  // flags above the colour dropped
  INT idx = COLOR_BTNFACE;
  COLORREF custom = RGB(1, 2, 3);
  SetSysColors(1, &idx, &custom);
  EXPECT_EQ(ColorToRGB(clBtnFace), custom);
  SetSysColorPreset(SysColorPreset::Classic);
}

TEST_F(GraphicsObjectsTest, ColourNamesAndNumbersRoundTrip) {
  EXPECT_EQ(ColorToString(TColor(0x00FF00)), "clLime");
  EXPECT_EQ(ColorToString(TColor(0x123456)), "$00123456");
  EXPECT_EQ(StringToColor("CLBTNFACE"), clBtnFace);
  EXPECT_EQ(StringToColor("255"), clRed);
  EXPECT_THROW(StringToColor("clNoSuchColour"), EConvertError);
  for (TColor c : {clBlack, clWhite, clWindow, cl3DDkShadow, clDefault, TColor(0x00ABCDEF)})
    EXPECT_EQ(StringToColor(ColorToString(c)), c);

  Integer v = 0;
  String s;
  EXPECT_TRUE(IdentToCursor("crHandPoint", v));
  EXPECT_EQ(v, crHandPoint);
}

TEST_F(GraphicsObjectsTest, FontSizeAndHeightConvertAt96Dpi) {
  Owned<TFont> f(New<TFont>());
  f->SetSize(12);
  EXPECT_EQ(f->GetHeight(), -16);
  f->SetHeight(-13);
  EXPECT_EQ(f->GetSize(), 10);   // 9.75 rounds
  f->SetHeight(20);              // a cell height gives a negative size
  EXPECT_EQ(f->GetSize(), -15);
  f->SetName("");                // refused: a font always has a face
  EXPECT_EQ(f->GetName(), "MS Sans Serif");
}

TEST_F(GraphicsObjectsTest, FontHandleRoundTripsThroughLogfont) {
  Owned<TFont> f(New<TFont>());
  f->SetName("Arial");
  f->SetHeight(-14);
  f->SetStyle({TFontStyle::fsBold, TFontStyle::fsUnderline});
  LOGFONTA lf{};
  ASSERT_EQ(GetObjectA(f->GetHandle(), sizeof lf, &lf), int(sizeof lf));
  EXPECT_STREQ(lf.lfFaceName, "Arial");
  EXPECT_EQ(lf.lfHeight, -14);
  EXPECT_EQ(lf.lfWeight, FW_BOLD);

  LOGFONTA made{};
  made.lfHeight = -20;
  made.lfWeight = FW_BOLD;
  made.lfItalic = 1;
  std::strcpy(made.lfFaceName, "Courier New");
  HFONT h = CreateFontIndirectA(&made);
  GfxChangeCounter changes;
  f->OnChange = changes.Event();
  HFONT before = f->GetHandle();
  f->SetHandle(h);
  EXPECT_EQ(changes.Count, 1);
  EXPECT_EQ(GetObjectType(before), 0u);  // the old handle was deleted
  EXPECT_EQ(f->GetName(), "Courier New");
  EXPECT_EQ(f->GetSize(), 15);
  EXPECT_EQ(f->GetStyle(), (TFontStyles{TFontStyle::fsBold, TFontStyle::fsItalic}));
  // The font owns the handle now: a change replaces and deletes it.
  f->SetSize(20);
  EXPECT_EQ(GetObjectType(h), 0u);
  EXPECT_THROW(f->SetHandle(nullptr), EInvalidGraphicOperation);
}

TEST_F(GraphicsObjectsTest, AssignCopiesEveryPropertyAndNotifies) {
  Owned<TFont> a(New<TFont>()), b(New<TFont>());
  a->SetName("Tahoma");
  a->SetSize(11);
  a->SetColor(clRed);
  a->SetStyle({TFontStyle::fsItalic});
  a->SetPitch(TFontPitch::fpVariable);
  GfxChangeCounter changes;
  b->OnChange = changes.Event();
  b->Assign(a.get());
  EXPECT_EQ(changes.Count, 1);
  EXPECT_EQ(b->GetName(), "Tahoma");
  EXPECT_EQ(b->GetStyle(), TFontStyles{TFontStyle::fsItalic});

  Owned<TPen> p(New<TPen>()), q(New<TPen>());
  p->SetWidth(0);
  EXPECT_EQ(p->GetWidth(), 1);
  p->SetWidth(3);
  p->SetMode(TPenMode::pmXor);
  q->Assign(p.get());
  EXPECT_EQ(q->GetWidth(), 3);
  EXPECT_EQ(q->Rop2(), R2_XORPEN);
  EXPECT_THROW(q->Assign(a.get()), EConvertError);  // a pen is not a font

  Owned<TBrush> r(New<TBrush>()), s(New<TBrush>());
  r->SetStyle(TBrushStyle::bsDiagCross);
  r->SetColor(clGreen);  // a colour on a hatched brush keeps the hatch
  s->Assign(r.get());
  EXPECT_EQ(s->GetStyle(), TBrushStyle::bsDiagCross);
  LOGBRUSH lb{};
  ASSERT_EQ(GetObjectA(s->GetHandle(), sizeof lb, &lb), int(sizeof lb));
  EXPECT_EQ(lb.lbStyle, BS_HATCHED);
  EXPECT_EQ(lb.lbHatch, ULONG_PTR(HS_DIAGCROSS));
}

TEST_F(GraphicsObjectsTest, BrushBitmapPatternsTheFill) {
  auto pattern = FilledBitmap(8, 8, clWhite);
  pattern->Canvas()->Brush()->SetColor(clRed);
  pattern->Canvas()->FillRect(Rect(0, 0, 4, 8));
  auto b = FilledBitmap(16, 2, clBlack);
  b->Canvas()->Brush()->SetBitmap(pattern.get());
  b->Canvas()->FillRect(Rect(0, 0, 16, 2));
  ExpectPixels(b.get(), {{1, 0, clRed}, {5, 0, clWhite}, {9, 1, clRed}, {13, 1, clWhite}});
  b->Canvas()->Brush()->SetBitmap(nullptr);
}

TEST_F(GraphicsObjectsTest, NamedIntegersAreWrittenAsIdentsAndReadFromEitherForm) {
  auto h = FromText(
      "object H: TGfxHolder\n"
      "  Color = clBtnFace\n"
      "  Font.Color = $00FF00\n"
      "  Font.Height = -16\n"
      "  Font.Style = [fsBold, fsStrikeOut]\n"
      "  Brush.Style = bsClear\n"
      "end\n");
  EXPECT_EQ(h->GetColor(), clBtnFace);
  EXPECT_EQ(h->GetFont()->GetColor(), clLime);
  EXPECT_EQ(h->GetFont()->GetSize(), 12);
  EXPECT_EQ(h->GetFont()->GetStyle(), (TFontStyles{TFontStyle::fsBold, TFontStyle::fsStrikeOut}));
  EXPECT_EQ(h->GetBrush()->GetStyle(), TBrushStyle::bsClear);

  const String bin = Binary(h.get());
  EXPECT_NE(bin.find("clBtnFace"), String::npos);
  EXPECT_NE(bin.find("clLime"), String::npos);
  EXPECT_EQ(bin.find("Font.Size"), String::npos);  // Height carries the size

  Owned<TMemoryStream> s(New<TMemoryStream>());
  s->WriteBuffer(bin.data(), Integer(bin.size()));
  s->SetPosition(0);
  Owned<TGfxHolder> copy(New<TGfxHolder>(nullptr));
  s->ReadComponent(copy.get());
  EXPECT_EQ(copy->GetColor(), clBtnFace);
  EXPECT_EQ(copy->GetFont()->GetHeight(), -16);
  EXPECT_EQ(copy->GetBrush()->GetStyle(), TBrushStyle::bsClear);

  EXPECT_THROW(FromText("object H: TGfxHolder\n  Color = clNoSuchColour\nend\n"), EReadError);
}

}  // namespace
