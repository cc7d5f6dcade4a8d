// The library's radio button: a class-library radio button whose glyph the look-and-feel
// painters (or the platform's visual style) draw, with hot and pressed states that follow
// the mouse, transparency, word wrap and a popup menu.
#pragma once

#include "classlib/visual/StdCtrls.h"
#include "widgets/foundation/cxControls.h"
#include "widgets/foundation/cxGraphics.h"
#include "widgets/foundation/cxLookAndFeels.h"
#include "widgets/editors/cxButtonGroup.h"

// The glyph's look as the mouse and the enabled state leave it.
TL_ENUM(TcxRadioButtonState, rbsDisabled, rbsHot, rbsNormal, rbsPressed);

class TcxRadioButton : public TRadioButton, public IcxMouseTrackingCaller {
  TL_CLASS(TcxRadioButton, TRadioButton)
 public:
  explicit TcxRadioButton(TComponent* AOwner);
  ~TcxRadioButton() override;
  void BeforeDestruction() override;

  TcxLookAndFeel* GetLookAndFeel() const { return FLookAndFeel; }
  void SetLookAndFeel(TcxLookAndFeel* Value) { FLookAndFeel->Assign(Value); }
  TComponent* GetPopupMenu() const { return FPopupMenu; }
  void SetPopupMenu(TComponent* Value);
  bool GetParentBackground() const { return FParentBackground; }
  void SetParentBackground(bool Value);
  bool GetTransparent() const { return FTransparent; }
  void SetTransparent(bool Value);
  bool GetWordWrap() const { return FWordWrap; }
  void SetWordWrap(bool Value);

  TcxRadioButtonState GetVisualState() const { return FState; }
  // Where the glyph went at the last paint.
  TRect GetGlyphRect() const { return FGlyphRect; }
  // Native painting: asked for and the button theme can be drawn.
  bool IsNativeStyle() const;
  // Paints the whole button onto ACanvas at (0, 0), as the window would.
  void PaintTo(TcxCanvas& ACanvas, bool AFocused);

  virtual bool DoShowPopupMenu(TComponent* AMenu, Integer X, Integer Y);
  // True while a context menu the button's OnContextPopup has already seen goes on to the
  // default handling, which hands it to the parent.
  bool IsPassingOnContextPopup() const { return FPassingOnContextPopup; }

  // Asked first on a context-menu request, with the point in client coordinates ((-1, -1)
  // from the keyboard); Handled keeps the button's own menu closed.
  TContextPopupEvent OnContextPopup;

 protected:
  // True for the button that stands for one item of a radio group.
  virtual bool IsInplace() const { return false; }
  // Whether the check being made now is the button's own activation.
  bool IsActivating() const { return FActivating; }

  void CreateParams(TCreateParams& Params) override;
  void CreateWnd() override;
  void Notification(TComponent* AComponent, TOperation Operation) override;
  void Activate() override;
  void MouseLeave() override;

  void UpdateState(const TPoint& P, bool AButtonHeld);
  void UpdateStateFromCursor();

  void CNDrawItem(TMessage& Message);
  void CNMeasureItem(TMessage& Message);
  void CNKeyDown(TMessage& Message);
  void BMSetCheck(TMessage& Message);
  void CMMouseEnter(TMessage& Message);
  void CMMouseLeave(TMessage& Message);
  void CMEnabledChanged(TMessage& Message);
  void WMCaptureChanged(TMessage& Message);
  void WMContextMenu(TMessage& Message);
  void WMEraseBkgnd(TMessage& Message);
  void WMMouse(TMessage& Message);
  void WMWindowPosChanged(TMessage& Message);

 private:
  void LookAndFeelChanged(TcxLookAndFeel* Sender, TcxLookAndFeelValues AChangedValues);
  void SetVisualState(TcxRadioButtonState Value);

  TCanvas* FCanvas;
  TcxCanvas* FcxCanvas;
  TcxLookAndFeel* FLookAndFeel;
  TComponent* FPopupMenu = nullptr;
  TcxRadioButtonState FState = TcxRadioButtonState::rbsNormal;
  bool FTransparent = false;
  bool FParentBackground = true;
  bool FWordWrap = false;
  bool FActivating = false;
  bool FPassingOnContextPopup = false;
  TRect FGlyphRect{};
};

// ---- Radio group ------------------------------------------------------------------------------
// A button group of radio buttons whose edit value is the value of the checked item.

class TcxRadioGroupItem : public TcxButtonGroupItem {
  TL_CLASS(TcxRadioGroupItem, TcxButtonGroupItem)
 public:
  using TcxButtonGroupItem::TcxButtonGroupItem;
  void Assign(TPersistent* Source) override;
  const Variant& GetValue() const { return FValue; }
  void SetValue(const Variant& Value);
  bool IsValueStored() const { return !VarIsNull(FValue); }

 private:
  Variant FValue = Variant::MakeNull();
};

class TcxCustomRadioGroupProperties : public TcxCustomButtonGroupProperties {
  TL_CLASS(TcxCustomRadioGroupProperties, TcxCustomButtonGroupProperties)
 public:
  explicit TcxCustomRadioGroupProperties(TPersistent* AOwner);
  void Assign(TPersistent* Source) override;
  TcxCustomEditProperties* CreateSameClass() const override;
  TcxCustomEditClass GetContainerClass() const override;
  TcxCustomEditViewInfoClass GetViewInfoClass() const override;

  TcxRadioGroupItem* Item(Integer Index) const { return static_cast<TcxRadioGroupItem*>(GetItems()->Items(Index)); }
  const String& GetDefaultCaption() const { return FDefaultCaption; }
  void SetDefaultCaption(const String& Value);
  const Variant& GetDefaultValue() const { return FDefaultValue; }
  void SetDefaultValue(const Variant& Value);

  // The first item the value stands for, or -1: an item without a value matches by its
  // caption (exact case), an item with one by value.
  Integer GetRadioGroupItemIndex(const Variant& AValue) const;
  // The item's value (its caption when it has none); DefaultValue for -1.
  Variant GetItemValue(Integer AIndex) const;
  String GetDisplayText(const Variant& AValue) const;

 protected:
  TCollectionItemClass GetItemClass() const override;

 public:
  bool IsDefaultCaptionStored() const;
  bool IsDefaultValueStored() const { return !VarIsNull(FDefaultValue); }

 private:
  String FDefaultCaption;
  Variant FDefaultValue = Variant::MakeNull();
};

class TcxRadioGroupProperties : public TcxCustomRadioGroupProperties {
  TL_CLASS(TcxRadioGroupProperties, TcxCustomRadioGroupProperties)
 public:
  using TcxCustomRadioGroupProperties::TcxCustomRadioGroupProperties;
  TcxCustomEditProperties* CreateSameClass() const override;
};

// Paints the items itself where no child buttons stand (in place): a radio glyph and the
// caption in each item's rectangle.
class TcxCustomRadioGroupViewInfo : public TcxButtonGroupViewInfo {
  TL_CLASS(TcxCustomRadioGroupViewInfo, TcxButtonGroupViewInfo)
 public:
  void InternalPaint(TcxCanvas& ACanvas) override;
  // Where item AIndex's glyph goes for a glyph of ASize.
  TRect GlyphRect(Integer AIndex, const TSize& ASize) const;
};

class TcxCustomRadioGroup;

// One item's button; checking it by hand sets the group's item index.
class TcxCustomRadioGroupButton : public TcxRadioButton {
  TL_CLASS(TcxCustomRadioGroupButton, TcxRadioButton)
 public:
  using TcxRadioButton::TcxRadioButton;
  TcxCustomRadioGroup* Group() const;

 protected:
  bool IsInplace() const override { return true; }
  void SetCheckedState(bool Value) override;
  void KeyDown(Word& Key, TShiftState Shift) override;
  void WndProc(TMessage& Message) override;
};

class TcxCustomRadioGroup : public TcxCustomButtonGroup {
  TL_CLASS(TcxCustomRadioGroup, TcxCustomButtonGroup)
 public:
  using TcxCustomButtonGroup::TcxCustomButtonGroup;

  TcxCustomRadioGroupProperties* RadioProperties() {
    return static_cast<TcxCustomRadioGroupProperties*>(GetActiveProperties());
  }
  TcxCustomRadioGroupButton* RadioButton(Integer Index) const {
    return static_cast<TcxCustomRadioGroupButton*>(Buttons(Index));
  }
  // The first checked button, -1 when none.
  Integer GetItemIndex() const;
  // Clamped to -1 .. count - 1; held while loading.
  void SetItemIndex(Integer Value);
  String GetDisplayText();
  void Clear() override { SetItemIndex(-1); }
  void Initialize() override;
  TcxCustomEditPropertiesClass GetPropertiesClass() override;

  // A button the user checked.
  void ButtonChecked(TcxCustomRadioGroupButton* AButton);

 protected:
  TWinControl* CreateButton() override;
  void UpdateButtons() override;
  void UpdateButtonStyles() override;
  void InternalSetEditValue(const Variant& AValue, bool AValidateEditValue = false) override;
  void Loaded() override;
  void DoEnter() override;
  void WndProc(TMessage& Message) override;

 private:
  Integer GetDownIndex() const override { return GetItemIndex(); }
  void CheckButton(Integer AIndex);
  // A button holding the focus hands it to the checked one.
  void FocusCheckedButton();
  Integer FLoadedItemIndex = -1;
  bool FChangingIndex = false;
};

class TcxRadioGroup : public TcxCustomRadioGroup {
  TL_CLASS(TcxRadioGroup, TcxCustomRadioGroup)
 public:
  using TcxCustomRadioGroup::TcxCustomRadioGroup;
  TcxCustomEditPropertiesClass GetPropertiesClass() override;
  TcxRadioGroupProperties* GetProperties() const {
    return static_cast<TcxRadioGroupProperties*>(TcxCustomEdit::GetProperties());
  }
  void SetProperties(TcxRadioGroupProperties* Value) { TcxCustomEdit::SetProperties(Value); }
};


// The radio group's registrations: its class for window descriptions, its properties for
// the editor registry.
namespace cxRadioGroupControl {
void Initialize();
void Finalize();
}  // namespace cxRadioGroupControl

namespace cxRadioGroup {
void Initialize();
void Finalize();
}  // namespace cxRadioGroup
