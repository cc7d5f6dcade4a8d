#include "classlib/visual/VisualUnits.h"

#include "classlib/visual/ActnList.h"
#include "classlib/visual/Clipbrd.h"
#include "classlib/visual/ExtCtrls.h"
#include "classlib/visual/ComCtrls.h"
#include "classlib/visual/Forms.h"
#include "classlib/visual/Grids.h"
#include "classlib/visual/Menus.h"
#include "classlib/visual/StdCtrls.h"
#include "platform/kernel/Units.h"

namespace {
const UnitEntry kVisualUnits[] = {
    {"Graphics", GraphicsInitialize, GraphicsFinalize},
    {"Controls", ControlsUnit::Initialize, ControlsUnit::Finalize},
    {"Forms", FormsUnit::Initialize, FormsUnit::Finalize},
    {"Clipbrd", ClipbrdUnit::Initialize, ClipbrdUnit::Finalize},
    {"ExtCtrls", ExtCtrlsUnit::Initialize, ExtCtrlsUnit::Finalize},
    {"Menus", MenusUnit::Initialize, MenusUnit::Finalize},
    {"ActnList", ActnListUnit::Initialize, ActnListUnit::Finalize},
    {"StdCtrls", StdCtrlsUnit::Initialize, StdCtrlsUnit::Finalize},
    {"ComCtrls", ComCtrlsUnit::Initialize, ComCtrlsUnit::Finalize},
    {"Grids", GridsUnit::Initialize, GridsUnit::Finalize},
};
UnitCounter gVisual;
}  // namespace

void ClasslibVisualInitialize() {
  if (!gVisual.Enter()) return;
  // Only a failed start gives the count back; a started layer stays entered until Finalize.
  try {
    InitializeUnits(kVisualUnits);
  } catch (...) {
    gVisual.Leave();
    throw;
  }
}

void ClasslibVisualFinalize() {
  if (gVisual.Leave()) FinalizeUnits(kVisualUnits);
}
