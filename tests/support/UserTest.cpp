#include "tests/support/UserTest.h"

#include "platform/gdi/DeviceContext.h"
#include "platform/gdi/Gdi.h"
#include "platform/gdi/GdiObject.h"

#include <filesystem>

namespace {

size_t g_gdiObjectsAtStart = 0;
size_t g_dcsAtStart = 0;

void UserReset() {
  UserResetState();
  // System colours are process-wide: a test that changes them must not colour the next.
  SetSysColorPreset(SysColorPreset::Classic);
  PlatformUserInitialize();
  g_gdiObjectsAtStart = GdiLiveObjectCount();
  g_dcsAtStart = LiveDCCount();
}

void UserLeaks(std::vector<std::string>& leaks) {
  if (int n = UserLiveWindowCount()) leaks.push_back(std::to_string(n) + " window(s) not destroyed");
  if (int n = UserLiveTimerCount()) leaks.push_back(std::to_string(n) + " timer(s) not killed");
  if (int n = UserLiveHookCount()) leaks.push_back(std::to_string(n) + " hook(s) not removed");
  if (GdiLiveObjectCount() > g_gdiObjectsAtStart)
    leaks.push_back(std::to_string(GdiLiveObjectCount() - g_gdiObjectsAtStart) + " GDI object(s) not deleted");
  if (LiveDCCount() > g_dcsAtStart)
    leaks.push_back(std::to_string(LiveDCCount() - g_dcsAtStart) + " device context(s) not released");
}

}  // namespace


namespace {

HeadlessHost* g_host = nullptr;
bool g_dumped = false;
std::string g_testName;   // taken at set-up: gtest's own lock is held while failures are reported

// At a test's first failure, each visible top-level window is saved as a PNG for the reader.
void DumpWindows(HeadlessHost& host) {
  std::string base = std::string(TL_BINARY_DIR) + "/test-dumps/";
  std::error_code ec;
  std::filesystem::create_directories(base, ec);
  if (ec) return;
  std::string name = g_testName;
  for (char& c : name)
    if (c == '/') c = '_';   // parameterised names
  int n = 0;
  for (HWND h = GetTopWindow(nullptr); h; h = GetWindow(h, GW_HWNDNEXT)) {
    if (!IsWindowVisible(h)) continue;
    Surface s = host.Capture(h);
    if (!s.IsEmpty()) SaveSurfacePng(s, base + name + "." + std::to_string(n++) + ".png");
  }
}

class DumpOnFailure : public ::testing::EmptyTestEventListener {
  void OnTestPartResult(const ::testing::TestPartResult& result) override {
    if (!result.failed() || !g_host || g_dumped) return;
    g_dumped = true;
    DumpWindows(*g_host);
  }
};

}  // namespace

void UserTest::SetUp() {
  AddTestHook({"user", UserReset, UserLeaks});
  host_ = std::make_unique<HeadlessHost>(Clock());
  static bool listening = false;
  if (!listening) {
    ::testing::UnitTest::GetInstance()->listeners().Append(new DumpOnFailure);   // gtest owns it
    listening = true;
  }
  g_host = host_.get();
  g_dumped = false;
  const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
  g_testName = info ? std::string(info->test_suite_name()) + "." + info->name() : "test";
  KernelTest::SetUp();
}

void UserTest::TearDown() {
  KernelTest::TearDown();
  // Whatever a failed test left is destroyed now, so the next test starts clean.
  UserResetState();
  g_host = nullptr;
  host_.reset();
}
