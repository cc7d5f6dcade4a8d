// Colour, cursor and charset names, colour conversion and the graphics unit's start-up.
#include "classlib/core/Filer.h"
#include "classlib/core/SysUtils.h"
#include "classlib/visual/Graphics.h"
#include "classlib/visual/ImgList.h"
#include "classlib/visual/PictureGraphics.h"

#include <iterator>

namespace {

const TIdentMapEntry kColors[] = {
    {clBlack, "clBlack"},
    {clMaroon, "clMaroon"},
    {clGreen, "clGreen"},
    {clOlive, "clOlive"},
    {clNavy, "clNavy"},
    {clPurple, "clPurple"},
    {clTeal, "clTeal"},
    {clGray, "clGray"},
    {clSilver, "clSilver"},
    {clRed, "clRed"},
    {clLime, "clLime"},
    {clYellow, "clYellow"},
    {clBlue, "clBlue"},
    {clFuchsia, "clFuchsia"},
    {clAqua, "clAqua"},
    {clWhite, "clWhite"},
    {clMoneyGreen, "clMoneyGreen"},
    {clSkyBlue, "clSkyBlue"},
    {clCream, "clCream"},
    {clMedGray, "clMedGray"},
    {clActiveBorder, "clActiveBorder"},
    {clActiveCaption, "clActiveCaption"},
    {clAppWorkSpace, "clAppWorkSpace"},
    {clBackground, "clBackground"},
    {clBtnFace, "clBtnFace"},
    {clBtnHighlight, "clBtnHighlight"},
    {clBtnShadow, "clBtnShadow"},
    {clBtnText, "clBtnText"},
    {clCaptionText, "clCaptionText"},
    {clDefault, "clDefault"},
    {clGradientActiveCaption, "clGradientActiveCaption"},
    {clGradientInactiveCaption, "clGradientInactiveCaption"},
    {clGrayText, "clGrayText"},
    {clHighlight, "clHighlight"},
    {clHighlightText, "clHighlightText"},
    {clHotLight, "clHotLight"},
    {clInactiveBorder, "clInactiveBorder"},
    {clInactiveCaption, "clInactiveCaption"},
    {clInactiveCaptionText, "clInactiveCaptionText"},
    {clInfoBk, "clInfoBk"},
    {clInfoText, "clInfoText"},
    {clMenu, "clMenu"},
    {clMenuBar, "clMenuBar"},
    {clMenuHighlight, "clMenuHighlight"},
    {clMenuText, "clMenuText"},
    {clNone, "clNone"},
    {clScrollBar, "clScrollBar"},
    {cl3DDkShadow, "cl3DDkShadow"},
    {cl3DLight, "cl3DLight"},
    {clWindow, "clWindow"},
    {clWindowFrame, "clWindowFrame"},
    {clWindowText, "clWindowText"},
};

const TIdentMapEntry kCursors[] = {
    {crDefault, "crDefault"},     {crNone, "crNone"},         {crArrow, "crArrow"},
    {crCross, "crCross"},         {crIBeam, "crIBeam"},       {crSizeNESW, "crSizeNESW"},
    {crSizeNS, "crSizeNS"},       {crSizeNWSE, "crSizeNWSE"}, {crSizeWE, "crSizeWE"},
    {crUpArrow, "crUpArrow"},     {crHourGlass, "crHourGlass"}, {crDrag, "crDrag"},
    {crNoDrop, "crNoDrop"},       {crHSplit, "crHSplit"},     {crVSplit, "crVSplit"},
    {crMultiDrag, "crMultiDrag"}, {crSQLWait, "crSQLWait"},   {crNo, "crNo"},
    {crAppStart, "crAppStart"},   {crHelp, "crHelp"},         {crHandPoint, "crHandPoint"},
    {crSizeAll, "crSizeAll"},
};

const TIdentMapEntry kCharsets[] = {
    {ANSI_CHARSET, "ANSI_CHARSET"},
    {DEFAULT_CHARSET, "DEFAULT_CHARSET"},
    {SYMBOL_CHARSET, "SYMBOL_CHARSET"},
    {77, "MAC_CHARSET"},
    {SHIFTJIS_CHARSET, "SHIFTJIS_CHARSET"},
    {HANGEUL_CHARSET, "HANGEUL_CHARSET"},
    {130, "JOHAB_CHARSET"},
    {GB2312_CHARSET, "GB2312_CHARSET"},
    {CHINESEBIG5_CHARSET, "CHINESEBIG5_CHARSET"},
    {GREEK_CHARSET, "GREEK_CHARSET"},
    {TURKISH_CHARSET, "TURKISH_CHARSET"},
    {163, "VIETNAMESE_CHARSET"},
    {HEBREW_CHARSET, "HEBREW_CHARSET"},
    {ARABIC_CHARSET, "ARABIC_CHARSET"},
    {BALTIC_CHARSET, "BALTIC_CHARSET"},
    {RUSSIAN_CHARSET, "RUSSIAN_CHARSET"},
    {THAI_CHARSET, "THAI_CHARSET"},
    {EASTEUROPE_CHARSET, "EASTEUROPE_CHARSET"},
    {OEM_CHARSET, "OEM_CHARSET"},
};

int g_initCount = 0;

}  // namespace

COLORREF ColorToRGB(TColor Color) {
  if (Color == clNone || Color == clDefault) return COLORREF(Color);
  if (Color < 0) return GetSysColor(int(Color & 0xFF));
  return COLORREF(Color) & 0x00FFFFFF;
}

COLORREF ColorToDevice(TColor Color) { return ColorToRGB(Color) & 0x00FFFFFF; }

bool ColorToIdent(Integer Color, String& Ident) { return IntToIdent(Color, Ident, kColors, std::size(kColors)); }
bool IdentToColor(const String& Ident, Integer& Color) {
  return IdentToInt(Ident, Color, kColors, std::size(kColors));
}

String ColorToString(TColor Color) {
  String s;
  if (ColorToIdent(Color, s)) return s;
  return "$" + IntToHex(Integer(Color), 8);
}

TColor StringToColor(const String& S) {
  Integer v = 0;
  if (IdentToColor(S, v)) return v;
  if (TryStrToInt(S, v)) return v;
  throw EConvertError("'" + S + "' is not a valid colour");
}

bool CursorToIdent(Integer Cursor, String& Ident) {
  return IntToIdent(Cursor, Ident, kCursors, std::size(kCursors));
}
bool IdentToCursor(const String& Ident, Integer& Cursor) {
  return IdentToInt(Ident, Cursor, kCursors, std::size(kCursors));
}

bool CharsetToIdent(Integer Charset, String& Ident) {
  return IntToIdent(Charset, Ident, kCharsets, std::size(kCharsets));
}
bool IdentToCharset(const String& Ident, Integer& Charset) {
  return IdentToInt(Ident, Charset, kCharsets, std::size(kCharsets));
}

void GraphicsInitialize() {
  if (g_initCount++ > 0) return;
  RegisterIntegerConsts("TColor", IdentToColor, ColorToIdent);
  RegisterIntegerConsts("TCursor", IdentToCursor, CursorToIdent);
  RegisterIntegerConsts("TFontCharset", IdentToCharset, CharsetToIdent);
  RegisterClasses({&TFont::StaticClass(), &TPen::StaticClass(), &TBrush::StaticClass(),
                   &TBitmap::StaticClass(), &TPicture::StaticClass(), &TImageList::StaticClass()});
  RegisterFileFormat("bmp", "Bitmaps", ClassOf<TBitmap, TGraphic>());
  RegisterFileFormat("png", "Portable network graphics", ClassOf<TBitmap, TGraphic>());
  RegisterClasses({&TIcon::StaticClass(), &TJPEGImage::StaticClass(), &TMetafile::StaticClass()});
  RegisterFileFormat("ico", "Icons", ClassOf<TIcon, TGraphic>());
  RegisterFileFormat("jpg", "JPEG images", ClassOf<TJPEGImage, TGraphic>());
  RegisterFileFormat("jpeg", "JPEG images", ClassOf<TJPEGImage, TGraphic>());
  RegisterFileFormat("emf", "Enhanced metafiles", ClassOf<TMetafile, TGraphic>());
  RegisterFileFormat("wmf", "Metafiles", ClassOf<TMetafile, TGraphic>());
}

void GraphicsFinalize() {
  if (g_initCount == 0 || --g_initCount > 0) return;
  UnregisterGraphicClass(ClassOf<TMetafile, TGraphic>());
  UnregisterGraphicClass(ClassOf<TJPEGImage, TGraphic>());
  UnregisterGraphicClass(ClassOf<TIcon, TGraphic>());
  UnRegisterClass(TMetafile::StaticClass());
  UnRegisterClass(TJPEGImage::StaticClass());
  UnRegisterClass(TIcon::StaticClass());
  UnregisterGraphicClass(ClassOf<TBitmap, TGraphic>());
  UnRegisterClass(TImageList::StaticClass());
  UnRegisterClass(TPicture::StaticClass());
  UnRegisterClass(TBitmap::StaticClass());
  UnRegisterClass(TBrush::StaticClass());
  UnRegisterClass(TPen::StaticClass());
  UnRegisterClass(TFont::StaticClass());
  UnregisterIntegerConsts("TFontCharset");
  UnregisterIntegerConsts("TCursor");
  UnregisterIntegerConsts("TColor");
}
