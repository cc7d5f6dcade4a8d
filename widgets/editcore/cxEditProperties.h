// Editor properties: the settings object of an editor kind with update locking around one
// change notice, the record of explicitly set values, the two-copy content alignment, the
// default-values provider that bound data answers through, and the registry of
// properties classes.
#pragma once

#include "classlib/core/ScopeGuards.h"
#include "classlib/core/Variants.h"
#include "classlib/visual/Menus.h"
#include "widgets/editcore/cxEditButtons.h"
#include "widgets/foundation/cxClasses.h"
#include "widgets/foundation/cxContainerStyle.h"

class TcxControl;
class TcxCanvas;
class TcxCustomEdit;
class TcxCustomEditProperties;
class TcxCustomEditStyle;
class TcxCustomEditViewData;
class TcxCustomEditViewInfo;

TL_ENUM(TcxEditVertAlignment, taTopJustify, taBottomJustify, taVCenter);
TL_ENUM(TcxBlobKind, bkNone, bkBlob, bkGraphic, bkMemo, bkOle);
TL_ENUM(TcxEditCloseUpReason, crNone, crTab, crClose, crCancel, crEnter);
TL_ENUM(TcxEditSupportedOperation, esoAlwaysHotTrack, esoAutoHeight, esoEditing, esoFiltering, esoHorzAlignment,
        esoHotTrack, esoIncSearch, esoMinSize, esoNoContentPart, esoNoFilterItems, esoShowingCaption, esoSorting,
        esoSortingByDisplayText, esoTransparency);
using TcxEditSupportedOperations = Set<TcxEditSupportedOperation>;
TL_ENUM(TcxEditDisplayFormatOption, dfoSupports, dfoNoCurrencyValue);
using TcxEditDisplayFormatOptions = Set<TcxEditDisplayFormatOption>;

using TcxEditButtonClickEvent = TMethod<void(TObject* Sender, Integer AButtonIndex)>;
using TcxEditClosePopupEvent = TMethod<void(TcxControl* Sender, TcxEditCloseUpReason AReason)>;
using TcxEditValidateEvent =
    TMethod<void(TObject* Sender, Variant& DisplayValue, String& ErrorText, bool& Error)>;

// ---- default values of bound data ----

// Data-dependent defaults that properties ask before their own values. Bound data sets
// implement it; the base class answers for unbound editors.
class IcxEditDefaultValuesProvider : public IInterface {
 public:
  virtual TAlignment DefaultAlignment() = 0;
  virtual TcxBlobKind DefaultBlobKind() = 0;
  virtual bool CanSetEditMode() = 0;
  virtual String DefaultDisplayFormat() = 0;
  virtual String DefaultEditFormat() = 0;
  virtual String DefaultEditMask() = 0;
  virtual bool DefaultIsFloatValue() = 0;
  virtual Integer DefaultMaxLength() = 0;
  virtual double DefaultMaxValue() = 0;
  virtual double DefaultMinValue() = 0;
  virtual Integer DefaultPrecision() = 0;
  virtual bool DefaultReadOnly() = 0;
  virtual bool DefaultRequired() = 0;
  virtual bool IsBlob() = 0;
  virtual bool DefaultIsCurrency() = 0;
  virtual bool IsDataAvailable() = 0;
  virtual bool IsDataStorage() = 0;
  virtual bool IsDisplayFormatDefined(bool AIsCurrencyValueAccepted) = 0;
  virtual bool IsNonNumericDisplayFormat() = 0;
  virtual bool IsValidChar(Char AChar) = 0;
  // Every live properties object that uses this provider drops it.
  virtual void ClearUsers() = 0;
  virtual TObject* GetInstance() = 0;
};

class TcxCustomEditDefaultValuesProvider : public TcxInterfacedPersistent, public IcxEditDefaultValuesProvider {
  TL_CLASS(TcxCustomEditDefaultValuesProvider, TcxInterfacedPersistent)
 public:
  explicit TcxCustomEditDefaultValuesProvider(TPersistent* AOwner) : TcxInterfacedPersistent(AOwner) {}
  // No properties object keeps a provider that is gone.
  void BeforeDestruction() override;

  TAlignment DefaultAlignment() override;
  TcxBlobKind DefaultBlobKind() override { return TcxBlobKind::bkMemo; }
  bool CanSetEditMode() override { return true; }
  String DefaultDisplayFormat() override { return {}; }
  String DefaultEditFormat() override { return {}; }
  String DefaultEditMask() override { return {}; }
  bool DefaultIsFloatValue() override { return false; }
  Integer DefaultMaxLength() override { return 0; }
  double DefaultMaxValue() override { return 0.0; }
  double DefaultMinValue() override { return 0.0; }
  Integer DefaultPrecision() override { return 15; }
  bool DefaultReadOnly() override { return false; }
  bool DefaultRequired() override { return false; }
  bool IsBlob() override { return false; }
  bool DefaultIsCurrency() override { return false; }
  bool IsDataAvailable() override { return true; }
  bool IsDataStorage() override { return false; }
  bool IsDisplayFormatDefined(bool) override { return false; }
  bool IsNonNumericDisplayFormat() override { return false; }
  bool IsValidChar(Char) override { return true; }
  void ClearUsers() override;
  TObject* GetInstance() override { return this; }
};
using TcxCustomEditDefaultValuesProviderClass = TMetaClass<TcxCustomEditDefaultValuesProvider, TPersistent*>;

// ---- alignment ----

// Unit-wide defaults of a new alignment.
inline constexpr TAlignment cxEditDefaultHorzAlignment = TAlignment::taLeftJustify;
inline constexpr TcxEditVertAlignment cxEditDefaultVertAlignment = TcxEditVertAlignment::taTopJustify;

class TcxEditAlignment : public TPersistent {
  TL_CLASS(TcxEditAlignment, TPersistent)
 public:
  explicit TcxEditAlignment(TPersistent* AOwner) : FOwner(AOwner) {}
  // Vert, Horz and the assigned flag, then a change notice.
  void Assign(TPersistent* Source) override;
  TPersistent* GetOwner() const override { return FOwner; }
  // Horz follows its default again.
  void Reset() { FIsHorzAssigned = false; }

  TAlignment GetHorz() const { return FHorz; }
  void SetHorz(TAlignment Value);
  TcxEditVertAlignment GetVert() const { return FVert; }
  void SetVert(TcxEditVertAlignment Value);
  bool IsHorzAssigned() const { return FIsHorzAssigned; }
  bool IsHorzStored() const { return FIsHorzAssigned; }
  bool IsVertStored() const { return FVert != cxEditDefaultVertAlignment; }

  TNotifyEvent OnChanged;

 private:
  friend class TcxCustomEditProperties;
  void DoChanged();

  TPersistent* FOwner;
  TAlignment FHorz = cxEditDefaultHorzAlignment;
  TcxEditVertAlignment FVert = cxEditDefaultVertAlignment;
  bool FIsHorzAssigned = false;
};

// ---- assigned values ----

// Which values were set explicitly; text kinds add their own flags.
class TcxCustomEditPropertiesValues : public TPersistent {
  TL_CLASS(TcxCustomEditPropertiesValues, TPersistent)
 public:
  explicit TcxCustomEditPropertiesValues(TcxCustomEditProperties* AOwner) : FProperties(AOwner) {}
  TPersistent* GetOwner() const override;

  void BeginUpdate();
  void EndUpdate();
  // Clears every flag.
  virtual void RestoreDefaults();

  bool GetReadOnly() const { return FReadOnly; }
  // Marks or clears the flag, then tells the properties.
  void SetReadOnly(bool Value);

 protected:
  void Changed();
  TcxCustomEditProperties* Properties() const { return FProperties; }

 private:
  TcxCustomEditProperties* FProperties;
  bool FReadOnly = false;
};
using TcxCustomEditPropertiesValuesClass = TMetaClass<TcxCustomEditPropertiesValues, TcxCustomEditProperties*>;

// ---- the editor seen from its properties ----

using TcxCustomEditPropertiesClass = TMetaClass<TcxCustomEditProperties, TPersistent*>;
// The editor kind a properties class belongs to, made through its in-place constructor.
using TcxCustomEditClass = TMetaClass<TcxCustomEdit, TComponent*, bool>;

// What properties and the repository link ask of the editor that uses them: the editor
// control (TcxCustomEdit) implements it; painting in place has none.
class IcxEditPropertiesHost : public IInterface {
 public:
  virtual TcxCustomEditProperties* GetOwnProperties() = 0;
  // The properties class of the editor kind: a linked item must provide this class or a descendant.
  virtual TcxCustomEditPropertiesClass GetPropertiesClass() = 0;
  // Properties in use: the linked item's, else the own ones.
  virtual TcxCustomEditProperties* GetActiveProperties() = 0;
  // Whether a repository item is linked.
  virtual bool HasRepositoryItem() = 0;
  // The display text as it stands in the editor now.
  virtual Variant GetCurrentDisplayValue() = 0;
};

// ---- properties ----

using TcxCustomEditViewDataClass = TMetaClass<TcxCustomEditViewData, TcxCustomEditProperties*, TcxCustomEditStyle*, bool>;
using TcxCustomEditViewInfoClass = TMetaClass<TcxCustomEditViewInfo>;

class TcxCustomEditProperties : public TcxInterfacedPersistent {
  TL_CLASS(TcxCustomEditProperties, TcxInterfacedPersistent)
 public:
  explicit TcxCustomEditProperties(TPersistent* AOwner);
  // The parts that kinds choose by class: assigned values, buttons, alignments.
  void AfterConstruction() override;
  void BeforeDestruction() override;
  // From other properties, in a fixed order, inside one update bracket.
  void Assign(TPersistent* Source) override;

  // ---- change protocol ----
  void BeginUpdate();
  // Nothing at a count of 0; at the outermost end fires Changed when asked.
  void EndUpdate(bool AInvokeChanged = true);
  void LockUpdate(bool ALock) { FLockUpdate = ALock; }
  bool IsUpdateLocked() const { return FLockUpdate; }
  bool IsChangeLocked() const { return FLockUpdate || FUpdateCount > 0; }
  void NotifyChanged() { Changed(); }
  Integer UpdateCount() const { return FUpdateCount; }

  // ---- values ----
  // The working copy: the stored alignment with Horz from the default when it is not
  // assigned. Reading it notifies nobody; changing it changes the properties.
  TcxEditAlignment* GetAlignment();
  void SetAlignment(TcxEditAlignment* Value);
  TcxCustomEditPropertiesValues* GetAssignedValues() const { return FAssignedValues; }
  void SetAssignedValues(TcxCustomEditPropertiesValues* Value);
  bool GetAutoSelect() const { return FAutoSelect; }
  void SetAutoSelect(bool Value);
  bool GetBeepOnError() const { return FBeepOnError; }
  void SetBeepOnError(bool Value);
  TcxEditButtons* GetButtons() const { return FButtons; }
  void SetButtons(TcxEditButtons* Value);
  TcxEditButtonsViewStyle GetButtonsViewStyle() const { return FButtonsViewStyle; }
  void SetButtonsViewStyle(TcxEditButtonsViewStyle Value);
  TShortCut GetClearKey() const { return FClearKey; }
  void SetClearKey(TShortCut Value);
  TShortCut GetClickKey() const { return FClickKey; }
  void SetClickKey(TShortCut Value);
  bool GetImmediatePost() const { return FImmediatePost; }
  void SetImmediatePost(bool Value);
  // The value when assigned, else the provider's default, else False.
  bool GetReadOnly() const;
  void SetReadOnly(bool Value);
  bool IsReadOnlyAssigned() const { return FAssignedValues && FAssignedValues->GetReadOnly(); }
  bool GetTransparent() const { return FTransparent; }
  void SetTransparent(bool Value);
  bool GetUseLeftAlignmentOnEditing() const { return FUseLeftAlignmentOnEditing; }
  void SetUseLeftAlignmentOnEditing(bool Value);
  bool GetValidateOnEnter() const { return FValidateOnEnter; }
  void SetValidateOnEnter(bool Value);

  bool CanModify() const;
  IcxEditDefaultValuesProvider* GetIDefaultValuesProvider() const { return FIDefaultValuesProvider; }
  // Not owned: a provider leaving drops itself from every properties object (ClearUsers).
  void SetIDefaultValuesProvider(IcxEditDefaultValuesProvider* AProvider);
  bool IsValueFormattedByProvider() const;

  // Fires OnValidate of AEdit's own properties, then of its active ones when it has a
  // repository item; a failed validation the handlers left unchanged takes the editor's
  // current text again.
  void DoValidate(Variant& DisplayValue, String& ErrorText, bool& Error, IcxEditPropertiesHost* AEdit);

  // A temporary view data computes the size an editor of this kind needs for AEditValue.
  TSize CalculateEditSize(TcxCanvas& ACanvas, TcxCustomEditStyle* AStyle, bool AIsInplace, const Variant& AEditValue,
                          struct TcxEditSizeProperties& AEditSizeProperties);

  // ---- virtual operations, in the order the kinds override them ----
  virtual void AlignmentChanged(TObject* Sender);
  virtual bool CanValidate() const { return false; }
  virtual bool DefaultUseLeftAlignmentOnEditing() const { return true; }
  virtual void ClearDefaultValuesProvider() { FIDefaultValuesProvider = nullptr; }
  // A component the properties watch is being freed.
  virtual void FreeNotification(TComponent*) {}
  virtual TcxCustomEditPropertiesValuesClass GetAssignedValuesClass() const;
  virtual TAlignment GetDefaultHorzAlignment();
  virtual TcxEditDisplayFormatOptions GetDisplayFormatOptions() const { return {}; }
  virtual String GetValidateErrorText() const { return {}; }
  virtual bool IsDisplayFormatDefined(bool AEditFocused) const;
  virtual TcxCustomEditViewDataClass GetViewDataClass() const;
  virtual bool IsChangeFiredByEditor() const { return false; }
  // Whether Tab is input for the editor instead of moving the focus.
  virtual bool IsTabInput() const { return false; }
  virtual bool CanCompareEditValue() const { return false; }
  // The editor kind of these properties.
  virtual TcxCustomEditClass GetContainerClass() const;
  virtual TcxContainerStyleClass GetStyleClass() const;
  virtual TcxCustomEditViewInfoClass GetViewInfoClass() const;
  virtual void Changed();
  // A new ownerless object of the same class; every kind answers its own.
  virtual TcxCustomEditProperties* CreateSameClass() const;
  virtual TcxCustomEditViewData* CreateViewData(TcxCustomEditStyle* AStyle, bool AIsInplace, bool APreviewMode = false);
  virtual TcxEditSupportedOperations GetSupportedOperations() const;
  virtual bool IsEditValueValid(Variant& AEditValue, bool AEditFocused) const;
  virtual void RestoreDefaults();
  virtual void ValidateDisplayValue(Variant& DisplayValue, String& ErrorText, bool& Error,
                                    IcxEditPropertiesHost* AEdit);
  virtual TcxDataEditValueSource GetEditValueSource(bool AEditFocused) const;

  TcxEditButtonClickEvent OnButtonClick;
  TNotifyEvent OnChange;
  TcxEditClosePopupEvent OnClosePopup;
  TNotifyEvent OnEditValueChanged;
  TcxEditValidateEvent OnValidate;
  // The change handler the owning editor or repository item installs.
  TNotifyEvent OnPropertiesChanged;

 protected:
  // Whether the owner is a component that is being destroyed.
  bool IsOwnerDestroying() const;
  bool IsOwnerWriting() const;

 private:
  void ButtonsChanged(TObject*) { Changed(); }
  bool IsAlignmentStored() const;
  bool IsAssignedValuesStored() const { return IsReadOnlyAssigned(); }
  bool IsButtonsStored() const { return FButtons && FButtons->Count() > 0; }
  bool IsReadOnlyStored() const { return IsReadOnlyAssigned(); }
  bool IsUseLeftAlignmentOnEditingStored() const {
    return FUseLeftAlignmentOnEditing != DefaultUseLeftAlignmentOnEditing();
  }
  void NotificatorFreeNotification(TComponent* AComponent) { FreeNotification(AComponent); }

  bool FAutoSelect = true;
  bool FBeepOnError = false;
  TcxEditButtons* FButtons = nullptr;
  TcxEditButtonsViewStyle FButtonsViewStyle = TcxEditButtonsViewStyle::bvsNormal;
  TShortCut FClearKey = 0;
  TShortCut FClickKey = 16397;
  TcxFreeNotificator* FFreeNotificator = nullptr;
  bool FImmediatePost = false;
  TcxEditAlignment* FStoredAlignment = nullptr;
  bool FReadOnly = false;
  bool FTransparent = false;
  Integer FUpdateCount = 0;
  bool FUseLeftAlignmentOnEditing = true;
  bool FValidateOnEnter = false;
  TcxEditAlignment* FAlignment = nullptr;
  TcxCustomEditPropertiesValues* FAssignedValues = nullptr;
  IcxEditDefaultValuesProvider* FIDefaultValuesProvider = nullptr;
  bool FLockUpdate = false;
};

// BeginUpdate now, EndUpdate at the end of the scope; the change notice goes out only when
// the scope ends without an error.
[[nodiscard]] inline auto cxPropertiesUpdate(TcxCustomEditProperties* AProperties) {
  AProperties->BeginUpdate();
  return TScopeEnd([AProperties](bool AEndedNormally) { AProperties->EndUpdate(AEndedNormally); });
}

// BeginUpdate now, EndUpdate without a change notice at the end: for a step that sends its
// own notice afterwards, or none.
[[nodiscard]] inline auto cxPropertiesQuietUpdate(TcxCustomEditProperties* AProperties) {
  return PairedCall([AProperties] { AProperties->BeginUpdate(); },
                    [AProperties] { AProperties->EndUpdate(false); });
}

// Change notices off now, and back as they were at the end.
[[nodiscard]] inline auto cxPropertiesLockUpdate(TcxCustomEditProperties* AProperties) {
  const bool wasLocked = AProperties->IsUpdateLocked();
  AProperties->LockUpdate(true);
  return TScopeExit([AProperties, wasLocked] { AProperties->LockUpdate(wasLocked); });
}

// Every properties object alive, in creation order (empty outside the unit's start-up).
const std::vector<TcxCustomEditProperties*>& cxEditLivePropertiesList();
// The properties classes editor units register with their "Name|Description" captions;
// made on first use, sorted.
TcxRegisteredClasses* GetRegisteredEditProperties();
inline TcxRegisteredClasses* cxGetRegisteredEditProperties() { return GetRegisteredEditProperties(); }
// An editor unit's start: its properties class in the editor registry under ACaption
// ("Name|Description"), then its control class for window descriptions. The finish
// undoes both, in the other order.
void cxRegisterEditor(const TClass& AProperties, const String& ACaption, const TClass& AEditor);
void cxUnregisterEditor(const TClass& AProperties, const TClass& AEditor);

namespace cxEditProperties {
// The live list; the last Finalize frees it and the registry.
void Initialize();
void Finalize();
}  // namespace cxEditProperties
