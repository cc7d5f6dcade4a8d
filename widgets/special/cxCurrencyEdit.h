// Currency edit: a text editor for money amounts. Typing keeps the text a number with at
// most DecimalPlaces decimals; the display uses the locale's currency format unless a
// display format is set; an empty value can show a null text. The value is a double, or
// the currency type when the edit value or the data asks for it: a number that type cannot
// hold is refused with the conversion error, never wrapped.
#pragma once

#include "widgets/editcore/cxTextEditControl.h"

class TcxCustomCurrencyEditProperties : public TcxCustomTextEditProperties {
  TL_CLASS(TcxCustomCurrencyEditProperties, TcxCustomTextEditProperties)
 public:
  explicit TcxCustomCurrencyEditProperties(TPersistent* AOwner);
  void Assign(TPersistent* Source) override;
  TcxCustomEditProperties* CreateSameClass() const override {
    return New<TcxCustomCurrencyEditProperties>(nullptr);
  }

  Integer GetDecimalPlaces() const { return FDecimalPlaces; }
  // Stored without a change notice; a negative count reads as 0.
  void SetDecimalPlaces(Integer Value) { FDecimalPlaces = Value < 0 ? 0 : Value; }
  bool GetNullable() const { return FNullable; }
  void SetNullable(bool Value);
  const String& GetNullString() const { return FNullString; }
  void SetNullString(const String& Value);
  bool GetUseThousandSeparator() const { return FUseThousandSeparator; }
  void SetUseThousandSeparator(bool Value);

  // AText without the locale's thousand separators read as a number: true when it reads and
  // is 0 or of a magnitude in 5.0E-324 .. 1.7E308.
  static bool TextToNumber(const String& AText, double& AValue);
  // The number as the currency type; a number outside its range raises EConvertError.
  static Currency NumberToCurrency(double AValue);

  String GetDefaultDisplayFormat() const override;
  bool IsEditValueNumeric() const override { return true; }
  bool IsDigitGroupingWhileEditing() const override { return FUseThousandSeparator; }
  bool IsDisplayFormatDefined(bool AIsInplace) const override;
  void PrepareDisplayValue(const Variant& AEditValue, Variant& ADisplayValue,
                           bool AEditFocused) override;
  // Text that does not convert, or does not fit the currency type, is an error with the
  // conversion message.
  void ValidateDisplayValue(Variant& DisplayValue, String& ErrorText, bool& Error,
                            IcxEditPropertiesHost* AEdit) override;
  TcxCustomEditClass GetContainerClass() const override;

 private:
  Integer FDecimalPlaces = 2;
  bool FNullable = true;
  String FNullString;
  bool FUseThousandSeparator = false;
};

class TcxCurrencyEditProperties : public TcxCustomCurrencyEditProperties {
  TL_CLASS(TcxCurrencyEditProperties, TcxCustomCurrencyEditProperties)
 public:
  using TcxCustomCurrencyEditProperties::TcxCustomCurrencyEditProperties;
  TcxCustomEditProperties* CreateSameClass() const override {
    return New<TcxCurrencyEditProperties>(nullptr);
  }
};

class TcxCustomCurrencyEdit : public TcxCustomTextEdit {
  TL_CLASS(TcxCustomCurrencyEdit, TcxCustomTextEdit)
 public:
  using TcxCustomTextEdit::TcxCustomTextEdit;

  TcxCustomCurrencyEditProperties* CurrencyProperties() {
    return static_cast<TcxCustomCurrencyEditProperties*>(GetActiveProperties());
  }
  // Null, empty and text that reads as no number give 0.
  double GetValue();
  // Moved within the bounds in force, then stored (as the currency type when that is in
  // force); a value that is no finite number is ignored.
  void SetValue(double Value);
  // Whether numbers are kept as the currency type: the data says so, or the edit value is one.
  bool IsCurrencyValue();
  // Whether AChar, typed over the selection, keeps the text a number the properties allow.
  bool IsValidChar(Char AChar) override;

  TcxCustomEditPropertiesClass GetPropertiesClass() override;
  void Initialize() override;
  void DoEditKeyPress(Char& Key) override;
  void PrepareEditValue(const Variant& ADisplayValue, Variant& AEditValue,
                        bool AEditFocused) override;
  void PropertiesChanged(TObject* Sender) override;
  void PasteFromClipboard() override;
};

class TcxCurrencyEdit : public TcxCustomCurrencyEdit {
  TL_CLASS(TcxCurrencyEdit, TcxCustomCurrencyEdit)
 public:
  using TcxCustomCurrencyEdit::TcxCustomCurrencyEdit;
  TcxCustomEditPropertiesClass GetPropertiesClass() override;
  TcxCurrencyEditProperties* GetCurrencyEditProperties() const {
    return static_cast<TcxCurrencyEditProperties*>(GetProperties());
  }
};

namespace cxCurrencyEdit {
void Initialize();
void Finalize();
}  // namespace cxCurrencyEdit
