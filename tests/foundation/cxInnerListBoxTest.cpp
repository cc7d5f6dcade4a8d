// The list box inside a container on a headless form: typing searches its items on the
// virtual clock, library bars lie over its own and scroll it, owner drawing paints the
// selection, and keys, mouse and focus reach the container.
#include "classlib/visual/Forms.h"
#include "platform/host/HeadlessHost.h"
#include "platform/kernel/Modules.h"
#include "platform/user/User.h"
#include "tests/foundation/NativePainterFixture.h"
#include "widgets/foundation/cxContainer.h"
#include "widgets/foundation/cxControls.h"
#include "widgets/foundation/cxInnerListBox.h"
#include "widgets/foundation/cxLookAndFeelPainterImages.h"

#include <vector>

namespace {

class TTestInnerListBox : public TcxCustomInnerListBox {
  TL_CLASS(TTestInnerListBox, TcxCustomInnerListBox)
 public:
  using TcxCustomInnerListBox::TcxCustomInnerListBox;
  bool NeedDrawFocusRect() override { return FocusRect; }
  bool FocusRect = true;
  bool Extended = false;

 protected:
  void CreateParams(TCreateParams& Params) override {
    inherited::CreateParams(Params);
    if (Extended) Params.Style |= LBS_EXTENDEDSEL;
  }
};

struct MouseCall {
  char Kind;
  Integer X, Y;
  bool Forwarding;
};

// A container whose inner control is the list; it records what reaches it from the list.
class TListContainer : public TcxContainer {
  TL_CLASS(TListContainer, TcxContainer)
 public:
  using TcxContainer::TcxContainer;
  // The inner list lays its own library bars; bars of the container's own would cover them.
  bool HasScrollBars() const override { return false; }
  void AfterConstruction() override {
    inherited::AfterConstruction();
    List = New<TTestInnerListBox>(this);
    List->SetParent(this);
    SetInnerControl(List);
  }
  void CountClick(TObject*) { ++Clicks; }
  void CountFocus(TObject*) { ++FocusNotices; }
  void EatKey(TObject*, Char& Key) {
    if (Key == Eaten) Key = 0;
  }
  void TakeWheel(TObject*, TShiftState, Integer, TPoint, bool& Handled) {
    ++Wheels;
    Handled = WheelHandled;
  }

  TTestInnerListBox* List = nullptr;
  std::vector<MouseCall> Mouse;
  int Clicks = 0, FocusNotices = 0, Wheels = 0;
  bool WheelHandled = false;
  Char Eaten = 0;

 protected:
  void MouseDown(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) override {
    Mouse.push_back({'d', X, Y, InnerControlMouseDown});
    inherited::MouseDown(Button, Shift, X, Y);
  }
  void MouseMove(TShiftState Shift, Integer X, Integer Y) override {
    Mouse.push_back({'m', X, Y, InnerControlMouseDown});
    inherited::MouseMove(Shift, X, Y);
  }
  void MouseUp(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) override {
    Mouse.push_back({'u', X, Y, InnerControlMouseDown});
    inherited::MouseUp(Button, Shift, X, Y);
  }
};

class TFindLog : public TObject {
  TL_CLASS(TFindLog, TObject)
 public:
  Integer Find(TWinControl*, const String& S) {
    Asked.push_back(S);
    return Answer;
  }
  std::vector<String> Asked;
  Integer Answer = 2;
};

}  // namespace
TL_DEFINE_CLASS(TTestInnerListBox, [](auto&) {});
TL_DEFINE_CLASS(TListContainer, [](auto&) {});
TL_DEFINE_CLASS(TFindLog, [](auto&) {});

namespace {

class InnerListBox : public NativePainterTest {
 protected:
  void SetUp() override {
    NativePainterTest::SetUp();
    Start();
    cxLookAndFeelPainterImages::Initialize();
    cxControls::Initialize();
    // As the container unit's start-up does.
    cxLookUpGetScrollBarInfo();
    form = TCustomForm::CreateNew(nullptr);
    form->SetBounds(50, 50, 300, 260);
    box = New<TListContainer>(form);
    box->SetBounds(10, 10, 150, 100);
    box->SetParent(form);
    box->OnClick = TNotifyEvent(box, &TListContainer::CountClick);
    box->OnFocusChanged = TNotifyEvent(box, &TListContainer::CountFocus);
    box->OnKeyPress = TKeyPressEvent(box, &TListContainer::EatKey);
    box->OnMouseWheel = TMouseWheelEvent(box, &TListContainer::TakeWheel);
    other = New<TListContainer>(form);
    other->SetBounds(10, 150, 150, 60);
    other->SetParent(form);
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
  // The system bar of the list, in the container's client coordinates.
  TRect SystemBarInContainer(Integer objectId) {
    SCROLLBARINFO info;
    EXPECT_TRUE(GetScrollBarInfo(list->Handle(), objectId, &info));
    TPoint p = box->ScreenToClient(TPoint{info.rcScrollBar.Left, info.rcScrollBar.Top});
    return {p.X, p.Y, p.X + info.rcScrollBar.Width(), p.Y + info.rcScrollBar.Height()};
  }

  TForm* form = nullptr;
  TListContainer* box = nullptr;
  TListContainer* other = nullptr;
  TTestInnerListBox* list = nullptr;
};

TEST_F(InnerListBox, CreatedBorderlessWithHiddenBarsInsideTheContainer) {
  EXPECT_EQ(list->GetControlContainer(), box);
  EXPECT_EQ(cxGetInnerControlContainer(list), box);
  EXPECT_EQ(list->GetAutoCompleteDelay(), 500u);
  // Alone, the list shows how it is made; in a container the container then sets its
  // colour and font.
  Owned<TcxCustomInnerListBox> alone(New<TcxCustomInnerListBox>(nullptr));
  EXPECT_EQ(alone->GetBorderStyle(), TBorderStyle::bsNone);
  EXPECT_FALSE(alone->GetParentColor());
  EXPECT_TRUE(alone->GetParentFont());
  EXPECT_EQ(alone->GetLibraryScrollBar(TScrollBarKind::sbVertical)->GetParent(), nullptr);
  for (auto kind : {TScrollBarKind::sbHorizontal, TScrollBarKind::sbVertical}) {
    TcxScrollBar* bar = list->GetLibraryScrollBar(kind);
    ASSERT_NE(bar, nullptr);
    EXPECT_EQ(bar->GetKind(), kind);
    EXPECT_FALSE(bar->GetVisible());
    EXPECT_EQ(bar->GetParent(), box);
    // The bars follow the list's own look and feel.
    list->GetLookAndFeel()->SetKind(TcxLookAndFeelKind::lfUltraFlat);
    EXPECT_EQ(bar->GetLookAndFeel()->GetKind(), TcxLookAndFeelKind::lfUltraFlat);
  }
  TRect grip;
  list->GetSizeGripRect(grip);
  EXPECT_TRUE(grip.IsEmpty());
}

TEST_F(InnerListBox, TypingSearchesWithinTheDelayAndRestartsAfterIt) {
  Fill({"bravo", "alpha", "abc", "abd", "beta", "\xE9t\xE9"});
  list->SetFocus();
  Pump();
  Type('a');
  EXPECT_EQ(list->GetItemIndex(), 1);
  Type('B');
  // "ab" together, not the list's own next-item-starting-with-"b" step.
  EXPECT_EQ(list->GetItemIndex(), 2);
  EXPECT_EQ(list->SearchText(), "aB");
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
  Type('e');
  EXPECT_EQ(list->SearchText(), "be");
  EXPECT_EQ(list->GetItemIndex(), 4);
  Type(VK_BACK);
  EXPECT_EQ(list->GetItemIndex(), 0);
  // Backspace down to nothing leaves the selection alone, and once more does nothing.
  list->SetItemIndex(4);
  Type(VK_BACK);
  Type(VK_BACK);
  EXPECT_EQ(list->SearchText(), "");
  EXPECT_EQ(list->GetItemIndex(), 4);
  // High bytes are characters of their own, compared without case.
  host().Advance(600);
  Type(0xC9);
  Type('T');
  EXPECT_EQ(list->SearchText(), "\xC9T");
  EXPECT_EQ(list->GetItemIndex(), 5);
  // No match keeps the selection; the text still grows.
  Type('z');
  EXPECT_EQ(list->GetItemIndex(), 5);
  EXPECT_EQ(list->SearchText(), "\xC9Tz");
}

TEST_F(InnerListBox, SearchKeysConsumedAndDelayZero) {
  Fill({"bravo", "alpha", "abc"});
  Char key = 'a';
  list->KeyPressSearch(key);
  EXPECT_EQ(key, 0);
  for (Char k : {Char(VK_RETURN), Char(VK_ESCAPE), Char(VK_BACK)}) {
    key = k;
    list->KeyPressSearch(key);
    EXPECT_EQ(key, k) << int(k);
  }
  EXPECT_EQ(list->SearchText(), "");
  list->SetAutoCompleteDelay(0);
  list->SetFocus();
  Pump();
  Type('a');
  Type('b');
  // Each key starts anew even in the same millisecond.
  EXPECT_EQ(list->SearchText(), "b");
  EXPECT_EQ(list->GetItemIndex(), 0);
  // The container sees the key first and may take it.
  list->SetAutoCompleteDelay(500);
  box->Eaten = 'a';
  Type('a');
  EXPECT_EQ(list->GetItemIndex(), 0);
  EXPECT_EQ(list->SearchText(), "b");
  // In a multiple selection the found item becomes the only selected one and the caret.
  list->Extended = true;
  list->RecreateWnd();
  Pump();
  HWND h = list->Handle();
  SendMessageA(h, LB_SETSEL, TRUE, 0);
  host().Advance(600);
  key = 'a';
  list->KeyPressSearch(key);
  EXPECT_EQ(SendMessageA(h, LB_GETSEL, 0, 0), 0);
  EXPECT_EQ(SendMessageA(h, LB_GETSEL, 1, 0), 1);
  EXPECT_EQ(SendMessageA(h, LB_GETCARETINDEX, 0, 0), 1);
  // A disabled list does not search.
  list->SetEnabled(false);
  key = 'a';
  list->KeyPressSearch(key);
  EXPECT_EQ(key, 'a');
}

TEST_F(InnerListBox, VirtualListsSearchOnlyThroughTheirHandler) {
  list->SetStyle(TListBoxStyle::lbVirtual);
  list->SetCount(5);
  Pump();
  EXPECT_EQ(list->FindItemStartingWith("a"), -1);
  Char key = 'q';
  list->KeyPressSearch(key);
  EXPECT_EQ(list->GetItemIndex(), -1);
  Owned<TFindLog> log(New<TFindLog>());
  list->OnDataFind = TLBFindDataEvent(log.get(), &TFindLog::Find);
  key = 'r';
  list->KeyPressSearch(key);
  ASSERT_EQ(log->Asked.size(), 1u);
  EXPECT_EQ(log->Asked[0], "qr");
  EXPECT_EQ(list->GetItemIndex(), 2);
  // An answer past the items selects nothing.
  log->Answer = 9;
  key = 's';
  list->KeyPressSearch(key);
  EXPECT_EQ(list->GetItemIndex(), 2);
}

TEST_F(InnerListBox, DialogCodesInsideAContainer) {
  HWND h = list->Handle();
  LRESULT code = SendMessageA(h, WM_GETDLGCODE, 0, 0);
  EXPECT_TRUE(code & DLGC_WANTCHARS);
  EXPECT_TRUE(code & DLGC_WANTTAB);
  EXPECT_TRUE(code & DLGC_WANTARROWS) << "the platform's own codes stay";
  host().KeyDown(VK_CONTROL);
  Pump();
  EXPECT_FALSE(SendMessageA(h, WM_GETDLGCODE, 0, 0) & DLGC_WANTTAB);
  host().KeyUp(VK_CONTROL);
  Pump();
  // Outside a container the list is a plain list box.
  auto* alone = New<TcxCustomInnerListBox>(form);
  alone->SetBounds(200, 10, 80, 80);
  alone->SetParent(form);
  EXPECT_EQ(alone->GetControlContainer(), nullptr);
  EXPECT_FALSE(SendMessageA(alone->Handle(), WM_GETDLGCODE, 0, 0) & DLGC_WANTTAB);
}

TEST_F(InnerListBox, OwnerDrawPaintsTheSelectionAndAskedFocusRect) {
  list->SetStyle(TListBoxStyle::lbOwnerDrawFixed);
  list->SetColor(clWindow);
  list->GetFont()->SetName("Tessaloom Test");
  Fill({"MMMMMM", "MMMMMM", "MMMMMM"});
  list->SetItemIndex(1);
  list->SetFocus();
  Pump();
  const Integer h = list->GetItemHeight();
  const Integer w = list->GetClientWidth();
  HWND wnd = list->Handle();
  EXPECT_EQ(host().PixelAt(wnd, w - 4, h / 2), Px(clWindow));
  EXPECT_EQ(host().PixelAt(wnd, w - 4, h + h / 2), Px(clHighlight));
  int textPixels = 0;
  for (Integer x = 0; x < w; ++x)
    for (Integer y = h; y < 2 * h; ++y) textPixels += host().PixelAt(wnd, x, y) == Px(clHighlightText);
  EXPECT_GT(textPixels, 0) << "the selected item's text is in the highlight text colour";
  // The focused item's corner carries the focus rectangle only when the list asks for it.
  EXPECT_NE(host().PixelAt(wnd, 0, h), Px(clHighlight));
  list->FocusRect = false;
  list->Invalidate();
  Pump();
  EXPECT_EQ(host().PixelAt(wnd, 0, h), Px(clHighlight));
}

TEST_F(InnerListBox, MouseReachesTheContainerOffsetAndFlagged) {
  Fill({"one", "two", "three"});
  const Integer left = list->GetLeft(), top = list->GetTop();
  const Integer itemH = list->GetItemHeight();
  host().MouseDown(list->Handle(), 20, itemH + 2);
  Pump();
  host().MouseMove(list->Handle(), 22, itemH + 3);
  Pump();
  host().MouseUp(list->Handle(), 22, itemH + 3);
  Pump();
  // Only the forwarded calls: the host's own moves before the press are left out.
  std::vector<MouseCall> calls;
  for (const MouseCall& c : box->Mouse)
    if (c.Kind != 'm' || c.X == 22 + left) calls.push_back(c);
  ASSERT_EQ(calls.size(), 3u);
  const MouseCall& down = calls[0];
  EXPECT_EQ(down.Kind, 'd');
  EXPECT_EQ(down.X, 20 + left);
  EXPECT_EQ(down.Y, itemH + 2 + top);
  EXPECT_TRUE(down.Forwarding);
  EXPECT_EQ(calls[1].Kind, 'm');
  EXPECT_EQ(calls[1].Y, itemH + 3 + top);
  EXPECT_FALSE(calls[1].Forwarding);
  const MouseCall& up = calls[2];
  EXPECT_EQ(up.Kind, 'u');
  EXPECT_EQ(up.X, 22 + left);
  EXPECT_FALSE(up.Forwarding);
  EXPECT_FALSE(box->InnerControlMouseDown);
  EXPECT_EQ(list->GetItemIndex(), 1);
  EXPECT_GE(box->Clicks, 1) << "the list's click reaches the container";
  // A container in automatic drag mode drags instead of letting the list select.
  box->Mouse.clear();
  box->SetDragMode(TDragMode::dmAutomatic);
  host().MouseDown(list->Handle(), 20, 2);
  Pump();
  EXPECT_TRUE(DragActive());
  EXPECT_EQ(list->GetItemIndex(), 1);
  CancelDrag();
  host().MouseUp(list->Handle(), 20, 2);
  Pump();
}

TEST_F(InnerListBox, WheelOfferedToTheContainerFirst) {
  FillNumbered(40);
  list->SetFocus();
  Pump();
  box->WheelHandled = true;
  host().Wheel(list->Handle(), 10, 10, -WHEEL_DELTA);
  Pump();
  EXPECT_GE(box->Wheels, 1);
  EXPECT_EQ(list->GetTopIndex(), 0);
  box->WheelHandled = false;
  host().Wheel(list->Handle(), 10, 10, -WHEEL_DELTA);
  Pump();
  EXPECT_GT(list->GetTopIndex(), 0) << "a wheel the container leaves scrolls the list";
}

TEST_F(InnerListBox, LibraryBarsCoverTheListsOwnAndScrollIt) {
  ASSERT_TRUE(cxIsGetScrollBarInfoAvailable());
  TcxScrollBar* vbar = list->GetLibraryScrollBar(TScrollBarKind::sbVertical);
  TcxScrollBar* hbar = list->GetLibraryScrollBar(TScrollBarKind::sbHorizontal);
  Fill({"one"});
  EXPECT_FALSE(vbar->GetVisible()) << "nothing to scroll";
  FillNumbered(40);
  ASSERT_TRUE(vbar->GetVisible());
  EXPECT_FALSE(hbar->GetVisible());
  EXPECT_EQ(vbar->GetBoundsRect(), SystemBarInContainer(OBJID_VSCROLL));
  EXPECT_TRUE(vbar->GetEnabled());
  SCROLLINFO si;
  si.fMask = SIF_ALL;
  ASSERT_TRUE(GetScrollInfo(list->Handle(), SB_VERT, &si));
  EXPECT_EQ(vbar->GetMin(), si.nMin);
  EXPECT_EQ(vbar->GetMax(), si.nMax);
  EXPECT_EQ(vbar->GetPageSize(), Integer(si.nPage));
  EXPECT_EQ(vbar->GetPosition(), 0);
  // The library bar lies over the list and shows in its place.
  HWND top = ChildWindowFromPoint(box->Handle(), POINT{vbar->GetLeft() + 2, vbar->GetTop() + vbar->GetHeight() / 2});
  EXPECT_EQ(top, vbar->Handle());
  // Moving the list moves the bar.
  list->SetItemIndex(30);
  Pump();
  EXPECT_GT(list->GetTopIndex(), 0);
  EXPECT_EQ(vbar->GetPosition(), list->GetTopIndex());
  list->SetTopIndex(0);
  Pump();
  EXPECT_EQ(vbar->GetPosition(), 0);
  // Scrolling through the bar's second arrow moves the list one line and the bar with it.
  host().MouseDown(vbar->Handle(), vbar->GetWidth() / 2, vbar->GetHeight() - 3);
  host().MouseUp(vbar->Handle(), vbar->GetWidth() / 2, vbar->GetHeight() - 3);
  Pump();
  EXPECT_EQ(list->GetTopIndex(), 1);
  EXPECT_EQ(vbar->GetPosition(), 1);
  // Paging below the thumb.
  host().MouseDown(vbar->Handle(), vbar->GetWidth() / 2, vbar->GetHeight() - 30);
  host().MouseUp(vbar->Handle(), vbar->GetWidth() / 2, vbar->GetHeight() - 30);
  Pump();
  EXPECT_GT(list->GetTopIndex(), 1);
  EXPECT_EQ(vbar->GetPosition(), list->GetTopIndex());
  // A disabled container disables the bar; emptying the list hides it.
  box->SetEnabled(false);
  list->UpdateScrollBars();
  EXPECT_FALSE(vbar->GetEnabled());
  box->SetEnabled(true);
  list->Clear();
  Pump();
  EXPECT_FALSE(vbar->GetVisible());
}

TEST_F(InnerListBox, BarsOutsideTheContainerStayHiddenAndTheGripNeedsBoth) {
  ASSERT_TRUE(cxIsGetScrollBarInfoAvailable());
  TcxScrollBar* vbar = list->GetLibraryScrollBar(TScrollBarKind::sbVertical);
  TcxScrollBar* hbar = list->GetLibraryScrollBar(TScrollBarKind::sbHorizontal);
  FillNumbered(40);
  ASSERT_TRUE(vbar->GetVisible());
  // Both system bars: both library bars and the corner between them.
  ShowScrollBar(list->Handle(), SB_HORZ, TRUE);
  list->UpdateScrollBars();
  ASSERT_TRUE(hbar->GetVisible());
  EXPECT_EQ(hbar->GetBoundsRect(), SystemBarInContainer(OBJID_HSCROLL));
  TRect grip;
  list->GetSizeGripRect(grip);
  EXPECT_EQ(grip, (TRect{vbar->GetLeft() - list->GetLeft(), hbar->GetTop() - list->GetTop(),
                         vbar->GetLeft() - list->GetLeft() + vbar->GetWidth(),
                         hbar->GetTop() - list->GetTop() + hbar->GetHeight()}));
  TRect routine = cxGetInnerControlSizeGripRect(list);
  EXPECT_EQ(routine.Width(), grip.Width());
  EXPECT_EQ(routine.Height(), grip.Height());
  ShowScrollBar(list->Handle(), SB_HORZ, FALSE);
  list->UpdateScrollBars();
  EXPECT_FALSE(hbar->GetVisible());
  // A list reaching past its container's client area keeps its bar uncovered.
  list->SetBounds(list->GetLeft(), list->GetTop(), box->GetClientWidth() + 40, list->GetHeight());
  list->UpdateScrollBars();
  EXPECT_FALSE(vbar->GetVisible());
}

TEST_F(InnerListBox, WithoutGetScrollBarInfoTheListKeepsItsOwnBar) {
  SetExportHidden("USER32", "GetScrollBarInfo", true);
  cxLookUpGetScrollBarInfo();
  ASSERT_FALSE(cxIsGetScrollBarInfoAvailable());
  FillNumbered(40);
  list->UpdateScrollBars();
  EXPECT_FALSE(list->GetLibraryScrollBar(TScrollBarKind::sbVertical)->GetVisible());
  EXPECT_TRUE(GetWindowLongA(list->Handle(), GWL_STYLE) & WS_VSCROLL);
}

TEST_F(InnerListBox, FocusChangesNotifyTheContainer) {
  list->SetFocus();
  Pump();
  int before = box->FocusNotices;
  other->List->SetFocus();
  Pump();
  EXPECT_GT(box->FocusNotices, before);
}

}  // namespace
