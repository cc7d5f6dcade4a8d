// The program's entry point.
#include <cstdio>

int main() {
  std::puts("Tessaloom: the game's windows are not built yet; `make test` runs what exists.");
  return 0;
}
