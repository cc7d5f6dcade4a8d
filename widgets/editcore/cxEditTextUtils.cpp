#include "widgets/editcore/cxEditTextUtils.h"

#include "classlib/core/SysUtils.h"
#include "classlib/visual/Graphics.h"
#include "platform/gdi/Text.h"
#include "platform/gdi/TextLayout.h"
#include "widgets/foundation/cxGraphics.h"

#include <algorithm>
#include <array>
#include <cstring>

namespace {

using enum TcxTextAlignX;
using enum TcxTextAlignY;

constexpr char kTab = '\t', kCR = '\r', kLF = '\n';

// Rectangles and positions may come from anywhere: every sum is taken in 64 bits and
// brought back into range, so no edge or row position overflows.
Integer Clamp32(Int64 v) { return Integer(std::clamp<Int64>(v, INT32_MIN, INT32_MAX)); }
Int64 Span(Integer a, Integer b) { return Int64(b) - a; }

Integer TextLength(const char* AText) {
  if (!AText) return 0;
  return Integer(std::min<size_t>(std::strlen(AText), size_t(INT32_MAX)));
}

bool IsJustified(TcxTextAlignX A) { return A == taJustifyX || A == taDistributeX; }

// Extents as the layout sums them: one width per character, asked of the DC once, and
// tabs moved to the default stops from origin 0 (as GetTabbedTextExtentA places them).
class TCharWidths {
 public:
  explicit TCharWidths(HDC ADC) : FDC(ADC) {
    TEXTMETRICA tm{};
    if (GetTextMetricsA(ADC, &tm)) FTabs = TabStops(0, tm.tmAveCharWidth, 0, nullptr);
    FKnown.fill(false);
  }
  Integer Of(char C) {
    Byte b = Byte(C);
    if (!FKnown[b]) {
      TSize s{};
      GetTextExtentPoint32A(FDC, &C, 1, &s);
      FWidths[b] = std::max(s.cx, 0);
      FKnown[b] = true;
    }
    return FWidths[b];
  }
  // The pen position after C, drawn at APen.
  Int64 Advance(Int64 APen, char C, bool AExpandTabs) {
    if (AExpandTabs && C == kTab) {
      Int64 stop = FTabs.Next(Clamp32(APen));
      return std::max(APen, stop);
    }
    return APen + Of(C);
  }
  Integer Width(const char* AText, Integer ALength, bool AExpandTabs) {
    Int64 pen = 0;
    for (Integer i = 0; i < ALength; ++i) pen = Advance(pen, AText[i], AExpandTabs);
    return Clamp32(pen);
  }

 private:
  HDC FDC;
  TabStops FTabs;
  std::array<Integer, 256> FWidths{};
  std::array<bool, 256> FKnown{};
};

// One row from AText[APos], at most ARemain characters; advances APos and ARemain past
// the row and the separators after it.
void GetTextRow(TCharWidths& AWidths, const char* AText, Integer& APos, Integer& ARemain, Integer AMaxWidth,
                bool ALastRow, const TcxTextParams& P, TcxTextRow& ARow) {
  const bool justified = IsJustified(P.AlignX);
  const bool wordBreak = !P.SingleLine && (P.WordBreak || justified);
  const bool charBreak = wordBreak && P.CharBreak;
  const bool ellipsisRow = ALastRow && P.EndEllipsis && !justified && !P.WholeRows && !P.NoClip;
  const bool measure = wordBreak || P.SingleLine || ellipsisRow;
  const bool stopAtLineEnd = !P.SingleLine && !ellipsisRow;
  const char* s = AText + APos;
  const char breakChar = char(P.BreakChar);

  Integer len = 0, breaks = 0, lastBreak = -1, breaksAtLastBreak = 0;
  bool endedByLine = false;
  Int64 pen = 0;
  for (Integer i = 0; i < ARemain; ++i) {
    const char c = s[i];
    len = i + 1;   // the row always takes the current character: progress never stalls
    if (c == breakChar || c == kTab) {
      ++breaks;
      lastBreak = i;
      breaksAtLastBreak = breaks;
    }
    if (stopAtLineEnd && (c == kCR || c == kLF)) {
      len = i;
      endedByLine = true;
      break;
    }
    if (!measure) continue;
    pen = AWidths.Advance(pen, c, P.ExpandTabs);
    if (pen <= AMaxWidth) continue;
    if (ellipsisRow || P.SingleLine) break;
    if (lastBreak >= 0) {
      len = lastBreak + 1;
      breaks = breaksAtLastBreak;
      break;
    }
    if (charBreak) {
      len = std::max(i, 1);
      break;
    }
  }
  if (endedByLine && P.AlignX == taJustifyX) breaks = 0;
  if (justified) {
    while (len > 0 && (s[len - 1] == breakChar || s[len - 1] == kTab)) {
      --len;
      if (breaks > 0) --breaks;
    }
  }

  ARow.Text = s;
  ARow.TextLength = len;
  ARow.StartIndex = APos;
  ARow.BreakCount = breaks;
  ARow.X = 0;
  ARow.Y = 0;
  ARow.Width = AWidths.Width(s, len, P.ExpandTabs);
  // As the extent calls answer: an empty tabbed text has no height either.
  ARow.Height = len > 0 || !P.ExpandTabs ? P.LineHeight : 0;

  Integer step = len;
  while (step < ARemain && s[step] == breakChar) ++step;
  if (step < ARemain && s[step] == kTab) ++step;
  // The last row of a paragraph stays unjustified whether the paragraph ends in CR or LF.
  const bool paragraphEnd = step < ARemain && (s[step] == kCR || s[step] == kLF);
  if (step < ARemain && s[step] == kCR) ++step;
  if (step < ARemain && s[step] == kLF) ++step;
  APos += step;
  ARemain -= step;
  if (P.AlignX == taJustifyX && (paragraphEnd || ARemain <= 0)) ARow.BreakCount = 0;
}

HDC CanvasTextDC(TcxCanvas* ACanvas) {
  // Measuring realizes the canvas font in its DC, so the raw text calls use it.
  ACanvas->Canvas()->TextExtent(String());
  return ACanvas->GetHandle();
}

struct TSelection {
  Integer Start = 0, Length = 0;
};

void DrawRowText(HDC ADC, const TcxTextParams& P, Integer X, Integer Y, const char* AText, Integer ALength) {
  if (ALength <= 0) return;
  if (P.ExpandTabs)
    TabbedTextOutA(ADC, X, Y, AText, ALength, 0, nullptr, X);
  else
    TextOutA(ADC, X, Y, AText, ALength);
}

// The extent of AText[0..ALength) as drawn: the DC's spacing (justification included),
// tabs from the row's origin.
Integer DrawnWidth(HDC ADC, const TcxTextParams& P, const char* AText, Integer ALength) {
  if (ALength <= 0) return 0;
  TSize s{};
  if (P.ExpandTabs) {
    cxTextExtent(ADC, AText, ALength, s, true);
  } else {
    GetTextExtentPoint32A(ADC, AText, ALength, &s);
  }
  return s.cx;
}

void DrawRows(HDC ADC, const TRect& ATextRect, const TcxTextParams& P, const TcxTextRows& ARows, Integer ACount,
              bool AForcedEllipsis, const TSelection& ASel, TColor ASelTextColor, TColor ASelBkColor) {
  const Int64 textWidth = Span(ATextRect.Left, ATextRect.Right);
  const bool justified = IsJustified(P.AlignX);
  const int oldBkMode = SetBkMode(ADC, TRANSPARENT);
  HBRUSH selBrush = nullptr;
  if (ASel.Length >= 1 && ASelBkColor != clNone) selBrush = CreateSolidBrush(ColorToRGB(ASelBkColor) & 0xFFFFFF);
  const Int64 selEnd = Int64(ASel.Start) + ASel.Length;

  for (Integer i = 0; i < ACount; ++i) {
    const TcxTextRow& row = ARows[size_t(i)];
    const bool last = i == ACount - 1;
    const bool forced = last && AForcedEllipsis;
    if (row.TextLength <= 0 && !forced) continue;

    TRect band{ATextRect.Left, row.Y, ATextRect.Right, Clamp32(Int64(row.Y) + P.RowHeight)};
    // A row wholly outside the rectangle would be clipped away anyway.
    if (!P.NoClip && (band.Bottom <= ATextRect.Top || band.Top >= ATextRect.Bottom)) continue;
    const bool ellipsis = last && P.EndEllipsis && (row.Width > textWidth || forced);
    Integer len = row.TextLength;
    Integer x = row.X;
    Integer width = row.Width;
    if (ellipsis) {
      // Shortened to what fits beside the ellipsis (at least one character), then placed as
      // the alignment places the shortened row with its ellipsis, so the two stay together.
      if (len > 0) {
        Int64 room = std::max<Int64>(textWidth - P.EllipsisWidth, 0);
        int fit = 0;
        GetTextExtentExPointA(ADC, row.Text, len, Clamp32(room), &fit, nullptr, nullptr);
        len = std::clamp(fit, 1, len);
        width = DrawnWidth(ADC, P, row.Text, len);
      }
      const Int64 whole = Int64(width) + P.EllipsisWidth;
      Int64 left = ATextRect.Left;
      if (P.AlignX == taCenterX)
        left += (textWidth - whole) / 2;
      else if (P.AlignX == taRight)
        left = ATextRect.Right - whole;
      if (P.KeepInsideX || left < ATextRect.Left) left = std::max<Int64>(left, ATextRect.Left);
      x = Clamp32(left);
    }

    const bool justify = justified && !ellipsis && row.BreakCount != 0 && textWidth - row.Width >= 1;
    if (justify) SetTextJustification(ADC, Clamp32(textWidth - row.Width), row.BreakCount);

    HRGN saved = nullptr;
    bool clipped = false;
    if (!P.NoClip && (std::max(width, row.Width) > textWidth || band.Top < ATextRect.Top || band.Bottom > ATextRect.Bottom)) {
      band.Top = std::max(band.Top, ATextRect.Top);
      band.Bottom = std::min(band.Bottom, ATextRect.Bottom);
      saved = cxSaveAndIntersectClip(ADC, band);
      clipped = true;
    }

    DrawRowText(ADC, P, x, row.Y, row.Text, len);

    // The selected part of the row, measured where the row draws it.
    const Int64 a = std::max<Int64>(ASel.Start, row.StartIndex);
    const Int64 b = std::min<Int64>(selEnd, Int64(row.StartIndex) + len);
    if (ASel.Length >= 1 && a < b) {
      const Integer before = Integer(a - row.StartIndex), through = Integer(b - row.StartIndex);
      const Integer x0 = DrawnWidth(ADC, P, row.Text, before);
      const Integer x1 = DrawnWidth(ADC, P, row.Text, through);
      TRect sel{Clamp32(Int64(x) + x0), band.Top, Clamp32(Int64(x) + x1), band.Bottom};
      sel.Left = std::max(sel.Left, band.Left);
      sel.Right = std::min(sel.Right, band.Right);
      if (!sel.IsEmpty()) {
        HRGN selSaved = cxSaveAndIntersectClip(ADC, sel);
        if (selBrush) FillRect(ADC, &sel, selBrush);
        COLORREF oldColor = GetTextColor(ADC);
        if (ASelTextColor != clNone) SetTextColor(ADC, ColorToRGB(ASelTextColor) & 0xFFFFFF);
        DrawRowText(ADC, P, x, row.Y, row.Text, len);
        SetTextColor(ADC, oldColor);
        cxRestoreClip(ADC, selSaved);
      }
    }
    if (justify) SetTextJustification(ADC, 0, 0);

    if (ellipsis) {
      const Int64 ex = Int64(x) + width;
      if (ex < ATextRect.Right) {
        const bool clipEllipsis = !P.NoClip && ex + P.EllipsisWidth > ATextRect.Right;
        TRect r{Clamp32(ex), band.Top, ATextRect.Right, band.Bottom};
        ExtTextOutA(ADC, Clamp32(ex), row.Y, clipEllipsis ? ETO_CLIPPED : 0, clipEllipsis ? &r : nullptr,
                    cxEllipsisText, UINT(cxEllipsisTextLength), nullptr);
      }
    }
    if (clipped) cxRestoreClip(ADC, saved);
  }

  if (selBrush) DeleteObject(selBrush);
  SetBkMode(ADC, oldBkMode);
}

}  // namespace

void cxCalcTextParams(HDC ADC, Cardinal AFlags, TcxTextParams& AParams) {
  TEXTMETRICA tm{};
  if (!GetTextMetricsA(ADC, &tm)) tm = TEXTMETRICA{};
  TcxTextParams& P = AParams;
  P = TcxTextParams{};
  P.ExternalLeadingFlag = (AFlags & cxtfExternalLeading) != 0;
  P.EndEllipsis = (AFlags & cxtfEndEllipsis) != 0;
  P.LineHeight = std::max(tm.tmHeight, 0);
  P.ExternalLeading = P.ExternalLeadingFlag ? std::max(tm.tmExternalLeading, 0) : 0;
  P.RowHeight = Clamp32(Int64(P.LineHeight) + P.ExternalLeading);
  if (P.EndEllipsis) {
    TSize s{};
    GetTextExtentPoint32A(ADC, cxEllipsisText, cxEllipsisTextLength, &s);
    P.EllipsisWidth = std::max(s.cx, 0);
  }
  P.BreakChar = tm.tmBreakChar;
  const Cardinal alignX = AFlags & cxtfAlignXMask;
  P.AlignX = alignX <= Cardinal(taDistributeX) ? TcxTextAlignX(alignX) : taLeft;
  P.AlignY = TcxTextAlignY((AFlags & cxtfAlignYMask) >> 4);
  P.WordBreak = (AFlags & cxtfWordBreak) != 0;
  P.SingleLine = (AFlags & cxtfSingleLine) != 0;
  P.ExpandTabs = (AFlags & cxtfExpandTabs) != 0;
  P.WholeRows = (AFlags & cxtfWholeRows) != 0;
  P.NoClip = (AFlags & cxtfNoClip) != 0;
  P.Reserved = (AFlags & cxtfReserved) != 0;
  P.KeepInsideX = (AFlags & cxtfKeepInsideX) != 0;
  P.KeepInsideY = (AFlags & cxtfKeepInsideY) != 0;
  P.CharBreak = (AFlags & cxtfCharBreak) != 0 || SysLocale.FarEast;
  P.ReturnRowCount = (AFlags & cxtfReturnRowCount) != 0;
  P.CalcRect = (AFlags & cxtfCalcRect) != 0;
  P.MaxCharWidth = tm.tmMaxCharWidth;
}

void cxCalcTextParams(TcxCanvas* ACanvas, Cardinal AFlags, TcxTextParams& AParams) {
  cxCalcTextParams(CanvasTextDC(ACanvas), AFlags, AParams);
}

bool cxMakeTextRows(HDC ADC, const char* AText, const TRect& R, Integer AMaxLineCount, Integer& ARowCount,
                    TcxTextRows& ARows, const TcxTextParams& AParams) {
  const TcxTextParams& P = AParams;
  ARowCount = 0;
  ARows.clear();
  const Integer length = TextLength(AText);
  if (length == 0) return true;
  TCharWidths widths(ADC);
  if (P.SingleLine && P.CalcRect) {
    TcxTextRow row;
    row.Text = AText;
    row.TextLength = length;
    row.Width = widths.Width(AText, length, P.ExpandTabs);
    row.Height = P.LineHeight;
    for (Integer i = 0; i < length; ++i) row.BreakCount += AText[i] == char(P.BreakChar) || AText[i] == kTab;
    ARows.push_back(row);
    ARowCount = 1;
    return true;
  }
  const Int64 width = Span(R.Left, R.Right), height = Span(R.Top, R.Bottom);
  const Integer maxWidth = Clamp32(width);
  Int64 used = 0;
  Integer pos = 0, remain = length;
  while (remain > 0) {
    used += P.RowHeight;
    bool lastRow = P.SingleLine;
    if (!lastRow && P.AlignY == taTop && !P.CalcRect)
      lastRow = used > height || (P.WholeRows && !P.NoClip && used + P.RowHeight > height);
    if (!lastRow && AMaxLineCount >= 1) lastRow = Int64(ARowCount) + 1 >= AMaxLineCount;
    TcxTextRow row;
    GetTextRow(widths, AText, pos, remain, maxWidth, lastRow, P, row);
    ARows.push_back(row);
    ++ARowCount;
    if (lastRow) break;
  }
  ARows.shrink_to_fit();
  return !(!P.SingleLine && !P.CalcRect && AMaxLineCount >= 1 && ARowCount == AMaxLineCount && remain > 0);
}

bool cxMakeTextRows(TcxCanvas* ACanvas, const char* AText, const TRect& R, Integer AMaxLineCount,
                    Integer& ARowCount, TcxTextRows& ARows, const TcxTextParams& AParams) {
  return cxMakeTextRows(CanvasTextDC(ACanvas), AText, R, AMaxLineCount, ARowCount, ARows, AParams);
}

void cxPlaceTextRows(HDC, const TRect& R, TcxTextParams& AParams, Integer ARowCount, TcxTextRows& ARows) {
  TcxTextParams& P = AParams;
  const Integer count = std::clamp<Integer>(ARowCount, 0, Integer(ARows.size()));
  if (count == 0) return;
  const Int64 width = Span(R.Left, R.Right), height = Span(R.Top, R.Bottom);
  Int64 extraGaps = 0;
  if (P.AlignY == taDistributeY && count > 1) {
    const Int64 avail = height - P.LineHeight;
    // LineHeight < avail / (count - 1), compared without rounding.
    if (Int64(P.LineHeight) * (count - 1) < avail) {
      P.RowHeight = Clamp32(avail / (count - 1));
      extraGaps = avail % (count - 1);
    }
  }
  const Int64 total = Int64(count) * P.RowHeight;
  Int64 y = R.Top;
  if (P.AlignY == taCenterY)
    y = R.Top + (height - total) / 2;
  else if (P.AlignY == taBottom)
    y = R.Bottom - total + P.ExternalLeading;
  if (P.KeepInsideY) y = std::max<Int64>(y, R.Top);
  for (Integer i = 0; i < count; ++i) {
    TcxTextRow& row = ARows[size_t(i)];
    Int64 x = R.Left;
    if (P.AlignX == taCenterX)
      x = R.Left + (width - row.Width) / 2;
    else if (P.AlignX == taRight)
      x = R.Right - Int64(row.Width);
    if (P.KeepInsideX) x = std::max<Int64>(x, R.Left);
    row.X = Clamp32(x);
    row.Y = Clamp32(y);
    y += P.RowHeight;
    if (i < extraGaps) ++y;
  }
}

Integer cxGetLongestTextRowWidth(const TcxTextRows& ARows, Integer ARowCount) {
  const Integer count = std::clamp<Integer>(ARowCount, 0, Integer(ARows.size()));
  Integer result = 0;
  for (Integer i = 0; i < count; ++i) result = std::max(result, ARows[size_t(i)].Width);
  return result;
}

Integer cxTextOut(HDC ADC, const char* AText, TRect& R, Integer ALeftIndent, Integer ARightIndent,
                  Integer AMaxLineCount, TColor ASelTextColor, TColor ASelBkColor, Integer ASelLength,
                  Integer ASelStart, Cardinal AFlags) {
  const Integer length = TextLength(AText);
  if (length == 0) return 0;
  TcxTextParams P;
  cxCalcTextParams(ADC, AFlags, P);
  TRect textRect = R;
  textRect.Left = Clamp32(Int64(R.Left) + ALeftIndent);
  textRect.Right = Clamp32(Int64(R.Right) - ARightIndent);
  const bool usable = P.CalcRect ? textRect.Right > textRect.Left : !textRect.IsEmpty();
  if (!usable) return 0;

  Integer count = 0;
  TcxTextRows rows;
  const bool whole = cxMakeTextRows(ADC, AText, textRect, AMaxLineCount, count, rows, P);
  if (count == 0) return 0;

  if (P.CalcRect) {
    if (AMaxLineCount > 0 && AMaxLineCount < count) count = AMaxLineCount;
    textRect.Right = Clamp32(Int64(textRect.Left) + cxGetLongestTextRowWidth(rows, count));
    if (!P.SingleLine) {
      cxMakeTextRows(ADC, AText, textRect, AMaxLineCount, count, rows, P);
      if (AMaxLineCount > 0 && AMaxLineCount < count) count = AMaxLineCount;
    }
    cxPlaceTextRows(ADC, textRect, P, count, rows);
    textRect.Bottom = Clamp32(Int64(rows[size_t(count - 1)].Y) + P.LineHeight);
    R = textRect;
    R.Left = Clamp32(Int64(textRect.Left) - ALeftIndent);
    R.Right = Clamp32(Int64(textRect.Right) + ARightIndent);
  } else {
    bool forcedEllipsis = false;
    if (AMaxLineCount > 0 && count >= AMaxLineCount) {
      count = AMaxLineCount;
      forcedEllipsis = !whole && P.EndEllipsis && P.WholeRows && !P.SingleLine;
    }
    cxPlaceTextRows(ADC, textRect, P, count, rows);
    TSelection sel;
    if (ASelStart >= 0 && ASelStart < length && ASelLength > 0) {
      sel.Start = ASelStart;
      sel.Length = Integer(std::min<Int64>(ASelLength, Int64(length) - ASelStart));
    }
    DrawRows(ADC, textRect, P, rows, count, forcedEllipsis, sel, ASelTextColor, ASelBkColor);
  }

  const Integer height = Clamp32(Int64(rows[size_t(count - 1)].Y) + P.LineHeight - textRect.Top);
  return P.ReturnRowCount || height == 0 ? count : height;
}

Integer cxTextOut(TcxCanvas* ACanvas, const String& AText, TRect& R, Integer ALeftIndent, Integer ARightIndent,
                  Integer AMaxLineCount, TColor ASelTextColor, TColor ASelBkColor, Integer ASelLength,
                  Integer ASelStart, Cardinal AFlags) {
  return cxTextOut(CanvasTextDC(ACanvas), AText.c_str(), R, ALeftIndent, ARightIndent, AMaxLineCount,
                   ASelTextColor, ASelBkColor, ASelLength, ASelStart, AFlags);
}

Integer cxTextOut(HDC ADC, const char* AText, TRect& R, Cardinal AFlags, Integer AMaxLineCount,
                  Integer ALeftIndent, Integer ARightIndent) {
  return cxTextOut(ADC, AText, R, ALeftIndent, ARightIndent, AMaxLineCount, TColor(GetTextColor(ADC)), clNone,
                   0, 0, AFlags);
}

Integer cxDrawCanvasText(TcxCanvas* ACanvas, const String& AText, TRect& R, Cardinal AFlags,
                         Integer AMaxLineCount, Integer ALeftIndent, Integer ARightIndent) {
  return cxTextOut(CanvasTextDC(ACanvas), AText.c_str(), R, AFlags, AMaxLineCount, ALeftIndent, ARightIndent);
}

void cxTextExtent(HDC ADC, const char* AText, Integer ALength, TSize& ASize, bool AExpandTabs) {
  ASize = {};
  const Integer length = AText ? std::max(ALength, 0) : 0;
  if (AExpandTabs) {
    if (length == 0) return;
    const DWORD r = GetTabbedTextExtentA(ADC, AText, length, 0, nullptr);
    // The answer's low word wraps past 65535 pixels: the width is summed here instead.
    ASize.cx = TCharWidths(ADC).Width(AText, length, true);
    ASize.cy = Integer(HIWORD(r));
  } else {
    GetTextExtentPoint32A(ADC, AText, length, &ASize);
  }
}

HRGN cxSaveAndIntersectClip(HDC ADC, const TRect& R) {
  HRGN saved = CreateRectRgn(0, 0, 0, 0);
  if (saved && GetClipRgn(ADC, saved) != 1) {
    DeleteObject(saved);
    saved = nullptr;
  }
  IntersectClipRect(ADC, R.Left, R.Top, R.Right, R.Bottom);
  return saved;
}

void cxRestoreClip(HDC ADC, HRGN& ARegion) {
  SelectClipRgn(ADC, ARegion);
  if (ARegion) DeleteObject(ARegion);
  ARegion = nullptr;
}
