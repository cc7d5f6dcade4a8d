// Per-test hooks of the layers: each layer's test support adds one to reset its global
// state before every test and to report what a test left behind (windows, GDI objects,
// timers, hooks, loaded modules). The kernel fixture runs them all.
#pragma once

#include <string>
#include <vector>

struct TestHook {
  const char* name;
  // Before each test, once the kernel is fresh; may remember a baseline. May be null.
  void (*reset)();
  // After each test, before the units finalize: appends one text per leak. May be null.
  void (*checkLeaks)(std::vector<std::string>& leaks);
};

// Adds `hook` unless one of that name exists. Hooks reset in the order added and check
// leaks in reverse (upper layers first).
void AddTestHook(const TestHook& hook);

// What the fixture runs; exposed for the fixture and its tests.
void RunTestResets();
std::vector<std::string> RunLeakChecks();
