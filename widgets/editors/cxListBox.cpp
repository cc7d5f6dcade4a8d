#include "widgets/editors/cxListBox.h"

#include "classlib/core/Exceptions.h"
#include "classlib/core/ScopeGuards.h"
#include "classlib/visual/Messages.h"
#include "platform/gdi/Font.h"
#include "platform/gdi/Gdi.h"
#include "platform/kernel/Units.h"
#include "platform/user/User.h"

#include <algorithm>

namespace {

// The platform's list-box message range.
constexpr UINT kFirstListMessage = LB_ADDSTRING;
constexpr UINT kLastListMessage = 0x01B3;

// The container's mouse-down, reached through a pointer to member named from this
// never-instantiated descendant.
struct TcxListBoxAccess : TcxListBox {
  static void CallMouseDown(TcxListBox* C, TMouseButton B, TShiftState S, Integer X, Integer Y) {
    (C->*(&TcxListBoxAccess::MouseDown))(B, S, X, Y);
  }
};

Integer FontTextHeight(TFont* AFont) {
  HDC dc = GetDC(nullptr);
  HGDIOBJ old = SelectObject(dc, AFont->GetHandle());
  TEXTMETRICA tm{};
  GetTextMetricsA(dc, &tm);
  SelectObject(dc, old);
  ReleaseDC(nullptr, dc);
  return Integer(tm.tmHeight);
}

}  // namespace

// ---- TcxDataBinding ----------------------------------------------------------------------------

void TcxDataBinding::DataChanged() {
  if (FOwner) FOwner->DataChange();
}

void TcxDataBinding::UpdateData() {
  if (FOwner) FOwner->UpdateData();
}

// ---- TcxInnerListBox ---------------------------------------------------------------------------

TcxInnerListBox::TcxInnerListBox(TComponent* AOwner) : TcxCustomInnerListBox(AOwner) {}

TcxListBox* TcxInnerListBox::ListBox() const {
  return dynamic_cast<TcxListBox*>(const_cast<TcxInnerListBox*>(this)->GetControlContainer());
}

bool TcxInnerListBox::CanModify() const {
  TcxListBox* box = ListBox();
  return !box || !box->DataBinding() || box->DataBinding()->CanModify();
}

void TcxInnerListBox::DrawItem(Integer Index, TRect Rect, TOwnerDrawState State) {
  TcxListBox* box = ListBox();
  if (box && !box->IsDestroying() && box->DoDrawItem(Index, Rect, State)) return;
  inherited::DrawItem(Index, Rect, State);
}

void TcxInnerListBox::MeasureItem(Integer Index, Integer& Height) {
  TcxListBox* box = ListBox();
  if (box && box->OnMeasureItem) box->OnMeasureItem(box, Index, Height);
  else inherited::MeasureItem(Index, Height);
}

void TcxInnerListBox::WMLButtonDown(TMessage& Message) {
  TcxListBox* box = ListBox();
  if (!box || CanModify()) {
    TL_INHERITED(Message);
    return;
  }
  // The selection stays: the press only focuses the list and is reported.
  const TPoint p{SHORT(LOWORD(Message.LParam)), SHORT(HIWORD(Message.LParam))};
  box->InnerMouseDownReadOnly(TMouseButton::mbLeft, KeysToShiftState(Word(Message.WParam)), p.X + GetLeft(),
                              p.Y + GetTop());
  Message.Result = 0;
}

TL_MESSAGES(TcxInnerListBox, TL_ON(WM_LBUTTONDOWN, WMLButtonDown))
TL_DEFINE_CLASS(TcxInnerListBox)

// ---- TcxListBox --------------------------------------------------------------------------------

TcxListBox::TcxListBox(TComponent* AOwner) : TcxContainer(AOwner) {}

void TcxListBox::AfterConstruction() {
  inherited::AfterConstruction();
  FDataBinding = GetDataBindingClass().Create(this);
  FInnerListBox = GetInnerListBoxClass().Create(this);
  FInnerListBox->SetBorderStyle(TBorderStyle::bsNone);
  FInnerListBox->GetLookAndFeel()->SetMasterLookAndFeel(GetStyle()->GetLookAndFeel());
  FInnerListBox->SetParent(this);
  SetInnerControl(FInnerListBox);
  SetBounds(GetLeft(), GetTop(), 121, 97);
}

void TcxListBox::BeforeDestruction() {
  // The inner list is a child component: it goes with the container, but its owner-draw and
  // key callbacks must not reach a half-destroyed container or a freed binding.
  if (FDataBinding) FDataBinding->Free();
  FDataBinding = nullptr;
  inherited::BeforeDestruction();
}

TcxDataBindingClass TcxListBox::GetDataBindingClass() const {
  return ClassOf<TcxDataBinding, TcxDataBinding, TcxListBox*>();
}

TcxInnerListBoxClass TcxListBox::GetInnerListBoxClass() const {
  return ClassOf<TcxInnerListBox, TcxInnerListBox, TComponent*>();
}

bool TcxListBox::DoDrawItem(Integer AIndex, const TRect& ARect, TOwnerDrawState AState) {
  if (!OnDrawItem) return false;
  OnDrawItem(this, FInnerListBox->GetcxCanvas(), AIndex, ARect, AState);
  return true;
}

// ---- Items and their height --------------------------------------------------------------------

void TcxListBox::SetItemHeight(Integer Value) {
  FInnerListBox->SetItemHeight(Value);
  ApplyIntegralHeight();
}

void TcxListBox::SetListStyle(TListBoxStyle Value) {
  FInnerListBox->SetStyle(Value);
  ApplyIntegralHeight();
}

void TcxListBox::SetScrollWidth(Integer Value) {
  FInnerListBox->SetScrollWidth(Value);
  ApplyIntegralHeight();
}

Integer TcxListBox::GetItemHeight(Integer AIndex) {
  switch (GetListStyle()) {
    case TListBoxStyle::lbStandard:
    case TListBoxStyle::lbVirtual:
      return FontTextHeight(FInnerListBox->GetFont());
    case TListBoxStyle::lbOwnerDrawFixed:
    case TListBoxStyle::lbVirtualOwnerDraw:
      return FInnerListBox->GetItemHeight();
    case TListBoxStyle::lbOwnerDrawVariable: {
      Integer height = FInnerListBox->GetItemHeight();
      if (AIndex >= 0 && AIndex < GetCount() && OnMeasureItem) OnMeasureItem(this, AIndex, height);
      return height;
    }
  }
  return 0;
}

void TcxListBox::FontChanged() {
  inherited::FontChanged();
  ApplyIntegralHeight();
}

void TcxListBox::Loaded() {
  inherited::Loaded();
  ApplyIntegralHeight();
}

// ---- Integral height ---------------------------------------------------------------------------

void TcxListBox::SetIntegralHeight(bool Value) {
  if (FIntegralHeight == Value) return;
  FIntegralHeight = Value;
  ApplyIntegralHeight();
}

bool TcxListBox::IsIntegralHeightActive() const {
  if (!FIntegralHeight || !FInnerListBox || IsDestroying()) return false;
  if (ComponentState().Contains(TComponentStateItem::csLoading)) return false;
  const TAlign align = GetAlign();
  return align != TAlign::alLeft && align != TAlign::alRight && align != TAlign::alClient;
}

Integer TcxListBox::IntegralHeightFor(Integer AWidth, Integer AHeight) {
  const Integer item = GetItemHeight(GetTopIndex());
  // Items without height (an owner that measures 0, say) leave nothing to count in.
  if (item <= 0) return AHeight;
  TRect extent;
  GetBorderExtent(extent);
  Integer frame = extent.Top + extent.Bottom;
  const Integer clientWidth = AWidth - extent.Left - extent.Right;
  if (GetScrollWidth() > clientWidth) frame += GetSystemMetrics(SM_CYHSCROLL);
  const Integer rows = std::max<Integer>(AHeight - frame, 0) / item;
  return frame + rows * item;
}

void TcxListBox::SetBounds(Integer ALeft, Integer ATop, Integer AWidth, Integer AHeight) {
  if (IsIntegralHeightActive()) AHeight = IntegralHeightFor(AWidth, AHeight);
  TWeakLink self(this);  // OnResize may free the list
  inherited::SetBounds(ALeft, ATop, AWidth, AHeight);
  if (!self.Alive() || !IsIntegralHeightActive() || !FInnerListBox->HandleAllocated()) return;
  // The list moved under a resting mouse: its queued moves would select by stale positions.
  MSG msg;
  while (PeekMessageA(&msg, FInnerListBox->GetHandle(), WM_MOUSEMOVE, WM_MOUSEMOVE, PM_REMOVE)) {
  }
}

void TcxListBox::ApplyIntegralHeight() {
  if (IsIntegralHeightActive()) SetBounds(GetLeft(), GetTop(), GetWidth(), GetHeight());
}

// ---- Data binding ------------------------------------------------------------------------------

void TcxListBox::DataChange() {
  if (!FDataBinding->IsDataAvailable()) {
    SetItemIndex(-1);
    return;
  }
  String text;
  try {
    text = VarToStr(FDataBinding->GetStoredValue());
  } catch (const Exception&) {
    // A value with no text matches no item.
    SetItemIndex(-1);
    return;
  }
  Integer found = -1;
  const Integer count = GetCount();
  for (Integer i = 0; i < count && found < 0; ++i)
    if (GetItems()->Strings(i) == text) found = i;
  SetItemIndex(found);
}

void TcxListBox::UpdateData() {
  const Integer index = GetItemIndex();
  FDataBinding->SetStoredValue(index >= 0 && index < GetCount() ? Variant(GetItems()->Strings(index))
                                                                  : Variant(String()));
}

// ---- Keys and mouse ----------------------------------------------------------------------------

void TcxListBox::KeyDown(Word& Key, TShiftState Shift) {
  inherited::KeyDown(Key, Shift);
  switch (Key) {
    case VK_PRIOR: case VK_NEXT: case VK_END: case VK_HOME:
    case VK_LEFT: case VK_UP: case VK_RIGHT: case VK_DOWN:
      if (!CanModify()) Key = 0;
      break;
    default:
      break;
  }
}

void TcxListBox::KeyPress(Char& Key) {
  inherited::KeyPress(Key);
  if (Byte(Key) == VK_ESCAPE) {
    if (FDataBinding) FDataBinding->Reset();
  } else if (Byte(Key) >= 32 && !CanModify()) {
    Key = 0;
  }
}

void TcxListBox::InnerMouseDownReadOnly(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) {
  TWeakLink self(this);  // OnEnter may free the box
  if (FInnerListBox->CanFocus() && !FInnerListBox->Focused()) FInnerListBox->SetFocus();
  if (!self.Alive() || IsDestroying()) return;
  TWatchedValue<bool> pressed(this, InnerControlMouseDown, true);  // OnMouseDown may free the box
  TcxListBoxAccess::CallMouseDown(this, Button, Shift, X, Y);
}

// ---- Messages ----------------------------------------------------------------------------------

LRESULT TcxListBox::ForwardListMessage(UINT AMsg, WPARAM AWParam, LPARAM ALParam) {
  TStrings* items = GetItems();
  const char* text = reinterpret_cast<const char*>(ALParam);
  try {
    switch (AMsg) {
      case LB_ADDSTRING:
        return items->Add(text ? String(text) : String());
      case LB_INSERTSTRING: {
        Integer at = Integer(AWParam);
        if (at == -1) at = items->Count();
        if (at < 0 || at > items->Count()) return LB_ERR;
        items->Insert(at, text ? String(text) : String());
        return at;
      }
      case LB_DELETESTRING: {
        const Integer at = Integer(AWParam);
        if (at < 0 || at >= items->Count()) return LB_ERR;
        items->Delete(at);
        return items->Count();
      }
      case LB_RESETCONTENT:
        items->Clear();
        return 0;
      default:
        return FInnerListBox->Perform(AMsg, AWParam, ALParam);
    }
  } catch (const EInvalidOperation&) {
    // A virtual list keeps no items of its own.
    return LB_ERR;
  }
}

void TcxListBox::WndProc(TMessage& Message) {
  if (Message.Msg >= kFirstListMessage && Message.Msg <= kLastListMessage && FInnerListBox) {
    Message.Result = ForwardListMessage(Message.Msg, Message.WParam, Message.LParam);
    return;
  }
  inherited::WndProc(Message);
}

TL_DEFINE_CLASS(TcxDataBinding)
TL_DEFINE_CLASS(TcxListBox, [](auto& c) {
  using T = TcxListBox;
  c.Property("AutoComplete", &T::GetAutoComplete, &T::SetAutoComplete).Default(true);
  c.Property("AutoCompleteDelay", &T::GetAutoCompleteDelay, &T::SetAutoCompleteDelay)
      .Default(Cardinal(TcxCustomInnerListBox::kDefaultAutoCompleteDelay));
  c.Property("Columns", &T::GetColumns, &T::SetColumns).Default(0);
  c.Property("ExtendedSelect", &T::GetExtendedSelect, &T::SetExtendedSelect).Default(true);
  c.Property("IntegralHeight", &T::GetIntegralHeight, &T::SetIntegralHeight).Default(false);
  c.Property("ItemHeight", &T::GetItemHeightValue, &T::SetItemHeight);
  c.Property("Items", &T::GetItems, &T::SetItems);
  c.Property("ListStyle", &T::GetListStyle, &T::SetListStyle).Default(TListBoxStyle::lbStandard);
  c.Property("MultiSelect", &T::GetMultiSelect, &T::SetMultiSelect).Default(false);
  c.Property("ReadOnly", &T::GetReadOnly, &T::SetReadOnly).Default(false);
  c.Property("ScrollWidth", &T::GetScrollWidth, &T::SetScrollWidth).Default(0);
  c.Property("Sorted", &T::GetSorted, &T::SetSorted).Default(false);
  c.Property("TabWidth", &T::GetTabWidth, &T::SetTabWidth).Default(0);
  c.Property("Style", &T::GetStyle, &T::SetStyle);
  c.Property("StyleDisabled", &T::GetStyleDisabled, &T::SetStyleDisabled);
  c.Property("StyleFocused", &T::GetStyleFocused, &T::SetStyleFocused);
  c.Property("StyleHot", &T::GetStyleHot, &T::SetStyleHot);
  c.Property("OnData", &T::GetOnData, &T::SetOnData);
  c.Property("OnDataFind", &T::GetOnDataFind, &T::SetOnDataFind);
  c.Property("OnDataObject", &T::GetOnDataObject, &T::SetOnDataObject);
  c.Event("OnDrawItem", &T::OnDrawItem);
  c.Event("OnMeasureItem", &T::OnMeasureItem);
});

namespace cxListBox {

namespace {
UnitCounter gListBox;
}  // namespace

void Initialize() {
  if (!gListBox.Enter()) return;
  RegisterClass(TcxListBox::StaticClass());
}

void Finalize() {
  if (!gListBox.Leave()) return;
  UnRegisterClass(TcxListBox::StaticClass());
}

}  // namespace cxListBox
