#include "widgets/editcore/cxEditControl.h"

#include "classlib/core/ScopeGuards.h"
#include "classlib/visual/Forms.h"
#include "widgets/editcore/cxEditPaintUtils.h"
#include "widgets/foundation/cxVariants.h"

namespace {

// Tells whether an object is still alive after a handler ran: a handler may free the editor.

bool SameVariant(const Variant& A, const Variant& B) {
  return A.VType() == B.VType() && cxVariantsEqualLoose(A, B);
}

bool SameFont(const TFont* A, const TFont* B) {
  return A->GetName() == B->GetName() && A->GetHeight() == B->GetHeight() &&
         A->GetStyle() == B->GetStyle() && A->GetColor() == B->GetColor() &&
         A->GetCharset() == B->GetCharset() && A->GetPitch() == B->GetPitch();
}

}  // namespace

// ---- data binding ----

void TcxEditDataBinding::AfterConstruction() {
  inherited::AfterConstruction();
  FDefaultValuesProvider = GetDefaultValuesProviderClass().Create(this);
}

void TcxEditDataBinding::BeforeDestruction() {
  FreeAndNil(FDefaultValuesProvider);
  inherited::BeforeDestruction();
}

void TcxEditDataBinding::Assign(TPersistent* Source) {
  if (dynamic_cast<TcxEditDataBinding*>(Source)) return;
  inherited::Assign(Source);
}

void TcxEditDataBinding::DefaultValuesChanged() {
  if (TcxCustomEditProperties* p = FEdit->GetActiveProperties())
    p->SetIDefaultValuesProvider(FDefaultValuesProvider);
}

String TcxEditDataBinding::GetDisplayText() const { return VarToStr(FEdit->GetDisplayValue()); }
bool TcxEditDataBinding::IsEditing() const { return FEdit->GetDisplayValueModified(); }
Variant TcxEditDataBinding::GetStoredValue() const { return FEdit->GetEditValue(); }
void TcxEditDataBinding::Reset() { FEdit->ResetEditValue(); }
void TcxEditDataBinding::SetDisplayValue(const Variant& Value) {
  FEdit->SetInternalDisplayValue(Value);
}
void TcxEditDataBinding::UpdateDisplayValue() { FEdit->SynchronizeDisplayValue(); }

TcxCustomEditDefaultValuesProviderClass TcxEditDataBinding::GetDefaultValuesProviderClass() const {
  return ClassOf<TcxCustomEditDefaultValuesProvider, TcxCustomEditDefaultValuesProvider,
                 TPersistent*>();
}

bool TcxEditDataBinding::IsDataAvailable() const {
  return !FDefaultValuesProvider || FDefaultValuesProvider->IsDataAvailable();
}

// ---- creation and destruction ----

void TcxCustomEdit::AfterConstruction() {
  inherited::AfterConstruction();
  Initialize();
}

void TcxCustomEdit::Initialize() {
  FChangeEventsCatcher = New<TcxEditChangeEventsCatcher>(this);
  FRepositoryItemLink =
      New<TcxEditRepositoryItemLink>(static_cast<IcxEditRepositoryItemHost*>(this));
  FProperties = GetPropertiesClass().Create(this);
  // The container made its view info before there were properties to name the kind's class.
  RecreateViewInfo();
  CreateInnerEdit();
  FDataBinding = GetDataBindingClass().Create(this);
  FEditValue = Variant();
  FProperties->OnPropertiesChanged = {this, &TcxCustomEdit::PropertiesChanged};
  if (!FIsInplace)
    FProperties->SetIDefaultValuesProvider(FDataBinding->GetIDefaultValuesProvider());
}

void TcxCustomEdit::BeforeDestruction() {
  // Everything that follows, the window's last messages included, sees the editor going.
  Destroying();
  StopClickTimer();
  FreeAndNil(FClickTimer);
  UnhookInnerEditWndProc();
  FreeAndNil(FRepositoryItemLink);
  if (FInnerEdit) FInnerEdit->SetOnChange(nullptr);
  FInnerEdit = nullptr;
  if (FProperties) {
    FProperties->OnPropertiesChanged = nullptr;
    if (!FIsInplace) FProperties->SetIDefaultValuesProvider(nullptr);
  }
  FreeAndNil(FDataBinding);
  FModifiedFlags.clear();
  FreeAndNil(FProperties);
  FreeAndNil(FChangeEventsCatcher);
  inherited::BeforeDestruction();
}

void TcxCustomEdit::CreateInnerEdit() {
  const TMetaClass<TWinControl, TComponent*> c = GetInnerEditClass();
  if (!c.Class) return;
  TWinControl* inner = c.Create(this);
  FInnerEdit = dynamic_cast<IcxCustomInnerEdit*>(inner);
  inner->SetParent(this);
  SetInnerControl(inner);
}

TcxEditDataBindingClass TcxCustomEdit::GetDataBindingClass() const {
  return ClassOf<TcxEditDataBinding, TcxEditDataBinding, TcxCustomEdit*>();
}

TcxCustomEditPropertiesClass TcxCustomEdit::GetPropertiesClass() {
  return ClassOf<TcxCustomEditProperties, TcxCustomEditProperties, TPersistent*>();
}

TcxContainerStyleClass TcxCustomEdit::GetStyleClass() const {
  return cxEditStyleClassOf<TcxEditStyle>();
}

namespace {
// The properties name the view info class under the editors' own base; the container wants a
// maker of its base. The answer is used at once, so the class asked for last is the one made.
thread_local TcxCustomEditViewInfoClass gViewInfoClass;
TcxContainerViewInfo* MakeEditViewInfo() { return gViewInfoClass.Make(); }
}  // namespace

TcxContainerViewInfoClass TcxCustomEdit::GetViewInfoClass() const {
  // The container asks before the properties exist.
  if (!FProperties) return ClassOf<TcxCustomEditViewInfo, TcxContainerViewInfo>();
  gViewInfoClass = const_cast<TcxCustomEdit*>(this)->GetActiveProperties()->GetViewInfoClass();
  if (!gViewInfoClass.Class) return ClassOf<TcxCustomEditViewInfo, TcxContainerViewInfo>();
  return {gViewInfoClass.Class, &MakeEditViewInfo};
}

void TcxCustomEdit::Loaded() {
  inherited::Loaded();
  auto changeLock =
      PairedCall([this] { LockChangeEvents(true); }, [this] { LockChangeEvents(false); });
  auto clickLock = PairedCall([this] { LockClick(true); }, [this] { LockClick(false); });
  FDataBinding->ClearValueIfNoData();
  TcxEditLifeGuard guard(this);  // placing the inner edit runs its OnResize
  TcxContainer::RecalcViewAtCursor();
  if (!guard.Alive()) return;
  if (!GetRepositoryItem())
    FProperties->OnPropertiesChanged = {this, &TcxCustomEdit::PropertiesChanged};
  PropertiesChanged(GetActiveProperties());
  ContainerStyleChanged(GetStyle());
}

void TcxCustomEdit::ReadState(TReader& Reader) {
  // Published settings read from a stream fire nothing.
  FProperties->OnPropertiesChanged = nullptr;
  inherited::ReadState(Reader);
}

void TcxCustomEdit::Notification(TComponent* AComponent, TOperation Operation) {
  inherited::Notification(AComponent, Operation);
  if (Operation == TOperation::opRemove && FRepositoryItemLink && AComponent == GetRepositoryItem())
    FRepositoryItemLink->ItemRemoved(GetRepositoryItem());
}

void TcxCustomEdit::SetParent(TWinControl* AParent) {
  TWeakLink self(this);  // a handler run as it moves may free it
  inherited::SetParent(AParent);
  if (!self.Alive()) return;
  if (AParent && FIsFirstSetParent && FDataBinding) {
    FIsFirstSetParent = false;
    FDataBinding->ClearValueIfNoData();
    PropertiesChanged(GetActiveProperties());
    SynchronizeDisplayValue();
  }
}

// ---- properties and the repository item ----

TcxCustomEditProperties* TcxCustomEdit::GetActiveProperties() {
  return FRepositoryItemLink ? FRepositoryItemLink->GetActiveProperties() : FProperties;
}

void TcxCustomEdit::SetRepositoryItem(TcxEditRepositoryItem* Value) {
  TcxEditRepositoryItem* old = GetRepositoryItem();
  FRepositoryItemLink->SetItem(Value);
  if (old) old->RemoveFreeNotification(this);
  if (Value) Value->FreeNotification(this);
}

bool TcxCustomEdit::IsLinkLocked() {
  return InState(TComponentStateItem::csLoading) || InState(TComponentStateItem::csDestroying);
}

IcxEditDefaultValuesProvider* TcxCustomEdit::GetDefaultValuesProvider() {
  return FDataBinding ? FDataBinding->GetIDefaultValuesProvider() : nullptr;
}

bool TcxCustomEdit::IsDataStorage() const {
  IcxEditDefaultValuesProvider* p =
      FDataBinding ? FDataBinding->GetIDefaultValuesProvider() : nullptr;
  return p && p->IsDataStorage();
}

void TcxCustomEdit::PropertiesChanged(TObject*) {
  if (!FChangeEventsCatcher || InState(TComponentStateItem::csDestroying) || !FDataBinding) return;
  FIsDisplayValueValidated = false;
  TcxCustomEditProperties* p = GetActiveProperties();
  if (FInnerEdit) FInnerEdit->SetReadOnly(IsReadOnly());
  if (IsReadOnly()) FModifiedAfterEnter = false;
  if (p->GetTransparent()) FTransparent = true;
  TcxEditLifeGuard guard(this);  // placing the inner edit runs its OnResize
  TcxContainer::RecalcViewAtCursor();
  if (guard.Alive()) CheckAutoSize();
}

void TcxCustomEdit::ContainerStyleChanged(TObject* Sender) {
  TcxEditLifeGuard guard(this);
  inherited::ContainerStyleChanged(Sender);
  if (guard.Alive() && FChangeEventsCatcher && !InState(TComponentStateItem::csDestroying))
    CheckAutoSize();
}

void TcxCustomEdit::SetTransparent(bool Value) {
  if (FTransparent == Value) return;
  FTransparent = Value;
  TcxContainer::RecalcViewAtCursor();
}

// ---- edit mode ----

bool TcxCustomEdit::CanModify() {
  TcxCustomEditProperties* p = GetActiveProperties();
  if (FIsInplace) return p->CanModify();
  if (p->IsReadOnlyAssigned()) return !p->GetReadOnly();
  IcxEditDefaultValuesProvider* provider = FDataBinding->GetIDefaultValuesProvider();
  return (!provider || provider->CanSetEditMode()) && FDataBinding->CanModify();
}

bool TcxCustomEdit::IsReadOnly() {
  return GetActiveProperties()->GetReadOnly() || !FDataBinding->CanModify();
}

void TcxCustomEdit::EditingChanged() {
  if (FInnerEdit) FInnerEdit->SetReadOnly(IsReadOnly());
}

bool TcxCustomEdit::DoEditing() {
  if (!CanEdit()) return false;
  if (FDataBinding->IsEditing()) return true;
  TcxEditLifeGuard guard(this);
  FEditingEntry = true;
  bool canEdit = CanModify();
  TWatchedScopeExit editingEntry(this, [this] { FEditingEntry = false; });
  auto lockValueSetting = [this] {
    return WatchedPairedCall(
        this, [this] { LockEditValueSetting(true); }, [this] { LockEditValueSetting(false); });
  };
  if (canEdit && OnEditing) {
    auto lock = lockValueSetting();
    OnEditing(this, canEdit);
  }
  if (!guard.Alive()) return false;
  if (!FIsInplace && canEdit) {
    auto lock = lockValueSetting();
    canEdit = FDataBinding->SetEditMode();
  }
  return guard.Alive() && canEdit;
}

// ---- value ----

void TcxCustomEdit::SetEditValue(const Variant& Value) {
  if (IsEditValueSettingLocked()) return;
  InternalSetEditValue(Value, false);
}

void TcxCustomEdit::SetEditValueWithoutClick(const Variant& Value) {
  if (IsEditValueSettingLocked()) return;
  auto lock = WatchedPairedCall(
      this, [this] { LockClick(true); }, [this] { LockClick(false); });
  InternalSetEditValue(Value, false);
}

void TcxCustomEdit::InternalSetEditValue(const Variant& AValue, bool) {
  TcxEditLifeGuard guard(this);
  if (FIsUserInput && (!DoEditing() || !guard.Alive())) return;
  TcxCustomEditProperties* p = GetActiveProperties();
  const bool compares = p->CanCompareEditValue();
  const bool changed = !compares || !SameVariant(FEditValue, AValue);
  FEditValue = AValue;
  FDisplayIsEditValue = false;
  SynchronizeDisplayValue();
  if (!guard.Alive()) return;
  EditValueSet(changed, FIsUserInput);
}

void TcxCustomEdit::StoreEditValueFromDisplay(const Variant& AValue, bool AEditing) {
  if (IsEditValueSettingLocked()) return;
  const bool changed =
      !GetActiveProperties()->CanCompareEditValue() || !SameVariant(FEditValue, AValue);
  FEditValue = AValue;
  FDisplayIsEditValue = false;
  EditValueSet(changed, AEditing);
}

void TcxCustomEdit::InternalAppendEditValue(const String& ATail) {
  // A string followed by a non-empty tail differs from it under every comparison.
  TcxEditLifeGuard guard(this);
  FEditValue.AppendString(ATail);
  AppendDisplayValue(ATail);
  if (!guard.Alive()) return;
  EditValueSet(!ATail.empty() || !GetActiveProperties()->CanCompareEditValue(), FIsUserInput);
}

void TcxCustomEdit::EditValueSet(bool AChanged, bool AModified) {
  TcxEditLifeGuard guard(this);
  TcxCustomEditProperties* p = GetActiveProperties();
  const bool compares = p->CanCompareEditValue();
  if (AModified)
    SetDisplayValueModified(true);
  else
    SetEditModified(false);
  if (!AChanged) return;
  // DoChange covers OnEditValueChanged where the properties neither compare nor fire
  // change events themselves: one assignment, one event.
  const bool firedByEditor = p->IsChangeFiredByEditor();
  if (compares || firedByEditor) {
    DoEditValueChanged();
    if (!guard.Alive()) return;
  }
  if (!firedByEditor) DoChange();
}

void TcxCustomEdit::SetEditModified(bool Value) {
  FEditModified = Value;
  if (!Value) FModifiedAfterEnter = false;
}

void TcxCustomEdit::SetDisplayValueModified(bool Value) {
  FModifiedAfterEnter = Value;
  if (Value) {
    FEditModified = true;
    FIsDisplayValueValidated = false;
  }
}

void TcxCustomEdit::SaveModifiedFlags() {
  FModifiedFlags.emplace_back(FEditModified, FModifiedAfterEnter);
}

void TcxCustomEdit::RestoreModifiedFlags() {
  if (FModifiedFlags.empty()) return;
  FEditModified = FModifiedFlags.back().first;
  FModifiedAfterEnter = FModifiedFlags.back().second;
  FModifiedFlags.pop_back();
}

void TcxCustomEdit::ChangeHandler(TObject*) {
  if (IsFocused()) SetDisplayValueModified(true);
  DoChange();
}

void TcxCustomEdit::SetModifiedAndClick() {
  // A text changed by the editor itself (a list's choice) is new input: a text validated
  // before it no longer stands for it.
  SetDisplayValueModified(true);
  if (FClickLockCount == 0) Click();
}

void TcxCustomEdit::LockClick(bool ALock) {
  if (ALock)
    ++FClickLockCount;
  else if (FClickLockCount > 0)
    --FClickLockCount;
}

void TcxCustomEdit::LockEditValueSetting(bool ALock) {
  if (ALock)
    ++FEditValueSettingLockCount;
  else if (FEditValueSettingLockCount > 0)
    --FEditValueSettingLockCount;
}

void TcxCustomEdit::Click() {
  if (FClickLockCount > 0 || InState(TComponentStateItem::csDestroying)) return;
  inherited::Click();
}

// ---- change events ----

namespace {
bool OwnOrActiveAssigned(TcxCustomEditProperties* AOwn, TcxCustomEditProperties* AActive,
                         TNotifyEvent TcxCustomEditProperties::*E) {
  return (AOwn && AOwn->*E) || (AActive && AActive->*E);
}
}  // namespace

void TcxCustomEdit::DoChange() {
  if (!FChangeEventsCatcher || InState(TComponentStateItem::csLoading) ||
      InState(TComponentStateItem::csDestroying))
    return;
  TcxCustomEditProperties* active = GetActiveProperties();
  TcxEditLifeGuard guard(this);
  if (OwnOrActiveAssigned(FProperties, active, &TcxCustomEditProperties::OnChange)) {
    if (FChangeEventsCatcher->IsLocked())
      FChangeEventsCatcher->OnChangeEvent = true;
    else
      DoOnChange();
    if (!guard.Alive()) return;
  }
  active = GetActiveProperties();
  if (!active->CanCompareEditValue() && !active->IsChangeFiredByEditor()) DoEditValueChanged();
}

void TcxCustomEdit::DoEditValueChanged() {
  if (!FChangeEventsCatcher || InState(TComponentStateItem::csLoading) ||
      InState(TComponentStateItem::csDestroying))
    return;
  if (!OwnOrActiveAssigned(FProperties, GetActiveProperties(),
                           &TcxCustomEditProperties::OnEditValueChanged))
    return;
  if (FChangeEventsCatcher->IsLocked())
    FChangeEventsCatcher->OnEditValueChangedEvent = true;
  else
    DoOnEditValueChanged();
}

namespace {
// Fires the own properties' event, then the repository item's, while the editor lives; an
// in-place editor counts as modified inside the handlers.
void FireOwnThenActive(TcxCustomEdit* AEdit, TNotifyEvent TcxCustomEditProperties::*E) {
  TcxEditLifeGuard guard(AEdit);
  TcxCustomEditProperties* own = AEdit->GetOwnProperties();
  TcxCustomEditProperties* active = AEdit->GetActiveProperties();
  const bool inplace = AEdit->IsInplace();
  if (inplace) {
    AEdit->SaveModifiedFlags();
    AEdit->SetDisplayValueModified(true);
  }
  TScopeExit restore([&] {
    if (inplace && guard.Alive()) AEdit->RestoreModifiedFlags();
  });
  if (own->*E) (own->*E)(AEdit);
  if (guard.Alive() && AEdit->HasRepositoryItem() && active != own && active->*E)
    (active->*E)(AEdit);
}
}  // namespace

void TcxCustomEdit::DoOnChange() { FireOwnThenActive(this, &TcxCustomEditProperties::OnChange); }

void TcxCustomEdit::DoOnEditValueChanged() {
  FireOwnThenActive(this, &TcxCustomEditProperties::OnEditValueChanged);
}

void TcxCustomEdit::LockChangeEvents(bool ALock, bool AInvokeChanged) {
  TcxEditChangeEventsCatcher* c = FChangeEventsCatcher;
  if (!c) return;
  if (ALock) {
    if (c->LockCount++ == 0) c->OnChangeEvent = c->OnEditValueChangedEvent = false;
    return;
  }
  if (c->LockCount == 0) return;
  if (--c->LockCount > 0 || !AInvokeChanged) return;
  if (InState(TComponentStateItem::csLoading) || InState(TComponentStateItem::csDestroying)) return;
  TcxEditLifeGuard guard(this);
  if (c->OnChangeEvent) {
    c->OnChangeEvent = false;
    if (OwnOrActiveAssigned(FProperties, GetActiveProperties(), &TcxCustomEditProperties::OnChange))
      DoOnChange();
    if (!guard.Alive()) return;
  }
  if (c->OnEditValueChangedEvent) {
    c->OnEditValueChangedEvent = false;
    if (OwnOrActiveAssigned(FProperties, GetActiveProperties(),
                            &TcxCustomEditProperties::OnEditValueChanged))
      DoOnEditValueChanged();
  }
}

// ---- validation and posting ----

bool TcxCustomEdit::IsOnValidateAssigned() {
  TcxCustomEditProperties* active = GetActiveProperties();
  return (FProperties && FProperties->OnValidate) || (active && active->OnValidate);
}

bool TcxCustomEdit::ValidateDisplayText(bool ARaiseException) {
  if (!FModifiedAfterEnter || FIsDisplayValueValidated || FValidationLockCount > 0) return true;
  Variant displayValue = GetDisplayValue();
  bool error = false;
  String errorText;
  TcxEditLifeGuard guard(this);
  TcxCustomEditProperties* p = GetActiveProperties();
  if (p->CanValidate()) p->ValidateDisplayValue(displayValue, errorText, error, this);
  if (!guard.Alive()) return false;
  if (error) {
    TScopeExit writeBack([&] {
      if (!guard.Alive()) return;
      if (!SameVariant(displayValue, GetDisplayValue())) SetInternalDisplayValue(displayValue);
      if (GetVisible()) SelectAll();
    });
    if (ARaiseException) HandleValidationError(errorText);
    return false;
  }
  if (FIsUserInput && (!DoEditing() || !guard.Alive())) return true;
  ApplyDisplayValue(displayValue);
  if (!guard.Alive()) return false;
  if (!FIsInplace && !IsFocused()) FModifiedAfterEnter = false;
  FIsDisplayValueValidated = true;
  return true;
}

void TcxCustomEdit::HandleValidationError(const String& AErrorText) {
  if (!IsFocused() && GetVisible() && CanFocus()) {
    FLockExit = true;
    TScopeExit unlockExit([this] { FLockExit = false; });
    SetFocus();
  }
  if (GetVisible()) SelectAll();
  if (GetActiveProperties()->GetBeepOnError()) MessageBeep(0);
  if (!AErrorText.empty()) throw Exception(AErrorText);
}

bool TcxCustomEdit::CanPostEditValue() const {
  return FDataBinding && FDataBinding->IsEditing() && !InState(TComponentStateItem::csDesigning);
}

void TcxCustomEdit::PostEditValue(bool AValidate) {
  TcxEditLifeGuard guard(this);
  if (AValidate) {
    bool ok = false;
    {
      TWatchedValue<bool> notUserInput(this, FIsUserInput, false);
      ok = ValidateDisplayText(true);
    }
    if (!guard.Alive() || !ok) return;
  }
  SetKeepDisplayValue();
  if (FIsInplace) {
    if (OnPostEditValue) OnPostEditValue(this);
    if (!guard.Alive()) return;
    SetEditModified(false);
  } else {
    FDataBinding->UpdateDataValue();
    if (!guard.Alive()) return;
  }
  ClearKeepDisplayValue();
}

void TcxCustomEdit::PostEditValueOnRequest() {
  if (FDataBinding->IsEditing()) {
    PostEditValue(true);
    return;
  }
  TcxEditLifeGuard guard(this);
  if (!IsFocused() || !DoEditing() || !guard.Alive()) return;
  SetDisplayValueModified(true);
  if (!ValidateDisplayText(true) || !guard.Alive()) return;
  PostEditValue(false);
  if (guard.Alive()) FModifiedAfterEnter = false;
}

void TcxCustomEdit::ResetEditValue() {
  if (!FModifiedAfterEnter || !CanResetEditValue()) return;
  TcxEditLifeGuard guard(this);
  auto lock = WatchedPairedCall(
      this, [this] { LockChangeEvents(true); }, [this] { LockChangeEvents(false, true); });
  FModifiedAfterEnter = false;
  SetEditValue(IsDataStorage() ? FDataBinding->GetStoredValue() : FPrevEditValue);
  if (guard.Alive()) {
    FEditModified = true;
    SelectAll();
    if (GetActiveProperties()->GetImmediatePost() && CanPostEditValue()) PostEditValue(false);
  }
}

// ---- buttons ----

void TcxCustomEdit::DoButtonClick(Integer AButtonIndex) {
  TcxEditLifeGuard guard(this);
  TcxCustomEditProperties* own = FProperties;
  TcxCustomEditProperties* active = GetActiveProperties();
  if (own->OnButtonClick) own->OnButtonClick(this, AButtonIndex);
  if (guard.Alive() && GetRepositoryItem() && active != own && active->OnButtonClick)
    active->OnButtonClick(this, AButtonIndex);
}

void TcxCustomEdit::ClickDefaultButton() {
  TcxEditButtons* buttons = GetActiveProperties()->GetButtons();
  if (TcxEditButton* b = buttons->GetDefaultButton()) DoButtonClick(b->GetIndex());
}

void TcxCustomEdit::UpdatePressedButton(TcxCustomEditViewInfo* AOldViewInfo) {
  TcxCustomEditViewInfo* vi = EditViewInfo();
  auto indexOf = [](TcxCustomEditViewInfo* V, Integer AVisible) {
    return AVisible >= 0 && AVisible < Integer(V->ButtonsInfo.size())
               ? V->ButtonsInfo[size_t(AVisible)]->ButtonIndex
               : -1;
  };
  const Integer oldPressed = indexOf(AOldViewInfo, AOldViewInfo->PressedButton);
  const Integer newPressed = indexOf(vi, vi->PressedButton);
  const Integer newHot = indexOf(vi, vi->SelectedButton);
  TcxEditLifeGuard guard(this);
  if (newPressed >= 0 && newPressed != oldPressed) {
    DoButtonDown(newPressed);
    if (!guard.Alive()) return;
  }
  const TcxEditButtonRelease r = cxGetEditButtonRelease(oldPressed, newPressed, newHot);
  if (r.ButtonIndex < 0) return;
  DoButtonUp(r.ButtonIndex);
  if (guard.Alive() && r.Click) DoButtonClick(r.ButtonIndex);
}

Integer TcxCustomEdit::GetButtonIndexAt(const TPoint& P) const {
  const POINT q{P.X, P.Y};
  for (const auto& b : EditViewInfo()->ButtonsInfo)
    if (PtInRect(&b->VisibleBounds, q)) return b->ButtonIndex;
  return -1;
}

void TcxCustomEdit::DoClosePopup(TcxEditCloseUpReason AReason) {
  TcxCustomEditProperties* active = GetActiveProperties();
  if (active->OnClosePopup) active->OnClosePopup(this, AReason);
}

// ---- view ----

TcxCustomEditViewData* TcxCustomEdit::CreateViewData() {
  auto* style = dynamic_cast<TcxCustomEditStyle*>(GetActiveStyle());
  TcxCustomEditViewData* vd = GetActiveProperties()->CreateViewData(style, FIsInplace);
  InitializeViewData(vd);
  return vd;
}

void TcxCustomEdit::InitializeViewData(TcxCustomEditViewData* AViewData) {
  AViewData->Edit = this;
  AViewData->Enabled = GetEnabled();
  AViewData->Focused = IsFocused();
}

void TcxCustomEdit::AdjustInnerEditPosition() {
  TWinControl* inner = InnerControl();
  if (!inner) return;
  const TRect r = EditViewInfo()->ClientRect;
  if (FInnerEdit) FInnerEdit->LockBounds(false);
  inner->SetBounds(r.Left, r.Top, std::max(0, r.Width()), std::max(0, r.Height()));
}

bool TcxCustomEdit::ProcessViewInfoChanges(const TPoint& P, TcxMouseButton AButton,
                                           TShiftState AShift, bool AIsMouseEvent) {
  if (!HandleAllocated() || InState(TComponentStateItem::csDestroying) || !FProperties ||
      FProcessingViewInfo)
    return false;
  if (FPressedButton >= 0 && GetCapture() != GetHandle()) FPressedButton = -1;
  FProcessingViewInfo = true;
  // A pressed or released button runs its handlers, which may free the editor.
  TWatchedScopeExit reset(this, [this] { FProcessingViewInfo = false; });
  Owned<TcxCustomEditViewInfo> old(
      static_cast<TcxCustomEditViewInfo*>(GetViewInfoClass().Create()));
  old->Assign(EditViewInfo());
  Owned<TcxCustomEditViewData> vd(CreateViewData());
  vd->Calculate(*GetCanvas(), TRect{0, 0, GetWidth(), GetHeight()}, P, AButton, AShift,
                EditViewInfo(), AIsMouseEvent);
  AdjustInnerEditPosition();  // runs the inner edit's OnResize
  if (!reset.Alive()) return false;
  AdjustInnerControl();
  const TRect inner = InnerControl() ? InnerControl()->GetBoundsRect() : TRect{};
  EditViewInfo()->RepaintChanges(this, inner, old.get());
  UpdatePressedButton(old.get());
  // False once the editor is gone: the caller has nothing left to update.
  return reset.Alive();
}

void TcxCustomEdit::AdjustInnerControl() {
  TWinControl* inner = InnerControl();
  if (!inner) return;
  // A view refresh runs on every mouse move: only a real change may repaint the inner control.
  const TColor back = EditViewInfo()->BackgroundColor;
  if (inner->GetColor() != back) inner->SetColor(back);
  TFont* visible = GetActiveStyle()->GetVisibleFont();
  TFont* font = inner->GetFont();
  if (!SameFont(font, visible)) {
    inner->SetFont(visible);
    return;
  }
  // A window made (or made again) after its font was set draws with the platform's font
  // until it is told.
  if (!inner->HandleAllocated()) return;
  const HFONT shown = reinterpret_cast<HFONT>(SendMessageA(inner->GetHandle(), WM_GETFONT, 0, 0));
  if (shown != font->GetHandle())
    SendMessageA(inner->GetHandle(), WM_SETFONT, reinterpret_cast<WPARAM>(font->GetHandle()), TRUE);
}

void TcxCustomEdit::SetAutoSize(bool Value) {
  if (FIsInplace || FAutoSize == Value) return;
  FAutoSize = Value;
  if (Value) CheckAutoSize();
}

void TcxCustomEdit::CheckAutoSize() {
  if (!IsAutoSizeActive() || !FProperties || InState(TComponentStateItem::csLoading) ||
      !GetCanvas())
    return;
  // Without a window yet (a form loading, or one not shown) the screen measures: the
  // control's own canvas would make the editor's window and its form's.
  Owned<TcxScreenCanvas> screen;
  TcxCanvas* canvas = GetCanvas();
  if (!HandleAllocated()) {
    screen.reset(New<TcxScreenCanvas>());
    canvas = screen.get();
  }
  TcxEditSizeProperties sp;
  Owned<TcxCustomEditViewData> vd(CreateViewData());
  const TSize sz = vd->CalculateEditSize(*canvas, FEditValue, sp);
  const TAlign a = GetAlign();
  Integer w = GetWidth(), h = GetHeight();
  if (a != TAlign::alLeft && a != TAlign::alRight && a != TAlign::alClient && a != TAlign::alCustom) h = sz.cy;
  if (GetActiveProperties()->GetButtonsViewStyle() ==
          TcxEditButtonsViewStyle::bvsButtonsAutoWidth &&
      (a == TAlign::alNone || a == TAlign::alLeft || a == TAlign::alRight))
    w = sz.cx;
  if (w != GetWidth() || h != GetHeight()) SetBounds(GetLeft(), GetTop(), w, h);
}

void TcxCustomEdit::SetBounds(Integer ALeft, Integer ATop, Integer AWidth, Integer AHeight) {
  FUpdatingBounds = true;
  // OnResize may free the editor.
  TWatchedScopeExit reset(this, [this] { FUpdatingBounds = false; });
  inherited::SetBounds(ALeft, ATop, AWidth, AHeight);
}

// ---- in-place host list ----

void TcxInplaceEditList::BeforeDestruction() {
  while (!FItems.empty()) RemoveItem(FItems.back().second);
  inherited::BeforeDestruction();
}

TcxCustomEdit* TcxInplaceEditList::GetEdit(TcxCustomEditProperties* AProperties) {
  TcxCustomEdit* edit = nullptr;
  for (auto& item : FItems)
    if (item.second == AProperties) edit = item.first;
  if (!edit) {
    const TcxCustomEditClass c = AProperties->GetContainerClass();
    edit = c.Create(nullptr, true);
    edit->SetVisible(false);
    FItems.emplace_back(edit, AProperties);
  }
  auto lock = PairedCall([edit] { edit->LockChangeEvents(true); },
                         [edit] { edit->LockChangeEvents(false, false); });
  edit->GetProperties()->Assign(AProperties);
  return edit;
}

void TcxInplaceEditList::RemoveItem(TcxCustomEditProperties* AProperties) {
  for (size_t i = 0; i < FItems.size(); ++i)
    if (FItems[i].second == AProperties) {
      TcxCustomEdit* edit = FItems[i].first;
      FItems.erase(FItems.begin() + std::ptrdiff_t(i));
      edit->SetParent(nullptr);
      edit->Free();
      return;
    }
}

TL_DEFINE_CLASS(TcxCustomEditData, [](auto&) {});
TL_DEFINE_CLASS(TcxEditDataBinding, [](auto&) {});
TL_DEFINE_CLASS(TcxEditChangeEventsCatcher, [](auto&) {});
TL_DEFINE_CLASS(TcxInplaceEditList, [](auto&) {});

// ---- painting ----------------------------------------------------------------------------------

// A transparent border, and the corners a shadow leaves, lie outside the frame, where no step
// of the view's painting reaches (the editor erases no background): they show the parent.
void TcxCustomEdit::Paint() {
  TcxCustomEditViewInfo* v = EditViewInfo();
  if (v && !IsInplace() && GetParent()) {
    const TRect& c = v->ClientRect;
    const Integer w = v->BorderWidth;
    const TRect frame{c.Left - w, c.Top - w, c.Right + w, c.Bottom + w};
    const TRect& b = v->Bounds;
    if (frame.Left > b.Left || frame.Top > b.Top || frame.Right < b.Right || frame.Bottom < b.Bottom) {
      const HDC dc = GetCanvas()->GetHandle();
      const int saved = SaveDC(dc);
      ExcludeClipRect(dc, frame.Left, frame.Top, frame.Right, frame.Bottom);
      cxPaintParentBackground(this, dc, b);
      RestoreDC(dc, saved);
    }
  }
  inherited::Paint();
}
