#include "widgets/foundation/cxInnerListBox.h"

#include "classlib/core/ScopeGuards.h"
#include "classlib/visual/Messages.h"
#include "platform/gdi/Gdi.h"
#include "platform/kernel/Clock.h"
#include "platform/kernel/CodePage.h"
#include "platform/user/User.h"

#include <algorithm>

namespace {

// The container's own handlers the list forwards to; reached through a pointer to member
// named from this never-instantiated descendant.
struct TcxContainerAccess : TcxContainer {
  static void CallMouseDown(TcxContainer* C, TMouseButton B, TShiftState S, Integer X, Integer Y) {
    (C->*(&TcxContainerAccess::MouseDown))(B, S, X, Y);
  }
  static void CallMouseMove(TcxContainer* C, TShiftState S, Integer X, Integer Y) {
    (C->*(&TcxContainerAccess::MouseMove))(S, X, Y);
  }
  static void CallMouseUp(TcxContainer* C, TMouseButton B, TShiftState S, Integer X, Integer Y) {
    (C->*(&TcxContainerAccess::MouseUp))(B, S, X, Y);
  }
  static bool CallDoMouseWheel(TcxContainer* C, TShiftState S, Integer Delta, TPoint P) {
    return (C->*(&TcxContainerAccess::DoMouseWheel))(S, Delta, P);
  }
  static void CallKeyDown(TcxContainer* C, Word& Key, TShiftState S) { (C->*(&TcxContainerAccess::KeyDown))(Key, S); }
  static void CallKeyUp(TcxContainer* C, Word& Key, TShiftState S) { (C->*(&TcxContainerAccess::KeyUp))(Key, S); }
  static void CallKeyPress(TcxContainer* C, Char& Key) { (C->*(&TcxContainerAccess::KeyPress))(Key); }
  static void CallClick(TcxContainer* C) { (C->*(&TcxContainerAccess::Click))(); }
  static void CallFocusChanged(TcxContainer* C) { (C->*(&TcxContainerAccess::FocusChanged))(); }
};

// Where the last character of S starts, double-byte characters taken whole.
size_t LastCharStart(const String& S) {
  size_t i = 0, last = 0;
  while (i < S.size()) {
    last = i;
    i += (IsDBCSLeadByte(Byte(S[i])) && i + 1 < S.size()) ? 2 : 1;
  }
  return last;
}

}  // namespace

TcxCustomInnerListBox::TcxCustomInnerListBox(TComponent* AOwner)
    : TListBox(AOwner), FContainer(dynamic_cast<TcxContainer*>(AOwner)) {
  FcxCanvas = New<TcxCanvas>(Canvas());
  FLookAndFeel = New<TcxLookAndFeel>(this);
  FLookAndFeel->OnChanged = TcxLookAndFeelChangedEvent(this, &TcxCustomInnerListBox::LookAndFeelChangedHandler);
  SetBorderStyle(TBorderStyle::bsNone);
  SetParentColor(false);
  SetParentFont(true);
}

void TcxCustomInnerListBox::AfterConstruction() {
  inherited::AfterConstruction();
  CreateScrollBars();
}

void TcxCustomInnerListBox::BeforeDestruction() {
  // The bars follow the look and feel, so they go first.
  if (FHScrollBar) FHScrollBar->Free();
  if (FVScrollBar) FVScrollBar->Free();
  FHScrollBar = FVScrollBar = nullptr;
  if (FLookAndFeel) FLookAndFeel->Free();
  FLookAndFeel = nullptr;
  if (FcxCanvas) FcxCanvas->Free();
  FcxCanvas = nullptr;
  inherited::BeforeDestruction();
}

bool TcxCustomInnerListBox::ContainerAlive() const {
  return FContainer && !FContainer->IsDestroying() &&
         !FContainer->ComponentState().Contains(TComponentStateItem::csDestroying);
}

void TcxCustomInnerListBox::CreateScrollBars() {
  auto make = [this](TScrollBarKind AKind) {
    TcxScrollBar* bar = New<TcxScrollBar>(this);
    bar->SetVisible(false);
    bar->SetKind(AKind);
    bar->SetTabStop(false);
    bar->GetLookAndFeel()->SetMasterLookAndFeel(FLookAndFeel);
    bar->OnScroll = TScrollEvent(this, &TcxCustomInnerListBox::ScrollBarScroll);
    // The bars lie over the list, so they live in the container beside it.
    if (FContainer) bar->SetParent(FContainer);
    return bar;
  };
  FHScrollBar = make(TScrollBarKind::sbHorizontal);
  FVScrollBar = make(TScrollBarKind::sbVertical);
}

void TcxCustomInnerListBox::LookAndFeelChanged(TcxLookAndFeel*, TcxLookAndFeelValues) {
  if (HandleAllocated()) Invalidate();
}

void TcxCustomInnerListBox::Notification(TComponent* AComponent, TOperation Operation) {
  inherited::Notification(AComponent, Operation);
  if (Operation != TOperation::opRemove) return;
  if (AComponent == FHScrollBar) FHScrollBar = nullptr;
  if (AComponent == FVScrollBar) FVScrollBar = nullptr;
  if (AComponent == FContainer) FContainer = nullptr;
}

// ---- Messages ----------------------------------------------------------------------------------

void TcxCustomInnerListBox::DefaultHandler(TMessage& Message) {
  if (ContainerAlive() && FContainer->InnerControlDefaultHandler(Message)) return;
  inherited::DefaultHandler(Message);
}

void TcxCustomInnerListBox::WndProc(TMessage& Message) {
  if (ContainerAlive() && FContainer->InnerControlMenuHandler(Message)) return;
  inherited::WndProc(Message);
  switch (Message.Msg) {
    case WM_SETREDRAW:
      if (Message.WParam == 0) break;
      UpdateScrollBars();
      break;
    case WM_MOUSEWHEEL:
      // A wheel nobody above took scrolls the list itself.
      if (Message.Result == 0 && HandleAllocated()) DefaultHandler(Message);
      UpdateScrollBars();
      break;
    case WM_WINDOWPOSCHANGED: case WM_HSCROLL: case WM_VSCROLL:
    case LB_ADDSTRING: case LB_INSERTSTRING: case LB_DELETESTRING: case LB_RESETCONTENT:
    case LB_SETCURSEL: case LB_SETCARETINDEX: case LB_SETTOPINDEX: case LB_SETHORIZONTALEXTENT:
    case CM_WININICHANGE: case DXM_UPDATESCROLLBARS:
      UpdateScrollBars();
      break;
    default:
      break;
  }
}

void TcxCustomInnerListBox::WMGetDlgCode(TMessage& Message) {
  TL_INHERITED(Message);
  if (!FContainer) return;
  Message.Result |= DLGC_WANTCHARS;
  if (GetKeyState(VK_CONTROL) >= 0) Message.Result |= DLGC_WANTTAB;
}

void TcxCustomInnerListBox::WMKillFocus(TMessage& Message) {
  TL_INHERITED(Message);
  if (ContainerAlive()) TcxContainerAccess::CallFocusChanged(FContainer);
}

void TcxCustomInnerListBox::WMSetFocus(TMessage& Message) {
  TL_INHERITED(Message);
  if (ContainerAlive()) TcxContainerAccess::CallFocusChanged(FContainer);
}

void TcxCustomInnerListBox::WMLButtonDown(TMessage& Message) {
  if (ContainerAlive() && FContainer->GetDragMode() == TDragMode::dmAutomatic &&
      !FContainer->ComponentState().Contains(TComponentStateItem::csDesigning)) {
    FContainer->BeginDrag(false);
    return;
  }
  TL_INHERITED(Message);
}

void TcxCustomInnerListBox::WMNCCalcSize(TMessage& Message) {
  TL_INHERITED(Message);
  // The bars follow the frame, which is settled only once this message is answered.
  if (ContainerAlive() && !ComponentState().Contains(TComponentStateItem::csDestroying) && HandleAllocated())
    PostMessageA(GetHandle(), DXM_UPDATESCROLLBARS, 0, 0);
}

void TcxCustomInnerListBox::WMNCPaint(TMessage& Message) {
  TL_INHERITED(Message);
  TRect r;
  GetSizeGripRect(r);
  if (r.IsEmpty() || !HandleAllocated()) return;
  // The system's corner between its bars would show beside the library bars.
  HDC dc = GetWindowDC(GetHandle());
  RECT rc = r;
  FillRect(dc, &rc, GetSysColorBrush(COLOR_BTNFACE));
  ReleaseDC(GetHandle(), dc);
}

// The container hears of the mouse first (as the parent), and its handlers may free it with
// this list.
void TcxCustomInnerListBox::CMMouseEnter(TMessage& Message) {
  TWeakLink self(this);
  TL_INHERITED(Message);
  if (self.Alive() && ContainerAlive()) FContainer->RecalcViewAtCursor(true);
}

void TcxCustomInnerListBox::CMMouseLeave(TMessage& Message) {
  TWeakLink self(this);
  TL_INHERITED(Message);
  if (self.Alive() && ContainerAlive()) FContainer->RecalcViewAtCursor(true);
}

void TcxCustomInnerListBox::CNDrawItem(TMessage& Message) {
  auto& d = *reinterpret_cast<DRAWITEMSTRUCT*>(Message.LParam);
  TOwnerDrawState state;
  if (d.itemState & ODS_SELECTED) state.Include(TOwnerDrawStateItem::odSelected);
  if (d.itemState & ODS_FOCUS) state.Include(TOwnerDrawStateItem::odFocused);
  if (d.itemState & ODS_DISABLED) state.Include(TOwnerDrawStateItem::odDisabled);
  TCanvas* canvas = Canvas();
  TControlCanvasPaint paint(static_cast<TControlCanvas*>(canvas), FDrawDC, d.hDC);
  canvas->SetFont(GetFont());
  canvas->Brush()->SetColor(GetColor());
  if (state.Contains(TOwnerDrawStateItem::odSelected)) {
    canvas->Brush()->SetColor(clHighlight);
    canvas->Font()->SetColor(clHighlightText);
  }
  TRect r = d.rcItem;
  if (Integer(d.itemID) >= 0) DrawItem(Integer(d.itemID), r, state);
  else canvas->FillRect(r);
  if (state.Contains(TOwnerDrawStateItem::odFocused) && NeedDrawFocusRect()) canvas->DrawFocusRect(r);
  Message.Result = 1;
}

// ---- Library scroll bars -----------------------------------------------------------------------

void TcxCustomInnerListBox::UpdateScrollBars() {
  if (FUpdatingScrollBars || ComponentState().Contains(TComponentStateItem::csDestroying)) return;
  if (!ContainerAlive() || !HandleAllocated() || !cxIsGetScrollBarInfoAvailable()) return;
  TScopedValue<bool> updating(FUpdatingScrollBars, true);
  UpdateScrollBar(FHScrollBar, OBJID_HSCROLL, SB_HORZ);
  UpdateScrollBar(FVScrollBar, OBJID_VSCROLL, SB_VERT);
}

void TcxCustomInnerListBox::UpdateScrollBar(TcxScrollBar* ABar, Integer AObjectId, int ASystemBar) {
  if (!ABar) return;
  SCROLLBARINFO info;
  bool visible =
      cxGetScrollBarInfo(GetHandle(), AObjectId, info) && (info.rgstate[0] & cxScrollBarHiddenStates) == 0;
  TRect r{};
  if (visible) {
    FContainer->ScreenRectToClient(info.rcScrollBar, r);
    TRect client = FContainer->GetClientRect();
    visible = !r.IsEmpty() && r.Left >= client.Left && r.Top >= client.Top && r.Right <= client.Right &&
              r.Bottom <= client.Bottom;
  }
  if (!visible) {
    ABar->SetVisible(false);
    return;
  }
  ABar->SetEnabled((info.rgstate[0] & STATE_SYSTEM_UNAVAILABLE) == 0 && FContainer->GetEnabled());
  ABar->SetBoundsRect(r);
  ABar->BringToFront();
  cxCopyScrollInfo(GetHandle(), ASystemBar, ABar);
  ABar->SetVisible(true);
}

void TcxCustomInnerListBox::ScrollBarScroll(TObject* Sender, TScrollCode ScrollCode, Integer& ScrollPos) {
  if (!HandleAllocated()) return;
  bool horizontal = Sender == FHScrollBar;
  Perform(horizontal ? WM_HSCROLL : WM_VSCROLL, MAKEWPARAM(WORD(Ord(ScrollCode)), WORD(ScrollPos)), 0);
  if (HandleAllocated()) ScrollPos = GetScrollPos(GetHandle(), horizontal ? SB_HORZ : SB_VERT);
}

void TcxCustomInnerListBox::GetSizeGripRect(TRect& R) const {
  R = TRect{};
  if (!FHScrollBar || !FVScrollBar || !FHScrollBar->GetVisible() || !FVScrollBar->GetVisible()) return;
  R.Left = FVScrollBar->GetLeft() - GetLeft();
  R.Top = FHScrollBar->GetTop() - GetTop();
  R.Right = R.Left + FVScrollBar->GetWidth();
  R.Bottom = R.Top + FHScrollBar->GetHeight();
}

// ---- Incremental search ------------------------------------------------------------------------

Integer TcxCustomInnerListBox::FindItemStartingWith(const String& AText) {
  if (IsVirtual()) return DoFindData(AText);
  if (!HandleAllocated()) return -1;
  LRESULT i = SendMessageA(GetHandle(), LB_FINDSTRING, WPARAM(Integer(-1)), reinterpret_cast<LPARAM>(AText.c_str()));
  return i == LB_ERR ? -1 : Integer(i);
}

void TcxCustomInnerListBox::KeyPressSearch(Char& Key) {
  if (!GetEnabled()) return;
  const Byte k = Byte(Key);
  if (k == VK_RETURN || k == VK_ESCAPE) return;
  DWORD now = GetTickCount();
  if (FAutoCompleteDelay == 0 || now - FLastSearchTick > FAutoCompleteDelay) FSearchText.clear();
  FLastSearchTick = now;
  if (k == VK_BACK) {
    if (FSearchText.empty()) return;
    FSearchText.erase(LastCharStart(FSearchText));
  } else {
    Key = 0;
    if (k < 32) return;
    FSearchText += Char(k);
    // A lead byte takes its trail byte from the next character message, when there is one.
    if (IsDBCSLeadByte(k) && HandleAllocated()) {
      MSG msg;
      if (PeekMessageA(&msg, GetHandle(), WM_CHAR, WM_CHAR, PM_REMOVE)) FSearchText += Char(Byte(msg.wParam));
    }
  }
  if (FSearchText.empty()) return;
  Integer i = FindItemStartingWith(FSearchText);
  if (i < 0 || i >= GetCount()) return;
  if (HandleAllocated() && (GetWindowLongA(GetHandle(), GWL_STYLE) & (LBS_MULTIPLESEL | LBS_EXTENDEDSEL))) {
    SendMessageA(GetHandle(), LB_SETSEL, FALSE, -1);
    SendMessageA(GetHandle(), LB_SETSEL, TRUE, LPARAM(i));
    SendMessageA(GetHandle(), LB_SETCARETINDEX, WPARAM(i), 0);
  } else {
    SetItemIndex(i);
  }
}

// ---- Keys and mouse, handed to the container ---------------------------------------------------

void TcxCustomInnerListBox::KeyDown(Word& Key, TShiftState Shift) {
  if (ContainerAlive()) TcxContainerAccess::CallKeyDown(FContainer, Key, Shift);
  if (Key != 0) inherited::KeyDown(Key, Shift);
}

void TcxCustomInnerListBox::KeyUp(Word& Key, TShiftState Shift) {
  if (ContainerAlive()) TcxContainerAccess::CallKeyUp(FContainer, Key, Shift);
  if (Key != 0) inherited::KeyUp(Key, Shift);
}

void TcxCustomInnerListBox::KeyPress(Char& Key) {
  if (ContainerAlive()) TcxContainerAccess::CallKeyPress(FContainer, Key);
  // Without AutoComplete the list's own first-letter search answers.
  if (Key != 0 && GetAutoComplete()) KeyPressSearch(Key);
  if (Key != 0) inherited::KeyPress(Key);
}

void TcxCustomInnerListBox::Click() {
  inherited::Click();
  if (FVScrollBar && HandleAllocated()) FVScrollBar->SetPosition(GetTopIndex());
  if (ContainerAlive()) TcxContainerAccess::CallClick(FContainer);
}

void TcxCustomInnerListBox::MouseDown(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) {
  inherited::MouseDown(Button, Shift, X, Y);
  if (!ContainerAlive()) return;
  TcxContainer* container = FContainer;
  // The container's handler may free it, and this list with it.
  TWatchedValue<bool> pressed(container, container->InnerControlMouseDown, true);
  TcxContainerAccess::CallMouseDown(container, Button, Shift, X + GetLeft(), Y + GetTop());
}

void TcxCustomInnerListBox::MouseMove(TShiftState Shift, Integer X, Integer Y) {
  inherited::MouseMove(Shift, X, Y);
  if (ContainerAlive()) TcxContainerAccess::CallMouseMove(FContainer, Shift, X + GetLeft(), Y + GetTop());
}

void TcxCustomInnerListBox::MouseUp(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) {
  inherited::MouseUp(Button, Shift, X, Y);
  if (ContainerAlive()) TcxContainerAccess::CallMouseUp(FContainer, Button, Shift, X + GetLeft(), Y + GetTop());
}

bool TcxCustomInnerListBox::DoMouseWheel(TShiftState Shift, Integer WheelDelta, TPoint MousePos) {
  if (ContainerAlive() && TcxContainerAccess::CallDoMouseWheel(FContainer, Shift, WheelDelta, MousePos)) return true;
  return inherited::DoMouseWheel(Shift, WheelDelta, MousePos);
}

TL_MESSAGES(TcxCustomInnerListBox,
            TL_ON(WM_GETDLGCODE, WMGetDlgCode),
            TL_ON(WM_KILLFOCUS, WMKillFocus),
            TL_ON(WM_LBUTTONDOWN, WMLButtonDown),
            TL_ON(WM_NCCALCSIZE, WMNCCalcSize),
            TL_ON(WM_NCPAINT, WMNCPaint),
            TL_ON(WM_SETFOCUS, WMSetFocus),
            TL_ON(CM_MOUSEENTER, CMMouseEnter),
            TL_ON(CM_MOUSELEAVE, CMMouseLeave),
            TL_ON(CN_DRAWITEM, CNDrawItem))

TL_DEFINE_CLASS(TcxCustomInnerListBox, [](auto& c) {
  c.Property("AutoCompleteDelay", &TcxCustomInnerListBox::GetAutoCompleteDelay,
             &TcxCustomInnerListBox::SetAutoCompleteDelay)
      .Default(Cardinal(TcxCustomInnerListBox::kDefaultAutoCompleteDelay));
})
