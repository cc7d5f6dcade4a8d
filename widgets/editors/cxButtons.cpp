#include "widgets/editors/cxButtons.h"

#include "classlib/visual/ActnList.h"
#include "classlib/visual/Forms.h"
#include "classlib/visual/Messages.h"
#include "platform/gdi/Gdi.h"
#include "platform/kernel/Units.h"
#include "platform/user/Controls.h"
#include "platform/user/User.h"
#include "widgets/foundation/cxClasses.h"
#include "widgets/editors/cxOwnerDrawButton.h"
#include "widgets/foundation/cxContainer.h"
#include "widgets/foundation/dxThemeManager.h"
#include "widgets/foundation/dxUxTheme.h"

#include <cctype>

using BS = TcxButtonState;
using BK = TcxButtonKind;

const TcxCustomLookAndFeelPainter* cxGetButtonPainter(TcxLookAndFeel* ALookAndFeel) {
  const TcxCustomLookAndFeelPainter* painter = ALookAndFeel->GetPainter();
  if (painter && painter->LookAndFeelStyle() == TcxLookAndFeelStyle::lfsOffice11) {
    const TcxCustomLookAndFeelPainter* native = cxWinXPPainter();
    painter = native && cxIsThemeAvailable() ? native : cxStandardPainter();
  }
  return painter;
}

namespace {

// Watches the button and its open menu across the menu's modal loop: a command chosen there
// may free either.
class TDropDownWatch : public TComponent {
  TL_CLASS(TDropDownWatch, TComponent)
 public:
  TDropDownWatch(TComponent* AButton, TPopupMenu* AMenu) : TComponent(nullptr), Button(AButton), Menu(AMenu) {
    AButton->FreeNotification(this);
    AMenu->FreeNotification(this);
  }
  TComponent* Button;
  TPopupMenu* Menu;

 protected:
  void Notification(TComponent* AComponent, TOperation Operation) override {
    inherited::Notification(AComponent, Operation);
    if (Operation != TOperation::opRemove) return;
    if (AComponent == Button) Button = nullptr;
    if (AComponent == Menu) Menu = nullptr;
  }
};

// Whether the caption marks Key as its accelerator ("&O" in "&OK").
bool IsAccelerator(Word Key, const String& ACaption) {
  for (size_t i = 0; i + 1 < ACaption.size(); ++i) {
    if (ACaption[i] != '&') continue;
    if (ACaption[i + 1] == '&') {
      ++i;
      continue;
    }
    return std::toupper(static_cast<unsigned char>(ACaption[i + 1])) == std::toupper(Key & 0xFF);
  }
  return false;
}

}  // namespace

TL_DEFINE_CLASS(TDropDownWatch)

// ---- Construction ---------------------------------------------------------------------------

TcxCustomButton::TcxCustomButton(TComponent* AOwner) : TButton(AOwner) {
  FControlStyle.Include(TControlStyleItem::csOpaque);
  FControlStyle.Include(TControlStyleItem::csReflector);
  FCanvas = New<TCanvas>();
  FcxCanvas = New<TcxCanvas>(FCanvas);
  FColors = New<TcxButtonColors>(this);
  FLookAndFeel = New<TcxLookAndFeel>(this);
  FLookAndFeel->OnChanged = TcxLookAndFeelChangedEvent(this, &TcxCustomButton::LookAndFeelChanged);
}

TcxCustomButton::~TcxCustomButton() {
  if (FGlyph) FGlyph->Free();
  FLookAndFeel->Free();
  FColors->Free();
  FcxCanvas->Free();
  FCanvas->Free();
}

void TcxCustomButton::BeforeDestruction() {
  cxEndMouseTracking(this);
  FLookAndFeel->OnChanged = TcxLookAndFeelChangedEvent();
  inherited::BeforeDestruction();
}

TcxButtonGlyph* TcxCustomButton::CreateGlyph() { return New<TcxButtonGlyph>(); }

// The glyph object's class comes from a virtual, so it is made once the object is complete.
void TcxCustomButton::AfterConstruction() {
  inherited::AfterConstruction();
  FGlyph = CreateGlyph();
  FGlyph->OnChange = TNotifyEvent(this, &TcxCustomButton::GlyphChanged);
}

void TcxCustomButton::SetGlyph(TBitmap* Value) {
  FGlyph->SetGlyph(Value);
  Invalidate();
}

void TcxCustomButton::ActionChange(TObject* Sender, bool CheckDefaults) {
  TWeakLink self(this);
  inherited::ActionChange(Sender, CheckDefaults);
  auto* action = dynamic_cast<TCustomAction*>(Sender);
  if (!self.Alive() || !action || !action->GetActionList()) return;
  TCustomImageList* images = action->GetActionList()->GetImages();
  const Integer index = action->GetImageIndex();
  if (!images || index < 0 || index >= images->Count() || !GetGlyph()->Empty()) return;
  // The fill is the glyph's bottom-left colour, so what the image leaves uncovered stays
  // transparent on the button.
  Owned<TBitmap> glyph(New<TBitmap>());
  glyph->SetSize(images->GetWidth(), images->GetHeight());
  glyph->Canvas()->Brush()->SetColor(TColor(0xFF00FF));
  glyph->Canvas()->FillRect({0, 0, images->GetWidth(), images->GetHeight()});
  images->Draw(glyph->Canvas(), 0, 0, index);
  SetGlyph(glyph.get());
}

void TcxCustomButton::SetNumGlyphs(Integer Value) {
  FGlyph->SetNumGlyphs(Value);
  Invalidate();
}

void TcxCustomButton::GlyphChanged(TObject*) { Invalidate(); }

void TcxCustomButton::LookAndFeelChanged(TcxLookAndFeel*, TcxLookAndFeelValues) {
  if (HandleAllocated()) RecreateWnd();
}

void TcxCustomButton::SetKind(TcxButtonKind Value) {
  if (FKind == Value) return;
  FKind = Value;
  if (HandleAllocated()) RecreateWnd();
}

void TcxCustomButton::SetLayout(TButtonLayout Value) {
  if (FLayout == Value) return;
  FLayout = Value;
  Invalidate();
}

void TcxCustomButton::SetMargin(Integer Value) {
  if (Value < -1 || FMargin == Value) return;
  FMargin = Value;
  Invalidate();
}

void TcxCustomButton::SetSpacing(Integer Value) {
  if (FSpacing == Value) return;
  FSpacing = Value;
  Invalidate();
}

void TcxCustomButton::SetDropDownMenu(TPopupMenu* Value) {
  if (FDropDownMenu == Value) return;
  if (FDropDownMenu) FDropDownMenu->RemoveFreeNotification(this);
  FDropDownMenu = Value;
  if (Value) Value->FreeNotification(this);
}

void TcxCustomButton::SetPopupMenu(TComponent* Value) {
  cxSetPopupMenuLink(this, FPopupMenu, Value);
}

void TcxCustomButton::Notification(TComponent* AComponent, TOperation Operation) {
  inherited::Notification(AComponent, Operation);
  if (Operation != TOperation::opRemove) return;
  if (AComponent == FDropDownMenu) FDropDownMenu = nullptr;
  if (AComponent == FPopupMenu) SetPopupMenu(nullptr);
  if (AComponent == FShownMenu) FShownMenu = nullptr;
}

const TcxCustomLookAndFeelPainter* TcxCustomButton::GetPainterClass() { return cxGetButtonPainter(FLookAndFeel); }

bool TcxCustomButton::DoDropDownMenuPopup(TPopupMenu*& AMenu) {
  bool handled = false;
  if (OnDropDownMenuPopup) OnDropDownMenuPopup(this, AMenu, handled);
  return handled;
}

bool TcxCustomButton::DoShowPopupMenu(TComponent* AMenu, Integer X, Integer Y) {
  return cxShowPopupMenu(this, AMenu, X, Y);
}

// ---- Window ---------------------------------------------------------------------------------

void TcxCustomButton::CreateParams(TCreateParams& Params) {
  inherited::CreateParams(Params);
  Params.Style = (Params.Style & ~DWORD(BS_TYPEMASK)) | BS_OWNERDRAW;
}

void TcxCustomButton::CreateWnd() {
  inherited::CreateWnd();
  FGlyph->CreateButtonGlyph(GetEnabled() ? BS::cxbsNormal : BS::cxbsDisabled);
}

void TcxCustomButton::DestroyWnd() {
  // A close-up still queued would reach a window that no longer exists.
  MSG msg;
  if (HandleAllocated() &&
      PeekMessageA(&msg, Handle(), CM_CLOSEUPPOPUPMENU, CM_CLOSEUPPOPUPMENU, PM_REMOVE)) {
    TMessage m{msg.message, msg.wParam, msg.lParam, 0};
    CMCloseUpPopupMenu(m);
  }
  inherited::DestroyWnd();
}

// The class library's default-button step restyles the window; an owner-drawn button keeps
// its style and only remembers the look.
void TcxCustomButton::BMSetStyle(TMessage& Message) {
  const bool isDefault = (DWORD(Message.WParam) & BS_TYPEMASK) == BS_DEFPUSHBUTTON;
  if (FIsDefault == isDefault) return;
  FIsDefault = isDefault;
  Invalidate();
}

void TcxCustomButton::CMEnabledChanged(TMessage& Message) {
  if (!GetEnabled()) FHot = false;
  TL_INHERITED(Message);
  Invalidate();
}

void TcxCustomButton::CMFontChanged(TMessage& Message) {
  TL_INHERITED(Message);
  Invalidate();
}

void TcxCustomButton::WMEraseBkgnd(TMessage& Message) {
  if (InState(TComponentStateItem::csDestroying) || IsSystemPaint() || GetPainterClass() == cxWinXPPainter()) {
    TL_INHERITED(Message);
    return;
  }
  Message.Result = 1;
}

void TcxCustomButton::CNMeasureItem(TMessage& Message) {
  cxOwnerMeasureItem(this, Message);
}

// ---- Hot tracking ---------------------------------------------------------------------------

bool TcxCustomButton::IsHotTrack() { return GetEnabled() && GetPainterClass()->IsButtonHotTrack(); }

void TcxCustomButton::DoMouseEnter() {
  if (FHot || !IsHotTrack() || GetCapture()) return;
  cxBeginMouseTracking(this, GetClientRect(), this);
  FHot = true;
  Invalidate();
}

void TcxCustomButton::DoMouseLeave() {
  cxEndMouseTracking(this);
  if (!FHot) return;
  FHot = false;
  Invalidate();
}

void TcxCustomButton::MouseLeave() { DoMouseLeave(); }

// The parent hears of the mouse first, and its handlers may free the button with it.
void TcxCustomButton::CMMouseEnter(TMessage& Message) {
  TWeakLink self(this);
  TL_INHERITED(Message);
  if (self.Alive()) DoMouseEnter();
}

void TcxCustomButton::CMMouseLeave(TMessage& Message) {
  TWeakLink self(this);
  TL_INHERITED(Message);
  if (self.Alive()) DoMouseLeave();
}

void TcxCustomButton::WMMouseMove(TMessage& Message) {
  TWeakLink self(this);  // OnMouseMove may free the button
  TL_INHERITED(Message);
  if (!self.Alive()) return;
  const TPoint p{SHORT(LOWORD(Message.LParam)), SHORT(HIWORD(Message.LParam))};
  const TRect r = GetClientRect();
  if (!FHot && !GetCapture() && p.X >= r.Left && p.X < r.Right && p.Y >= r.Top && p.Y < r.Bottom)
    Perform(CM_MOUSEENTER, 0, 0);
}

void TcxCustomButton::WMCaptureChanged(TMessage& Message) {
  TL_INHERITED(Message);
  if (InState(TComponentStateItem::csDesigning) || !HandleAllocated()) return;
  const TPoint cursor = cxGetCursorPos();
  const bool hot = WindowFromPoint(cursor) == Handle() && IsHotTrack();
  if (hot == FHot) return;
  FHot = hot;
  if (hot) cxBeginMouseTracking(this, GetClientRect(), this);
  Invalidate();
}

// ---- Drop-down menu -------------------------------------------------------------------------

bool TcxCustomButton::IsOnArrow(Integer X) const {
  const TRect r = GetClientRect();
  return X >= r.Right - kArrowWidth && X < r.Right;
}

void TcxCustomButton::DropDown() {
  FArrowPressed = true;
  PostMessageA(Handle(), CM_DROPDOWNPOPUPMENU, 0, 0);
}

void TcxCustomButton::WMLButtonDown(TMessage& Message) {
  if (FKind != BK::cxbkStandard) {
    const Integer x = SHORT(LOWORD(Message.LParam));
    if (FMenuVisible) {
      FMenuJustClosed = true;
      FMenuVisible = false;
      FIsPressed = false;
      Repaint();
    } else if (FKind == BK::cxbkDropDown || IsOnArrow(x)) {
      DropDown();
    }
  }
  TL_INHERITED(Message);
}

void TcxCustomButton::WMLButtonUp(TMessage& Message) {
  FArrowPressed = false;
  TL_INHERITED(Message);
}

void TcxCustomButton::CNKeyDown(TMessage& Message) {
  const TShiftState shift = KeyDataToShiftState(Message.LParam);
  if (FKind == BK::cxbkDropDownButton && (Message.WParam == VK_UP || Message.WParam == VK_DOWN) &&
      (shift.Contains(TShiftStateItem::ssAlt) || shift.Contains(TShiftStateItem::ssShift))) {
    if (!FMenuVisible) DropDown();
    Message.Result = 1;
    return;
  }
  if (FPopupMenu && cxPopupMenuIsShortCut(FPopupMenu, Message)) {
    Message.Result = 1;
    return;
  }
  TL_INHERITED(Message);
}

void TcxCustomButton::CMDialogChar(TMessage& Message) {
  if (IsAccelerator(Word(Message.WParam), GetCaption()) && CanFocus()) {
    Click();
    Message.Result = 1;
    return;
  }
  TL_INHERITED(Message);
}

TPoint TcxCustomButton::PopupPoint(TPopupMenu* AMenu, TPopupAlignment& AAlignment) {
  Integer x = 0;
  if (FPopupAlignment == TPopupAlignment::paRight) x = GetWidth();
  else if (FPopupAlignment == TPopupAlignment::paCenter) x = GetWidth() / 2;
  TPoint p = ClientToScreen({x, GetHeight()});
  const TRect work = cxGetDesktopWorkArea(p);
  const Integer menuHeight = cxGetPopupMenuHeight(AMenu);
  if (p.Y + menuHeight > work.Bottom) p.Y -= menuHeight + GetHeight() + 2;
  if (p.X <= work.Left) AAlignment = TPopupAlignment::paRight;
  else if (p.X >= work.Right) AAlignment = TPopupAlignment::paLeft;
  else AAlignment = FPopupAlignment;
  return p;
}

void TcxCustomButton::CMDropDownPopupMenu(TMessage&) {
  TPopupMenu* menu = FDropDownMenu;
  TWeakLink self(this);  // OnDropDownMenuPopup may free the button
  const bool handled = DoDropDownMenuPopup(menu);
  if (!self.Alive()) return;
  if (handled || !menu) {
    // Nothing opens, so no close-up will end the arrow's press: a press by the mouse ends
    // with its release, one from the keyboard ends here, or the main part would never show
    // pressed again.
    if (GetKeyState(VK_LBUTTON) >= 0) FArrowPressed = false;
    return;
  }
  FMenuVisible = true;
  Repaint();
  TPopupAlignment alignment;
  const TPoint p = PopupPoint(menu, alignment);
  const TPopupAlignment saved = menu->GetAlignment();
  menu->SetAlignment(alignment);
  menu->SetPopupComponent(this);
  const HWND wnd = Handle();
  Owned<TDropDownWatch> watch(New<TDropDownWatch>(this, menu));
  FShownMenu = menu;
  menu->Popup(p.X, p.Y);
  // A command run from the menu may have freed the menu, the button, or both.
  if (watch->Menu) watch->Menu->SetAlignment(saved);
  if (!watch->Button) return;
  FShownMenu = nullptr;
  watch.reset();
  if (IsWindow(wnd)) PostMessageA(wnd, CM_CLOSEUPPOPUPMENU, 0, 0);
}

void TcxCustomButton::CMCloseUpPopupMenu(TMessage&) {
  const bool over = HandleAllocated() && WindowFromPoint(cxGetCursorPos()) == Handle();
  FHot = over && IsHotTrack();
  if (FHot) cxBeginMouseTracking(this, GetClientRect(), this);
  FMenuVisible = false;
  Repaint();
  FArrowPressed = false;
}

void TcxCustomButton::Click() {
  if (FKind == BK::cxbkDropDown && !FMenuVisible) {
    // A keyboard click opens the menu; the click after a press that closed it does not.
    if (!FMenuJustClosed) DropDown();
    FMenuJustClosed = false;
    return;
  }
  if (FKind != BK::cxbkStandard && FMenuJustClosed) {
    FMenuJustClosed = false;
    return;
  }
  inherited::Click();
}

void TcxCustomButton::WMContextMenu(TMessage& Message) {
  const auto show = [this](TComponent* AMenu, Integer X, Integer Y) { return DoShowPopupMenu(AMenu, X, Y); };
  if (!cxOwnerContextMenu(this, FPopupMenu, Message, show)) TL_INHERITED(Message);
}

// ---- Painting -------------------------------------------------------------------------------

TcxButtonState TcxCustomButton::CurrentState() const {
  bool pressed = FIsPressed;
  if (FKind == BK::cxbkDropDown) pressed = FMenuVisible;
  if (!GetEnabled()) return BS::cxbsDisabled;
  if (pressed || FMenuVisible) return BS::cxbsPressed;
  if (FHot) return BS::cxbsHot;
  if (FIsFocused || FIsDefault) return BS::cxbsDefault;
  return BS::cxbsNormal;
}

void TcxCustomButton::PaintTo(TcxCanvas& ACanvas, bool AFocused, bool APressed) {
  FIsPressed = APressed && !FArrowPressed;
  FIsFocused = AFocused || (FIsDefault && InState(TComponentStateItem::csDesigning));
  const TcxCustomLookAndFeelPainter* painter = GetPainterClass();
  TRect r = GetClientRect();
  if (painter == cxWinXPPainter() && HandleAllocated()) {
    HTHEME theme = cxOpenTheme(TdxThemedObjectType::totButton);
    if (theme && cxIsThemeBackgroundPartiallyTransparent(theme, 1, 1))
      cxDrawThemeParentBackground(Handle(), ACanvas.GetHandle(), &r);
  }
  TRect main = r, arrow{};
  if (FKind == BK::cxbkDropDownButton) {
    arrow = {r.Right - kArrowWidth, r.Top, r.Right, r.Bottom};
    main.Right -= kMainPartIndent;
    if (FArrowPressed) FIsPressed = false;
  }
  const TcxButtonState state = CurrentState();
  ACanvas.SetFont(GetFont());
  TColor color = FColors->GetColor(state);
  ACanvas.GetFont()->SetColor(painter->ButtonSymbolColor(state, GetFont()->GetColor()));
  if (OnGetDrawParams) OnGetDrawParams(this, state, color, ACanvas.GetFont());
  const TColor textColor = ACanvas.GetFont()->GetColor();
  painter->DrawButton(ACanvas, main, "", state, true, color, textColor);
  TPoint offset{0, 0};
  if (state == BS::cxbsPressed && painter->ButtonTextShift() != 0)
    offset = {painter->ButtonTextShift(), painter->ButtonTextShift()};
  const Integer border = painter->ButtonBorderSize(state);
  TRect content{r.Left + border, r.Top + border, r.Right - border, r.Bottom - border};
  if (FKind == BK::cxbkDropDownButton) content.Right -= kMainPartIndent;
  TcxRegion* clip = ACanvas.GetClipRegion();
  ACanvas.IntersectClipRect(content);
  FGlyph->Draw(ACanvas, content, offset, GetCaption(), FLayout, FMargin, FSpacing, state, painter == cxWinXPPainter(),
               0);
  ACanvas.SetClipRegion(clip, TcxRegionOperation::roSet);
  if (FKind == BK::cxbkDropDownButton) {
    painter->DrawButton(ACanvas, arrow, "", state, true, color, textColor);
    painter->DrawDropDownGlyph(ACanvas, painter->ButtonContentBounds(arrow), textColor);
  }
  if (AFocused && !FMenuVisible) ACanvas.DrawFocusRect(painter->ButtonFocusRect(ACanvas, main));
}

void TcxCustomButton::CNDrawItem(TMessage& Message) {
  cxOwnerDrawItem(this, FCanvas, Message, [this](UINT AItemState) {
    PaintTo(*FcxCanvas, (AItemState & ODS_FOCUS) != 0, (AItemState & ODS_SELECTED) != 0);
  });
}

TL_MESSAGES(TcxCustomButton,
            TL_ON(CN_DRAWITEM, CNDrawItem),
            TL_ON(CN_MEASUREITEM, CNMeasureItem),
            TL_ON(CN_KEYDOWN, CNKeyDown),
            TL_ON(CN_SYSKEYDOWN, CNKeyDown),
            TL_ON(CM_DIALOGCHAR, CMDialogChar),
            TL_ON(CM_MOUSEENTER, CMMouseEnter),
            TL_ON(CM_MOUSELEAVE, CMMouseLeave),
            TL_ON(CM_ENABLEDCHANGED, CMEnabledChanged),
            TL_ON(CM_FONTCHANGED, CMFontChanged),
            TL_ON(CM_DROPDOWNPOPUPMENU, CMDropDownPopupMenu),
            TL_ON(CM_CLOSEUPPOPUPMENU, CMCloseUpPopupMenu),
            TL_ON(WM_CAPTURECHANGED, WMCaptureChanged),
            TL_ON(WM_CONTEXTMENU, WMContextMenu),
            TL_ON(WM_ERASEBKGND, WMEraseBkgnd),
            TL_ON(WM_LBUTTONDOWN, WMLButtonDown),
            TL_ON(WM_LBUTTONDBLCLK, WMLButtonDown),
            TL_ON(WM_LBUTTONUP, WMLButtonUp),
            TL_ON(WM_MOUSEMOVE, WMMouseMove),
            TL_ON(BM_SETSTYLE, BMSetStyle))

TL_DEFINE_CLASS(TcxCustomButton, [](auto& c) {
  using T = TcxCustomButton;
  c.Property("PopupMenu", &T::GetPopupMenu, &T::SetPopupMenu);
})

TL_DEFINE_CLASS(TcxButton, [](auto& c) {
  using T = TcxCustomButton;
  c.Property("Colors", &T::GetColors, &T::SetColors).Stored(&T::IsColorsStored);
  c.Property("DropDownMenu", &T::GetDropDownMenu, &T::SetDropDownMenu);
  c.Property("Glyph", &T::GetGlyph, &T::SetGlyph);
  c.Property("Kind", &T::GetKind, &T::SetKind).Default(TcxButtonKind::cxbkStandard);
  c.Property("Layout", &T::GetLayout, &T::SetLayout).Default(TButtonLayout::blGlyphLeft);
  c.Property("LookAndFeel", &T::GetLookAndFeel, &T::SetLookAndFeel);
  c.Property("Margin", &T::GetMargin, &T::SetMargin).Default(-1);
  c.Property("NumGlyphs", &T::GetNumGlyphs, &T::SetNumGlyphs).Default(1);
  c.Property("PopupAlignment", &T::GetPopupAlignment, &T::SetPopupAlignment).Default(TPopupAlignment::paLeft);
  c.Property("Spacing", &T::GetSpacing, &T::SetSpacing).Default(4);
  c.Property("UseSystemPaint", &T::GetUseSystemPaint, &T::SetUseSystemPaint).Default(false);
  c.Event("OnDropDownMenuPopup", &T::OnDropDownMenuPopup);
  c.Event("OnGetDrawParams", &T::OnGetDrawParams);
})

namespace {
UnitCounter gButtons;
}  // namespace

void cxButtons::Initialize() {
  if (gButtons.Enter()) RegisterClass(TcxButton::StaticClass());
}

void cxButtons::Finalize() {
  if (gButtons.Leave()) UnRegisterClass(TcxButton::StaticClass());
}
