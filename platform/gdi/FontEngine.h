// The font engine: logical font descriptions realised as sized faces with metrics,
// integer advances, grey-scale glyph images and glyph outlines, all in device pixels at
// 96 DPI. No device context is needed here; the text functions build on it.
//
// Faces come from a fixed table (FontFaces.cpp): each logical name maps to one packaged
// family and reports a fixed TrueType flag:
//   "MS Sans Serif", "MS Shell Dlg", "System"  -> Liberation Sans, not TrueType
//   "Tahoma", "Arial", "MS Shell Dlg 2"        -> Liberation Sans, TrueType
//   "Courier New"                              -> Liberation Mono, TrueType
//   any other name -> as "MS Sans Serif" (as "Arial" when only TrueType output is asked).
// Characters a family lacks come from DejaVu Sans. Faces that are not TrueType ignore the
// escapement, as raster faces cannot be turned. The orientation is kept but glyphs always
// turn with the escapement.
//
// The built-in face "Tessaloom Test" needs no files and has exactly known metrics and box
// glyphs, for layout and pixel tests:
//   - character height (em) E and cell height H:
//       Height < 0: E = -Height, internal leading = round(E/4), H = E + internal leading;
//       Height > 0: H = Height, internal leading = round(H/5), E = H - internal leading;
//       Height = 0: as Height = 16;
//   - ascent = round(0.8 H), descent = H - ascent;
//   - every character advances by round(0.6 E) (at least 1), or by Width when Width > 0;
//   - blank characters (space, no-break space, control characters) draw nothing; every
//     other character is a filled box, columns 0 .. advance-2 of its cell, rows
//     internal leading .. H-1 (the em square from the top of the em to the cell bottom);
//   - underline: row ascent + 1 (cell coordinates), strike-out: row ascent - E/3,
//     both max(1, E/16) thick.
//   For example Height -16 gives E 16, H 20, ascent 16, descent 4, advance 10.
#pragma once

#include "platform/gdi/Gdi.h"
#include "platform/kernel/Types.h"

#include <array>
#include <memory>
#include <stdexcept>
#include <vector>

// Raised when a font package the face table relies on is not installed.
class FontPackageMissing : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

inline constexpr char kTestFaceName[] = "Tessaloom Test";

// What a logical font asks for (the fields of a LOGFONT that shape the glyphs).
struct FontDesc {
  Integer Height = 0;        // < 0: character (em) height; > 0: cell height; 0: default
  Integer Width = 0;         // average character width; 0 or less: natural
  Integer Escapement = 0;    // tenths of a degree, counter-clockwise
  Integer Orientation = 0;
  Integer Weight = 0;        // 0: normal (400); 600 and more draws bold
  bool Italic = false;
  bool Underline = false;
  bool StrikeOut = false;
  Byte OutPrecision = 0;     // OUT_TT_ONLY_PRECIS (7) picks a TrueType face for unknown names
  String FaceName;           // matched without regard to case
};

// The content of TEXTMETRICA, plus where the font draws its lines.
struct FontMetrics {
  Integer Height = 0, Ascent = 0, Descent = 0, InternalLeading = 0, ExternalLeading = 0;
  Integer AveCharWidth = 0, MaxCharWidth = 0, Weight = 400, Overhang = 0;
  Integer DigitizedAspectX = 96, DigitizedAspectY = 96;
  Byte FirstChar = 0x1E, LastChar = 0xFF, DefaultChar = 0x1F, BreakChar = 0x20;
  Byte Italic = 0, Underlined = 0, StruckOut = 0, PitchAndFamily = 0, CharSet = 0;
  // Cell rows (0 = top of the cell) of the first underline and strike-out row.
  Integer UnderlineRow = 0, UnderlineThickness = 1, StrikeOutRow = 0, StrikeOutThickness = 1;
};

// A glyph's grey-scale image. (Left, Top) is its top-left pixel relative to the pen
// position on the baseline (y grows downwards).
struct GlyphImage {
  Integer Left = 0, Top = 0, Width = 0, Height = 0;
  std::vector<Byte> Coverage;   // Width * Height values, 0 = none .. 255 = full
};

// Glyph outlines as a path in device pixels (y grows downwards).
struct TextPath {
  enum class Verb : Byte { Move, Line, Quad, Cubic, Close };   // 1, 1, 2, 3, 0 points
  struct PointF {
    double X = 0, Y = 0;
  };
  std::vector<Verb> Verbs;
  std::vector<PointF> Points;

  bool IsEmpty() const { return Verbs.empty(); }
  void MoveTo(double x, double y);
  void LineTo(double x, double y);
  void QuadTo(double cx, double cy, double x, double y);
  void CubicTo(double c1x, double c1y, double c2x, double c2y, double x, double y);
  void Close();
  // Bounds of every point, control points included: {0,0,0,0} when empty.
  void Bounds(double& left, double& top, double& right, double& bottom) const;
  // The same path with curves replaced by line segments (at most `tolerance` pixels off).
  TextPath Flattened(double tolerance = 0.25) const;
};

// One face realised at one size and style. Instances are owned by the font cache.
class FontInstance {
 public:
  virtual ~FontInstance() = default;
  FontInstance(const FontInstance&) = delete;
  FontInstance& operator=(const FontInstance&) = delete;

  // Metrics of the realised size and style; the Italic/Underlined/StruckOut/Weight
  // fields describe the instance, see MetricsFor() for a logical font's own.
  const FontMetrics& Metrics() const { return metrics_; }
  bool IsTrueType() const { return (metrics_.PitchAndFamily & TMPF_TRUETYPE) != 0; }
  // The face name the table reports for this font (GetTextFaceA).
  const String& FaceName() const { return faceName_; }

  Integer Advance(Byte ch);
  // The reference stays valid until the next Advance or Image call: images of large sizes
  // are not all kept (the cache holds a bounded number of bytes).
  const GlyphImage& Image(Byte ch);
  // Appends the outline of `ch` drawn with its pen position at (penX, baselineY).
  virtual void AppendOutline(Byte ch, double penX, double baselineY, TextPath& path) = 0;

 protected:
  struct CachedGlyph {
    Integer Advance = 0;
    GlyphImage Image;
  };
  FontInstance() = default;
  // The glyph's advance, and its image when `image` is set.
  virtual CachedGlyph Load(Byte ch, bool image) = 0;

  FontMetrics metrics_;
  String faceName_;

 private:
  void Store(Byte ch, CachedGlyph&& g, bool image);

  std::array<Integer, 256> advances_{};
  std::array<bool, 256> haveAdvance_{};
  std::array<std::unique_ptr<GlyphImage>, 256> images_;
  size_t imageBytes_ = 0;
};

// The realised font for a description. The reference stays valid until the next call
// (the cache may be trimmed then) or FinalizeFonts.
FontInstance& RealizeFont(const FontDesc& desc);
// The instance's metrics with the logical font's own weight, italic, underline and
// strike-out flags (what GetTextMetricsA answers).
FontMetrics MetricsFor(const FontDesc& desc);
// The escapement text is drawn with: the logical font's, normalised to 0..3599, or 0
// for faces that are not TrueType (they cannot be rotated).
Integer EffectiveEscapement(const FontDesc& desc);
// Whether the face table reports the face a description resolves to as TrueType.
bool IsTrueTypeFace(const FontDesc& desc);

// Loads the font configuration (fontconfig) and locates the default face; every other
// family and style is located when first used. Called on first use of a packaged face;
// start-up may call it to fail early. Throws FontPackageMissing naming the package.
void InitializeFonts();
// Drops every realised font and releases FreeType and fontconfig.
void FinalizeFonts();

// Advance of each character of s[0..n), as integers.
void TextAdvances(FontInstance& font, const Byte* s, Integer n, std::vector<Integer>& out);
Integer TextWidth(FontInstance& font, const Byte* s, Integer n);
