#include "widgets/editcore/cxEditViewData.h"

TL_DEFINE_CLASS(TcxCustomEditViewData, [](auto&) {});
