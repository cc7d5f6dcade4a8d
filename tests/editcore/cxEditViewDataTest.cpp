// Editor view data and view info: border extents and colours, style resolution, button
// layout (hidden, placed, stretched, the zero-sum case), sizes with constraints, hit tests,
// repainting by difference, and a few painted pixels.
#include "classlib/visual/Forms.h"
#include "tests/editcore/EditSettingsTestSupport.h"
#include "widgets/editcore/cxEditPaintUtils.h"

namespace {

using EB = TcxEditBorderStyle;
using St = TcxEditButtonStyle;
using K = TcxEditButtonKind;
using CS = TcxContainerStateItem;

class EditViewDataTest : public EditSettingsTest {
 protected:
  void SetUp() override {
    EditSettingsTest::SetUp();
    edit.reset(New<TTestEdit>(nullptr));
    style = edit->EditStyle();
    props = edit->GetOwnProperties();
    info.reset(New<TcxCustomEditViewInfo>());
  }
  void TearDown() override {
    data.reset();
    info.reset();
    edit.reset();
    EditSettingsTest::TearDown();
  }
  TcxCustomEditViewData& Data(bool inplace = false) {
    data.reset(props->CreateViewData(style, inplace));
    return *data;
  }
  void Calc(const TRect& bounds, TPoint p = {-1, -1}) {
    data->Calculate(*canvas, bounds, p, TcxMouseButton::cxmbNone, {}, info.get(), false);
  }
  TcxEditButton* AddButton(K kind, Integer width = 0, bool left = false) {
    TcxEditButton* b = props->GetButtons()->Add();
    b->SetKind(kind);
    b->SetWidth(width);
    b->SetLeftAlignment(left);
    return b;
  }
  Owned<TTestEdit> edit;
  TcxEditStyle* style = nullptr;
  TcxCustomEditProperties* props = nullptr;
  Owned<TcxCustomEditViewData> data;
  Owned<TcxCustomEditViewInfo> info;
};

TEST_F(EditViewDataTest, BorderExtentsByPlaceStyleEdgesAndShadow) {
  auto extent = [&](bool inplace = false) { return Data(inplace).GetBorderExtent(); };
  EXPECT_EQ(extent(), (TRect{2, 2, 2, 2})) << "a transparent border, the default";
  style->SetEditBorderStyle(EB::ebsNone);
  EXPECT_EQ(extent(), (TRect{2, 2, 2, 2})) << "even without a border";
  style->SetTransparentBorder(false);
  EXPECT_EQ(extent(), (TRect{0, 0, 0, 0}));
  const std::pair<EB, Integer> widths[] = {{EB::ebsSingle, 1}, {EB::ebsThick, 2}, {EB::ebsFlat, 2},
                                           {EB::ebs3D, 2},     {EB::ebsUltraFlat, 1}, {EB::ebsOffice11, 1}};
  for (auto [s, w] : widths) {
    style->SetEditBorderStyle(s);
    EXPECT_EQ(extent(), (TRect{w, w, w, w})) << int(s);
  }
  style->SetEditBorderStyle(EB::ebsThick);
  style->SetEdges({TcxBorder::bLeft, TcxBorder::bBottom});
  EXPECT_EQ(extent(), (TRect{2, 0, 0, 2}));
  style->SetShadow(true);
  EXPECT_EQ(extent(), (TRect{2, 0, 3, 5}));
  TcxCustomEditViewData& inplace = Data(true);
  EXPECT_EQ(inplace.GetBorderExtent(), TRect{}) << "exactly what the host set";
  inplace.InplaceBorderExtent = {1, 0, 1, 0};
  EXPECT_EQ(inplace.GetBorderExtent(), (TRect{1, 0, 1, 0}));
  // Bounds smaller than the extent leave an empty client area, not an inverted one.
  style->SetShadow(false);
  style->SetEdges(cxBordersAll);
  Data();
  Calc({0, 0, 3, 3});
  EXPECT_TRUE(info->ClientRect.IsEmpty());
  EXPECT_GE(info->ClientRect.Right, info->ClientRect.Left);
  EXPECT_GE(info->ClientRect.Bottom, info->ClientRect.Top);
}

TEST_F(EditViewDataTest, StateHotTrackingAndBorderColours) {
  style->SetTransparentBorder(false);
  style->SetEditBorderStyle(EB::ebsUltraFlat);
  Data();
  Calc({0, 0, 100, 20});
  EXPECT_EQ(info->ContainerState, (TcxContainerState{CS::csNormal}));
  EXPECT_EQ(info->BorderColor, clBtnShadow);
  EXPECT_EQ(info->GetEditBorderStyle(), EB::ebsUltraFlat) << "hot tracking keeps the style's own";
  EXPECT_EQ(info->HotState, Ord(TcxContainerHotState::chsNormal));
  Calc({0, 0, 100, 20}, {5, 5});
  EXPECT_EQ(info->ContainerState, (TcxContainerState{CS::csNormal, CS::csHotTrack}));
  EXPECT_EQ(info->BorderColor, clHighlight);
  EXPECT_EQ(info->HotState, Ord(TcxContainerHotState::chsSelected));
  data->Focused = true;
  style->SetEditBorderStyle(EB::ebsOffice11);
  Calc({0, 0, 100, 20});
  EXPECT_EQ(info->BorderColor, cxGetEditBorderHighlightColor(true));
  style->SetHotTrack(false);
  Calc({0, 0, 100, 20});
  EXPECT_EQ(info->GetEditBorderStyle(), EB::ebsSingle) << "without hot tracking shown as single";
  data->Enabled = false;
  Calc({0, 0, 100, 20}, {5, 5});
  EXPECT_EQ(info->ContainerState, (TcxContainerState{CS::csDisabled}));
  style->SetEditBorderStyle(EB::ebsSingle);
  style->SetBorderColor(clRed);
  data->Enabled = true;
  Calc({0, 0, 100, 20});
  EXPECT_EQ(info->BorderColor, clRed);
  // In place: never hot, no border of its own.
  Data(true);
  Calc({0, 0, 100, 20}, {5, 5});
  EXPECT_EQ(info->HotState, Ord(TcxContainerHotState::chsNoHotTrack));
  EXPECT_EQ(info->GetEditBorderStyle(), EB::ebsNone);
}

TEST_F(EditViewDataTest, ButtonAndPopupStylesResolveByBorderOrLook) {
  AddButton(K::bkDown);
  const std::pair<EB, St> byBorder[] = {{EB::ebsNone, St::btsSimple},      {EB::ebsSingle, St::btsHotFlat},
                                        {EB::ebsThick, St::bts3D},         {EB::ebsFlat, St::btsFlat},
                                        {EB::ebs3D, St::bts3D},            {EB::ebsUltraFlat, St::btsUltraFlat},
                                        {EB::ebsOffice11, St::btsOffice11}};
  for (auto [b, s] : byBorder) {
    style->SetEditBorderStyle(b);
    Data();
    Calc({0, 0, 100, 20});
    ASSERT_EQ(info->ButtonsInfo.size(), 1u);
    EXPECT_EQ(info->ButtonsInfo[0]->ButtonStyle, s) << int(b);
  }
  EXPECT_EQ(info->PopupBorderStyle, TcxEditPopupBorderStyle::epbsSingle);
  style->SetEditBorderStyle(EB::ebsFlat);
  Data();
  Calc({0, 0, 100, 20});
  EXPECT_EQ(info->PopupBorderStyle, TcxEditPopupBorderStyle::epbsFlat);
  style->GetLookAndFeel()->SetKind(TcxLookAndFeelKind::lfStandard);
  Data(true);
  Calc({0, 0, 100, 20});
  EXPECT_EQ(info->ButtonsInfo[0]->ButtonStyle, St::bts3D);
  EXPECT_EQ(info->PopupBorderStyle, TcxEditPopupBorderStyle::epbsFrame3D);
  style->SetButtonStyle(St::btsHotFlat);
  Calc({0, 0, 100, 20});
  EXPECT_EQ(info->ButtonsInfo[0]->ButtonStyle, St::btsHotFlat) << "a set style is used as it is";
}

TEST_F(EditViewDataTest, ButtonsArePlacedFromTheLastAndHiddenOnesGetNothing) {
  style->SetTransparentBorder(false);
  style->SetEditBorderStyle(EB::ebsSingle);
  AddButton(K::bkEllipsis, 10);
  AddButton(K::bkDown, 12)->SetVisible(false);
  AddButton(K::bkGlyph, 15);
  AddButton(K::bkText, 20, true);
  Data();
  Calc({0, 0, 100, 20});
  ASSERT_EQ(info->ButtonsInfo.size(), 3u);
  auto& b = info->ButtonsInfo;
  EXPECT_EQ(b[1]->ButtonIndex, 2);
  EXPECT_EQ(b[1]->Bounds, (TRect{84, 1, 99, 19})) << "the last right button at the right border";
  EXPECT_EQ(b[0]->Bounds, (TRect{74, 1, 84, 19}));
  EXPECT_EQ(b[2]->Bounds, (TRect{1, 1, 21, 19}));
  EXPECT_EQ(info->ClientRect, (TRect{21, 1, 74, 19}));
  EXPECT_TRUE(info->HasTextButton);
  EXPECT_TRUE(b[1]->Data.Rightmost && !b[1]->Data.Leftmost);
  EXPECT_TRUE(b[0]->Data.Leftmost && !b[0]->Data.Rightmost);
  EXPECT_TRUE(b[2]->Data.Leftmost && b[2]->Data.Rightmost) << "alone on the left";
  // Too narrow: full bounds keep their width, visible bounds shrink to what is left, and a
  // button that finds no room left gets empty bounds.
  Calc({0, 0, 30, 20});
  EXPECT_EQ(b[2]->Bounds, (TRect{1, 1, 21, 19}));
  EXPECT_EQ(b[1]->Bounds, (TRect{14, 1, 29, 19}));
  EXPECT_EQ(b[1]->VisibleBounds, (TRect{21, 1, 29, 19}));
  EXPECT_TRUE(b[0]->Bounds.IsEmpty() && b[0]->VisibleBounds.IsEmpty());
  // Unfocused with buttons hidden while inactive: none at all, so nothing can be hot.
  style->SetButtonTransparency(TcxEditButtonTransparency::ebtHideInactive);
  Calc({0, 0, 100, 20}, {90, 5});
  EXPECT_TRUE(info->ButtonsInfo.empty());
  EXPECT_EQ(info->SelectedButton, -1);
  data->Focused = true;
  Calc({0, 0, 100, 20}, {90, 5});
  EXPECT_EQ(info->SelectedButton, 1);
  EXPECT_TRUE(info->IsButtonAtPoint({90, 5}));
  info->ScrollOffset = {50, 0};
  EXPECT_FALSE(info->IsButtonAtPoint({90, 5}));
  EXPECT_TRUE(info->IsButtonAtPoint({40, 5}));
}

// Widths that a host sets to nothing: the stretch has nothing to divide by.
class TZeroWidthViewData : public TcxCustomEditViewData {
 public:
  using TcxCustomEditViewData::TcxCustomEditViewData;
  void CalculateButtonViewInfo(TcxCanvas& ACanvas, TcxCustomEditViewInfo* AViewInfo, bool AIsFocused,
                               Integer AButtonVisibleIndex) override {
    TcxCustomEditViewData::CalculateButtonViewInfo(ACanvas, AViewInfo, AIsFocused, AButtonVisibleIndex);
    AViewInfo->ButtonsInfo[size_t(AButtonVisibleIndex)]->Data.Width = 0;
  }
};

TEST_F(EditViewDataTest, TheButtonsOnlyViewSharesTheWidthAndTheLastTakenGetsTheRest) {
  style->SetTransparentBorder(false);
  style->SetEditBorderStyle(EB::ebsNone);
  props->SetButtonsViewStyle(TcxEditButtonsViewStyle::bvsButtonsOnly);
  AddButton(K::bkEllipsis, 10);
  AddButton(K::bkEllipsis, 20)->SetStretchable(false);
  AddButton(K::bkEllipsis, 30);
  Data();
  Calc({0, 0, 100, 20});
  auto& b = info->ButtonsInfo;
  // 40 left over among the stretchable ones (10 and 30): the last gets 40*30/40 = 30, the
  // first what remains, 10; the fixed button moves along.
  EXPECT_EQ(b[2]->Bounds, (TRect{40, 0, 100, 20}));
  EXPECT_EQ(b[1]->Bounds, (TRect{20, 0, 40, 20}));
  EXPECT_EQ(b[0]->Bounds, (TRect{0, 0, 20, 20}));
  EXPECT_TRUE(info->ClientRect.IsEmpty());
  // Truncating shares: 7 over 3 equal buttons is 2, 2 and the rest 3.
  props->GetButtons()->Items(1)->SetStretchable(true);
  props->GetButtons()->Items(0)->SetWidth(20);
  props->GetButtons()->Items(2)->SetWidth(20);
  Calc({0, 0, 67, 20});
  EXPECT_EQ(b[2]->Bounds.Width(), 22);
  EXPECT_EQ(b[1]->Bounds.Width(), 22);
  EXPECT_EQ(b[0]->Bounds.Width(), 23);
  EXPECT_EQ(b[0]->Bounds.Left, 0);

  data.reset(New<TZeroWidthViewData>(props, style, false));
  Calc({0, 0, 60, 20});
  EXPECT_EQ(b[0]->Bounds, (TRect{0, 0, 60, 20})) << "all of the width to the last taken";
  EXPECT_EQ(b[1]->Bounds.Width(), 0);
  EXPECT_EQ(b[2]->Bounds.Width(), 0);
}

TEST_F(EditViewDataTest, SizesAreTheConstantPartPlusContentWithinTheConstraints) {
  style->SetTransparentBorder(false);
  style->SetEditBorderStyle(EB::ebsSingle);
  AddButton(K::bkEllipsis, 15);
  Owned<TBitmap> tall(New<TBitmap>());
  tall->SetSize(8, 30);
  TcxEditButton* g = AddButton(K::bkGlyph);
  g->SetGlyph(tall.get());
  Data();
  TcxEditSizeProperties sp;
  const TSize size = data->CalculateEditSize(*canvas, Variant(), sp);
  EXPECT_EQ(size.cx, 2 + 15 + 12) << "borders and buttons; no content here";
  EXPECT_EQ(size.cy, 30 + 2) << "the glyph and its borders";
  edit->GetConstraints()->SetMaxHeight(20);
  edit->GetConstraints()->SetMinWidth(50);
  data->Edit = edit.get();
  EXPECT_EQ(data->CalculateEditSize(*canvas, Variant(), sp), (TSize{50, 20}));
  sp.Width = 10;  // less than the constant part: the requested width stands
  data->Edit = nullptr;
  EXPECT_EQ(data->CalculateEditSize(*canvas, Variant(), sp).cx, 10);
  EXPECT_EQ(sp.Width, 10);
  props->SetButtonsViewStyle(TcxEditButtonsViewStyle::bvsButtonsAutoWidth);
  sp.Width = -1;
  const Integer height = data->GetEditContentSize(*canvas, Variant(), sp).cy;
  canvas->GetFont()->Assign(style->GetFont());
  EXPECT_EQ(height, canvas->TextHeight("Zg") + 2) << "the style's font, and the border";
}

TEST_F(EditViewDataTest, RepaintChangesInvalidatesOnlyWhatChanged) {
  Owned<TForm> form(TForm::CreateNew<TForm>(nullptr));
  form->SetBounds(0, 0, 300, 100);
  form->Show();
  host().PumpUntilIdle();
  const HWND wnd = form->GetHandle();
  style->SetTransparentBorder(false);
  style->SetEditBorderStyle(EB::ebsUltraFlat);
  AddButton(K::bkEllipsis, 15);
  AddButton(K::bkDown, 15);
  Data();
  Calc({10, 10, 110, 30});
  Owned<TcxCustomEditViewInfo> old(New<TcxCustomEditViewInfo>());
  old->Assign(info.get());
  ValidateRect(wnd, nullptr);
  EXPECT_FALSE(info->RepaintChanges(form.get(), {}, old.get()));
  TRect dirty{};
  EXPECT_FALSE(GetUpdateRect(wnd, &dirty, false));
  // Hot over the last button: the frame colour changes and the button with it.
  Calc({10, 10, 110, 30}, {100, 15});
  ASSERT_EQ(info->SelectedButton, 1);
  EXPECT_TRUE(info->RepaintChanges(form.get(), {}, old.get()));
  Owned<TcxRegion> update(New<TcxRegion>());
  GetUpdateRgn(wnd, update->Handle(), false);
  EXPECT_TRUE(update->PtInRegion(10, 10)) << "the frame";
  EXPECT_TRUE(update->PtInRegion(100, 15)) << "the hot button";
  EXPECT_FALSE(update->PtInRegion(40, 20)) << "the text area stays";
  // Only a button's state differs: only that button.
  old->Assign(info.get());
  ValidateRect(wnd, nullptr);
  data->Focused = true;  // focused: the frame is already highlighted, the button turns normal
  Calc({10, 10, 110, 30});
  old->ContainerState = info->ContainerState;
  old->BorderColor = info->BorderColor;
  EXPECT_TRUE(info->RepaintChanges(form.get(), {}, old.get()));
  ASSERT_TRUE(GetUpdateRect(wnd, &dirty, false));
  EXPECT_EQ(dirty, info->ButtonsInfo[1]->Bounds);
  // A state whose background colour differs repaints the client area as well.
  old->Assign(info.get());
  ValidateRect(wnd, nullptr);
  info->BackgroundColor = clYellow;
  EXPECT_TRUE(info->RepaintChanges(form.get(), {}, old.get()));
  GetUpdateRgn(wnd, update->Handle(), false);
  EXPECT_TRUE(update->PtInRegion(40, 20)) << "the text area, in its new colour";
  // Without an old view info: the bounds, limited to the inner rectangle.
  ValidateRect(wnd, nullptr);
  EXPECT_FALSE(info->RepaintChanges(form.get(), {0, 0, 50, 50}, nullptr));
  ASSERT_TRUE(GetUpdateRect(wnd, &dirty, false));
  EXPECT_EQ(dirty, (TRect{10, 10, 50, 30}));
}

TEST_F(EditViewDataTest, PaintedFramesAndButtonsPerBorderStyle) {
  style->SetTransparentBorder(false);
  style->SetColor(clWhite);
  AddButton(K::bkEllipsis, 15);
  struct Case {
    EB border;
    TColor corner;
  };
  for (Case c : {Case{EB::ebsSingle, clWindowFrame}, Case{EB::ebsUltraFlat, clBtnShadow}, Case{EB::ebs3D, clBtnShadow}}) {
    SCOPED_TRACE(int(c.border));
    style->SetEditBorderStyle(c.border);
    Data();
    Make(40, 40);
    Calc({0, 0, 40, 20});
    info->Paint(*canvas);
    EXPECT_TRUE(Is(0, 0, c.corner));
    EXPECT_TRUE(Is(5, 10, clWhite));
    EXPECT_TRUE(Is(5, 25, kPaper));
    EXPECT_FALSE(Is(30, 10, clWhite)) << "the button, not the background";
  }
}

// Paints the whole bounds red and takes the background over.
class TRedBackground : public TObject {
 public:
  void Draw(TcxCustomEditViewInfo* Sender, TcxCanvas& ACanvas, bool& AHandled) {
    cxFillRectByColor(ACanvas, Sender->Bounds, clRed);
    AHandled = true;
  }
};

// A background handler replaces the background only: the frame and the buttons are drawn over it.
TEST_F(EditViewDataTest, ABackgroundHandlerLeavesTheFrameAndButtons) {
  style->SetTransparentBorder(false);
  style->SetColor(clWhite);
  style->SetEditBorderStyle(EB::ebsSingle);
  AddButton(K::bkEllipsis, 15);
  TRedBackground red;
  Data();
  Make(40, 40);
  Calc({0, 0, 40, 20});
  info->OnDrawBackground = {&red, &TRedBackground::Draw};
  info->Paint(*canvas);
  EXPECT_TRUE(Is(0, 0, clWindowFrame)) << "the frame";
  EXPECT_TRUE(Is(5, 10, clRed)) << "the handler's background";
  EXPECT_FALSE(Is(30, 10, clRed)) << "the button";
}

// An editor kind with spacing of its own that counts how often its state is asked.
class TSpacedViewData : public TcxCustomEditViewData {
 public:
  using TcxCustomEditViewData::TcxCustomEditViewData;
  void InitEditContentParams(TcxEditContentParams& AParams) override {
    AParams.HorzSpacing = 3;
    AParams.VertSpacing = 4;
    AParams.Options = {TcxEditContentOption::ecoShowFocusRectWhenInplace};
  }
  TcxContainerState GetContainerState(const TRect& ABounds, const TPoint& P, TcxMouseButton AButton,
                                      TShiftState AShift, bool ACheckCapture) override {
    ++StateCalls;
    return TcxCustomEditViewData::GetContainerState(ABounds, P, AButton, AShift, ACheckCapture);
  }
  int StateCalls = 0;
};

TEST_F(EditViewDataTest, ContentParamsCopiedFlagsAndTheStateAgainAfterAThinnerBorder) {
  style->SetTransparentBorder(false);
  style->SetEditBorderStyle(EB::ebsSingle);
  auto* spaced = New<TSpacedViewData>(props, style, false);
  data.reset(spaced);
  EXPECT_EQ(spaced->GetBorderPaddingSize(), (TSize{2 + 3, 2 + 4}));
  EXPECT_EQ(spaced->ContentOptions, TcxEditContentOptions{TcxEditContentOption::ecoShowFocusRectWhenInplace});
  spaced->IsDBEditPaintCopyDrawing = true;
  spaced->PaintOptions = {TcxEditPaintOption::epoAutoHeight};
  info->BorderWidth = 2;  // the last layout had a thick border
  Calc({0, 0, 100, 20});
  EXPECT_EQ(spaced->StateCalls, 2);
  EXPECT_TRUE(info->IsDBEditPaintCopyDrawing);
  EXPECT_EQ(info->PaintOptions, TcxEditPaintOptions{TcxEditPaintOption::epoAutoHeight});
  Owned<TcxCustomEditViewInfo> copy(New<TcxCustomEditViewInfo>());
  copy->Assign(info.get());
  EXPECT_TRUE(copy->IsDBEditPaintCopyDrawing);
  EXPECT_EQ(copy->PaintOptions, info->PaintOptions);
  Calc({0, 0, 100, 20});
  EXPECT_EQ(spaced->StateCalls, 3) << "as thin as before";
  auto* inplace = New<TSpacedViewData>(props, style, true);
  data.reset(inplace);
  info->BorderWidth = 2;
  Calc({0, 0, 100, 20});
  EXPECT_EQ(inplace->StateCalls, 1) << "in place the border is the host's";
}

}  // namespace
