// The visual-style stand-in in tests: registered, switched off, nothing recorded. A test
// that leaves theme handles open fails.
#pragma once

void AddThemeTestHook();
