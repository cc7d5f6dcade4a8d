// The library's push button: a class-library button drawn by the look-and-feel painters, with
// a glyph beside its caption, a colour per state, hot tracking and drop-down menu kinds.
#pragma once

#include "classlib/visual/Menus.h"
#include "classlib/visual/StdCtrls.h"
#include "widgets/editors/cxButtonGlyph.h"
#include "widgets/foundation/cxControls.h"
#include "widgets/foundation/cxLookAndFeels.h"

TL_ENUM(TcxButtonKind, cxbkStandard, cxbkDropDown, cxbkDropDownButton);

inline constexpr UINT CM_DROPDOWNPOPUPMENU = 0x812C;
inline constexpr UINT CM_CLOSEUPPOPUPMENU = 0x812D;

using TcxButtonDropDownMenuPopupEvent = TMethod<void(TObject* Sender, TPopupMenu*& APopupMenu, bool& AHandled)>;
using TcxButtonGetDrawParamsEvent = TMethod<void(TObject* Sender, TcxButtonState AState, TColor& AColor, TFont* AFont)>;

// The look and feel's painter, except that the Office11 painter gives way to the native one
// under visual styles and to the Standard one without them.
const TcxCustomLookAndFeelPainter* cxGetButtonPainter(TcxLookAndFeel* ALookAndFeel);

class TcxCustomButton : public TButton, public IcxMouseTrackingCaller {
  TL_CLASS(TcxCustomButton, TButton)
 public:
  // Width of the arrow part of a split button, and how far the main part stops short of the
  // right edge (the two overlap).
  static constexpr Integer kArrowWidth = 15;
  static constexpr Integer kMainPartIndent = 13;

  explicit TcxCustomButton(TComponent* AOwner);
  ~TcxCustomButton() override;
  void AfterConstruction() override;
  void BeforeDestruction() override;

  TcxButtonColors* GetColors() const { return FColors; }
  void SetColors(TcxButtonColors* Value) { FColors->Assign(Value); }
  TBitmap* GetGlyph() const { return FGlyph->GetGlyph(); }
  void SetGlyph(TBitmap* Value);
  Integer GetNumGlyphs() const { return FGlyph->GetNumGlyphs(); }
  void SetNumGlyphs(Integer Value);
  TcxButtonGlyph* ButtonGlyph() const { return FGlyph; }
  TcxButtonKind GetKind() const { return FKind; }
  void SetKind(TcxButtonKind Value);
  TButtonLayout GetLayout() const { return FLayout; }
  void SetLayout(TButtonLayout Value);
  TcxLookAndFeel* GetLookAndFeel() const { return FLookAndFeel; }
  void SetLookAndFeel(TcxLookAndFeel* Value) { FLookAndFeel->Assign(Value); }
  Integer GetMargin() const { return FMargin; }
  void SetMargin(Integer Value);
  Integer GetSpacing() const { return FSpacing; }
  void SetSpacing(Integer Value);
  TPopupMenu* GetDropDownMenu() const { return FDropDownMenu; }
  void SetDropDownMenu(TPopupMenu* Value);
  TPopupAlignment GetPopupAlignment() const { return FPopupAlignment; }
  void SetPopupAlignment(TPopupAlignment Value) { FPopupAlignment = Value; }
  TComponent* GetPopupMenu() const { return FPopupMenu; }
  void SetPopupMenu(TComponent* Value);
  bool GetUseSystemPaint() const { return FUseSystemPaint; }
  void SetUseSystemPaint(bool Value) { FUseSystemPaint = Value; }
  bool IsColorsStored() const { return !FColors->GetAssignedColors().Empty(); }

  // The state the next paint uses.
  TcxButtonState CurrentState() const;
  bool IsHot() const { return FHot; }
  bool IsMenuVisible() const { return FMenuVisible; }
  bool IsDefaultLook() const { return FIsDefault; }
  bool IsArrowPressed() const { return FArrowPressed; }

  void Click() override;
  // Paints the whole button onto ACanvas at (0, 0), as the window would.
  void PaintTo(TcxCanvas& ACanvas, bool AFocused, bool APressed);

  TcxButtonDropDownMenuPopupEvent OnDropDownMenuPopup;
  TcxButtonGetDrawParamsEvent OnGetDrawParams;

  virtual bool DoDropDownMenuPopup(TPopupMenu*& AMenu);
  virtual bool DoShowPopupMenu(TComponent* AMenu, Integer X, Integer Y);
  virtual TcxButtonGlyph* CreateGlyph();
  virtual const TcxCustomLookAndFeelPainter* GetPainterClass();
  virtual bool IsSystemPaint() const { return false; }

 protected:
  // An action's image becomes the glyph of a button that has none.
  void ActionChange(TObject* Sender, bool CheckDefaults) override;
  void CreateParams(TCreateParams& Params) override;
  void CreateWnd() override;
  void DestroyWnd() override;
  void Notification(TComponent* AComponent, TOperation Operation) override;
  void MouseLeave() override;

  bool IsHotTrack();
  void DoMouseEnter();
  void DoMouseLeave();
  // Whether the screen point lies on the arrow part of a split button.
  bool IsOnArrow(Integer X) const;
  void DropDown();
  TPoint PopupPoint(TPopupMenu* AMenu, TPopupAlignment& AAlignment);

  void CNDrawItem(TMessage& Message);
  void CNMeasureItem(TMessage& Message);
  void CNKeyDown(TMessage& Message);
  void CMDialogChar(TMessage& Message);
  void CMMouseEnter(TMessage& Message);
  void CMMouseLeave(TMessage& Message);
  void CMEnabledChanged(TMessage& Message);
  void CMFontChanged(TMessage& Message);
  void CMDropDownPopupMenu(TMessage& Message);
  void CMCloseUpPopupMenu(TMessage& Message);
  void WMCaptureChanged(TMessage& Message);
  void WMContextMenu(TMessage& Message);
  void WMEraseBkgnd(TMessage& Message);
  void WMLButtonDown(TMessage& Message);
  void WMLButtonUp(TMessage& Message);
  void WMMouseMove(TMessage& Message);
  void BMSetStyle(TMessage& Message);

 private:
  void GlyphChanged(TObject* Sender);
  void LookAndFeelChanged(TcxLookAndFeel* Sender, TcxLookAndFeelValues AChangedValues);

  TCanvas* FCanvas;
  TcxCanvas* FcxCanvas;
  TcxButtonColors* FColors;
  TcxButtonGlyph* FGlyph = nullptr;
  TcxLookAndFeel* FLookAndFeel;
  TcxButtonKind FKind = TcxButtonKind::cxbkStandard;
  TButtonLayout FLayout = TButtonLayout::blGlyphLeft;
  Integer FMargin = -1;
  Integer FSpacing = 4;
  TPopupMenu* FDropDownMenu = nullptr;
  TPopupAlignment FPopupAlignment = TPopupAlignment::paLeft;
  TComponent* FPopupMenu = nullptr;
  TPopupMenu* FShownMenu = nullptr;  // the menu open right now, cleared should it be freed
  bool FUseSystemPaint = false;
  bool FIsPressed = false;
  bool FIsFocused = false;
  bool FIsDefault = false;
  bool FArrowPressed = false;
  bool FMenuVisible = false;
  bool FHot = false;
  bool FMenuJustClosed = false;
};

class TcxButton : public TcxCustomButton {
  TL_CLASS(TcxButton, TcxCustomButton)
 public:
  using TcxCustomButton::TcxCustomButton;
};

namespace cxButtons {
void Initialize();
void Finalize();
}  // namespace cxButtons
