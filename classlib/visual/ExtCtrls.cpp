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
  } catch (...) {
    if (Application) Application->HandleException(this);
  }
}

TL_DEFINE_CLASS(TTimer, [](auto& c) {
  c.Property("Enabled", &TTimer::GetEnabled, &TTimer::SetEnabled).Default(true);
  c.Property("Interval", &TTimer::GetInterval, &TTimer::SetInterval).Default(1000);
  c.Property("OnTimer", &TTimer::GetOnTimer, &TTimer::SetOnTimer);
})

namespace {
UnitCounter gExtCtrls;
}

void ExtCtrlsUnit::Initialize() {
  if (gExtCtrls.Enter()) RegisterClass(TTimer::StaticClass());
}

void ExtCtrlsUnit::Finalize() { gExtCtrls.Leave(); }
