// The screen host: every captioned top-level window is a real window showing its client
// area and menu bar when a window manager draws caption and borders, and the whole window
// with the platform's own frame when none runs; popups are borderless always-on-top
// windows at their screen positions. Input, the clock and presenting are real; focus,
// activation and capture stay with the platform.
#pragma once

#include "platform/host/Host.h"

#include <memory>
#include <string>

class SdlHost final : public Host {
 public:
  // Initialises SDL's video subsystem on its software framebuffer path; false with a
  // readable reason when there is no display.
  static std::unique_ptr<SdlHost> Create(std::string& error);
  ~SdlHost() override;
  SdlHost(const SdlHost&) = delete;
  SdlHost& operator=(const SdlHost&) = delete;

  DWORD Now() override;
  void Sleep(DWORD ms) override;
  bool WaitForInput(std::optional<DWORD> deadline) override;
  void PollInput() override;
  void TopLevelChanged(HWND hwnd, const TRect& screen, DWORD style) override;
  void TopLevelDestroyed(HWND hwnd) override;
  void Present(HWND hwnd, const Region& dirty) override;
  void SetCursor(HCURSOR cursor) override;
  TRect WorkArea() override;

  // How often a window's pixels reached the screen; the native (X11) id of its window;
  // where its client area starts inside what is shown.
  int PresentCount(HWND hwnd) const;
  TPoint ShownClientOrigin(HWND hwnd) const;
  unsigned long NativeWindowId(HWND hwnd) const;

  struct Impl;

 private:
  SdlHost();
  std::unique_ptr<Impl> impl_;
};

// Chooses the screen host for the program and installs it as the platform's host. Fails
// with a clear message when no display is available. The host lives until StopSdlHost.
bool StartSdlHost(std::string& error);
void StopSdlHost();
SdlHost* GetSdlHost();
