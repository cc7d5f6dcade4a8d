// The list box inside a container on a headless form: typing searches on the virtual clock,
// library bars lie over its own bar and scroll it, owner drawing paints the selection, and
// keys, mouse and wheel reach the container.
#include "classlib/visual/Forms.h"
#include "platform/kernel/Modules.h"
#include "tests/foundation/NativePainterFixture.h"
#include "tests/support/FreedByHandlerTest.h"
#include "widgets/foundation/cxInnerListBox.h"
#include "widgets/foundation/cxLookAndFeelPainterImages.h"

#include <vector>

namespace {

class TTestInnerListBox : public TcxCustomInnerListBox {
  TL_CLASS(TTestInnerListBox, TcxCustomInnerListBox)
 public:
  using TcxCustomInnerListBox::TcxCustomInnerListBox;
  bool NeedDrawFocusRect() override { return FocusRect; }
  Integer Find(TWinControl*, const String& S) { return S == "qr" ? 2 : 9; }
  bool FocusRect = true;
};

// A container around the list, recording what the list hands it.
class TListContainer : public TcxContainer {
  TL_CLASS(TListContainer, TcxContainer)
 public:
  using TcxContainer::TcxContainer;
  void AfterConstruction() override {
    inherited::AfterConstruction();
    List = New<TTestInnerListBox>(this);
    List->SetParent(this);
    SetInnerControl(List);
  }
  void EatKey(TObject*, Char& Key) { Key = Key == 'x' ? 0 : Key; }
  void TakeWheel(TObject*, TShiftState, Integer, TPoint, bool& Handled) { Handled = WheelHandled; }

  TTestInnerListBox* List = nullptr;
  std::vector<TPoint> Downs;
  bool FlagSeen = false, WheelHandled = false;

 protected:
  void MouseDown(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) override {
    Downs.push_back({X, Y});
    FlagSeen = InnerControlMouseDown;
    inherited::MouseDown(Button, Shift, X, Y);
  }
};

}  // namespace
TL_DEFINE_CLASS(TTestInnerListBox, [](auto&) {});
TL_DEFINE_CLASS(TListContainer, [](auto&) {});

namespace {

class InnerListBox : public NativePainterTest {
 protected:
  void SetUp() override {
    NativePainterTest::SetUp();
    Start();
    cxLookAndFeelPainterImages::Initialize();
    cxControls::Initialize();
    cxLookUpGetScrollBarInfo();  // as the container unit's start-up does
    form = TCustomForm::CreateNew(nullptr);
    form->SetBounds(50, 50, 300, 260);
    box = New<TListContainer>(form);
    box->SetBounds(10, 10, 150, 100);
    box->SetParent(form);
    box->OnKeyPress = TKeyPressEvent(box, &TListContainer::EatKey);
    box->OnMouseWheel = TMouseWheelEvent(box, &TListContainer::TakeWheel);
    list = box->List;
    form->Show();
    Pump();
  }
  void TearDown() override {
    form->Free();
    SetExportHidden("USER32", "GetScrollBarInfo", true);
    cxLookUpGetScrollBarInfo();
    SetExportHidden("USER32", "GetScrollBarInfo", false);
    cxControls::Finalize();
    cxLookAndFeelPainterImages::Finalize();
    NativePainterTest::TearDown();
  }
  void Fill(std::initializer_list<const char*> items) {
    for (const char* s : items) list->GetItems()->Add(s);
    Pump();
  }
  void FillNumbered(int n) {
    for (int i = 0; i < n; ++i) list->GetItems()->Add("item " + std::to_string(i));
    Pump();
  }
  void Type(Byte ch) {
    host().Char(ch);
    Pump();
  }
  static Pixel Px(TColor c) {
    COLORREF rgb = ColorToRGB(c);
    return ((rgb & 0xFF) << 16) | (rgb & 0xFF00) | ((rgb >> 16) & 0xFF);
  }

  TForm* form = nullptr;
  TListContainer* box = nullptr;
  TTestInnerListBox* list = nullptr;
};

TEST_F(InnerListBox, TypingSearchesWithinTheDelay) {
  Fill({"bravo", "alpha", "abc", "abd", "beta"});
  list->SetFocus();
  Pump();
  Type('a');
  EXPECT_EQ(list->GetItemIndex(), 1);
  Type('B');  // "ab" together, not the list's own step to the next item starting with "b"
  EXPECT_EQ(list->GetItemIndex(), 2);
  host().Advance(500);
  Type('d');  // exactly the delay still extends the search
  EXPECT_EQ(list->GetItemIndex(), 3);
  Type(VK_BACK);
  EXPECT_EQ(list->SearchText(), "aB");
  EXPECT_EQ(list->GetItemIndex(), 2);
  host().Advance(501);
  Type('b');
  EXPECT_EQ(list->SearchText(), "b");
  EXPECT_EQ(list->GetItemIndex(), 0);
  // Backspace down to nothing leaves the selection, and once more does nothing.
  list->SetItemIndex(4);
  Type(VK_BACK);
  Type(VK_BACK);
  EXPECT_EQ(list->SearchText(), "");
  EXPECT_EQ(list->GetItemIndex(), 4);
  // The container sees each key first and may take it.
  Type('x');
  EXPECT_EQ(list->SearchText(), "");
  // Delay 0 starts anew even within a millisecond.
  list->SetAutoCompleteDelay(0);
  Type('a');
  Type('b');
  EXPECT_EQ(list->SearchText(), "b");
  EXPECT_EQ(list->GetItemIndex(), 0);
}

TEST_F(InnerListBox, VirtualListsSearchOnlyThroughTheirHandler) {
  list->SetStyle(TListBoxStyle::lbVirtual);
  list->SetCount(5);
  Pump();
  Char key = 'q';
  list->KeyPressSearch(key);
  EXPECT_EQ(list->GetItemIndex(), -1);
  list->OnDataFind = TLBFindDataEvent(list, &TTestInnerListBox::Find);
  key = 'r';
  list->KeyPressSearch(key);
  EXPECT_EQ(list->GetItemIndex(), 2);
  key = 's';  // an answer past the items selects nothing
  list->KeyPressSearch(key);
  EXPECT_EQ(list->GetItemIndex(), 2);
}

TEST_F(InnerListBox, DialogCodesAndOwnerDrawnSelection) {
  HWND h = list->Handle();
  EXPECT_EQ(SendMessageA(h, WM_GETDLGCODE, 0, 0) & (DLGC_WANTCHARS | DLGC_WANTTAB), DLGC_WANTCHARS | DLGC_WANTTAB);

  list->SetStyle(TListBoxStyle::lbOwnerDrawFixed);
  list->SetColor(clWindow);
  list->GetFont()->SetName("Tessaloom Test");
  Fill({"MMMMMM", "MMMMMM", "MMMMMM"});
  list->SetItemIndex(1);
  list->SetFocus();
  Pump();
  const Integer ih = list->GetItemHeight(), w = list->GetClientWidth();
  h = list->Handle();
  EXPECT_EQ(host().PixelAt(h, w - 4, ih / 2), Px(clWindow));
  EXPECT_EQ(host().PixelAt(h, w - 4, ih + ih / 2), Px(clHighlight));
  int textPixels = 0;
  for (Integer x = 0; x < w; ++x)
    for (Integer y = ih; y < 2 * ih; ++y) textPixels += host().PixelAt(h, x, y) == Px(clHighlightText);
  EXPECT_GT(textPixels, 0);
  // The focused item's corner carries the focus rectangle only when the list asks for it.
  EXPECT_NE(host().PixelAt(h, 0, ih), Px(clHighlight));
  list->FocusRect = false;
  list->Invalidate();
  Pump();
  EXPECT_EQ(host().PixelAt(h, 0, ih), Px(clHighlight));
}

TEST_F(InnerListBox, MouseAndWheelReachTheContainerFirst) {
  FillNumbered(40);
  const Integer ih = list->GetItemHeight();
  // Over the list the container counts as hot; leaving the list for elsewhere ends it.
  host().MouseMove(list->Handle(), 20, ih * 2);
  Pump();
  EXPECT_TRUE(box->ViewInfo()->ContainerState.Contains(TcxContainerStateItem::csHotTrack));
  host().MouseMove(form->Handle(), 5, 180);
  Pump();
  EXPECT_FALSE(box->ViewInfo()->ContainerState.Contains(TcxContainerStateItem::csHotTrack));
  host().Click(list->Handle(), 20, ih + 2);
  Pump();
  ASSERT_EQ(box->Downs.size(), 1u);
  EXPECT_EQ(box->Downs[0], (TPoint{20 + list->GetLeft(), ih + 2 + list->GetTop()}));
  EXPECT_TRUE(box->FlagSeen);
  EXPECT_FALSE(box->InnerControlMouseDown);
  EXPECT_EQ(list->GetItemIndex(), 1);
  EXPECT_TRUE(list->Focused()) << "the forwarded press does not take the focus to the container";
  box->WheelHandled = true;
  host().Wheel(list->Handle(), 10, 10, -WHEEL_DELTA);
  Pump();
  EXPECT_EQ(list->GetTopIndex(), 0);
  box->WheelHandled = false;
  host().Wheel(list->Handle(), 10, 10, -WHEEL_DELTA);
  Pump();
  EXPECT_GT(list->GetTopIndex(), 0) << "a wheel the container leaves scrolls the list";
  // A container in automatic drag mode drags instead of letting the list select.
  box->SetDragMode(TDragMode::dmAutomatic);
  host().MouseDown(list->Handle(), 20, 2);
  Pump();
  EXPECT_TRUE(DragActive());
  EXPECT_EQ(list->GetItemIndex(), 1);
  CancelDrag();
  host().MouseUp(list->Handle(), 20, 2);
  Pump();
}

TEST_F(InnerListBox, APressWhoseContainerHandlerFreesTheContainerEndsThere) {
  FillNumbered(5);
  TFreer freer;
  freer.Victim = box;
  box->OnMouseDown = {&freer, &TFreer::HMouse};
  TWeakLink container(box), inner(list);
  host().Click(list->Handle(), 20, 2);
  Pump();
  EXPECT_EQ(freer.Runs, 1);
  EXPECT_FALSE(container.Alive());
  EXPECT_FALSE(inner.Alive());
  EXPECT_EQ(form->ComponentCount(), 0);
}

TEST_F(InnerListBox, KeysAndBarsPageByOneLessThanTheFullyVisibleItems) {
  FillNumbered(40);
  list->SetFocus();
  list->SetItemIndex(0);
  Pump();
  // The items the window shows whole.
  const Integer ih = Integer(SendMessageA(list->Handle(), LB_GETITEMHEIGHT, 0, 0));
  TRect client{};
  GetClientRect(list->Handle(), &client);
  const Integer page = client.Bottom / ih;
  ASSERT_GE(page, 3);
  host().Key(VK_NEXT);
  Pump();
  EXPECT_EQ(list->GetItemIndex(), page - 1);
  host().Key(VK_NEXT);
  Pump();
  EXPECT_EQ(list->GetItemIndex(), 2 * (page - 1));
  host().Key(VK_PRIOR);
  Pump();
  EXPECT_EQ(list->GetItemIndex(), page - 1);
  list->SetItemIndex(38);
  host().Key(VK_NEXT);  // stops at the last item
  Pump();
  EXPECT_EQ(list->GetItemIndex(), 39);

  // The library bar's page area scrolls the list the same way.
  TcxScrollBar* vbar = list->GetLibraryScrollBar(TScrollBarKind::sbVertical);
  list->SetTopIndex(0);
  Pump();
  ASSERT_TRUE(vbar->GetVisible());
  const TRect below = vbar->PageDownRect();
  ASSERT_FALSE(below.IsEmpty());
  host().Click(vbar->Handle(), (below.Left + below.Right) / 2, below.Bottom - 2);
  Pump();
  EXPECT_EQ(list->GetTopIndex(), page - 1);
  EXPECT_EQ(vbar->GetPosition(), page - 1);
  SendMessageA(list->Handle(), WM_VSCROLL, SB_PAGEUP, 0);
  Pump();
  EXPECT_EQ(list->GetTopIndex(), 0);
  list->SetTopIndex(40 - page - 1);
  SendMessageA(list->Handle(), WM_VSCROLL, SB_PAGEDOWN, 0);  // no further than the last full page
  Pump();
  EXPECT_EQ(list->GetTopIndex(), 40 - page);
}

TEST_F(InnerListBox, LibraryBarsCoverTheListsOwnAndScrollIt) {
  TcxScrollBar* vbar = list->GetLibraryScrollBar(TScrollBarKind::sbVertical);
  TcxScrollBar* hbar = list->GetLibraryScrollBar(TScrollBarKind::sbHorizontal);
  Fill({"one"});
  EXPECT_FALSE(vbar->GetVisible()) << "nothing to scroll";
  FillNumbered(40);
  ASSERT_TRUE(vbar->GetVisible());
  EXPECT_FALSE(hbar->GetVisible());
  box->UpdateScrollBars();
  EXPECT_FALSE(box->VScrollBar()->GetVisible()) << "the container lays no second bar over the list's";
  EXPECT_EQ(ChildWindowFromPoint(box->Handle(), POINT{vbar->GetLeft() + 2, vbar->GetTop() + 40}), vbar->Handle());
  list->SetItemIndex(30);
  Pump();
  EXPECT_GT(list->GetTopIndex(), 0);
  EXPECT_EQ(vbar->GetPosition(), list->GetTopIndex());
  // The bar's second arrow moves the list one line, and the bar with it.
  list->SetTopIndex(0);
  host().Click(vbar->Handle(), vbar->GetWidth() / 2, vbar->GetHeight() - 3);
  Pump();
  EXPECT_EQ(list->GetTopIndex(), 1);
  EXPECT_EQ(vbar->GetPosition(), 1);
  // Both system bars give both library bars and the corner between them.
  TRect grip;
  ShowScrollBar(list->Handle(), SB_HORZ, TRUE);
  Pump();
  ASSERT_TRUE(hbar->GetVisible());
  list->GetSizeGripRect(grip);
  EXPECT_EQ(grip.TopLeft(), (TPoint{vbar->GetLeft() - list->GetLeft(), hbar->GetTop() - list->GetTop()}));
  ShowScrollBar(list->Handle(), SB_HORZ, FALSE);
  Pump();
  EXPECT_FALSE(hbar->GetVisible()) << "the frame change alone updates the bars";
  // Hidden while the list reaches past the container.
  const Integer width = list->GetWidth();
  list->SetBounds(list->GetLeft(), list->GetTop(), box->GetClientWidth() + 40, list->GetHeight());
  Pump();
  EXPECT_FALSE(vbar->GetVisible());
  list->SetBounds(list->GetLeft(), list->GetTop(), width, list->GetHeight());
  Pump();
  EXPECT_TRUE(vbar->GetVisible());
}

}  // namespace
