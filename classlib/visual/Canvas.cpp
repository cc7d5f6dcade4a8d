// Canvases: drawing operations over a device context with lazily selected objects, and
// the canvases of controls and of the screen.
#include "classlib/visual/Graphics.h"
#include "platform/gdi/Text.h"
#include "platform/user/User.h"

#include <algorithm>

using enum TCanvasStateItem;

TL_DEFINE_CLASS(TCanvas)

TCanvas::TCanvas() {
  FFont = New<TFont>();
  FFont->OnChange = TNotifyEvent(this, &TCanvas::FontChanged);
  FPen = New<TPen>();
  FPen->OnChange = TNotifyEvent(this, &TCanvas::PenChanged);
  FBrush = New<TBrush>();
  FBrush->OnChange = TNotifyEvent(this, &TCanvas::BrushChanged);
}

void TCanvas::BeforeDestruction() {
  SetHandle(nullptr);
  inherited::BeforeDestruction();
}

TCanvas::~TCanvas() {
  FreeAndNil(FFont);
  FreeAndNil(FPen);
  FreeAndNil(FBrush);
}

HDC TCanvas::GetHandle() {
  RequiredState({csHandleValid});
  return FHandle;
}

void TCanvas::SetHandle(HDC Value) {
  if (Value == FHandle) return;
  if (FHandle) DeselectHandles();
  FHandle = Value;
  if (FHandle) {
    FState.Include(csHandleValid);
    MoveToEx(FHandle, FPenPos.X, FPenPos.Y, nullptr);
  }
}

void TCanvas::DeselectHandles() {
  if (!FHandle) return;
  if (FState.Contains(csFontValid) && FOldFont) SelectObject(FHandle, FOldFont);
  if (FState.Contains(csPenValid) && FOldPen) SelectObject(FHandle, FOldPen);
  if (FState.Contains(csBrushValid) && FOldBrush) SelectObject(FHandle, FOldBrush);
  FOldFont = FOldPen = FOldBrush = nullptr;
  FState = {};
  FHandle = nullptr;
}

void TCanvas::RequiredState(TCanvasState ReqState) {
  TCanvasState need = ReqState - FState;
  if (need.Empty()) return;
  if (need.Contains(csHandleValid)) {
    CreateHandle();
    if (!FHandle) throw EInvalidOperation("Canvas does not allow drawing");
    FState.Include(csHandleValid);
  }
  if (need.Contains(csFontValid)) CreateFont();
  if (need.Contains(csPenValid)) CreatePen();
  if (need.Contains(csBrushValid)) CreateBrush();
}

void TCanvas::CreateFont() {
  HGDIOBJ old = SelectObject(FHandle, FFont->GetHandle());
  if (!FOldFont) FOldFont = old;
  SetTextColor(FHandle, ColorToDevice(FFont->GetColor()));
  FState.Include(csFontValid);
}

void TCanvas::CreatePen() {
  HGDIOBJ old = SelectObject(FHandle, FPen->GetHandle());
  if (!FOldPen) FOldPen = old;
  SetROP2(FHandle, FPen->Rop2());
  FState.Include(csPenValid);
}

void TCanvas::CreateBrush() {
  HGDIOBJ old = SelectObject(FHandle, FBrush->GetHandle());
  if (!FOldBrush) FOldBrush = old;
  // The brush decides how text and hatch gaps are backed: opaque in the brush colour for
  // a solid brush, left alone otherwise.
  if (FBrush->GetStyle() == TBrushStyle::bsSolid) {
    SetBkColor(FHandle, ColorToDevice(FBrush->GetColor()));
    SetBkMode(FHandle, OPAQUE);
  } else {
    SetBkColor(FHandle, ~ColorToDevice(FBrush->GetColor()) & 0x00FFFFFF);
    SetBkMode(FHandle, TRANSPARENT);
  }
  FState.Include(csBrushValid);
}

void TCanvas::FontChanged(TObject*) {
  if (FState.Contains(csFontValid)) {
    FState.Exclude(csFontValid);
    if (FHandle && FOldFont) SelectObject(FHandle, FOldFont);
  }
}

void TCanvas::PenChanged(TObject*) {
  if (FState.Contains(csPenValid)) {
    FState.Exclude(csPenValid);
    if (FHandle && FOldPen) SelectObject(FHandle, FOldPen);
  }
}

void TCanvas::BrushChanged(TObject*) {
  if (FState.Contains(csBrushValid)) {
    FState.Exclude(csBrushValid);
    if (FHandle && FOldBrush) SelectObject(FHandle, FOldBrush);
  }
}

void TCanvas::Refresh() {
  FontChanged(nullptr);
  PenChanged(nullptr);
  BrushChanged(nullptr);
}

void TCanvas::Changing() {
  if (OnChanging) OnChanging(this);
}

void TCanvas::Changed() {
  if (OnChange) OnChange(this);
}

TPoint TCanvas::GetPenPos() {
  RequiredState({csHandleValid});
  GetCurrentPositionEx(FHandle, &FPenPos);
  return FPenPos;
}

TRect TCanvas::ClipRect() {
  RequiredState({csHandleValid});
  TRect r{};
  GetClipBox(FHandle, &r);
  return r;
}

void TCanvas::MoveTo(Integer X, Integer Y) {
  RequiredState({csHandleValid});
  MoveToEx(FHandle, X, Y, nullptr);
  FPenPos = {X, Y};
}

void TCanvas::LineTo(Integer X, Integer Y) {
  Changing();
  RequiredState({csHandleValid, csPenValid, csBrushValid});
  ::LineTo(FHandle, X, Y);
  FPenPos = {X, Y};
  Changed();
}

void TCanvas::Polyline(const std::vector<TPoint>& Points) {
  if (Points.empty()) return;
  Changing();
  RequiredState({csHandleValid, csPenValid, csBrushValid});
  ::Polyline(FHandle, Points.data(), int(Points.size()));
  Changed();
}

void TCanvas::Polygon(const std::vector<TPoint>& Points) {
  if (Points.empty()) return;
  Changing();
  RequiredState({csHandleValid, csPenValid, csBrushValid});
  ::Polygon(FHandle, Points.data(), int(Points.size()));
  Changed();
}

void TCanvas::Rectangle(Integer X1, Integer Y1, Integer X2, Integer Y2) {
  Changing();
  RequiredState({csHandleValid, csPenValid, csBrushValid});
  ::Rectangle(FHandle, X1, Y1, X2, Y2);
  Changed();
}

void TCanvas::RoundRect(Integer X1, Integer Y1, Integer X2, Integer Y2, Integer X3, Integer Y3) {
  Changing();
  RequiredState({csHandleValid, csPenValid, csBrushValid});
  ::RoundRect(FHandle, X1, Y1, X2, Y2, X3, Y3);
  Changed();
}

void TCanvas::Ellipse(Integer X1, Integer Y1, Integer X2, Integer Y2) {
  Changing();
  RequiredState({csHandleValid, csPenValid, csBrushValid});
  ::Ellipse(FHandle, X1, Y1, X2, Y2);
  Changed();
}

void TCanvas::Pie(Integer X1, Integer Y1, Integer X2, Integer Y2, Integer X3, Integer Y3, Integer X4, Integer Y4) {
  Changing();
  RequiredState({csHandleValid, csPenValid, csBrushValid});
  ::Pie(FHandle, X1, Y1, X2, Y2, X3, Y3, X4, Y4);
  Changed();
}

void TCanvas::FillRect(const TRect& R) {
  Changing();
  RequiredState({csHandleValid, csBrushValid});
  ::FillRect(FHandle, &R, FBrush->GetHandle());
  Changed();
}

void TCanvas::FrameRect(const TRect& R) {
  Changing();
  RequiredState({csHandleValid, csBrushValid});
  ::FrameRect(FHandle, &R, FBrush->GetHandle());
  Changed();
}

void TCanvas::DrawFocusRect(const TRect& R) {
  Changing();
  RequiredState({csHandleValid, csBrushValid});
  ::DrawFocusRect(FHandle, &R);
  Changed();
}

TColor TCanvas::GetPixel(Integer X, Integer Y) {
  RequiredState({csHandleValid});
  return TColor(::GetPixel(FHandle, X, Y));
}

void TCanvas::SetPixel(Integer X, Integer Y, TColor Value) {
  if (Value == clNone || Value == clDefault) return;
  Changing();
  RequiredState({csHandleValid, csPenValid});
  ::SetPixel(FHandle, X, Y, ColorToDevice(Value));
  Changed();
}

void TCanvas::TextOut(Integer X, Integer Y, const String& Text) {
  Changing();
  RequiredState({csHandleValid, csFontValid, csBrushValid});
  ExtTextOutA(FHandle, X, Y, 0, nullptr, Text.data(), UINT(Text.size()), nullptr);
  MoveTo(X + TextWidth(Text), Y);
  Changed();
}

void TCanvas::TextRect(const TRect& R, Integer X, Integer Y, const String& Text) {
  Changing();
  RequiredState({csHandleValid, csFontValid, csBrushValid});
  UINT options = ETO_CLIPPED;
  if (FBrush->GetStyle() != TBrushStyle::bsClear) options |= ETO_OPAQUE;
  ExtTextOutA(FHandle, X, Y, options, &R, Text.data(), UINT(Text.size()), nullptr);
  Changed();
}

void TCanvas::TextRect(TRect& R, const String& Text, UINT Format) {
  Changing();
  RequiredState({csHandleValid, csFontValid, csBrushValid});
  DrawTextA(FHandle, Text.data(), int(Text.size()), &R, Format & ~DT_MODIFYSTRING);
  Changed();
}

TSize TCanvas::TextExtent(const String& Text) {
  RequiredState({csHandleValid, csFontValid});
  TSize s{};
  GetTextExtentPoint32A(FHandle, Text.data(), int(Text.size()), &s);
  return s;
}

void TCanvas::Draw(Integer X, Integer Y, TGraphic* Graphic) {
  if (!Graphic || Graphic->Empty()) return;
  Changing();
  RequiredState({csHandleValid});
  Graphic->Draw(this, Bounds(X, Y, Graphic->GetWidth(), Graphic->GetHeight()));
  Changed();
}

void TCanvas::StretchDraw(const TRect& R, TGraphic* Graphic) {
  if (!Graphic || Graphic->Empty()) return;
  Changing();
  RequiredState({csHandleValid});
  Graphic->Draw(this, R);
  Changed();
}

void TCanvas::CopyRect(const TRect& Dest, TCanvas* Canvas, const TRect& Source) {
  if (!Canvas) return;
  Changing();
  RequiredState({csHandleValid, csFontValid, csBrushValid});
  Canvas->RequiredState({csHandleValid, csBrushValid});
  StretchBlt(FHandle, Dest.Left, Dest.Top, Dest.Width(), Dest.Height(), Canvas->FHandle, Source.Left,
             Source.Top, Source.Width(), Source.Height(), DWORD(FCopyMode));
  Changed();
}

void TCanvas::BrushCopy(const TRect& Dest, TBitmap* Bitmap, const TRect& Source, TColor Color) {
  if (!Bitmap || Bitmap->Empty() || Dest.IsEmpty() || Source.IsEmpty()) return;
  Changing();
  RequiredState({csHandleValid, csBrushValid});
  const Integer w = Dest.Width(), h = Dest.Height();
  HDC src = Bitmap->Canvas()->GetHandle();
  // A copy of the source at the destination's size, and a mask of `Color` (white there).
  HDC work = CreateCompatibleDC(FHandle);
  HBITMAP image = CreateBitmap(w, h, 1, 32, nullptr);
  HGDIOBJ oldImage = SelectObject(work, image);
  HDC maskDC = CreateCompatibleDC(FHandle);
  HBITMAP mask = CreateBitmap(w, h, 1, 1, nullptr);
  HGDIOBJ oldMask = SelectObject(maskDC, mask);
  if (image && mask) {
    StretchBlt(work, 0, 0, w, h, src, Source.Left, Source.Top, Source.Width(), Source.Height(), SRCCOPY);
    SetBkColor(work, ColorToDevice(Color));
    BitBlt(maskDC, 0, 0, w, h, work, 0, 0, SRCCOPY);
    // Blacken the transparent pixels of the copy: mask white -> black, black -> white.
    SetBkColor(work, RGB(0, 0, 0));
    SetTextColor(work, RGB(255, 255, 255));
    BitBlt(work, 0, 0, w, h, maskDC, 0, 0, SRCAND);
    // The destination: the brush where the mask is white, black elsewhere; then the copy
    // is merged in. A clear brush paints nothing, so the transparent pixels keep the
    // destination as it was.
    const COLORREF oldText = SetTextColor(FHandle, RGB(0, 0, 0));
    const COLORREF oldBk = SetBkColor(FHandle, RGB(255, 255, 255));
    const bool clear = FBrush->GetStyle() == TBrushStyle::bsClear;
    BitBlt(FHandle, Dest.Left, Dest.Top, w, h, maskDC, 0, 0, clear ? SRCAND : MERGECOPY);
    BitBlt(FHandle, Dest.Left, Dest.Top, w, h, work, 0, 0, SRCPAINT);
    SetTextColor(FHandle, oldText);
    SetBkColor(FHandle, oldBk);
  }
  SelectObject(maskDC, oldMask);
  SelectObject(work, oldImage);
  DeleteDC(maskDC);
  DeleteDC(work);
  if (mask) DeleteObject(mask);
  if (image) DeleteObject(image);
  Changed();
}

// ---- TControlCanvas --------------------------------------------------------------------------------

namespace {
TControlDCProvider g_controlDCProvider = nullptr;
}

void SetControlCanvasDCProvider(TControlDCProvider Provider) { g_controlDCProvider = Provider; }

TL_DEFINE_CLASS(TControlCanvas)

void TControlCanvas::BeforeDestruction() {
  FreeHandle();
  inherited::BeforeDestruction();
}

void TControlCanvas::SetControl(TControl* Value) {
  if (Value == FControl) return;
  FreeHandle();
  FControl = Value;
}

void TControlCanvas::CreateHandle() {
  if (!FControl || !g_controlDCProvider) return;
  HWND window = nullptr;
  HDC dc = g_controlDCProvider(FControl, window);
  if (!dc) return;
  FDeviceContext = dc;
  FWindow = window;
  SetHandle(dc);
}

void TControlCanvas::FreeHandle() {
  if (!FDeviceContext) return;
  if (CurrentHandle() == FDeviceContext) SetHandle(nullptr);
  ReleaseDC(FWindow, FDeviceContext);
  FDeviceContext = nullptr;
  FWindow = nullptr;
}

// ---- TScreenCanvas ---------------------------------------------------------------------------------

TL_DEFINE_CLASS(TScreenCanvas)

void TScreenCanvas::BeforeDestruction() {
  FreeHandle();
  inherited::BeforeDestruction();
}

void TScreenCanvas::CreateHandle() {
  FDeviceContext = GetDC(nullptr);
  SetHandle(FDeviceContext);
}

void TScreenCanvas::FreeHandle() {
  if (!FDeviceContext) return;
  if (CurrentHandle() == FDeviceContext) SetHandle(nullptr);
  ReleaseDC(nullptr, FDeviceContext);
  FDeviceContext = nullptr;
}
