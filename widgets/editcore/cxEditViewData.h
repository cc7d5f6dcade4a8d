// The calculator half of an editor's calculate-then-paint pair: a short-lived object that
// the properties make for a style and an in-place state. This unit holds what the
// settings classes need of it; the layout itself completes this class.
#pragma once

#include "classlib/core/Classes.h"

class TcxCustomEditProperties;
class TcxCustomEditStyle;

class TcxCustomEditViewData : public TPersistent {
  TL_CLASS(TcxCustomEditViewData, TPersistent)
 public:
  TcxCustomEditViewData(TcxCustomEditProperties* AProperties, TcxCustomEditStyle* AStyle, bool AIsInplace)
      : Properties(AProperties), Style(AStyle), IsInplace(AIsInplace) {}

  TcxCustomEditProperties* Properties;  // not owned
  TcxCustomEditStyle* Style;            // not owned
  bool IsInplace;
  bool PreviewMode = false;
};
