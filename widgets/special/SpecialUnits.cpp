#include "widgets/special/SpecialUnits.h"

#include "platform/kernel/Units.h"
#include "widgets/special/cxButtonEdit.h"
#include "widgets/special/cxCalcEdit.h"
#include "widgets/special/cxCurrencyEdit.h"
#include "widgets/special/cxDateEdit.h"
#include "widgets/special/cxEditRepositoryItems.h"
#include "widgets/special/cxTimeEdit.h"

namespace {

const UnitEntry kSpecialUnits[] = {
    {"cxButtonEdit", cxButtonEdit::Initialize, cxButtonEdit::Finalize},
    {"cxCalcEdit", cxCalcEdit::Initialize, cxCalcEdit::Finalize},
    {"cxCurrencyEdit", cxCurrencyEdit::Initialize, cxCurrencyEdit::Finalize},
    {"cxTimeEdit", cxTimeEdit::Initialize, cxTimeEdit::Finalize},
    {"cxDateEdit", cxDateEdit::Initialize, cxDateEdit::Finalize},
    {"cxImage", cxImage::Initialize, cxImage::Finalize},
    {"cxImageComboBox", cxImageComboBox::Initialize, cxImageComboBox::Finalize},
    {"cxBlobEdit", cxBlobEdit::Initialize, cxBlobEdit::Finalize},
    {"cxEditRepositoryItems", cxEditRepositoryItems::Initialize, cxEditRepositoryItems::Finalize},
};
UnitCounter gSpecial;

}  // namespace

void WidgetsSpecialInitialize() {
  if (!gSpecial.Enter()) return;
  // A failure leaves the layer unentered; success keeps it entered.
  try {
    InitializeUnits(kSpecialUnits);
  } catch (...) {
    gSpecial.Leave();
    throw;
  }
}

void WidgetsSpecialFinalize() {
  if (gSpecial.Leave()) FinalizeUnits(kSpecialUnits);
}
