#include "platform/shell/Shell.h"

#include "platform/kernel/CodePage.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace {

constexpr const char* kOpener = "xdg-open";

bool g_recording = false;
std::vector<std::vector<String>>& Launches() {
  static std::vector<std::vector<String>> launches;
  return launches;
}

HINSTANCE Code(uintptr_t code) { return reinterpret_cast<HINSTANCE>(code); }

bool EqualsIgnoringCase(const char* a, const char* b) {
  for (; *a && *b; ++a, ++b)
    if (CpUpper(Byte(*a)) != CpUpper(Byte(*b))) return false;
  return *a == *b;
}

// The opener's full path from PATH, resolved before forking so the child only execs.
String FindOpener() {
  const char* path = std::getenv("PATH");
  const String dirs = path ? path : "/usr/local/bin:/usr/bin:/bin";
  size_t start = 0;
  while (start <= dirs.size()) {
    size_t end = dirs.find(':', start);
    if (end == String::npos) end = dirs.size();
    // An empty entry means the current folder.
    const int len = int(end - start);
    char candidate[4096];
    const int n = len == 0 ? std::snprintf(candidate, sizeof candidate, "./%s", kOpener)
                           : std::snprintf(candidate, sizeof candidate, "%.*s/%s", len,
                                           dirs.c_str() + start, kOpener);
    if (n > 0 && size_t(n) < sizeof candidate && access(candidate, X_OK) == 0) return candidate;
    start = end + 1;
  }
  return {};
}

// Starts `program` detached: an intermediate child starts it and exits at once, so the
// opener is adopted by init and no zombie is left behind. Between fork and exec only
// async-signal-safe calls are made.
bool StartDetached(const String& program, const String& argument) {
  char* argv[] = {const_cast<char*>(kOpener), const_cast<char*>(argument.c_str()), nullptr};
  const pid_t child = fork();
  if (child < 0) return false;
  if (child == 0) {
    const pid_t grandchild = fork();
    if (grandchild == 0) {
      execve(program.c_str(), argv, environ);
      _exit(127);
    }
    _exit(grandchild < 0 ? 1 : 0);
  }
  int status = 0;
  while (waitpid(child, &status, 0) < 0) {
    if (errno != EINTR) return false;
  }
  return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

}  // namespace

HINSTANCE ShellExecuteA(HWND, LPCSTR verb, LPCSTR file, LPCSTR, LPCSTR, INT) {
  if (verb && !EqualsIgnoringCase(verb, "open")) return Code(SE_ERR_NOASSOC);
  if (!file || !*file) return Code(SE_ERR_FNF);
  if (file[0] == '-') return Code(SE_ERR_NOASSOC);
  if (g_recording) {
    Launches().push_back({kOpener, AnsiToUtf8(file)});
    return Code(42);
  }
  const String program = FindOpener();
  if (program.empty()) return Code(SE_ERR_NOASSOC);
  // The address leaves the system: the opener expects UTF-8.
  if (!StartDetached(program, AnsiToUtf8(file))) return Code(SE_ERR_OOM);
  return Code(42);
}

void SetShellRecording(bool on) { g_recording = on; }
bool ShellRecording() { return g_recording; }
const std::vector<std::vector<String>>& ShellLaunches() { return Launches(); }
void ClearShellLaunches() { Launches().clear(); }
