#include "widgets/editcore/cxEditStyles.h"

#include "classlib/core/ScopeGuards.h"
#include "widgets/foundation/cxContainer.h"

namespace {

TcxEditStyleController* gDefaultEditStyleController = nullptr;
Integer gDefaultControllerComponents = 0;
Integer gInitCount = 0;

// Controller chains are refused when cyclic; the bound only guards a damaged one.
constexpr int kMaxChainLength = 256;

const char* const kEditStyleValueNames[] = {"ButtonStyle", "ButtonTransparency", "PopupBorderStyle",
                                            "GradientButtons"};

bool IsEditValue(TcxContainerStyleValue Index) { return Index >= svButtonStyle && Index <= svGradientButtons; }

}  // namespace

TcxEditStyleController* DefaultEditStyleController() { return gDefaultEditStyleController; }

// ---- resolution ----

const TcxCustomEditStyle* TcxCustomEditStyle::EditAssigningStyle(TcxContainerStyleValue Index) const {
  if (GetDirectAccessMode()) return IsOwnValueAssigned(Index) ? this : nullptr;
  // Shared values live on the base style: a focused editor shows what its own base style
  // says before anything a controller says.
  const TcxCustomEditStyle* s = GetSharedStyleValues().Contains(Index) ? EditBaseStyle() : this;
  for (int i = 0; s && i < kMaxChainLength; ++i) {
    if (s->IsOwnValueAssigned(Index)) return s;
    s = dynamic_cast<const TcxCustomEditStyle*>(s->ControllerStyle());
  }
  return nullptr;
}

TcxEditButtonStyle TcxCustomEditStyle::GetButtonStyle() const {
  const TcxCustomEditStyle* s = EditAssigningStyle(svButtonStyle);
  return s ? s->FButtonStyle : DefaultButtonStyle();
}

TcxEditButtonTransparency TcxCustomEditStyle::GetButtonTransparency() const {
  const TcxCustomEditStyle* s = EditAssigningStyle(svButtonTransparency);
  return s ? s->FButtonTransparency : DefaultButtonTransparency();
}

bool TcxCustomEditStyle::GetGradientButtons() const {
  const TcxCustomEditStyle* s = EditAssigningStyle(svGradientButtons);
  return s ? s->FGradientButtons : DefaultGradientButtons();
}

TcxEditPopupBorderStyle TcxCustomEditStyle::GetPopupBorderStyle() const {
  const TcxCustomEditStyle* s = EditAssigningStyle(svPopupBorderStyle);
  return s ? s->FPopupBorderStyle : DefaultPopupBorderStyle();
}

TcxEditButtonStyle TcxCustomEditStyle::DefaultButtonStyle() const {
  return IsBaseStyle() ? TcxEditButtonStyle::btsDefault : EditBaseStyle()->GetButtonStyle();
}

TcxEditButtonTransparency TcxCustomEditStyle::DefaultButtonTransparency() const {
  return IsBaseStyle() ? TcxEditButtonTransparency::ebtNone : EditBaseStyle()->GetButtonTransparency();
}

bool TcxCustomEditStyle::DefaultGradientButtons() const {
  return IsBaseStyle() ? false : EditBaseStyle()->GetGradientButtons();
}

TcxEditPopupBorderStyle TcxCustomEditStyle::DefaultPopupBorderStyle() const {
  return IsBaseStyle() ? TcxEditPopupBorderStyle::epbsDefault : EditBaseStyle()->GetPopupBorderStyle();
}

// ---- writing ----

void TcxCustomEditStyle::SetButtonStyle(TcxEditButtonStyle Value) {
  if (!EnumInfo<TcxEditButtonStyle>::InRange(Ord(Value))) return;
  if (IsOwnValueAssigned(svButtonStyle) && FButtonStyle == Value) return;
  FButtonStyle = Value;
  IncludeAssigned(svButtonStyle);
  Changed();
}

void TcxCustomEditStyle::SetButtonTransparency(TcxEditButtonTransparency Value) {
  if (!IsBaseStyle() && !GetDirectAccessMode()) return EditBaseStyle()->SetButtonTransparency(Value);
  if (!EnumInfo<TcxEditButtonTransparency>::InRange(Ord(Value))) return;
  if (IsOwnValueAssigned(svButtonTransparency) && FButtonTransparency == Value) return;
  FButtonTransparency = Value;
  IncludeAssigned(svButtonTransparency);
  Changed();
}

void TcxCustomEditStyle::SetGradientButtons(bool Value) {
  if (!IsBaseStyle() && !GetDirectAccessMode()) return EditBaseStyle()->SetGradientButtons(Value);
  if (IsOwnValueAssigned(svGradientButtons) && FGradientButtons == Value) return;
  FGradientButtons = Value;
  IncludeAssigned(svGradientButtons);
  Changed();
}

void TcxCustomEditStyle::SetPopupBorderStyle(TcxEditPopupBorderStyle Value) {
  if (!IsBaseStyle() && !GetDirectAccessMode()) return EditBaseStyle()->SetPopupBorderStyle(Value);
  if (!EnumInfo<TcxEditPopupBorderStyle>::InRange(Ord(Value))) return;
  if (IsOwnValueAssigned(svPopupBorderStyle) && FPopupBorderStyle == Value) return;
  FPopupBorderStyle = Value;
  IncludeAssigned(svPopupBorderStyle);
  Changed();
}

bool TcxCustomEditStyle::GetPopupFlag() const { return EditBaseStyle()->FPopupFlag; }

void TcxCustomEditStyle::SetPopupFlag(bool Value) {
  TcxCustomEditStyle* base = EditBaseStyle();
  if (base->FPopupFlag == Value) return;
  base->FPopupFlag = Value;
  base->Changed();
}

// ---- values ----

bool TcxCustomEditStyle::GetStyleValueName(TcxContainerStyleValue Index, String& AName) const {
  if (!IsEditValue(Index)) return inherited::GetStyleValueName(Index, AName);
  AName = kEditStyleValueNames[Index - svButtonStyle];
  return true;
}

bool TcxCustomEditStyle::IsValueAssigned(TcxContainerStyleValue Index) const {
  if (!IsEditValue(Index)) return inherited::IsValueAssigned(Index);
  return EditAssigningStyle(Index) != nullptr;
}

TcxContainerStyleValues TcxCustomEditStyle::GetSharedStyleValues() const {
  TcxContainerStyleValues v = inherited::GetSharedStyleValues();
  v.Include(svButtonTransparency).Include(svPopupBorderStyle).Include(svGradientButtons);
  return v;
}

TcxStyleController* TcxCustomEditStyle::GetDefaultStyleController() const {
  if (GetDirectAccessMode()) return nullptr;
  if (const TcxContainer* c = GetContainer(); c && c->IsInplace()) return nullptr;
  return gDefaultEditStyleController;
}

bool TcxCustomEditStyle::IsEditValueStored(TcxContainerStyleValue Index) const { return IsStyleValueStored(Index); }

void TcxCustomEditStyle::Assign(TPersistent* Source) {
  auto* src = dynamic_cast<TcxCustomEditStyle*>(Source);
  if (!src) return inherited::Assign(Source);
  if (src == this) return;
  auto update = UpdateBracket(this);
  FButtonStyle = src->FButtonStyle;
  FButtonTransparency = src->FButtonTransparency;
  FGradientButtons = src->FGradientButtons;
  FPopupBorderStyle = src->FPopupBorderStyle;
  FPopupFlag = src->FPopupFlag;
  inherited::Assign(Source);
  Changed();
}

TL_DEFINE_CLASS(TcxCustomEditStyle, [](auto& c) {
  using T = TcxCustomEditStyle;
  // The container's BorderStyle under the editors' own enumeration, one to one.
  c.Property("BorderStyle", &T::GetEditBorderStyle, &T::SetEditBorderStyle).Stored(&T::IsEditBorderStyleStored);
  c.Property("ButtonStyle", &T::GetButtonStyle, &T::SetButtonStyle).Stored(&T::IsButtonStyleStored);
  c.Property("ButtonTransparency", &T::GetButtonTransparency, &T::SetButtonTransparency)
      .Stored(&T::IsButtonTransparencyStored);
  c.Property("PopupBorderStyle", &T::GetPopupBorderStyle, &T::SetPopupBorderStyle)
      .Stored(&T::IsPopupBorderStyleStored);
});

TL_DEFINE_CLASS(TcxEditStyle, [](auto&) {});

TL_DEFINE_CLASS(TcxEditStyleController, [](auto&) {});

// ---- default controller component ----

TcxDefaultEditStyleController::TcxDefaultEditStyleController(TComponent* AOwner) : TComponent(AOwner) {
  ++gDefaultControllerComponents;
}

void TcxDefaultEditStyleController::BeforeDestruction() {
  if (gDefaultControllerComponents > 0 && --gDefaultControllerComponents == 0 && gDefaultEditStyleController) {
    gDefaultEditStyleController->RestoreStyles();
    gDefaultEditStyleController->OnStyleChanged = nullptr;
  }
  inherited::BeforeDestruction();
}

Integer TcxDefaultEditStyleController::InstanceCount() { return gDefaultControllerComponents; }

namespace {
TcxContainerStyle* DefaultStyle(TcxContainerStateItem AState) {
  return gDefaultEditStyleController ? gDefaultEditStyleController->GetStyles()->GetStyle(AState) : nullptr;
}
void SetDefaultStyle(TcxContainerStateItem AState, TcxContainerStyle* Value) {
  if (gDefaultEditStyleController && Value) gDefaultEditStyleController->GetStyles()->SetStyle(AState, Value);
}
}  // namespace

TcxContainerStyle* TcxDefaultEditStyleController::GetStyle() const { return DefaultStyle(TcxContainerStateItem::csNormal); }
void TcxDefaultEditStyleController::SetStyle(TcxContainerStyle* Value) { SetDefaultStyle(TcxContainerStateItem::csNormal, Value); }
TcxContainerStyle* TcxDefaultEditStyleController::GetStyleDisabled() const {
  return DefaultStyle(TcxContainerStateItem::csDisabled);
}
void TcxDefaultEditStyleController::SetStyleDisabled(TcxContainerStyle* Value) {
  SetDefaultStyle(TcxContainerStateItem::csDisabled, Value);
}
TcxContainerStyle* TcxDefaultEditStyleController::GetStyleFocused() const {
  return DefaultStyle(TcxContainerStateItem::csActive);
}
void TcxDefaultEditStyleController::SetStyleFocused(TcxContainerStyle* Value) {
  SetDefaultStyle(TcxContainerStateItem::csActive, Value);
}
TcxContainerStyle* TcxDefaultEditStyleController::GetStyleHot() const {
  return DefaultStyle(TcxContainerStateItem::csHotTrack);
}
void TcxDefaultEditStyleController::SetStyleHot(TcxContainerStyle* Value) {
  SetDefaultStyle(TcxContainerStateItem::csHotTrack, Value);
}
TNotifyEvent TcxDefaultEditStyleController::GetOnStyleChanged() const {
  return gDefaultEditStyleController ? gDefaultEditStyleController->OnStyleChanged : TNotifyEvent();
}
void TcxDefaultEditStyleController::SetOnStyleChanged(TNotifyEvent Value) {
  if (gDefaultEditStyleController) gDefaultEditStyleController->OnStyleChanged = Value;
}

TL_DEFINE_CLASS(TcxDefaultEditStyleController, [](auto& c) {
  using T = TcxDefaultEditStyleController;
  c.Property("Style", &T::GetStyle, &T::SetStyle);
  c.Property("StyleDisabled", &T::GetStyleDisabled, &T::SetStyleDisabled);
  c.Property("StyleFocused", &T::GetStyleFocused, &T::SetStyleFocused);
  c.Property("StyleHot", &T::GetStyleHot, &T::SetStyleHot);
  c.Property("OnStyleChanged", &T::GetOnStyleChanged, &T::SetOnStyleChanged);
});

namespace cxEditStyles {

void Initialize() {
  if (gInitCount++ > 0) return;
  gDefaultEditStyleController = New<TcxEditStyleController>(nullptr);
  SetDefaultStyleController(gDefaultEditStyleController);
}

void Finalize() {
  if (gInitCount == 0 || --gInitCount > 0) return;
  TcxEditStyleController* c = gDefaultEditStyleController;
  gDefaultEditStyleController = nullptr;
  if (GetDefaultStyleController() == c) SetDefaultStyleController(nullptr);
  if (c) c->Free();
}

}  // namespace cxEditStyles
