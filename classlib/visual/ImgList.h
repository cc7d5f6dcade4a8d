// Image lists: equally sized images kept in one platform image list, added from bitmaps
// with or without masks, drawn normally, blended or disabled, and streamed as one binary
// property.
//
// The binary property "Bitmap" holds one of two forms.
//
// 1. What the writer produces (all numbers little-endian):
//      offset  size  field
//      0       4     "TLIL"
//      4       1     version, 1
//      5       1     flags: bit 0 = the images carry masks; other bits are 0
//      6       2     image width  (1..32767)
//      8       2     image height (1..32767)
//      10      4     image count
//      14      ...   a PNG file: the images as cells of `width` x `height`, left to right
//                    and then top to bottom, at most 32768 pixels wide. With masks it has
//                    an alpha channel: alpha below 128 is transparent. Cells after the
//                    count are ignored.
//
// 2. A bare PNG file, which is what a window description's file include gives:
//        Bitmap = {include 'tiles/colors.png'}
//    The list keeps its Width and Height (written before the binary property), and every
//    whole cell of the picture, left to right and then top to bottom, becomes an image.
//    An alpha channel, if any, is the mask as above.
//
// Anything else, a PNG whose chunks are damaged or cut short, a size the header does not
// match or a picture smaller than one cell raises EReadError.
//
// The images a list holds take their share of the picture budget (DecodedPixels.h) as they
// are decoded or added; images past it raise EOutOfResources and leave the list as it was.
//
// A plain 8-bit RGB or RGBA picture is kept as read and its images are decoded when first
// drawn: an image with those beside it in the picture (they share its rows), no others, so
// images stacked one below the other are decoded one by one. Pixel data that then fails to
// inflate raises EReadError from that draw. Anything that needs the whole list (its handle, adding, replacing,
// deleting, writing) decodes all of it first.
#pragma once

#include "classlib/visual/Graphics.h"

#include <memory>

TL_ENUM(TDrawingStyle, dsFocus, dsSelected, dsNormal, dsTransparent);
TL_ENUM(TImageType, itImage, itMask);

class TCustomImageList;

// Lets another object hear of changes to an image list it does not own.
class TChangeLink : public TObject {
  TL_CLASS(TChangeLink, TObject)
 public:
  void BeforeDestruction() override;
  TCustomImageList* GetSender() const { return FSender; }
  void SetSender(TCustomImageList* Value) { FSender = Value; }
  virtual void Change();
  TNotifyEvent OnChange;

 private:
  TCustomImageList* FSender = nullptr;
};

class TCustomImageList : public TComponent {
  TL_CLASS(TCustomImageList, TComponent)
 public:
  explicit TCustomImageList(TComponent* AOwner);
  void BeforeDestruction() override;
  void Assign(TPersistent* Source) override;

  HIMAGELIST GetHandle();
  bool HandleAllocated() const { return FHandle != nullptr; }

  // Changing the size or Masked empties the list.
  Integer GetWidth() const { return FWidth; }
  void SetWidth(Integer Value);
  Integer GetHeight() const { return FHeight; }
  void SetHeight(Integer Value);
  bool GetMasked() const { return FMasked; }
  void SetMasked(bool Value);
  Integer GetAllocBy() const { return FAllocBy; }
  void SetAllocBy(Integer Value) { FAllocBy = Value < 1 ? 1 : Value; }
  TColor GetBkColor() const { return FBkColor; }
  void SetBkColor(TColor Value);
  TColor GetBlendColor() const { return FBlendColor; }
  void SetBlendColor(TColor Value);
  TDrawingStyle GetDrawingStyle() const { return FDrawingStyle; }
  void SetDrawingStyle(TDrawingStyle Value);
  TImageType GetImageType() const { return FImageType; }
  void SetImageType(TImageType Value);
  Integer Count();

  // Each adds Image.Width / Width images; the index of the first, -1 when the bitmap is
  // smaller than one image. Mask: white pixels are transparent (nullptr: opaque).
  Integer Add(TBitmap* Image, TBitmap* Mask);
  // Pixels of MaskColor are transparent; clDefault means the bitmap's bottom-left pixel.
  // Without Masked, the images are added opaque.
  Integer AddMasked(TBitmap* Image, TColor MaskColor);
  void Replace(Integer Index, TBitmap* Image, TBitmap* Mask);
  void ReplaceMasked(Integer Index, TBitmap* NewImage, TColor MaskColor);
  // EInvalidOperation for an index out of range.
  void Delete(Integer Index);
  void Clear();
  // Sizes Image to one image and draws image Index into it (nothing for a bad index).
  void GetBitmap(Integer Index, TBitmap* Image);
  // A list still read from its picture gives back the images it has decoded: the next use
  // decodes them again. Nothing for any other list.
  void ReleaseDecodedImages();

  // Draws image Index at (X, Y) with the list's DrawingStyle and ImageType; disabled, in
  // the platform's embossed look. An index out of range draws nothing.
  void Draw(TCanvas* Canvas, Integer X, Integer Y, Integer Index, bool Enabled = true);
  void Draw(TCanvas* Canvas, Integer X, Integer Y, Integer Index, TDrawingStyle ADrawingStyle,
            TImageType AImageType, bool Enabled = true);

  void BeginUpdate() { ++FUpdateCount; }
  void EndUpdate();
  void RegisterChanges(TChangeLink* Value);
  void UnRegisterChanges(TChangeLink* Value);

  TNotifyEvent OnChange;

  // The binary property's two forms (see the top of this file); exposed for the tests and
  // tools that build the data.
  void WriteData(TStream& Stream);
  void ReadData(TStream& Stream);

 protected:
  void DefineProperties(TFiler& Filer) override;
  virtual void Change();
  virtual void DoDraw(Integer Index, TCanvas* Canvas, Integer X, Integer Y, UINT Style, bool Enabled);

 private:
  void Recreate();
  void FreeHandle();
  void CheckIndex(Integer Index);
  // Decodes every image not yet decoded into the list's own handle.
  void Realize();
  // The one-image list holding image Index, decoded now if it was not yet.
  HIMAGELIST LazyImage(Integer Index);

  struct TLazyImages;
  std::shared_ptr<TLazyImages> FLazy;  // the picture kept as read, while not realized
  // The picture budget's share of the images held: every image of the handle, or every
  // image decoded so far from the picture kept as read.
  TDecodedPixels FShare;
  // Gives back the share of images no longer held.
  void TrimShare();
  // Keeps the share taken for an add (whose answer is Result) and tells of the change.
  Integer Added(TDecodedPixels Share, Integer Result);

  HIMAGELIST FHandle = nullptr;
  Integer FWidth = 16, FHeight = 16;
  bool FMasked = true;
  Integer FAllocBy = 4;
  TColor FBkColor = clNone;
  TColor FBlendColor = clNone;
  TDrawingStyle FDrawingStyle = TDrawingStyle::dsNormal;
  TImageType FImageType = TImageType::itImage;
  Integer FUpdateCount = 0;
  bool FChanged = false;
  std::vector<TChangeLink*> FClients;
};

class TImageList : public TCustomImageList {
  TL_CLASS(TImageList, TCustomImageList)
 public:
  using TCustomImageList::TCustomImageList;
};

// An image list that can show one of its images following the mouse while dragging: a
// topmost popup window shaped by the image's mask, which the mouse looks through, so that
// it neither takes input nor hides the drag target under it.
class TDragImageList : public TCustomImageList {
  TL_CLASS(TDragImageList, TCustomImageList)
 public:
  using TCustomImageList::TCustomImageList;
  void BeforeDestruction() override;

  // The image shown while dragging and its hot spot, the point of the image kept under the
  // mouse. False (nothing changed) for an index out of range.
  bool SetDragImage(Integer Index, Integer HotSpotX, Integer HotSpotY);
  Integer GetDragIndex() const { return FDragIndex; }
  TPoint GetDragHotspot() const { return FDragHotspot; }
  void SetDragHotspot(const TPoint& Value);

  // Shows the drag image with its hot spot at (X, Y), in the client coordinates of Window
  // (screen coordinates when Window is nullptr). False when already dragging or when the
  // list has no drag image.
  bool BeginDrag(HWND Window, Integer X, Integer Y);
  // Moves the hot spot to (X, Y), in the coordinates BeginDrag was given.
  bool DragMove(Integer X, Integer Y);
  // Takes the image away; false when it was not shown.
  bool EndDrag();
  bool GetDragging() const { return FDragWnd != nullptr; }
  // Hide and show nest: the image comes back with the show matching the first hide.
  void HideDragImage();
  void ShowDragImage();

 protected:
  void Change() override;

 private:
  void DragWndProc(TMessage& Message);
  void UpdateDragWindow();
  TPoint ToScreen(Integer X, Integer Y) const;

  Integer FDragIndex = 0;
  TPoint FDragHotspot{0, 0};
  HWND FDragWnd = nullptr;
  HWND FLockWindow = nullptr;
  TPoint FDragPos{0, 0};  // the hot spot, in screen coordinates
  Integer FHideCount = 0;
};
