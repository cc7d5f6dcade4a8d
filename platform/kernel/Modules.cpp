#include "platform/kernel/Modules.h"

#include "platform/kernel/CodePage.h"

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <system_error>
#include <map>
#include <set>
#include <stdexcept>
#include <utility>

namespace {

// Handle value: kBase | slot << 16 | generation. Slot 0 is the program itself.
constexpr uintptr_t kBase = 0x10000000;
constexpr size_t kMaxSlots = 0x0FFF;

struct Module {
  String key;   // normalised name
  String name;  // as registered
  std::vector<ModuleExport> exports;
  int loads = 0;
  Word generation = 1;
};

struct Table {
  std::vector<Module> slots{Module{}};  // slot 0: the program
  std::set<String> hiddenModules;
  std::set<std::pair<String, String>> hiddenExports;
  String programPath;  // empty: the real executable
};

Table& T() {
  static Table table;
  return table;
}

String Normalise(const String& raw) {
  String name = raw;
  const size_t cut = name.find_last_of("\\/");
  if (cut != String::npos) name.erase(0, cut + 1);
  for (char& c : name) c = char(CpUpper(Byte(c)));
  if (!name.empty() && name.find('.') == String::npos) name += ".DLL";
  // A trailing dot means "no extension" to the platform.
  if (!name.empty() && name.back() == '.') name.pop_back();
  return name;
}

HMODULE MakeHandle(size_t slot, Word generation) {
  return reinterpret_cast<HMODULE>(kBase | (uintptr_t(slot) << 16) | generation);
}

// The slot a handle names, when the handle is current; 0 for the program; -1 when stale.
int SlotOf(HMODULE h) {
  const uintptr_t v = reinterpret_cast<uintptr_t>(h);
  if ((v & ~uintptr_t(0x0FFFFFFF)) != kBase) return -1;
  const size_t slot = (v >> 16) & 0x0FFF;
  const Word generation = Word(v & 0xFFFF);
  Table& t = T();
  if (slot >= t.slots.size() || t.slots[slot].generation != generation) return -1;
  if (slot != 0 && (t.slots[slot].key.empty() || t.slots[slot].loads == 0)) return -1;
  return int(slot);
}

Module* Find(const String& key, size_t* slotOut) {
  Table& t = T();
  for (size_t i = 1; i < t.slots.size(); ++i) {
    if (!t.slots[i].key.empty() && t.slots[i].key == key) {
      if (slotOut) *slotOut = i;
      return &t.slots[i];
    }
  }
  return nullptr;
}

void Retire(Module& m) {
  m.key.clear();
  m.name.clear();
  m.exports.clear();
  m.loads = 0;
  ++m.generation;
  if (m.generation == 0) m.generation = 1;
}

}  // namespace

void RegisterModule(const String& name, std::vector<ModuleExport> exports) {
  const String key = Normalise(name);
  if (key.empty()) throw std::logic_error("RegisterModule: empty module name");
  if (Find(key, nullptr))
    throw std::logic_error("RegisterModule: module already registered: " + name);
  Table& t = T();
  auto freeSlot = std::find_if(t.slots.begin() + 1, t.slots.end(),
                               [](const Module& m) { return m.key.empty(); });
  if (freeSlot == t.slots.end()) {
    if (t.slots.size() > kMaxSlots) throw std::logic_error("RegisterModule: too many modules");
    t.slots.emplace_back();
    freeSlot = t.slots.end() - 1;
  }
  freeSlot->key = key;
  freeSlot->name = name;
  freeSlot->exports = std::move(exports);
  freeSlot->loads = 0;
}

BOOL UnregisterModule(const String& name) {
  Module* m = Find(Normalise(name), nullptr);
  if (!m) return FALSE;
  Retire(*m);
  return TRUE;
}

void ClearModules() {
  Table& t = T();
  for (size_t i = 1; i < t.slots.size(); ++i)
    if (!t.slots[i].key.empty()) Retire(t.slots[i]);
}

void SetModuleHidden(const String& module, bool hidden) {
  const String key = Normalise(module);
  if (hidden)
    T().hiddenModules.insert(key);
  else
    T().hiddenModules.erase(key);
}

void SetExportHidden(const String& module, const String& exportName, bool hidden) {
  auto key = std::make_pair(Normalise(module), exportName);
  if (hidden)
    T().hiddenExports.insert(key);
  else
    T().hiddenExports.erase(key);
}

void ClearModuleSwitches() {
  T().hiddenModules.clear();
  T().hiddenExports.clear();
}

HMODULE LoadLibraryA(LPCSTR name) {
  if (!name) return nullptr;
  const String key = Normalise(name);
  size_t slot = 0;
  Module* m = Find(key, &slot);
  if (!m || T().hiddenModules.count(key)) return nullptr;
  ++m->loads;
  return MakeHandle(slot, m->generation);
}

HMODULE GetModuleHandleA(LPCSTR name) {
  if (!name) return MakeHandle(0, T().slots[0].generation);
  const String key = Normalise(name);
  size_t slot = 0;
  Module* m = Find(key, &slot);
  if (!m || m->loads == 0 || T().hiddenModules.count(key)) return nullptr;
  return MakeHandle(slot, m->generation);
}

FARPROC GetProcAddress(HMODULE module, LPCSTR name) {
  const int slot = SlotOf(module);
  if (slot <= 0 || !name || IS_INTRESOURCE(name)) return nullptr;
  const Module& m = T().slots[size_t(slot)];
  if (T().hiddenExports.count({m.key, String(name)})) return nullptr;
  for (const ModuleExport& e : m.exports)
    if (e.name == name) return e.proc;
  return nullptr;
}

BOOL FreeLibrary(HMODULE module) {
  const int slot = SlotOf(module);
  if (slot < 0) return FALSE;
  if (slot == 0) return TRUE;  // the program stays loaded
  Module& m = T().slots[size_t(slot)];
  if (--m.loads == 0) {
    // Unloaded: handles handed out so far go stale, the registration stays.
    ++m.generation;
    if (m.generation == 0) m.generation = 1;
  }
  return TRUE;
}

int ModuleLoadCount() {
  int total = 0;
  const Table& t = T();
  for (size_t i = 1; i < t.slots.size(); ++i) total += t.slots[i].loads;
  return total;
}

DWORD GetModuleFileNameA(HMODULE module, LPSTR buf, DWORD size) {
  const int slot = module ? SlotOf(module) : 0;
  if (slot < 0 || !buf || size == 0) return 0;
  String path;
  if (slot > 0) {
    path = T().slots[size_t(slot)].name;
  } else if (!T().programPath.empty()) {
    path = T().programPath;
  } else {
    std::error_code ec;
    path = std::filesystem::read_symlink("/proc/self/exe", ec).string();
    if (ec) return 0;
  }
  if (path.size() >= size) {
    std::memcpy(buf, path.data(), size - 1);
    buf[size - 1] = '\0';
    return size;
  }
  std::memcpy(buf, path.data(), path.size());
  buf[path.size()] = '\0';
  return DWORD(path.size());
}

void SetProgramPath(const String& path) { T().programPath = path; }
