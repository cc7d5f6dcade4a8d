#include "classlib/visual/Clipbrd.h"
#include "classlib/visual/StdCtrls.h"
#include "platform/gdi/Font.h"
#include "tests/classlib/visual/VisualTestClasses.h"
#include "tests/support/AppTest.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>

namespace {

class TCtlSink : public TObject {
  TL_CLASS(TCtlSink, TObject)
 public:
  void Changed(TObject*) { Log().push_back("change"); }
  void Clicked(TObject* Sender) { Log().push_back("click " + dynamic_cast<TComponent*>(Sender)->GetName()); }
  // Paints each item in a colour of its own, and remembers where.
  void DrawItem(TWinControl* Control, Integer Index, TRect Rect, TOwnerDrawState State) {
    auto* list = static_cast<TCustomListBox*>(Control);
    Log().push_back("draw " + std::to_string(Index) + (State.Contains(TOwnerDrawStateItem::odSelected) ? " selected" : ""));
    Rects[Index] = Rect;
    list->Canvas()->Brush()->SetColor(TColor(0x000010 * (Index + 1)));
    list->Canvas()->FillRect(Rect);
  }
  void Measure(TWinControl*, Integer Index, Integer& Height) { Height = 10 + Index * 5; }
  void Data(TWinControl*, Integer Index, String& Text) { Text = "row " + std::to_string(Index); }
  void DataObject(TWinControl*, Integer Index, TObject*& Obj) { Obj = Index == 3 ? this : nullptr; }
  std::map<Integer, TRect> Rects;
};

class StdCtrlsTest : public AppTest {
 protected:
  void SetUp() override {
    AppTest::SetUp();
    Log().clear();
    sink_.reset(New<TCtlSink>());
    Application->CreateForm(form_);
    form_->SetBounds(100, 100, 400, 300);
  }
  void TearDown() override {
    sink_.reset();
    AppTest::TearDown();
  }
  template <class T>
  T* Add(const char* Name, Integer L, Integer T_, Integer W, Integer H) {
    T* c = New<T>(form_);
    c->SetName(Name);
    c->SetBounds(L, T_, W, H);
    c->SetParent(form_);
    return c;
  }
  void ShowForm() {
    form_->Show();
    host().PumpUntilIdle();
    Log().clear();
  }
  String WindowText(HWND h) {
    char buf[256] = {};
    GetWindowTextA(h, buf, sizeof buf);
    return buf;
  }
  TForm* form_ = nullptr;
  Owned<TCtlSink> sink_;
};

// ---- Buttons and modal dialogs ------------------------------------------------------------

TEST_F(StdCtrlsTest, ModalDialogsReturnTheButtonsResults) {
  ShowForm();
  TForm* dlg = TForm::CreateNew(Application);
  dlg->SetBorderStyle(TFormBorderStyle::bsDialog);
  dlg->SetBounds(0, 0, 240, 120);
  auto* ok = New<TButton>(dlg);
  ok->SetName("ok");
  ok->SetBounds(10, 10, 70, 24);
  ok->SetDefault(true);
  ok->SetModalResult(mrOk);
  ok->SetParent(dlg);
  auto* cancel = New<TButton>(dlg);
  cancel->SetName("cancel");
  cancel->SetBounds(90, 10, 70, 24);
  cancel->SetCancel(true);
  cancel->SetModalResult(mrCancel);
  cancel->SetParent(dlg);
  auto* edit = New<TEdit>(dlg);
  edit->SetBounds(10, 50, 100, 21);
  edit->SetParent(dlg);
  dlg->SetActiveControl(edit);
  ok->OnClick = TNotifyEvent(sink_.get(), &TCtlSink::Clicked);
  cancel->OnClick = TNotifyEvent(sink_.get(), &TCtlSink::Clicked);

  // Enter in the edit presses the default button; Escape the cancel button.
  host().WhenIdle([&] {
    edit->SetFocus();
    host().Key(VK_RETURN);
  });
  EXPECT_EQ(dlg->ShowModal(), mrOk);
  EXPECT_EQ(Joined(), "click ok");

  // The default look follows the focus: a focused button takes Enter from the default one.
  Log().clear();
  DWORD okStyle = 0, cancelStyle = 0;
  host().WhenIdle([&] {
    edit->SetFocus();
    okStyle = DWORD(GetWindowLongA(ok->Handle(), GWL_STYLE)) & BS_TYPEMASK;
    cancel->SetFocus();
    cancelStyle = DWORD(GetWindowLongA(cancel->Handle(), GWL_STYLE)) & BS_TYPEMASK;
    host().Key(VK_RETURN);
  });
  EXPECT_EQ(dlg->ShowModal(), mrCancel);
  EXPECT_EQ(okStyle, BS_DEFPUSHBUTTON);
  EXPECT_EQ(cancelStyle, BS_DEFPUSHBUTTON);
  EXPECT_EQ(Joined(), "click cancel");
}

// ---- Edits ----------------------------------------------------------------------------------

TEST_F(StdCtrlsTest, AnEditsTextSelectionAndChangesGoThroughTheWindow) {
  auto* e = Add<TEdit>("edit", 10, 10, 150, 21);
  e->SetText("Hello");  // kept until the window exists
  e->OnChange = TNotifyEvent(sink_.get(), &TCtlSink::Changed);
  ShowForm();
  EXPECT_EQ(WindowText(e->Handle()), "Hello");

  e->SetFocus();
  e->SetSelStart(1);
  e->SetSelLength(3);
  EXPECT_EQ(e->GetSelText(), "ell");
  Log().clear();
  host().Text("ipp");
  Pump();
  EXPECT_EQ(e->GetText(), "Hippo");
  EXPECT_TRUE(e->GetModified());
  EXPECT_EQ(Log().back(), "change");
  e->Undo();
  EXPECT_EQ(e->GetText(), "Hello");

  e->SelectAll();
  e->SetSelText("Bye");
  EXPECT_EQ(e->GetText(), "Bye");
  e->SelectAll();
  e->CopyToClipboard();
  EXPECT_EQ(Clipboard->GetAsText(), "Bye");
  e->CutToClipboard();
  EXPECT_EQ(e->GetText(), "");
  e->PasteFromClipboard();
  EXPECT_EQ(e->GetText(), "Bye");

  // The limit holds for typing; setting it negative is refused.
  e->Clear();
  e->SetMaxLength(4);
  host().Text("abcdefg");
  Pump();
  EXPECT_EQ(e->GetText(), "abcd");
  EXPECT_THROW(e->SetMaxLength(-1), EInvalidOperation);
}

TEST_F(StdCtrlsTest, AnEditKeepsItsStateWhenItsWindowIsMadeAgain) {
  auto* e = Add<TEdit>("edit", 10, 10, 150, 21);
  ShowForm();
  e->SetFocus();
  host().Text("secret");
  Pump();
  EXPECT_TRUE(e->GetModified());
  HWND before = e->Handle();
  e->SetPasswordChar('*');  // needs a new window
  EXPECT_NE(e->Handle(), before);
  EXPECT_EQ(e->GetText(), "secret");
  EXPECT_EQ(SendMessageA(e->Handle(), EM_GETPASSWORDCHAR, 0, 0), '*');
  // The new window has the control's font from the start, not the platform's.
  EXPECT_EQ(HFONT(SendMessageA(e->Handle(), WM_GETFONT, 0, 0)), e->GetFont()->GetHandle());
  e->SetModified(false);
  e->SetCharCase(TEditCharCase::ecUpperCase);
  EXPECT_EQ(e->GetText(), "SECRET");
}

TEST_F(StdCtrlsTest, TabbingIntoAnEditSelectsItsText) {
  auto* first = Add<TEdit>("first", 10, 10, 100, 21);
  auto* second = Add<TEdit>("second", 10, 40, 100, 21);
  second->SetText("whole");
  ShowForm();
  first->SetFocus();
  host().Key(VK_TAB);
  Pump();
  ASSERT_TRUE(second->Focused());
  EXPECT_EQ(second->GetSelLength(), 5);
  second->SetAutoSelect(false);
  second->SetSelStart(0);
  first->SetFocus();
  host().Key(VK_TAB);
  Pump();
  EXPECT_EQ(second->GetSelLength(), 0);
}

// ---- List boxes -----------------------------------------------------------------------------

TEST_F(StdCtrlsTest, AListBoxMirrorsItsItemsIntoTheWindow) {
  auto* l = Add<TListBox>("list", 10, 10, 120, 100);
  l->GetItems()->Add("one");
  l->GetItems()->Add("two");
  l->SetItemIndex(1);
  ShowForm();
  HWND h = l->Handle();
  l->GetItems()->Insert(0, "zero");
  l->GetItems()->Delete(2);
  l->GetItems()->SetStrings(1, "ONE");
  ASSERT_EQ(SendMessageA(h, LB_GETCOUNT, 0, 0), 2);
  char buf[32] = {};
  SendMessageA(h, LB_GETTEXT, 1, reinterpret_cast<LPARAM>(buf));
  EXPECT_STREQ(buf, "ONE");

  // Sorted: existing and new items in order, in the list and in the window.
  l->SetSorted(true);
  l->GetItems()->Add("m");
  EXPECT_EQ(l->GetItems()->GetCommaText(), "m,ONE,zero");

  // Items and selection survive a new window.
  l->SetItemIndex(2);
  l->SetBorderStyle(TBorderStyle::bsNone);
  EXPECT_EQ(SendMessageA(l->Handle(), LB_GETCOUNT, 0, 0), 3);
  EXPECT_EQ(l->GetItemIndex(), 2);

  EXPECT_THROW(l->SetItemIndex(3), EListError);
  EXPECT_THROW(l->SetCount(10), EInvalidOperation);
  l->Clear();
  EXPECT_EQ(l->GetItemIndex(), -1);
}

// In a sorted list a replaced item moves to its new place and, when selected, stays selected.
TEST_F(StdCtrlsTest, ASortedListBoxKeepsAReplacedItemSelected) {
  auto* l = Add<TListBox>("sorted", 10, 10, 120, 100);
  l->SetSorted(true);
  for (const char* s : {"b", "d", "f"}) l->GetItems()->Add(s);
  l->SetItemIndex(0);
  l->GetItems()->SetStrings(0, "e");
  EXPECT_EQ(l->GetItems()->GetCommaText(), "d,e,f");
  EXPECT_EQ(l->GetItemIndex(), 1);
  // The same with a window.
  ShowForm();
  l->GetItems()->SetStrings(1, "a");
  EXPECT_EQ(l->GetItems()->GetCommaText(), "a,d,f");
  EXPECT_EQ(l->GetItemIndex(), 0);
  EXPECT_EQ(SendMessageA(l->Handle(), LB_GETCURSEL, 0, 0), 0);
  // Replacing another item leaves the selection on its own item.
  l->GetItems()->SetStrings(2, "c");
  EXPECT_EQ(l->GetItems()->GetCommaText(), "a,c,d");
  EXPECT_EQ(l->GetItemIndex(), 0);
}

TEST_F(StdCtrlsTest, AListBoxWithoutAWindowKeepsItsSelectionInStep) {
  TListBox* l = New<TListBox>(form_);
  for (const char* s : {"a", "b", "c"}) l->GetItems()->Add(s);
  l->SetItemIndex(2);
  l->GetItems()->Delete(0);
  EXPECT_EQ(l->GetItemIndex(), 1);  // still "c"
  l->GetItems()->Delete(1);
  EXPECT_EQ(l->GetItemIndex(), -1);
  l->SetItemIndex(0);
  // Switching to the virtual style hides the stored items; switching back shows them.
  l->SetStyle(TListBoxStyle::lbVirtual);
  EXPECT_EQ(l->GetCount(), 0);
  l->SetStyle(TListBoxStyle::lbStandard);
  EXPECT_EQ(l->GetItems()->GetCommaText(), "b");
  l->Free();
}

TEST_F(StdCtrlsTest, ClickingAnItemSelectsItAndFiresOnClick) {
  auto* l = Add<TListBox>("list", 10, 10, 120, 100);
  l->SetBorderStyle(TBorderStyle::bsNone);
  for (const char* s : {"a", "b", "c"}) l->GetItems()->Add(s);
  l->OnClick = TNotifyEvent(sink_.get(), &TCtlSink::Clicked);
  ShowForm();
  TRect r = l->ItemRect(1);
  host().Click(l->Handle(), r.Left + 3, r.Top + 2);
  Pump();
  EXPECT_EQ(l->GetItemIndex(), 1);
  EXPECT_EQ(Joined(), "click list");
}

TEST_F(StdCtrlsTest, AnOwnerDrawListBoxDrawsThroughOnDrawItem) {
  auto* l = Add<TListBox>("list", 10, 10, 120, 60);
  l->SetBorderStyle(TBorderStyle::bsNone);
  l->SetStyle(TListBoxStyle::lbOwnerDrawFixed);
  l->SetItemHeight(20);
  for (const char* s : {"a", "b", "c", "d", "e"}) l->GetItems()->Add(s);
  l->OnDrawItem = TDrawItemEvent(sink_.get(), &TCtlSink::DrawItem);
  ShowForm();
  l->Repaint();
  // Only the three items that fit are drawn, each in its own rectangle.
  ASSERT_EQ(sink_->Rects.size(), 3u);
  for (Integer i = 0; i < 3; ++i) {
    TRect r = l->ItemRect(i);
    EXPECT_EQ(sink_->Rects[i], r) << i;
    // Pixels are 0x00RRGGBB; the item colours are pure red levels.
    EXPECT_EQ(host().PixelAt(l->Handle(), r.Left + 5, r.Top + 5), Pixel(0x10 * (i + 1)) << 16) << i;
  }
  EXPECT_EQ(l->ItemAtPos(TPoint{5, 200}, true), -1);
  EXPECT_EQ(l->ItemAtPos(TPoint{5, 200}, false), 5);

  // The selected item is drawn with the selected state.
  Log().clear();
  l->SetItemIndex(3);
  l->Repaint();
  EXPECT_NE(std::find(Log().begin(), Log().end(), "draw 3 selected"), Log().end());
  EXPECT_THROW(l->SetItemHeight(0), EInvalidOperation);
}

TEST_F(StdCtrlsTest, AVariableOwnerDrawListBoxMeasuresEachItem) {
  auto* l = Add<TListBox>("list", 10, 10, 120, 100);
  l->SetStyle(TListBoxStyle::lbOwnerDrawVariable);
  l->OnMeasureItem = TMeasureItemEvent(sink_.get(), &TCtlSink::Measure);
  ShowForm();
  for (const char* s : {"a", "b", "c"}) l->GetItems()->Add(s);
  for (Integer i = 0; i < 3; ++i) {
    TRect r = l->ItemRect(i);
    EXPECT_EQ(r.Bottom - r.Top, 10 + i * 5) << i;
  }
  EXPECT_EQ(l->ItemAtPos(TPoint{3, 12}, true), 1);
}

TEST_F(StdCtrlsTest, AVirtualListBoxAsksForItsItems) {
  auto* l = Add<TListBox>("list", 10, 10, 120, 100);
  l->SetStyle(TListBoxStyle::lbVirtual);
  l->OnData = TLBGetDataEvent(sink_.get(), &TCtlSink::Data);
  l->SetCount(1000);
  ShowForm();
  EXPECT_EQ(l->GetCount(), 1000);
  EXPECT_EQ(l->GetItems()->Strings(567), "row 567");
  EXPECT_THROW(l->GetItems()->Strings(1000), EListError);
  EXPECT_THROW(l->GetItems()->Add("x"), EInvalidOperation);
  EXPECT_THROW(l->SetCount(-1), EInvalidOperation);
  EXPECT_EQ(l->GetItems()->Objects(3), nullptr);  // no object handler
  l->OnDataObject = TLBGetDataObjectEvent(sink_.get(), &TCtlSink::DataObject);
  EXPECT_EQ(l->GetItems()->Objects(3), sink_.get());
  EXPECT_EQ(l->GetItems()->Objects(4), nullptr);
  l->SetCount(10);
  EXPECT_EQ(SendMessageA(l->Handle(), LB_GETCOUNT, 0, 0), 10);
}

TEST_F(StdCtrlsTest, AMultipleSelectionIsKeptWithAndWithoutAWindow) {
  auto* l = Add<TListBox>("list", 10, 10, 120, 100);
  l->SetBorderStyle(TBorderStyle::bsNone);
  l->GetFont()->SetSize(20);
  l->SetMultiSelect(true);
  l->SetExtendedSelect(false);
  for (const char* s : {"a", "b", "c", "d"}) l->GetItems()->Add(s);
  l->SetSelected(0, true);
  l->SetSelected(3, true);
  l->GetItems()->Insert(0, "z");  // the selection moves with its items
  EXPECT_EQ(l->GetSelCount(), 2);
  ShowForm();
  HWND h = l->Handle();
  EXPECT_NE(GetWindowLongA(h, GWL_STYLE) & LBS_MULTIPLESEL, 0);
  EXPECT_EQ(SendMessageA(h, LB_GETSEL, 1, 0), 1);
  EXPECT_EQ(SendMessageA(h, LB_GETSEL, 4, 0), 1);
  // A click toggles one item and leaves the others.
  const TRect first = l->ItemRect(0);
  TRect r = l->ItemRect(2);
  host().Click(h, r.Left + 3, r.Top + 2);
  Pump();
  EXPECT_TRUE(l->GetSelected(2));
  EXPECT_TRUE(l->GetSelected(1));
  EXPECT_EQ(l->GetItemIndex(), 2);  // the caret
  host().Advance(1000);  // not a double click
  host().Click(h, r.Left + 3, r.Top + 2);
  Pump();
  EXPECT_FALSE(l->GetSelected(2));

  // Extended selection: a new window with the same items selected; a plain click selects one.
  l->SetExtendedSelect(true);
  EXPECT_NE(l->Handle(), h);
  EXPECT_NE(GetWindowLongA(l->Handle(), GWL_STYLE) & LBS_EXTENDEDSEL, 0);
  EXPECT_EQ(l->ItemRect(0), first) << "the new window measures its items in the control's font";
  EXPECT_EQ(l->GetSelCount(), 2);
  EXPECT_TRUE(l->GetSelected(4));
  r = l->ItemRect(0);
  host().Click(l->Handle(), r.Left + 3, r.Top + 2);
  Pump();
  EXPECT_EQ(l->GetSelCount(), 1);
  EXPECT_TRUE(l->GetSelected(0));

  l->SelectAll();
  EXPECT_EQ(l->GetSelCount(), 5);
  l->SetItemIndex(3);  // the one selected item, and the caret
  EXPECT_EQ(l->GetSelCount(), 1);
  EXPECT_EQ(l->GetItemIndex(), 3);
  l->ClearSelection();
  EXPECT_EQ(l->GetSelCount(), 0);
  EXPECT_THROW(l->GetSelected(5), EListError);

  // Back to a single selection: SelectAll leaves it alone, Selected follows ItemIndex.
  l->SetMultiSelect(false);
  l->SetItemIndex(1);
  l->SelectAll();
  EXPECT_EQ(l->GetSelCount(), 1);
  EXPECT_TRUE(l->GetSelected(1));
  l->SetSelected(1, false);
  EXPECT_EQ(l->GetItemIndex(), -1);
}

TEST_F(StdCtrlsTest, AListBoxPassesColumnsTabsAndScrollWidthToItsWindow) {
  auto* l = Add<TListBox>("list", 10, 10, 120, 100);
  l->SetBorderStyle(TBorderStyle::bsNone);
  l->SetScrollWidth(300);
  ShowForm();
  EXPECT_EQ(SendMessageA(l->Handle(), LB_GETHORIZONTALEXTENT, 0, 0), 300);
  // Wider than the list: the horizontal bar scrolls the items sideways, up to the extent.
  SendMessageA(l->Handle(), WM_HSCROLL, SB_RIGHT, 0);
  EXPECT_EQ(GetScrollPos(l->Handle(), SB_HORZ), 300 - l->GetClientWidth());
  const Integer barred = l->GetClientHeight();
  l->SetScrollWidth(0);
  EXPECT_GT(l->GetClientHeight(), barred) << "no bar without a wider extent";
  EXPECT_EQ(GetScrollPos(l->Handle(), SB_HORZ), 0);
  l->SetScrollWidth(300);
  l->SetColumns(3);
  EXPECT_NE(GetWindowLongA(l->Handle(), GWL_STYLE) & LBS_MULTICOLUMN, 0);
  // The items run down each column, then on in the next, a third of the width each.
  for (int i = 0; i < 40; ++i) l->GetItems()->Add(std::to_string(i));
  const Integer ih = l->GetItemHeight(), rows = l->GetClientHeight() / ih, cw = l->GetClientWidth() / 3;
  ASSERT_GT(rows, 1);
  EXPECT_EQ(l->ItemRect(rows + 1), (TRect{cw, ih, 2 * cw, 2 * ih}));
  EXPECT_EQ(l->ItemAtPos(TPoint{2 * cw + 1, 1}, true), 2 * rows);
  SendMessageA(l->Handle(), WM_HSCROLL, SB_LINERIGHT, 0);  // a whole column at a time
  EXPECT_EQ(l->GetTopIndex(), rows);
  EXPECT_EQ(GetScrollPos(l->Handle(), SB_HORZ), 1);
  l->SetItemIndex(0);
  EXPECT_EQ(l->GetTopIndex(), 0);
  l->SetFocus();
  host().Key(VK_RIGHT);  // the next column's item
  Pump();
  EXPECT_EQ(l->GetItemIndex(), rows);
  l->SetColumns(0);
  l->Clear();
  l->GetItems()->Add("\tW");
  // Where the W after the tab starts: the first column of the row with a stroke of ink.
  auto inkFrom = [&] {
    l->Repaint();
    const TRect r = l->ItemRect(0);
    for (Integer x = 0; x < r.Right; ++x) {
      int dark = 0;
      for (Integer y = r.Top; y < r.Bottom; ++y) dark += (host().PixelAt(l->Handle(), x, y) & 0xFF) < 0x80;
      if (dark >= 3) return x;
    }
    return Integer(-1);
  };
  const Integer plain = inkFrom();
  l->SetTabWidth(8);  // dialog units: two average characters
  EXPECT_NE(GetWindowLongA(l->Handle(), GWL_STYLE) & LBS_USETABSTOPS, 0);
  const Integer tabbed = inkFrom();
  ASSERT_GT(tabbed, 0);
  TEXTMETRICA tm;
  HDC dc = GetDC(nullptr);
  HGDIOBJ old = SelectObject(dc, l->GetFont()->GetHandle());
  GetTextMetricsA(dc, &tm);
  SelectObject(dc, old);
  ReleaseDC(nullptr, dc);
  EXPECT_GE(tabbed, 2 + 2 * tm.tmAveCharWidth - 1);
  EXPECT_LT(tabbed, 2 + 3 * tm.tmAveCharWidth);
  EXPECT_NE(tabbed, plain);
  EXPECT_EQ(l->GetScrollWidth(), 300);  // kept through the new windows
  l->SetColumns(-2);
  EXPECT_EQ(l->GetColumns(), 0);
  EXPECT_EQ(GetWindowLongA(l->Handle(), GWL_STYLE) & LBS_MULTICOLUMN, 0);
}

}  // namespace

TL_DEFINE_CLASS(TCtlSink)
