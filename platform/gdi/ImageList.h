// Image lists: strips of equally sized images with optional masks, drawn transparently,
// blended or embossed.
#pragma once

#include "platform/gdi/Gdi.h"

inline constexpr UINT ILC_MASK = 0x0001;
inline constexpr UINT ILC_COLOR = 0x0000;
inline constexpr UINT ILC_COLORDDB = 0x00FE;
inline constexpr UINT ILC_COLOR4 = 0x0004;
inline constexpr UINT ILC_COLOR8 = 0x0008;
inline constexpr UINT ILC_COLOR16 = 0x0010;
inline constexpr UINT ILC_COLOR24 = 0x0018;
inline constexpr UINT ILC_COLOR32 = 0x0020;

inline constexpr UINT ILD_NORMAL = 0x0000;
inline constexpr UINT ILD_TRANSPARENT = 0x0001;
inline constexpr UINT ILD_BLEND25 = 0x0002;
inline constexpr UINT ILD_FOCUS = ILD_BLEND25;
inline constexpr UINT ILD_BLEND50 = 0x0004;
inline constexpr UINT ILD_SELECTED = ILD_BLEND50;
inline constexpr UINT ILD_BLEND = ILD_BLEND50;
inline constexpr UINT ILD_MASK = 0x0010;
inline constexpr UINT ILD_IMAGE = 0x0020;
inline constexpr UINT ILD_ROP = 0x0040;

HIMAGELIST ImageList_Create(int cx, int cy, UINT flags, int initial, int grow);
BOOL ImageList_Destroy(HIMAGELIST list);
int ImageList_GetImageCount(HIMAGELIST list);
BOOL ImageList_GetIconSize(HIMAGELIST list, int* cx, int* cy);
COLORREF ImageList_SetBkColor(HIMAGELIST list, COLORREF color);   // previous; CLR_NONE = none
COLORREF ImageList_GetBkColor(HIMAGELIST list);
// Adds the images of `image` (its width divided into cx-wide images); `mask` is a bitmap whose
// white pixels are transparent (null: opaque). Answers the first new index, -1 on failure.
int ImageList_Add(HIMAGELIST list, HBITMAP image, HBITMAP mask);
// Pixels of `maskColor` become transparent (and black in the stored image). CLR_DEFAULT picks
// the automatic transparent colour: the bitmap's bottom-left pixel.
int ImageList_AddMasked(HIMAGELIST list, HBITMAP image, COLORREF maskColor);
BOOL ImageList_Replace(HIMAGELIST list, int index, HBITMAP image, HBITMAP mask);
BOOL ImageList_Remove(HIMAGELIST list, int index);   // -1 removes all
BOOL ImageList_Draw(HIMAGELIST list, int index, HDC dc, int x, int y, UINT style);
// dx, dy: the part drawn (0 = the whole image); bk: CLR_NONE transparent, CLR_DEFAULT the
// list's colour; fg: the blend colour for ILD_BLEND25/50 (CLR_DEFAULT = the highlight colour).
BOOL ImageList_DrawEx(HIMAGELIST list, int index, HDC dc, int x, int y, int dx, int dy, COLORREF bk,
                      COLORREF fg, UINT style);
// The disabled look: the image's shape (its opaque pixels that are not white) drawn in the
// button highlight colour one pixel down and right, then in the button shadow colour.
BOOL ImageList_DrawDisabled(HIMAGELIST list, int index, HDC dc, int x, int y);
size_t LiveImageListCount();
