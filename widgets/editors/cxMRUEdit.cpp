#include "widgets/editors/cxMRUEdit.h"

#include "classlib/core/ScopeGuards.h"
#include "platform/kernel/Units.h"
#include "widgets/editcore/cxEditRegisteredRepositoryItems.h"

namespace {

// The ellipsis button's index: the second button, after the drop-down one.
inline constexpr Integer kEllipsisButton = 1;

}  // namespace

// ---- properties ----

TcxCustomMRUEditProperties::TcxCustomMRUEditProperties(TPersistent* AOwner)
    : TcxCustomComboBoxProperties(AOwner) {}

void TcxCustomMRUEditProperties::AfterConstruction() {
  inherited::AfterConstruction();
  auto update = UpdateBracket(this);
  TcxEditButton* ellipsis = GetButtons()->Add();
  ellipsis->SetKind(TcxEditButtonKind::bkEllipsis);
  ellipsis->SetDefault(true);
  SetGlyphButtonIndex(kEllipsisButton);
  SetDropDownListStyle(TcxEditDropDownListStyle::lsEditList);
}

void TcxCustomMRUEditProperties::Assign(TPersistent* Source) {
  auto* s = dynamic_cast<TcxCustomMRUEditProperties*>(Source);
  if (!s) {
    inherited::Assign(Source);
    return;
  }
  auto update = UpdateBracket(this);
  inherited::Assign(Source);
  SetMaxItemCount(s->FMaxItemCount);
  SetShowEllipsis(s->FShowEllipsis);
  OnButtonClick = s->OnButtonClick;
}

TcxEditButtonKind TcxCustomMRUEditProperties::GetButtonKindWithoutGlyph(Integer AButtonIndex) const {
  return AButtonIndex == kEllipsisButton ? TcxEditButtonKind::bkEllipsis : TcxEditButtonKind::bkDown;
}

void TcxCustomMRUEditProperties::Changed() {
  if (!FApplyingButtons && GetButtons()->Count() > kEllipsisButton) {
    TScopedValue<bool> applying(FApplyingButtons, true);
    GetButtons()->Items(kEllipsisButton)->SetVisible(FShowEllipsis);
    SetGlyphButtonIndex(FShowEllipsis ? kEllipsisButton : GetDropDownButtonVisibleIndex());
  }
  inherited::Changed();
}

void TcxCustomMRUEditProperties::CutItems() {
  TStrings* items = GetLookupItems();
  if (FMaxItemCount <= 0 || items->Count() <= FMaxItemCount) return;
  auto update = UpdateBracket(items);
  while (items->Count() > FMaxItemCount) items->Delete(items->Count() - 1);
}

void TcxCustomMRUEditProperties::SetMaxItemCount(Integer Value) {
  Value = std::max<Integer>(0, Value);
  if (FMaxItemCount == Value) return;
  FMaxItemCount = Value;
  CutItems();
  Changed();
}

void TcxCustomMRUEditProperties::SetShowEllipsis(bool Value) {
  if (FShowEllipsis == Value) return;
  FShowEllipsis = Value;
  Changed();
}

TcxCustomEditClass TcxCustomMRUEditProperties::GetContainerClass() const {
  return ClassOf<TcxMRUEdit, TcxCustomEdit, TComponent*, bool>();
}

// ---- the edit ----

TcxCustomEditPropertiesClass TcxCustomMRUEdit::GetPropertiesClass() {
  return ClassOf<TcxCustomMRUEditProperties, TcxCustomEditProperties, TPersistent*>();
}

void TcxCustomMRUEdit::AddItem(const String& AText) {
  if (AText.empty() || FAddingItem) return;
  TStrings* items = ActiveProperties()->GetLookupItems();
  if (items->Count() > 0 && items->Strings(0) == AText) return;
  TcxEditLifeGuard guard(this);
  if (!DoEditing() || !guard.Alive()) return;
  TWatchedValue<bool> adding(this, FAddingItem, true);
  {
    auto update = UpdateBracket(ActiveProperties());
    const Integer i = items->IndexOf(AText);
    // A sorted list decides every place itself: a known text stays, a new one joins it.
    const bool sorted = ActiveProperties()->GetSorted();
    if (i > 0 && !sorted)
      items->Move(i, 0);
    else if (i < 0) {
      if (sorted)
        items->Add(AText);
      else
        items->Insert(0, AText);
      ActiveProperties()->CutItems();
    }
  }
  // The current item moved with the list.
  if (guard.Alive() && LookupData()) LookupData()->SyncWithEditText();
}

void TcxCustomMRUEdit::DoEditKeyDown(Word& Key, TShiftState Shift) {
  if (Key == VK_RETURN && !Shift.Contains(TShiftStateItem::ssAlt)) {
    TcxCustomEditListBox* list = LookupData() ? LookupData()->GetList() : nullptr;
    const bool selected = HasShownPopup() && list && list->GetItemIndex() >= 0;
    if (!selected) {
      TcxEditLifeGuard guard(this);
      AddItem(VarToStr(GetDisplayValue()));
      if (!guard.Alive()) return;
    }
  }
  inherited::DoEditKeyDown(Key, Shift);
}

void TcxCustomMRUEdit::ApplyDisplayValue(const Variant& ADisplayValue) {
  TcxEditLifeGuard guard(this);
  inherited::ApplyDisplayValue(ADisplayValue);
  if (guard.Alive()) AddItem(VarToStr(ADisplayValue));
}

void TcxCustomMRUEdit::LookupTextChanged() { AddItem(VarToStr(GetDisplayValue())); }

void TcxCustomMRUEdit::DoButtonClick(Integer AButtonIndex) {
  TcxEditLifeGuard guard(this);
  inherited::DoButtonClick(AButtonIndex);
  if (!guard.Alive() || AButtonIndex != kEllipsisButton) return;
  auto* own = dynamic_cast<TcxCustomMRUEditProperties*>(GetProperties());
  TcxCustomMRUEditProperties* active = ActiveProperties();
  if (own && own->OnButtonClick) own->OnButtonClick(this);
  if (guard.Alive() && GetRepositoryItem() && active != own && active->OnButtonClick) active->OnButtonClick(this);
}

TcxCustomEditPropertiesClass TcxMRUEdit::GetPropertiesClass() {
  return ClassOf<TcxMRUEditProperties, TcxCustomEditProperties, TPersistent*>();
}

TL_DEFINE_CLASS(TcxCustomMRUEditProperties, [](auto&) {});
TL_DEFINE_CLASS(TcxMRUEditProperties, [](auto& c) {
  using T = TcxMRUEditProperties;
  c.Property("ButtonGlyph", &T::GetButtonGlyph, &T::SetButtonGlyph).Stored(&T::IsButtonGlyphStored);
  c.Property("CaseInsensitive", &T::GetCaseInsensitive, &T::SetCaseInsensitive).Default(true);
  c.Property("DropDownAutoWidth", &T::GetDropDownAutoWidth, &T::SetDropDownAutoWidth).Default(true);
  c.Property("DropDownRows", &T::GetDropDownRows, &T::SetDropDownRows).Default(Integer(8));
  c.Property("DropDownSizeable", &T::GetDropDownSizeable, &T::SetDropDownSizeable).Default(false);
  c.Property("DropDownWidth", &T::GetDropDownWidth, &T::SetDropDownWidth).Default(Integer(0));
  c.Property("ImmediateDropDown", &T::GetImmediateDropDown, &T::SetImmediateDropDown).Default(true);
  c.Property("IncrementalSearch", &T::GetIncrementalSearch, &T::SetIncrementalSearch).Default(true);
  c.Property("LookupItems", &T::GetLookupItems, &T::SetLookupItems).Stored(&T::IsLookupItemsStored);
  c.Property("MaxItemCount", &T::GetMaxItemCount, &T::SetMaxItemCount).Default(Integer(0));
  c.Property("ShowEllipsis", &T::GetShowEllipsis, &T::SetShowEllipsis).Default(true);
  c.Event("OnButtonClick", &T::OnButtonClick);
  c.Event("OnCloseUp", &T::OnCloseUp);
  c.Event("OnInitPopup", &T::OnInitPopup);
  c.Event("OnPopup", &T::OnPopup);
});
TL_DEFINE_CLASS(TcxCustomMRUEdit, [](auto&) {});
TL_DEFINE_CLASS(TcxMRUEdit, [](auto& c) {
  using T = TcxMRUEdit;
  c.Property("BeepOnEnter", &T::GetBeepOnEnter, &T::SetBeepOnEnter).Default(true);
  c.Property("Properties", &T::GetMRUProperties);
});

namespace cxMRUEdit {

namespace {
UnitCounter gMRUEdit;
}  // namespace

void Initialize() {
  if (!gMRUEdit.Enter()) return;
  cxRegisterEditor(TcxMRUEditProperties::StaticClass(),
                   "MRUEdit|Represents a text editor that lists the most recently used texts",
                   TcxMRUEdit::StaticClass());
}

void Finalize() {
  if (!gMRUEdit.Leave()) return;
  cxUnregisterEditor(TcxMRUEditProperties::StaticClass(), TcxMRUEdit::StaticClass());
}

}  // namespace cxMRUEdit
