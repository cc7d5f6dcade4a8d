#include "platform/gdi/Font.h"
#include "platform/gdi/FontEngine.h"
#include "platform/gdi/Text.h"
#include "platform/kernel/Modules.h"
#include "tests/platform/theme/ThemeFixture.h"
#include "tests/platform/user/UserTestUtil.h"

#include <cstdlib>
#include <tuple>

namespace {

using ThemeModule = ThemeFixture;

TEST_F(ThemeModule, ExportsEveryNameAndHonoursTheHidingSwitches) {
  HMODULE m = LoadLibraryA("C:\\WINDOWS\\system32\\uxtheme.dll");
  ASSERT_NE(m, nullptr);
  for (const char* name : {"OpenThemeData", "DrawThemeParentBackground", "GetThemeSysColorBrush", "SetWindowTheme"})
    EXPECT_NE(GetProcAddress(m, name), nullptr) << name;
  SetExportHidden("UxTheme.dll", "GetThemeColor", true);
  EXPECT_EQ(GetProcAddress(m, "GetThemeColor"), nullptr);
  EXPECT_NE(GetProcAddress(m, "OpenThemeData"), nullptr);
  FreeLibrary(m);

  SetModuleHidden("UxTheme.dll", true);
  EXPECT_EQ(LoadLibraryA("UxTheme.dll"), nullptr);
}

TEST_F(ThemeModule, StartUpIsCountedAndTheLastFinalizeRemovesTheModule) {
  PlatformThemeInitialize();  // a second start-up only counts
  PlatformThemeFinalize();
  HMODULE m = LoadLibraryA("UxTheme.dll");
  ASSERT_NE(m, nullptr);
  FreeLibrary(m);
  PlatformThemeFinalize();
  EXPECT_EQ(LoadLibraryA("UxTheme.dll"), nullptr);
  PlatformThemeInitialize();
  // Programs start with visual styles on; only the test fixture switches them off.
  EXPECT_TRUE(IsThemeActive());
}

using ThemeHandles = ThemeFixture;

TEST_F(ThemeHandles, OpenFollowsTheActiveFlagAndTheClassList) {
  EXPECT_EQ(OpenThemeData(nullptr, u"Button"), nullptr) << "themes are off";
  ThemeSetActive(true);
  EXPECT_EQ(OpenThemeData(nullptr, u"NoSuchClass"), nullptr);
  EXPECT_EQ(OpenThemeData(nullptr, nullptr), nullptr);
  ThemeHold a(OpenThemeData(nullptr, u"Unknown; eDiT"));
  ThemeHold b(OpenThemeData(nullptr, u"EDIT"));
  ASSERT_NE(a.h, nullptr);
  EXPECT_NE(a.h, b.h);
  // The handle draws as the class it was opened for: an edit fills with the window colour.
  Canvas(20, 20);
  TRect r{0, 0, 20, 20};
  EXPECT_EQ(DrawThemeBackground(a.h, dc, EP_EDITTEXT, ETS_NORMAL, &r, nullptr), S_OK);
  EXPECT_EQ(Px(10, 10), ThemeCurrentColors().window);
}

TEST_F(ThemeHandles, CloseReleasesOnceAndStaleHandlesFail) {
  ThemeSetActive(true);
  HTHEME t = OpenThemeData(nullptr, u"Button");
  ASSERT_NE(t, nullptr);
  EXPECT_EQ(CloseThemeData(t), S_OK);
  EXPECT_EQ(ThemeLiveHandleCount(), 0);
  EXPECT_TRUE(FAILED(CloseThemeData(t)));
  COLORREF color = 123;
  EXPECT_TRUE(FAILED(GetThemeColor(t, BP_PUSHBUTTON, PBS_NORMAL, TMT_TEXTCOLOR, &color)));
  EXPECT_EQ(color, 0u);
  Canvas(10, 10);
  TRect r{0, 0, 10, 10};
  EXPECT_TRUE(FAILED(DrawThemeBackground(t, dc, 1, 1, &r, nullptr)));
  EXPECT_FALSE(Painted(r));
  ThemeHold again(OpenThemeData(nullptr, u"button"));
  EXPECT_NE(again.h, nullptr) << "a closed class can be opened again";
}

TEST_F(ThemeHandles, CurrentThemeNameIsTruncatedToTheBuffersAndFailsWhenOff) {
  char16_t file[8], color[1024], size[4];
  EXPECT_TRUE(FAILED(GetCurrentThemeName(file, 8, color, 1024, size, 4)));
  EXPECT_EQ(WideString(color), u"");
  ThemeConfigure({true, u"C:\\Themes\\Luna.msstyles", u"HomeStead", u"NormalSize"});
  ASSERT_EQ(GetCurrentThemeName(file, 8, color, 1024, size, 4), S_OK);
  EXPECT_EQ(std::tuple(WideString(file), WideString(color), WideString(size)),
            std::tuple(WideString(u"C:\\Them"), WideString(u"HomeStead"), WideString(u"Nor")));
  EXPECT_EQ(ThemeCurrentVariant(), ThemeVariant::Olive);
  for (auto [name, variant] : {std::pair{u"METALLIC", ThemeVariant::Silver}, {u"Royale", ThemeVariant::Blue}}) {
    ThemeConfigure({true, u"x", name, u""});
    EXPECT_EQ(ThemeCurrentVariant(), variant);
  }
}

using ThemeQueries = ThemeFixture;

TEST_F(ThemeQueries, RegionsAreNewAndShapedPerPart) {
  const HTHEME button = Open(u"Button"), edit = Open(u"Edit");
  const TRect r{10, 10, 40, 30};
  size_t before = GdiLiveObjectCount();
  HRGN push = nullptr, radio = nullptr, field = nullptr;
  ASSERT_EQ(GetThemeBackgroundRegion(button, nullptr, BP_PUSHBUTTON, PBS_NORMAL, &r, &push), S_OK);
  ASSERT_EQ(GetThemeBackgroundRegion(button, nullptr, BP_RADIOBUTTON, 1, &r, &radio), S_OK);
  ASSERT_EQ(GetThemeBackgroundRegion(edit, nullptr, EP_EDITTEXT, 1, &r, &field), S_OK);
  EXPECT_EQ(GdiLiveObjectCount(), before + 3) << "each call makes a region the caller owns";
  // Rounded: the corner is cut, the middle and the edge centres are in. Elliptic: a point
  // just inside the box corner is outside the ellipse. A field is the whole box.
  const std::tuple<HRGN, int, int, bool> points[] = {
      {push, 10, 10, false}, {push, 25, 10, true},  {push, 25, 20, true},  {radio, 12, 12, false},
      {radio, 25, 20, true}, {field, 10, 10, true}, {field, 39, 29, true}, {field, 40, 29, false}};
  for (auto [rgn, x, y, in] : points) EXPECT_EQ(PtInRegion(rgn, x, y) != FALSE, in) << x << "," << y;
  for (HRGN h : {push, radio, field}) DeleteObject(h);
  HRGN none = reinterpret_cast<HRGN>(1);
  EXPECT_TRUE(FAILED(GetThemeBackgroundRegion(nullptr, nullptr, 1, 1, &r, &none)));
  EXPECT_EQ(none, nullptr);
}

TEST_F(ThemeQueries, ColoursFollowTheVariantAndUnsupportedPropertiesFail) {
  const HTHEME button = Open(u"Button"), combo = Open(u"ComboBox");
  COLORREF col = 0;
  EXPECT_EQ(GetThemeColor(button, BP_PUSHBUTTON, PBS_NORMAL, 204, &col), E_PROP_ID_UNSUPPORTED);
  EXPECT_TRUE(FAILED(GetThemeColor(button, BP_CHECKBOX, 1, TMT_FILLCOLOR, &col)));
  EXPECT_TRUE(FAILED(GetThemeColor(button, 77, 1, TMT_TEXTCOLOR, &col)));
  ThemeConfigure({true, u"Luna.msstyles", u"Metallic", u"NormalSize"});
  ASSERT_EQ(GetThemeColor(combo, 1, 1, TMT_BORDERCOLOR, &col), S_OK);
  EXPECT_EQ(col, ThemeColorsOf(ThemeVariant::Silver).frame);
}

TEST_F(ThemeQueries, UnimplementedFunctionsAnswerFailureAndClearTheirOutputs) {
  const HTHEME button = Open(u"Button");
  int value = 9;
  EXPECT_EQ(GetThemeInt(button, 1, 1, 1, &value), E_NOTIMPL);
  EXPECT_EQ(value, 0);
  MARGINS m{1, 2, 3, 4};
  EXPECT_EQ(GetThemeMargins(button, nullptr, 1, 1, 1, nullptr, &m), E_NOTIMPL);
  EXPECT_EQ(m.cxLeftWidth + m.cxRightWidth + m.cyTopHeight + m.cyBottomHeight, 0);
}

using ThemeDrawing = ThemeFixture;

TEST_F(ThemeDrawing, BackgroundRespectsTheClipRectangleTheDcClipAndTheOrigin) {
  const HTHEME edit = Open(u"Edit");
  Canvas(60, 40);
  const COLORREF fill = ThemeCurrentColors().window;
  TRect r{0, 0, 40, 20};
  TRect clip{0, 0, 20, 20};
  ASSERT_EQ(DrawThemeBackground(edit, dc, EP_EDITTEXT, ETS_NORMAL, &r, &clip), S_OK);
  EXPECT_EQ(std::pair(Px(10, 10), Px(30, 10)), std::pair(fill, kPaper)) << "the right one outside the clip rectangle";
  // The caller's clip survives the call.
  TRect box{};
  GetClipBox(dc, &box);
  EXPECT_EQ(box, (TRect{0, 0, 60, 40}));

  Canvas(60, 40);
  IntersectClipRect(dc, 0, 0, 60, 5);
  DrawThemeBackground(edit, dc, EP_EDITTEXT, ETS_NORMAL, &r, nullptr);
  EXPECT_FALSE(Painted({0, 5, 60, 40}));
  SelectClipRgn(dc, nullptr);

  Canvas(60, 40);
  SetWindowOrgEx(dc, -15, -12, nullptr);  // logical (0,0) is device (15,12)
  DrawThemeBackground(edit, dc, EP_EDITTEXT, ETS_NORMAL, &r, nullptr);
  EXPECT_EQ(std::tuple(Px(14, 20), Px(15 + 10, 12 + 10), Px(15 + 40, 12)), std::tuple(kPaper, fill, kPaper));
  EXPECT_NE(Px(15, 12), kPaper);
}

// A group's frame shows on the dialog's face in every style: the style's own light frame
// where the face colour leaves it visible, a darker one of the same tone where it would
// vanish into the face.
TEST_F(ThemeDrawing, AGroupFrameStandsOutFromTheDialogFace) {
  const HTHEME button = Open(u"Button");
  auto frameOn = [&](COLORREF face) {
    const int index = COLOR_BTNFACE;
    const COLORREF old = GetSysColor(COLOR_BTNFACE);
    SetSysColors(1, &index, &face);
    Canvas(60, 40);
    TRect r{0, 0, 60, 40};
    DrawThemeBackground(button, dc, BP_GROUPBOX, GBS_NORMAL, &r, nullptr);
    const COLORREF edge = Px(30, 0);
    SetSysColors(1, &index, &old);
    return edge;
  };
  auto distance = [](COLORREF a, COLORREF b) {
    return std::abs(int(GetRValue(a)) - int(GetRValue(b))) + std::abs(int(GetGValue(a)) - int(GetGValue(b))) +
           std::abs(int(GetBValue(a)) - int(GetBValue(b)));
  };
  const COLORREF classic = RGB(212, 208, 200), styled = RGB(236, 233, 216);
  EXPECT_GE(distance(frameOn(classic), classic), 48);
  EXPECT_EQ(frameOn(styled), ThemeCurrentColors().groupFrame);
}

TEST_F(ThemeDrawing, TextUsesTheStateColourOverATransparentBackground) {
  const HTHEME button = Open(u"Button");
  Canvas(120, 30);
  HFONT font = CreateFontA(-16, 0, 0, 0, FW_NORMAL, 0, 0, 0, ANSI_CHARSET, 0, 0, 0, 0, kTestFaceName);
  HGDIOBJ oldFont = SelectObject(dc, font);
  SetTextColor(dc, RGB(9, 9, 9));
  SetBkMode(dc, OPAQUE);
  SetBkColor(dc, RGB(200, 0, 0));
  TRect r{0, 0, 120, 30};
  ASSERT_EQ(DrawThemeText(button, dc, BP_PUSHBUTTON, PBS_DISABLED, u"MMMM", -1,
                          DT_CENTER | DT_VCENTER | DT_SINGLELINE, 0, &r), S_OK);
  const COLORREF grey = ThemeCurrentColors().disabledText;
  int greyPixels = 0;
  for (int y = 0; y < 30; ++y)
    for (int x = 0; x < 120; ++x) {
      EXPECT_NE(Px(x, y), RGB(200, 0, 0)) << "no opaque background";
      greyPixels += Px(x, y) == grey;
    }
  EXPECT_GT(greyPixels, 10);
  // Centred: nothing at the far left.
  EXPECT_FALSE(Painted({0, 0, 20, 30}));
  SelectObject(dc, oldFont);
  DeleteObject(font);
}

TEST_F(ThemeDrawing, EdgeDeflatesTheContentRectanglePerLayerAndSide) {
  const HTHEME edit = Open(u"Edit");
  Canvas(30, 30);
  TRect r{2, 2, 22, 22}, content{};
  ASSERT_EQ(DrawThemeEdge(edit, dc, EP_EDITTEXT, 1, &r, BDR_RAISEDINNER, BF_RECT, &content), S_OK);
  EXPECT_EQ(content, (TRect{3, 3, 21, 21}));
  const ThemeColors& c = ThemeCurrentColors();
  EXPECT_EQ(Px(2, 10), c.light);
  ASSERT_EQ(DrawThemeEdge(edit, dc, EP_EDITTEXT, 1, &r, EDGE_SUNKEN, BF_LEFT | BF_TOP, &content), S_OK);
  EXPECT_EQ(content, (TRect{4, 4, 22, 22}));
  EXPECT_EQ(Px(2, 10), c.dark) << "sunken is dark at the top left";
}

TEST_F(ThemeDrawing, ParentBackgroundPaintsTheParentShiftedAndKeepsItsFont) {
  Recorder rec;
  HWND parent = rec.Create(WS_OVERLAPPEDWINDOW, 0, 0, 200, 150);
  HWND child = rec.Create(WS_CHILD | WS_VISIBLE, 30, 20, 50, 40, parent);
  HFONT parentFont = CreateFontA(-12, 0, 0, 0, FW_NORMAL, 0, 0, 0, ANSI_CHARSET, 0, 0, 0, 0, kTestFaceName);
  std::vector<POINT> origins;
  rec.handler = [&](HWND h, UINT msg, WPARAM w, LPARAM, LRESULT& result) {
    if (h != parent || (msg != WM_ERASEBKGND && msg != WM_PRINTCLIENT)) return false;
    HDC target = reinterpret_cast<HDC>(w);
    POINT p{};
    GetWindowOrgEx(target, &p);
    origins.push_back(p);
    if (msg == WM_PRINTCLIENT) {
      SelectObject(target, parentFont);
      HBRUSH b = CreateSolidBrush(RGB(0, 200, 0));
      TRect all{0, 0, 200, 150};
      FillRect(target, &all, b);
      DeleteObject(b);
    }
    result = 1;
    return true;
  };
  Canvas(50, 40);
  HGDIOBJ before = GetCurrentObject(dc, OBJ_FONT);
  rec.Clear();
  TRect part{0, 0, 25, 40};
  ASSERT_EQ(DrawThemeParentBackground(child, dc, &part), S_OK);
  EXPECT_EQ(rec.For(parent, {WM_ERASEBKGND, WM_PRINTCLIENT}), (std::vector<UINT>{WM_ERASEBKGND, WM_PRINTCLIENT}));
  ASSERT_EQ(origins.size(), 2u);
  EXPECT_EQ(origins[0], (POINT{30, 20}));
  EXPECT_EQ(Px(10, 10), RGB(0, 200, 0));
  EXPECT_EQ(Px(30, 10), kPaper) << "clipped to the rectangle";
  POINT org{};
  GetWindowOrgEx(dc, &org);
  EXPECT_EQ(org, (POINT{0, 0}));
  EXPECT_EQ(GetCurrentObject(dc, OBJ_FONT), parentFont) << "the parent's font is left selected";
  SelectObject(dc, before);
  EXPECT_TRUE(FAILED(DrawThemeParentBackground(parent, dc, nullptr))) << "a top-level window has no parent";
  DeleteObject(parentFont);
  DestroyWindow(parent);
}

TEST_F(ThemeDrawing, ThemeChangeAppliesTheSettingsBeforeTellingEveryTopLevelWindow) {
  Recorder rec;
  HWND hidden = rec.Create(WS_POPUP, 0, 0, 10, 10);
  HWND shown = rec.Create(WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 100, 100);
  HWND child = rec.Create(WS_CHILD, 0, 0, 10, 10, shown);
  bool activeWhenTold = false;
  rec.handler = [&](HWND, UINT msg, WPARAM, LPARAM, LRESULT&) {
    if (msg == WM_THEMECHANGED) activeWhenTold = IsThemeActive();
    return false;
  };
  ThemeChange({true, u"Luna.msstyles", u"Metallic", u"NormalSize"});
  EXPECT_EQ(std::tuple(rec.Count(hidden, WM_THEMECHANGED), rec.Count(shown, WM_THEMECHANGED),
                       rec.Count(child, WM_THEMECHANGED)),
            std::tuple(1, 1, 0));
  EXPECT_TRUE(activeWhenTold);
  EXPECT_EQ(ThemeCurrentVariant(), ThemeVariant::Silver);
  DestroyWindow(shown);
  DestroyWindow(hidden);
}

}  // namespace
