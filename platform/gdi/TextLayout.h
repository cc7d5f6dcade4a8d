// Text layout without a device: tab stops, prefix characters, line breaking, ellipses and
// the placement rules of DrawTextA, computed against a realised font. The text functions
// draw what this computes, so the rules are testable on their own.
#pragma once

#include "platform/gdi/FontEngine.h"

#include <vector>

// DrawTextA/DrawTextExA format flags.
inline constexpr UINT DT_TOP = 0x00000000;
inline constexpr UINT DT_LEFT = 0x00000000;
inline constexpr UINT DT_CENTER = 0x00000001;
inline constexpr UINT DT_RIGHT = 0x00000002;
inline constexpr UINT DT_VCENTER = 0x00000004;
inline constexpr UINT DT_BOTTOM = 0x00000008;
inline constexpr UINT DT_WORDBREAK = 0x00000010;
inline constexpr UINT DT_SINGLELINE = 0x00000020;
inline constexpr UINT DT_EXPANDTABS = 0x00000040;
inline constexpr UINT DT_TABSTOP = 0x00000080;
inline constexpr UINT DT_NOCLIP = 0x00000100;
inline constexpr UINT DT_EXTERNALLEADING = 0x00000200;
inline constexpr UINT DT_CALCRECT = 0x00000400;
inline constexpr UINT DT_NOPREFIX = 0x00000800;
inline constexpr UINT DT_INTERNAL = 0x00001000;
inline constexpr UINT DT_EDITCONTROL = 0x00002000;
inline constexpr UINT DT_PATH_ELLIPSIS = 0x00004000;
inline constexpr UINT DT_END_ELLIPSIS = 0x00008000;
inline constexpr UINT DT_MODIFYSTRING = 0x00010000;
inline constexpr UINT DT_RTLREADING = 0x00020000;
inline constexpr UINT DT_WORD_ELLIPSIS = 0x00040000;
inline constexpr UINT DT_NOFULLWIDTHCHARBREAK = 0x00080000;
inline constexpr UINT DT_HIDEPREFIX = 0x00100000;
inline constexpr UINT DT_PREFIXONLY = 0x00200000;

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
