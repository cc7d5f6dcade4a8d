// Text laid out in rows inside a rectangle and drawn on a device context with the editors'
// own flags: justified and distributed alignment, vertical spreading, word and character
// breaking, tab expansion, an end ellipsis, a line limit, a highlighted selection, and a
// measuring mode that answers the rectangle the text needs. Rows point into the caller's
// text, which ends at its first #0; the row data serves hit-testing as well as drawing.
#pragma once

#include "classlib/core/Enums.h"
#include "platform/gdi/Gdi.h"
#include "platform/kernel/Types.h"

#include <vector>

class TcxCanvas;

TL_ENUM(TcxTextAlignX, taLeft, taCenterX, taRight, taJustifyX, taDistributeX);
TL_ENUM(TcxTextAlignY, taTop, taCenterY, taBottom, taDistributeY);

// The text flags. The low bits hold the alignments as numbers (cxMakeTextAlignFlags).
inline constexpr Cardinal cxtfAlignXMask = 0x7;
inline constexpr Cardinal cxtfAlignYMask = 0x30;
inline constexpr Cardinal cxtfKeepInsideX = 0x40;      // an over-wide row starts at the left edge
inline constexpr Cardinal cxtfKeepInsideY = 0x80;      // the first row never starts above the top
inline constexpr Cardinal cxtfWordBreak = 0x100;
inline constexpr Cardinal cxtfSingleLine = 0x200;      // CR and LF are ordinary characters
inline constexpr Cardinal cxtfExpandTabs = 0x400;
inline constexpr Cardinal cxtfEndEllipsis = 0x800;
inline constexpr Cardinal cxtfExternalLeading = 0x2000;
inline constexpr Cardinal cxtfWholeRows = 0x4000;
inline constexpr Cardinal cxtfNoClip = 0x8000;
inline constexpr Cardinal cxtfReserved = 0x10000;      // kept in the params, no effect
inline constexpr Cardinal cxtfCharBreak = 0x20000;
inline constexpr Cardinal cxtfCalcRect = 0x100000;
inline constexpr Cardinal cxtfReturnRowCount = 0x200000;

constexpr Cardinal cxMakeTextAlignFlags(TcxTextAlignX AAlignX, TcxTextAlignY AAlignY) {
  return Cardinal(AAlignX) | (Cardinal(AAlignY) << 4);
}

// The ellipsis an over-long last row ends in.
inline constexpr char cxEllipsisText[] = "...";
inline constexpr Integer cxEllipsisTextLength = 3;

// What a layout needs of the flags and of the device context's current font.
struct TcxTextParams {
  Integer LineHeight = 0;        // the font height
  Integer ExternalLeading = 0;   // the font's, with cxtfExternalLeading; else 0
  Integer RowHeight = 0;         // the row step: LineHeight + ExternalLeading
  Integer EllipsisWidth = 0;     // extent of "..." with cxtfEndEllipsis; else 0
  Byte BreakChar = ' ';
  TcxTextAlignX AlignX = TcxTextAlignX::taLeft;   // out-of-range numbers read as taLeft
  TcxTextAlignY AlignY = TcxTextAlignY::taTop;
  bool WordBreak = false;
  bool SingleLine = false;
  bool ExpandTabs = false;
  bool EndEllipsis = false;
  bool ExternalLeadingFlag = false;
  bool WholeRows = false;
  bool NoClip = false;
  bool Reserved = false;
  bool KeepInsideX = false;
  bool KeepInsideY = false;
  bool CharBreak = false;        // also on in a far-east system locale
  bool ReturnRowCount = false;
  bool CalcRect = false;
  Integer MaxCharWidth = 0;
};

struct TcxTextRow {
  const char* Text = nullptr;   // the row's first character inside the laid-out text
  Integer TextLength = 0;
  Integer Width = 0, Height = 0;
  Integer BreakCount = 0;       // break characters in the row, for justification
  Integer X = 0, Y = 0;         // drawing position
  Integer StartIndex = 0;       // 0-based index of the row's first character in the text
};
using TcxTextRows = std::vector<TcxTextRow>;

void cxCalcTextParams(HDC ADC, Cardinal AFlags, TcxTextParams& AParams);
// Makes the canvas's handle and font valid first.
void cxCalcTextParams(TcxCanvas* ACanvas, Cardinal AFlags, TcxTextParams& AParams);

// Breaks AText into rows for R. True when the whole text was laid out: false only when a
// line limit of at least 1 cut it (and not single-line, not measuring). ARows holds
// exactly ARowCount rows afterwards.
bool cxMakeTextRows(HDC ADC, const char* AText, const TRect& R, Integer AMaxLineCount, Integer& ARowCount,
                    TcxTextRows& ARows, const TcxTextParams& AParams);
bool cxMakeTextRows(TcxCanvas* ACanvas, const char* AText, const TRect& R, Integer AMaxLineCount,
                    Integer& ARowCount, TcxTextRows& ARows, const TcxTextParams& AParams);

// Sets X and Y of the first ARowCount rows; with taDistributeY it may change
// AParams.RowHeight to spread the rows over the height.
void cxPlaceTextRows(HDC ADC, const TRect& R, TcxTextParams& AParams, Integer ARowCount, TcxTextRows& ARows);

// The largest Width among the first ARowCount rows (0 for none).
Integer cxGetLongestTextRowWidth(const TcxTextRows& ARows, Integer ARowCount);

// Lays AText out in R (moved in by the indents) and draws it, or with cxtfCalcRect only
// measures it: R then receives the rectangle the text needs (widened again by the
// indents). Returns the text height, or the row count with cxtfReturnRowCount; 0 when
// there is nothing to lay out. The characters [ASelStart, ASelStart + ASelLength) are
// drawn in ASelTextColor over ASelBkColor (clNone: that colour is left alone).
Integer cxTextOut(HDC ADC, const char* AText, TRect& R, Integer ALeftIndent, Integer ARightIndent,
                  Integer AMaxLineCount, TColor ASelTextColor, TColor ASelBkColor, Integer ASelLength,
                  Integer ASelStart, Cardinal AFlags);
Integer cxTextOut(TcxCanvas* ACanvas, const String& AText, TRect& R, Integer ALeftIndent, Integer ARightIndent,
                  Integer AMaxLineCount, TColor ASelTextColor, TColor ASelBkColor, Integer ASelLength,
                  Integer ASelStart, Cardinal AFlags);
// Without a selection.
Integer cxTextOut(HDC ADC, const char* AText, TRect& R, Cardinal AFlags, Integer AMaxLineCount = 0,
                  Integer ALeftIndent = 0, Integer ARightIndent = 0);
Integer cxDrawCanvasText(TcxCanvas* ACanvas, const String& AText, TRect& R, Cardinal AFlags,
                         Integer AMaxLineCount = 0, Integer ALeftIndent = 0, Integer ARightIndent = 0);

// The extent of the first ALength characters, tabs expanded to the default stops when
// AExpandTabs.
void cxTextExtent(HDC ADC, const char* AText, Integer ALength, TSize& ASize, bool AExpandTabs);

// Intersects the clip with R; returns the previous clip region (null when the DC had
// none) for cxRestoreClip, which selects it back, deletes it and clears ARegion.
HRGN cxSaveAndIntersectClip(HDC ADC, const TRect& R);
void cxRestoreClip(HDC ADC, HRGN& ARegion);
