// Windows: creation and destruction order, handles, subclassing, the hierarchy and z-order,
// placement and coordinates.
#include "platform/user/Menus.h"
#include "tests/platform/user/UserTestUtil.h"
#include "tests/support/UserTest.h"

#include <stdexcept>
#include <tuple>
#include <utility>

class WindowTest : public RecorderTest {
 protected:
  // The children of `parent`, top of the z-order first.
  static std::vector<HWND> Children(HWND parent) {
    std::vector<HWND> out;
    for (HWND c = GetWindow(parent, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT)) out.push_back(c);
    return out;
  }
};

TEST_F(WindowTest, ChildCreationSendsTheMessagesInOrder) {
  HWND parent = rec.Create(WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 300, 200);
  rec.Clear();
  HWND child = rec.Create(WS_CHILD | WS_VISIBLE, 5, 6, 50, 40, parent, 0, "", 0, reinterpret_cast<HMENU>(7));
  ASSERT_TRUE(IsWindow(child));
  EXPECT_EQ(Names(rec.For(child)),
            "WM_NCCREATE WM_NCCALCSIZE WM_CREATE WM_SIZE WM_MOVE WM_SHOWWINDOW WM_WINDOWPOSCHANGING "
            "WM_WINDOWPOSCHANGED");
  // The parent hears of the child between its creation and its showing.
  EXPECT_EQ(rec.Of(WM_PARENTNOTIFY),
            (Logged{{parent, WM_PARENTNOTIFY, MAKEWPARAM(WM_CREATE, 7), reinterpret_cast<LPARAM>(child)}}));
  EXPECT_EQ(Names(rec.All({WM_PARENTNOTIFY, WM_SHOWWINDOW})), "WM_PARENTNOTIFY WM_SHOWWINDOW");
  // Inside a hidden parent, showing and hiding only flip the style: nothing moves on screen.
  ShowWindow(parent, SW_HIDE);
  rec.Clear();
  HWND hiddenOne = rec.Create(WS_CHILD | WS_VISIBLE, 0, 0, 10, 10, parent);
  EXPECT_EQ(Names(rec.For(hiddenOne, {WM_SHOWWINDOW, WM_WINDOWPOSCHANGING, WM_WINDOWPOSCHANGED})), "WM_SHOWWINDOW");
  rec.Clear();
  ShowWindow(child, SW_HIDE);
  EXPECT_EQ(Names(rec.For(child)), "WM_SHOWWINDOW");
  EXPECT_FALSE(GetWindowLongA(child, GWL_STYLE) & WS_VISIBLE);
  rec.Clear();
  DestroyWindow(hiddenOne);
  EXPECT_EQ(Names(rec.For(hiddenOne)), "WM_SHOWWINDOW WM_DESTROY WM_NCDESTROY");
  // The desktop is always on the screen: a child of it is placed and painted when shown.
  HWND onDesktop = rec.Create(WS_CHILD, 0, 0, 20, 20, GetDesktopWindow());
  rec.Clear();
  ShowWindow(onDesktop, SW_SHOWNA);
  EXPECT_EQ(Names(rec.For(onDesktop, {WM_SHOWWINDOW, WM_WINDOWPOSCHANGING, WM_WINDOWPOSCHANGED})),
            "WM_SHOWWINDOW WM_WINDOWPOSCHANGING WM_WINDOWPOSCHANGED");
  EXPECT_TRUE(GetUpdateRect(onDesktop, nullptr, FALSE)) << "shown, it waits to be painted";
}

TEST_F(WindowTest, VisibleTopLevelIsActivatedBeforeThePositionChangeIsReported) {
  HWND h = rec.Create(WS_OVERLAPPEDWINDOW | WS_VISIBLE, 10, 10, 300, 200);
  EXPECT_EQ(Names(rec.For(h, {WM_GETMINMAXINFO, WM_NCCREATE, WM_CREATE, WM_SHOWWINDOW, WM_WINDOWPOSCHANGING,
                              WM_ACTIVATEAPP, WM_NCACTIVATE, WM_ACTIVATE, WM_SETFOCUS, WM_WINDOWPOSCHANGED})),
            "WM_GETMINMAXINFO WM_NCCREATE WM_CREATE WM_SHOWWINDOW WM_WINDOWPOSCHANGING WM_ACTIVATEAPP "
            "WM_NCACTIVATE WM_ACTIVATE WM_SETFOCUS WM_WINDOWPOSCHANGED");
  EXPECT_EQ(GetActiveWindow(), h);
  EXPECT_EQ(GetFocus(), h);
}

TEST_F(WindowTest, DestroyTellsParentFirstAndFreesChildrenFirst) {
  HWND parent = rec.Create(WS_OVERLAPPEDWINDOW, 0, 0, 300, 200);
  HWND a = rec.Create(WS_CHILD, 0, 0, 10, 10, parent);
  HWND b = rec.Create(WS_CHILD, 0, 0, 10, 10, parent);
  HWND aa = rec.Create(WS_CHILD, 0, 0, 5, 5, a);
  rec.Clear();
  ASSERT_TRUE(DestroyWindow(parent));
  // In z-order, a (the first created) before b. WM_DESTROY goes down the tree, WM_NCDESTROY
  // comes up.
  EXPECT_EQ(rec.Sequence({WM_DESTROY, WM_NCDESTROY}),
            (Sent{{parent, WM_DESTROY}, {a, WM_DESTROY}, {aa, WM_DESTROY}, {b, WM_DESTROY}, {aa, WM_NCDESTROY},
                  {a, WM_NCDESTROY}, {b, WM_NCDESTROY}, {parent, WM_NCDESTROY}}));
  for (HWND h : {parent, a, b, aa}) EXPECT_FALSE(IsWindow(h));
}

TEST_F(WindowTest, DestroyingAFocusedVisibleChildHidesItThenGivesTheFocusToItsParent) {
  HWND parent = rec.Create(WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 300, 200);
  HWND child = rec.Create(WS_CHILD | WS_VISIBLE, 0, 0, 50, 50, parent);
  SetFocus(child);
  rec.Clear();
  ASSERT_TRUE(DestroyWindow(child));
  EXPECT_EQ(rec.Sequence({WM_SHOWWINDOW, WM_WINDOWPOSCHANGING, WM_WINDOWPOSCHANGED, WM_KILLFOCUS, WM_SETFOCUS,
                          WM_DESTROY, WM_NCDESTROY}),
            (Sent{{child, WM_SHOWWINDOW}, {child, WM_WINDOWPOSCHANGING}, {child, WM_WINDOWPOSCHANGED},
                  {child, WM_KILLFOCUS}, {parent, WM_SETFOCUS}, {child, WM_DESTROY}, {child, WM_NCDESTROY}}));
  EXPECT_EQ(rec.Of(WM_SHOWWINDOW), (Logged{{child, WM_SHOWWINDOW, FALSE, 0}}));
  EXPECT_EQ(GetFocus(), parent);
  // Hiding a focused child does the same; a top-level window is hidden without WM_SHOWWINDOW.
  HWND other = rec.Create(WS_CHILD | WS_VISIBLE, 0, 0, 50, 50, parent);
  SetFocus(other);
  ShowWindow(other, SW_HIDE);
  EXPECT_EQ(GetFocus(), parent);
  rec.Clear();
  DestroyWindow(parent);
  EXPECT_EQ(rec.Count(parent, WM_SHOWWINDOW), 0);
  EXPECT_EQ(rec.Count(parent, WM_WINDOWPOSCHANGED), 1);
}

TEST_F(WindowTest, HidingMovesTheFocusOnlyThroughShowWindowAndOnlyFromTheFocusItself) {
  HWND top = rec.Create(WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 300, 200);
  HWND child = rec.Create(WS_CHILD | WS_VISIBLE, 0, 0, 50, 50, top);
  HWND grand = rec.Create(WS_CHILD | WS_VISIBLE, 0, 0, 20, 20, child);
  SetFocus(grand);
  ShowWindow(child, SW_HIDE);   // the focus is inside, not on it
  EXPECT_EQ(GetFocus(), grand);
  ShowWindow(child, SW_SHOW);
  SetFocus(child);
  SetWindowPos(child, nullptr, 0, 0, 0, 0, SWP_NOZORDER | SWP_NOMOVE | SWP_NOSIZE | SWP_HIDEWINDOW);
  EXPECT_EQ(GetFocus(), child);
  ShowWindow(child, SW_SHOW);
  // Disabling a parent leaves its focused child alone.
  EnableWindow(top, FALSE);
  EXPECT_EQ(GetFocus(), child);
  EnableWindow(top, TRUE);
  // The active window hidden without activation stays active, with its focus.
  SetWindowPos(top, nullptr, 0, 0, 0, 0, SWP_NOZORDER | SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE | SWP_HIDEWINDOW);
  EXPECT_EQ(std::pair(GetActiveWindow(), GetFocus()), std::pair(top, child));
  ShowWindow(top, SW_SHOW);
  ShowWindow(top, SW_HIDE);   // nothing else to activate
  EXPECT_EQ(std::pair(GetActiveWindow(), GetFocus()), std::pair(HWND(nullptr), HWND(nullptr)));
}

TEST_F(WindowTest, OnlyWindowsTheUserCanSizeAreAskedForTheirLimits) {
  HWND parent = rec.Create(WS_POPUP, 0, 0, 300, 200);
  for (auto [style, asked] : {std::pair{DWORD(WS_POPUP), 0}, {WS_POPUP | WS_THICKFRAME, 1}, {WS_OVERLAPPED, 1},
                              {WS_CHILD, 0}, {WS_CHILD | WS_THICKFRAME, 1}}) {
    rec.Clear();
    HWND h = rec.Create(style, 0, 0, 50, 50, (style & WS_CHILD) ? parent : nullptr);
    EXPECT_EQ(rec.Count(h, WM_GETMINMAXINFO), asked) << std::hex << style;
  }
}

TEST_F(WindowTest, ResizingASizableWindowAsksItsLimitsAndKeepsWithinThem) {
  HWND h = rec.Create(WS_OVERLAPPEDWINDOW, 0, 0, 300, 200);
  HWND popup = rec.Create(WS_POPUP, 0, 0, 300, 200);
  rec.Clear();
  SetWindowPos(h, nullptr, 0, 0, 5, 5, SWP_NOZORDER | SWP_NOMOVE | SWP_NOACTIVATE);
  EXPECT_EQ(Names(rec.For(h, {WM_WINDOWPOSCHANGING, WM_GETMINMAXINFO, WM_WINDOWPOSCHANGED})),
            "WM_WINDOWPOSCHANGING WM_GETMINMAXINFO WM_WINDOWPOSCHANGED");
  RECT r;
  GetWindowRect(h, &r);
  EXPECT_EQ(std::pair(r.Width(), r.Height()), std::pair(GetSystemMetrics(SM_CXMIN), GetSystemMetrics(SM_CYMIN)));
  SetWindowPos(popup, nullptr, 0, 0, 5, 5, SWP_NOZORDER | SWP_NOMOVE | SWP_NOACTIVATE);
  GetWindowRect(popup, &r);
  EXPECT_EQ(std::pair(r.Width(), r.Height()), std::pair(5, 5));   // nothing to keep within
  EXPECT_EQ(rec.Count(popup, WM_GETMINMAXINFO), 0);
  // The window's own answer counts, at creation (the largest size) and after.
  rec.handler = [](HWND, UINT m, WPARAM, LPARAM l, LRESULT& res) {
    if (m != WM_GETMINMAXINFO) return false;
    auto* mmi = reinterpret_cast<MINMAXINFO*>(l);
    mmi->ptMinTrackSize = {150, 100};
    mmi->ptMaxTrackSize = {400, 300};
    res = 0;
    return true;
  };
  HWND limited = rec.Create(WS_OVERLAPPEDWINDOW, 0, 0, 900, 50);
  GetWindowRect(limited, &r);
  EXPECT_EQ(std::pair(r.Width(), r.Height()), std::pair(400, 50));
  SetWindowPos(limited, nullptr, 0, 0, 20, 20, SWP_NOZORDER | SWP_NOMOVE | SWP_NOACTIVATE);
  GetWindowRect(limited, &r);
  EXPECT_EQ(std::pair(r.Width(), r.Height()), std::pair(150, 100));
}

TEST_F(WindowTest, OwnedWindowsAreDestroyedBeforeTheirOwner) {
  HWND owner = rec.Create(WS_OVERLAPPEDWINDOW, 0, 0, 300, 200);
  HWND popup = rec.Create(WS_POPUP, 0, 0, 50, 50, owner);
  rec.Clear();
  DestroyWindow(owner);
  EXPECT_EQ(Names(rec.All({WM_DESTROY})), "WM_DESTROY WM_DESTROY");
  EXPECT_EQ(rec.log.front().hwnd, popup);
  EXPECT_FALSE(IsWindow(popup));
}

TEST_F(WindowTest, CreationRefusedByTheProcedureLeavesNoWindow) {
  rec.handler = Answer(nullptr, WM_CREATE, -1);
  EXPECT_EQ(rec.Create(WS_OVERLAPPEDWINDOW, 0, 0, 100, 100), nullptr);
  EXPECT_EQ(UserLiveWindowCount(), 0);
  EXPECT_EQ(rec.All({WM_DESTROY, WM_NCDESTROY}), (std::vector<UINT>{WM_DESTROY, WM_NCDESTROY}));
  rec.handler = Answer(nullptr, WM_NCCREATE, 0);
  rec.Clear();
  EXPECT_EQ(rec.Create(WS_OVERLAPPEDWINDOW, 0, 0, 100, 100), nullptr);
  EXPECT_EQ(UserLiveWindowCount(), 0);
  EXPECT_EQ(rec.All({WM_CREATE, WM_DESTROY, WM_NCDESTROY}), (std::vector<UINT>{WM_NCDESTROY}));
}

TEST_F(WindowTest, StaleHandlesFailCleanly) {
  HWND h = rec.Create(WS_OVERLAPPEDWINDOW, 0, 0, 100, 100);
  DestroyWindow(h);
  // A new window may reuse the slot, never the handle.
  HWND again = rec.Create(WS_OVERLAPPEDWINDOW, 0, 0, 100, 100);
  EXPECT_NE(again, h);
  EXPECT_FALSE(IsWindow(h));
  EXPECT_FALSE(DestroyWindow(h));
  EXPECT_FALSE(PostMessageA(h, WM_USER, 1, 2));
  EXPECT_EQ(SetTimer(h, 1, 100, nullptr), 0u);
  EXPECT_FALSE(IsWindow(reinterpret_cast<HWND>(uintptr_t(0x12345678))));
}

TEST_F(WindowTest, SubclassingThroughTheWindowProcedureLong) {
  HWND h = rec.Create(WS_OVERLAPPEDWINDOW, 0, 0, 100, 100);
  static WNDPROC previous;
  static int seen;
  seen = 0;
  auto sub = [](HWND hw, UINT m, WPARAM w, LPARAM l) -> LRESULT {
    if (m == WM_USER) {
      seen++;
      return 42;
    }
    return CallWindowProcA(previous, hw, m, w, l);
  };
  WNDPROC token = MakeProcInstance(sub);
  previous = reinterpret_cast<WNDPROC>(SetWindowLongPtrA(h, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(token)));
  EXPECT_EQ(SendMessageA(h, WM_USER, 0, 0), 42);
  EXPECT_EQ(seen, 1);
  SendMessageA(h, WM_USER + 1, 0, 0);
  EXPECT_EQ(rec.Count(h, WM_USER + 1), 1);   // passed on to the original
  // Restore only if still ours: the token compares by identity.
  EXPECT_EQ(reinterpret_cast<WNDPROC>(GetWindowLongPtrA(h, GWLP_WNDPROC)), token);
  SetWindowLongPtrA(h, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(previous));
  EXPECT_EQ(SendMessageA(h, WM_USER, 0, 0), 0);
}

TEST_F(WindowTest, ZOrderAndHierarchy) {
  HWND parent = rec.Create(WS_OVERLAPPEDWINDOW, 0, 0, 300, 200);
  HWND a = rec.Create(WS_CHILD, 0, 0, 10, 10, parent);
  HWND b = rec.Create(WS_CHILD, 0, 0, 10, 10, parent);
  HWND c = rec.Create(WS_CHILD, 0, 0, 10, 10, parent);
  EXPECT_EQ(Children(parent), (std::vector<HWND>{a, b, c}));   // the newest is at the bottom
  EXPECT_EQ(GetWindow(parent, GW_CHILD), a);
  for (auto [h, after, order] : {std::tuple{c, HWND_TOP, std::vector<HWND>{c, a, b}}, {c, b, {a, b, c}},
                                 {a, HWND_BOTTOM, {b, c, a}}}) {
    SetWindowPos(h, after, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
    EXPECT_EQ(Children(parent), order);
  }
  EXPECT_TRUE(IsChild(parent, a) && !IsChild(a, parent));
  HWND grand = rec.Create(WS_CHILD, 0, 0, 5, 5, a);

  static std::vector<HWND> seen;
  seen.clear();
  EnumChildWindows(parent, [](HWND h, LPARAM) -> BOOL { seen.push_back(h); return TRUE; }, 0);
  EXPECT_EQ(seen, (std::vector<HWND>{b, c, a, grand}));

  // Reparenting moves the window and refuses cycles.
  HWND other = rec.Create(WS_OVERLAPPEDWINDOW, 0, 0, 100, 100);
  EXPECT_EQ(SetParent(b, other), parent);
  EXPECT_EQ(GetParent(b), other);
  EXPECT_EQ(SetParent(parent, grand), nullptr);
  DestroyWindow(parent);
  EXPECT_TRUE(IsWindow(b));
  DestroyWindow(other);
  EXPECT_FALSE(IsWindow(b));
}

TEST_F(WindowTest, MaximizedChildrenAndOwnedWindowsFindTheirPlaceInTheZOrder) {
  HWND parent = rec.Create(WS_POPUP, 0, 0, 300, 200);
  HWND a = rec.Create(WS_CHILD, 0, 0, 10, 10, parent);
  HWND big = rec.Create(WS_CHILD | WS_MAXIMIZE, 0, 0, 10, 10, parent);   // made maximized: on top
  HWND c = rec.Create(WS_CHILD | WS_VISIBLE, 0, 0, 10, 10, parent);
  EXPECT_EQ(Children(parent), (std::vector<HWND>{big, a, c}));
  // A window raised to the top takes its owned windows along; top-most ones stay above.
  HWND d = rec.Create(WS_POPUP, 0, 0, 10, 10), e = rec.Create(WS_POPUP, 0, 0, 10, 10);
  HWND owner = rec.Create(WS_POPUP, 0, 0, 10, 10);
  SetWindowPos(owner, e, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOMOVE | SWP_NOACTIVATE);   // below e
  HWND ownedPlain = rec.Create(WS_POPUP, 0, 0, 10, 10, owner);
  HWND ownedTop = rec.Create(WS_POPUP, 0, 0, 10, 10, owner, WS_EX_TOPMOST);
  HWND top = rec.Create(WS_POPUP, 0, 0, 10, 10, nullptr, WS_EX_TOPMOST);
  SetWindowPos(owner, HWND_TOP, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOMOVE | SWP_NOACTIVATE);
  std::vector<HWND> order;
  for (HWND h : Children(GetDesktopWindow()))
    if (h == d || h == e || h == owner || h == ownedPlain || h == ownedTop || h == top) order.push_back(h);
  EXPECT_EQ(order, (std::vector<HWND>{top, ownedTop, ownedPlain, owner, e, d}));
  // Neither the desktop nor a place after it is a place in the z-order.
  EXPECT_FALSE(SetWindowPos(GetDesktopWindow(), owner, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE));
  EXPECT_FALSE(SetWindowPos(owner, GetDesktopWindow(), 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE));
  // Owned by a top-most window, a window is top-most itself.
  HWND underTop = rec.Create(WS_POPUP, 0, 0, 10, 10, top);
  EXPECT_TRUE(GetWindowLongA(underTop, GWL_EXSTYLE) & WS_EX_TOPMOST);
}

TEST_F(WindowTest, MenusBelongToTopLevelAndPopupWindowsAndAChildsMenuIsItsId) {
  HWND top = rec.Create(WS_OVERLAPPEDWINDOW, 0, 0, 300, 200);
  HMENU menu = CreateMenu();
  EXPECT_FALSE(SetMenu(top, reinterpret_cast<HMENU>(uintptr_t(20))));   // not a menu
  EXPECT_EQ(GetMenu(top), nullptr);
  EXPECT_TRUE(SetMenu(top, menu));
  EXPECT_EQ(GetMenu(top), menu);
  EXPECT_TRUE(SetMenu(top, nullptr));
  HWND child = rec.Create(WS_CHILD, 0, 0, 10, 10, top, 0, "", 0, reinterpret_cast<HMENU>(10));
  EXPECT_EQ(GetMenu(child), reinterpret_cast<HMENU>(10));
  EXPECT_FALSE(SetMenu(child, menu));
  EXPECT_FALSE(SetMenu(child, nullptr));
  EXPECT_EQ(GetMenu(child), reinterpret_cast<HMENU>(10));
  SetWindowLongA(child, GWL_STYLE, WS_CHILD | WS_POPUP);
  EXPECT_TRUE(SetMenu(child, menu));
  EXPECT_TRUE(SetMenu(child, nullptr));
  DestroyMenu(menu);
}

TEST_F(WindowTest, FrameAndCoordinatesFollowTheMetrics) {
  HWND h = rec.Create(WS_OVERLAPPEDWINDOW, 100, 50, 300, 200);
  RECT w, c;
  GetWindowRect(h, &w);
  GetClientRect(h, &c);
  int frame = GetSystemMetrics(SM_CXFRAME), caption = GetSystemMetrics(SM_CYCAPTION);
  EXPECT_EQ(w, Rect(100, 50, 400, 250));
  EXPECT_EQ(c, Rect(0, 0, 300 - 2 * frame, 200 - 2 * frame - caption));
  // AdjustWindowRectEx is the inverse of the frame.
  RECT a = c;
  AdjustWindowRectEx(&a, WS_OVERLAPPEDWINDOW, FALSE, 0);
  EXPECT_EQ(std::pair(a.Width(), a.Height()), std::pair(300, 200));

  HWND child = rec.Create(WS_CHILD | WS_BORDER | WS_VSCROLL, 10, 20, 60, 50, h, WS_EX_CLIENTEDGE);
  GetClientRect(child, &c);
  int edge = GetSystemMetrics(SM_CXEDGE), border = GetSystemMetrics(SM_CXBORDER);
  EXPECT_EQ(c.Width(), 60 - 2 * (edge + border) - GetSystemMetrics(SM_CXVSCROLL));
  POINT q{1, 1};
  MapWindowPoints(child, h, &q, 1);
  EXPECT_EQ(q, Point(10 + border + edge + 1, 20 + border + edge + 1));
}

TEST_F(WindowTest, MovingAndSizingReportsThroughTheDefaultProcedure) {
  HWND parent = rec.Create(WS_OVERLAPPEDWINDOW, 0, 0, 300, 200);
  HWND child = rec.Create(WS_CHILD, 0, 0, 50, 50, parent);
  rec.Clear();
  MoveWindow(child, 10, 10, 50, 50, TRUE);
  EXPECT_EQ(Names(rec.For(child)), "WM_WINDOWPOSCHANGING WM_WINDOWPOSCHANGED WM_MOVE");
  rec.Clear();
  MoveWindow(child, 10, 10, 70, 60, TRUE);
  EXPECT_EQ(Names(rec.For(child)), "WM_WINDOWPOSCHANGING WM_NCCALCSIZE WM_WINDOWPOSCHANGED WM_SIZE");
  rec.Clear();
  MoveWindow(child, 10, 10, 70, 60, TRUE);   // no change: no report
  EXPECT_EQ(Names(rec.For(child)), "WM_WINDOWPOSCHANGING");
  // WM_WINDOWPOSCHANGING may change the placement.
  rec.handler = [](HWND, UINT m, WPARAM, LPARAM l, LRESULT&) {
    if (m == WM_WINDOWPOSCHANGING) reinterpret_cast<WINDOWPOS*>(l)->cx = 33;
    return false;
  };
  MoveWindow(child, 0, 0, 100, 100, TRUE);
  RECT r;
  GetClientRect(child, &r);
  EXPECT_EQ(std::pair(r.Width(), r.Height()), std::pair(33, 100));
}

TEST_F(WindowTest, ShowHideAndEnable) {
  HWND parent = rec.Create(WS_OVERLAPPEDWINDOW, 0, 0, 300, 200);
  HWND child = rec.Create(WS_CHILD | WS_VISIBLE, 0, 0, 50, 50, parent);
  EXPECT_FALSE(IsWindowVisible(child));   // the parent is hidden
  EXPECT_FALSE(ShowWindow(parent, SW_SHOW));
  EXPECT_TRUE(IsWindowVisible(child));
  EXPECT_TRUE(ShowWindow(parent, SW_SHOW));   // was visible
  rec.Clear();
  EXPECT_TRUE(ShowWindow(child, SW_HIDE));
  EXPECT_EQ(Names(rec.For(child)), "WM_SHOWWINDOW WM_WINDOWPOSCHANGING WM_WINDOWPOSCHANGED");
  EXPECT_FALSE(ShowWindow(child, SW_HIDE));   // was hidden
  SetFocus(child);
  EXPECT_EQ(GetFocus(), child);   // hidden windows can hold the focus
  ShowWindow(child, SW_SHOW);
  rec.Clear();
  EXPECT_FALSE(EnableWindow(child, FALSE));
  EXPECT_EQ(GetFocus(), nullptr);   // disabling takes the focus away
  EXPECT_EQ(rec.Count(child, WM_ENABLE), 1);
  EXPECT_TRUE(EnableWindow(child, TRUE));
  EXPECT_EQ(rec.Count(child, WM_ENABLE), 2);
}

TEST_F(WindowTest, ExtremeCoordinatesAreClampedNotOverflowed) {
  HWND h = rec.Create(WS_POPUP | WS_VISIBLE, 2000000000, -2000000000, 2000000000, 2000000000);
  ASSERT_TRUE(IsWindow(h));
  RECT r;
  GetWindowRect(h, &r);
  EXPECT_EQ(std::tuple(r.Left, r.Top, r.Width()), std::tuple(32767, -32768, 32767));
  HWND child = rec.Create(WS_CHILD | WS_VISIBLE, 30000, 30000, 30000, 30000, h);
  POINT p{30000, 30000};
  ClientToScreen(child, &p);
  EXPECT_EQ(p.X, 32767 + 30000 + 30000);
  SetWindowPos(child, nullptr, -2000000000, 2000000000, -5, 2000000000, SWP_NOZORDER);
  GetWindowRect(child, &r);
  EXPECT_EQ(r.Width(), 0);
  RECT huge{-2000000000, -2000000000, 2000000000, 2000000000};
  InvalidateRect(h, &huge, TRUE);
  ScrollWindowEx(h, 2000000000, -2000000000, nullptr, nullptr, nullptr, nullptr, SW_INVALIDATE | SW_SCROLLCHILDREN);
  host().PumpUntilIdle();   // a window larger than the screen paints into nothing, harmlessly
  EXPECT_EQ(host().Capture(h).Width(), 0);
}

TEST_F(WindowTest, NullArgumentsFailCleanly) {
  EXPECT_EQ(RegisterClassA(nullptr), 0);
  WNDCLASSA unnamed;
  EXPECT_EQ(RegisterClassA(&unnamed), 0);
  EXPECT_EQ(CreateWindowExA(0, nullptr, nullptr, 0, 0, 0, 0, 0, nullptr, nullptr, nullptr, nullptr), nullptr);
  HWND h = rec.Create(WS_POPUP, 0, 0, 10, 10, nullptr, 0, nullptr);
  ASSERT_TRUE(IsWindow(h));
  EXPECT_EQ(GetWindowTextA(h, nullptr, 10), 0);
  EXPECT_TRUE(SetWindowTextA(h, nullptr));
  EXPECT_FALSE(GetWindowRect(h, nullptr));
  EXPECT_EQ(BeginPaint(h, nullptr), nullptr);
  EXPECT_FALSE(EndPaint(h, nullptr));
  EXPECT_EQ(CallNextHookEx(nullptr, 0, 0, 0), 0);
  EXPECT_FALSE(PeekMessageA(nullptr, nullptr, 0, 0, PM_REMOVE));
  EXPECT_EQ(CallWindowProcA(nullptr, h, WM_USER, 0, 0), 0);
  EXPECT_EQ(SetWindowLongPtrA(h, GWLP_WNDPROC, 0), 0);   // a window always has a procedure
  EXPECT_EQ(reinterpret_cast<WNDPROC>(GetWindowLongPtrA(h, GWLP_WNDPROC)), rec.proc());
}

TEST_F(WindowTest, AnExceptionDuringCreationLeavesNoWindowBehind) {
  for (UINT failing : {WM_NCCREATE, WM_CREATE, WM_SIZE, WM_SHOWWINDOW}) {
    rec.handler = [failing](HWND, UINT m, WPARAM, LPARAM, LRESULT&) -> bool {
      if (m == failing) throw std::runtime_error("creation failed");
      return false;
    };
    EXPECT_THROW(rec.Create(WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 100, 100), std::runtime_error) << failing;
    EXPECT_EQ(UserLiveWindowCount(), 0) << failing;
    EXPECT_EQ(UserSendDepth(), 0);
  }
  // Also when the procedure throws again while the window is being destroyed.
  rec.handler = [](HWND, UINT m, WPARAM, LPARAM, LRESULT&) -> bool {
    if (m == WM_CREATE || m == WM_DESTROY) throw std::runtime_error("always failing");
    return false;
  };
  EXPECT_THROW(rec.Create(WS_POPUP, 0, 0, 10, 10), std::runtime_error);
  EXPECT_EQ(UserLiveWindowCount(), 0);
}

TEST_F(WindowTest, AnExceptionDuringDestructionStillFreesTheWindows) {
  HWND parent = rec.Create(WS_OVERLAPPEDWINDOW, 0, 0, 100, 100);
  HWND child = rec.Create(WS_CHILD, 0, 0, 10, 10, parent);
  SetTimer(child, 1, 100, nullptr);
  rec.handler = [&](HWND h, UINT m, WPARAM, LPARAM, LRESULT&) -> bool {
    if (h == child && m == WM_NCDESTROY) throw std::runtime_error("cleanup failed");
    return false;
  };
  EXPECT_THROW(DestroyWindow(parent), std::runtime_error);
  EXPECT_FALSE(IsWindow(child) || IsWindow(parent));
  EXPECT_EQ(std::pair(UserLiveWindowCount(), UserLiveTimerCount()), std::pair(0, 0));
}

TEST_F(WindowTest, MaximizeMinimizeAndRestore) {
  HWND h = rec.Create(WS_OVERLAPPEDWINDOW | WS_VISIBLE, 30, 40, 300, 200);
  HWND other = rec.Create(WS_OVERLAPPEDWINDOW | WS_VISIBLE, 500, 40, 100, 100);
  SetActiveWindow(h);
  rec.Clear();
  ShowWindow(h, SW_MAXIMIZE);
  RECT wa, client, r;
  SystemParametersInfoA(SPI_GETWORKAREA, 0, &wa, 0);
  GetClientRect(h, &client);
  EXPECT_EQ(client.Width(), wa.Width());   // the frame lies outside the work area
  auto sizes = [&] {
    std::vector<WPARAM> out;
    for (auto& m : rec.Of(WM_SIZE))
      if (m.hwnd == h) out.push_back(m.wParam);
    return out;
  };
  EXPECT_EQ(sizes(), std::vector<WPARAM>{SIZE_MAXIMIZED});
  ShowWindow(h, SW_MINIMIZE);
  EXPECT_TRUE(IsIconic(h));
  EXPECT_EQ(GetActiveWindow(), other);   // minimizing hands the activation on
  ShowWindow(h, SW_RESTORE);
  GetWindowRect(h, &r);
  EXPECT_EQ(r, Rect(30, 40, 330, 240));   // back where it was before maximizing
  EXPECT_EQ(sizes(), (std::vector<WPARAM>{SIZE_MAXIMIZED, SIZE_MINIMIZED, SIZE_RESTORED}));
  EXPECT_EQ(GetActiveWindow(), h);
  // Shown minimized it stays active without a focus; restored, it hears it is active and
  // may put the focus where it likes.
  HWND child = rec.Create(WS_CHILD | WS_VISIBLE, 0, 0, 10, 10, h);
  SetFocus(child);
  ShowWindow(h, SW_SHOWMINIMIZED);
  EXPECT_EQ(std::pair(GetActiveWindow(), GetFocus()), std::pair(h, HWND(nullptr)));
  rec.handler = [&](HWND w, UINT m, WPARAM wp, LPARAM, LRESULT& r) {
    if (w != h || m != WM_ACTIVATE || LOWORD(wp) != WA_ACTIVE) return false;
    SetFocus(child);
    r = 0;
    return true;
  };
  ShowWindow(h, SW_RESTORE);
  EXPECT_EQ(std::pair(GetActiveWindow(), GetFocus()), std::pair(h, child));
  rec.handler = nullptr;
  ShowWindow(h, SW_SHOWMINIMIZED);
  rec.Clear();
  ShowWindow(h, SW_RESTORE);
  EXPECT_EQ(GetFocus(), h);   // by default the window itself
  EXPECT_EQ(Names(rec.For(h, {WM_QUERYOPEN, WM_WINDOWPOSCHANGED, WM_SETFOCUS, WM_ACTIVATE})),
            "WM_QUERYOPEN WM_WINDOWPOSCHANGED WM_SETFOCUS WM_ACTIVATE");
  // A window that refuses to open stays minimized.
  ShowWindow(h, SW_SHOWMINIMIZED);
  rec.handler = Answer(h, WM_QUERYOPEN, FALSE);
  ShowWindow(h, SW_RESTORE);
  EXPECT_TRUE(IsIconic(h));
}

TEST_F(WindowTest, APopupMadeMaximizedCoversTheScreenAndStaysMaximized) {
  HWND h = rec.Create(WS_POPUP | WS_MAXIMIZE, 100, 100, 200, 200);
  EXPECT_TRUE(IsZoomed(h));
  RECT r;
  GetWindowRect(h, &r);
  EXPECT_EQ(std::pair(r.Width(), r.Height()), std::pair(GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)));
  SetWindowPos(h, nullptr, 10, 10, 200, 200, SWP_NOZORDER | SWP_NOACTIVATE);
  EXPECT_TRUE(IsZoomed(h));
  ShowWindow(h, SW_SHOWMAXIMIZED);
  GetWindowRect(h, &r);
  EXPECT_EQ(std::pair(r.Width(), r.Height()), std::pair(GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)));
  // Showing what is shown, without activation, answers that it was visible.
  EXPECT_TRUE(ShowWindow(h, SW_SHOWNA));
}

TEST_F(WindowTest, MaximizingAsksWhereAndAChildPlacedWithoutNoActivateIsTold) {
  rec.handler = [](HWND, UINT m, WPARAM, LPARAM l, LRESULT& res) {
    if (m != WM_GETMINMAXINFO) return false;
    auto* mmi = reinterpret_cast<MINMAXINFO*>(l);
    mmi->ptMaxPosition = {20, 30};
    mmi->ptMaxSize = {400, 300};
    res = 0;
    return true;
  };
  HWND h = rec.Create(WS_OVERLAPPEDWINDOW, 0, 0, 200, 100);
  ShowWindow(h, SW_SHOWMAXIMIZED);
  RECT r;
  GetWindowRect(h, &r);
  EXPECT_EQ(r, Rect(20, 30, 420, 330));
  rec.handler = nullptr;
  HWND child = rec.Create(WS_CHILD, 0, 0, 10, 10, h);
  rec.Clear();
  SetWindowPos(child, nullptr, 0, 0, 0, 0, SWP_SHOWWINDOW | SWP_NOSIZE | SWP_NOMOVE);
  EXPECT_EQ(Names(rec.For(child, {WM_WINDOWPOSCHANGING, WM_CHILDACTIVATE, WM_WINDOWPOSCHANGED})),
            "WM_WINDOWPOSCHANGING WM_CHILDACTIVATE WM_WINDOWPOSCHANGED");
  rec.Clear();
  SetWindowPos(child, nullptr, 5, 5, 0, 0, SWP_NOSIZE | SWP_NOACTIVATE);
  EXPECT_EQ(rec.Count(child, WM_CHILDACTIVATE), 0);
}

TEST_F(WindowTest, NestingStopsAtItsLimitAndTheDeepestWindowStillWorks) {
  std::vector<HWND> chain{rec.Create(WS_POPUP | WS_VISIBLE, 0, 0, 300, 300)};
  while (chain.size() <= 300) {
    HWND c = rec.Create(WS_CHILD | WS_VISIBLE, 0, 0, 200, 200, chain.back());
    if (!c) break;
    chain.push_back(c);
  }
  ASSERT_EQ(chain.size(), 256u);   // the top-level window is level 1
  // Re-parenting may not make a chain deeper than creating could.
  HWND other = rec.Create(WS_POPUP, 0, 0, 50, 50);
  HWND kid = rec.Create(WS_CHILD, 0, 0, 10, 10, other);
  EXPECT_EQ(SetParent(other, chain[chain.size() - 2]), nullptr);   // two levels onto level 255
  ASSERT_NE(kid, nullptr);
  EXPECT_NE(SetParent(other, chain[chain.size() - 3]), nullptr);   // onto level 254 it fits
  EXPECT_EQ(GetAncestor(kid, GA_PARENT), other);
  // A click on the deepest window: its messages pass up the whole chain by default.
  host().PumpUntilIdle();
  rec.Clear();
  PumpedInput(host()).Click(chain.back(), 5, 5);
  EXPECT_EQ(rec.Count(chain.back(), WM_LBUTTONDOWN), 1);
  EXPECT_EQ(rec.Count(chain.front(), WM_SETCURSOR), rec.Count(chain.back(), WM_SETCURSOR));
  EXPECT_GT(rec.Count(chain.front(), WM_SETCURSOR), 0);
}
