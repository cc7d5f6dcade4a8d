// Runs a check in a forked child whose address space may grow only by `headroom` bytes, so an
// allocation of more fails there. The child's answer is its exit status (0: every check held);
// -1 when the limit cannot be applied (under AddressSanitizer, whose shadow memory needs
// terabytes of address space).
#pragma once

#include <cstddef>
#include <functional>

bool MemoryLimitAvailable();
int RunUnderMemoryLimit(size_t headroom, const std::function<int()>& body);
