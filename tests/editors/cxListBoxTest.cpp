// The library list box on a form: its items and owner drawing on the library canvas, multiple
// and extended selection, integral height, the library bars scrolling it, list messages sent
// to it, and the data binding that gates input and ties the selection to a value.
#include "widgets/editors/cxListBox.h"

#include "classlib/core/FormText.h"
#include "classlib/core/Streams.h"
#include "classlib/visual/Forms.h"
#include "platform/user/User.h"
#include "tests/support/AppTest.h"
#include "tests/support/FreedByHandlerTest.h"
#include "tests/support/FormDescription.h"
#include "widgets/editcore/EditcoreUnits.h"
#include "widgets/editors/EditorsUnits.h"
#include "widgets/foundation/FoundationUnits.h"
#include "widgets/foundation/cxControls.h"

#include <gtest/gtest.h>

#include <map>

namespace {

// A binding with a value of its own, counting resets.
class TTestBinding : public TcxDataBinding {
  TL_CLASS(TTestBinding, TcxDataBinding)
 public:
  using TcxDataBinding::TcxDataBinding;
  bool IsDataAvailable() override { return HasData; }
  Variant GetStoredValue() override { return Stored; }
  void SetStoredValue(const Variant& AValue) override { Stored = AValue; }
  void Reset() override { ++Resets; }
  bool HasData = true;
  Variant Stored;
  int Resets = 0;
};

class TBoundListBox : public TcxListBox {
  TL_CLASS(TBoundListBox, TcxListBox)
 public:
  using TcxListBox::TcxListBox;
  TcxDataBindingClass GetDataBindingClass() const override {
    return ClassOf<TTestBinding, TcxDataBinding, TcxListBox*>();
  }
  TTestBinding* Binding() const { return static_cast<TTestBinding*>(DataBinding()); }
};

class TListSink : public TObject {
  TL_CLASS(TListSink, TObject)
 public:
  // Each item in a red level of its own.
  void Draw(TcxListBox* AControl, TcxCanvas* ACanvas, Integer AIndex, TRect ARect, TOwnerDrawState AState) {
    Control = AControl;
    Canvas = ACanvas;
    Rects[AIndex] = ARect;
    if (AState.Contains(TOwnerDrawStateItem::odSelected)) Selected = AIndex;
    ACanvas->SetBrushColor(TColor(0x000010 * (AIndex + 1)));
    ACanvas->Canvas()->FillRect(ARect);
  }
  void Measure(TcxListBox* AControl, Integer AIndex, Integer& Height) {
    Control = AControl;
    Height = MeasureZero ? 0 : 10 + AIndex * 4;
  }
  void Clicked(TObject*) { ++Clicks; }
  void Down(TObject*, TMouseButton, TShiftState, Integer, Integer) { ++Downs; }

  TcxListBox* Control = nullptr;
  TcxCanvas* Canvas = nullptr;
  std::map<Integer, TRect> Rects;
  Integer Selected = -1;
  bool MeasureZero = false;
  int Clicks = 0, Downs = 0;
};

}  // namespace

TL_DEFINE_CLASS(TTestBinding)
TL_DEFINE_CLASS(TBoundListBox)
TL_DEFINE_CLASS(TListSink)

namespace {

class ListBoxTest : public AppTest {
 protected:
  void SetUp() override {
    AppTest::SetUp();
    WidgetsFoundationInitialize();
    WidgetsEditcoreInitialize();
    WidgetsEditorsInitialize();
    cxControls::Initialize();
    sink.reset(New<TListSink>());
    form = TCustomForm::CreateNew(nullptr);
    form->SetBounds(40, 40, 400, 300);
    form->Show();
    host().PumpUntilIdle();
  }
  void TearDown() override {
    form->Free();
    host().PumpUntilIdle();
    sink.reset();
    cxControls::Finalize();
    WidgetsEditorsFinalize();
    WidgetsEditcoreFinalize();
    WidgetsFoundationFinalize();
    AppTest::TearDown();
  }
  template <class T = TcxListBox>
  T* Add(std::initializer_list<const char*> items = {}) {
    auto* l = New<T>(form);
    l->SetBounds(10, 10, 150, 100);
    l->SetParent(form);
    for (const char* s : items) l->GetItems()->Add(s);
    host().PumpUntilIdle();
    return l;
  }
  void ClickItem(TcxListBox* l, Integer i) {
    TRect r = l->ItemRect(i);
    host().Advance(1000);  // never a double click
    host().MouseDown(l->InnerListBox()->Handle(), r.Left + 3, r.Top + 2);
    host().PumpUntilIdle();
    host().MouseUp(l->InnerListBox()->Handle(), r.Left + 3, r.Top + 2);
    host().PumpUntilIdle();
  }
  void Key(int vk) {
    host().Key(vk);
    host().PumpUntilIdle();
  }
  TCustomForm* form = nullptr;
  Owned<TListSink> sink;
};

TEST_F(ListBoxTest, ItemsAreTheInnerListsAndOwnerDrawingGoesToOnDrawItem) {
  TcxListBox* l = Add({"a", "b", "c", "d", "e", "f"});
  EXPECT_EQ(l->InnerListBox()->GetBorderStyle(), TBorderStyle::bsNone);
  EXPECT_EQ(SendMessageA(l->InnerListBox()->Handle(), LB_GETCOUNT, 0, 0), 6);
  l->SetListStyle(TListBoxStyle::lbOwnerDrawFixed);
  l->SetItemHeight(20);
  l->SetItemIndex(2);
  // Unassigned: the list draws its items itself, no handler is asked.
  l->InnerListBox()->Repaint();
  EXPECT_TRUE(sink->Rects.empty());

  l->OnDrawItem = TcxListBoxDrawItemEvent(sink.get(), &TListSink::Draw);
  l->InnerListBox()->Repaint();
  EXPECT_EQ(sink->Control, l);
  EXPECT_EQ(sink->Canvas, l->InnerListBox()->GetcxCanvas());
  EXPECT_EQ(sink->Selected, 2);
  // The items that show, the last one in part.
  ASSERT_EQ(Integer(sink->Rects.size()), (l->InnerListBox()->GetClientHeight() + 19) / 20);
  for (Integer i = 0; i < 3; ++i) {
    EXPECT_EQ(sink->Rects[i], l->ItemRect(i)) << i;
    EXPECT_EQ(host().PixelAt(l->InnerListBox()->Handle(), 5, sink->Rects[i].Top + 5), Pixel(0x10 * (i + 1)) << 16)
        << i;
  }

  // Variable heights come from the list box's own OnMeasureItem.
  sink->Control = nullptr;
  l->OnMeasureItem = TcxListBoxMeasureItemEvent(sink.get(), &TListSink::Measure);
  l->SetListStyle(TListBoxStyle::lbOwnerDrawVariable);
  host().PumpUntilIdle();
  EXPECT_EQ(sink->Control, l);
  for (Integer i = 0; i < 3; ++i) EXPECT_EQ(l->ItemRect(i).Height(), 10 + i * 4) << i;
  EXPECT_EQ(l->GetItemHeight(2), 18);
  l->SetListStyle(TListBoxStyle::lbOwnerDrawFixed);
  EXPECT_EQ(l->GetItemHeight(2), 20);
}

TEST_F(ListBoxTest, MultipleAndExtendedSelectionByMouse) {
  TcxListBox* l = Add({"a", "b", "c", "d"});
  l->OnClick = TNotifyEvent(sink.get(), &TListSink::Clicked);
  l->SetMultiSelect(true);  // extended by default
  ClickItem(l, 0);
  EXPECT_EQ(l->GetSelCount(), 1);
  host().KeyDown(VK_SHIFT);
  ClickItem(l, 2);
  host().KeyUp(VK_SHIFT);
  EXPECT_EQ(l->GetSelCount(), 3);
  host().KeyDown(VK_CONTROL);
  ClickItem(l, 1);
  host().KeyUp(VK_CONTROL);
  EXPECT_EQ(l->GetSelCount(), 2);
  EXPECT_FALSE(l->GetSelected(1));
  EXPECT_GE(sink->Clicks, 3);  // each change of selection reaches the list box as a click

  // Plain multiple selection: each click toggles its item alone.
  l->SetExtendedSelect(false);
  EXPECT_EQ(l->GetSelCount(), 2);
  ClickItem(l, 3);
  EXPECT_EQ(l->GetSelCount(), 3);
  ClickItem(l, 0);
  EXPECT_FALSE(l->GetSelected(0));
  EXPECT_TRUE(l->GetSelected(2));
}

TEST_F(ListBoxTest, IntegralHeightCutsToWholeItems) {
  TcxListBox* l = Add({"a", "b"});
  l->SetListStyle(TListBoxStyle::lbOwnerDrawFixed);
  l->SetItemHeight(13);
  const Integer frame = l->GetHeight() - l->InnerListBox()->GetHeight();
  ASSERT_GT(frame, 0);
  l->SetIntegralHeight(true);
  l->SetHeight(100);
  EXPECT_EQ(l->GetHeight(), frame + (100 - frame) / 13 * 13);
  EXPECT_EQ(l->InnerListBox()->GetHeight() % 13, 0);
  l->SetHeight(frame + 13 * 3 + 12);
  EXPECT_EQ(l->GetHeight(), frame + 13 * 3);

  // A horizontal bar, when the scroll width passes the client width, is counted in.
  const Integer bar = GetSystemMetrics(SM_CYHSCROLL);
  l->SetScrollWidth(1000);
  l->SetHeight(100);
  EXPECT_EQ(l->GetHeight(), frame + bar + (100 - frame - bar) / 13 * 13);
  l->SetScrollWidth(0);

  // Items that measure nothing leave the height alone rather than dividing by zero.
  sink->MeasureZero = true;
  l->OnMeasureItem = TcxListBoxMeasureItemEvent(sink.get(), &TListSink::Measure);
  l->SetListStyle(TListBoxStyle::lbOwnerDrawVariable);
  l->SetHeight(100);
  EXPECT_EQ(l->GetHeight(), 100);

  // An alignment that fixes the height wins.
  l->SetListStyle(TListBoxStyle::lbOwnerDrawFixed);
  l->SetAlign(TAlign::alLeft);
  host().PumpUntilIdle();
  EXPECT_EQ(l->GetHeight(), form->GetClientHeight());
}

TEST_F(ListBoxTest, TheLibraryBarsScrollTheList) {
  TcxListBox* l = Add();
  for (int i = 0; i < 30; ++i) l->GetItems()->Add("item " + std::to_string(i));
  host().PumpUntilIdle();
  TcxScrollBar* vbar = l->InnerListBox()->GetLibraryScrollBar(TScrollBarKind::sbVertical);
  ASSERT_TRUE(vbar->GetVisible());
  EXPECT_EQ(vbar->GetParent(), l);
  host().Click(vbar->Handle(), vbar->GetWidth() / 2, vbar->GetHeight() - 3);
  host().PumpUntilIdle();
  EXPECT_EQ(l->GetTopIndex(), 1);
  EXPECT_EQ(vbar->GetPosition(), 1);
  l->SetItemIndex(29);
  host().PumpUntilIdle();
  EXPECT_GT(l->GetTopIndex(), 1);
  EXPECT_EQ(vbar->GetPosition(), l->GetTopIndex());

  // A scroll width past the list's gives a horizontal library bar that scrolls it sideways.
  TcxScrollBar* hbar = l->InnerListBox()->GetLibraryScrollBar(TScrollBarKind::sbHorizontal);
  EXPECT_FALSE(hbar->GetVisible());
  l->SetScrollWidth(500);
  host().PumpUntilIdle();
  ASSERT_TRUE(hbar->GetVisible());
  host().Click(hbar->Handle(), hbar->GetWidth() - 3, hbar->GetHeight() / 2);
  host().PumpUntilIdle();
  const int pos = GetScrollPos(l->InnerListBox()->Handle(), SB_HORZ);
  EXPECT_GT(pos, 0);
  EXPECT_EQ(hbar->GetPosition(), pos);
}

TEST_F(ListBoxTest, ListMessagesSentToTheListBoxReachItsItems) {
  TcxListBox* l = Add({"b"});
  HWND h = l->Handle();
  EXPECT_EQ(SendMessageA(h, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>("a")), 1);
  EXPECT_EQ(SendMessageA(h, LB_INSERTSTRING, 0, reinterpret_cast<LPARAM>("z")), 0);
  EXPECT_EQ(l->GetItems()->GetCommaText(), "z,b,a");
  EXPECT_EQ(SendMessageA(h, LB_GETCOUNT, 0, 0), 3);
  EXPECT_EQ(SendMessageA(h, LB_INSERTSTRING, 9, reinterpret_cast<LPARAM>("q")), LB_ERR);
  SendMessageA(h, LB_SETCURSEL, 1, 0);
  EXPECT_EQ(l->GetItemIndex(), 1);
  EXPECT_EQ(SendMessageA(h, LB_DELETESTRING, 0, 0), 2);
  EXPECT_EQ(l->GetItems()->GetCommaText(), "b,a");
  SendMessageA(h, LB_RESETCONTENT, 0, 0);
  EXPECT_EQ(l->GetCount(), 0);
  EXPECT_EQ(SendMessageA(l->InnerListBox()->Handle(), LB_GETCOUNT, 0, 0), 0);
  l->SetListStyle(TListBoxStyle::lbVirtual);
  EXPECT_EQ(SendMessageA(h, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>("a")), LB_ERR);
}

TEST_F(ListBoxTest, TheBindingSelectsItsValueAndGatesInput) {
  auto* l = Add<TBoundListBox>({"apple", "banana", "cherry"});
  TTestBinding* b = l->Binding();
  b->Stored = "banana";
  b->DataChanged();
  EXPECT_EQ(l->GetItemIndex(), 1);
  b->Stored = "Banana";  // equal text only
  b->DataChanged();
  EXPECT_EQ(l->GetItemIndex(), -1);
  b->Stored = Null();
  l->UpdateData();
  EXPECT_TRUE(VarIsStr(b->Stored));
  EXPECT_EQ(VarToStr(b->Stored), "");
  l->SetItemIndex(2);
  b->UpdateData();
  EXPECT_EQ(VarToStr(b->Stored), "cherry");
  b->HasData = false;
  b->DataChanged();
  EXPECT_EQ(l->GetItemIndex(), -1);

  // Read-only: typing, navigation keys and presses leave the selection; Escape resets.
  l->SetItemIndex(0);
  l->SetReadOnly(true);
  l->OnMouseDown = TMouseEvent(sink.get(), &TListSink::Down);
  l->InnerListBox()->SetFocus();
  host().PumpUntilIdle();
  host().Char('c');
  host().PumpUntilIdle();
  Key(VK_DOWN);
  Key(VK_END);
  ClickItem(l, 2);
  EXPECT_EQ(l->GetItemIndex(), 0);
  EXPECT_EQ(sink->Downs, 1);
  Key(VK_ESCAPE);
  EXPECT_EQ(b->Resets, 1);
  l->SetReadOnly(false);
  Key(VK_DOWN);
  EXPECT_EQ(l->GetItemIndex(), 1);
  host().Char('c');
  host().PumpUntilIdle();
  EXPECT_EQ(l->GetItemIndex(), 2);
}

// A press on a read-only list focuses it and reports it: OnEnter or OnMouseDown may free the box.
TEST_F(ListBoxTest, AReadOnlyPressEndsWhereAHandlerFreesTheBox) {
  for (bool enter : {true, false}) {
    SCOPED_TRACE(enter ? "OnEnter" : "OnMouseDown");
    auto* l = Add({"apple", "banana"});
    l->SetReadOnly(true);
    TFreer freer;
    freer.Victim = l;
    if (enter)
      l->OnEnter = {&freer, &TFreer::HNotify};
    else
      l->OnMouseDown = {&freer, &TFreer::HMouse};
    TWeakLink link(l);
    const HWND h = l->InnerListBox()->Handle();
    const TRect r = l->ItemRect(1);
    host().Advance(1000);
    host().Click(h, r.Left + 3, r.Top + 2);
    host().PumpUntilIdle();
    EXPECT_FALSE(link.Alive());
    EXPECT_EQ(freer.Runs, 1);
    EXPECT_EQ(form->ComponentCount(), 0);
  }
}

TEST_F(ListBoxTest, ReadsItsItemsAndSettingsFromAFormText) {
  TcxListBox* l = Add();
  EXPECT_EQ(l->GetWidth(), 150);
  const String text =
      "object List1: TcxListBox\n"
      "  Height = 100\n"
      "  Items.Strings = (\n"
      "    'one'\n"
      "    'two')\n"
      "  ListStyle = lbOwnerDrawFixed\n"
      "  ItemHeight = 13\n"
      "  IntegralHeight = True\n"
      "  MultiSelect = True\n"
      "  ReadOnly = True\n"
      "  TabWidth = 8\n"
      "end\n";
  ReadDescription(text, l);
  host().PumpUntilIdle();
  EXPECT_EQ(l->GetItems()->GetCommaText(), "one,two");
  EXPECT_EQ(l->GetListStyle(), TListBoxStyle::lbOwnerDrawFixed);
  EXPECT_EQ(l->GetItemHeight(), 13);
  EXPECT_TRUE(l->GetMultiSelect());
  EXPECT_TRUE(l->GetReadOnly());
  EXPECT_EQ(l->GetTabWidth(), 8);
  // The height read before the item height is cut once loading is done.
  EXPECT_EQ(l->InnerListBox()->GetHeight() % 13, 0);
  EXPECT_LE(l->GetHeight(), 100);
  // A list box made anew has the size of the class.
  Owned<TcxListBox> fresh(New<TcxListBox>(nullptr));
  EXPECT_EQ(fresh->GetWidth(), 121);
  EXPECT_EQ(fresh->GetHeight(), 97);
}

TEST_F(ListBoxTest, AListBoxWrittenOnItsOwnReadsBack) {
  TcxListBox* l = Add({"b", "a", "c"});
  l->SetListStyle(TListBoxStyle::lbOwnerDrawFixed);
  l->SetItemHeight(20);
  l->SetSorted(true);
  l->SetAutoCompleteDelay(300);
  l->SetReadOnly(true);
  host().PumpUntilIdle();
  Owned<TMemoryStream> s(New<TMemoryStream>());
  s->WriteComponent(l);
  // The inner list is the list box's own: it is not written as a child.
  const String written(reinterpret_cast<const char*>(s->Memory()), size_t(s->GetSize()));
  EXPECT_EQ(written.find("TcxInnerListBox"), String::npos);
  auto* d = New<TcxListBox>(form);
  d->SetParent(form);
  s->SetPosition(0);
  s->ReadComponent(d);
  host().PumpUntilIdle();
  EXPECT_EQ(d->GetItems()->GetCommaText(), "a,b,c");
  EXPECT_EQ(d->GetListStyle(), TListBoxStyle::lbOwnerDrawFixed);
  EXPECT_EQ(d->GetItemHeight(), 20);
  EXPECT_TRUE(d->GetSorted());
  EXPECT_EQ(d->GetAutoCompleteDelay(), 300u);
  EXPECT_TRUE(d->GetReadOnly());
}

}  // namespace
