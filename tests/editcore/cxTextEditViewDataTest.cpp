// The text editor's view: text rectangle insets, draw flags, selection colours, content
// size, hints, painted selection and focus; and the text routines (char case, the inner
// edit's state, thousand separators).
#include "widgets/editcore/cxTextEditViewData.h"

#include "classlib/core/SysUtils.h"
#include "classlib/visual/Forms.h"
#include "tests/editcore/EditSettingsTestSupport.h"
#include "widgets/editcore/cxTextEdit.h"

namespace {

using ES = TcxEditEditingStyle;

class TextViewTest : public EditSettingsTest {
 protected:
  void SetUp() override {
    EditSettingsTest::SetUp();
    edit.reset(New<TTestEdit>(nullptr));
    style = edit->EditStyle();
    style->SetTransparentBorder(false);
    style->SetEditBorderStyle(TcxEditBorderStyle::ebsSingle);
    style->SetColor(clWhite);
    style->GetFont()->SetName(kTestFaceName);
    style->GetFont()->SetHeight(-10);
    info.reset(New<TcxCustomTextEditViewInfo>());
  }
  void TearDown() override {
    data.reset();
    info.reset();
    edit.reset();
    EditSettingsTest::TearDown();
  }
  TcxCustomTextEditViewData& Data(bool inplace = false) {
    data.reset(New<TcxCustomTextEditViewData>(edit->GetOwnProperties(), style, inplace));
    return *data;
  }
  void Calc(const TRect& bounds, const String& text) {
    data->Calculate(*canvas, bounds, {-1, -1}, TcxMouseButton::cxmbNone, {}, info.get(), false);
    data->EditValueToDrawValue(*canvas, Variant(text), info.get());
  }
  Owned<TTestEdit> edit;
  TcxEditStyle* style = nullptr;
  Owned<TcxCustomTextEditViewData> data;
  Owned<TcxCustomTextEditViewInfo> info;
};

TEST_F(TextViewTest, FixedListAndNoEditTextsAreInsetOutsideGrids) {
  Data();
  Calc({0, 0, 100, 20}, "x");
  EXPECT_EQ(info->TextRect, info->ClientRect);
  data->EditingStyle = ES::esFixedList;
  Calc({0, 0, 100, 20}, "x");
  EXPECT_EQ(info->TextRect, (TRect{2, 2, 99, 18}));
  data->NoInset = true;
  Calc({0, 0, 100, 20}, "x");
  EXPECT_EQ(info->TextRect, (TRect{2, 1, 99, 19}));
  Data(true).EditingStyle = ES::esNoEdit;
  Calc({0, 0, 100, 20}, "x");
  EXPECT_EQ(info->TextRect, info->ClientRect);
  EXPECT_EQ(info->EditingStyle, ES::esNoEdit);
}

TEST_F(TextViewTest, DrawFlagsFollowTheAlignment) {
  TcxEditAlignment* a = edit->GetOwnProperties()->GetAlignment();
  EXPECT_EQ(Data().GetDrawTextFlags(), 0x2C0u);
  a->SetHorz(TAlignment::taRightJustify);
  a->SetVert(TcxEditVertAlignment::taVCenter);
  EXPECT_EQ(Data().GetDrawTextFlags(), 0x2D2u);
  a->SetHorz(TAlignment::taCenter);
  a->SetVert(TcxEditVertAlignment::taBottomJustify);
  EXPECT_EQ(Data().GetDrawTextFlags(), 0x2E1u);
  Data().PaintOptions = {TcxEditPaintOption::epoShowEndEllipsis};
  Calc({0, 0, 100, 20}, "x");
  EXPECT_EQ(info->DrawTextFlags, 0x2E1u | cxtfEndEllipsis);
}

TEST_F(TextViewTest, SelectionColoursFromWhatIsSet) {
  Data();
  data->SelLength = 2;
  data->SelTextColor = clWhite;
  Calc({0, 0, 100, 20}, "text");
  EXPECT_EQ(info->SelTextColor, clWhite);
  EXPECT_EQ(info->SelBackgroundColor, TColor(0x000000)) << "the inverse of white";
  data->SelTextColor = clDefault;
  data->SelBackgroundColor = clHighlight;  // a system colour: inverted through its RGB value
  Calc({0, 0, 100, 20}, "text");
  EXPECT_EQ(info->SelBackgroundColor, clHighlight);
  EXPECT_EQ(info->SelTextColor, TColor(ColorToRGB(clHighlight) ^ 0xFFFFFF));
  data->SelBackgroundColor = clDefault;
  Calc({0, 0, 100, 20}, "text");
  EXPECT_EQ(info->SelBackgroundColor, clHighlight);
  EXPECT_EQ(info->SelTextColor, clHighlightText);
  style->SetColor(clHighlight);
  Calc({0, 0, 100, 20}, "text");
  EXPECT_EQ(info->SelBackgroundColor, TColor(0x000000));
  EXPECT_EQ(info->SelTextColor, TColor(0xFFFFFF));
  data->HideValue = true;
  Calc({0, 0, 100, 20}, "text");
  EXPECT_EQ(info->Text, "");
}

TEST_F(TextViewTest, DisplayValuesPassThroughTheTextProperties) {
  Owned<TcxTextEditProperties> text(New<TcxTextEditProperties>(nullptr));
  text->SetCharCase(TEditCharCase::ecUpperCase);
  data.reset(New<TcxCustomTextEditViewData>(text.get(), style, false));
  data->DisplayValueToDrawValue(Variant(String("abc")), info.get());
  EXPECT_EQ(info->Text, "ABC");
  text->SetEchoMode(TcxEditEchoMode::eemPassword);
  data->DisplayValueToDrawValue(Variant(String("abc")), info.get());
  EXPECT_EQ(info->Text, "***");
  data->HideValue = true;
  data->DisplayValueToDrawValue(Variant(String("abc")), info.get());
  EXPECT_EQ(info->Text, "");
}

TEST_F(TextViewTest, MultiLineLayoutRowsPaintAndMove) {
  Data();
  Make(100, 60, clBlack);
  Calc({0, 0, 100, 60}, "aaa bbb ccc ddd");
  canvas->GetFont()->Assign(style->GetFont());
  const Integer row = canvas->TextHeight("Zg");
  info->TextRect = {10, 5, 10 + canvas->TextWidth("aaa bbb") + 1, 55};
  info->IsMultiLine = true;
  data->CalculateTextLayout(*canvas, info.get());
  ASSERT_EQ(info->Lines.size(), 2u);
  EXPECT_EQ(info->Lines[0].Start, 0);
  EXPECT_EQ(info->Lines[1].Start, 8);
  EXPECT_EQ(info->Lines[1].Length, 7);
  EXPECT_EQ(info->Lines[0].Position, (TPoint{10, 5}));
  EXPECT_EQ(info->Lines[1].Position, (TPoint{10, 5 + row}));
  EXPECT_EQ(info->LineRect, info->TextRect);
  info->Paint(*canvas);
  int ink = 0;
  for (int y = 5 + row; y < 5 + 2 * row; ++y)
    for (int x = 10; x < info->TextRect.Right; ++x) ink += !Is(x, y, clWhite);
  EXPECT_GT(ink, 0) << "the second row is drawn";
  info->Offset(3, 4);
  EXPECT_EQ(info->Lines[1].Position, (TPoint{13, 9 + row}));
  EXPECT_EQ(info->LineRect.TopLeft(), (TPoint{13, 9}));
  data->MaxLineCount = 1;
  info->Lines.clear();
  data->CalculateTextLayout(*canvas, info.get());
  EXPECT_EQ(info->Lines.size(), 1u);
}

TEST_F(TextViewTest, ContentSizeByLinesAndLimits) {
  Data();
  canvas->GetFont()->Assign(style->GetFont());
  const Integer row = canvas->TextHeight("Zg"), margins = data->GetVerticalTextMargins();
  TcxEditSizeProperties free;
  EXPECT_EQ(cxCalcTextEditContentSize(*canvas, data.get(), "abc", free),
            (TSize{canvas->TextWidth("abc"), row + margins}));
  TcxEditSizeProperties limited;
  limited.Width = canvas->TextWidth("aaa bbb") + 1;
  EXPECT_EQ(cxCalcTextEditContentSize(*canvas, data.get(), "aaa bbb ccc ddd", limited).cy, 2 * row + margins);
  data->MaxLineCount = 1;
  EXPECT_EQ(cxCalcTextEditContentSize(*canvas, data.get(), "aaa bbb ccc ddd", limited).cy, row + margins);
  EXPECT_EQ(cxCalcTextEditContentSize(*canvas, data.get(), "", limited).cy, row + margins);
  data->PaintOptions = {TcxEditPaintOption::epoAllowZeroHeight};
  EXPECT_EQ(cxCalcTextEditContentSize(*canvas, data.get(), "", limited).cy, 0);
  data->EditingStyle = ES::esFixedList;
  EXPECT_EQ(cxCalcTextEditContentSize(*canvas, data.get(), "abc", free).cx, canvas->TextWidth("abc") + 1);
}

TEST_F(TextViewTest, HintsOnlyForTextThatDoesNotFit) {
  Data();
  Calc({0, 0, 60, 20}, "ab");
  TRect r{};
  bool multi = true;
  String text;
  EXPECT_FALSE(info->GetHintTextInRect({10, 10}, r, multi, text));
  Calc({0, 0, 60, 20}, "a text far too long for this editor");
  EXPECT_FALSE(info->GetHintTextInRect({100, 10}, r, multi, text)) << "outside the text";
  ASSERT_TRUE(info->GetHintTextInRect({10, 10}, r, multi, text));
  EXPECT_EQ(text, "a text far too long for this editor");
  EXPECT_EQ(r, info->TextRect);
  EXPECT_FALSE(multi);
}

TEST_F(TextViewTest, PaintedSelectionWholeSelectionAndFocus) {
  Data();
  data->SelStart = 1;
  data->SelLength = 2;
  data->SelBackgroundColor = clRed;
  data->SelTextColor = clYellow;
  Make(100, 24, clBlack);
  Calc({0, 0, 100, 20}, "WWWW");
  info->Paint(*canvas);
  EXPECT_TRUE(Is(0, 0, clWindowFrame));
  EXPECT_TRUE(Is(90, 10, clWhite));
  const Integer w = canvas->TextWidth("W");
  const TRect sel{info->TextRect.Left + w, info->TextRect.Top, info->TextRect.Left + 3 * w, info->TextRect.Bottom};
  int red = 0, yellow = 0;
  for (int y = sel.Top; y < sel.Bottom; ++y)
    for (int x = sel.Left; x < sel.Right; ++x) red += Is(x, y, clRed), yellow += Is(x, y, clYellow);
  EXPECT_GT(red, 0);
  EXPECT_GT(yellow, 0);
  EXPECT_FALSE(Is(info->TextRect.Left + w / 2, sel.Top + 1, clRed)) << "before the selection";
  // The whole text selected: a highlight box instead of the background.
  info->IsSelected = true;
  Make(100, 24, clBlack);
  info->Paint(*canvas);
  EXPECT_TRUE(Is(90, 10, clHighlight));
  // Focused, with the view showing the text: a dotted focus rectangle one pixel in.
  info->IsSelected = false;
  info->SelLength = 0;
  info->Focused = true;
  Make(100, 24, clBlack);
  info->Paint(*canvas);
  int dots = 0;
  for (int x = 2; x < 98; ++x) dots += !Is(x, 2, clWhite);
  EXPECT_GT(dots, 20);
  info->InnerEditShowsText = true;
  Make(100, 24, clBlack);
  info->Paint(*canvas);
  dots = 0;
  for (int x = 2; x < 98; ++x) dots += !Is(x, 2, clWhite);
  EXPECT_EQ(dots, 0);
}

class TFakeInnerEdit : public TObject, public IcxInnerTextEdit {
 public:
  TWinControl* GetControl() override { return Control; }
  String GetEditText() override { return Text; }
  Integer GetSelStart() override { return Start; }
  Integer GetSelLength() override { return Length; }
  TWinControl* Control = nullptr;
  String Text;
  Integer Start = 0, Length = 0;
};

TEST_F(TextViewTest, CharCaseAndTheInnerEditSnapshot) {
  // Sharp s keeps its case; s-caron and oe keep their pairs in the code page.
  String s = "Stra\xDF" "e \x9A\x9C";
  cxApplyCharCase(s, TEditCharCase::ecUpperCase);
  EXPECT_EQ(s, "STRA\xDF" "E \x8A\x8C");
  cxApplyCharCase(s, TEditCharCase::ecLowerCase);
  EXPECT_EQ(s, "stra\xDF" "e \x9A\x9C");
  cxApplyCharCase(s, TEditCharCase::ecNormal);
  EXPECT_EQ(s, "stra\xDF" "e \x9A\x9C");

  Owned<TForm> form(TForm::CreateNew<TForm>(nullptr));
  TFakeInnerEdit inner;
  inner.Text = "Name";
  inner.Start = 1;
  TcxInnerEditState state;
  cxSaveInnerEditState(&inner, true, state);
  EXPECT_TRUE(cxIsInnerEditStateChanged(&inner, state)) << "no window";
  inner.Control = form.get();
  form->HandleNeeded();
  EXPECT_FALSE(cxIsInnerEditStateChanged(&inner, state));
  inner.Text = "NAME";
  EXPECT_FALSE(cxIsInnerEditStateChanged(&inner, state)) << "case does not count";
  inner.Text = "Names";
  EXPECT_TRUE(cxIsInnerEditStateChanged(&inner, state));
  cxSaveInnerEditState(&inner, false, state);
  inner.Text = "other";
  EXPECT_FALSE(cxIsInnerEditStateChanged(&inner, state)) << "saved without the text";
  inner.Length = 2;
  EXPECT_TRUE(cxIsInnerEditStateChanged(&inner, state));
}

class ThousandSeparators : public ::testing::Test {
 protected:
  void SetUp() override { saved = FormatSettings; }
  void TearDown() override { FormatSettings = saved; }
  static String Add(String s) {
    cxAddThousandSeparators(s);
    return s;
  }
  static String Remove(String s) {
    cxRemoveThousandSeparators(s);
    return s;
  }
  TFormatSettings saved;
};

TEST_F(ThousandSeparators, GroupsIntegerDigitsOnlyKeepingBlanksSignsAndExponents) {
  FormatSettings.ThousandSeparator = ',';
  FormatSettings.DecimalSeparator = '.';
  const std::pair<const char*, const char*> cases[] = {
      {"1234567.891", "1,234,567.891"}, {"  123456  ", "  123,456  "}, {"123", "123"},
      {"-123456", "-123,456"},          {"+1234", "+1,234"},           {"1234567E+12", "1,234,567E+12"},
      {"12,34,567", "1,234,567"},       {".5", ".5"},                  {"   ", "   "},
  };
  for (auto [in, out] : cases) EXPECT_EQ(Add(in), out) << in;
  EXPECT_EQ(Remove(Add("-98765432.1e-3")), "-98765432.1e-3") << "the value survives";
  String mantissa = "2.5e10", exponent;
  cxExtractExponent(mantissa, exponent);
  EXPECT_EQ(mantissa, "2.5");
  EXPECT_EQ(exponent, "e10");
  mantissa = "42";
  cxExtractExponent(mantissa, exponent);
  EXPECT_EQ(exponent, "");

  // Typing: the caret keeps its place among the digits.
  String typed = "1234,567";
  Integer caret = 2;  // after "12"
  ASSERT_TRUE(cxRegroupThousandSeparators(typed, caret));
  EXPECT_EQ(typed, "1,234,567");
  EXPECT_EQ(caret, 3);
  typed = "12a4";
  caret = 4;
  EXPECT_FALSE(cxRegroupThousandSeparators(typed, caret));
  EXPECT_EQ(typed, "12a4");
  EXPECT_EQ(caret, 4);

  FormatSettings.ThousandSeparator = '.';
  FormatSettings.DecimalSeparator = ',';
  EXPECT_EQ(Add("1234567,25"), "1.234.567,25");
  // Separators that cannot work leave the text alone rather than eating the decimal point or writing #0.
  FormatSettings.ThousandSeparator = ',';
  EXPECT_EQ(Add("1234,5"), "1234,5");
  EXPECT_EQ(Remove("1234,5"), "1234,5");
  FormatSettings.ThousandSeparator = '\0';
  EXPECT_EQ(Add("1234567"), "1234567");
}

}  // namespace


// ---- gallery ----

#include "platform/gdi/Codecs.h"

#include <filesystem>
#include <fstream>

namespace {

// A text editor's view with a drop-down button in every border look (rows) and state
// (columns: normal, hot, focused with a selection, disabled), written to the build folder's
// gallery/ for a person to look at. Checks that no cell spills and the looks differ.
TEST_F(TextViewTest, GalleryOfEveryLookAndState) {
  constexpr int kW = 90, kH = 26, kStates = 4;
  constexpr TColor kPaper = 0x70B070;
  const TcxEditBorderStyle looks[] = {TcxEditBorderStyle::ebsNone,  TcxEditBorderStyle::ebsSingle,
                                      TcxEditBorderStyle::ebsThick, TcxEditBorderStyle::ebsFlat,
                                      TcxEditBorderStyle::ebs3D,    TcxEditBorderStyle::ebsUltraFlat,
                                      TcxEditBorderStyle::ebsOffice11};
  edit->GetOwnProperties()->GetButtons()->Add()->SetKind(TcxEditButtonKind::bkDown);
  style->GetFont()->SetName("Tahoma");  // a real face, for the eye
  style->GetFont()->SetHeight(-11);
  const int w = kStates * (kW + 4), h = int(std::size(looks)) * (kH + 4);
  Make(w, h, kPaper);
  std::vector<std::vector<TColor>> rows;
  for (size_t row = 0; row < std::size(looks); ++row) {
    style->SetEditBorderStyle(looks[row]);
    std::vector<TColor> cells;
    for (int s = 0; s < kStates; ++s) {
      Data();
      data->Focused = s == 2;
      data->Enabled = s != 3;
      if (s == 2) {
        data->SelStart = 1;
        data->SelLength = 3;
      }
      const TRect cell = Bounds(s * (kW + 4) + 2, int(row) * (kH + 4) + 2, kW, kH);
      const TPoint mouse = s == 1 ? TPoint{cell.Left + 5, cell.Top + 5} : TPoint{-1, -1};
      data->Calculate(*canvas, cell, mouse, TcxMouseButton::cxmbNone, {}, info.get(), false);
      data->EditValueToDrawValue(*canvas, Variant(String("Sample")), info.get());
      info->Paint(*canvas);
      EXPECT_EQ(Px(cell.Left - 1, cell.Top - 1), kPaper) << row << "," << s << ": nothing spills";
      for (int y = cell.Top; y < cell.Bottom; ++y)
        for (int x = cell.Left; x < cell.Right; ++x) cells.push_back(Px(x, y));
    }
    rows.push_back(cells);
  }
  // The Office11 look takes the ultra-flat one's colours from the classic system colours.
  for (size_t i = 1; i + 1 < rows.size(); ++i) EXPECT_NE(rows[i], rows[i - 1]) << "look " << i;

  DecodedImage image;
  image.Width = w;
  image.Height = h;
  for (int y = 0; y < h; ++y) {
    const Pixel* line = reinterpret_cast<const Pixel*>(bitmap->ScanLine(y));
    image.Pixels.insert(image.Pixels.end(), line, line + w);
  }
  const EncodeResult png = EncodePng(image);
  ASSERT_TRUE(png.Ok) << png.Error;
  const std::filesystem::path dir = std::filesystem::path(TL_BINARY_DIR) / "gallery";
  std::filesystem::create_directories(dir);
  std::ofstream out(dir / "text-edit-view.png", std::ios::binary);
  out.write(reinterpret_cast<const char*>(png.Bytes.data()), std::streamsize(png.Bytes.size()));
  EXPECT_TRUE(out.good());
}

}  // namespace

namespace {

// A view data is made on every mouse move: laying out and painting again makes no new
// drawing objects, and the canvas keeps its font object.
TEST_F(TextViewTest, RepeatedLayoutsAndPaintsMakeNoNewDrawingObjects) {
  edit->GetOwnProperties()->GetButtons()->Add()->SetKind(TcxEditButtonKind::bkText);
  edit->GetOwnProperties()->GetButtons()->Items(0)->SetCaption("Go");
  for (bool focused : {false, true}) {  // the colours both states use are cached once
    Data().Focused = focused;
    Calc({0, 0, 100, 20}, "text");
    info->Paint(*canvas);
  }
  const HFONT font = canvas->GetFont()->GetHandle();
  const size_t live = GdiLiveObjectCount();
  for (int i = 0; i < 5; ++i) {
    Data();
    data->Focused = i % 2 == 0;
    Calc({0, 0, 100, 20}, "text");
    info->Paint(*canvas);
  }
  EXPECT_EQ(GdiLiveObjectCount(), live);
  EXPECT_EQ(canvas->GetFont()->GetHandle(), font);
}

}  // namespace
