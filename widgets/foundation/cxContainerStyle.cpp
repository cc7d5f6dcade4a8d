#include "widgets/foundation/cxContainerStyle.h"

#include "classlib/core/ScopeGuards.h"
#include "platform/kernel/Arith.h"
#include "widgets/foundation/cxContainer.h"

#include <algorithm>

namespace {

TcxStyleController* gDefaultStyleController = nullptr;

// Controller chains are refused when cyclic, but a bound keeps a damaged chain from hanging.
constexpr int kMaxChainLength = 256;

const char* const kStyleValueNames[cxContainerStyleValueCount] = {
    "BorderColor", "BorderStyle", "Color",     "Edges",     "Font",
    "HotTrack",    "Shadow",      "TextColor", "TextStyle", "TransparentBorder"};

bool IsSharedIndex(TcxContainerStyleValue Index) {
  return Index == csvEdges || Index == csvFont || Index == csvHotTrack || Index == csvShadow ||
         Index == csvTransparentBorder;
}

}  // namespace

TcxStyleController* GetDefaultStyleController() { return gDefaultStyleController; }
void SetDefaultStyleController(TcxStyleController* Value) { gDefaultStyleController = Value; }

// ---- style ----

TcxContainerStyle::TcxContainerStyle(TPersistent* AOwner, TcxContainerStateItem AState,
                                     TcxContainerStyle* AParentStyle, bool ADirectAccessMode)
    : FOwner(AOwner), FState(AState), FParentStyle(AParentStyle), FDirectAccessMode(ADirectAccessMode) {}

void TcxContainerStyle::AfterConstruction() {
  inherited::AfterConstruction();
  FVisibleFont = New<TFont>();
  if (FDirectAccessMode)
    FAssignedValues = {csvColor, csvFont, csvTextColor, csvTextStyle};
  if (!IsBaseStyle()) return;
  FLookAndFeel = New<TcxLookAndFeel>(this);
  FLookAndFeel->OnChanged = {this, &TcxContainerStyle::LookAndFeelChanged};
  if (FDirectAccessMode) return;
  FFont = New<TFont>();
  FOwnsFont = true;
  FFont->OnChange = {this, &TcxContainerStyle::OwnFontChanged};
  TcxStyleController* def = GetDefaultStyleController();
  if (def && def != FOwner) {
    FStyleController = def;
    def->AddListener(this);
    UpdateFont();
  }
}

void TcxContainerStyle::BeforeDestruction() {
  FDestroying = true;
  if (IsBaseStyle() && FStyleController) {
    FStyleController->RemoveListener(this);
    FStyleController = nullptr;
  }
  if (FOwnsFont) FreeAndNil(FFont);
  FFont = nullptr;
  FreeAndNil(FVisibleFont);
  FreeAndNil(FLookAndFeel);
  inherited::BeforeDestruction();
}

void TcxContainerStyle::LookAndFeelChanged(TcxLookAndFeel*, TcxLookAndFeelValues) { Changed(); }

void TcxContainerStyle::BeginUpdate() { ++FUpdateCount; }

void TcxContainerStyle::EndUpdate() {
  if (FUpdateCount > 0) --FUpdateCount;
  if (FUpdateCount == 0) CheckChanges();
}

void TcxContainerStyle::Changed() {
  FModified = true;
  if (FUpdateCount == 0) CheckChanges();
}

void TcxContainerStyle::CheckChanges() {
  if (!FModified || FUpdateCount != 0) return;
  FModified = false;
  if (!FDestroying && !FDirectAccessMode && OnChanged) OnChanged(this);
}

bool TcxContainerStyle::IsControllerStyle() const {
  return FOwner && FOwner->InheritsFrom(TcxStyleController::StaticClass());
}

TcxStyleController* TcxContainerStyle::GetActiveStyleController() const { return GetBaseStyle()->FStyleController; }

TcxContainerStyle* TcxContainerStyle::ControllerStyle() const {
  TcxStyleController* c = GetActiveStyleController();
  if (!c || c == FOwner) return nullptr;
  return c->GetStyles()->GetStyle(FState);
}

const TcxContainerStyle* TcxContainerStyle::AssigningStyle(TcxContainerStyleValue Index) const {
  const TcxContainerStyle* s = IsSharedIndex(Index) ? GetBaseStyle() : this;
  for (int i = 0; s && i < kMaxChainLength; ++i) {
    if (s->FAssignedValues.Contains(Index)) return s;
    s = s->ControllerStyle();
  }
  return nullptr;
}

TcxContainerStyleValues TcxContainerStyle::GetAssignedValues() const {
  if (!FDirectAccessMode) return FAssignedValues;
  TcxContainerStyleValues all;
  for (Integer i = 0; i < GetStyleValueCount(); ++i) all.Include(i);
  return all;
}

void TcxContainerStyle::SetAssignedValues(TcxContainerStyleValues Value) {
  if (FAssignedValues == Value) return;
  auto update = UpdateBracket(this);
  FAssignedValues = Value;
  if (IsBaseStyle()) UpdateFont();
  Changed();
}

bool TcxContainerStyle::IsValueAssigned(TcxContainerStyleValue Index) const {
  if (Index < 0 || Index >= csvTransparentBorder) return false;
  if (FDirectAccessMode) return true;
  return AssigningStyle(Index) != nullptr;
}

bool TcxContainerStyle::GetStyleValueName(TcxContainerStyleValue Index, String& AName) const {
  if (Index < 0 || Index >= cxContainerStyleValueCount) return false;
  AName = kStyleValueNames[Index];
  return true;
}

TcxContainerStyleValues TcxContainerStyle::GetSharedStyleValues() const {
  return {csvEdges, csvFont, csvHotTrack, csvShadow, csvTransparentBorder};
}

bool TcxContainerStyle::HasBorder() const { return IsBaseStyle() ? true : FParentStyle->HasBorder(); }

// ---- defaults ----

TColor TcxContainerStyle::DefaultBorderColor() const {
  if (IsBaseStyle()) return clWindowFrame;
  if (FState == TcxContainerStateItem::csDisabled) return clBtnShadow;
  return FParentStyle->GetBorderColor();
}

TcxContainerBorderStyle TcxContainerStyle::DefaultBorderStyle() const {
  using B = TcxContainerBorderStyle;
  if (IsBaseStyle()) {
    switch (GetLookAndFeel()->GetKind()) {
      case TcxLookAndFeelKind::lfFlat: return B::cbsFlat;
      case TcxLookAndFeelKind::lfStandard: return B::cbs3D;
      case TcxLookAndFeelKind::lfUltraFlat: return B::cbsUltraFlat;
      case TcxLookAndFeelKind::lfOffice11: return B::cbsOffice11;
    }
    return B::cbsUltraFlat;
  }
  B base = FParentStyle->GetBorderStyle();
  bool raised = (FState == TcxContainerStateItem::csActive || FState == TcxContainerStateItem::csHotTrack) &&
                GetHotTrack();
  if (!raised) return base;
  static const B kRaised[] = {B::cbsFlat, B::cbsThick, B::cbsThick, B::cbs3D, B::cbs3D, B::cbsUltraFlat, B::cbsOffice11};
  return kRaised[static_cast<int>(base)];
}

TcxContainer* TcxContainerStyle::GetContainer() const { return dynamic_cast<TcxContainer*>(FOwner); }

TColor TcxContainerStyle::DefaultColor() const {
  TcxContainer* c = GetContainer();
  const bool parentColored = c && c->DefaultParentColor();
  if (IsBaseStyle()) return parentColored ? clBtnFace : clWindow;
  if (FState == TcxContainerStateItem::csDisabled && !parentColored) return clBtnFace;
  return FParentStyle->GetColor();
}

TColor TcxContainerStyle::DefaultTextColor() const {
  if (!IsBaseStyle()) {
    if (FState == TcxContainerStateItem::csDisabled) return clBtnShadow;
    return FParentStyle->GetTextColor();
  }
  const TFont* f = GetFont();
  return f ? f->GetColor() : clWindowText;
}

TFontStyles TcxContainerStyle::DefaultTextStyle() const {
  if (!IsBaseStyle()) return FParentStyle->GetTextStyle();
  const TFont* f = GetFont();
  return f ? f->GetStyle() : TFontStyles{};
}

// ---- getters ----

TColor TcxContainerStyle::GetBorderColor() const {
  if (FDirectAccessMode) return clDefault;
  const TcxContainerStyle* s = AssigningStyle(csvBorderColor);
  return s ? s->FBorderColor : DefaultBorderColor();
}

TcxContainerBorderStyle TcxContainerStyle::GetBorderStyle() const {
  if (FDirectAccessMode) return FAssignedValues.Contains(csvBorderStyle) ? FBorderStyle : DefaultBorderStyle();
  const TcxContainerStyle* s = AssigningStyle(csvBorderStyle);
  return s ? s->FBorderStyle : DefaultBorderStyle();
}

TColor TcxContainerStyle::GetColorImpl() const {
  if (FDirectAccessMode) return FColor;
  if (IsBaseStyle())
    if (TcxContainer* c = GetContainer(); c && c->GetParentColor() && c->GetParent())
      return c->GetParent()->GetColor();
  const TcxContainerStyle* s = AssigningStyle(csvColor);
  return s ? s->FColor : DefaultColor();
}

TColor TcxContainerStyle::GetVisibleColor() const {
  if (FDirectAccessMode) return FColor;
  if (IsBaseStyle())
    if (TcxContainer* c = GetContainer(); c && c->GetParentColor() && c->GetParent() && !c->IsInplace())
      return c->GetParent()->GetColor();
  const TcxContainerStyle* s = AssigningStyle(csvColor);
  return s ? s->FColor : DefaultColor();
}

TcxBorders TcxContainerStyle::GetEdges() const {
  if (FDirectAccessMode) return {};
  const TcxContainerStyle* s = AssigningStyle(csvEdges);
  return s ? s->FEdges : GetBaseStyle()->DefaultEdges();
}

TFont* TcxContainerStyle::GetFont() const {
  if (FDirectAccessMode) return FFont;
  return GetBaseStyle()->FFont;
}

bool TcxContainerStyle::GetHotTrack() const {
  if (FDirectAccessMode) return FAssignedValues.Contains(csvHotTrack) ? FHotTrack : DefaultHotTrack();
  const TcxContainerStyle* s = AssigningStyle(csvHotTrack);
  return s ? s->FHotTrack : GetBaseStyle()->DefaultHotTrack();
}

bool TcxContainerStyle::GetShadow() const {
  if (FDirectAccessMode) return false;
  const TcxContainerStyle* s = AssigningStyle(csvShadow);
  return s ? s->FShadow : GetBaseStyle()->DefaultShadow();
}

TColor TcxContainerStyle::GetTextColorImpl() const {
  if (FDirectAccessMode) return FTextColor;
  const TcxContainerStyle* s = AssigningStyle(csvTextColor);
  return s ? s->FTextColor : DefaultTextColor();
}

TFontStyles TcxContainerStyle::GetTextStyleImpl() const {
  if (FDirectAccessMode) return FFont ? FFont->GetStyle() : TFontStyles{};
  const TcxContainerStyle* s = AssigningStyle(csvTextStyle);
  return s ? s->FTextStyle : DefaultTextStyle();
}

bool TcxContainerStyle::GetTransparentBorder() const {
  if (FDirectAccessMode) return true;
  const TcxContainerStyle* s = AssigningStyle(csvTransparentBorder);
  return s ? s->FTransparentBorder : GetBaseStyle()->DefaultTransparentBorder();
}

TcxLookAndFeel* TcxContainerStyle::GetLookAndFeel() const { return GetBaseStyle()->FLookAndFeel; }

TcxStyleController* TcxContainerStyle::GetStyleController() const {
  TcxStyleController* c = GetActiveStyleController();
  return c == GetBaseStyle()->GetDefaultStyleController() ? nullptr : c;
}

TFont* TcxContainerStyle::GetVisibleFont() {
  if (const TFont* f = GetFont()) FVisibleFont->Assign(const_cast<TFont*>(f));
  FVisibleFont->SetColor(GetTextColor());
  FVisibleFont->SetStyle(GetTextStyle());
  return FVisibleFont;
}

// ---- setters ----

void TcxContainerStyle::SetBorderColor(TColor Value) {
  if (FAssignedValues.Contains(csvBorderColor) && FBorderColor == Value) return;
  FBorderColor = Value;
  FAssignedValues.Include(csvBorderColor);
  Changed();
}

void TcxContainerStyle::SetBorderStyle(TcxContainerBorderStyle Value) {
  // A byte beyond the enumeration (a damaged description, a raw ordinal) is clamped.
  if (!EnumInfo<TcxContainerBorderStyle>::InRange(Ord(Value))) Value = EnumInfo<TcxContainerBorderStyle>::High();
  if (FAssignedValues.Contains(csvBorderStyle) && FBorderStyle == Value) return;
  FBorderStyle = Value;
  FAssignedValues.Include(csvBorderStyle);
  Changed();
}

void TcxContainerStyle::SetColor(TColor Value) {
  if (FAssignedValues.Contains(csvColor) && FColor == Value) return;
  FColor = Value;
  FAssignedValues.Include(csvColor);
  Changed();
}

void TcxContainerStyle::SetEdges(TcxBorders Value) {
  if (!IsBaseStyle() && !FDirectAccessMode) return FParentStyle->SetEdges(Value);
  Value = Value * cxBordersAll;
  if (FAssignedValues.Contains(csvEdges) && FEdges == Value) return;
  FEdges = Value;
  FAssignedValues.Include(csvEdges);
  Changed();
}

void TcxContainerStyle::SetFont(TFont* Value) {
  if (FDirectAccessMode) {
    FFont = Value;
    return;
  }
  if (!IsBaseStyle()) return FParentStyle->SetFont(Value);
  auto update = UpdateBracket(this);
  if (Value) FFont->Assign(Value);
  FAssignedValues.Include(csvFont);
  Changed();
}

void TcxContainerStyle::SetHotTrack(bool Value) {
  if (!IsBaseStyle() && !FDirectAccessMode) return FParentStyle->SetHotTrack(Value);
  if (FAssignedValues.Contains(csvHotTrack) && FHotTrack == Value) return;
  FHotTrack = Value;
  FAssignedValues.Include(csvHotTrack);
  Changed();
}

void TcxContainerStyle::SetShadow(bool Value) {
  if (!IsBaseStyle() && !FDirectAccessMode) return FParentStyle->SetShadow(Value);
  if (FAssignedValues.Contains(csvShadow) && FShadow == Value) return;
  FShadow = Value;
  FAssignedValues.Include(csvShadow);
  Changed();
}

void TcxContainerStyle::SetTextColor(TColor Value) {
  if (FAssignedValues.Contains(csvTextColor) && GetTextColor() == Value) return;
  FTextColor = Value;
  FAssignedValues.Include(csvTextColor);
  Changed();
}

void TcxContainerStyle::SetTextStyle(TFontStyles Value) {
  if (FAssignedValues.Contains(csvTextStyle) && GetTextStyle() == Value) return;
  FTextStyle = Value;
  FAssignedValues.Include(csvTextStyle);
  Changed();
}

void TcxContainerStyle::SetTransparentBorder(bool Value) {
  if (!IsBaseStyle() && !FDirectAccessMode) return FParentStyle->SetTransparentBorder(Value);
  if (FAssignedValues.Contains(csvTransparentBorder) && FTransparentBorder == Value) return;
  FTransparentBorder = Value;
  FAssignedValues.Include(csvTransparentBorder);
  Changed();
}

void TcxContainerStyle::SetLookAndFeel(TcxLookAndFeel* Value) {
  if (!Value) return;
  auto update = UpdateBracket(this);
  AssignLookAndFeel(Value);
}

void TcxContainerStyle::AssignLookAndFeel(TcxLookAndFeel* Source) {
  // The values are copied; the master stays the controller's look and feel this style follows.
  TcxLookAndFeel* lf = GetLookAndFeel();
  TcxLookAndFeel* master = lf->GetMasterLookAndFeel();
  lf->Assign(Source);
  lf->SetMasterLookAndFeel(master);
}

void TcxContainerStyle::SetStyleController(TcxStyleController* Value) {
  if (!IsBaseStyle()) return FParentStyle->SetStyleController(Value);
  TcxStyleController* target = Value ? Value : GetDefaultStyleController();
  if (target == FStyleController) return;
  // Refuse a controller whose chain comes back to the one that owns this style.
  if (IsControllerStyle()) {
    TcxStyleController* c = target;
    for (int i = 0; c && i < kMaxChainLength; ++i) {
      if (c == FOwner) return;
      TcxStyleController* next = c->Style()->FStyleController;
      if (next == c) break;
      c = next;
    }
    if (target == FOwner) return;
  }
  if (FStyleController) FStyleController->RemoveListener(this);
  FStyleController = target;
  if (FStyleController) FStyleController->AddListener(this);
  ControllerChanged();
}

TcxStyleController* TcxContainerStyle::GetDefaultStyleController() const { return ::GetDefaultStyleController(); }

void TcxContainerStyle::ControllerChanged() {
  auto update = UpdateBracket(this);  // the re-derived font and the controller's change: one notice
  UpdateFont();
  Changed();
}

void TcxContainerStyle::ControllerFreeNotification(TcxStyleController* AController) {
  if (AController && AController == GetActiveStyleController()) SetStyleController(nullptr);
}

void TcxContainerStyle::FontChanged(TObject*) {
  if (FFontRederiving == 0) FAssignedValues.Include(csvFont);
  Changed();
}

void TcxContainerStyle::UpdateFont() {
  if (FDirectAccessMode || !IsBaseStyle() || !FFont || FAssignedValues.Contains(csvFont)) return;
  auto rederiving = PairedCall([this] { ++FFontRederiving; }, [this] { --FFontRederiving; });
  const TcxContainerStyle* s =
      ControllerStyle() ? ControllerStyle()->AssigningStyle(csvFont) : nullptr;
  TcxContainer* c = GetContainer();
  if (s && s->GetFont()) {
    FFont->Assign(s->GetFont());
  } else if (!(c && c->GetParentFont())) {
    Owned<TFont> defaults(New<TFont>());
    FFont->Assign(defaults.get());
  }
}

void TcxContainerStyle::ScaleFont(Integer M, Integer D) {
  if (M <= 0 || D <= 0 || FDirectAccessMode) return;
  TcxContainerStyle* base = GetBaseStyle();
  if (base->FAssignedValues.Contains(csvFont))
    base->FFont->SetSize(MulDiv(base->FFont->GetSize(), M, D));
  else
    ScaleFontByController(M, D);
}

void TcxContainerStyle::ScaleFontByController(Integer M, Integer D) {
  if (TcxStyleController* c = GetActiveStyleController(); c && c != FOwner) c->ScaleFont(M, D);
}

// ---- streaming ----

bool TcxContainerStyle::IsStyleValueStored(TcxContainerStyleValue Index) const {
  if (FDirectAccessMode || !FAssignedValues.Contains(Index)) return false;
  if (const TcxContainer* c = GetContainer(); c && c->GetUnusedStyleValues().Contains(Index)) return false;
  return IsBaseStyle() || !GetSharedStyleValues().Contains(Index);
}

Cardinal TcxContainerStyle::GetStoredAssignedValues() const {
  TcxContainerStyleValues stored;
  for (Integer i = 0; i < GetStyleValueCount(); ++i)
    if (IsStyleValueStored(i)) stored.Include(i);
  return stored.ToInt();
}

void TcxContainerStyle::SetStoredAssignedValues(Cardinal Value) {
  const Integer count = GetStyleValueCount();
  if (count < 32) Value &= (Cardinal(1) << count) - 1;
  SetAssignedValues(TcxContainerStyleValues::FromInt(Value));
}

void TcxContainerStyle::Assign(TPersistent* Source) {
  auto* src = dynamic_cast<TcxContainerStyle*>(Source);
  if (!src) return inherited::Assign(Source);
  if (src == this) return;
  auto update = UpdateBracket(this);
  if (IsBaseStyle()) {
    if (!FDirectAccessMode) SetStyleController(src->GetStyleController());
    AssignLookAndFeel(src->GetLookAndFeel());
  }
  FBorderColor = src->FBorderColor;
  FBorderStyle = src->FBorderStyle;
  FEdges = src->FEdges;
  FHotTrack = src->FHotTrack;
  FShadow = src->FShadow;
  FTransparentBorder = src->FTransparentBorder;
  FColor = src->FColor;
  if (FDirectAccessMode) {
    FFont = src->GetFont();
  } else if (IsBaseStyle() && src->GetFont()) {
    ++FFontRederiving;
    FFont->Assign(src->GetFont());
    if (src->FDirectAccessMode) FFont->SetColor(src->FTextColor);
    --FFontRederiving;
  }
  FTextColor = src->FTextColor;
  FTextStyle = src->FTextStyle;
  FAssignedValues = src->FAssignedValues;
  Changed();
}

void TcxContainerStyle::RestoreDefaults() {
  auto update = UpdateBracket(this);
  FAssignedValues = {};
  if (IsBaseStyle()) {
    GetLookAndFeel()->SetAssignedValues({});
    if (TcxContainer* c = GetContainer()) {
      c->SetParentColor(false);
      c->SetParentFont(true);
      if (c->DefaultParentColor() && !(ControllerStyle() && ControllerStyle()->IsValueAssigned(csvColor)))
        c->SetParentColor(true);
    }
    UpdateFont();
  }
  Changed();
}

TL_DEFINE_CLASS(TcxContainerStyle, [](auto& c) {
  using T = TcxContainerStyle;
  c.Property("AssignedValues", &T::GetStoredAssignedValues, &T::SetStoredAssignedValues).Default(0);
  c.Property("BorderColor", &T::GetBorderColor, &T::SetBorderColor)
      .Idents("TColor")
      .Stored(&T::IsValueStored<csvBorderColor>);
  c.Property("BorderStyle", &T::GetBorderStyle, &T::SetBorderStyle).Stored(&T::IsValueStored<csvBorderStyle>);
  c.Property("Color", &T::GetColor, &T::SetColor).Idents("TColor").Stored(&T::IsValueStored<csvColor>);
  c.Property("Edges", &T::GetEdges, &T::SetEdges).Stored(&T::IsValueStored<csvEdges>);
  c.Property("Font", &T::GetFont, &T::SetFont).Stored(&T::IsValueStored<csvFont>);
  c.Property("HotTrack", &T::GetHotTrack, &T::SetHotTrack).Stored(&T::IsValueStored<csvHotTrack>);
  c.Property("LookAndFeel", &T::GetLookAndFeel, &T::SetLookAndFeel).Stored(&T::IsLookAndFeelStored);
  c.Property("Shadow", &T::GetShadow, &T::SetShadow).Stored(&T::IsValueStored<csvShadow>);
  c.Property("StyleController", &T::GetStyleController, &T::SetStyleController).Stored(&T::IsStyleControllerStored);
  c.Property("TextColor", &T::GetTextColor, &T::SetTextColor).Idents("TColor").Stored(&T::IsValueStored<csvTextColor>);
  c.Property("TextStyle", &T::GetTextStyle, &T::SetTextStyle).Stored(&T::IsValueStored<csvTextStyle>);
  c.Property("TransparentBorder", &T::GetTransparentBorder, &T::SetTransparentBorder)
      .Stored(&T::IsValueStored<csvTransparentBorder>);
});

// ---- styles ----

TcxContainerStyles::TcxContainerStyles(TPersistent* AOwner, TcxContainerStyleClass AStyleClass)
    : FOwner(AOwner), FStyleClass(AStyleClass) {
  if (!FStyleClass) FStyleClass = ClassOf<TcxContainerStyle, TcxContainerStyle, TPersistent*, TcxContainerStateItem,
                                          TcxContainerStyle*, bool>();
  // Only a failed construction frees the styles made so far; finished ones stay to the end.
  try {
    FStyles[0] = FStyleClass.Create(FOwner, TcxContainerStateItem::csNormal, nullptr, false);
    for (int i = 1; i < 4; ++i)
      FStyles[i] = FStyleClass.Create(FOwner, static_cast<TcxContainerStateItem>(i), FStyles[0], false);
  } catch (...) {
    for (int i = 3; i >= 0; --i) FreeAndNil(FStyles[i]);
    throw;
  }
}

void TcxContainerStyles::BeforeDestruction() {
  for (int i = 3; i >= 0; --i) FreeAndNil(FStyles[i]);
  inherited::BeforeDestruction();
}

void TcxContainerStyles::RestoreDefaults() {
  for (TcxContainerStyle* s : FStyles) s->RestoreDefaults();
}

void TcxContainerStyles::SetOnChanged(TNotifyEvent Value) {
  for (TcxContainerStyle* s : FStyles) s->OnChanged = Value;
}

TL_DEFINE_CLASS(TcxContainerStyles, [](auto&) {});

// ---- controller ----

TcxStyleController::TcxStyleController(TComponent* AOwner) : TComponent(AOwner) {}

void TcxStyleController::AfterConstruction() {
  FStyles = GetStylesClass().Create(this, GetStyleClass());
  FStyles->SetOnChanged({this, &TcxStyleController::StylesChanged});
  inherited::AfterConstruction();
}

void TcxStyleController::BeforeDestruction() {
  FDestroying = true;
  if (GetDefaultStyleController() == this) SetDefaultStyleController(nullptr);
  std::vector<TcxContainerStyle*> listeners = FListeners;
  for (TcxContainerStyle* s : listeners) s->ControllerFreeNotification(this);
  FListeners.clear();
  FreeAndNil(FStyles);
  inherited::BeforeDestruction();
}

TcxContainerStyleClass TcxStyleController::GetStyleClass() const {
  return ClassOf<TcxContainerStyle, TcxContainerStyle, TPersistent*, TcxContainerStateItem, TcxContainerStyle*,
                 bool>();
}

TcxContainerStylesClass TcxStyleController::GetStylesClass() const {
  return ClassOf<TcxContainerStyles, TcxContainerStyles, TPersistent*, TcxContainerStyleClass>();
}

void TcxStyleController::AddListener(TcxContainerStyle* AStyle) {
  if (!AStyle || !AStyle->IsBaseStyle()) return;
  if (std::find(FListeners.begin(), FListeners.end(), AStyle) != FListeners.end()) return;
  FListeners.push_back(AStyle);
  if (FStyles) AStyle->GetLookAndFeel()->SetMasterLookAndFeel(Style()->GetLookAndFeel());
}

void TcxStyleController::RemoveListener(TcxContainerStyle* AStyle) {
  if (!AStyle) return;
  if (!FDestroying) FListeners.erase(std::remove(FListeners.begin(), FListeners.end(), AStyle), FListeners.end());
  if (TcxLookAndFeel* lf = AStyle->GetLookAndFeel()) lf->SetMasterLookAndFeel(nullptr);
}

void TcxStyleController::Changed() {
  // Loaded runs Changed once the whole description is in.
  if (FDestroying || InState(TComponentStateItem::csLoading)) return;
  if (OnStyleChanged) OnStyleChanged(this);
  std::vector<TcxContainerStyle*> listeners = FListeners;
  for (TcxContainerStyle* s : listeners)
    if (std::find(FListeners.begin(), FListeners.end(), s) != FListeners.end()) s->ControllerChanged();
}

void TcxStyleController::RestoreStyles() { FStyles->RestoreDefaults(); }

void TcxStyleController::Loaded() {
  inherited::Loaded();
  Changed();
}

void TcxStyleController::ScaleFont(Integer M, Integer D) {
  if (M <= 0 || D <= 0 || M == D) return;
  TcxStyleController* c = this;
  for (int i = 0; c && i < kMaxChainLength; ++i) {
    TcxContainerStyle* s = c->Style();
    if (s->GetAssignedValues().Contains(csvFont)) {
      if (c->FFontScaled) return;
      c->FFontScaled = true;
      TFont* f = s->GetFont();
      f->SetSize(MulDiv(f->GetSize(), M, D));
      return;
    }
    TcxStyleController* next = s->GetActiveStyleController();
    c = next == c ? nullptr : next;
  }
}

TL_DEFINE_CLASS(TcxStyleController, [](auto& c) {
  using T = TcxStyleController;
  c.Property("Style", &T::Style, &T::SetStyle);
  c.Property("StyleDisabled", &T::StyleDisabled, &T::SetStyleDisabled);
  c.Property("StyleFocused", &T::StyleFocused, &T::SetStyleFocused);
  c.Property("StyleHot", &T::StyleHot, &T::SetStyleHot);
  c.Event("OnStyleChanged", &T::OnStyleChanged);
});
