#include "tests/support/KernelTest.h"

#include "platform/kernel/Modules.h"

#include <cstring>
#include <filesystem>
#include <stdexcept>

namespace {

int Seven() { return 7; }
int Eight() { return 8; }

using Fn = int (*)();
int Call(FARPROC p) { return reinterpret_cast<Fn>(p)(); }

class ModulesTest : public KernelTest {
 protected:
  void SetUp() override {
    KernelTest::SetUp();
    RegisterModule("UxTheme.dll",
                   {Export("OpenThemeData", &Seven), Export("CloseThemeData", &Eight)});
  }
};

}  // namespace

TEST_F(ModulesTest, LoadsByNameInAnyCaseAndResolvesExports) {
  HMODULE h = LoadLibraryA("uxtheme.DLL");
  ASSERT_NE(h, nullptr);
  EXPECT_EQ(LoadLibraryA("UXTHEME"), h);                             // ".dll" implied
  EXPECT_EQ(LoadLibraryA("C:\\Windows\\System32\\uxtheme.dll"), h);  // folder ignored
  EXPECT_EQ(GetModuleHandleA("UxTheme.dll"), h);
  EXPECT_EQ(Call(GetProcAddress(h, "OpenThemeData")), 7);
  // Export names are exact.
  for (const char* name : {"openthemedata", "Missing", MAKEINTRESOURCEA(1), static_cast<const char*>(nullptr)})
    EXPECT_EQ(GetProcAddress(h, name), nullptr);
  for (int i = 0; i < 3; ++i) EXPECT_EQ(FreeLibrary(h), TRUE);
}

TEST_F(ModulesTest, UnknownModulesAreAbsent) {
  for (const char* name : {"other.dll", "uxtheme.dl", "", static_cast<const char*>(nullptr)})
    EXPECT_EQ(LoadLibraryA(name), nullptr) << (name ? name : "null");
  EXPECT_EQ(GetModuleHandleA("other.dll"), nullptr);
  EXPECT_EQ(GetProcAddress(nullptr, "OpenThemeData"), nullptr);
  EXPECT_EQ(FreeLibrary(nullptr), FALSE);
}

TEST_F(ModulesTest, HandlesGoStaleWhenTheLastLoadIsFreed) {
  EXPECT_EQ(GetModuleHandleA("uxtheme.dll"), nullptr);  // registered, not loaded
  HMODULE h = LoadLibraryA("uxtheme.dll");
  LoadLibraryA("uxtheme.dll");
  EXPECT_EQ(FreeLibrary(h), TRUE);
  EXPECT_NE(GetProcAddress(h, "OpenThemeData"), nullptr);  // one load left
  EXPECT_EQ(FreeLibrary(h), TRUE);
  EXPECT_EQ(GetModuleHandleA("uxtheme.dll"), nullptr);
  EXPECT_EQ(GetProcAddress(h, "OpenThemeData"), nullptr);
  EXPECT_EQ(FreeLibrary(h), FALSE);
  HMODULE again = LoadLibraryA("uxtheme.dll");
  EXPECT_EQ(GetProcAddress(h, "OpenThemeData"), nullptr) << "a new load never revives an old handle";
  FreeLibrary(again);
}

TEST_F(ModulesTest, HiddenModuleCannotBeLoaded) {
  SetModuleHidden("UXTHEME.DLL", true);
  EXPECT_EQ(LoadLibraryA("uxtheme.dll"), nullptr);
  SetModuleHidden("uxtheme", false);
  HMODULE h = LoadLibraryA("uxtheme.dll");
  ASSERT_NE(h, nullptr);
  // Hiding a loaded module hides it from lookups by name as well.
  SetModuleHidden("uxtheme.dll", true);
  EXPECT_EQ(GetModuleHandleA("uxtheme.dll"), nullptr);
  FreeLibrary(h);
}

TEST_F(ModulesTest, RegistrationIsUniqueAndUndoable) {
  EXPECT_THROW(RegisterModule("UXTHEME.dll", {}), std::logic_error);
  EXPECT_THROW(RegisterModule("", {}), std::logic_error);
  HMODULE h = LoadLibraryA("uxtheme.dll");
  EXPECT_EQ(UnregisterModule("uxtheme.dll"), TRUE);
  EXPECT_EQ(UnregisterModule("uxtheme.dll"), FALSE);
  EXPECT_EQ(GetProcAddress(h, "OpenThemeData"), nullptr);
  EXPECT_EQ(FreeLibrary(h), FALSE);
  EXPECT_EQ(LoadLibraryA("uxtheme.dll"), nullptr);
  RegisterModule("uxtheme.dll", {Export("OpenThemeData", &Eight)});
  h = LoadLibraryA("uxtheme.dll");
  EXPECT_EQ(Call(GetProcAddress(h, "OpenThemeData")), 8);
  FreeLibrary(h);
}

TEST_F(ModulesTest, FileNamesOfTheProgramAndOfModules) {
  char buf[4096];
  const DWORD n = GetModuleFileNameA(nullptr, buf, sizeof buf);
  ASSERT_GT(n, 0u);
  EXPECT_EQ(buf[0], '/');  // resolved, absolute
  EXPECT_EQ(std::filesystem::path(buf).filename(), "platform_tests");

  HMODULE h = LoadLibraryA("uxtheme");
  EXPECT_EQ(GetModuleFileNameA(h, buf, sizeof buf), 11u);
  EXPECT_STREQ(buf, "UxTheme.dll");   // the registered spelling
  // Cut to the buffer, still terminated, and the cut is visible in the answer.
  EXPECT_EQ(GetModuleFileNameA(h, buf, 4), 4u);
  EXPECT_STREQ(buf, "UxT");
  FreeLibrary(h);
  EXPECT_EQ(GetModuleFileNameA(h, buf, sizeof buf), 0u);  // stale
}
