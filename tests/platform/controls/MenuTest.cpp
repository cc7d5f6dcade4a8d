// Menus: handles and items, popup tracking with keys and mouse driven by idle scripts,
// the notifications around it, owner-drawn items, the menu bar and its keyboard entry.
#include "platform/user/Menus.h"
#include "tests/foundation/GalleryFile.h"
#include "tests/platform/controls/ControlTestUtil.h"

#include <algorithm>
#include <map>
#include <set>
#include <tuple>

namespace {
constexpr UINT kOpen = 101, kSave = 102, kExit = 103, kDisabled = 104, kDeep = 105;

// File: Open, Save, ---, Disabled (grayed), More > Deep, Exit
HMENU BuildFileMenu(HMENU* more = nullptr) {
  HMENU file = CreatePopupMenu();
  HMENU sub = CreatePopupMenu();
  AppendMenuA(sub, MF_STRING, kDeep, "&Deep");
  AppendMenuA(file, MF_STRING, kOpen, "&Open\tCtrl+O");
  AppendMenuA(file, MF_STRING, kSave, "&Save");
  AppendMenuA(file, MF_SEPARATOR, 0, nullptr);
  AppendMenuA(file, MF_STRING | MF_GRAYED, kDisabled, "&Disabled");
  AppendMenuA(file, MF_POPUP, reinterpret_cast<UINT_PTR>(sub), "&More");
  AppendMenuA(file, MF_STRING, kExit, "E&xit");
  if (more) *more = sub;
  return file;
}
}  // namespace

class MenuTest : public ControlTest {
 protected:
  void TearDown() override {
    for (HMENU m : menus) DestroyMenu(m);
    ControlTest::TearDown();
  }
  HMENU Own(HMENU m) {
    menus.push_back(m);
    return m;
  }
  // Runs the popup menu at a screen point with TPM_RETURNCMD after queueing `steps`, each
  // run at one idle point of the menu loop.
  UINT Track(HMENU m, std::vector<std::function<void()>> steps, UINT flags = TPM_RETURNCMD, int x = 200,
             int y = 200) {
    for (auto& s : steps) host().WhenIdle(s);
    return UINT(TrackPopupMenu(m, flags, x, y, 0, parent, nullptr));
  }
  std::function<void()> Keys(std::vector<int> vks) {
    return [this, vks] {
      for (int vk : vks) host().Key(vk);
    };
  }
  HWND PopupWindow() { return FindWindowA(MenuWindowClassName, nullptr); }
  // Clicks item `index` of `menu` while it is shown.
  std::function<void()> ClickItem(HMENU menu, int index) {
    return [this, menu, index] {
      RECT r;
      ASSERT_TRUE(GetMenuItemRect(nullptr, menu, UINT(index), &r));
      host().Click(nullptr, (r.Left + r.Right) / 2, (r.Top + r.Bottom) / 2);
    };
  }
  std::vector<HMENU> menus;
};

TEST_F(MenuTest, ItemsStatesAndQueries) {
  HMENU more = nullptr;
  HMENU file = Own(BuildFileMenu(&more));
  EXPECT_EQ(GetMenuItemCount(reinterpret_cast<HMENU>(0x1234)), -1);
  // By command the search reaches into submenus.
  EXPECT_EQ(CheckMenuItem(file, kDeep, MF_CHECKED), DWORD(MF_UNCHECKED));
  EXPECT_EQ(GetMenuState(more, 0, MF_BYPOSITION) & MF_CHECKED, MF_CHECKED);

  // Item info: the text length is reported without a buffer, copied and cut with one.
  MENUITEMINFOA info;
  info.fMask = MIIM_STRING | MIIM_ID | MIIM_FTYPE | MIIM_STATE;
  ASSERT_TRUE(GetMenuItemInfoA(file, 0, TRUE, &info));
  EXPECT_EQ(info.cch, 12u);
  char buf[6];
  info.dwTypeData = buf;
  info.cch = sizeof buf;
  ASSERT_TRUE(GetMenuItemInfoA(file, kOpen, FALSE, &info));
  EXPECT_STREQ(buf, "&Open");
  EXPECT_EQ(info.cch, 5u);

  HMENU radio = Own(CreatePopupMenu());
  for (UINT id = 1; id <= 3; ++id) AppendMenuA(radio, MF_STRING, id, "r");
  // Removing keeps a submenu alive, deleting destroys it; a menu cannot contain itself.
  HMENU keep = CreatePopupMenu();
  AppendMenuA(radio, MF_POPUP, reinterpret_cast<UINT_PTR>(keep), "k");
  EXPECT_TRUE(RemoveMenu(radio, 3, MF_BYPOSITION));
  EXPECT_TRUE(IsMenu(keep));
  AppendMenuA(radio, MF_POPUP, reinterpret_cast<UINT_PTR>(keep), "k");
  EXPECT_TRUE(DeleteMenu(radio, 3, MF_BYPOSITION));
  EXPECT_FALSE(IsMenu(keep));
  EXPECT_FALSE(AppendMenuA(radio, MF_POPUP, reinterpret_cast<UINT_PTR>(radio), "self"));
  EXPECT_FALSE(AppendMenuA(radio, MF_POPUP, 0x5555, "stale"));
  // Destroying a menu takes its submenus along.
  DestroyMenu(file);
  EXPECT_FALSE(IsMenu(more));
  EXPECT_FALSE(DestroyMenu(file));
}

TEST_F(MenuTest, KeyboardChoosesSkippingSeparatorsAndDisabledItems) {
  HMENU file = Own(BuildFileMenu());
  // Down three times: Open, Save, (separator skipped) Disabled; Enter on it does nothing.
  UINT chosen = Track(file, {Keys({VK_DOWN, VK_DOWN, VK_DOWN}), Keys({VK_RETURN}), Keys({VK_UP, VK_RETURN})});
  EXPECT_EQ(chosen, kSave);
  EXPECT_EQ(PopupWindow(), nullptr);   // the popup window is gone
  // Escape closes without a command; Up from nothing wraps to the last item.
  EXPECT_EQ(Track(file, {Keys({VK_ESCAPE})}), 0u);
  EXPECT_EQ(Track(file, {Keys({VK_UP, VK_RETURN})}), kExit);
  // Right opens the submenu, Left closes it again, Enter in it chooses.
  EXPECT_EQ(Track(file, {Keys({VK_UP, VK_UP, VK_RIGHT}), Keys({VK_LEFT}), Keys({VK_RIGHT}), Keys({VK_RETURN})}), kDeep);
}

TEST_F(MenuTest, NotificationsBracketTheLoopAndTheCommandIsPosted) {
  HMENU file = Own(BuildFileMenu());
  rec.Clear();
  EXPECT_EQ(Track(file, {Keys({VK_DOWN, VK_RETURN})}, 0), UINT(TRUE));
  EXPECT_EQ(rec.For(parent, {WM_ENTERMENULOOP, WM_INITMENU, WM_INITMENUPOPUP, WM_UNINITMENUPOPUP, WM_EXITMENULOOP,
                             WM_COMMAND}),
            (std::vector<UINT>{WM_ENTERMENULOOP, WM_INITMENU, WM_INITMENUPOPUP, WM_UNINITMENUPOPUP, WM_EXITMENULOOP}));
  notes.clear();
  host().PumpUntilIdle();   // the command arrives posted
  EXPECT_EQ(notes, (Notes{{WORD(kOpen), 0}}));
}

TEST_F(MenuTest, MouseChoosesAndAnOutsideClickCancels) {
  HMENU file = Own(BuildFileMenu());
  EXPECT_EQ(Track(file, {ClickItem(file, 1)}), kSave);
  // A click on a disabled item keeps the menu open; one outside closes it.
  EXPECT_EQ(Track(file, {ClickItem(file, 3), [this] { host().Click(nullptr, 5, 5); }}), 0u);
}

TEST_F(MenuTest, PopupIsPlacedByAlignmentAndKeptOnTheWorkArea) {
  HMENU file = Own(BuildFileMenu());
  RECT seen{};
  auto measure = [this, &seen] {
    GetWindowRect(PopupWindow(), &seen);
    host().Key(VK_ESCAPE);
  };
  Track(file, {measure}, TPM_RETURNCMD | TPM_RIGHTALIGN | TPM_BOTTOMALIGN, 500, 400);
  EXPECT_EQ(std::pair(seen.Right, seen.Bottom), std::pair(500, 400));
  Track(file, {measure}, TPM_RETURNCMD, 1275, 1020);
  RECT work;
  SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0);
  EXPECT_TRUE(seen.Right <= work.Right && seen.Bottom <= work.Bottom);
}

TEST_F(MenuTest, QuitAndOwnerDestructionEndTheLoop) {
  HMENU file = Own(BuildFileMenu());
  EXPECT_EQ(Track(file, {[] { PostQuitMessage(3); }}), 0u);
  MSG m{};
  PeekMessageA(&m, nullptr, 0, 0, PM_REMOVE);
  EXPECT_EQ(std::pair(m.message, m.wParam), std::pair(UINT(WM_QUIT), WPARAM(3)));
  // With nothing scripted the loop reports a stall instead of hanging, and cleans up.
  EXPECT_THROW(TrackPopupMenu(file, TPM_RETURNCMD, 10, 10, 0, parent, nullptr), HeadlessStall);
  EXPECT_EQ(PopupWindow(), nullptr);
  EXPECT_EQ(GetCapture(), nullptr);
  EXPECT_EQ(Track(file, {[this] { DestroyWindow(parent); }}), 0u);
  EXPECT_EQ(PopupWindow(), nullptr);
}

TEST_F(MenuTest, MenuBarSitsInTheFrameAndTracksMouseAndKeyboard) {
  HMENU bar = Own(CreateMenu());
  HMENU file = BuildFileMenu();
  HMENU help = CreatePopupMenu();
  AppendMenuA(help, MF_STRING, 300, "&About");
  AppendMenuA(bar, MF_POPUP, reinterpret_cast<UINT_PTR>(file), "&File");
  AppendMenuA(bar, MF_POPUP, reinterpret_cast<UINT_PTR>(help), "&Help");
  AppendMenuA(bar, MF_STRING, 400, "&Go");
  RECT before, after;
  GetClientRect(parent, &before);
  ASSERT_TRUE(SetMenu(parent, bar));
  GetClientRect(parent, &after);
  EXPECT_EQ(before.Bottom - after.Bottom, GetSystemMetrics(SM_CYMENU));
  host().PumpUntilIdle();

  RECT fileRect;
  ASSERT_TRUE(GetMenuItemRect(parent, bar, 0, &fileRect));
  POINT mid{(fileRect.Left + fileRect.Right) / 2, (fileRect.Top + fileRect.Bottom) / 2};

  // Mouse: a click on File drops its menu under the item; a click on Save chooses.
  RECT drop{};
  host().WhenIdle([&] {
    GetWindowRect(PopupWindow(), &drop);
    ClickItem(file, 1)();
  });
  notes.clear();
  in().Click(nullptr, mid.X, mid.Y);
  EXPECT_EQ(std::pair(drop.Left, drop.Top), std::pair(fileRect.Left, fileRect.Bottom));
  EXPECT_EQ(notes, (Notes{{WORD(kSave), 0}}));

  // Keyboard: Alt alone selects the bar, Right moves to Help, Down opens it, Enter chooses.
  notes.clear();
  host().WhenIdle(Keys({VK_RIGHT, VK_DOWN}));
  host().WhenIdle(Keys({VK_RETURN}));
  in().Key(VK_MENU);
  EXPECT_EQ(notes, (Notes{{300, 0}}));

  // Alt+mnemonic opens a menu directly; a bar item without a menu is a command of its own.
  notes.clear();
  host().WhenIdle([this] { host().Char('x'); });
  in().Chord(VK_MENU, 'F');
  in().Chord(VK_MENU, 'G');
  EXPECT_EQ(notes, (Notes{{WORD(kExit), 0}, {400, 0}}));
  SetMenu(parent, nullptr);
}

// Alt released opens the menu bar only when no other key went down since Alt did: a key
// the window took itself, before any default handling saw it, counts as well.
TEST_F(MenuTest, AltReleasedAfterAKeyTheWindowTookItselfLeavesTheMenuBarAlone) {
  HMENU bar = Own(CreateMenu());
  HMENU file = BuildFileMenu();
  AppendMenuA(bar, MF_POPUP, reinterpret_cast<UINT_PTR>(file), "&File");
  ASSERT_TRUE(SetMenu(parent, bar));
  host().PumpUntilIdle();
  int loops = 0;
  auto plain = rec.handler;
  struct Restore {
    Recorder& R;
    decltype(plain)& P;
    ~Restore() { R.handler = P; }
  } restore{rec, plain};
  rec.handler = [&](HWND h, UINT m, WPARAM w, LPARAM l, LRESULT& r) {
    if (m == WM_ENTERMENULOOP) ++loops;
    if ((m == WM_SYSKEYDOWN || m == WM_SYSCHAR || m == WM_SYSKEYUP) && (w == 'K' || w == 'k')) {
      r = 0;
      return true;   // the window's own: no default handling
    }
    return plain(h, m, w, l, r);
  };
  in().Chord(VK_MENU, 'K');
  EXPECT_EQ(loops, 0);
  // Alt alone still opens it.
  host().WhenIdle(Keys({VK_ESCAPE}));
  in().Key(VK_MENU);
  EXPECT_EQ(loops, 1);
  SetMenu(parent, nullptr);
}

TEST_F(MenuTest, ItemRectanglesOfTheBarAndOfAPopupNotShown) {
  HMENU bar = CreateMenu();
  HMENU popup = CreatePopupMenu();
  menus.push_back(bar);
  AppendMenuA(popup, MF_STRING, 1, "Popup");
  AppendMenuA(bar, MF_STRING | MF_POPUP, reinterpret_cast<UINT_PTR>(popup), "Menu");
  HWND w = CreateWindowExA(0, rec.ClassName(), "", WS_OVERLAPPEDWINDOW, 0, 0, 200, 150, nullptr, nullptr, nullptr,
                           nullptr);
  ASSERT_TRUE(SetMenu(w, bar));
  RECT item, win;
  ASSERT_TRUE(GetMenuItemRect(w, bar, 0, &item));
  GetWindowRect(w, &win);
  POINT client{0, 0};
  ClientToScreen(w, &client);
  const int captionBottom = win.Top + GetSystemMetrics(SM_CYFRAME) + GetSystemMetrics(SM_CYCAPTION);
  EXPECT_EQ(item.Left, client.X);
  EXPECT_LE(item.Right, win.Right);
  EXPECT_LE(std::abs(item.Top - captionBottom), 1);
  EXPECT_LE(std::abs(item.Bottom - (client.Y - 1)), 1);
  // An item of a popup not shown has an empty rectangle at the client origin.
  ASSERT_TRUE(GetMenuItemRect(w, popup, 0, &item));
  EXPECT_EQ(item, (RECT{client.X, client.Y, client.X, client.Y}));
  SetMenu(w, nullptr);
  DestroyWindow(w);
}

TEST_F(MenuTest, AnEmptyPopupIsInitialisedButNotShownAndCancelModeEndsTheLoopEarly) {
  HMENU empty = Own(CreatePopupMenu());
  rec.Clear();
  EXPECT_EQ(Track(empty, {}), 0u);
  EXPECT_EQ(Track(empty, {}, 0), 0u);
  EXPECT_EQ(rec.Count(parent, WM_INITMENUPOPUP), 2);
  EXPECT_EQ(rec.Count(parent, WM_ENTERIDLE), 0);
  EXPECT_EQ(rec.Count(parent, WM_MENUSELECT), 0);
  // Filled when it opens, it is tracked after all.
  onMessage = [&](UINT m, WPARAM w, LPARAM, LRESULT&) {
    if (m == WM_INITMENUPOPUP && GetMenuItemCount(reinterpret_cast<HMENU>(w)) == 0)
      AppendMenuA(reinterpret_cast<HMENU>(w), MF_STRING, 100, "item 1");
    return false;
  };
  EXPECT_EQ(Track(empty, {Keys({VK_ESCAPE})}, 0), UINT(TRUE));
  // Cancelled while it starts, it never waits for input; another loop may not start inside.
  HMENU file = Own(BuildFileMenu());
  BOOL nested = TRUE;
  onMessage = [&](UINT m, WPARAM, LPARAM, LRESULT&) {
    if (m == WM_ENTERMENULOOP) {
      nested = TrackPopupMenu(file, 0, 10, 10, 0, parent, nullptr);
      SendMessageA(parent, WM_CANCELMODE, 0, 0);
    }
    return false;
  };
  rec.Clear();
  EXPECT_EQ(Track(file, {}), 0u);
  EXPECT_FALSE(nested);
  EXPECT_EQ(rec.Count(parent, WM_ENTERIDLE), 0);
  onMessage = nullptr;
}

// Images the owner draws beside the texts (HBMMENU_CALLBACK).
class MenuImageTest : public MenuTest {
 protected:
  struct Shown {
    RECT window{};
    std::vector<RECT> items;   // client coordinates of the popup
    DecodedImage image;        // the popup's client area
  };
  // Opens `m`, runs `before` at the first idle point, then captures the popup and closes it.
  Shown Show(HMENU m, std::function<void()> before = nullptr) {
    Shown s;
    Track(m, {[&] {
            if (before) before();
          },
          [&] {
            HWND w = PopupWindow();
            ASSERT_NE(w, nullptr);
            GetWindowRect(w, &s.window);
            for (int i = 0; i < GetMenuItemCount(m); ++i) {
              RECT r{};
              GetMenuItemRect(nullptr, m, UINT(i), &r);
              s.items.push_back({r.Left - s.window.Left, r.Top - s.window.Top, r.Right - s.window.Left,
                                 r.Bottom - s.window.Top});
            }
            s.image = CaptureClientImage(host(), w);
            host().Key(VK_ESCAPE);
          }});
    return s;
  }
  // The owner measures item data d as sizes[d] and paints the image rectangle in colours[d].
  void AnswerImages(std::map<ULONG_PTR, SIZE> sizes, std::map<ULONG_PTR, COLORREF> colours) {
    onMessage = [this, sizes, colours](UINT m, WPARAM, LPARAM l, LRESULT& r) {
      if (m == WM_MEASUREITEM) {
        auto* mi = reinterpret_cast<MEASUREITEMSTRUCT*>(l);
        measured.push_back(mi->itemData);
        auto it = sizes.find(mi->itemData);
        if (it != sizes.end()) {
          mi->itemWidth = UINT(it->second.cx);
          mi->itemHeight = UINT(it->second.cy);
        }
        r = TRUE;
        return true;
      }
      if (m == WM_DRAWITEM) {
        auto* di = reinterpret_cast<DRAWITEMSTRUCT*>(l);
        drawn.push_back(*di);
        auto it = colours.find(di->itemData);
        HBRUSH b = CreateSolidBrush(it != colours.end() ? it->second : RGB(0, 0, 0));
        FillRect(di->hDC, &di->rcItem, b);
        DeleteObject(b);
        r = TRUE;
        return true;
      }
      return false;
    };
  }
  static void SetImage(HMENU m, UINT pos, ULONG_PTR data) {
    MENUITEMINFOA info;
    info.fMask = MIIM_BITMAP | MIIM_DATA;
    info.hbmpItem = HBMMENU_CALLBACK;
    info.dwItemData = data;
    ASSERT_TRUE(SetMenuItemInfoA(m, pos, TRUE, &info));
  }
  static Pixel At(const DecodedImage& AImage, LONG x, LONG y) {
    return AImage.Pixels[size_t(y) * size_t(AImage.Width) + size_t(x)];
  }
  // The first column at or after `from` in the rows of `r` holding a pixel other than `bg`.
  static LONG FirstInk(const DecodedImage& AImage, const RECT& r, LONG from, Pixel bg) {
    for (LONG x = from; x < r.Right; ++x)
      for (LONG y = r.Top; y < r.Bottom; ++y)
        if (At(AImage, x, y) != bg) return x;
    return -1;
  }
  std::vector<ULONG_PTR> measured;
  std::vector<DRAWITEMSTRUCT> drawn;
};

TEST_F(MenuImageTest, APopupWithoutImagesKeepsItsLayoutAndAsksTheOwnerNothing) {
  HMENU file = Own(BuildFileMenu());
  AnswerImages({}, {});
  Shown s = Show(file);
  EXPECT_TRUE(measured.empty());
  EXPECT_TRUE(drawn.empty());
  EXPECT_EQ(s.window.Right - s.window.Left, 156);
  EXPECT_EQ(s.window.Bottom - s.window.Top, 112);
  ASSERT_EQ(s.items.size(), 6u);
  EXPECT_EQ(s.items[0], (RECT{2, 2, 154, 22}));
  EXPECT_EQ(s.items[3], (RECT{2, 50, 154, 70}));
  // The texts start after the check-mark column.
  const Pixel menu = PixelFromColor(GetSysColor(COLOR_MENU));
  EXPECT_EQ(FirstInk(s.image, s.items[1], s.items[1].Left, menu), 20);
}

TEST_F(MenuImageTest, OwnerImagesWidenTheTextColumnRaiseTheirItemsAndAreDrawnInEachState) {
  auto build = [] {
    HMENU m = CreatePopupMenu();
    AppendMenuA(m, MF_STRING, 11, "&Open");
    AppendMenuA(m, MF_STRING, 12, "&Save");
    AppendMenuA(m, MF_STRING | MF_GRAYED, 13, "&Grey");
    return m;
  };
  HMENU plainMenu = Own(build());
  HMENU m = Own(build());
  SetImage(m, 0, 1);
  SetImage(m, 2, 2);
  AnswerImages({{1, {24, 30}}, {2, {16, 16}}}, {{1, RGB(255, 0, 0)}, {2, RGB(0, 0, 255)}});
  Shown plain = Show(plainMenu);
  EXPECT_TRUE(measured.empty());
  Shown s = Show(m);
  // Only the items with images are measured, by their data.
  EXPECT_EQ(measured, (std::vector<ULONG_PTR>{1, 2}));
  // The column is as wide as the widest image plus a gap of 2; an item is at least its
  // image's height plus 2, the others keep theirs.
  EXPECT_EQ(s.window.Right - s.window.Left, plain.window.Right - plain.window.Left + 26);
  ASSERT_EQ(s.items.size(), 3u);
  EXPECT_EQ(s.items[0].Bottom - s.items[0].Top, 32);
  EXPECT_EQ(s.items[1].Bottom - s.items[1].Top, plain.items[1].Bottom - plain.items[1].Top);
  EXPECT_EQ(s.items[2].Bottom - s.items[2].Top, plain.items[2].Bottom - plain.items[2].Top);
  // Drawn after the check marks, centred in the item's height, in the item's state.
  ASSERT_EQ(drawn.size(), 2u);
  EXPECT_EQ(drawn[0].rcItem, (RECT{20, s.items[0].Top + 1, 44, s.items[0].Top + 31}));
  EXPECT_EQ(drawn[0].itemState, 0u);
  EXPECT_EQ(drawn[0].CtlType, UINT(ODT_MENU));
  EXPECT_EQ(drawn[0].itemID, 11u);
  EXPECT_EQ(drawn[0].hwndItem, reinterpret_cast<HWND>(m));
  EXPECT_EQ(drawn[1].rcItem, (RECT{20, s.items[2].Top + 2, 36, s.items[2].Top + 18}));
  EXPECT_EQ(drawn[1].itemState, UINT(ODS_GRAYED | ODS_DISABLED));
  const Pixel menu = PixelFromColor(GetSysColor(COLOR_MENU));
  EXPECT_EQ(At(s.image, 20, s.items[0].Top + 1), PixelFromColor(RGB(255, 0, 0)));
  EXPECT_EQ(At(s.image, 43, s.items[0].Top + 30), PixelFromColor(RGB(255, 0, 0)));
  EXPECT_EQ(At(s.image, 44, s.items[0].Top + 15), menu);
  EXPECT_EQ(At(s.image, 35, s.items[2].Top + 17), PixelFromColor(RGB(0, 0, 255)));
  // Every text moves by the column, with or without an image of its own.
  for (size_t i = 0; i < 3; ++i)
    EXPECT_EQ(FirstInk(s.image, s.items[i], 46, menu), FirstInk(plain.image, plain.items[i], 20, menu) + 26) << i;

  // Selected: the image on the highlight.
  drawn.clear();
  Shown hot = Show(m, [&] { host().Key(VK_DOWN); });
  auto last = std::find_if(drawn.rbegin(), drawn.rend(), [](const DRAWITEMSTRUCT& d) { return d.itemData == 1; });
  ASSERT_NE(last, drawn.rend());
  EXPECT_EQ(last->itemState, UINT(ODS_SELECTED));
  EXPECT_EQ(At(hot.image, 30, hot.items[0].Top + 15), PixelFromColor(RGB(255, 0, 0)));
  EXPECT_EQ(At(hot.image, 44, hot.items[0].Top + 15), PixelFromColor(GetSysColor(COLOR_HIGHLIGHT)));
}

TEST_F(MenuImageTest, AnImageMeasuredEmptyTakesNoRoomAndIsNotDrawn) {
  HMENU file = Own(BuildFileMenu());
  HMENU imaged = Own(BuildFileMenu());
  SetImage(imaged, 0, 1);
  SetImage(imaged, 1, 2);
  AnswerImages({{1, {0, 0}}, {2, {12, 0}}}, {});
  Shown plain = Show(file);
  Shown s = Show(imaged);
  EXPECT_EQ(measured, (std::vector<ULONG_PTR>{1, 2}));
  EXPECT_TRUE(drawn.empty());
  EXPECT_EQ(s.window, plain.window);
  EXPECT_EQ(s.items, plain.items);
  EXPECT_EQ(s.image.Pixels, plain.image.Pixels);
}

TEST_F(MenuImageTest, AnOwnerDestroyingTheMenuWhileMeasuringShowsNothing) {
  HMENU m = CreatePopupMenu();
  AppendMenuA(m, MF_STRING, 11, "&Open");
  SetImage(m, 0, 1);
  onMessage = [&](UINT msg, WPARAM, LPARAM l, LRESULT&) {
    if (msg == WM_MEASUREITEM) {
      reinterpret_cast<MEASUREITEMSTRUCT*>(l)->itemWidth = 16;
      DestroyMenu(m);
    }
    return false;
  };
  EXPECT_EQ(TrackPopupMenu(m, TPM_RETURNCMD, 200, 200, 0, parent, nullptr), 0);
  EXPECT_EQ(PopupWindow(), nullptr);
  EXPECT_FALSE(IsMenu(m));
  onMessage = nullptr;
}

// The menu bar's items with images the owner draws left of their texts.
class MenuBarImageTest : public MenuImageTest {
 protected:
  using Bar = MenuBarShot;
  Bar ShowBar(HMENU bar) { return CaptureMenuBar(host(), parent, bar); }
  // File, Help, Go (grayed); `images` sets callback images with data 1 on File and 2 on Go.
  HMENU BuildBar(bool images) {
    HMENU bar = Own(CreateMenu());
    AppendMenuA(bar, MF_POPUP, reinterpret_cast<UINT_PTR>(BuildFileMenu()), "&File");
    AppendMenuA(bar, MF_STRING, 300, "&Help");
    AppendMenuA(bar, MF_STRING | MF_GRAYED, 400, "&Go");
    if (images) {
      SetImage(bar, 0, 1);
      SetImage(bar, 2, 2);
    }
    return bar;
  }
  Bar Put(HMENU bar) {
    SetMenu(parent, bar);
    host().PumpUntilIdle();
    Bar b = ShowBar(bar);
    SetMenu(parent, nullptr);
    host().PumpUntilIdle();
    return b;
  }
  static std::vector<Pixel> Block(const DecodedImage& AImage, LONG x, LONG y, LONG w, LONG h) {
    std::vector<Pixel> out;
    for (LONG j = y; j < y + h; ++j)
      for (LONG i = x; i < x + w; ++i) out.push_back(At(AImage, i, j));
    return out;
  }
  const DRAWITEMSTRUCT* LastDrawn(ULONG_PTR data) const {
    auto it = std::find_if(drawn.rbegin(), drawn.rend(), [&](const DRAWITEMSTRUCT& d) { return d.itemData == data; });
    return it == drawn.rend() ? nullptr : &*it;
  }
};

TEST_F(MenuBarImageTest, ABarWithoutImagesKeepsItsLayoutAndPixels) {
  AnswerImages({{1, {0, 0}}, {2, {9, 0}}}, {});
  Bar plain = Put(BuildBar(false));
  EXPECT_TRUE(measured.empty());
  ASSERT_EQ(plain.items.size(), 3u);
  const LONG left = plain.items[0].Left, top = plain.items[0].Top;
  EXPECT_EQ(plain.items[0], (RECT{left, top, left + 39, top + GetSystemMetrics(SM_CYMENU)}));
  EXPECT_EQ(plain.items[1].Left, left + 39);
  EXPECT_EQ(plain.items[1].Right - plain.items[1].Left, 45);
  EXPECT_EQ(plain.items[2].Right - plain.items[2].Left, 34);
  // Images measured empty take no room and are not drawn: the same bar to the pixel.
  Bar empty = Put(BuildBar(true));
  EXPECT_FALSE(measured.empty());
  EXPECT_TRUE(drawn.empty());
  EXPECT_EQ(empty.items, plain.items);
  EXPECT_EQ(empty.image.Pixels, plain.image.Pixels);
}

TEST_F(MenuBarImageTest, OwnerImagesWidenTheirItemsAndAreDrawnLeftOfTheTextsInEachState) {
  AnswerImages({{1, {16, 16}}, {2, {12, 10}}}, {{1, RGB(255, 0, 0)}, {2, RGB(0, 0, 255)}});
  Bar plain = Put(BuildBar(false));
  Bar s = Put(BuildBar(true));
  EXPECT_EQ(std::set<ULONG_PTR>(measured.begin(), measured.end()), (std::set<ULONG_PTR>{1, 2}));
  // Each item with an image grows by its width and a gap of 2; the others keep their width.
  ASSERT_EQ(s.items.size(), 3u);
  const auto width = [](const RECT& r) { return r.Right - r.Left; };
  EXPECT_EQ(width(s.items[0]), width(plain.items[0]) + 18);
  EXPECT_EQ(width(s.items[1]), width(plain.items[1]));
  EXPECT_EQ(width(s.items[2]), width(plain.items[2]) + 14);
  EXPECT_EQ(s.items[1].Left, plain.items[1].Left + 18);
  EXPECT_EQ(s.items[0].Bottom - s.items[0].Top, GetSystemMetrics(SM_CYMENU));
  // After the item's padding of 7, centred in the bar's height, in the item's state.
  const DRAWITEMSTRUCT* file = LastDrawn(1);
  const DRAWITEMSTRUCT* go = LastDrawn(2);
  ASSERT_NE(file, nullptr);
  ASSERT_NE(go, nullptr);
  const LONG top = s.items[0].Top, h = s.items[0].Bottom - top;
  EXPECT_EQ(file->rcItem, (RECT{s.items[0].Left + 7, top + (h - 16) / 2, s.items[0].Left + 23, top + (h - 16) / 2 + 16}));
  EXPECT_EQ(file->itemState, 0u);
  EXPECT_EQ(file->CtlType, UINT(ODT_MENU));
  EXPECT_EQ(go->rcItem, (RECT{s.items[2].Left + 7, top + (h - 10) / 2, s.items[2].Left + 19, top + (h - 10) / 2 + 10}));
  EXPECT_EQ(go->itemState, UINT(ODS_GRAYED | ODS_DISABLED));
  EXPECT_EQ(go->itemID, 400u);
  const LONG x0 = s.items[0].Left;
  const LONG fileX = s.items[0].Left - x0, helpX = s.items[1].Left - x0, goX = s.items[2].Left - x0;
  const Pixel menu = PixelFromColor(GetSysColor(COLOR_MENU));
  EXPECT_EQ(Block(s.image, fileX + 7, (h - 16) / 2, 16, 16), std::vector<Pixel>(256, PixelFromColor(RGB(255, 0, 0))));
  EXPECT_EQ(Block(s.image, goX + 7, (h - 10) / 2, 12, 10), std::vector<Pixel>(120, PixelFromColor(RGB(0, 0, 255))));
  EXPECT_EQ(Block(s.image, fileX, 0, 7, h), std::vector<Pixel>(size_t(7 * h), menu));
  // The texts follow their images, drawn as before; an item without an image is unchanged.
  const LONG plainFileText = width(plain.items[0]) - 7, plainGoText = width(plain.items[2]) - 7;
  EXPECT_EQ(Block(s.image, fileX + 25, 0, plainFileText, h), Block(plain.image, 7, 0, plainFileText, h));
  EXPECT_EQ(Block(s.image, goX + 21, 0, plainGoText, h), Block(plain.image, plain.items[2].Left - plain.items[0].Left + 7, 0, plainGoText, h));
  EXPECT_EQ(Block(s.image, helpX, 0, width(s.items[1]), h),
            Block(plain.image, plain.items[1].Left - plain.items[0].Left, 0, width(plain.items[1]), h));

  // Hot (the bar entered from the keyboard) and open (its menu dropped): the image on the highlight.
  HMENU bar = BuildBar(true);
  SetMenu(parent, bar);
  host().PumpUntilIdle();
  std::vector<Bar> shots;
  std::vector<UINT> states;
  const auto shoot = [&] {
    shots.push_back(ShowBar(bar));
    states.push_back(LastDrawn(1) ? LastDrawn(1)->itemState : 0xFFFF);
    drawn.clear();
  };
  drawn.clear();
  host().WhenIdle([&] {
    shoot();
    host().Key(VK_DOWN);
  });
  host().WhenIdle([&] {
    shoot();
    host().Key(VK_ESCAPE);
    host().Key(VK_ESCAPE);
  });
  in().Key(VK_MENU);
  SetMenu(parent, nullptr);
  ASSERT_EQ(shots.size(), 2u);
  const Pixel highlight = PixelFromColor(GetSysColor(COLOR_HIGHLIGHT));
  for (size_t i = 0; i < shots.size(); ++i) {
    EXPECT_EQ(states[i], UINT(ODS_SELECTED)) << i;
    EXPECT_EQ(Block(shots[i].image, fileX + 7, (h - 16) / 2, 16, 16), std::vector<Pixel>(256, PixelFromColor(RGB(255, 0, 0)))) << i;
    EXPECT_EQ(Block(shots[i].image, fileX, 0, 7, h), std::vector<Pixel>(size_t(7 * h), highlight)) << i;
    EXPECT_EQ(Block(shots[i].image, fileX + 23, 0, 2, h), std::vector<Pixel>(size_t(2 * h), highlight)) << i;
  }
}

// The bar is as high as its tallest item needs, never lower than the metric; the frame, the
// item rectangles and the painting agree on it.
TEST_F(MenuBarImageTest, TallImagesRaiseTheBarAndTheClientAreaGivesWay) {
  RECT window0, client0;
  GetWindowRect(parent, &window0);
  GetClientRect(parent, &client0);
  // An image needs its height and a pixel above and below: 17 fits the metric (19).
  const auto barFor = [&](LONG imageHeight) {
    AnswerImages({{1, {16, imageHeight}}, {2, {12, 10}}}, {{1, RGB(255, 0, 0)}, {2, RGB(0, 0, 255)}});
    HMENU bar = BuildBar(true);
    SetMenu(parent, bar);
    RECT client;
    GetClientRect(parent, &client);
    const int height = MenuBarHeight(parent);
    EXPECT_EQ(client0.Bottom - client.Bottom, height) << imageHeight;
    SetMenu(parent, nullptr);
    return height;
  };
  EXPECT_EQ(barFor(10), GetSystemMetrics(SM_CYMENU));
  EXPECT_EQ(barFor(17), 19);
  EXPECT_EQ(barFor(18), 20);
  EXPECT_EQ(barFor(30), 32);

  // Shown with a 30-high image: the window keeps its place and size, every item spans the
  // bar, which ends where the client area starts, and the image is drawn whole.
  AnswerImages({{1, {16, 30}}, {2, {12, 10}}}, {{1, RGB(255, 0, 0)}, {2, RGB(0, 0, 255)}});
  HMENU bar = BuildBar(true);
  SetMenu(parent, bar);
  host().PumpUntilIdle();
  RECT window;
  GetWindowRect(parent, &window);
  EXPECT_EQ(window, window0);
  const Bar s = ShowBar(bar);
  ASSERT_EQ(s.items.size(), 3u);
  POINT origin{0, 0};
  ClientToScreen(parent, &origin);
  for (const RECT& r : s.items) {
    EXPECT_EQ(r.Top, s.items[0].Top);
    EXPECT_EQ(r.Bottom - r.Top, 32);
    EXPECT_EQ(r.Bottom, origin.Y - window.Top);
  }
  const DRAWITEMSTRUCT* file = LastDrawn(1);
  ASSERT_NE(file, nullptr);
  EXPECT_EQ(file->rcItem, (RECT{s.items[0].Left + 7, s.items[0].Top + 1, s.items[0].Left + 23, s.items[0].Top + 31}));
  const Pixel menu = PixelFromColor(GetSysColor(COLOR_MENU));
  EXPECT_EQ(Block(s.image, 7, 1, 16, 30), std::vector<Pixel>(480, PixelFromColor(RGB(255, 0, 0))));
  EXPECT_EQ(Block(s.image, 7, 0, 16, 1), std::vector<Pixel>(16, menu));
  EXPECT_EQ(Block(s.image, 7, 31, 16, 1), std::vector<Pixel>(16, menu));
  // A point low in the bar, which was client area under a bar of the metric's height, is the bar's.
  const POINT low{(s.items[1].Left + s.items[1].Right) / 2 + window.Left, window.Top + s.items[1].Top + 25};
  EXPECT_EQ(SendMessageA(parent, WM_NCHITTEST, 0, MAKELPARAM(low.X, low.Y)), LRESULT(HTMENU));
  // Sizing the window keeps the bar's height.
  SetWindowPos(parent, nullptr, 0, 0, 420, 320, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  RECT client;
  GetClientRect(parent, &client);
  EXPECT_EQ(client.Bottom, client0.Bottom + 20 - 32);
  SetMenu(parent, nullptr);
  // Without a window the frame cannot be measured: the adjustment counts the metric once.
  RECT with{0, 0, 100, 100}, without{0, 0, 100, 100};
  AdjustWindowRectEx(&with, WS_OVERLAPPEDWINDOW, TRUE, 0);
  AdjustWindowRectEx(&without, WS_OVERLAPPEDWINDOW, FALSE, 0);
  EXPECT_EQ(without.Top - with.Top, GetSystemMetrics(SM_CYMENU));
}

TEST_F(MenuBarImageTest, DrawMenuBarLaysTheFrameOutAgainWhenTheItemsNeedAnotherHeight) {
  AnswerImages({{1, {16, 24}}}, {{1, RGB(255, 0, 0)}});
  HMENU bar = BuildBar(false);
  SetMenu(parent, bar);
  RECT plain, client;
  GetClientRect(parent, &plain);
  // A change to the items shows once the bar is drawn anew.
  SetImage(bar, 0, 1);
  GetClientRect(parent, &client);
  EXPECT_EQ(client, plain);
  EXPECT_TRUE(DrawMenuBar(parent));
  GetClientRect(parent, &client);
  EXPECT_EQ(plain.Bottom - client.Bottom, 26 - 19);
  EXPECT_EQ(MenuBarHeight(parent), 26);
  host().PumpUntilIdle();
  const RECT help = ShowBar(bar).items[1];
  EXPECT_EQ(help.Bottom - help.Top, 26);
  // The image gone, the bar returns to the metric's height.
  MENUITEMINFOA info;
  info.fMask = MIIM_BITMAP;
  info.hbmpItem = nullptr;
  ASSERT_TRUE(SetMenuItemInfoA(bar, 0, TRUE, &info));
  EXPECT_TRUE(DrawMenuBar(parent));
  GetClientRect(parent, &client);
  EXPECT_EQ(client, plain);
  EXPECT_EQ(MenuBarHeight(parent), GetSystemMetrics(SM_CYMENU));
  SetMenu(parent, nullptr);
  EXPECT_EQ(MenuBarHeight(parent), 0);
}

TEST_F(MenuBarImageTest, OwnerDrawnBarItemsTakeTheSizeTheOwnerMeasured) {
  AnswerImages({{7, {30, 28}}}, {{7, RGB(0, 160, 0)}, {8, RGB(200, 0, 200)}});
  HMENU bar = Own(CreateMenu());
  AppendMenuA(bar, MF_STRING, 300, "&Help");
  AppendMenuA(bar, MF_OWNERDRAW, 301, reinterpret_cast<LPCSTR>(7));
  AppendMenuA(bar, MF_OWNERDRAW, 302, reinterpret_cast<LPCSTR>(8));   // measured as it was asked
  SetMenu(parent, bar);
  host().PumpUntilIdle();
  EXPECT_EQ(MenuBarHeight(parent), 28);
  const Bar s = ShowBar(bar);
  ASSERT_EQ(s.items.size(), 3u);
  const auto width = [](const RECT& r) { return r.Right - r.Left; };
  EXPECT_EQ(width(s.items[0]), 45);   // a text item as on a bar of the metric's height
  EXPECT_EQ(width(s.items[1]), 30 + 14);
  EXPECT_EQ(width(s.items[2]), 0 + 14);
  EXPECT_EQ(s.items[2].Bottom - s.items[2].Top, 28);
  // The owner draws each whole item.
  const DRAWITEMSTRUCT* seven = LastDrawn(7);
  const DRAWITEMSTRUCT* eight = LastDrawn(8);
  ASSERT_NE(seven, nullptr);
  ASSERT_NE(eight, nullptr);
  EXPECT_EQ(seven->rcItem, s.items[1]);
  EXPECT_EQ(eight->rcItem, s.items[2]);
  EXPECT_EQ(Block(s.image, s.items[1].Left - s.items[0].Left, 0, 44, 28),
            std::vector<Pixel>(44 * 28, PixelFromColor(RGB(0, 160, 0))));
  SetMenu(parent, nullptr);
}

TEST_F(MenuBarImageTest, AnOwnerDestroyingTheMenuOrItsWindowWhileTheBarIsMeasuredEndsCleanly) {
  HMENU bar = CreateMenu();
  AppendMenuA(bar, MF_OWNERDRAW, 301, reinterpret_cast<LPCSTR>(7));
  onMessage = [&](UINT m, WPARAM, LPARAM, LRESULT& r) {
    if (m != WM_MEASUREITEM) return false;
    DestroyMenu(bar);
    r = TRUE;
    return true;
  };
  EXPECT_TRUE(SetMenu(parent, bar));
  EXPECT_FALSE(IsMenu(bar));
  EXPECT_EQ(MenuBarHeight(parent), GetSystemMetrics(SM_CYMENU));
  SetMenu(parent, nullptr);

  bar = Own(CreateMenu());
  AppendMenuA(bar, MF_OWNERDRAW, 301, reinterpret_cast<LPCSTR>(7));
  onMessage = [&](UINT m, WPARAM, LPARAM, LRESULT& r) {
    if (m != WM_MEASUREITEM) return false;
    DestroyWindow(parent);
    r = TRUE;
    return true;
  };
  SetMenu(parent, bar);
  EXPECT_FALSE(IsWindow(parent));
}

TEST_F(MenuBarImageTest, GetMenuBarInfoGivesTheBarAndItsItemsAsLaidOut) {
  MENUBARINFO info;
  EXPECT_FALSE(GetMenuBarInfo(parent, OBJID_MENU, 0, &info));   // no bar yet
  HMENU empty = Own(CreateMenu());
  SetMenu(parent, empty);
  ASSERT_TRUE(GetMenuBarInfo(parent, OBJID_MENU, 0, &info));
  EXPECT_EQ(info.rcBar, (RECT{0, 0, 0, 0}));
  EXPECT_EQ(info.hMenu, empty);
  EXPECT_FALSE(GetMenuBarInfo(parent, OBJID_MENU, 1, &info));

  AnswerImages({{1, {16, 30}}, {2, {12, 10}}}, {});
  HMENU bar = BuildBar(true);
  SetMenu(parent, bar);
  host().PumpUntilIdle();
  RECT first, win;
  GetMenuItemRect(parent, bar, 0, &first);
  GetWindowRect(parent, &win);
  POINT origin{0, 0};
  ClientToScreen(parent, &origin);
  // The whole bar: from the first item, as far from the window's right edge as from its
  // left, down to the client area.
  ASSERT_TRUE(GetMenuBarInfo(parent, OBJID_MENU, 0, &info));
  EXPECT_EQ(info.rcBar, (RECT{first.Left, first.Top, win.Right - (first.Left - win.Left), origin.Y}));
  EXPECT_EQ(info.rcBar.Bottom - info.rcBar.Top, 32);
  EXPECT_EQ(info.hMenu, bar);
  EXPECT_EQ(info.hwndMenu, nullptr);
  EXPECT_FALSE(info.fBarFocused);
  for (UINT i = 1; i <= 3; ++i) {
    RECT r;
    ASSERT_TRUE(GetMenuItemRect(parent, bar, i - 1, &r));
    ASSERT_TRUE(GetMenuBarInfo(parent, OBJID_MENU, Integer(i), &info));
    EXPECT_EQ(info.rcBar, r) << i;
  }
  // Refused: an item the bar lacks, another object, no window, a structure of another size.
  EXPECT_FALSE(GetMenuBarInfo(parent, OBJID_MENU, 4, &info));
  EXPECT_FALSE(GetMenuBarInfo(parent, OBJID_MENU, -1, &info));
  EXPECT_FALSE(GetMenuBarInfo(parent, OBJID_VSCROLL, 0, &info));
  EXPECT_FALSE(GetMenuBarInfo(nullptr, OBJID_MENU, 0, &info));
  MENUBARINFO big;
  big.cbSize = 1000;
  EXPECT_FALSE(GetMenuBarInfo(parent, OBJID_MENU, 0, &big));

  // Tracked from the keyboard: the bar is focused, and Help once Right selects it.
  std::vector<std::pair<BOOL, BOOL>> seen;
  const auto look = [&](int vk) {
    return [&, vk] {
      MENUBARINFO i;
      GetMenuBarInfo(parent, OBJID_MENU, 2, &i);
      seen.push_back({i.fBarFocused, i.fFocused});
      host().Key(vk);
    };
  };
  host().WhenIdle(look(VK_RIGHT));
  host().WhenIdle(look(VK_ESCAPE));
  in().Key(VK_MENU);
  EXPECT_EQ(seen, (std::vector<std::pair<BOOL, BOOL>>{{TRUE, FALSE}, {TRUE, TRUE}}));
  SetMenu(parent, nullptr);
}
