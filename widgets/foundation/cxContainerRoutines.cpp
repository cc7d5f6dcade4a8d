// Small routines shared by the container classes: frames, regions, window tests.
#include "widgets/foundation/cxContainer.h"

// Placeholders until the routines are built; each answers the neutral value.
void cxLookUpGetScrollBarInfo() {}
bool cxIsGetScrollBarInfoAvailable() { return false; }
bool cxGetScrollBarInfo(HWND, Integer, SCROLLBARINFO&) { return false; }
bool cxAreStringsEqual(const String& S1, const String& S2, bool) { return S1 == S2; }
TRect cxGetControlRect(TControl* AControl) { return {0, 0, AControl->GetWidth(), AControl->GetHeight()}; }
void cxFillRectFrame(TcxCanvas&, const TRect&, const TRect&, TColor) {}
void cxInvalidateRectFrame(HWND, const TRect&, const TRect&, bool) {}
void cxInvalidateControlRect(TWinControl*, const TRect&, bool) {}
void cxShrinkSidesWithoutBorder(TRect&, Integer, TcxBorders) {}
void cxUpdateWindowRegion(HWND, const TRect&, bool, const TRect&, bool) {}
void cxSetWindowRegionFromInfo(TWinControl*, const TcxContainerInnerControlBounds&) {}
bool cxIsWindowOfControl(TWinControl* AControl, HWND AWnd) {
  return AControl && AControl->HandleAllocated() && AControl->GetHandle() == AWnd;
}
TcxContainer* cxGetInnerControlContainer(TControl* AControl) {
  if (auto* c = dynamic_cast<TcxContainer*>(AControl)) return c;
  if (auto* i = dynamic_cast<IcxContainerInnerControl*>(AControl)) return i->GetControlContainer();
  return nullptr;
}
bool cxIsNativeThemeUsable(bool ANativeStyle, TdxThemedObjectType AObjectType) {
  return ANativeStyle && cxOpenTheme(AObjectType) != nullptr;
}
Integer cxTranslateMouseButton(TMouseButton AButton) {
  switch (AButton) {
    case TMouseButton::mbLeft: return 1;
    case TMouseButton::mbRight: return 2;
    case TMouseButton::mbMiddle: return 3;
  }
  return 0;
}
void cxAssignFont(TFont* ADest, TFont* ASource) { ADest->Assign(ASource); }
void cxEmptyProcedure() {}
Integer cxVerticalAlignmentToTextFlag(TVerticalAlignment AAlignment) {
  switch (AAlignment) {
    case TVerticalAlignment::taAlignTop: return cxAlignTop;
    case TVerticalAlignment::taVerticalCenter: return cxAlignVCenter;
    case TVerticalAlignment::taAlignBottom: return cxAlignBottom;
  }
  return cxAlignTop;
}
TRect cxGetInnerControlSizeGripRect(IcxContainerInnerControl*) { return {}; }
TPoint cxGetCursorPos() {
  POINT p{};
  GetCursorPos(&p);
  return p;
}
TShiftState cxGetShiftState() { return {}; }
