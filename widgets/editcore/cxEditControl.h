// The editor control every editor kind derives from: an edit value and the text the user
// sees, the modified and validated flags, change events with their lock, the data binding,
// the editing cycle (edit mode, validation, posting, reset), keys, focus, the mouse on edit
// buttons and activation inside a host control.
#pragma once

#include "classlib/core/ScopeGuards.h"
#include "widgets/editcore/cxEditRepository.h"
#include "widgets/editcore/cxEditStyles.h"
#include "widgets/editcore/cxEditViewData.h"
#include "widgets/foundation/cxContainer.h"
#include "widgets/foundation/cxControls.h"

#include <utility>
#include <vector>

class TcxCustomEdit;
class TcxEditDataBinding;
struct THintInfo;

// Whether an object outlived a handler that may have freed it.
using TcxEditLifeGuard = TWeakLink;

using TcxEditEditingEvent = TMethod<void(TObject* Sender, bool& CanEdit)>;
using TcxEditAfterKeyDownEvent = TMethod<void(TObject* Sender, Word& Key, TShiftState Shift)>;

// {468D21B5-48AA-4077-8ED5-4C6112D460B1}: how an editor drives the window control inside it.
class IcxCustomInnerEdit : public IInterface {
 public:
  virtual TWinControl* GetControl() = 0;
  virtual TcxCustomEdit* GetControlContainer() = 0;
  // The window's own procedure, past any hook.
  virtual void CallDefWndProc(TMessage& Message) = 0;
  virtual Variant GetEditValue() = 0;
  virtual void SetEditValue(const Variant& Value) = 0;
  virtual TNotifyEvent GetOnChange() = 0;
  virtual void SetOnChange(TNotifyEvent Value) = 0;
  virtual bool GetReadOnly() = 0;
  virtual void SetReadOnly(bool Value) = 0;
  virtual void LockBounds(bool ALock) = 0;
  virtual void SafelySetFocus() = 0;
  virtual void SetParent(TWinControl* Value) = 0;
};

// State an in-place host keeps for an editor between activations.
class TcxCustomEditData : public TObject {
  TL_CLASS(TcxCustomEditData, TObject)
 public:
  explicit TcxCustomEditData(TcxCustomEdit* AEdit) : Edit(AEdit) {}
  TcxCustomEdit* Edit;
};
using TcxCustomEditDataClass = TMetaClass<TcxCustomEditData, TcxCustomEdit*>;

// The link between an editor and where its value is kept. This base keeps it in the editor.
class TcxEditDataBinding : public TPersistent {
  TL_CLASS(TcxEditDataBinding, TPersistent)
 public:
  explicit TcxEditDataBinding(TcxCustomEdit* AEdit) : FEdit(AEdit) {}
  void AfterConstruction() override;
  void BeforeDestruction() override;
  void Assign(TPersistent* Source) override;

  virtual bool CanModify() const { return true; }
  // The provider's defaults are applied again to the editor's active properties.
  virtual void DefaultValuesChanged();
  virtual String GetDisplayText() const;
  virtual bool IsEditing() const;
  virtual Variant GetStoredValue() const;
  virtual void Reset();
  virtual void SetDisplayValue(const Variant& Value);
  virtual bool SetEditMode() { return true; }
  virtual void UpdateDataValue() {}
  virtual TcxCustomEditDefaultValuesProviderClass GetDefaultValuesProviderClass() const;
  virtual void UpdateDisplayValue();
  virtual void ClearValueIfNoData() {}
  // Where the value is kept may be an action's target; this base is none.
  virtual bool ExecuteAction(TBasicAction*) { return false; }
  virtual bool UpdateAction(TBasicAction*) { return false; }

  bool IsDataAvailable() const;
  IcxEditDefaultValuesProvider* GetIDefaultValuesProvider() const { return FDefaultValuesProvider; }
  void SetInternalDisplayValue(const Variant& Value) { SetDisplayValue(Value); }
  TcxCustomEdit* Edit() const { return FEdit; }

 private:
  TcxCustomEdit* FEdit;
  TcxCustomEditDefaultValuesProvider* FDefaultValuesProvider = nullptr;
};
using TcxEditDataBindingClass = TMetaClass<TcxEditDataBinding, TcxCustomEdit*>;

// Holds change events back while locked and fires each pending one once at the last unlock.
class TcxEditChangeEventsCatcher : public TObject {
  TL_CLASS(TcxEditChangeEventsCatcher, TObject)
 public:
  explicit TcxEditChangeEventsCatcher(TcxCustomEdit* AEdit) : Edit(AEdit) {}
  bool IsLocked() const { return LockCount > 0; }
  TcxCustomEdit* Edit;
  Integer LockCount = 0;
  bool OnChangeEvent = false;
  bool OnEditValueChangedEvent = false;
};

using TcxCustomEditClass = TMetaClass<TcxCustomEdit, TComponent*, bool>;

class TcxCustomEdit : public TcxContainer,
                      public IcxEditPropertiesHost,
                      public IcxEditRepositoryItemHost {
  TL_CLASS(TcxCustomEdit, TcxContainer)
 public:
  explicit TcxCustomEdit(TComponent* AOwner) : TcxContainer(AOwner) {}
  // The in-place constructor: hosts make their editors with it, without an owner.
  TcxCustomEdit(TComponent* AOwner, bool AIsInplace)
      : TcxContainer(AOwner), FIsInplace(AIsInplace) {}
  void AfterConstruction() override;
  void BeforeDestruction() override;

  // ---- value model ----
  TcxCustomEditProperties* GetProperties() const { return FProperties; }
  void SetProperties(TcxCustomEditProperties* Value) { FProperties->Assign(Value); }
  TcxCustomEditProperties* GetActiveProperties() override;
  TcxCustomEditProperties* InternalGetActiveProperties() { return GetActiveProperties(); }
  TcxEditRepositoryItem* GetRepositoryItem() const { return FRepositoryItemLink->GetItem(); }
  void SetRepositoryItem(TcxEditRepositoryItem* Value);
  TcxEditDataBinding* DataBinding() const { return FDataBinding; }
  const Variant& EditValue() const { return FEditValue; }
  bool GetEditModified() const { return FEditModified; }
  void SetEditModified(bool Value);
  bool GetDisplayValueModified() const { return FModifiedAfterEnter; }
  void SetDisplayValueModified(bool Value);
  bool IsValidated() const { return FIsDisplayValueValidated; }
  bool IsInplace() const override { return FIsInplace; }
  bool IsDataStorage() const;
  bool IsDBPaintCopy() const { return false; }
  bool IsInnerEditNotReady() const {
    return IsDestroying() || InState(TComponentStateItem::csDestroying) || !FInnerEdit;
  }
  IcxCustomInnerEdit* InnerEdit() const { return FInnerEdit; }
  bool GetAutoSize() const { return FAutoSize; }
  bool GetTransparent() const { return FTransparent; }
  void SetTransparent(bool Value);

  // ---- editing cycle ----
  bool DoEditing();
  bool ValidateDisplayText(bool ARaiseException);
  void PostEditValue(bool AValidate);
  // Posts what the user typed, validating first.
  void PostEditValueOnRequest();
  bool CanPostEditValue() const;
  void DoChange();
  void DoEditValueChanged();
  void SetModifiedAndClick();
  void LockChangeEvents(bool ALock, bool AInvokeChanged = true);
  bool IsChangeEventsLocked() const { return FChangeEventsCatcher->IsLocked(); }
  void LockClick(bool ALock);
  void LockEditValueSetting(bool ALock);
  void SaveModifiedFlags();
  // An unbalanced call finds nothing to restore and leaves the flags alone.
  void RestoreModifiedFlags();
  Integer SavedModifiedFlagsCount() const { return Integer(FModifiedFlags.size()); }
  Integer GetButtonIndexAt(const TPoint& P) const;
  void DoClosePopup(TcxEditCloseUpReason AReason);
  void DoAfterKeyDown(Word& Key, TShiftState Shift);
  bool IsOnValidateAssigned();
  void RecalcViewAtCursor() { TcxContainer::RecalcViewAtCursor(); }
  void CheckAutoSize();

  // ---- virtual operations ----
  virtual void AdjustInnerEditPosition();
  virtual void ClearKeepDisplayValue() {}
  virtual void SetKeepDisplayValue() {}
  virtual bool IsAutoSizeActive() const { return FAutoSize && !FIsInplace; }
  virtual bool CanModify();
  virtual void ChangeHandler(TObject* Sender);
  virtual void CreateInnerEdit();
  virtual TcxCustomEditViewData* CreateViewData();
  virtual void ClickDefaultButton();
  virtual void DoButtonClick(Integer AButtonIndex);
  virtual void DoButtonDown(Integer) {}
  virtual void DoButtonUp(Integer) {}
  virtual void DoEditKeyDown(Word& Key, TShiftState Shift);
  virtual void DoEditKeyPress(Char& Key);
  virtual void DoEditKeyUp(Word&, TShiftState) {}
  virtual void HandleTabKey(TShiftState) {}
  virtual void DoOnChange();
  virtual void DoOnEditValueChanged();
  virtual TcxEditDataBindingClass GetDataBindingClass() const;
  virtual Variant GetDisplayValue() { return FEditValue; }
  virtual TcxCustomEditDataClass GetEditDataClass() const { return {}; }
  virtual Variant GetEditValue() { return FEditValue; }
  // No inner control by default; kinds with one answer its class.
  virtual TMetaClass<TWinControl, TComponent*> GetInnerEditClass() const { return {}; }
  virtual void HandleValidationError(const String& AErrorText);
  virtual void Initialize();
  virtual void InitializeViewData(TcxCustomEditViewData* AViewData);
  // Gates DoEditing.
  virtual bool CanEdit() { return true; }
  // Turns a display value into an edit value; nothing here.
  virtual void PrepareEditValue(const Variant&, Variant&, bool) {}
  virtual void InternalSetEditValue(const Variant& AValue, bool AValidateEditValue = false);
  // InternalSetEditValue of the string edit value followed by ATail, outside user input, in
  // time proportional to ATail: the value and the display are extended, not replaced. Only
  // for an editor whose display is its string edit value (DisplayIsEditValue).
  void InternalAppendEditValue(const String& ATail);
  // The display extended by ATail after the edit value was; a full synchronisation here.
  virtual void AppendDisplayValue(const String&) { SynchronizeDisplayValue(); }
  // Whether the display shows exactly the edit value, a string: set by an editor that has
  // checked it after synchronising, cleared by every new edit value.
  bool DisplayIsEditValue() const { return FDisplayIsEditValue; }
  void SetDisplayIsEditValue(bool Value) { FDisplayIsEditValue = Value; }
  virtual void ApplyDisplayValue(const Variant&) {}
  virtual bool IsClickKey(Word Key, TShiftState Shift);
  virtual bool IsTransparent() const { return FTransparent && !FIsInplace; }
  // Whether the editor takes a typed character; every character here.
  virtual bool IsValidChar(Char) { return true; }
  // The editor uses the key itself rather than leaving it to the dialog.
  virtual bool IsEditorKey(Word Key, TShiftState Shift);
  // Whether an in-place editor takes an input (always for a stand-alone one).
  virtual bool CheckInplaceFlags(Integer) { return true; }
  virtual void UpdatePressedButton(TcxCustomEditViewInfo* AOldViewInfo);
  void PropertiesChanged(TObject* Sender) override;
  // A new font or border of the style measures an automatically sized editor again.
  void ContainerStyleChanged(TObject* Sender) override;
  virtual bool IsReadOnly();
  // The data binding's editing state changed: whether the user may change the text follows.
  virtual void EditingChanged();
  // Whether Escape may restore the value saved at focus entry; text editors allow it.
  virtual bool CanResetEditValue() { return false; }
  virtual void ResetEditValue();
  virtual bool CanKeyStartEdit(Char) { return true; }
  virtual void SetAutoSize(bool Value);
  virtual void SetEditValueWithoutClick(const Variant& Value);
  virtual void SetEditValue(const Variant& Value);
  virtual void SetInternalDisplayValue(const Variant&) {}
  virtual void SynchronizeDisplayValue() {}
  // Whether focus entry and exit refresh the display through the binding.
  virtual bool RefreshOnFocus() { return true; }
  virtual bool RefreshOnExit() { return true; }
  virtual void EditFocusChanged() {}
  virtual bool CanKeyDownModifyEdit(Word Key, TShiftState Shift);
  virtual bool CanKeyPressModifyEdit(Char& Key);
  // Whether Page Up, Page Down, the arrows, Home and End stay with the editor.
  virtual bool KeepsNavigationKeys(Word, TShiftState) { return false; }
  // Whether the inner edit, rather than the view, shows the text; text kinds answer.
  virtual bool ShowsTextByInnerEdit() { return false; }
  virtual void InnerEditWndProc(TMessage& Message);
  virtual void HookInnerEditWndProc();
  virtual void UnhookInnerEditWndProc();
  virtual void Activate(TcxCustomEditData*& AEditData);
  virtual void ActivateByKey(Char AKey, TcxCustomEditData*& AEditData);
  virtual void ActivateByMouse(TShiftState Shift, Integer X, Integer Y,
                               TcxCustomEditData*& AEditData);
  virtual void Clear() { SetEditValue(Variant::MakeNull()); }
  virtual void CopyToClipboard() {}
  virtual void CutToClipboard() {}
  virtual bool Deactivate();
  virtual TcxCustomEditPropertiesClass GetPropertiesClass() override;
  bool IsFocused() const override;
  virtual void PasteFromClipboard() {}
  virtual void SelectAll() {}

  // ---- IcxEditPropertiesHost, IcxEditRepositoryItemHost ----
  TcxCustomEditProperties* GetOwnProperties() override { return FProperties; }
  bool HasRepositoryItem() override { return GetRepositoryItem() != nullptr; }
  Variant GetCurrentDisplayValue() override { return GetDisplayValue(); }
  bool IsLinkLocked() override;
  IcxEditDefaultValuesProvider* GetDefaultValuesProvider() override;

  // ---- container overrides ----
  bool IsContainerFocused() const override { return IsFocused(); }
  bool HandlesTabKey() const override { return true; }
  TcxContainerStyleClass GetStyleClass() const override;
  // A plain editor has neither buttons nor a popup: their style values go unused (and unsaved).
  TcxContainerStyleValues GetUnusedStyleValues() const override { return cxEditButtonsStyleValues; }
  TcxContainerViewInfoClass GetViewInfoClass() const override;
  bool ProcessViewInfoChanges(const TPoint& P, TcxMouseButton AButton, TShiftState AShift,
                              bool AIsMouseEvent) override;
  // The inner control takes the background of the view and the active style's visible font.
  void AdjustInnerControl() override;
  TcxCustomEditViewInfo* EditViewInfo() const {
    return static_cast<TcxCustomEditViewInfo*>(ViewInfo());
  }
  TcxCustomEditStyle* GetEditStyle() const { return static_cast<TcxCustomEditStyle*>(GetStyle()); }
  bool ClickTimerRunning() const { return FClickTimer && FClickTimer->GetEnabled(); }

  TcxEditAfterKeyDownEvent OnAfterKeyDown;
  TcxEditEditingEvent OnEditing;
  TNotifyEvent OnPostEditValue;

  // The public keyboard entry points, as the window's key messages reach them.
  void KeyDown(Word& Key, TShiftState Shift) override;
  void KeyPress(Char& Key) override;
  void KeyUp(Word& Key, TShiftState Shift) override;
  void SetBounds(Integer ALeft, Integer ATop, Integer AWidth, Integer AHeight) override;
  void SetParent(TWinControl* AParent) override;
  // Also told by the inner edit when it gains or loses the focus.
  void FocusChanged() override;

 protected:
  void Loaded() override;
  void ReadState(TReader& Reader) override;
  void Notification(TComponent* AComponent, TOperation Operation) override;
  void DoEnter() override;
  void DoExit() override;
  void Click() override;
  void DblClick() override;
  void MouseDown(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) override;
  void WndProc(TMessage& Message) override;
  // CM_HINTSHOW's record gets the whole text when the mouse is over a text cut off.
  void HintForCutText(THintInfo& AInfo);
  // The parent's background outside the frame first, then the view.
  void Paint() override;

  // The exit processing, with the user-input flag off.
  void InternalExit();
  bool IsUserInput() const { return FIsUserInput; }
  // Runs AProc with the user-input flag on, putting back the old state afterwards.
  template <class F>
  void AsUserInput(F&& AProc) {
    TWatchedValue<bool> userInput(this, FIsUserInput, true);  // AProc may free the editor
    AProc();
  }
  bool IsEditValueSettingLocked() const { return FEditValueSettingLockCount > 0; }
  // The edit value taken from what the display already shows (the display is not set
  // again), with the flags and events of a value set: while the user edits (AEditing) the
  // display counts as modified, else the value as set.
  void StoreEditValueFromDisplay(const Variant& AValue, bool AEditing);

 private:
  // The modified flags and change events of an edit value just set: AModified marks the
  // display modified (the user's change), else the value counts as set.
  void EditValueSet(bool AChanged, bool AModified);
  void ClickTimerHandler(TObject*);
  void StopClickTimer();
  void DoFocusChanged();
  bool IsActiveControlOfForm() const;

  bool FAutoSize = true;
  Integer FPressedButton = -1;
  TcxEditChangeEventsCatcher* FChangeEventsCatcher = nullptr;
  Integer FClickLockCount = 0;
  TcxTimer* FClickTimer = nullptr;
  TcxCustomEditData* FEditData = nullptr;
  bool FEditingEntry = false;
  Integer FEditValueSettingLockCount = 0;
  bool FFocused = false;
  IcxCustomInnerEdit* FInnerEdit = nullptr;
  WNDPROC FInnerEditDefWndProc = nullptr;
  WNDPROC FInnerEditWndProcInstance = nullptr;
  HWND FInnerEditHookedWnd = nullptr;
  bool FIsDisplayValueValidated = false;
  bool FEscapeHandled = false;
  bool FIsFirstSetParent = true;
  bool FIsInplace = false;
  bool FIsUserInput = false;
  Integer FValidationLockCount = 0;
  bool FEditModified = false;
  bool FModifiedAfterEnter = false;
  Variant FPrevEditValue;
  std::vector<std::pair<bool, bool>> FModifiedFlags;
  bool FProcessingViewInfo = false;
  bool FTransparent = false;
  bool FLockExit = false;
  TcxEditDataBinding* FDataBinding = nullptr;
  Variant FEditValue;
  bool FDisplayIsEditValue = false;
  TcxCustomEditProperties* FProperties = nullptr;
  bool FUpdatingBounds = false;
  TcxEditRepositoryItemLink* FRepositoryItemLink = nullptr;
};

// A host's editors, one per properties object.
class TcxInplaceEditList : public TObject {
  TL_CLASS(TcxInplaceEditList, TObject)
 public:
  void BeforeDestruction() override;
  // The editor made for this very properties object, made (hidden, ownerless) when there is
  // none; its own properties are assigned from AProperties with its change events locked.
  TcxCustomEdit* GetEdit(TcxCustomEditProperties* AProperties);
  void RemoveItem(TcxCustomEditProperties* AProperties);
  Integer Count() const { return Integer(FItems.size()); }

 private:
  std::vector<std::pair<TcxCustomEdit*, TcxCustomEditProperties*>> FItems;
};

// The edit value as the kinds whose published list names it publish it (one step for all of
// them): read by name from descriptions; written through the kind's own typed value, so a
// description never holds it twice.
template <class T, class B>
void cxPublishEditValue(B& c) {
  c.Property("EditValue", &T::GetEditValue, &T::SetEditValue).Stored(false);
}
