#include "classlib/visual/Menus.h"

#include "classlib/core/Filer.h"
#include "classlib/core/ScopeGuards.h"
#include "classlib/core/SysUtils.h"
#include "classlib/visual/Forms.h"
#include "classlib/visual/ImgList.h"
#include "platform/host/HeadlessHost.h"
#include "platform/kernel/Units.h"

#include <deque>
#include <map>

// ---- Shortcuts ----------------------------------------------------------------------------

namespace {

struct KeyName {
  Word Key;
  const char* Name;
};
const KeyName kKeyNames[] = {
    {VK_BACK, "BkSp"},   {VK_TAB, "Tab"},     {VK_ESCAPE, "Esc"},    {VK_RETURN, "Enter"}, {VK_SPACE, "Space"},
    {VK_PRIOR, "PgUp"},  {VK_NEXT, "PgDn"},   {VK_END, "End"},       {VK_HOME, "Home"},    {VK_LEFT, "Left"},
    {VK_UP, "Up"},       {VK_RIGHT, "Right"}, {VK_DOWN, "Down"},     {VK_INSERT, "Ins"},   {VK_DELETE, "Del"},
};

String KeyToText(Word Key) {
  if ((Key >= '0' && Key <= '9') || (Key >= 'A' && Key <= 'Z')) return String(1, Char(Key));
  if (Key >= VK_F1 && Key <= VK_F1 + 11) return "F" + std::to_string(Key - VK_F1 + 1);
  for (const KeyName& k : kKeyNames)
    if (k.Key == Key) return k.Name;
  return "";
}

Word TextToKey(const String& Text) {
  for (Word k = 1; k < 256; ++k) {
    String name = KeyToText(k);
    if (!name.empty() && SameText(name, Text)) return k;
  }
  return 0;
}

// Command ids of the items alive, unique across all menus.
std::map<Word, TMenuItem*> gCommands;
Word gNextCommand = 100;

Word AllocateCommand(TMenuItem* Item) {
  for (int tries = 0; tries < 0x10000; ++tries) {
    Word id = gNextCommand++;
    if (gNextCommand == 0) gNextCommand = 100;
    if (id >= 100 && !gCommands.count(id)) {
      gCommands[id] = Item;
      return id;
    }
  }
  throw EMenuError("Too many menu items");
}

}  // namespace

TShortCut ShortCut(Word Key, TShiftState Shift) {
  if (Key & 0xFF00) return scNone;
  TShortCut r = Key;
  if (Shift.Contains(TShiftStateItem::ssShift)) r |= scShift;
  if (Shift.Contains(TShiftStateItem::ssCtrl)) r |= scCtrl;
  if (Shift.Contains(TShiftStateItem::ssAlt)) r |= scAlt;
  return r;
}

void ShortCutToKey(TShortCut AShortCut, Word& Key, TShiftState& Shift) {
  Key = AShortCut & 0xFF;
  Shift = {};
  if (AShortCut & scShift) Shift.Include(TShiftStateItem::ssShift);
  if (AShortCut & scCtrl) Shift.Include(TShiftStateItem::ssCtrl);
  if (AShortCut & scAlt) Shift.Include(TShiftStateItem::ssAlt);
}

String ShortCutToText(TShortCut AShortCut) {
  String name = KeyToText(AShortCut & 0xFF);
  if (name.empty()) return "";
  String prefix;
  if (AShortCut & scShift) prefix += "Shift+";
  if (AShortCut & scCtrl) prefix += "Ctrl+";
  if (AShortCut & scAlt) prefix += "Alt+";
  return prefix + name;
}

TShortCut TextToShortCut(const String& Text) {
  TShortCut mods = 0;
  String rest = Text;
  for (;;) {
    auto take = [&](const char* p, TShortCut bit) {
      size_t n = std::char_traits<char>::length(p);
      if (rest.size() > n && SameText(rest.substr(0, n), p)) {
        rest.erase(0, n);
        mods |= bit;
        return true;
      }
      return false;
    };
    if (!take("Shift+", scShift) && !take("Ctrl+", scCtrl) && !take("Alt+", scAlt)) break;
  }
  Word key = TextToKey(rest);
  return key ? TShortCut(key | mods) : scNone;
}

String StripHotkey(const String& Text) {
  String r;
  for (size_t i = 0; i < Text.size(); ++i) {
    if (Text[i] != '&') r += Text[i];
    else if (i + 1 < Text.size()) r += Text[++i];
  }
  return r;
}

// ---- TMenuItem ----------------------------------------------------------------------------

TMenuItem::TMenuItem(TComponent* AOwner) : TComponent(AOwner) { FCommand = AllocateCommand(this); }

void TMenuItem::BeforeDestruction() {
  if (FParent) FParent->Remove(this);
  while (!FItems.empty()) {
    TMenuItem* last = FItems.back();
    FItems.pop_back();
    last->FParent = nullptr;
    last->Free();
  }
  if (FHandle && !FMenu) DestroyMenu(FHandle);
  FHandle = nullptr;
  FreeAndNil(FBitmap);
  gCommands.erase(FCommand);
  inherited::BeforeDestruction();
}

TMenuItem* TMenuItem::Items(Integer Index) const {
  if (Index < 0 || Index >= Count()) throw EMenuError("Menu index out of range");
  return FItems[size_t(Index)];
}

void TMenuItem::Add(TMenuItem* Item) { Insert(Count(), Item); }

void TMenuItem::Insert(Integer Index, TMenuItem* Item) {
  if (!Item) throw EMenuError("No menu item to insert");
  if (Item->FParent) throw EMenuError("Menu inserted twice");
  if (Index < 0 || Index > Count()) throw EMenuError("Menu index out of range");
  for (TMenuItem* p = this; p; p = p->FParent)
    if (p == Item) throw EMenuError("A menu item cannot hold itself");
  FItems.insert(FItems.begin() + Index, Item);
  Item->FParent = this;
  MenuChanged();
}

void TMenuItem::Delete(Integer Index) {
  TMenuItem* item = Items(Index);
  Remove(item);
  item->Free();
}

void TMenuItem::Remove(TMenuItem* Item) {
  Integer i = IndexOf(Item);
  if (i < 0) throw EMenuError("Menu item not found");
  FItems.erase(FItems.begin() + i);
  Item->FParent = nullptr;
  // Rebuilt first, so the item's own menus are no longer attached when they go.
  MenuChanged();
  Item->FreeHandles();
}

void TMenuItem::Clear() {
  while (!FItems.empty()) Delete(Count() - 1);
}

Integer TMenuItem::IndexOf(const TMenuItem* Item) const {
  for (size_t i = 0; i < FItems.size(); ++i)
    if (FItems[i] == Item) return Integer(i);
  return -1;
}

TMenuItem* TMenuItem::Find(const String& ACaption) const {
  String want = StripHotkey(ACaption);
  for (TMenuItem* i : FItems)
    if (SameText(StripHotkey(i->FCaption), want)) return i;
  return nullptr;
}

TMenu* TMenuItem::GetParentMenu() const {
  const TMenuItem* i = this;
  while (i->FParent) i = i->FParent;
  return i->FMenu;
}

TComponent* TMenuItem::GetParentComponent() const {
  if (FParent && FParent->FMenu) return FParent->FMenu;
  return FParent;
}

void TMenuItem::SetParentComponent(TComponent* Value) {
  if (FParent) FParent->Remove(this);
  if (auto* m = dynamic_cast<TMenu*>(Value))
    m->Items()->Add(this);
  else if (auto* i = dynamic_cast<TMenuItem*>(Value))
    i->Add(this);
}

void TMenuItem::GetChildren(const TGetChildProc& Proc, TComponent*) {
  for (TMenuItem* i : FItems) Proc(i);
}

void TMenuItem::ReadState(TReader& Reader) {
  if (Reader.Parent() && Reader.Parent() != this && Reader.Parent() != GetParentComponent())
    SetParentComponent(Reader.Parent());
  inherited::ReadState(Reader);
}

void TMenuItem::SetCaption(const String& Value) {
  if (FCaption == Value) return;
  FCaption = Value;
  MenuChanged();
}

void TMenuItem::SetShortCut(TShortCut Value) {
  if (FShortCut == Value) return;
  FShortCut = Value;
  MenuChanged();
}

void TMenuItem::TurnSiblingsOff() {
  if (!FParent) return;
  for (TMenuItem* i : FParent->FItems)
    if (i != this && i->FRadioItem && i->FGroupIndex == FGroupIndex) i->FChecked = false;
}

void TMenuItem::SetChecked(bool Value) {
  if (FChecked == Value) return;
  FChecked = Value;
  if (Value && FRadioItem) TurnSiblingsOff();
  MenuChanged();
}

void TMenuItem::SetRadioItem(bool Value) {
  if (FRadioItem == Value) return;
  FRadioItem = Value;
  if (FChecked && FRadioItem) TurnSiblingsOff();
  MenuChanged();
}

void TMenuItem::SetGroupIndex(Byte Value) {
  if (FGroupIndex == Value) return;
  FGroupIndex = Value;
  if (FChecked && FRadioItem) TurnSiblingsOff();
  MenuChanged();
}

void TMenuItem::SetEnabled(bool Value) {
  if (FEnabled == Value) return;
  FEnabled = Value;
  MenuChanged();
}

void TMenuItem::SetVisible(bool Value) {
  if (FVisible == Value) return;
  FVisible = Value;
  MenuChanged();
}

void TMenuItem::SetDefault(bool Value) {
  if (FDefault == Value) return;
  if (Value && FParent)
    for (TMenuItem* i : FParent->FItems) i->FDefault = false;
  FDefault = Value;
  MenuChanged();
}

void TMenuItem::SetImageIndex(Integer Value) {
  if (FImageIndex == Value) return;
  FImageIndex = Value;
  MenuChanged();
}

TBitmap* TMenuItem::GetBitmap() {
  if (!FBitmap) {
    FBitmap = New<TBitmap>();
    FBitmap->OnChange = TNotifyEvent(this, &TMenuItem::BitmapChanged);
    MenuChanged();
  }
  return FBitmap;
}

void TMenuItem::SetBitmap(TBitmap* Value) {
  if (!Value) {
    if (!FBitmap) return;
    FreeAndNil(FBitmap);
    MenuChanged();
    return;
  }
  if (Value == FBitmap) return;
  GetBitmap()->Assign(Value);
}

// The menu's layout is asked again each time it opens; an open menu is redrawn.
void TMenuItem::BitmapChanged(TObject*) { MenuChanged(); }

bool TMenuItem::AsksForImage() {
  if (IsLine() || (ItemFlags() & MFT_OWNERDRAW)) return false;
  TMenu* menu = GetParentMenu();
  return (menu && menu->FImages && FImageIndex >= 0) || FBitmap;
}

namespace {
TCustomImageList* ListHolding(TMenuItem* Item, Integer Index) {
  TMenu* menu = Item->GetParentMenu();
  TCustomImageList* list = menu ? menu->GetImages() : nullptr;
  return list && Index >= 0 && Index < list->Count() ? list : nullptr;
}
}  // namespace

TSize TMenuItem::ImageSize() {
  if (TCustomImageList* list = ListHolding(this, FImageIndex)) return {list->GetWidth(), list->GetHeight()};
  if (FBitmap && !FBitmap->Empty()) return {FBitmap->GetWidth(), FBitmap->GetHeight()};
  return {0, 0};
}

void TMenuItem::DrawImage(TCanvas* Canvas, const TRect& Rect, bool Enabled) {
  if (TCustomImageList* list = ListHolding(this, FImageIndex)) {
    list->Draw(Canvas, Rect.Left, Rect.Top, FImageIndex, Enabled);
    return;
  }
  if (!FBitmap || FBitmap->Empty()) return;
  // Through a one-image list, so a disabled item's bitmap looks like a disabled list image.
  Owned<TImageList> one(New<TImageList>(nullptr));
  one->SetWidth(FBitmap->GetWidth());
  one->SetHeight(FBitmap->GetHeight());
  one->AddMasked(FBitmap, clDefault);
  one->Draw(Canvas, Rect.Left, Rect.Top, 0, Enabled);
}

void TMenuItem::Click() {
  if (FEnabled && OnClick) OnClick(this);
}

void TMenuItem::MenuChanged() {
  if (InState(TComponentStateItem::csLoading) || InState(TComponentStateItem::csDestroying)) return;
  if (TMenu* m = GetParentMenu()) m->MenuChanged();
}

HMENU TMenuItem::Handle() {
  if (!FHandle) {
    FHandle = CreatePopupMenu();
    FillHandle(FHandle);
  }
  return FHandle;
}

UINT TMenuItem::ItemFlags() {
  UINT type = IsLine() ? MFT_SEPARATOR : MFT_STRING;
  if (FRadioItem) type |= MFT_RADIOCHECK;
  TMenu* menu = GetParentMenu();
  if (menu && menu->FOwnerDraw && !IsLine()) type |= MFT_OWNERDRAW;
  return type;
}

void TMenuItem::FillHandle(HMENU Menu) {
  for (TMenuItem* i : FItems) {
    if (!i->FVisible) continue;
    String text = i->FCaption;
    if (i->FShortCut != scNone && !i->IsLine()) {
      String sc = ShortCutToText(i->FShortCut);
      if (!sc.empty()) text += "\t" + sc;
    }
    MENUITEMINFOA info;
    info.fMask = MIIM_FTYPE | MIIM_STATE | MIIM_ID | MIIM_DATA | MIIM_STRING | MIIM_SUBMENU;
    info.fType = i->ItemFlags();
    info.fState = (i->FEnabled ? MFS_ENABLED : MFS_GRAYED) | (i->FChecked ? MFS_CHECKED : 0) |
                  (i->FDefault ? MFS_DEFAULT : 0);
    info.wID = i->FCommand;
    info.dwItemData = reinterpret_cast<ULONG_PTR>(i);
    info.dwTypeData = text.data();
    info.cch = UINT(text.size());
    info.hSubMenu = nullptr;
    if (i->AsksForImage()) {
      info.fMask |= MIIM_BITMAP;
      info.hbmpItem = HBMMENU_CALLBACK;
    }
    if (!i->FItems.empty()) {
      if (i->FHandle)
        i->RebuildHandle();
      else
        i->Handle();
      info.hSubMenu = i->FHandle;
    }
    InsertMenuItemA(Menu, UINT(GetMenuItemCount(Menu)), TRUE, &info);
  }
}

void TMenuItem::RebuildHandle() {
  // The same menu handles are refilled, never replaced: a change made while the menu is
  // open (a submenu's OnClick updating its items) leaves the open menus valid.
  while (GetMenuItemCount(FHandle) > 0) RemoveMenu(FHandle, 0, MF_BYPOSITION);
  for (TMenuItem* i : FItems)
    if (i->FHandle && (i->FItems.empty() || !i->FVisible)) i->FreeHandles();
  FillHandle(FHandle);
}

void TMenuItem::FreeHandles() {
  if (FHandle)
    while (GetMenuItemCount(FHandle) > 0) RemoveMenu(FHandle, 0, MF_BYPOSITION);
  for (TMenuItem* i : FItems) i->FreeHandles();
  if (FHandle && !FMenu) {
    DestroyMenu(FHandle);
    FHandle = nullptr;
  }
}

// ---- TMenu --------------------------------------------------------------------------------

TMenu::TMenu(TComponent* AOwner) : TComponent(AOwner), FItems(New<TMenuItem>(nullptr)) { FItems->FMenu = this; }

void TMenu::BeforeDestruction() {
  if (FItems->FHandle) {
    FItems->FreeHandles();
    DestroyMenu(FItems->FHandle);
    FItems->FHandle = nullptr;
  }
  FItems->FMenu = nullptr;
  FItems->Free();
  inherited::BeforeDestruction();
}

HMENU TMenu::Handle() {
  if (!FItems->FHandle) {
    FItems->FHandle = CreateMenuHandle();
    FItems->FillHandle(FItems->FHandle);
  }
  return FItems->FHandle;
}

void TMenu::MenuChanged() {
  if (FItems->FHandle) FItems->RebuildHandle();
}

void TMenu::SetImages(TCustomImageList* Value) {
  if (FImages == Value) return;
  if (FImages) FImages->RemoveFreeNotification(this);
  FImages = Value;
  if (Value) Value->FreeNotification(this);
  MenuChanged();
}

void TMenu::Notification(TComponent* AComponent, TOperation Operation) {
  inherited::Notification(AComponent, Operation);
  if (Operation == TOperation::opRemove && AComponent == FImages) {
    FImages = nullptr;
    MenuChanged();
  }
}

void TMenu::SetOwnerDraw(bool Value) {
  if (FOwnerDraw == Value) return;
  FOwnerDraw = Value;
  MenuChanged();
}

namespace {
template <class F>
TMenuItem* FindIn(TMenuItem* Item, const F& Match) {
  for (Integer i = 0; i < Item->Count(); ++i) {
    TMenuItem* c = Item->Items(i);
    if (Match(c)) return c;
    if (TMenuItem* r = FindIn(c, Match)) return r;
  }
  return nullptr;
}
}  // namespace

TMenuItem* TMenu::FindItemByCommand(Word ACommand) const {
  return FindIn(FItems, [&](TMenuItem* i) { return i->Command() == ACommand; });
}

TMenuItem* TMenu::FindItemByShortCut(TShortCut AShortCut) const {
  if (AShortCut == scNone) return nullptr;
  return FindIn(FItems, [&](TMenuItem* i) { return i->GetShortCut() == AShortCut; });
}

bool TMenu::DispatchCommand(Word ACommand) {
  TMenuItem* item = FindItemByCommand(ACommand);
  if (!item) return false;
  item->Click();
  return true;
}

bool TMenu::DispatchPopup(HMENU AMenu) {
  if (!AMenu) return false;
  TMenuItem* item = FindIn(FItems, [&](TMenuItem* i) { return i->FHandle == AMenu; });
  if (!item) return false;
  item->Click();
  return true;
}

bool TMenu::IsShortCut(TMessage& Message) {
  TShortCut sc = ShortCut(Word(Message.WParam), KeyDataToShiftState(Message.LParam));
  TMenuItem* item = FindItemByShortCut(sc);
  if (!item) return false;
  // Each submenu on the way is "opened" first, so its OnClick can update the items
  // below it; the item fires only if it and its parents are enabled after that.
  // A handler may free its item, a later one or the menu: the key is spent then.
  std::deque<TWeakLink> chain;
  for (TMenuItem* p = item->Parent(); p && p != FItems; p = p->Parent()) chain.emplace_front(p);
  TWeakLink self(this);
  for (TWeakLink& link : chain) {
    auto* p = static_cast<TMenuItem*>(link.Ref());
    if (!p) return true;
    if (!p->GetEnabled()) return false;
    p->Click();
    if (!self.Alive()) return true;
  }
  // The handlers may have changed the tree: look the key up again.
  item = FindItemByShortCut(sc);
  if (!item) return false;
  for (TMenuItem* p = item; p && p != FItems; p = p->Parent())
    if (!p->GetEnabled()) return false;
  item->Click();
  return true;
}

namespace {
TMenuItem* ItemOfData(TMenuItem* Root, ULONG_PTR Data) {
  return FindIn(Root, [&](TMenuItem* i) { return reinterpret_cast<ULONG_PTR>(i) == Data; });
}
}  // namespace

bool TMenu::MeasureItem(MEASUREITEMSTRUCT& Measure) {
  if (Measure.CtlType != ODT_MENU) return false;
  TMenuItem* item = ItemOfData(FItems, Measure.itemData);
  if (!item) return false;
  if (item->AsksForImage()) {
    const TSize size = item->ImageSize();
    Measure.itemWidth = UINT(std::max<Integer>(size.cx, 0));
    Measure.itemHeight = UINT(std::max<Integer>(size.cy, 0));
    return true;
  }
  Owned<TCanvas> canvas(New<TCanvas>());
  HDC dc = GetDC(nullptr);
  canvas->SetHandle(dc);
  Integer w = canvas->TextWidth(StripHotkey(item->GetCaption())) + 24;
  Integer h = std::max<Integer>(canvas->TextHeight("Wg") + 4, 16);
  {
    TScopeExit release([&canvas, dc] {
      canvas->SetHandle(nullptr);
      ReleaseDC(nullptr, dc);
    });
    if (item->OnMeasureItem) item->OnMeasureItem(item, canvas.get(), w, h);
  }
  Measure.itemWidth = UINT(std::max<Integer>(w, 0));
  Measure.itemHeight = UINT(std::max<Integer>(h, 0));
  return true;
}

bool TMenu::DrawItem(const DRAWITEMSTRUCT& Draw) {
  if (Draw.CtlType != ODT_MENU) return false;
  TMenuItem* item = ItemOfData(FItems, Draw.itemData);
  if (!item) return false;
  Owned<TCanvas> canvas(New<TCanvas>());
  canvas->SetHandle(Draw.hDC);
  TScopeExit release([&canvas] { canvas->SetHandle(nullptr); });
  bool selected = (Draw.itemState & ODS_SELECTED) != 0;
  if (item->AsksForImage()) {
    // Only the image: the platform draws the rest of the item.
    item->DrawImage(canvas.get(), Draw.rcItem, !(Draw.itemState & (ODS_GRAYED | ODS_DISABLED)));
  } else if (item->OnDrawItem) {
    item->OnDrawItem(item, canvas.get(), Draw.rcItem, selected);
  } else {
    canvas->Brush()->SetColor(selected ? clHighlight : clMenu);
    canvas->FillRect(Draw.rcItem);
    canvas->Font()->SetColor(!item->GetEnabled() ? clGrayText
                             : selected          ? clHighlightText
                                                 : clMenuText);
    canvas->TextOut(Draw.rcItem.Left + 20, Draw.rcItem.Top + 2, StripHotkey(item->GetCaption()));
  }
  return true;
}

void TMenu::GetChildren(const TGetChildProc& Proc, TComponent* Root) { FItems->GetChildren(Proc, Root); }

// ---- TMainMenu ----------------------------------------------------------------------------

void TMainMenu::SetWindowHandle(HWND Value) {
  if (FWindowHandle == Value) return;
  if (FWindowHandle && IsWindow(FWindowHandle) && HandleAllocated() && GetMenu(FWindowHandle) == Handle())
    SetMenu(FWindowHandle, nullptr);
  FWindowHandle = Value;
  if (FWindowHandle) SetMenu(FWindowHandle, Handle());
}

void TMainMenu::MenuChanged() {
  TMenu::MenuChanged();
  if (FWindowHandle && IsWindow(FWindowHandle)) DrawMenuBar(FWindowHandle);
}

// ---- TPopupMenu ---------------------------------------------------------------------------

TPopupMenu::TPopupMenu(TComponent* AOwner) : TMenu(AOwner) {
  FWindow = AllocateHWnd(TWndMethod(this, &TPopupMenu::WndProc));
}

void TPopupMenu::BeforeDestruction() {
  if (FWindow) DeallocateHWnd(FWindow);
  FWindow = nullptr;
  SetPopupComponent(nullptr);
  inherited::BeforeDestruction();
}

void TPopupMenu::SetPopupComponent(TComponent* Value) {
  if (FPopupComponent == Value) return;
  if (FPopupComponent) FPopupComponent->RemoveFreeNotification(this);
  FPopupComponent = Value;
  if (Value) Value->FreeNotification(this);
}

void TPopupMenu::Notification(TComponent* AComponent, TOperation Operation) {
  inherited::Notification(AComponent, Operation);
  if (Operation == TOperation::opRemove && AComponent == FPopupComponent) FPopupComponent = nullptr;
}

void TPopupMenu::Popup(Integer X, Integer Y) {
  TWeakLink self(this);
  if (OnPopup) OnPopup(this);
  if (!self.Alive()) return;  // the handler freed the menu
  static const UINT kAlign[] = {TPM_LEFTALIGN, TPM_RIGHTALIGN, TPM_CENTERALIGN};
  UINT flags = kAlign[int(FAlignment)] | TPM_RIGHTBUTTON | TPM_RETURNCMD;
  UINT cmd = UINT(TrackPopupMenu(Handle(), flags, X, Y, 0, FWindow, nullptr));
  // The choice runs after the menu has closed, as a plain command.
  if (cmd != 0 && self.Alive()) DispatchCommand(Word(cmd));
}

void TPopupMenu::WndProc(TMessage& Message) {
  try {
    switch (Message.Msg) {
      case WM_INITMENUPOPUP:
        DispatchPopup(reinterpret_cast<HMENU>(Message.WParam));
        return;
      case WM_MEASUREITEM:
        if (MeasureItem(*reinterpret_cast<MEASUREITEMSTRUCT*>(Message.LParam))) {
          Message.Result = 1;
          return;
        }
        break;
      case WM_DRAWITEM:
        if (DrawItem(*reinterpret_cast<DRAWITEMSTRUCT*>(Message.LParam))) {
          Message.Result = 1;
          return;
        }
        break;
      default:
        break;
    }
  } catch (const HeadlessStall&) {
    throw;
  } catch (...) {  // not cleanup: a message's error is reported, never passed to the platform
    if (Application) Application->HandleException(this);
    return;
  }
  Message.Result = DefWindowProcA(FWindow, Message.Msg, Message.WParam, Message.LParam);
}

// ---- The control's popup menu ---------------------------------------------------------------

void TControl::SetPopupMenu(TPopupMenu* Value) {
  if (FPopupMenu == Value) return;
  if (FPopupMenu) FPopupMenu->RemoveFreeNotification(this);
  FPopupMenu = Value;
  if (Value) Value->FreeNotification(this);
}

void TControl::Notification(TComponent* AComponent, TOperation Operation) {
  inherited::Notification(AComponent, Operation);
  if (Operation == TOperation::opRemove && AComponent == FPopupMenu) FPopupMenu = nullptr;
  // The action being freed has already let go of the link: the link goes as well.
  if (Operation == TOperation::opRemove && FActionLink && (AComponent == GetAction() || !GetAction()))
    SetAction(nullptr);
}

void TControl::WMContextMenu(TMessage& Message) {
  TPoint pt{SHORT(LOWORD(Message.LParam)), SHORT(HIWORD(Message.LParam))};
  bool fromKeyboard = Message.LParam == LPARAM(-1);
  if (fromKeyboard) pt = ClientToScreen(TPoint{0, 0});
  TPopupMenu* menu = FPopupMenu;
  if (!menu || !menu->GetAutoPopup()) {
    // A window passes it to its parent by default; a graphic control does so here.
    if (!dynamic_cast<TWinControl*>(this) && FParent)
      Message.Result = FParent->Perform(WM_CONTEXTMENU, Message.WParam, Message.LParam);
    else
      TL_INHERITED(Message);
    return;
  }
  menu->SetPopupComponent(this);
  menu->Popup(pt.X, pt.Y);
  Message.Result = 1;
}

// ---- Registration -------------------------------------------------------------------------

TL_DEFINE_CLASS(TMenuItem, [](auto& c) {
  c.Property("Caption", &TMenuItem::GetCaption, &TMenuItem::SetCaption);
  c.Property("Checked", &TMenuItem::GetChecked, &TMenuItem::SetChecked).Default(false);
  c.Property("Default", &TMenuItem::GetDefault, &TMenuItem::SetDefault).Default(false);
  c.Property("Enabled", &TMenuItem::GetEnabled, &TMenuItem::SetEnabled).Default(true);
  c.Property("GroupIndex", &TMenuItem::GetGroupIndex, &TMenuItem::SetGroupIndex).Default(0);
  c.Property("Hint", &TMenuItem::GetHint, &TMenuItem::SetHint);
  c.Property("Bitmap", &TMenuItem::GetBitmap, &TMenuItem::SetBitmap).Stored(&TMenuItem::HasBitmap);
  c.Property("ImageIndex", &TMenuItem::GetImageIndex, &TMenuItem::SetImageIndex).Default(-1);
  c.Property("RadioItem", &TMenuItem::GetRadioItem, &TMenuItem::SetRadioItem).Default(false);
  c.Property("ShortCut", &TMenuItem::GetShortCut, &TMenuItem::SetShortCut).Default(0);
  c.Property("Visible", &TMenuItem::GetVisible, &TMenuItem::SetVisible).Default(true);
  c.Event("OnClick", &TMenuItem::OnClick);
  c.Event("OnDrawItem", &TMenuItem::OnDrawItem);
  c.Event("OnMeasureItem", &TMenuItem::OnMeasureItem);
})
TL_DEFINE_CLASS(TMenu, [](auto& c) {
  c.Property("Images", &TMenu::GetImages, &TMenu::SetImages);
  c.Property("OwnerDraw", &TMenu::GetOwnerDraw, &TMenu::SetOwnerDraw).Default(false);
})
TL_DEFINE_CLASS(TMainMenu)
TL_DEFINE_CLASS(TPopupMenu, [](auto& c) {
  c.Property("Alignment", &TPopupMenu::GetAlignment, &TPopupMenu::SetAlignment).Default(TPopupAlignment::paLeft);
  c.Property("AutoPopup", &TPopupMenu::GetAutoPopup, &TPopupMenu::SetAutoPopup).Default(true);
  c.Event("OnPopup", &TPopupMenu::OnPopup);
})

namespace {
UnitCounter gMenus;
}

void MenusUnit::Initialize() {
  if (gMenus.Enter())
    RegisterClasses({&TMenuItem::StaticClass(), &TMainMenu::StaticClass(), &TPopupMenu::StaticClass()});
}

void MenusUnit::Finalize() { gMenus.Leave(); }
