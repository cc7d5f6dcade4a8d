// The drop-down edit: when its popup may open, what it shows, the keys and focus changes
// that open and close it, the close-up reason and whether the chosen value is taken.
#include "widgets/editors/cxDropDownEdit.h"

#include "classlib/core/ScopeGuards.h"
#include "classlib/visual/Forms.h"
#include "platform/kernel/Units.h"
#include "platform/user/User.h"
#include "widgets/foundation/cxVariants.h"

#include <algorithm>

namespace {

bool Has(TShiftState S, TShiftStateItem I) { return S.Contains(I); }

TcxPopupAlignHorz AlignOf(TAlignment A) {
  switch (A) {
    case TAlignment::taRightJustify: return TcxPopupAlignHorz::pahRight;
    case TAlignment::taCenter: return TcxPopupAlignHorz::pahCenter;
    default: return TcxPopupAlignHorz::pahLeft;
  }
}

}  // namespace

// ---- properties ----

TcxCustomDropDownEditProperties::TcxCustomDropDownEditProperties(TPersistent* AOwner)
    : TcxCustomMaskEditProperties(AOwner) {}

void TcxCustomDropDownEditProperties::AfterConstruction() {
  inherited::AfterConstruction();
  TcxEditButton* button = GetButtons()->Add();
  button->SetKind(TcxEditButtonKind::bkDown);
  button->SetDefault(false);
  FGlyphButtonIndex = GetDropDownButtonVisibleIndex();
}

void TcxCustomDropDownEditProperties::BeforeDestruction() {
  FreeAndNil(FButtonGlyph);
  inherited::BeforeDestruction();
}

void TcxCustomDropDownEditProperties::Assign(TPersistent* Source) {
  auto* s = dynamic_cast<TcxCustomDropDownEditProperties*>(Source);
  if (!s) {
    inherited::Assign(Source);
    return;
  }
  auto update = UpdateBracket(this);
  inherited::Assign(Source);
  SetButtonGlyph(s->FButtonGlyph);
  SetImmediateDropDown(s->FImmediateDropDown);
  SetImmediatePopup(s->FImmediatePopup);
  SetPopupAlignment(s->FPopupAlignment);
  SetPopupAutoSize(s->FPopupAutoSize);
  SetPopupClientEdge(s->FPopupClientEdge);
  SetPopupMinHeight(s->FPopupMinHeight);
  SetPopupMinWidth(s->FPopupMinWidth);
  SetPopupHeight(s->FPopupHeight);
  SetPopupWidth(s->FPopupWidth);
  SetPopupSizeable(s->FPopupSizeable);
  SetPopupSysPanelStyle(s->FPopupSysPanelStyle);
  SetPostPopupValueOnTab(s->FPostPopupValueOnTab);
  OnCloseQuery = s->OnCloseQuery;
  OnCloseUp = s->OnCloseUp;
  OnInitPopup = s->OnInitPopup;
  OnPopup = s->OnPopup;
}

TBitmap* TcxCustomDropDownEditProperties::GetButtonGlyph() const {
  if (!FButtonGlyph) {
    FButtonGlyph = New<TBitmap>();
    FButtonGlyph->OnChange = {const_cast<TcxCustomDropDownEditProperties*>(this),
                              &TcxCustomDropDownEditProperties::GlyphChanged};
  }
  return FButtonGlyph;
}

void TcxCustomDropDownEditProperties::SetButtonGlyph(TBitmap* Value) {
  if (!Value) {
    if (FButtonGlyph && !FButtonGlyph->Empty()) {
      FreeAndNil(FButtonGlyph);
      Changed();
    }
    return;
  }
  GetButtonGlyph()->Assign(Value);
}

void TcxCustomDropDownEditProperties::ApplyButtonGlyph() {
  TcxEditButtons* buttons = GetButtons();
  if (FGlyphButtonIndex < 0 || FGlyphButtonIndex >= buttons->Count()) return;
  TcxEditButton* b = buttons->Items(FGlyphButtonIndex);
  const bool has = FButtonGlyph && !FButtonGlyph->Empty();
  FApplyingGlyph = true;
  TScopeExit applied([this] { FApplyingGlyph = false; });
  if (has) {
    b->SetGlyph(FButtonGlyph);
    b->SetKind(TcxEditButtonKind::bkGlyph);
  } else if (b->GetKind() == TcxEditButtonKind::bkGlyph) {
    b->SetKind(GetButtonKindWithoutGlyph(FGlyphButtonIndex));
  }
}

void TcxCustomDropDownEditProperties::Changed() {
  if (!FApplyingGlyph) ApplyButtonGlyph();
  inherited::Changed();
}

void TcxCustomDropDownEditProperties::SetGlyphButtonIndex(Integer Value) {
  if (FGlyphButtonIndex == Value) return;
  TcxEditButtons* buttons = GetButtons();
  const Integer previous = FGlyphButtonIndex;
  FGlyphButtonIndex = Value;
  if (previous >= 0 && previous < buttons->Count()) {
    TcxEditButton* old = buttons->Items(previous);
    FApplyingGlyph = true;
    TScopeExit applied([this] { FApplyingGlyph = false; });
    old->SetGlyph(nullptr);
    if (old->GetKind() == TcxEditButtonKind::bkGlyph)
      old->SetKind(GetButtonKindWithoutGlyph(previous));
  }
  Changed();
}

void TcxCustomDropDownEditProperties::SetImmediateDropDown(bool Value) {
  if (FImmediateDropDown == Value) return;
  FImmediateDropDown = Value;
  Changed();
}

void TcxCustomDropDownEditProperties::SetImmediatePopup(bool Value) {
  if (FImmediatePopup == Value) return;
  FImmediatePopup = Value;
  Changed();
}

void TcxCustomDropDownEditProperties::SetPopupAlignment(TAlignment Value) {
  if (FPopupAlignment == Value) return;
  FPopupAlignment = Value;
  Changed();
}

void TcxCustomDropDownEditProperties::SetPopupAutoSize(bool Value) {
  if (FPopupAutoSize == Value) return;
  FPopupAutoSize = Value;
  Changed();
}

void TcxCustomDropDownEditProperties::SetPopupClientEdge(bool Value) {
  if (FPopupClientEdge == Value) return;
  FPopupClientEdge = Value;
  Changed();
}

void TcxCustomDropDownEditProperties::SetPopupHeight(Integer Value) {
  FPopupHeight = std::max(Value, FPopupMinHeight);
}

void TcxCustomDropDownEditProperties::SetPopupWidth(Integer Value) {
  if (Value < 0) Value = 0;
  if (Value > 0 && Value < FPopupMinWidth) Value = FPopupMinWidth;
  FPopupWidth = Value;
}

void TcxCustomDropDownEditProperties::SetPopupMinHeight(Integer Value) {
  Value = std::max<Integer>(0, Value);
  if (FPopupMinHeight == Value) return;
  FPopupMinHeight = Value;
  SetPopupHeight(FPopupHeight);
  Changed();
}

void TcxCustomDropDownEditProperties::SetPopupMinWidth(Integer Value) {
  Value = std::max<Integer>(0, Value);
  if (FPopupMinWidth == Value) return;
  FPopupMinWidth = Value;
  SetPopupWidth(FPopupWidth);
  Changed();
}

void TcxCustomDropDownEditProperties::SetPopupSizeable(bool Value) {
  if (FPopupSizeable == Value) return;
  FPopupSizeable = Value;
  Changed();
}

void TcxCustomDropDownEditProperties::SetPopupSysPanelStyle(bool Value) {
  if (FPopupSysPanelStyle == Value) return;
  FPopupSysPanelStyle = Value;
  Changed();
}

void TcxCustomDropDownEditProperties::SetPostPopupValueOnTab(bool Value) {
  if (FPostPopupValueOnTab == Value) return;
  FPostPopupValueOnTab = Value;
  Changed();
}

TcxCustomEditPopupWindowClass TcxCustomDropDownEditProperties::GetPopupWindowClass() const {
  return ClassOf<TcxCustomEditPopupWindow, TcxCustomEditPopupWindow, TWinControl*>();
}

TcxCustomEditViewDataClass TcxCustomDropDownEditProperties::GetViewDataClass() const {
  return ClassOf<TcxCustomDropDownEditViewData, TcxCustomEditViewData, TcxCustomEditProperties*, TcxCustomEditStyle*,
                 bool>();
}

// ---- view data ----

bool TcxCustomDropDownEditViewData::IsButtonPressed(Integer AButtonIndex) const {
  auto* edit = dynamic_cast<TcxCustomDropDownEdit*>(Edit);
  auto* p = dynamic_cast<TcxCustomDropDownEditProperties*>(Properties);
  if (!edit || !p || !edit->HasShownPopup()) return false;
  TcxEditButtons* buttons = p->GetButtons();
  const Integer visible = p->GetDropDownButtonVisibleIndex();
  Integer seen = -1;
  for (Integer i = 0; i < buttons->Count(); ++i) {
    if (!buttons->Items(i)->GetVisible()) continue;
    if (++seen == visible) return i == AButtonIndex;
  }
  return false;
}

void TcxCustomDropDownEditViewData::Calculate(TcxCanvas& ACanvas, const TRect& ABounds, const TPoint& P,
                                              TcxMouseButton AButton, TShiftState AShift,
                                              TcxCustomEditViewInfo* AViewInfo, bool AIsMouseEvent) {
  inherited::Calculate(ACanvas, ABounds, P, AButton, AShift, AViewInfo, AIsMouseEvent);
  if (auto* vi = dynamic_cast<TcxCustomTextEditViewInfo*>(AViewInfo))
    vi->IsSelected = EditingStyle == TcxEditEditingStyle::esFixedList && Focused && !IsInplace;
}

// ---- the edit: life ----

void TcxCustomDropDownEdit::Initialize() {
  inherited::Initialize();
  if (!InState(TComponentStateItem::csDesigning)) CreatePopupWindow();
  FPopupControlsLookAndFeel = New<TcxEditPopupControlLookAndFeel>(this);
}

void TcxCustomDropDownEdit::CreatePopupWindow() {
  if (FPopupWindow) return;
  FPopupWindow = ActiveProperties()->GetPopupWindowClass().Create(this);
  FPopupWindow->SetModal(true);
  FPopupWindow->OnClosed = {this, &TcxCustomDropDownEdit::PopupWindowClosedHandler};
  FPopupWindow->OnClosing = {this, &TcxCustomDropDownEdit::PopupWindowClosingHandler};
  FPopupWindow->OnShowed = {this, &TcxCustomDropDownEdit::PopupWindowShowedHandler};
  FPopupWindow->OnShowing = {this, &TcxCustomDropDownEdit::PopupWindowShowingHandler};
  FPopupWindow->OnKeyDown = {this, &TcxCustomDropDownEdit::PopupWindowKeyDown};
  // A result set in the popup closes it only when the edit's OnCloseQuery agrees.
  FPopupWindow->OnCloseQuery = {this, &TcxCustomDropDownEdit::PopupWindowCloseQuery};
  FPopupWindow->SetSizeChanged(false);
}

void TcxCustomDropDownEdit::BeforeDestruction() {
  if (FPopupWindow) {
    TcxEditLifeGuard guard(this);
    if (HasShownPopup()) {
      // Closed as the user would, so that what it holds goes back where it belongs.
      try {
        CloseUp(TcxEditCloseUpReason::crNone);
      } catch (...) {  // not cleanup: a failing close-up cannot stop the destruction
      }
    } else if (RemoveShowRequest()) {
      try {
        PopupWindowClosed();
      } catch (...) {  // not cleanup: as above
      }
    }
    if (FPopupWindow) {
      FPopupWindow->OnClosed = TNotifyEvent();
      FPopupWindow->OnClosing = TNotifyEvent();
      FPopupWindow->OnShowed = TNotifyEvent();
      FPopupWindow->OnShowing = TNotifyEvent();
      FPopupWindow->OnKeyDown = TKeyEvent();
      FPopupWindow->OnCloseQuery = TCloseQueryEvent();
      if (FPopupWindow->IsShown()) FPopupWindow->ClosePopup();
      FreeAndNil(FPopupWindow);
    }
  }
  FreeAndNil(FPopupControlsLookAndFeel);
  inherited::BeforeDestruction();
}

TcxCustomEditPropertiesClass TcxCustomDropDownEdit::GetPropertiesClass() {
  return ClassOf<TcxCustomDropDownEditProperties, TcxCustomEditProperties, TPersistent*>();
}

bool TcxCustomDropDownEdit::HasShownPopup() const { return FPopupWindow && FPopupWindow->IsShown(); }

bool TcxCustomDropDownEdit::IsFocused() const { return inherited::IsFocused() || HasShownPopup(); }

bool TcxCustomDropDownEdit::UsesLookupList() {
  TcxCustomTextEditLookupData* data = LookupData();
  return data && data->HasVisualList() && ActiveProperties()->UseLookupData();
}

TRect TcxCustomDropDownEdit::GetPopupOwnerBounds() {
  TRect r = GetBoundsRect();
  if (HasShadow()) {
    r.Right += 3;
    r.Bottom += 3;
  }
  return r;
}

// ---- the show request ----

bool TcxCustomDropDownEdit::IsShowRequestQueued() {
  if (!FPopupWindow || !FPopupWindow->HandleAllocated()) return false;
  MSG m{};
  return PeekMessageA(&m, FPopupWindow->GetHandle(), DXM_DROPDOWNPOPUP, DXM_DROPDOWNPOPUP, PM_NOREMOVE) != FALSE;
}

bool TcxCustomDropDownEdit::RemoveShowRequest() {
  if (!FPopupWindow || !FPopupWindow->HandleAllocated()) return false;
  MSG m{};
  bool removed = false;
  while (PeekMessageA(&m, FPopupWindow->GetHandle(), DXM_DROPDOWNPOPUP, DXM_DROPDOWNPOPUP, PM_REMOVE))
    removed = true;
  return removed;
}

void TcxCustomDropDownEdit::SetDroppedDown(bool Value) {
  if (Value == HasShownPopup()) {
    // Closed before it could show: the waiting request is withdrawn and what the set-up
    // moved into the popup goes back, so the popup never appears.
    if (!Value && RemoveShowRequest()) {
      FCloseUpReason = TcxEditCloseUpReason::crNone;
      PopupWindowClosed();
    }
    return;
  }
  if (Value) {
    if (!IsShowRequestQueued()) DropDown();
  } else {
    CloseUp(TcxEditCloseUpReason::crNone);
  }
}

// ---- opening ----

void TcxCustomDropDownEdit::FireOwnThenLinked(TNotifyEvent TcxCustomDropDownEditProperties::*AEvent) {
  TcxEditLifeGuard guard(this);
  auto* own = dynamic_cast<TcxCustomDropDownEditProperties*>(GetProperties());
  TcxCustomDropDownEditProperties* active = ActiveProperties();
  if (own && own->*AEvent) (own->*AEvent)(this);
  if (guard.Alive() && GetRepositoryItem() && active != own && active->*AEvent) (active->*AEvent)(this);
}

void TcxCustomDropDownEdit::DoInitPopup() { FireOwnThenLinked(&TcxCustomDropDownEditProperties::OnInitPopup); }

void TcxCustomDropDownEdit::DoPopup() {
  FCloseUpReason = TcxEditCloseUpReason::crNone;
  FireOwnThenLinked(&TcxCustomDropDownEditProperties::OnPopup);
}

bool TcxCustomDropDownEdit::CanClosePopup() {
  TcxEditLifeGuard guard(this);
  bool can = true;
  auto* own = dynamic_cast<TcxCustomDropDownEditProperties*>(GetProperties());
  TcxCustomDropDownEditProperties* active = ActiveProperties();
  if (own && own->OnCloseQuery) own->OnCloseQuery(this, can);
  if (guard.Alive() && can && GetRepositoryItem() && active != own && active->OnCloseQuery)
    active->OnCloseQuery(this, can);
  return can;
}

void TcxCustomDropDownEdit::DropDown() {
  if (!FPopupWindow || !HandleAllocated() || !IsWindowVisible(GetHandle())) return;
  TcxEditLifeGuard guard(this);
  DoInitPopup();
  if (!guard.Alive() || !FPopupWindow || !CanDropDown()) return;
  SaveDropDownState();
  if (!guard.Alive()) return;
  if (UsesLookupList()) LookupData()->DropDown();
  if (!guard.Alive() || !FPopupWindow) return;
  SetupPopupWindow();
  if (!guard.Alive() || !FPopupWindow) return;
  FPopupWindow->HandleNeeded();
  if (!guard.Alive() || !FPopupWindow) return;
  PostMessageA(FPopupWindow->GetHandle(), DXM_DROPDOWNPOPUP, 0, 0);
}

void TcxCustomDropDownEdit::SaveDropDownState() {
  FDropDownStateSaved = true;
  FDropDownText = VarToStr(GetDisplayValue());
  FDropDownEditModified = GetEditModified();
  FDropDownDisplayModified = GetDisplayValueModified();
}

void TcxCustomDropDownEdit::RestoreDropDownState() {
  if (!FDropDownStateSaved) return;
  FDropDownStateSaved = false;
  if (VarToStr(GetDisplayValue()) == FDropDownText) return;
  TcxEditLifeGuard guard(this);
  // The text goes back, and with it the marks it had; the list follows the text.
  SetInternalDisplayValue(Variant(FDropDownText));
  if (!guard.Alive()) return;
  SetDisplayValueModified(false);
  SetEditModified(FDropDownEditModified);
  if (FDropDownDisplayModified) SetDisplayValueModified(true);
  SelectAll();
  if (!guard.Alive()) return;
  DoChange();
}

void TcxCustomDropDownEdit::SynchronizeDisplayValue() {
  TcxEditLifeGuard guard(this);
  inherited::SynchronizeDisplayValue();
  if (guard.Alive() && FDropDownStateSaved && !FClosingUp && HasShownPopup()) SaveDropDownState();
}

void TcxCustomDropDownEdit::InitializeLookupData() {
  if (UsesLookupList()) LookupData()->Initialize(FPopupWindow);
}

void TcxCustomDropDownEdit::InitializePopupWindow() {
  TcxCustomDropDownEditProperties* p = ActiveProperties();
  TcxCustomEditPopupWindow* w = FPopupWindow;
  w->SetAlignHorz(AlignOf(p->GetPopupAlignment()));
  w->SetAlignVert(TcxPopupAlignVert::pavBottom);
  w->SetDirection(TcxPopupDirection::pdVertical);
  w->PopupAutoSize = p->GetPopupAutoSize();
  w->ClientEdge = p->GetPopupClientEdge();
  w->EditPopupBorderStyle = EditViewInfo()->PopupBorderStyle;
  w->CloseButton = GetEditStyle()->GetPopupFlag();
  w->MinWidth = p->GetPopupMinWidth();
  w->MinHeight = p->GetPopupMinHeight();
  w->Sizeable = p->GetPopupSizeable();
  w->SysPanelStyle = p->GetPopupSysPanelStyle();
  if (IsInplace() && FInplacePopupSizeChanged) {
    w->PopupWidth = FInplacePopupSize.cx;
    w->PopupHeight = FInplacePopupSize.cy;
  } else {
    w->PopupWidth = p->GetPopupWidth();
    w->PopupHeight = p->GetPopupHeight();
  }
  w->EditWidth = GetWidth();
  w->Shadow = HasShadow();
  w->NativeStyle = IsNativeStyle();
  w->SetOwnerParent(GetParent());
  w->SetOwnerBounds(GetPopupOwnerBounds());
  w->GetFont()->Assign(GetFont());
  // The drop-down button: a press there closes an open popup without opening it again.
  for (const auto& b : EditViewInfo()->ButtonsInfo)
    if (b->ButtonVisibleIndex == p->GetDropDownButtonVisibleIndex())
      w->SetOwnerDropDownRect({b->Bounds.Left, b->Bounds.Top}, {b->Bounds.Right, b->Bounds.Bottom});
}

TSize TcxCustomDropDownEdit::GetPopupWindowClientPreferredSize() { return {0, 0}; }

TWinControl* TcxCustomDropDownEdit::GetPopupFocusedControl() {
  if (UsesLookupList() && ActiveProperties()->IsPopupWindowCapturingFocus())
    if (TWinControl* list = LookupData()->GetActiveControl()) return list;
  return InnerControl();
}

void TcxCustomDropDownEdit::PositionPopupWindowChildren(const TRect& AClientRect) {
  if (UsesLookupList()) LookupData()->PositionVisualArea(AClientRect);
}

void TcxCustomDropDownEdit::UpdatePopupControlsLookAndFeel() {
  if (!FPopupControlsLookAndFeel) return;
  using K = TcxLookAndFeelKind;
  K kind = K::lfStandard;
  if (IsInplace()) {
    if (TcxLookAndFeel* lf = GetEditStyle()->GetLookAndFeel()) kind = lf->GetKind();
  } else if (!EditViewInfo()->ButtonsInfo.empty()) {
    switch (EditViewInfo()->ButtonsInfo[0]->ButtonStyle) {
      case TcxEditButtonStyle::btsFlat:
      case TcxEditButtonStyle::btsHotFlat: kind = K::lfFlat; break;
      case TcxEditButtonStyle::btsSimple:
      case TcxEditButtonStyle::btsUltraFlat: kind = K::lfUltraFlat; break;
      case TcxEditButtonStyle::btsOffice11: kind = K::lfOffice11; break;
      default: kind = K::lfStandard; break;
    }
  }
  const bool native = EditViewInfo()->NativeStyle;
  if (FPopupControlsLookAndFeel->GetKind() == kind && FPopupControlsLookAndFeel->GetNativeStyle() == native) return;
  FPopupControlsLookAndFeel->SetKind(kind);
  FPopupControlsLookAndFeel->SetNativeStyle(native);
  PopupControlsLookAndFeelChanged();
}

void TcxCustomDropDownEdit::SetupPopupWindow() {
  TcxCustomDropDownEditProperties* p = ActiveProperties();
  const bool capture = p->IsPopupWindowCapturingFocus();
  FPopupWindow->SetCaptureFocus(capture);
  // A popup that leaves the focus in the edit is a tool window on the screen.
  // Placing and sizing the list lays its rows out, asking their texts: a text handler may
  // free this editor, or the popup window with it.
  TcxEditLifeGuard guard(this);
  if (!capture) FPopupWindow->SetParentWindow(GetDesktopWindow());
  if (!guard.Alive() || !FPopupWindow) return;
  InitializeLookupData();
  if (!guard.Alive() || !FPopupWindow) return;
  UpdatePopupControlsLookAndFeel();
  if (!guard.Alive() || !FPopupWindow) return;
  InitializePopupWindow();
  FPopupWindow->CalculateBounds();
  if (!guard.Alive() || !FPopupWindow) return;
  FPopupWindow->CalculateViewInfo();
  PositionPopupWindowChildren(FPopupWindow->PopupViewInfo()->ClientRect);
  if (!guard.Alive() || !FPopupWindow) return;
  FPopupWindow->UpdateWindowRegion();
}

void TcxCustomDropDownEdit::PopupWindowShowedHandler(TObject*) {
  if (!FPopupWindow) return;
  TcxEditLifeGuard guard(this);
  FPopupWindow->CalculateViewInfo();
  PositionPopupWindowChildren(FPopupWindow->PopupViewInfo()->ClientRect);
  if (!guard.Alive() || !FPopupWindow) return;
  FPopupWindow->UpdateWindowRegion();
  RecalcViewAtCursor();
  if (!guard.Alive()) return;
  DoPopup();
  if (!guard.Alive() || !FPopupWindow) return;
  TcxCustomDropDownEditProperties* p = ActiveProperties();
  if (UsesLookupList() && p->GetImmediateDropDown() && p->IsPopupWindowCapturingFocus()) {
    const String text = VarToStr(GetDisplayValue());
    LookupData()->TextChanged(text.substr(0, size_t(std::clamp<Integer>(GetSelStart(), 0, Integer(text.size())))));
  }
}

// ---- closing ----

void TcxCustomDropDownEdit::CloseUp(TcxEditCloseUpReason AReason) {
  if (!HasShownPopup() || FClosingUp) return;
  TcxEditLifeGuard guard(this);
  if (AReason == TcxEditCloseUpReason::crCancel) {
    // Change events stay on: the text put back is a change the application hears.
    RestoreDropDownState();
    if (!guard.Alive() || !HasShownPopup()) return;
  }
  FDropDownStateSaved = false;
  FClosingUp = true;
  LockChangeEvents(true);
  // Written out: a finished step unlocks the change events while FClosingUp still refuses a
  // nested close-up; a failed one lowers the flag first.
  try {
    if (AReason == TcxEditCloseUpReason::crTab || AReason == TcxEditCloseUpReason::crClose ||
        AReason == TcxEditCloseUpReason::crEnter) {
      if (UsesLookupList()) {
        // The list's selection becomes the current item; the text follows it.
        LookupData()->SelectItem();
      }
      if (guard.Alive() && !ActiveProperties()->IsPostAfterPopupClosed() && ActiveProperties()->GetImmediatePost() &&
          CanPostEditValue())
        PostEditValue(true);
    }
  } catch (...) {
    if (guard.Alive()) {
      FClosingUp = false;
      LockChangeEvents(false);
    }
    throw;
  }
  if (!guard.Alive()) return;
  LockChangeEvents(false);
  if (!guard.Alive()) return;
  FClosingUp = false;
  FCloseUpReason = AReason;
  if (FPopupWindow && FPopupWindow->IsShown()) FPopupWindow->ClosePopup();
}

void TcxCustomDropDownEdit::PopupWindowClosingHandler(TObject*) {
  FFocusInPopup = FPopupWindow && FPopupWindow->HandleAllocated() &&
                  cxPopupDetail::IsWindowInside(FPopupWindow->GetHandle(), GetFocus());
  FClosedByPress = FPopupWindow && FPopupWindow->IsClosingByHook() && cxIsPoppingUp();
  if (FClosedByPress) ::GetCursorPos(&FClosedByPressPos);
}

void TcxCustomDropDownEdit::PopupWindowClosedHandler(TObject*) {
  TcxEditLifeGuard guard(this);
  const bool refocus = FFocusInPopup;
  FFocusInPopup = false;
  PopupWindowClosed();
  if (guard.Alive() && refocus && !IsDestroying() && CanFocus()) {
    if (InnerEdit())
      InnerEdit()->SafelySetFocus();
    else
      SetFocus();
  }
}

void TcxCustomDropDownEdit::PopupWindowClosed() {
  TcxEditLifeGuard guard(this);
  TcxCustomDropDownEditProperties* p = ActiveProperties();
  if (FPopupWindow && p->GetPopupSizeable() && FPopupWindow->GetSizeChanged()) {
    // The size without the shadow, which the window adds again whenever it shows.
    const Integer shadow = FPopupWindow->Shadow && !FPopupWindow->NativeStyle ? 3 : 0;
    const Integer w = FPopupWindow->GetWidth() - shadow, h = FPopupWindow->GetHeight() - shadow;
    if (IsInplace()) {
      FInplacePopupSizeChanged = true;
      FInplacePopupSize = {w, h};
    } else {
      p->SetPopupWidth(w);
      p->SetPopupHeight(h);
    }
  }
  if (UsesLookupList()) LookupData()->CloseUp();
  if (p->GetEditingStyle() == TcxEditEditingStyle::esFixedList) SelectAll();
  RecalcViewAtCursor();
  if (!guard.Alive()) return;
  DoClosePopup(FCloseUpReason);
  if (!guard.Alive()) return;
  FireOwnThenLinked(&TcxCustomDropDownEditProperties::OnCloseUp);
  if (!guard.Alive()) return;
  p = ActiveProperties();
  if (p->IsPostAfterPopupClosed()) {
    auto locked = WatchedPairedCall(
        this, [this] { LockChangeEvents(true); }, [this] { LockChangeEvents(false); });
    if (p->GetImmediatePost() && CanPostEditValue() && ValidateDisplayText(true) && guard.Alive())
      PostEditValue(false);
  }
}

// ---- keys ----

void TcxCustomDropDownEdit::DoEditKeyDown(Word& Key, TShiftState Shift) {
  TcxEditLifeGuard guard(this);
  const bool alt = Has(Shift, TShiftStateItem::ssAlt);
  if (((Key == VK_UP || Key == VK_DOWN) && alt) || (Key == VK_F4 && !alt)) {
    if (HasShownPopup())
      CloseUp(TcxEditCloseUpReason::crClose);
    else
      DropDown();
    if (guard.Alive()) Key = 0;
    return;
  }
  if (HasShownPopup() && (Key == VK_RETURN || Key == VK_ESCAPE) && !alt) {
    TcxEditCloseUpReason reason = TcxEditCloseUpReason::crCancel;
    if (Key == VK_RETURN && DoEditing()) reason = TcxEditCloseUpReason::crEnter;
    if (!guard.Alive()) return;
    CloseUp(reason);
    if (!guard.Alive()) return;
    if (!HasShownPopup()) {
      if (Key == VK_ESCAPE && HandleAllocated() && GetCapture()) ReleaseCapture();
      Key = 0;
      return;
    }
  }
  inherited::DoEditKeyDown(Key, Shift);
}

void TcxCustomDropDownEdit::HandleTabKey(TShiftState Shift) {
  // Closing up posts the value, whose handlers may free this editor.
  TcxEditLifeGuard guard(this);
  if (HasShownPopup() && ActiveProperties()->GetPostPopupValueOnTab()) CloseUp(TcxEditCloseUpReason::crTab);
  if (guard.Alive()) inherited::HandleTabKey(Shift);
}

void TcxCustomDropDownEdit::DoEditKeyPress(Char& Key) {
  TcxEditLifeGuard guard(this);
  TcxCustomDropDownEditProperties* p = ActiveProperties();
  if (Byte(Key) >= 32 && p->GetImmediateDropDown()) {
    if (!HasShownPopup() && !IsShowRequestQueued()) DropDown();
    if (!guard.Alive()) {
      Key = 0;
      return;
    }
    if (p->IsPopupWindowCapturingFocus() && CanDropDown() && GetPopupFocusedControl() && Key != Char(13) &&
        FPopupWindow && FPopupWindow->HandleAllocated()) {
      PostMessageA(FPopupWindow->GetHandle(), DXM_DROPDOWNCHAR, WPARAM(Byte(Key)), 0);
      Key = 0;
      return;
    }
  }
  inherited::DoEditKeyPress(Key);
}

void TcxCustomDropDownEdit::PopupWindowKeyDown(TObject*, Word& Key, TShiftState Shift) {
  // Keys pressed inside a popup that holds the focus.
  if (PopupKeepsClosingKey(Key, Shift)) return;
  const bool alt = Has(Shift, TShiftStateItem::ssAlt);
  if (((Key == VK_UP || Key == VK_DOWN) && alt) || (Key == VK_F4 && !alt)) {
    CloseUp(TcxEditCloseUpReason::crClose);
    Key = 0;
  } else if (Key == VK_ESCAPE && !alt) {
    CloseUp(TcxEditCloseUpReason::crCancel);
    Key = 0;
  } else if (Key == VK_TAB && ActiveProperties()->GetPostPopupValueOnTab()) {
    CloseUp(TcxEditCloseUpReason::crTab);
    Key = 0;
  }
}

// ---- focus and mouse ----

void TcxCustomDropDownEdit::FocusChanged() {
  if (HasShownPopup() && !ActiveProperties()->IsPopupWindowCapturingFocus() && !IsDestroying()) {
    TWinControl* inner = InnerControl();
    const bool innerFocused = inner && inner->HandleAllocated() && inner->Focused();
    if (!innerFocused) {
      TcxEditLifeGuard guard(this);  // the closing handlers may free the editor
      CloseUp(TcxEditCloseUpReason::crNone);
      if (!guard.Alive()) return;
    }
  }
  inherited::FocusChanged();
}

bool TcxCustomDropDownEdit::DoMouseWheel(TShiftState Shift, Integer WheelDelta, TPoint MousePos) {
  // The focus stays in the edit, so the wheel reaches it first.
  if (HasShownPopup() && UsesLookupList() && !ActiveProperties()->IsPopupWindowCapturingFocus()) {
    TWinControl* list = LookupData()->GetActiveControl();
    if (list && list->HandleAllocated() && list->GetVisible()) {
      WORD keys = 0;
      if (Has(Shift, TShiftStateItem::ssShift)) keys |= MK_SHIFT;
      if (Has(Shift, TShiftStateItem::ssCtrl)) keys |= MK_CONTROL;
      list->Perform(CM_MOUSEWHEEL, MAKEWPARAM(keys, WORD(SHORT(WheelDelta))), MAKELPARAM(MousePos.X, MousePos.Y));
      return true;
    }
  }
  return inherited::DoMouseWheel(Shift, WheelDelta, MousePos);
}

bool TcxCustomDropDownEdit::DropDownButtonAt(Integer AButtonIndex) {
  const TcxCustomDropDownEditProperties* p = ActiveProperties();
  for (const auto& b : EditViewInfo()->ButtonsInfo)
    if (b->ButtonIndex == AButtonIndex) return b->ButtonVisibleIndex == p->GetDropDownButtonVisibleIndex();
  return false;
}

void TcxCustomDropDownEdit::DoButtonDown(Integer AButtonIndex) {
  inherited::DoButtonDown(AButtonIndex);
  // The button also shows pressed while the popup is open; only a real press toggles.
  if (!FInMouseDown || !DropDownButtonAt(AButtonIndex) || !FPopupWindow) return;
  if (FPopupWindow->GetClosedByClick()) {
    // This very press closed the popup: it stays closed.
    FPopupWindow->SetClosedByClick(false);
    return;
  }
  if (HasShownPopup())
    CloseUp(TcxEditCloseUpReason::crNone);
  else if (!IsShowRequestQueued())
    DropDown();
}

void TcxCustomDropDownEdit::MouseDown(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) {
  const DWORD pos = GetMessagePos();
  const bool closedByThisPress = FClosedByPress && SHORT(LOWORD(pos)) == FClosedByPressPos.X &&
                                 SHORT(HIWORD(pos)) == FClosedByPressPos.Y;
  FClosedByPress = false;
  FPopupOpenAtPress = HasShownPopup() || closedByThisPress || (FPopupWindow && FPopupWindow->GetClosedByClick());
  TcxEditLifeGuard guard(this);
  {
    FInMouseDown = Button == TMouseButton::mbLeft;
    TWatchedScopeExit pressed(this, [this] { FInMouseDown = false; });
    inherited::MouseDown(Button, Shift, X, Y);
  }
  if (!guard.Alive()) return;
  if (Button != TMouseButton::mbLeft || FActivatingByMouse || !ActiveProperties()->IsFixedList()) return;
  if (GetButtonIndexAt({X, Y}) >= 0 || !IsFocused() || FPopupOpenAtPress) {
    if (FPopupWindow && !HasShownPopup() && GetButtonIndexAt({X, Y}) < 0) FPopupWindow->SetClosedByClick(false);
    return;
  }
  if (!HasShownPopup() && !IsShowRequestQueued()) DropDown();
}

void TcxCustomDropDownEdit::ChangeHandler(TObject* Sender) {
  TcxEditLifeGuard guard(this);
  String before;
  if (UsesLookupList()) before = LookupData()->GetCurrentText();
  inherited::ChangeHandler(Sender);
  if (!guard.Alive() || !UsesLookupList() || IsLookupSelecting()) return;
  const TcxEditEditingStyle style = ActiveProperties()->GetEditingStyle();
  if (!(HasShownPopup() || IsShowRequestQueued() || style == TcxEditEditingStyle::esEditList ||
        style == TcxEditEditingStyle::esFixedList))
    return;
  {
    auto click = WatchedPairedCall(
        this, [this] { LockClick(true); }, [this] { LockClick(false); });
    LookupData()->SyncWithEditText();
  }
  if (!guard.Alive()) return;
  if (!cxVariantsEqualLoose(Variant(before), Variant(LookupData()->GetCurrentText()))) {
    SetDisplayValueModified(true);
    Click();
  }
}

// ---- settings ----

void TcxCustomDropDownEdit::PropertiesChanged(TObject* Sender) {
  if (FPopupWindow && !ActiveProperties()->GetPopupSizeable()) FPopupWindow->SetSizeChanged(false);
  if (HasShownPopup() && FPopupWindow && !FPopupWindow->IsSizing()) SetupPopupWindow();
  inherited::PropertiesChanged(Sender);
}

// ---- in-place activation ----

bool TcxCustomDropDownEdit::CanKeyStartEdit(Char AKey) {
  TcxCustomDropDownEditProperties* p = ActiveProperties();
  if (!p->GetImmediateDropDown() || !p->IsPopupWindowCapturingFocus()) return inherited::CanKeyStartEdit(AKey);
  return AKey == Char(13);
}

void TcxCustomDropDownEdit::Activate(TcxCustomEditData*& AEditData) {
  TcxEditLifeGuard guard(this);
  inherited::Activate(AEditData);
  if (!guard.Alive() || !FPopupWindow) return;
  if (!ActiveProperties()->GetPopupSizeable()) FInplacePopupSizeChanged = false;
  FPopupWindow->SetSizeChanged(FInplacePopupSizeChanged);
  if (ActiveProperties()->GetImmediatePopup()) SetDroppedDown(true);
}

void TcxCustomDropDownEdit::ActivateByKey(Char AKey, TcxCustomEditData*& AEditData) {
  TcxEditLifeGuard guard(this);
  inherited::ActivateByKey(AKey, AEditData);
  if (!guard.Alive()) return;
  TcxCustomDropDownEditProperties* p = ActiveProperties();
  const Byte b = Byte(AKey);
  if (b >= 32 && p->GetImmediateDropDown() && !p->GetImmediatePopup() && !CanKeyStartEdit(AKey)) {
    SetDroppedDown(true);
    if (!guard.Alive()) return;
  }
  if (!CanKeyStartEdit(AKey) && CanDropDown() && GetPopupFocusedControl() && FPopupWindow &&
      FPopupWindow->HandleAllocated())
    PostMessageA(FPopupWindow->GetHandle(), DXM_DROPDOWNCHAR, WPARAM(b), 0);
}

void TcxCustomDropDownEdit::ActivateByMouse(TShiftState Shift, Integer X, Integer Y,
                                            TcxCustomEditData*& AEditData) {
  FActivatingByMouse = true;
  TWatchedScopeExit activated(this, [this] { FActivatingByMouse = false; });
  inherited::ActivateByMouse(Shift, X, Y, AEditData);
}

bool TcxCustomDropDownEdit::Deactivate() {
  TcxEditLifeGuard guard(this);
  if (HasShownPopup()) CloseUp(TcxEditCloseUpReason::crNone);
  if (!guard.Alive()) return false;
  if (IsInplace() && FPopupWindow) FInplacePopupSizeChanged = FPopupWindow->GetSizeChanged();
  const bool result = inherited::Deactivate();
  if (!guard.Alive()) return result;
  if (RemoveShowRequest()) PopupWindowClosed();
  return result;
}

TL_DEFINE_CLASS(TcxCustomDropDownEditProperties, [](auto&) {});
TL_DEFINE_CLASS(TcxCustomDropDownEditViewData, [](auto&) {});
TL_DEFINE_CLASS(TcxEditPopupControlLookAndFeel, [](auto&) {});
TL_DEFINE_CLASS(TcxCustomDropDownEdit, [](auto&) {});
