// Switches of the visual-style stand-in for tests and for the settings a user would change,
// plus a recording of the drawing calls for painter tests. The module itself is hidden with
// the kernel's SetModuleHidden("UxTheme.dll") and a single function with SetExportHidden.
#pragma once

#include "platform/theme/ThemeMetrics.h"
#include "platform/theme/UxTheme.h"

#include <vector>

struct ThemeSettings {
  bool active = true;
  WideString fileName = u"C:\\WINDOWS\\Resources\\Themes\\Luna\\Luna.msstyles";
  WideString colorName = u"NormalColor";
  WideString sizeName = u"NormalSize";
};

// Changes the settings silently (no notice to any window).
void ThemeConfigure(const ThemeSettings& settings);
const ThemeSettings& ThemeCurrentSettings();
// Shorthand for the active flag alone.
void ThemeSetActive(bool active);
// Changes the settings, then sends WM_THEMECHANGED to every top-level window, hidden ones
// included, as the system does when the user picks another visual style.
void ThemeChange(const ThemeSettings& settings);

// The variant the colour name selects: "HomeStead" olive, "Metallic" silver, anything
// else blue.
ThemeVariant ThemeCurrentVariant();

// Handles opened and not yet closed; OpenThemeData calls that answered a handle.
int ThemeLiveHandleCount();
int ThemeOpenCount();

struct ThemeCall {
  String function;   // "DrawThemeBackground", "DrawThemeText", "DrawThemeEdge"
  String className;  // as the table spells it
  int part = 0;
  int state = 0;
  TRect rect{};
};
// Recording of drawing calls; starting clears what was recorded before.
void ThemeStartRecording();
void ThemeStopRecording();
const std::vector<ThemeCall>& ThemeRecordedCalls();

// Back to a fresh stand-in: no handles, no recording, default settings, not registered
// and the start-up counter at zero (the kernel's module table is reset separately).
void ThemeResetState();
