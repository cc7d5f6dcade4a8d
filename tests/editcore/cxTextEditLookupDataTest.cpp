// Lookup data over the lookup items: incremental search with completion, the not-found rule
// per editing style, stepping with wrap and pages, the current key; and the drop-down list in
// a popup: opened, scrolled by the wheel, chosen from by key and by mouse, searched by typing
// on the virtual clock, closed by a click elsewhere.
#include "platform/host/HeadlessHost.h"
#include "tests/editcore/TextEditTestSupport.h"
#include "widgets/foundation/cxContainerPopup.h"

#include <string>

namespace {

using ES = TcxEditEditingStyle;

class TextEditLookupDataTest : public TextEditTest {
 protected:
  void SetUp() override {
    TextEditTest::SetUp();
    edit = New<TTestTextEdit>(nullptr);
    lookup = edit->Lookup;
  }
  void TearDown() override {
    if (form) form->Free();
    if (!form) edit->Free();
    TextEditTest::TearDown();
  }
  void Items(std::initializer_list<const char*> items) {
    for (const char* s : items) edit->Properties->GetLookupItems()->Add(s);
  }
  void Numbered(int n) {
    for (int i = 0; i < n; ++i) edit->Properties->GetLookupItems()->Add("item " + std::to_string(i));
  }
  // Goes from item AFrom (or none) and answers where the current item ends up.
  Integer GoFrom(Integer AFrom, Integer ADirection, bool AWrap) {
    lookup->SetCurrentKey(AFrom < 0 ? Variant::MakeNull() : Variant(AFrom));
    lookup->Go(ADirection, AWrap);
    return lookup->GetCurrentIndex();
  }

  // The editor on a form, its popup below it holding the lookup data's list, another control
  // to click elsewhere.
  void OpenDropDown(bool captureFocus) {
    form = New<TForm>(nullptr, Integer(0));
    form->SetBounds(100, 100, 400, 400);
    edit->SetBounds(10, 10, 150, 24);
    form->InsertComponent(edit);
    edit->SetParent(form);
    other = New<TButton>(form);
    other->SetBounds(10, 300, 100, 30);
    other->SetParent(form);
    form->Show();
    Pump();
    popup = New<TcxCustomPopupWindow>(edit);
    popup->SetCaptureFocus(captureFocus);
    if (!captureFocus) popup->SetParentWindow(GetDesktopWindow());
    popup->SetModal(false);
    popup->SetOwnerParent(form);
    popup->SetOwnerBounds({10, 10, 160, 34});
    lookup->DropDown();
    lookup->Initialize(popup);
    list = lookup->GetList();
    ASSERT_NE(list, nullptr);
    rowHeight = list->GetItemHeight();
    popup->SetBounds(0, 0, 160, list->GetHeight(8) + 10);
    list->HandleNeeded();
    lookup->PositionVisualArea({0, 0, 150, list->GetHeight(8)});
    popup->Popup(captureFocus ? list : nullptr);
    Pump();
  }
  void Wheel(int delta) {
    const TPoint p = list->ClientToScreen({10, 10});
    SendMessageA(list->GetHandle(), WM_MOUSEWHEEL, MAKEWPARAM(0, WORD(SHORT(delta))), MAKELPARAM(p.X, p.Y));
    Pump();
  }
  void SetWheelLines(UINT lines) {
    SystemParametersInfoA(SPI_SETWHEELSCROLLLINES, lines, nullptr, SPIF_SENDCHANGE);
    Pump();
  }
  void Type(Byte ch) {
    host().Char(ch);
    Pump();
  }

  TTestTextEdit* edit = nullptr;
  TcxCustomTextEditLookupData* lookup = nullptr;
  TForm* form = nullptr;
  TButton* other = nullptr;
  TcxCustomPopupWindow* popup = nullptr;
  TcxCustomEditListBox* list = nullptr;
  Integer rowHeight = 0;
};

TEST_F(TextEditLookupDataTest, LocateCompletesAPrefixInTheItemsOwnCaseWithoutWrapping) {
  Items({"Apple", "ABC", "abd"});
  String text = "ab", tail;
  EXPECT_TRUE(lookup->Locate(text, tail, false, false));
  EXPECT_EQ(lookup->GetCurrentIndex(), 1);
  EXPECT_EQ(text, "AB");
  EXPECT_EQ(tail, "C");
  text = "ab";
  EXPECT_TRUE(lookup->Locate(text, tail, true, false)) << "the next match after the list's item";
  EXPECT_EQ(lookup->GetCurrentIndex(), 2);
  EXPECT_EQ(tail, "d");
  text = "ab";
  EXPECT_FALSE(lookup->Locate(text, tail, true, false)) << "no wrap to the items before";
  EXPECT_EQ(lookup->GetCurrentIndex(), -1) << "the plain style resets";
  text = "";
  EXPECT_FALSE(lookup->Locate(text, tail, false, false)) << "an empty text matches nothing";
  // A list position left behind by removed items finds nothing instead of reading past them.
  lookup->SetCurrentKey(Variant(2));
  edit->Properties->GetLookupItems()->Delete(2);
  text = "a";
  EXPECT_FALSE(lookup->Locate(text, tail, true, false));
  edit->Properties->GetLookupItems()->Add("abd");
  lookup->SetCurrentKey(Variant(2));
  edit->Properties->GetLookupItems()->Delete(2);
  lookup->Go(cxLookupGoNext, false);
  EXPECT_EQ(lookup->GetCurrentIndex(), 0) << "a stale position counts as none";
  edit->Properties->GetLookupItems()->Add("abd");

  // An exact request compares whole items only with the switch on.
  edit->Properties->SetLookupExactMatch(true);
  text = "abc";
  EXPECT_TRUE(lookup->Locate(text, tail, false, true));
  EXPECT_EQ(lookup->GetCurrentIndex(), 1);
  EXPECT_EQ(tail, "");
  text = "ab";
  EXPECT_FALSE(lookup->Locate(text, tail, false, true));
  EXPECT_EQ(lookup->GetCurrentIndex(), -1);
  EXPECT_EQ(lookup->IndexOf("APPLE"), 0);
  EXPECT_TRUE(lookup->ItemExists("abD"));
}

TEST_F(TextEditLookupDataTest, NotFoundKeepsOrResetsTheCurrentItemByEditingStyle) {
  struct Row {
    ES style;
    bool exact;
    const char* text;
    bool emptyItem;
    Integer after;
  };
  for (Row r : {Row{ES::esEdit, false, "zz", false, -1},      Row{ES::esNoEdit, false, "zz", false, -1},
                Row{ES::esEditList, false, "zz", false, 1},   Row{ES::esEditList, true, "zz", false, -1},
                Row{ES::esEditList, false, "", false, -1},    Row{ES::esEditList, false, "", true, 1},
                Row{ES::esFixedList, false, "zz", false, 1},  Row{ES::esFixedList, true, "zz", false, -1}}) {
    SCOPED_TRACE(testing::Message() << Ord(r.style) << r.exact << "'" << r.text << "'" << r.emptyItem);
    edit->Properties->GetLookupItems()->Clear();
    Items({"Apple", "ABC", "abd"});
    if (r.emptyItem) Items({""});
    edit->Properties->FixedStyle = r.style;
    lookup->SetCurrentKey(Variant(1));
    String text = r.text, tail;
    EXPECT_FALSE(lookup->Locate(text, tail, false, r.exact));
    EXPECT_EQ(lookup->GetCurrentIndex(), r.after);
  }
  edit->Properties->GetLookupItems()->Clear();
  String text = "a", tail;
  EXPECT_FALSE(lookup->Locate(text, tail, false, false)) << "no items";
  EXPECT_TRUE(lookup->IsEmpty());
}

TEST_F(TextEditLookupDataTest, GoStepsWrapsAndPages) {
  Numbered(20);
  struct Row {
    Integer from, direction;
    bool wrap;
    Integer to;
  };
  for (Row r : {Row{5, cxLookupGoFirst, false, 0},     Row{5, cxLookupGoLast, false, 19},
                Row{19, cxLookupGoNext, false, 19},    Row{19, cxLookupGoNext, true, 0},
                Row{0, cxLookupGoPrior, false, 0},     Row{0, cxLookupGoPrior, true, 19},
                Row{-1, cxLookupGoPageDown, false, 7}, Row{3, cxLookupGoPageDown, false, 10},
                Row{15, cxLookupGoPageDown, false, 19}, Row{19, cxLookupGoPageDown, true, 0},
                Row{10, cxLookupGoPageUp, false, 3},   Row{5, cxLookupGoPageUp, true, 0},
                Row{0, cxLookupGoPageUp, true, 19},    Row{-1, cxLookupGoPageUp, true, 19},
                Row{-1, cxLookupGoPageUp, false, -1}}) {
    SCOPED_TRACE(testing::Message() << r.from << " dir " << r.direction << " wrap " << r.wrap);
    EXPECT_EQ(GoFrom(r.from, r.direction, r.wrap), r.to);
  }
  GoFrom(5, cxLookupGoLast, false);
  EXPECT_EQ(edit->Text, "item 19") << "the editor takes the item's text";
  // Pages of fewer than two rows still move by a row.
  for (Integer page : {1, 0}) {
    edit->Properties->PageSize = page;
    EXPECT_EQ(GoFrom(3, cxLookupGoPageDown, false), 4) << page;
    EXPECT_EQ(GoFrom(3, cxLookupGoPageUp, false), 2) << page;
  }
  // An editor that refuses editing only moves the list's selection.
  edit->Properties->PageSize = 8;
  lookup->SetCurrentKey(Variant(2));
  edit->CanEdit = false;
  lookup->Go(cxLookupGoNext, false);
  EXPECT_EQ(lookup->GetCurrentIndex(), 2);
  EXPECT_EQ(static_cast<TcxCustomTextEditLookupData*>(lookup)->GetListItemIndex(), 3);
  edit->Properties->GetLookupItems()->Clear();
  lookup->Go(cxLookupGoLast, true);
  EXPECT_EQ(lookup->GetCurrentIndex(), 2) << "no items: nothing moves";
}

TEST_F(TextEditLookupDataTest, CurrentKeyTellsAChangeOnlyWhenTheTextDiffers) {
  Items({"Red", "Green", "Blue"});
  edit->Text = "Green";
  lookup->SetCurrentKey(Variant(1));
  EXPECT_EQ(edit->KeyChanges, 0) << "the editor already shows the item";
  EXPECT_TRUE(edit->Selecting);
  lookup->SetCurrentKey(Variant(2));
  EXPECT_EQ(edit->KeyChanges, 1);
  EXPECT_EQ(edit->Text, "Blue");
  lookup->SetCurrentKey(Variant(2));
  EXPECT_EQ(edit->KeyChanges, 1) << "the same key";
  lookup->SetCurrentKey(Variant(7));
  EXPECT_EQ(lookup->GetCurrentIndex(), 2) << "a key outside the items is ignored";
  String text = "x";
  lookup->GetDisplayText(Variant(7), text);
  EXPECT_EQ(text, "");
  lookup->GetDisplayText(Variant::MakeNull(), text);
  EXPECT_EQ(text, "");
  lookup->GetDisplayText(Variant(0), text);
  EXPECT_EQ(text, "Red");
  // The editor's text finds its item again.
  edit->Text = "red";
  EXPECT_TRUE(lookup->SyncWithEditText());
  EXPECT_EQ(lookup->GetCurrentIndex(), 0);
}

TEST_F(TextEditLookupDataTest, DropDownOpensScrollsChoosesAndClosesOnAClickElsewhere) {
  Numbered(20);
  edit->Text = "item 2";
  SetWheelLines(3);
  OpenDropDown(true);
  ASSERT_TRUE(popup->IsShown());
  EXPECT_EQ(list->GetParent(), popup);
  EXPECT_EQ(list->GetItems()->Count(), 20);
  EXPECT_EQ(list->GetItemIndex(), 2) << "the list starts at the editor's item";
  EXPECT_EQ(list->GetClientHeight(), 8 * rowHeight);

  // The wheel: three lines, none, and the one-page setting as one page step.
  Wheel(-WHEEL_DELTA);
  EXPECT_EQ(list->GetTopIndex(), 3);
  SetWheelLines(0);
  Wheel(-WHEEL_DELTA);
  EXPECT_EQ(list->GetTopIndex(), 3);
  SetWheelLines(WHEEL_PAGESCROLL);
  Wheel(-WHEEL_DELTA);
  EXPECT_EQ(list->GetTopIndex(), 3 + 7) << "one page: the platform list pages by its rows less one";
  Wheel(WHEEL_DELTA);
  EXPECT_EQ(list->GetTopIndex(), 3);
  SetWheelLines(3);

  // By key: the editor hands its arrow keys to the list; the selection follows, Enter commits.
  SendMessageA(list->GetHandle(), WM_KEYDOWN, VK_DOWN, 0);
  Pump();
  EXPECT_EQ(list->GetItemIndex(), 3);
  EXPECT_EQ(lookup->GetCurrentIndex(), 2) << "moving through the list leaves the text alone";
  lookup->SelectItem();
  EXPECT_EQ(lookup->GetCurrentIndex(), 3);
  EXPECT_EQ(edit->Text, "item 3");

  // Hot tracking follows the mouse; a click chooses.
  host().MouseMove(list->GetHandle(), 20, rowHeight * 5 + 2);
  Pump();
  EXPECT_EQ(list->GetItemIndex(), list->GetTopIndex() + 5);
  host().Click(list->GetHandle(), 20, rowHeight * 6 + 2);
  Pump();
  const Integer clicked = list->GetTopIndex() + 6;
  EXPECT_EQ(list->GetItemIndex(), clicked);
  EXPECT_EQ(static_cast<TcxCustomTextEditLookupData*>(lookup)->GetListItemIndex(), clicked);
  lookup->SelectItem();
  EXPECT_EQ(edit->Text, "item " + std::to_string(clicked));
  EXPECT_TRUE(popup->IsShown()) << "a click inside the list keeps it open";
  EXPECT_TRUE(lookup->IsMouseOverList());

  // The text before the caret moves the list's selection only; new items reach the shown list.
  lookup->TextChanged("ITEM 1");
  EXPECT_EQ(list->GetItemIndex(), 1);
  EXPECT_EQ(lookup->GetCurrentIndex(), clicked);
  edit->Properties->GetLookupItems()->Add("item 20");
  lookup->RefreshList();
  EXPECT_EQ(list->GetItems()->Count(), 21);

  host().Click(other->GetHandle(), 5, 5);
  Pump();
  EXPECT_FALSE(popup->IsShown());
  EXPECT_FALSE(lookup->IsMouseOverList());
  lookup->CloseUp();
  EXPECT_EQ(static_cast<TcxCustomTextEditLookupData*>(lookup)->GetListItemIndex(), clicked);
}

TEST_F(TextEditLookupDataTest, ListItemsAreDrawnFromTheItemsInTheEditorsColour) {
  Items({"Wide item", "", "Other"});
  edit->GetStyle()->SetColor(clYellow);
  edit->Text = "Other";
  OpenDropDown(false);
  ASSERT_EQ(list->GetItemIndex(), 2);
  auto px = [&](int x, int y) { return host().PixelAt(list->GetHandle(), x, y) & 0xFFFFFF; };
  auto rgb = [](TColor c) {
    const COLORREF v = ColorToRGB(c);
    return Pixel(((v & 0xFF) << 16) | (v & 0xFF00) | ((v >> 16) & 0xFF));
  };
  auto inked = [&](int row, int x0, int x1) {
    int n = 0;
    for (int y = row * rowHeight; y < (row + 1) * rowHeight; ++y)
      for (int x = x0; x < x1; ++x) n += px(x, y) != rgb(clYellow) ? 1 : 0;
    return n;
  };
  EXPECT_EQ(px(0, rowHeight / 2), rgb(clYellow));
  EXPECT_EQ(inked(0, 0, 2), 0) << "the text keeps two pixels from the leading edge";
  EXPECT_GT(inked(0, 2, 60), 0) << "the item's text is drawn";
  EXPECT_EQ(inked(1, 0, 150), 0) << "an empty item draws nothing";
  EXPECT_EQ(px(0, 2 * rowHeight + 1), rgb(clHighlight)) << "the selected item";
}

TEST_F(TextEditLookupDataTest, TypingInTheListSearchesOnTheVirtualClock) {
  Items({"Apple", "banana", "Blueberry", "cherry", "Bluebell"});
  OpenDropDown(true);
  ASSERT_TRUE(list->Focused());
  auto listIndex = [&] { return static_cast<TcxCustomTextEditLookupData*>(lookup)->GetListItemIndex(); };
  Type('b');
  EXPECT_EQ(list->GetItemIndex(), 1);
  Type('L');  // any case
  EXPECT_EQ(list->GetItemIndex(), 2);
  EXPECT_EQ(listIndex(), 2) << "the lookup data follows the list";
  Type(VK_BACK);
  EXPECT_EQ(list->GetItemIndex(), 1) << "back to the first item that begins with b";
  host().Advance(TcxCustomInnerListBox::kDefaultAutoCompleteDelay + 1);
  Type(VK_BACK);
  EXPECT_EQ(list->GetItemIndex(), 1) << "after the delay there is nothing left to take back";
  Type('c');
  EXPECT_EQ(list->GetItemIndex(), 3) << "a new search";
  popup->ClosePopup();
  Pump();
}

}  // namespace
