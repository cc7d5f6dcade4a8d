#include "widgets/editcore/cxTextEditViewData.h"

#include "classlib/core/SysUtils.h"
#include "classlib/core/Variants.h"
#include "platform/gdi/Text.h"
#include "platform/user/User.h"
#include "widgets/editcore/cxEditPaintUtils.h"
#include "widgets/editcore/cxEditControl.h"
#include "widgets/editcore/cxTextEdit.h"

#include <algorithm>

namespace {

using ES = TcxEditEditingStyle;

bool IsInsetStyle(ES AStyle) { return AStyle == ES::esFixedList || AStyle == ES::esNoEdit; }

void SetFontFrom(TcxCanvas& ACanvas, TFont* AFont) { cxSetCanvasFont(ACanvas, AFont); }

}  // namespace

// ---- small routines ----

void cxApplyCharCase(String& S, TEditCharCase ACharCase) {
  switch (ACharCase) {
    case TEditCharCase::ecUpperCase: S = AnsiUpperCase(S); break;
    case TEditCharCase::ecLowerCase: S = AnsiLowerCase(S); break;
    case TEditCharCase::ecNormal: break;
  }
}

void cxSaveInnerEditState(IcxInnerTextEdit* AEdit, bool AWithText, TcxInnerEditState& AState) {
  AState = TcxInnerEditState{};
  AState.WithText = AWithText;
  if (!AEdit) return;
  if (AWithText) AState.Text = AEdit->GetEditText();
  AState.SelStart = AEdit->GetSelStart();
  AState.SelLength = AEdit->GetSelLength();
}

bool cxIsInnerEditStateChanged(IcxInnerTextEdit* AEdit, const TcxInnerEditState& AState) {
  if (!AEdit || !AEdit->GetControl() || !AEdit->GetControl()->HandleAllocated()) return true;
  if (AEdit->GetSelLength() != AState.SelLength || AEdit->GetSelStart() != AState.SelStart) return true;
  return AState.WithText && !cxAreStringsEqual(AEdit->GetEditText(), AState.Text, false);
}

// ---- view data ----

void TcxCustomTextEditViewData::InitCacheData() {
  inherited::InitCacheData();
  IsProviderFormatting = Properties && Properties->IsValueFormattedByProvider();
  if (auto* p = dynamic_cast<TcxCustomTextEditProperties*>(Properties)) EditingStyle = p->GetEditingStyle();
}

void TcxCustomTextEditViewData::EditValueToDisplayText(const Variant& AEditValue, String& AText) {
  // Text kinds format the value through their properties; the plain view shows its text.
  if (auto* p = dynamic_cast<TcxCustomTextEditProperties*>(Properties)) return p->GetDisplayText(AEditValue, AText);
  AText = VarIsNull(AEditValue) || VarIsEmpty(AEditValue) ? String() : VarToStr(AEditValue);
}

Integer TcxCustomTextEditViewData::GetVerticalTextMargins() const {
  const TRect m = GetContentMargins();
  return m.Top + m.Bottom;
}

void cxCalcTextEditTextRect(const TcxCustomTextEditViewData* AViewData, TRect& R) {
  if (!AViewData || AViewData->IsInplace || !IsInsetStyle(AViewData->EditingStyle)) return;
  ++R.Left;
  if (AViewData->NoInset) return;
  ++R.Top;
  --R.Bottom;
}

bool TcxCustomTextEditViewData::InnerEditShowsText() const {
  auto* edit = dynamic_cast<TcxCustomEdit*>(Edit);
  return edit && edit->ShowsTextByInnerEdit();
}

void TcxCustomTextEditViewData::GetTextRect(TRect& R) const { cxCalcTextEditTextRect(this, R); }

Cardinal TcxCustomTextEditViewData::GetDrawTextFlags() const {
  Cardinal flags = 0x2C0;
  switch (HorzAlignment) {
    case TAlignment::taRightJustify: flags |= 2; break;
    case TAlignment::taCenter: flags |= 1; break;
    default: break;
  }
  switch (VertAlignment) {
    case TcxEditVertAlignment::taBottomJustify: flags |= 0x20; break;
    case TcxEditVertAlignment::taVCenter: flags |= 0x10; break;
    default: break;
  }
  return flags;
}

void TcxCustomTextEditViewData::Calculate(TcxCanvas& ACanvas, const TRect& ABounds, const TPoint& P,
                                          TcxMouseButton AButton, TShiftState AShift,
                                          TcxCustomEditViewInfo* AViewInfo, bool AIsMouseEvent) {
  inherited::Calculate(ACanvas, ABounds, P, AButton, AShift, AViewInfo, AIsMouseEvent);
  auto* vi = dynamic_cast<TcxCustomTextEditViewInfo*>(AViewInfo);
  if (!vi) return;
  ClientRect = vi->ClientRect;
  vi->IsSelected = false;
  vi->EditingStyle = EditingStyle;
  vi->InnerEditShowsText = InnerEditShowsText();
  vi->IsPopupShown = Edit && Edit->HasShownPopup();
  TRect r = vi->ClientRect;
  GetTextRect(r);
  if (!IsInplace) {
    SetFontFrom(ACanvas, Style ? Style->GetFont() : nullptr);
    const Integer h = ACanvas.TextHeight("Zg");
    // Taller than the rectangle: the row gets its height, but never reaches below the client area.
    if (h > r.Height()) r.Bottom = std::min(r.Top + h, vi->ClientRect.Bottom);
  }
  vi->TextRect = r;
  vi->DrawTextFlags = GetDrawTextFlags();
  vi->IsMultiLine = false;
  vi->Lines.clear();
  CalculateTextLayout(ACanvas, vi);
}

void TcxCustomTextEditViewData::CalculateTextLayout(TcxCanvas& ACanvas, TcxCustomTextEditViewInfo* AViewInfo) {
  if (PaintOptions.Contains(TcxEditPaintOption::epoShowEndEllipsis)) AViewInfo->DrawTextFlags |= cxtfEndEllipsis;
  if (!AViewInfo->IsMultiLine || AViewInfo->Text.empty()) return;
  // Rows of the laid-out text, kept for painting and hit tests.
  SetFontFrom(ACanvas, AViewInfo->Font);
  const Cardinal flags = (AViewInfo->DrawTextFlags & ~cxtfSingleLine) | cxtfWordBreak;
  TcxTextParams params;
  cxCalcTextParams(&ACanvas, flags, params);
  TcxTextRows rows;
  Integer count = 0;
  cxMakeTextRows(&ACanvas, AViewInfo->Text.c_str(), AViewInfo->TextRect, GetMaxLineCount(), count, rows, params);
  cxPlaceTextRows(ACanvas.GetHandle(), AViewInfo->TextRect, params, count, rows);
  AViewInfo->LineRect = AViewInfo->TextRect;
  for (Integer i = 0; i < count; ++i)
    AViewInfo->Lines.push_back({rows[size_t(i)].StartIndex, rows[size_t(i)].TextLength,
                                {rows[size_t(i)].X, rows[size_t(i)].Y}});
}

void TcxCustomTextEditViewData::DisplayValueToDrawValue(const Variant& AValue, TcxCustomTextEditViewInfo* AViewInfo) {
  String text = HideValue || VarIsNull(AValue) || VarIsEmpty(AValue) ? String() : VarToStr(AValue);
  if (auto* p = dynamic_cast<TcxCustomTextEditProperties*>(Properties)) p->DisplayValueToDisplayText(text);
  AViewInfo->Text = text;
}

void TcxCustomTextEditViewData::EditValueToDrawValue(TcxCanvas&, const Variant& AEditValue,
                                                     TcxCustomEditViewInfo* AViewInfo) {
  auto* vi = dynamic_cast<TcxCustomTextEditViewInfo*>(AViewInfo);
  if (!vi) return;
  String text;
  if (!HideValue) PrepareDisplayText(AEditValue, text);
  vi->Text = text;
  SetSelectionColors(vi);
}

void TcxCustomTextEditViewData::SetSelectionColors(TcxCustomTextEditViewInfo* AViewInfo) const {
  AViewInfo->SelStart = SelStart;
  AViewInfo->SelLength = SelLength;
  if (SelLength == 0) return;
  auto inverse = [](TColor c) { return TColor(ColorToRGB(c) ^ 0xFFFFFF); };
  if (SelBackgroundColor != clDefault) {
    AViewInfo->SelBackgroundColor = SelBackgroundColor;
    AViewInfo->SelTextColor = SelTextColor != clDefault ? SelTextColor : inverse(SelBackgroundColor);
  } else if (SelTextColor != clDefault) {
    AViewInfo->SelTextColor = SelTextColor;
    AViewInfo->SelBackgroundColor = inverse(SelTextColor);
  } else if (Style && Style->GetColor() == clHighlight) {
    AViewInfo->SelBackgroundColor = TColor(0x000000);
    AViewInfo->SelTextColor = TColor(0xFFFFFF);
  } else {
    AViewInfo->SelBackgroundColor = clHighlight;
    AViewInfo->SelTextColor = clHighlightText;
  }
}

TSize TcxCustomTextEditViewData::InternalGetEditContentSize(TcxCanvas& ACanvas, const Variant& AEditValue,
                                                            const TcxEditSizeProperties& AEditSizeProperties) {
  String text;
  PrepareDisplayText(AEditValue, text);
  return cxCalcTextEditContentSize(ACanvas, this, text, AEditSizeProperties);
}

TSize cxCalcTextEditContentSize(TcxCanvas& ACanvas, TcxCustomTextEditViewData* AViewData, const String& AText,
                                const TcxEditSizeProperties& AEditSizeProperties) {
  SetFontFrom(ACanvas, AViewData && AViewData->Style ? AViewData->Style->GetFont() : nullptr);
  const Integer rowHeight = ACanvas.TextHeight("Zg");
  const Integer maxLines = AViewData ? AViewData->GetMaxLineCount() : 0;
  const bool zeroHeight = AViewData && AViewData->PaintOptions.Contains(TcxEditPaintOption::epoAllowZeroHeight);
  TSize size{0, 0};
  auto rowsIn = [&](Integer AWidth, Integer& AMaxWidth) {
    TRect r{0, 0, AWidth, 0};
    const Cardinal flags = cxtfCalcRect | cxtfReturnRowCount | (AWidth > 0 ? cxtfWordBreak : 0);
    const Integer rows = cxDrawCanvasText(&ACanvas, AText, r, flags);
    AMaxWidth = r.Width();
    return rows;
  };
  if (AEditSizeProperties.Width >= 0) {
    Integer widest = 0;
    Integer lines = AText.empty() ? (zeroHeight ? 0 : 1) : rowsIn(std::max<Integer>(AEditSizeProperties.Width, 1), widest);
    if (maxLines >= 1) lines = std::min(lines, maxLines);
    size = {AEditSizeProperties.Width, lines * rowHeight};
  } else if (AText.find_first_of("\r\n") == String::npos) {
    size = {ACanvas.TextWidth(AText), AText.empty() && zeroHeight ? 0 : rowHeight};
  } else {
    Integer widest = 0;
    Integer lines = rowsIn(0, widest);
    if (maxLines >= 1) lines = std::min(lines, maxLines);
    size = {widest, lines * rowHeight};
  }
  if (AViewData && !AViewData->IsInplace && IsInsetStyle(AViewData->EditingStyle)) ++size.cx;
  if (size.cy != 0 && AViewData) size.cy += AViewData->GetVerticalTextMargins();
  return size;
}

TL_DEFINE_CLASS(TcxCustomTextEditViewData, [](auto&) {});

// ---- view info ----

void TcxCustomTextEditViewInfo::InternalPaint(TcxCanvas& ACanvas) { cxDrawTextEditViewInfo(ACanvas, *this); }

void TcxCustomTextEditViewInfo::Assign(TcxContainerViewInfo* Source) {
  inherited::Assign(Source);
  auto* src = dynamic_cast<TcxCustomTextEditViewInfo*>(Source);
  if (!src || src == this) return;
  Text = src->Text;
  DrawTextFlags = src->DrawTextFlags;
  TextRect = src->TextRect;
  EditingStyle = src->EditingStyle;
  IsSelected = src->IsSelected;
  InnerEditShowsText = src->InnerEditShowsText;
  IsPopupShown = src->IsPopupShown;
  SelStart = src->SelStart;
  SelLength = src->SelLength;
  SelTextColor = src->SelTextColor;
  SelBackgroundColor = src->SelBackgroundColor;
  IsMultiLine = src->IsMultiLine;
  LineRect = src->LineRect;
  Lines = src->Lines;
}

void TcxCustomTextEditViewInfo::Offset(Integer DX, Integer DY) {
  inherited::Offset(DX, DY);
  OffsetRect(&TextRect, DX, DY);
  if (!IsMultiLine) return;
  OffsetRect(&LineRect, DX, DY);
  for (TcxTextEditLine& l : Lines) l.Position = {l.Position.X + DX, l.Position.Y + DY};
}

void TcxCustomTextEditViewInfo::DrawText(TcxCanvas& ACanvas) {
  if (Text.empty()) return;
  SetFontFrom(ACanvas, Font);
  ACanvas.GetFont()->SetColor(IsSelected ? clHighlightText : TextColor);
  cxDrawTextEditText(ACanvas, *this);
}

bool TcxCustomTextEditViewInfo::GetHintTextInRect(const TPoint& P, TRect& ATextRect, bool& AIsMultiLine,
                                                  String& AText) const {
  TRect r = TextRect.IsEmpty() ? Bounds : TextRect;
  TRect clipped{};
  if (!IntersectRect(&clipped, &r, &ClientRect)) return false;
  const POINT q{P.X, P.Y};
  if (!PtInRect(&clipped, q) || Text.empty()) return false;
  Owned<TcxScreenCanvas> canvas(New<TcxScreenCanvas>());
  SetFontFrom(*canvas, Font);
  // Laid out without limits: every line as long as it is, one row per line break.
  const bool multi = Text.find_first_of("\r\n") != String::npos;
  TSize need{0, 0};
  size_t start = 0;
  while (start <= Text.size()) {
    size_t end = Text.find_first_of("\r\n", start);
    if (end == String::npos) end = Text.size();
    const TSize line = canvas->TextExtent(Text.substr(start, end - start));
    need.cx = std::max(need.cx, line.cx);
    need.cy += std::max<Integer>(line.cy, canvas->TextHeight("Zg"));
    if (end < Text.size() && Text[end] == '\r' && end + 1 < Text.size() && Text[end + 1] == '\n') ++end;
    start = end + 1;
  }
  if (need.cx <= clipped.Width() && need.cy <= clipped.Height()) return false;
  ATextRect = r;
  AIsMultiLine = multi || IsMultiLine;
  AText = Text;
  return true;
}

TL_DEFINE_CLASS(TcxCustomTextEditViewInfo, [](auto&) {});

// ---- painting ----

void cxDrawTextEditText(TcxCanvas& ACanvas, TcxCustomTextEditViewInfo& AViewInfo) {
  if (!AViewInfo.IsMultiLine) {
    TRect r = AViewInfo.TextRect;
    const TColor selText = AViewInfo.SelLength != 0 ? AViewInfo.SelTextColor : clNone;
    const TColor selBack = AViewInfo.SelLength != 0 ? AViewInfo.SelBackgroundColor : clNone;
    cxTextOut(&ACanvas, AViewInfo.Text, r, 0, 0, 0, selText, selBack, AViewInfo.SelLength, AViewInfo.SelStart,
              AViewInfo.DrawTextFlags);
    return;
  }
  const int oldMode = SetBkMode(ACanvas.GetHandle(), TRANSPARENT);
  HRGN clip = cxSaveAndIntersectClip(ACanvas.GetHandle(), AViewInfo.LineRect);
  for (const TcxTextEditLine& l : AViewInfo.Lines) {
    const Integer start = std::clamp<Integer>(l.Start, 0, Integer(AViewInfo.Text.size()));
    const Integer length = std::clamp<Integer>(l.Length, 0, Integer(AViewInfo.Text.size()) - start);
    TextOutA(ACanvas.GetHandle(), l.Position.X, l.Position.Y, AViewInfo.Text.c_str() + start, length);
  }
  cxRestoreClip(ACanvas.GetHandle(), clip);
  SetBkMode(ACanvas.GetHandle(), oldMode);
}

void cxDrawTextEditViewInfo(TcxCanvas& ACanvas, TcxCustomTextEditViewInfo& AViewInfo) {
  // 1. Background, frame and buttons; a selected text's background comes with it below.
  AViewInfo.DrawFrameAndButtons(ACanvas, !AViewInfo.IsSelected);
  // 2. The text area, one pixel inside a stand-alone editor.
  TRect r = AViewInfo.ClientRect;
  if (!AViewInfo.IsInplace) {
    const bool ownBorder = AViewInfo.BorderStyle != TcxContainerBorderStyle::cbsNone;
    if (AViewInfo.EditingStyle != TcxEditEditingStyle::esNoEdit && (!ownBorder || AViewInfo.IsSelected) &&
        !AViewInfo.Transparent)
      ACanvas.FrameRect(r, AViewInfo.BackgroundColor);
    InflateRect(&r, -1, -1);
  }
  // 3, 4. The owner's drawing, or the text.
  if (AViewInfo.OnOwnerDraw) {
    AViewInfo.OnOwnerDraw(AViewInfo.OwnerDrawSender ? AViewInfo.OwnerDrawSender : &AViewInfo, ACanvas, r);
  } else {
    if (AViewInfo.IsSelected) cxFillRectByColor(ACanvas, r, clHighlight);
    if (!(AViewInfo.HasVisibleInnerEdit && AViewInfo.InnerEditShowsText)) AViewInfo.DrawText(ACanvas);
  }
  // 5. The focus rectangle when the view itself shows the focused text.
  if (!AViewInfo.InnerEditShowsText && AViewInfo.Focused && !AViewInfo.IsInplace && !AViewInfo.IsPopupShown &&
      !r.IsEmpty()) {
    ACanvas.GetFont()->SetColor(AViewInfo.IsSelected ? clHighlightText : clBtnText);
    ACanvas.GetBrush()->SetColor(AViewInfo.IsSelected ? clHighlight : AViewInfo.BackgroundColor);
    ACanvas.Canvas()->DrawFocusRect(r);
  }
}

// ---- thousand separators ----

namespace {

bool UsableSeparators(Char& AThousand, Char& ADecimal) {
  AThousand = FormatSettings.ThousandSeparator;
  ADecimal = FormatSettings.DecimalSeparator;
  // An empty separator would be written as #0, one equal to the decimal point would eat it.
  return AThousand != 0 && AThousand != ADecimal;
}

}  // namespace

void cxExtractExponent(String& S, String& AExponent) {
  const String upper = AnsiUpperCase(S);
  const size_t p = upper.find('E');
  if (p == String::npos) {
    AExponent.clear();
    return;
  }
  AExponent = S.substr(p);
  S.erase(p);
}

void cxRemoveThousandSeparators(String& S) {
  Char thousand, decimal;
  if (!UsableSeparators(thousand, decimal)) return;
  S.erase(std::remove(S.begin(), S.end(), thousand), S.end());
}

void cxAddThousandSeparators(String& S) {
  Char thousand, decimal;
  if (!UsableSeparators(thousand, decimal)) return;
  const size_t first = S.find_first_not_of(' ');
  if (first == String::npos) return;
  const size_t last = S.find_last_not_of(' ');
  const String leading = S.substr(0, first), trailing = S.substr(last + 1);
  String body = S.substr(first, last - first + 1);
  String exponent;
  cxExtractExponent(body, exponent);
  cxRemoveThousandSeparators(body);
  // A sign is not a digit: it stays in front of the groups.
  String sign;
  if (!body.empty() && (body[0] == '-' || body[0] == '+')) {
    sign = body.substr(0, 1);
    body.erase(0, 1);
  }
  size_t p = body.find(decimal);
  if (p == String::npos) p = body.size();
  for (size_t i = p; i > 3; i -= 3) body.insert(i - 3, 1, thousand);
  S = leading + sign + body + exponent + trailing;
}

bool cxRegroupThousandSeparators(String& AText, Integer& ACaretPos) {
  Char thousand, decimal;
  if (!UsableSeparators(thousand, decimal)) return false;
  String plain = AText;
  cxRemoveThousandSeparators(plain);
  double value = 0;
  if (!TryStrToFloat(Trim(plain), value, FormatSettings)) return false;
  const Integer caret = std::clamp<Integer>(ACaretPos, 0, Integer(AText.size()));
  const Integer kept = Integer(std::count_if(AText.begin(), AText.begin() + caret, [&](Char c) { return c != thousand; }));
  String grouped = AText;
  cxAddThousandSeparators(grouped);
  Integer pos = 0;
  for (Integer seen = 0; pos < Integer(grouped.size()) && seen < kept; ++pos)
    if (grouped[size_t(pos)] != thousand) ++seen;
  AText = grouped;
  ACaretPos = pos;
  return true;
}
