// The operating-system version the program is told. Callers decide by it whether the
// visual-style library may be loaded (an NT-family 5.1 or later), so tests configure it.
#pragma once

#include "platform/kernel/Types.h"

inline constexpr DWORD VER_PLATFORM_WIN32s = 0;
inline constexpr DWORD VER_PLATFORM_WIN32_WINDOWS = 1;
inline constexpr DWORD VER_PLATFORM_WIN32_NT = 2;

struct OSVERSIONINFOA {
  DWORD dwOSVersionInfoSize;
  DWORD dwMajorVersion;
  DWORD dwMinorVersion;
  DWORD dwBuildNumber;
  DWORD dwPlatformId;
  char szCSDVersion[128];
};
static_assert(sizeof(OSVERSIONINFOA) == 148, "the caller-declared size is checked against this");

using LPOSVERSIONINFOA = OSVERSIONINFOA*;

// Fills `info` when its dwOSVersionInfoSize is sizeof(OSVERSIONINFOA); FALSE otherwise.
BOOL GetVersionExA(LPOSVERSIONINFOA info);

struct VersionInfo {
  DWORD major = 5;
  DWORD minor = 1;
  DWORD build = 2600;
  DWORD platformId = VER_PLATFORM_WIN32_NT;
  String servicePack;  // at most 127 bytes are reported
};

// What GetVersionExA reports from now on; VersionInfo{} is the default.
void SetVersionInfo(const VersionInfo& info);
const VersionInfo& CurrentVersionInfo();
