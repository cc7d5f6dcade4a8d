// The system colour table, its brushes and the presets.
#include "platform/gdi/Gdi.h"

#include <array>

namespace {

using ColorTable = std::array<COLORREF, COLOR_COUNT>;

constexpr ColorTable kClassic = {
    RGB(212, 208, 200),  // SCROLLBAR
    RGB(58, 110, 165),   // BACKGROUND
    RGB(10, 36, 106),    // ACTIVECAPTION
    RGB(128, 128, 128),  // INACTIVECAPTION
    RGB(212, 208, 200),  // MENU
    RGB(255, 255, 255),  // WINDOW
    RGB(0, 0, 0),        // WINDOWFRAME
    RGB(0, 0, 0),        // MENUTEXT
    RGB(0, 0, 0),        // WINDOWTEXT
    RGB(255, 255, 255),  // CAPTIONTEXT
    RGB(212, 208, 200),  // ACTIVEBORDER
    RGB(212, 208, 200),  // INACTIVEBORDER
    RGB(128, 128, 128),  // APPWORKSPACE
    RGB(10, 36, 106),    // HIGHLIGHT
    RGB(255, 255, 255),  // HIGHLIGHTTEXT
    RGB(212, 208, 200),  // BTNFACE
    RGB(128, 128, 128),  // BTNSHADOW
    RGB(128, 128, 128),  // GRAYTEXT
    RGB(0, 0, 0),        // BTNTEXT
    RGB(212, 208, 200),  // INACTIVECAPTIONTEXT
    RGB(255, 255, 255),  // BTNHIGHLIGHT
    RGB(64, 64, 64),     // 3DDKSHADOW
    RGB(212, 208, 200),  // 3DLIGHT
    RGB(0, 0, 0),        // INFOTEXT
    RGB(255, 255, 225),  // INFOBK
    RGB(181, 181, 181),  // (25)
    RGB(0, 0, 128),      // HOTLIGHT
    RGB(166, 202, 240),  // GRADIENTACTIVECAPTION
    RGB(192, 192, 192),  // GRADIENTINACTIVECAPTION
    RGB(10, 36, 106),    // MENUHILIGHT
    RGB(212, 208, 200),  // MENUBAR
};

// Black faces, white text, strong accents.
constexpr ColorTable kHighContrastBlack = {
    RGB(0, 0, 0),        // SCROLLBAR
    RGB(0, 0, 0),        // BACKGROUND
    RGB(128, 0, 128),    // ACTIVECAPTION
    RGB(0, 128, 0),      // INACTIVECAPTION
    RGB(0, 0, 0),        // MENU
    RGB(0, 0, 0),        // WINDOW
    RGB(255, 255, 255),  // WINDOWFRAME
    RGB(255, 255, 255),  // MENUTEXT
    RGB(255, 255, 255),  // WINDOWTEXT
    RGB(255, 255, 255),  // CAPTIONTEXT
    RGB(255, 255, 0),    // ACTIVEBORDER
    RGB(0, 128, 0),      // INACTIVEBORDER
    RGB(0, 0, 0),        // APPWORKSPACE
    RGB(128, 0, 128),    // HIGHLIGHT
    RGB(255, 255, 255),  // HIGHLIGHTTEXT
    RGB(0, 0, 0),        // BTNFACE
    RGB(128, 128, 128),  // BTNSHADOW
    RGB(0, 255, 0),      // GRAYTEXT
    RGB(255, 255, 255),  // BTNTEXT
    RGB(0, 0, 0),        // INACTIVECAPTIONTEXT
    RGB(255, 255, 255),  // BTNHIGHLIGHT
    RGB(128, 128, 128),  // 3DDKSHADOW
    RGB(255, 255, 255),  // 3DLIGHT
    RGB(255, 255, 255),  // INFOTEXT
    RGB(0, 0, 0),        // INFOBK
    RGB(181, 181, 181),  // (25)
    RGB(128, 128, 255),  // HOTLIGHT
    RGB(128, 0, 128),    // GRADIENTACTIVECAPTION
    RGB(0, 128, 0),      // GRADIENTINACTIVECAPTION
    RGB(128, 0, 128),    // MENUHILIGHT
    RGB(0, 0, 0),        // MENUBAR
};

ColorTable& colors() {
  static ColorTable t = kClassic;
  return t;
}

void (*g_changeHook)() = nullptr;

}  // namespace

DWORD GetSysColor(int index) {
  if (index < 0 || index >= COLOR_COUNT) return 0;
  return colors()[size_t(index)];
}

HBRUSH GetSysColorBrush(int index) {
  if (index < 0 || index >= COLOR_COUNT) return nullptr;
  static std::array<HBRUSH, COLOR_COUNT> brushes{};
  HBRUSH& h = brushes[size_t(index)];
  if (!h) {
    // Stock-like: registered as undeletable, its colour read from the table when used.
    auto b = std::make_shared<BrushObject>();
    b->Style = BS_SOLID;
    b->SysColorIndex = index;
    h = static_cast<HBRUSH>(GdiAllocStock(b));
  }
  return h;
}

BOOL SetSysColors(int count, const INT* indices, const COLORREF* values) {
  if (count < 0 || (count > 0 && (!indices || !values))) return FALSE;
  for (int i = 0; i < count; ++i)
    if (indices[i] >= 0 && indices[i] < COLOR_COUNT) colors()[size_t(indices[i])] = values[i] & 0xFFFFFF;
  if (g_changeHook) g_changeHook();
  return TRUE;
}

void SetSysColorPreset(SysColorPreset preset) {
  colors() = preset == SysColorPreset::HighContrastBlack ? kHighContrastBlack : kClassic;
  if (g_changeHook) g_changeHook();
}

void SetSysColorChangeHook(void (*hook)()) { g_changeHook = hook; }
