// Painting: update regions, visible regions, window DCs, the paint cycle, scrolling and
// the redraw requests.
#include "platform/gdi/DeviceContext.h"
#include "platform/gdi/Gdi.h"
#include "platform/user/UserInternal.h"

#include <sys/mman.h>

#include <algorithm>

using namespace user_detail;

namespace {

Region RegionOfWindow(const Wnd* w, int dx, int dy) {
  // The window's shape (rectangle and window region) in its parent's client coordinates,
  // shifted by (dx, dy).
  Region r(w->window);
  if (w->hasRegion) {
    Region shape = w->region;
    shape.Offset(w->window.Left, w->window.Top);
    r = Region::Combine(r, shape, RegionOp::And);
  }
  r.Offset(dx, dy);
  return r;
}

TPoint ClientOffset(const Wnd* w) { return {w->client.Left - w->window.Left, w->client.Top - w->window.Top}; }

// What of `w` may be drawn, in w's window coordinates.
Region VisibleRegion(const Wnd* w, bool clientOnly, bool clipChildren) {
  if (!IsVisibleChain(w)) return Region();
  TPoint co = ClientOffset(w);
  TRect base = clientOnly ? Bounds(co.X, co.Y, w->client.Width(), w->client.Height())
                          : TRect{0, 0, w->window.Width(), w->window.Height()};
  Region r(base);
  if (w->hasRegion) r = Region::Combine(r, w->region, RegionOp::And);
  int ox = w->window.Left, oy = w->window.Top;
  const Wnd* cur = w;
  while (!IsTopLevel(cur)) {
    const Wnd* p = Find(cur->parent);
    if (!p) return Region();
    if (cur->style & WS_CLIPSIBLINGS)
      for (HWND sh : p->children) {
        if (sh == cur->handle) break;
        const Wnd* sib = Find(sh);
        if (sib && (sib->style & WS_VISIBLE)) r = Region::Combine(r, RegionOfWindow(sib, -ox, -oy), RegionOp::Diff);
      }
    r = r.Intersected({-ox, -oy, -ox + p->client.Width(), -oy + p->client.Height()});
    if (p->hasRegion) {
      Region pr = p->region;
      TPoint pco = ClientOffset(p);
      pr.Offset(-pco.X - ox, -pco.Y - oy);
      r = Region::Combine(r, pr, RegionOp::And);
    }
    ox += p->client.Left;
    oy += p->client.Top;
    cur = p;
  }
  if (clipChildren)
    for (HWND ch : w->children) {
      const Wnd* c = Find(ch);
      if (c && (c->style & WS_VISIBLE)) r = Region::Combine(r, RegionOfWindow(c, co.X, co.Y), RegionOp::Diff);
    }
  return r;
}

// Where w's window origin lies on its top-level window's surface.
TPoint OriginOnTop(const Wnd* w) {
  int x = w->window.Left, y = w->window.Top;
  const Wnd* cur = w;
  while (!IsTopLevel(cur)) {
    const Wnd* p = Find(cur->parent);
    x += p->client.Left;
    y += p->client.Top;
    cur = p;
  }
  return {x - cur->window.Left, y - cur->window.Top};
}

Surface* TopSurface(Wnd* w) {
  Wnd* top = TopLevelOf(w);
  if (!top) return nullptr;
  int width = std::max(top->window.Width(), 0), height = std::max(top->window.Height(), 0);
  // A window larger than any screen gets no pixels rather than a failed allocation.
  if (int64_t(width) * height > (int64_t(1) << 26)) width = height = 0;
  if (!top->surface) top->surface = std::make_unique<Surface>(width, height, 0);
  else if (top->surface->Width() != width || top->surface->Height() != height) {
    // Same object, so DCs keep pointing at it; the pixels that still fit stay.
    Surface resized(width, height, 0);
    resized.CopyFrom(*top->surface, top->surface->Bounds(), 0, 0);
    *top->surface = std::move(resized);
  }
  return top->surface.get();
}

// The screen's pixels. No host shows them, yet every measuring DC (GetDC(nullptr)) targets
// them, so they are mapped rather than allocated: a page takes memory only once something
// draws on it, and the screen reads black where nothing was drawn.
Surface* ScreenSurface() {
  auto& st = S();
  if (!st.screen) {
    const Integer w = std::max(st.metrics[SM_CXSCREEN], 0), h = std::max(st.metrics[SM_CYSCREEN], 0);
    const bool fits = uint64_t(w) * uint64_t(h) <= kMaxSurfacePixels;
    const size_t bytes = fits ? size_t(w) * size_t(h) * sizeof(Pixel) : 0;
    void* base = bytes ? ::mmap(nullptr, bytes, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0) : MAP_FAILED;
    if (base == MAP_FAILED) {
      st.screen = std::make_unique<Surface>();
    } else {
      st.screenPixels = std::shared_ptr<void>(base, [bytes](void* p) { ::munmap(p, bytes); });
      st.screen = std::make_unique<Surface>(Surface::Wrap(static_cast<Pixel*>(base), w, h, w));
    }
  }
  return st.screen.get();
}

void PresentRegion(Wnd* w, const Region& visibleInWindow) {
  Host* host = CurrentHost();
  Wnd* top = TopLevelOf(w);
  if (!host || !top) return;
  Region r = visibleInWindow;
  TPoint o = OriginOnTop(w);
  r.Offset(o.X, o.Y);
  host->Present(top->handle, r);
}

// A DC on the window: client area or whole window, limited to the visible region and
// optionally to `clip` (window coordinates).
HDC MakeDC(HWND h, bool window, const Region* intersect, const Region* exclude, bool paint) {
  Wnd* w = Find(h);
  if (!w) return nullptr;
  Surface* surface = TopSurface(w);
  if (!surface) return nullptr;
  bool clipChildren = (w->style & WS_CLIPCHILDREN) != 0;
  Region vis = VisibleRegion(w, !window, clipChildren);
  if (intersect) vis = Region::Combine(vis, *intersect, RegionOp::And);
  if (exclude) vis = Region::Combine(vis, *exclude, RegionOp::Diff);
  TPoint origin = OriginOnTop(w);
  if (!window) {
    TPoint co = ClientOffset(w);
    vis.Offset(-co.X, -co.Y);
    origin.X += co.X;
    origin.Y += co.Y;
  }
  HDC dc = CreateSurfaceDC(surface, origin, &vis);
  if (!dc) return nullptr;
  DcRecord rec;
  rec.hwnd = h;
  rec.paint = paint;
  S().dcs[dc] = rec;
  return dc;
}

void PresentDC(HDC dc, const DcRecord& rec) {
  Wnd* w = Find(rec.hwnd);
  DeviceContext* d = DcFromHandle(dc);
  if (!w || !d || !d->SystemClip) return;
  Region r = *d->SystemClip;
  TPoint o = OriginOnTop(w);
  r.Offset(d->DeviceOrigin.X - o.X, d->DeviceOrigin.Y - o.Y);
  PresentRegion(w, r);
}

bool NeedsPaintSelf(const Wnd* w) {
  return !w->update.IsEmpty() || w->internalPaint || w->framePending;
}

HWND SearchPaint(HWND h, HWND filter) {
  Wnd* w = Find(h);
  if (!w || !(w->style & WS_VISIBLE)) return nullptr;
  bool inFilter = !filter || h == filter || IsChild(filter, h);
  if (inFilter && NeedsPaintSelf(w)) return h;
  for (HWND c : w->children)
    if (HWND found = SearchPaint(c, filter)) return found;
  return nullptr;
}

void ApplyRedraw(Wnd* w, const Region& area, UINT flags, bool frameArea) {
  TRect client{0, 0, w->client.Width(), w->client.Height()};
  Region a = area.Intersected(client);
  if (flags & RDW_INVALIDATE) {
    if (!a.IsEmpty()) {
      w->update = Region::Combine(w->update, a, RegionOp::Or);
      if (flags & RDW_ERASE) w->erasePending = true;
    }
    if ((flags & RDW_FRAME) && frameArea && !(w->window == w->client)) w->framePending = true;
  } else if (flags & RDW_VALIDATE) {
    w->update = Region::Combine(w->update, a, RegionOp::Diff);
    if (w->update.IsEmpty()) w->erasePending = false;
    if (flags & RDW_NOFRAME) w->framePending = false;
    if (flags & RDW_NOERASE) w->erasePending = false;
  }
  if (flags & RDW_INTERNALPAINT) w->internalPaint = true;
  if (flags & RDW_NOINTERNALPAINT) w->internalPaint = false;
  bool children = (flags & RDW_ALLCHILDREN) || (!(flags & RDW_NOCHILDREN) && !(w->style & WS_CLIPCHILDREN));
  if (!children) return;
  for (HWND ch : w->children) {
    Wnd* c = Find(ch);
    if (!c || !(c->style & WS_VISIBLE)) continue;
    Region ca = a;
    bool touches = ca.Intersects(c->window);
    if (!touches) continue;
    ca.Offset(-c->client.Left, -c->client.Top);
    // The parent paints over the child's frame too, so the frame is redrawn with it.
    ApplyRedraw(c, ca, (flags & RDW_INVALIDATE) ? (flags | RDW_FRAME) : flags, true);
  }
}

void UpdateTree(HWND h, bool children) {
  Wnd* w = Find(h);
  if (!w || !IsVisibleChain(w)) return;
  if (w->framePending && w->update.IsEmpty() && !w->internalPaint) {
    w->framePending = false;
    Send(h, WM_NCPAINT, 1, 0);
    if (!(w = Find(h))) return;
  }
  if (!w->update.IsEmpty() || w->internalPaint) {
    Send(h, WM_PAINT, 0, 0);
    if (!(w = Find(h))) return;
  }
  if (!children) return;
  std::vector<HWND> kids = w->children;
  for (HWND c : kids) UpdateTree(c, true);
}

void EraseNow(HWND h, bool children) {
  Wnd* w = Find(h);
  if (!w || !IsVisibleChain(w)) return;
  if (w->framePending) {
    w->framePending = false;
    Send(h, WM_NCPAINT, 1, 0);
    if (!(w = Find(h))) return;
  }
  if (w->erasePending && !w->update.IsEmpty()) {
    w->erasePending = false;
    TPoint co = ClientOffset(w);
    Region clip = w->update;
    clip.Offset(co.X, co.Y);
    HDC dc = MakeDC(h, false, &clip, nullptr, false);
    if (dc) {
      Send(h, WM_ERASEBKGND, reinterpret_cast<WPARAM>(dc), 0);
      auto it = S().dcs.find(dc);
      if (it != S().dcs.end()) {
        PresentDC(dc, it->second);
        S().dcs.erase(it);
      }
      DeleteDC(dc);
    }
    if (!(w = Find(h))) return;
  }
  if (!children) return;
  std::vector<HWND> kids = w->children;
  for (HWND c : kids) EraseNow(c, true);
}

void EndOnePaint(HDC dc) {
  auto& st = S();
  auto it = st.dcs.find(dc);
  if (it == st.dcs.end()) return;
  DcRecord rec = it->second;
  PresentDC(dc, rec);
  st.dcs.erase(it);
  DeleteDC(dc);
  if (Wnd* w = Find(rec.hwnd)) w->paintDepth = std::max(w->paintDepth - 1, 0);
  if (rec.caretHidden) ShowCaret(rec.hwnd);
}

}  // namespace

namespace user_detail {

Region* RegionOfHandle(HRGN rgn) {
  RegionObject* r = RegionFromHandle(rgn);
  return r ? &r->Rgn : nullptr;
}

void DeleteRegionHandle(HRGN rgn) {
  DeleteObject(rgn);
}

bool NeedsPaint(const Wnd* w) {
  return NeedsPaintSelf(w);
}

HWND FindWindowToPaint(HWND filter) {
  auto& st = S();
  if (!st.desktop) return nullptr;
  if (filter == reinterpret_cast<HWND>(-1)) return nullptr;
  std::vector<HWND> tops = Find(st.desktop)->children;
  for (HWND t : tops)
    if (HWND found = SearchPaint(t, filter)) return found;
  return nullptr;
}

void InvalidateWindowArea(Wnd* w, bool erase, bool frame) {
  RedrawWindow(w->handle, nullptr, nullptr,
               RDW_INVALIDATE | RDW_ALLCHILDREN | (erase ? RDW_ERASE : 0) | (frame ? RDW_FRAME : 0));
}

void InvalidateParentArea(Wnd* w, const TRect& rectInParent) {
  Wnd* p = Find(w->parent);
  if (!p || p->handle == S().desktop) return;
  TRect r = rectInParent;
  RedrawWindow(p->handle, &r, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
}

void InvalidateClientPart(Wnd* w, const Region& clientArea) {
  ApplyRedraw(w, clientArea, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN, false);
  if (!(w->window == w->client)) w->framePending = true;
}

void PaintDispatchGuard(HWND h, int depthBefore) {
  Wnd* w = Find(h);
  if (!w) return;
  while (w && w->paintDepth > depthBefore) {
    HDC last = nullptr;
    for (auto& [dc, rec] : S().dcs)
      if (rec.hwnd == h && rec.paint) last = dc;
    if (!last) {
      w->paintDepth = depthBefore;
      break;
    }
    EndOnePaint(last);
    w = Find(h);
  }
}

void CloseOpenPaints(HWND h) {
  PaintDispatchGuard(h, 0);
}

void DiscardDCsOf(HWND h) {
  auto& st = S();
  for (auto it = st.dcs.begin(); it != st.dcs.end();) {
    if (it->second.hwnd == h) {
      DeleteDC(it->first);
      it = st.dcs.erase(it);
    } else {
      ++it;
    }
  }
}

void ResetPaintState() {
  auto& st = S();
  for (auto& [dc, rec] : st.dcs) DeleteDC(dc);
  st.dcs.clear();
}

// Every DC on a window still open has its drawing shown now, as ReleaseDC would show it.
void PresentOpenDCs() {
  std::vector<std::pair<HDC, DcRecord>> open;
  for (const auto& [dc, rec] : S().dcs)
    if (rec.hwnd) open.emplace_back(dc, rec);
  for (const auto& [dc, rec] : open) PresentDC(dc, rec);
  if (Host* host = CurrentHost()) host->PollInput();
}

}  // namespace user_detail

// ---- Redrawing -------------------------------------------------------------------------------

BOOL RedrawWindow(HWND hwnd, const RECT* rect, HRGN rgn, UINT flags) {
  EnsureRoots();
  if (!hwnd) hwnd = S().desktop;
  Wnd* w = Find(hwnd);
  if (!w) return FALSE;
  if (hwnd == S().desktop) {
    std::vector<HWND> tops = w->children;
    if (flags & (RDW_INVALIDATE | RDW_VALIDATE))
      for (HWND t : tops) RedrawWindow(t, nullptr, nullptr, flags & ~(RDW_UPDATENOW | RDW_ERASENOW));
    if (flags & (RDW_UPDATENOW | RDW_ERASENOW))
      for (HWND t : tops) RedrawWindow(t, nullptr, nullptr, flags & (RDW_UPDATENOW | RDW_ERASENOW | RDW_ALLCHILDREN | RDW_NOCHILDREN));
    return TRUE;
  }
  Region area;
  bool whole = false;
  if (rgn) {
    Region* r = RegionOfHandle(rgn);
    if (!r) return FALSE;
    area = *r;
  } else if (rect) {
    area = Region(*rect);
  } else {
    area = Region(TRect{0, 0, w->client.Width(), w->client.Height()});
    whole = true;
  }
  const UINT changes = RDW_INVALIDATE | RDW_VALIDATE | RDW_INTERNALPAINT | RDW_NOINTERNALPAINT;
  if ((flags & changes) && IsVisibleChain(w)) ApplyRedraw(w, area, flags, whole || rect || rgn);
  else if (flags & (RDW_VALIDATE | RDW_NOINTERNALPAINT)) ApplyRedraw(w, area, flags, true);
  bool children = (flags & RDW_ALLCHILDREN) || (!(flags & RDW_NOCHILDREN) && !(w->style & WS_CLIPCHILDREN));
  if (flags & RDW_UPDATENOW) UpdateTree(hwnd, children || (flags & RDW_ALLCHILDREN));
  else if (flags & RDW_ERASENOW) EraseNow(hwnd, children);
  return TRUE;
}

BOOL InvalidateRect(HWND hwnd, const RECT* rect, BOOL erase) {
  return RedrawWindow(hwnd, rect, nullptr, RDW_INVALIDATE | (erase ? RDW_ERASE : 0));
}

BOOL InvalidateRgn(HWND hwnd, HRGN rgn, BOOL erase) {
  if (rgn && !RegionOfHandle(rgn)) return FALSE;
  return RedrawWindow(hwnd, nullptr, rgn, RDW_INVALIDATE | (erase ? RDW_ERASE : 0));
}

BOOL ValidateRect(HWND hwnd, const RECT* rect) {
  return RedrawWindow(hwnd, rect, nullptr, RDW_VALIDATE | RDW_NOCHILDREN | (rect ? 0 : RDW_NOINTERNALPAINT));
}

BOOL ValidateRgn(HWND hwnd, HRGN rgn) {
  if (rgn && !RegionOfHandle(rgn)) return FALSE;
  return RedrawWindow(hwnd, nullptr, rgn, RDW_VALIDATE | RDW_NOCHILDREN);
}

BOOL GetUpdateRect(HWND hwnd, LPRECT rect, BOOL erase) {
  Wnd* w = Find(hwnd);
  if (!w) return FALSE;
  if (erase && w->erasePending) {
    EraseNow(hwnd, false);
    if (!(w = Find(hwnd))) return FALSE;
  }
  TRect b = w->update.Bounds();
  if (rect) *rect = b;
  return w->update.IsEmpty() ? FALSE : TRUE;
}

int GetUpdateRgn(HWND hwnd, HRGN rgn, BOOL erase) {
  Wnd* w = Find(hwnd);
  Region* out = RegionOfHandle(rgn);
  if (!w || !out) return ERROR;
  if (erase && w->erasePending) {
    EraseNow(hwnd, false);
    if (!(w = Find(hwnd))) return ERROR;
  }
  *out = w->update;
  return out->Complexity();
}

BOOL UpdateWindow(HWND hwnd) {
  if (!Find(hwnd)) return FALSE;
  UpdateTree(hwnd, true);
  return TRUE;
}

// ---- The paint cycle -------------------------------------------------------------------------

HDC BeginPaint(HWND hwnd, PAINTSTRUCT* ps) {
  Wnd* w = Find(hwnd);
  if (!w || !ps) return nullptr;
  if (w->framePending) {
    w->framePending = false;
    Send(hwnd, WM_NCPAINT, 1, 0);
    if (!(w = Find(hwnd))) return nullptr;
  }
  TRect client{0, 0, w->client.Width(), w->client.Height()};
  Region area = w->update.Intersected(client);
  bool erase = w->erasePending;
  w->update = Region();
  w->erasePending = false;
  w->internalPaint = false;
  bool caretHidden = S().caret.hwnd == hwnd && HideCaret(hwnd);
  TPoint co = ClientOffset(w);
  Region clip = area;
  clip.Offset(co.X, co.Y);
  HDC dc = MakeDC(hwnd, false, &clip, nullptr, true);
  if (!dc) {
    if (caretHidden) ShowCaret(hwnd);
    return nullptr;
  }
  S().dcs[dc].caretHidden = caretHidden;
  w->paintDepth++;
  *ps = PAINTSTRUCT{};
  ps->hdc = dc;
  ps->rcPaint = area.Bounds();
  ps->fErase = TRUE;
  if (erase) ps->fErase = Send(hwnd, WM_ERASEBKGND, reinterpret_cast<WPARAM>(dc), 0) ? FALSE : TRUE;
  return dc;
}

BOOL EndPaint(HWND hwnd, const PAINTSTRUCT* ps) {
  if (!ps) return FALSE;
  auto& st = S();
  auto it = st.dcs.find(ps->hdc);
  if (it == st.dcs.end() || !it->second.paint || it->second.hwnd != hwnd) return FALSE;
  EndOnePaint(ps->hdc);
  return TRUE;
}

HDC GetDCEx(HWND hwnd, HRGN clip, DWORD flags) {
  EnsureRoots();
  if (!hwnd || hwnd == S().desktop) {
    HDC dc = CreateSurfaceDC(ScreenSurface(), {0, 0}, nullptr);
    if (dc) S().dcs[dc] = DcRecord{};
    return dc;
  }
  Wnd* w = Find(hwnd);
  if (!w) return nullptr;
  Region* extra = nullptr;
  Region shifted;
  bool window = (flags & DCX_WINDOW) != 0;
  if (clip && (flags & (DCX_INTERSECTRGN | DCX_EXCLUDERGN))) {
    Region* r = RegionOfHandle(clip);
    if (!r) return nullptr;
    // The region is given in the DC's own coordinates.
    shifted = *r;
    if (!window) {
      TPoint co = ClientOffset(w);
      shifted.Offset(co.X, co.Y);
    }
    extra = &shifted;
  }
  return MakeDC(hwnd, window, (flags & DCX_INTERSECTRGN) ? extra : nullptr,
                (flags & DCX_EXCLUDERGN) ? extra : nullptr, false);
}

HDC GetDC(HWND hwnd) {
  return GetDCEx(hwnd, nullptr, 0);
}

HDC GetWindowDC(HWND hwnd) {
  return GetDCEx(hwnd, nullptr, DCX_WINDOW);
}

int ReleaseDC(HWND, HDC dc) {
  auto& st = S();
  auto it = st.dcs.find(dc);
  if (it == st.dcs.end() || it->second.paint) return 0;
  DcRecord rec = it->second;
  if (rec.hwnd) PresentDC(dc, rec);
  st.dcs.erase(it);
  DeleteDC(dc);
  return 1;
}

HWND WindowFromDC(HDC dc) {
  auto& st = S();
  auto it = st.dcs.find(dc);
  if (it == st.dcs.end()) return nullptr;
  return it->second.hwnd ? it->second.hwnd : st.desktop;
}

const Surface* GetWindowSurface(HWND hwnd) {
  EnsureRoots();
  if (hwnd == S().desktop) return ScreenSurface();
  Wnd* w = Find(hwnd);
  if (!w || !IsTopLevel(w)) return nullptr;
  return TopSurface(w);
}

// ---- Scrolling -------------------------------------------------------------------------------

int ScrollWindowEx(HWND hwnd, int dx, int dy, const RECT* scroll, const RECT* clip, HRGN updateRgn,
                   LPRECT updateRect, UINT flags) {
  Wnd* w = Find(hwnd);
  if (!w) return ERROR;
  dx = ClampCoord(dx);
  dy = ClampCoord(dy);
  TRect client{0, 0, w->client.Width(), w->client.Height()};
  TRect area = scroll ? *scroll : client;
  Region bounds = Region(area).Intersected(client);
  if (clip) bounds = bounds.Intersected(*clip);
  Region vis = VisibleRegion(w, true, (w->style & WS_CLIPCHILDREN) != 0);
  TPoint co = ClientOffset(w);
  vis.Offset(-co.X, -co.Y);
  Region valid = Region::Combine(vis, bounds, RegionOp::And);
  Region moved = valid;
  moved.Offset(dx, dy);
  Region dest = Region::Combine(moved, valid, RegionOp::And);
  if (Surface* surface = TopSurface(w); surface && IsVisibleChain(w) && (dx || dy)) {
    Surface copy = surface->Clone();
    TPoint o = OriginOnTop(w);
    for (const TRect& r : dest.Rects())
      surface->CopyFrom(copy, Bounds(o.X + co.X + r.Left - dx, o.Y + co.Y + r.Top - dy, r.Width(), r.Height()),
                        o.X + co.X + r.Left, o.Y + co.Y + r.Top);
    Region shown = dest;
    shown.Offset(co.X, co.Y);
    PresentRegion(w, shown);
  }
  // The pending update region moves with the pixels.
  Region inside = Region::Combine(w->update, bounds, RegionOp::And);
  if (!inside.IsEmpty()) {
    Region outside = Region::Combine(w->update, bounds, RegionOp::Diff);
    inside.Offset(dx, dy);
    inside = Region::Combine(inside, bounds, RegionOp::And);
    w->update = Region::Combine(outside, inside, RegionOp::Or);
  }
  Region exposed = Region::Combine(Region::Combine(vis, bounds, RegionOp::And), dest, RegionOp::Diff);
  if (flags & SW_SCROLLCHILDREN) {
    std::vector<HWND> kids = w->children;
    for (HWND c : kids) {
      Wnd* cw = Find(c);
      if (!cw) continue;
      if (scroll && !Region(*scroll).Intersects(cw->window)) continue;
      SetWindowPos(c, nullptr, cw->window.Left + dx, cw->window.Top + dy, 0, 0,
                   SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_NOREDRAW);
    }
    if (!(w = Find(hwnd))) return ERROR;
  }
  if (flags & SW_INVALIDATE) {
    ApplyRedraw(w, exposed, RDW_INVALIDATE | (flags & SW_ERASE ? RDW_ERASE : 0) |
                                ((flags & SW_SCROLLCHILDREN) ? RDW_ALLCHILDREN : 0), false);
  }
  if (Region* out = RegionOfHandle(updateRgn)) *out = exposed;
  if (updateRect) *updateRect = exposed.Bounds();
  return exposed.IsEmpty() ? NULLREGION : exposed.Complexity();
}

BOOL ScrollWindow(HWND hwnd, int dx, int dy, const RECT* scroll, const RECT* clip) {
  return ScrollWindowEx(hwnd, dx, dy, scroll, clip, nullptr, nullptr,
                        SW_INVALIDATE | SW_ERASE | (scroll ? 0 : SW_SCROLLCHILDREN)) != ERROR;
}

bool UserIsPainting(HWND hwnd) {
  Wnd* w = Find(hwnd);
  return w && w->paintDepth > 0;
}
