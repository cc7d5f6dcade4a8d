// The internal device context. Coordinates: logical (what callers pass) map to device
// coordinates by  device = logical - windowOrg + viewportOrg;  device coordinates are relative
// to the DC (a window DC's client origin), and the target surface pixel is
// device + deviceOrigin. Clip regions are held in device coordinates.
#pragma once

#include "platform/gdi/GdiObject.h"
#include "platform/gdi/Region.h"
#include "platform/gdi/Surface.h"

#include <memory>
#include <optional>
#include <vector>

struct SelectedObject {
  HGDIOBJ Handle = nullptr;
  std::shared_ptr<GdiObject> Object;   // kept alive while selected, even after DeleteObject
};

// The part of a DC that SaveDC saves and RestoreDC restores.
struct DcState {
  TPoint WindowOrg{0, 0}, ViewportOrg{0, 0};
  SelectedObject Pen, Brush, Font, Bitmap;
  SelectedObject Palette;                // empty: the default palette
  COLORREF TextColor = 0;                // black
  COLORREF BkColor = 0xFFFFFF;           // white
  int BkMode = 2;                        // OPAQUE
  int Rop2 = 13;                         // R2_COPYPEN
  int StretchMode = 1;                   // BLACKONWHITE
  int PolyFillMode = 1;                  // ALTERNATE
  UINT TextAlign = 0;                    // TA_LEFT | TA_TOP | TA_NOUPDATECP
  TPoint BrushOrg{0, 0};
  TPoint CurrentPos{0, 0};
  std::optional<Region> AppClip;         // device coordinates; absent = no application clip
  int TextCharExtra = 0;
  int BreakExtra = 0, BreakCount = 0;    // SetTextJustification
};

class DeviceContext {
 public:
  DeviceContext() = default;

  // ---- Target ----------------------------------------------------------------------------
  // A memory DC draws on its selected bitmap; a surface DC (window, screen) on an external
  // surface owned by the window layer, which outlives the DC or detaches it first.
  bool IsMemory = false;
  Surface* External = nullptr;
  TPoint DeviceOrigin{0, 0};             // surface pixel of device (0, 0)
  Surface* Target();                     // nullptr when there is nothing to draw on
  bool TargetIsMono();                   // the selected bitmap is monochrome

  DcState State;
  std::vector<DcState> Saved;            // SaveDC stack

  // System clip (device coordinates), set by the window layer: visible region, update region.
  std::optional<Region> SystemClip;

  // Path recording (BeginPath .. EndPath).
  enum class PathState { None, Open, Closed };
  PathState Path = PathState::None;
  // Figures in device coordinates; a closed figure repeats its first point at the end.
  std::vector<std::vector<TPoint>> PathFigures;
  // An open path takes at most this many points in all, whatever its calls cost. The first
  // points that do not fit stop it: they and everything after add nothing, the calls that
  // made them fail, and the path keeps what it held, to be ended, filled and stroked as it is.
  static constexpr size_t kMaxPathPoints = size_t(1) << 20;
  // Whether `n` more points fit in the open path, counting them when they do.
  bool PathTakes(size_t n) {
    if (pathStopped_ || n > kMaxPathPoints - pathPoints_) {
      pathStopped_ = true;
      return false;
    }
    pathPoints_ += n;
    return true;
  }
  // An open path that has stopped: every call that would add to it fails with no effect,
  // the current position included.
  bool PathStopped() const { return Path == PathState::Open && pathStopped_; }
  // Drops the figures and starts the count again.
  void ClearPath() {
    PathFigures.clear();
    pathPoints_ = 0;
    pathStopped_ = false;
  }
  // A path set aside whole (its state, figures and count), leaving none, and put back.
  struct SetAsidePath {
    PathState State = PathState::None;
    std::vector<std::vector<TPoint>> Figures;
    size_t Points = 0;
    bool Stopped = false;
  };
  SetAsidePath TakePath() {
    SetAsidePath p{Path, std::move(PathFigures), pathPoints_, pathStopped_};
    Path = PathState::None;
    ClearPath();
    return p;
  }
  void PutPath(SetAsidePath p) {
    Path = p.State;
    PathFigures = std::move(p.Figures);
    pathPoints_ = p.Points;
    pathStopped_ = p.Stopped;
  }

  // ---- Helpers for the drawing code (text included) --------------------------------------
  // Coordinates are limited to +-2^27 as the platform's are, so sums never overflow.
  static constexpr Integer kCoordLimit = 1 << 27;
  static Integer ClampCoord(Int64 v) {
    return Integer(v < -kCoordLimit ? -kCoordLimit : v > kCoordLimit ? kCoordLimit : v);
  }
  TPoint ToDevice(Integer x, Integer y) const {
    return {ClampCoord(Int64(x) - State.WindowOrg.X + State.ViewportOrg.X),
            ClampCoord(Int64(y) - State.WindowOrg.Y + State.ViewportOrg.Y)};
  }
  TRect ToDevice(const TRect& r) const {
    TPoint a = ToDevice(r.Left, r.Top), b = ToDevice(r.Right, r.Bottom);
    return {a.X, a.Y, b.X, b.Y};
  }
  TPoint ToLogical(Integer x, Integer y) const {
    return {ClampCoord(Int64(x) + State.WindowOrg.X - State.ViewportOrg.X),
            ClampCoord(Int64(y) + State.WindowOrg.Y - State.ViewportOrg.Y)};
  }
  // The full drawable area in device coordinates (the target's bounds shifted by the origin).
  TRect DeviceBounds();
  // Application clip ∩ system clip ∩ device bounds, in device coordinates. Cached.
  const Region& EffectiveClip();
  void ClipChanged() { clipValid_ = false; }

  // Colour as stored on the target: monochrome targets get black or white; a PALETTEINDEX
  // colour is looked up in the selected palette.
  Pixel TargetPixel(COLORREF c);
  COLORREF ResolvedColor(COLORREF c) const;
  // Fills a device rectangle with a solid pixel under the clip (no raster op).
  void FillDeviceRect(const TRect& r, Pixel p);
  // Blends an 8-bit coverage mask (`mask[y * maskStride + x]`, 255 = opaque) of size w x h in
  // colour `c`, its top-left at device (x, y), under the clip.
  void BlendMask(Integer x, Integer y, Integer w, Integer h, const Byte* mask, Integer maskStride,
                 COLORREF c);

  // The font selected (null: the text module's default font applies).
  GdiObject* FontObject() const { return State.Font.Object.get(); }

 private:
  size_t pathPoints_ = 0;
  bool pathStopped_ = false;
  Region clip_;
  bool clipValid_ = false;
  Surface* clipTarget_ = nullptr;
  TRect clipBounds_{};
};

DeviceContext* DcFromHandle(HDC dc);

// For the window layer: a DC drawing on `surface` (not owned), device (0,0) at surface pixel
// `deviceOrigin`, limited to `systemClip` (device coordinates; null = the whole surface).
HDC CreateSurfaceDC(Surface* surface, TPoint deviceOrigin, const Region* systemClip);
// Changes the system clip later (BeginPaint's update region); null removes it.
void SetDCSystemClip(HDC dc, const Region* systemClip);
void SetDCSurface(HDC dc, Surface* surface, TPoint deviceOrigin);
size_t LiveDCCount();
