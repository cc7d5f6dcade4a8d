// Drag images: one image of the list shown in a popup window of its own that follows the
// mouse. Each top-level window is composed over the screen, so the window only has to move;
// nothing beneath it is drawn over or restored.
#include "classlib/visual/Controls.h"
#include "classlib/visual/ImgList.h"
#include "platform/gdi/ImageList.h"

namespace {

constexpr const char* kDragImageClass = "TDragImageWindow";

// The window's shape: the opaque pixels of image Index (all of it without a mask).
HRGN MaskRegion(HIMAGELIST List, Integer Index, Integer W, Integer H) {
  HRGN shape = CreateRectRgn(0, 0, 0, 0);
  Owned<TBitmap> mask(New<TScratchBitmap>());
  mask->SetSize(W, H);
  HDC dc = mask->Canvas()->GetHandle();
  ImageList_Draw(List, Index, dc, 0, 0, ILD_MASK);
  HRGN run = CreateRectRgn(0, 0, 0, 0);
  for (Integer y = 0; y < H; ++y) {
    Integer x = 0;
    while (x < W) {
      while (x < W && GetPixel(dc, x, y) != 0) ++x;
      const Integer start = x;
      while (x < W && GetPixel(dc, x, y) == 0) ++x;
      if (x > start) {
        SetRectRgn(run, start, y, x, y + 1);
        CombineRgn(shape, shape, run, RGN_OR);
      }
    }
  }
  DeleteObject(run);
  return shape;
}

}  // namespace

void TDragImageList::BeforeDestruction() {
  EndDrag();
  DragImagesDestroyed(this);
  inherited::BeforeDestruction();
}

bool TDragImageList::SetDragImage(Integer Index, Integer HotSpotX, Integer HotSpotY) {
  if (Index < 0 || Index >= Count()) return false;
  FDragIndex = Index;
  FDragHotspot = {HotSpotX, HotSpotY};
  UpdateDragWindow();
  return true;
}

void TDragImageList::SetDragHotspot(const TPoint& Value) {
  FDragHotspot = Value;
  UpdateDragWindow();
}

TPoint TDragImageList::ToScreen(Integer X, Integer Y) const {
  POINT p{X, Y};
  if (FLockWindow) ClientToScreen(FLockWindow, &p);
  return p;
}

bool TDragImageList::BeginDrag(HWND Window, Integer X, Integer Y) {
  if (FDragWnd || FDragIndex < 0 || FDragIndex >= Count()) return false;
  WNDCLASSA wc;
  if (!GetClassInfoA(nullptr, kDragImageClass, &wc)) {
    wc = WNDCLASSA();
    wc.lpfnWndProc = DefWindowProcToken();
    wc.lpszClassName = kDragImageClass;
    if (!RegisterClassA(&wc)) return false;
  }
  FLockWindow = Window && IsWindow(Window) && Window != GetDesktopWindow() ? Window : nullptr;
  FDragPos = ToScreen(X, Y);
  FHideCount = 0;
  HWND wnd = CreateWindowExA(WS_EX_TOPMOST | WS_EX_TOOLWINDOW | WS_EX_TRANSPARENT, kDragImageClass, "", WS_POPUP, 0,
                             0, 0, 0, nullptr, nullptr, nullptr, nullptr);
  if (!wnd) return false;
  FDragWnd = wnd;
  SetWindowLongA(wnd, GWL_WNDPROC, LONG_PTR(MakeObjectInstance(TWndMethod(this, &TDragImageList::DragWndProc))));
  UpdateDragWindow();
  return true;
}

bool TDragImageList::DragMove(Integer X, Integer Y) {
  if (!FDragWnd) return false;
  FDragPos = ToScreen(X, Y);
  SetWindowPos(FDragWnd, nullptr, FDragPos.X - FDragHotspot.X, FDragPos.Y - FDragHotspot.Y, 0, 0,
               SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  return true;
}

bool TDragImageList::EndDrag() {
  if (!FDragWnd) return false;
  HWND wnd = FDragWnd;
  FDragWnd = nullptr;
  FLockWindow = nullptr;
  FHideCount = 0;
  auto proc = reinterpret_cast<WNDPROC>(GetWindowLongA(wnd, GWL_WNDPROC));
  SetWindowLongA(wnd, GWL_WNDPROC, LONG_PTR(DefWindowProcToken()));
  DestroyWindow(wnd);
  FreeObjectInstance(proc);
  return true;
}

void TDragImageList::HideDragImage() {
  if (!FDragWnd) return;
  if (FHideCount++ == 0)
    SetWindowPos(FDragWnd, nullptr, 0, 0, 0, 0,
                 SWP_NOSIZE | SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_NOREDRAW | SWP_HIDEWINDOW);
}

void TDragImageList::ShowDragImage() {
  if (!FDragWnd || FHideCount == 0) return;
  if (--FHideCount == 0)
    SetWindowPos(FDragWnd, nullptr, 0, 0, 0, 0,
                 SWP_NOSIZE | SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_NOREDRAW | SWP_SHOWWINDOW);
}

void TDragImageList::Change() {
  inherited::Change();
  UpdateDragWindow();
}

// Size, shape and place of the window from the drag image, the hot spot and the position.
void TDragImageList::UpdateDragWindow() {
  if (!FDragWnd) return;
  if (FDragIndex >= Count()) {
    EndDrag();  // the image went away under the drag
    return;
  }
  const Integer w = GetWidth(), h = GetHeight();
  SetWindowRgn(FDragWnd, GetMasked() ? MaskRegion(GetHandle(), FDragIndex, w, h) : nullptr, FALSE);
  const UINT show = FHideCount == 0 ? SWP_SHOWWINDOW : 0;
  SetWindowPos(FDragWnd, HWND_TOPMOST, FDragPos.X - FDragHotspot.X, FDragPos.Y - FDragHotspot.Y, w, h,
               SWP_NOACTIVATE | show);
  InvalidateRect(FDragWnd, nullptr, FALSE);
}

void TDragImageList::DragWndProc(TMessage& Message) {
  switch (Message.Msg) {
    case WM_NCHITTEST:
      Message.Result = HTTRANSPARENT;  // targets are found through the image
      return;
    case WM_MOUSEACTIVATE:
      Message.Result = MA_NOACTIVATE;
      return;
    case WM_ERASEBKGND:
      Message.Result = 1;
      return;
    case WM_PAINT: {
      PAINTSTRUCT ps;
      HDC dc = BeginPaint(FDragWnd, &ps);
      if (dc && FDragIndex < Count()) {
        // A host that cannot shape windows shows the masked pixels: a plain background then.
        const RECT all{0, 0, GetWidth(), GetHeight()};
        FillRect(dc, &all, GetSysColorBrush(COLOR_WINDOW));
        ImageList_Draw(GetHandle(), FDragIndex, dc, 0, 0, ILD_TRANSPARENT);
      }
      EndPaint(FDragWnd, &ps);
      Message.Result = 0;
      return;
    }
    default:
      Message.Result = DefWindowProcA(FDragWnd, Message.Msg, Message.WParam, Message.LParam);
  }
}

TL_DEFINE_CLASS(TDragImageList)
