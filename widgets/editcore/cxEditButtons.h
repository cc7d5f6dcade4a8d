// Edit buttons: the button settings an editor kind carries in its properties, their
// collection, the per-layout view info of one visible button, the state rule and how a
// press becomes a click.
#pragma once

#include "classlib/core/Collections.h"
#include "classlib/visual/Controls.h"
#include "classlib/visual/Graphics.h"
#include "widgets/foundation/cxGraphics.h"

TL_ENUM(TcxEditButtonKind, bkEllipsis, bkDown, bkGlyph, bkText);
// ebsSelected is the hot state.
TL_ENUM(TcxEditButtonState, ebsDisabled, ebsNormal, ebsPressed, ebsSelected);
TL_ENUM(TcxEditButtonStyle, btsDefault, bts3D, btsFlat, btsSimple, btsHotFlat, btsUltraFlat, btsOffice11);
TL_ENUM(TcxEditButtonTransparency, ebtNone, ebtInactive, ebtAlways, ebtHideInactive, ebtHideUnselected);
TL_ENUM(TcxEditButtonsViewStyle, bvsNormal, bvsButtonsOnly, bvsButtonsAutoWidth);

class TcxEditButtons;

class TcxEditButton : public TCollectionItem {
  TL_CLASS(TcxEditButton, TCollectionItem)
 public:
  explicit TcxEditButton(TCollection* Collection) : TCollectionItem(Collection) {}
  // The first button of a collection made at design time (not read from a stream) is the default one.
  void AfterConstruction() override;
  void BeforeDestruction() override;
  void Assign(TPersistent* Source) override;

  const String& GetCaption() const { return FCaption; }
  void SetCaption(const String& Value);
  // The caption without its hot-key prefixes.
  const String& GetDisplayCaption() const { return FDisplayCaption; }
  bool GetDefault() const { return FDefault; }
  // True clears Default on every other button of the collection.
  void SetDefault(bool Value);
  bool GetEnabled() const { return FEnabled; }
  void SetEnabled(bool Value);
  // Made on first read.
  TBitmap* GetGlyph() const;
  void SetGlyph(TBitmap* Value);
  bool HasGlyph() const { return FGlyph && !FGlyph->Empty(); }
  TcxEditButtonKind GetKind() const { return FKind; }
  void SetKind(TcxEditButtonKind Value);
  bool GetLeftAlignment() const { return FLeftAlignment; }
  void SetLeftAlignment(bool Value);
  bool GetStretchable() const { return FStretchable; }
  void SetStretchable(bool Value);
  TColor GetTextColor() const { return FTextColor; }
  void SetTextColor(TColor Value);
  bool GetVisible() const { return FVisible; }
  void SetVisible(bool Value);
  // 0 means automatic; a negative width is refused.
  Integer GetWidth() const { return FWidth; }
  void SetWidth(Integer Value);

  TcxEditButtons* Buttons() const;

 private:
  void GlyphChanged(TObject*) { Changed(false); }
  bool IsGlyphStored() const { return HasGlyph(); }

  String FCaption;
  bool FDefault = false;
  bool FEnabled = true;
  mutable TBitmap* FGlyph = nullptr;
  TcxEditButtonKind FKind = TcxEditButtonKind::bkDown;
  bool FLeftAlignment = false;
  bool FStretchable = true;
  TColor FTextColor = clBtnText;
  bool FVisible = true;
  String FDisplayCaption;
  Integer FWidth = 0;
};

class TcxEditButtons : public TOwnedCollection {
  TL_CLASS(TcxEditButtons, TOwnedCollection)
 public:
  explicit TcxEditButtons(TPersistent* AOwner);

  // Raises EListError for an index out of range.
  TcxEditButton* Items(Integer Index) const { return static_cast<TcxEditButton*>(TCollection::Items(Index)); }
  TcxEditButton* Add() { return static_cast<TcxEditButton*>(TCollection::Add()); }
  Integer VisibleCount() const;
  // The first button marked Default, or nullptr.
  TcxEditButton* GetDefaultButton() const;
  // The first visible button whose caption has AChar as its hot key (either case), or -1.
  Integer IndexOfAccel(Char AChar) const;

  // Fired with the collection as Sender whenever a button or the collection changed.
  TNotifyEvent OnChange;

 protected:
  void Update(TCollectionItem* Item) override;
};

// What the painter needs of one button, filled at layout time.
struct TcxEditButtonViewInfoData {
  bool Default = false;
  bool Gradient = false;
  bool IsInplace = false;
  TcxEditButtonKind Kind = TcxEditButtonKind::bkDown;
  bool LeftAlignment = false;
  // The outermost buttons of their side: Leftmost is the left-most button of its side's
  // group, Rightmost the right-most. A button that is both stands alone on its side.
  bool Leftmost = false;
  bool Rightmost = false;
  bool NativeStyle = false;
  String Caption;
  TColor TextColor = clBtnText;
  String DisplayCaption;
  TBitmap* Glyph = nullptr;  // the button's, not owned
  bool Transparent = false;
  bool Stretchable = true;
  // The editor has exactly one button and it is a drop-down one: drawn as a combo-box button.
  bool ComboBoxStyle = false;
  Integer Width = 0;
  // A pressed or hot ultra-flat button gets a whole frame instead of its inner side lines.
  bool FullFrame = false;
};

class TcxEditButtonViewInfo : public TPersistent {
  TL_CLASS(TcxEditButtonViewInfo, TPersistent)
 public:
  // Copies bounds, state, style, button index and data.
  void Assign(TPersistent* Source) override;
  // Empty when state, style, button index and transparency are those of AOld, else the
  // bounds; the caller frees the region.
  virtual TcxRegion* GetUpdateRegion(const TcxEditButtonViewInfo* AOld) const;
  // Invalidates the area of AOld and of these bounds (both shifted by AOffset) on
  // AControl's window when anything differs, erasing when transparent. True when it did.
  virtual bool Repaint(TWinControl* AControl, const TcxEditButtonViewInfo* AOld, const TPoint& AOffset) const;

  TRect Bounds{};
  TRect VisibleBounds{};
  Integer ButtonIndex = -1;
  Integer ButtonVisibleIndex = -1;
  TcxEditButtonState State = TcxEditButtonState::ebsNormal;
  TcxEditButtonStyle ButtonStyle = TcxEditButtonStyle::btsDefault;
  TcxEditButtonViewInfoData Data;
  // A colour set for the button (clDefault: none): kept in every state.
  TColor BackgroundColor = clDefault;
  // Theme values of a native button.
  int NativePart = 0;
  int NativeState = 0;
  bool BackgroundPartiallyTransparent = false;
};

// ---- states and clicks ----

// What one layout pass knows of the mouse and the editor for one button.
struct TcxEditButtonStateInput {
  bool EditEnabled = true;
  bool ButtonEnabled = true;
  // The mouse is over the button's visible bounds.
  bool MouseOver = false;
  // The view data reports the button pressed (a drop-down button with its popup open).
  bool PressedByViewData = false;
  // This pass handles a mouse-down.
  bool MouseDown = false;
  TShiftState Shift;
  // The kind can be pressed by the mouse.
  bool CanBePressed = true;
  // The button was the pressed one in the previous pass.
  bool WasPressed = false;
};

TcxEditButtonState cxCalculateEditButtonState(const TcxEditButtonStateInput& AInput);

// The press that a layout pass ended: the button released (-1 for none) and whether the
// release was a click (over that same button).
struct TcxEditButtonRelease {
  Integer ButtonIndex = -1;
  bool Click = false;
  bool operator==(const TcxEditButtonRelease&) const = default;
};
// From the pressed index of the previous view info, and the pressed and hot indexes of the new one.
TcxEditButtonRelease cxGetEditButtonRelease(Integer AOldPressedIndex, Integer ANewPressedIndex, Integer ANewHotIndex);
