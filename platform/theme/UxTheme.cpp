#include "platform/theme/UxTheme.h"

#include "platform/gdi/GdiObject.h"
#include "platform/gdi/Text.h"
#include "platform/kernel/Modules.h"
#include "platform/kernel/Units.h"
#include "platform/theme/ThemeInternal.h"
#include "platform/theme/ThemeTesting.h"
#include "platform/user/User.h"
#include "platform/user/UserTesting.h"

#include <algorithm>
#include <cstdint>
#include <map>

namespace {

constexpr const char* kModuleName = "UxTheme.dll";
constexpr uintptr_t kHandleBase = 0x30000;

struct State {
  ThemeSettings settings;
  std::map<uintptr_t, String> handles;  // handle value -> class name as the table spells it
  uintptr_t nextHandle = 1;
  int opens = 0;
  bool recording = false;
  std::vector<ThemeCall> calls;
  UnitCounter unit;
};

State& St() {
  static State s;
  return s;
}

// The class of a live handle; nullptr for 0 or a closed one.
const String* ClassOf(HTHEME theme) {
  auto it = St().handles.find(reinterpret_cast<uintptr_t>(theme));
  return it == St().handles.end() ? nullptr : &it->second;
}

void Record(const char* function, const String& cls, int part, int state, const RECT* r) {
  if (!St().recording) return;
  St().calls.push_back({function, cls, part, state, r ? *r : TRect{}});
}

COLORREF ColorOf(ThemeColorSource source, int state, bool disabled) {
  const ThemeColors& c = ThemeCurrentColors();
  (void)state;
  switch (source) {
    case ThemeColorSource::Frame: return disabled ? c.disabledFrame : c.frame;
    case ThemeColorSource::Window: return disabled ? c.disabledFace : c.window;
    case ThemeColorSource::Text: return disabled ? c.disabledText : c.text;
    case ThemeColorSource::GroupText: return disabled ? c.disabledText : c.groupText;
    case ThemeColorSource::Face: return disabled ? c.disabledFace : c.faceBottom;
    case ThemeColorSource::None: break;
  }
  return CLR_INVALID;
}

// Whether a state of a part shows as disabled (its text greyed).
bool IsDisabledState(const String& cls, int part, int state) {
  if (ThemeSameName(cls, "Button")) {
    if (part == BP_PUSHBUTTON) return state == PBS_DISABLED;
    if (part == BP_GROUPBOX) return state == GBS_DISABLED;
    return state % 4 == 0;
  }
  if (ThemeSameName(cls, "Edit")) return state == ETS_DISABLED;
  if (ThemeSameName(cls, "ToolBar")) return state == TS_DISABLED;
  return false;
}

void CopyWide(const WideString& s, LPWSTR buf, int chars) {
  if (!buf || chars <= 0) return;
  size_t n = std::min(s.size(), size_t(chars - 1));
  std::copy(s.begin(), s.begin() + std::ptrdiff_t(n), buf);
  buf[n] = 0;
}

void RegisterThemeModule() {
  UnregisterModule(kModuleName);
  RegisterModule(kModuleName,
                 {Export("CloseThemeData", &CloseThemeData),
                  Export("DrawThemeBackground", &DrawThemeBackground),
                  Export("DrawThemeEdge", &DrawThemeEdge),
                  Export("DrawThemeIcon", &DrawThemeIcon),
                  Export("DrawThemeParentBackground", &DrawThemeParentBackground),
                  Export("DrawThemeText", &DrawThemeText),
                  Export("EnableThemeDialogTexture", &EnableThemeDialogTexture),
                  Export("GetCurrentThemeName", &GetCurrentThemeName),
                  Export("GetThemeAppProperties", &GetThemeAppProperties),
                  Export("GetThemeBackgroundContentRect", &GetThemeBackgroundContentRect),
                  Export("GetThemeBackgroundRegion", &GetThemeBackgroundRegion),
                  Export("GetThemeBackgroundExtent", &GetThemeBackgroundExtent),
                  Export("GetThemeBool", &GetThemeBool),
                  Export("GetThemeColor", &GetThemeColor),
                  Export("GetThemeDocumentationProperty", &GetThemeDocumentationProperty),
                  Export("GetThemeEnumValue", &GetThemeEnumValue),
                  Export("GetThemeFilename", &GetThemeFilename),
                  Export("GetThemeFont", &GetThemeFont),
                  Export("GetThemeInt", &GetThemeInt),
                  Export("GetThemeIntList", &GetThemeIntList),
                  Export("GetThemeMargins", &GetThemeMargins),
                  Export("GetThemeMetric", &GetThemeMetric),
                  Export("GetThemePartSize", &GetThemePartSize),
                  Export("GetThemePosition", &GetThemePosition),
                  Export("GetThemePropertyOrigin", &GetThemePropertyOrigin),
                  Export("GetThemeRect", &GetThemeRect),
                  Export("GetThemeString", &GetThemeString),
                  Export("GetThemeSysBool", &GetThemeSysBool),
                  Export("GetThemeSysColor", &GetThemeSysColor),
                  Export("GetThemeSysColorBrush", &GetThemeSysColorBrush),
                  Export("GetThemeSysFont", &GetThemeSysFont),
                  Export("GetThemeSysInt", &GetThemeSysInt),
                  Export("GetThemeSysSize", &GetThemeSysSize),
                  Export("GetThemeSysString", &GetThemeSysString),
                  Export("GetThemeTextExtent", &GetThemeTextExtent),
                  Export("GetThemeTextMetrics", &GetThemeTextMetrics),
                  Export("GetWindowTheme", &GetWindowTheme),
                  Export("HitTestThemeBackground", &HitTestThemeBackground),
                  Export("IsAppThemed", &IsAppThemed),
                  Export("IsThemeActive", &IsThemeActive),
                  Export("IsThemePartDefined", &IsThemePartDefined),
                  Export("IsThemeBackgroundPartiallyTransparent", &IsThemeBackgroundPartiallyTransparent),
                  Export("IsThemeDialogTextureEnabled", &IsThemeDialogTextureEnabled),
                  Export("OpenThemeData", &OpenThemeData),
                  Export("SetThemeAppProperties", &SetThemeAppProperties),
                  Export("SetWindowTheme", &SetWindowTheme)});
}

}  // namespace

// ---- Start-up and switches ---------------------------------------------------------------

void PlatformThemeInitialize() {
  if (!St().unit.Enter()) return;
  St().settings = ThemeSettings{};
  RegisterThemeModule();
}

void PlatformThemeFinalize() {
  if (!St().unit.Leave()) return;
  UnregisterModule(kModuleName);
  St().handles.clear();
}

void ThemeResetState() { St() = State{}; }

void ThemeConfigure(const ThemeSettings& settings) { St().settings = settings; }
const ThemeSettings& ThemeCurrentSettings() { return St().settings; }
void ThemeSetActive(bool active) { St().settings.active = active; }

void ThemeChange(const ThemeSettings& settings) {
  St().settings = settings;
  UserBroadcastThemeChange();
}

ThemeVariant ThemeCurrentVariant() {
  String color = WideToAnsi(St().settings.colorName);
  if (ThemeSameName(color, "HomeStead")) return ThemeVariant::Olive;
  if (ThemeSameName(color, "Metallic")) return ThemeVariant::Silver;
  return ThemeVariant::Blue;
}

int ThemeLiveHandleCount() { return int(St().handles.size()); }
int ThemeOpenCount() { return St().opens; }

void ThemeStartRecording() {
  St().calls.clear();
  St().recording = true;
}
void ThemeStopRecording() { St().recording = false; }
const std::vector<ThemeCall>& ThemeRecordedCalls() { return St().calls; }

// ---- Handles -----------------------------------------------------------------------------

HTHEME OpenThemeData(HWND, LPCWSTR classList) {
  if (!St().settings.active || !classList) return nullptr;
  String list = WideToAnsi(WideString(classList));
  int count = 0;
  const char* const* names = ThemeClassNames(&count);
  size_t start = 0;
  while (start <= list.size()) {
    size_t end = list.find(';', start);
    if (end == String::npos) end = list.size();
    String item = list.substr(start, end - start);
    while (!item.empty() && item.front() == ' ') item.erase(0, 1);
    while (!item.empty() && item.back() == ' ') item.pop_back();
    for (int i = 0; i < count; ++i) {
      if (!ThemeSameName(item, names[i])) continue;
      uintptr_t value = kHandleBase + St().nextHandle++;
      St().handles[value] = names[i];
      ++St().opens;
      return reinterpret_cast<HTHEME>(value);
    }
    start = end + 1;
  }
  return nullptr;
}

HRESULT CloseThemeData(HTHEME theme) {
  if (!theme) return S_OK;
  return St().handles.erase(reinterpret_cast<uintptr_t>(theme)) ? S_OK : E_HANDLE;
}

HTHEME GetWindowTheme(HWND) { return nullptr; }

BOOL IsThemeActive() { return St().settings.active ? TRUE : FALSE; }
BOOL IsAppThemed() { return IsThemeActive(); }

HRESULT GetCurrentThemeName(LPWSTR fileName, int fileChars, LPWSTR colorName, int colorChars,
                            LPWSTR sizeName, int sizeChars) {
  const ThemeSettings& s = St().settings;
  if (!s.active) {
    CopyWide(u"", fileName, fileChars);
    CopyWide(u"", colorName, colorChars);
    CopyWide(u"", sizeName, sizeChars);
    return E_FAIL;
  }
  CopyWide(s.fileName, fileName, fileChars);
  CopyWide(s.colorName, colorName, colorChars);
  CopyWide(s.sizeName, sizeName, sizeChars);
  return S_OK;
}

// ---- Drawing -----------------------------------------------------------------------------

HRESULT DrawThemeBackground(HTHEME theme, HDC dc, int part, int state, const RECT* rect, const RECT* clip) {
  const String* cls = ClassOf(theme);
  if (!cls) return E_HANDLE;
  if (!rect) return E_POINTER;
  Record("DrawThemeBackground", *cls, part, state, rect);
  int saved = SaveDC(dc);
  if (!saved) return E_INVALIDARG;
  // Small rectangles squeeze the shapes; whatever they do, nothing lands outside the part.
  IntersectClipRect(dc, rect->Left, rect->Top, rect->Right, rect->Bottom);
  if (clip) IntersectClipRect(dc, clip->Left, clip->Top, clip->Right, clip->Bottom);
  ThemeDrawPart(dc, *cls, part, state, *rect);
  RestoreDC(dc, saved);
  return S_OK;
}

HRESULT DrawThemeText(HTHEME theme, HDC dc, int part, int state, LPCWSTR text, int count, DWORD flags,
                      DWORD, const RECT* rect) {
  const String* cls = ClassOf(theme);
  if (!cls) return E_HANDLE;
  if (!text || !rect) return E_POINTER;
  Record("DrawThemeText", *cls, part, state, rect);
  WideString wide = count < 0 ? WideString(text) : WideString(text, size_t(count));
  String ansi = WideToAnsi(wide);
  COLORREF color = ThemeCurrentColors().text;
  if (const ThemePartInfo* info = ThemeFindPart(*cls, part))
    if (info->text != ThemeColorSource::None)
      color = ColorOf(info->text, state, IsDisabledState(*cls, part, state));
  COLORREF oldColor = SetTextColor(dc, color);
  int oldMode = SetBkMode(dc, TRANSPARENT);
  RECT r = *rect;
  int h = DrawTextA(dc, ansi.data(), int(ansi.size()), &r, flags & ~DT_CALCRECT & ~DT_MODIFYSTRING);
  SetBkMode(dc, oldMode);
  SetTextColor(dc, oldColor);
  return h || ansi.empty() ? S_OK : E_FAIL;
}

HRESULT DrawThemeEdge(HTHEME theme, HDC dc, int part, int state, const RECT* dest, UINT edge, UINT flags,
                      RECT* content) {
  const String* cls = ClassOf(theme);
  if (!cls) return E_HANDLE;
  if (!dest) return E_POINTER;
  Record("DrawThemeEdge", *cls, part, state, dest);
  const ThemeColors& c = ThemeCurrentColors();
  RECT r = *dest;
  // Outer line first, then the inner one; raised is light at the top left.
  const UINT layers[2][2] = {{BDR_RAISEDOUTER, BDR_SUNKENOUTER}, {BDR_RAISEDINNER, BDR_SUNKENINNER}};
  for (const auto& layer : layers) {
    bool raised = edge & layer[0], sunken = edge & layer[1];
    if (!raised && !sunken) continue;
    COLORREF topLeft = raised ? c.light : c.dark, bottomRight = raised ? c.dark : c.light;
    if (r.Right <= r.Left || r.Bottom <= r.Top) break;
    auto fill = [&](int l, int t, int rr, int b, COLORREF col) {
      HBRUSH br = CreateSolidBrush(col);
      RECT f{l, t, rr, b};
      FillRect(dc, &f, br);
      DeleteObject(br);
    };
    if (flags & BF_LEFT) fill(r.Left, r.Top, r.Left + 1, r.Bottom, topLeft);
    if (flags & BF_TOP) fill(r.Left, r.Top, r.Right, r.Top + 1, topLeft);
    if (flags & BF_RIGHT) fill(r.Right - 1, r.Top, r.Right, r.Bottom, bottomRight);
    if (flags & BF_BOTTOM) fill(r.Left, r.Bottom - 1, r.Right, r.Bottom, bottomRight);
    if (flags & BF_LEFT) ++r.Left;
    if (flags & BF_TOP) ++r.Top;
    if (flags & BF_RIGHT) --r.Right;
    if (flags & BF_BOTTOM) --r.Bottom;
  }
  if (content) *content = r;
  return S_OK;
}

HRESULT DrawThemeParentBackground(HWND hwnd, HDC dc, const RECT* rect) {
  HWND parent = GetParent(hwnd);
  if (!parent || !IsWindow(parent)) return E_FAIL;
  POINT origin{0, 0};
  MapWindowPoints(hwnd, parent, &origin, 1);
  int saved = SaveDC(dc);
  if (!saved) return E_INVALIDARG;
  if (rect) IntersectClipRect(dc, rect->Left, rect->Top, rect->Right, rect->Bottom);
  OffsetWindowOrgEx(dc, origin.X, origin.Y, nullptr);
  SendMessageA(parent, WM_ERASEBKGND, WPARAM(dc), 0);
  SendMessageA(parent, WM_PRINTCLIENT, WPARAM(dc), PRF_CLIENT);
  // The parent's font stays selected, as it does on the system.
  HGDIOBJ font = GetCurrentObject(dc, OBJ_FONT);
  RestoreDC(dc, saved);
  if (font) SelectObject(dc, font);
  return S_OK;
}

// ---- Queries -----------------------------------------------------------------------------

HRESULT GetThemeBackgroundContentRect(HTHEME theme, HDC, int part, int, const RECT* bounds, RECT* content) {
  const String* cls = ClassOf(theme);
  if (!cls) return E_HANDLE;
  if (!bounds || !content) return E_POINTER;
  TRect m{1, 1, 1, 1};
  if (const ThemePartInfo* info = ThemeFindPart(*cls, part)) m = info->margins;
  *content = {bounds->Left + m.Left, bounds->Top + m.Top, bounds->Right - m.Right, bounds->Bottom - m.Bottom};
  return S_OK;
}

HRESULT GetThemeBackgroundExtent(HTHEME theme, HDC, int part, int, const RECT* content, RECT* extent) {
  const String* cls = ClassOf(theme);
  if (!cls) return E_HANDLE;
  if (!content || !extent) return E_POINTER;
  TRect m{1, 1, 1, 1};
  if (const ThemePartInfo* info = ThemeFindPart(*cls, part)) m = info->margins;
  *extent = {content->Left - m.Left, content->Top - m.Top, content->Right + m.Right, content->Bottom + m.Bottom};
  return S_OK;
}

HRESULT GetThemeBackgroundRegion(HTHEME theme, HDC, int part, int, const RECT* rect, HRGN* region) {
  if (region) *region = nullptr;
  const String* cls = ClassOf(theme);
  if (!cls) return E_HANDLE;
  if (!rect || !region) return E_POINTER;
  ThemeRegionShape shape = ThemeRegionShape::Rect;
  if (const ThemePartInfo* info = ThemeFindPart(*cls, part)) shape = info->region;
  switch (shape) {
    case ThemeRegionShape::Rounded:
      *region = CreateRoundRectRgn(rect->Left, rect->Top, rect->Right + 1, rect->Bottom + 1, 5, 5);
      break;
    case ThemeRegionShape::Ellipse:
      *region = CreateEllipticRgn(rect->Left, rect->Top, rect->Right, rect->Bottom);
      break;
    case ThemeRegionShape::Rect: *region = CreateRectRgnIndirect(rect); break;
  }
  return *region ? S_OK : E_FAIL;
}

HRESULT GetThemePartSize(HTHEME theme, HDC, int part, int, const RECT* rect, int sizeKind, SIZE* size) {
  if (size) *size = {0, 0};
  const String* cls = ClassOf(theme);
  if (!cls) return E_HANDLE;
  if (!size) return E_POINTER;
  const ThemePartInfo* info = ThemeFindPart(*cls, part);
  if (!info || info->trueSize.cx <= 0) return E_PROP_ID_UNSUPPORTED;
  switch (sizeKind) {
    case TS_MIN: *size = info->minSize; return S_OK;
    case TS_TRUE: *size = info->trueSize; return S_OK;
    case TS_DRAW:
      *size = info->trueSize;
      if (rect) {
        size->cx = std::max(0, std::min(size->cx, rect->Right - rect->Left));
        size->cy = std::max(0, std::min(size->cy, rect->Bottom - rect->Top));
      }
      return S_OK;
    default: return E_INVALIDARG;
  }
}

HRESULT GetThemeColor(HTHEME theme, int part, int state, int prop, COLORREF* color) {
  if (color) *color = 0;
  const String* cls = ClassOf(theme);
  if (!cls) return E_HANDLE;
  if (!color) return E_POINTER;
  const ThemePartInfo* info = ThemeFindPart(*cls, part);
  if (!info) return E_PROP_ID_UNSUPPORTED;
  ThemeColorSource source = ThemeColorSource::None;
  if (prop == TMT_BORDERCOLOR) source = info->border;
  else if (prop == TMT_FILLCOLOR) source = info->fill;
  else if (prop == TMT_TEXTCOLOR) source = info->text;
  if (source == ThemeColorSource::None) return E_PROP_ID_UNSUPPORTED;
  *color = ColorOf(source, state, IsDisabledState(*cls, part, state));
  return S_OK;
}

BOOL IsThemeBackgroundPartiallyTransparent(HTHEME theme, int part, int) {
  const String* cls = ClassOf(theme);
  if (!cls) return FALSE;
  const ThemePartInfo* info = ThemeFindPart(*cls, part);
  return info && info->transparent ? TRUE : FALSE;
}

BOOL IsThemePartDefined(HTHEME theme, int part, int) {
  const String* cls = ClassOf(theme);
  return cls && ThemeFindPart(*cls, part) ? TRUE : FALSE;
}

// ---- Present for callers that resolve them, without a working body ----------------------

HRESULT DrawThemeIcon(HTHEME, HDC, int, int, const RECT*, HIMAGELIST, int) { return E_NOTIMPL; }
HRESULT EnableThemeDialogTexture(HWND, DWORD) { return E_NOTIMPL; }
DWORD GetThemeAppProperties() { return 0; }
HRESULT GetThemeBool(HTHEME, int, int, int, BOOL* value) {
  if (value) *value = FALSE;
  return E_NOTIMPL;
}
HRESULT GetThemeDocumentationProperty(LPCWSTR, LPCWSTR, LPWSTR value, int chars) {
  CopyWide(u"", value, chars);
  return E_NOTIMPL;
}
HRESULT GetThemeEnumValue(HTHEME, int, int, int, int* value) {
  if (value) *value = 0;
  return E_NOTIMPL;
}
HRESULT GetThemeFilename(HTHEME, int, int, int, LPWSTR name, int chars) {
  CopyWide(u"", name, chars);
  return E_NOTIMPL;
}
HRESULT GetThemeFont(HTHEME, HDC, int, int, int, LOGFONTW*) { return E_NOTIMPL; }
HRESULT GetThemeInt(HTHEME, int, int, int, int* value) {
  if (value) *value = 0;
  return E_NOTIMPL;
}
HRESULT GetThemeIntList(HTHEME, int, int, int, INTLIST*) { return E_NOTIMPL; }
HRESULT GetThemeMargins(HTHEME, HDC, int, int, int, const RECT*, MARGINS* margins) {
  if (margins) *margins = {0, 0, 0, 0};
  return E_NOTIMPL;
}
HRESULT GetThemeMetric(HTHEME, HDC, int, int, int, int* value) {
  if (value) *value = 0;
  return E_NOTIMPL;
}
HRESULT GetThemePosition(HTHEME, int, int, int, POINT* point) {
  if (point) *point = {0, 0};
  return E_NOTIMPL;
}
HRESULT GetThemePropertyOrigin(HTHEME, int, int, int, int* origin) {
  if (origin) *origin = 0;
  return E_NOTIMPL;
}
HRESULT GetThemeRect(HTHEME, int, int, int, RECT* rect) {
  if (rect) *rect = {};
  return E_NOTIMPL;
}
HRESULT GetThemeString(HTHEME, int, int, int, LPWSTR text, int chars) {
  CopyWide(u"", text, chars);
  return E_NOTIMPL;
}
BOOL GetThemeSysBool(HTHEME, int) { return FALSE; }
COLORREF GetThemeSysColor(HTHEME, int) { return 0; }
HBRUSH GetThemeSysColorBrush(HTHEME, int) { return nullptr; }
HRESULT GetThemeSysFont(HTHEME, int, LOGFONTW*) { return E_NOTIMPL; }
HRESULT GetThemeSysInt(HTHEME, int, int* value) {
  if (value) *value = 0;
  return E_NOTIMPL;
}
int GetThemeSysSize(HTHEME, int) { return 0; }
HRESULT GetThemeSysString(HTHEME, int, LPWSTR text, int chars) {
  CopyWide(u"", text, chars);
  return E_NOTIMPL;
}
HRESULT GetThemeTextExtent(HTHEME, HDC, int, int, LPCWSTR, int, DWORD, const RECT*, RECT* extent) {
  if (extent) *extent = {};
  return E_NOTIMPL;
}
HRESULT GetThemeTextMetrics(HTHEME, HDC, int, int, TEXTMETRICW*) { return E_NOTIMPL; }
HRESULT HitTestThemeBackground(HTHEME, HDC, int, int, DWORD, const RECT*, HRGN, POINT, WORD* hitCode) {
  if (hitCode) *hitCode = 0;
  return E_NOTIMPL;
}
BOOL IsThemeDialogTextureEnabled(HWND) { return FALSE; }
void SetThemeAppProperties(DWORD) {}
HRESULT SetWindowTheme(HWND, LPCWSTR, LPCWSTR) { return E_NOTIMPL; }
