// The radio group on a headless dialog: columns filled top to bottom, one child button per
// item, arrow keys and Tab, the value of each item both ways, the caption's accelerator,
// clicks, an empty group, and reading one from a window description.
#include "classlib/core/FormText.h"
#include "classlib/core/Streams.h"
#include "classlib/visual/Forms.h"
#include "platform/host/HeadlessHost.h"
#include "tests/editors/EditorsTestSupport.h"
#include "tests/foundation/GalleryFile.h"
#include "tests/foundation/NativePainterFixture.h"
#include "tests/support/FormDescription.h"
#include "widgets/editors/cxButtons.h"
#include "widgets/editors/cxRadioGroup.h"

#include <gtest/gtest.h>

namespace {

TEST(ButtonGroupLayout, ColumnsRowsAndRectangles) {
  // Five items asked in four columns: three columns of two rows.
  EXPECT_EQ(cxButtonGroupColumnCount(5, 4), 3);
  EXPECT_EQ(cxButtonGroupRowCount(5, 3), 2);
  EXPECT_EQ(cxButtonGroupColumnCount(3, 5), 3);
  EXPECT_EQ(cxButtonGroupColumnCount(4, 0), 1);
  // No items: no columns, no rows, no rectangles, whatever was asked.
  EXPECT_EQ(cxButtonGroupColumnCount(0, 3), 0);
  EXPECT_EQ(cxButtonGroupRowCount(0, 0), 0);
  EXPECT_TRUE(cxButtonGroupItemRects(0, 0, TRect{0, 0, 100, 50}, 6).empty());
  // Width 100 in 3 columns 6 apart: 29 each; height 51 in 2 rows: 25 each, one odd pixel
  // split (half of it, 0, above).
  const auto r = cxButtonGroupItemRects(5, 3, TRect{10, 20, 110, 71}, 6);
  ASSERT_EQ(r.size(), 5u);
  EXPECT_EQ(r[0], (TRect{10, 20, 39, 45}));
  EXPECT_EQ(r[1], (TRect{10, 45, 39, 70}));
  EXPECT_EQ(r[2], (TRect{45, 20, 74, 45}));
  EXPECT_EQ(r[4], (TRect{80, 20, 109, 45}));
  // Three rows in 13 pixels: 4 each, the one left over kept below (half of 1 is 0); in 14,
  // one of the two goes above.
  EXPECT_EQ(cxButtonGroupItemRects(3, 1, TRect{0, 0, 10, 14}, 0)[0], (TRect{0, 1, 10, 5}));
  // A box too small for the spacing gets empty columns, never negative ones.
  EXPECT_EQ(cxButtonGroupItemRects(2, 2, TRect{0, 0, 4, 10}, 6)[1].Width(), 0);
}

TEST(ButtonGroupLayout, ButtonStyleInPlaceByKindStandingByBorder) {
  using K = TcxLookAndFeelKind;
  using B = TcxEditBorderStyle;
  using S = TcxEditButtonStyle;
  EXPECT_EQ(cxButtonGroupButtonStyle(true, K::lfFlat, B::ebs3D), S::btsFlat);
  EXPECT_EQ(cxButtonGroupButtonStyle(true, K::lfStandard, B::ebsFlat), S::bts3D);
  EXPECT_EQ(cxButtonGroupButtonStyle(false, K::lfFlat, B::ebsNone), S::bts3D);
  EXPECT_EQ(cxButtonGroupButtonStyle(false, K::lfStandard, B::ebsSingle), S::btsFlat);
  EXPECT_EQ(cxButtonGroupButtonStyle(false, K::lfStandard, B::ebsThick), S::btsFlat);
  EXPECT_EQ(cxButtonGroupButtonStyle(false, K::lfFlat, B::ebsOffice11), S::btsOffice11);
}

class RadioGroup : public EditorsTest {
 protected:
  void SetUp() override {
    EditorsTest::SetUp();
    form = TForm::CreateNew(Application);
    form->SetBounds(100, 100, 400, 300);
    group = New<TcxRadioGroup>(form);
    group->SetBounds(10, 10, 185, 105);
    group->SetCaption("&Level");
    group->SetParent(form);
    outside = New<TcxButton>(form);
    outside->SetBounds(250, 10, 80, 24);
    outside->SetParent(form);
  }
  void TearDown() override {
    form->Free();
    EditorsTest::TearDown();
  }
  TcxRadioGroupProperties* P() { return group->GetProperties(); }
  void AddItems(std::initializer_list<const char*> captions) {
    for (const char* c : captions)
      static_cast<TcxRadioGroupItem*>(P()->GetItems()->Add())->SetCaption(c);
  }
  TcxRadioGroupItem* Item(int i) { return P()->Item(i); }
  std::string Checked() {
    std::string s;
    for (int i = 0; i < group->ButtonCount(); ++i) s += group->RadioButton(i)->GetChecked() ? '1' : '0';
    return s;
  }
  void ShowFocusingOutside() {
    form->Show();
    outside->SetFocus();
    Pump();
  }
  TForm* form = nullptr;
  TcxRadioGroup* group = nullptr;
  TcxButton* outside = nullptr;
};

TEST_F(RadioGroup, DefaultsAndOneButtonPerItemPlacedInItsRectangle) {
  EXPECT_TRUE(group->GetTabStop());
  EXPECT_FALSE(group->ControlStyle().Contains(TControlStyleItem::csAcceptsControls));
  EXPECT_EQ(group->GetItemIndex(), -1);
  EXPECT_EQ(P()->GetColumns(), 1);
  P()->SetColumns(0);
  EXPECT_EQ(P()->GetColumns(), 1);
  // Empty: no buttons, nothing laid out.
  EXPECT_EQ(group->ButtonCount(), 0);
  EXPECT_TRUE(group->ItemRects().empty());
  P()->SetColumns(4);
  AddItems({"a", "b", "c", "d", "e"});
  ASSERT_EQ(group->ButtonCount(), 5);
  const TRect client = group->ItemArea();
  const auto rects = group->ItemRects();
  EXPECT_EQ(rects, cxButtonGroupItemRects(5, 3, client, 6));
  for (int i = 0; i < 5; ++i) {
    EXPECT_EQ(group->Buttons(i)->GetBoundsRect(), rects[size_t(i)]) << i;
    EXPECT_EQ(group->RadioButton(i)->GetCaption(), Item(i)->GetCaption());
  }
  // One more item makes one more button and keeps the others.
  TWinControl* first = group->Buttons(0);
  AddItems({"f"});
  EXPECT_EQ(group->ButtonCount(), 6);
  EXPECT_EQ(group->Buttons(0), first);
  // Removing the middle one frees its own button.
  TWinControl* fourth = group->Buttons(3);
  P()->GetItems()->Delete(2);
  ASSERT_EQ(group->ButtonCount(), 5);
  EXPECT_EQ(group->Buttons(2), fourth);
  EXPECT_EQ(group->RadioButton(2)->GetCaption(), "d");
  // Disabling one item disables its button alone; disabling the group, all.
  Item(1)->SetEnabled(false);
  EXPECT_FALSE(group->Buttons(1)->GetEnabled());
  EXPECT_TRUE(group->Buttons(0)->GetEnabled());
  // The background and drag kind pass on to the buttons.
  group->SetParentBackground(false);
  group->SetDragKind(TDragKind::dkDock);
  P()->NotifyChanged();
  EXPECT_FALSE(group->RadioButton(1)->GetParentBackground());
  EXPECT_EQ(group->RadioButton(1)->GetDragKind(), TDragKind::dkDock);
  group->SetEnabled(false);
  P()->NotifyChanged();
  for (int i = 0; i < 5; ++i) EXPECT_FALSE(group->Buttons(i)->GetEnabled()) << i;
  // All items gone: an empty group lays out and paints without fault.
  P()->GetItems()->Clear();
  EXPECT_EQ(group->ButtonCount(), 0);
  form->Show();
  Pump();
}

TEST_F(RadioGroup, ValuesMapToItemsBothWays) {
  AddItems({"Easy", "Hard", "Hard", "Expert"});
  P()->SetDefaultCaption("none");
  P()->SetDefaultValue(Variant(-1));
  // Items without values match by caption, in exact case; the first of equal captions wins.
  group->SetEditValue(Variant(String("Hard")));
  EXPECT_EQ(Checked(), "0100");
  EXPECT_EQ(group->GetItemIndex(), 1);
  group->SetEditValue(Variant(String("hard")));
  EXPECT_EQ(Checked(), "0000");
  EXPECT_EQ(group->GetDisplayText(), "none");
  // An item with a value matches by value alone, never by its caption.
  Item(3)->SetValue(Variant(7));
  group->SetEditValue(Variant(String("Expert")));
  EXPECT_EQ(group->GetItemIndex(), -1);
  group->SetEditValue(Variant(7));
  EXPECT_EQ(group->GetItemIndex(), 3);
  EXPECT_EQ(group->GetDisplayText(), "Expert");
  group->SetEditValue(Variant(7.0));
  EXPECT_EQ(group->GetItemIndex(), 3) << "variant equality";
  // Values that cannot stand for an item: Null and Empty (not even for an empty caption),
  // text against a number, an array.
  AddItems({""});
  group->SetEditValue(Variant::MakeNull());
  EXPECT_EQ(group->GetItemIndex(), -1);
  group->SetEditValue(Variant());
  EXPECT_EQ(group->GetItemIndex(), -1);
  group->SetEditValue(Variant(String("")));
  EXPECT_EQ(group->GetItemIndex(), 4) << "an empty text is the empty caption";
  P()->GetItems()->Delete(4);
  Item(0)->SetValue(Variant(1));
  group->SetEditValue(Variant(String("x")));
  EXPECT_EQ(group->GetItemIndex(), -1);
  group->SetEditValue(VarArrayOf({Variant(1)}));
  EXPECT_EQ(group->GetItemIndex(), -1);
  // ItemIndex sets the item's value (its caption without one) and is clamped.
  group->SetItemIndex(10);
  EXPECT_EQ(Checked(), "0001");
  EXPECT_EQ(group->GetEditValue(), Variant(7));
  group->SetItemIndex(1);
  EXPECT_EQ(VarToStr(group->GetEditValue()), "Hard");
  group->SetItemIndex(-5);
  EXPECT_EQ(Checked(), "0000");
  EXPECT_EQ(group->GetEditValue(), Variant(-1));
  group->SetItemIndex(0);
  group->Clear();
  EXPECT_EQ(group->GetItemIndex(), -1);
}

// Items edited while one is checked: one that still stands for the value stays checked
// wherever it moves; the checked item renamed, given a value or removed keeps the index and
// gives the group the value of the item there.
TEST_F(RadioGroup, ItemsEditedAroundTheCheckedItemKeepItsIndexOrItsValue) {
  AddItems({"a", "b", "c"});
  group->SetItemIndex(1);
  static_cast<TcxRadioGroupItem*>(P()->GetItems()->Insert(0))->SetCaption("z");  // z a b c
  EXPECT_EQ(Checked(), "0010");
  Item(3)->SetIndex(0);  // c z a b
  EXPECT_EQ(Checked(), "0001");
  EXPECT_EQ(VarToStr(group->GetEditValue()), "b");
  Item(3)->SetCaption("B");
  EXPECT_EQ(Checked(), "0001");
  EXPECT_EQ(VarToStr(group->GetEditValue()), "B");
  EXPECT_EQ(group->GetDisplayText(), "B");
  Item(3)->SetValue(Variant(5));
  EXPECT_EQ(Checked(), "0001");
  EXPECT_EQ(group->GetEditValue(), Variant(5));
  P()->GetItems()->Delete(3);  // c z a: the index held to the last item
  EXPECT_EQ(Checked(), "001");
  EXPECT_EQ(VarToStr(group->GetEditValue()), "a");
  // Nothing checked stays unchecked.
  group->SetItemIndex(-1);
  Item(0)->SetCaption("y");
  EXPECT_EQ(Checked(), "000");
  EXPECT_TRUE(VarIsNull(group->GetEditValue()));
}

// The buttons follow the group without being told: disabling it disables them all (the
// disabled item stays disabled when it is enabled again), and a caption moved to the left
// side moves every button into the room left for the items.
TEST_F(RadioGroup, ButtonsFollowTheGroupsEnabledStateAndCaptionSide) {
  AddItems({"a", "b", "c"});
  Item(2)->SetEnabled(false);
  form->Show();
  Pump();
  group->SetEnabled(false);
  Pump();
  EXPECT_FALSE(group->Buttons(0)->GetEnabled());
  EXPECT_FALSE(group->Buttons(1)->GetEnabled());
  group->SetEnabled(true);
  Pump();
  EXPECT_TRUE(group->Buttons(0)->GetEnabled());
  EXPECT_FALSE(group->Buttons(2)->GetEnabled());
  const TRect top = group->Buttons(0)->GetBoundsRect();
  group->SetAlignment(TcxCaptionAlignment::alLeftTop);
  Pump();
  const auto rects = group->ItemRects();
  ASSERT_NE(rects[0], top);
  for (int i = 0; i < 3; ++i) EXPECT_EQ(group->Buttons(i)->GetBoundsRect(), rects[size_t(i)]) << i;
  EXPECT_GT(rects[0].Left, top.Left) << "the caption now stands left of the items";
}

TEST_F(RadioGroup, ClickArrowsTabAndAccelerator) {
  P()->SetColumns(2);
  AddItems({"a", "b", "c", "d", "e"});  // columns a b c | d e
  ShowFocusingOutside();
  int changes = 0;
  struct TCount : TObject {
    int* n;
    void Changed(TObject*) { ++*n; }
  } count;
  count.n = &changes;
  P()->OnChange = TNotifyEvent(&count, &TCount::Changed);
  // A click checks the item and sets the value.
  TWinControl* b = group->Buttons(1);
  host().Click(b->Handle(), 20, b->GetHeight() / 2);
  Pump();
  EXPECT_EQ(Checked(), "01000");
  EXPECT_EQ(VarToStr(group->GetEditValue()), "b");
  EXPECT_EQ(changes, 1);
  ASSERT_TRUE(b->Focused());
  // Right and Left jump a column; Down at the foot of a column or past the last item, Right
  // without a neighbour and Up at the top stay. The arrow checks what it focuses.
  const struct {
    int key, index;
  } steps[] = {{VK_DOWN, 2}, {VK_DOWN, 2},  {VK_RIGHT, 2}, {VK_UP, 1}, {VK_RIGHT, 4},
               {VK_DOWN, 4}, {VK_LEFT, 1}, {VK_UP, 0},    {VK_UP, 0}};
  for (const auto& k : steps) {
    host().Key(k.key);
    Pump();
    EXPECT_TRUE(group->Buttons(k.index)->Focused()) << k.key << " to " << k.index;
    EXPECT_EQ(group->GetItemIndex(), k.index) << k.key;
  }
  // Tab leaves the group; Shift+Tab comes back to the checked item.
  host().Key(VK_TAB);
  Pump();
  EXPECT_TRUE(outside->Focused());
  host().KeyDown(VK_SHIFT);
  host().Key(VK_TAB);
  host().KeyUp(VK_SHIFT);
  Pump();
  EXPECT_TRUE(group->Buttons(0)->Focused());
  // The caption's accelerator from outside focuses the first tab stop inside: the checked item.
  group->SetItemIndex(3);
  outside->SetFocus();
  Pump();
  host().Char('l');
  Pump();
  EXPECT_TRUE(group->Buttons(3)->Focused());
  EXPECT_EQ(group->GetItemIndex(), 3);
  EXPECT_TRUE(group->IsFocused()) << "a focused button counts as the group's focus";
}

// An item checked by the program while a button has the focus takes the focus with it: the
// arrows step from the item shown, as on entering the group. Nothing checked leaves the focus.
TEST_F(RadioGroup, AnItemCheckedByTheProgramTakesTheFocusFromTheFocusedButton) {
  AddItems({"a", "b", "c", "d", "e"});
  ShowFocusingOutside();
  group->SetFocus();
  Pump();
  ASSERT_TRUE(group->Buttons(0)->Focused());
  host().Key(VK_DOWN);
  Pump();
  ASSERT_TRUE(group->Buttons(1)->Focused());
  group->SetItemIndex(3);
  EXPECT_TRUE(group->Buttons(3)->Focused());
  host().Key(VK_DOWN);
  Pump();
  EXPECT_EQ(group->GetItemIndex(), 4);
  group->SetEditValue(Variant("a"));
  EXPECT_TRUE(group->Buttons(0)->Focused());
  host().Key(VK_DOWN);
  Pump();
  EXPECT_EQ(group->GetItemIndex(), 1);
  group->SetItemIndex(-1);
  EXPECT_TRUE(group->Buttons(1)->Focused());
  // Unfocused, the group keeps away from the focus.
  outside->SetFocus();
  Pump();
  group->SetItemIndex(2);
  EXPECT_TRUE(outside->Focused());
}

TEST_F(RadioGroup, ViewHoldsEachItemAndPlacesItsGlyph) {
  P()->SetColumns(2);
  AddItems({"a", "b", "c"});
  Item(2)->SetEnabled(false);
  group->SetItemIndex(1);
  form->Show();
  Pump();
  auto* info = dynamic_cast<TcxCustomRadioGroupViewInfo*>(group->ViewInfo());
  ASSERT_NE(info, nullptr);
  ASSERT_EQ(info->ButtonCount(), 3);
  const auto rects = group->ItemRects();
  using BS = TcxEditButtonState;
  const BS states[] = {BS::ebsNormal, BS::ebsPressed, BS::ebsDisabled};
  for (int i = 0; i < 3; ++i) {
    EXPECT_EQ(info->Button(i)->Bounds, rects[size_t(i)]) << i;
    EXPECT_EQ(info->Button(i)->Column, i / 2) << i;
    EXPECT_EQ(info->Button(i)->Row, i % 2) << i;
    EXPECT_EQ(info->Button(i)->State, states[i]) << i;
  }
  EXPECT_EQ(info->DownIndex, 1);
  // Where the view paints a glyph itself (the pixels are checked per look below).
  const TPoint size = info->Painter->RadioButtonSize();
  const TRect g0 = info->GlyphRect(0, TSize{size.X, size.Y});
  EXPECT_EQ(g0.Left, rects[0].Left + 1) << "one pixel right of a bordered box's item";
  EXPECT_EQ(g0.Top, rects[0].Top + (rects[0].Height() - size.Y) / 2);
}

TEST_F(RadioGroup, InPlaceStatesFollowThePressAndTransparencyTheFocus) {
  AddItems({"a", "b", "c"});
  auto* style = static_cast<TcxCustomEditStyle*>(group->GetStyle());
  Owned<TcxCustomEditViewData> vd(P()->CreateViewData(style, true));
  auto* bvd = static_cast<TcxButtonGroupViewData*>(vd.get());
  bvd->DownIndex = 2;
  Owned<TcxCustomEditViewInfo> owner(static_cast<TcxCustomEditViewInfo*>(P()->GetViewInfoClass().Create()));
  auto* info = static_cast<TcxButtonGroupViewInfo*>(owner.get());
  using BS = TcxEditButtonState;
  using MB = TcxMouseButton;
  const TShiftState left{TShiftStateItem::ssLeft}, right{TShiftStateItem::ssRight};
  std::string states;
  auto calc = [&](TPoint p, MB button, TShiftState shift, bool mouse) {
    vd->Calculate(*canvas, TRect{0, 0, 185, 105}, p, button, shift, info, mouse);
    states.clear();
    for (int i = 0; i < info->ButtonCount(); ++i)
      states += "NHPD"[info->Button(i)->State == BS::ebsSelected  ? 1
                       : info->Button(i)->State == BS::ebsPressed ? 2
                       : info->Button(i)->State == BS::ebsDisabled ? 3
                                                                   : 0];
  };
  calc({-1, -1}, MB::cxmbNone, {}, false);
  ASSERT_EQ(info->ButtonCount(), 3);
  auto centre = [&](int i) {
    const TRect r = info->Button(i)->Bounds;
    return TPoint{(r.Left + r.Right) / 2, (r.Top + r.Bottom) / 2};
  };
  EXPECT_EQ(states, "NNP") << "the down item is pressed wherever the mouse is";
  EXPECT_EQ(info->PressedIndex, 2);
  EXPECT_TRUE(info->IsButtonActive);
  calc(centre(0), MB::cxmbNone, {}, true);
  EXPECT_EQ(states, "HNP");
  EXPECT_EQ(info->HotIndex, 0);
  // Pressed on b, dragged off (b and the item under the mouse normal) and back (b pressed).
  calc(centre(1), MB::cxmbLeft, left, true);
  EXPECT_EQ(states, "NPP");
  EXPECT_EQ(info->PressedIndex, 1);
  EXPECT_EQ(info->CapturedIndex, 1);
  EXPECT_EQ(info->HotIndex, -1);
  calc(centre(0), MB::cxmbNone, left, true);
  EXPECT_EQ(states, "NNP");
  EXPECT_EQ(info->CapturedIndex, 1);
  calc(centre(1), MB::cxmbNone, left, true);
  EXPECT_EQ(states, "NPP");
  // A calculation not made for the mouse does not take the press over; nor does another button.
  calc(centre(1), MB::cxmbNone, left, false);
  EXPECT_EQ(states, "NNP");
  calc(centre(0), MB::cxmbRight, right, true);
  EXPECT_EQ(states, "NNP");
  // Read-only: never hot; disabled: all disabled.
  P()->SetReadOnly(true);
  calc(centre(0), MB::cxmbNone, {}, true);
  EXPECT_EQ(states, "NNP");
  EXPECT_EQ(info->HotIndex, -1);
  P()->SetReadOnly(false);
  vd->Enabled = false;
  calc(centre(0), MB::cxmbNone, {}, true);
  EXPECT_EQ(states, "DDD");
  vd->Enabled = true;
  // Transparency of the buttons: always, only while the editor is not focused, or never.
  using T = TcxEditButtonTransparency;
  const struct {
    T t;
    bool focused, transparent;
  } cases[] = {{T::ebtAlways, true, true}, {T::ebtInactive, false, true}, {T::ebtInactive, true, false},
               {T::ebtNone, false, false}};
  for (const auto& c : cases) {
    style->SetButtonTransparency(c.t);
    vd->Focused = c.focused;
    calc({-1, -1}, MB::cxmbNone, {}, false);
    for (int i = 0; i < 3; ++i) EXPECT_EQ(info->Button(i)->Transparent, c.transparent) << int(c.t) << c.focused;
  }
}

TEST_F(RadioGroup, FocusRectangleAroundTheFocusedItemsTextOnlyStanding) {
  AddItems({"a", "bb"});
  form->Show();
  Pump();
  auto* info = dynamic_cast<TcxCustomRadioGroupViewInfo*>(group->ViewInfo());
  ASSERT_NE(info, nullptr);
  info->HasChildButtons = false;
  info->BackgroundColor = clWhite;
  info->FocusedIndex = 1;
  auto paint = [&](PaperCanvas& paper, bool focused, bool inplace) {
    info->Focused = focused;
    info->IsInplace = inplace;
    info->Paint(paper.Cx());
  };
  PaperCanvas plain(185, 105), focused(185, 105), inplace(185, 105), inplaceFocused(185, 105);
  paint(plain, false, false);
  paint(focused, true, false);
  paint(inplace, false, true);
  paint(inplaceFocused, true, true);
  EXPECT_EQ(inplaceFocused.DiffersFrom(inplace), "") << "no focus rectangle in place";
  // The text's extent beside the glyph, one pixel larger.
  const TPoint size = info->Painter->RadioButtonSize();
  const TRect g = info->GlyphRect(1, TSize{size.X, size.Y});
  const TRect b = info->Button(1)->Bounds;
  TRect text{g.Right + 5, b.Top, b.Right - 1, b.Bottom};
  focused.Cx().SetFont(info->Font);
  focused.Cx().TextExtentInRect("bb", text, cxSingleLine | cxAlignLeft | cxAlignVCenter | cxShowPrefix);
  InflateRect(&text, 1, 1);
  TRect changed{1000, 1000, -1, -1};
  for (int y = 0; y < 105; ++y)
    for (int x = 0; x < 185; ++x)
      if (focused.Px(x, y) != plain.Px(x, y)) {
        changed.Left = std::min(changed.Left, x);
        changed.Top = std::min(changed.Top, y);
        changed.Right = std::max(changed.Right, x + 1);
        changed.Bottom = std::max(changed.Bottom, y + 1);
      }
  EXPECT_EQ(changed, text);
}

TEST_F(RadioGroup, MovedWhileTransparentRepaintsItsChildrenAtOnce) {
  AddItems({"a", "b"});
  form->Show();
  Pump();
  struct TSpy : TObject {
    TWndMethod Old;
    int Paints = 0;
    void Proc(TMessage& M) {
      if (M.Msg == WM_PAINT) ++Paints;
      Old(M);
    }
  } spy;
  TWinControl* b = group->Buttons(1);
  spy.Old = b->GetWindowProc();
  b->SetWindowProc(TWndMethod(&spy, &TSpy::Proc));
  group->SetLeft(group->GetLeft() + 3);
  EXPECT_EQ(spy.Paints, 0) << "opaque: painted later, as usual";
  Pump();
  group->SetTransparent(true);
  Pump();
  spy.Paints = 0;
  group->SetLeft(group->GetLeft() + 3);
  EXPECT_GT(spy.Paints, 0);
  b->SetWindowProc(spy.Old);
}

TEST_F(RadioGroup, FocusChangeAndParentBringTheButtonsUpToDate) {
  AddItems({"a", "b"});
  ShowFocusingOutside();
  group->Buttons(0)->SetEnabled(false);
  group->Buttons(1)->SetFocus();
  Pump();
  EXPECT_TRUE(group->Buttons(0)->GetEnabled());
  // The buttons' look by the group's border style, set once the group has a parent (before
  // one, the buttons were made without it and without an error).
  using K = TcxLookAndFeelKind;
  using B = TcxContainerBorderStyle;
  TForm* hidden = TForm::CreateNew(Application);  // no window yet: no creation updates them
  auto* loose = New<TcxRadioGroup>(hidden);
  loose->GetStyle()->SetBorderStyle(B::cbsUltraFlat);
  static_cast<TcxRadioGroupItem*>(loose->GetProperties()->GetItems()->Add())->SetCaption("x");
  ASSERT_EQ(loose->ButtonCount(), 1);
  loose->SetParent(hidden);
  EXPECT_FALSE(loose->HandleAllocated());
  EXPECT_EQ(loose->RadioButton(0)->GetLookAndFeel()->GetKind(), K::lfUltraFlat);
  const struct {
    B border;
    K kind;
  } cases[] = {{B::cbsFlat, K::lfFlat}, {B::cbs3D, K::lfStandard}, {B::cbsNone, K::lfStandard},
               {B::cbsOffice11, K::lfOffice11}, {B::cbsSingle, K::lfFlat}};
  for (const auto& c : cases) {
    loose->GetStyle()->SetBorderStyle(c.border);
    EXPECT_EQ(loose->RadioButton(0)->GetLookAndFeel()->GetKind(), c.kind) << int(c.border);
  }
  hidden->Free();
}

// Each look's radio glyph in each state, checked and not, where the view paints the items
// itself: the painter's own glyph at the item's place. The sheet goes to the gallery.
TEST_F(RadioGroup, GlyphOfEachLookAndStateInPlaceWithAGallery) {
  using K = TcxLookAndFeelKind;
  using BS = TcxEditButtonState;
  using PS = TcxButtonState;
  AddItems({"First", "Second"});
  group->SetCaption("Look");
  form->Show();
  Pump();
  const K looks[] = {K::lfStandard, K::lfFlat, K::lfUltraFlat, K::lfOffice11};
  const BS states[] = {BS::ebsNormal, BS::ebsSelected, BS::ebsPressed, BS::ebsDisabled};
  const PS painted[] = {PS::cxbsNormal, PS::cxbsHot, PS::cxbsPressed, PS::cxbsDisabled};
  constexpr int kW = 185, kH = 105;
  DecodedImage image;
  image.Width = int(std::size(states)) * 2 * kW;
  image.Height = int(std::size(looks)) * kH;
  image.Pixels.assign(size_t(image.Width) * size_t(image.Height), 0);
  for (size_t row = 0; row < std::size(looks); ++row) {
    group->GetStyle()->GetLookAndFeel()->SetKind(looks[row]);
    Pump();
    auto* info = dynamic_cast<TcxCustomRadioGroupViewInfo*>(group->ViewInfo());
    ASSERT_NE(info, nullptr);
    ASSERT_EQ(info->ButtonCount(), 2);
    info->HasChildButtons = false;
    info->IsInplace = true;
    info->BackgroundColor = clWhite;
    const TcxCustomLookAndFeelPainter* painter = info->Painter;
    ASSERT_EQ(painter, group->GetStyle()->GetLookAndFeel()->GetPainter());
    const TPoint size = painter->RadioButtonSize();
    for (size_t s = 0; s < std::size(states); ++s)
      for (int checked = 0; checked < 2; ++checked) {
        for (int i = 0; i < 2; ++i) info->Button(i)->NativeStyle = false;
        info->Button(0)->State = states[s];
        info->Button(1)->State = BS::ebsNormal;
        info->DownIndex = checked ? 0 : -1;
        info->CapturedIndex = states[s] == BS::ebsPressed ? 0 : -1;
        PaperCanvas paper(kW, kH);
        info->Paint(paper.Cx());
        const TRect g = info->GlyphRect(0, TSize{size.X, size.Y});
        PaperCanvas expected(kW, kH);
        expected.Cx().SetBrushColor(clWhite);
        expected.Cx().FillRect({0, 0, kW, kH});
        painter->DrawRadioButton(expected.Cx(), g.Left, g.Top, painted[s], checked != 0, false, clWhite);
        for (int y = g.Top; y < g.Bottom; ++y)
          for (int x = g.Left; x < g.Right; ++x)
            ASSERT_EQ(paper.Px(x, y), expected.Px(x, y))
                << "look " << row << " state " << s << " checked " << checked << " at " << x << "," << y;
        // The unchecked second item keeps the normal glyph whatever the first one shows.
        const TRect g1 = info->GlyphRect(1, TSize{size.X, size.Y});
        PaperCanvas second(kW, kH);
        second.Cx().SetBrushColor(clWhite);
        second.Cx().FillRect({0, 0, kW, kH});
        painter->DrawRadioButton(second.Cx(), g1.Left, g1.Top, PS::cxbsNormal, false, false, clWhite);
        for (int y = g1.Top; y < g1.Bottom; ++y)
          for (int x = g1.Left; x < g1.Right; ++x) ASSERT_EQ(paper.Px(x, y), second.Px(x, y)) << row << s;
        for (int y = 0; y < kH; ++y)
          for (int x = 0; x < kW; ++x)
            image.Pixels[size_t((int(row) * kH + y) * image.Width + (int(s) * 2 + checked) * kW + x)] =
                PixelFromColor(paper.Px(x, y));
      }
  }
  WriteGalleryPng(image, "radio-group-looks.png");
}

TEST_F(RadioGroup, ContentSizeFromCaptionsAndColumns) {
  group->GetStyle()->GetFont()->SetName(kTestFaceName);
  group->GetStyle()->GetFont()->SetHeight(-10);
  Owned<TcxCustomEditViewData> vd(P()->CreateViewData(static_cast<TcxCustomEditStyle*>(group->GetStyle()), false));
  canvas->SetFont(group->GetStyle()->GetFont());
  const int zg = canvas->TextHeight("Zg");
  TcxEditSizeProperties free;
  // Empty: no width, one text line.
  TSize size = vd->GetEditContentSize(*canvas, Variant(), free);
  EXPECT_EQ(size.cx, 0);
  EXPECT_EQ(size.cy, zg + 2);
  P()->SetColumns(2);
  AddItems({"ab", "abcdef", "a"});
  const TPoint glyph = group->GetStyle()->GetLookAndFeel()->GetPainter()->RadioButtonSize();
  const int column = canvas->TextWidth("abcdef") + glyph.X + 5;
  size = vd->GetEditContentSize(*canvas, Variant(), free);
  EXPECT_EQ(size.cx, 2 * column + 6 + 4);
  EXPECT_EQ(size.cy, 2 * std::max(glyph.Y, zg + 2));
}

TEST_F(RadioGroup, ButtonsTakeTheStyleAndPassTheirMouseToTheGroup) {
  AddItems({"a", "b", "c"});
  Item(2)->SetEnabled(false);
  group->SetColor(clYellow);
  group->GetStyle()->GetFont()->SetName(kTestFaceName);
  group->GetStyle()->SetTextColor(clRed);
  group->GetStyleDisabled()->SetTextColor(clGray);
  EXPECT_EQ(group->Buttons(0)->GetColor(), clYellow);
  EXPECT_EQ(group->Buttons(1)->GetFont()->GetName(), kTestFaceName);
  EXPECT_EQ(group->Buttons(1)->GetFont()->GetColor(), clRed);
  EXPECT_EQ(group->Buttons(2)->GetFont()->GetColor(), clGray) << "a disabled item's text";
  struct TDowns : TObject {
    void Down(TObject* Sender, TMouseButton, TShiftState, Integer X, Integer Y) {
      At = {X, Y};
      Routed = static_cast<TcxCustomButtonGroup*>(Sender)->IsButtonMouseDown();
    }
    TPoint At{-1, -1};
    bool Routed = false;
  } downs;
  group->OnMouseDown = TMouseEvent(&downs, &TDowns::Down);
  form->Show();
  Pump();
  TWinControl* b = group->Buttons(1);
  host().Click(b->Handle(), 7, 3);
  Pump();
  EXPECT_EQ(downs.At, (TPoint{b->GetLeft() + 7, b->GetTop() + 3})) << "in the group's coordinates";
  EXPECT_TRUE(downs.Routed);
  // Activated by a press, the group hands it to the button under it.
  TcxCustomEditData* data = nullptr;
  const TRect r0 = group->Buttons(0)->GetBoundsRect();
  group->ActivateByMouse({TShiftStateItem::ssLeft}, r0.Left + 2, r0.Bottom - 2, data);
  EXPECT_EQ(group->RadioButton(0)->GetVisualState(), TcxRadioButtonState::rbsPressed);
  EXPECT_NE(group->RadioButton(1)->GetVisualState(), TcxRadioButtonState::rbsPressed);
  group->ActivateByMouse({}, r0.Left + 2, r0.Bottom - 2, data);
  Pump();
  EXPECT_EQ(group->GetItemIndex(), 0);
  if (data) data->Free();
}

TEST_F(RadioGroup, PostedFocusMessageAndWindowDescription) {
  AddItems({"a", "b"});
  ShowFocusingOutside();
  PostMessageA(group->Handle(), TL_MSG_FOCUS_BUTTON, 1, 0);
  PostMessageA(group->Handle(), TL_MSG_FOCUS_BUTTON, 9, 0);  // no such item: ignored
  Pump();
  EXPECT_TRUE(group->Buttons(1)->Focused());

  const char* text =
      "object Dialog: TForm\n"
      "  object g: TcxRadioGroup\n"
      "    Caption = 'Size'\n"
      "    ItemIndex = 1\n"
      "    Properties.Columns = 2\n"
      "    Properties.DefaultValue = 'none'\n"
      "    Properties.Items = <\n"
      "      item Caption = 'Small' end\n"
      "      item Caption = 'Large' Value = 2 end>\n"
      "  end\n"
      "end\n";
  TForm* dialog = TForm::CreateNew(Application);
  ReadDescription(text, dialog);
  auto* g = dynamic_cast<TcxRadioGroup*>(dialog->FindComponent("g"));
  ASSERT_NE(g, nullptr);
  EXPECT_EQ(g->GetProperties()->GetColumns(), 2);
  ASSERT_EQ(g->ButtonCount(), 2);
  // The stored index wins over the default value applied first.
  EXPECT_EQ(g->GetItemIndex(), 1);
  EXPECT_EQ(g->GetEditValue(), Variant(2));
  dialog->Free();
  TcxRegisteredClasses* r = GetRegisteredEditProperties();
  EXPECT_EQ(r->GetNameByClass(&TcxRadioGroupProperties::StaticClass()), "RadioGroup");
  EXPECT_EQ(r->GetDescriptionByClass(&TcxRadioGroupProperties::StaticClass()), "Represents a group of radio buttons");
}

}  // namespace
