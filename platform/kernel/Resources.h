// Resources: files linked into the program at build time and found by type and name.
// Each library's unit start-up registers its table (generated from its manifest by the
// embedder); lookups search every registered table. Names are small integers
// (MAKEINTRESOURCEA) or strings compared case-insensitively.
//
// Data layouts are this system's own: BITMAP and CURSOR hold a PNG file (a cursor adds its
// hot spot), STRING one string of 1252 bytes per id (no terminating zero), RCDATA the bytes
// as they are.
#pragma once

#include "platform/kernel/Types.h"

#include <cstddef>

inline LPCSTR const RT_CURSOR = MAKEINTRESOURCEA(1);
inline LPCSTR const RT_BITMAP = MAKEINTRESOURCEA(2);
inline LPCSTR const RT_STRING = MAKEINTRESOURCEA(6);
inline LPCSTR const RT_RCDATA = MAKEINTRESOURCEA(10);

// One resource of a table. `name` nullptr means the integer `id`.
struct ResourceItem {
  Word type;  // 1, 2, 6 or 10 as above
  Word id;
  const char* name;
  const Byte* data;
  size_t size;
  SHORT hotX, hotY;  // cursors only
};

struct ResourceTable {
  const char* owner;  // the library, for messages
  const ResourceItem* items;
  size_t count;
};

// Adds a table. Throws std::logic_error naming both owners when one of its (type, name)
// pairs is already registered, or twice in the table, and then adds nothing. Registering
// the same items again changes nothing. The items and the data they point to must outlive
// the registration (generated tables are static).
void RegisterResourceTable(const ResourceTable& table);
// Removes a table by owner; resources found from it go stale. FALSE when absent.
BOOL UnregisterResourceTable(const char* owner);
void ClearResourceTables();

// `module` is not consulted: there is one program. nullptr when absent.
HRSRC FindResourceA(HMODULE module, LPCSTR name, LPCSTR type);
// The data, which stays valid and never moves; nullptr for a stale or null HRSRC.
HGLOBAL LoadResource(HMODULE module, HRSRC res);
const void* LockResource(HGLOBAL data);
DWORD SizeofResource(HMODULE module, HRSRC res);
// A cursor's hot spot; (0,0) for other resources.
TPoint ResourceHotspot(HRSRC res);
// Copies string `id` (truncated to cch - 1 bytes) and a zero; answers the bytes copied
// without the zero, 0 when absent or when cch < 1.
int LoadStringA(HINSTANCE instance, UINT id, LPSTR buf, int cch);
