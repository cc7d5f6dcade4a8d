// A parent window that records the notifications its controls send, and the test face.
#pragma once

#include "platform/gdi/Gdi.h"
#include "platform/gdi/Text.h"
#include "platform/user/Controls.h"
#include "tests/platform/user/UserTestUtil.h"
#include "tests/support/UserTest.h"

#include <utility>

class ControlTest : public UserTest {
 protected:
  void SetUp() override {
    UserTest::SetUp();
    font = CreateFontA(-16, 0, 0, 0, FW_NORMAL, 0, 0, 0, ANSI_CHARSET, 0, 0, 0, 0, kTestFaceName);
    rec.handler = [this](HWND, UINT m, WPARAM w, LPARAM l, LRESULT& r) {
      if (m == WM_COMMAND) notes.push_back({LOWORD(w), HIWORD(w)});
      if (onMessage) return onMessage(m, w, l, r);
      return false;
    };
    parent = rec.Create(WS_OVERLAPPEDWINDOW | WS_VISIBLE, 50, 50, 400, 300);
  }
  void TearDown() override {
    if (IsWindow(parent)) DestroyWindow(parent);
    DeleteObject(font);
    UserTest::TearDown();
  }
  HWND Child(const char* cls, const char* text, DWORD style, int x, int y, int w, int h, int id = 7) {
    HWND c = CreateWindowExA(0, cls, text, WS_CHILD | WS_VISIBLE | style, x, y, w, h, parent,
                             reinterpret_cast<HMENU>(intptr_t(id)), nullptr, nullptr);
    SendMessageA(c, WM_SETFONT, reinterpret_cast<WPARAM>(font), 0);
    return c;
  }
  // Notification codes received so far (ids checked to be `id`), then cleared.
  std::vector<WORD> Codes(WORD id = 7) {
    std::vector<WORD> out;
    for (auto& n : notes) {
      EXPECT_EQ(n.first, id);
      out.push_back(n.second);
    }
    notes.clear();
    return out;
  }
  PumpedInput in() { return PumpedInput(host()); }
  using Notes = std::vector<std::pair<WORD, WORD>>;
  int CharWidth() {
    HDC dc = GetDC(nullptr);
    HGDIOBJ old = SelectObject(dc, font);
    SIZE sz;
    GetTextExtentPoint32A(dc, "x", 1, &sz);
    SelectObject(dc, old);
    ReleaseDC(nullptr, dc);
    return sz.cx;
  }

  Recorder rec;
  HWND parent = nullptr;
  HFONT font = nullptr;
  std::vector<std::pair<WORD, WORD>> notes;
  std::function<bool(UINT, WPARAM, LPARAM, LRESULT&)> onMessage;
};
