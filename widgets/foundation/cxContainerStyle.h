// Container appearance: one style per container state, each value either set on the style or
// resolved through the base style, the style controllers and the look-and-feel defaults.
#pragma once

#include "classlib/core/Classes.h"
#include "classlib/visual/Graphics.h"
#include "widgets/foundation/cxGraphics.h"
#include "widgets/foundation/cxLookAndFeels.h"

#include <vector>

TL_ENUM(TcxContainerStateItem, csNormal, csActive, csDisabled, csHotTrack);
TL_ENUM(TcxContainerBorderStyle, cbsNone, cbsSingle, cbsThick, cbsFlat, cbs3D, cbsUltraFlat, cbsOffice11);

// Index of a style value; descendants add their own from cxcsvCount upward.
using TcxContainerStyleValue = Integer;
inline constexpr TcxContainerStyleValue csvBorderColor = 0;
inline constexpr TcxContainerStyleValue csvBorderStyle = 1;
inline constexpr TcxContainerStyleValue csvColor = 2;
inline constexpr TcxContainerStyleValue csvEdges = 3;
inline constexpr TcxContainerStyleValue csvFont = 4;
inline constexpr TcxContainerStyleValue csvHotTrack = 5;
inline constexpr TcxContainerStyleValue csvShadow = 6;
inline constexpr TcxContainerStyleValue csvTextColor = 7;
inline constexpr TcxContainerStyleValue csvTextStyle = 8;
inline constexpr TcxContainerStyleValue csvTransparentBorder = 9;
inline constexpr Integer cxContainerStyleValueCount = 10;

// A set of style value indexes 0..31.
class TcxContainerStyleValues {
 public:
  constexpr TcxContainerStyleValues() = default;
  constexpr TcxContainerStyleValues(std::initializer_list<TcxContainerStyleValue> l) {
    for (TcxContainerStyleValue v : l) Include(v);
  }
  static constexpr TcxContainerStyleValues FromInt(uint32_t v) {
    TcxContainerStyleValues s;
    s.bits_ = v;
    return s;
  }
  constexpr bool Contains(TcxContainerStyleValue v) const { return v >= 0 && v < 32 && (bits_ >> v) & 1u; }
  constexpr TcxContainerStyleValues& Include(TcxContainerStyleValue v) {
    if (v >= 0 && v < 32) bits_ |= 1u << v;
    return *this;
  }
  constexpr TcxContainerStyleValues& Exclude(TcxContainerStyleValue v) {
    if (v >= 0 && v < 32) bits_ &= ~(1u << v);
    return *this;
  }
  constexpr bool Empty() const { return bits_ == 0; }
  constexpr uint32_t ToInt() const { return bits_; }
  constexpr bool operator==(const TcxContainerStyleValues&) const = default;

 private:
  uint32_t bits_ = 0;
};

class TcxStyleController;
class TcxContainerStyle;
class TcxContainer;

using TcxContainerStyleClass = TMetaClass<TcxContainerStyle, TPersistent*, TcxContainerStateItem, TcxContainerStyle*, bool>;

class TcxContainerStyle : public TPersistent {
  TL_CLASS(TcxContainerStyle, TPersistent)
 public:
  // A style without ParentStyle is a base style; a state style takes what it does not set
  // from its base style. A direct-access style keeps plain values for painting without a control.
  TcxContainerStyle(TPersistent* AOwner, TcxContainerStateItem AState, TcxContainerStyle* AParentStyle = nullptr,
                    bool ADirectAccessMode = false);
  void AfterConstruction() override;
  void BeforeDestruction() override;
  void Assign(TPersistent* Source) override;
  TPersistent* GetOwner() const override { return FOwner; }

  void BeginUpdate();
  void EndUpdate();
  virtual void RestoreDefaults();

  TcxContainerStyleValues GetAssignedValues() const;
  void SetAssignedValues(TcxContainerStyleValues Value);
  TColor GetBorderColor() const;
  void SetBorderColor(TColor Value);
  TcxContainerBorderStyle GetBorderStyle() const;
  void SetBorderStyle(TcxContainerBorderStyle Value);
  TColor GetColor() const { return GetColorImpl(); }
  // The colour the container shows as its own: the parent's only when not in place.
  TColor GetVisibleColor() const;
  void SetColor(TColor Value);
  TcxBorders GetEdges() const;
  void SetEdges(TcxBorders Value);
  TFont* GetFont() const;
  void SetFont(TFont* Value);
  bool GetHotTrack() const;
  void SetHotTrack(bool Value);
  bool GetShadow() const;
  void SetShadow(bool Value);
  TColor GetTextColor() const { return GetTextColorImpl(); }
  void SetTextColor(TColor Value);
  TFontStyles GetTextStyle() const { return GetTextStyleImpl(); }
  void SetTextStyle(TFontStyles Value);
  bool GetTransparentBorder() const;
  void SetTransparentBorder(bool Value);
  TcxLookAndFeel* GetLookAndFeel() const;
  void SetLookAndFeel(TcxLookAndFeel* Value);
  // nullptr when the style follows the default controller.
  TcxStyleController* GetStyleController() const;
  // nullptr means the default controller; a controller whose chain leads back here is refused.
  void SetStyleController(TcxStyleController* Value);

  // The font with the resolved text colour and style, refreshed on each call.
  TFont* GetVisibleFont();
  // A container's ChangeScale: a font assigned on the base style scales by M/D; otherwise the
  // controller chain is asked (ScaleFontByController). Nothing happens unless M and D are positive.
  void ScaleFont(Integer M, Integer D);
  // The first controller along the chain whose style has a font of its own scales that font,
  // once in the controller's life; followers re-derive theirs from it.
  void ScaleFontByController(Integer M, Integer D);
  bool IsBaseStyle() const { return FParentStyle == nullptr; }
  TcxContainerStyle* GetBaseStyle() { return FParentStyle ? FParentStyle : this; }
  const TcxContainerStyle* GetBaseStyle() const { return FParentStyle ? FParentStyle : this; }
  // The controller the base style follows, the default one included.
  TcxStyleController* GetActiveStyleController() const;
  TcxContainerStateItem GetState() const { return FState; }
  // The owner when it is a container.
  TcxContainer* GetContainer() const;
  bool GetDirectAccessMode() const { return FDirectAccessMode; }

  virtual Integer GetStyleValueCount() const { return cxContainerStyleValueCount; }
  virtual bool GetStyleValueName(TcxContainerStyleValue Index, String& AName) const;
  // Assigned on the style or along its controller chain; the transparent border and
  // descendants' values answer false here.
  virtual bool IsValueAssigned(TcxContainerStyleValue Index) const;
  virtual TcxContainerStyleValues GetSharedStyleValues() const;
  virtual bool HasBorder() const;

  virtual void ControllerChanged();
  virtual void ControllerFreeNotification(TcxStyleController* AController);
  // The controller a base style follows when none is set.
  virtual TcxStyleController* GetDefaultStyleController() const;

  // Stored with the style: assigned on the style itself, not among the container's unused values
  // and, for the shared values, only on the base style.
  bool IsStyleValueStored(TcxContainerStyleValue Index) const;
  template <TcxContainerStyleValue Index>
  bool IsValueStored() const {
    return IsStyleValueStored(Index);
  }
  bool IsLookAndFeelStored() const { return IsBaseStyle(); }
  bool IsStyleControllerStored() const { return IsBaseStyle() && GetStyleController() != nullptr; }
  // The AssignedValues property of a stream: the stored values only, so that a value read back
  // is assigned exactly when it was written; bits beyond the style's values are dropped on read.
  Cardinal GetStoredAssignedValues() const;
  void SetStoredAssignedValues(Cardinal Value);

  TNotifyEvent OnChanged;

 protected:
  virtual void Changed();
  virtual TColor DefaultBorderColor() const;
  virtual TcxContainerBorderStyle DefaultBorderStyle() const;
  virtual TColor DefaultColor() const;
  virtual TcxBorders DefaultEdges() const { return cxBordersAll; }
  virtual bool DefaultHotTrack() const { return true; }
  virtual bool DefaultShadow() const { return false; }
  virtual TColor DefaultTextColor() const;
  virtual TFontStyles DefaultTextStyle() const;
  virtual bool DefaultTransparentBorder() const { return true; }
  virtual void FontChanged(TObject* Sender);
  virtual TColor GetColorImpl() const;
  virtual TColor GetTextColorImpl() const;
  virtual TFontStyles GetTextStyleImpl() const;

  // The same-state style of the controller that follows this style's controller link.
  TcxContainerStyle* ControllerStyle() const;
  // The style whose stored value answers for Index: this one or one along the controller
  // chain; nullptr when the default applies.
  const TcxContainerStyle* AssigningStyle(TcxContainerStyleValue Index) const;
  bool IsOwnValueAssigned(TcxContainerStyleValue Index) const { return FAssignedValues.Contains(Index); }
  void IncludeAssigned(TcxContainerStyleValue Index) { FAssignedValues.Include(Index); }
  void UpdateFont();
  bool IsDestroying() const { return FDestroying; }

 private:
  void CheckChanges();
  void OwnFontChanged(TObject* Sender) { FontChanged(Sender); }
  void LookAndFeelChanged(TcxLookAndFeel* Sender, TcxLookAndFeelValues AChangedValues);
  void AssignLookAndFeel(TcxLookAndFeel* Source);
  bool IsControllerStyle() const;

  TPersistent* FOwner;
  TcxContainerStateItem FState;
  TcxContainerStyle* FParentStyle;
  bool FDirectAccessMode;
  bool FDestroying = false;
  bool FModified = false;
  Integer FUpdateCount = 0;
  Integer FFontRederiving = 0;
  TcxContainerStyleValues FAssignedValues;
  TColor FBorderColor = clWindowFrame;
  TcxContainerBorderStyle FBorderStyle = TcxContainerBorderStyle::cbsNone;
  TColor FColor = clWindow;
  TcxBorders FEdges = cxBordersAll;
  bool FHotTrack = true;
  bool FShadow = false;
  TColor FTextColor = clWindowText;
  TFontStyles FTextStyle;
  bool FTransparentBorder = true;
  TFont* FFont = nullptr;
  bool FOwnsFont = false;
  TFont* FVisibleFont = nullptr;
  TcxLookAndFeel* FLookAndFeel = nullptr;
  // nullptr only while no default controller exists.
  TcxStyleController* FStyleController = nullptr;
};

// The four styles of a container, in state order; the normal one is the base of the others.
class TcxContainerStyles : public TObject {
  TL_CLASS(TcxContainerStyles, TObject)
 public:
  TcxContainerStyles(TPersistent* AOwner, TcxContainerStyleClass AStyleClass);
  void BeforeDestruction() override;
  TcxContainerStyle* GetStyle(TcxContainerStateItem AState) const { return FStyles[static_cast<int>(AState)]; }
  TcxContainerStyle* Style() const { return GetStyle(TcxContainerStateItem::csNormal); }
  TcxContainerStyle* StyleFocused() const { return GetStyle(TcxContainerStateItem::csActive); }
  TcxContainerStyle* StyleDisabled() const { return GetStyle(TcxContainerStateItem::csDisabled); }
  TcxContainerStyle* StyleHot() const { return GetStyle(TcxContainerStateItem::csHotTrack); }
  void SetStyle(TcxContainerStateItem AState, TcxContainerStyle* Value) { GetStyle(AState)->Assign(Value); }
  void RestoreDefaults();
  void SetOnChanged(TNotifyEvent Value);

 private:
  TPersistent* FOwner;
  TcxContainerStyleClass FStyleClass;
  TcxContainerStyle* FStyles[4] = {};
};

using TcxContainerStylesClass = TMetaClass<TcxContainerStyles, TPersistent*, TcxContainerStyleClass>;

// Styles that several containers share; containers resolve what they do not set here.
class TcxStyleController : public TComponent {
  TL_CLASS(TcxStyleController, TComponent)
 public:
  explicit TcxStyleController(TComponent* AOwner);
  void AfterConstruction() override;
  void BeforeDestruction() override;

  virtual void AddListener(TcxContainerStyle* AStyle);
  virtual void RemoveListener(TcxContainerStyle* AStyle);
  virtual TcxContainerStyleClass GetStyleClass() const;
  virtual TcxContainerStylesClass GetStylesClass() const;
  void Changed();
  void RestoreStyles();
  bool IsDestroying() const { return FDestroying; }
  Integer ListenerCount() const { return static_cast<Integer>(FListeners.size()); }

  TcxContainerStyles* GetStyles() const { return FStyles; }
  TcxContainerStyle* Style() const { return FStyles->Style(); }
  TcxContainerStyle* StyleFocused() const { return FStyles->StyleFocused(); }
  TcxContainerStyle* StyleDisabled() const { return FStyles->StyleDisabled(); }
  TcxContainerStyle* StyleHot() const { return FStyles->StyleHot(); }
  void SetStyle(TcxContainerStyle* Value) { FStyles->SetStyle(TcxContainerStateItem::csNormal, Value); }
  void SetStyleFocused(TcxContainerStyle* Value) { FStyles->SetStyle(TcxContainerStateItem::csActive, Value); }
  void SetStyleDisabled(TcxContainerStyle* Value) { FStyles->SetStyle(TcxContainerStateItem::csDisabled, Value); }
  void SetStyleHot(TcxContainerStyle* Value) { FStyles->SetStyle(TcxContainerStateItem::csHotTrack, Value); }

  // Scales the font of the first controller along the chain from this one whose style has a
  // font of its own, at most once in that controller's life.
  void ScaleFont(Integer M, Integer D);

  TNotifyEvent OnStyleChanged;

 protected:
  void Loaded() override;

 private:
  void StylesChanged(TObject*) { Changed(); }

  std::vector<TcxContainerStyle*> FListeners;
  TcxContainerStyles* FStyles = nullptr;
  bool FDestroying = false;
  bool FFontScaled = false;
};

// The controller styles follow when none is set; nullptr until the editor framework sets it.
TcxStyleController* GetDefaultStyleController();
void SetDefaultStyleController(TcxStyleController* Value);
