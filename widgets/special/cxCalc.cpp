#include "widgets/special/cxCalc.h"

#include "classlib/core/ScopeGuards.h"
#include "classlib/core/SysUtils.h"
#include "classlib/visual/Clipbrd.h"
#include "platform/kernel/Arith.h"
#include "platform/user/User.h"
#include "widgets/editcore/cxTextEditViewData.h"
#include "widgets/foundation/cxClasses.h"
#include "widgets/foundation/cxGraphics.h"

#include <algorithm>
#include <cmath>

using enum TcxCalcButtonKind;
using enum TcxCalcState;

const TResStringRec scxSCalcError = {65393, "Error"};

namespace {

struct TButtonFace {
  const char* Text;
  TColor Color;
};

// Captions and text colours in kind order; the decimal caption follows the locale.
const TButtonFace kFaces[TcxCustomCalculator::kButtonCount] = {
    {"Back", clMaroon}, {"CE", clMaroon}, {"C", clMaroon},   {"MC", clRed},   {"MR", clRed},   {"MS", clRed},
    {"M+", clRed},      {"0", clBlue},    {"1", clBlue},     {"2", clBlue},   {"3", clBlue},   {"4", clBlue},
    {"5", clBlue},      {"6", clBlue},    {"7", clBlue},     {"8", clBlue},   {"9", clBlue},   {"+/-", clBlue},
    {".", clBlue},      {"/", clRed},     {"*", clRed},      {"-", clRed},    {"+", clRed},    {"sqrt", clNavy},
    {"%", clNavy},      {"1/x", clNavy},  {"=", clRed},
};

// The main grid, row by row (rows 1..4), column by column.
const TcxCalcButtonKind kGrid[4][5] = {
    {cbNum7, cbNum8, cbNum9, cbDiv, cbSqrt},
    {cbNum4, cbNum5, cbNum6, cbMul, cbPercent},
    {cbNum1, cbNum2, cbNum3, cbSub, cbRev},
    {cbNum0, cbSign, cbDecimal, cbAdd, cbEqual},
};

bool IsOperator(TcxCalcButtonKind K) { return K >= cbDiv && K <= cbAdd; }

}  // namespace

TcxCustomCalculator::TcxCustomCalculator(TComponent* AOwner) : TcxControl(AOwner) {
  for (Integer i = 0; i < kButtonCount; ++i) {
    FButtons[i].Kind = TcxCalcButtonKind(i);
    FButtons[i].Text = kFaces[i].Text;
    FButtons[i].FontColor = kFaces[i].Color;
  }
}

void TcxCustomCalculator::AfterConstruction() {
  inherited::AfterConstruction();
  // Both at once: a width taken alone would lay the buttons out for a passing height.
  SetBounds(GetLeft(), GetTop(), 198, 131);
  SetParentColor(false);
  SetColor(clBtnFace);
  SetTabStop(true);
  SetKeys({TcxKey::kAll, TcxKey::kArrows, TcxKey::kChars, TcxKey::kTab});
  Layout();
}

// ---- Engine -------------------------------------------------------------------------------

bool TcxCustomCalculator::ReadDisplay(long double& Value) {
  Value = 0;
  if (FState == csError) return true;
  String S = Trim(GetEditorValue());
  if (S.empty()) S = "0";
  cxRemoveThousandSeparators(S);
  double D = 0;
  if (!TryStrToFloat(S, D) || !std::isfinite(D)) return false;
  Value = D;
  return true;
}

long double TcxCustomCalculator::GetDisplay() {
  long double V = 0;
  return ReadDisplay(V) ? V : 0;
}

void TcxCustomCalculator::SetDisplay(long double Value) {
  // A result a double cannot hold has no text to show.
  const double D = double(Value);
  if (!std::isfinite(D)) {
    Error();
    return;
  }
  const String S = FloatToStrF(D, TFloatFormat::ffGeneral, std::max<Integer>(2, FPrecision), 0);
  if (S != GetEditorValue()) {
    // Writing the value runs the editor's handlers, which may free the calculator.
    TWeakLink self(this);
    SetEditorValue(S);
    if (self.Alive() && OnDisplayChange) OnDisplayChange(this);
  }
}

void TcxCustomCalculator::Beep() {
  if (FBeepOnError) MessageBeep(0);
}

void TcxCustomCalculator::Error() {
  FState = csError;
  TWeakLink self(this);
  SetEditorValue(cxGetResourceString(scxSCalcError));
  if (self.Alive()) Beep();
}

void TcxCustomCalculator::StartNumber() {
  if (FState != csFirst) return;
  FState = csValid;
  SetEditorValue("0");
}

void TcxCustomCalculator::ButtonClick(TcxCalcButtonKind Kind) {
  // Every handler, and every value written to the editor, may free the calculator: each
  // step after one goes on only while it lives.
  TWeakLink self(this);
  if (OnButtonClick) OnButtonClick(this, Kind);
  if (!self.Alive() || Kind == cbNone) return;
  if (FState == csError && Kind != cbCancel && Kind != cbClear) {
    Error();
    return;
  }
  long double X = 0;
  switch (Kind) {
    case cbDecimal: {
      StartNumber();
      if (!self.Alive()) return;
      const String S = GetEditorValue();
      if (S.find(FormatSettings.DecimalSeparator) == String::npos) SetEditorValue(S + FormatSettings.DecimalSeparator);
      break;
    }
    case cbBack: {
      StartNumber();
      if (!self.Alive()) return;
      String S = GetEditorValue();
      if (S.size() <= 1 || (S.size() == 2 && S[0] == '-'))
        S = "0";
      else
        S.pop_back();
      SetEditorValue(S);
      break;
    }
    case cbCancel:
    case cbClear:
      FState = csFirst;
      FOperation = cbEqual;
      SetDisplay(0);
      break;
    case cbMC:
      FMemory = 0;
      UpdateMemoryButtons();
      break;
    case cbMR:
      FState = csFirst;
      StartNumber();
      if (!self.Alive()) return;
      SetDisplay(FMemory);
      break;
    case cbMS:
    case cbMP:
      FState = csFirst;
      if (!ReadDisplay(X)) return Error();
      FMemory = Kind == cbMS ? X : FMemory + X;
      UpdateMemoryButtons();
      break;
    case cbSign:
      if (!ReadDisplay(X)) return Error();
      SetDisplay(-X);
      break;
    case cbSqrt:
    case cbRev:
      FState = IsOperator(FOperation) ? csValid : csFirst;
      if (!ReadDisplay(X)) return Error();
      if ((Kind == cbSqrt && X < 0) || (Kind == cbRev && X == 0))
        Error();
      else
        SetDisplay(Kind == cbSqrt ? std::sqrt(X) : 1 / X);
      break;
    case cbDiv:
    case cbMul:
    case cbSub:
    case cbAdd:
    case cbPercent:
    case cbEqual: {
      if (FState == csValid) {
        FState = csFirst;
        long double Y = 0;
        if (!ReadDisplay(Y)) return Error();
        if (Kind == cbPercent) {
          if (FOperation == cbDiv || FOperation == cbMul)
            Y = Y / 100;
          else if (FOperation == cbSub || FOperation == cbAdd)
            Y = FOperand * Y / 100;
        }
        switch (FOperation) {
          case cbDiv:
            if (Y == 0)
              Error();
            else
              SetDisplay(FOperand / Y);
            break;
          case cbMul: SetDisplay(FOperand * Y); break;
          case cbSub: SetDisplay(FOperand - Y); break;
          case cbAdd: SetDisplay(FOperand + Y); break;
          default: break;
        }
        if (!self.Alive()) return;
      }
      FOperation = Kind;
      FOperand = GetDisplay();
      if ((Kind == cbPercent || Kind == cbEqual) && OnResult) OnResult(this);
      break;
    }
    default: {  // digits
      StartNumber();
      if (!self.Alive()) return;
      String S = GetEditorValue();
      if (S == "0") S.clear();
      const Integer Limit = std::max<Integer>(2, FPrecision) + Pos("-", S);
      if (Integer(S.size()) < Limit) {
        S += Char('0' + (int(Kind) - int(cbNum0)));
        SetEditorValue(S);
      } else {
        Beep();
      }
      break;
    }
  }
}

void TcxCustomCalculator::ResetOperation() {
  FState = csFirst;
  FOperation = cbEqual;
  FOperand = 0;
}

void TcxCustomCalculator::UpdateMemoryButtons() {
  const bool Empty = FMemory == 0;
  for (TcxCalcButtonKind K : {cbMC, cbMR}) {
    Btn(K).Grayed = Empty;
    InvalidateButton(K);
  }
}

void TcxCustomCalculator::CopyToClipboard() { Clipboard->SetAsText(GetEditorValue()); }

void TcxCustomCalculator::PasteFromClipboard() {
  if (!Clipboard->HasFormat(CF_TEXT)) return;
  String S = Clipboard->GetAsText();
  if (!FormatSettings.CurrencyString.empty())
    S = StringReplace(S, FormatSettings.CurrencyString, "", {TReplaceFlag::rfReplaceAll});
  double D = 0;
  if (TryStrToFloat(Trim(S), D)) {
    FState = csValid;
    SetDisplay(D);  // an out-of-range number leaves the error state
  } else {
    SetDisplay(0);
  }
}

// ---- Virtual seams ------------------------------------------------------------------------

const TcxCustomLookAndFeelPainter* TcxCustomCalculator::GetPainter() const { return cxStandardPainter(); }
String TcxCustomCalculator::GetEditorValue() { return String(); }
void TcxCustomCalculator::SetEditorValue(const String&) {}
void TcxCustomCalculator::HidePopup(TObject*, TcxEditCloseUpReason AReason) {
  if (OnHidePopup) OnHidePopup(this, AReason);
}

// ---- Properties ---------------------------------------------------------------------------

void TcxCustomCalculator::SetAutoFontSize(bool Value) {
  if (FAutoFontSize == Value) return;
  FAutoFontSize = Value;
  UpdateSize();
  Invalidate();
}

void TcxCustomCalculator::SetBorderStyle(TBorderStyle Value) {
  if (FBorderStyle == Value) return;
  FBorderStyle = Value;
  RecreateWnd();
}

void TcxCustomCalculator::SetShowFocusRect(bool Value) {
  if (FShowFocusRect == Value) return;
  FShowFocusRect = Value;
  InvalidateButton(cbEqual);
}

void TcxCustomCalculator::SetPrecision(Byte Value) { FPrecision = std::min(Value, kMaxPrecision); }

// ---- Layout -------------------------------------------------------------------------------

void TcxCustomCalculator::CalcMetrics(Integer AClientWidth, Integer AClientHeight) {
  Integer H = 22;
  if (FAutoFontSize) {
    const Integer T = std::min(AClientHeight, MulDiv(AClientWidth, 131, 198));
    auto F = [](Integer h) { return 5 * h + 6 * MulDiv(h, 3, 22); };
    Integer Best = T;
    // The deviation can only fall so far: the bound keeps a huge client from spinning.
    for (Integer h = 22; h <= 22 + std::max<Integer>(T, 0); ++h) {
      const Integer D = std::abs(F(h) - T);
      if (D >= Best) break;
      Best = D;
      H = h;
    }
  } else {
    Owned<TcxScreenCanvas> Measure;
    TcxCanvas* C = GetCanvas();
    if (!HandleAllocated()) {
      Measure.reset(New<TcxScreenCanvas>());
      C = Measure.get();
    }
    H = 2 * C->FontHeight(GetFont());
  }
  FBtnHeight = H;
  FBtnWidth = MulDiv(H, 28, 22);
  FXSpace = FYSpace = MulDiv(H, 3, 22);
  FLargeBtnWidth = MulDiv(FBtnWidth, 17, 10);
  FFontSize = MulDiv(H, 8, 22);
  FCalcHeight = 5 * (FYSpace + H) + FYSpace;
  FCalcWidth = 6 * (FXSpace + FBtnWidth) + 2 * FXSpace + 4;
}

void TcxCustomCalculator::PlaceButtons() {
  const Integer H = FBtnHeight, W = FBtnWidth, GX = FXSpace, GY = FYSpace;
  auto Top = [&](Integer r) { return r * (GY + H) + GY; };
  auto Bottom = [&](Integer r) { return (r + 1) * (GY + H); };
  const TcxCalcButtonKind Memory[4] = {cbMC, cbMR, cbMS, cbMP};
  for (Integer r = 1; r <= 4; ++r) Btn(Memory[r - 1]).Bounds = TRect{GX, Top(r), GX + W, Bottom(r)};
  const Integer X0 = W + 2 * GX + 4;
  for (Integer r = 1; r <= 4; ++r)
    for (Integer c = 0; c < 5; ++c)
      Btn(kGrid[r - 1][c]).Bounds = TRect{X0 + GX + c * (GX + W), Top(r), X0 + (c + 1) * (GX + W), Bottom(r)};
  Integer Right = Btn(cbEqual).Bounds.Right;
  for (TcxCalcButtonKind K : {cbClear, cbCancel, cbBack}) {
    Btn(K).Bounds = TRect{Right - FLargeBtnWidth, Top(0), Right, Bottom(0)};
    Right -= FLargeBtnWidth + GY;
  }
  Btn(cbDecimal).Text = String(1, FormatSettings.DecimalSeparator);
}

void TcxCustomCalculator::Layout() {
  CalcMetrics(GetClientWidth(), GetClientHeight());
  PlaceButtons();
  FOperation = cbEqual;
  FState = csFirst;
  FMemory = 0;
  UpdateMemoryButtons();
}

// Geometry only: the engine and its memory survive a resize.
void TcxCustomCalculator::UpdateSize() {
  if (FResizing) return;
  TScopedValue<bool> reset(FResizing, true);
  CalcMetrics(GetClientWidth(), GetClientHeight());
  PlaceButtons();
  SetWidth(FCalcWidth);
  SetHeight(FCalcHeight);
}

void TcxCustomCalculator::Resize() {
  UpdateSize();
  inherited::Resize();
}

void TcxCustomCalculator::FontChanged() {
  if (!IsLoading()) SetParentFont(false);
  inherited::FontChanged();
  if (!FAutoFontSize) UpdateSize();
}

void TcxCustomCalculator::CreateParams(TCreateParams& Params) {
  inherited::CreateParams(Params);
  Params.Style |= WS_CLIPCHILDREN | WS_TABSTOP;
  Params.WindowClass.style &= ~UINT(CS_DBLCLKS);
  if (FBorderStyle == TBorderStyle::bsSingle) {
    if (GetCtl3D())
      Params.ExStyle |= WS_EX_CLIENTEDGE;
    else
      Params.Style |= WS_BORDER;
  }
}

// ---- Painting -----------------------------------------------------------------------------

void TcxCustomCalculator::InvalidateButton(TcxCalcButtonKind Kind) {
  if (Kind != cbNone) InvalidateRect(Btn(Kind).Bounds, false);
}

TcxButtonState TcxCustomCalculator::ButtonState(const TcxCalcButton& B) {
  using enum TcxButtonState;
  if (B.Grayed || !GetEnabled()) return cxbsDisabled;
  if (B.Down) return cxbsPressed;
  if (B.Kind == FHotButton && B.Kind != FCapturedButton) return cxbsHot;
  if (B.Kind == cbEqual && Focused()) return cxbsDefault;
  return cxbsNormal;
}

void TcxCustomCalculator::Paint() {
  TcxCanvas* C = GetCanvas();
  C->GetBrush()->SetColor(GetColor());
  C->FillRect(GetClientRect());
  C->SetFont(GetFont());
  if (FAutoFontSize) {
    C->GetFont()->SetSize(FFontSize);
    C->GetFont()->SetStyle(FFontSize < 10 ? TFontStyles{} : TFontStyles{TFontStyle::fsBold});
  }
  const TcxCustomLookAndFeelPainter* P = GetPainter();
  for (const TcxCalcButton& B : FButtons) {
    if (!C->RectVisible(B.Bounds)) continue;
    P->DrawButton(*C, B.Bounds, B.Text, ButtonState(B), true, clDefault, B.FontColor);
  }
  if (FShowFocusRect && Focused()) {
    TRect R = Btn(cbEqual).Bounds;
    InflateRect(&R, -3, -3);
    C->DrawFocusRect(R);
  }
}

void TcxCustomCalculator::FocusChanged() {
  inherited::FocusChanged();
  InvalidateButton(cbEqual);
}

// ---- Mouse --------------------------------------------------------------------------------

TcxCalcButtonKind TcxCustomCalculator::GetButtonKindAt(Integer X, Integer Y) const {
  for (const TcxCalcButton& B : FButtons)
    if (PtInRect(&B.Bounds, TPoint{X, Y})) return B.Kind;
  return cbNone;
}

void TcxCustomCalculator::MouseDown(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) {
  TWeakLink self(this);
  inherited::MouseDown(Button, Shift, X, Y);
  if (!self.Alive() || Button != TMouseButton::mbLeft) return;
  const TcxCalcButtonKind K = GetButtonKindAt(X, Y);
  if (K == cbNone || Btn(K).Grayed) return;
  SetMouseCapture(true);
  FTracking = true;
  FCapturedButton = K;
  Btn(K).Down = true;
  InvalidateButton(K);
}

void TcxCustomCalculator::MouseMove(TShiftState Shift, Integer X, Integer Y) {
  TWeakLink self(this);
  inherited::MouseMove(Shift, X, Y);
  if (!self.Alive()) return;
  const TcxCalcButtonKind K = GetButtonKindAt(X, Y);
  if (FTracking) {
    TcxCalcButton& B = Btn(FCapturedButton);
    if (B.Down != (K == FCapturedButton)) {
      B.Down = !B.Down;
      InvalidateButton(FCapturedButton);
    }
    return;
  }
  if (!GetPainter()->IsButtonHotTrack() || !GetEnabled() || K == FHotButton) return;
  const TcxCalcButtonKind Old = FHotButton;
  FHotButton = K;
  for (TcxCalcButtonKind B : {Old, K})
    if (B != cbNone && !Btn(B).Grayed) InvalidateButton(B);
}

void TcxCustomCalculator::StopTracking() {
  if (!FTracking) return;
  FTracking = false;
  Btn(FCapturedButton).Down = false;
  InvalidateButton(FCapturedButton);
  if (GetMouseCapture()) SetMouseCapture(false);
}

void TcxCustomCalculator::MouseUp(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) {
  TWeakLink self(this);
  inherited::MouseUp(Button, Shift, X, Y);
  if (!self.Alive() || !FTracking) return;
  const TcxCalcButtonKind K = FCapturedButton;
  StopTracking();
  FCapturedButton = cbNone;
  if (Button == TMouseButton::mbLeft && GetButtonKindAt(X, Y) == K) ButtonClick(K);
}

void TcxCustomCalculator::DoCancelMode() {
  inherited::DoCancelMode();
  StopTracking();
  FCapturedButton = cbNone;
}

void TcxCustomCalculator::MouseLeave(TControl* AControl) {
  TWeakLink self(this);  // OnMouseLeave may free the calculator
  inherited::MouseLeave(AControl);
  if (!self.Alive()) return;
  const TcxCalcButtonKind Old = FHotButton;
  FHotButton = cbNone;
  InvalidateButton(Old);
}

// ---- Keyboard -----------------------------------------------------------------------------

void TcxCustomCalculator::PressKeyButton(TcxCalcButtonKind Kind) {
  if (Kind == cbNone || Kind == FKeyPressedButton) return;
  ReleaseKeyButton();
  FKeyPressedButton = Kind;
  Btn(Kind).Down = true;
  InvalidateButton(Kind);
  TWeakLink self(this);
  Update();
  if (self.Alive() && Kind != cbBack) ButtonClick(Kind);
}

void TcxCustomCalculator::ReleaseKeyButton() {
  if (FKeyPressedButton == cbNone) return;
  Btn(FKeyPressedButton).Down = false;
  InvalidateButton(FKeyPressedButton);
  FKeyPressedButton = cbNone;
}

void TcxCustomCalculator::KeyDown(Word& Key, TShiftState Shift) {
  TWeakLink self(this);
  inherited::KeyDown(Key, Shift);
  if (!self.Alive()) return;
  const bool Ctrl = Shift.Contains(TShiftStateItem::ssCtrl);
  TcxCalcButtonKind K = cbNone;
  switch (Key) {
    case VK_RETURN: K = cbEqual; break;
    case VK_ESCAPE: K = cbClear; break;
    case VK_DELETE: K = cbCancel; break;
    case VK_F9: K = cbSign; break;
    case 'C': K = Ctrl ? cbNone : cbClear; break;
    case 'R': K = Ctrl ? cbMR : cbRev; break;
    case 'L': K = Ctrl ? cbMC : cbNone; break;
    case 'M': K = Ctrl ? cbMS : cbNone; break;
    case 'P': K = Ctrl ? cbMP : cbNone; break;
    default: break;
  }
  PressKeyButton(K);
}

void TcxCustomCalculator::KeyPress(Char& Key) {
  TWeakLink self(this);
  inherited::KeyPress(Key);
  if (!self.Alive()) return;
  TcxCalcButtonKind K = cbNone;
  switch (Key) {
    case 3: CopyToClipboard(); return;
    case 22: PasteFromClipboard(); return;
    case 8: K = cbBack; break;
    case '.':
    case ',': K = cbDecimal; break;
    case '+': K = cbAdd; break;
    case '-': K = cbSub; break;
    case '*': K = cbMul; break;
    case '/': K = cbDiv; break;
    case '%': K = cbPercent; break;
    case '=': K = cbEqual; break;
    case '@': K = cbSqrt; break;
    default:
      if (Key >= '0' && Key <= '9') K = TcxCalcButtonKind(int(cbNum0) + (Key - '0'));
      break;
  }
  PressKeyButton(K);
  // Back repeats with the key: every backspace character acts.
  if (self.Alive() && K == cbBack) ButtonClick(cbBack);
}

void TcxCustomCalculator::KeyUp(Word& Key, TShiftState Shift) {
  TWeakLink self(this);
  inherited::KeyUp(Key, Shift);
  if (self.Alive()) ReleaseKeyButton();
}

TL_DEFINE_CLASS(TcxCustomCalculator)
