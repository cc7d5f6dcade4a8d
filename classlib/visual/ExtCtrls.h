// TTimer: OnTimer every Interval milliseconds while Enabled, on a utility window.
#pragma once

#include "classlib/visual/Controls.h"

class TTimer : public TComponent {
  TL_CLASS(TTimer, TComponent)
 public:
  explicit TTimer(TComponent* AOwner);
  void BeforeDestruction() override;

  bool GetEnabled() const { return FEnabled; }
  void SetEnabled(bool Value);
  Cardinal GetInterval() const { return FInterval; }
  void SetInterval(Cardinal Value);
  TNotifyEvent GetOnTimer() const { return FOnTimer; }
  void SetOnTimer(TNotifyEvent Value);

 protected:
  virtual void Timer();
  void Loaded() override;

 private:
  void UpdateTimer();
  void WndProc(TMessage& Message);

  bool FEnabled = true;
  Cardinal FInterval = 1000;
  TNotifyEvent FOnTimer;
  HWND FWindowHandle = nullptr;
};

namespace ExtCtrlsUnit {
void Initialize();
void Finalize();
}  // namespace ExtCtrlsUnit
