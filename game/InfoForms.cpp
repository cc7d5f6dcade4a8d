#include "game/InfoForms.h"

TFormAbout* FormAbout = nullptr;
THowToForm* HowToForm = nullptr;

namespace {

template <class T>
T* Part(TComponent* Owner, const char* Name) {
  return dynamic_cast<T*>(Owner->FindComponent(Name));
}

}  // namespace

TFormAbout::TFormAbout(TComponent* AOwner) : TForm(AOwner) {}

void TFormAbout::BeforeDestruction() {
  if (FormAbout == this) FormAbout = nullptr;
  inherited::BeforeDestruction();
}

void TFormAbout::Loaded() {
  inherited::Loaded();
  iLogo = Part<TImage>(this, "iLogo");
  lName = Part<TcxLabel>(this, "lName");
  lCopyright = Part<TcxLabel>(this, "lCopyright");
  lText = Part<TcxLabel>(this, "lText");
  lDonate = Part<TcxHyperLinkEdit>(this, "lDonate");
  bOK = Part<TcxButton>(this, "bOK");
  if (!iLogo || !lName || !lCopyright || !lText || !lDonate || !bOK)
    throw EInvalidOperation("The about box's description lacks one of its controls");
}

THowToForm::THowToForm(TComponent* AOwner) : TForm(AOwner) {}

void THowToForm::BeforeDestruction() {
  if (HowToForm == this) HowToForm = nullptr;
  inherited::BeforeDestruction();
}

void THowToForm::Loaded() {
  inherited::Loaded();
  iLogo = Part<TImage>(this, "iLogo");
  cxLabel1 = Part<TcxLabel>(this, "cxLabel1");
  cxLabel2 = Part<TcxLabel>(this, "cxLabel2");
  bOK = Part<TcxButton>(this, "bOK");
  if (!iLogo || !cxLabel1 || !cxLabel2 || !bOK)
    throw EInvalidOperation("The how-to-play box's description lacks one of its controls");
}

TL_DEFINE_CLASS(TFormAbout)
TL_DEFINE_CLASS(THowToForm)
