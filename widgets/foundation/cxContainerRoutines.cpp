// Small routines shared by the container classes: frames, regions, window tests.
#include "widgets/foundation/cxContainer.h"

#include "platform/gdi/Gdi.h"
#include "platform/kernel/Locale.h"
#include "platform/kernel/Modules.h"

#include <algorithm>

namespace {

using TGetScrollBarInfoProc = BOOL (*)(HWND, Integer, SCROLLBARINFO*);
TGetScrollBarInfoProc gGetScrollBarInfo = nullptr;

}  // namespace

void cxLookUpGetScrollBarInfo() {
  gGetScrollBarInfo = nullptr;
  if (HMODULE user = GetModuleHandleA("User32"))
    gGetScrollBarInfo = reinterpret_cast<TGetScrollBarInfoProc>(GetProcAddress(user, "GetScrollBarInfo"));
}

bool cxIsGetScrollBarInfoAvailable() { return gGetScrollBarInfo != nullptr; }

// Without the function there is nothing to ask: false, never a call through nil.
bool cxCopyScrollInfo(HWND AWnd, int ABar, TcxScrollBar* AScrollBar) {
  SCROLLINFO si{};
  si.cbSize = sizeof(si);
  si.fMask = SIF_ALL;
  if (!GetScrollInfo(AWnd, ABar, &si)) return false;
  const Integer maxValue = std::max(si.nMin, si.nMax);
  const Integer page = std::clamp(Integer(si.nPage), 0, std::max(maxValue, 0));
  AScrollBar->SetScrollParams(si.nMin, maxValue, si.nPos, page);
  AScrollBar->SetSmallChange(1);
  return true;
}

bool cxGetScrollBarInfo(HWND AWnd, Integer AObjectId, SCROLLBARINFO& AInfo) {
  AInfo.cbSize = sizeof(SCROLLBARINFO);
  return gGetScrollBarInfo && gGetScrollBarInfo(AWnd, AObjectId, &AInfo);
}

// Explicit lengths: a zero inside a string is compared like any other character.
bool cxAreStringsEqual(const String& S1, const String& S2, bool ACaseSensitive) {
  if (S1.size() != S2.size()) return false;
  if (ACaseSensitive)
    return CompareStringA(LOCALE_USER_DEFAULT, 0, S1.data(), int(S1.size()), S2.data(), int(S2.size())) ==
           CSTR_EQUAL;
  String a = S1, b = S2;
  CharUpperBuffA(a.data(), DWORD(a.size()));
  CharUpperBuffA(b.data(), DWORD(b.size()));
  return a == b;
}

TRect cxGetControlRect(TControl* AControl) { return {0, 0, AControl->GetWidth(), AControl->GetHeight()}; }

// Outer less Inner as the strips left, top, right and bottom; all of Outer when Inner
// leaves nothing of it out; none when Outer is empty or wholly inside Inner.
int cxGetRectFrameStrips(const TRect& AOuter, const TRect& AInner, TRect (&AStrips)[4]) {
  if (AOuter.IsEmpty()) return 0;
  const TRect inner{std::max(AInner.Left, AOuter.Left), std::max(AInner.Top, AOuter.Top),
                    std::min(AInner.Right, AOuter.Right), std::min(AInner.Bottom, AOuter.Bottom)};
  if (AInner.IsEmpty() || inner.IsEmpty()) {
    AStrips[0] = AOuter;
    return 1;
  }
  const TRect all[4] = {{AOuter.Left, AOuter.Top, inner.Left, AOuter.Bottom},
                        {inner.Left, AOuter.Top, inner.Right, inner.Top},
                        {inner.Right, AOuter.Top, AOuter.Right, AOuter.Bottom},
                        {inner.Left, inner.Bottom, inner.Right, AOuter.Bottom}};
  int n = 0;
  for (const TRect& r : all)
    if (!r.IsEmpty()) AStrips[n++] = r;
  return n;
}

void cxFillRectFrame(TcxCanvas& ACanvas, const TRect& AOuter, const TRect& AInner, TColor AColor) {
  TRect strips[4];
  const int n = cxGetRectFrameStrips(AOuter, AInner, strips);
  if (n == 0) return;
  ACanvas.SetBrushColor(AColor);
  for (int i = 0; i < n; ++i) ACanvas.FillRect(strips[i]);
}

void cxInvalidateRectFrame(HWND AWnd, const TRect& AOuter, const TRect& AInner, bool AErase) {
  TRect strips[4];
  const int n = cxGetRectFrameStrips(AOuter, AInner, strips);
  for (int i = 0; i < n; ++i) InvalidateRect(AWnd, &strips[i], AErase);
}

void cxInvalidateControlRect(TWinControl* AControl, const TRect& R, bool AErase) {
  if (AControl && AControl->HandleAllocated()) InvalidateRect(AControl->GetHandle(), &R, AErase);
}

void cxShrinkSidesWithoutBorder(TRect& R, Integer AWidth, TcxBorders ABorders) {
  if (!ABorders.Contains(TcxBorder::bLeft)) R.Left += AWidth;
  if (!ABorders.Contains(TcxBorder::bTop)) R.Top += AWidth;
  if (!ABorders.Contains(TcxBorder::bRight)) R.Right -= AWidth;
  if (!ABorders.Contains(TcxBorder::bBottom)) R.Bottom -= AWidth;
}

// Called on every mouse move over a container: comparing costs O(rectangles), and an
// unchanged region is never set again (setting one repaints the window).
void cxUpdateWindowRegion(HWND AWnd, const TRect& ABounds, bool ANoRegion, const TRect& AExclude, bool AShadow) {
  HRGN rgn = nullptr;
  if (!ANoRegion) {
    rgn = CreateRectRgn(ABounds.Left, ABounds.Top, ABounds.Right, ABounds.Bottom);
    if (AShadow) {
      HRGN shadow = CreateRectRgn(ABounds.Left + 3, ABounds.Top + 3, ABounds.Right + 3, ABounds.Bottom + 3);
      CombineRgn(rgn, rgn, shadow, RGN_OR);
      DeleteObject(shadow);
    }
    if (!AExclude.IsEmpty()) {
      HRGN exclude = CreateRectRgn(AExclude.Left, AExclude.Top, AExclude.Right, AExclude.Bottom);
      CombineRgn(rgn, rgn, exclude, RGN_DIFF);
      DeleteObject(exclude);
    }
  }
  HRGN current = CreateRectRgn(0, 0, 0, 0);
  const bool hasRegion = GetWindowRgn(AWnd, current) != ERROR;
  // No region at all differs from any region, the empty one included.
  const bool same = rgn ? hasRegion && EqualRgn(rgn, current) == TRUE : !hasRegion;
  DeleteObject(current);
  if (same) {
    if (rgn) DeleteObject(rgn);
    return;
  }
  // The window owns a region once it is set; one refused stays ours to free.
  if (SetWindowRgn(AWnd, rgn, TRUE) == 0 && rgn) DeleteObject(rgn);
}

void cxSetWindowRegionFromInfo(TWinControl* AControl, const TcxContainerInnerControlBounds& AInfo) {
  if (!AControl || !AControl->HandleAllocated()) return;
  HRGN rgn = AInfo.NoRegion ? nullptr : CreateRectRgn(AInfo.Rect.Left, AInfo.Rect.Top, AInfo.Rect.Right, AInfo.Rect.Bottom);
  if (SetWindowRgn(AControl->GetHandle(), rgn, TRUE) == 0 && rgn) DeleteObject(rgn);
}

bool cxIsWindowOfControl(TWinControl* AControl, HWND AWnd) {
  return AControl && AControl->HandleAllocated() && AControl->GetHandle() == AWnd;
}

TcxContainer* cxGetInnerControlContainer(TControl* AControl) {
  if (auto* c = dynamic_cast<TcxContainer*>(AControl)) return c;
  if (auto* i = dynamic_cast<IcxContainerInnerControl*>(AControl)) return i->GetControlContainer();
  return nullptr;
}

bool cxIsNativeThemeUsable(bool ANativeStyle, TdxThemedObjectType AObjectType) {
  return ANativeStyle && cxOpenTheme(AObjectType) != nullptr;
}

TcxMouseButton cxTranslateMouseButton(TMouseButton AButton) {
  switch (AButton) {
    case TMouseButton::mbLeft: return TcxMouseButton::cxmbLeft;
    case TMouseButton::mbRight: return TcxMouseButton::cxmbRight;
    case TMouseButton::mbMiddle: return TcxMouseButton::cxmbMiddle;
  }
  return TcxMouseButton::cxmbNone;
}

void cxAssignFont(TFont* ADest, TFont* ASource) { ADest->Assign(ASource); }

void cxEmptyProcedure() {}

// By meaning: the library's own top, centre and bottom text flags.
Integer cxVerticalAlignmentToTextFlag(TVerticalAlignment AAlignment) {
  switch (AAlignment) {
    case TVerticalAlignment::taAlignTop: return cxAlignTop;
    case TVerticalAlignment::taVerticalCenter: return cxAlignVCenter;
    case TVerticalAlignment::taAlignBottom: return cxAlignBottom;
  }
  return cxAlignTop;
}

TRect cxGetInnerControlSizeGripRect(IcxContainerInnerControl* AInnerControl) {
  if (!AInnerControl) return {};
  TcxScrollBar* h = AInnerControl->GetLibraryScrollBar(TScrollBarKind::sbHorizontal);
  TcxScrollBar* v = AInnerControl->GetLibraryScrollBar(TScrollBarKind::sbVertical);
  if (!h || !v || !h->GetVisible() || !v->GetVisible()) return {};
  TRect r{v->GetLeft(), h->GetTop(), v->GetLeft() + v->GetWidth(), h->GetTop() + h->GetHeight()};
  // The bars sit on the container; placed elsewhere, their square is mapped onto it.
  TcxContainer* container = AInnerControl->GetControlContainer();
  TWinControl* parent = v->GetParent();
  if (container && parent && parent != container) {
    const TPoint a = container->ScreenToClient(parent->ClientToScreen({r.Left, r.Top}));
    r = {a.X, a.Y, a.X + r.Width(), a.Y + r.Height()};
  }
  return r;
}

TPoint cxGetCursorPos() {
  POINT p{};
  GetCursorPos(&p);
  return p;
}

TShiftState cxGetShiftState() {
  BYTE keys[256] = {};
  TShiftState s;
  if (!GetKeyboardState(keys)) return s;
  auto down = [&](int vk) { return (keys[vk] & 0x80) != 0; };
  if (down(VK_SHIFT)) s.Include(TShiftStateItem::ssShift);
  if (down(VK_CONTROL)) s.Include(TShiftStateItem::ssCtrl);
  if (down(VK_MENU)) s.Include(TShiftStateItem::ssAlt);
  if (down(VK_LBUTTON)) s.Include(TShiftStateItem::ssLeft);
  if (down(VK_RBUTTON)) s.Include(TShiftStateItem::ssRight);
  if (down(VK_MBUTTON)) s.Include(TShiftStateItem::ssMiddle);
  return s;
}
