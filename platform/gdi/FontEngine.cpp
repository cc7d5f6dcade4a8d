#include "platform/gdi/FontEngine.h"

#include "platform/gdi/FontFaces.h"
#include "platform/kernel/CodePage.h"

#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_OUTLINE_H
#include FT_SYNTHESIS_H
#include FT_TRUETYPE_TABLES_H

#include <algorithm>
#include <cmath>
#include <map>
#include <tuple>

namespace {

// Sizes beyond these are clamped: a glyph image grows with the square of the size.
constexpr Integer kMaxEm = 2000;
constexpr Integer kDefaultCellHeight = 16;
// One load mode for every glyph: light hinting, grey-scale antialiasing.
constexpr FT_Int32 kLoadFlags = FT_LOAD_DEFAULT | FT_LOAD_TARGET_LIGHT;

Integer RoundDiv(Integer a, Integer b) { return (a + b / 2) / b; }   // a >= 0, b > 0
Integer RoundToInt(double v) { return static_cast<Integer>(std::lround(v)); }

bool IsBold(const FontDesc& d) { return d.Weight >= 600; }

// ---------------------------------------------------------------------------------
// The built-in test face.

class TestFontInstance final : public FontInstance {
 public:
  TestFontInstance(const FaceEntry& face, Integer height, Integer width) {
    Integer cell, em, leading;
    if (height < 0) {
      em = std::min(-height, kMaxEm);
      leading = RoundDiv(em, 4);
      cell = em + leading;
    } else {
      cell = std::min(height == 0 ? kDefaultCellHeight : height, kMaxEm);
      leading = RoundDiv(cell, 5);
      em = cell - leading;
    }
    em_ = std::max(em, 1);
    advance_ = width > 0 ? std::min(width, kMaxEm) : std::max(1, RoundDiv(3 * em_, 5));
    FontMetrics& m = metrics_;
    m.Height = cell;
    m.Ascent = RoundDiv(4 * cell, 5);
    m.Descent = cell - m.Ascent;
    m.InternalLeading = leading;
    m.ExternalLeading = 0;
    m.AveCharWidth = advance_;
    m.MaxCharWidth = advance_;
    m.PitchAndFamily = Byte(face.FamilyBits | TMPF_VECTOR | TMPF_TRUETYPE);
    m.UnderlineThickness = std::max(1, em_ / 16);
    m.StrikeOutThickness = m.UnderlineThickness;
    m.UnderlineRow = m.Ascent + 1;
    m.StrikeOutRow = m.Ascent - em_ / 3;
    faceName_ = face.Name;
  }

  void AppendOutline(Byte ch, double penX, double baselineY, TextPath& path) override {
    if (IsBlank(ch)) return;
    double top = baselineY - (metrics_.Ascent - metrics_.InternalLeading);
    double bottom = baselineY + metrics_.Descent;
    double right = penX + std::max(1, advance_ - 1);
    path.MoveTo(penX, top);
    path.LineTo(right, top);
    path.LineTo(right, bottom);
    path.LineTo(penX, bottom);
    path.Close();
  }

 private:
  static bool IsBlank(Byte ch) { return ch <= 0x20 || ch == 0xA0 || ch == 0x7F; }

  CachedGlyph Load(Byte ch, bool image) override {
    CachedGlyph g;
    g.Advance = advance_;
    if (IsBlank(ch) || !image) return g;
    GlyphImage& img = g.Image;
    img.Left = 0;
    img.Top = -(metrics_.Ascent - metrics_.InternalLeading);
    img.Width = std::max(1, advance_ - 1);
    img.Height = metrics_.Height - metrics_.InternalLeading;
    img.Coverage.assign(size_t(img.Width) * size_t(img.Height), 255);
    return g;
  }

  Integer em_ = 1;
  Integer advance_ = 1;
};

// ---------------------------------------------------------------------------------
// Packaged faces through FreeType.

FT_Library& LibrarySlot() {
  static FT_Library library = nullptr;
  return library;
}
FT_Library Library() {
  FT_Library& library = LibrarySlot();
  if (!library && FT_Init_FreeType(&library) != 0) {
    library = nullptr;
    throw FontPackageMissing("FreeType could not be initialised");
  }
  return library;
}

struct OutlineSink {
  TextPath* Path;
  double X, Y;
  double Px(const FT_Vector* v) const { return X + v->x / 64.0; }
  double Py(const FT_Vector* v) const { return Y - v->y / 64.0; }
};

int OutlineMove(const FT_Vector* to, void* user) {
  auto* s = static_cast<OutlineSink*>(user);
  if (!s->Path->Verbs.empty() && s->Path->Verbs.back() != TextPath::Verb::Close) s->Path->Close();
  s->Path->MoveTo(s->Px(to), s->Py(to));
  return 0;
}
int OutlineLine(const FT_Vector* to, void* user) {
  auto* s = static_cast<OutlineSink*>(user);
  s->Path->LineTo(s->Px(to), s->Py(to));
  return 0;
}
int OutlineConic(const FT_Vector* c, const FT_Vector* to, void* user) {
  auto* s = static_cast<OutlineSink*>(user);
  s->Path->QuadTo(s->Px(c), s->Py(c), s->Px(to), s->Py(to));
  return 0;
}
int OutlineCubic(const FT_Vector* c1, const FT_Vector* c2, const FT_Vector* to, void* user) {
  auto* s = static_cast<OutlineSink*>(user);
  s->Path->CubicTo(s->Px(c1), s->Py(c1), s->Px(c2), s->Py(c2), s->Px(to), s->Py(to));
  return 0;
}

class FreeTypeFace {
 public:
  FreeTypeFace(const FaceFile& file, FT_F26Dot6 xppem, FT_F26Dot6 yppem) : file_(file) {
    if (FT_New_Face(Library(), file.Path.c_str(), file.Index, &face_) != 0) {
      face_ = nullptr;
      throw FontPackageMissing("cannot open font file " + file.Path);
    }
    FT_Set_Char_Size(face_, xppem, yppem, 72, 72);
  }
  ~FreeTypeFace() {
    if (face_) FT_Done_Face(face_);
  }
  FreeTypeFace(const FreeTypeFace&) = delete;
  FreeTypeFace& operator=(const FreeTypeFace&) = delete;

  FT_Face Face() const { return face_; }
  FT_UInt Index(char32_t cp) const { return FT_Get_Char_Index(face_, cp); }

  // Loads a glyph into the slot with the fixed mode and the style synthesis applied.
  bool Load(FT_UInt index) {
    if (FT_Load_Glyph(face_, index, kLoadFlags) != 0) return false;
    if (face_->glyph->format != FT_GLYPH_FORMAT_OUTLINE) return true;
    if (file_.SynthesizeBold) FT_GlyphSlot_Embolden(face_->glyph);
    if (file_.SynthesizeItalic) FT_GlyphSlot_Oblique(face_->glyph);
    return true;
  }

 private:
  FaceFile file_;
  FT_Face face_ = nullptr;
};

class FreeTypeFontInstance final : public FontInstance {
 public:
  FreeTypeFontInstance(const FaceEntry& face, Integer height, Integer width, bool bold, bool italic)
      : bold_(bold), italic_(italic) {
    const FaceFile& file = LocateFace(face.Family, bold, italic);
    // Read the design metrics at an arbitrary size first; they are in font units.
    primary_ = std::make_unique<FreeTypeFace>(file, 64 * 16, 64 * 16);
    FT_Face f = primary_->Face();
    const auto* os2 = static_cast<const TT_OS2*>(FT_Get_Sfnt_Table(f, FT_SFNT_OS2));
    const auto* hhea = static_cast<const TT_HoriHeader*>(FT_Get_Sfnt_Table(f, FT_SFNT_HHEA));
    double upem = f->units_per_EM > 0 ? f->units_per_EM : 2048;
    double winAscent = os2 ? os2->usWinAscent : f->ascender;
    double winDescent = os2 ? os2->usWinDescent : -f->descender;
    if (winAscent + winDescent <= 0) {
      winAscent = upem * 0.9;
      winDescent = upem * 0.2;
    }
    double ppem;
    FontMetrics& m = metrics_;
    if (height < 0) {
      ppem = std::min(-height, kMaxEm);
      m.Ascent = RoundToInt(winAscent * ppem / upem);
      m.Descent = RoundToInt(winDescent * ppem / upem);
    } else {
      Integer cell = std::min(height == 0 ? kDefaultCellHeight : height, kMaxEm);
      ppem = cell * upem / (winAscent + winDescent);
      m.Ascent = RoundToInt(winAscent * ppem / upem);
      m.Descent = cell - m.Ascent;
    }
    ppem = std::max(ppem, 1.0);
    m.Height = m.Ascent + m.Descent;
    m.InternalLeading = std::max(0, m.Height - RoundToInt(ppem));
    if (hhea) {
      double gap = hhea->Line_Gap - ((winAscent + winDescent) - (hhea->Ascender - hhea->Descender));
      m.ExternalLeading = std::max(0, RoundToInt(gap * ppem / upem));
    }
    double scale = ppem / upem;
    double naturalAverage = (os2 && os2->xAvgCharWidth > 0 ? os2->xAvgCharWidth : upem / 2) * scale;
    double xScale = 1.0;
    if (width > 0 && naturalAverage > 0) {
      xScale = std::min<double>(width, kMaxEm) / naturalAverage;
      xScale = std::min(xScale, kMaxEm / ppem);   // glyphs no wider than the largest size
    }
    xppem_ = static_cast<FT_F26Dot6>(std::lround(ppem * xScale * 64));
    yppem_ = static_cast<FT_F26Dot6>(std::lround(ppem * 64));
    FT_Set_Char_Size(f, xppem_, yppem_, 72, 72);
    m.AveCharWidth = width > 0 ? std::min(width, kMaxEm) : std::max(1, RoundToInt(naturalAverage));
    m.MaxCharWidth = std::max(m.AveCharWidth, RoundToInt(f->max_advance_width * scale * xScale));
    m.PitchAndFamily = face.FamilyBits;
    if (!face.FixedPitch) m.PitchAndFamily |= TMPF_FIXED_PITCH;
    if (face.TrueType) m.PitchAndFamily |= TMPF_VECTOR | TMPF_TRUETYPE;
    m.Weight = bold ? 700 : 400;
    m.Italic = italic ? 1 : 0;
    m.Overhang = 0;
    m.UnderlineThickness = std::max(1, RoundToInt(f->underline_thickness * scale));
    m.UnderlineRow = m.Ascent + std::max(1, RoundToInt(-f->underline_position * scale) -
                                                m.UnderlineThickness / 2);
    if (os2 && os2->yStrikeoutSize > 0) {
      m.StrikeOutThickness = std::max(1, RoundToInt(os2->yStrikeoutSize * scale));
      m.StrikeOutRow = m.Ascent - RoundToInt(os2->yStrikeoutPosition * scale);
    } else {
      m.StrikeOutThickness = m.UnderlineThickness;
      m.StrikeOutRow = m.Ascent - RoundToInt(ppem / 3);
    }
    faceName_ = face.Name;
  }

  void AppendOutline(Byte ch, double penX, double baselineY, TextPath& path) override {
    FreeTypeFace* face = nullptr;
    FT_UInt index = Lookup(ch, face);
    if (!face->Load(index)) return;
    FT_GlyphSlot slot = face->Face()->glyph;
    if (slot->format != FT_GLYPH_FORMAT_OUTLINE) return;
    FT_Outline_Funcs funcs{};
    funcs.move_to = OutlineMove;
    funcs.line_to = OutlineLine;
    funcs.conic_to = OutlineConic;
    funcs.cubic_to = OutlineCubic;
    OutlineSink sink{&path, penX, baselineY};
    size_t before = path.Verbs.size();
    FT_Outline_Decompose(&slot->outline, &funcs, &sink);
    if (path.Verbs.size() > before && path.Verbs.back() != TextPath::Verb::Close) path.Close();
  }

 private:
  // The glyph index of a character and the face holding it: the family's own glyph,
  // else the fallback family's, else the family's missing-glyph box.
  FT_UInt Lookup(Byte ch, FreeTypeFace*& face) {
    char32_t cp = CpToUnicode(ch);
    FT_UInt index = primary_->Index(cp);
    face = primary_.get();
    if (index != 0 || cp < 0x20) return index;
    if (!fallback_) {
      fallback_ = std::make_unique<FreeTypeFace>(LocateFace(FontFamily::Fallback, bold_, italic_),
                                                 xppem_, yppem_);
    }
    FT_UInt other = fallback_->Index(cp);
    if (other != 0) {
      face = fallback_.get();
      return other;
    }
    return 0;
  }

  CachedGlyph Load(Byte ch, bool image) override {
    CachedGlyph g;
    FreeTypeFace* face = nullptr;
    FT_UInt index = Lookup(ch, face);
    if (!face->Load(index)) return g;
    FT_GlyphSlot slot = face->Face()->glyph;
    g.Advance = static_cast<Integer>((slot->advance.x + 32) >> 6);
    if (!image) return g;
    if (slot->format != FT_GLYPH_FORMAT_BITMAP &&
        FT_Render_Glyph(slot, FT_RENDER_MODE_NORMAL) != 0) {
      return g;
    }
    const FT_Bitmap& bm = slot->bitmap;
    if (bm.width == 0 || bm.rows == 0 || bm.pixel_mode != FT_PIXEL_MODE_GRAY) return g;
    GlyphImage& img = g.Image;
    img.Left = slot->bitmap_left;
    img.Top = -slot->bitmap_top;
    img.Width = static_cast<Integer>(bm.width);
    img.Height = static_cast<Integer>(bm.rows);
    img.Coverage.resize(size_t(img.Width) * size_t(img.Height));
    for (Integer y = 0; y < img.Height; ++y) {
      const unsigned char* row = bm.buffer + std::ptrdiff_t(y) * bm.pitch;
      std::copy(row, row + img.Width, img.Coverage.begin() + std::ptrdiff_t(y) * img.Width);
    }
    return g;
  }

  bool bold_, italic_;
  FT_F26Dot6 xppem_ = 0, yppem_ = 0;
  std::unique_ptr<FreeTypeFace> primary_;
  std::unique_ptr<FreeTypeFace> fallback_;
};

// ---------------------------------------------------------------------------------
// The cache of realised fonts.

using CacheKey = std::tuple<const FaceEntry*, Integer, Integer, bool, bool>;
constexpr size_t kCacheLimit = 64;

std::map<CacheKey, std::unique_ptr<FontInstance>>& Cache() {
  static std::map<CacheKey, std::unique_ptr<FontInstance>> cache;
  return cache;
}

}  // namespace

// ---------------------------------------------------------------------------------

void FontInstance::Store(Byte ch, CachedGlyph&& g, bool image) {
  advances_[ch] = g.Advance;
  haveAdvance_[ch] = true;
  if (!image || images_[ch]) return;
  // Small sizes keep every image; large ones start over when the budget is spent.
  constexpr size_t kImageBudget = size_t(8) << 20;
  if (imageBytes_ + g.Image.Coverage.size() > kImageBudget) {
    for (auto& image : images_) image.reset();
    imageBytes_ = 0;
  }
  imageBytes_ += g.Image.Coverage.size();
  images_[ch] = std::make_unique<GlyphImage>(std::move(g.Image));
}

Integer FontInstance::Advance(Byte ch) {
  if (!haveAdvance_[ch]) Store(ch, Load(ch, false), false);
  return advances_[ch];
}

const GlyphImage& FontInstance::Image(Byte ch) {
  if (!images_[ch]) Store(ch, Load(ch, true), true);
  return *images_[ch];
}

void TextPath::MoveTo(double x, double y) {
  Verbs.push_back(Verb::Move);
  Points.push_back({x, y});
}
void TextPath::LineTo(double x, double y) {
  Verbs.push_back(Verb::Line);
  Points.push_back({x, y});
}
void TextPath::QuadTo(double cx, double cy, double x, double y) {
  Verbs.push_back(Verb::Quad);
  Points.push_back({cx, cy});
  Points.push_back({x, y});
}
void TextPath::CubicTo(double c1x, double c1y, double c2x, double c2y, double x, double y) {
  Verbs.push_back(Verb::Cubic);
  Points.push_back({c1x, c1y});
  Points.push_back({c2x, c2y});
  Points.push_back({x, y});
}
void TextPath::Close() { Verbs.push_back(Verb::Close); }

void TextPath::Bounds(double& left, double& top, double& right, double& bottom) const {
  left = top = right = bottom = 0;
  if (Points.empty()) return;
  left = right = Points[0].X;
  top = bottom = Points[0].Y;
  for (const PointF& p : Points) {
    left = std::min(left, p.X);
    right = std::max(right, p.X);
    top = std::min(top, p.Y);
    bottom = std::max(bottom, p.Y);
  }
}

TextPath TextPath::Flattened(double tolerance) const {
  TextPath out;
  tolerance = std::max(tolerance, 0.01);
  size_t pi = 0;
  PointF cur{}, start{};
  auto segments = [&](double length) {
    return std::clamp(static_cast<int>(std::ceil(std::sqrt(length / tolerance))), 1, 64);
  };
  auto dist = [](PointF a, PointF b) { return std::hypot(a.X - b.X, a.Y - b.Y); };
  for (Verb v : Verbs) {
    switch (v) {
      case Verb::Move:
        cur = start = Points[pi++];
        out.MoveTo(cur.X, cur.Y);
        break;
      case Verb::Line:
        cur = Points[pi++];
        out.LineTo(cur.X, cur.Y);
        break;
      case Verb::Quad: {
        PointF c = Points[pi], e = Points[pi + 1];
        pi += 2;
        int n = segments(dist(cur, c) + dist(c, e));
        for (int i = 1; i <= n; ++i) {
          double t = double(i) / n, u = 1 - t;
          out.LineTo(u * u * cur.X + 2 * u * t * c.X + t * t * e.X,
                     u * u * cur.Y + 2 * u * t * c.Y + t * t * e.Y);
        }
        cur = e;
        break;
      }
      case Verb::Cubic: {
        PointF c1 = Points[pi], c2 = Points[pi + 1], e = Points[pi + 2];
        pi += 3;
        int n = segments(dist(cur, c1) + dist(c1, c2) + dist(c2, e));
        for (int i = 1; i <= n; ++i) {
          double t = double(i) / n, u = 1 - t;
          double a = u * u * u, b = 3 * u * u * t, c = 3 * u * t * t, d = t * t * t;
          out.LineTo(a * cur.X + b * c1.X + c * c2.X + d * e.X,
                     a * cur.Y + b * c1.Y + c * c2.Y + d * e.Y);
        }
        cur = e;
        break;
      }
      case Verb::Close:
        out.Close();
        cur = start;
        break;
    }
  }
  return out;
}

FontInstance& RealizeFont(const FontDesc& desc) {
  const FaceEntry& face = ResolveFace(desc.FaceName, desc.OutPrecision);
  bool bold = IsBold(desc), italic = desc.Italic;
  Integer width = std::max(desc.Width, 0);
  // Heights and widths beyond what can be drawn are clamped (this also keeps the
  // negation of the most negative height defined).
  Integer height = std::clamp(desc.Height, -kMaxEm, kMaxEm);
  width = std::min(width, kMaxEm);
  CacheKey key{&face, height, width, bold, italic};
  auto& cache = Cache();
  auto it = cache.find(key);
  if (it != cache.end()) return *it->second;
  if (cache.size() >= kCacheLimit) cache.clear();
  std::unique_ptr<FontInstance> font;
  if (face.Family == FontFamily::Test) {
    font = std::make_unique<TestFontInstance>(face, height, width);
  } else {
    font = std::make_unique<FreeTypeFontInstance>(face, height, width, bold, italic);
  }
  return *cache.emplace(key, std::move(font)).first->second;
}

FontMetrics MetricsFor(const FontDesc& desc) {
  FontMetrics m = RealizeFont(desc).Metrics();
  m.Weight = desc.Weight > 0 ? std::min(desc.Weight, 1000) : 400;
  m.Italic = desc.Italic ? 1 : 0;
  m.Underlined = desc.Underline ? 1 : 0;
  m.StruckOut = desc.StrikeOut ? 1 : 0;
  return m;
}

bool IsTrueTypeFace(const FontDesc& desc) {
  return ResolveFace(desc.FaceName, desc.OutPrecision).TrueType;
}

Integer EffectiveEscapement(const FontDesc& desc) {
  if (!IsTrueTypeFace(desc)) return 0;
  Integer e = desc.Escapement % 3600;
  return e < 0 ? e + 3600 : e;
}

void FinalizeFonts() {
  Cache().clear();
  if (FT_Library& library = LibrarySlot()) {
    FT_Done_FreeType(library);
    library = nullptr;
  }
  ForgetFaceFiles();
}

void TextAdvances(FontInstance& font, const Byte* s, Integer n, std::vector<Integer>& out) {
  out.resize(size_t(std::max(n, 0)));
  for (Integer i = 0; i < n; ++i) out[size_t(i)] = font.Advance(s[i]);
}

Integer TextWidth(FontInstance& font, const Byte* s, Integer n) {
  Integer w = 0;
  for (Integer i = 0; i < n; ++i) w += font.Advance(s[i]);
  return w;
}
