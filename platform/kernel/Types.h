// The platform's data model: fixed-width integer names, geometry, colours and handles.
// One type serves both the platform and the class library (TRect is RECT), so no
// conversions are needed between the layers.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

using Integer = int32_t;
using Cardinal = uint32_t;
using Word = uint16_t;
using Byte = uint8_t;
using ShortInt = int8_t;
using SmallInt = int16_t;
using Int64 = int64_t;
using UInt64 = uint64_t;
using LongWord = uint32_t;

using LONG = int32_t;
using ULONG = uint32_t;
using DWORD = uint32_t;
using UINT = uint32_t;
using INT = int32_t;
using WORD = uint16_t;
using BYTE = uint8_t;
using SHORT = int16_t;
using USHORT = uint16_t;
using BOOL = int32_t;
using WPARAM = uintptr_t;
using LPARAM = intptr_t;
using LRESULT = intptr_t;
using LONG_PTR = intptr_t;
using ULONG_PTR = uintptr_t;
using DWORD_PTR = uintptr_t;
using UINT_PTR = uintptr_t;
using ATOM = uint16_t;
using LCID = uint32_t;
using LANGID = uint16_t;
using LPSTR = char*;
using LPCSTR = const char*;
using LPVOID = void*;
using LPCVOID = const void*;

inline constexpr BOOL TRUE = 1;
inline constexpr BOOL FALSE = 0;

// Text inside the system: single-byte Windows-1252 characters, one byte per character.
using String = std::string;
// Wide text (variants, theme text, typed streams): UTF-16 code units.
using WideString = std::u16string;
using Char = char;       // unsigned: the project builds with -funsigned-char
using WideChar = char16_t;

struct TPoint {
  Integer X = 0, Y = 0;
  constexpr bool operator==(const TPoint&) const = default;
};

struct TSize {
  Integer cx = 0, cy = 0;
  constexpr bool operator==(const TSize&) const = default;
};

struct TRect {
  Integer Left = 0, Top = 0, Right = 0, Bottom = 0;
  constexpr Integer Width() const { return Right - Left; }
  constexpr Integer Height() const { return Bottom - Top; }
  // Empty as the platform counts it: no area, including inverted rectangles.
  constexpr bool IsEmpty() const { return Right <= Left || Bottom <= Top; }
  constexpr TPoint TopLeft() const { return {Left, Top}; }
  constexpr TPoint BottomRight() const { return {Right, Bottom}; }
  constexpr bool operator==(const TRect&) const = default;
};

using RECT = TRect;
using POINT = TPoint;
using SIZE = TSize;
using LPRECT = TRect*;
using LPPOINT = TPoint*;

constexpr TRect Rect(Integer l, Integer t, Integer r, Integer b) { return {l, t, r, b}; }
constexpr TPoint Point(Integer x, Integer y) { return {x, y}; }
constexpr TRect Bounds(Integer l, Integer t, Integer w, Integer h) { return {l, t, l + w, t + h}; }

// Colours. COLORREF is 0x00BBGGRR; TColor adds system colours (0x80000000 + index),
// clNone and clDefault; Pixel is a surface pixel 0x00RRGGBB (bytes B, G, R, X).
using COLORREF = uint32_t;
using TColor = int32_t;
using Pixel = uint32_t;

constexpr COLORREF RGB(Byte r, Byte g, Byte b) {
  return COLORREF(r) | (COLORREF(g) << 8) | (COLORREF(b) << 16);
}
constexpr Byte GetRValue(COLORREF c) { return Byte(c); }
constexpr Byte GetGValue(COLORREF c) { return Byte(c >> 8); }
constexpr Byte GetBValue(COLORREF c) { return Byte(c >> 16); }

constexpr WORD LOWORD(uintptr_t v) { return WORD(v & 0xFFFF); }
constexpr WORD HIWORD(uintptr_t v) { return WORD((v >> 16) & 0xFFFF); }
constexpr BYTE LOBYTE(uintptr_t v) { return BYTE(v & 0xFF); }
constexpr BYTE HIBYTE(uintptr_t v) { return BYTE((v >> 8) & 0xFF); }
constexpr DWORD MAKELONG(WORD lo, WORD hi) { return DWORD(lo) | (DWORD(hi) << 16); }
constexpr LPARAM MAKELPARAM(WORD lo, WORD hi) { return LPARAM(LONG(MAKELONG(lo, hi))); }
constexpr WPARAM MAKEWPARAM(WORD lo, WORD hi) { return WPARAM(MAKELONG(lo, hi)); }
constexpr LRESULT MAKELRESULT(WORD lo, WORD hi) { return LRESULT(LONG(MAKELONG(lo, hi))); }
// Signed coordinates packed in an LPARAM (mouse messages).
constexpr Integer GET_X_LPARAM(LPARAM lp) { return Integer(SHORT(LOWORD(uintptr_t(lp)))); }
constexpr Integer GET_Y_LPARAM(LPARAM lp) { return Integer(SHORT(HIWORD(uintptr_t(lp)))); }

// Opaque handles. Each kind is a distinct pointer type; the value encodes a table slot
// and a generation, so a stale handle is detected instead of reaching freed memory.
// GDI object kinds convert implicitly to HGDIOBJ.
struct HWND_t;
using HWND = HWND_t*;
struct HMENU_t;
using HMENU = HMENU_t*;
struct HINSTANCE_t;
using HINSTANCE = HINSTANCE_t*;
using HMODULE = HINSTANCE;
struct HRSRC_t;
using HRSRC = HRSRC_t*;
using HGLOBAL = const void*;
struct HHOOK_t;
using HHOOK = HHOOK_t*;
struct HCURSOR_t;
using HCURSOR = HCURSOR_t*;
using HICON = HCURSOR;
struct HMONITOR_t;
using HMONITOR = HMONITOR_t*;
struct HTHEME_t;
using HTHEME = HTHEME_t*;
struct HIMAGELIST_t;
using HIMAGELIST = HIMAGELIST_t*;
struct HDC_t;
using HDC = HDC_t*;

struct HGDIOBJ_t {};
using HGDIOBJ = HGDIOBJ_t*;
struct HPEN_t : HGDIOBJ_t {};
using HPEN = HPEN_t*;
struct HBRUSH_t : HGDIOBJ_t {};
using HBRUSH = HBRUSH_t*;
struct HFONT_t : HGDIOBJ_t {};
using HFONT = HFONT_t*;
struct HBITMAP_t : HGDIOBJ_t {};
using HBITMAP = HBITMAP_t*;
struct HRGN_t : HGDIOBJ_t {};
using HRGN = HRGN_t*;
struct HPALETTE_t : HGDIOBJ_t {};
using HPALETTE = HPALETTE_t*;

// A window procedure is an identity token: comparable, storable in a window long, and
// callable only through CallWindowProcA. Never a raw code address.
struct WndProc_t;
using WNDPROC = WndProc_t*;

// Resource names: small integers or strings, as MAKEINTRESOURCE encodes them.
inline LPCSTR MAKEINTRESOURCEA(uintptr_t id) { return reinterpret_cast<LPCSTR>(id & 0xFFFF); }
inline bool IS_INTRESOURCE(LPCSTR p) { return (reinterpret_cast<uintptr_t>(p) >> 16) == 0; }
