#include "classlib/visual/ExtCtrls.h"

#include "classlib/visual/Forms.h"
#include "platform/host/HeadlessHost.h"
#include "platform/kernel/Units.h"

TTimer::TTimer(TComponent* AOwner) : TComponent(AOwner) {
  FWindowHandle = AllocateHWnd(TWndMethod(this, &TTimer::WndProc));
}

void TTimer::BeforeDestruction() {
  FEnabled = false;
  if (FWindowHandle) {
    KillTimer(FWindowHandle, 1);
    DeallocateHWnd(FWindowHandle);
    FWindowHandle = nullptr;
  }
  inherited::BeforeDestruction();
}

void TTimer::UpdateTimer() {
  if (!FWindowHandle) return;
  KillTimer(FWindowHandle, 1);
  if (InState(TComponentStateItem::csLoading)) return;
  if (FInterval != 0 && FEnabled && FOnTimer)
    if (!SetTimer(FWindowHandle, 1, FInterval, nullptr)) throw EOutOfResources("Not enough timers available");
}

void TTimer::SetEnabled(bool Value) {
  if (Value == FEnabled) return;
  FEnabled = Value;
  UpdateTimer();
}

void TTimer::SetInterval(Cardinal Value) {
  if (Value == FInterval) return;
  FInterval = Value;
  UpdateTimer();
}

void TTimer::SetOnTimer(TNotifyEvent Value) {
  FOnTimer = Value;
  UpdateTimer();
}

void TTimer::Loaded() {
  inherited::Loaded();
  UpdateTimer();
}

void TTimer::Timer() {
  if (FOnTimer) FOnTimer(this);
}

void TTimer::WndProc(TMessage& Message) {
  if (Message.Msg != WM_TIMER) {
    Message.Result = DefWindowProcA(FWindowHandle, Message.Msg, Message.WParam, Message.LParam);
    return;
  }
  try {
    Timer();
  } catch (const HeadlessStall&) {
    throw;
  } catch (...) {  // not cleanup: a timer's error is reported, never passed to the platform
    if (Application) Application->HandleException(this);
  }
}

TL_DEFINE_CLASS(TTimer, [](auto& c) {
  c.Property("Enabled", &TTimer::GetEnabled, &TTimer::SetEnabled).Default(true);
  c.Property("Interval", &TTimer::GetInterval, &TTimer::SetInterval).Default(1000);
  c.Property("OnTimer", &TTimer::GetOnTimer, &TTimer::SetOnTimer);
})

// ---- TImage ------------------------------------------------------------------------------

TImage::TImage(TComponent* AOwner) : TGraphicControl(AOwner) {
  FControlStyle.Include(TControlStyleItem::csReplicatable);
  FPicture = New<TPicture>();
  FPicture->OnChange = TNotifyEvent(this, &TImage::PictureChanged);
  SetBounds(0, 0, 105, 105);
}

void TImage::BeforeDestruction() {
  if (FPicture) {
    FPicture->OnChange = nullptr;
    FPicture->Free();
    FPicture = nullptr;
  }
  inherited::BeforeDestruction();
}

void TImage::AdjustToPicture() {
  if (FAutoSize && FPicture->GetWidth() > 0 && FPicture->GetHeight() > 0)
    SetBounds(FLeft, FTop, FPicture->GetWidth(), FPicture->GetHeight());
}

void TImage::PictureChanged(TObject*) {
  AdjustToPicture();
  Invalidate();
}

void TImage::SetAutoSize(bool Value) {
  if (Value == FAutoSize) return;
  FAutoSize = Value;
  AdjustToPicture();
}

void TImage::SetCenter(bool Value) {
  if (Value == FCenter) return;
  FCenter = Value;
  Invalidate();
}

void TImage::SetStretch(bool Value) {
  if (Value == FStretch) return;
  FStretch = Value;
  Invalidate();
}

void TImage::Paint() {
  TGraphic* g = FPicture->GetGraphic();
  if (!g || g->Empty()) return;
  if (FStretch) {
    FCanvas->StretchDraw(TRect{0, 0, FWidth, FHeight}, g);
    return;
  }
  const Integer x = FCenter ? (FWidth - g->GetWidth()) / 2 : 0;
  const Integer y = FCenter ? (FHeight - g->GetHeight()) / 2 : 0;
  FCanvas->Draw(x, y, g);
}

TL_DEFINE_CLASS(TImage, [](auto& c) {
  c.Property("AutoSize", &TImage::GetAutoSize, &TImage::SetAutoSize).Default(false);
  c.Property("Center", &TImage::GetCenter, &TImage::SetCenter).Default(false);
  c.Property("Picture", &TImage::GetPicture, &TImage::SetPicture);
  c.Property("Stretch", &TImage::GetStretch, &TImage::SetStretch).Default(false);
})

namespace {
UnitCounter gExtCtrls;
}

void ExtCtrlsUnit::Initialize() {
  if (!gExtCtrls.Enter()) return;
  RegisterClass(TTimer::StaticClass());
  RegisterClass(TImage::StaticClass());
}

void ExtCtrlsUnit::Finalize() {
  if (gExtCtrls.Leave()) UnRegisterClass(TImage::StaticClass());
}
