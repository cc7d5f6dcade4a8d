// Text output and measurement on a device context: extents and fit counts, tabbed text,
// ExtTextOutA with alignment, clipping, opaque cells and character spacing, DrawTextA's
// formatted layout, and rotated output following the font's escapement. Text drawn while
// a path is being recorded adds its glyph outlines to the path instead.
#pragma once

#include "platform/gdi/Font.h"

struct DRAWTEXTPARAMS {
  UINT cbSize;          // sizeof(DRAWTEXTPARAMS), else DrawTextExA fails
  int iTabLength;       // in average character widths
  int iLeftMargin;
  int iRightMargin;
  UINT uiLengthDrawn;   // out: characters processed
};

BOOL GetTextExtentPoint32A(HDC dc, LPCSTR text, int count, SIZE* size);
// maxExtent -1 means no limit; below -1 fails. `dx` (optional) receives the extent after
// each of the `count` characters.
BOOL GetTextExtentExPointA(HDC dc, LPCSTR text, int count, int maxExtent, int* fit, int* dx,
                           SIZE* size);
// Width in the low word, height in the high word; 0 for an empty text.
DWORD GetTabbedTextExtentA(HDC dc, LPCSTR text, int count, int tabCount, const INT* tabStops);
LONG TabbedTextOutA(HDC dc, int x, int y, LPCSTR text, int count, int tabCount, const INT* tabStops,
                    int tabOrigin);
BOOL SetTextJustification(HDC dc, int breakExtra, int breakCount);

BOOL TextOutA(HDC dc, int x, int y, LPCSTR text, int count);
BOOL ExtTextOutA(HDC dc, int x, int y, UINT options, const RECT* rect, LPCSTR text, UINT count,
                 const INT* dx);

// One string of PolyTextOutA: drawn as ExtTextOutA(x, y, uiFlags, &rcl, lpstr, n, pdx).
struct POLYTEXTA {
  int x;
  int y;
  UINT n;
  LPCSTR lpstr;
  UINT uiFlags;
  RECT rcl;
  const int* pdx;
};
// Draws the strings in order; false (and the rest not drawn) at the first that fails.
BOOL PolyTextOutA(HDC dc, const POLYTEXTA* texts, int count);

int DrawTextA(HDC dc, LPCSTR text, int count, LPRECT rect, UINT format);
// As DrawTextA; DT_MODIFYSTRING writes the shortened text back (the buffer must have room
// for count + 4 bytes), which DrawTextA, taking constant text, never does.
int DrawTextExA(HDC dc, LPSTR text, int count, LPRECT rect, UINT format, DRAWTEXTPARAMS* params);
