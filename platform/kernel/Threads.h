// The program runs its windows on one thread; this is that thread's identity.
#pragma once

#include "platform/kernel/Types.h"

// The calling thread's id; stable for the life of the process and never 0.
DWORD GetCurrentThreadId();

// The calling thread's last error: a call that fails for want of resources sets it before
// answering its failure; nothing clears it on success.
DWORD GetLastError();
void SetLastError(DWORD code);
inline constexpr DWORD ERROR_SUCCESS = 0;
inline constexpr DWORD ERROR_NOT_ENOUGH_MEMORY = 8;
