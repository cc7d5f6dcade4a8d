#include "platform/gdi/Font.h"
#include "platform/gdi/FontEngine.h"
#include "platform/user/User.h"
#include "tests/foundation/ThemeUnitsFixture.h"

#include <vector>

namespace {

using ThemeAccess = ThemeUnitsTest;

TEST_F(ThemeAccess, LoadsOnlyFromVersionFiveOneOn) {
  struct Case {
    DWORD major, minor;
    bool loaded;
  };
  for (Case c : {Case{4, 0, false}, Case{5, 0, false}, Case{5, 1, true}, Case{6, 0, true}}) {
    VersionInfo v;
    v.major = c.major;
    v.minor = c.minor;
    SetVersionInfo(v);
    const int loadsBefore = ModuleLoadCount();
    dxUxTheme::Initialize();
    EXPECT_EQ(cxIsUxThemeLoaded(), c.loaded) << c.major << "." << c.minor;
    EXPECT_EQ(cxIsWinXPOrLater(), c.loaded) << c.major << "." << c.minor;
    EXPECT_EQ(cxThemeFunction(0) != nullptr, c.loaded);
    dxUxTheme::Finalize();
    EXPECT_FALSE(cxIsUxThemeLoaded());
    EXPECT_EQ(ModuleLoadCount(), loadsBefore) << "the library is freed at shut-down";
  }
}

TEST_F(ThemeAccess, ResolvesEveryNameInTableOrderAndLeavesHiddenOnesEmpty) {
  SetExportHidden("UxTheme.dll", "GetThemeColor", true);
  dxUxTheme::Initialize();
  HMODULE m = GetModuleHandleA("UxTheme.dll");
  ASSERT_NE(m, nullptr);
  for (int i = 0; i < cxThemeFunctionCount; ++i) {
    const String name = cxThemeFunctionName(i);
    if (name == "GetThemeColor") {
      EXPECT_EQ(cxThemeFunction(i), nullptr);
    } else {
      EXPECT_NE(cxThemeFunction(i), nullptr) << name;
      SetExportHidden("UxTheme.dll", "GetThemeColor", false);
      EXPECT_EQ(cxThemeFunction(i), GetProcAddress(m, name.c_str())) << name;
      SetExportHidden("UxTheme.dll", "GetThemeColor", true);
    }
  }
  // The missing one answers its failure value instead of crashing.
  ThemeSetActive(true);
  HTHEME t = cxOpenThemeData(nullptr, u"Button");
  ASSERT_NE(t, nullptr);
  COLORREF color = 77;
  EXPECT_TRUE(FAILED(cxGetThemeColor(t, BP_PUSHBUTTON, PBS_NORMAL, TMT_TEXTCOLOR, color)));
  EXPECT_EQ(color, 0u);
  EXPECT_EQ(cxCloseThemeData(t), S_OK);
  dxUxTheme::Finalize();
}

// Every wrapper with every name hidden: a failure value and cleared outputs, never a call.
TEST_F(ThemeAccess, EveryWrapperFailsSafelyWhenItsFunctionIsMissing) {
  dxUxTheme::Initialize();
  for (int i = 0; i < cxThemeFunctionCount; ++i) SetExportHidden("UxTheme.dll", cxThemeFunctionName(i), true);
  dxUxTheme::Finalize();
  dxUxTheme::Initialize();
  ASSERT_TRUE(cxIsUxThemeLoaded());
  for (int i = 0; i < cxThemeFunctionCount; ++i) EXPECT_EQ(cxThemeFunction(i), nullptr);
  ThemeSetActive(true);
  HTHEME t = reinterpret_cast<HTHEME>(uintptr_t(0x30001));
  Canvas(10, 10);
  TRect r{0, 0, 10, 10}, out{1, 1, 1, 1};
  TSize size{5, 5};
  COLORREF color = 5;
  HRGN region = reinterpret_cast<HRGN>(1);
  int value = 3;
  EXPECT_TRUE(FAILED(cxCloseThemeData(t)));
  EXPECT_TRUE(FAILED(cxDrawThemeBackground(t, dc, 1, 1, r)));
  EXPECT_FALSE(Painted(r));
  EXPECT_TRUE(FAILED(cxDrawThemeEdge(t, dc, 1, 1, &r, BDR_RAISEDINNER, BF_RECT, &out)));
  EXPECT_EQ(out, r);
  EXPECT_TRUE(FAILED(cxDrawThemeParentBackground(nullptr, dc, &r)));
  EXPECT_TRUE(FAILED(cxDrawThemeText(t, dc, 1, 1, u"a", -1, 0, 0, &r)));
  EXPECT_TRUE(FAILED(cxDrawThemeTextAnsi(t, dc, 1, 1, "a", -1, 0, 0, &r)));
  EXPECT_TRUE(FAILED(cxGetThemeBackgroundContentRect(t, dc, 1, 1, r, out)));
  EXPECT_EQ(out, r) << "no margins known: the content is the whole rectangle";
  EXPECT_TRUE(FAILED(cxGetThemeBackgroundRegion(t, dc, 1, 1, &r, &region)));
  EXPECT_EQ(region, nullptr);
  EXPECT_TRUE(FAILED(cxGetThemeColor(t, 1, 1, TMT_TEXTCOLOR, &color)));
  EXPECT_EQ(color, 0u);
  EXPECT_TRUE(FAILED(cxGetThemeEnumValue(t, 1, 1, 1, &value)));
  EXPECT_EQ(value, 0);
  EXPECT_TRUE(FAILED(cxGetThemePartSize(t, dc, 1, 1, r, TS_TRUE, size)));
  EXPECT_EQ(size, (TSize{0, 0}));
  out = {1, 1, 1, 1};
  EXPECT_TRUE(FAILED(cxGetThemeTextExtent(t, dc, 1, 1, u"a", 1, 0, &r, &out)));
  EXPECT_EQ(out, TRect{});
  EXPECT_EQ(cxOpenThemeData(nullptr, u"Button"), nullptr);
  EXPECT_TRUE(FAILED(cxSetWindowTheme(nullptr, nullptr, nullptr)));
  EXPECT_EQ(ThemeOpenCount(), 0);
  dxUxTheme::Finalize();
}

TEST_F(ThemeAccess, AbsentLibraryLeavesEverythingUnloaded) {
  SetModuleHidden("UxTheme.dll", true);
  ThemeSetActive(true);
  Start();
  EXPECT_FALSE(cxIsUxThemeLoaded());
  EXPECT_TRUE(cxIsWinXPOrLater());
  EXPECT_FALSE(cxIsThemeActive());
  EXPECT_EQ(cxOpenThemeData(nullptr, u"Button"), nullptr);
  EXPECT_FALSE(cxIsThemeAvailable());
  EXPECT_EQ(cxOpenTheme(TdxThemedObjectType::totButton), nullptr);
  EXPECT_EQ(ThemeOpenCount(), 0) << "nothing reaches the library";
}

// The parent's procedure selects its own font into the DC it is given.
HFONT gParentFont = nullptr;
LRESULT ParentProc(HWND h, UINT msg, WPARAM w, LPARAM l) {
  if (msg == WM_PRINTCLIENT) {
    SelectObject(reinterpret_cast<HDC>(w), gParentFont);
    return 0;
  }
  return DefWindowProcA(h, msg, w, l);
}

TEST_F(ThemeAccess, ParentBackgroundLeavesTheCallersFontSelected) {
  dxUxTheme::Initialize();
  WNDCLASSA wc;
  wc.lpfnWndProc = MakeProcInstance(ParentProc);
  wc.lpszClassName = "ThemeAccessParent";
  RegisterClassA(&wc);
  HWND parent = CreateWindowExA(0, "ThemeAccessParent", "", WS_OVERLAPPEDWINDOW, 0, 0, 100, 80, nullptr,
                                nullptr, nullptr, nullptr);
  HWND child = CreateWindowExA(0, "ThemeAccessParent", "", WS_CHILD, 10, 10, 30, 20, parent, nullptr, nullptr,
                               nullptr);
  gParentFont = CreateFontA(-20, 0, 0, 0, FW_BOLD, 0, 0, 0, ANSI_CHARSET, 0, 0, 0, 0, kTestFaceName);
  HFONT mine = CreateFontA(-9, 0, 0, 0, FW_NORMAL, 0, 0, 0, ANSI_CHARSET, 0, 0, 0, 0, kTestFaceName);
  Canvas(30, 20);
  HGDIOBJ original = SelectObject(dc, mine);
  TRect r{0, 0, 30, 20};
  EXPECT_EQ(cxDrawThemeParentBackground(child, dc, &r), S_OK);
  EXPECT_EQ(GetCurrentObject(dc, OBJ_FONT), mine);
  // The library itself leaves the parent's font behind; only the wrapper restores.
  DrawThemeParentBackground(child, dc, &r);
  EXPECT_EQ(GetCurrentObject(dc, OBJ_FONT), gParentFont);
  SelectObject(dc, original);
  DeleteObject(mine);
  DeleteObject(gParentFont);
  DestroyWindow(parent);
  dxUxTheme::Finalize();
}

TEST_F(ThemeAccess, AnsiTextIsWidenedWithItsCountUnchanged) {
  dxUxTheme::Initialize();
  ThemeSetActive(true);
  HTHEME t = cxOpenThemeData(nullptr, u"Button");
  HFONT font = CreateFontA(-16, 0, 0, 0, FW_NORMAL, 0, 0, 0, ANSI_CHARSET, 0, 0, 0, 0, kTestFaceName);
  auto inkWidth = [&](const String& text, int count) {
    Canvas(200, 24);
    HGDIOBJ old = SelectObject(dc, font);
    TRect r{0, 0, 200, 24};
    EXPECT_EQ(cxDrawThemeTextAnsi(t, dc, BP_PUSHBUTTON, PBS_NORMAL, text, count, DT_SINGLELINE | DT_NOPREFIX,
                                  0, &r), S_OK);
    SelectObject(dc, old);
    int right = 0;
    for (int x = 0; x < 200; ++x)
      if (Painted({x, 0, x + 1, 24})) right = x + 1;
    return right;
  };
  const int all = inkWidth("\xC4\xC4\xC4\xC4", -1), two = inkWidth("\xC4\xC4\xC4\xC4", 2);
  EXPECT_GT(all, two);
  EXPECT_GT(two, 0);
  EXPECT_EQ(inkWidth("\xC4\xC4\xC4\xC4", 99), all) << "a count past the end stops at the end";
  DeleteObject(font);
  cxCloseThemeData(t);
  dxUxTheme::Finalize();
}

}  // namespace
