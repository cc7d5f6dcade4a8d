#include "widgets/editors/EditorsUnits.h"

#include "platform/kernel/Units.h"
#include "widgets/editors/cxButtons.h"
#include "widgets/editors/cxCheckBox.h"
#include "widgets/editors/cxComboBox.h"
#include "widgets/editors/cxMRUEdit.h"
#include "widgets/editors/cxPopupEdit.h"
#include "widgets/editors/cxGroupBox.h"
#include "widgets/editors/cxHyperLinkEdit.h"
#include "widgets/editors/cxRadioGroup.h"
#include "widgets/editors/cxLabel.h"
#include "widgets/editors/cxListBox.h"
#include "widgets/editors/cxMemo.h"
#include "widgets/editors/cxSpinEdit.h"

namespace {

const UnitEntry kEditorsUnits[] = {
    {"cxButtons", cxButtons::Initialize, cxButtons::Finalize},
    {"cxCheckBox", cxCheckBox::Initialize, cxCheckBox::Finalize},
    {"cxGroupBox", cxGroupBox::Initialize, cxGroupBox::Finalize},
    {"cxRadioGroup", cxRadioGroup::Initialize, cxRadioGroup::Finalize},
    {"cxRadioGroupControl", cxRadioGroupControl::Initialize, cxRadioGroupControl::Finalize},
    {"cxLabel", cxLabelInitialize, cxLabelFinalize},
    {"cxHyperLinkEdit", cxHyperLinkEdit::Initialize, cxHyperLinkEdit::Finalize},
    {"cxMemo", cxMemo::Initialize, cxMemo::Finalize},
    {"cxListBox", cxListBox::Initialize, cxListBox::Finalize},
    {"cxSpinEdit", cxSpinEdit::Initialize, cxSpinEdit::Finalize},
    {"cxComboBox", cxComboBox::Initialize, cxComboBox::Finalize},
    {"cxPopupEdit", cxPopupEdit::Initialize, cxPopupEdit::Finalize},
    {"cxMRUEdit", cxMRUEdit::Initialize, cxMRUEdit::Finalize},
};
UnitCounter gEditors;

}  // namespace

void WidgetsEditorsInitialize() {
  if (!gEditors.Enter()) return;
  // Only a failed start gives the count back; a started layer stays entered until Finalize.
  try {
    InitializeUnits(kEditorsUnits);
  } catch (...) {
    gEditors.Leave();
    throw;
  }
}

void WidgetsEditorsFinalize() {
  if (gEditors.Leave()) FinalizeUnits(kEditorsUnits);
}
