// The editor framework: the editor control, edit buttons, editor properties, styles and style
// controllers, the edit repository and its items, and the editor class registry. The
// unit's start-up loads the mouse-wheel cursor and makes the shared objects.
#pragma once

#include "widgets/editcore/cxEditButtons.h"
#include "widgets/editcore/cxEditControl.h"
#include "widgets/editcore/cxEditProperties.h"
#include "widgets/editcore/cxEditRepository.h"
#include "widgets/editcore/cxEditStyles.h"
#include "widgets/editcore/cxEditViewData.h"

// Screen cursor id of the editors' mouse-wheel cursor.
inline constexpr TCursor crcxEditMouseWheel = 4101;

namespace cxEdit {
// Counted: the live properties list, the mouse-wheel cursor, the default editor style
// controller; the last Finalize also frees the default repository and the class registry.
void Initialize();
void Finalize();
}  // namespace cxEdit
