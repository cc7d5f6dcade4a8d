// Opening a document or an address with the desktop's opener. The opener is started
// directly (no shell), with the address as its single argument, so no character of the
// address is ever interpreted.
#pragma once

#include "platform/kernel/ShowCommands.h"
#include "platform/kernel/Types.h"

#include <vector>

// Return codes at or below 32 are errors, as the platform has them.
inline constexpr uintptr_t SE_ERR_FNF = 2;       // no address
inline constexpr uintptr_t SE_ERR_OOM = 8;       // the process could not be started
inline constexpr uintptr_t SE_ERR_NOASSOC = 31;  // unknown verb, no opener, or a refused address

// verb: "open" in any case, or nullptr for it. file: the address. parameters, directory
// and show are not passed on: the opener takes the address alone. An address beginning
// with "-" is refused, since the opener would read it as an option. Success is a value
// above 32; the opener runs detached and is not waited for.
HINSTANCE ShellExecuteA(HWND owner, LPCSTR verb, LPCSTR file, LPCSTR parameters, LPCSTR directory,
                        INT show);

// Tests: while recording, ShellExecuteA records the command line it would start (program
// first) and starts nothing.
void SetShellRecording(bool on);
bool ShellRecording();
const std::vector<std::vector<String>>& ShellLaunches();
void ClearShellLaunches();
