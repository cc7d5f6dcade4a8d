// The two boxes of unit `main` that only inform: the about box (the logo, the game's name,
// its copyright, a word on donations and a link to the download page) and the how-to-play
// box (the logo, the rules and where the idea comes from). Each closes with its OK button.
#pragma once

#include "classlib/visual/ExtCtrls.h"
#include "classlib/visual/Forms.h"
#include "widgets/editors/cxButtons.h"
#include "widgets/editors/cxHyperLinkEdit.h"
#include "widgets/editors/cxLabel.h"

class TFormAbout : public TForm {
  TL_CLASS(TFormAbout, TForm)
 public:
  explicit TFormAbout(TComponent* AOwner);
  void BeforeDestruction() override;

  TImage* iLogo = nullptr;
  TcxLabel* lName = nullptr;
  TcxLabel* lCopyright = nullptr;
  TcxLabel* lText = nullptr;
  TcxHyperLinkEdit* lDonate = nullptr;
  TcxButton* bOK = nullptr;

 protected:
  void Loaded() override;
};

class THowToForm : public TForm {
  TL_CLASS(THowToForm, TForm)
 public:
  explicit THowToForm(TComponent* AOwner);
  void BeforeDestruction() override;

  TImage* iLogo = nullptr;
  TcxLabel* cxLabel1 = nullptr;
  TcxLabel* cxLabel2 = nullptr;
  TcxButton* bOK = nullptr;

 protected:
  void Loaded() override;
};

// The boxes the program made at start-up; nullptr while there are none.
extern TFormAbout* FormAbout;
extern THowToForm* HowToForm;
