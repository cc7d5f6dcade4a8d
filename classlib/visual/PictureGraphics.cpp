// Icons, JPEG images and metafiles, and the pixel exchange between bitmaps and codecs.
#include "classlib/visual/PictureGraphics.h"

#include "classlib/core/SysUtils.h"
#include "platform/gdi/Metafile.h"
#include "platform/gdi/PictureCodecs.h"

#include <cstring>
#include <new>

namespace {

std::vector<Byte> ReadRest(TStream& Stream) {
  const Int64 size = Stream.GetSize() - Stream.GetPosition();
  if (size < 0 || size > TMemoryStream::MaxSize) throw EInvalidGraphic("Picture is not valid: too large");
  std::vector<Byte> data;
  try {
    data.resize(static_cast<size_t>(size));
  } catch (const std::bad_alloc&) {
    throw EOutOfResources("Out of system resources");
  }
  if (size) Stream.ReadBuffer(data.data(), Integer(size));
  return data;
}

void Write(TStream& Stream, const std::vector<Byte>& Data) {
  if (!Data.empty()) Stream.WriteBuffer(Data.data(), Integer(Data.size()));
}

uint32_t Get32(const Byte* p) {
  return uint32_t(p[0]) | (uint32_t(p[1]) << 8) | (uint32_t(p[2]) << 16) | (uint32_t(p[3]) << 24);
}

}  // namespace

// ---- pixels ----------------------------------------------------------------------------------

DecodedImage ImageOfBitmap(TBitmap* Bitmap) {
  DecodedImage img;
  if (!Bitmap || Bitmap->Empty()) return img;
  img.Width = Bitmap->GetWidth();
  img.Height = Bitmap->GetHeight();
  img.Pixels.resize(size_t(img.Width) * size_t(img.Height));
  if (Bitmap->GetMonochrome()) {
    for (Integer y = 0; y < img.Height; ++y)
      for (Integer x = 0; x < img.Width; ++x) {
        const TColor c = Bitmap->Canvas()->GetPixel(x, y);
        img.Pixels[size_t(y) * size_t(img.Width) + size_t(x)] = c ? 0xFFFFFF : 0;
      }
    return img;
  }
  for (Integer y = 0; y < img.Height; ++y) {
    const Byte* row = Bitmap->ScanLine(y);
    Pixel* dst = img.Pixels.data() + size_t(y) * size_t(img.Width);
    std::memcpy(dst, row, size_t(img.Width) * sizeof(Pixel));
    for (Integer x = 0; x < img.Width; ++x) dst[x] &= 0x00FFFFFF;
  }
  return img;
}

void BitmapFromImage(TBitmap* Bitmap, const DecodedImage& Image) {
  // One new image, counted before the old one goes: a refused one leaves the bitmap as it was.
  Bitmap->SetImageFromPixels(Image.Width, Image.Height, Image.Pixels.data(), TPixelFormat::pf24bit, false);
  Bitmap->Changed(Bitmap);
}

// ---- icons -----------------------------------------------------------------------------------

TL_DEFINE_CLASS(TIcon)

void TIcon::BeforeDestruction() {
  FreeCache();
  inherited::BeforeDestruction();
}

void TIcon::FreeCache() {
  if (FColour) FColour->Free();
  if (FMask) FMask->Free();
  FColour = FMask = nullptr;
}

void TIcon::SetImage(const DecodedImage& Image) {
  // A copy is counted as the icon it copies; a refused one leaves this icon as it was.
  TDecodedPixels share = TDecodedPixels::Take(Image.Width, Image.Height);
  DecodedImage copy = Image;
  FreeCache();
  FImage = std::move(copy);
  FDecoded = std::move(share);
  if (FImage.HasAlpha && FImage.Alpha.size() != FImage.Pixels.size()) FImage.HasAlpha = false;
  Changed(this);
}

void TIcon::SetWidth(Integer Value) {
  if (Value != FImage.Width) throw EInvalidGraphicOperation("Cannot change the size of an icon");
}

void TIcon::SetHeight(Integer Value) {
  if (Value != FImage.Height) throw EInvalidGraphicOperation("Cannot change the size of an icon");
}

void TIcon::Assign(TPersistent* Source) {
  if (!Source) {
    SetImage(DecodedImage());
  } else if (auto* i = dynamic_cast<TIcon*>(Source)) {
    if (i != this) SetImage(i->FImage);
  } else {
    inherited::Assign(Source);
  }
}

void TIcon::AssignTo(TPersistent* Dest) {
  if (auto* b = dynamic_cast<TBitmap*>(Dest)) {
    BitmapFromImage(b, FImage);
    return;
  }
  inherited::AssignTo(Dest);
}

void TIcon::LoadFromStream(TStream& Stream) {
  const std::vector<Byte> data = ReadRest(Stream);
  DecodeResult r = DecodeIcon(data.data(), data.size());
  if (r.OutOfMemory) throw EOutOfResources("Out of system resources");
  if (!r.Ok) throw EInvalidGraphic("Icon image is not valid: " + r.Error);
  SetImage(r.Image);
}

void TIcon::SaveToStream(TStream& Stream) {
  if (Empty()) return;
  EncodeResult r = EncodeIcon(FImage);
  if (!r.Ok) throw EInvalidGraphic("Cannot write the icon: " + r.Error);
  Write(Stream, r.Bytes);
}

void TIcon::Draw(TCanvas* ACanvas, const TRect& R) {
  if (Empty()) return;
  if (!FColour) {
    Owned<TBitmap> colour(New<TBitmap>());
    Owned<TBitmap> mask(New<TBitmap>());
    BitmapFromImage(colour.get(), FImage);
    DecodedImage m;
    m.Width = FImage.Width;
    m.Height = FImage.Height;
    m.Pixels.assign(FImage.Pixels.size(), 0);
    for (size_t i = 0; i < m.Pixels.size(); ++i)
      if (FImage.HasAlpha && FImage.Alpha[i] < 128) m.Pixels[i] = 0xFFFFFF;
    BitmapFromImage(mask.get(), m);
    FColour = colour.release();
    FMask = mask.release();
  }
  // dest ^ colour, cleared where opaque, ^ colour again: the icon where opaque, the
  // destination where transparent, whatever colours the transparent pixels hold.
  HDC dest = ACanvas->GetHandle();
  HDC src = CreateCompatibleDC(nullptr);
  HDC msk = CreateCompatibleDC(nullptr);
  HGDIOBJ os = SelectObject(src, FColour->GetHandle());
  HGDIOBJ om = SelectObject(msk, FMask->GetHandle());
  const Integer w = R.Width(), h = R.Height(), iw = FImage.Width, ih = FImage.Height;
  StretchBlt(dest, R.Left, R.Top, w, h, src, 0, 0, iw, ih, SRCINVERT);
  StretchBlt(dest, R.Left, R.Top, w, h, msk, 0, 0, iw, ih, SRCAND);
  StretchBlt(dest, R.Left, R.Top, w, h, src, 0, 0, iw, ih, SRCINVERT);
  SelectObject(src, os);
  SelectObject(msk, om);
  DeleteDC(src);
  DeleteDC(msk);
}

// ---- JPEG ------------------------------------------------------------------------------------

TL_DEFINE_CLASS(TJPEGImage)

void TJPEGImage::BeforeDestruction() {
  if (FBitmap) FBitmap->Free();
  FBitmap = nullptr;
  inherited::BeforeDestruction();
}

void TJPEGImage::SetData(std::vector<Byte> Data) {
  if (FBitmap) FBitmap->Free();
  FBitmap = nullptr;
  FData = std::move(Data);
  Changed(this);
}

void TJPEGImage::SetWidth(Integer Value) {
  if (Value != FWidth) throw EInvalidGraphicOperation("Cannot change the size of a JPEG image");
}

void TJPEGImage::SetHeight(Integer Value) {
  if (Value != FHeight) throw EInvalidGraphicOperation("Cannot change the size of a JPEG image");
}

void TJPEGImage::Assign(TPersistent* Source) {
  if (!Source) {
    FWidth = FHeight = 0;
    SetData({});
  } else if (auto* j = dynamic_cast<TJPEGImage*>(Source)) {
    if (j == this) return;
    FQuality = j->FQuality;
    FGrayscale = j->FGrayscale;
    FWidth = j->FWidth;
    FHeight = j->FHeight;
    SetData(j->FData);
  } else if (auto* b = dynamic_cast<TBitmap*>(Source)) {
    if (b->Empty()) {
      FWidth = FHeight = 0;
      SetData({});
      return;
    }
    EncodeResult r = EncodeJpeg(ImageOfBitmap(b), FQuality, FGrayscale);
    if (!r.Ok) throw EInvalidGraphic("Cannot compress the JPEG image: " + r.Error);
    FWidth = b->GetWidth();
    FHeight = b->GetHeight();
    SetData(std::move(r.Bytes));
  } else {
    inherited::Assign(Source);
  }
}

namespace {

// The pixels of a JPEG file in a new bitmap, which holds their share of the budget.
Owned<TBitmap> DecodedJpeg(const std::vector<Byte>& AData, Integer& AWidth, Integer& AHeight) {
  DecodeResult r = DecodeJpeg(AData.data(), AData.size());
  if (r.OutOfMemory) throw EOutOfResources("Out of system resources");
  if (!r.Ok) throw EInvalidGraphic("JPEG image is not valid: " + r.Error);
  Owned<TBitmap> b(New<TBitmap>());
  BitmapFromImage(b.get(), r.Image);
  AWidth = r.Image.Width;
  AHeight = r.Image.Height;
  return b;
}

}  // namespace

TBitmap* TJPEGImage::GetBitmap() {
  if (FBitmap || FData.empty()) return FBitmap;
  Integer w = 0, h = 0;
  Owned<TBitmap> b = DecodedJpeg(FData, w, h);
  FBitmap = b.release();
  return FBitmap;
}

void TJPEGImage::AssignTo(TPersistent* Dest) {
  if (auto* b = dynamic_cast<TBitmap*>(Dest)) {
    if (TBitmap* own = GetBitmap()) b->Assign(own);
    else b->Assign(nullptr);
    return;
  }
  inherited::AssignTo(Dest);
}

void TJPEGImage::LoadFromStream(TStream& Stream) {
  std::vector<Byte> data = ReadRest(Stream);
  Integer w = 0, h = 0;
  Owned<TBitmap> b = DecodedJpeg(data, w, h);
  FWidth = w;
  FHeight = h;
  SetData(std::move(data));
  FBitmap = b.release();
}

void TJPEGImage::SaveToStream(TStream& Stream) { Write(Stream, FData); }

void TJPEGImage::Draw(TCanvas* ACanvas, const TRect& R) {
  if (TBitmap* b = GetBitmap()) ACanvas->StretchDraw(R, b);
}

// ---- metafiles -------------------------------------------------------------------------------

TL_DEFINE_CLASS(TMetafile)

void TMetafile::Assign(TPersistent* Source) {
  if (!Source) {
    FData.clear();
    FWidth = FHeight = 0;
    Changed(this);
  } else if (auto* m = dynamic_cast<TMetafile*>(Source)) {
    if (m == this) return;
    FData = m->FData;
    FWidth = m->FWidth;
    FHeight = m->FHeight;
    FEnhanced = m->FEnhanced;
    Changed(this);
  } else {
    inherited::Assign(Source);
  }
}

void TMetafile::SetWidth(Integer Value) {
  if (Value == FWidth) return;
  FWidth = std::max<Integer>(Value, 0);
  Changed(this);
}

void TMetafile::SetHeight(Integer Value) {
  if (Value == FHeight) return;
  FHeight = std::max<Integer>(Value, 0);
  Changed(this);
}

void TMetafile::LoadFromStream(TStream& Stream) {
  std::vector<Byte> data = ReadRest(Stream);
  // The records are walked now, so a file that lies about its sizes is refused on loading
  // rather than drawn in part.
  const MetafileCheck check = CheckMetafile(data.data(), data.size());
  if (!check.Ok) throw EInvalidGraphic(check.Error);
  const Byte* p = data.data();
  Integer w = 0, h = 0;
  // Sizes in the header's own units, taken to 96 pixels an inch; 64-bit so no header
  // value overflows.
  if (!check.Enhanced) {
    const int64_t left = int16_t(p[6] | p[7] << 8), top = int16_t(p[8] | p[9] << 8);
    const int64_t right = int16_t(p[10] | p[11] << 8), bottom = int16_t(p[12] | p[13] << 8);
    const int64_t inch = p[14] | p[15] << 8;
    w = Integer(std::min<int64_t>(std::abs(right - left) * 96 / inch, kMaxImageSide));
    h = Integer(std::min<int64_t>(std::abs(bottom - top) * 96 / inch, kMaxImageSide));
  } else {
    // The frame rectangle, in hundredths of a millimetre.
    const int64_t left = int32_t(Get32(p + 24)), top = int32_t(Get32(p + 28));
    const int64_t right = int32_t(Get32(p + 32)), bottom = int32_t(Get32(p + 36));
    w = Integer(std::min<int64_t>(std::abs(right - left) * 96 / 2540, kMaxImageSide));
    h = Integer(std::min<int64_t>(std::abs(bottom - top) * 96 / 2540, kMaxImageSide));
  }
  FData = std::move(data);
  FWidth = w;
  FHeight = h;
  FEnhanced = check.Enhanced;
  Changed(this);
}

void TMetafile::SaveToStream(TStream& Stream) { Write(Stream, FData); }

void TMetafile::Draw(TCanvas* ACanvas, const TRect& Rect) {
  if (FData.empty()) return;
    std::string why;
  // The bytes passed the check when they were loaded; playing them cannot fail.
  PlayMetafile(ACanvas->GetHandle(), FData.data(), FData.size(), Rect, why);
}
