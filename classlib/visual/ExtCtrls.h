// TTimer: OnTimer every Interval milliseconds while Enabled, on a utility window.
// TImage: a picture shown on its parent, at the top left, centred or stretched.
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

class TImage : public TGraphicControl {
  TL_CLASS(TImage, TGraphicControl)
 public:
  explicit TImage(TComponent* AOwner);
  void BeforeDestruction() override;

  TPicture* GetPicture() const { return FPicture; }
  void SetPicture(TPicture* Value) { FPicture->Assign(Value); }
  // The control takes the picture's size whenever the picture changes.
  bool GetAutoSize() const { return FAutoSize; }
  void SetAutoSize(bool Value);
  bool GetCenter() const { return FCenter; }
  void SetCenter(bool Value);
  bool GetStretch() const { return FStretch; }
  void SetStretch(bool Value);

 protected:
  void Paint() override;

 private:
  void PictureChanged(TObject* Sender);
  void AdjustToPicture();

  TPicture* FPicture = nullptr;
  bool FAutoSize = false;
  bool FCenter = false;
  bool FStretch = false;
};

namespace ExtCtrlsUnit {
void Initialize();
void Finalize();
}  // namespace ExtCtrlsUnit
