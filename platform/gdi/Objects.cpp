// Creating, inspecting and deleting pens, brushes and other objects.
#include "platform/gdi/DeviceContext.h"
#include "platform/gdi/Gdi.h"

HPEN CreatePen(int style, int width, COLORREF color) {
  UINT s = UINT(style) & PS_STYLE_MASK;
  // As on the platform: styles it does not know draw solid, an invisible pen is the stock
  // one, and a negative width counts by its size (0 stays 0, drawn one pixel wide).
  if (s > PS_INSIDEFRAME) s = PS_SOLID;
  if (s == PS_NULL) return static_cast<HPEN>(GetStockObject(NULL_PEN));
  const Int64 size = width < 0 ? -Int64(width) : Int64(width);
  // Wider pens than this would only overflow coordinates; nothing draws them usefully.
  const Integer w = Integer(size > 32767 ? 32767 : size);
  auto p = std::make_shared<PenObject>(s, w, StoredColor(color));
  return static_cast<HPEN>(GdiAlloc(p));
}

HPEN CreatePenIndirect(const LOGPEN* lp) {
  if (!lp) return nullptr;
  return CreatePen(int(lp->lopnStyle), lp->lopnWidth.X, lp->lopnColor);
}

HBRUSH CreateSolidBrush(COLORREF color) {
  auto b = std::make_shared<BrushObject>();
  b->Style = BS_SOLID;
  b->Color = StoredColor(color);
  return static_cast<HBRUSH>(GdiAlloc(b));
}

DWORD GetObjectType(HGDIOBJ obj) {
  GdiObject* o = GdiLookup(obj);
  return o ? o->Kind() : 0;
}

int GetObjectA(HGDIOBJ obj, int size, void* buffer) {
  GdiObject* o = GdiLookup(obj);
  if (!o) return 0;
  if (buffer && size < 0) return 0;
  return o->GetObjectData(size, buffer);
}

BOOL DeleteObject(HGDIOBJ obj) {
  if (GdiIsStock(obj)) return TRUE;
  return GdiFree(obj) ? TRUE : FALSE;
}
