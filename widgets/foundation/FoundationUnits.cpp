#include "widgets/foundation/FoundationUnits.h"

#include "platform/kernel/Units.h"
#include "widgets/foundation/cxClasses.h"
#include "widgets/foundation/cxContainerPopup.h"
#include "widgets/foundation/cxControls.h"
#include "widgets/foundation/cxLookAndFeelPainterImages.h"
#include "widgets/foundation/cxLookAndFeelPainters.h"
#include "widgets/foundation/cxLookAndFeelPaintersNative.h"
#include "widgets/foundation/cxLookAndFeels.h"
#include "widgets/foundation/dxOffice11.h"
#include "widgets/foundation/dxThemeManager.h"
#include "widgets/foundation/dxUxTheme.h"

namespace {

// The native painter joins the painter choice only once the theme units are up.
void NativePainterInitialize() { cxRegisterNativePainter(cxNativePainter()); }
void NativePainterFinalize() { cxRegisterNativePainter(nullptr); }

const UnitEntry kFoundationUnits[] = {
    {"cxClasses", cxClasses::Initialize, cxClasses::Finalize},
    {"cxControls", cxControls::Initialize, cxControls::Finalize},
    {"dxUxTheme", dxUxTheme::Initialize, dxUxTheme::Finalize},
    {"dxThemeManager", dxThemeManager::Initialize, dxThemeManager::Finalize},
    {"cxLookAndFeels", cxLookAndFeels::Initialize, cxLookAndFeels::Finalize},
    {"NativePainter", NativePainterInitialize, NativePainterFinalize},
    {"dxOffice11", dxOffice11::Initialize, dxOffice11::Finalize},
    {"cxLookAndFeelPainterImages", cxLookAndFeelPainterImages::Initialize,
     cxLookAndFeelPainterImages::Finalize},
    {"cxContainer", cxContainerStartUp, cxContainerShutDown},
};
UnitCounter gFoundation;

}  // namespace

void WidgetsFoundationInitialize() {
  if (!gFoundation.Enter()) return;
  // Only a failed start gives the count back; a started layer stays entered until Finalize.
  try {
    InitializeUnits(kFoundationUnits);
  } catch (...) {
    gFoundation.Leave();
    throw;
  }
}

void WidgetsFoundationFinalize() {
  if (gFoundation.Leave()) FinalizeUnits(kFoundationUnits);
}
