// Shared between the locale table and the date and time formatting.
#pragma once

#include "platform/kernel/Locale.h"

// The table an id names, or nullptr.
const LocaleTable* LocaleFor(LCID id);
// Copies `text` and its terminating zero as the locale functions do; see Locale.h.
int CopyOut(const String& text, LPSTR buf, int cch);
