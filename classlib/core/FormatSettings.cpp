// The process-wide format settings.
#include "classlib/core/SysUtils.h"

TFormatSettings FormatSettings;

TFormatSettings DefaultFormatSettings() { return TFormatSettings(); }

void GetFormatSettings() { FormatSettings = DefaultFormatSettings(); }
