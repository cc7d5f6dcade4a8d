// Spin edit: a numeric masked editor with buttons that step its value. The properties hold
// the value model (integer or floating type, effective bounds, reading typed text, one
// step with its bounds-checking kind, validation); the control holds the value access, the
// keys, the mouse with auto-repeat on a timer, the wheel and the buttons' layout and look.
#pragma once

#include "widgets/editcore/cxMaskEdit.h"
#include "widgets/foundation/cxControls.h"
#include "widgets/foundation/cxLookAndFeelPainters.h"

class TcxCustomSpinEdit;
class TcxCustomSpinEditProperties;

TL_ENUM(TcxSpinEditValueType, vtInt, vtFloat);
TL_ENUM(TcxSpinEditButtonsPosition, sbpHorzLeftRight, sbpHorzRight, sbpVert);
TL_ENUM(TcxSpinBoundsCheckingKind, bckDoNotExceed, bckExtendToBound, bckCircular);
// Also the order of the spin buttons in the editor's button list.
TL_ENUM(TcxSpinEditButton, sebBackward, sebForward, sebFastBackward, sebFastForward);

// "Invalid numeric value": typed text that reads as no number.
extern const TResStringRec cxSSpinEditInvalidNumericValue;

using TcxSpinEditGetValueEvent = TMethod<void(TObject* Sender, const String& AText, Variant& AValue,
                                              String& ErrorText, bool& Error)>;

// The assigned-values record of the spin properties: adds the ValueType flag.
class TcxSpinEditPropertiesValues : public TcxTextEditPropertiesValues {
  TL_CLASS(TcxSpinEditPropertiesValues, TcxTextEditPropertiesValues)
 public:
  using TcxTextEditPropertiesValues::TcxTextEditPropertiesValues;
  void Assign(TPersistent* Source) override;
  void RestoreDefaults() override;

  bool GetValueType() const { return FValueType; }
  void SetValueType(bool Value);

 private:
  bool FValueType = false;
};

// Where the spin buttons go and whether the fast ones show.
class TcxSpinEditButtons : public TPersistent {
  TL_CLASS(TcxSpinEditButtons, TPersistent)
 public:
  explicit TcxSpinEditButtons(TcxCustomSpinEditProperties* AOwner) : FOwner(AOwner) {}
  void Assign(TPersistent* Source) override;
  TPersistent* GetOwner() const override;

  TcxSpinEditButtonsPosition GetPosition() const { return FPosition; }
  void SetPosition(TcxSpinEditButtonsPosition Value);
  bool GetShowFastButtons() const { return FShowFastButtons; }
  void SetShowFastButtons(bool Value);

 private:
  TcxCustomSpinEditProperties* FOwner;
  TcxSpinEditButtonsPosition FPosition = TcxSpinEditButtonsPosition::sbpVert;
  bool FShowFastButtons = false;
};

class TcxCustomSpinEditProperties : public TcxCustomMaskEditProperties {
  TL_CLASS(TcxCustomSpinEditProperties, TcxCustomMaskEditProperties)
 public:
  explicit TcxCustomSpinEditProperties(TPersistent* AOwner) : TcxCustomMaskEditProperties(AOwner) {}
  // The spin buttons object and the two normal buttons.
  void AfterConstruction() override;
  void BeforeDestruction() override;
  void Assign(TPersistent* Source) override;
  TcxCustomEditProperties* CreateSameClass() const override { return New<TcxCustomSpinEditProperties>(nullptr); }

  // ---- settings ----
  bool GetCanEdit() const { return FCanEdit; }
  void SetCanEdit(bool Value);
  bool GetCircular() const { return FCircular; }
  void SetCircular(bool Value);
  bool GetExceptionOnInvalidInput() const { return FExceptionOnInvalidInput; }
  void SetExceptionOnInvalidInput(bool Value);
  // A step that is not a finite number is refused.
  double GetIncrement() const { return FIncrement; }
  void SetIncrement(double Value);
  double GetLargeIncrement() const { return FLargeIncrement; }
  void SetLargeIncrement(double Value);
  TcxSpinEditButtons* GetSpinButtons() const { return FSpinButtons; }
  void SetSpinButtons(TcxSpinEditButtons* Value);
  bool GetUseCtrlIncrement() const { return FUseCtrlIncrement; }
  void SetUseCtrlIncrement(bool Value);
  // The stored type when assigned; else the provider's float flag; else vtFloat.
  TcxSpinEditValueType GetValueType() const;
  void SetValueType(TcxSpinEditValueType Value);
  TcxSpinEditPropertiesValues* GetSpinAssignedValues() const {
    return static_cast<TcxSpinEditPropertiesValues*>(GetAssignedValues());
  }
  bool IsIncrementStored() const { return FIncrement != 1.0; }
  bool IsLargeIncrementStored() const { return FLargeIncrement != 10.0; }
  bool IsValueTypeStored() const { return GetSpinAssignedValues()->GetValueType(); }

  // ---- value model ----
  // V as the value type: a Double, or an Int64 rounded half to even. NaN and what reads as
  // no number give 0; infinities and values past the type's range give its limit.
  Variant VarToValueType(const Variant& V) const;
  // Blank values become 0, then VarToValueType.
  Variant PrepareValue(const Variant& V) const;
  // VarToValueType for a number, V unchanged otherwise.
  Variant NumberToValueType(const Variant& V) const;
  // A decimal number of the value type in the locale's form, blanks around allowed; hex,
  // infinities, NaN and floats beyond ±1.7E308 are refused. V is Null on failure.
  bool TryTextToValue(const String& AText, Variant& V) const;
  // The bound's value when it is in force (rounded half to even for vtInt), else the type limit.
  virtual Variant GetEffectiveMinValue() const;
  virtual Variant GetEffectiveMaxValue() const;
  virtual bool ExtendValueToBound() const { return true; }
  virtual TcxSpinBoundsCheckingKind GetBoundsKind() const;
  virtual bool IsDisplayTextBoundsChecked() const { return true; }
  virtual bool KeepSelectionAfterSpin() const { return false; }
  // A number moved to MinValue or MaxValue when a bound in force is passed.
  Variant CheckValueBounds(const Variant& V) const;
  // The step of AButton: the increment as the value type, negated for the backward buttons.
  Variant GetStepIncrement(TcxSpinEditButton AButton) const;
  // The value one spin of AButton by AIncrement (the control's step) makes of AValue within
  // the effective bounds; false when no step can be made. Never outside the bounds, never
  // outside the type.
  virtual bool CalculateSpinValue(const Variant& AValue, TcxSpinEditButton AButton, const Variant& AIncrement,
                                  Variant& ANewValue) const;
  bool CalculateSpinValue(const Variant& AValue, TcxSpinEditButton AButton, Variant& ANewValue) const {
    return CalculateSpinValue(AValue, AButton, GetStepIncrement(AButton), ANewValue);
  }
  // The number between the effective bounds nearest to V (V when it is no number).
  Variant ClampToBounds(const Variant& V) const;
  // The text an editor shows for V.
  String ValueToText(const Variant& V, bool AEditFocused);

  // ---- overrides ----
  bool IsEditValueNumeric() const override { return true; }
  bool IsEditValueValid(Variant& AEditValue, bool AEditFocused) const override;
  bool IsTextEditValueValid(Variant& AEditValue, bool AEditFocused) const override;
  void ValidateDisplayValue(Variant& DisplayValue, String& ErrorText, bool& Error,
                            IcxEditPropertiesHost* AEdit) override;
  // The spin's own validation checks the bounds.
  void ValidateValueBounds(Variant&, String&, bool&, IcxEditPropertiesHost*) override {}
  // Keeps the button list in step with ShowFastButtons.
  void Changed() override;
  TcxCustomEditPropertiesValuesClass GetAssignedValuesClass() const override;
  TcxCustomEditViewDataClass GetViewDataClass() const override;
  TcxCustomEditViewInfoClass GetViewInfoClass() const override;
  TcxCustomEditClass GetContainerClass() const override;

  TcxSpinEditGetValueEvent OnGetValue;

 private:
  void SyncButtons();

  bool FCanEdit = true;
  bool FCircular = false;
  bool FExceptionOnInvalidInput = false;
  double FIncrement = 1.0;
  double FLargeIncrement = 10.0;
  TcxSpinEditButtons* FSpinButtons = nullptr;
  bool FUseCtrlIncrement = false;
  TcxSpinEditValueType FValueType = TcxSpinEditValueType::vtFloat;
  bool FSyncingButtons = false;
};

class TcxSpinEditProperties : public TcxCustomSpinEditProperties {
  TL_CLASS(TcxSpinEditProperties, TcxCustomSpinEditProperties)
 public:
  using TcxCustomSpinEditProperties::TcxCustomSpinEditProperties;
  TcxCustomEditProperties* CreateSameClass() const override { return New<TcxSpinEditProperties>(nullptr); }
};

// ---- view ----

class TcxSpinEditViewInfo : public TcxCustomTextEditViewInfo {
  TL_CLASS(TcxSpinEditViewInfo, TcxCustomTextEditViewInfo)
 public:
  void Assign(TcxContainerViewInfo* Source) override;
  // A spin button: its arrow (or fast-step arrows) on the themed part or the button face.
  void DrawButton(TcxCanvas& ACanvas, Integer AButtonVisibleIndex) override;
  // The arrow direction of the button with this index (a TcxSpinEditButton ordinal).
  TcxArrowDirection ArrowDirection(Integer AButtonIndex) const;

  TcxSpinEditButtonsPosition ButtonsPosition = TcxSpinEditButtonsPosition::sbpVert;
};

class TcxSpinEditViewData : public TcxCustomTextEditViewData {
  TL_CLASS(TcxSpinEditViewData, TcxCustomTextEditViewData)
 public:
  using TcxCustomTextEditViewData::TcxCustomTextEditViewData;
  void Calculate(TcxCanvas& ACanvas, const TRect& ABounds, const TPoint& P, TcxMouseButton AButton,
                 TShiftState AShift, TcxCustomEditViewInfo* AViewInfo, bool AIsMouseEvent) override;
  void CalculateButtonBounds(TcxCanvas& ACanvas, TcxCustomEditViewInfo* AViewInfo, Integer AButtonVisibleIndex,
                             TRect& ButtonsRect) override;
  // The button a key holds is shown pressed.
  bool IsButtonPressed(Integer AButtonIndex) const override;

  // The keyboard-pressed button: 0 none, else the button index + 1.
  Byte PressedState = 0;

 private:
  // Places every spin button once the last one (the first the layout reaches) is met.
  void LayoutButtons(TcxCustomEditViewInfo* AViewInfo, TRect& ButtonsRect);
};

// ---- the control ----

class TcxCustomSpinEdit : public TcxCustomMaskEdit {
  TL_CLASS(TcxCustomSpinEdit, TcxCustomMaskEdit)
 public:
  using TcxCustomMaskEdit::TcxCustomMaskEdit;
  void BeforeDestruction() override;
  // Buttons, but no popup: only the popup border goes unused.
  TcxContainerStyleValues GetUnusedStyleValues() const override { return {svPopupBorderStyle}; }

  TcxCustomSpinEditProperties* SpinProperties() {
    return static_cast<TcxCustomSpinEditProperties*>(GetActiveProperties());
  }

  // The value as a caller sees it: always a number of the value type inside the effective
  // bounds, whatever the text holds.
  virtual Variant GetValue();
  // A number the properties accept becomes the edit value, shown as it is (no clamping);
  // anything else (text, Null, NaN, infinities) is ignored.
  virtual void SetValue(const Variant& Value);
  bool IsValueStored() const;

  // ---- virtual operations ----
  virtual Variant GetIncrement(TcxSpinEditButton AButton);
  // The current value unclamped: what the text reads while it is being typed, else the
  // stored value.
  virtual Variant InternalGetValue();
  virtual String GetDisplayTextForValue(const Variant& AValue);
  // One step of AButton; true when the text changed.
  virtual bool DoSpinStep(TcxSpinEditButton AButton);
  // Moves a value outside the effective bounds to the nearer bound.
  virtual void CorrectValueToBounds();

  // Display text to edit value: a typed text that reads as no number gives the last stored
  // value, or raises when ExceptionOnInvalidInput and ARaiseOnError. Empty text gives Null
  // (the bounded 0 when the provider requires a value). True when the text was valid.
  bool InternalPrepareEditValue(const String& ADisplayText, bool ARaiseOnError, Variant& AEditValue,
                                String& AErrorText);

  // State for the properties and the tests.
  const Variant& StoredValue() const { return FValue; }
  bool IsTyped() const { return FTyped; }
  Byte KeyboardPressedButton() const { return FPressedState; }
  TcxTimer* RepeatTimer() const { return FTimer; }
  // Ends a held button: timer, keyboard state, pressed look and capture.
  void StopTracking();

  // ---- overrides ----
  TcxCustomEditPropertiesClass GetPropertiesClass() override;
  void Initialize() override;
  void InitializeViewData(TcxCustomEditViewData* AViewData) override;
  void ChangeHandler(TObject* Sender) override;
  void DoButtonDown(Integer AButtonIndex) override;
  void DoEditKeyDown(Word& Key, TShiftState Shift) override;
  void DoEditKeyPress(Char& Key) override;
  void DoEditKeyUp(Word& Key, TShiftState Shift) override;
  bool IsValidChar(Char AChar) override;
  void PropertiesChanged(TObject* Sender) override;
  void SynchronizeDisplayValue() override;
  void CutToClipboard() override;
  void PasteFromClipboard() override;
  void PrepareEditValue(const Variant& ADisplayValue, Variant& AEditValue, bool AEditFocused) override;
  bool ProcessViewInfoChanges(const TPoint& P, TcxMouseButton AButton, TShiftState AShift,
                              bool AIsMouseEvent) override;
  void FocusChanged() override;

 protected:
  void DblClick() override;
  void MouseUp(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) override;
  bool DoMouseWheelDown(TShiftState Shift, TPoint MousePos) override;
  bool DoMouseWheelUp(TShiftState Shift, TPoint MousePos) override;

 private:
  void RepeatTimerHandler(TObject*);
  void RepaintButtons();
  bool IsSpinKey(Word Key, TcxSpinEditButton& AButton) const;

  Variant FValue;
  bool FIsTyping = false;
  bool FTyped = false;
  Byte FPressedState = 0;
  TcxTimer* FTimer = nullptr;
  bool FStopping = false;
};

class TcxSpinEdit : public TcxCustomSpinEdit {
  TL_CLASS(TcxSpinEdit, TcxCustomSpinEdit)
 public:
  using TcxCustomSpinEdit::TcxCustomSpinEdit;
  TcxCustomEditPropertiesClass GetPropertiesClass() override;
  TcxSpinEditProperties* GetSpinEditProperties() const {
    return static_cast<TcxSpinEditProperties*>(GetProperties());
  }
};

namespace cxSpinEdit {
void Initialize();
void Finalize();
}  // namespace cxSpinEdit
