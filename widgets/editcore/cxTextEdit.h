// Text edit properties: the settings every text-based editor shares (echo and character
// case, maximum length, display and edit formats, numeric bounds, the lookup items behind
// incremental search), the conversion of edit values to display text, and the validation
// of typed text. The lookup data over the items lives in cxTextEditLookupData.h.
#pragma once

#include "classlib/core/Strings.h"
#include "classlib/visual/StdCtrls.h"
#include "widgets/editcore/cxEditProperties.h"
#include "widgets/editcore/cxFormats.h"
#include "widgets/editcore/cxTextEditViewData.h"

class TcxCustomTextEditLookupData;

TL_ENUM(TcxEditEchoMode, eemNormal, eemPassword);
TL_ENUM(TcxTextEditViewStyle, vsNormal, vsHideCursor, vsButtonsOnly, vsButtonsAutoWidth);

using TcxNewLookupDisplayTextEvent = TMethod<void(TObject* Sender, const String& AText)>;
using TcxCustomTextEditLookupDataClass = TMetaClass<TcxCustomTextEditLookupData, TPersistent*>;

// What the text properties ask of the editor they serve, beyond IcxEditPropertiesHost: the
// text editor implements it; without it the properties answer as for an unfocused,
// stand-alone editor that converts nothing.
class IcxTextEditPropertiesHost : public IInterface {
 public:
  virtual bool IsEditFocused() = 0;
  virtual bool IsInplaceEdit() = 0;
  // The editor's conversion of a display value into its edit value; may raise.
  virtual void PrepareEditValue(const Variant& ADisplayValue, Variant& AEditValue, bool AEditFocused) = 0;
};

// Which of the value-like text settings were assigned explicitly.
class TcxTextEditPropertiesValues : public TcxCustomEditPropertiesValues {
  TL_CLASS(TcxTextEditPropertiesValues, TcxCustomEditPropertiesValues)
 public:
  using TcxCustomEditPropertiesValues::TcxCustomEditPropertiesValues;
  void Assign(TPersistent* Source) override;
  void RestoreDefaults() override;

  bool GetDisplayFormat() const { return FDisplayFormat; }
  void SetDisplayFormat(bool Value) { SetFlag(FDisplayFormat, Value); }
  bool GetEditFormat() const { return FEditFormat; }
  void SetEditFormat(bool Value) { SetFlag(FEditFormat, Value); }
  bool GetMaxLength() const { return FMaxLength; }
  void SetMaxLength(bool Value) { SetFlag(FMaxLength, Value); }
  bool GetMaxValue() const { return FMaxValue; }
  void SetMaxValue(bool Value) { SetFlag(FMaxValue, Value); }
  bool GetMinValue() const { return FMinValue; }
  void SetMinValue(bool Value) { SetFlag(FMinValue, Value); }

  // A bound flag is written only while its value is 0: a non-zero value is written by itself.
  bool IsMaxValueStored() const;
  bool IsMinValueStored() const;

 private:
  void SetFlag(bool& AFlag, bool Value);
  bool FDisplayFormat = false;
  bool FEditFormat = false;
  bool FMaxLength = false;
  bool FMaxValue = false;
  bool FMinValue = false;
};

class TcxCustomTextEditProperties : public TcxCustomEditProperties, public IcxFormatControllerListener {
  TL_CLASS(TcxCustomTextEditProperties, TcxCustomEditProperties)
 public:
  explicit TcxCustomTextEditProperties(TPersistent* AOwner);
  void AfterConstruction() override;
  void BeforeDestruction() override;
  void Assign(TPersistent* Source) override;
  TcxCustomEditProperties* CreateSameClass() const override { return New<TcxCustomTextEditProperties>(nullptr); }

  // IcxFormatControllerListener: the locale's formats changed.
  void FormatChanged() override;
  // Raised while the change notice of a locale format change runs.
  bool IsFormatChanging() const { return FFormatChanging; }

  // ---- settings ----
  TcxTextEditPropertiesValues* GetTextAssignedValues() const {
    return static_cast<TcxTextEditPropertiesValues*>(GetAssignedValues());
  }
  bool GetAccumulateFixedListTyping() const { return FAccumulateFixedListTyping; }
  void SetAccumulateFixedListTyping(bool Value);
  // Printable characters that a kind with a character test of its own lets through besides
  // those it accepts (a bound field's valid characters); empty unless given.
  const TCharSet& GetValidChars() const { return FValidChars; }
  void SetValidChars(const TCharSet& Value) { FValidChars = Value; }
  TEditCharCase GetCharCase() const { return FCharCase; }
  void SetCharCase(TEditCharCase Value);
  // The stored format when assigned; else the provider's non-empty one; else the kind's default.
  String GetDisplayFormat() const;
  void SetDisplayFormat(const String& Value);
  TcxEditEchoMode GetEchoMode() const { return FEchoMode; }
  void SetEchoMode(TcxEditEchoMode Value);
  // The stored format when assigned; else the editing format derived from the display format.
  String GetEditFormat() const;
  void SetEditFormat(const String& Value);
  bool GetHideCursor() const { return FHideCursor; }
  void SetHideCursor(bool Value);
  bool GetHideSelection() const { return FHideSelection; }
  void SetHideSelection(bool Value);
  TImeMode GetImeMode() const { return FImeMode; }
  void SetImeMode(TImeMode Value);
  const String& GetImeName() const { return FImeName; }
  void SetImeName(const String& Value);
  bool GetImmediateUpdateText() const { return FImmediateUpdateText; }
  void SetImmediateUpdateText(bool Value);
  bool GetIncrementalSearch() const { return FIncrementalSearch; }
  void SetIncrementalSearch(bool Value);
  bool GetLookupExactMatch() const { return FLookupExactMatch; }
  void SetLookupExactMatch(bool Value);
  TStrings* GetLookupItems() const { return FLookupItems; }
  void SetLookupItems(TStrings* Value);
  bool GetLookupItemsSorted() const { return FLookupItems->GetSorted(); }
  void SetLookupItemsSorted(bool Value) { FLookupItems->SetSorted(Value); }
  // The stored length when assigned; else the provider's (0 without one). 0 is no limit.
  Integer GetMaxLength() const;
  void SetMaxLength(Integer Value);
  double GetMaxValue() const;
  void SetMaxValue(double Value);
  double GetMinValue() const;
  void SetMinValue(double Value);
  // Both bounds assigned, one change notice.
  void SetMinMaxValues(double AMinValue, double AMaxValue);
  bool GetOEMConvert() const { return FOEMConvert; }
  void SetOEMConvert(bool Value);
  Char GetPasswordChar() const { return FPasswordChar; }
  void SetPasswordChar(Char Value);
  bool GetUseDisplayFormatWhenEditing() const { return FUseDisplayFormatWhenEditing; }
  void SetUseDisplayFormatWhenEditing(bool Value);
  TcxTextEditViewStyle GetViewStyle() const;
  void SetViewStyle(TcxTextEditViewStyle Value);

  bool IsDisplayFormatAssigned() const { return GetTextAssignedValues()->GetDisplayFormat(); }
  bool IsEditFormatAssigned() const { return GetTextAssignedValues()->GetEditFormat(); }
  bool IsMaxLengthAssigned() const { return GetTextAssignedValues()->GetMaxLength(); }
  bool IsMaxValueAssigned() const { return GetTextAssignedValues()->GetMaxValue(); }
  bool IsMinValueAssigned() const { return GetTextAssignedValues()->GetMinValue(); }

  // ---- conversions and queries ----
  bool CanIncrementalSearch() const;
  // The value as the unfocused editor shows it. Never raises: a value the kind cannot
  // format shows its plain text; the error reaches the user on validation.
  virtual void GetDisplayText(const Variant& AEditValue, String& ADisplayText, bool AFullText = false);
  // Both values shown the same way, letter case included.
  bool IsEditValuesEqual(const Variant& AValue1, const Variant& AValue2);
  // The display value for AEditValue; numeric kinds raise EConvertError for a value that is
  // neither blank, a number nor a string.
  virtual void PrepareDisplayValue(const Variant& AEditValue, Variant& ADisplayValue, bool AEditFocused);
  // The text a numeric kind shows for AValue (the editing format when focused, else the display format).
  virtual String FormatEditValue(const Variant& AValue, bool AEditFocused);
  void GetEditingFormat(bool& AProviderFlag, bool& AProviderFormats, String& AFormat,
                        IcxTextEditPropertiesHost* AEdit) const;
  // What the editor inserts when AInsert replaces the selection of AText: the text up to its
  // first line break, in the character case, cut to the room MaxLength leaves. False when
  // nothing can go in (no room left, or the text is already longer than the limit).
  bool PrepareInsertedText(const String& AText, Integer ASelStart, Integer ASelLength, String& AInsert) const;

  bool IsEditValueValid(Variant& AEditValue, bool AEditFocused) const override;
  void ValidateDisplayValue(Variant& DisplayValue, String& ErrorText, bool& Error,
                            IcxEditPropertiesHost* AEdit) override;
  bool CanValidate() const override { return true; }
  TcxCustomEditPropertiesValuesClass GetAssignedValuesClass() const override;
  String GetValidateErrorText() const override;
  TcxCustomEditViewDataClass GetViewDataClass() const override;
  TcxCustomEditViewInfoClass GetViewInfoClass() const override;
  TcxEditSupportedOperations GetSupportedOperations() const override;
  void AlignmentChanged(TObject* Sender) override;

  // ---- virtual operations, in the order the kinds override them ----
  virtual void ValidateValueBounds(Variant& ADisplayValue, String& AErrorText, bool& AError,
                                   IcxEditPropertiesHost* AEdit);
  virtual Variant TextToEditValue(const String& AText) { return Variant(AText); }
  // An item of LookupItems equals AText, ignoring case.
  virtual bool FindLookupText(const String& AText) const;
  virtual String GetDefaultDisplayFormat() const { return {}; }
  virtual Integer GetDefaultMaxLength() const;
  // The page of the item list, in rows.
  virtual Integer GetDropDownPageSize() const { return 8; }
  virtual TcxEditEditingStyle GetEditingStyle() const;
  virtual TcxCustomTextEditLookupDataClass GetLookupDataClass() const;
  virtual bool IsDigitGroupingWhileEditing() const { return false; }
  virtual bool IsEditValueNumeric() const { return false; }
  // A text kind's value is its text; numeric kinds keep their value.
  TcxDataEditValueSource GetEditValueSource(bool AEditFocused) const override;
  // ABound: 0 the minimum, 1 the maximum.
  virtual bool IsValueBoundActive(Integer ABound) const;
  virtual bool IsValueBoundDefined() const;
  virtual void MaxLengthChanged() { Changed(); }
  virtual bool UseLookupData() const { return true; }
  // The display text as the view shows it: password characters, or the character case.
  virtual void DisplayValueToDisplayText(String& AText) const;
  virtual bool IsTextEditValueValid(Variant& AEditValue, bool AEditFocused) const;

  TcxNewLookupDisplayTextEvent OnNewLookupDisplayText;
  // Told by the lookup data when a search selects another item.
  TNotifyEvent OnLookupItemChanged;

  // Stored tests of the published settings (descendants publish the formats and bounds).
  bool IsMaxLengthStored() const { return IsMaxLengthAssigned(); }
  bool IsDisplayFormatStored() const { return IsDisplayFormatAssigned(); }
  bool IsEditFormatStored() const { return IsEditFormatAssigned(); }
  bool IsMaxValueStored() const { return IsMaxValueAssigned() && FMaxValue != 0.0; }
  bool IsMinValueStored() const { return IsMinValueAssigned() && FMinValue != 0.0; }
  bool IsAssignedValuesStoredText() const;
  bool IsLookupItemsStored() const { return FLookupItems->Count() > 0; }

 protected:
  void DefineProperties(TFiler& Filer) override;

 private:
  void LookupItemsChanged(TObject*) { Changed(); }
  template <class T>
  void SetIfDifferent(T& AField, const T& Value);

  TEditCharCase FCharCase = TEditCharCase::ecNormal;
  String FDisplayFormat;
  TcxEditEchoMode FEchoMode = TcxEditEchoMode::eemNormal;
  String FEditFormat;
  bool FAccumulateFixedListTyping = true;
  TCharSet FValidChars;
  bool FHideCursor = false;
  bool FHideSelection = true;
  TImeMode FImeMode = TImeMode::imDontCare;
  String FImeName;
  bool FImmediateUpdateText = false;
  bool FIncrementalSearch = true;
  TStringList* FLookupItems = nullptr;
  Integer FMaxLength = 0;
  double FMaxValue = 0.0;
  double FMinValue = 0.0;
  bool FLookupExactMatch = false;
  bool FOEMConvert = false;
  Char FPasswordChar = 0;
  bool FUseDisplayFormatWhenEditing = false;
  bool FFormatChanging = false;
  bool FListening = false;
};

// The text editor's properties as published.
class TcxTextEditProperties : public TcxCustomTextEditProperties {
  TL_CLASS(TcxTextEditProperties, TcxCustomTextEditProperties)
 public:
  using TcxCustomTextEditProperties::TcxCustomTextEditProperties;
  TcxCustomEditProperties* CreateSameClass() const override { return New<TcxTextEditProperties>(nullptr); }
  // The text editor (in cxTextEditControl).
  TcxCustomEditClass GetContainerClass() const override;
};
