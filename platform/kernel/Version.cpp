#include "platform/kernel/Version.h"

#include <algorithm>
#include <cstring>

namespace {
VersionInfo& Current() {
  static VersionInfo info;
  return info;
}
}  // namespace

void SetVersionInfo(const VersionInfo& info) { Current() = info; }

const VersionInfo& CurrentVersionInfo() { return Current(); }

BOOL GetVersionExA(LPOSVERSIONINFOA info) {
  if (!info || info->dwOSVersionInfoSize != sizeof(OSVERSIONINFOA)) return FALSE;
  const VersionInfo& v = Current();
  info->dwMajorVersion = v.major;
  info->dwMinorVersion = v.minor;
  info->dwBuildNumber = v.build;
  info->dwPlatformId = v.platformId;
  std::memset(info->szCSDVersion, 0, sizeof info->szCSDVersion);
  const size_t n = std::min(v.servicePack.size(), sizeof info->szCSDVersion - 1);
  std::memcpy(info->szCSDVersion, v.servicePack.data(), n);
  return TRUE;
}
