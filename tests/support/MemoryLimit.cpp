#include "tests/support/MemoryLimit.h"

#include <cstdio>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#if defined(__SANITIZE_ADDRESS__)
#define TL_ASAN 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define TL_ASAN 1
#endif
#endif

bool MemoryLimitAvailable() {
#ifdef TL_ASAN
  return false;
#else
  return true;
#endif
}

int RunUnderMemoryLimit(size_t headroom, const std::function<int()>& body) {
  if (!MemoryLimitAvailable()) return -1;
  std::fflush(nullptr);
  const pid_t pid = ::fork();
  if (pid < 0) return -1;
  if (pid == 0) {
    unsigned long pages = 0;   // the address space in use now, in pages
    if (FILE* f = std::fopen("/proc/self/statm", "r")) {
      if (std::fscanf(f, "%lu", &pages) != 1) pages = 0;
      std::fclose(f);
    }
    if (!pages) ::_exit(120);
    struct rlimit lim;
    lim.rlim_cur = lim.rlim_max = rlim_t(pages) * rlim_t(::sysconf(_SC_PAGESIZE)) + headroom;
    if (::setrlimit(RLIMIT_AS, &lim) != 0) ::_exit(121);
    int code = 122;
    try {
      code = body();
    } catch (...) {
      code = 123;   // an exception escaped
    }
    ::_exit(code);
  }
  int status = 0;
  if (::waitpid(pid, &status, 0) != pid) return -1;
  return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}
