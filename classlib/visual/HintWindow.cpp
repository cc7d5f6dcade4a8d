// The hint window and the short part of a hint text.
#include "classlib/visual/HintWindow.h"

#include "classlib/visual/Forms.h"

#include <algorithm>

namespace {
// Room between the frame and the text, on each side.
constexpr Integer kHintMarginX = 2;
constexpr Integer kHintMarginY = 1;
constexpr UINT kHintTextFormat = DT_LEFT | DT_WORDBREAK | DT_NOPREFIX;
}  // namespace

String GetShortHint(const String& Hint) {
  const size_t bar = Hint.find('|');
  return bar == String::npos ? Hint : Hint.substr(0, bar);
}

THintWindow::THintWindow(TComponent* AOwner) : TCustomControl(AOwner) {
  FVisible = false;  // shown by ActivateHint only
  FColor = clInfoBk;
  FParentColor = false;
  FFont->SetColor(clInfoText);
  FParentFont = false;
}

void THintWindow::CreateParams(TCreateParams& Params) {
  inherited::CreateParams(Params);
  Params.Style = WS_POPUP | WS_BORDER;
  Params.ExStyle = WS_EX_TOOLWINDOW | WS_EX_TOPMOST;
  // Owned by the application's window, so it never shows as a window of its own.
  Params.WndParent = Application ? Application->Handle() : nullptr;
  Params.WindowClass.style |= CS_SAVEBITS;
}

TRect THintWindow::CalcHintRect(Integer MaxWidth, const String& AHint) {
  const Integer frame = 2 * GetSystemMetrics(SM_CXBORDER) + 2 * kHintMarginX;
  const Integer frameY = 2 * GetSystemMetrics(SM_CYBORDER) + 2 * kHintMarginY;
  TRect r{0, 0, std::max<Integer>(MaxWidth - frame, 1), 0};
  Canvas()->SetFont(FFont);
  Canvas()->TextRect(r, AHint, kHintTextFormat | DT_CALCRECT);
  return {0, 0, r.Right + frame, r.Bottom + frameY};
}

void THintWindow::ActivateHint(TRect Rect, const String& AHint) {
  SetText(AHint);
  const Integer w = Rect.Right - Rect.Left, h = Rect.Bottom - Rect.Top;
  const Integer screenW = GetSystemMetrics(SM_CXSCREEN), screenH = GetSystemMetrics(SM_CYSCREEN);
  // Past the right or bottom edge it moves back; the top-left corner stays on the screen.
  Integer x = std::max<Integer>(std::min(Rect.Left, screenW - w), 0);
  Integer y = std::max<Integer>(std::min(Rect.Top, screenH - h), 0);
  SetBounds(x, y, w, h);
  SetWindowPos(GetHandle(), HWND_TOPMOST, x, y, w, h, SWP_SHOWWINDOW | SWP_NOACTIVATE);
  FVisible = true;
  FShown = true;
  Invalidate();
}

void THintWindow::ReleaseHint() {
  if (!FShown) return;
  FShown = false;
  FVisible = false;
  if (HandleAllocated()) ShowWindow(GetHandle(), SW_HIDE);
}

void THintWindow::Paint() {
  TCanvas* c = Canvas();
  TRect r = GetClientRect();
  c->Brush()->SetColor(FColor);
  c->FillRect(r);
  c->SetFont(FFont);
  c->Brush()->SetStyle(TBrushStyle::bsClear);
  r = {r.Left + kHintMarginX, r.Top + kHintMarginY, r.Right - kHintMarginX, r.Bottom - kHintMarginY};
  c->TextRect(r, GetText(), kHintTextFormat);
}

// The mouse goes through to the window below: a hint never takes the mouse from the
// control it belongs to.
void THintWindow::WMNCHitTest(TMessage& Message) { Message.Result = HTTRANSPARENT; }

TL_MESSAGES(THintWindow, TL_ON(WM_NCHITTEST, WMNCHitTest))

TL_DEFINE_CLASS(THintWindow)
