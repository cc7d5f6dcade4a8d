#include "widgets/editcore/EditcoreUnits.h"

#include "platform/kernel/Units.h"
#include "widgets/editcore/cxDateUtils.h"
#include "widgets/editcore/cxEdit.h"
#include "widgets/editcore/cxEditPaintUtils.h"
#include "widgets/editcore/cxFormats.h"
#include "widgets/editcore/cxMaskEdit.h"
#include "widgets/editcore/cxTextEditControl.h"

namespace {

const UnitEntry kEditcoreUnits[] = {
    {"cxDateUtils", cxDateUtils::Initialize, cxDateUtils::Finalize},
    {"cxFormats", cxFormats::Initialize, cxFormats::Finalize},
    {"cxEditPaintUtils", cxEditPaintUtils::Initialize, cxEditPaintUtils::Finalize},
    {"cxEdit", cxEdit::Initialize, cxEdit::Finalize},
    {"cxTextEditControl", cxTextEditControl::Initialize, cxTextEditControl::Finalize},
    {"cxMaskEdit", cxMaskEdit::Initialize, cxMaskEdit::Finalize},
};
UnitCounter gEditcore;

}  // namespace

void WidgetsEditcoreInitialize() {
  if (!gEditcore.Enter()) return;
  // A failure leaves the layer unentered; success keeps it entered.
  try {
    InitializeUnits(kEditcoreUnits);
  } catch (...) {
    gEditcore.Leave();
    throw;
  }
}

void WidgetsEditcoreFinalize() {
  if (gEditcore.Leave()) FinalizeUnits(kEditcoreUnits);
}
