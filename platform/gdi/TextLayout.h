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
// byte count (already resolved from -1).
DrawTextLayout LayoutDrawText(FontInstance& font, const Byte* text, Integer count, const TRect& rect,
                              UINT format, const DrawTextMargins& margins);
