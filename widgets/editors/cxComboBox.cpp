#include "widgets/editors/cxComboBox.h"

#include "classlib/core/ScopeGuards.h"
#include "classlib/visual/Forms.h"
#include "platform/kernel/Units.h"
#include "platform/user/User.h"
#include "widgets/editcore/cxEditRepository.h"
#include "widgets/foundation/cxVariants.h"

#include <algorithm>

namespace {

// Item heights beyond this are taken as this: the platform list keeps a row in a byte.
inline constexpr Integer kMaxItemHeight = 255;
// The list's width beyond its widest item.
inline constexpr Integer kItemWidthMargin = 4;

// Room for a horizontal bar only where the list window can show one.
bool HasHorizontalBar(TWinControl* AList) {
  return AList->HandleAllocated() && (DWORD(GetWindowLongA(AList->GetHandle(), GWL_STYLE)) & WS_HSCROLL) != 0;
}

}  // namespace

// ---- properties ----

TcxCustomComboBoxProperties::TcxCustomComboBoxProperties(TPersistent* AOwner)
    : TcxCustomDropDownEditProperties(AOwner) {}

void TcxCustomComboBoxProperties::Assign(TPersistent* Source) {
  auto* s = dynamic_cast<TcxCustomComboBoxProperties*>(Source);
  if (!s) {
    inherited::Assign(Source);
    return;
  }
  auto update = UpdateBracket(this);
  inherited::Assign(Source);
  SetDropDownListStyle(s->FDropDownListStyle);
  SetDropDownRows(s->FDropDownRows);
  SetItemHeight(s->FItemHeight);
  SetRevertable(s->FRevertable);
  OnDrawItem = s->OnDrawItem;
  OnMeasureItem = s->OnMeasureItem;
}

void TcxCustomComboBoxProperties::SetDropDownListStyle(TcxEditDropDownListStyle Value) {
  if (FDropDownListStyle == Value) return;
  FDropDownListStyle = Value;
  Changed();
}

void TcxCustomComboBoxProperties::SetDropDownRows(Integer Value) {
  if (Value < 1 || FDropDownRows == Value) return;
  FDropDownRows = Value;
  Changed();
}

void TcxCustomComboBoxProperties::SetItemHeight(Integer Value) {
  if (FItemHeight == Value) return;
  FItemHeight = Value;
  Changed();
}

void TcxCustomComboBoxProperties::SetRevertable(bool Value) {
  if (FRevertable == Value) return;
  FRevertable = Value;
  Changed();
}

TcxEditEditingStyle TcxCustomComboBoxProperties::GetEditingStyle() const {
  switch (FDropDownListStyle) {
    case TcxEditDropDownListStyle::lsEditFixedList: return TcxEditEditingStyle::esEditList;
    case TcxEditDropDownListStyle::lsFixedList: return TcxEditEditingStyle::esFixedList;
    default: return TcxEditEditingStyle::esEdit;
  }
}

TcxCustomTextEditLookupDataClass TcxCustomComboBoxProperties::GetLookupDataClass() const {
  return ClassOf<TcxComboBoxLookupData, TcxCustomTextEditLookupData, TPersistent*>();
}

TcxCustomEditPopupWindowClass TcxCustomComboBoxProperties::GetPopupWindowClass() const {
  return ClassOf<TcxComboBoxPopupWindow, TcxCustomEditPopupWindow, TWinControl*>();
}

TcxCustomEditViewDataClass TcxCustomComboBoxProperties::GetViewDataClass() const {
  return ClassOf<TcxCustomComboBoxViewData, TcxCustomEditViewData, TcxCustomEditProperties*, TcxCustomEditStyle*,
                 bool>();
}

TcxCustomEditClass TcxCustomComboBoxProperties::GetContainerClass() const {
  return ClassOf<TcxComboBox, TcxCustomEdit, TComponent*, bool>();
}

// ---- popup ----

void TcxComboBoxPopupWindow::CalculateSize() {
  TcxCustomEditPopupWindowViewInfo* vi = PopupViewInfo();
  vi->SizeGripCorner = cxPopupGripBottomRight;
  vi->SysPanelStyle = SysPanelStyle;
  vi->PopupBorderStyle = EditPopupBorderStyle;
  vi->NativeStyle = NativeStyle;
  TcxCustomDropDownEdit* edit = Edit();
  const TSize pref = edit ? edit->GetPopupWindowClientPreferredSize() : TSize{0, 0};
  const TSize nc = GetNonClientSize();
  const TSize content{pref.cx + nc.cx, pref.cy + nc.cy};
  const Integer shadow = Shadow && !NativeStyle ? 3 : 0;
  const bool resized = Sizeable && GetSizeChanged();
  Integer w;
  if (resized || (!PopupAutoSize && PopupWidth >= 1))
    w = PopupWidth;
  else
    w = PopupAutoSize ? std::max(content.cx, EditWidth) : EditWidth;
  if (Sizeable && MinWidth >= 1) w = std::max(w, MinWidth);
  w = std::max(w, nc.cx);
  Integer h;
  if (resized || (PopupHeight >= 1 && (Sizeable || !PopupAutoSize)))
    h = PopupHeight;
  else
    h = content.cy;
  if (Sizeable && MinHeight > 0) h = std::max(h, MinHeight);
  h = std::max(h, nc.cy);
  SetBounds(GetLeft(), GetTop(), w + shadow, h + shadow);
}

// ---- list ----

TcxCustomComboBoxListBox::TcxCustomComboBoxListBox(TComponent* AOwner) : TcxCustomEditListBox(AOwner) {
  SetStyle(TListBoxStyle::lbOwnerDrawVariable);
}

TcxCustomComboBox* TcxCustomComboBoxListBox::Edit() const {
  auto* popup = dynamic_cast<TcxCustomPopupWindow*>(GetOwner());
  return popup ? dynamic_cast<TcxCustomComboBox*>(popup->OwnerControl()) : nullptr;
}

Integer TcxCustomComboBoxListBox::GetItemHeight(Integer AIndex) {
  TcxCustomComboBox* edit = Edit();
  Integer h = inherited::GetItemHeight(AIndex);
  if (!edit) return h;
  const Integer fixed = edit->ActiveProperties()->GetItemHeight();
  if (fixed >= 1) h = fixed;
  if (AIndex >= 0 && edit->HasMeasureItemHandler()) edit->DoMeasureItem(this, AIndex, h);
  return std::clamp<Integer>(h, 1, kMaxItemHeight);
}

Integer TcxCustomComboBoxListBox::GetHeight(Integer ARowCount) {
  TcxCustomComboBox* edit = Edit();
  if (!edit || !edit->HasMeasureItemHandler()) return ARowCount * GetItemHeight(-1);
  Integer h = 0;
  for (Integer i = 0; i < ARowCount; ++i) h += GetItemHeight(i);
  return h;
}

void TcxCustomComboBoxListBox::MeasureItem(Integer Index, Integer& Height) { Height = GetItemHeight(Index); }

bool TcxCustomComboBoxListBox::DoDrawItem(Integer AIndex, const TRect& ARect, TOwnerDrawState AState) {
  TcxCustomComboBox* edit = Edit();
  return edit && edit->DoDrawItem(GetcxCanvas(), AIndex, ARect, AState);
}

void TcxCustomComboBoxListBox::MouseMove(TShiftState Shift, Integer X, Integer Y) {
  if (FIgnoreMouseMove) {
    FIgnoreMouseMove = false;
    return;
  }
  if (FPressed && HandleAllocated() && GetCapture() == GetHandle()) {
    // Dragging with the button held selects the item under the pointer; past an edge the
    // list scrolls toward it.
    const Integer direction = Y < 0 ? -1 : Y >= GetClientHeight() ? 1 : 0;
    SetScrollDirection(direction);
    if (direction != 0) return;
    const Integer i = ItemAtPos(TPoint{X, Y}, true);
    if (i != -1 && i != GetItemIndex()) SetItemIndex(i);
    return;
  }
  inherited::MouseMove(Shift, X, Y);
}

void TcxCustomComboBoxListBox::SetScrollDirection(Integer ADirection) {
  if (FScrollDirection == ADirection) return;
  FScrollDirection = ADirection;
  if (ADirection == 0) {
    if (FScrollTimer) FScrollTimer->SetEnabled(false);
    return;
  }
  if (!FScrollTimer) {
    FScrollTimer = New<TcxTimer>(this);
    FScrollTimer->SetInterval(50);
    FScrollTimer->SetOnTimer({this, &TcxCustomComboBoxListBox::ScrollTimerHandler});
  }
  FScrollTimer->SetEnabled(false);
  FScrollTimer->SetEnabled(true);
  // The first row comes at once, as the pointer crosses the edge.
  ScrollStep();
}

void TcxCustomComboBoxListBox::ScrollTimerHandler(TObject*) {
  if (!FPressed || !HandleAllocated() || GetCapture() != GetHandle()) {
    SetScrollDirection(0);
    return;
  }
  ScrollStep();
}

// One row past the rows wholly shown, above or below: none is skipped.
void TcxCustomComboBoxListBox::ScrollStep() {
  const Integer count = GetCount();
  if (FScrollDirection == 0 || count == 0) return;
  const Integer top = GetTopIndex();
  Integer target = top - 1;
  if (FScrollDirection > 0) {
    Integer shown = 0;
    while (top + shown < count && ItemRect(top + shown).Bottom <= GetClientHeight()) ++shown;
    target = top + std::max<Integer>(shown, 1);
  }
  target = std::clamp<Integer>(target, 0, count - 1);
  if (target != GetItemIndex()) SetItemIndex(target);
}

void TcxCustomComboBoxListBox::WndProc(TMessage& Message) {
  switch (Message.Msg) {
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK: {
      // Selects without taking the focus from the edit.
      const TPoint p{SHORT(LOWORD(Message.LParam)), SHORT(HIWORD(Message.LParam))};
      const Integer i = ItemAtPos(p, true);
      if (i != -1 && i != GetItemIndex()) SetItemIndex(i);
      FPressed = true;
      if (HandleAllocated()) SetCapture(GetHandle());
      Message.Result = 0;
      return;
    }
    case WM_LBUTTONUP: {
      const bool pressed = FPressed;
      FPressed = false;
      SetScrollDirection(0);
      const TPoint p{SHORT(LOWORD(Message.LParam)), SHORT(HIWORD(Message.LParam))};
      const Integer i = ItemAtPos(p, true);
      if (HandleAllocated() && GetCapture() == GetHandle()) ReleaseCapture();
      Message.Result = 0;
      if (!pressed) return;
      TcxCustomComboBox* edit = Edit();
      if (i == -1) {
        // Released beside the items: nothing is chosen.
        if (edit) edit->CloseUp(TcxEditCloseUpReason::crCancel);
        return;
      }
      if (i != GetItemIndex()) SetItemIndex(i);
      if (edit) edit->CloseUp(TcxEditCloseUpReason::crEnter);
      return;
    }
    case WM_CAPTURECHANGED:
      FPressed = false;
      SetScrollDirection(0);
      break;
    case WM_MOUSEACTIVATE:
      Message.Result = MA_NOACTIVATE;
      return;
    default:
      break;
  }
  inherited::WndProc(Message);
}

// ---- lookup data ----

TcxCustomComboBoxProperties* TcxComboBoxLookupData::ComboProperties() const {
  return dynamic_cast<TcxCustomComboBoxProperties*>(ActiveProperties());
}

TcxCustomEditListBoxClass TcxComboBoxLookupData::GetListClass() const {
  return ClassOf<TcxComboBoxListBox, TcxCustomEditListBox, TComponent*>();
}

void TcxComboBoxLookupData::DoInitializeList() {
  TcxCustomEditListBox* list = GetList();
  auto* edit = dynamic_cast<TcxCustomComboBox*>(GetEdit());
  if (!list || !edit) return;
  if (auto* inner = dynamic_cast<TcxCustomInnerListBox*>(list); inner && edit->PopupControlsLookAndFeel())
    inner->SetLookAndFeel(edit->PopupControlsLookAndFeel());
  const bool variable = edit->HasMeasureItemHandler();
  list->SetStyle(variable ? TListBoxStyle::lbOwnerDrawVariable : TListBoxStyle::lbOwnerDrawFixed);
  list->SetItemHeight(list->GetItemHeight(-1));
}

TSize TcxComboBoxLookupData::GetVisualAreaPreferredSize(Integer AMaxHeight, Integer AWidth) {
  TcxCustomEditListBox* list = GetList();
  TcxCustomComboBoxProperties* p = ComboProperties();
  if (!list || !p) return {0, 0};
  const Integer count = GetItemCount();
  Integer rows = std::min(count, p->GetDropDownRows());
  Integer width = 0;
  for (Integer i = 0; i < count; ++i) width = std::max(width, list->GetItemWidth(i));
  width += kItemWidthMargin;
  if (list->HandleAllocated()) SendMessageA(list->GetHandle(), LB_SETHORIZONTALEXTENT, WPARAM(width), 0);
  const Integer hBar = GetSystemMetrics(SM_CYHSCROLL), vBar = GetSystemMetrics(SM_CXVSCROLL);
  const bool horz = AWidth > 0 && width > AWidth && HasHorizontalBar(list);
  // Fewer rows when they would not fit the room beside the edit.
  while (rows > 1 && AMaxHeight > 0 && list->GetHeight(rows) + (horz ? hBar : 0) > AMaxHeight) --rows;
  Integer height = list->GetHeight(rows);
  if (count > rows) width += vBar;
  if (horz) height += hBar;
  if (AWidth > 0) width = std::min(width, AWidth);
  return {width, height};
}

void TcxComboBoxLookupData::SnapListSize(Integer& AWidth, Integer& AHeight) {
  TcxCustomEditListBox* list = GetList();
  if (!list) return;
  const Integer count = GetItemCount();
  Integer widest = 0;
  for (Integer i = 0; i < count; ++i) widest = std::max(widest, list->GetItemWidth(i));
  widest += kItemWidthMargin;
  const Integer hBar = GetSystemMetrics(SM_CYHSCROLL), vBar = GetSystemMetrics(SM_CXVSCROLL);
  const bool horz = widest > AWidth && HasHorizontalBar(list);
  const Integer room = AHeight - (horz ? hBar : 0);
  Integer rows = 0, height = 0;
  while (rows < count) {
    const Integer h = list->GetHeight(rows + 1) - height;
    if (AHeight > 0 && height + h > room) break;
    height += h;
    ++rows;
  }
  rows = std::max<Integer>(rows, count > 0 ? 1 : 0);
  height = list->GetHeight(rows);
  if (horz) height += hBar;
  if (rows < count) AWidth = std::max(AWidth, vBar + 1);
  AHeight = height;
}

// ---- view data ----

void TcxCustomComboBoxViewData::Calculate(TcxCanvas& ACanvas, const TRect& ABounds, const TPoint& P,
                                          TcxMouseButton AButton, TShiftState AShift, TcxCustomEditViewInfo* AViewInfo,
                                          bool AIsMouseEvent) {
  inherited::Calculate(ACanvas, ABounds, P, AButton, AShift, AViewInfo, AIsMouseEvent);
  auto* vi = dynamic_cast<TcxCustomTextEditViewInfo*>(AViewInfo);
  auto* combo = dynamic_cast<TcxCustomComboBox*>(Edit);
  if (!vi) return;
  if (combo && EditingStyle == TcxEditEditingStyle::esFixedList && combo->HasDrawItemHandler()) {
    vi->OnOwnerDraw = {combo, &TcxCustomComboBox::DrawEditArea};
    vi->OwnerDrawSender = combo;
  } else {
    vi->OnOwnerDraw = TcxTextEditOwnerDrawEvent();
  }
}

// ---- the edit ----

TcxCustomEditPropertiesClass TcxCustomComboBox::GetPropertiesClass() {
  return ClassOf<TcxCustomComboBoxProperties, TcxCustomEditProperties, TPersistent*>();
}

void TcxCustomComboBox::Initialize() {
  inherited::Initialize();
  if (TcxCustomTextEditLookupData* data = LookupData()) {
    FTextEditLookupHandler = data->OnCurrentKeyChanged;
    data->OnCurrentKeyChanged = {this, &TcxCustomComboBox::LookupKeyChanged};
  }
}

void TcxCustomComboBox::LookupKeyChanged(TObject* Sender) {
  const String before = VarToStr(GetDisplayValue());
  TcxEditLifeGuard guard(this);
  if (FTextEditLookupHandler) FTextEditLookupHandler(Sender);
  if (!guard.Alive()) return;
  const String after = VarToStr(GetDisplayValue());
  if (after == before) return;
  if (IsFocused())
    DoChange();
  else {
    // Chosen by the program on an edit nobody is editing: the item is the value now, in
    // the kind's own value (a lookup edit's value is the item's key, not its text).
    Variant value;
    PrepareEditValue(Variant(after), value, false);
    SetEditValue(value);
  }
  if (guard.Alive()) LookupTextChanged();
}

Integer TcxCustomComboBox::GetItemIndex() {
  TcxCustomTextEditLookupData* data = LookupData();
  if (!data) return -1;
  if (HasShownPopup() && data->GetList()) return data->GetList()->GetItemIndex();
  return data->GetCurrentIndex();
}

void TcxCustomComboBox::SetItemIndex(Integer Value) {
  TcxEditLifeGuard guard(this);
  ChangeItemIndex(Value);
  // Set by the program while the list is open: a cancel of the list goes back to it.
  if (guard.Alive() && HasShownPopup()) SaveDropDownState();
}

void TcxCustomComboBox::ChangeItemIndex(Integer Value) {
  TcxCustomTextEditLookupData* data = LookupData();
  if (!data || Value < -1 || Value >= data->GetItemCount()) return;
  TcxEditLifeGuard guard(this);
  if (Value >= 0) {
    data->SetCurrentKey(Variant(Value));
    return;
  }
  data->SetCurrentKey(Variant(Integer(-1)));
  if (!guard.Alive() || VarToStr(GetDisplayValue()).empty()) return;
  // No item: the text goes as well.
  if (IsFocused()) {
    if (!DoEditing() || !guard.Alive()) return;
    SaveModifiedFlags();
    SetInternalDisplayValue(Variant(String()));
    RestoreModifiedFlags();
    SetModifiedAndClick();
    if (guard.Alive()) DoChange();
  } else {
    SetEditValue(Variant(String()));
  }
}

bool TcxCustomComboBox::HasDrawItemHandler() {
  auto* own = dynamic_cast<TcxCustomComboBoxProperties*>(GetProperties());
  TcxCustomComboBoxProperties* active = ActiveProperties();
  return (own && own->OnDrawItem) || (GetRepositoryItem() && active && active->OnDrawItem);
}

bool TcxCustomComboBox::DoDrawItem(TcxCanvas* ACanvas, Integer AIndex, const TRect& ARect, TOwnerDrawState AState) {
  auto* own = dynamic_cast<TcxCustomComboBoxProperties*>(GetProperties());
  TcxCustomComboBoxProperties* active = ActiveProperties();
  if (own && own->OnDrawItem) {
    own->OnDrawItem(this, ACanvas, AIndex, ARect, AState);
    return true;
  }
  if (GetRepositoryItem() && active && active->OnDrawItem) {
    active->OnDrawItem(this, ACanvas, AIndex, ARect, AState);
    return true;
  }
  return false;
}

bool TcxCustomComboBox::HasMeasureItemHandler() {
  auto* own = dynamic_cast<TcxCustomComboBoxProperties*>(GetProperties());
  TcxCustomComboBoxProperties* active = ActiveProperties();
  return (own && own->OnMeasureItem) || (GetRepositoryItem() && active && active->OnMeasureItem);
}

bool TcxCustomComboBox::DoMeasureItem(TWinControl* AControl, Integer AIndex, Integer& AHeight) {
  auto* own = dynamic_cast<TcxCustomComboBoxProperties*>(GetProperties());
  TcxCustomComboBoxProperties* active = ActiveProperties();
  if (own && own->OnMeasureItem) {
    own->OnMeasureItem(AControl, AIndex, AHeight);
    return true;
  }
  if (GetRepositoryItem() && active && active->OnMeasureItem) {
    active->OnMeasureItem(AControl, AIndex, AHeight);
    return true;
  }
  return false;
}

void TcxCustomComboBox::DrawEditArea(TObject*, TcxCanvas& ACanvas, const TRect& R) {
  TOwnerDrawState state;
  // The list open beside it, the edit keeps the focus: its area stays drawn as selected.
  const bool focused = IsFocused();
  if (focused) {
    state.Include(TOwnerDrawStateItem::odSelected);
    state.Include(TOwnerDrawStateItem::odFocused);
  }
  ACanvas.GetBrush()->SetColor(focused ? clHighlight : GetActiveStyle()->GetColor());
  ACanvas.GetFont()->SetColor(focused ? clHighlightText : GetActiveStyle()->GetTextColor());
  DoDrawItem(&ACanvas, LookupData() ? LookupData()->GetCurrentIndex() : -1, R, state);
}

void TcxCustomComboBox::ResetPopupHeight() {
  if (FKeepPopupHeight) return;
  ActiveProperties()->SetPopupHeight(0);
  if (TcxCustomEditPopupWindow* popup = PopupWindow()) {
    popup->SetSizeChanged(false);
    popup->PopupHeight = 0;
  }
}

bool TcxCustomComboBox::CanDropDown() { return LookupData() && !LookupData()->IsEmpty(); }

TSize TcxCustomComboBox::GetPopupWindowClientPreferredSize() {
  TcxCustomComboBoxProperties* p = ActiveProperties();
  TcxCustomEditPopupWindow* popup = PopupWindow();
  if (!popup || !LookupData()) return {0, 0};
  const TSize nc = popup->GetNonClientSize();
  TRect e = GetBoundsRect();
  if (TWinControl* parent = GetParent()) {
    const TPoint a = parent->ClientToScreen({e.Left, e.Top});
    e = {a.X, a.Y, a.X + e.Width(), a.Y + e.Height()};
  }
  const TRect work = cxGetDesktopWorkArea({e.Left, e.Top});
  const Integer maxHeight = std::max(work.Bottom - e.Bottom, e.Top - work.Top) - nc.cy;
  Integer width;
  if (p->GetDropDownSizeable() || p->GetDropDownAutoWidth())
    width = work.Width();
  else
    width = p->GetDropDownWidth() >= 1 ? p->GetDropDownWidth() : GetWidth();
  width -= nc.cx;
  return LookupData()->GetVisualAreaPreferredSize(std::max<Integer>(1, maxHeight), std::max<Integer>(1, width));
}

void TcxCustomComboBox::PopupControlsLookAndFeelChanged() {
  auto* list = LookupData() ? dynamic_cast<TcxCustomInnerListBox*>(LookupData()->GetList()) : nullptr;
  if (list && PopupControlsLookAndFeel()) list->SetLookAndFeel(PopupControlsLookAndFeel());
}

void TcxCustomComboBox::AdjustPopupClientSize(Integer& AWidth, Integer& AHeight) {
  if (TcxComboBoxLookupData* data = GetComboLookupData()) data->SnapListSize(AWidth, AHeight);
}

void TcxCustomComboBox::DoEditKeyDown(Word& Key, TShiftState Shift) {
  const bool shown = HasShownPopup();
  TcxEditLifeGuard guard(this);
  inherited::DoEditKeyDown(Key, Shift);
  if (!guard.Alive() || !shown || !HasShownPopup()) return;
  if (auto* list = dynamic_cast<TcxCustomComboBoxListBox*>(LookupData()->GetList())) list->IgnoreNextMouseMove();
}

void TcxCustomComboBox::Activate(TcxCustomEditData*& AEditData) {
  TcxEditLifeGuard guard(this);
  inherited::Activate(AEditData);
  if (guard.Alive() && LookupData()) LookupData()->SyncWithEditText();
}

void TcxCustomComboBox::DblClick() {
  TcxEditLifeGuard guard(this);
  inherited::DblClick();
  if (!guard.Alive() || !ActiveProperties()->GetRevertable() || HasShownPopup() || !LookupData()) return;
  auto locked = WatchedPairedCall(
      this, [this] { LockChangeEvents(true); }, [this] { LockChangeEvents(false); });
  const String before = LookupData()->GetCurrentText();
  LookupData()->Go(cxLookupGoNext, true);
  if (guard.Alive() && LookupData()->GetCurrentText() != before &&
      ActiveProperties()->GetImmediatePost() && CanPostEditValue() && ValidateDisplayText(true) &&
      guard.Alive())
    PostEditValue(false);
}

void TcxCustomComboBox::MouseMove(TShiftState Shift, Integer X, Integer Y) {
  TcxEditLifeGuard guard(this);
  inherited::MouseMove(Shift, X, Y);
  if (!guard.Alive() || !HasShownPopup() || !HandleAllocated() || GetCapture() != GetHandle()) return;
  TcxCustomEditListBox* list = LookupData() ? LookupData()->GetList() : nullptr;
  if (!list || !list->HandleAllocated() || !LookupData()->IsMouseOverList()) return;
  // Dragged from the drop-down button onto the list: the list takes over the press.
  POINT p{X, Y};
  MapWindowPoints(GetHandle(), list->GetHandle(), &p, 1);
  ReleaseCapture();
  SendMessageA(list->GetHandle(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(p.X, p.Y));
}

TcxCustomEditPropertiesClass TcxComboBox::GetPropertiesClass() {
  return ClassOf<TcxComboBoxProperties, TcxCustomEditProperties, TPersistent*>();
}

TL_DEFINE_CLASS(TcxCustomComboBoxProperties, [](auto&) {});
TL_DEFINE_CLASS(TcxComboBoxProperties, [](auto& c) {
  using T = TcxComboBoxProperties;
  c.Property("ButtonGlyph", &T::GetButtonGlyph, &T::SetButtonGlyph).Stored(&T::IsButtonGlyphStored);
  c.Property("CaseInsensitive", &T::GetCaseInsensitive, &T::SetCaseInsensitive).Default(true);
  c.Property("DropDownAutoWidth", &T::GetDropDownAutoWidth, &T::SetDropDownAutoWidth).Default(true);
  c.Property("DropDownListStyle", &T::GetDropDownListStyle, &T::SetDropDownListStyle)
      .Default(TcxEditDropDownListStyle::lsEditList);
  c.Property("DropDownRows", &T::GetDropDownRows, &T::SetDropDownRows).Default(Integer(8));
  c.Property("DropDownSizeable", &T::GetDropDownSizeable, &T::SetDropDownSizeable).Default(false);
  c.Property("DropDownWidth", &T::GetDropDownWidth, &T::SetDropDownWidth).Default(Integer(0));
  c.Property("EditMask", &T::GetStoredEditMask, &T::SetEditMask);
  c.Property("IgnoreMaskBlank", &T::GetIgnoreMaskBlank, &T::SetIgnoreMaskBlank).Default(false);
  c.Property("ImmediateDropDown", &T::GetImmediateDropDown, &T::SetImmediateDropDown).Default(true);
  c.Property("ImmediateUpdateText", &T::GetImmediateUpdateText, &T::SetImmediateUpdateText).Default(false);
  c.Property("IncrementalSearch", &T::GetIncrementalSearch, &T::SetIncrementalSearch).Default(true);
  c.Property("ItemHeight", &T::GetItemHeight, &T::SetItemHeight).Default(Integer(0));
  c.Property("Items", &T::GetItems, &T::SetItems);
  c.Property("MaskKind", &T::GetMaskKind, &T::SetMaskKind).Default(TcxEditMaskKind::emkStandard);
  c.Property("PopupAlignment", &T::GetPopupAlignment, &T::SetPopupAlignment).Default(TAlignment::taLeftJustify);
  c.Property("PostPopupValueOnTab", &T::GetPostPopupValueOnTab, &T::SetPostPopupValueOnTab).Default(false);
  c.Property("Revertable", &T::GetRevertable, &T::SetRevertable).Default(false);
  c.Property("Sorted", &T::GetSorted, &T::SetSorted).Default(false);
  c.Event("OnCloseUp", &T::OnCloseUp);
  c.Event("OnDrawItem", &T::OnDrawItem);
  c.Event("OnInitPopup", &T::OnInitPopup);
  c.Event("OnMeasureItem", &T::OnMeasureItem);
  c.Event("OnNewLookupDisplayText", &T::OnNewLookupDisplayText);
  c.Event("OnPopup", &T::OnPopup);
});
TL_DEFINE_CLASS(TcxComboBoxPopupWindow, [](auto&) {});
TL_DEFINE_CLASS(TcxCustomComboBoxListBox, [](auto&) {});
TL_DEFINE_CLASS(TcxComboBoxListBox, [](auto&) {});
TL_DEFINE_CLASS(TcxComboBoxLookupData, [](auto&) {});
TL_DEFINE_CLASS(TcxCustomComboBoxViewData, [](auto&) {});
TL_DEFINE_CLASS(TcxCustomComboBox, [](auto&) {});
TL_DEFINE_CLASS(TcxComboBox, [](auto& c) {
  using T = TcxComboBox;
  c.Property("BeepOnEnter", &T::GetBeepOnEnter, &T::SetBeepOnEnter).Default(true);
  c.Property("Properties", &T::GetComboProperties);
});

namespace cxComboBox {

namespace {
UnitCounter gComboBox;
}  // namespace

void Initialize() {
  if (!gComboBox.Enter()) return;
  cxRegisterEditor(TcxComboBoxProperties::StaticClass(),
                   "ComboBox|Represents an edit control with a dropdown list of items",
                   TcxComboBox::StaticClass());
}

void Finalize() {
  if (!gComboBox.Leave()) return;
  cxUnregisterEditor(TcxComboBoxProperties::StaticClass(), TcxComboBox::StaticClass());
}

}  // namespace cxComboBox
