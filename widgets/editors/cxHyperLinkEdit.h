// Hyperlink edit: a text editor whose text is an address, shown underlined in the link
// colour and opened with the desktop's opener on a double click, a single click (with
// SingleClick) or the start shortcut.
#pragma once

#include "classlib/visual/Menus.h"
#include "widgets/editcore/cxEditStyles.h"
#include "widgets/editcore/cxTextEditControl.h"

class TcxCustomHyperLinkEdit;

class TcxCustomHyperLinkEditProperties : public TcxCustomTextEditProperties {
  TL_CLASS(TcxCustomHyperLinkEditProperties, TcxCustomTextEditProperties)
 public:
  explicit TcxCustomHyperLinkEditProperties(TPersistent* AOwner);
  void Assign(TPersistent* Source) override;
  TcxCustomEditProperties* CreateSameClass() const override {
    return New<TcxCustomHyperLinkEditProperties>(nullptr);
  }

  TColor GetLinkColor() const { return FLinkColor; }
  void SetLinkColor(TColor Value);
  const String& GetPrefix() const { return FPrefix; }
  void SetPrefix(const String& Value) { FPrefix = Value; }
  bool GetSingleClick() const { return FSingleClick; }
  void SetSingleClick(bool Value);
  TShortCut GetStartKey() const { return FStartKey; }
  void SetStartKey(TShortCut Value) { FStartKey = Value; }
  bool GetAddPrefixOnValidation() const { return FAddPrefixOnValidation; }
  void SetAddPrefixOnValidation(bool Value) { FAddPrefixOnValidation = Value; }
  // Written through its own entry, so that an empty prefix is stored too.
  bool IsPrefixStored() const { return false; }
  static String DefaultPrefix();

  // The address for AText: the prefix followed by the trimmed text when the prefix is set,
  // the trimmed text is not blank and does not already begin with the prefix; else AText.
  virtual String AddPrefixTo(const String& AText) const;

  TcxCustomEditClass GetContainerClass() const override;
  TcxContainerStyleClass GetStyleClass() const override;
  TcxCustomEditViewDataClass GetViewDataClass() const override;
  TcxCustomEditViewInfoClass GetViewInfoClass() const override;
  TcxEditSupportedOperations GetSupportedOperations() const override;
  void ValidateDisplayValue(Variant& DisplayValue, String& ErrorText, bool& Error,
                            IcxEditPropertiesHost* AEdit) override;

  TNotifyEvent OnStartClick;

 protected:
  void DefineProperties(TFiler& Filer) override;

 private:
  TColor FLinkColor = clBlue;
  String FPrefix;
  bool FSingleClick = false;
  TShortCut FStartKey = scCtrl | VK_RETURN;
  bool FAddPrefixOnValidation = true;
};

class TcxHyperLinkEditProperties : public TcxCustomHyperLinkEditProperties {
  TL_CLASS(TcxHyperLinkEditProperties, TcxCustomHyperLinkEditProperties)
 public:
  using TcxCustomHyperLinkEditProperties::TcxCustomHyperLinkEditProperties;
  TcxCustomEditProperties* CreateSameClass() const override { return New<TcxHyperLinkEditProperties>(nullptr); }
};

// Painted without an editor (in place), the text is underlined in the link colour, or in
// the selected-text colour when the cell is selected.
class TcxHyperLinkEditViewInfo : public TcxCustomTextEditViewInfo {
  TL_CLASS(TcxHyperLinkEditViewInfo, TcxCustomTextEditViewInfo)
 public:
  void Assign(TcxContainerViewInfo* Source) override;
  void DrawText(TcxCanvas& ACanvas) override;

  TcxContainer* Edit = nullptr;  // not owned
};

class TcxHyperLinkEditViewData : public TcxCustomTextEditViewData {
  TL_CLASS(TcxHyperLinkEditViewData, TcxCustomTextEditViewData)
 public:
  using TcxCustomTextEditViewData::TcxCustomTextEditViewData;
  void Calculate(TcxCanvas& ACanvas, const TRect& ABounds, const TPoint& P, TcxMouseButton AButton,
                 TShiftState AShift, TcxCustomEditViewInfo* AViewInfo, bool AIsMouseEvent) override;
};

// The link's look: the link colour and underline unless the style sets its own.
class TcxHyperLinkStyle : public TcxEditStyle {
  TL_CLASS(TcxHyperLinkStyle, TcxEditStyle)
 public:
  using TcxEditStyle::TcxEditStyle;

 protected:
  TColor DefaultTextColor() const override;
  TFontStyles DefaultTextStyle() const override;
};

class TcxCustomHyperLinkEdit : public TcxCustomTextEdit {
  TL_CLASS(TcxCustomHyperLinkEdit, TcxCustomTextEdit)
 public:
  using TcxCustomTextEdit::TcxCustomTextEdit;

  TcxCustomHyperLinkEditProperties* LinkProperties() {
    return static_cast<TcxCustomHyperLinkEditProperties*>(GetActiveProperties());
  }
  // Opens the shown address, unless a start-click handler takes over. An address the
  // opener cannot take as one argument (a leading "-", control characters) is not opened
  // and is reported as a validation error.
  virtual void StartLink();

  TcxCustomEditPropertiesClass GetPropertiesClass() override;
  TcxContainerStyleClass GetStyleClass() const override { return cxEditStyleClassOf<TcxHyperLinkStyle>(); }
  void SelectAll() override;
  void PropertiesChanged(TObject* Sender) override;
  bool ProcessViewInfoChanges(const TPoint& P, TcxMouseButton AButton, TShiftState AShift,
                              bool AIsMouseEvent) override;
  void DoEditKeyDown(Word& Key, TShiftState Shift) override;
  void MouseDown(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) override;
  void MouseUp(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) override;
  void ActivateByMouse(TShiftState Shift, Integer X, Integer Y, TcxCustomEditData*& AEditData) override;
  void MouseEnter(TControl* AControl) override;
  void MouseLeave(TControl* AControl) override;

 private:
  // The start-click handlers, own first; true when one ran.
  bool DoStartClick();
  // On the text itself, not on the frame around it; X, Y in the editor's client area.
  bool IsInInnerEdit(Integer X, Integer Y);
  void ShowHandCursor();

  TCursor FSavedCursor = crDefault;
  bool FHandShown = false;
};

class TcxHyperLinkEdit : public TcxCustomHyperLinkEdit {
  TL_CLASS(TcxHyperLinkEdit, TcxCustomHyperLinkEdit)
 public:
  using TcxCustomHyperLinkEdit::TcxCustomHyperLinkEdit;
  TcxCustomEditPropertiesClass GetPropertiesClass() override;
  TcxHyperLinkEditProperties* GetLinkProperties() const {
    return static_cast<TcxHyperLinkEditProperties*>(GetProperties());
  }
};

namespace cxHyperLinkEdit {
void Initialize();
void Finalize();
}  // namespace cxHyperLinkEdit
