// Data-aware editors: the field data links and bindings that tie an editor to one field of
// a data set, the default-values provider that hands the field's settings to the editor's
// properties, and the editor classes that choose them.
#pragma once

#include "widgets/databinding/cxDBUtils.h"

namespace cxDBEdit {
// The data-aware editor classes for window descriptions; shut-down removes them.
void Initialize();
void Finalize();
}  // namespace cxDBEdit
