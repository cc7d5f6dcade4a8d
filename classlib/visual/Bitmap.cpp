// Graphics and bitmaps: sizes and pixel formats, the bitmap's own canvas, transparency,
// drawing into other canvases, and BMP/PNG loading and saving.
#include "classlib/core/Filer.h"
#include "classlib/core/SysUtils.h"
#include "classlib/visual/Graphics.h"
#include "platform/gdi/Codecs.h"
#include "platform/kernel/Resources.h"

#include <algorithm>
#include <cstring>
#include <new>
#include <optional>
#include <vector>

using enum TPixelFormat;

namespace {

// A top-down 32-bit DIB section, every pixel white.
HBITMAP NewDib(Integer W, Integer H, Pixel** Bits) {
  BITMAPINFO bi{};
  bi.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
  bi.bmiHeader.biWidth = W;
  bi.bmiHeader.biHeight = -H;
  bi.bmiHeader.biPlanes = 1;
  bi.bmiHeader.biBitCount = 32;
  bi.bmiHeader.biCompression = BI_RGB;
  void* bits = nullptr;
  HBITMAP h = CreateDIBSection(nullptr, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
  *Bits = static_cast<Pixel*>(bits);
  if (h) std::fill_n(*Bits, size_t(W) * size_t(H), Pixel(0x00FFFFFF));
  return h;
}

// Black or white, whichever is nearer.
bool NearerWhite(Pixel p) { return (p >> 16 & 255) + (p >> 8 & 255) + (p & 255) >= 383; }

// A monochrome bitmap from colour pixels (nullptr: all white).
HBITMAP NewMono(Integer W, Integer H, const Pixel* Px) {
  const size_t stride = (size_t(W) + 15) / 16 * 2;
  if (uint64_t(W) * uint64_t(H) > kMaxSurfacePixels) return nullptr;   // before allocating for it
  std::vector<Byte> bits;
  try {
    bits.assign(stride * size_t(H), 0xFF);
  } catch (const std::bad_alloc&) {
    return nullptr;
  }
  if (Px) {
    for (Integer y = 0; y < H; ++y)
      for (Integer x = 0; x < W; ++x)
        if (!NearerWhite(Px[size_t(y) * size_t(W) + size_t(x)]))
          bits[size_t(y) * stride + size_t(x) / 8] &= Byte(~(0x80 >> (x % 8)));
  }
  return CreateBitmap(W, H, 1, 1, bits.data());
}

// Copies Src's top-left W x H into Dst through two memory DCs.
void CopyBits(HBITMAP Dst, HBITMAP Src, Integer W, Integer H, DWORD Rop = SRCCOPY) {
  HDC d = CreateCompatibleDC(nullptr), s = CreateCompatibleDC(nullptr);
  HGDIOBJ od = SelectObject(d, Dst), os = SelectObject(s, Src);
  BitBlt(d, 0, 0, W, H, s, 0, 0, Rop);
  SelectObject(s, os);
  SelectObject(d, od);
  DeleteDC(s);
  DeleteDC(d);
}

void PutLE(std::vector<Byte>& b, uint32_t v, int n) {
  for (int i = 0; i < n; ++i) b.push_back(Byte(v >> (8 * i)));
}

}  // namespace

// ---- TGraphic ---------------------------------------------------------------------------------------

TL_DEFINE_CLASS(TGraphic)

void TGraphic::SetTransparent(bool Value) {
  if (Value == FTransparent) return;
  FTransparent = Value;
  Changed(this);
}

void TGraphic::Changed(TObject*) {
  FModified = true;
  if (OnChange) OnChange(this);
}

void TGraphic::DefineProperties(TFiler& Filer) {
  inherited::DefineProperties(Filer);
  Filer.DefineBinaryProperty(
      "Data",
      [this](TStream& s) {
        try {
          LoadFromStream(s);
        } catch (const EInvalidGraphic& e) {
          throw EReadError(e.Message());
        }
      },
      [this](TStream& s) { SaveToStream(s); }, !Empty());
}

void TGraphic::LoadFromFile(const String& FileName) {
  Owned<TMemoryStream> s(New<TMemoryStream>());
  s->LoadFromFile(FileName);
  LoadFromStream(*s);
}

void TGraphic::SaveToFile(const String& FileName) {
  Owned<TMemoryStream> s(New<TMemoryStream>());
  SaveToStream(*s);
  s->SaveToFile(FileName);
}

// ---- The bitmap's canvas ---------------------------------------------------------------------------

class TBitmapCanvas : public TCanvas {
  TL_CLASS(TBitmapCanvas, TCanvas)
 public:
  explicit TBitmapCanvas(TBitmap* Bitmap) : FBitmap(Bitmap) {}
  void BeforeDestruction() override {
    FreeContext();
    inherited::BeforeDestruction();
  }
  // Gives the bitmap back to the bitmap object before it is replaced or resized.
  void FreeContext() {
    if (!FDC) return;
    SetHandle(nullptr);
    if (FOldBitmap) SelectObject(FDC, FOldBitmap);
    DeleteDC(FDC);
    FDC = nullptr;
    FOldBitmap = nullptr;
  }

 protected:
  void CreateHandle() override {
    FDC = CreateCompatibleDC(nullptr);
    if (!FDC) return;
    if (HBITMAP b = FBitmap->GetHandle()) FOldBitmap = SelectObject(FDC, b);
    SetHandle(FDC);
  }

 private:
  TBitmap* FBitmap;
  HDC FDC = nullptr;
  HGDIOBJ FOldBitmap = nullptr;
};

TL_DEFINE_CLASS(TBitmapCanvas)

namespace {

// The whole image through the bitmap's canvas DC, in pixels: a bitmap lives in one DC at a
// time, and taking the canvas's DC away would lose what its user set on it (an origin, a
// clip). Those are set aside for the blits and come back afterwards.
class ImageDC {
 public:
  explicit ImageDC(TCanvas* Canvas) : dc_(Canvas->GetHandle()), level_(SaveDC(dc_)) {
    SetWindowOrgEx(dc_, 0, 0, nullptr);
    SetViewportOrgEx(dc_, 0, 0, nullptr);
    SelectClipRgn(dc_, nullptr);
  }
  ~ImageDC() {
    if (level_) RestoreDC(dc_, level_);
  }
  ImageDC(const ImageDC&) = delete;
  ImageDC& operator=(const ImageDC&) = delete;
  HDC Handle() const { return dc_; }

 private:
  HDC dc_;
  int level_;
};

}  // namespace

// ---- TBitmap -------------------------------------------------------------------------------------------

TL_DEFINE_CLASS(TBitmap)
TL_DEFINE_CLASS(TScratchBitmap)

void TBitmap::BeforeDestruction() {
  OnChange = nullptr;
  FreeContext();
  FreeAndNil(FCanvas);
  inherited::BeforeDestruction();
}

TBitmap::~TBitmap() {
  if (FHandle) DeleteObject(FHandle);
}

void TBitmap::FreeContext() {
  if (FCanvas) static_cast<TBitmapCanvas*>(FCanvas)->FreeContext();
}

void TBitmap::Changed(TObject* Sender) { inherited::Changed(Sender); }

TCanvas* TBitmap::Canvas() {
  if (!FCanvas) {
    auto* c = New<TBitmapCanvas>(this);
    c->OnChange = TNotifyEvent(this, &TBitmap::Changed);
    FCanvas = c;
  }
  return FCanvas;
}


HBITMAP TBitmap::GetHandle() { return FHandle; }

TDecodedPixels TBitmap::ShareFor(Integer W, Integer H, bool Decoded) const {
  if (!FCounted && !Decoded) return {};
  return TDecodedPixels::Take(W, H);
}

void TBitmap::NewImage(Integer AWidth, Integer AHeight, bool KeepContent) {
  const int64_t count = int64_t(std::max<Integer>(AWidth, 0)) * int64_t(std::max<Integer>(AHeight, 0));
  if (FCounted && count <= FDecoded.Count()) {
    // No larger than the image it replaces: part of that one's share is enough.
    TDecodedPixels kept = std::move(FDecoded);
    kept.ShrinkTo(count);
    NewImage(AWidth, AHeight, KeepContent, std::move(kept));
    return;
  }
  NewImage(AWidth, AHeight, KeepContent, ShareFor(AWidth, AHeight));
}

// The share is taken by the caller before anything changed; the old image's share goes
// with the old image, once the new one is made.
void TBitmap::NewImage(Integer AWidth, Integer AHeight, bool KeepContent, TDecodedPixels Share) {
  FreeContext();
  HBITMAP old = FHandle;
  const Integer oldW = FWidth, oldH = FHeight;
  FHandle = nullptr;
  FBits = nullptr;
  FWidth = std::max<Integer>(AWidth, 0);
  FHeight = std::max<Integer>(AHeight, 0);
  if (!Empty()) {
    FHandle = GetMonochrome() ? NewMono(FWidth, FHeight, nullptr) : NewDib(FWidth, FHeight, &FBits);
    if (!FHandle) {
      FBits = nullptr;
      FWidth = FHeight = 0;
      FDecoded.Release();
      if (old) DeleteObject(old);
      Changed(this);
      throw EOutOfResources("Bitmap of " + IntToStr(AWidth) + " x " + IntToStr(AHeight) + " pixels is too large");
    }
    if (KeepContent && old)
      CopyBits(FHandle, old, std::min(oldW, FWidth), std::min(oldH, FHeight));
  }
  if (old) DeleteObject(old);
  FDecoded = std::move(Share);
  Changed(this);
}

void TBitmap::SetWidth(Integer Value) {
  if (Value == FWidth) return;
  NewImage(Value, FHeight, true);
}

void TBitmap::SetHeight(Integer Value) {
  if (Value == FHeight) return;
  NewImage(FWidth, Value, true);
}

void TBitmap::SetSize(Integer AWidth, Integer AHeight) {
  if (AWidth == FWidth && AHeight == FHeight) return;
  NewImage(AWidth, AHeight, true);
}

void TBitmap::SetPixelFormat(TPixelFormat Value) {
  if (Value == FPixelFormat) return;
  const bool wasMono = GetMonochrome();
  FPixelFormat = Value;
  if (wasMono == GetMonochrome() || Empty()) {
    Changed(this);
    return;
  }
  FreeContext();
  HBITMAP old = FHandle;
  Pixel* oldBits = FBits;
  if (GetMonochrome()) {
    FHandle = NewMono(FWidth, FHeight, oldBits);
    FBits = nullptr;
  } else {
    FHandle = NewDib(FWidth, FHeight, &FBits);
    if (FHandle) CopyBits(FHandle, old, FWidth, FHeight);
  }
  if (!FHandle) {
    FHandle = old;
    FBits = oldBits;
    FPixelFormat = wasMono ? pf1bit : pfDevice;
    throw EOutOfResources("Out of system resources");
  }
  DeleteObject(old);
  Changed(this);
}

void TBitmap::SetMonochrome(bool Value) {
  if (Value == GetMonochrome()) return;
  SetPixelFormat(Value ? pf1bit : pfDevice);
}

Byte* TBitmap::ScanLine(Integer Row) {
  if (!FBits) throw EInvalidGraphicOperation("Scan line unavailable: the bitmap is empty or monochrome");
  if (Row < 0 || Row >= FHeight) throw EInvalidGraphicOperation("Scan line index out of range");
  return reinterpret_cast<Byte*>(FBits + size_t(Row) * size_t(FWidth));
}

TColor TBitmap::GetTransparentColor() {
  if (FTransparentMode == TTransparentMode::tmFixed) return FTransparentColor;
  if (Empty()) return clDefault;
  return Canvas()->GetPixel(0, FHeight - 1);
}

void TBitmap::SetTransparentColor(TColor Value) {
  FTransparentColor = Value;
  FTransparentMode = Value == clDefault ? TTransparentMode::tmAuto : TTransparentMode::tmFixed;
  Changed(this);
}

void TBitmap::SetTransparentMode(TTransparentMode Value) {
  if (Value == FTransparentMode) return;
  if (Value == TTransparentMode::tmAuto)
    SetTransparentColor(clDefault);
  else
    SetTransparentColor(GetTransparentColor());
}

void TBitmap::SetHandle(HBITMAP Value) {
  if (Value == FHandle) return;
  BITMAP bm{};
  if (Value && GetObjectA(Value, sizeof bm, &bm) != int(sizeof bm))
    throw EInvalidGraphic("Invalid bitmap handle");
  TDecodedPixels share;
  if (Value) {
    try {
      share = ShareFor(bm.bmWidth, bm.bmHeight);
    } catch (...) {
      DeleteObject(Value);   // taken over, refused: the caller no longer owns it
      throw;
    }
  }
  FreeContext();
  FDecoded = std::move(share);
  if (FHandle) DeleteObject(FHandle);
  FHandle = nullptr;
  FBits = nullptr;
  FWidth = FHeight = 0;
  if (Value) {
    FWidth = bm.bmWidth;
    FHeight = bm.bmHeight;
    if (bm.bmBitsPixel == 1) {
      FPixelFormat = pf1bit;
      FHandle = Value;
    } else {
      // Colour bitmaps are kept as top-down DIB sections, so ScanLine has one layout.
      if (GetMonochrome()) FPixelFormat = pfDevice;
      FHandle = NewDib(FWidth, FHeight, &FBits);
      if (FHandle) CopyBits(FHandle, Value, FWidth, FHeight);
      DeleteObject(Value);
      if (!FHandle) {
        FBits = nullptr;
        FWidth = FHeight = 0;
        FDecoded.Release();
        throw EOutOfResources("Out of system resources");
      }
    }
  }
  Changed(this);
}

HBITMAP TBitmap::ReleaseHandle() {
  FreeContext();
  FDecoded.Release();   // the caller owns the pixels now
  HBITMAP h = FHandle;
  FHandle = nullptr;
  FBits = nullptr;
  FWidth = FHeight = 0;
  Changed(this);
  return h;
}

void TBitmap::Assign(TPersistent* Source) {
  if (!Source) {
    NewImage(0, 0, false);
    return;
  }
  auto* b = dynamic_cast<TBitmap*>(Source);
  if (!b) {
    inherited::Assign(Source);
    return;
  }
  if (b == this) return;
  // A copy is counted as the picture it copies; a refused one changes nothing.
  TDecodedPixels share = ShareFor(b->FWidth, b->FHeight);
  FPixelFormat = b->FPixelFormat;
  FTransparent = b->FTransparent;
  FTransparentMode = b->FTransparentMode;
  FTransparentColor = b->FTransparentColor;
  NewImage(b->FWidth, b->FHeight, false, std::move(share));
  if (!Empty()) {
    const ImageDC src(b->Canvas());
    HDC d = CreateCompatibleDC(nullptr);
    HGDIOBJ od = SelectObject(d, FHandle);
    BitBlt(d, 0, 0, FWidth, FHeight, src.Handle(), 0, 0, SRCCOPY);
    SelectObject(d, od);
    DeleteDC(d);
  }
  Changed(this);
}

void TBitmap::Mask(TColor TransparentColor) {
  if (Empty()) return;
  if (GetMonochrome()) {
    // Already black and white: white is transparent as it stands, black by inverting.
    const COLORREF c = ColorToDevice(TransparentColor);
    if (!NearerWhite(Pixel(GetRValue(c)) << 16 | Pixel(GetGValue(c)) << 8 | GetBValue(c))) {
      const ImageDC dc(Canvas());
      PatBlt(dc.Handle(), 0, 0, FWidth, FHeight, DSTINVERT);
    }
    Changed(this);
    return;
  }
  HBITMAP mono = CreateBitmap(FWidth, FHeight, 1, 1, nullptr);
  if (!mono) throw EOutOfResources("Out of system resources");
  {
    const ImageDC image(Canvas());
    HDC src = image.Handle();
    HDC d = CreateCompatibleDC(nullptr);
    HGDIOBJ od = SelectObject(d, mono);
    const COLORREF oldBk = SetBkColor(src, ColorToDevice(TransparentColor));
    BitBlt(d, 0, 0, FWidth, FHeight, src, 0, 0, SRCCOPY);
    SetBkColor(src, oldBk);
    SelectObject(d, od);
    DeleteDC(d);
  }
  FreeContext();
  DeleteObject(FHandle);
  FHandle = mono;
  FBits = nullptr;
  FPixelFormat = pf1bit;
  Changed(this);
}

void TBitmap::Draw(TCanvas* ACanvas, const TRect& R) {
  HDC dest = ACanvas->GetHandle();
  // Drawn onto its own canvas, the bitmap keeps that canvas's coordinates for both ends.
  std::optional<ImageDC> image;
  if (ACanvas != FCanvas) image.emplace(Canvas());
  HDC src = image ? image->Handle() : Canvas()->GetHandle();
  // Monochrome pixels come out black and white, whatever the destination's colours.
  const COLORREF oldText = SetTextColor(dest, RGB(0, 0, 0));
  const COLORREF oldBk = SetBkColor(dest, RGB(255, 255, 255));
  const Integer w = R.Width(), h = R.Height();
  if (!FTransparent) {
    StretchBlt(dest, R.Left, R.Top, w, h, src, 0, 0, FWidth, FHeight, DWORD(ACanvas->GetCopyMode()));
  } else {
    // dest ^ src, cleared where opaque, ^ src again: the source where opaque, the
    // destination where the pixel has the transparent colour.
    HBITMAP mask = CreateBitmap(FWidth, FHeight, 1, 1, nullptr);
    HDC m = CreateCompatibleDC(nullptr);
    HGDIOBJ om = SelectObject(m, mask);
    const COLORREF srcBk = SetBkColor(src, ColorToDevice(GetTransparentColor()));
    BitBlt(m, 0, 0, FWidth, FHeight, src, 0, 0, SRCCOPY);
    SetBkColor(src, srcBk);
    StretchBlt(dest, R.Left, R.Top, w, h, src, 0, 0, FWidth, FHeight, SRCINVERT);
    StretchBlt(dest, R.Left, R.Top, w, h, m, 0, 0, FWidth, FHeight, SRCAND);
    StretchBlt(dest, R.Left, R.Top, w, h, src, 0, 0, FWidth, FHeight, SRCINVERT);
    SelectObject(m, om);
    DeleteDC(m);
    DeleteObject(mask);
  }
  SetTextColor(dest, oldText);
  SetBkColor(dest, oldBk);
}

void TBitmap::SetImageFromPixels(Integer W, Integer H, const Pixel* Pixels, TPixelFormat Format, bool Decoded) {
  // Taken before the old image goes, so a refused picture leaves the bitmap as it was.
  TDecodedPixels share = ShareFor(W, H, Decoded);
  FPixelFormat = Format;
  if (Format == pf1bit) {
    FreeContext();
    HBITMAP mono = NewMono(W, H, Pixels);
    if (!mono) throw EOutOfResources("Out of system resources");
    FDecoded = std::move(share);
    if (FHandle) DeleteObject(FHandle);
    FHandle = mono;
    FBits = nullptr;
    FWidth = W;
    FHeight = H;
    Changed(this);
    return;
  }
  NewImage(W, H, false, std::move(share));
  if (FBits) std::copy_n(Pixels, size_t(W) * size_t(H), FBits);
}

void TBitmap::LoadImage(const Byte* Data, size_t Size) {
  if (Size == 0) {
    NewImage(0, 0, false);
    return;
  }
  DecodeResult r = DecodeImage(Data, Size);
  if (r.OutOfMemory) throw EOutOfResources("Out of system resources");
  if (!r.Ok) throw EInvalidGraphic("Bitmap image is not valid: " + r.Error);
  TPixelFormat format = r.Image.HasAlpha ? pf32bit : pf24bit;
  if (Size >= 30 && Data[0] == 'B' && Data[1] == 'M') {
    const int bpp = Data[28] | Data[29] << 8;
    if (bpp == 1) format = pf1bit;
    else if (bpp == 32) format = pf32bit;
  }
  try {
    SetImageFromPixels(r.Image.Width, r.Image.Height, r.Image.Pixels.data(), format, true);
  } catch (const std::bad_alloc&) {
    throw EOutOfResources("Out of system resources");
  }
}

void TBitmap::LoadFromStream(TStream& Stream) {
  const Int64 size = Stream.GetSize() - Stream.GetPosition();
  if (size < 0 || size > TMemoryStream::MaxSize) throw EInvalidGraphic("Bitmap image is not valid: too large");
  std::vector<Byte> data;
  try {
    data.resize(static_cast<size_t>(size));
  } catch (const std::bad_alloc&) {
    throw EOutOfResources("Out of system resources");
  }
  if (size) Stream.ReadBuffer(data.data(), Integer(size));
  LoadImage(data.data(), data.size());
}

void TBitmap::SaveToStream(TStream& Stream) {
  if (Empty()) return;
  std::vector<Byte> out;
  if (GetMonochrome()) {
    // A 1-bit file with a black-and-white palette, rows bottom-up.
    const uint32_t stride = (uint32_t(FWidth) + 31) / 32 * 4;
    const uint32_t image = stride * uint32_t(FHeight);
    const uint32_t offset = 14 + 40 + 8;
    out.push_back('B');
    out.push_back('M');
    PutLE(out, offset + image, 4);
    PutLE(out, 0, 4);
    PutLE(out, offset, 4);
    PutLE(out, 40, 4);
    PutLE(out, uint32_t(FWidth), 4);
    PutLE(out, uint32_t(FHeight), 4);
    PutLE(out, 1, 2);
    PutLE(out, 1, 2);
    PutLE(out, BI_RGB, 4);
    PutLE(out, image, 4);
    PutLE(out, 3780, 4);
    PutLE(out, 3780, 4);
    PutLE(out, 2, 4);
    PutLE(out, 2, 4);
    PutLE(out, 0x00000000, 4);
    PutLE(out, 0x00FFFFFF, 4);
    HDC dc = Canvas()->GetHandle();
    for (Integer y = FHeight - 1; y >= 0; --y) {
      std::vector<Byte> row(stride, 0);
      for (Integer x = 0; x < FWidth; ++x)
        if (GetPixel(dc, x, y) != 0) row[size_t(x) / 8] |= Byte(0x80 >> (x % 8));
      out.insert(out.end(), row.begin(), row.end());
    }
  } else {
    DecodedImage img;
    img.Width = FWidth;
    img.Height = FHeight;
    img.Pixels.assign(FBits, FBits + size_t(FWidth) * size_t(FHeight));
    for (Pixel& p : img.Pixels) p &= 0x00FFFFFF;
    EncodeResult r = EncodeBmp(img, FPixelFormat == pf32bit ? 32 : 24);
    if (!r.Ok) throw EInvalidGraphic("Cannot write the bitmap: " + r.Error);
    out = std::move(r.Bytes);
  }
  Stream.WriteBuffer(out.data(), Integer(out.size()));
}

void TBitmap::LoadFromResourceName(HINSTANCE Instance, const String& ResName) {
  Owned<TResourceStream> s(New<TResourceStream>(Instance, ResName, RT_BITMAP));
  LoadFromStream(*s);
}

void TBitmap::LoadFromResourceID(HINSTANCE Instance, Integer ResID) {
  Owned<TResourceStream> s(New<TResourceStream>(Instance, ResID, RT_BITMAP));
  LoadFromStream(*s);
}
