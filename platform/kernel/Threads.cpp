#include "platform/kernel/Threads.h"

#include <atomic>

DWORD GetCurrentThreadId() {
  static std::atomic<DWORD> next{1};
  thread_local const DWORD id = next.fetch_add(1);
  return id;
}

namespace {
thread_local DWORD lastError = ERROR_SUCCESS;
}

DWORD GetLastError() { return lastError; }
void SetLastError(DWORD code) { lastError = code; }
