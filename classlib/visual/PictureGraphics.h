// The graphic kinds beside bitmaps: icons, JPEG images and metafiles, the file filters of
// the registered graphic classes, and the exchange of pixels between bitmaps and the codecs.
#pragma once

#include "classlib/visual/Graphics.h"
#include "platform/gdi/Codecs.h"

// An icon: one image with a mask (alpha below 128 counts as transparent when drawn). Its
// stream form is an icon file; reading takes the file's largest image. Icons are not
// resized: setting Width or Height raises EInvalidGraphicOperation.
class TIcon : public TGraphic {
  TL_CLASS(TIcon, TGraphic)
 public:
  void BeforeDestruction() override;
  void Assign(TPersistent* Source) override;
  bool Empty() const override { return FImage.Width == 0; }
  Integer GetWidth() const override { return FImage.Width; }
  Integer GetHeight() const override { return FImage.Height; }
  void SetWidth(Integer Value) override;
  void SetHeight(Integer Value) override;
  bool GetTransparent() const override { return true; }
  // EInvalidGraphic for a file that is not an icon or is broken; EOutOfResources when its
  // pixels do not fit in the decoded-picture budget. Either leaves the icon as it was.
  void LoadFromStream(TStream& Stream) override;
  // EInvalidGraphic for an image over 256 pixels on a side.
  void SaveToStream(TStream& Stream) override;
  const DecodedImage& Image() const { return FImage; }
  void SetImage(const DecodedImage& Image);

 protected:
  void AssignTo(TPersistent* Dest) override;
  void Draw(TCanvas* ACanvas, const TRect& Rect) override;

 private:
  void FreeCache();
  DecodedImage FImage;
  TDecodedPixels FDecoded;     // FImage's share of the budget, copies as read ones
  TBitmap* FColour = nullptr;  // made on first draw, counted as any bitmap
  TBitmap* FMask = nullptr;    // white where transparent
};

// A JPEG image: the compressed bytes as read or written, decoded once when first needed.
// Assigning a bitmap compresses it at CompressionQuality (Grayscale: one channel).
class TJPEGImage : public TGraphic {
  TL_CLASS(TJPEGImage, TGraphic)
 public:
  void BeforeDestruction() override;
  void Assign(TPersistent* Source) override;
  bool Empty() const override { return FData.empty(); }
  Integer GetWidth() const override { return FWidth; }
  Integer GetHeight() const override { return FHeight; }
  // JPEG images keep the size they were compressed at: EInvalidGraphicOperation.
  void SetWidth(Integer Value) override;
  void SetHeight(Integer Value) override;
  Integer GetCompressionQuality() const { return FQuality; }
  void SetCompressionQuality(Integer Value) { FQuality = Value < 1 ? 1 : Value > 100 ? 100 : Value; }
  bool GetGrayscale() const { return FGrayscale; }
  void SetGrayscale(bool Value) { FGrayscale = Value; }
  // Reads to the end of the stream; EInvalidGraphic when the bytes do not decode,
  // EOutOfResources when the pixels do not fit in the decoded-picture budget (either leaves
  // the image as it was).
  void LoadFromStream(TStream& Stream) override;
  void SaveToStream(TStream& Stream) override;
  // The decoded pixels (nullptr while empty), decoded again when the image was copied
  // from another: EInvalidGraphic or EOutOfResources as for loading.
  TBitmap* GetBitmap();
  const std::vector<Byte>& Data() const { return FData; }

 protected:
  void AssignTo(TPersistent* Dest) override;
  void Draw(TCanvas* ACanvas, const TRect& Rect) override;

 private:
  void SetData(std::vector<Byte> Data);
  std::vector<Byte> FData;
  Integer FWidth = 0, FHeight = 0;
  Integer FQuality = 90;
  bool FGrayscale = false;
  TBitmap* FBitmap = nullptr;   // holds the decoded pixels' share of the budget
};

// A metafile held as its bytes, exactly as read: a placeable or enhanced metafile. Its size
// comes from its header (at 96 pixels an inch) until Width or Height is set. Drawing plays
// its records so the picture fills the rectangle asked.
class TMetafile : public TGraphic {
  TL_CLASS(TMetafile, TGraphic)
 public:
  void Assign(TPersistent* Source) override;
  bool Empty() const override { return FData.empty(); }
  Integer GetWidth() const override { return FWidth; }
  Integer GetHeight() const override { return FHeight; }
  void SetWidth(Integer Value) override;
  void SetHeight(Integer Value) override;
  bool GetEnhanced() const { return FEnhanced; }
  // A metafile draws only what its records draw: what lies under the rest shows through.
  bool GetTransparent() const override { return true; }
  // EInvalidGraphic for bytes that are neither kind, or whose sizes or records lie.
  void LoadFromStream(TStream& Stream) override;
  void SaveToStream(TStream& Stream) override;
  const std::vector<Byte>& Data() const { return FData; }

 protected:
  void Draw(TCanvas* ACanvas, const TRect& Rect) override;

 private:
  std::vector<Byte> FData;
  Integer FWidth = 0, FHeight = 0;
  bool FEnhanced = false;
};

// "All (*.bmp;*.png;...)|*.bmp;*.png;...|Bitmaps (*.bmp)|*.bmp|..." over the registered file
// formats whose class is GraphicClass or descends from it (every format for TGraphic).
String GraphicFilter(TGraphicClass GraphicClass);
// The first extension registered for exactly that class, without the dot; empty for none.
String GraphicExtension(TGraphicClass GraphicClass);
// "*.bmp;*.png" of the same formats as GraphicFilter.
String GraphicFileMask(TGraphicClass GraphicClass);
// The registered graphic class of that name (case-insensitive); an empty class for none.
TGraphicClass GraphicClassByName(const String& Name);
// TGraphic itself as a class reference (it makes nothing): the filter of every format.
TGraphicClass AnyGraphicClass();

// Pixels of a bitmap (a monochrome one read through its canvas), and a bitmap of pixels
// (alpha, when there is any, is dropped: the bitmap is 24-bit).
DecodedImage ImageOfBitmap(TBitmap* Bitmap);
void BitmapFromImage(TBitmap* Bitmap, const DecodedImage& Image);
