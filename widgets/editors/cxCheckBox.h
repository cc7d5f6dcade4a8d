// The check box's painting: the system check size and check-mark mask measured once, the
// layout of the check and its caption inside an editor's client area, the check's paint
// state, and one check drawn from a glyph strip, the visual style, the frame control or
// the flat look with the mask. The properties here are the part the view reads; the check
// box editor builds on them.
#pragma once

#include "classlib/visual/ActnList.h"
#include "classlib/visual/Graphics.h"
#include "widgets/editcore/cxEditControl.h"
#include "widgets/editcore/cxEditProperties.h"
#include "widgets/editcore/cxEditStyles.h"
#include "widgets/editcore/cxEditViewData.h"
#include "widgets/editcore/cxTextEditViewData.h"

#include <vector>

TL_ENUM(TcxCheckBoxState, cbsUnchecked, cbsChecked, cbsGrayed);
// How a grayed check looks.
TL_ENUM(TcxCheckBoxNullValueShowingStyle, nssUnchecked, nssInactive, nssGrayedChecked);
TL_ENUM(TcxEditCheckState, ecsNormal, ecsHot, ecsPressed, ecsDisabled);

// What the view asks of a check box editor beyond a container.
class IcxCheckBoxEdit {
 public:
  // Space is held down on the editor.
  virtual bool IsKeyboardPressed() const = 0;
  // The editor shows its parent's themed background behind it.
  virtual bool IsNativeBackground() const = 0;

 protected:
  ~IcxCheckBoxEdit() = default;
};

// A check box has no editor frame.
class TcxCheckBoxStyle : public TcxEditStyle {
  TL_CLASS(TcxCheckBoxStyle, TcxEditStyle)
 public:
  using TcxEditStyle::TcxEditStyle;
  bool HasBorder() const override { return false; }
};

class TcxCustomCheckBoxProperties : public TcxCustomEditProperties {
  TL_CLASS(TcxCustomCheckBoxProperties, TcxCustomEditProperties)
 public:
  explicit TcxCustomCheckBoxProperties(TPersistent* AOwner);
  void BeforeDestruction() override;
  void Assign(TPersistent* Source) override;

  TcxCustomEditProperties* CreateSameClass() const override {
    return New<TcxCustomCheckBoxProperties>(nullptr);
  }
  TcxCustomEditViewDataClass GetViewDataClass() const override;
  TcxCustomEditViewInfoClass GetViewInfoClass() const override;
  TcxContainerStyleClass GetStyleClass() const override {
    return cxEditStyleClassOf<TcxCheckBoxStyle>();
  }
  TcxCustomEditClass GetContainerClass() const override;
  bool CanCompareEditValue() const override { return true; }
  TcxEditSupportedOperations GetSupportedOperations() const override;
  // Also one of the three mapped values, exactly.
  bool IsEditValueValid(Variant& AEditValue, bool AEditFocused) const override;

  bool HasDisplayValue() const { return true; }
  bool CompareDisplayValues(const Variant& V1, const Variant& V2) const {
    return GetState(V1) == GetState(V2);
  }
  String GetDisplayText(const Variant& AEditValue) const;
  bool IsActivationKey(Char AKey) const { return AKey == ' '; }
  // 1 for ValueChecked, 0 for ValueUnchecked, 2 otherwise.
  Variant PrepareDisplayValue(const Variant& AEditValue) const;

  // Unchecked for ValueUnchecked, checked for ValueChecked (tested first), grayed otherwise.
  TcxCheckBoxState GetState(const Variant& AEditValue) const;

  bool GetAllowGrayed() const { return FAllowGrayed; }
  void SetAllowGrayed(bool Value) { FAllowGrayed = Value; }
  const String& GetCaption() const { return FCaption; }
  void SetCaption(const String& Value);
  // Set by every Caption write; the editor takes the caption and clears it.
  bool CaptionChanged = false;
  const String& GetDisplayChecked() const { return FDisplayChecked; }
  void SetDisplayChecked(const String& Value) { FDisplayChecked = Value; }
  const String& GetDisplayGrayed() const { return FDisplayGrayed; }
  void SetDisplayGrayed(const String& Value) { FDisplayGrayed = Value; }
  const String& GetDisplayUnchecked() const { return FDisplayUnchecked; }
  void SetDisplayUnchecked(const String& Value) { FDisplayUnchecked = Value; }
  bool GetFullFocusRect() const { return FFullFocusRect; }
  void SetFullFocusRect(bool Value);
  // Made on first read; changes to its image change the properties.
  TBitmap* GetGlyph() const;
  // Nullptr frees the glyph; a bitmap gives its image.
  void SetGlyph(TBitmap* Value);
  bool HasGlyph() const { return FGlyph != nullptr; }
  Integer GetGlyphCount() const { return FGlyphCount; }
  void SetGlyphCount(Integer Value);
  bool GetMultiLine() const { return FMultiLine; }
  void SetMultiLine(bool Value);
  TcxCheckBoxNullValueShowingStyle GetNullStyle() const { return FNullStyle; }
  void SetNullStyle(TcxCheckBoxNullValueShowingStyle Value);
  bool GetUseAlignmentWhenInplace() const { return FUseAlignmentWhenInplace; }
  void SetUseAlignmentWhenInplace(bool Value);
  const Variant& GetValueChecked() const { return FValueChecked; }
  const Variant& GetValueGrayed() const { return FValueGrayed; }
  const Variant& GetValueUnchecked() const { return FValueUnchecked; }
  // A value equal (exactly) to one of the three already mapped is refused silently, and so is
  // Null for the checked and unchecked values.
  void SetValueChecked(const Variant& Value);
  void SetValueGrayed(const Variant& Value);
  void SetValueUnchecked(const Variant& Value);

 protected:
  void DefineProperties(TFiler& Filer) override;

 private:
  void GlyphChanged(TObject*) { Changed(); }
  bool IsMapped(const Variant& Value) const;
  bool IsDisplayCheckedStored() const;
  bool IsDisplayGrayedStored() const;
  bool IsDisplayUncheckedStored() const;
  bool IsValueCheckedStored() const;
  bool IsValueGrayedStored() const;
  bool IsValueUncheckedStored() const;

  bool FAllowGrayed = false;
  String FCaption;
  String FDisplayChecked;
  String FDisplayGrayed;
  String FDisplayUnchecked;

  bool FFullFocusRect = false;
  mutable TBitmap* FGlyph = nullptr;
  Integer FGlyphCount = 6;
  bool FMultiLine = false;
  TcxCheckBoxNullValueShowingStyle FNullStyle = TcxCheckBoxNullValueShowingStyle::nssGrayedChecked;
  bool FUseAlignmentWhenInplace = false;
  Variant FValueChecked;
  Variant FValueGrayed;
  Variant FValueUnchecked;
};

class TcxCheckBoxProperties : public TcxCustomCheckBoxProperties {
  TL_CLASS(TcxCheckBoxProperties, TcxCustomCheckBoxProperties)
 public:
  using TcxCustomCheckBoxProperties::TcxCustomCheckBoxProperties;
  TcxCustomEditProperties* CreateSameClass() const override {
    return New<TcxCheckBoxProperties>(nullptr);
  }
};

class TcxCustomCheckBoxViewInfo : public TcxCustomTextEditViewInfo {
  TL_CLASS(TcxCustomCheckBoxViewInfo, TcxCustomTextEditViewInfo)
 public:
  void InternalPaint(TcxCanvas& ACanvas) override;
  void Assign(TcxContainerViewInfo* Source) override;
  // Adds the check when its paint or theme state differs.
  TcxRegion* GetUpdateRegion(TcxContainerViewInfo* AViewInfo) override;
  void Offset(Integer DX, Integer DY) override;
  String GetHintText() const override { return {}; }
  // The whole check box acts as its one button: any point of its bounds.
  bool IsButtonAtPoint(const TPoint& P) const override;
  bool RepaintChanges(TWinControl* AControl, const TRect& AInnerRect,
                      TcxCustomEditViewInfo* AOldViewInfo) override;
  virtual void DrawCaption(TcxCanvas& ACanvas);

  TRect CheckRect{};
  TAlignment Alignment = TAlignment::taLeftJustify;
  TcxEditBorderStyle CheckBorderStyle = TcxEditBorderStyle::ebsNone;
  Integer CheckBorderOffset = 0;
  TBitmap* Glyph = nullptr;  // the properties', not owned
  Integer GlyphCount = 0;
  bool IsGlyphValid = false;
  TcxEditCheckState CheckState = TcxEditCheckState::ecsNormal;
  // 0 when no visual style applies.
  Integer ThemeState = 0;
  TcxCheckBoxNullValueShowingStyle NullStyle = TcxCheckBoxNullValueShowingStyle::nssGrayedChecked;
  TcxCheckBoxState State = TcxCheckBoxState::cbsUnchecked;
  TRect FocusRect{};
  Integer CaptionFlags = 0;
  bool IsTextColorAssigned = false;
  TcxContainer* Edit = nullptr;  // not owned
};

class TcxCustomCheckBoxViewData : public TcxCustomEditViewData {
  TL_CLASS(TcxCustomCheckBoxViewData, TcxCustomEditViewData)
 public:
  using TcxCustomEditViewData::TcxCustomEditViewData;

  TSize GetEditConstantPartSize(TcxCanvas& ACanvas,
                                const TcxEditSizeProperties& AEditSizeProperties,
                                TSize& AMinContentSize,
                                TcxCustomEditViewInfo* AViewInfo = nullptr) override;
  void Calculate(TcxCanvas& ACanvas, const TRect& ABounds, const TPoint& P, TcxMouseButton AButton,
                 TShiftState AShift, TcxCustomEditViewInfo* AViewInfo, bool AIsMouseEvent) override;
  // A check box never draws an editor frame.
  TcxEditBorderStyle GetEffectiveBorderStyle() const override {
    return TcxEditBorderStyle::ebsNone;
  }

  virtual void EditValueToDrawValue(TcxCanvas& ACanvas, const Variant& AEditValue,
                                    TcxCustomEditViewInfo* AViewInfo);
  // The caption's library text flags for an alignment.
  virtual Integer GetDrawTextFlags(TAlignment AAlignment) const;

  TcxCustomCheckBoxProperties* CheckProperties() const {
    return dynamic_cast<TcxCustomCheckBoxProperties*>(Properties);
  }
  // The button visual style is there and this view asks for it.
  bool IsThemeUsable() const;
};

// A three-state check with an optional caption, its edit value mapped to the state.
class TcxCustomCheckBox : public TcxCustomEdit, public IcxCheckBoxEdit {
  TL_CLASS(TcxCustomCheckBox, TcxCustomEdit)
 public:
  explicit TcxCustomCheckBox(TComponent* AOwner) : TcxCustomEdit(AOwner) {}
  TcxCustomCheckBox(TComponent* AOwner, bool AIsInplace) : TcxCustomEdit(AOwner, AIsInplace) {}

  TcxCustomCheckBoxProperties* GetProperties() const {
    return static_cast<TcxCustomCheckBoxProperties*>(TcxCustomEdit::GetProperties());
  }
  TcxCustomCheckBoxProperties* ActiveProperties() {
    return static_cast<TcxCustomCheckBoxProperties*>(GetActiveProperties());
  }
  TcxCheckBoxState GetState();
  void SetState(TcxCheckBoxState Value);
  bool GetChecked() { return GetState() == TcxCheckBoxState::cbsChecked; }
  void SetChecked(bool Value) {
    SetState(Value ? TcxCheckBoxState::cbsChecked : TcxCheckBoxState::cbsUnchecked);
  }
  bool GetParentBackground() const { return FParentBackground; }
  void SetParentBackground(bool Value);
  // The next state of the cycle, as the user's change.
  virtual void Toggle();

  bool IsKeyboardPressed() const override { return FKeyboardPressed; }
  bool IsNativeBackground() const override;

  bool DefaultParentColor() const override { return true; }
  TcxContainerStyleClass GetStyleClass() const override {
    return cxEditStyleClassOf<TcxCheckBoxStyle>();
  }
  // No frame: the edges are not the check box's to style.
  TcxContainerStyleValues GetUnusedStyleValues() const override {
    TcxContainerStyleValues v = inherited::GetUnusedStyleValues();
    return v.Include(csvEdges);
  }
  // The caption is measured on the window, so sizing waits for one to be possible.
  bool IsAutoSizeActive() const override {
    return inherited::IsAutoSizeActive() &&
           (HandleAllocated() || (GetParent() && GetParent()->HandleAllocated()));
  }
  void DoEditKeyDown(Word& Key, TShiftState Shift) override;
  void DoEditKeyPress(Char& Key) override;
  void DoEditKeyUp(Word& Key, TShiftState Shift) override;
  void Initialize() override;
  void InternalSetEditValue(const Variant& AValue, bool AValidateEditValue = false) override;
  void UpdatePressedButton(TcxCustomEditViewInfo* AOldViewInfo) override;
  void PropertiesChanged(TObject* Sender) override;
  void Clear() override { SetChecked(false); }
  TcxCustomEditPropertiesClass GetPropertiesClass() override;
  // A state number (0, 1, 2) to the mapped value.
  void PrepareEditValue(const Variant& ADisplayValue, Variant& AEditValue, bool AEditFocused) override;

 protected:
  void Loaded() override;
  void DoExit() override;
  void WndProc(TMessage& Message) override;
  // Takes the action's Checked (with CheckDefaults only while unchecked); not while loading,
  // nor in the Loaded step when a State was read.
  void ActionChange(TObject* Sender, bool CheckDefaults) override;
  TControlActionLinkClass GetActionLinkClass() const override;
  TcxCustomCheckBoxViewInfo* CheckViewInfo() const {
    return static_cast<TcxCustomCheckBoxViewInfo*>(ViewInfo());
  }

 public:
  // Without an action, written unless unchecked; with one, when grayed or when Checked
  // differs from the action's.
  bool IsStateStored();
  // Checked set from the action: no click, no change notification.
  void SetCheckedQuietly(bool Value);

 private:
  void InvalidateCheck();
  void FireStateChange();

  bool FKeyboardPressed = false;
  bool FLoading = false;
  bool FStateStoredOnLoad = false;
  TcxCheckBoxState FStoredState = TcxCheckBoxState::cbsUnchecked;
  bool FParentBackground = true;
};

// The check box follows its action's Checked while it shows the action's value and is not
// grayed.
class TcxCheckBoxActionLink : public TWinControlActionLink {
  TL_CLASS(TcxCheckBoxActionLink, TWinControlActionLink)
 public:
  using TWinControlActionLink::TWinControlActionLink;
  bool IsCheckedLinked() override;
  void SetChecked(bool Value) override;

 protected:
  TcxCustomCheckBox* CheckBox() const { return static_cast<TcxCustomCheckBox*>(FClient); }
};

class TcxCheckBox : public TcxCustomCheckBox {
  TL_CLASS(TcxCheckBox, TcxCustomCheckBox)
 public:
  using TcxCustomCheckBox::TcxCustomCheckBox;
  TcxCustomEditPropertiesClass GetPropertiesClass() override;
  TcxCheckBoxProperties* GetProperties() const {
    return static_cast<TcxCheckBoxProperties*>(TcxCustomEdit::GetProperties());
  }
  void SetProperties(TcxCheckBoxProperties* Value) { TcxCustomEdit::SetProperties(Value); }
};

// ---- check-state lists ----

// One state per item of an editor that checks several items.
using TcxCheckStates = std::vector<TcxCheckBoxState>;
TL_ENUM(TcxCheckStatesValueFormat, cvfCaptions, cvfIndices, cvfInteger, cvfStatesString);
using TcxCheckStatesToValueEvent =
    TMethod<void(TObject* Sender, const TcxCheckStates& ACheckStates, Variant& AValue)>;
using TcxValueToCheckStatesEvent =
    TMethod<void(TObject* Sender, const Variant& AValue, TcxCheckStates& ACheckStates)>;

// The items whose states a list value holds.
class IcxCheckItems {
 public:
  virtual String GetCaption(Integer Index) = 0;
  virtual Integer GetCount() = 0;

 protected:
  ~IcxCheckItems() = default;
};

// The states as one value of the format: "0"/"1"/"2" per item; the checked items as bits of
// a 64-bit integer; grayed then ";" and checked indexes, or the same groups of captions
// written as length ":" caption.
void cxCheckStatesToValue(const TcxCheckStates& ACheckStates, IcxCheckItems* AItems,
                          TcxCheckStatesValueFormat AFormat, Variant& AValue);
// One state per item read back; Null, an empty text, a value of another type or text that
// does not parse leave every item unchecked.
void cxValueToCheckStates(const Variant& AValue, IcxCheckItems* AItems,
                          TcxCheckStatesValueFormat AFormat, TcxCheckStates& ACheckStates);

// ---- the unit's check metrics ----

// The system check size and mark mask, from the system check-box bitmap; once per process.
void cxInitCheckBoxMetrics();
TSize cxGetCheckBoxMetricsSize();
// Black where the checked cell differs from the unchecked one, white elsewhere.
TBitmap* cxGetCheckMarkMask();

// ---- routines ----

bool cxIsCheckGlyphValid(TBitmap* AGlyph, Integer AGlyphCount);
TSize cxGetEditCheckSize(TcxCanvas& ACanvas, bool ANativeStyle, TBitmap* AGlyph,
                         Integer AGlyphCount);
// The strip image for a state; always inside the strip.
Integer cxGetEditCheckGlyphIndex(TcxCheckBoxState AState, TcxEditCheckState ACheckState,
                                 bool AGrayedSupported, Integer AGlyphCount);
// Visual-style state 1..12 of a check (0 without a visual style).
Integer cxGetCheckThemeState(TcxCheckBoxState AState, TcxCheckBoxNullValueShowingStyle ANullStyle,
                             TcxEditCheckState ACheckState);
UINT cxGetCheckFrameControlFlags(TcxCheckBoxState AState,
                                 TcxCheckBoxNullValueShowingStyle ANullStyle,
                                 TcxEditCheckState ACheckState, TcxEditBorderStyle ABorderStyle);
TColor cxGetFlatCheckInteriorColor(TcxCheckBoxState AState,
                                   TcxCheckBoxNullValueShowingStyle ANullStyle,
                                   TcxEditCheckState ACheckState, bool AIsOffice11);

struct TcxEditCheckDrawParams {
  TRect CheckRect{};
  TcxCheckBoxState State = TcxCheckBoxState::cbsUnchecked;
  TcxCheckBoxNullValueShowingStyle NullStyle = TcxCheckBoxNullValueShowingStyle::nssGrayedChecked;
  bool GrayedSupported = true;
  bool Focused = false;
  bool Designing = false;
  bool DrawBackground = true;
  TColor BackgroundColor = clWindow;
  TColor BorderColor = clBtnShadow;
  bool NativeStyle = false;
  TcxEditBorderStyle BorderStyle = TcxEditBorderStyle::ebsNone;
  Integer GlyphCount = 0;
  TBitmap* Glyph = nullptr;
  TcxEditCheckState CheckState = TcxEditCheckState::ecsNormal;
};
void cxDrawEditCheck(TcxCanvas& ACanvas, const TcxEditCheckDrawParams& AParams);

// The check and the caption laid out in the client rectangle.
void cxCalculateCheckBoxLayout(TcxCustomCheckBoxViewData& AViewData,
                               TcxCustomCheckBoxViewInfo& AViewInfo, const TSize& ACheckSize);
void cxCalculateCheckBoxFocusRect(TcxCustomCheckBoxViewData& AViewData,
                                  TcxCustomCheckBoxViewInfo& AViewInfo, TcxCanvas& ACanvas);
void cxPaintCheckBoxViewInfo(TcxCanvas& ACanvas, TcxCustomCheckBoxViewInfo& AViewInfo);

namespace cxCheckBox {
void Initialize();
void Finalize();
}  // namespace cxCheckBox
