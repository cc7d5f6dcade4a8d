#include "widgets/editcore/cxEdit.h"

#include "classlib/visual/Forms.h"
#include "platform/kernel/Units.h"
#include "platform/user/User.h"

void TlRegisterResources_widgets_editcore();

namespace {

UnitCounter gUnit;

}  // namespace

namespace cxEdit {

void Initialize() {
  if (!gUnit.Enter()) return;
  TlRegisterResources_widgets_editcore();
  cxEditProperties::Initialize();
  cxEditRepository::Initialize();
  // A failure takes back the steps before it; success keeps them.
  try {
    cxEditStyles::Initialize();
  } catch (...) {
    cxEditRepository::Finalize();
    cxEditProperties::Finalize();
    gUnit.Leave();
    throw;
  }
  // A cursor that cannot be loaded leaves its id on the default arrow.
  if (Screen)
    if (HCURSOR cursor = LoadCursorA(GetModuleHandleA(nullptr), "CXEDIT_MOUSEWHEEL"))
      Screen->SetCursors(crcxEditMouseWheel, cursor);
}

void Finalize() {
  if (!gUnit.Leave()) return;
  cxEditStyles::Finalize();
  cxEditRepository::Finalize();
  cxEditProperties::Finalize();
}

}  // namespace cxEdit
