// The two dialogs of unit `main` that ask for values: the settings (the board's size and
// colour count, with "Restore Defaults") and the number of a new game. Each answers OK or
// Cancel; the main window reads the spin edits after OK.
#pragma once

#include "classlib/visual/Forms.h"
#include "widgets/editors/cxButtons.h"
#include "widgets/editors/cxGroupBox.h"
#include "widgets/editors/cxLabel.h"
#include "widgets/editors/cxSpinEdit.h"

// A spin edit's value as a whole number within Lo..Hi: fractions rounded, anything else
// (a value out of range, not a number) brought to the nearest bound. A focused spin edit
// answers the typed text's value, which no bound has checked yet.
Integer SpinInteger(TcxCustomSpinEdit* Edit, Integer Lo, Integer Hi);

class TFormSettings : public TForm {
  TL_CLASS(TFormSettings, TForm)
 public:
  explicit TFormSettings(TComponent* AOwner);
  void BeforeDestruction() override;

  TcxGroupBox* cxGroupBox1 = nullptr;
  TcxSpinEdit* seSize = nullptr;
  TcxSpinEdit* seColors = nullptr;
  TcxButton* bDefaults = nullptr;
  TcxButton* bOK = nullptr;
  TcxButton* bCancel = nullptr;

  // "Restore Defaults": 10 cells, 4 colours.
  void bDefaultsClick(TObject* Sender);

 protected:
  void Loaded() override;
};

class TNumberForm : public TForm {
  TL_CLASS(TNumberForm, TForm)
 public:
  explicit TNumberForm(TComponent* AOwner);
  void BeforeDestruction() override;

  TcxSpinEdit* eNumber = nullptr;
  TcxButton* bOK = nullptr;
  TcxButton* bCancel = nullptr;

 protected:
  void Loaded() override;
};

// The dialogs the program made at start-up; nullptr while there are none.
extern TFormSettings* FormSettings;
extern TNumberForm* NumberForm;
