#include "tests/support/KernelTest.h"

#include "platform/kernel/Version.h"

#include <cstring>
#include <utility>

using VersionTest = KernelTest;

TEST_F(VersionTest, ReportsTheConfiguredVersionAndChecksTheSize) {
  VersionInfo v;
  v.major = 5;
  v.minor = 0;
  v.servicePack = String(200, 'x');  // longer than the field
  SetVersionInfo(v);
  OSVERSIONINFOA info{};
  info.dwOSVersionInfoSize = sizeof info;
  ASSERT_EQ(GetVersionExA(&info), TRUE);
  EXPECT_EQ(std::pair(info.dwMinorVersion, std::strlen(info.szCSDVersion)), std::pair(0u, size_t(127)));

  info.dwOSVersionInfoSize = 100;
  info.dwMajorVersion = 77;
  EXPECT_EQ(GetVersionExA(&info), FALSE);
  EXPECT_EQ(info.dwMajorVersion, 77u);  // untouched
  EXPECT_EQ(GetVersionExA(nullptr), FALSE);
}
