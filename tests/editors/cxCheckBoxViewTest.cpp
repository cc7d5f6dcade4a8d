// The check box view: the system check metrics and mask, the layout of check and caption,
// the paint state from the mouse and keyboard, and one check painted in place in every look
// and state, read back by pixels.
#include "widgets/editors/cxCheckBox.h"

#include "classlib/visual/Forms.h"
#include "platform/host/HeadlessHost.h"
#include "platform/user/User.h"
#include "tests/foundation/NativePainterFixture.h"
#include "widgets/editcore/EditcoreUnits.h"
#include "widgets/editcore/cxEditPaintUtils.h"
#include "widgets/editcore/cxEditStyles.h"
#include "widgets/editcore/cxEditUtils.h"
#include "widgets/editors/EditorsUnits.h"
#include "widgets/foundation/FoundationUnits.h"

#include <gtest/gtest.h>


// A check box editor as far as the view asks: a container with the check box's styles that
// may hold Space down.
class TCheckHost : public TcxContainer, public IcxCheckBoxEdit {
  TL_CLASS(TCheckHost, TcxContainer)
 public:
  using TcxContainer::TcxContainer;
  TcxContainerStyleClass GetStyleClass() const override {
    return cxEditStyleClassOf<TcxCheckBoxStyle>();
  }
  bool IsKeyboardPressed() const override { return Pressed; }
  bool IsNativeBackground() const override { return false; }
  bool Pressed = false;
};
TL_DEFINE_CLASS(TCheckHost, [](auto&) {});

namespace {

using CS = TcxCheckBoxState;
using NS = TcxCheckBoxNullValueShowingStyle;
using ES = TcxEditCheckState;
using EB = TcxEditBorderStyle;
using K = TcxLookAndFeelKind;
using A = TAlignment;
using SS = TShiftStateItem;

constexpr TPoint kAway{-1, -1};

class CheckView : public NativePainterTest {
 protected:
  void Open(bool themed = false) {
    if (themed) ThemeOn();
    WidgetsFoundationInitialize();
    WidgetsEditcoreInitialize();
    WidgetsEditorsInitialize();
    started = true;
    edit.reset(New<TCheckHost>(nullptr));
    props.reset(New<TcxCustomCheckBoxProperties>(nullptr));
    style = static_cast<TcxEditStyle*>(edit->GetStyle());
    style->GetFont()->SetName(kTestFaceName);
    style->GetFont()->SetHeight(-10);
    style->SetColor(clWindow);
    info.reset(New<TcxCustomCheckBoxViewInfo>());
    Boxes();
  }
  void TearDown() override {
    data.reset();
    info.reset();
    props.reset();
    edit.reset();
    if (started) {
      WidgetsEditorsFinalize();
      WidgetsEditcoreFinalize();
      WidgetsFoundationFinalize();
    }
    NativePainterTest::TearDown();
  }
  // The system bitmap measured here on its own.
  void Boxes() {
    HBITMAP b = CreateCheckBoxesBitmap();
    ASSERT_NE(b, nullptr);
    BITMAP bm{};
    GetObjectA(b, sizeof bm, &bm);
    cell = {bm.bmWidth / 4, bm.bmHeight / 3};
    DeleteObject(b);
  }
  TcxCustomCheckBoxViewData& Data(bool inplace = false, bool withHost = true) {
    data.reset(static_cast<TcxCustomCheckBoxViewData*>(props->CreateViewData(style, inplace)));
    if (withHost) data->Edit = edit.get();
    return *data;
  }
  void Calc(PaperCanvas& paper, const TRect& bounds, const TPoint& p = kAway,
            TShiftState shift = {}, TcxMouseButton button = TcxMouseButton::cxmbNone,
            const Variant& value = Variant(false)) {
    data->Calculate(paper.Cx(), bounds, p, button, shift, info.get(), false);
    data->EditValueToDrawValue(paper.Cx(), value, info.get());
  }
  // One check painted in place (no control) in a look and state.
  void PaintCheck(PaperCanvas& paper, const TRect& bounds, K look, bool native, CS state,
                  ES checkState) {
    style->GetLookAndFeel()->SetKind(look);
    style->GetLookAndFeel()->SetNativeStyle(native);
    Data(false, false).Enabled = checkState != ES::ecsDisabled;
    const TPoint p =
        checkState == ES::ecsHot || checkState == ES::ecsPressed ? TPoint{5, 5} : kAway;
    const TShiftState shift =
        checkState == ES::ecsPressed ? TShiftState{SS::ssLeft} : TShiftState{};
    const Variant value = state == CS::cbsChecked     ? Variant(true)
                          : state == CS::cbsUnchecked ? Variant(false)
                                                      : Variant::MakeNull();
    info->Text = "Go";
    Calc(paper, bounds, p, shift, TcxMouseButton::cxmbLeft, value);
    ASSERT_EQ(info->CheckState, checkState);
    ASSERT_EQ(info->State, state);
    info->Paint(paper.Cx());
  }

  bool started = false;
  Owned<TCheckHost> edit;
  Owned<TcxCustomCheckBoxProperties> props;
  TcxEditStyle* style = nullptr;
  Owned<TcxCustomCheckBoxViewData> data;
  Owned<TcxCustomCheckBoxViewInfo> info;
  TSize cell{};
};

TEST_F(CheckView, MetricsAndMaskComeFromTheSystemBitmap) {
  Open();
  EXPECT_EQ(cxGetCheckBoxMetricsSize(), cell);
  TBitmap* mask = cxGetCheckMarkMask();
  ASSERT_NE(mask, nullptr);
  ASSERT_EQ(mask->GetWidth(), cell.cx);
  ASSERT_EQ(mask->GetHeight(), cell.cy);
  PaperDC boxes;
  HBITMAP b = CreateCheckBoxesBitmap();
  HDC dc = CreateCompatibleDC(nullptr);
  HGDIOBJ old = SelectObject(dc, b);
  int black = 0;
  for (int y = 0; y < cell.cy; ++y)
    for (int x = 0; x < cell.cx; ++x) {
      const bool differs = GetPixel(dc, x, y) != GetPixel(dc, cell.cx + x, y);
      const COLORREF m = GetPixel(mask->Canvas()->GetHandle(), x, y);
      EXPECT_EQ(m, differs ? 0x000000u : 0xFFFFFFu) << x << "," << y;
      black += differs;
    }
  SelectObject(dc, old);
  DeleteDC(dc);
  DeleteObject(b);
  EXPECT_GT(black, 4) << "the mark";
  EXPECT_EQ(GetPixel(mask->Canvas()->GetHandle(), 0, 0), 0xFFFFFFu)
      << "the box frame is the same in both cells";
}

TEST_F(CheckView, GlyphIndexStaysInsideTheStrip) {
  Open();
  // {state, check state, strip length, index}
  struct Case {
    CS s;
    ES c;
    int count, index;
  };
  const Case cases[] = {
      {CS::cbsUnchecked, ES::ecsNormal, 6, 0}, {CS::cbsChecked, ES::ecsHot, 6, 1},
      {CS::cbsUnchecked, ES::ecsPressed, 6, 3}, {CS::cbsGrayed, ES::ecsPressed, 6, 5},
      {CS::cbsGrayed, ES::ecsPressed, 3, 2},   {CS::cbsGrayed, ES::ecsNormal, 1, 0},
      {CS::cbsChecked, ES::ecsPressed, 2, 1},
  };
  for (const Case& c : cases)
    EXPECT_EQ(cxGetEditCheckGlyphIndex(c.s, c.c, true, c.count), c.index)
        << Ord(c.s) << Ord(c.c) << c.count;
  // Without grayed support an even strip holds pairs.
  EXPECT_EQ(cxGetEditCheckGlyphIndex(CS::cbsChecked, ES::ecsPressed, false, 4), 3);
  EXPECT_EQ(cxGetEditCheckGlyphIndex(CS::cbsGrayed, ES::ecsNormal, false, 4), 0);

  // A one-image strip: the checked state draws that image, nothing from past its end.
  Owned<TBitmap> strip(New<TBitmap>());
  strip->SetPixelFormat(TPixelFormat::pf32bit);
  strip->SetSize(10, 10);
  strip->Canvas()->Brush()->SetColor(clLime);
  strip->Canvas()->FillRect({0, 0, 10, 10});
  strip->Canvas()->Brush()->SetColor(clRed);
  strip->Canvas()->FillRect({2, 2, 8, 8});
  props->SetGlyph(strip.get());
  props->SetGlyphCount(1);
  PaperCanvas paper(60, 20);
  PaintCheck(paper, {0, 0, 60, 20}, K::lfUltraFlat, false, CS::cbsChecked, ES::ecsNormal);
  EXPECT_EQ(info->CheckRect.Width(), 10);
  const TRect k = info->CheckRect;
  EXPECT_EQ(paper.Px(k.Left + 5, k.Top + 5), ColorToRGB(clRed));
  EXPECT_NE(paper.Px(k.Left + 1, k.Top + 5), ColorToRGB(clLime))
      << "the strip's transparent colour is left out";
  // More images claimed than the strip has pixels: an empty check, nothing read or drawn.
  props->SetGlyphCount(20);
  PaperCanvas empty(60, 20);
  PaintCheck(empty, {0, 0, 60, 20}, K::lfUltraFlat, false, CS::cbsChecked, ES::ecsPressed);
  EXPECT_EQ(info->CheckRect.Width(), 0);
  for (int x = 0; x < 60; ++x) EXPECT_NE(empty.Px(x, 10), ColorToRGB(clRed)) << x;
}

TEST_F(CheckView, CaptionFlagsByAlignmentAndLines) {
  Open();
  EXPECT_EQ(Data().GetDrawTextFlags(A::taLeftJustify), 0x261);
  EXPECT_EQ(Data().GetDrawTextFlags(A::taRightJustify), 0x261)
      << "the caption left of a right check stays left-aligned";
  EXPECT_EQ(Data().GetDrawTextFlags(A::taCenter), 0x264);
  props->SetMultiLine(true);
  EXPECT_EQ(Data().GetDrawTextFlags(A::taLeftJustify), 0x689);
  EXPECT_EQ(Data(true).GetDrawTextFlags(A::taLeftJustify), 0x6A1);
}

TEST_F(CheckView, LayoutOfCheckAndCaption) {
  Open();
  PaperCanvas paper(200, 40);
  edit->SetText("Caption");
  const TRect bounds{0, 0, 120, 24};
  Data();
  Calc(paper, bounds);
  const TRect c = info->ClientRect;
  const Integer top = c.Top + 2 + (c.Height() - 4 - cell.cy) / 2;
  EXPECT_EQ(info->Text, "Caption");
  EXPECT_EQ(info->GetEditBorderStyle(), EB::ebsNone) << "no editor frame, hot tracking or not";
  EXPECT_EQ(info->CheckRect, (TRect{c.Left + 2, top, c.Left + 2 + cell.cx, top + cell.cy}));
  EXPECT_EQ(info->TextRect,
            (TRect{c.Left + 2 + cell.cx + 3, c.Top + 1, c.Right - 2, c.Bottom - 2}));

  props->GetAlignment()->SetHorz(A::taRightJustify);
  Data();
  Calc(paper, bounds);
  EXPECT_EQ(info->CheckRect, (TRect{c.Right - 2 - cell.cx, top, c.Right - 2, top + cell.cy}));
  EXPECT_EQ(info->TextRect,
            (TRect{c.Left + 2, c.Top + 1, c.Right - 2 - cell.cx - 3, c.Bottom - 2}));

  props->GetAlignment()->SetHorz(A::taCenter);
  Data();
  Calc(paper, bounds);
  const Integer left = c.Left + 2 + (c.Width() - 4 - cell.cx) / 2;
  EXPECT_EQ(info->CheckRect, (TRect{left, top, left + cell.cx, top + cell.cy}));

  // Narrower than the check: no caption, the check keeps the full width.
  props->GetAlignment()->SetHorz(A::taLeftJustify);
  Data();
  Calc(paper, {0, 0, cell.cx + 3, 24});
  EXPECT_EQ(info->TextRect.Width(), 0);
  EXPECT_EQ(info->CheckRect.Width(), info->ClientRect.Width() - 4);

  // Disabled: room for the embossed text.
  Data().Enabled = false;
  Calc(paper, bounds);
  EXPECT_EQ(info->TextRect,
            (TRect{c.Left + 2 + cell.cx + 3, c.Top + 1, c.Right - 1, c.Bottom - 1}));
}

TEST_F(CheckView, InAGridCellWithoutCaptionTheCheckIsCentred) {
  Open();
  PaperCanvas paper(60, 40);
  const TRect bounds{0, 0, 41, 20};
  Data(true, false);
  Calc(paper, bounds);
  const TRect c = info->ClientRect;
  EXPECT_EQ(info->Alignment, A::taCenter);
  EXPECT_EQ(info->CheckRect.Left, c.Left + (c.Width() - cell.cx) / 2);
  EXPECT_EQ(info->CheckRect.Top, c.Top + (c.Height() - cell.cy) / 2);
  props->SetUseAlignmentWhenInplace(true);
  Data(true, false);
  Calc(paper, bounds);
  EXPECT_EQ(info->Alignment, A::taLeftJustify);
  EXPECT_EQ(info->CheckRect.Left, c.Left + 2);
  const TRect m = data->GetContentMargins();
  EXPECT_EQ(info->TextRect,
            (TRect{c.Left + 2 + cell.cx + 3, c.Top + m.Top, c.Right - 2, c.Bottom - m.Bottom}));
}

TEST_F(CheckView, PaintStateFromMouseKeyboardAndDesign) {
  Open();
  PaperCanvas paper(200, 40);
  const TRect bounds{0, 0, 100, 20};
  const TPoint in{5, 5};
  const TShiftState left{SS::ssLeft};
  Data();
  Calc(paper, bounds, kAway);
  EXPECT_EQ(info->CheckState, ES::ecsNormal);
  Calc(paper, bounds, in);
  EXPECT_EQ(info->CheckState, ES::ecsHot);
  Calc(paper, bounds, in, left);  // a button held that did not go down here
  EXPECT_EQ(info->CheckState, ES::ecsNormal);
  Calc(paper, bounds, in, left, TcxMouseButton::cxmbLeft);
  EXPECT_EQ(info->CheckState, ES::ecsPressed);
  Calc(paper, bounds, {6, 6}, left);  // still held: stays pressed
  EXPECT_EQ(info->CheckState, ES::ecsPressed);
  Calc(paper, bounds, in, TShiftState{SS::ssLeft, SS::ssShift}, TcxMouseButton::cxmbLeft);
  EXPECT_EQ(info->CheckState, ES::ecsNormal);
  edit->Pressed = true;
  Calc(paper, bounds, kAway);
  EXPECT_EQ(info->CheckState, ES::ecsPressed);
  edit->Pressed = false;
  edit->SetDesigning(true);
  Calc(paper, bounds, in);
  EXPECT_EQ(info->CheckState, ES::ecsNormal) << "never hot while designing";
  edit->SetDesigning(false);
  data->Enabled = false;
  Calc(paper, bounds, in);
  EXPECT_EQ(info->CheckState, ES::ecsDisabled);
  // A grid's single-line check: highlighted under the mouse, and always while designing.
  style->SetEditBorderStyle(EB::ebsSingle);
  Data(true);
  Calc(paper, bounds, in);
  EXPECT_EQ(info->BorderColor, clHighlight);
  Calc(paper, bounds, kAway);
  EXPECT_EQ(info->BorderColor, clBtnShadow);
  edit->SetDesigning(true);
  Calc(paper, bounds, kAway);
  EXPECT_EQ(info->BorderColor, clHighlight);
  edit->SetDesigning(false);
}

TEST_F(CheckView, ValueStateAndFocusRect) {
  Open();
  PaperCanvas paper(200, 40);
  edit->SetText("Caption");
  const TRect bounds{0, 0, 120, 24};
  Data().Focused = true;
  Calc(paper, bounds, kAway, {}, TcxMouseButton::cxmbNone, Variant(true));
  EXPECT_EQ(info->State, CS::cbsChecked);
  const TRect t = info->TextRect;
  paper.Cx().GetFont()->Assign(style->GetFont());
  const Integer w = paper.Cx().TextWidth("Caption");
  EXPECT_EQ(info->FocusRect.Left, t.Left - 1);
  EXPECT_EQ(info->FocusRect.Right, t.Left + w + 1);
  EXPECT_GT(info->FocusRect.Top, t.Top - 1) << "the caption's own height, centred";
  props->SetFullFocusRect(true);
  Data().Focused = true;
  Calc(paper, bounds, kAway, {}, TcxMouseButton::cxmbNone, Variant::MakeNull());
  EXPECT_EQ(info->State, CS::cbsGrayed);
  EXPECT_EQ(info->FocusRect,
            (TRect{t.Left - 1, t.Top - 1, std::min(t.Right + 1, bounds.Right - 1), t.Bottom + 1}));
  Data();
  Calc(paper, bounds);
  EXPECT_TRUE(info->FocusRect.IsEmpty()) << "not focused";
  Data(true).Focused = true;
  Calc(paper, bounds);
  EXPECT_EQ(info->Text, "") << "a grid cell shows no caption";
  Data(true, false).Focused = true;
  Calc(paper, bounds);
  EXPECT_TRUE(info->FocusRect.IsEmpty()) << "a grid cell without the option";
  data->PaintOptions = {TcxEditPaintOption::epoShowFocusRectWhenInplace};
  Calc(paper, bounds);
  const TRect c = info->ClientRect;
  EXPECT_EQ(info->FocusRect, (TRect{c.Left + 1, c.Top + 1, c.Right - 1, c.Bottom - 1}));
}

TEST_F(CheckView, ChangedCheckIsTheRegionToRepaint) {
  Open();
  PaperCanvas paper(200, 40);
  Data();
  Calc(paper, {0, 0, 100, 20});
  Owned<TcxCustomCheckBoxViewInfo> old(New<TcxCustomCheckBoxViewInfo>());
  old->Assign(info.get());
  EXPECT_EQ(old->CheckState, info->CheckState);
  Calc(paper, {0, 0, 100, 20}, {5, 5});
  ASSERT_EQ(info->CheckState, ES::ecsHot);
  Owned<TcxRegion> region(info->GetUpdateRegion(old.get()));
  ASSERT_NE(region.get(), nullptr);
  const TRect k = info->CheckRect;
  EXPECT_TRUE(region->PtInRegion(k.Left, k.Top));
  EXPECT_TRUE(region->PtInRegion(k.Right - 1, k.Bottom - 1));
  EXPECT_FALSE(region->PtInRegion(k.Right + 5, k.Top));
  EXPECT_TRUE(info->IsButtonAtPoint({99, 19})) << "the whole box is its button";
  EXPECT_FALSE(info->IsButtonAtPoint({100, 5}));
  info->Offset(3, 4);
  EXPECT_EQ(info->CheckRect, (TRect{k.Left + 3, k.Top + 4, k.Right + 3, k.Bottom + 4}));

  // A new state repaints only the check.
  Owned<TForm> form(TForm::CreateNew<TForm>(nullptr));
  form->SetBounds(0, 0, 300, 100);
  form->Show();
  host().PumpUntilIdle();
  const HWND wnd = form->GetHandle();
  Data(false, false);
  Calc(paper, {10, 10, 110, 30});
  old->Assign(info.get());
  old->State = info->State;
  ValidateRect(wnd, nullptr);
  info->RepaintChanges(form.get(), {}, old.get());
  TRect dirty{};
  EXPECT_FALSE(GetUpdateRect(wnd, &dirty, false));
  data->EditValueToDrawValue(paper.Cx(), Variant(true), info.get());
  info->RepaintChanges(form.get(), {}, old.get());
  ASSERT_TRUE(GetUpdateRect(wnd, &dirty, false));
  EXPECT_EQ(dirty, info->CheckRect);
  ValidateRect(wnd, nullptr);
  EXPECT_FALSE(info->RepaintChanges(nullptr, {}, old.get())) << "no window, nothing to do";
}

// The caption measured for the editor's size in the text layout's own flags: a multi-line
// caption takes its rows, a single-line one a single row; a grid cell is as wide as it.
TEST_F(CheckView, EditorSizeFromTheCaption) {
  Open();
  PaperCanvas paper(200, 40);
  edit->SetText("one\ntwo\nthree");
  paper.Cx().GetFont()->Assign(style->GetFont());
  const Integer row = paper.Cx().TextHeight("Zg");
  TcxEditSizeProperties limits;
  TSize minContent{};
  const TSize single = Data().GetEditConstantPartSize(paper.Cx(), limits, minContent);
  props->SetMultiLine(true);
  const TSize multi = Data().GetEditConstantPartSize(paper.Cx(), limits, minContent);
  const Integer check = cell.cy + 4;
  EXPECT_EQ(multi.cy - single.cy, std::max(3 * row, check) - std::max(row, check));
  EXPECT_EQ(multi.cx, single.cx);
  // A grid cell's width follows the caption.
  edit->SetText("&Go");
  props->SetMultiLine(false);
  props->SetUseAlignmentWhenInplace(true);
  const TSize captioned = Data(true).GetEditConstantPartSize(paper.Cx(), limits, minContent);
  EXPECT_EQ(captioned.cx, paper.Cx().TextWidth("Go") + 2 + cell.cx + 3 + 2);
  edit->SetText("");
  const TSize bare = Data(true).GetEditConstantPartSize(paper.Cx(), limits, minContent);
  EXPECT_EQ(bare.cx, cell.cx + 4) << "the check alone, centred, plus its margins";
}

// ---- painting ----

const CS kStates[] = {CS::cbsUnchecked, CS::cbsChecked, CS::cbsGrayed};
const ES kCheckStates[] = {ES::ecsNormal, ES::ecsHot, ES::ecsPressed, ES::ecsDisabled};

TEST_F(CheckView, FlatLooksPaintFrameInteriorAndMarkByState) {
  Open();
  TBitmap* mask = cxGetCheckMarkMask();
  ASSERT_NE(mask, nullptr);
  // A mark pixel inside the interior and an interior pixel the mark leaves alone.
  TPoint mark{-1, -1}, clear{-1, -1};
  for (int y = 2; y < cell.cy - 2; ++y)
    for (int x = 2; x < cell.cx - 2; ++x)
      (GetPixel(mask->Canvas()->GetHandle(), x, y) == 0 ? mark : clear) = {x, y};
  ASSERT_GE(mark.X, 0);
  ASSERT_GE(clear.X, 0);
  for (const K look : {K::lfUltraFlat, K::lfOffice11}) {
    const bool office11 = look == K::lfOffice11;
    for (const CS s : kStates)
      for (const ES c : kCheckStates) {
        PaperCanvas paper(80, 24);
        PaintCheck(paper, {0, 0, 80, 24}, look, false, s, c);
        const TRect k = info->CheckRect;
        ASSERT_EQ(k.Width(), cell.cx);
        const TColor interior = c == ES::ecsNormal ? clWindow
                                : c == ES::ecsHot  ? cxGetEditButtonHighlightColor(false, office11)
                                : c == ES::ecsPressed
                                    ? cxGetEditButtonHighlightColor(true, office11)
                                    : clBtnFace;
        const TColor frame = c == ES::ecsHot || c == ES::ecsPressed
                                 ? cxGetEditBorderHighlightColor(office11)
                             : office11 && c == ES::ecsNormal ? clBtnText
                                                              : clBtnShadow;
        const TColor markColour = s == CS::cbsUnchecked                        ? interior
                                  : s == CS::cbsGrayed || c == ES::ecsDisabled ? clBtnShadow
                                                                               : clBtnText;
        const String where = String(office11 ? "office11 " : "ultraflat ") +
                             std::to_string(Ord(s)) + "/" + std::to_string(Ord(c));
        EXPECT_EQ(paper.Px(k.Left + 1, k.Top + 1), ColorToRGB(frame)) << where;
        EXPECT_EQ(paper.Px(k.Left + clear.X, k.Top + clear.Y), ColorToRGB(interior)) << where;
        EXPECT_EQ(paper.Px(k.Left + mark.X, k.Top + mark.Y), ColorToRGB(markColour)) << where;
        EXPECT_EQ(paper.Px(k.Left, k.Top), ColorToRGB(clWindow))
            << where << ": the background ring";
      }
  }
}

TEST_F(CheckView, FrameControlLooksPaintEdgesAndMarkByState) {
  Open();
  for (const K look : {K::lfStandard, K::lfFlat}) {
    for (const CS s : kStates) {
      std::vector<COLORREF> normal;
      for (const ES c : kCheckStates) {
        PaperCanvas paper(80, 24);
        PaintCheck(paper, {0, 0, 80, 24}, look, false, s, c);
        const TRect k = info->CheckRect;
        const String where =
            std::to_string(Ord(look)) + " " + std::to_string(Ord(s)) + "/" + std::to_string(Ord(c));
        // Sunken outer edge, then the inner ring: dark shadow (3-D) or face (flat).
        EXPECT_EQ(paper.Px(k.Left, k.Top), ColorToRGB(clBtnShadow)) << where;
        EXPECT_EQ(paper.Px(k.Right - 1, k.Bottom - 1), ColorToRGB(clBtnHighlight)) << where;
        EXPECT_EQ(paper.Px(k.Left + 1, k.Top + 1),
                  ColorToRGB(look == K::lfStandard ? cl3DDkShadow : clBtnFace))
            << where;
        if (look == K::lfStandard) {
          EXPECT_EQ(paper.Px(k.Right - 2, k.Bottom - 2), ColorToRGB(cl3DLight)) << where;
        }
        // The interior corner: window colour, face when pushed, inactive or three-state.
        const bool face = c == ES::ecsPressed || c == ES::ecsDisabled || s == CS::cbsGrayed;
        EXPECT_EQ(paper.Px(k.Left + 2, k.Top + 2), ColorToRGB(face ? clBtnFace : clWindow))
            << where;
        // A mark in the middle for checked and checked-looking grayed checks.
        int marked = 0;
        for (int y = k.Top + 2; y < k.Bottom - 2; ++y)
          for (int x = k.Left + 2; x < k.Right - 2; ++x)
            marked += paper.Px(x, y) != ColorToRGB(face ? clBtnFace : clWindow);
        EXPECT_EQ(marked > 0, s != CS::cbsUnchecked) << where;
        std::vector<COLORREF> shot;
        for (int y = k.Top; y < k.Bottom; ++y)
          for (int x = k.Left; x < k.Right; ++x) shot.push_back(paper.Px(x, y));
        if (c == ES::ecsNormal) normal = shot;
        if (c == ES::ecsHot) {
          EXPECT_EQ(shot, normal) << where << ": the frame control has no hot look";
        }
        if (s != CS::cbsGrayed && (c == ES::ecsPressed || c == ES::ecsDisabled)) {
          EXPECT_NE(shot, normal) << where;
        }
      }
    }
  }
}

TEST_F(CheckView, NativeLookDrawsTheCheckPartInEveryState) {
  Open(true);
  for (const CS s : kStates)
    for (const ES c : kCheckStates) {
      PaperCanvas paper(80, 24);
      const auto calls = Record([&] {
        PaintCheck(paper, {0, 0, 80, 24}, K::lfStandard, true, s, c);
      });
      int drawn = 0;
      for (const ThemeCall& call : calls)
        if (call.function == "DrawThemeBackground" && call.part == 3) {
          EXPECT_EQ(call.state, 4 * Ord(s) + Ord(c) + 1);
          ++drawn;
        }
      EXPECT_EQ(drawn, 1) << Ord(s) << "/" << Ord(c);
      EXPECT_EQ(info->ThemeState, s == CS::cbsGrayed ? 9 + Ord(c) : 4 * Ord(s) + Ord(c) + 1);
      EXPECT_TRUE(paper.Painted(info->CheckRect));
    }
  TSize themed{};
  HTHEME theme = cxOpenTheme(TdxThemedObjectType::totButton);
  ASSERT_TRUE(SUCCEEDED(cxGetThemePartSizeNoRect(theme, nullptr, 3, 5, 1, themed)));
  EXPECT_EQ(info->CheckRect.Width(), themed.cx) << "the style's own check size";
}

TEST_F(CheckView, ThemeStatesOfGrayedChecksByNullStyle) {
  Open();
  EXPECT_EQ(cxGetCheckThemeState(CS::cbsUnchecked, NS::nssGrayedChecked, ES::ecsNormal), 1);
  EXPECT_EQ(cxGetCheckThemeState(CS::cbsChecked, NS::nssGrayedChecked, ES::ecsDisabled), 8);
  EXPECT_EQ(cxGetCheckThemeState(CS::cbsGrayed, NS::nssUnchecked, ES::ecsHot), 2);
  EXPECT_EQ(cxGetCheckThemeState(CS::cbsGrayed, NS::nssInactive, ES::ecsPressed), 4);
  EXPECT_EQ(cxGetCheckThemeState(CS::cbsGrayed, NS::nssGrayedChecked, ES::ecsDisabled), 12);
  EXPECT_EQ(
      cxGetCheckFrameControlFlags(CS::cbsChecked, NS::nssGrayedChecked, ES::ecsPressed, EB::ebs3D),
      0x600u);
  EXPECT_EQ(cxGetCheckFrameControlFlags(CS::cbsGrayed, NS::nssInactive, ES::ecsNormal, EB::ebsFlat),
            0x4108u);
  EXPECT_EQ(cxGetCheckFrameControlFlags(CS::cbsGrayed, NS::nssGrayedChecked, ES::ecsDisabled,
                                        EB::ebsFlat),
            0x4608u);
  EXPECT_EQ(cxGetCheckFrameControlFlags(CS::cbsUnchecked, NS::nssGrayedChecked, ES::ecsDisabled,
                                        EB::ebs3D),
            0x308u);
}

TEST_F(CheckView, DisabledCaptionIsEmbossedOnlyWithoutItsOwnColour) {
  Open();
  auto highlights = [&](PaperCanvas& paper) {
    int n = 0;
    const TRect t = info->TextRect;
    for (int y = t.Top; y < t.Bottom; ++y)
      for (int x = t.Left; x < t.Right; ++x) n += paper.Px(x, y) == ColorToRGB(clBtnHighlight);
    return n;
  };
  PaperCanvas plain(80, 24);
  PaintCheck(plain, {0, 0, 80, 24}, K::lfUltraFlat, false, CS::cbsChecked, ES::ecsDisabled);
  style->SetColor(clBtnFace);
  PaperCanvas embossed(80, 24);
  PaintCheck(embossed, {0, 0, 80, 24}, K::lfUltraFlat, false, CS::cbsChecked, ES::ecsDisabled);
  EXPECT_GT(highlights(embossed), 0);
  style->SetTextColor(clNavy);
  PaperCanvas coloured(80, 24);
  PaintCheck(coloured, {0, 0, 80, 24}, K::lfUltraFlat, false, CS::cbsChecked, ES::ecsDisabled);
  EXPECT_EQ(highlights(coloured), 0);
  EXPECT_TRUE(info->IsTextColorAssigned);
}

TEST_F(CheckView, TransparentViewLeavesWhatIsBehind) {
  Open();
  PaperCanvas opaque(60, 20);
  style->GetLookAndFeel()->SetKind(K::lfUltraFlat);
  Data(true, false);
  Calc(opaque, {0, 0, 60, 20});
  info->Paint(opaque.Cx());
  EXPECT_EQ(opaque.Px(0, 0), ColorToRGB(clWindow)) << "a grid cell fills its bounds";
  props->SetTransparent(true);
  PaperCanvas paper(60, 20);
  PaintCheck(paper, {0, 0, 60, 20}, K::lfUltraFlat, false, CS::cbsChecked, ES::ecsNormal);
  ASSERT_TRUE(info->Transparent);
  const TRect k = info->CheckRect;
  EXPECT_EQ(paper.Px(0, 0), PaperDC::kPaper);
  EXPECT_EQ(paper.Px(k.Left, k.Top), PaperDC::kPaper) << "no background ring around the check";
  EXPECT_EQ(paper.Px(k.Left + 1, k.Top + 1), ColorToRGB(clBtnShadow)) << "the check itself";
}

}  // namespace
