// Logical fonts as GDI objects: creation, GetObjectA's LOGFONTA, the stock fonts and the
// metrics of the font a device context has selected.
#pragma once

#include "platform/gdi/FontEngine.h"
#include "platform/gdi/Gdi.h"

class DeviceContext;

// A logical font: the LOGFONTA as created, and what it asks of the font engine.
class LogFontObject : public GdiObject {
 public:
  explicit LogFontObject(const LOGFONTA& lf);
  int GetObjectData(int size, void* buffer) const override;   // LOGFONTA, 60 bytes
  LOGFONTA LogFont;
  FontDesc Desc;
};

HFONT CreateFontIndirectA(const LOGFONTA* lf);
HFONT CreateFontA(int height, int width, int escapement, int orientation, int weight, DWORD italic,
                  DWORD underline, DWORD strikeOut, DWORD charSet, DWORD outPrecision,
                  DWORD clipPrecision, DWORD quality, DWORD pitchAndFamily, LPCSTR faceName);
BOOL GetTextMetricsA(HDC dc, TEXTMETRICA* tm);

// Creates the stock fonts (SYSTEM_FONT, DEFAULT_GUI_FONT, ANSI_VAR_FONT and the fixed ones)
// in the stock table; the stock table calls this when it is built. Idempotent.
void RegisterStockFonts();

// The logical font a DC draws with: the selected font, or the system font when none is.
const FontDesc& DcFontDesc(const DeviceContext& dc);
