#include "widgets/special/cxButtonEdit.h"

#include "classlib/core/Filer.h"
#include "platform/kernel/Units.h"
#include "widgets/editcore/cxEditRegisteredRepositoryItems.h"

TcxCustomButtonEditProperties::TcxCustomButtonEditProperties(TPersistent* AOwner)
    : TcxCustomMaskEditProperties(AOwner) {
  SetValidateOnEnter(true);
}

void TcxCustomButtonEditProperties::AfterConstruction() {
  inherited::AfterConstruction();
  GetButtons()->Add()->SetKind(TcxEditButtonKind::bkEllipsis);
}

TcxCustomEditClass TcxCustomButtonEditProperties::GetContainerClass() const {
  return ClassOf<TcxButtonEdit, TcxCustomEdit, TComponent*, bool>();
}

TcxCustomEditPropertiesClass TcxCustomButtonEdit::GetPropertiesClass() {
  return ClassOf<TcxCustomButtonEditProperties, TcxCustomEditProperties, TPersistent*>();
}

TcxCustomEditPropertiesClass TcxButtonEdit::GetPropertiesClass() {
  return ClassOf<TcxButtonEditProperties, TcxCustomEditProperties, TPersistent*>();
}

void TcxButtonEdit::ReadState(TReader& Reader) {
  if (!FStateRead) {
    FStateRead = true;
    // A repository item's buttons are shared with other editors: only the edit's own go.
    GetProperties()->GetButtons()->Clear();
  }
  inherited::ReadState(Reader);
}

TL_DEFINE_CLASS(TcxCustomButtonEditProperties, [](auto&) {});
TL_DEFINE_CLASS(TcxButtonEditProperties, [](auto& c) {
  using T = TcxButtonEditProperties;
  c.Property("CaseInsensitive", &T::GetCaseInsensitive, &T::SetCaseInsensitive).Default(true);
  c.Property("CharCase", &T::GetCharCase, &T::SetCharCase).Default(TEditCharCase::ecNormal);
  c.Property("EchoMode", &T::GetEchoMode, &T::SetEchoMode).Default(TcxEditEchoMode::eemNormal);
  c.Property("HideCursor", &T::GetHideCursor, &T::SetHideCursor).Default(false);
  c.Property("HideSelection", &T::GetHideSelection, &T::SetHideSelection).Default(true);
  c.Property("IgnoreMaskBlank", &T::GetIgnoreMaskBlank, &T::SetIgnoreMaskBlank).Default(false);
  c.Property("IncrementalSearch", &T::GetIncrementalSearch, &T::SetIncrementalSearch).Default(true);
  c.Property("LookupItems", &T::GetLookupItems, &T::SetLookupItems).Stored(&T::IsLookupItemsStored);
  c.Property("LookupItemsSorted", &T::GetLookupItemsSorted, &T::SetLookupItemsSorted)
      .Default(false);
  c.Property("MaskKind", &T::GetMaskKind, &T::SetMaskKind).Default(TcxEditMaskKind::emkStandard);
  c.Property("EditMask", &T::GetStoredEditMask, &T::SetEditMask);
  c.Property("MaxLength", &T::GetMaxLength, &T::SetMaxLength).Stored(&T::IsMaxLengthStored);
  c.Property("OEMConvert", &T::GetOEMConvert, &T::SetOEMConvert).Default(false);
  c.Property("PasswordChar", &T::GetPasswordChar, &T::SetPasswordChar).Default(Char(0));
  c.Property("ValidateOnEnter", &T::GetValidateOnEnter, &T::SetValidateOnEnter).Default(true);
  c.Property("ViewStyle", &T::GetViewStyle, &T::SetViewStyle)
      .Default(TcxTextEditViewStyle::vsNormal);
  c.Event("OnNewLookupDisplayText", &T::OnNewLookupDisplayText);
});
TL_DEFINE_CLASS(TcxCustomButtonEdit, [](auto&) {});
TL_DEFINE_CLASS(TcxButtonEdit, [](auto& c) {
  using T = TcxButtonEdit;
  c.Property("BeepOnEnter", &T::GetBeepOnEnter, &T::SetBeepOnEnter).Default(true);
  c.Property("Properties", &T::GetButtonEditProperties);
});

namespace cxButtonEdit {

namespace {
UnitCounter gButtonEdit;
const TResStringRec scxSEditRepositoryButtonItem = {
    65337, "ButtonEdit|Represents an edit control with embedded buttons"};
}  // namespace

void Initialize() {
  if (!gButtonEdit.Enter()) return;
  cxRegisterEditor(TcxButtonEditProperties::StaticClass(),
                   cxGetResourceString(scxSEditRepositoryButtonItem), TcxButtonEdit::StaticClass());
}

void Finalize() {
  if (!gButtonEdit.Leave()) return;
  cxUnregisterEditor(TcxButtonEditProperties::StaticClass(), TcxButtonEdit::StaticClass());
}

}  // namespace cxButtonEdit
