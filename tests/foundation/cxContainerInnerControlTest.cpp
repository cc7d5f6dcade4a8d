// A container around an inner window control: frame-only repaints, the inner control's clip
// region, focus handed to it (and the focus messages between the two swallowed), Tab and
// Shift+Tab, colour and font exchanged with the style, and library bars laid over the inner
// control's own.
#include "classlib/visual/Forms.h"
#include "classlib/visual/StdCtrls.h"
#include "tests/support/FreedByHandlerTest.h"
#include "platform/gdi/Gdi.h"
#include "platform/host/HeadlessHost.h"
#include "platform/kernel/Modules.h"
#include "platform/user/User.h"
#include "tests/foundation/NativePainterFixture.h"
#include "widgets/foundation/cxContainer.h"
#include "widgets/foundation/cxControls.h"
#include "widgets/foundation/cxLookAndFeelPainterImages.h"

#include <algorithm>

namespace {

class TBox : public TcxContainer {
  TL_CLASS(TBox, TcxContainer)
 public:
  using TcxContainer::TcxContainer;
  void Host(TWinControl* AInner) {
    AInner->SetParent(this);
    SetInnerControl(AInner);
  }
  // As an editor counts itself focused while its inner control is.
  bool IsContainerFocused() const override {
    return Focused() || (InnerControl() && InnerControl()->HandleAllocated() && InnerControl()->Focused());
  }
  TcxContainerStyleValues GetUnusedStyleValues() const override { return Unused; }
  using TcxContainer::AlignControls;
  using TcxContainer::KeyDown;
  using TcxContainer::CanFocusOnClick;
  int FocusChanges = 0;
  TcxContainerStyleValues Unused;

 protected:
  void FocusChanged() override {
    ++FocusChanges;
    TcxContainer::FocusChanged();
  }
};

// An inner control that, like an editor's inner edit, wants Tab and hands keys to its container.
class TKeyInner : public TCustomControl {
  TL_CLASS(TKeyInner, TCustomControl)
 public:
  using TCustomControl::TCustomControl;

 protected:
  void WndProc(TMessage& Message) override {
    if (Message.Msg == WM_GETDLGCODE) {
      Message.Result = DLGC_WANTTAB | DLGC_WANTARROWS;
      return;
    }
    Seen.push_back(Message.Msg);
    TCustomControl::WndProc(Message);
  }

 public:
  std::vector<UINT> Seen;

 protected:
  void KeyDown(Word& Key, TShiftState Shift) override {
    if (auto* box = dynamic_cast<TBox*>(GetParent())) box->KeyDown(Key, Shift);
  }
};

// Stands as the container's popup menu and takes one key.
class TKeyMenu : public TComponent, public IcxPopupMenu {
  TL_CLASS(TKeyMenu, TComponent)
 public:
  using TComponent::TComponent;
  bool IsShortCutKey(TMessage& Message) override { return Message.WParam == 'J'; }
  void Popup(Integer, Integer) override {}
};

}  // namespace
TL_DEFINE_CLASS(TKeyMenu)
TL_DEFINE_CLASS(TBox, [](auto&) {});
TL_DEFINE_CLASS(TKeyInner, [](auto&) {});

namespace {

class ContainerInner : public NativePainterTest {
 protected:
  void TearDown() override {
    if (form) form->Free();
    if (started) {
      cxControls::Finalize();
      cxLookAndFeelPainterImages::Finalize();
    }
    NativePainterTest::TearDown();
  }
  void Open() {
    Start();
    cxLookAndFeelPainterImages::Initialize();
    cxControls::Initialize();
    cxLookUpGetScrollBarInfo();
    started = true;
    form = TCustomForm::CreateNew(nullptr);
    form->SetBounds(50, 50, 400, 300);
    form->Show();
  }
  TBox* AddBox(Integer x, Integer y, TWinControl* inner = nullptr, Integer w = kW, Integer h = kH) {
    auto* box = New<TBox>(form);
    box->SetBounds(x, y, w, h);
    box->SetParent(form);
    if (inner) {
      box->Host(inner);
      inner->SetParent(box);
    }
    host().PumpUntilIdle();
    return box;
  }
  template <class T>
  T* Inner(TComponent* owner) {
    return New<T>(owner);
  }
  static bool Dirty(HWND wnd, const TPoint& P) {
    HRGN rgn = CreateRectRgn(0, 0, 0, 0);
    const bool dirty = GetUpdateRgn(wnd, rgn, FALSE) > NULLREGION && PtInRegion(rgn, P.X, P.Y);
    DeleteObject(rgn);
    return dirty;
  }
  static bool HasRegion(HWND wnd, const TPoint* inside = nullptr, const TPoint* outside = nullptr) {
    HRGN rgn = CreateRectRgn(0, 0, 0, 0);
    bool ok = GetWindowRgn(wnd, rgn) != ERROR;
    if (ok && inside) ok = PtInRegion(rgn, inside->X, inside->Y);
    if (ok && outside) ok = !PtInRegion(rgn, outside->X, outside->Y);
    DeleteObject(rgn);
    return ok;
  }

  static constexpr int kW = 60, kH = 24;
  bool started = false;
  TCustomForm* form = nullptr;
};

// The inner control's OnResize frees the container while new bounds of the container place it.
TEST_F(ContainerInner, PlacingTheInnerControlEndsWhereItsHandlerFreesTheContainer) {
  Open();
  auto* inner = Inner<TCustomControl>(form);
  TBox* box = AddBox(10, 10, inner);
  TFreer freer;
  freer.Victim = box;
  inner->OnResize = {&freer, &TFreer::HNotify};
  TWeakLink container(box), placed(inner);
  box->SetBounds(10, 10, kW + 30, kH + 10);
  host().PumpUntilIdle();
  EXPECT_EQ(freer.Runs, 1);
  EXPECT_FALSE(container.Alive());
  EXPECT_FALSE(placed.Alive());
  EXPECT_EQ(form->ComponentCount(), 0);
}

// Handing the container an inner control places it; its OnResize frees the container.
TEST_F(ContainerInner, TakingAnInnerControlEndsWhereItsOnResizeFreesTheContainer) {
  Open();
  TBox* box = AddBox(10, 10);
  auto* inner = Inner<TCustomControl>(form);
  TFreer freer;
  freer.Victim = box;
  inner->OnResize = {&freer, &TFreer::HNotify};
  TWeakLink container(box);
  box->Host(inner);
  host().PumpUntilIdle();
  EXPECT_EQ(freer.Runs, 1);
  EXPECT_FALSE(container.Alive());
  EXPECT_EQ(form->ComponentCount(), 0);
}

TEST_F(ContainerInner, OnlyTheFrameAroundTheInnerControlIsRepainted) {
  Open();
  TBox* hosting = AddBox(10, 10, Inner<TCustomControl>(form));
  TBox* plain = AddBox(10, 50);
  for (TBox* box : {hosting, plain}) ValidateRect(box->GetHandle(), nullptr);
  hosting->RecalcViewAtCursor();
  plain->RecalcViewAtCursor();
  EXPECT_TRUE(Dirty(hosting->GetHandle(), {0, 0}));
  EXPECT_FALSE(Dirty(hosting->GetHandle(), {kW / 2, kH / 2})) << "the inner control paints itself";
  EXPECT_TRUE(Dirty(plain->GetHandle(), {kW / 2, kH / 2}));
}

TEST_F(ContainerInner, InnerControlIsClippedToTheGivenArea) {
  Open();
  auto* inner = Inner<TCustomControl>(form);
  TBox* box = AddBox(10, 10, inner);
  const HWND wnd = inner->GetHandle();
  ASSERT_EQ(inner->GetBoundsRect(), (TRect{2, 2, kW - 2, kH - 2}));
  EXPECT_FALSE(HasRegion(wnd)) << "nothing cut off: no region";

  TRect half{0, 0, kW / 2, kH};
  box->AlignControls(inner, half);
  const TPoint in{kW / 2 - 3, 5}, out{kW / 2 - 2, 5};  // child coordinates
  EXPECT_TRUE(HasRegion(wnd, &in, &out));

  // The same clip is not set again, unless the region was reported changed.
  SetWindowRgn(wnd, nullptr, FALSE);
  box->AlignControls(inner, half);
  EXPECT_FALSE(HasRegion(wnd));
  box->SetRegionChanged();
  box->AlignControls(inner, half);
  EXPECT_TRUE(HasRegion(wnd, &in, &out));

  // Locked alignment leaves the clip as it is; unlocked, the whole area lifts it.
  TRect all{0, 0, kW, kH};
  box->LockAlignControls(true);
  box->AlignControls(inner, all);
  EXPECT_TRUE(HasRegion(wnd));
  box->LockAlignControls(false);
  box->LockAlignControls(false);  // an extra unlock does not go below zero
  box->AlignControls(inner, all);
  EXPECT_FALSE(HasRegion(wnd));

  // Another child of the container is clipped as well, without taking the inner control's
  // place: the inner control's clip is still lifted afterwards.
  auto* sibling = Inner<TCustomControl>(form);
  sibling->SetParent(box);
  sibling->SetBounds(2, 2, kW - 4, kH - 4);
  host().PumpUntilIdle();
  box->AlignControls(sibling, half);
  EXPECT_TRUE(HasRegion(sibling->GetHandle(), &in, &out));
  box->AlignControls(sibling, all);
  EXPECT_FALSE(HasRegion(sibling->GetHandle()));
  box->AlignControls(inner, all);
  EXPECT_FALSE(HasRegion(wnd));
}

TEST_F(ContainerInner, FocusGoesToTheInnerControlAndTabLeavesTheContainer) {
  Open();
  auto* i1 = Inner<TKeyInner>(form);
  auto* i2 = Inner<TKeyInner>(form);
  TBox* c1 = AddBox(10, 10, i1);
  TBox* c2 = AddBox(10, 50, i2);
  AddBox(10, 90, Inner<TKeyInner>(form));
  c2->SetFocus();
  host().PumpUntilIdle();
  c1->FocusChanges = 0;
  c1->SetFocus();
  host().PumpUntilIdle();
  EXPECT_EQ(GetFocus(), i1->GetHandle());
  EXPECT_EQ(c1->FocusChanges, 1) << "entered once; the hand-over to the inner control is no exit";
  ::SetFocus(c1->GetHandle());
  ::SetFocus(i1->GetHandle());
  host().PumpUntilIdle();
  EXPECT_EQ(c1->FocusChanges, 1) << "focus bouncing between the two is swallowed";
  host().Key(VK_TAB);
  Pump();
  EXPECT_EQ(GetFocus(), i2->GetHandle());
  host().KeyDown(VK_SHIFT);
  host().Key(VK_TAB);
  host().KeyUp(VK_SHIFT);
  Pump();
  EXPECT_EQ(GetFocus(), i1->GetHandle()) << "Shift+Tab leaves the container instead of returning to it";
  host().KeyDown(VK_CONTROL);
  host().Key(VK_TAB);
  host().KeyUp(VK_CONTROL);
  Pump();
  EXPECT_EQ(GetFocus(), i1->GetHandle()) << "Ctrl+Tab is not the container's";
  EXPECT_FALSE(c1->CanFocusOnClick()) << "its inner control already has the focus";
  c2->InnerControlMouseDown = true;
  EXPECT_FALSE(c2->CanFocusOnClick()) << "while the inner control forwards its own press";
}

TEST_F(ContainerInner, KeysGoToTheInnerControlAndItsShortcutsToTheContainersMenu) {
  Open();
  auto* inner = Inner<TKeyInner>(form);
  TBox* box = AddBox(10, 10, inner);
  auto count = [&](UINT msg) { return std::count(inner->Seen.begin(), inner->Seen.end(), msg); };
  for (UINT msg : {WM_KEYDOWN, WM_CHAR, WM_KEYUP, CN_KEYDOWN, CN_CHAR}) {
    const auto before = count(msg);
    SendMessageA(box->GetHandle(), msg, 'A', 0);
    EXPECT_EQ(count(msg), before + 1) << std::hex << msg;
  }

  box->SetPopupMenu(New<TKeyMenu>(form));
  TMessage taken{CN_KEYDOWN, 'J', 0, 0};
  EXPECT_TRUE(box->InnerControlMenuHandler(taken));
  EXPECT_EQ(taken.Result, 1);
  TMessage other{CN_KEYDOWN, 'K', 0, 0};
  EXPECT_FALSE(box->InnerControlMenuHandler(other));
  TMessage plain{WM_KEYDOWN, 'J', 0, 0};
  EXPECT_FALSE(box->InnerControlMenuHandler(plain)) << "only the key-down notifications";
}

TEST_F(ContainerInner, ColourAndFontGoBothWaysBetweenControlAndStyle) {
  Open();
  auto* inner = Inner<TCustomControl>(form);
  TBox* box = AddBox(10, 10, inner);
  TBox* follower = AddBox(10, 50);
  TcxContainerStyle* style = box->GetStyle();

  style->SetColor(clYellow);
  EXPECT_EQ(box->GetColor(), clYellow);
  box->SetColor(clAqua);
  EXPECT_EQ(style->GetColor(), clAqua);
  // A colour chosen on a control whose style had none assigned is kept, not reset to the default.
  follower->SetColor(clLime);
  EXPECT_TRUE(follower->GetStyle()->IsValueAssigned(csvColor));

  style->GetFont()->SetSize(14);
  EXPECT_EQ(box->GetFont()->GetSize(), 14);
  box->GetFont()->SetSize(20);
  EXPECT_EQ(style->GetFont()->GetSize(), 20);

  // The parent's font and colour pass through a following control without being assigned.
  ASSERT_TRUE(follower->GetParentFont());
  form->GetFont()->SetSize(17);
  EXPECT_EQ(follower->GetFont()->GetSize(), 17);
  EXPECT_FALSE(follower->GetStyle()->IsValueAssigned(csvFont));
  EXPECT_EQ(box->GetFont()->GetSize(), 20) << "an own font stays";
  follower->SetParentColor(true);
  follower->GetStyle()->SetAssignedValues({});
  form->SetColor(clMaroon);
  EXPECT_EQ(follower->GetColor(), clMaroon);
  EXPECT_FALSE(follower->GetStyle()->IsValueAssigned(csvColor));

  // Scaling: an assigned style font once, with the bounds.
  box->ScaleBy(3, 2);
  EXPECT_EQ(style->GetFont()->GetSize(), 30);
  EXPECT_EQ(box->GetWidth(), kW * 3 / 2);
  EXPECT_EQ(box->GetLeft(), 10) << "ScaleBy keeps the position";
}

// A controller's colour reaches the control and the inner control of every container
// following it that has no colour of its own; freeing the controller hands them back.
TEST_F(ContainerInner, ControllerColourReachesFollowingContainersAndTheirInnerControls) {
  Open();
  auto* inner = Inner<TCustomControl>(form);
  TBox* a = AddBox(10, 10, inner);
  TBox* b = AddBox(10, 50);
  TBox* own = AddBox(10, 90);
  own->GetStyle()->SetColor(clYellow);
  auto* controller = New<TcxStyleController>(form);
  for (TBox* box : {a, b, own}) box->GetStyle()->SetStyleController(controller);
  controller->Style()->SetColor(clTeal);
  EXPECT_EQ(a->GetColor(), clTeal);
  EXPECT_EQ(inner->GetColor(), clTeal);
  EXPECT_EQ(own->GetColor(), clYellow);
  EXPECT_FALSE(a->GetStyle()->GetAssignedValues().Contains(csvColor)) << "followed, not copied";
  controller->Free();
  EXPECT_EQ(a->GetColor(), clWindow);
  EXPECT_EQ(inner->GetColor(), clWindow);
}

TEST_F(ContainerInner, StoredStylePropertiesLeaveUnusedAndSharedOnes) {
  Open();
  TBox* box = AddBox(10, 10);
  box->Unused = {csvShadow};
  EXPECT_TRUE(box->IsStylePropertyStored("Color", false));
  EXPECT_FALSE(box->IsStylePropertyStored("shadow", false));
  EXPECT_TRUE(box->IsStylePropertyStored("Edges", false));
  EXPECT_FALSE(box->IsStylePropertyStored("Edges", true)) << "shared: the base style's alone";
}

TEST_F(ContainerInner, LibraryBarsLieOverTheInnerControlsOwn) {
  Open();
  auto* list = Inner<TListBox>(form);
  for (int i = 0; i < 40; ++i) list->GetItems()->Add("item " + std::to_string(i));
  TBox* box = AddBox(10, 10, list, 120, 100);
  Pump();
  SCROLLBARINFO info;
  ASSERT_TRUE(cxGetScrollBarInfo(list->GetHandle(), OBJID_VSCROLL, info));
  ASSERT_EQ(info.rgstate[0] & 0x18000u, 0u) << "the list shows its bar";
  TcxScrollBar* v = box->VScrollBar();
  ASSERT_TRUE(v->GetVisible());
  EXPECT_FALSE(box->HScrollBar()->GetVisible()) << "the list has no horizontal bar";
  const TPoint at = box->ScreenToClient({info.rcScrollBar.Left, info.rcScrollBar.Top});
  EXPECT_EQ(v->GetBoundsRect(), (TRect{at.X, at.Y, at.X + info.rcScrollBar.Width(), at.Y + info.rcScrollBar.Height()}));
  SCROLLINFO si{};
  si.cbSize = sizeof(si);
  si.fMask = SIF_ALL;
  ASSERT_TRUE(GetScrollInfo(list->GetHandle(), SB_VERT, &si));
  EXPECT_EQ(v->GetMax(), si.nMax);

  // The update is posted: nothing changes until the message is handled.
  list->SetTopIndex(10);
  box->PostUpdateScrollBars();
  EXPECT_EQ(v->GetPosition(), 0);
  Pump();
  EXPECT_EQ(v->GetPosition(), GetScrollPos(list->GetHandle(), SB_VERT));
  EXPECT_GT(v->GetPosition(), 0);

  box->SetEnabled(false);
  box->UpdateScrollBars();
  EXPECT_FALSE(v->GetEnabled()) << "a disabled container's bars are disabled";
  box->SetEnabled(true);

  // Without the platform's scroll-bar information there are no library bars.
  SetExportHidden("USER32", "GetScrollBarInfo", true);
  cxLookUpGetScrollBarInfo();
  box->UpdateScrollBars();
  EXPECT_FALSE(v->GetVisible());
  SetExportHidden("USER32", "GetScrollBarInfo", false);
  cxLookUpGetScrollBarInfo();
  list->Clear();
  box->PostUpdateScrollBars();
  Pump();
  EXPECT_EQ(v->GetVisible(), GetScrollBarInfo(list->GetHandle(), OBJID_VSCROLL, &info) &&
                                 (info.rgstate[0] & 0x18000u) == 0);
}

}  // namespace
