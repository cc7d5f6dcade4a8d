#include "widgets/editcore/cxEditButtons.h"

#include "classlib/core/ScopeGuards.h"
#include "classlib/core/SysUtils.h"
#include "platform/user/User.h"
#include "widgets/editcore/cxEditPaintUtils.h"

namespace {

// The component that finally owns a persistent: the properties' editor or repository item.
TComponent* OwningComponent(TPersistent* P) {
  for (int i = 0; P && i < 16; ++i) {
    if (auto* c = dynamic_cast<TComponent*>(P)) return c;
    P = P->GetOwner();
  }
  return nullptr;
}

// The character a single "&" marks in ACaption, or 0.
Char HotKeyOf(const String& ACaption) {
  for (size_t i = 0; i + 1 < ACaption.size(); ++i) {
    if (ACaption[i] != '&') continue;
    if (ACaption[i + 1] != '&') return ACaption[i + 1];
    ++i;
  }
  return 0;
}

}  // namespace

// ---- button ----

void TcxEditButton::AfterConstruction() {
  inherited::AfterConstruction();
  TCollection* c = Collection();
  if (!c || c->Count() != 1) return;
  TComponent* owner = OwningComponent(c->GetOwner());
  if (owner && owner->InState(TComponentStateItem::csDesigning) && !owner->InState(TComponentStateItem::csLoading))
    FDefault = true;
}

void TcxEditButton::BeforeDestruction() {
  FreeAndNil(FGlyph);
  inherited::BeforeDestruction();
}

void TcxEditButton::Assign(TPersistent* Source) {
  auto* src = dynamic_cast<TcxEditButton*>(Source);
  if (!src) return inherited::Assign(Source);
  if (src == this) return;
  TCollection* c = Collection();
  if (c) c->BeginUpdate();
  TScopeExit endUpdate([c] {
    if (c) c->EndUpdate();
  });
  FCaption = src->FCaption;
  FDisplayCaption = src->FDisplayCaption;
  FDefault = src->FDefault;
  FEnabled = src->FEnabled;
  if (src->HasGlyph())
    GetGlyph()->Assign(src->FGlyph);
  else if (FGlyph)
    FGlyph->Assign(nullptr);
  FKind = src->FKind;
  FLeftAlignment = src->FLeftAlignment;
  FStretchable = src->FStretchable;
  FTextColor = src->FTextColor;
  FVisible = src->FVisible;
  FWidth = src->FWidth;
  Changed(false);
}

TcxEditButtons* TcxEditButton::Buttons() const { return dynamic_cast<TcxEditButtons*>(Collection()); }

void TcxEditButton::SetCaption(const String& Value) {
  if (FCaption == Value) return;
  FCaption = Value;
  FDisplayCaption = cxRemoveHotKeyPrefix(Value);
  Changed(false);
}

void TcxEditButton::SetDefault(bool Value) {
  if (FDefault == Value) return;
  FDefault = Value;
  if (Value)
    if (TCollection* c = Collection())
      for (Integer i = 0; i < c->Count(); ++i)
        if (auto* b = static_cast<TcxEditButton*>(c->Items(i)); b != this) b->FDefault = false;
  Changed(true);
}

void TcxEditButton::SetEnabled(bool Value) {
  if (FEnabled == Value) return;
  FEnabled = Value;
  Changed(false);
}

TBitmap* TcxEditButton::GetGlyph() const {
  if (!FGlyph) {
    FGlyph = New<TBitmap>();
    FGlyph->OnChange = {const_cast<TcxEditButton*>(this), &TcxEditButton::GlyphChanged};
  }
  return FGlyph;
}

void TcxEditButton::SetGlyph(TBitmap* Value) { GetGlyph()->Assign(Value); }

void TcxEditButton::SetKind(TcxEditButtonKind Value) {
  if (FKind == Value) return;
  FKind = Value;
  Changed(false);
}

void TcxEditButton::SetLeftAlignment(bool Value) {
  if (FLeftAlignment == Value) return;
  FLeftAlignment = Value;
  Changed(false);
}

void TcxEditButton::SetStretchable(bool Value) {
  if (FStretchable == Value) return;
  FStretchable = Value;
  Changed(false);
}

void TcxEditButton::SetTextColor(TColor Value) {
  if (FTextColor == Value) return;
  FTextColor = Value;
  Changed(false);
}

void TcxEditButton::SetVisible(bool Value) {
  if (FVisible == Value) return;
  FVisible = Value;
  Changed(false);
}

void TcxEditButton::SetWidth(Integer Value) {
  // A negative width would mean nothing to the layout; refusing it keeps the value changeable.
  if (Value < 0 || FWidth == Value) return;
  FWidth = Value;
  Changed(false);
}

TL_DEFINE_CLASS(TcxEditButton, [](auto& c) {
  using T = TcxEditButton;
  c.Property("Caption", &T::GetCaption, &T::SetCaption);
  c.Property("Default", &T::GetDefault, &T::SetDefault).Default(false);
  c.Property("Enabled", &T::GetEnabled, &T::SetEnabled).Default(true);
  c.Property("Glyph", &T::GetGlyph, &T::SetGlyph).Stored(&T::IsGlyphStored);
  c.Property("Kind", &T::GetKind, &T::SetKind).Default(TcxEditButtonKind::bkDown);
  c.Property("LeftAlignment", &T::GetLeftAlignment, &T::SetLeftAlignment).Default(false);
  c.Property("Stretchable", &T::GetStretchable, &T::SetStretchable).Default(true);
  c.Property("Visible", &T::GetVisible, &T::SetVisible).Default(true);
  c.Property("Width", &T::GetWidth, &T::SetWidth).Default(0);
});

// ---- collection ----

TcxEditButtons::TcxEditButtons(TPersistent* AOwner)
    : TOwnedCollection(AOwner, ClassOf<TcxEditButton, TCollectionItem, TCollection*>()) {}

Integer TcxEditButtons::VisibleCount() const {
  Integer n = 0;
  for (Integer i = 0; i < Count(); ++i)
    if (Items(i)->GetVisible()) ++n;
  return n;
}

TcxEditButton* TcxEditButtons::GetDefaultButton() const {
  for (Integer i = 0; i < Count(); ++i)
    if (Items(i)->GetDefault()) return Items(i);
  return nullptr;
}

Integer TcxEditButtons::IndexOfAccel(Char AChar) const {
  if (AChar == 0) return -1;
  const String key = AnsiUpperCase(String(1, AChar));
  for (Integer i = 0; i < Count(); ++i) {
    TcxEditButton* b = Items(i);
    if (!b->GetVisible()) continue;
    const Char hot = HotKeyOf(b->GetCaption());
    if (hot != 0 && AnsiUpperCase(String(1, hot)) == key) return i;
  }
  return -1;
}

void TcxEditButtons::Update(TCollectionItem*) {
  if (OnChange) OnChange(this);
}

TL_DEFINE_CLASS(TcxEditButtons, [](auto&) {});

// ---- view info ----

void TcxEditButtonViewInfo::Assign(TPersistent* Source) {
  auto* src = dynamic_cast<TcxEditButtonViewInfo*>(Source);
  if (!src) return inherited::Assign(Source);
  Bounds = src->Bounds;
  VisibleBounds = src->VisibleBounds;
  State = src->State;
  ButtonStyle = src->ButtonStyle;
  ButtonIndex = src->ButtonIndex;
  ButtonVisibleIndex = src->ButtonVisibleIndex;
  Data = src->Data;
  BackgroundColor = src->BackgroundColor;
  NativePart = src->NativePart;
  NativeState = src->NativeState;
  BackgroundPartiallyTransparent = src->BackgroundPartiallyTransparent;
}

namespace {

bool SameLook(const TcxEditButtonViewInfo& A, const TcxEditButtonViewInfo* B) {
  return B && A.State == B->State && A.ButtonStyle == B->ButtonStyle && A.ButtonIndex == B->ButtonIndex &&
         A.Data.Transparent == B->Data.Transparent;
}

}  // namespace

TcxRegion* TcxEditButtonViewInfo::GetUpdateRegion(const TcxEditButtonViewInfo* AOld) const {
  if (SameLook(*this, AOld)) return New<TcxRegion>();
  return New<TcxRegion>(Bounds);
}

bool TcxEditButtonViewInfo::Repaint(TWinControl* AControl, const TcxEditButtonViewInfo* AOld,
                                    const TPoint& AOffset) const {
  if (!AControl || !AControl->HandleAllocated()) return false;
  if (SameLook(*this, AOld) && AOld->Bounds == Bounds) return false;
  // A button that moved or shrank leaves its old pixels behind unless they are repainted too.
  TRect area = Bounds;
  if (AOld) UnionRect(&area, &Bounds, &AOld->Bounds);
  OffsetRect(&area, AOffset.X, AOffset.Y);
  InvalidateRect(AControl->GetHandle(), &area, Data.Transparent);
  return true;
}

TL_DEFINE_CLASS(TcxEditButtonViewInfo, [](auto&) {});

// ---- states and clicks ----

TcxEditButtonState cxCalculateEditButtonState(const TcxEditButtonStateInput& AInput) {
  using S = TcxEditButtonState;
  using K = TShiftStateItem;
  if (!AInput.EditEnabled || !AInput.ButtonEnabled) return S::ebsDisabled;
  if (!AInput.MouseOver && !AInput.PressedByViewData) return S::ebsNormal;
  if (AInput.PressedByViewData) return S::ebsPressed;
  const TShiftState buttons = AInput.Shift * TShiftState{K::ssLeft, K::ssRight, K::ssMiddle};
  const bool leftOnly = AInput.Shift == TShiftState{K::ssLeft} || AInput.Shift == TShiftState{K::ssLeft, K::ssDouble};
  if (AInput.MouseDown && leftOnly && AInput.CanBePressed) return S::ebsPressed;
  if (AInput.WasPressed && AInput.Shift.Contains(K::ssLeft)) return S::ebsPressed;
  return buttons.Empty() ? S::ebsSelected : S::ebsNormal;
}

TcxEditButtonRelease cxGetEditButtonRelease(Integer AOldPressedIndex, Integer ANewPressedIndex, Integer ANewHotIndex) {
  if (AOldPressedIndex < 0 || ANewPressedIndex == AOldPressedIndex) return {};
  return {AOldPressedIndex, ANewHotIndex == AOldPressedIndex};
}
