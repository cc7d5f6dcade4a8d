// The module table: libraries are in-process tables of named functions, registered by the
// code that provides them. Code that loads a library by name and resolves functions with a
// fallback can thus be tested both ways, by hiding a whole module or a single name.
#pragma once

#include "platform/kernel/Types.h"

#include <initializer_list>
#include <vector>

using FARPROC = void (*)();

struct ModuleExport {
  String name;
  FARPROC proc = nullptr;
};

// Any function pointer as an export; GetProcAddress's caller casts it back.
template <class Fn>
ModuleExport Export(const char* name, Fn* fn) {
  return {name, reinterpret_cast<FARPROC>(fn)};
}

// Registers a loadable module. Names compare case-insensitively; a name without an
// extension means ".dll". Throws std::logic_error when the name is already registered.
void RegisterModule(const String& name, std::vector<ModuleExport> exports);
inline void RegisterModule(const String& name, std::initializer_list<ModuleExport> exports) {
  RegisterModule(name, std::vector<ModuleExport>(exports));
}
// Removes a module; its handles go stale. FALSE when it was not registered.
BOOL UnregisterModule(const String& name);
// Drops every registration (unit finalization, test reset).
void ClearModules();

// Test switches: a hidden module cannot be loaded or found; a hidden export is absent
// from GetProcAddress. Switches are kept by name, so they also apply to modules
// registered later.
void SetModuleHidden(const String& module, bool hidden);
void SetExportHidden(const String& module, const String& exportName, bool hidden);
void ClearModuleSwitches();

// Loads (or counts another load of) a registered module. Only the file name counts;
// a directory in front of it is ignored. nullptr when absent or hidden.
HMODULE LoadLibraryA(LPCSTR name);
// A loaded module's handle without counting a load; nullptr names the program itself.
HMODULE GetModuleHandleA(LPCSTR name);
// Export names compare case-sensitively. Ordinals are not supported (nullptr).
FARPROC GetProcAddress(HMODULE module, LPCSTR name);
// The file of a module: for the program (nullptr or its handle) the resolved path of the
// executable, as the operating system spells it (never transcoded); for a registered
// module its registered name. Copies at most size - 1 bytes and a zero; answers the length
// without the zero, `size` when the name was cut, 0 for an unknown handle.
DWORD GetModuleFileNameA(HMODULE module, LPSTR buf, DWORD size);
// Tests place the program elsewhere (files beside the executable); empty restores the real one.
void SetProgramPath(const String& path);

// Loads not yet undone by FreeLibrary, over all modules (leak checks).
int ModuleLoadCount();
// Undoes one LoadLibraryA; at zero the module is unloaded and its handle goes stale.
BOOL FreeLibrary(HMODULE module);
