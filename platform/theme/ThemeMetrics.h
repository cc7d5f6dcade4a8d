// The stand-in's look in one place: the colours of the current colour variant and, per
// class and part, the margins, sizes, transparency and colour properties. Drawing, the
// queries and the tests all read these tables.
#pragma once

#include "platform/kernel/Types.h"

#include <cstdint>

enum class ThemeVariant { Blue, Olive, Silver };

struct ThemeColors {
  COLORREF frame;          // borders of buttons, boxes and fields
  COLORREF faceTop;        // button gradient
  COLORREF faceBottom;
  COLORREF pressedTop;
  COLORREF pressedBottom;
  COLORREF hot;            // hot-tracking accent
  COLORREF defaulted;      // default-button accent
  COLORREF disabledFace;
  COLORREF disabledFrame;
  COLORREF disabledText;
  COLORREF text;
  COLORREF glyph;          // arrows, +/- and chevrons
  COLORREF check;          // check marks and radio dots
  COLORREF window;         // field fill
  COLORREF track;          // scroll-bar and channel fill
  COLORREF groupFrame;
  COLORREF groupText;
  COLORREF headerTop;
  COLORREF headerBottom;
  COLORREF headerLine;
  COLORREF close;          // small close button
  COLORREF light;          // highlight half of edges
  COLORREF dark;           // shadow half of edges
};

// The colours of a variant; the current variant follows the configured colour name.
const ThemeColors& ThemeColorsOf(ThemeVariant variant);
const ThemeColors& ThemeCurrentColors();

enum class ThemeRegionShape { Rect, Rounded, Ellipse };
enum class ThemeColorSource { None, Frame, Window, Text, GroupText, Face };

struct ThemePartInfo {
  const char* className;
  int part;
  int firstState, lastState;
  TRect margins;           // content insets, the same for every size
  bool transparent;
  TSize minSize, trueSize; // zero: GetThemePartSize fails
  ThemeColorSource border, fill, text;  // None: the property is not defined
  ThemeRegionShape region;
};

// Every class/part the stand-in knows, in a fixed order (the gallery walks it).
const ThemePartInfo* ThemePartTable(int* count);
// The entry of a class and part; nullptr for an unlisted combination (drawn generically).
const ThemePartInfo* ThemeFindPart(const String& className, int part);
// Every class name OpenThemeData accepts (case-insensitive).
const char* const* ThemeClassNames(int* count);
