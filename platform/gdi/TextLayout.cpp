#include "platform/gdi/TextLayout.h"

#include <algorithm>
#include <cstdlib>

TabStops::TabStops(Integer origin, Integer aveCharWidth, Integer count, const INT* stops)
    : Origin(origin), DefaultWidth(std::max(1, 8 * aveCharWidth)) {
  if (!stops || count <= 0) return;
  if (count == 1) {
    Integer every = stops[0] == INT32_MIN ? INT32_MAX : std::abs(stops[0]);
    if (every > 0) DefaultWidth = every;
    return;
  }
  for (Integer i = 0; i < count; ++i) {
    Integer s = stops[i] == INT32_MIN ? INT32_MAX : std::abs(stops[i]);
    Stops.push_back(s);
  }
  std::sort(Stops.begin(), Stops.end());
}

Integer TabStops::Next(Integer x) const {
  Int64 rel = Int64(x) - Origin;
  for (Integer s : Stops) {
    if (s > rel) return Integer(std::min<Int64>(Origin + Int64(s), INT32_MAX));
  }
  Int64 q = rel / DefaultWidth;
  if (rel % DefaultWidth != 0 && rel < 0) --q;   // floor division
  Int64 k = q + 1;
  return Integer(std::clamp<Int64>(Origin + k * DefaultWidth, INT32_MIN, INT32_MAX));
}

Integer TabbedAdvances(FontInstance& font, const Byte* s, Integer n, Integer x, const TabStops& tabs,
                       std::vector<Integer>& advances) {
  advances.resize(size_t(std::max(n, 0)));
  Int64 pen = x;
  for (Integer i = 0; i < n; ++i) {
    Integer a = font.Advance(s[i]);
    if (s[i] == '\t') {
      Int64 stop = tabs.Next(Integer(std::clamp<Int64>(pen, INT32_MIN, INT32_MAX)));
      a = Integer(std::clamp<Int64>(stop - pen, 0, INT32_MAX));
    }
    advances[size_t(i)] = a;
    pen += a;
  }
  return Integer(std::clamp<Int64>(pen - x, INT32_MIN, INT32_MAX));
}

Integer FitCount(const std::vector<Integer>& advances, Integer maxExtent) {
  Int64 x = 0;
  Integer fit = 0;
  for (Integer a : advances) {
    x += a;
    if (x > maxExtent) break;
    ++fit;
  }
  return fit;
}

namespace {

Integer Clamp32(Int64 v) { return Integer(std::clamp<Int64>(v, INT32_MIN, INT32_MAX)); }

struct Unit {
  Byte Ch;
  bool Prefixed;
};

bool IsBlank(Byte ch) { return ch == ' ' || ch == '\t'; }
bool IsBreak(Byte ch) { return ch == '\r' || ch == '\n'; }

class Layouter {
 public:
  Layouter(FontInstance& font, UINT format, Int64 tabWidth)
      : font_(font), format_(format), tabWidth_(std::clamp<Int64>(tabWidth, 1, INT32_MAX)) {}

  // The advance of a unit drawn at x (relative to the line start).
  Integer Advance(Byte ch, Int64 x) const {
    if (ch == '\t' && (format_ & DT_EXPANDTABS)) return Integer((x / tabWidth_ + 1) * tabWidth_ - x);
    return font_.Advance(ch);
  }

  Int64 Measure(const std::vector<Unit>& u, size_t from, size_t to) const {
    Int64 x = 0;
    for (size_t i = from; i < to; ++i) x += Advance(u[i].Ch, x);
    return x;
  }

  // Where a line starting at `start` ends when it must fit `limit`: [start, lineEnd)
  // is shown, the next line starts at `next`. At least one unit stays on each line.
  void Fit(const std::vector<Unit>& u, size_t start, size_t end, Int64 limit, size_t& lineEnd,
           size_t& next) const {
    Int64 x = 0;
    size_t wordEnd = SIZE_MAX;   // end of the last word that is followed by a blank
    for (size_t i = start; i < end; ++i) {
      Byte ch = u[i].Ch;
      Integer a = Advance(ch, x);
      if (IsBlank(ch)) {
        if (i > start && !IsBlank(u[i - 1].Ch)) wordEnd = i;
        x += a;
        continue;   // blanks hang past the edge; they never force a break
      }
      if (x + a > limit && i > start) {
        if (wordEnd != SIZE_MAX) {
          lineEnd = wordEnd;
          next = SkipBlanks(u, wordEnd, end);
        } else if (format_ & DT_EDITCONTROL) {
          lineEnd = i;   // a word wider than the line is broken where it overflows
          next = i;
        } else {
          size_t j = i;  // a word wider than the line overflows it whole
          while (j < end && !IsBlank(u[j].Ch)) ++j;
          lineEnd = j;
          next = SkipBlanks(u, j, end);
        }
        return;
      }
      x += a;
    }
    lineEnd = end;
    next = end;
  }

  static size_t SkipBlanks(const std::vector<Unit>& u, size_t i, size_t end) {
    while (i < end && IsBlank(u[i].Ch)) ++i;
    return i;
  }

  // Shortens a line that is wider than `limit` by the ellipsis flags.
  bool Ellipsize(std::vector<Unit>& line, Int64 limit) const {
    if (Measure(line, 0, line.size()) <= limit) return false;
    const std::vector<Unit> dots(3, Unit{'.', false});
    auto fits = [&](const std::vector<Unit>& candidate) {
      return Measure(candidate, 0, candidate.size()) <= limit;
    };
    auto withTail = [&](size_t keep, const std::vector<Unit>& tail) {
      std::vector<Unit> r(line.begin(), line.begin() + std::ptrdiff_t(keep));
      r.insert(r.end(), dots.begin(), dots.end());
      r.insert(r.end(), tail.begin(), tail.end());
      return r;
    };
    if (format_ & DT_PATH_ELLIPSIS) {
      // Keep the last path part whole and cut the start of the path from its end.
      size_t sep = line.size();
      for (size_t i = line.size(); i-- > 0;) {
        if (line[i].Ch == '\\' || line[i].Ch == '/') {
          sep = i;
          break;
        }
      }
      if (sep < line.size() && sep > 0) {
        std::vector<Unit> tail(line.begin() + std::ptrdiff_t(sep), line.end());
        // Widths grow with the part of the path kept, so search for the longest that fits.
        size_t lo = 0, hi = sep;   // keep < hi; whether keep = lo fits is still open
        while (lo < hi) {
          size_t mid = lo + (hi - lo) / 2;
          if (fits(withTail(mid, tail))) {
            lo = mid + 1;
          } else {
            hi = mid;
          }
        }
        if (lo > 0) {
          line = withTail(lo - 1, tail);
          return true;
        }
        // Not even "..." and the last part fit: cut the last part at its end.
        std::vector<Unit> r = withTail(0, tail);
        while (r.size() > 1 && !fits(r)) r.pop_back();
        line = std::move(r);
        return true;
      }
    }
    return EndEllipsis(line, limit, (format_ & DT_WORD_ELLIPSIS) != 0);
  }

  bool EndEllipsis(std::vector<Unit>& line, Int64 limit, bool wholeWords) const {
    const size_t n = line.size();
    std::vector<Int64> prefix(n + 1, 0);   // pen position before each unit
    for (size_t i = 0; i < n; ++i) prefix[i + 1] = prefix[i] + Advance(line[i].Ch, prefix[i]);
    if (prefix[n] <= limit) return false;
    const Int64 dotsWidth = 3 * Int64(font_.Advance('.'));
    for (size_t keep = n; keep-- > 0;) {
      if (wholeWords && keep > 0 && !IsBlank(line[keep].Ch) && !IsBlank(line[keep - 1].Ch)) {
        continue;   // would cut inside a word
      }
      size_t k = keep;
      while (wholeWords && k > 0 && IsBlank(line[k - 1].Ch)) --k;
      if (prefix[k] + dotsWidth <= limit) {
        line.resize(k);
        line.insert(line.end(), 3, Unit{'.', false});
        return true;
      }
    }
    // Not even "..." fits: as many dots as fit, at least one.
    line.assign(3, Unit{'.', false});
    while (line.size() > 1 && Measure(line, 0, line.size()) > limit) line.pop_back();
    return true;
  }

 private:
  FontInstance& font_;
  UINT format_;
  Int64 tabWidth_;
};

}  // namespace

DrawTextLayout LayoutDrawText(FontInstance& font, const Byte* text, Integer count, const TRect& rect,
                              UINT format, const DrawTextMargins& margins) {
  DrawTextLayout out;
  const FontMetrics& m = font.Metrics();
  out.LineHeight = m.Height + ((format & DT_EXTERNALLEADING) ? m.ExternalLeading : 0);

  Int64 tabLength = margins.TabLength > 0 ? margins.TabLength : 0;
  if (tabLength == 0 && (format & DT_TABSTOP)) tabLength = Integer((format >> 8) & 0xFF);
  if (tabLength == 0) tabLength = 8;
  Layouter lay(font, format, tabLength * std::max(1, m.AveCharWidth));

  // Prefix characters: "&x" shows x underlined, "&&" shows "&", a final "&" shows nothing.
  std::vector<Unit> units;
  units.reserve(size_t(std::max(count, 0)));
  bool prefixes = !(format & DT_NOPREFIX);
  for (Integer i = 0; i < count; ++i) {
    Byte ch = text[i];
    if (prefixes && ch == '&') {
      if (i + 1 >= count) break;
      Byte next = text[++i];
      units.push_back({next, next != '&'});
      continue;
    }
    units.push_back({ch, false});
  }

  const bool single = (format & DT_SINGLELINE) != 0;
  const bool wrap = (format & DT_WORDBREAK) && !single;
  const bool calc = (format & DT_CALCRECT) != 0;
  const bool ellipsis = (format & (DT_END_ELLIPSIS | DT_PATH_ELLIPSIS | DT_WORD_ELLIPSIS)) && !calc;
  // Positions are worked out in 64 bits and clamped at the end, whatever the rectangle.
  const Int64 left = Int64(rect.Left) + margins.Left;
  const Int64 limit = std::max<Int64>(0, Int64(rect.Right) - margins.Right - left);

  // Break into lines.
  std::vector<std::vector<Unit>> lines;
  size_t pos = 0;
  const size_t n = units.size();
  if (single) {
    lines.emplace_back(units.begin(), units.end());
  } else {
    // The hard break ending the paragraph at `pos`: found once per paragraph, not per line.
    size_t hardEnd = 0;
    bool haveEnd = false;
    while (pos < n) {
      if (!haveEnd || pos > hardEnd) {
        haveEnd = true;
        hardEnd = pos;
        while (hardEnd < n && !IsBreak(units[hardEnd].Ch)) ++hardEnd;
      }
      size_t lineEnd = hardEnd, next = hardEnd;
      if (wrap) lay.Fit(units, pos, hardEnd, limit, lineEnd, next);
      lines.emplace_back(units.begin() + std::ptrdiff_t(pos), units.begin() + std::ptrdiff_t(lineEnd));
      if (next >= hardEnd && hardEnd < n) {
        // A hard break: CR LF counts once, any other CR or LF on its own.
        next = hardEnd + 1;
        if (units[hardEnd].Ch == '\r' && next < n && units[next].Ch == '\n') ++next;
      }
      pos = next;
    }
  }

  Int64 maxWidth = 0;
  std::vector<Int64> widths;
  for (size_t li = 0; li < lines.size(); ++li) {
    std::vector<Unit>& u = lines[li];
    if (ellipsis && lay.Ellipsize(u, limit) && li == 0) out.Modified = true;
    TextLine line;
    Int64 x = 0;
    for (size_t i = 0; i < u.size(); ++i) {
      Integer a = lay.Advance(u[i].Ch, x);
      line.Chars.push_back(char(u[i].Ch));
      line.Advances.push_back(a);
      if (u[i].Prefixed) line.Underline = Integer(i);
      x += a;
    }
    line.Width = Clamp32(x);
    widths.push_back(x);
    maxWidth = std::max(maxWidth, x);
    out.Lines.push_back(std::move(line));
  }
  if (out.Modified) out.ModifiedText = out.Lines.front().Chars;

  // Placement.
  const Int64 lineHeight = out.LineHeight;
  const Int64 total = Int64(out.Lines.size()) * lineHeight;
  Int64 y = rect.Top;
  if (single) {
    if (format & DT_VCENTER) {
      y = rect.Top + (Int64(rect.Bottom) - rect.Top - lineHeight) / 2;
    } else if (format & DT_BOTTOM) {
      y = rect.Bottom - lineHeight;
    }
  }
  for (size_t li = 0; li < out.Lines.size(); ++li) {
    TextLine& line = out.Lines[li];
    Int64 x = left;
    if (format & DT_CENTER) {
      x = left + (limit - widths[li]) / 2;
    } else if (format & DT_RIGHT) {
      x = left + limit - widths[li];
    }
    Int64 top = y + Int64(li) * lineHeight;
    line.X = Clamp32(x);
    line.Y = Clamp32(top);
    if ((format & DT_EDITCONTROL) && !single && li > 0 && top + lineHeight > rect.Bottom) {
      line.Visible = false;
    }
  }

  out.CalcRect = rect;
  out.CalcRect.Right = Clamp32(Int64(rect.Left) + margins.Left + maxWidth + margins.Right);
  out.CalcRect.Bottom = Clamp32(rect.Top + total);
  if (out.Lines.empty()) {
    out.CalcRect.Right = rect.Left;   // no text at all: an empty rectangle, one line high result
    out.Result = out.LineHeight;
  } else if (single && (format & (DT_VCENTER | DT_BOTTOM))) {
    // The offset from the top to the bottom of the text; 0 is answered as 1 so the
    // result never reads as failure.
    out.Result = Clamp32(y + lineHeight - rect.Top);
    if (out.Result == 0) out.Result = 1;
  } else {
    out.Result = Clamp32(total);
  }
  return out;
}
