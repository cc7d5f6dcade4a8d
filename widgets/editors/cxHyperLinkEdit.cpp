#include "widgets/editors/cxHyperLinkEdit.h"

#include "classlib/core/Filer.h"
#include "classlib/core/ScopeGuards.h"
#include "classlib/core/SysUtils.h"
#include "classlib/core/Variants.h"
#include "classlib/visual/Cursors.h"
#include "classlib/visual/Forms.h"
#include "platform/kernel/Units.h"
#include "platform/shell/Shell.h"
#include "widgets/editcore/cxEditPaintUtils.h"
#include "widgets/editcore/cxEditRegisteredRepositoryItems.h"

namespace {

// The opener takes the address as one argument, never through a shell, so line breaks and
// other control characters inside it reach it as they are; only a leading "-" would be read
// as an option.
bool IsRefusedAddress(const String& AUrl) { return !AUrl.empty() && AUrl[0] == '-'; }

}  // namespace

// ---- properties ----

TcxCustomHyperLinkEditProperties::TcxCustomHyperLinkEditProperties(TPersistent* AOwner)
    : TcxCustomTextEditProperties(AOwner), FPrefix(DefaultPrefix()) {
  SetAutoSelect(false);
}

String TcxCustomHyperLinkEditProperties::DefaultPrefix() { return "http://"; }

void TcxCustomHyperLinkEditProperties::Assign(TPersistent* Source) {
  auto* s = dynamic_cast<TcxCustomHyperLinkEditProperties*>(Source);
  if (!s) {
    inherited::Assign(Source);
    return;
  }
  auto update = UpdateBracket(this);
  inherited::Assign(Source);
  SetLinkColor(s->FLinkColor);
  FPrefix = s->FPrefix;
  SetSingleClick(s->FSingleClick);
  FStartKey = s->FStartKey;
  FAddPrefixOnValidation = s->FAddPrefixOnValidation;
  OnStartClick = s->OnStartClick;
}

void TcxCustomHyperLinkEditProperties::SetLinkColor(TColor Value) {
  if (FLinkColor == Value) return;
  FLinkColor = Value;
  Changed();
}

void TcxCustomHyperLinkEditProperties::SetSingleClick(bool Value) {
  if (FSingleClick == Value) return;
  FSingleClick = Value;
  Changed();
}

void TcxCustomHyperLinkEditProperties::DefineProperties(TFiler& Filer) {
  inherited::DefineProperties(Filer);
  Filer.DefineProperty(
      "Prefix", [this](TReader& Reader) { FPrefix = Reader.ReadString(); },
      [this](TWriter& Writer) { Writer.WriteString(FPrefix); }, FPrefix != DefaultPrefix());
}

String TcxCustomHyperLinkEditProperties::AddPrefixTo(const String& AText) const {
  const String trimmed = Trim(AText);
  if (FPrefix.empty() || trimmed.empty() || trimmed.compare(0, FPrefix.size(), FPrefix) == 0) return AText;
  return FPrefix + trimmed;
}

TcxContainerStyleClass TcxCustomHyperLinkEditProperties::GetStyleClass() const {
  return cxEditStyleClassOf<TcxHyperLinkStyle>();
}

TcxEditSupportedOperations TcxCustomHyperLinkEditProperties::GetSupportedOperations() const {
  TcxEditSupportedOperations r = inherited::GetSupportedOperations();
  if (FSingleClick) r.Include(TcxEditSupportedOperation::esoAlwaysHotTrack);
  return r;
}

void TcxCustomHyperLinkEditProperties::ValidateDisplayValue(Variant& DisplayValue, String& ErrorText, bool& Error,
                                                            IcxEditPropertiesHost* AEdit) {
  if (FAddPrefixOnValidation) DisplayValue = Variant(AddPrefixTo(VarToStr(DisplayValue)));
  inherited::ValidateDisplayValue(DisplayValue, ErrorText, Error, AEdit);
}

TcxCustomEditViewDataClass TcxCustomHyperLinkEditProperties::GetViewDataClass() const {
  return ClassOf<TcxHyperLinkEditViewData, TcxCustomEditViewData, TcxCustomEditProperties*, TcxCustomEditStyle*,
                 bool>();
}

TcxCustomEditViewInfoClass TcxCustomHyperLinkEditProperties::GetViewInfoClass() const {
  return ClassOf<TcxHyperLinkEditViewInfo, TcxCustomEditViewInfo>();
}

// ---- view ----

void TcxHyperLinkEditViewInfo::Assign(TcxContainerViewInfo* Source) {
  inherited::Assign(Source);
  if (auto* src = dynamic_cast<TcxHyperLinkEditViewInfo*>(Source)) Edit = src->Edit;
}

void TcxHyperLinkEditViewInfo::DrawText(TcxCanvas& ACanvas) {
  auto* p = dynamic_cast<TcxCustomHyperLinkEditProperties*>(Properties);
  if (Edit || !p || Text.empty()) {
    inherited::DrawText(ACanvas);
    return;
  }
  cxSetCanvasFont(ACanvas, Font);
  TFontStyles style = ACanvas.GetFont()->GetStyle();
  style.Include(TFontStyle::fsUnderline);
  ACanvas.GetFont()->SetStyle(style);
  TColor selected = SelTextColor;
  if (selected == clNone || selected == clDefault) selected = clHighlightText;
  ACanvas.GetFont()->SetColor(IsSelected ? selected : p->GetLinkColor());
  cxDrawTextEditText(ACanvas, *this);
}

void TcxHyperLinkEditViewData::Calculate(TcxCanvas& ACanvas, const TRect& ABounds, const TPoint& P,
                                         TcxMouseButton AButton, TShiftState AShift,
                                         TcxCustomEditViewInfo* AViewInfo, bool AIsMouseEvent) {
  inherited::Calculate(ACanvas, ABounds, P, AButton, AShift, AViewInfo, AIsMouseEvent);
  if (auto* vi = dynamic_cast<TcxHyperLinkEditViewInfo*>(AViewInfo)) vi->Edit = Edit;
}

// ---- style ----

TColor TcxHyperLinkStyle::DefaultTextColor() const {
  if (!IsBaseStyle()) return inherited::DefaultTextColor();
  auto* edit = dynamic_cast<TcxCustomEdit*>(GetContainer());
  if (!edit) return clBlue;
  auto* p = dynamic_cast<TcxCustomHyperLinkEditProperties*>(edit->GetActiveProperties());
  return p ? p->GetLinkColor() : clBlue;
}

TFontStyles TcxHyperLinkStyle::DefaultTextStyle() const {
  TFontStyles r = inherited::DefaultTextStyle();
  r.Include(TFontStyle::fsUnderline);
  return r;
}

// ---- the editor ----

bool TcxCustomHyperLinkEdit::DoStartClick() {
  auto* own = dynamic_cast<TcxCustomHyperLinkEditProperties*>(GetOwnProperties());
  TcxCustomHyperLinkEditProperties* active = LinkProperties();
  const bool ownSet = own && own->OnStartClick;
  const bool activeSet = HasRepositoryItem() && active && active != own && active->OnStartClick;
  if (!ownSet && !activeSet) return false;
  if (ownSet) own->OnStartClick(this);
  if (activeSet) active->OnStartClick(this);
  return true;
}

void TcxCustomHyperLinkEdit::StartLink() {
  if (DoStartClick()) return;
  const String text = VarToStr(GetDisplayValue());
  if (Trim(text).empty()) return;
  const String url = LinkProperties()->AddPrefixTo(text);
  if (IsRefusedAddress(url)) {
    HandleValidationError("The link cannot be opened: \"" + url + "\"");
    return;
  }
  ShellExecuteA(nullptr, "OPEN", url.c_str(), nullptr, nullptr, SW_SHOWMAXIMIZED);
}

void TcxCustomHyperLinkEdit::SelectAll() {
  if (IsInplace() && LinkProperties()->GetSingleClick()) return;
  inherited::SelectAll();
}

void TcxCustomHyperLinkEdit::PropertiesChanged(TObject* Sender) {
  TWeakLink alive(this);  // placing the inner edit runs its OnResize, which may free this
  inherited::PropertiesChanged(Sender);
  if (!alive.Alive()) return;
  ContainerStyleChanged(GetStyle());
}

void TcxCustomHyperLinkEdit::DoEditKeyDown(Word& Key, TShiftState Shift) {
  if (Key != 0 && ShortCut(Key, Shift) == LinkProperties()->GetStartKey()) {
    Key = 0;
    StartLink();
    return;
  }
  inherited::DoEditKeyDown(Key, Shift);
}

bool TcxCustomHyperLinkEdit::IsInInnerEdit(Integer X, Integer Y) {
  TcxCustomInnerTextEdit* inner = InnerTextEdit();
  return inner && X >= inner->GetLeft() && Y >= inner->GetTop() && X < inner->GetLeft() + inner->GetWidth() &&
         Y < inner->GetTop() + inner->GetHeight();
}

void TcxCustomHyperLinkEdit::MouseDown(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) {
  // A second click soon after an activation by mouse counts as a double click too.
  const bool twice =
      Button == TMouseButton::mbLeft && (Shift.Contains(TShiftStateItem::ssDouble) || ClickTimerRunning());
  TcxEditLifeGuard guard(this);
  inherited::MouseDown(Button, Shift, X, Y);
  if (!guard.Alive() || !twice || LinkProperties()->GetSingleClick() || !IsInInnerEdit(X, Y)) return;
  StartLink();
}

void TcxCustomHyperLinkEdit::MouseUp(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) {
  TcxEditLifeGuard guard(this);  // OnMouseUp may free the editor
  inherited::MouseUp(Button, Shift, X, Y);
  if (!guard.Alive() || Button != TMouseButton::mbLeft || !LinkProperties()->GetSingleClick() ||
      !IsInInnerEdit(X, Y))
    return;
  if (GetSelLength() == 0) StartLink();
}

void TcxCustomHyperLinkEdit::ShowHandCursor() {
  if (FHandShown) return;
  FSavedCursor = GetCursor();
  FHandShown = true;
  SetCursor(crHandPoint);
  if (TcxCustomInnerTextEdit* inner = InnerTextEdit()) inner->SetCursor(crHandPoint);
}

void TcxCustomHyperLinkEdit::ActivateByMouse(TShiftState Shift, Integer X, Integer Y,
                                             TcxCustomEditData*& AEditData) {
  if (LinkProperties()->GetSingleClick()) {
    ShowHandCursor();
    // The pointer is already over the editor: no mouse-enter will change it.
    Screen->SetCursor(crHandPoint);
  }
  inherited::ActivateByMouse(Shift, X, Y, AEditData);
}

// OnMouseEnter and OnMouseLeave may free the editor.
void TcxCustomHyperLinkEdit::MouseEnter(TControl* AControl) {
  TWeakLink self(this);
  inherited::MouseEnter(AControl);
  if (self.Alive() && LinkProperties()->GetSingleClick()) ShowHandCursor();
}

void TcxCustomHyperLinkEdit::MouseLeave(TControl* AControl) {
  TWeakLink self(this);
  inherited::MouseLeave(AControl);
  if (!self.Alive() || !FHandShown) return;
  FHandShown = false;
  SetCursor(FSavedCursor);
  if (TcxCustomInnerTextEdit* inner = InnerTextEdit()) inner->SetCursor(FSavedCursor);
}

TcxCustomEditPropertiesClass TcxCustomHyperLinkEdit::GetPropertiesClass() {
  return ClassOf<TcxCustomHyperLinkEditProperties, TcxCustomEditProperties, TPersistent*>();
}

TcxCustomEditPropertiesClass TcxHyperLinkEdit::GetPropertiesClass() {
  return ClassOf<TcxHyperLinkEditProperties, TcxCustomEditProperties, TPersistent*>();
}

TcxCustomEditClass TcxCustomHyperLinkEditProperties::GetContainerClass() const {
  return ClassOf<TcxHyperLinkEdit, TcxCustomEdit, TComponent*, bool>();
}

TL_DEFINE_CLASS(TcxCustomHyperLinkEditProperties, [](auto&) {});
TL_DEFINE_CLASS(TcxHyperLinkEditProperties, [](auto& c) {
  using T = TcxHyperLinkEditProperties;
  c.Property("AutoSelect", &T::GetAutoSelect, &T::SetAutoSelect).Default(false);
  c.Property("ImeMode", &T::GetImeMode, &T::SetImeMode).Default(TImeMode::imDontCare);
  c.Property("ImeName", &T::GetImeName, &T::SetImeName);
  c.Property("IncrementalSearch", &T::GetIncrementalSearch, &T::SetIncrementalSearch).Default(true);
  c.Property("LinkColor", &T::GetLinkColor, &T::SetLinkColor).Default(clBlue);
  c.Property("LookupItems", &T::GetLookupItems, &T::SetLookupItems).Stored(&T::IsLookupItemsStored);
  c.Property("LookupItemsSorted", &T::GetLookupItemsSorted, &T::SetLookupItemsSorted).Default(false);
  c.Property("Prefix", &T::GetPrefix, &T::SetPrefix).Stored(&T::IsPrefixStored);
  c.Property("SingleClick", &T::GetSingleClick, &T::SetSingleClick).Default(false);
  c.Property("StartKey", &T::GetStartKey, &T::SetStartKey).Default(TShortCut(scCtrl | VK_RETURN));
});
TL_DEFINE_CLASS(TcxHyperLinkStyle, [](auto&) {});
TL_DEFINE_CLASS(TcxHyperLinkEditViewInfo, [](auto&) {});
TL_DEFINE_CLASS(TcxHyperLinkEditViewData, [](auto&) {});
TL_DEFINE_CLASS(TcxCustomHyperLinkEdit, [](auto&) {});
TL_DEFINE_CLASS(TcxHyperLinkEdit, [](auto& c) {
  using T = TcxHyperLinkEdit;
  c.Property("BeepOnEnter", &T::GetBeepOnEnter, &T::SetBeepOnEnter).Default(true);
  c.Property("Properties", &T::GetLinkProperties);
  c.Property("Style", &T::GetStyle, &T::SetStyle);
  c.Property("Text", &T::GetText, &T::SetValueText);
});

namespace cxHyperLinkEdit {

namespace {
UnitCounter gHyperLink;
}  // namespace

void Initialize() {
  if (!gHyperLink.Enter()) return;
  cxRegisterEditor(TcxHyperLinkEditProperties::StaticClass(),
                   "HyperLink|Represents a text editor with hyperlink functionality",
                   TcxHyperLinkEdit::StaticClass());
}

void Finalize() {
  if (!gHyperLink.Leave()) return;
  cxUnregisterEditor(TcxHyperLinkEditProperties::StaticClass(), TcxHyperLinkEdit::StaticClass());
}

}  // namespace cxHyperLinkEdit
