// Creating, inspecting and deleting pens, brushes and other objects.
#include "platform/gdi/DeviceContext.h"
#include "platform/gdi/Gdi.h"

HPEN CreatePen(int style, int width, COLORREF color) {
  const UINT s = UINT(style) & PS_STYLE_MASK;
  if (s > PS_INSIDEFRAME) return nullptr;
  // Wider pens than this would only overflow coordinates; nothing draws them usefully.
  const Integer w = width < 1 ? 1 : width > 32767 ? 32767 : width;
  auto p = std::make_shared<PenObject>(s, w, color & 0xFFFFFF);
  return static_cast<HPEN>(GdiAlloc(p));
}

HPEN CreatePenIndirect(const LOGPEN* lp) {
  if (!lp) return nullptr;
  return CreatePen(int(lp->lopnStyle), lp->lopnWidth.X, lp->lopnColor);
}

HBRUSH CreateSolidBrush(COLORREF color) {
  auto b = std::make_shared<BrushObject>();
  b->Style = BS_SOLID;
  b->Color = color & 0xFFFFFF;
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
