// Image lists over the platform's image lists, and their binary stream form.
#include "classlib/visual/ImgList.h"

#include "classlib/core/Filer.h"
#include "classlib/core/ScopeGuards.h"
#include "classlib/core/SysUtils.h"
#include "platform/gdi/Codecs.h"
#include "platform/gdi/ImageList.h"
#include "platform/gdi/Surface.h"

#include <algorithm>
#include <cstring>

namespace {

constexpr Byte kVersion = 1;
constexpr Byte kFlagMasked = 0x01;
constexpr size_t kHeaderSize = 14;
constexpr Integer kMaxSide = 32767;
constexpr Integer kMaxStripWidth = 32768;

COLORREF ListColor(TColor c) {
  if (c == clNone) return CLR_NONE;
  if (c == clDefault) return CLR_DEFAULT;
  return ColorToRGB(c);
}

uint32_t GetLE(const Byte* p, int n) {
  uint32_t v = 0;
  for (int i = n - 1; i >= 0; --i) v = v << 8 | p[i];
  return v;
}

void PutLE(Byte* p, uint32_t v, int n) {
  for (int i = 0; i < n; ++i) p[i] = Byte(v >> (8 * i));
}

// The platform takes any non-black mask pixel as transparent; a colour mask is reduced
// first, so that only its white pixels are.
HBITMAP MaskHandle(TBitmap* Mask, Owned<TBitmap>& Temp) {
  if (!Mask || Mask->Empty()) return nullptr;
  if (Mask->GetMonochrome()) return Mask->GetHandle();
  Temp.reset(New<TBitmap>());
  Temp->Assign(Mask);
  Temp->Mask(clWhite);
  return Temp->GetHandle();
}

// Cuts the images out of a decoded picture of `cols` cells across into a new platform list.
HIMAGELIST BuildList(const DecodedImage& img, Integer w, Integer h, bool masked, Int64 count, Integer allocBy) {
  const Integer cols = img.Width / w, rows = img.Height / h;
  HIMAGELIST list = ImageList_Create(w, h, ILC_COLOR32 | (masked ? ILC_MASK : 0), allocBy, allocBy);
  if (!list)
    throw EReadError("Image list data is not valid: images of " + IntToStr(w) + " x " + IntToStr(h) +
                     " are too large");
  const bool useAlpha = masked && img.HasAlpha;
  for (Integer r = 0; r < rows && Int64(r) * cols < count; ++r) {
    const Integer k = Integer(std::min<Int64>(cols, count - Int64(r) * cols));
    const Integer sw = k * w;
    std::vector<Pixel> px(size_t(sw) * size_t(h));
    const size_t stride = (size_t(sw) + 15) / 16 * 2;
    std::vector<Byte> mbits(useAlpha ? stride * size_t(h) : 0, 0);
    for (Integer y = 0; y < h; ++y)
      for (Integer x = 0; x < sw; ++x) {
        const size_t at = size_t(r * h + y) * size_t(img.Width) + size_t(x);
        px[size_t(y) * size_t(sw) + size_t(x)] = img.Pixels[at];
        if (useAlpha && img.Alpha[at] < 128) mbits[size_t(y) * stride + size_t(x) / 8] |= Byte(0x80 >> (x % 8));
      }
    HBITMAP image = CreateBitmap(sw, h, 1, 32, px.data());
    HBITMAP mask = useAlpha ? CreateBitmap(sw, h, 1, 1, mbits.data()) : nullptr;
    const int added = image && (mask || !useAlpha) ? ImageList_Add(list, image, mask) : -1;
    if (mask) DeleteObject(mask);
    if (image) DeleteObject(image);
    if (added < 0) {
      ImageList_Destroy(list);
      throw EReadError("Image list data is not valid: cannot hold " + IntToStr(Integer(count)) + " images");
    }
  }
  return list;
}

// The budget's share of Count images of W x H, taken now: EOutOfResources when they do not
// fit. Counted as one strip of the images side by side, the stream form's layout.
TDecodedPixels ImagesShare(Integer W, Integer H, Int64 Count) {
  if (Count <= 0) return {};
  return TDecodedPixels::Take(Integer(std::min<Int64>(Int64(W) * Count, INT32_MAX)), H);
}

}  // namespace

// The picture of a list read but not yet realized: the PNG as read, a row reader kept where
// the last decoded image left it (images asked for in order read each row once), and a
// one-image list for each image decoded so far.
struct TCustomImageList::TLazyImages {
  std::shared_ptr<const std::vector<Byte>> Data;
  size_t PngAt = 0;
  Integer PictureWidth = 0, Cols = 1;
  Integer Count = 0;
  bool UseAlpha = false;
  PngRowReader Reader;
  std::vector<HIMAGELIST> Images;
  Integer Decoded = 0;

  ~TLazyImages() {
    for (HIMAGELIST l : Images)
      if (l) ImageList_Destroy(l);
  }
  const Byte* Png() const { return Data->data() + PngAt; }
  size_t PngSize() const { return Data->size() - PngAt; }
};

// ---- TChangeLink ---------------------------------------------------------------------------------

TL_DEFINE_CLASS(TChangeLink)

void TChangeLink::BeforeDestruction() {
  if (FSender) FSender->UnRegisterChanges(this);
  inherited::BeforeDestruction();
}

void TChangeLink::Change() {
  if (OnChange) OnChange(FSender);
}

// ---- TCustomImageList -------------------------------------------------------------------------

TL_DEFINE_CLASS(TCustomImageList, [](auto& c) {
  c.Property("AllocBy", &TCustomImageList::GetAllocBy, &TCustomImageList::SetAllocBy).Default(4);
  c.Property("BlendColor", &TCustomImageList::GetBlendColor, &TCustomImageList::SetBlendColor)
      .Idents("TColor")
      .Default(clNone);
  c.Property("BkColor", &TCustomImageList::GetBkColor, &TCustomImageList::SetBkColor).Idents("TColor").Default(clNone);
  c.Property("DrawingStyle", &TCustomImageList::GetDrawingStyle, &TCustomImageList::SetDrawingStyle)
      .Default(TDrawingStyle::dsNormal);
  c.Property("Height", &TCustomImageList::GetHeight, &TCustomImageList::SetHeight).Default(16);
  c.Property("ImageType", &TCustomImageList::GetImageType, &TCustomImageList::SetImageType)
      .Default(TImageType::itImage);
  c.Property("Masked", &TCustomImageList::GetMasked, &TCustomImageList::SetMasked).Default(true);
  c.Property("Width", &TCustomImageList::GetWidth, &TCustomImageList::SetWidth).Default(16);
  c.Event("OnChange", &TCustomImageList::OnChange);
})

TL_DEFINE_CLASS(TImageList)

TCustomImageList::TCustomImageList(TComponent* AOwner) : TComponent(AOwner) {}

void TCustomImageList::BeforeDestruction() {
  for (TChangeLink* link : FClients) link->SetSender(nullptr);
  FClients.clear();
  FreeHandle();
  inherited::BeforeDestruction();
}

void TCustomImageList::FreeHandle() {
  if (FHandle) ImageList_Destroy(FHandle);
  FHandle = nullptr;
  FLazy.reset();
  FShare.Release();
}

void TCustomImageList::TrimShare() {
  const Int64 held = FLazy ? FLazy->Decoded : Int64(Count());
  FShare.ShrinkTo(held * FWidth * FHeight);
}

void TCustomImageList::Realize() {
  if (!FLazy) return;
  TDecodedPixels share = ImagesShare(FWidth, FHeight, FLazy->Count);
  DecodeResult r = DecodePng(FLazy->Png(), FLazy->PngSize());
  if (!r.Ok) throw EReadError("Image list data is not valid: " + r.Error);
  HIMAGELIST list = BuildList(r.Image, FWidth, FHeight, FMasked, FLazy->Count, FAllocBy);
  r.Image = DecodedImage();
  FLazy.reset();
  if (FHandle) ImageList_Destroy(FHandle);
  FHandle = list;
  FShare = std::move(share);
  ImageList_SetBkColor(FHandle, ListColor(FBkColor));
}

HIMAGELIST TCustomImageList::LazyImage(Integer Index) {
  TLazyImages& z = *FLazy;
  if (HIMAGELIST l = z.Images[size_t(Index)]) return l;
  // The images beside it in the picture share its rows: those not yet decoded are decoded
  // with it, so that no row is read twice while the images are asked for in order.
  const Integer w = FWidth, h = FHeight, band = Index / z.Cols, top = band * h;
  const Integer first = band * z.Cols, k = std::min(z.Cols, z.Count - first);
  PngRowReader& rd = z.Reader;
  auto fail = [&] { throw EReadError("Image list data is not valid: " + rd.Error()); };
  if (!rd.IsOpen() || rd.NextRow() > top)
    if (!rd.Open(z.Png(), z.PngSize()) || !rd.Supported()) fail();
  while (rd.NextRow() < top)
    if (!rd.ReadRow(nullptr, nullptr)) fail();
  Integer missing = 0;
  for (Integer j = 0; j < k; ++j) missing += z.Images[size_t(first + j)] ? 0 : 1;
  TDecodedPixels share = ImagesShare(w, h, missing);
  const size_t cell = size_t(w) * size_t(h), stride = (size_t(w) + 15) / 16 * 2;
  std::vector<Pixel> row(size_t(z.PictureWidth)), px(cell * size_t(k));
  std::vector<Byte> alpha(z.UseAlpha ? row.size() : 0);
  std::vector<Byte> mbits(z.UseAlpha ? stride * size_t(h) * size_t(k) : 0, 0);
  for (Integer y = 0; y < h; ++y) {
    if (!rd.ReadRow(row.data(), z.UseAlpha ? alpha.data() : nullptr)) fail();
    for (Integer j = 0; j < k; ++j) {
      if (z.Images[size_t(first + j)]) continue;
      std::copy_n(row.begin() + ptrdiff_t(j) * w, w, px.begin() + ptrdiff_t(cell * size_t(j)) + ptrdiff_t(y) * w);
      if (!z.UseAlpha) continue;
      Byte* bits = &mbits[(size_t(j) * size_t(h) + size_t(y)) * stride];
      for (Integer x = 0; x < w; ++x)
        if (alpha[size_t(j * w + x)] < 128) bits[size_t(x) / 8] |= Byte(0x80 >> (x % 8));
    }
  }
  for (Integer j = 0; j < k; ++j) {
    if (z.Images[size_t(first + j)]) continue;
    HBITMAP image = CreateBitmap(w, h, 1, 32, &px[cell * size_t(j)]);
    HBITMAP mask = z.UseAlpha ? CreateBitmap(w, h, 1, 1, &mbits[size_t(j) * size_t(h) * stride]) : nullptr;
    // Without alpha no pixel is transparent, which draws in every style as a list without a
    // mask does: the mask's storage is left out.
    HIMAGELIST list = ImageList_Create(w, h, ILC_COLOR32 | (z.UseAlpha ? ILC_MASK : 0), 1, 1);
    const int added = list && image && (mask || !z.UseAlpha) ? ImageList_Add(list, image, mask) : -1;
    if (mask) DeleteObject(mask);
    if (image) DeleteObject(image);
    if (added < 0) {
      if (list) ImageList_Destroy(list);
      FShare.Join(std::move(share));
      TrimShare();
      throw EInvalidOperation("Cannot hold image " + IntToStr(first + j) + " of the image list");
    }
    ImageList_SetBkColor(list, ListColor(FBkColor));
    z.Images[size_t(first + j)] = list;
    ++z.Decoded;
  }
  FShare.Join(std::move(share));
  // Once every image is out the reader is of no more use; the picture, small as read, stays
  // for whatever realizes the list.
  if (z.Decoded == z.Count) z.Reader.Close();
  return z.Images[size_t(Index)];
}

HIMAGELIST TCustomImageList::GetHandle() {
  Realize();
  if (!FHandle) {
    FHandle = ImageList_Create(FWidth, FHeight, ILC_COLOR32 | (FMasked ? ILC_MASK : 0), FAllocBy, FAllocBy);
    if (!FHandle) throw EInvalidOperation("Cannot create the image list");
    ImageList_SetBkColor(FHandle, ListColor(FBkColor));
  }
  return FHandle;
}

Integer TCustomImageList::Count() {
  if (FLazy) return FLazy->Count;
  return FHandle ? ImageList_GetImageCount(FHandle) : 0;
}

void TCustomImageList::Recreate() {
  const bool had = Count() > 0;
  FreeHandle();
  if (had || !InState(TComponentStateItem::csLoading)) Change();
}

void TCustomImageList::SetWidth(Integer Value) {
  Value = std::clamp<Integer>(Value, 1, kMaxSide);
  if (Value == FWidth) return;
  FWidth = Value;
  Recreate();
}

void TCustomImageList::SetHeight(Integer Value) {
  Value = std::clamp<Integer>(Value, 1, kMaxSide);
  if (Value == FHeight) return;
  FHeight = Value;
  Recreate();
}

void TCustomImageList::SetMasked(bool Value) {
  if (Value == FMasked) return;
  FMasked = Value;
  Recreate();
}

void TCustomImageList::SetBkColor(TColor Value) {
  if (Value == FBkColor) return;
  FBkColor = Value;
  if (FHandle) ImageList_SetBkColor(FHandle, ListColor(Value));
  if (FLazy)
    for (HIMAGELIST l : FLazy->Images)
      if (l) ImageList_SetBkColor(l, ListColor(Value));
  Change();
}

void TCustomImageList::SetBlendColor(TColor Value) {
  if (Value == FBlendColor) return;
  FBlendColor = Value;
  Change();
}

void TCustomImageList::SetDrawingStyle(TDrawingStyle Value) {
  if (Value == FDrawingStyle) return;
  FDrawingStyle = Value;
  Change();
}

void TCustomImageList::SetImageType(TImageType Value) {
  if (Value == FImageType) return;
  FImageType = Value;
  Change();
}

void TCustomImageList::CheckIndex(Integer Index) {
  const Integer n = Count();
  if (Index < 0 || Index >= n) throw EInvalidOperation("Invalid image list index " + IntToStr(Index));
}

Integer TCustomImageList::Add(TBitmap* Image, TBitmap* Mask) {
  if (!Image || Image->Empty()) return -1;
  Owned<TBitmap> temp;
  HBITMAP mask = FMasked ? MaskHandle(Mask, temp) : nullptr;
  HIMAGELIST list = GetHandle();
  TDecodedPixels share = ImagesShare(FWidth, FHeight, Image->GetWidth() / FWidth);
  return Added(std::move(share), ImageList_Add(list, Image->GetHandle(), mask));
}

Integer TCustomImageList::Added(TDecodedPixels Share, Integer Result) {
  FShare.Join(std::move(Share));
  TrimShare();   // what the platform did not take
  if (Result >= 0) Change();
  return Result;
}

Integer TCustomImageList::AddMasked(TBitmap* Image, TColor MaskColor) {
  if (!FMasked) return Add(Image, nullptr);
  if (!Image || Image->Empty() || MaskColor == clNone) return Add(Image, nullptr);
  HIMAGELIST list = GetHandle();
  TDecodedPixels share = ImagesShare(FWidth, FHeight, Image->GetWidth() / FWidth);
  return Added(std::move(share), ImageList_AddMasked(list, Image->GetHandle(), ListColor(MaskColor)));
}

void TCustomImageList::Replace(Integer Index, TBitmap* Image, TBitmap* Mask) {
  CheckIndex(Index);
  if (!Image || Image->Empty()) throw EInvalidOperation("Cannot replace an image with an empty bitmap");
  Realize();
  Owned<TBitmap> temp;
  HBITMAP mask = FMasked ? MaskHandle(Mask, temp) : nullptr;
  if (!ImageList_Replace(FHandle, Index, Image->GetHandle(), mask))
    throw EInvalidOperation("Cannot replace image " + IntToStr(Index));
  Change();
}

void TCustomImageList::ReplaceMasked(Integer Index, TBitmap* NewImage, TColor MaskColor) {
  CheckIndex(Index);
  if (!NewImage || NewImage->Empty()) throw EInvalidOperation("Cannot replace an image with an empty bitmap");
  if (!FMasked || MaskColor == clNone) {
    Replace(Index, NewImage, nullptr);
    return;
  }
  Owned<TBitmap> mask(New<TBitmap>());
  mask->Assign(NewImage);
  mask->Mask(MaskColor == clDefault ? NewImage->Canvas()->GetPixel(0, NewImage->GetHeight() - 1) : MaskColor);
  Replace(Index, NewImage, mask.get());
}

void TCustomImageList::Delete(Integer Index) {
  CheckIndex(Index);
  Realize();
  ImageList_Remove(FHandle, Index);
  TrimShare();
  Change();
}

void TCustomImageList::Clear() {
  if (Count() > 0) {
    FLazy.reset();
    if (FHandle) ImageList_Remove(FHandle, -1);
    FShare.Release();
    Change();
  }
}

void TCustomImageList::GetBitmap(Integer Index, TBitmap* Image) {
  if (!Image || Index < 0 || Index >= Count()) return;
  Image->SetSize(FWidth, FHeight);
  Draw(Image->Canvas(), 0, 0, Index);
}

void TCustomImageList::ReleaseDecodedImages() {
  if (!FLazy) return;
  for (HIMAGELIST& l : FLazy->Images)
    if (l) {
      ImageList_Destroy(l);
      l = nullptr;
    }
  FLazy->Decoded = 0;
  FLazy->Reader.Close();
  FShare.Release();
}

void TCustomImageList::Draw(TCanvas* Canvas, Integer X, Integer Y, Integer Index, bool Enabled) {
  Draw(Canvas, X, Y, Index, FDrawingStyle, FImageType, Enabled);
}

void TCustomImageList::Draw(TCanvas* Canvas, Integer X, Integer Y, Integer Index, TDrawingStyle ADrawingStyle,
                            TImageType AImageType, bool Enabled) {
  if (!Canvas || Index < 0 || Index >= Count()) return;
  static constexpr UINT kStyles[] = {ILD_FOCUS, ILD_SELECTED, ILD_NORMAL, ILD_TRANSPARENT};
  UINT style = kStyles[Ord(ADrawingStyle)];
  if (AImageType == TImageType::itMask) style |= ILD_MASK;
  DoDraw(Index, Canvas, X, Y, style, Enabled);
}

void TCustomImageList::DoDraw(Integer Index, TCanvas* Canvas, Integer X, Integer Y, UINT Style, bool Enabled) {
  HIMAGELIST list = FHandle;
  if (FLazy) {
    list = LazyImage(Index);
    Index = 0;
  }
  HDC dc = Canvas->GetHandle();
  if (Enabled)
    ImageList_DrawEx(list, Index, dc, X, Y, 0, 0, ListColor(FBkColor), ListColor(FBlendColor), Style);
  else
    ImageList_DrawDisabled(list, Index, dc, X, Y);
}

void TCustomImageList::Change() {
  if (FUpdateCount > 0) {
    FChanged = true;
    return;
  }
  FChanged = false;
  // A client may unregister itself from its handler.
  const std::vector<TChangeLink*> clients = FClients;
  for (TChangeLink* link : clients)
    if (std::find(FClients.begin(), FClients.end(), link) != FClients.end()) link->Change();
  if (OnChange) OnChange(this);
}

void TCustomImageList::EndUpdate() {
  if (FUpdateCount > 0 && --FUpdateCount == 0 && FChanged) Change();
}

void TCustomImageList::RegisterChanges(TChangeLink* Value) {
  if (!Value || std::find(FClients.begin(), FClients.end(), Value) != FClients.end()) return;
  if (Value->GetSender() && Value->GetSender() != this) Value->GetSender()->UnRegisterChanges(Value);
  Value->SetSender(this);
  FClients.push_back(Value);
}

void TCustomImageList::UnRegisterChanges(TChangeLink* Value) {
  auto it = std::find(FClients.begin(), FClients.end(), Value);
  if (it == FClients.end()) return;
  FClients.erase(it);
  Value->SetSender(nullptr);
}

void TCustomImageList::Assign(TPersistent* Source) {
  auto* other = dynamic_cast<TCustomImageList*>(Source);
  if (!other) {
    inherited::Assign(Source);
    return;
  }
  if (other == this) return;
  auto update = UpdateBracket(this);
  FWidth = other->FWidth;
  FHeight = other->FHeight;
  FMasked = other->FMasked;
  FAllocBy = other->FAllocBy;
  FBkColor = other->FBkColor;
  FBlendColor = other->FBlendColor;
  FDrawingStyle = other->FDrawingStyle;
  FImageType = other->FImageType;
  FreeHandle();
  if (other->FLazy) {
    // The picture as read is shared; each list decodes its own images.
    auto lazy = std::make_shared<TLazyImages>();
    lazy->Data = other->FLazy->Data;
    lazy->PngAt = other->FLazy->PngAt;
    lazy->PictureWidth = other->FLazy->PictureWidth;
    lazy->Cols = other->FLazy->Cols;
    lazy->Count = other->FLazy->Count;
    lazy->UseAlpha = other->FLazy->UseAlpha;
    lazy->Images.assign(size_t(lazy->Count), nullptr);
    FLazy = std::move(lazy);
  } else if (other->Count() > 0) {
    Owned<TMemoryStream> data(New<TMemoryStream>());
    other->WriteData(*data);
    data->SetPosition(0);
    ReadData(*data);
  }
  Change();
}

// ---- The binary property ------------------------------------------------------------------------

void TCustomImageList::DefineProperties(TFiler& Filer) {
  inherited::DefineProperties(Filer);
  Filer.DefineBinaryProperty(
      "Bitmap", [this](TStream& s) { ReadData(s); }, [this](TStream& s) { WriteData(s); }, Count() > 0);
}

void TCustomImageList::WriteData(TStream& Stream) {
  Realize();
  const Integer n = Count();
  const Integer cols = std::max<Integer>(1, std::min<Integer>(n, kMaxStripWidth / FWidth));
  const Integer rows = n == 0 ? 0 : (n + cols - 1) / cols;
  DecodedImage img;
  if (n > 0) {
    img.Width = cols * FWidth;
    img.Height = rows * FHeight;
    img.Pixels.assign(size_t(img.Width) * size_t(img.Height), 0);
    img.HasAlpha = FMasked;
    if (FMasked) img.Alpha.assign(img.Pixels.size(), 0);
    Owned<TBitmap> cell(New<TBitmap>());
    cell->SetPixelFormat(TPixelFormat::pf32bit);
    cell->SetSize(FWidth, FHeight);
    HDC dc = cell->Canvas()->GetHandle();
    for (Integer i = 0; i < n; ++i) {
      const Integer ox = (i % cols) * FWidth, oy = (i / cols) * FHeight;
      ImageList_DrawEx(FHandle, i, dc, 0, 0, 0, 0, RGB(0, 0, 0), CLR_NONE, ILD_NORMAL);
      for (Integer y = 0; y < FHeight; ++y) {
        const auto* row = reinterpret_cast<const Pixel*>(cell->ScanLine(y));
        for (Integer x = 0; x < FWidth; ++x)
          img.Pixels[size_t(oy + y) * size_t(img.Width) + size_t(ox + x)] = row[x] & 0x00FFFFFF;
      }
      if (!FMasked) continue;
      ImageList_DrawEx(FHandle, i, dc, 0, 0, 0, 0, RGB(0, 0, 0), CLR_NONE, ILD_MASK);
      for (Integer y = 0; y < FHeight; ++y) {
        const auto* row = reinterpret_cast<const Pixel*>(cell->ScanLine(y));
        for (Integer x = 0; x < FWidth; ++x)
          img.Alpha[size_t(oy + y) * size_t(img.Width) + size_t(ox + x)] = (row[x] & 0x00FFFFFF) ? 0 : 255;
      }
    }
  }
  Byte header[kHeaderSize];
  std::memcpy(header, "TLIL", 4);
  header[4] = kVersion;
  header[5] = FMasked ? kFlagMasked : 0;
  PutLE(header + 6, uint32_t(FWidth), 2);
  PutLE(header + 8, uint32_t(FHeight), 2);
  PutLE(header + 10, uint32_t(n), 4);
  Stream.WriteBuffer(header, Integer(kHeaderSize));
  if (n == 0) return;
  EncodeResult png = EncodePng(img);
  if (!png.Ok) throw EWriteError("Cannot write the image list: " + png.Error);
  Stream.WriteBuffer(png.Bytes.data(), Integer(png.Bytes.size()));
}

void TCustomImageList::ReadData(TStream& Stream) {
  const Int64 size = Stream.GetSize() - Stream.GetPosition();
  if (size < 0 || size > TMemoryStream::MaxSize) throw EReadError("Image list data is not valid: too large");
  std::vector<Byte> data(static_cast<size_t>(size));
  if (size) Stream.ReadBuffer(data.data(), Integer(size));

  static const Byte kPng[8] = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A};
  Integer w = FWidth, h = FHeight;
  Int64 count = -1;  // every cell
  bool masked = FMasked;
  size_t pngAt = 0;
  if (data.size() >= 4 && std::memcmp(data.data(), "TLIL", 4) == 0) {
    if (data.size() < kHeaderSize) throw EReadError("Image list data is not valid: header cut short");
    if (data[4] != kVersion) throw EReadError("Image list data has unknown version " + IntToStr(data[4]));
    if (data[5] & ~kFlagMasked) throw EReadError("Image list data is not valid: unknown flags");
    masked = (data[5] & kFlagMasked) != 0;
    w = Integer(GetLE(&data[6], 2));
    h = Integer(GetLE(&data[8], 2));
    count = Int64(GetLE(&data[10], 4));
    if (w < 1 || w > kMaxSide || h < 1 || h > kMaxSide)
      throw EReadError("Image list data is not valid: image size " + IntToStr(w) + " x " + IntToStr(h));
    pngAt = kHeaderSize;
  } else if (!(data.size() >= 8 && std::memcmp(data.data(), kPng, 8) == 0)) {
    throw EReadError("Image list data is not valid: neither an image list nor a PNG file");
  }

  // A picture the row reader takes is kept as read; its images are decoded when drawn.
  auto lazy = std::make_shared<TLazyImages>();
  DecodedImage img;
  Integer pw = 0, ph = 0;
  if (count != 0) {
    std::string why;
    if (!CheckPngChunks(data.data() + pngAt, data.size() - pngAt, why))
      throw EReadError("Image list data is not valid: " + why);
    auto kept = std::make_shared<std::vector<Byte>>(std::move(data));
    lazy->Data = kept;
    lazy->PngAt = pngAt;
    PngRowReader& rd = lazy->Reader;
    if (rd.Open(lazy->Png(), lazy->PngSize())) {
      pw = rd.Width();
      ph = rd.Height();
    } else {
      if (!rd.Error().empty()) throw EReadError("Image list data is not valid: " + rd.Error());
      lazy.reset();
      DecodeResult r = DecodePng(kept->data() + pngAt, kept->size() - pngAt);
      if (!r.Ok) throw EReadError("Image list data is not valid: " + r.Error);
      img = std::move(r.Image);
      pw = img.Width;
      ph = img.Height;
    }
  } else {
    lazy.reset();
  }
  const Integer cols = pw / w, rows = ph / h;
  const Int64 cells = Int64(cols) * rows;
  if (count < 0) {
    if (cells == 0)
      throw EReadError("Image list picture of " + IntToStr(pw) + " x " + IntToStr(ph) +
                       " is smaller than one image of " + IntToStr(w) + " x " + IntToStr(h));
    count = cells;
  } else if (count > cells) {
    throw EReadError("Image list data is not valid: " + IntToStr(Integer(std::min<Int64>(count, INT32_MAX))) +
                     " images do not fit the picture");
  }

  if (lazy) {
    // What the platform list would refuse is refused now, as for a list decoded at once.
    HIMAGELIST probe = ImageList_Create(w, h, ILC_COLOR32 | (masked ? ILC_MASK : 0), 0, 1);
    if (!probe)
      throw EReadError("Image list data is not valid: images of " + IntToStr(w) + " x " + IntToStr(h) +
                       " are too large");
    ImageList_Destroy(probe);
    if (uint64_t(count) * uint64_t(w) * uint64_t(h) > kMaxSurfacePixels)
      throw EReadError("Image list data is not valid: cannot hold " + IntToStr(Integer(count)) + " images");
    lazy->PictureWidth = pw;
    lazy->Cols = cols;
    lazy->Count = Integer(count);
    lazy->UseAlpha = masked && lazy->Reader.HasAlpha();
    lazy->Images.assign(size_t(count), nullptr);
    FreeHandle();
    FLazy = std::move(lazy);
  } else {
    // The images go into a new platform list; the list's own is replaced only once they
    // all are in, so refused data leaves it as it was.
    TDecodedPixels share = ImagesShare(w, h, count);
    HIMAGELIST list = BuildList(img, w, h, masked, count, FAllocBy);
    FreeHandle();
    FHandle = list;
    FShare = std::move(share);
  }
  FWidth = w;
  FHeight = h;
  FMasked = masked;
  if (FHandle) ImageList_SetBkColor(FHandle, ListColor(FBkColor));
  Change();
}
