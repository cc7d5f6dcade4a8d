// The list box: strings and sorting, selection and notifications, owner-drawn fixed and
// variable items, scrolling through its own bar, keyboard and mouse.
#include "platform/gdi/Surface.h"
#include "tests/platform/controls/ControlTestUtil.h"

#include <algorithm>
#include <cstdio>
#include <map>
#include <tuple>
#include <utility>

class ListBoxTest : public ControlTest {
 protected:
  HWND List(DWORD style, int height = 100) {
    list = Child("LISTBOX", "", style | WS_VSCROLL, 10, 10, 150, height, 9);
    notes.clear();
    return list;
  }
  LRESULT Add(const char* s) { return SendMessageA(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(s)); }
  std::string Item(int i) {
    char buf[64] = {};
    LRESULT n = SendMessageA(list, LB_GETTEXT, WPARAM(i), reinterpret_cast<LPARAM>(buf));
    EXPECT_EQ(n, SendMessageA(list, LB_GETTEXTLEN, WPARAM(i), 0));
    return buf;
  }
  int ItemHeight() { return int(SendMessageA(list, LB_GETITEMHEIGHT, 0, 0)); }
  HWND list = nullptr;
};

TEST_F(ListBoxTest, StringsSortFindAndDelete) {
  List(LBS_SORT | LBS_HASSTRINGS);
  for (const char* s : {"pear", "Apple", "banana"}) Add(s);
  EXPECT_EQ(Add("cherry"), 2);
  const char* const sorted[] = {"Apple", "banana", "cherry", "pear"};
  for (int i = 0; i < 4; ++i) EXPECT_EQ(Item(i), sorted[i]);
  EXPECT_EQ(SendMessageA(list, LB_INSERTSTRING, 1, reinterpret_cast<LPARAM>("zz")), 1);   // no sorting
  EXPECT_EQ(SendMessageA(list, LB_FINDSTRING, WPARAM(-1), reinterpret_cast<LPARAM>("BAN")), 2);
  EXPECT_EQ(SendMessageA(list, LB_FINDSTRINGEXACT, WPARAM(-1), reinterpret_cast<LPARAM>("ban")), LB_ERR);
  // The search starts after the given index and wraps.
  EXPECT_EQ(SendMessageA(list, LB_FINDSTRING, 4, reinterpret_cast<LPARAM>("a")), 0);
  EXPECT_EQ(SendMessageA(list, LB_SELECTSTRING, WPARAM(-1), reinterpret_cast<LPARAM>("ch")), 3);
  EXPECT_EQ(SendMessageA(list, LB_GETCURSEL, 0, 0), 3);
  // Deleting before the selection keeps the same item selected.
  EXPECT_EQ(SendMessageA(list, LB_DELETESTRING, 0, 0), 4);
  EXPECT_EQ(SendMessageA(list, LB_GETCURSEL, 0, 0), 2);
  EXPECT_EQ(SendMessageA(list, LB_DELETESTRING, 9, 0), LB_ERR);
  EXPECT_EQ(SendMessageA(list, LB_SETCOUNT, 3, 0), LB_ERR);   // only for lists without data
}

TEST_F(ListBoxTest, OwnerDrawFixedMeasuresOnceAndDrawsEachVisibleItem) {
  std::vector<UINT> measured;
  std::map<UINT, UINT> drawnState;
  onMessage = [&](UINT m, WPARAM, LPARAM l, LRESULT& r) {
    if (m == WM_MEASUREITEM) {
      auto* mi = reinterpret_cast<MEASUREITEMSTRUCT*>(l);
      measured.push_back(mi->itemID);
      mi->itemHeight = 20;
      r = TRUE;
      return true;
    }
    if (m == WM_DRAWITEM) {
      auto* di = reinterpret_cast<DRAWITEMSTRUCT*>(l);
      EXPECT_EQ(di->hwndItem, list);
      EXPECT_EQ(di->rcItem.Top, (int(di->itemID) - int(SendMessageA(list, LB_GETTOPINDEX, 0, 0))) * 20);
      drawnState[di->itemID] = di->itemState;
      HBRUSH b = CreateSolidBrush((di->itemState & ODS_SELECTED) ? RGB(255, 0, 0) : RGB(0, 0, 255));
      FillRect(di->hDC, &di->rcItem, b);
      DeleteObject(b);
      r = TRUE;
      return true;
    }
    return false;
  };
  List(LBS_OWNERDRAWFIXED | LBS_NOINTEGRALHEIGHT, 100);
  EXPECT_EQ(measured, std::vector<UINT>{0});
  for (int i = 0; i < 8; ++i) SendMessageA(list, LB_ADDSTRING, 0, 100 + i);   // item data, no strings
  SendMessageA(list, LB_SETCURSEL, 1, 0);
  host().PumpUntilIdle();
  // Five rows fit in 100 pixels: items 0..4 are drawn, item 1 selected.
  EXPECT_EQ(drawnState.size(), 5u);
  EXPECT_EQ(std::pair(drawnState[0] & ODS_SELECTED, drawnState[1] & ODS_SELECTED),
            std::pair(0u, UINT(ODS_SELECTED)));
  EXPECT_EQ(host().PixelAt(list, 5, 25), PixelFromColor(RGB(255, 0, 0)));
  onMessage = nullptr;
}

TEST_F(ListBoxTest, OwnerDrawVariableHeightsPlaceItemsAndHitTests) {
  onMessage = [&](UINT m, WPARAM, LPARAM l, LRESULT& r) {
    if (m != WM_MEASUREITEM) return false;
    auto* mi = reinterpret_cast<MEASUREITEMSTRUCT*>(l);
    mi->itemHeight = 10 + 5 * mi->itemID;   // 10, 15, 20, 25 ...
    r = TRUE;
    return true;
  };
  List(LBS_OWNERDRAWVARIABLE | LBS_HASSTRINGS | LBS_NOINTEGRALHEIGHT, 60);
  for (const char* s : {"a", "b", "c", "d", "e"}) Add(s);
  RECT r;
  SendMessageA(list, LB_GETITEMRECT, 2, reinterpret_cast<LPARAM>(&r));
  EXPECT_EQ(std::pair(r.Top, r.Bottom), std::pair(25, 45));
  EXPECT_EQ(SendMessageA(list, LB_ITEMFROMPOINT, 0, MAKELPARAM(5, 30)), LRESULT(MAKELONG(2, 0)));
  EXPECT_EQ(SendMessageA(list, LB_ITEMFROMPOINT, 0, MAKELPARAM(5, 59)), LRESULT(MAKELONG(3, 0)));   // partly shown
  EXPECT_EQ(SendMessageA(list, LB_SETITEMHEIGHT, 3, MAKELPARAM(0, 0)), LB_ERR);
  onMessage = nullptr;
}

TEST_F(ListBoxTest, KeyboardAndMouseSelectAndNotify) {
  List(LBS_NOTIFY | LBS_HASSTRINGS | LBS_NOINTEGRALHEIGHT, 0);
  int h = ItemHeight();
  SetWindowPos(list, nullptr, 0, 0, 150, h * 4, SWP_NOMOVE | SWP_NOZORDER);
  for (const char* s : {"alpha", "beta", "gamma", "delta", "epsilon", "zeta", "eta", "theta"}) Add(s);
  SetFocus(list);
  host().PumpUntilIdle();
  notes.clear();
  in().Key(VK_DOWN);
  EXPECT_EQ(SendMessageA(list, LB_GETCURSEL, 0, 0), 0);
  EXPECT_EQ(Codes(9), std::vector<WORD>{LBN_SELCHANGE});
  in().Key(VK_END);
  EXPECT_EQ(SendMessageA(list, LB_GETCURSEL, 0, 0), 7);
  EXPECT_EQ(SendMessageA(list, LB_GETTOPINDEX, 0, 0), 4);   // scrolled so the last item shows
  notes.clear();
  // Programmatic selection sends nothing.
  SendMessageA(list, LB_SETCURSEL, 3, 0);
  EXPECT_TRUE(Codes(9).empty());
  // A click selects the item under it; a double click notifies.
  in().Click(list, 5, 2 * h + 1);
  EXPECT_EQ(SendMessageA(list, LB_GETCURSEL, 0, 0), SendMessageA(list, LB_GETTOPINDEX, 0, 0) + 2);
  EXPECT_EQ(Codes(9), std::vector<WORD>{LBN_SELCHANGE});
  host().Advance(1000);
  in().DoubleClick(list, 5, 2 * h + 1);
  EXPECT_EQ(Codes(9).back(), LBN_DBLCLK);
}

TEST_F(ListBoxTest, ExtendedSelectionWithShiftAndControl) {
  List(LBS_EXTENDEDSEL | LBS_HASSTRINGS | LBS_NOINTEGRALHEIGHT, 200);
  int h = ItemHeight();
  for (const char* s : {"a", "b", "c", "d", "e"}) Add(s);
  host().Click(list, 5, h * 1 + 1);
  host().KeyDown(VK_SHIFT);
  host().Click(list, 5, h * 3 + 1);
  in().KeyUp(VK_SHIFT);
  EXPECT_EQ(SendMessageA(list, LB_GETSELCOUNT, 0, 0), 3);
  host().KeyDown(VK_CONTROL);
  host().Click(list, 5, h * 2 + 1);
  in().KeyUp(VK_CONTROL);
  EXPECT_EQ(std::pair(SendMessageA(list, LB_GETSEL, 2, 0), SendMessageA(list, LB_GETSEL, 3, 0)),
            std::pair(LRESULT(0), LRESULT(1)));
  EXPECT_EQ(SendMessageA(list, LB_SETCURSEL, 0, 0), LB_ERR);   // not for multiple selection
}

TEST_F(ListBoxTest, SettingASelectionMovesTheCaretToIt) {
  List(LBS_EXTENDEDSEL | LBS_HASSTRINGS, 200);
  for (const char* s : {"a", "b", "c", "d"}) Add(s);
  for (auto [select, item] : {std::pair{TRUE, 2}, {FALSE, 1}, {TRUE, 3}}) {
    SendMessageA(list, LB_SETSEL, WPARAM(select), item);
    EXPECT_EQ(SendMessageA(list, LB_GETCARETINDEX, 0, 0), item);
  }
  SendMessageA(list, LB_SETSEL, FALSE, -1);   // every item: the caret stays
  EXPECT_EQ(SendMessageA(list, LB_GETCARETINDEX, 0, 0), 3);
  EXPECT_EQ(SendMessageA(list, LB_GETSELCOUNT, 0, 0), 0);
}

TEST_F(ListBoxTest, DeletingOutsideTheItemsFailsAndKeepsThem) {
  List(LBS_HASSTRINGS);
  for (const char* s : {"a", "b"}) Add(s);
  EXPECT_EQ(SendMessageA(list, LB_DELETESTRING, WPARAM(-1), 0), LB_ERR);
  EXPECT_EQ(SendMessageA(list, LB_DELETESTRING, 2, 0), LB_ERR);
  EXPECT_EQ(SendMessageA(list, LB_GETCOUNT, 0, 0), 2);
  EXPECT_EQ(SendMessageA(list, LB_INSERTSTRING, WPARAM(-1), reinterpret_cast<LPARAM>("c")), 2);   // appended
}

TEST_F(ListBoxTest, ItemHeights) {
  List(LBS_HASSTRINGS);
  HDC dc = GetDC(list);
  HGDIOBJ old = SelectObject(dc, font);
  TEXTMETRICA tm;
  GetTextMetricsA(dc, &tm);
  SelectObject(dc, old);
  ReleaseDC(list, dc);
  EXPECT_EQ(ItemHeight(), tm.tmHeight);   // the font's height
  // Only the low word counts, and only 1..255.
  Add("x");
  for (auto [lp, result, height] : {std::tuple{MAKELPARAM(20, 0), LRESULT(0), 20}, {MAKELPARAM(0, 30), LB_ERR, 20},
                                    {MAKELPARAM(0x100, 0), LB_ERR, 20}, {MAKELPARAM(0xFF, 0), LRESULT(0), 0xFF}}) {
    EXPECT_EQ(SendMessageA(list, LB_SETITEMHEIGHT, 0, lp), result);
    EXPECT_EQ(ItemHeight(), height);
  }
  // Fixed wins over variable: one height for every item.
  DestroyWindow(list);
  List(LBS_OWNERDRAWFIXED | LBS_OWNERDRAWVARIABLE);
  SendMessageA(list, LB_INSERTSTRING, WPARAM(-1), 0);
  SendMessageA(list, LB_INSERTSTRING, WPARAM(-1), 0);
  EXPECT_EQ(SendMessageA(list, LB_SETITEMHEIGHT, 1, 42), LB_OKAY);
  EXPECT_EQ(SendMessageA(list, LB_GETITEMHEIGHT, 0, 0), 42);
  // A variable list without items answers the default height for any index.
  DestroyWindow(list);
  List(LBS_OWNERDRAWVARIABLE);
  int standard = ItemHeight();
  EXPECT_GT(standard, 0);
  EXPECT_EQ(SendMessageA(list, LB_GETITEMHEIGHT, 5, 0), standard);
  EXPECT_EQ(SendMessageA(list, LB_GETITEMHEIGHT, WPARAM(-5), 0), standard);
}

TEST_F(ListBoxTest, TheSelectionKindIsFixedAtCreation) {
  // Single selection made: turning the multiple-selection styles on later changes nothing.
  List(LBS_HASSTRINGS);
  for (const char* s : {"a", "b", "c"}) Add(s);
  EXPECT_EQ(SendMessageA(list, LB_SETCURSEL, 2, 0), 2);
  SetWindowLongA(list, GWL_STYLE, GetWindowLongA(list, GWL_STYLE) | LBS_MULTIPLESEL | LBS_EXTENDEDSEL);
  EXPECT_EQ(SendMessageA(list, LB_GETSELCOUNT, 0, 0), LB_ERR);
  EXPECT_EQ(SendMessageA(list, LB_SETCURSEL, 0, 0), 0);
  EXPECT_EQ(std::pair(SendMessageA(list, LB_GETSEL, 0, 0), SendMessageA(list, LB_GETSEL, 2, 0)),
            std::pair(LRESULT(1), LRESULT(0)));
  // And the other way round.
  DestroyWindow(list);
  List(LBS_HASSTRINGS | LBS_EXTENDEDSEL);
  for (const char* s : {"a", "b", "c"}) Add(s);
  EXPECT_EQ(SendMessageA(list, LB_GETCURSEL, 0, 0), 0);   // the caret item, even with nothing selected
  SendMessageA(list, LB_SETSEL, TRUE, 0);
  SendMessageA(list, LB_SETSEL, TRUE, 2);
  SetWindowLongA(list, GWL_STYLE, GetWindowLongA(list, GWL_STYLE) & ~LBS_EXTENDEDSEL);
  EXPECT_EQ(SendMessageA(list, LB_SETCURSEL, 0, 0), LB_ERR);
  EXPECT_EQ(SendMessageA(list, LB_GETSELCOUNT, 0, 0), 2);
}

TEST_F(ListBoxTest, SettingTheSelectionScrollsItIntoView) {
  List(LBS_HASSTRINGS | LBS_NOINTEGRALHEIGHT, 100);
  for (const char* s : {"a", "b", "c", "d"}) Add(s);
  SendMessageA(list, LB_SETITEMHEIGHT, 0, 32);
  EXPECT_EQ(SendMessageA(list, LB_SETCURSEL, 2, 0), 2);
  EXPECT_EQ(GetScrollPos(list, SB_VERT), 0);
  EXPECT_EQ(SendMessageA(list, LB_SETCURSEL, 3, 0), 3);
  EXPECT_EQ(GetScrollPos(list, SB_VERT), 1);
  // An item above the top has a rectangle above the client area.
  RECT r;
  SendMessageA(list, LB_GETITEMRECT, 0, reinterpret_cast<LPARAM>(&r));
  EXPECT_LT(r.Top, 0);
  EXPECT_FALSE(r.IsEmpty());
}

TEST_F(ListBoxTest, PointsAndRectanglesOfItemsInAndOutOfView) {
  List(LBS_HASSTRINGS | LBS_NOINTEGRALHEIGHT);
  int ih = ItemHeight();
  SetWindowPos(list, nullptr, 0, 0, 150, ih * 9 / 2, SWP_NOMOVE | SWP_NOZORDER);   // four and a half items
  for (const char* s : {"0", "1", "2", "3", "4", "5", "6", "7"}) Add(s);
  SendMessageA(list, LB_SETTOPINDEX, 1, 0);   // items 1..4 show whole, 5 in part
  RECT client;
  GetClientRect(list, &client);
  auto at = [&](int x, int y) { return SendMessageA(list, LB_ITEMFROMPOINT, 0, MAKELPARAM(WORD(SHORT(x)), WORD(SHORT(y)))); };
  EXPECT_EQ(at(10, 1), 1);
  EXPECT_EQ(at(client.Right + 50, 1), 0x10001);   // beside: outside, the item of that row
  EXPECT_EQ(at(10, -10), 0x10001);                // above: outside, the top item
  EXPECT_EQ(at(10, client.Bottom + 10), 0x10005); // below: outside, the last item that shows
  EXPECT_EQ(at(10, client.Bottom + 200), 0x10005);
  RECT r;
  EXPECT_EQ(SendMessageA(list, LB_GETITEMRECT, 5, reinterpret_cast<LPARAM>(&r)), 1);
  EXPECT_EQ(SendMessageA(list, LB_GETITEMRECT, 6, reinterpret_cast<LPARAM>(&r)), 0);   // out of view
  EXPECT_EQ(r.Top, ih * 5);
  EXPECT_EQ(SendMessageA(list, LB_GETITEMRECT, 8, reinterpret_cast<LPARAM>(&r)), LB_ERR);
}

TEST_F(ListBoxTest, LosingTheFocusEndsAPressWithoutRelease) {
  List(LBS_HASSTRINGS | LBS_NOTIFY);
  for (const char* s : {"a", "b"}) Add(s);
  SendMessageA(list, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(10, 2));
  EXPECT_EQ(GetCapture(), list);
  notes.clear();
  SetFocus(nullptr);
  EXPECT_EQ(GetCapture(), nullptr);
  EXPECT_EQ(Codes(9), (std::vector<WORD>{LBN_SELCHANGE, LBN_KILLFOCUS}));
}

TEST_F(ListBoxTest, AListWithoutSelectionStillSetsOne) {
  List(LBS_HASSTRINGS | LBS_NOSEL);
  for (const char* s : {"a", "b", "c", "d"}) Add(s);
  EXPECT_EQ(SendMessageA(list, LB_GETCURSEL, 0, 0), LB_ERR);
  EXPECT_EQ(SendMessageA(list, LB_GETSEL, 0, 0), 0);
  EXPECT_EQ(SendMessageA(list, LB_SETCURSEL, 2, 0), 2);
  EXPECT_EQ(SendMessageA(list, LB_GETSEL, 2, 0), 1);
  EXPECT_EQ(SendMessageA(list, LB_GETCURSEL, 0, 0), 2);
}

TEST_F(ListBoxTest, PlainItemsPaintSelectionInHighlight) {
  List(LBS_HASSTRINGS | LBS_NOINTEGRALHEIGHT, 100);
  for (const char* s : {"one", "two"}) Add(s);
  SendMessageA(list, LB_SETCURSEL, 1, 0);
  host().PumpUntilIdle();
  int h = ItemHeight();
  EXPECT_EQ(host().PixelAt(list, 140, h + 1), PixelFromColor(GetSysColor(COLOR_HIGHLIGHT)));
  EXPECT_EQ(host().PixelAt(list, 140, 1), PixelFromColor(GetSysColor(COLOR_WINDOW)));
}

TEST_F(ListBoxTest, ACountPastTheLimitIsRefusedAsOutOfSpace) {
  List(LBS_NODATA | LBS_OWNERDRAWFIXED);
  EXPECT_EQ(SendMessageA(list, LB_SETCOUNT, 1 << 22, 0), 0);
  EXPECT_EQ(SendMessageA(list, LB_GETCOUNT, 0, 0), 1 << 22);
  EXPECT_EQ(SendMessageA(list, LB_SETCOUNT, (1 << 22) + 1, 0), LB_ERRSPACE);
  EXPECT_EQ(SendMessageA(list, LB_SETCOUNT, 1 << 26, 0), LB_ERRSPACE);
  EXPECT_EQ(SendMessageA(list, LB_GETCOUNT, 0, 0), 1 << 22);   // the refused call changed nothing
  EXPECT_EQ(SendMessageA(list, LB_SETCOUNT, 3, 0), 0);
}

TEST_F(ListBoxTest, ASortedListOfThousandsStaysInOrderThroughInsertsAndDeletes) {
  List(LBS_SORT | LBS_HASSTRINGS | LBS_MULTIPLESEL);
  std::vector<std::string> want;
  uint32_t seed = 7;
  for (int i = 0; i < 3000; ++i) {
    seed = seed * 1103515245u + 12345u;
    char name[16];
    std::snprintf(name, sizeof name, "k%06u", unsigned(seed % 1000000));   // one case, fixed width
    Add(name);
    want.push_back(name);
  }
  std::stable_sort(want.begin(), want.end());
  // Deleting from the middle and inserting at given places: the same steps on a plain list.
  for (int i = 2500; i >= 100; i -= 7) {
    SendMessageA(list, LB_DELETESTRING, WPARAM(i), 0);
    want.erase(want.begin() + i);
  }
  SendMessageA(list, LB_INSERTSTRING, 1500, reinterpret_cast<LPARAM>("middle"));
  want.insert(want.begin() + 1500, "middle");
  ASSERT_EQ(SendMessageA(list, LB_GETCOUNT, 0, 0), LRESULT(want.size()));
  for (size_t i = 0; i < want.size(); ++i) ASSERT_EQ(Item(int(i)), want[i]) << "at " << i;
  for (int i : {0, 1500, int(want.size()) - 1}) SendMessageA(list, LB_SETSEL, TRUE, i);
  EXPECT_EQ(SendMessageA(list, LB_GETSELCOUNT, 0, 0), 3);
}
