#include "widgets/editors/cxPopupEdit.h"

#include "classlib/core/ScopeGuards.h"
#include "classlib/core/SysUtils.h"
#include "platform/kernel/Units.h"
#include "widgets/editcore/cxEditRegisteredRepositoryItems.h"

namespace {

const char* const kCircularReference = "Circular referencing is not allowed";

// AControl is AOuter or lies inside it.
bool IsInside(const TControl* AControl, const TControl* AOuter) {
  for (const TControl* c = AControl; c; c = c->GetParent())
    if (c == AOuter) return true;
  return false;
}

}  // namespace

// ---- properties ----

TcxCustomPopupEditProperties::TcxCustomPopupEditProperties(TPersistent* AOwner)
    : TcxCustomDropDownEditProperties(AOwner) {}

void TcxCustomPopupEditProperties::AfterConstruction() {
  inherited::AfterConstruction();
  FWatch = New<TcxFreeNotificator>(nullptr);
  FWatch->OnFreeNotification = {this, &TcxCustomPopupEditProperties::PopupControlFreed};
  SetPopupAutoSize(true);
  SetPopupMinHeight(100);
  SetPopupMinWidth(100);
  SetPopupHeight(200);
  SetPopupWidth(250);
  SetPopupSizeable(true);
}

void TcxCustomPopupEditProperties::BeforeDestruction() {
  if (FPopupControl && FWatch) FPopupControl->RemoveFreeNotification(FWatch);
  FPopupControl = nullptr;
  FreeAndNil(FWatch);
  inherited::BeforeDestruction();
}

void TcxCustomPopupEditProperties::Assign(TPersistent* Source) {
  auto* s = dynamic_cast<TcxCustomPopupEditProperties*>(Source);
  if (!s) {
    inherited::Assign(Source);
    return;
  }
  auto update = UpdateBracket(this);
  inherited::Assign(Source);
  SetPopupControl(s->FPopupControl);
}

void TcxCustomPopupEditProperties::SetPopupControl(TControl* Value) {
  if (FPopupControl == Value) return;
  if (FPopupControl && FWatch) FPopupControl->RemoveFreeNotification(FWatch);
  FPopupControl = Value;
  if (FPopupControl && FWatch) FPopupControl->FreeNotification(FWatch);
  Changed();
}

void TcxCustomPopupEditProperties::PopupControlFreed(TComponent* AComponent) {
  if (AComponent == FPopupControl) {
    FPopupControl = nullptr;
    Changed();
  }
}

TcxCustomEditPopupWindowClass TcxCustomPopupEditProperties::GetPopupWindowClass() const {
  return ClassOf<TcxPopupEditPopupWindow, TcxCustomEditPopupWindow, TWinControl*>();
}

TcxCustomEditClass TcxCustomPopupEditProperties::GetContainerClass() const {
  return ClassOf<TcxPopupEdit, TcxCustomEdit, TComponent*, bool>();
}

void TcxPopupEditProperties::AfterConstruction() {
  inherited::AfterConstruction();
  SetImmediateDropDown(true);
  SetImmediatePopup(true);
}

TcxContainerViewInfoClass TcxPopupEditPopupWindow::GetViewInfoClass() const {
  return ClassOf<TcxPopupEditPopupWindowViewInfo, TcxContainerViewInfo>();
}

// ---- the edit ----

void TcxCustomPopupEdit::BeforeDestruction() {
  // The control goes back to its place first, while the popup still stands.
  if (FShownControl || FSavedParent) RestorePopupControlData();
  inherited::BeforeDestruction();
  FreeAndNil(FWatch);
}

TcxCustomEditPropertiesClass TcxCustomPopupEdit::GetPropertiesClass() {
  return ClassOf<TcxCustomPopupEditProperties, TcxCustomEditProperties, TPersistent*>();
}

void TcxCustomPopupEdit::Watch(TComponent* AComponent) {
  if (!AComponent) return;
  if (!FWatch) {
    FWatch = New<TcxFreeNotificator>(nullptr);
    FWatch->OnFreeNotification = {this, &TcxCustomPopupEdit::WatchedFreed};
  }
  AComponent->FreeNotification(FWatch);
}

void TcxCustomPopupEdit::Unwatch(TComponent* AComponent) {
  if (AComponent && FWatch) AComponent->RemoveFreeNotification(FWatch);
}

void TcxCustomPopupEdit::WatchedFreed(TComponent* AComponent) {
  if (AComponent == FSavedParent) FSavedParent = nullptr;
  if (AComponent != FShownControl) return;
  // The shown control is going: the popup has nothing left to show.
  FShownControl = nullptr;
  if (HasShownPopup() && !IsDestroying()) CloseUp(TcxEditCloseUpReason::crNone);
}

bool TcxCustomPopupEdit::CanDropDown() { return ActiveProperties()->GetPopupControl() != nullptr; }

void TcxCustomPopupEdit::DoInitPopup() {
  TControl* control = ActiveProperties()->GetPopupControl();
  if (control && (control == PopupWindow() || IsInside(this, control) || IsInside(control, this)))
    throw Exception(kCircularReference);
  inherited::DoInitPopup();
}

void TcxCustomPopupEdit::SavePopupControlData() {
  TControl* control = ActiveProperties()->GetPopupControl();
  if (!control) return;
  FShownControl = control;
  FSavedParent = control->GetParent();
  FSavedAlign = control->GetAlign();
  FSavedBounds = control->GetBoundsRect();
  FSavedVisible = control->GetVisible();
  auto* form = dynamic_cast<TCustomForm*>(control);
  FSavedIsForm = form != nullptr;
  if (form) FSavedBorderStyle = form->GetBorderStyle();
  Watch(FShownControl);
  Watch(FSavedParent);
}

void TcxCustomPopupEdit::RestorePopupControlData() {
  TControl* control = FShownControl;
  TWinControl* parent = FSavedParent;
  FShownControl = nullptr;
  FSavedParent = nullptr;
  Unwatch(control);
  Unwatch(parent);
  if (!control || control->InState(TComponentStateItem::csDestroying)) return;
  // Hidden while it moves, so that it never shows in between.
  control->SetVisible(false);
  if (auto* form = dynamic_cast<TCustomForm*>(control); form && FSavedIsForm) form->SetBorderStyle(FSavedBorderStyle);
  control->SetAlign(FSavedAlign);
  control->SetParent(parent && !parent->InState(TComponentStateItem::csDestroying) ? parent : nullptr);
  control->SetBoundsRect(FSavedBounds);
  control->SetVisible(FSavedVisible);
}

void TcxCustomPopupEdit::SetupPopupWindow() {
  TControl* control = ActiveProperties()->GetPopupControl();
  if (control && FShownControl != control) {
    if (FShownControl) RestorePopupControlData();
    SavePopupControlData();
    if (auto* form = dynamic_cast<TCustomForm*>(control)) form->SetBorderStyle(TFormBorderStyle::bsNone);
    control->SetAlign(TAlign::alNone);
    control->SetParent(PopupWindow());
    control->SetVisible(true);
  }
  inherited::SetupPopupWindow();
  if (FShownControl) FShownControl->SetAlign(TAlign::alClient);
}

TSize TcxCustomPopupEdit::GetPopupWindowClientPreferredSize() {
  TControl* control = FShownControl ? FShownControl : ActiveProperties()->GetPopupControl();
  return control ? TSize{control->GetWidth(), control->GetHeight()} : TSize{0, 0};
}

void TcxCustomPopupEdit::PositionPopupWindowChildren(const TRect& AClientRect) {
  if (!FShownControl) return;
  FShownControl->SetBounds(AClientRect.Left, AClientRect.Top, AClientRect.Width(), AClientRect.Height());
}

TWinControl* TcxCustomPopupEdit::GetPopupFocusedControl() { return dynamic_cast<TWinControl*>(FShownControl); }

void TcxCustomPopupEdit::CloseUpWithReason(TcxEditCloseUpReason AReason) { CloseUp(AReason); }

void TcxCustomPopupEdit::PopupWindowClosed() {
  RestorePopupControlData();
  inherited::PopupWindowClosed();
}

TcxCustomEditPropertiesClass TcxPopupEdit::GetPropertiesClass() {
  return ClassOf<TcxPopupEditProperties, TcxCustomEditProperties, TPersistent*>();
}

TL_DEFINE_CLASS(TcxCustomPopupEditProperties, [](auto&) {});
TL_DEFINE_CLASS(TcxPopupEditProperties, [](auto& c) {
  using T = TcxPopupEditProperties;
  c.Property("ButtonGlyph", &T::GetButtonGlyph, &T::SetButtonGlyph).Stored(&T::IsButtonGlyphStored);
  c.Property("ImmediateDropDown", &T::GetImmediateDropDown, &T::SetImmediateDropDown).Default(true);
  c.Property("ImmediatePopup", &T::GetImmediatePopup, &T::SetImmediatePopup).Default(true);
  c.Property("LookupItems", &T::GetLookupItems, &T::SetLookupItems).Stored(&T::IsLookupItemsStored);
  c.Property("LookupItemsSorted", &T::GetLookupItemsSorted, &T::SetLookupItemsSorted).Default(false);
  c.Property("PopupAlignment", &T::GetPopupAlignment, &T::SetPopupAlignment).Default(TAlignment::taLeftJustify);
  c.Property("PopupAutoSize", &T::GetPopupAutoSize, &T::SetPopupAutoSize).Default(true);
  c.Property("PopupClientEdge", &T::GetPopupClientEdge, &T::SetPopupClientEdge).Default(false);
  c.Property("PopupControl", &T::GetPopupControl, &T::SetPopupControl);
  c.Property("PopupHeight", &T::GetPopupHeight, &T::SetPopupHeight).Default(Integer(200));
  c.Property("PopupMinHeight", &T::GetPopupMinHeight, &T::SetPopupMinHeight).Default(Integer(100));
  c.Property("PopupMinWidth", &T::GetPopupMinWidth, &T::SetPopupMinWidth).Default(Integer(100));
  c.Property("PopupSizeable", &T::GetPopupSizeable, &T::SetPopupSizeable).Default(true);
  c.Property("PopupSysPanelStyle", &T::GetPopupSysPanelStyle, &T::SetPopupSysPanelStyle).Default(false);
  c.Property("PopupWidth", &T::GetPopupWidth, &T::SetPopupWidth).Default(Integer(250));
  c.Event("OnCloseQuery", &T::OnCloseQuery);
  c.Event("OnCloseUp", &T::OnCloseUp);
  c.Event("OnInitPopup", &T::OnInitPopup);
  c.Event("OnPopup", &T::OnPopup);
});
TL_DEFINE_CLASS(TcxPopupEditPopupWindowViewInfo, [](auto&) {});
TL_DEFINE_CLASS(TcxPopupEditPopupWindow, [](auto&) {});
TL_DEFINE_CLASS(TcxCustomPopupEdit, [](auto&) {});
TL_DEFINE_CLASS(TcxPopupEdit, [](auto& c) {
  using T = TcxPopupEdit;
  c.Property("BeepOnEnter", &T::GetBeepOnEnter, &T::SetBeepOnEnter).Default(true);
  c.Property("Properties", &T::GetPopupProperties);
});

namespace cxPopupEdit {

namespace {
UnitCounter gPopupEdit;
}  // namespace

void Initialize() {
  if (!gPopupEdit.Enter()) return;
  cxRegisterEditor(
      TcxPopupEditProperties::StaticClass(),
      "PopupEdit|Represents an edit control with a dropdown window holding any control",
      TcxPopupEdit::StaticClass());
}

void Finalize() {
  if (!gPopupEdit.Leave()) return;
  cxUnregisterEditor(TcxPopupEditProperties::StaticClass(), TcxPopupEdit::StaticClass());
}

}  // namespace cxPopupEdit
