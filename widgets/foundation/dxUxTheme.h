// The library's only door to the visual-style library: loaded by name at start-up on a
// system that can have visual styles, every function resolved by name. One wrapper per
// function; a function the library lacks answers its failure value (out-parameters
// cleared) instead of being called.
#pragma once

#include "platform/kernel/Modules.h"
#include "platform/theme/UxTheme.h"

// Whether the library was loaded at start-up.
bool cxIsUxThemeLoaded();
// Whether the system reported version 5.1 or later at start-up.
bool cxIsWinXPOrLater();

HRESULT cxCloseThemeData(HTHEME theme);
HRESULT cxDrawThemeBackground(HTHEME theme, HDC dc, int part, int state, const RECT* rect, const RECT* clip);
HRESULT cxDrawThemeBackground(HTHEME theme, HDC dc, int part, int state, const TRect& rect);
HRESULT cxDrawThemeEdge(HTHEME theme, HDC dc, int part, int state, const RECT* dest, UINT edge, UINT flags,
                        RECT* content);
// Draws the edge with a scratch content rectangle.
HRESULT cxDrawThemeEdge(HTHEME theme, HDC dc, int part, int state, const TRect& dest, UINT edge, UINT flags);
HRESULT cxDrawThemeIcon(HTHEME theme, HDC dc, int part, int state, const RECT* rect, HIMAGELIST images,
                        int index);
// Paints the parent's background under `hwnd`; the DC keeps the font it had before.
HRESULT cxDrawThemeParentBackground(HWND hwnd, HDC dc, const RECT* rect);
HRESULT cxDrawThemeText(HTHEME theme, HDC dc, int part, int state, LPCWSTR text, int count, DWORD flags,
                        DWORD flags2, const RECT* rect);
// Single-byte text, widened; the count is passed on unchanged.
HRESULT cxDrawThemeTextAnsi(HTHEME theme, HDC dc, int part, int state, const String& text, int count,
                            DWORD flags, DWORD flags2, const RECT* rect);
HRESULT cxEnableThemeDialogTexture(HWND hwnd, DWORD flags);
HRESULT cxGetCurrentThemeName(LPWSTR fileName, int fileChars, LPWSTR colorName, int colorChars,
                              LPWSTR sizeName, int sizeChars);
DWORD cxGetThemeAppProperties();
HRESULT cxGetThemeBackgroundContentRect(HTHEME theme, HDC dc, int part, int state, const RECT* bounds,
                                        RECT* content);
HRESULT cxGetThemeBackgroundContentRect(HTHEME theme, HDC dc, int part, int state, const TRect& bounds,
                                        TRect& content);
HRESULT cxGetThemeBackgroundRegion(HTHEME theme, HDC dc, int part, int state, const RECT* rect, HRGN* region);
HRESULT cxGetThemeBackgroundExtent(HTHEME theme, HDC dc, int part, int state, const RECT* content,
                                   RECT* extent);
HRESULT cxGetThemeBool(HTHEME theme, int part, int state, int prop, BOOL* value);
HRESULT cxGetThemeColor(HTHEME theme, int part, int state, int prop, COLORREF* color);
HRESULT cxGetThemeColor(HTHEME theme, int part, int state, int prop, COLORREF& color);
HRESULT cxGetThemeDocumentationProperty(LPCWSTR themeName, LPCWSTR propName, LPWSTR value, int chars);
HRESULT cxGetThemeEnumValue(HTHEME theme, int part, int state, int prop, int* value);
HRESULT cxGetThemeFilename(HTHEME theme, int part, int state, int prop, LPWSTR name, int chars);
HRESULT cxGetThemeFont(HTHEME theme, HDC dc, int part, int state, int prop, LOGFONTW* font);
HRESULT cxGetThemeInt(HTHEME theme, int part, int state, int prop, int* value);
HRESULT cxGetThemeIntList(HTHEME theme, int part, int state, int prop, INTLIST* list);
HRESULT cxGetThemeMargins(HTHEME theme, HDC dc, int part, int state, int prop, const RECT* rect,
                          MARGINS* margins);
HRESULT cxGetThemeMetric(HTHEME theme, HDC dc, int part, int state, int prop, int* value);
HRESULT cxGetThemePartSize(HTHEME theme, HDC dc, int part, int state, const RECT* rect, int sizeKind,
                           SIZE* size);
HRESULT cxGetThemePartSize(HTHEME theme, HDC dc, int part, int state, const TRect& rect, int sizeKind,
                           TSize& size);
HRESULT cxGetThemePartSizeNoRect(HTHEME theme, HDC dc, int part, int state, int sizeKind, TSize& size);
HRESULT cxGetThemePosition(HTHEME theme, int part, int state, int prop, POINT* point);
HRESULT cxGetThemePropertyOrigin(HTHEME theme, int part, int state, int prop, int* origin);
HRESULT cxGetThemeRect(HTHEME theme, int part, int state, int prop, RECT* rect);
HRESULT cxGetThemeString(HTHEME theme, int part, int state, int prop, LPWSTR text, int chars);
BOOL cxGetThemeSysBool(HTHEME theme, int boolId);
COLORREF cxGetThemeSysColor(HTHEME theme, int colorId);
HBRUSH cxGetThemeSysColorBrush(HTHEME theme, int colorId);
HRESULT cxGetThemeSysFont(HTHEME theme, int fontId, LOGFONTW* font);
HRESULT cxGetThemeSysInt(HTHEME theme, int intId, int* value);
int cxGetThemeSysSize(HTHEME theme, int sizeId);
HRESULT cxGetThemeSysString(HTHEME theme, int stringId, LPWSTR text, int chars);
HRESULT cxGetThemeTextExtent(HTHEME theme, HDC dc, int part, int state, LPCWSTR text, int count, DWORD flags,
                             const RECT* bounds, RECT* extent);
HRESULT cxGetThemeTextMetrics(HTHEME theme, HDC dc, int part, int state, TEXTMETRICW* metrics);
HTHEME cxGetWindowTheme(HWND hwnd);
HRESULT cxHitTestThemeBackground(HTHEME theme, HDC dc, int part, int state, DWORD options, const RECT* rect,
                                 HRGN region, POINT test, WORD* hitCode);
BOOL cxIsAppThemed();
BOOL cxIsThemeActive();
BOOL cxIsThemePartDefined(HTHEME theme, int part, int state);
BOOL cxIsThemeBackgroundPartiallyTransparent(HTHEME theme, int part, int state);
BOOL cxIsThemeDialogTextureEnabled(HWND hwnd);
HTHEME cxOpenThemeData(HWND hwnd, LPCWSTR classList);
void cxSetThemeAppProperties(DWORD flags);
HRESULT cxSetWindowTheme(HWND hwnd, LPCWSTR appName, LPCWSTR idList);

// The 46 names in the order they are resolved, and what each resolved to (nullptr when
// the library is not loaded or lacks the name).
inline constexpr int cxThemeFunctionCount = 46;
const char* cxThemeFunctionName(int index);
FARPROC cxThemeFunction(int index);

namespace dxUxTheme {
// Counted. The first call tests the version and, on 5.1 or later, loads "UxTheme.dll" and
// resolves every name; the last Finalize frees the library.
void Initialize();
void Finalize();
}  // namespace dxUxTheme
