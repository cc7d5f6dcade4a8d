// The container unit's small routines: frame strips, window regions and their no-change
// rule, string equality, the run-time lookup of the scroll-bar information, shift state.
#include "platform/gdi/Gdi.h"
#include "platform/host/HeadlessHost.h"
#include "platform/kernel/Locale.h"
#include "platform/kernel/Modules.h"
#include "platform/user/Controls.h"
#include "platform/user/User.h"
#include "tests/foundation/NativePainterFixture.h"
#include "widgets/foundation/cxContainer.h"

namespace {

class ContainerRoutines : public AppTest {
 protected:
  void TearDown() override {
    if (wnd) DestroyWindow(wnd);
    AppTest::TearDown();
  }
  HWND Window() {
    wnd = CreateWindowExA(0, "STATIC", "", WS_POPUP | WS_VISIBLE, 10, 10, 40, 30, nullptr, nullptr, nullptr, nullptr);
    host().PumpUntilIdle();
    return wnd;
  }
  // Whether the window has anything to repaint at P (client coordinates).
  bool Dirty(const TPoint& P) {
    HRGN rgn = CreateRectRgn(0, 0, 0, 0);
    const bool dirty = GetUpdateRgn(wnd, rgn, FALSE) > NULLREGION && PtInRegion(rgn, P.X, P.Y);
    DeleteObject(rgn);
    return dirty;
  }
  // The window's region, or nullptr when it has none; the caller deletes it.
  HRGN Region() {
    HRGN rgn = CreateRectRgn(0, 0, 0, 0);
    if (GetWindowRgn(wnd, rgn) != ERROR) return rgn;
    DeleteObject(rgn);
    return nullptr;
  }
  HWND wnd = nullptr;
};

TEST_F(ContainerRoutines, FrameStripsAreFilledAndInvalidated) {
  PaperCanvas paper(12, 12);
  cxFillRectFrame(paper.Cx(), {0, 0, 10, 10}, {3, 2, 8, 7}, clRed);
  const COLORREF red = ColorToRGB(clRed);
  for (TPoint p : {TPoint{0, 0}, TPoint{2, 5}, TPoint{5, 1}, TPoint{8, 5}, TPoint{5, 7}, TPoint{9, 9}})
    EXPECT_EQ(paper.Px(p.X, p.Y), red) << p.X << "," << p.Y;
  EXPECT_FALSE(paper.Painted({3, 2, 8, 7})) << "the inner rectangle stays";

  PaperCanvas whole(12, 12), none(12, 12);
  cxFillRectFrame(whole.Cx(), {1, 1, 6, 6}, {}, clRed);
  EXPECT_EQ(whole.Px(3, 3), red) << "an empty inner rectangle fills all of the outer one";
  cxFillRectFrame(none.Cx(), {1, 1, 6, 6}, {1, 1, 6, 6}, clRed);
  cxFillRectFrame(none.Cx(), {4, 4, 4, 9}, {}, clRed);
  EXPECT_FALSE(none.Painted());

  Window();
  ValidateRect(wnd, nullptr);
  cxInvalidateRectFrame(wnd, {0, 0, 40, 30}, {2, 2, 38, 28}, false);
  EXPECT_TRUE(Dirty({0, 0}));
  EXPECT_FALSE(Dirty({20, 15}));
}

TEST_F(ContainerRoutines, WindowRegionIsSetOnlyWhenItChanges) {
  Window();
  cxUpdateWindowRegion(wnd, {1, 1, 20, 15}, false, {}, true);
  HRGN rgn = Region();
  ASSERT_TRUE(rgn);
  EXPECT_TRUE(PtInRegion(rgn, 1, 1));
  EXPECT_TRUE(PtInRegion(rgn, 22, 17)) << "the shadow copy";
  EXPECT_FALSE(PtInRegion(rgn, 21, 2));
  DeleteObject(rgn);

  // Setting a region repaints the window; the same region again must not.
  host().PumpUntilIdle();
  ValidateRect(wnd, nullptr);
  cxUpdateWindowRegion(wnd, {1, 1, 20, 15}, false, {}, true);
  EXPECT_FALSE(GetUpdateRect(wnd, nullptr, FALSE)) << "unchanged region set again";
  cxUpdateWindowRegion(wnd, {1, 1, 20, 15}, false, {}, false);
  EXPECT_TRUE(GetUpdateRect(wnd, nullptr, FALSE));

  // An excluded rectangle is cut out.
  cxUpdateWindowRegion(wnd, {0, 0, 30, 20}, false, {10, 5, 20, 10}, false);
  rgn = Region();
  ASSERT_TRUE(rgn);
  EXPECT_FALSE(PtInRegion(rgn, 15, 7));
  EXPECT_TRUE(PtInRegion(rgn, 5, 7));
  DeleteObject(rgn);

  // No region at all differs from a region, even an empty one, and both ways.
  cxUpdateWindowRegion(wnd, {}, true, {}, false);
  EXPECT_EQ(Region(), nullptr);
  host().PumpUntilIdle();
  ValidateRect(wnd, nullptr);
  cxUpdateWindowRegion(wnd, {}, true, {}, false);
  EXPECT_FALSE(GetUpdateRect(wnd, nullptr, FALSE)) << "still no region: nothing set";
  cxUpdateWindowRegion(wnd, {5, 5, 5, 5}, false, {}, false);
  rgn = Region();
  ASSERT_TRUE(rgn) << "an empty region is a region";
  RECT box{};
  EXPECT_EQ(GetRgnBox(rgn, &box), NULLREGION);
  DeleteObject(rgn);
}

TEST_F(ContainerRoutines, StringsCompareWithTheirWholeLength) {
  EXPECT_TRUE(cxAreStringsEqual("Abc", "Abc", true));
  EXPECT_FALSE(cxAreStringsEqual("Abc", "ABC", true));
  EXPECT_TRUE(cxAreStringsEqual("Abc", "ABC", false));
  EXPECT_TRUE(cxAreStringsEqual("\x9a\xe9", "\x8a\xc9", false)) << "code-page capitals";
  EXPECT_FALSE(cxAreStringsEqual("\x9a", "s", false)) << "accents count";
  EXPECT_FALSE(cxAreStringsEqual("Ab", "Abc", false));
  // A zero inside the text is a character, not the end.
  const String a("x\0a", 3), b("x\0b", 3);
  EXPECT_FALSE(cxAreStringsEqual(a, b, true));
  EXPECT_FALSE(cxAreStringsEqual(a, b, false));
  EXPECT_TRUE(cxAreStringsEqual(a, String("X\0A", 3), false));
}

TEST_F(ContainerRoutines, ScrollBarInfoIsLookedUpByName) {
  HMODULE user = LoadLibraryA("USER32");
  ASSERT_TRUE(user);
  cxLookUpGetScrollBarInfo();
  ASSERT_TRUE(cxIsGetScrollBarInfoAvailable());
  wnd = CreateWindowExA(0, "LISTBOX", "", WS_POPUP | WS_VISIBLE | WS_VSCROLL, 10, 10, 60, 50, nullptr, nullptr,
                        nullptr, nullptr);
  for (int i = 0; i < 30; ++i) SendMessageA(wnd, LB_ADDSTRING, 0, LPARAM("item"));
  SCROLLBARINFO info;
  info.cbSize = 0;
  ASSERT_TRUE(cxGetScrollBarInfo(wnd, OBJID_VSCROLL, info));

  // A system without the function: no answer, and no call through a missing pointer.
  SetExportHidden("USER32", "GetScrollBarInfo", true);
  cxLookUpGetScrollBarInfo();
  EXPECT_FALSE(cxIsGetScrollBarInfoAvailable());
  EXPECT_FALSE(cxGetScrollBarInfo(wnd, OBJID_VSCROLL, info));
  SetExportHidden("USER32", "GetScrollBarInfo", false);
  FreeLibrary(user);
  cxLookUpGetScrollBarInfo();
  EXPECT_FALSE(cxIsGetScrollBarInfoAvailable()) << "found only in a loaded module";
}

}  // namespace
