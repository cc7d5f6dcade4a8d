#include "platform/kernel/Units.h"

#include "platform/kernel/Locale.h"
#include "platform/kernel/Modules.h"
#include "platform/kernel/Random.h"
#include "platform/kernel/Resources.h"
#include "platform/kernel/Version.h"

#include <cstdio>
#include <exception>

void InitializeUnits(const UnitEntry* units, size_t count) {
  size_t started = 0;
  // Only a failed start finalizes the units already started; on success they stay initialized.
  try {
    for (; started < count; ++started) units[started].initialize();
  } catch (...) {
    FinalizeUnits(units, started);
    throw;
  }
}

void FinalizeUnits(const UnitEntry* units, size_t count) {
  for (size_t i = count; i-- > 0;) {
    try {
      units[i].finalize();
    } catch (const std::exception& e) {
      std::fprintf(stderr, "finalization of unit %s failed: %s\n", units[i].name, e.what());
    } catch (...) {  // not cleanup: reported, and the units before it are still finalized
      std::fprintf(stderr, "finalization of unit %s failed\n", units[i].name);
    }
  }
}

namespace {

UnitCounter g_kernel;

// The kernel's state is plain data; its units reset it so that every start begins alike.
void ResourcesInitialize() { ClearResourceTables(); }
void ResourcesFinalize() { ClearResourceTables(); }
void ModulesInitialize() {
  ClearModules();
  ClearModuleSwitches();
  SetProgramPath("");
}
void ModulesFinalize() {
  ClearModules();
  ClearModuleSwitches();
  SetProgramPath("");
}
void LocaleInitialize() {
  ResetLocale();
  SetVersionInfo(VersionInfo{});
}
void LocaleFinalize() { SetLocaleChangedHook(nullptr); }
void RandomInitialize() { tl_srand(1); }
void RandomFinalize() {}

const UnitEntry kKernelUnits[] = {
    {"Resources", ResourcesInitialize, ResourcesFinalize},
    {"Modules", ModulesInitialize, ModulesFinalize},
    {"Locale and version", LocaleInitialize, LocaleFinalize},
    {"Random", RandomInitialize, RandomFinalize},
};

}  // namespace

void PlatformKernelInitialize() {
  if (!g_kernel.Enter()) return;
  // Only a failed start gives the count back; a started layer stays entered until Finalize.
  try {
    InitializeUnits(kKernelUnits);
  } catch (...) {
    g_kernel.Leave();
    throw;
  }
}

void PlatformKernelFinalize() {
  if (!g_kernel.Leave()) return;
  FinalizeUnits(kKernelUnits);
}
