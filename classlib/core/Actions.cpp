#include "classlib/core/Actions.h"

TL_DEFINE_CLASS(TBasicAction)
