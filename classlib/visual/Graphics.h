// The graphics unit: colours and their names, fonts, pens and brushes, canvases over
// device contexts, and graphics (bitmaps) that draw themselves into a canvas.
//
// GDI handles belong to the object that made them: a TFont, TPen or TBrush deletes its
// handle when it changes or is freed, after telling its OnChange listeners (a canvas
// deselects it there), so a handle is never deleted while a canvas still has it selected.
#pragma once

#include "classlib/core/Classes.h"
#include "classlib/core/Streams.h"
#include "classlib/visual/Cursors.h"
#include "classlib/visual/DecodedPixels.h"
#include "platform/gdi/Gdi.h"

class TControl;
class TCanvas;
class TBitmap;

// ---- Colours ----------------------------------------------------------------------------------

inline constexpr TColor clSystemColor = TColor(0x80000000u);
constexpr TColor SysColor(int index) { return TColor(0x80000000u | unsigned(index)); }

inline constexpr TColor clScrollBar = SysColor(COLOR_SCROLLBAR);
inline constexpr TColor clBackground = SysColor(COLOR_BACKGROUND);
inline constexpr TColor clActiveCaption = SysColor(COLOR_ACTIVECAPTION);
inline constexpr TColor clInactiveCaption = SysColor(COLOR_INACTIVECAPTION);
inline constexpr TColor clMenu = SysColor(COLOR_MENU);
inline constexpr TColor clWindow = SysColor(COLOR_WINDOW);
inline constexpr TColor clWindowFrame = SysColor(COLOR_WINDOWFRAME);
inline constexpr TColor clMenuText = SysColor(COLOR_MENUTEXT);
inline constexpr TColor clWindowText = SysColor(COLOR_WINDOWTEXT);
inline constexpr TColor clCaptionText = SysColor(COLOR_CAPTIONTEXT);
inline constexpr TColor clActiveBorder = SysColor(COLOR_ACTIVEBORDER);
inline constexpr TColor clInactiveBorder = SysColor(COLOR_INACTIVEBORDER);
inline constexpr TColor clAppWorkSpace = SysColor(COLOR_APPWORKSPACE);
inline constexpr TColor clHighlight = SysColor(COLOR_HIGHLIGHT);
inline constexpr TColor clHighlightText = SysColor(COLOR_HIGHLIGHTTEXT);
inline constexpr TColor clBtnFace = SysColor(COLOR_BTNFACE);
inline constexpr TColor clBtnShadow = SysColor(COLOR_BTNSHADOW);
inline constexpr TColor clGrayText = SysColor(COLOR_GRAYTEXT);
inline constexpr TColor clBtnText = SysColor(COLOR_BTNTEXT);
inline constexpr TColor clInactiveCaptionText = SysColor(COLOR_INACTIVECAPTIONTEXT);
inline constexpr TColor clBtnHighlight = SysColor(COLOR_BTNHIGHLIGHT);
inline constexpr TColor cl3DDkShadow = SysColor(COLOR_3DDKSHADOW);
inline constexpr TColor cl3DLight = SysColor(COLOR_3DLIGHT);
inline constexpr TColor clInfoText = SysColor(COLOR_INFOTEXT);
inline constexpr TColor clInfoBk = SysColor(COLOR_INFOBK);
inline constexpr TColor clHotLight = SysColor(COLOR_HOTLIGHT);
inline constexpr TColor clGradientActiveCaption = SysColor(COLOR_GRADIENTACTIVECAPTION);
inline constexpr TColor clGradientInactiveCaption = SysColor(COLOR_GRADIENTINACTIVECAPTION);
inline constexpr TColor clMenuHighlight = SysColor(COLOR_MENUHILIGHT);
inline constexpr TColor clMenuBar = SysColor(COLOR_MENUBAR);

inline constexpr TColor clBlack = 0x000000;
inline constexpr TColor clMaroon = 0x000080;
inline constexpr TColor clGreen = 0x008000;
inline constexpr TColor clOlive = 0x008080;
inline constexpr TColor clNavy = 0x800000;
inline constexpr TColor clPurple = 0x800080;
inline constexpr TColor clTeal = 0x808000;
inline constexpr TColor clGray = 0x808080;
inline constexpr TColor clSilver = 0xC0C0C0;
inline constexpr TColor clRed = 0x0000FF;
inline constexpr TColor clLime = 0x00FF00;
inline constexpr TColor clYellow = 0x00FFFF;
inline constexpr TColor clBlue = 0xFF0000;
inline constexpr TColor clFuchsia = 0xFF00FF;
inline constexpr TColor clAqua = 0xFFFF00;
inline constexpr TColor clLtGray = 0xC0C0C0;
inline constexpr TColor clDkGray = 0x808080;
inline constexpr TColor clWhite = 0xFFFFFF;
inline constexpr TColor clMoneyGreen = 0xC0DCC0;
inline constexpr TColor clSkyBlue = 0xF0CAA6;
inline constexpr TColor clCream = 0xF0FBFF;
inline constexpr TColor clMedGray = 0xA4A0A0;

inline constexpr TColor clNone = 0x1FFFFFFF;
inline constexpr TColor clDefault = 0x20000000;

// System colours through GetSysColor; plain colours keep their low three bytes. clNone and
// clDefault are markers, not colours, and come back unchanged: callers test for them
// before they reach the device.
COLORREF ColorToRGB(TColor Color);
// What the device is given for Color: ColorToRGB, with the markers reduced to their low
// three bytes (clNone white, clDefault black) so they never reach the device as such.
COLORREF ColorToDevice(TColor Color);
// "clBtnFace" for named colours, else "$" and eight hexadecimal digits.
String ColorToString(TColor Color);
// A colour name or a number ("$00FF00", "65280"); EConvertError otherwise.
TColor StringToColor(const String& S);
bool ColorToIdent(Integer Color, String& Ident);
bool IdentToColor(const String& Ident, Integer& Color);

bool CursorToIdent(Integer Cursor, String& Ident);
bool IdentToCursor(const String& Ident, Integer& Cursor);

using TFontCharset = Byte;
bool CharsetToIdent(Integer Charset, String& Ident);
bool IdentToCharset(const String& Ident, Integer& Charset);

// Graphics unit start-up: registers the ident tables of TColor, TCursor and TFontCharset
// with the reader, the persistent graphics classes and TImageList, and the picture file
// formats. Counted: only the first GraphicsInitialize and the last GraphicsFinalize work.
void GraphicsInitialize();
void GraphicsFinalize();

TL_EXCEPTION(EInvalidGraphic, Exception);
TL_EXCEPTION(EInvalidGraphicOperation, Exception);

// ---- Graphics objects ---------------------------------------------------------------------------

class TGraphicsObject : public TPersistent {
  TL_CLASS(TGraphicsObject, TPersistent)
 public:
  TNotifyEvent OnChange;
  void BeforeDestruction() override;

 protected:
  ~TGraphicsObject() override;
  // Tells the listeners, then deletes the handle they no longer hold selected.
  void Changed();
  HGDIOBJ FHandle = nullptr;
};

TL_ENUM(TFontStyle, fsBold, fsItalic, fsUnderline, fsStrikeOut);
using TFontStyles = Set<TFontStyle>;
TL_ENUM(TFontPitch, fpDefault, fpVariable, fpFixed);

class TFont : public TGraphicsObject {
  TL_CLASS(TFont, TGraphicsObject)
 public:
  static constexpr Integer PixelsPerInch = 96;
  TFont();
  void Assign(TPersistent* Source) override;

  // The font's handle, made on first use. Setting a handle (from CreateFontIndirectA)
  // reads its LOGFONTA back into the properties, and the font takes it over.
  HFONT GetHandle();
  void SetHandle(HFONT Value);
  bool HandleAllocated() const { return FHandle != nullptr; }

  const String& GetName() const { return FName; }
  void SetName(const String& Value);
  // Points at 96 pixels per inch: Height = -MulDiv(Size, 96, 72). A positive Height (the
  // cell height) gives a negative Size.
  Integer GetSize() const;
  void SetSize(Integer Value);
  Integer GetHeight() const { return FHeight; }
  void SetHeight(Integer Value);
  TFontStyles GetStyle() const { return FStyle; }
  void SetStyle(TFontStyles Value);
  TColor GetColor() const { return FColor; }
  void SetColor(TColor Value);
  TFontCharset GetCharset() const { return FCharset; }
  void SetCharset(TFontCharset Value);
  TFontPitch GetPitch() const { return FPitch; }
  void SetPitch(TFontPitch Value);

 private:
  void Modified();
  String FName = "MS Sans Serif";
  Integer FHeight = -11;
  TFontStyles FStyle;
  TColor FColor = clWindowText;
  TFontCharset FCharset = DEFAULT_CHARSET;
  TFontPitch FPitch = TFontPitch::fpDefault;
};

TL_ENUM(TPenStyle, psSolid, psDash, psDot, psDashDot, psDashDotDot, psClear, psInsideFrame);
TL_ENUM(TPenMode, pmBlack, pmWhite, pmNop, pmNot, pmCopy, pmNotCopy, pmMergePenNot, pmMaskPenNot,
        pmMergeNotPen, pmMaskNotPen, pmMerge, pmNotMerge, pmMask, pmNotMask, pmXor, pmNotXor);

class TPen : public TGraphicsObject {
  TL_CLASS(TPen, TGraphicsObject)
 public:
  void Assign(TPersistent* Source) override;
  HPEN GetHandle();
  TColor GetColor() const { return FColor; }
  void SetColor(TColor Value);
  Integer GetWidth() const { return FWidth; }
  void SetWidth(Integer Value);   // below 1 counts as 1
  TPenStyle GetStyle() const { return FStyle; }
  void SetStyle(TPenStyle Value);
  TPenMode GetMode() const { return FMode; }
  void SetMode(TPenMode Value);
  // The platform's binary raster operation for Mode.
  int Rop2() const;

 private:
  TColor FColor = clBlack;
  Integer FWidth = 1;
  TPenStyle FStyle = TPenStyle::psSolid;
  TPenMode FMode = TPenMode::pmCopy;
};

TL_ENUM(TBrushStyle, bsSolid, bsClear, bsHorizontal, bsVertical, bsFDiagonal, bsBDiagonal, bsCross,
        bsDiagCross);

class TBrush : public TGraphicsObject {
  TL_CLASS(TBrush, TGraphicsObject)
 public:
  void Assign(TPersistent* Source) override;
  HBRUSH GetHandle();
  TColor GetColor() const { return FColor; }
  // Setting a colour on a clear brush makes it solid again.
  void SetColor(TColor Value);
  TBrushStyle GetStyle() const { return FStyle; }
  void SetStyle(TBrushStyle Value);
  // A pattern bitmap, not owned: its pixels are copied into the brush when the handle is
  // made, so later changes to the bitmap need the brush to be set again. nullptr clears it.
  TBitmap* GetBitmap() const { return FBitmap; }
  void SetBitmap(TBitmap* Value);

 private:
  TColor FColor = clWhite;
  TBrushStyle FStyle = TBrushStyle::bsSolid;
  TBitmap* FBitmap = nullptr;
};

// ---- Canvas -----------------------------------------------------------------------------------------

TL_ENUM(TCanvasStateItem, csHandleValid, csFontValid, csPenValid, csBrushValid);
using TCanvasState = Set<TCanvasStateItem>;

using TCopyMode = Integer;
inline constexpr TCopyMode cmBlackness = TCopyMode(BLACKNESS);
inline constexpr TCopyMode cmDstInvert = TCopyMode(DSTINVERT);
inline constexpr TCopyMode cmMergeCopy = TCopyMode(MERGECOPY);
inline constexpr TCopyMode cmMergePaint = TCopyMode(MERGEPAINT);
inline constexpr TCopyMode cmNotSrcCopy = TCopyMode(NOTSRCCOPY);
inline constexpr TCopyMode cmNotSrcErase = TCopyMode(NOTSRCERASE);
inline constexpr TCopyMode cmPatCopy = TCopyMode(PATCOPY);
inline constexpr TCopyMode cmPatInvert = TCopyMode(PATINVERT);
inline constexpr TCopyMode cmPatPaint = TCopyMode(PATPAINT);
inline constexpr TCopyMode cmSrcAnd = TCopyMode(SRCAND);
inline constexpr TCopyMode cmSrcCopy = TCopyMode(SRCCOPY);
inline constexpr TCopyMode cmSrcErase = TCopyMode(SRCERASE);
inline constexpr TCopyMode cmSrcInvert = TCopyMode(SRCINVERT);
inline constexpr TCopyMode cmSrcPaint = TCopyMode(SRCPAINT);
inline constexpr TCopyMode cmWhiteness = TCopyMode(WHITENESS);

class TGraphic;

// Drawing on a device context. The handle comes from SetHandle or, on first use, from
// CreateHandle; the font, pen and brush are selected into it only when an operation needs
// them, and again after they change. A solid brush makes text and hatch backgrounds
// opaque in the brush colour; bsClear makes them transparent.
class TCanvas : public TPersistent {
  TL_CLASS(TCanvas, TPersistent)
 public:
  TCanvas();
  void BeforeDestruction() override;

  HDC GetHandle();
  // Takes a device context made elsewhere (nullptr gives it back); the canvas never frees it.
  void SetHandle(HDC Value);
  bool HandleAllocated() const { return FHandle != nullptr; }
  TCanvasState State() const { return FState; }

  TFont* Font() const { return FFont; }
  TPen* Pen() const { return FPen; }
  TBrush* Brush() const { return FBrush; }
  void SetFont(TFont* Value) { FFont->Assign(Value); }
  void SetPen(TPen* Value) { FPen->Assign(Value); }
  void SetBrush(TBrush* Value) { FBrush->Assign(Value); }
  TCopyMode GetCopyMode() const { return FCopyMode; }
  void SetCopyMode(TCopyMode Value) { FCopyMode = Value; }
  TPoint GetPenPos();
  void SetPenPos(TPoint Value) { MoveTo(Value.X, Value.Y); }
  // The clip box in logical coordinates.
  TRect ClipRect();

  void MoveTo(Integer X, Integer Y);
  void LineTo(Integer X, Integer Y);
  void Polyline(const std::vector<TPoint>& Points);
  void Polygon(const std::vector<TPoint>& Points);
  void Rectangle(Integer X1, Integer Y1, Integer X2, Integer Y2);
  void Rectangle(const TRect& R) { Rectangle(R.Left, R.Top, R.Right, R.Bottom); }
  void RoundRect(Integer X1, Integer Y1, Integer X2, Integer Y2, Integer X3, Integer Y3);
  void Ellipse(Integer X1, Integer Y1, Integer X2, Integer Y2);
  void Ellipse(const TRect& R) { Ellipse(R.Left, R.Top, R.Right, R.Bottom); }
  void Pie(Integer X1, Integer Y1, Integer X2, Integer Y2, Integer X3, Integer Y3, Integer X4, Integer Y4);
  void FillRect(const TRect& R);
  void FrameRect(const TRect& R);
  void DrawFocusRect(const TRect& R);
  // Pixels: a point outside the clip reads as -1 (the platform's CLR_INVALID); writes
  // there are ignored.
  TColor GetPixel(Integer X, Integer Y);
  void SetPixel(Integer X, Integer Y, TColor Value);

  // Text at (X, Y), drawn in the font colour over the brush background; the pen moves to
  // the end of the text.
  void TextOut(Integer X, Integer Y, const String& Text);
  // Text clipped to R (and its background filled when the brush is solid).
  void TextRect(const TRect& R, Integer X, Integer Y, const String& Text);
  // DrawTextA with DT_ flags; with DT_CALCRECT, R receives the measured rectangle.
  void TextRect(TRect& R, const String& Text, UINT Format);
  TSize TextExtent(const String& Text);
  Integer TextWidth(const String& Text) { return TextExtent(Text).cx; }
  Integer TextHeight(const String& Text) { return TextExtent(Text).cy; }

  void Draw(Integer X, Integer Y, TGraphic* Graphic);
  void StretchDraw(const TRect& R, TGraphic* Graphic);
  // Stretching copy from Canvas's Source to Dest here, with CopyMode.
  void CopyRect(const TRect& Dest, TCanvas* Canvas, const TRect& Source);
  // Copies the bitmap's Source to Dest with the pixels of Color replaced by the brush.
  void BrushCopy(const TRect& Dest, TBitmap* Bitmap, const TRect& Source, TColor Color);

  // Drawing from several places at once is serialised by the caller; the count lets
  // nested code see that a paint is in progress.
  void Lock() { ++FLockCount; }
  void Unlock() {
    if (FLockCount > 0) --FLockCount;
  }
  bool TryLock() {
    Lock();
    return true;
  }
  Integer LockCount() const { return FLockCount; }

  // Selects the objects again on next use.
  void Refresh();

  TNotifyEvent OnChange;
  TNotifyEvent OnChanging;

 protected:
  ~TCanvas() override;
  virtual void CreateHandle() {}
  HDC CurrentHandle() const { return FHandle; }   // without making one
  // Deselects the objects and forgets the handle (what a canvas that owns its DC calls
  // before freeing it).
  void DeselectHandles();
  void RequiredState(TCanvasState ReqState);
  virtual void Changing();
  virtual void Changed();

 private:
  void FontChanged(TObject* Sender);
  void PenChanged(TObject* Sender);
  void BrushChanged(TObject* Sender);
  void CreateFont();
  void CreatePen();
  void CreateBrush();

  HDC FHandle = nullptr;
  TCanvasState FState;
  TFont* FFont = nullptr;
  TPen* FPen = nullptr;
  TBrush* FBrush = nullptr;
  TCopyMode FCopyMode = cmSrcCopy;
  Integer FLockCount = 0;
  TPoint FPenPos{};
  HGDIOBJ FOldFont = nullptr, FOldPen = nullptr, FOldBrush = nullptr;
};

// A canvas on a control's window. The controls unit installs the provider that gives a
// control's device context (a window DC from GetDC, or a graphic control's parent DC with
// the origin and clip moved) and the window to give it back to with ReleaseDC.
using TControlDCProvider = HDC (*)(TControl* Control, HWND& Window);
void SetControlCanvasDCProvider(TControlDCProvider Provider);

class TControlCanvas : public TCanvas {
  TL_CLASS(TControlCanvas, TCanvas)
 public:
  void BeforeDestruction() override;
  TControl* GetControl() const { return FControl; }
  void SetControl(TControl* Value);
  // Releases the device context made by CreateHandle (never one given by SetHandle).
  void FreeHandle();

 protected:
  void CreateHandle() override;

 private:
  TControl* FControl = nullptr;
  HDC FDeviceContext = nullptr;
  HWND FWindow = nullptr;
};

// A canvas on the whole screen: GetDC(0) on first use, released when freed.
class TScreenCanvas : public TCanvas {
  TL_CLASS(TScreenCanvas, TCanvas)
 public:
  void BeforeDestruction() override;
  void FreeHandle();

 protected:
  void CreateHandle() override;

 private:
  HDC FDeviceContext = nullptr;
};

// ---- Graphics ------------------------------------------------------------------------------------

// A graphic published as a sub-object (a glyph, say) is streamed as the binary property
// "Data": the bytes SaveToStream writes, read back by LoadFromStream, so a description can
// also give it a file: `Glyph.Data = {include 'glyphs/open.png'}`.
class TGraphic : public TPersistent {
  TL_CLASS(TGraphic, TPersistent)
 public:
  virtual bool Empty() const = 0;
  virtual Integer GetWidth() const = 0;
  virtual Integer GetHeight() const = 0;
  virtual void SetWidth(Integer Value) = 0;
  virtual void SetHeight(Integer Value) = 0;
  virtual bool GetTransparent() const { return FTransparent; }
  virtual void SetTransparent(bool Value);
  bool GetModified() const { return FModified; }
  void SetModified(bool Value) { FModified = Value; }

  virtual void LoadFromStream(TStream& Stream) = 0;
  virtual void SaveToStream(TStream& Stream) = 0;
  // Reads the whole file; EFOpenError when it cannot be opened.
  void LoadFromFile(const String& FileName);
  // Writes through a temporary file and a rename, so a failed save leaves the old file.
  void SaveToFile(const String& FileName);

  TNotifyEvent OnChange;

 protected:
  friend class TCanvas;
  virtual void Draw(TCanvas* ACanvas, const TRect& Rect) = 0;
  virtual void Changed(TObject* Sender);
  void DefineProperties(TFiler& Filer) override;

  bool FTransparent = false;
  bool FModified = false;
};

TL_ENUM(TPixelFormat, pfDevice, pf1bit, pf4bit, pf8bit, pf15bit, pf16bit, pf24bit, pf32bit, pfCustom);
TL_ENUM(TTransparentMode, tmAuto, tmFixed);

// A bitmap. Colour bitmaps are 32-bit DIB sections (rows top to bottom, 4 bytes per pixel
// B, G, R, X) whatever PixelFormat says: pf24bit and pfDevice are remembered and decide how
// SaveToStream writes the file. pf1bit (or Monochrome) makes a monochrome bitmap: every
// pixel is black or white, whichever is nearer, and ScanLine is unavailable.
//
// Resizing keeps the picture at the top left, clipped; new area is white. Setting Width or
// Height to 0 empties the bitmap (its handle is freed).
//
// Its pixels hold a share of the picture budget (DecodedPixels.h) whatever made them: a
// file, a copy, a size the program set, a handle taken over. A new image past the budget
// raises EOutOfResources and leaves the bitmap as it was.
class TBitmap : public TGraphic {
  TL_CLASS(TBitmap, TGraphic)
 public:
  void BeforeDestruction() override;
  void Assign(TPersistent* Source) override;

  bool Empty() const override { return FWidth == 0 || FHeight == 0; }
  Integer GetWidth() const override { return FWidth; }
  Integer GetHeight() const override { return FHeight; }
  void SetWidth(Integer Value) override;
  void SetHeight(Integer Value) override;
  void SetSize(Integer AWidth, Integer AHeight);

  TPixelFormat GetPixelFormat() const { return FPixelFormat; }
  void SetPixelFormat(TPixelFormat Value);
  bool GetMonochrome() const { return FPixelFormat == TPixelFormat::pf1bit; }
  void SetMonochrome(bool Value);
  // Row Row's first pixel (B, G, R, X bytes); ERangeError outside 0..Height-1.
  Byte* ScanLine(Integer Row);

  // tmAuto: the bottom-left pixel (clDefault while empty); tmFixed: the colour set.
  // Setting a colour switches to tmFixed, setting clDefault back to tmAuto.
  TColor GetTransparentColor();
  void SetTransparentColor(TColor Value);
  TTransparentMode GetTransparentMode() const { return FTransparentMode; }
  void SetTransparentMode(TTransparentMode Value);

  TCanvas* Canvas();
  // The bitmap (made on first use while the bitmap has a size; nullptr while empty).
  HBITMAP GetHandle();
  // Takes over Value (nullptr empties the bitmap). A handle refused by the picture budget
  // is deleted, and the bitmap keeps its image.
  void SetHandle(HBITMAP Value);
  // Gives the handle to the caller, leaving the bitmap empty.
  HBITMAP ReleaseHandle();
  bool HandleAllocated() const { return FHandle != nullptr; }

  // Makes this a monochrome mask: white where the pixel is TransparentColor, black elsewhere.
  void Mask(TColor TransparentColor);
  // Nothing to release: the picture is always held as one bitmap.
  void FreeImage() {}
  void Dormant() {}

  // A BMP (1 to 32 bits) or PNG file; EInvalidGraphic for anything else or a broken file,
  // EOutOfResources when its pixels do not fit in the decoded-picture budget (the bitmap is
  // then left as it was).
  void LoadFromStream(TStream& Stream) override;
  // A BMP file: 1 bit when monochrome, 32 bits for pf32bit, else 24 bits.
  void SaveToStream(TStream& Stream) override;
  // BITMAP resources (PNG files); EResNotFound when absent.
  void LoadFromResourceName(HINSTANCE Instance, const String& ResName);
  void LoadFromResourceID(HINSTANCE Instance, Integer ResID);

 protected:
  ~TBitmap() override;
  void Draw(TCanvas* ACanvas, const TRect& Rect) override;
  void Changed(TObject* Sender) override;

  // False in scratch bitmaps: their images made by the program hold no share.
  bool FCounted = true;

 private:
  friend class TBitmapCanvas;
  friend void BitmapFromImage(TBitmap* Bitmap, const DecodedImage& Image);
  void FreeContext();
  // The share a new image of W x H pixels needs, taken now (before anything changes);
  // empty for a scratch bitmap's own image. Decoded pixels are counted in every bitmap.
  TDecodedPixels ShareFor(Integer W, Integer H, bool Decoded = false) const;
  void NewImage(Integer AWidth, Integer AHeight, bool KeepContent);
  void NewImage(Integer AWidth, Integer AHeight, bool KeepContent, TDecodedPixels Share);
  void LoadImage(const Byte* Data, size_t Size);
  void SetImageFromPixels(Integer W, Integer H, const Pixel* Pixels, TPixelFormat Format, bool Decoded);

  HBITMAP FHandle = nullptr;
  Pixel* FBits = nullptr;   // DIB memory of colour bitmaps
  Integer FWidth = 0, FHeight = 0;
  // The image's share of the picture budget, given back with the image.
  TDecodedPixels FDecoded;
  TPixelFormat FPixelFormat = TPixelFormat::pfDevice;
  TTransparentMode FTransparentMode = TTransparentMode::tmAuto;
  TColor FTransparentColor = clDefault;
  TCanvas* FCanvas = nullptr;
};

// A bitmap the program sizes for itself: an off-screen buffer of one paint or measurement,
// or a cache of what a control draws on its own. Its images hold no share of the picture
// budget, except pixels it decodes from a file. Never a copy of a picture that is kept.
class TScratchBitmap : public TBitmap {
  TL_CLASS(TScratchBitmap, TBitmap)
 public:
  TScratchBitmap() { FCounted = false; }
};

// ---- Pictures -------------------------------------------------------------------------------------

using TGraphicClass = TMetaClass<TGraphic>;

// Graphic classes by file extension (without the dot, case-insensitive). The graphics unit
// registers "bmp" and "png" as TBitmap.
void RegisterFileFormat(const String& Extension, const String& Description, TGraphicClass GraphicClass);
void UnregisterGraphicClass(TGraphicClass GraphicClass);
// The class registered for Extension; an empty class when none is.
TGraphicClass GraphicClassForExtension(const String& Extension);

// Holds one graphic of any registered class. Its published form is the binary property
// "Data": the graphic's class name as a short string (a length byte and the name), then
// the graphic's own stream (a BMP file for bitmaps). A bare BMP or PNG file, which is what
// a window description's file include gives, is read as a bitmap.
class TPicture : public TPersistent {
  TL_CLASS(TPicture, TPersistent)
 public:
  void BeforeDestruction() override;
  void Assign(TPersistent* Source) override;

  TGraphic* GetGraphic() const { return FGraphic; }
  // Keeps a copy of Value (of the same class); nullptr empties the picture.
  void SetGraphic(TGraphic* Value);
  // The graphic as a bitmap, replacing any other kind of graphic with an empty bitmap.
  TBitmap* GetBitmap();
  void SetBitmap(TBitmap* Value) { SetGraphic(Value); }
  Integer GetWidth() const { return FGraphic ? FGraphic->GetWidth() : 0; }
  Integer GetHeight() const { return FGraphic ? FGraphic->GetHeight() : 0; }

  // By the file's extension; EInvalidGraphic for an unknown one. A file that fails to load
  // leaves the picture as it was.
  void LoadFromFile(const String& FileName);
  // In the graphic's own format whatever the extension (BMP for bitmaps); nothing when empty.
  void SaveToFile(const String& FileName);

  TNotifyEvent OnChange;

 protected:
  ~TPicture() override;
  void DefineProperties(TFiler& Filer) override;
  void Changed(TObject* Sender);

 private:
  void SetOwnedGraphic(TGraphic* Value);
  void ReadData(TStream& Stream);
  void WriteData(TStream& Stream);
  TGraphic* FGraphic = nullptr;
};
