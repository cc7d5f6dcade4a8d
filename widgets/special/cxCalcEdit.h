// Calculator edit: a numeric text editor whose drop-down window holds a calculator working on
// the edit's own text. Typing keeps the text a number; the value is a float shown with a
// chosen precision, in exponent form or with thousand separators.
#pragma once

#include "widgets/editors/cxPopupEdit.h"
#include "widgets/special/cxCalc.h"

class TcxCustomCalcEdit;

// The calculator inside a calculator edit's popup: its display is the edit's text, and the
// keys that end a drop-down ask the edit to close it.
class TcxPopupCalculator : public TcxCustomCalculator {
  TL_CLASS(TcxPopupCalculator, TcxCustomCalculator)
 public:
  explicit TcxPopupCalculator(TComponent* AOwner) : TcxCustomCalculator(AOwner) {}

  TcxCustomCalcEdit* GetEdit() const { return FEdit; }
  void SetEdit(TcxCustomCalcEdit* Value) { FEdit = Value; }
  // No key holds a button down any more.
  virtual void ResetKeyPress() { ReleaseKeyButton(); }
  // Takes the edit's font; the buttons follow its size.
  void ApplyFont(TFont* AFont);
  using TcxCustomCalculator::HidePopup;
  using TcxCustomCalculator::ResetOperation;

 protected:
  const TcxCustomLookAndFeelPainter* GetPainter() const override;
  String GetEditorValue() override;
  void SetEditorValue(const String& Value) override;
  // The edit keeps the focus role: a press on the calculator never takes it.
  bool CanFocusOnClick() override { return false; }
  void CreateParams(TCreateParams& Params) override;
  void KeyDown(Word& Key, TShiftState Shift) override;
  void KeyPress(Char& Key) override;

 private:
  TcxCustomCalcEdit* FEdit = nullptr;
};

// The calculator edit's assigned values: adds the Precision flag.
class TcxCalcEditPropertiesValues : public TcxTextEditPropertiesValues {
  TL_CLASS(TcxCalcEditPropertiesValues, TcxTextEditPropertiesValues)
 public:
  using TcxTextEditPropertiesValues::TcxTextEditPropertiesValues;
  void Assign(TPersistent* Source) override;
  void RestoreDefaults() override;

  bool GetPrecision() const { return FPrecision; }
  void SetPrecision(bool Value);

 private:
  bool FPrecision = false;
};

class TcxCustomCalcEditProperties : public TcxCustomPopupEditProperties {
  TL_CLASS(TcxCustomCalcEditProperties, TcxCustomPopupEditProperties)
 public:
  static constexpr Byte kMaxPrecision = 15;

  explicit TcxCustomCalcEditProperties(TPersistent* AOwner);
  void AfterConstruction() override;
  void Assign(TPersistent* Source) override;
  TcxCustomEditProperties* CreateSameClass() const override {
    return New<TcxCustomCalcEditProperties>(nullptr);
  }
  // The value is a number, not its text.
  TcxDataEditValueSource GetEditValueSource(bool) const override { return TcxDataEditValueSource::evsValue; }

  bool GetQuickClose() const { return FQuickClose; }
  void SetQuickClose(bool Value);
  // The assigned value, else the provider's, else 15; never above 15.
  Byte GetPrecision() const;
  void SetPrecision(Byte Value);
  bool GetScientificFormat() const { return FScientificFormat; }
  void SetScientificFormat(bool Value);
  bool GetUseThousandSeparator() const { return FUseThousandSeparator; }
  void SetUseThousandSeparator(bool Value);
  TcxCalcEditPropertiesValues* GetCalcAssignedValues() const {
    return static_cast<TcxCalcEditPropertiesValues*>(GetAssignedValues());
  }
  bool IsPrecisionStored() const { return GetCalcAssignedValues()->GetPrecision(); }

  // AText without the locale's thousand separators read as a number: true when it reads and
  // is 0 or of a magnitude in 5.0E-324 .. 1.7E308 (AValue is 0 otherwise).
  static bool TextToNumber(const String& AText, double& AValue);
  // The text a number shows as, focused or not.
  String NumberToText(double AValue, bool AEditFocused);

  TcxCustomEditPropertiesValuesClass GetAssignedValuesClass() const override;
  TcxCustomEditClass GetContainerClass() const override;
  bool IsEditValueValid(Variant& AEditValue, bool AEditFocused) const override;
  void PrepareDisplayValue(const Variant& AEditValue, Variant& ADisplayValue,
                           bool AEditFocused) override;
  void ValidateDisplayValue(Variant& DisplayValue, String& ErrorText, bool& Error,
                            IcxEditPropertiesHost* AEdit) override;
  bool IsDisplayFormatDefined(bool AIsInplace) const override;
  bool IsDigitGroupingWhileEditing() const override {
    return FUseThousandSeparator && !FScientificFormat;
  }
  bool IsTextEditValueValid(Variant&, bool) const override { return true; }
  Variant TextToEditValue(const String& AText) override;
  bool IsPostAfterPopupClosed() const override { return true; }
  bool IsPopupWindowSizeFixed() const override { return false; }

 private:
  bool FQuickClose = false;
  Byte FPrecision = kMaxPrecision;
  bool FScientificFormat = false;
  bool FUseThousandSeparator = false;
};

class TcxCalcEditProperties : public TcxCustomCalcEditProperties {
  TL_CLASS(TcxCalcEditProperties, TcxCustomCalcEditProperties)
 public:
  using TcxCustomCalcEditProperties::TcxCustomCalcEditProperties;
  TcxCustomEditProperties* CreateSameClass() const override {
    return New<TcxCalcEditProperties>(nullptr);
  }
};

class TcxCustomCalcEdit : public TcxCustomPopupEdit {
  TL_CLASS(TcxCustomCalcEdit, TcxCustomPopupEdit)
 public:
  using TcxCustomPopupEdit::TcxCustomPopupEdit;

  TcxCustomCalcEditProperties* CalcProperties() {
    return static_cast<TcxCustomCalcEditProperties*>(GetActiveProperties());
  }
  TcxPopupCalculator* Calculator() const { return FCalculator; }
  // Null, empty and text that reads as no number give 0.
  double GetValue();
  // A value that is no finite number is ignored.
  void SetValue(double Value);
  // Whether AChar, typed over the selection, keeps the text a number.
  bool IsValidChar(Char AChar) override;

  TcxCustomEditPropertiesClass GetPropertiesClass() override;
  void Initialize() override;
  void PropertiesChanged(TObject* Sender) override;
  void DoEditKeyPress(Char& Key) override;
  void PasteFromClipboard() override;
  bool CanDropDown() override;
  void DoInitPopup() override;
  void DoPopup() override;
  void InitializePopupWindow() override;
  void PopupWindowClosed() override;
  void CloseUpWithReason(TcxEditCloseUpReason AReason) override;

 private:
  void HidePopupHandler(TObject* Sender, TcxEditCloseUpReason AReason);
  void AssignPopupControl();

  TcxPopupCalculator* FCalculator = nullptr;
  // The text and its modified state when the popup opened: a cancelled popup leaves both.
  String FTextBeforePopup;
  bool FModifiedBeforePopup = false;
};

class TcxCalcEdit : public TcxCustomCalcEdit {
  TL_CLASS(TcxCalcEdit, TcxCustomCalcEdit)
 public:
  using TcxCustomCalcEdit::TcxCustomCalcEdit;
  TcxCustomEditPropertiesClass GetPropertiesClass() override;
  TcxCalcEditProperties* GetCalcEditProperties() const {
    return static_cast<TcxCalcEditProperties*>(GetProperties());
  }
};

namespace cxCalcEdit {
void Initialize();
void Finalize();
}  // namespace cxCalcEdit
