// The program runs its windows on one thread; this is that thread's identity.
#pragma once

#include "platform/kernel/Types.h"

// The calling thread's id; stable for the life of the process and never 0.
DWORD GetCurrentThreadId();
