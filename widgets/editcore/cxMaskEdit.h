// The masked editor: the text editor whose typing, deleting and pasting go through a mask
// mode while its properties carry a mask. Without a mask it is the text editor unchanged.
#pragma once

#include "widgets/editcore/cxMaskEditModes.h"
#include "widgets/editcore/cxTextEditControl.h"

class TcxCustomMaskEditProperties : public TcxCustomTextEditProperties {
  TL_CLASS(TcxCustomMaskEditProperties, TcxCustomTextEditProperties)
 public:
  explicit TcxCustomMaskEditProperties(TPersistent* AOwner) : TcxCustomTextEditProperties(AOwner) {}
  void Assign(TPersistent* Source) override;
  TcxCustomEditProperties* CreateSameClass() const override { return New<TcxCustomMaskEditProperties>(nullptr); }

  bool GetAlwaysShowBlanksAndLiterals() const { return FAlwaysShowBlanksAndLiterals; }
  void SetAlwaysShowBlanksAndLiterals(bool Value);
  bool GetCaseInsensitive() const { return FCaseInsensitive; }
  // Stays on while the character case is forced.
  void SetCaseInsensitive(bool Value);
  // The effective mask: a standard mask left blank takes the data's default mask.
  TcxEditMask GetEditMask() const;
  // An invalid regular expression raises EcxMaskEditError and leaves the mask as it was.
  void SetEditMask(const TcxEditMask& Value);
  const TcxEditMask& GetStoredEditMask() const { return FEditMask; }
  bool GetIgnoreMaskBlank() const { return FIgnoreMaskBlank; }
  void SetIgnoreMaskBlank(bool Value);
  TcxEditMaskKind GetMaskKind() const { return FMaskKind; }
  // The effective mask is checked under the new kind first, unless a description is loading.
  void SetMaskKind(TcxEditMaskKind Value);
  void SetCharCase(TEditCharCase Value);
  bool IsMasked() const;
  // The text the date editor reads to build its own mask.
  const String& GetMaskText() const { return FMaskText; }
  void SetMaskText(const String& Value) { FMaskText = Value; }

  // The mode class for a kind of mask; an editor with masks of its own answers its own modes.
  virtual TcxMaskEditCustomModeClass GetModeClass(TcxEditMaskKind AMaskKind) const;
  // A mode for AEdit or (nullptr) for the properties alone; of the class GetModeClass answers
  // unless a descendant makes its modes itself.
  virtual TcxMaskEditCustomMode* CreateMode(TcxEditMaskKind AKind, TcxCustomMaskEdit* AEdit);

  void PrepareDisplayValue(const Variant& AEditValue, Variant& ADisplayValue, bool AEditFocused) override;
  void ValidateDisplayValue(Variant& DisplayValue, String& ErrorText, bool& Error,
                            IcxEditPropertiesHost* AEdit) override;
  bool IsEditValueValid(Variant& AEditValue, bool AEditFocused) const override;
  bool UseLookupData() const override { return !IsMasked(); }
  void MaxLengthChanged() override;
  TcxCustomEditClass GetContainerClass() const override;

 private:
  bool IsLoading() const;
  // Compiles AMask under AKind on a mode of its own; raises when it does not compile.
  void CheckMask(const String& AMask, TcxEditMaskKind AKind);
  TcxMaskEditCustomMode* DisplayMode();

  bool FAlwaysShowBlanksAndLiterals = false;
  bool FCaseInsensitive = true;
  TcxEditMask FEditMask;
  String FMaskText;
  bool FIgnoreMaskBlank = false;
  TcxEditMaskKind FMaskKind = TcxEditMaskKind::emkStandard;
  bool FForcingMaxLength = false;
  std::unique_ptr<TcxMaskEditCustomMode> FMode;
  bool FModeFailed = false;
};

class TcxMaskEditProperties : public TcxCustomMaskEditProperties {
  TL_CLASS(TcxMaskEditProperties, TcxCustomMaskEditProperties)
 public:
  // The masked editor validates on Enter unless told otherwise, as the other editor kinds do.
  explicit TcxMaskEditProperties(TPersistent* AOwner) : TcxCustomMaskEditProperties(AOwner) {
    SetValidateOnEnter(true);
  }
  TcxCustomEditProperties* CreateSameClass() const override { return New<TcxMaskEditProperties>(nullptr); }
};

class TcxCustomMaskEdit : public TcxCustomTextEdit {
  TL_CLASS(TcxCustomMaskEdit, TcxCustomTextEdit)
 public:
  using TcxCustomTextEdit::TcxCustomTextEdit;
  void BeforeDestruction() override;

  TcxCustomMaskEditProperties* ActiveProperties() {
    return static_cast<TcxCustomMaskEditProperties*>(GetActiveProperties());
  }
  TcxMaskEditCustomMode* Mode() const { return FMode.get(); }
  bool IsMasked() { return ActiveProperties()->IsMasked(); }
  bool GetShiftPressed() const { return FShiftPressed; }

  // Whether Key may go to the 1-based position; a hook may clear it to 0 to refuse it.
  virtual bool IsCharValidForPos(Char& Key, Integer APos);
  // Shows the edit value through the mask again.
  virtual void ReapplyMask();
  // The text the mode writes, as the user's edit.
  void ModeWriteText(const String& AText, Integer ASelStart, Integer ASelLength);
  String GetEmptyMaskText();
  // Whether the editor holds a value of its own: neither none nor the empty text of the mask
  // it had before. A new mask shows such a value; an editor without one takes the empty text.
  bool HoldsValue();
  // The picture mask covers the position at the caret again after the selection is set.
  void SetSelStart(Integer Value);
  void SetSelLength(Integer Value);
  // Masked, the new text goes in as a paste does: through the mode's paste steps and shown
  // formatted by the mask.
  void SetSelText(const String& Value);
  // The edit value's text as the user's latest change makes it (the display text unmasked).
  String GetEditingText();

  TcxCustomEditPropertiesClass GetPropertiesClass() override;
  void Initialize() override;
  void PropertiesChanged(TObject* Sender) override;
  void Loaded() override;
  void DoEditKeyDown(Word& Key, TShiftState Shift) override;
  void DoEditKeyPress(Char& Key) override;
  void CutToClipboard() override;
  void PasteFromClipboard() override;
  void PrepareEditValue(const Variant& ADisplayValue, Variant& AEditValue, bool AEditFocused) override;
  void SetInternalDisplayValue(const Variant& Value) override;
  void ChangeHandler(TObject* Sender) override;

 protected:
  void DblClick() override;
  void DoEnter() override;
  void MouseUp(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) override;
  void MouseMove(TShiftState Shift, Integer X, Integer Y) override;

 private:
  void RecreateMode();
  // A text to show, put through the mode as the focus and the properties ask.
  String FormatThroughMode(const String& AText);
  void UpdateEditingText();

  std::unique_ptr<TcxMaskEditCustomMode> FMode;
  String FModeMask;
  TcxEditMaskKind FModeKind = TcxEditMaskKind::emkStandard;
  bool FModeCompiled = false;
  String FFormerEmptyText;
  bool FResendingKey = false;
  bool FShiftPressed = false;
  String FEditingText;
};

class TcxMaskEdit : public TcxCustomMaskEdit {
  TL_CLASS(TcxMaskEdit, TcxCustomMaskEdit)
 public:
  using TcxCustomMaskEdit::TcxCustomMaskEdit;
  TcxCustomEditPropertiesClass GetPropertiesClass() override;
  TcxMaskEditProperties* GetMaskProperties() const { return static_cast<TcxMaskEditProperties*>(GetProperties()); }
};

namespace cxMaskEdit {
void Initialize();
void Finalize();
}  // namespace cxMaskEdit
