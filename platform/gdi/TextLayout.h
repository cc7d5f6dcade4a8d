// Text layout without a device: tab stops, prefix characters, line breaking, ellipses and
// the placement rules of DrawTextA, computed against a realised font. The text functions
// draw what this computes, so the rules are testable on their own.
#pragma once

#include "platform/gdi/FontEngine.h"
#include "platform/gdi/Gdi.h"

#include <vector>

// Tab stops of the tabbed functions: none given = every 8 average widths; one = every
// that many pixels; several = at those positions, then every 8 average widths. Stops
// are relative to `Origin`; a tab moves to the first stop strictly right of the pen.
// A negative stop counts by its magnitude.
struct TabStops {
  Integer Origin = 0;
  Integer DefaultWidth = 8;
  std::vector<Integer> Stops;
  TabStops() = default;
  TabStops(Integer origin, Integer aveCharWidth, Integer count, const INT* stops);
  // The pen position a tab at x moves to.
  Integer Next(Integer x) const;
};

// Advances of a run with tabs moved to stops (x is the pen position of s[0]).
Integer TabbedAdvances(FontInstance& font, const Byte* s, Integer n, Integer x, const TabStops& tabs,
                       std::vector<Integer>& advances);

// Characters that fit in `maxExtent`: how many whole characters, from the start, end at or
// before it (GetTextExtentExPointA's fit count).
Integer FitCount(const std::vector<Integer>& advances, Integer maxExtent);

// One laid-out line of DrawTextA.
struct TextLine {
  String Chars;                    // as displayed: prefixes resolved, ellipsis applied
  std::vector<Integer> Advances;   // per displayed character, tabs expanded
  Integer Width = 0;
  Integer X = 0, Y = 0;            // top-left of the line's cell
  Integer Underline = -1;          // index of the character a prefix underlines, or -1
  bool Visible = true;             // false: a partly visible last line under DT_EDITCONTROL
};

struct DrawTextLayout {
  std::vector<TextLine> Lines;
  TRect CalcRect;            // the rectangle DT_CALCRECT answers
  Integer Result = 0;        // DrawTextA's return value
  Integer LineHeight = 0;
  bool Modified = false;     // an ellipsis changed the first line (DT_MODIFYSTRING)
  String ModifiedText;
};

struct DrawTextMargins {
  Integer Left = 0, Right = 0;
  Integer TabLength = 0;     // in average character widths; 0 = from the flags or 8
};

// Lays out text[0..count) in `rect` as DrawTextA does with `format`. count is the
// byte count (already resolved from -1). The rules:
// - Lines end at CR LF (one break), or at a CR or LF alone; a final break adds no empty
//   line. Under DT_SINGLELINE CR and LF are ordinary characters.
// - Prefixes (unless DT_NOPREFIX): "&x" shows x underlined (the last such character of a
//   line), "&&" shows "&", a final "&" shows nothing.
// - DT_WORDBREAK breaks after the last word that fits, dropping the blanks (spaces, tabs)
//   at the break; blanks never force a break. A word wider than the line stays whole on
//   a line of its own (widening DT_CALCRECT's rectangle), or with DT_EDITCONTROL is
//   broken after the last character that fits. Every line holds at least one character.
// - DT_EXPANDTABS: stops every N average widths from the line start; N is the margins'
//   tab length, else bits 8-15 of the format with DT_TABSTOP (the flags those bits hold
//   still act, so DT_TABSTOP | DT_CALCRECT measures with tabs of 4), else 8.
// - Ellipses shorten each line wider than the rectangle (never under DT_CALCRECT):
//   DT_END_ELLIPSIS cuts at the end and adds "...", DT_WORD_ELLIPSIS cuts at the end of a
//   word, DT_PATH_ELLIPSIS keeps the part after the last '\' or '/' and cuts the part
//   before it from its end, "..." between.
// - DT_VCENTER and DT_BOTTOM act only with DT_SINGLELINE.
// - DT_EDITCONTROL hides lines after the first whose bottom is below the rectangle.
// - DT_CALCRECT: right = left + margins + widest line, bottom = top + lines x line height;
//   no text at all (several lines allowed) gives the empty rectangle at the top-left.
// - The result is lines x line height (one line's height when there is no text); with
//   DT_SINGLELINE and DT_VCENTER/DT_BOTTOM, the text bottom's offset from the rectangle
//   top, where 0 is answered as 1.
// - DT_RTLREADING, DT_INTERNAL and DT_NOFULLWIDTHCHARBREAK change nothing for single-byte
//   left-to-right text.
DrawTextLayout LayoutDrawText(FontInstance& font, const Byte* text, Integer count, const TRect& rect,
                              UINT format, const DrawTextMargins& margins);
