// Menus: TMenuItem trees turned into platform menus, the form's main menu and popup
// menus, and shortcut keys (matched here on the key path, never by the platform).
#pragma once

#include "classlib/visual/Controls.h"
#include "platform/user/Controls.h"
#include "platform/user/Menus.h"

#include <vector>

// A key with its modifiers: the virtual key in the low byte plus scShift/scCtrl/scAlt.
using TShortCut = Word;
inline constexpr TShortCut scNone = 0;
inline constexpr TShortCut scShift = 0x2000;
inline constexpr TShortCut scCtrl = 0x4000;
inline constexpr TShortCut scAlt = 0x8000;

TShortCut ShortCut(Word Key, TShiftState Shift);
void ShortCutToKey(TShortCut ShortCut, Word& Key, TShiftState& Shift);
// "Ctrl+Shift+F2" and the like; "" for scNone.
String ShortCutToText(TShortCut ShortCut);
// The reverse of ShortCutToText, case-insensitive; scNone for text that names no key.
TShortCut TextToShortCut(const String& Text);

TL_ENUM(TPopupAlignment, paLeft, paRight, paCenter);

class TMenu;
class TMenuItem;
class TCustomImageList;
using TMenuDrawItemEvent = TMethod<void(TObject* Sender, TCanvas* ACanvas, TRect ARect, bool Selected)>;
using TMenuMeasureItemEvent = TMethod<void(TObject* Sender, TCanvas* ACanvas, Integer& Width, Integer& Height)>;

class TMenuItem : public TComponent {
  TL_CLASS(TMenuItem, TComponent)
 public:
  explicit TMenuItem(TComponent* AOwner);
  void BeforeDestruction() override;

  // "-" makes a separator; "&" marks the mnemonic ("&&" is a literal ampersand).
  const String& GetCaption() const { return FCaption; }
  void SetCaption(const String& Value);
  TShortCut GetShortCut() const { return FShortCut; }
  void SetShortCut(TShortCut Value);
  bool GetChecked() const { return FChecked; }
  // Checking a radio item unchecks the other radio items of its group.
  void SetChecked(bool Value);
  bool GetRadioItem() const { return FRadioItem; }
  void SetRadioItem(bool Value);
  Byte GetGroupIndex() const { return FGroupIndex; }
  void SetGroupIndex(Byte Value);
  bool GetEnabled() const { return FEnabled; }
  void SetEnabled(bool Value);
  bool GetVisible() const { return FVisible; }
  void SetVisible(bool Value);
  bool GetDefault() const { return FDefault; }
  void SetDefault(bool Value);
  // The image shown beside the caption: image ImageIndex of the menu's Images when the list
  // has it, otherwise Bitmap when it is not empty (pixels of its bottom-left colour are
  // transparent), otherwise none. A disabled item shows it as the image list draws disabled
  // images. Lines and owner-drawn items show no image.
  Integer GetImageIndex() const { return FImageIndex; }
  void SetImageIndex(Integer Value);
  // Made on first use; assigning nullptr frees it.
  TBitmap* GetBitmap();
  void SetBitmap(TBitmap* Value);
  bool HasBitmap() const { return FBitmap != nullptr; }
  const String& GetHint() const { return FHint; }
  void SetHint(const String& Value) { FHint = Value; }
  bool IsLine() const { return FCaption == "-"; }

  Integer Count() const { return Integer(FItems.size()); }
  // Raises EMenuError for an index out of range.
  TMenuItem* Items(Integer Index) const;
  TMenuItem* Parent() const { return FParent; }
  void Add(TMenuItem* Item);
  // Raises EMenuError when Item already has a parent or the index is out of range.
  void Insert(Integer Index, TMenuItem* Item);
  // Takes the item out and frees it.
  void Delete(Integer Index);
  // Takes the item out without freeing it.
  void Remove(TMenuItem* Item);
  void Clear();
  Integer IndexOf(const TMenuItem* Item) const;
  // The child whose caption, without its "&" marks, matches (case-insensitive).
  TMenuItem* Find(const String& ACaption) const;
  // The menu holding this item, or nullptr.
  TMenu* GetParentMenu() const;
  // The id of the item's command in WM_COMMAND.
  Word Command() const { return FCommand; }
  // The popup menu of this item's children (made on demand).
  HMENU Handle();

  // Runs OnClick when enabled.
  virtual void Click();

  bool HasParent() const override { return true; }
  TComponent* GetParentComponent() const override;
  void SetParentComponent(TComponent* Value) override;
  void GetChildren(const TGetChildProc& Proc, TComponent* Root) override;
  void ReadState(TReader& Reader) override;

  TNotifyEvent OnClick;
  TMenuDrawItemEvent OnDrawItem;
  TMenuMeasureItemEvent OnMeasureItem;

 protected:
  // Something shown in the menu changed: the platform menu is built again.
  void MenuChanged();

 private:
  friend class TMenu;
  void FillHandle(HMENU Menu);
  void RebuildHandle();
  // Destroys the menus made for this item and the items below it.
  void FreeHandles();
  void TurnSiblingsOff();
  UINT ItemFlags();
  // True when the platform should ask this item for an image (which may still be empty).
  bool AsksForImage();
  TSize ImageSize();
  void DrawImage(TCanvas* Canvas, const TRect& Rect, bool Enabled);
  void BitmapChanged(TObject* Sender);

  String FCaption;
  TShortCut FShortCut = scNone;
  bool FChecked = false;
  bool FRadioItem = false;
  Byte FGroupIndex = 0;
  bool FEnabled = true;
  bool FVisible = true;
  bool FDefault = false;
  Integer FImageIndex = -1;
  TBitmap* FBitmap = nullptr;
  String FHint;
  Word FCommand = 0;
  HMENU FHandle = nullptr;
  TMenuItem* FParent = nullptr;
  TMenu* FMenu = nullptr;  // set on the root item only
  std::vector<TMenuItem*> FItems;
};

class TMenu : public TComponent {
  TL_CLASS(TMenu, TComponent)
 public:
  explicit TMenu(TComponent* AOwner);
  void BeforeDestruction() override;

  // The root item: its children are the menu's entries.
  TMenuItem* Items() const { return FItems; }
  HMENU Handle();
  bool HandleAllocated() const { return FItems->FHandle != nullptr; }
  bool GetOwnerDraw() const { return FOwnerDraw; }
  void SetOwnerDraw(bool Value);
  // The images the items show by their ImageIndex (not owned; forgotten when freed).
  TCustomImageList* GetImages() const { return FImages; }
  void SetImages(TCustomImageList* Value);

  // Fires the item of a WM_COMMAND id; false when no item of this menu has it.
  bool DispatchCommand(Word ACommand);
  // WM_INITMENUPOPUP: runs OnClick of the item whose submenu opens.
  bool DispatchPopup(HMENU AMenu);
  // Fires the enabled item whose shortcut is the key of a WM_KEYDOWN/CN_KEYDOWN message.
  bool IsShortCut(TMessage& Message);
  TMenuItem* FindItemByCommand(Word ACommand) const;
  TMenuItem* FindItemByShortCut(TShortCut AShortCut) const;
  // Owner drawing of the items, and the images beside the captions of the others:
  // WM_MEASUREITEM / WM_DRAWITEM for menus (true when handled).
  bool MeasureItem(MEASUREITEMSTRUCT& Measure);
  bool DrawItem(const DRAWITEMSTRUCT& Draw);

  void GetChildren(const TGetChildProc& Proc, TComponent* Root) override;
  TComponent* GetChildParent() override { return this; }

 protected:
  virtual HMENU CreateMenuHandle() = 0;
  // The platform menu is rebuilt; the main menu redraws its window's bar.
  virtual void MenuChanged();
  // The window that receives the menu's messages (for owner drawing).
  virtual HWND WindowHandle() const { return nullptr; }
  void Notification(TComponent* AComponent, TOperation Operation) override;

 private:
  friend class TMenuItem;
  TMenuItem* FItems;
  bool FOwnerDraw = false;
  TCustomImageList* FImages = nullptr;
};

class TMainMenu : public TMenu {
  TL_CLASS(TMainMenu, TMenu)
 public:
  using TMenu::TMenu;
  // The form showing this menu, if any (set by the form's Menu property).
  HWND GetWindowHandle() const { return FWindowHandle; }
  void SetWindowHandle(HWND Value);

 protected:
  HMENU CreateMenuHandle() override { return CreateMenu(); }
  void MenuChanged() override;
  HWND WindowHandle() const override { return FWindowHandle; }

 private:
  HWND FWindowHandle = nullptr;
};

class TPopupMenu : public TMenu {
  TL_CLASS(TPopupMenu, TMenu)
 public:
  explicit TPopupMenu(TComponent* AOwner);
  void BeforeDestruction() override;

  // Runs OnPopup, shows the menu at the screen point until it closes and fires the
  // chosen item.
  virtual void Popup(Integer X, Integer Y);
  bool GetAutoPopup() const { return FAutoPopup; }
  void SetAutoPopup(bool Value) { FAutoPopup = Value; }
  TPopupAlignment GetAlignment() const { return FAlignment; }
  void SetAlignment(TPopupAlignment Value) { FAlignment = Value; }
  // The control whose right click opened the menu.
  TComponent* PopupComponent() const { return FPopupComponent; }
  void SetPopupComponent(TComponent* Value);

  TNotifyEvent OnPopup;

 protected:
  HMENU CreateMenuHandle() override { return CreatePopupMenu(); }
  HWND WindowHandle() const override { return FWindow; }
  void Notification(TComponent* AComponent, TOperation Operation) override;

 private:
  void WndProc(TMessage& Message);
  HWND FWindow = nullptr;
  bool FAutoPopup = true;
  TPopupAlignment FAlignment = TPopupAlignment::paLeft;
  TComponent* FPopupComponent = nullptr;
};

TL_EXCEPTION(EMenuError, Exception);

// The caption with its "&" marks taken out ("&&" gives "&").
String StripHotkey(const String& Text);

namespace MenusUnit {
void Initialize();
void Finalize();
}  // namespace MenusUnit
