// The visual-style library: an in-process module registered as "UxTheme.dll". Callers load
// it by name and resolve its functions with GetProcAddress (typedefs below), so a system
// without it, or without one of its functions, can be imitated. It draws every part with
// ordinary GDI, so every DC's origin and clip apply.
#pragma once

#include "platform/gdi/Gdi.h"
#include "platform/kernel/Types.h"

using HRESULT = int32_t;
using LPCWSTR = const char16_t*;
using LPWSTR = char16_t*;

inline constexpr HRESULT S_OK = 0;
inline constexpr HRESULT S_FALSE = 1;
inline constexpr HRESULT E_NOTIMPL = HRESULT(0x80004001u);
inline constexpr HRESULT E_POINTER = HRESULT(0x80004003u);
inline constexpr HRESULT E_FAIL = HRESULT(0x80004005u);
inline constexpr HRESULT E_HANDLE = HRESULT(0x80070006u);
inline constexpr HRESULT E_INVALIDARG = HRESULT(0x80070057u);
// A property or size the part does not define.
inline constexpr HRESULT E_PROP_ID_UNSUPPORTED = HRESULT(0x80070490u);
inline constexpr bool SUCCEEDED(HRESULT hr) { return hr >= 0; }
inline constexpr bool FAILED(HRESULT hr) { return hr < 0; }

// GetThemePartSize size kinds.
inline constexpr int TS_MIN = 0;
inline constexpr int TS_TRUE = 1;
inline constexpr int TS_DRAW = 2;

// Colour properties.
inline constexpr int TMT_BORDERCOLOR = 3801;
inline constexpr int TMT_FILLCOLOR = 3802;
inline constexpr int TMT_TEXTCOLOR = 3803;

// ---- Parts and states --------------------------------------------------------------------
// Button
inline constexpr int BP_PUSHBUTTON = 1, BP_RADIOBUTTON = 2, BP_CHECKBOX = 3, BP_GROUPBOX = 4;
inline constexpr int PBS_NORMAL = 1, PBS_HOT = 2, PBS_PRESSED = 3, PBS_DISABLED = 4, PBS_DEFAULTED = 5;
inline constexpr int RBS_UNCHECKEDNORMAL = 1, RBS_UNCHECKEDHOT = 2, RBS_UNCHECKEDPRESSED = 3,
                     RBS_UNCHECKEDDISABLED = 4, RBS_CHECKEDNORMAL = 5, RBS_CHECKEDHOT = 6,
                     RBS_CHECKEDPRESSED = 7, RBS_CHECKEDDISABLED = 8;
inline constexpr int CBS_UNCHECKEDNORMAL = 1, CBS_UNCHECKEDHOT = 2, CBS_UNCHECKEDPRESSED = 3,
                     CBS_UNCHECKEDDISABLED = 4, CBS_CHECKEDNORMAL = 5, CBS_CHECKEDHOT = 6,
                     CBS_CHECKEDPRESSED = 7, CBS_CHECKEDDISABLED = 8, CBS_MIXEDNORMAL = 9,
                     CBS_MIXEDHOT = 10, CBS_MIXEDPRESSED = 11, CBS_MIXEDDISABLED = 12;
inline constexpr int GBS_NORMAL = 1, GBS_DISABLED = 2;
// ComboBox
inline constexpr int CP_DROPDOWNBUTTON = 1;
inline constexpr int CBXS_NORMAL = 1, CBXS_HOT = 2, CBXS_PRESSED = 3, CBXS_DISABLED = 4;
// Edit
inline constexpr int EP_EDITTEXT = 1;
inline constexpr int ETS_NORMAL = 1, ETS_HOT = 2, ETS_SELECTED = 3, ETS_DISABLED = 4, ETS_FOCUSED = 5,
                     ETS_READONLY = 6;
// ScrollBar
inline constexpr int SBP_ARROWBTN = 1, SBP_THUMBBTNHORZ = 2, SBP_THUMBBTNVERT = 3,
                     SBP_LOWERTRACKHORZ = 4, SBP_UPPERTRACKHORZ = 5, SBP_LOWERTRACKVERT = 6,
                     SBP_UPPERTRACKVERT = 7, SBP_GRIPPERHORZ = 8, SBP_GRIPPERVERT = 9, SBP_SIZEBOX = 10;
inline constexpr int ABS_UPNORMAL = 1, ABS_UPHOT = 2, ABS_UPPRESSED = 3, ABS_UPDISABLED = 4,
                     ABS_DOWNNORMAL = 5, ABS_DOWNHOT = 6, ABS_DOWNPRESSED = 7, ABS_DOWNDISABLED = 8,
                     ABS_LEFTNORMAL = 9, ABS_LEFTHOT = 10, ABS_LEFTPRESSED = 11, ABS_LEFTDISABLED = 12,
                     ABS_RIGHTNORMAL = 13, ABS_RIGHTHOT = 14, ABS_RIGHTPRESSED = 15,
                     ABS_RIGHTDISABLED = 16;
inline constexpr int SCRBS_NORMAL = 1, SCRBS_HOT = 2, SCRBS_PRESSED = 3, SCRBS_DISABLED = 4;
// ListView
inline constexpr int LVP_EMPTYTEXT = 5;
// Header
inline constexpr int HP_HEADERITEM = 1, HP_HEADERITEMLEFT = 2, HP_HEADERITEMRIGHT = 3;
inline constexpr int HIS_NORMAL = 1, HIS_HOT = 2, HIS_PRESSED = 3;
// TreeView
inline constexpr int TVP_GLYPH = 2;
inline constexpr int GLPS_CLOSED = 1, GLPS_OPENED = 2;
// ExplorerBar
inline constexpr int EBP_HEADERPIN = 3, EBP_NORMALGROUPCOLLAPSE = 6, EBP_NORMALGROUPEXPAND = 7;
inline constexpr int EBHP_NORMAL = 1, EBHP_HOT = 2, EBHP_PRESSED = 3, EBHP_SELECTEDNORMAL = 4,
                     EBHP_SELECTEDHOT = 5, EBHP_SELECTEDPRESSED = 6;
inline constexpr int EBNGC_NORMAL = 1, EBNGC_HOT = 2, EBNGC_PRESSED = 3;
// TrackBar
inline constexpr int TKP_TRACK = 1;
inline constexpr int TRS_NORMAL = 1;
// Window
inline constexpr int WP_SMALLCLOSEBUTTON = 19;
inline constexpr int CBS_NORMAL = 1, CBS_HOT = 2, CBS_PUSHED = 3, CBS_DISABLED = 4;
// ToolBar
inline constexpr int TP_BUTTON = 1;
inline constexpr int TS_NORMAL = 1, TS_HOT = 2, TS_PRESSED = 3, TS_DISABLED = 4, TS_CHECKED = 5,
                     TS_HOTCHECKED = 6;
// Tab
inline constexpr int TABP_PANE = 9;
// Status
inline constexpr int SP_PANE = 1, SP_GRIPPERPANE = 2, SP_GRIPPER = 3;
// Spin
inline constexpr int SPNP_UP = 1, SPNP_DOWN = 2, SPNP_UPHORZ = 3, SPNP_DOWNHORZ = 4;
inline constexpr int UPS_NORMAL = 1, UPS_HOT = 2, UPS_PRESSED = 3, UPS_DISABLED = 4;

struct MARGINS {
  int cxLeftWidth, cxRightWidth, cyTopHeight, cyBottomHeight;
};
struct INTLIST;
struct LOGFONTW;
struct TEXTMETRICW;

// ---- The functions -----------------------------------------------------------------------
HRESULT CloseThemeData(HTHEME theme);
HRESULT DrawThemeBackground(HTHEME theme, HDC dc, int part, int state, const RECT* rect, const RECT* clip);
HRESULT DrawThemeEdge(HTHEME theme, HDC dc, int part, int state, const RECT* dest, UINT edge, UINT flags,
                      RECT* content);
HRESULT DrawThemeIcon(HTHEME theme, HDC dc, int part, int state, const RECT* rect, HIMAGELIST images,
                      int index);
HRESULT DrawThemeParentBackground(HWND hwnd, HDC dc, const RECT* rect);
HRESULT DrawThemeText(HTHEME theme, HDC dc, int part, int state, LPCWSTR text, int count, DWORD flags,
                      DWORD flags2, const RECT* rect);
HRESULT EnableThemeDialogTexture(HWND hwnd, DWORD flags);
HRESULT GetCurrentThemeName(LPWSTR fileName, int fileChars, LPWSTR colorName, int colorChars,
                            LPWSTR sizeName, int sizeChars);
DWORD GetThemeAppProperties();
HRESULT GetThemeBackgroundContentRect(HTHEME theme, HDC dc, int part, int state, const RECT* bounds,
                                      RECT* content);
HRESULT GetThemeBackgroundRegion(HTHEME theme, HDC dc, int part, int state, const RECT* rect, HRGN* region);
HRESULT GetThemeBackgroundExtent(HTHEME theme, HDC dc, int part, int state, const RECT* content,
                                 RECT* extent);
HRESULT GetThemeBool(HTHEME theme, int part, int state, int prop, BOOL* value);
HRESULT GetThemeColor(HTHEME theme, int part, int state, int prop, COLORREF* color);
HRESULT GetThemeDocumentationProperty(LPCWSTR themeName, LPCWSTR propName, LPWSTR value, int chars);
HRESULT GetThemeEnumValue(HTHEME theme, int part, int state, int prop, int* value);
HRESULT GetThemeFilename(HTHEME theme, int part, int state, int prop, LPWSTR name, int chars);
HRESULT GetThemeFont(HTHEME theme, HDC dc, int part, int state, int prop, LOGFONTW* font);
HRESULT GetThemeInt(HTHEME theme, int part, int state, int prop, int* value);
HRESULT GetThemeIntList(HTHEME theme, int part, int state, int prop, INTLIST* list);
HRESULT GetThemeMargins(HTHEME theme, HDC dc, int part, int state, int prop, const RECT* rect,
                        MARGINS* margins);
HRESULT GetThemeMetric(HTHEME theme, HDC dc, int part, int state, int prop, int* value);
HRESULT GetThemePartSize(HTHEME theme, HDC dc, int part, int state, const RECT* rect, int sizeKind,
                         SIZE* size);
HRESULT GetThemePosition(HTHEME theme, int part, int state, int prop, POINT* point);
HRESULT GetThemePropertyOrigin(HTHEME theme, int part, int state, int prop, int* origin);
HRESULT GetThemeRect(HTHEME theme, int part, int state, int prop, RECT* rect);
HRESULT GetThemeString(HTHEME theme, int part, int state, int prop, LPWSTR text, int chars);
BOOL GetThemeSysBool(HTHEME theme, int boolId);
COLORREF GetThemeSysColor(HTHEME theme, int colorId);
HBRUSH GetThemeSysColorBrush(HTHEME theme, int colorId);
HRESULT GetThemeSysFont(HTHEME theme, int fontId, LOGFONTW* font);
HRESULT GetThemeSysInt(HTHEME theme, int intId, int* value);
int GetThemeSysSize(HTHEME theme, int sizeId);
HRESULT GetThemeSysString(HTHEME theme, int stringId, LPWSTR text, int chars);
HRESULT GetThemeTextExtent(HTHEME theme, HDC dc, int part, int state, LPCWSTR text, int count, DWORD flags,
                           const RECT* bounds, RECT* extent);
HRESULT GetThemeTextMetrics(HTHEME theme, HDC dc, int part, int state, TEXTMETRICW* metrics);
HTHEME GetWindowTheme(HWND hwnd);
HRESULT HitTestThemeBackground(HTHEME theme, HDC dc, int part, int state, DWORD options, const RECT* rect,
                               HRGN region, POINT test, WORD* hitCode);
BOOL IsAppThemed();
BOOL IsThemeActive();
BOOL IsThemePartDefined(HTHEME theme, int part, int state);
BOOL IsThemeBackgroundPartiallyTransparent(HTHEME theme, int part, int state);
BOOL IsThemeDialogTextureEnabled(HWND hwnd);
HTHEME OpenThemeData(HWND hwnd, LPCWSTR classList);
void SetThemeAppProperties(DWORD flags);
HRESULT SetWindowTheme(HWND hwnd, LPCWSTR appName, LPCWSTR idList);

// ---- What GetProcAddress answers, cast back --------------------------------------------
using TCloseThemeData = decltype(&CloseThemeData);
using TDrawThemeBackground = decltype(&DrawThemeBackground);
using TDrawThemeEdge = decltype(&DrawThemeEdge);
using TDrawThemeIcon = decltype(&DrawThemeIcon);
using TDrawThemeParentBackground = decltype(&DrawThemeParentBackground);
using TDrawThemeText = decltype(&DrawThemeText);
using TEnableThemeDialogTexture = decltype(&EnableThemeDialogTexture);
using TGetCurrentThemeName = decltype(&GetCurrentThemeName);
using TGetThemeAppProperties = decltype(&GetThemeAppProperties);
using TGetThemeBackgroundContentRect = decltype(&GetThemeBackgroundContentRect);
using TGetThemeBackgroundRegion = decltype(&GetThemeBackgroundRegion);
using TGetThemeBackgroundExtent = decltype(&GetThemeBackgroundExtent);
using TGetThemeBool = decltype(&GetThemeBool);
using TGetThemeColor = decltype(&GetThemeColor);
using TGetThemeDocumentationProperty = decltype(&GetThemeDocumentationProperty);
using TGetThemeEnumValue = decltype(&GetThemeEnumValue);
using TGetThemeFilename = decltype(&GetThemeFilename);
using TGetThemeFont = decltype(&GetThemeFont);
using TGetThemeInt = decltype(&GetThemeInt);
using TGetThemeIntList = decltype(&GetThemeIntList);
using TGetThemeMargins = decltype(&GetThemeMargins);
using TGetThemeMetric = decltype(&GetThemeMetric);
using TGetThemePartSize = decltype(&GetThemePartSize);
using TGetThemePosition = decltype(&GetThemePosition);
using TGetThemePropertyOrigin = decltype(&GetThemePropertyOrigin);
using TGetThemeRect = decltype(&GetThemeRect);
using TGetThemeString = decltype(&GetThemeString);
using TGetThemeSysBool = decltype(&GetThemeSysBool);
using TGetThemeSysColor = decltype(&GetThemeSysColor);
using TGetThemeSysColorBrush = decltype(&GetThemeSysColorBrush);
using TGetThemeSysFont = decltype(&GetThemeSysFont);
using TGetThemeSysInt = decltype(&GetThemeSysInt);
using TGetThemeSysSize = decltype(&GetThemeSysSize);
using TGetThemeSysString = decltype(&GetThemeSysString);
using TGetThemeTextExtent = decltype(&GetThemeTextExtent);
using TGetThemeTextMetrics = decltype(&GetThemeTextMetrics);
using TGetWindowTheme = decltype(&GetWindowTheme);
using THitTestThemeBackground = decltype(&HitTestThemeBackground);
using TIsAppThemed = decltype(&IsAppThemed);
using TIsThemeActive = decltype(&IsThemeActive);
using TIsThemePartDefined = decltype(&IsThemePartDefined);
using TIsThemeBackgroundPartiallyTransparent = decltype(&IsThemeBackgroundPartiallyTransparent);
using TIsThemeDialogTextureEnabled = decltype(&IsThemeDialogTextureEnabled);
using TOpenThemeData = decltype(&OpenThemeData);
using TSetThemeAppProperties = decltype(&SetThemeAppProperties);
using TSetWindowTheme = decltype(&SetWindowTheme);

// ---- Start-up ----------------------------------------------------------------------------
// Counted: the first call registers the module with visual styles on (the default theme
// "Luna.msstyles", "NormalColor", "NormalSize"); the last finalize removes it.
void PlatformThemeInitialize();
void PlatformThemeFinalize();
