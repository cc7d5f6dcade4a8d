#include "platform/kernel/Resources.h"

#include "platform/kernel/CodePage.h"

#include <algorithm>
#include <cstring>
#include <stdexcept>
#include <vector>

static_assert(sizeof(uintptr_t) == 8, "resource handles carry a generation in the upper half");

namespace {

struct Registry {
  std::vector<ResourceTable> tables;
  std::vector<const ResourceItem*> index;  // every item of every table
  uint32_t generation = 1;                 // bumped whenever items go away
};

Registry& R() {
  static Registry registry;
  return registry;
}

bool SameName(const ResourceItem& a, const ResourceItem& b) {
  if (a.type != b.type) return false;
  if (!a.name || !b.name) return !a.name && !b.name && a.id == b.id;
  const size_t la = std::strlen(a.name), lb = std::strlen(b.name);
  if (la != lb) return false;
  for (size_t i = 0; i < la; ++i)
    if (CpUpper(Byte(a.name[i])) != CpUpper(Byte(b.name[i]))) return false;
  return true;
}

const char* TypeName(Word type) {
  switch (type) {
    case 1:
      return "CURSOR";
    case 2:
      return "BITMAP";
    case 6:
      return "STRING";
    case 10:
      return "RCDATA";
    default:
      return "type";
  }
}

String Describe(const ResourceItem& item) {
  String s = TypeName(item.type);
  s += ' ';
  s += item.name ? String(item.name) : std::to_string(item.id);
  return s;
}

const ResourceItem* FromHandle(HRSRC res) {
  const uintptr_t v = reinterpret_cast<uintptr_t>(res);
  const Registry& r = R();
  if (uint32_t(v >> 32) != r.generation) return nullptr;
  const size_t slot = size_t(v & 0xFFFFFFFF);
  if (slot == 0 || slot > r.index.size()) return nullptr;
  return r.index[slot - 1];
}

void Rebuild() {
  Registry& r = R();
  r.index.clear();
  for (const ResourceTable& t : r.tables)
    for (size_t i = 0; i < t.count; ++i) r.index.push_back(&t.items[i]);
}

}  // namespace

void RegisterResourceTable(const ResourceTable& table) {
  Registry& r = R();
  for (const ResourceTable& t : r.tables)
    if (t.items == table.items && t.count == table.count) return;
  const char* owner = table.owner ? table.owner : "(unnamed)";
  for (size_t i = 0; i < table.count; ++i) {
    const ResourceItem& item = table.items[i];
    for (size_t j = 0; j < i; ++j)
      if (SameName(item, table.items[j]))
        throw std::logic_error("duplicate resource " + Describe(item) + " in " + owner);
    for (const ResourceTable& t : r.tables)
      for (size_t j = 0; j < t.count; ++j)
        if (SameName(item, t.items[j]))
          throw std::logic_error("duplicate resource " + Describe(item) + " in " + owner +
                                 ", already registered by " + (t.owner ? t.owner : "(unnamed)"));
  }
  r.tables.push_back(table);
  Rebuild();  // appends only, so existing handles keep their slots
}

BOOL UnregisterResourceTable(const char* owner) {
  if (!owner) return FALSE;
  Registry& r = R();
  for (size_t i = 0; i < r.tables.size(); ++i) {
    if (r.tables[i].owner && std::strcmp(r.tables[i].owner, owner) == 0) {
      r.tables.erase(r.tables.begin() + std::ptrdiff_t(i));
      ++r.generation;
      Rebuild();
      return TRUE;
    }
  }
  return FALSE;
}

void ClearResourceTables() {
  Registry& r = R();
  r.tables.clear();
  r.index.clear();
  ++r.generation;
}

HRSRC FindResourceA(HMODULE, LPCSTR name, LPCSTR type) {
  if (!name || !type || !IS_INTRESOURCE(type)) return nullptr;
  ResourceItem key{};
  key.type = Word(reinterpret_cast<uintptr_t>(type));
  if (IS_INTRESOURCE(name))
    key.id = Word(reinterpret_cast<uintptr_t>(name));
  else
    key.name = name;
  const Registry& r = R();
  for (size_t i = 0; i < r.index.size(); ++i)
    if (SameName(*r.index[i], key))
      return reinterpret_cast<HRSRC>((uintptr_t(r.generation) << 32) | (i + 1));
  return nullptr;
}

HGLOBAL LoadResource(HMODULE, HRSRC res) {
  const ResourceItem* item = FromHandle(res);
  if (!item) return nullptr;
  // An empty resource still needs a non-null handle.
  static const Byte kEmpty = 0;
  return item->size ? item->data : &kEmpty;
}

const void* LockResource(HGLOBAL data) { return data; }

DWORD SizeofResource(HMODULE, HRSRC res) {
  const ResourceItem* item = FromHandle(res);
  return item ? DWORD(item->size) : 0;
}

TPoint ResourceHotspot(HRSRC res) {
  const ResourceItem* item = FromHandle(res);
  if (!item || item->type != 1) return {};
  return {item->hotX, item->hotY};
}

int LoadStringA(HINSTANCE, UINT id, LPSTR buf, int cch) {
  if (!buf || cch < 1 || id > 0xFFFF) return 0;
  HRSRC res = FindResourceA(nullptr, MAKEINTRESOURCEA(id), RT_STRING);
  const ResourceItem* item = FromHandle(res);
  if (!item) {
    buf[0] = '\0';
    return 0;
  }
  const size_t n = std::min(item->size, size_t(cch - 1));
  if (n) std::memcpy(buf, item->data, n);
  buf[n] = '\0';
  return int(n);
}
