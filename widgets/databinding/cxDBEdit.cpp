#include "widgets/databinding/cxDBEdit.h"

namespace cxDBEdit {

void Initialize() {}
void Finalize() {}

}  // namespace cxDBEdit
