#include "platform/gdi/Font.h"

#include "platform/gdi/DeviceContext.h"

#include <algorithm>
#include <cstring>

namespace {

FontDesc DescFromLogFont(const LOGFONTA& lf) {
  FontDesc d;
  d.Height = lf.lfHeight;
  d.Width = lf.lfWidth;
  d.Escapement = lf.lfEscapement;
  d.Orientation = lf.lfOrientation;
  d.Weight = lf.lfWeight;
  d.Italic = lf.lfItalic != 0;
  d.Underline = lf.lfUnderline != 0;
  d.StrikeOut = lf.lfStrikeOut != 0;
  d.OutPrecision = lf.lfOutPrecision;
  // The face name need not be terminated within its 32 bytes.
  d.FaceName.assign(lf.lfFaceName, strnlen(lf.lfFaceName, LF_FACESIZE));
  return d;
}

LOGFONTA MakeLogFont(LONG height, LONG weight, const char* face) {
  LOGFONTA lf{};
  lf.lfHeight = height;
  lf.lfWeight = weight;
  lf.lfCharSet = ANSI_CHARSET;
  std::strncpy(lf.lfFaceName, face, LF_FACESIZE - 1);
  return lf;
}

const LOGFONTA& SystemLogFont() {
  static const LOGFONTA lf = MakeLogFont(16, FW_BOLD, "System");
  return lf;
}

}  // namespace

LogFontObject::LogFontObject(const LOGFONTA& lf)
    : GdiObject(OBJ_FONT), LogFont(lf), Desc(DescFromLogFont(lf)) {
  LogFont.lfFaceName[LF_FACESIZE - 1] = '\0';
}

int LogFontObject::GetObjectData(int size, void* buffer) const {
  if (!buffer) return int(sizeof(LOGFONTA));
  int n = std::min(size, int(sizeof(LOGFONTA)));
  if (n <= 0) return 0;
  std::memcpy(buffer, &LogFont, size_t(n));
  return n;
}

HFONT CreateFontIndirectA(const LOGFONTA* lf) {
  if (!lf) return nullptr;
  return static_cast<HFONT>(GdiAlloc(std::make_shared<LogFontObject>(*lf)));
}

HFONT CreateFontA(int height, int width, int escapement, int orientation, int weight, DWORD italic,
                  DWORD underline, DWORD strikeOut, DWORD charSet, DWORD outPrecision,
                  DWORD clipPrecision, DWORD quality, DWORD pitchAndFamily, LPCSTR faceName) {
  LOGFONTA lf{};
  lf.lfHeight = height;
  lf.lfWidth = width;
  lf.lfEscapement = escapement;
  lf.lfOrientation = orientation;
  lf.lfWeight = weight;
  lf.lfItalic = BYTE(italic != 0);
  lf.lfUnderline = BYTE(underline != 0);
  lf.lfStrikeOut = BYTE(strikeOut != 0);
  lf.lfCharSet = BYTE(charSet);
  lf.lfOutPrecision = BYTE(outPrecision);
  lf.lfClipPrecision = BYTE(clipPrecision);
  lf.lfQuality = BYTE(quality);
  lf.lfPitchAndFamily = BYTE(pitchAndFamily);
  if (faceName) std::strncpy(lf.lfFaceName, faceName, LF_FACESIZE - 1);
  return CreateFontIndirectA(&lf);
}

void RegisterStockFonts() {
  static bool done = false;
  if (done) return;
  done = true;
  auto font = [](const LOGFONTA& lf) { return std::make_shared<LogFontObject>(lf); };
  RegisterStockObject(SYSTEM_FONT, font(SystemLogFont()));
  RegisterStockObject(DEVICE_DEFAULT_FONT, font(SystemLogFont()));
  RegisterStockObject(DEFAULT_GUI_FONT, font(MakeLogFont(-11, FW_NORMAL, "MS Shell Dlg")));
  RegisterStockObject(ANSI_VAR_FONT, font(MakeLogFont(12, FW_NORMAL, "MS Sans Serif")));
  RegisterStockObject(ANSI_FIXED_FONT, font(MakeLogFont(12, FW_NORMAL, "Courier New")));
  RegisterStockObject(OEM_FIXED_FONT, font(MakeLogFont(12, FW_NORMAL, "Courier New")));
  RegisterStockObject(SYSTEM_FIXED_FONT, font(MakeLogFont(16, FW_NORMAL, "Courier New")));
}

const FontDesc& DcFontDesc(const DeviceContext& dc) {
  if (GdiObject* o = dc.State.Font.Object.get(); o && o->Kind() == OBJ_FONT) {
    return static_cast<const LogFontObject*>(o)->Desc;
  }
  static const FontDesc system = DescFromLogFont(SystemLogFont());
  return system;
}

BOOL GetTextMetricsA(HDC hdc, TEXTMETRICA* tm) {
  DeviceContext* dc = DcFromHandle(hdc);
  if (!dc || !tm) return FALSE;
  FontMetrics m = MetricsFor(DcFontDesc(*dc));
  tm->tmHeight = m.Height;
  tm->tmAscent = m.Ascent;
  tm->tmDescent = m.Descent;
  tm->tmInternalLeading = m.InternalLeading;
  tm->tmExternalLeading = m.ExternalLeading;
  tm->tmAveCharWidth = m.AveCharWidth;
  tm->tmMaxCharWidth = m.MaxCharWidth;
  tm->tmWeight = m.Weight;
  tm->tmOverhang = m.Overhang;
  tm->tmDigitizedAspectX = m.DigitizedAspectX;
  tm->tmDigitizedAspectY = m.DigitizedAspectY;
  tm->tmFirstChar = m.FirstChar;
  tm->tmLastChar = m.LastChar;
  tm->tmDefaultChar = m.DefaultChar;
  tm->tmBreakChar = m.BreakChar;
  tm->tmItalic = m.Italic;
  tm->tmUnderlined = m.Underlined;
  tm->tmStruckOut = m.StruckOut;
  tm->tmPitchAndFamily = m.PitchAndFamily;
  tm->tmCharSet = m.CharSet;
  return TRUE;
}
