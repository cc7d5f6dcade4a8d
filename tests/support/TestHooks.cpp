#include "tests/support/TestHooks.h"

#include <cstring>

namespace {
std::vector<TestHook>& Hooks() {
  static std::vector<TestHook> hooks;
  return hooks;
}
}  // namespace

void AddTestHook(const TestHook& hook) {
  for (const TestHook& h : Hooks())
    if (std::strcmp(h.name, hook.name) == 0) return;
  Hooks().push_back(hook);
}

void RunTestResets() {
  for (const TestHook& h : Hooks())
    if (h.reset) h.reset();
}

std::vector<std::string> RunLeakChecks() {
  std::vector<std::string> leaks;
  const auto& hooks = Hooks();
  for (size_t i = hooks.size(); i-- > 0;)
    if (hooks[i].checkLeaks) hooks[i].checkLeaks(leaks);
  return leaks;
}
