// Editor styles: the container style plus the settings only editors have (the look of
// their buttons, button transparency, the border of their popups, gradient buttons), the
// editors' style controller, the library-wide default one and the component that shows it.
#pragma once

#include "widgets/editcore/cxEditButtons.h"
#include "widgets/foundation/cxContainerStyle.h"

TL_ENUM(TcxEditBorderStyle, ebsNone, ebsSingle, ebsThick, ebsFlat, ebs3D, ebsUltraFlat, ebsOffice11);
TL_ENUM(TcxEditPopupBorderStyle, epbsDefault, epbsSingle, epbsFrame3D, epbsFlat);

inline constexpr TcxContainerStyleValue svButtonStyle = 10;
inline constexpr TcxContainerStyleValue svButtonTransparency = 11;
inline constexpr TcxContainerStyleValue svPopupBorderStyle = 12;
inline constexpr TcxContainerStyleValue svGradientButtons = 13;
inline constexpr Integer cxEditStyleValueCount = 14;
// The values a plain editor leaves unused: those of buttons and popups.
inline constexpr TcxContainerStyleValues cxEditButtonsStyleValues{svButtonStyle, svButtonTransparency,
                                                                  svPopupBorderStyle, svGradientButtons};

class TcxCustomEditStyle : public TcxContainerStyle {
  TL_CLASS(TcxCustomEditStyle, TcxContainerStyle)
 public:
  TcxCustomEditStyle(TPersistent* AOwner, TcxContainerStateItem AState, TcxContainerStyle* AParentStyle = nullptr,
                     bool ADirectAccessMode = false)
      : TcxContainerStyle(AOwner, AState, AParentStyle, ADirectAccessMode) {}
  // The four editor values and the popup flag, then the container's values: one change notice.
  void Assign(TPersistent* Source) override;

  // Own value when assigned, else the controller's style of the same state, else the default.
  TcxEditButtonStyle GetButtonStyle() const;
  void SetButtonStyle(TcxEditButtonStyle Value);
  // The next three are shared: a state style reads them from, and writes them to, its base style.
  TcxEditButtonTransparency GetButtonTransparency() const;
  void SetButtonTransparency(TcxEditButtonTransparency Value);
  bool GetGradientButtons() const;
  void SetGradientButtons(bool Value);
  TcxEditPopupBorderStyle GetPopupBorderStyle() const;
  void SetPopupBorderStyle(TcxEditPopupBorderStyle Value);
  // Kept on the base style; drop-down editors hand it to their popup window.
  bool GetPopupFlag() const;
  void SetPopupFlag(bool Value);
  TcxEditBorderStyle GetEditBorderStyle() const { return TcxEditBorderStyle(Ord(GetBorderStyle())); }
  void SetEditBorderStyle(TcxEditBorderStyle Value) { SetBorderStyle(TcxContainerBorderStyle(Ord(Value))); }

  Integer GetStyleValueCount() const override { return cxEditStyleValueCount; }
  bool GetStyleValueName(TcxContainerStyleValue Index, String& AName) const override;
  // 10..13: assigned on the style or along its controllers' styles of the same state.
  bool IsValueAssigned(TcxContainerStyleValue Index) const override;
  TcxContainerStyleValues GetSharedStyleValues() const override;
  // None in direct-access mode or for an in-place editor's style; else the library-wide one.
  TcxStyleController* GetDefaultStyleController() const override;

  bool IsButtonStyleStored() const { return IsEditValueStored(svButtonStyle); }
  bool IsButtonTransparencyStored() const { return IsEditValueStored(svButtonTransparency); }
  bool IsPopupBorderStyleStored() const { return IsEditValueStored(svPopupBorderStyle); }
  bool IsEditBorderStyleStored() const { return IsStyleValueStored(csvBorderStyle); }

 protected:
  virtual TcxEditButtonStyle DefaultButtonStyle() const;
  virtual TcxEditButtonTransparency DefaultButtonTransparency() const;
  virtual bool DefaultGradientButtons() const;
  virtual TcxEditPopupBorderStyle DefaultPopupBorderStyle() const;

 private:
  // The style whose own value answers for Index (10..13), or nullptr for the default.
  const TcxCustomEditStyle* EditAssigningStyle(TcxContainerStyleValue Index) const;
  bool IsEditValueStored(TcxContainerStyleValue Index) const;
  TcxCustomEditStyle* EditBaseStyle() { return static_cast<TcxCustomEditStyle*>(GetBaseStyle()); }
  const TcxCustomEditStyle* EditBaseStyle() const { return static_cast<const TcxCustomEditStyle*>(GetBaseStyle()); }

  TcxEditButtonStyle FButtonStyle = TcxEditButtonStyle::btsDefault;
  TcxEditButtonTransparency FButtonTransparency = TcxEditButtonTransparency::ebtNone;
  bool FGradientButtons = false;
  TcxEditPopupBorderStyle FPopupBorderStyle = TcxEditPopupBorderStyle::epbsDefault;
  bool FPopupFlag = true;
};

class TcxEditStyle : public TcxCustomEditStyle {
  TL_CLASS(TcxEditStyle, TcxCustomEditStyle)
 public:
  using TcxCustomEditStyle::TcxCustomEditStyle;
};

template <class T>
TcxContainerStyleClass cxEditStyleClassOf() {
  return ClassOf<T, TcxContainerStyle, TPersistent*, TcxContainerStateItem, TcxContainerStyle*, bool>();
}

class TcxEditStyleController : public TcxStyleController {
  TL_CLASS(TcxEditStyleController, TcxStyleController)
 public:
  explicit TcxEditStyleController(TComponent* AOwner) : TcxStyleController(AOwner) {}
  TcxContainerStyleClass GetStyleClass() const override { return cxEditStyleClassOf<TcxEditStyle>(); }
  TcxEditStyle* EditStyle(TcxContainerStateItem AState) const {
    return static_cast<TcxEditStyle*>(GetStyles()->GetStyle(AState));
  }
};

// Shows the library-wide default controller's styles at design time. When the last one
// goes, the library-wide styles return to their defaults.
class TcxDefaultEditStyleController : public TComponent {
  TL_CLASS(TcxDefaultEditStyleController, TComponent)
 public:
  explicit TcxDefaultEditStyleController(TComponent* AOwner);
  void BeforeDestruction() override;

  TcxContainerStyle* GetStyle() const;
  void SetStyle(TcxContainerStyle* Value);
  TcxContainerStyle* GetStyleDisabled() const;
  void SetStyleDisabled(TcxContainerStyle* Value);
  TcxContainerStyle* GetStyleFocused() const;
  void SetStyleFocused(TcxContainerStyle* Value);
  TcxContainerStyle* GetStyleHot() const;
  void SetStyleHot(TcxContainerStyle* Value);
  TNotifyEvent GetOnStyleChanged() const;
  void SetOnStyleChanged(TNotifyEvent Value);

  static Integer InstanceCount();
};

// The library-wide default editor style controller; nullptr outside the unit's start-up.
TcxEditStyleController* DefaultEditStyleController();

namespace cxEditStyles {
// Creates the default controller (ownerless) and publishes it as the container styles'
// default; the last Finalize frees it and clears that reference.
void Initialize();
void Finalize();
}  // namespace cxEditStyles
