#include "tests/support/KernelTest.h"

#include "platform/kernel/Modules.h"

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
    RegisterModule("UxTheme.dll", {Export("OpenThemeData", &Seven), Export("CloseThemeData", &Eight)});
  }
};

}  // namespace

TEST_F(ModulesTest, LoadsByNameInAnyCaseAndResolvesExports) {
  HMODULE h = LoadLibraryA("uxtheme.DLL");
  ASSERT_NE(h, nullptr);
  EXPECT_EQ(LoadLibraryA("UXTHEME"), h);                      // ".dll" implied
  EXPECT_EQ(LoadLibraryA("C:\\Windows\\System32\\uxtheme.dll"), h);  // folder ignored
  EXPECT_EQ(GetModuleHandleA("UxTheme.dll"), h);
  EXPECT_EQ(Call(GetProcAddress(h, "OpenThemeData")), 7);
  EXPECT_EQ(Call(GetProcAddress(h, "CloseThemeData")), 8);
  EXPECT_EQ(GetProcAddress(h, "openthemedata"), nullptr);  // export names are exact
  EXPECT_EQ(GetProcAddress(h, "Missing"), nullptr);
  EXPECT_EQ(GetProcAddress(h, MAKEINTRESOURCEA(1)), nullptr);
  EXPECT_EQ(GetProcAddress(h, nullptr), nullptr);
  for (int i = 0; i < 3; ++i) EXPECT_EQ(FreeLibrary(h), TRUE);
}

TEST_F(ModulesTest, UnknownModulesAreAbsent) {
  EXPECT_EQ(LoadLibraryA("other.dll"), nullptr);
  EXPECT_EQ(LoadLibraryA("uxtheme.dl"), nullptr);
  EXPECT_EQ(LoadLibraryA(""), nullptr);
  EXPECT_EQ(LoadLibraryA(nullptr), nullptr);
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
  EXPECT_NE(again, h);
  EXPECT_EQ(GetProcAddress(h, "OpenThemeData"), nullptr);
  EXPECT_EQ(ModuleLoadCount(), 1);
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

TEST_F(ModulesTest, HiddenExportIsAbsentAlone) {
  SetExportHidden("uxtheme.dll", "OpenThemeData", true);
  HMODULE h = LoadLibraryA("UxTheme.dll");
  EXPECT_EQ(GetProcAddress(h, "OpenThemeData"), nullptr);
  EXPECT_NE(GetProcAddress(h, "CloseThemeData"), nullptr);
  ClearModuleSwitches();
  EXPECT_NE(GetProcAddress(h, "OpenThemeData"), nullptr);
  FreeLibrary(h);
}

TEST_F(ModulesTest, SwitchesApplyToModulesRegisteredLater) {
  SetModuleHidden("late.dll", true);
  RegisterModule("Late.dll", {Export("F", &Seven)});
  EXPECT_EQ(LoadLibraryA("late.dll"), nullptr);
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

TEST_F(ModulesTest, TheProgramItselfIsAlwaysThere) {
  HMODULE self = GetModuleHandleA(nullptr);
  ASSERT_NE(self, nullptr);
  EXPECT_EQ(GetModuleHandleA(nullptr), self);
  EXPECT_EQ(FreeLibrary(self), TRUE);
  EXPECT_EQ(GetModuleHandleA(nullptr), self);
  EXPECT_EQ(GetProcAddress(self, "OpenThemeData"), nullptr);
}

TEST_F(ModulesTest, EachTestStartsWithoutModulesOrSwitches) {
  // The fixture registered only UxTheme; the modules and switches of earlier tests are gone.
  EXPECT_EQ(LoadLibraryA("late.dll"), nullptr);
  HMODULE h = LoadLibraryA("uxtheme.dll");
  EXPECT_NE(GetProcAddress(h, "OpenThemeData"), nullptr);
  FreeLibrary(h);
}
