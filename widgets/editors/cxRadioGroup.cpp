#include "widgets/editors/cxRadioGroup.h"

#include "classlib/core/ScopeGuards.h"
#include "classlib/core/SysUtils.h"
#include "classlib/core/Variants.h"
#include "widgets/foundation/cxVariants.h"

#include <algorithm>

#include "classlib/visual/Messages.h"
#include "platform/gdi/Gdi.h"
#include "platform/kernel/Units.h"
#include "platform/theme/UxTheme.h"
#include "platform/user/Controls.h"
#include "platform/user/User.h"
#include "widgets/editcore/cxEditPaintUtils.h"
#include "widgets/editors/cxOwnerDrawButton.h"
#include "widgets/foundation/cxContainer.h"
#include "widgets/foundation/cxControlBase.h"
#include "widgets/foundation/cxLookAndFeelPainters.h"
#include "widgets/foundation/dxThemeManager.h"
#include "widgets/foundation/dxUxTheme.h"

using RS = TcxRadioButtonState;
using BS = TcxButtonState;

namespace {

constexpr int kRadioPart = 2;

// Theme states: unchecked normal, hot, pressed, disabled are 1..4; checked ones 5..8.
int ThemeState(RS AState, bool AChecked) {
  int s = 1;
  switch (AState) {
    case RS::rbsNormal: s = 1; break;
    case RS::rbsHot: s = 2; break;
    case RS::rbsPressed: s = 3; break;
    case RS::rbsDisabled: s = 4; break;
  }
  return AChecked ? s + 4 : s;
}

BS PainterState(RS AState) {
  switch (AState) {
    case RS::rbsDisabled: return BS::cxbsDisabled;
    case RS::rbsHot: return BS::cxbsHot;
    case RS::rbsPressed: return BS::cxbsPressed;
    case RS::rbsNormal: break;
  }
  return BS::cxbsNormal;
}

// Text margins beside the glyph (left, top, right, bottom): [native][word wrap][glyph left].
constexpr TRect kStandingMargins[2][2][2] = {
    {{{2, -1, 1, 0}, {5, -1, 0, 0}}, {{2, -1, 6, 0}, {5, -1, 2, 0}}},
    {{{0, -1, 1, 0}, {3, -1, 0, 0}}, {{0, -1, 3, 0}, {3, -1, 0, 0}}},
};

bool Inside(const TRect& R, const TPoint& P) {
  return P.X >= R.Left && P.X < R.Right && P.Y >= R.Top && P.Y < R.Bottom;
}

}  // namespace

// ---- Construction ---------------------------------------------------------------------------

TcxRadioButton::TcxRadioButton(TComponent* AOwner) : TRadioButton(AOwner) {
  FControlStyle.Include(TControlStyleItem::csDoubleClicks);
  FCanvas = New<TControlCanvas>();
  static_cast<TControlCanvas*>(FCanvas)->SetControl(this);
  FcxCanvas = New<TcxCanvas>(FCanvas);
  FLookAndFeel = New<TcxLookAndFeel>(this);
  FLookAndFeel->OnChanged = TcxLookAndFeelChangedEvent(this, &TcxRadioButton::LookAndFeelChanged);
}

TcxRadioButton::~TcxRadioButton() {
  FLookAndFeel->Free();
  FcxCanvas->Free();
  FCanvas->Free();
}

void TcxRadioButton::BeforeDestruction() {
  cxEndMouseTracking(this);
  FLookAndFeel->OnChanged = TcxLookAndFeelChangedEvent();
  inherited::BeforeDestruction();
}

void TcxRadioButton::LookAndFeelChanged(TcxLookAndFeel*, TcxLookAndFeelValues) { Invalidate(); }

void TcxRadioButton::SetPopupMenu(TComponent* Value) {
  cxSetPopupMenuLink(this, FPopupMenu, Value);
}

void TcxRadioButton::Notification(TComponent* AComponent, TOperation Operation) {
  inherited::Notification(AComponent, Operation);
  if (Operation == TOperation::opRemove && AComponent == FPopupMenu) FPopupMenu = nullptr;
}

void TcxRadioButton::SetParentBackground(bool Value) {
  if (FParentBackground == Value) return;
  FParentBackground = Value;
  Invalidate();
}

void TcxRadioButton::SetTransparent(bool Value) {
  if (FTransparent == Value) return;
  FTransparent = Value;
  Invalidate();
}

void TcxRadioButton::SetWordWrap(bool Value) {
  if (FWordWrap == Value) return;
  FWordWrap = Value;
  Invalidate();
}

bool TcxRadioButton::DoShowPopupMenu(TComponent* AMenu, Integer X, Integer Y) {
  return cxShowPopupMenu(this, AMenu, X, Y);
}

// ---- Window ---------------------------------------------------------------------------------

void TcxRadioButton::CreateParams(TCreateParams& Params) {
  inherited::CreateParams(Params);
  Params.Style = (Params.Style & ~DWORD(BS_TYPEMASK)) | BS_OWNERDRAW;
}

void TcxRadioButton::CreateWnd() {
  inherited::CreateWnd();
  UpdateStateFromCursor();
}

// The check is the button's own: the set-checked step runs without its click, which follows
// here once (and not while the button is read from a stream).
void TcxRadioButton::Activate() {
  if (GetChecked()) return;
  const bool savedActivating = FActivating, savedClicks = ClicksDisabled();
  FActivating = true;
  SetClicksDisabled(true);
  TWeakLink self(this);  // checking runs the group's change handlers, which may free it
  {
    TWatchedScopeExit restore(this, [this, savedActivating, savedClicks] {
      FActivating = savedActivating;
      SetClicksDisabled(savedClicks);
    });
    SetCheckedState(true);
  }
  if (!self.Alive()) return;
  if (!InState(TComponentStateItem::csLoading)) Click();
}

void TcxRadioButton::BMSetCheck(TMessage& Message) {
  TL_INHERITED(Message);
  if (HandleAllocated()) {
    TRect r = FGlyphRect;
    InflateRect(&r, 1, 1);
    InvalidateRect(Handle(), &r, FALSE);
  }
}

void TcxRadioButton::WMWindowPosChanged(TMessage& Message) {
  TL_INHERITED(Message);
  if (FTransparent || FParentBackground) Invalidate();
}

void TcxRadioButton::WMEraseBkgnd(TMessage& Message) { Message.Result = 1; }

void TcxRadioButton::CNMeasureItem(TMessage& Message) {
  cxOwnerMeasureItem(this, Message);
}

// ---- Visual state ---------------------------------------------------------------------------

void TcxRadioButton::SetVisualState(RS Value) {
  if (FState == Value) return;
  FState = Value;
  if (HandleAllocated()) {
    TRect r = GetClientRect();
    InflateRect(&r, 1, 1);
    InvalidateRect(Handle(), &r, FALSE);
  }
}

void TcxRadioButton::UpdateState(const TPoint& P, bool AButtonHeld) {
  if (!GetEnabled()) return SetVisualState(RS::rbsDisabled);
  if (InState(TComponentStateItem::csDesigning)) return SetVisualState(RS::rbsNormal);
  const bool inside = Inside(GetClientRect(), P);
  if (HandleAllocated() && GetCapture() == Handle()) return SetVisualState(inside ? RS::rbsPressed : RS::rbsHot);
  if (inside) return SetVisualState(AButtonHeld ? RS::rbsNormal : RS::rbsHot);
  SetVisualState(RS::rbsNormal);
}

void TcxRadioButton::UpdateStateFromCursor() {
  const TPoint p = HandleAllocated() ? ScreenToClient(cxGetCursorPos()) : TPoint{-1, -1};
  const bool held = GetKeyState(VK_LBUTTON) < 0 || GetKeyState(VK_RBUTTON) < 0 || GetKeyState(VK_MBUTTON) < 0;
  UpdateState(HandleAllocated() && WindowFromPoint(cxGetCursorPos()) == Handle() ? p : TPoint{-1, -1}, held);
}

void TcxRadioButton::WMMouse(TMessage& Message) {
  TWeakLink self(this);  // the mouse handlers and the click may free the button
  TL_INHERITED(Message);
  if (!self.Alive() || !HandleAllocated()) return;
  const TPoint p{SHORT(LOWORD(Message.LParam)), SHORT(HIWORD(Message.LParam))};
  const bool held = (Message.WParam & (MK_LBUTTON | MK_RBUTTON | MK_MBUTTON)) != 0;
  UpdateState(p, held);
}

// The parent (a radio group's button: the group) hears of the mouse first, and its handlers
// may free the button with it.
void TcxRadioButton::CMMouseEnter(TMessage& Message) {
  TWeakLink self(this);
  TL_INHERITED(Message);
  if (!self.Alive()) return;
  cxBeginMouseTracking(this, GetClientRect(), this);
  UpdateStateFromCursor();
}

void TcxRadioButton::CMMouseLeave(TMessage& Message) {
  TWeakLink self(this);
  TL_INHERITED(Message);
  if (self.Alive()) MouseLeave();
}

void TcxRadioButton::MouseLeave() {
  cxEndMouseTracking(this);
  SetVisualState(GetEnabled() ? RS::rbsNormal : RS::rbsDisabled);
}

void TcxRadioButton::CMEnabledChanged(TMessage& Message) {
  TL_INHERITED(Message);
  UpdateStateFromCursor();
  Invalidate();
}

void TcxRadioButton::WMCaptureChanged(TMessage& Message) {
  TL_INHERITED(Message);
  UpdateStateFromCursor();
}

// ---- Menus and keys -------------------------------------------------------------------------

void TcxRadioButton::CNKeyDown(TMessage& Message) {
  if (FPopupMenu && cxPopupMenuIsShortCut(FPopupMenu, Message)) {
    Message.Result = 1;
    return;
  }
  TL_INHERITED(Message);
}

void TcxRadioButton::WMContextMenu(TMessage& Message) {
  bool asked = false;
  if (OnContextPopup && Message.Result == 0 && !InState(TComponentStateItem::csDesigning)) {
    TPoint p{-1, -1};
    const bool inside = Message.LParam == LPARAM(-1) || [&] {
      p = ScreenToClient(TPoint{GET_X_LPARAM(Message.LParam), GET_Y_LPARAM(Message.LParam)});
      const TRect r = GetClientRect();
      return p.X >= r.Left && p.X < r.Right && p.Y >= r.Top && p.Y < r.Bottom;
    }();
    if (inside) {
      bool handled = false;
      TWeakLink self(this);  // the handler may free the button, or what holds it
      OnContextPopup(this, p, handled);
      if (!self.Alive()) return;
      if (handled) {
        Message.Result = 1;
        return;
      }
      asked = true;
    }
  }
  const auto show = [this](TComponent* AMenu, Integer X, Integer Y) { return DoShowPopupMenu(AMenu, X, Y); };
  if (cxOwnerContextMenu(this, FPopupMenu, Message, show)) return;
  // The parent's default handling must not ask the same handler a second time.
  TWatchedValue<bool> passing(this, FPassingOnContextPopup, asked);
  TL_INHERITED(Message);
}

// ---- Painting -------------------------------------------------------------------------------

bool TcxRadioButton::IsNativeStyle() const {
  return FLookAndFeel->GetNativeStyle() && cxIsNativeThemeUsable(true, TdxThemedObjectType::totButton);
}

void TcxRadioButton::PaintTo(TcxCanvas& ACanvas, bool AFocused) {
  const TRect client = GetClientRect();
  const bool native = IsNativeStyle();
  if (FTransparent) {
    cxPaintParentBackground(this, ACanvas.GetHandle(), client);
  } else if (native && FParentBackground && HandleAllocated()) {
    cxDrawThemeParentBackground(Handle(), ACanvas.GetHandle(), &client);
  } else {
    ACanvas.SetBrushColor(GetColor());
    ACanvas.FillRect(client);
  }
  HTHEME theme = native ? cxOpenTheme(TdxThemedObjectType::totButton) : nullptr;
  const TcxCustomLookAndFeelPainter* painter = FLookAndFeel->GetPainter();
  TSize glyph{0, 0};
  if (theme) {
    cxGetThemePartSizeNoRect(theme, ACanvas.GetHandle(), kRadioPart, 1, TS_TRUE, glyph);
  } else {
    const TPoint size = painter->RadioButtonSize();
    glyph = {size.X, size.Y};
  }
  const bool glyphLeft = GetAlignment() != TAlignment::taLeftJustify;
  const Integer x = glyphLeft ? (!native && !IsInplace() ? 1 : 0) : client.Right - glyph.cx;
  FGlyphRect = Bounds(x, (client.Height() - glyph.cy) / 2, glyph.cx, glyph.cy);
  if (theme) {
    cxDrawThemeBackground(theme, ACanvas.GetHandle(), kRadioPart, ThemeState(FState, GetChecked()), FGlyphRect);
  } else {
    painter->DrawRadioButton(ACanvas, FGlyphRect.Left, FGlyphRect.Top, PainterState(FState), GetChecked(), false,
                             FTransparent ? clDefault : GetColor(), InState(TComponentStateItem::csDesigning));
  }
  ACanvas.ExcludeClipRect(FGlyphRect);

  ACanvas.SetFont(GetFont());
  if (!GetEnabled() && !IsInplace()) ACanvas.GetFont()->SetColor(clBtnShadow);
  TRect text = client;
  if (glyphLeft) text.Left = FGlyphRect.Right;
  else text.Right = FGlyphRect.Left;
  const TRect margins = IsInplace() ? (native ? TRect{3, 0, 0, 0} : TRect{5, 0, 1, 0})
                                    : kStandingMargins[native ? 1 : 0][FWordWrap ? 1 : 0][glyphLeft ? 1 : 0];
  cxDeflateRectByRect(text, margins);
  const Integer flags =
      (FWordWrap ? cxWordBreak : cxSingleLine) | cxAlignLeft | cxAlignVCenter | cxShowPrefix;
  ACanvas.GetBrush()->SetStyle(TBrushStyle::bsClear);
  ACanvas.DrawText(GetCaption(), text, flags, GetEnabled() || native || IsInplace());
  ACanvas.GetBrush()->SetStyle(TBrushStyle::bsSolid);
  if (AFocused) {
    TRect focus = text;
    ACanvas.TextExtentInRect(GetCaption(), focus, flags);
    InflateRect(&focus, 1, 1);
    IntersectRect(&focus, &focus, &client);
    ACanvas.DrawFocusRect(focus);
  }
}

void TcxRadioButton::CNDrawItem(TMessage& Message) {
  cxOwnerDrawItem(this, FCanvas, Message, [this](UINT AItemState) { PaintTo(*FcxCanvas, (AItemState & ODS_FOCUS) != 0); });
}

TL_MESSAGES(TcxRadioButton,
            TL_ON(CN_DRAWITEM, CNDrawItem),
            TL_ON(CN_MEASUREITEM, CNMeasureItem),
            TL_ON(CN_KEYDOWN, CNKeyDown),
            TL_ON(BM_SETCHECK, BMSetCheck),
            TL_ON(CM_MOUSEENTER, CMMouseEnter),
            TL_ON(CM_MOUSELEAVE, CMMouseLeave),
            TL_ON(CM_ENABLEDCHANGED, CMEnabledChanged),
            TL_ON(WM_CAPTURECHANGED, WMCaptureChanged),
            TL_ON(WM_CONTEXTMENU, WMContextMenu),
            TL_ON(WM_ERASEBKGND, WMEraseBkgnd),
            TL_ON(WM_LBUTTONDOWN, WMMouse),
            TL_ON(WM_LBUTTONDBLCLK, WMMouse),
            TL_ON(WM_LBUTTONUP, WMMouse),
            TL_ON(WM_MOUSEMOVE, WMMouse),
            TL_ON(WM_WINDOWPOSCHANGED, WMWindowPosChanged))

TL_DEFINE_CLASS(TcxRadioButton, [](auto& c) {
  using T = TcxRadioButton;
  c.Property("LookAndFeel", &T::GetLookAndFeel, &T::SetLookAndFeel);
  c.Property("ParentBackground", &T::GetParentBackground, &T::SetParentBackground).Default(true);
  c.Property("PopupMenu", &T::GetPopupMenu, &T::SetPopupMenu);
  c.Property("Transparent", &T::GetTransparent, &T::SetTransparent).Default(false);
  c.Property("WordWrap", &T::GetWordWrap, &T::SetWordWrap).Default(false);
})

// ---- Radio group ------------------------------------------------------------------------------

const TResStringRec scxSEditRepositoryRadioGroupItem = {65345, "RadioGroup|Represents a group of radio buttons"};
const TResStringRec cxSRadioGroupDefaultCaption = {65346, ""};

namespace {

// Values that cannot be compared (arrays, text against numbers) stand for no item.
bool SameItemValue(const Variant& A, const Variant& B) {
  if (VarIsArray(A) || VarIsArray(B)) return false;
  try {
    return A == B;
  } catch (const EVariantError&) {
    return false;
  }
}

bool SameStoredValue(const Variant& A, const Variant& B) {
  if (VarIsNull(A) || VarIsNull(B)) return VarIsNull(A) == VarIsNull(B);
  return SameItemValue(A, B) && VarToStr(A) == VarToStr(B);
}

}  // namespace

void TcxRadioGroupItem::Assign(TPersistent* Source) {
  if (auto* s = dynamic_cast<TcxRadioGroupItem*>(Source)) SetValue(s->FValue);
  inherited::Assign(Source);
}

void TcxRadioGroupItem::SetValue(const Variant& Value) {
  if (SameStoredValue(FValue, Value)) return;
  FValue = Value;
  Changed(false);
}

TcxCustomRadioGroupProperties::TcxCustomRadioGroupProperties(TPersistent* AOwner)
    : TcxCustomButtonGroupProperties(AOwner), FDefaultCaption(cxGetResourceString(cxSRadioGroupDefaultCaption)) {}

TCollectionItemClass TcxCustomRadioGroupProperties::GetItemClass() const {
  return ClassOf<TcxRadioGroupItem, TCollectionItem, TCollection*>();
}

void TcxCustomRadioGroupProperties::Assign(TPersistent* Source) {
  auto* s = dynamic_cast<TcxCustomRadioGroupProperties*>(Source);
  if (!s) {
    inherited::Assign(Source);
    return;
  }
  auto update = UpdateBracket(this);
  inherited::Assign(Source);
  SetDefaultCaption(s->FDefaultCaption);
  SetDefaultValue(s->FDefaultValue);
  SetWordWrap(s->GetWordWrap());
}

TcxCustomEditProperties* TcxCustomRadioGroupProperties::CreateSameClass() const {
  return New<TcxCustomRadioGroupProperties>(nullptr);
}

TcxCustomEditClass TcxCustomRadioGroupProperties::GetContainerClass() const {
  return ClassOf<TcxRadioGroup, TcxCustomEdit, TComponent*, bool>();
}

TcxCustomEditViewInfoClass TcxCustomRadioGroupProperties::GetViewInfoClass() const {
  return ClassOf<TcxCustomRadioGroupViewInfo, TcxCustomEditViewInfo>();
}

TRect TcxCustomRadioGroupViewInfo::GlyphRect(Integer AIndex, const TSize& ASize) const {
  const TRect r = Button(AIndex)->Bounds;
  const Integer left = r.Left + (HasBorder ? 1 : 0), top = r.Top + (r.Height() - ASize.cy) / 2;
  return TRect{left, top, left + ASize.cx, top + ASize.cy};
}

void TcxCustomRadioGroupViewInfo::InternalPaint(TcxCanvas& ACanvas) {
  inherited::InternalPaint(ACanvas);
  // Where child buttons stand for the items, they paint themselves.
  if (HasChildButtons || !Painter) return;
  HTHEME theme = ButtonCount() > 0 && Button(0)->NativeStyle ? cxOpenTheme(TdxThemedObjectType::totButton) : nullptr;
  TSize glyph{0, 0};
  if (theme) {
    cxGetThemePartSizeNoRect(theme, ACanvas.GetHandle(), kRadioPart, 1, TS_TRUE, glyph);
  } else {
    const TPoint size = Painter->RadioButtonSize();
    glyph = {size.X, size.Y};
  }
  for (Integer i = 0; i < ButtonCount(); ++i) {
    TcxGroupBoxButtonViewInfo* b = Button(i);
    if (!b->Transparent) {
      ACanvas.SetBrushColor(BackgroundColor);
      ACanvas.FillRect(b->Bounds);
    }
    const bool checked = i == DownIndex;
    RS state = RS::rbsNormal;
    if (b->State == TcxEditButtonState::ebsDisabled) state = RS::rbsDisabled;
    else if (b->State == TcxEditButtonState::ebsSelected) state = RS::rbsHot;
    // The checked item is shown down anyway: pressed only while the mouse holds it.
    else if (b->State == TcxEditButtonState::ebsPressed && (!checked || i == CapturedIndex)) state = RS::rbsPressed;
    const TRect g = GlyphRect(i, glyph);
    if (theme)
      cxDrawThemeBackground(theme, ACanvas.GetHandle(), kRadioPart, ThemeState(state, checked), g);
    else
      Painter->DrawRadioButton(ACanvas, g.Left, g.Top, PainterState(state), checked, false,
                               b->Transparent ? clDefault : BackgroundColor, false);
    TRect text{g.Right, b->Bounds.Top, b->Bounds.Right, b->Bounds.Bottom};
    cxDeflateRectByRect(text, TRect{5, 0, 1, 0});
    const Integer flags = (WordWrap ? cxWordBreak : cxSingleLine) | cxAlignLeft | cxAlignVCenter | cxShowPrefix;
    if (Font) ACanvas.SetFont(Font);
    ACanvas.GetFont()->SetColor(TextColor);
    ACanvas.GetBrush()->SetStyle(TBrushStyle::bsClear);
    ACanvas.DrawText(b->Caption, text, flags, b->State != TcxEditButtonState::ebsDisabled);
    ACanvas.GetBrush()->SetStyle(TBrushStyle::bsSolid);
    if (Focused && !IsInplace && i == FocusedIndex) {
      TRect focus = text;
      ACanvas.TextExtentInRect(b->Caption, focus, flags);
      InflateRect(&focus, 1, 1);
      ACanvas.DrawFocusRect(focus);
    }
  }
}

TcxCustomEditProperties* TcxRadioGroupProperties::CreateSameClass() const {
  return New<TcxRadioGroupProperties>(nullptr);
}

bool TcxCustomRadioGroupProperties::IsDefaultCaptionStored() const {
  return FDefaultCaption != cxGetResourceString(cxSRadioGroupDefaultCaption);
}

void TcxCustomRadioGroupProperties::SetDefaultCaption(const String& Value) {
  if (FDefaultCaption == Value) return;
  FDefaultCaption = Value;
  Changed();
}

void TcxCustomRadioGroupProperties::SetDefaultValue(const Variant& Value) {
  if (SameStoredValue(FDefaultValue, Value)) return;
  FDefaultValue = Value;
  Changed();
}

Integer TcxCustomRadioGroupProperties::GetRadioGroupItemIndex(const Variant& AValue) const {
  // Null is no text: it never matches an empty caption.
  if (VarIsNull(AValue) || VarIsEmpty(AValue) || VarIsArray(AValue)) return -1;
  for (Integer i = 0; i < GetItems()->Count(); ++i) {
    const TcxRadioGroupItem* item = Item(i);
    if (VarIsNull(item->GetValue())) {
      String text;
      try {
        text = VarToStr(AValue);
      } catch (const EVariantError&) {
        continue;
      }
      if (AnsiCompareStr(text, item->GetCaption()) == 0) return i;
    } else if (SameItemValue(AValue, item->GetValue())) {
      return i;
    }
  }
  return -1;
}

Variant TcxCustomRadioGroupProperties::GetItemValue(Integer AIndex) const {
  if (AIndex < 0 || AIndex >= GetItems()->Count()) return FDefaultValue;
  const TcxRadioGroupItem* item = Item(AIndex);
  return VarIsNull(item->GetValue()) ? Variant(item->GetCaption()) : item->GetValue();
}

String TcxCustomRadioGroupProperties::GetDisplayText(const Variant& AValue) const {
  const Integer i = GetRadioGroupItemIndex(AValue);
  return i < 0 ? FDefaultCaption : Item(i)->GetCaption();
}

TcxCustomRadioGroup* TcxCustomRadioGroupButton::Group() const { return dynamic_cast<TcxCustomRadioGroup*>(GetParent()); }

void TcxCustomRadioGroupButton::SetCheckedState(bool Value) {
  const bool was = GetChecked();
  TWeakLink self(this);
  inherited::SetCheckedState(Value);
  if (self.Alive() && Value && !was)
    if (TcxCustomRadioGroup* g = Group()) g->ButtonChecked(this);
}

void TcxCustomRadioGroupButton::KeyDown(Word& Key, TShiftState Shift) {
  if (TcxCustomRadioGroup* g = Group()) {
    if (g->FocusNeighbour(g->IndexOfButton(this), Key)) {
      Key = 0;
      return;
    }
  }
  inherited::KeyDown(Key, Shift);
}

void TcxCustomRadioGroupButton::WndProc(TMessage& Message) {
  // The arrows move by the group's columns, not through the dialog's tab order.
  if (Message.Msg == CM_WANTSPECIALKEY && Group()) {
    switch (Message.WParam) {
      case VK_LEFT: case VK_RIGHT: case VK_UP: case VK_DOWN:
        Message.Result = 1;
        return;
      default:
        break;
    }
  }
  inherited::WndProc(Message);
}

TcxCustomEditPropertiesClass TcxCustomRadioGroup::GetPropertiesClass() {
  return ClassOf<TcxCustomRadioGroupProperties, TcxCustomEditProperties, TPersistent*>();
}

TcxCustomEditPropertiesClass TcxRadioGroup::GetPropertiesClass() {
  return ClassOf<TcxRadioGroupProperties, TcxCustomEditProperties, TPersistent*>();
}

void TcxCustomRadioGroup::Initialize() {
  inherited::Initialize();
  TControlStyle cs = ControlStyle();
  cs.Exclude(TControlStyleItem::csAcceptsControls);
  cs.Include(TControlStyleItem::csCaptureMouse);
  cs.Include(TControlStyleItem::csClickEvents);
  cs.Include(TControlStyleItem::csSetCaption);
  cs.Include(TControlStyleItem::csDoubleClicks);
  cs.Include(TControlStyleItem::csReplicatable);
  SetControlStyle(cs);
  SetAutoSize(false);
  SetBounds(GetLeft(), GetTop(), 185, 105);
}

TWinControl* TcxCustomRadioGroup::CreateButton() { return New<TcxCustomRadioGroupButton>(this); }

Integer TcxCustomRadioGroup::GetItemIndex() const {
  for (Integer i = 0; i < ButtonCount(); ++i)
    if (RadioButton(i)->GetChecked()) return i;
  return -1;
}

void TcxCustomRadioGroup::SetItemIndex(Integer Value) {
  if (IsLoading()) {
    FLoadedItemIndex = Value;
    return;
  }
  auto* p = RadioProperties();
  Value = std::clamp<Integer>(Value, -1, p->GetItems()->Count() - 1);
  InternalSetEditValue(p->GetItemValue(Value), false);
}

String TcxCustomRadioGroup::GetDisplayText() { return RadioProperties()->GetDisplayText(EditValue()); }

// A button's click handler may free the group: each step runs only while it lives.
void TcxCustomRadioGroup::CheckButton(Integer AIndex) {
  TWeakLink self(this);
  TWatchedValue<bool> changing(this, FChangingIndex, true);
  for (Integer i = 0; self.Alive() && i < ButtonCount(); ++i)
    if (i != AIndex && RadioButton(i)->GetChecked()) RadioButton(i)->SetChecked(false);
  if (self.Alive() && AIndex >= 0 && AIndex < ButtonCount()) RadioButton(AIndex)->SetChecked(true);
}

void TcxCustomRadioGroup::InternalSetEditValue(const Variant& AValue, bool AValidateEditValue) {
  TWeakLink self(this);  // the change handlers may free the group
  inherited::InternalSetEditValue(AValue, AValidateEditValue);
  if (!self.Alive()) return;
  const Integer index = RadioProperties()->GetRadioGroupItemIndex(AValue);
  if (index == GetItemIndex()) {
    if (!FChangingIndex) Invalidate();
    return;
  }
  CheckButton(index);
  if (!self.Alive()) return;
  SetEditModified(true);
  TcxContainer::RecalcViewAtCursor();
  // Checked from outside (the program, the data read again): the arrow keys step from the
  // item shown, as on entering the group. A button's own check has the focus already.
  if (self.Alive() && !FChangingIndex) FocusCheckedButton();
}

void TcxCustomRadioGroup::FocusCheckedButton() {
  const Integer index = GetItemIndex();
  if (index < 0 || Buttons(index)->Focused() || !Buttons(index)->CanFocus()) return;
  for (Integer i = 0; i < ButtonCount(); ++i)
    if (Buttons(i)->Focused()) {
      Buttons(index)->SetFocus();
      return;
    }
}

void TcxCustomRadioGroup::ButtonChecked(TcxCustomRadioGroupButton* AButton) {
  if (FChangingIndex) return;
  const Integer index = IndexOfButton(AButton);
  if (index < 0) return;
  const bool hadFocus = AButton->Focused();
  FChangingIndex = true;
  LockChangeEvents(true);
  TWeakLink self(this);  // the change handlers, told when the lock ends, may free the group
  {
    TWatchedScopeExit unlock(this, [this] {
      FChangingIndex = false;
      LockChangeEvents(false);
    });
    // The user's choice starts an edit like any other input: a data set that may not edit,
    // or a read-only editor, refuses it, and the buttons show the kept value again.
    AsUserInput([&] { InternalSetEditValue(RadioProperties()->GetItemValue(index), false); });
    if (self.Alive()) {
      const Integer kept = RadioProperties()->GetRadioGroupItemIndex(EditValue());
      if (kept != GetItemIndex()) CheckButton(kept);
    }
  }
  if (!self.Alive()) return;
  if (hadFocus && RadioProperties()->GetImmediatePost() && CanPostEditValue()) PostEditValue(true);
}

void TcxCustomRadioGroup::UpdateButtons() {
  const Integer index = GetItemIndex();
  inherited::UpdateButtons();
  auto* p = RadioProperties();
  for (Integer i = 0; i < ButtonCount() && i < p->GetItems()->Count(); ++i) {
    RadioButton(i)->SetCaption(p->Item(i)->GetCaption());
    RadioButton(i)->SetWordWrap(p->GetWordWrap());
    RadioButton(i)->SetTransparent(GetTransparent());
    RadioButton(i)->SetParentBackground(GetParentBackground());
    RadioButton(i)->SetDragKind(GetDragKind());
  }
  // The value decides which item shows checked while an item still stands for it, wherever
  // inserts, moves and deletes put that item. When the checked item itself was renamed,
  // given another value or removed, the group keeps its item index and takes the value of
  // the item now there; a bound group keeps the stored value and shows no item for it.
  const Integer wanted = p->GetRadioGroupItemIndex(EditValue());
  if (wanted >= 0 || index < 0 || IsDataStorage()) {
    CheckButton(wanted);
    return;
  }
  TWeakLink self(this);  // the change handlers may free the group
  CheckButton(-1);
  if (self.Alive()) SetItemIndex(index);
}

void TcxCustomRadioGroup::UpdateButtonStyles() {
  inherited::UpdateButtonStyles();
  for (Integer i = 0; i < ButtonCount(); ++i)
    if (!Buttons(i)->GetEnabled()) Buttons(i)->GetFont()->SetColor(GetStyleDisabled()->GetTextColor());
  // The look follows the group's button style, known once the group stands somewhere.
  if (!GetParent()) return;
  using K = TcxLookAndFeelKind;
  TcxLookAndFeel* lf = GetStyle()->GetLookAndFeel();
  K kind = K::lfStandard;
  switch (cxButtonGroupButtonStyle(IsInplace(), lf->GetKind(), TcxEditBorderStyle(Ord(GetStyle()->GetBorderStyle())))) {
    case TcxEditButtonStyle::btsFlat: kind = K::lfFlat; break;
    case TcxEditButtonStyle::btsUltraFlat: kind = K::lfUltraFlat; break;
    case TcxEditButtonStyle::btsOffice11: kind = K::lfOffice11; break;
    default: break;
  }
  for (Integer i = 0; i < ButtonCount(); ++i) {
    RadioButton(i)->SetLookAndFeel(lf);
    RadioButton(i)->GetLookAndFeel()->SetKind(kind);
  }
}

void TcxCustomRadioGroup::Loaded() {
  inherited::Loaded();
  auto locked = PairedCall([this] { LockChangeEvents(true); }, [this] { LockChangeEvents(false); });
  InternalSetEditValue(RadioProperties()->GetDefaultValue(), false);
  SetItemIndex(FLoadedItemIndex);
}

void TcxCustomRadioGroup::DoEnter() {
  TWeakLink self(this);  // OnEnter may free the group
  inherited::DoEnter();
  if (!self.Alive()) return;
  // The group itself holds no focus of its own: the checked item (or the first) takes it.
  // Entered through one of its buttons, the focus stays there.
  if (!Focused()) return;
  const Integer index = std::max<Integer>(0, GetItemIndex());
  if (index < ButtonCount()) PostMessageA(Handle(), TL_MSG_FOCUS_BUTTON, WPARAM(index), 0);
}

void TcxCustomRadioGroup::WndProc(TMessage& Message) {
  if (Message.Msg == TL_MSG_FOCUS_BUTTON) {
    const Integer index = Integer(Message.WParam);
    if (index >= 0 && index < ButtonCount() && Buttons(index)->CanFocus()) Buttons(index)->SetFocus();
    return;
  }
  inherited::WndProc(Message);
}

TL_DEFINE_CLASS(TcxRadioGroupItem, [](auto& c) {
  using T = TcxRadioGroupItem;
  c.Property("Value", &T::GetValue, &T::SetValue).Stored(&T::IsValueStored);
})
TL_DEFINE_CLASS(TcxCustomRadioGroupProperties)
TL_DEFINE_CLASS(TcxRadioGroupProperties, [](auto& c) {
  using T = TcxCustomRadioGroupProperties;
  c.Property("DefaultCaption", &T::GetDefaultCaption, &T::SetDefaultCaption).Stored(&T::IsDefaultCaptionStored);
  c.Property("DefaultValue", &T::GetDefaultValue, &T::SetDefaultValue).Stored(&T::IsDefaultValueStored);
  c.Property("ImmediatePost", &T::GetImmediatePost, &T::SetImmediatePost).Default(false);
})
TL_DEFINE_CLASS(TcxCustomRadioGroupButton)
TL_DEFINE_CLASS(TcxCustomRadioGroupViewInfo)
TL_DEFINE_CLASS(TcxCustomRadioGroup)
TL_DEFINE_CLASS(TcxRadioGroup, [](auto& c) {
  using T = TcxCustomRadioGroup;
  c.Property("ItemIndex", &T::GetItemIndex, &T::SetItemIndex).Default(-1);
  c.Property("Properties", &TcxRadioGroup::GetProperties, &TcxRadioGroup::SetProperties);
  c.Property("Alignment", &T::GetAlignment, &T::SetAlignment).Default(TcxCaptionAlignment::alTopLeft);
  c.Property("LookAndFeel", &T::GetStyleLookAndFeel, &T::SetStyleLookAndFeel);
  c.Property("ParentBackground", &T::GetParentBackground, &T::SetParentBackground).Default(true);
  c.Property("ParentColor", &T::GetParentColor, &T::SetParentColor).Default(true);
  c.Property("Style", &T::GetStyle, &T::SetStyle);
  c.Property("StyleDisabled", &T::GetStyleDisabled, &T::SetStyleDisabled);
  c.Property("StyleFocused", &T::GetStyleFocused, &T::SetStyleFocused);
  c.Property("StyleHot", &T::GetStyleHot, &T::SetStyleHot);
  c.Property("Transparent", &T::GetTransparent, &T::SetTransparent).Default(false);
  c.Property("TabStop", &T::GetTabStop, &T::SetTabStop).Default(true);
})

namespace {
UnitCounter gRadioGroupControl;
}  // namespace

void cxRadioGroupControl::Initialize() {
  if (!gRadioGroupControl.Enter()) return;
  cxRegisterEditor(TcxRadioGroupProperties::StaticClass(),
                   cxGetResourceString(scxSEditRepositoryRadioGroupItem),
                   TcxRadioGroup::StaticClass());
}

void cxRadioGroupControl::Finalize() {
  if (!gRadioGroupControl.Leave()) return;
  cxUnregisterEditor(TcxRadioGroupProperties::StaticClass(), TcxRadioGroup::StaticClass());
}

namespace {
UnitCounter gRadioGroup;
}  // namespace

void cxRadioGroup::Initialize() {
  if (gRadioGroup.Enter()) RegisterClass(TcxRadioButton::StaticClass());
}

void cxRadioGroup::Finalize() {
  if (gRadioGroup.Leave()) UnRegisterClass(TcxRadioButton::StaticClass());
}
