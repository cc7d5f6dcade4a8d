// The fixture of tests that use windows: a kernel fixture plus a fresh window layer driven
// by the headless host. A test that leaves windows, timers or hooks behind fails.
#pragma once

#include "platform/host/HeadlessHost.h"
#include "platform/user/User.h"
#include "platform/user/UserTesting.h"
#include "tests/support/KernelTest.h"

#include <memory>

class UserTest : public KernelTest {
 protected:
  void SetUp() override;
  void TearDown() override;

  HeadlessHost& host() { return *host_; }

 private:
  std::unique_ptr<HeadlessHost> host_;
};
