#include "widgets/foundation/dxUxTheme.h"

#include "platform/gdi/GdiObject.h"
#include "platform/kernel/CodePage.h"
#include "platform/kernel/Units.h"
#include "platform/kernel/Version.h"

#include <algorithm>
#include <type_traits>

namespace {

// Table order: the index of each name is its slot.
#define TL_THEME_FUNCTIONS(X)                                                                            \
  X(CloseThemeData) X(DrawThemeBackground) X(DrawThemeEdge) X(DrawThemeIcon) X(DrawThemeParentBackground) \
  X(DrawThemeText) X(EnableThemeDialogTexture) X(GetCurrentThemeName) X(GetThemeAppProperties)            \
  X(GetThemeBackgroundContentRect) X(GetThemeBackgroundRegion) X(GetThemeBackgroundExtent)                 \
  X(GetThemeBool) X(GetThemeColor) X(GetThemeDocumentationProperty) X(GetThemeEnumValue)                   \
  X(GetThemeFilename) X(GetThemeFont) X(GetThemeInt) X(GetThemeIntList) X(GetThemeMargins)                 \
  X(GetThemeMetric) X(GetThemePartSize) X(GetThemePosition) X(GetThemePropertyOrigin) X(GetThemeRect)      \
  X(GetThemeString) X(GetThemeSysBool) X(GetThemeSysColor) X(GetThemeSysColorBrush) X(GetThemeSysFont)     \
  X(GetThemeSysInt) X(GetThemeSysSize) X(GetThemeSysString) X(GetThemeTextExtent) X(GetThemeTextMetrics)   \
  X(GetWindowTheme) X(HitTestThemeBackground) X(IsAppThemed) X(IsThemeActive) X(IsThemePartDefined)        \
  X(IsThemeBackgroundPartiallyTransparent) X(IsThemeDialogTextureEnabled) X(OpenThemeData)                 \
  X(SetThemeAppProperties) X(SetWindowTheme)

enum Slot {
#define TL_SLOT(name) k##name,
  TL_THEME_FUNCTIONS(TL_SLOT)
#undef TL_SLOT
  kSlotCount
};
static_assert(kSlotCount == cxThemeFunctionCount);

const char* const kNames[] = {
#define TL_NAME(name) #name,
    TL_THEME_FUNCTIONS(TL_NAME)
#undef TL_NAME
};

HMODULE gLibrary = nullptr;
bool gXPOrLater = false;
FARPROC gTable[kSlotCount] = {};
UnitCounter gUnit;

// The resolved function of a slot, typed; nullptr when missing.
template <class Fn>
Fn Proc(Slot slot) {
  return reinterpret_cast<Fn>(gTable[slot]);
}

#define TL_PROC(name) Proc<T##name>(k##name)

void ClearWide(LPWSTR buf, int chars) {
  if (buf && chars > 0) buf[0] = 0;
}

// A missing procedure still leaves the caller's output defined, so a caller that skips the
// HRESULT check reads an empty value rather than garbage.
template <class T>
HRESULT Unavailable(T* out, const std::type_identity_t<T>& empty) {
  if (out) *out = empty;
  return E_NOTIMPL;
}

HRESULT UnavailableText(LPWSTR buf, int chars) {
  ClearWide(buf, chars);
  return E_NOTIMPL;
}

}  // namespace

bool cxIsUxThemeLoaded() { return gLibrary != nullptr; }
bool cxIsWinXPOrLater() { return gXPOrLater; }

const char* cxThemeFunctionName(int index) {
  return index >= 0 && index < kSlotCount ? kNames[index] : nullptr;
}
FARPROC cxThemeFunction(int index) { return index >= 0 && index < kSlotCount ? gTable[index] : nullptr; }

namespace dxUxTheme {

void Initialize() {
  if (!gUnit.Enter()) return;
  OSVERSIONINFOA info{};
  info.dwOSVersionInfoSize = sizeof(OSVERSIONINFOA);
  gXPOrLater = false;
  if (GetVersionExA(&info))
    gXPOrLater = info.dwMajorVersion > 5 || (info.dwMajorVersion == 5 && info.dwMinorVersion >= 1);
  std::fill(std::begin(gTable), std::end(gTable), nullptr);
  if (!gXPOrLater) return;
  gLibrary = LoadLibraryA("UxTheme.dll");
  if (!gLibrary) return;
  for (int i = 0; i < kSlotCount; ++i) gTable[i] = GetProcAddress(gLibrary, kNames[i]);
}

void Finalize() {
  if (!gUnit.Leave()) return;
  if (gLibrary) FreeLibrary(gLibrary);
  gLibrary = nullptr;
  std::fill(std::begin(gTable), std::end(gTable), nullptr);
}

}  // namespace dxUxTheme

// ---- Wrappers ----------------------------------------------------------------------------
// Each tests its own pointer: a name the library lacks gives the failure value.

HRESULT cxCloseThemeData(HTHEME theme) {
  auto f = TL_PROC(CloseThemeData);
  return f ? f(theme) : E_NOTIMPL;
}

HRESULT cxDrawThemeBackground(HTHEME theme, HDC dc, int part, int state, const RECT* rect, const RECT* clip) {
  auto f = TL_PROC(DrawThemeBackground);
  return f ? f(theme, dc, part, state, rect, clip) : E_NOTIMPL;
}

HRESULT cxDrawThemeBackground(HTHEME theme, HDC dc, int part, int state, const TRect& rect) {
  return cxDrawThemeBackground(theme, dc, part, state, &rect, nullptr);
}

HRESULT cxDrawThemeEdge(HTHEME theme, HDC dc, int part, int state, const RECT* dest, UINT edge, UINT flags,
                        RECT* content) {
  auto f = TL_PROC(DrawThemeEdge);
  return f ? f(theme, dc, part, state, dest, edge, flags, content) : Unavailable(content, dest ? *dest : TRect{});
}

HRESULT cxDrawThemeEdge(HTHEME theme, HDC dc, int part, int state, const TRect& dest, UINT edge, UINT flags) {
  TRect scratch{};
  return cxDrawThemeEdge(theme, dc, part, state, &dest, edge, flags, &scratch);
}

HRESULT cxDrawThemeIcon(HTHEME theme, HDC dc, int part, int state, const RECT* rect, HIMAGELIST images,
                        int index) {
  auto f = TL_PROC(DrawThemeIcon);
  return f ? f(theme, dc, part, state, rect, images, index) : E_NOTIMPL;
}

HRESULT cxDrawThemeParentBackground(HWND hwnd, HDC dc, const RECT* rect) {
  auto f = TL_PROC(DrawThemeParentBackground);
  if (!f) return E_NOTIMPL;
  HGDIOBJ font = GetCurrentObject(dc, OBJ_FONT);
  HRESULT result = f(hwnd, dc, rect);
  if (font) SelectObject(dc, font);
  return result;
}

HRESULT cxDrawThemeText(HTHEME theme, HDC dc, int part, int state, LPCWSTR text, int count, DWORD flags,
                        DWORD flags2, const RECT* rect) {
  auto f = TL_PROC(DrawThemeText);
  return f ? f(theme, dc, part, state, text, count, flags, flags2, rect) : E_NOTIMPL;
}

HRESULT cxDrawThemeTextAnsi(HTHEME theme, HDC dc, int part, int state, const String& text, int count,
                            DWORD flags, DWORD flags2, const RECT* rect) {
  // Widened whole, NULs included, so the count still counts the same characters.
  WideString wide = AnsiToWide(text);
  if (count > int(wide.size())) count = int(wide.size());
  return cxDrawThemeText(theme, dc, part, state, wide.c_str(), count, flags, flags2, rect);
}

HRESULT cxEnableThemeDialogTexture(HWND hwnd, DWORD flags) {
  auto f = TL_PROC(EnableThemeDialogTexture);
  return f ? f(hwnd, flags) : E_NOTIMPL;
}

HRESULT cxGetCurrentThemeName(LPWSTR fileName, int fileChars, LPWSTR colorName, int colorChars,
                              LPWSTR sizeName, int sizeChars) {
  auto f = TL_PROC(GetCurrentThemeName);
  if (!f) {
    ClearWide(fileName, fileChars);
    ClearWide(colorName, colorChars);
    ClearWide(sizeName, sizeChars);
    return E_NOTIMPL;
  }
  return f(fileName, fileChars, colorName, colorChars, sizeName, sizeChars);
}

DWORD cxGetThemeAppProperties() {
  auto f = TL_PROC(GetThemeAppProperties);
  return f ? f() : 0;
}

HRESULT cxGetThemeBackgroundContentRect(HTHEME theme, HDC dc, int part, int state, const RECT* bounds,
                                        RECT* content) {
  auto f = TL_PROC(GetThemeBackgroundContentRect);
  return f ? f(theme, dc, part, state, bounds, content) : Unavailable(content, bounds ? *bounds : TRect{});
}

HRESULT cxGetThemeBackgroundContentRect(HTHEME theme, HDC dc, int part, int state, const TRect& bounds,
                                        TRect& content) {
  return cxGetThemeBackgroundContentRect(theme, dc, part, state, &bounds, &content);
}

HRESULT cxGetThemeBackgroundRegion(HTHEME theme, HDC dc, int part, int state, const RECT* rect, HRGN* region) {
  auto f = TL_PROC(GetThemeBackgroundRegion);
  return f ? f(theme, dc, part, state, rect, region) : Unavailable(region, nullptr);
}

HRESULT cxGetThemeBackgroundExtent(HTHEME theme, HDC dc, int part, int state, const RECT* content,
                                   RECT* extent) {
  auto f = TL_PROC(GetThemeBackgroundExtent);
  return f ? f(theme, dc, part, state, content, extent) : Unavailable(extent, content ? *content : TRect{});
}

HRESULT cxGetThemeBool(HTHEME theme, int part, int state, int prop, BOOL* value) {
  auto f = TL_PROC(GetThemeBool);
  return f ? f(theme, part, state, prop, value) : Unavailable(value, FALSE);
}

HRESULT cxGetThemeColor(HTHEME theme, int part, int state, int prop, COLORREF* color) {
  auto f = TL_PROC(GetThemeColor);
  return f ? f(theme, part, state, prop, color) : Unavailable(color, 0);
}

HRESULT cxGetThemeColor(HTHEME theme, int part, int state, int prop, COLORREF& color) {
  return cxGetThemeColor(theme, part, state, prop, &color);
}

HRESULT cxGetThemeDocumentationProperty(LPCWSTR themeName, LPCWSTR propName, LPWSTR value, int chars) {
  auto f = TL_PROC(GetThemeDocumentationProperty);
  return f ? f(themeName, propName, value, chars) : UnavailableText(value, chars);
}

HRESULT cxGetThemeEnumValue(HTHEME theme, int part, int state, int prop, int* value) {
  auto f = TL_PROC(GetThemeEnumValue);
  return f ? f(theme, part, state, prop, value) : Unavailable(value, 0);
}

HRESULT cxGetThemeFilename(HTHEME theme, int part, int state, int prop, LPWSTR name, int chars) {
  auto f = TL_PROC(GetThemeFilename);
  return f ? f(theme, part, state, prop, name, chars) : UnavailableText(name, chars);
}

HRESULT cxGetThemeFont(HTHEME theme, HDC dc, int part, int state, int prop, LOGFONTW* font) {
  auto f = TL_PROC(GetThemeFont);
  return f ? f(theme, dc, part, state, prop, font) : E_NOTIMPL;
}

HRESULT cxGetThemeInt(HTHEME theme, int part, int state, int prop, int* value) {
  auto f = TL_PROC(GetThemeInt);
  return f ? f(theme, part, state, prop, value) : Unavailable(value, 0);
}

HRESULT cxGetThemeIntList(HTHEME theme, int part, int state, int prop, INTLIST* list) {
  auto f = TL_PROC(GetThemeIntList);
  return f ? f(theme, part, state, prop, list) : E_NOTIMPL;
}

HRESULT cxGetThemeMargins(HTHEME theme, HDC dc, int part, int state, int prop, const RECT* rect,
                          MARGINS* margins) {
  auto f = TL_PROC(GetThemeMargins);
  return f ? f(theme, dc, part, state, prop, rect, margins) : Unavailable(margins, {0, 0, 0, 0});
}

HRESULT cxGetThemeMetric(HTHEME theme, HDC dc, int part, int state, int prop, int* value) {
  auto f = TL_PROC(GetThemeMetric);
  return f ? f(theme, dc, part, state, prop, value) : Unavailable(value, 0);
}

HRESULT cxGetThemePartSize(HTHEME theme, HDC dc, int part, int state, const RECT* rect, int sizeKind,
                           SIZE* size) {
  auto f = TL_PROC(GetThemePartSize);
  return f ? f(theme, dc, part, state, rect, sizeKind, size) : Unavailable(size, {0, 0});
}

HRESULT cxGetThemePartSize(HTHEME theme, HDC dc, int part, int state, const TRect& rect, int sizeKind,
                           TSize& size) {
  return cxGetThemePartSize(theme, dc, part, state, &rect, sizeKind, &size);
}

HRESULT cxGetThemePartSizeNoRect(HTHEME theme, HDC dc, int part, int state, int sizeKind, TSize& size) {
  return cxGetThemePartSize(theme, dc, part, state, nullptr, sizeKind, &size);
}

HRESULT cxGetThemePosition(HTHEME theme, int part, int state, int prop, POINT* point) {
  auto f = TL_PROC(GetThemePosition);
  return f ? f(theme, part, state, prop, point) : Unavailable(point, {0, 0});
}

HRESULT cxGetThemePropertyOrigin(HTHEME theme, int part, int state, int prop, int* origin) {
  auto f = TL_PROC(GetThemePropertyOrigin);
  return f ? f(theme, part, state, prop, origin) : Unavailable(origin, 0);
}

HRESULT cxGetThemeRect(HTHEME theme, int part, int state, int prop, RECT* rect) {
  auto f = TL_PROC(GetThemeRect);
  return f ? f(theme, part, state, prop, rect) : Unavailable(rect, {});
}

HRESULT cxGetThemeString(HTHEME theme, int part, int state, int prop, LPWSTR text, int chars) {
  auto f = TL_PROC(GetThemeString);
  return f ? f(theme, part, state, prop, text, chars) : UnavailableText(text, chars);
}

BOOL cxGetThemeSysBool(HTHEME theme, int boolId) {
  auto f = TL_PROC(GetThemeSysBool);
  return f ? f(theme, boolId) : FALSE;
}

COLORREF cxGetThemeSysColor(HTHEME theme, int colorId) {
  auto f = TL_PROC(GetThemeSysColor);
  return f ? f(theme, colorId) : 0;
}

HBRUSH cxGetThemeSysColorBrush(HTHEME theme, int colorId) {
  auto f = TL_PROC(GetThemeSysColorBrush);
  return f ? f(theme, colorId) : nullptr;
}

HRESULT cxGetThemeSysFont(HTHEME theme, int fontId, LOGFONTW* font) {
  auto f = TL_PROC(GetThemeSysFont);
  return f ? f(theme, fontId, font) : E_NOTIMPL;
}

HRESULT cxGetThemeSysInt(HTHEME theme, int intId, int* value) {
  auto f = TL_PROC(GetThemeSysInt);
  return f ? f(theme, intId, value) : Unavailable(value, 0);
}

int cxGetThemeSysSize(HTHEME theme, int sizeId) {
  auto f = TL_PROC(GetThemeSysSize);
  return f ? f(theme, sizeId) : 0;
}

HRESULT cxGetThemeSysString(HTHEME theme, int stringId, LPWSTR text, int chars) {
  auto f = TL_PROC(GetThemeSysString);
  return f ? f(theme, stringId, text, chars) : UnavailableText(text, chars);
}

HRESULT cxGetThemeTextExtent(HTHEME theme, HDC dc, int part, int state, LPCWSTR text, int count, DWORD flags,
                             const RECT* bounds, RECT* extent) {
  auto f = TL_PROC(GetThemeTextExtent);
  return f ? f(theme, dc, part, state, text, count, flags, bounds, extent) : Unavailable(extent, {});
}

HRESULT cxGetThemeTextMetrics(HTHEME theme, HDC dc, int part, int state, TEXTMETRICW* metrics) {
  auto f = TL_PROC(GetThemeTextMetrics);
  return f ? f(theme, dc, part, state, metrics) : E_NOTIMPL;
}

HTHEME cxGetWindowTheme(HWND hwnd) {
  auto f = TL_PROC(GetWindowTheme);
  return f ? f(hwnd) : nullptr;
}

HRESULT cxHitTestThemeBackground(HTHEME theme, HDC dc, int part, int state, DWORD options, const RECT* rect,
                                 HRGN region, POINT test, WORD* hitCode) {
  auto f = TL_PROC(HitTestThemeBackground);
  return f ? f(theme, dc, part, state, options, rect, region, test, hitCode) : Unavailable(hitCode, 0);
}

BOOL cxIsAppThemed() {
  auto f = TL_PROC(IsAppThemed);
  return f ? f() : FALSE;
}

BOOL cxIsThemeActive() {
  auto f = TL_PROC(IsThemeActive);
  return f ? f() : FALSE;
}

BOOL cxIsThemePartDefined(HTHEME theme, int part, int state) {
  auto f = TL_PROC(IsThemePartDefined);
  return f ? f(theme, part, state) : FALSE;
}

BOOL cxIsThemeBackgroundPartiallyTransparent(HTHEME theme, int part, int state) {
  auto f = TL_PROC(IsThemeBackgroundPartiallyTransparent);
  return f ? f(theme, part, state) : FALSE;
}

BOOL cxIsThemeDialogTextureEnabled(HWND hwnd) {
  auto f = TL_PROC(IsThemeDialogTextureEnabled);
  return f ? f(hwnd) : FALSE;
}

HTHEME cxOpenThemeData(HWND hwnd, LPCWSTR classList) {
  auto f = TL_PROC(OpenThemeData);
  return f ? f(hwnd, classList) : nullptr;
}

void cxSetThemeAppProperties(DWORD flags) {
  if (auto f = TL_PROC(SetThemeAppProperties)) f(flags);
}

HRESULT cxSetWindowTheme(HWND hwnd, LPCWSTR appName, LPCWSTR idList) {
  auto f = TL_PROC(SetWindowTheme);
  return f ? f(hwnd, appName, idList) : E_NOTIMPL;
}
