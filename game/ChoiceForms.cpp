#include "game/ChoiceForms.h"

#include "game/Board.h"

#include <cmath>

TFormSettings* FormSettings = nullptr;
TNumberForm* NumberForm = nullptr;

namespace {

template <class T>
T* Part(TComponent* Owner, const char* Name) {
  return dynamic_cast<T*>(Owner->FindComponent(Name));
}

// The settings' controls take the standard look with the native style, which the spin
// edit does not publish.
void StandardLook(TcxCustomSpinEdit* Edit) {
  TcxLookAndFeel* look = Edit->GetStyle()->GetLookAndFeel();
  look->SetKind(TcxLookAndFeelKind::lfStandard);
  look->SetNativeStyle(true);
}

}  // namespace

Integer SpinInteger(TcxCustomSpinEdit* Edit, Integer Lo, Integer Hi) {
  double v = 0;
  // A number typed beyond the field's range stays shown when the dialog closes, but the
  // field refuses it as its value and keeps the old one: what is shown is the choice, and
  // it is brought into the range here rather than lost.
  if (!TryStrToFloat(Trim(Edit->GetText()), v)) {
    try {
      v = Edit->GetValue().AsDouble();
    } catch (const std::exception&) {
      return Lo;
    }
  }
  if (std::isnan(v)) return Lo;
  // Halves go to the even neighbour, as the variant's own rounding does.
  return Integer(std::clamp(std::nearbyint(v), double(Lo), double(Hi)));
}

// ---- Settings ----------------------------------------------------------------------------

TFormSettings::TFormSettings(TComponent* AOwner) : TForm(AOwner) {}

void TFormSettings::BeforeDestruction() {
  if (FormSettings == this) FormSettings = nullptr;
  inherited::BeforeDestruction();
}

void TFormSettings::Loaded() {
  inherited::Loaded();
  cxGroupBox1 = Part<TcxGroupBox>(this, "cxGroupBox1");
  seSize = Part<TcxSpinEdit>(this, "seSize");
  seColors = Part<TcxSpinEdit>(this, "seColors");
  bDefaults = Part<TcxButton>(this, "bDefaults");
  bOK = Part<TcxButton>(this, "bOK");
  bCancel = Part<TcxButton>(this, "bCancel");
  if (!seSize || !seColors || !bDefaults || !bOK || !bCancel)
    throw EInvalidOperation("The settings dialog's description lacks one of its controls");
  StandardLook(seSize);
  StandardLook(seColors);
}

void TFormSettings::bDefaultsClick(TObject*) {
  seSize->SetValue(Variant(DefaultBoardSize));
  seColors->SetValue(Variant(DefaultColors));
}

// ---- New game by number --------------------------------------------------------------------

TNumberForm::TNumberForm(TComponent* AOwner) : TForm(AOwner) {}

void TNumberForm::BeforeDestruction() {
  if (NumberForm == this) NumberForm = nullptr;
  inherited::BeforeDestruction();
}

void TNumberForm::Loaded() {
  inherited::Loaded();
  eNumber = Part<TcxSpinEdit>(this, "eNumber");
  bOK = Part<TcxButton>(this, "bOK");
  bCancel = Part<TcxButton>(this, "bCancel");
  if (!eNumber || !bOK || !bCancel) throw EInvalidOperation("The number dialog's description lacks one of its controls");
}

TL_DEFINE_CLASS(TFormSettings, [](auto& c) { c.Method("bDefaultsClick", &TFormSettings::bDefaultsClick); })
TL_DEFINE_CLASS(TNumberForm)
