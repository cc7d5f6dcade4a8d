#include "tests/support/KernelTest.h"

#include "platform/shell/Shell.h"

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <thread>
#include <tuple>

namespace {

using ShellTest = KernelTest;

uintptr_t Result(HINSTANCE h) { return reinterpret_cast<uintptr_t>(h); }

// Really launches (recording off) `address` with PATH set to `path` for the call.
uintptr_t OpenWithPath(const std::string& path, const char* address) {
  const char* oldPath = std::getenv("PATH");
  const std::string savedPath = oldPath ? oldPath : "";
  setenv("PATH", path.c_str(), 1);
  SetShellRecording(false);
  const uintptr_t r = Result(ShellExecuteA(nullptr, "open", address, nullptr, nullptr, 1));
  setenv("PATH", savedPath.c_str(), 1);
  return r;
}

}  // namespace

TEST_F(ShellTest, OpenIsRecordedWithTheAddressAsOneArgument) {
  const char* address = "http://example.org/a b?c=\"d\"&e=$(f);g";
  EXPECT_GT(Result(ShellExecuteA(nullptr, "OPEN", address, nullptr, nullptr, SW_SHOWMAXIMIZED)),
            32u);
  ASSERT_EQ(ShellLaunches().size(), 1u);
  EXPECT_EQ(ShellLaunches()[0], (std::vector<String>{"xdg-open", address}));
  // Text leaves the system as UTF-8.
  ShellExecuteA(nullptr, "open", "http://caf\xE9.example", nullptr, nullptr, SW_SHOWNORMAL);
  EXPECT_EQ(ShellLaunches()[1][1], "http://caf\xC3\xA9.example");
}

TEST_F(ShellTest, RefusalsAreErrorCodesAndLaunchNothing) {
  // The opener would take "--help" for an option.
  const std::tuple<const char*, const char*, uintptr_t> refused[] = {{"print", "http://x", SE_ERR_NOASSOC},
                                                                     {"OPEN", "", SE_ERR_FNF},
                                                                     {"OPEN", nullptr, SE_ERR_FNF},
                                                                     {"OPEN", "--help", SE_ERR_NOASSOC}};
  for (auto [verb, file, code] : refused)
    EXPECT_EQ(Result(ShellExecuteA(nullptr, verb, file, nullptr, nullptr, 1)), code) << (file ? file : "null");
  EXPECT_TRUE(ShellLaunches().empty());
}

// The real launch path, against a stand-in opener on PATH that writes down its arguments.
TEST_F(ShellTest, TheOpenerReceivesExactlyTheAddress) {
  namespace fs = std::filesystem;
  const fs::path dir = fs::temp_directory_path() / ("tl-shell-" + std::to_string(getpid()));
  fs::create_directories(dir);
  const fs::path out = dir / "args";
  {
    std::ofstream script(dir / "xdg-open");
    script << "#!/bin/sh\nprintf '%s|' \"$#\" \"$@\" > '" << out.string() << ".tmp'\n"
           << "mv '" << out.string() << ".tmp' '" << out.string() << "'\n";
  }
  fs::permissions(dir / "xdg-open", fs::perms::owner_all);
  const char* address = "http://h/p q;$(touch bad)`x`'\"";
  EXPECT_GT(OpenWithPath(dir.string() + ":/usr/bin:/bin", address), 32u);
  // The opener runs detached; wait for its note, within a generous bound.
  for (int i = 0; i < 1000 && !fs::exists(out); ++i)
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  std::ifstream in(out);
  const std::string got((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  std::string expected = "1|";
  expected.append(address).append("|");
  EXPECT_EQ(got, expected);
  EXPECT_FALSE(fs::exists("bad"));
  EXPECT_TRUE(ShellLaunches().empty());
  fs::remove_all(dir);
}

TEST_F(ShellTest, NoOpenerIsAnError) { EXPECT_EQ(OpenWithPath("/nonexistent-dir", "http://x"), SE_ERR_NOASSOC); }
