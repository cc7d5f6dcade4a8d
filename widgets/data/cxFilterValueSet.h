// The IN list's index: the class library's value set, which compares as the filter
// operators compare (see there).
#pragma once

#include "classlib/core/VariantValueSet.h"

class TcxFilterValueSet : public TVariantValueSet {
 public:
  using TVariantValueSet::TVariantValueSet;
};
