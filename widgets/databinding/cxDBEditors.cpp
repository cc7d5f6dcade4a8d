#include "widgets/databinding/cxDBEditors.h"

#include "classlib/visual/Messages.h"
#include "platform/kernel/Units.h"

#include <type_traits>

namespace {

// The data-link request, answered once the binding exists (window messages come earlier).
template <class TBinding>
bool AnswerDataLink(TMessage& Message, TBinding* ABinding) {
  if (Message.Msg != CM_GETDATALINK || !ABinding) return false;
  Message.Result = LRESULT(reinterpret_cast<intptr_t>(ABinding->DataLink()));
  return true;
}

}  // namespace

#define CX_DB_EDITOR_DEFINE(AName, AProps, ABinding)                                      \
  TcxCustomEditPropertiesClass AName::GetPropertiesClass() {                              \
    return ClassOf<AProps, TcxCustomEditProperties, TPersistent*>();                      \
  }                                                                                       \
  TcxEditDataBindingClass AName::GetDataBindingClass() const {                            \
    return ClassOf<ABinding, TcxEditDataBinding, TcxCustomEdit*>();                       \
  }                                                                                       \
  void AName::WndProc(TMessage& Message) {                                                \
    if (!AnswerDataLink(Message, GetDataBinding())) inherited::WndProc(Message);              \
  }                                                                                       \
  TL_DEFINE_CLASS(AName, [](auto& c) {                                                    \
    c.Property("DataBinding", &AName::GetDataBinding, &AName::SetDataBinding);            \
    c.Property("Properties", &AName::GetProperties, &AName::SetProperties);               \
  })

// The editors of CX_DB_EDITOR_CLASS also ask their binding about typed characters and, for a
// text binding without data at design time, show what it shows (the name) after every redisplay.
#define CX_DB_EDITOR_DEFINE_INPUT(AName, AProps, ABinding)                                \
  CX_DB_EDITOR_DEFINE(AName, AProps, ABinding)                                            \
  bool AName::IsValidChar(Char AChar) {                                                   \
    return inherited::IsValidChar(AChar) && GetDataBinding()->IsValidChar(AChar);         \
  }                                                                                       \
  void AName::SynchronizeDisplayValue() {                                                 \
    inherited::SynchronizeDisplayValue();                                                 \
    if constexpr (std::is_base_of_v<TcxDBTextEditDataBinding, ABinding>)                  \
      if (InState(TComponentStateItem::csDesigning) && GetDataBinding() &&                \
          !GetDataBinding()->IsDataAvailable())                                           \
        GetDataBinding()->SetDisplayValue(Variant(String()));                             \
  }

CX_DB_EDITOR_DEFINE_INPUT(TcxDBTextEdit, TcxTextEditProperties, TcxDBTextEditDataBinding)
CX_DB_EDITOR_DEFINE_INPUT(TcxDBMemo, TcxMemoProperties, TcxDBTextEditDataBinding)
CX_DB_EDITOR_DEFINE_INPUT(TcxDBMaskEdit, TcxMaskEditProperties, TcxDBTextEditDataBinding)
CX_DB_EDITOR_DEFINE_INPUT(TcxDBButtonEdit, TcxButtonEditProperties, TcxDBTextEditDataBinding)
CX_DB_EDITOR_DEFINE_INPUT(TcxDBCheckBox, TcxCheckBoxProperties, TcxDBEditDataBinding)
CX_DB_EDITOR_DEFINE_INPUT(TcxDBComboBox, TcxComboBoxProperties, TcxDBTextEditDataBinding)
CX_DB_EDITOR_DEFINE_INPUT(TcxDBPopupEdit, TcxPopupEditProperties, TcxDBTextEditDataBinding)
CX_DB_EDITOR_DEFINE_INPUT(TcxDBSpinEdit, TcxSpinEditProperties, TcxDBTextEditDataBinding)
CX_DB_EDITOR_DEFINE_INPUT(TcxDBTimeEdit, TcxTimeEditProperties, TcxDBTextEditDataBinding)
CX_DB_EDITOR_DEFINE_INPUT(TcxDBBlobEdit, TcxBlobEditProperties, TcxDBEditDataBinding)
CX_DB_EDITOR_DEFINE_INPUT(TcxDBCalcEdit, TcxCalcEditProperties, TcxDBTextEditDataBinding)
CX_DB_EDITOR_DEFINE_INPUT(TcxDBDateEdit, TcxDateEditProperties, TcxDBTextEditDataBinding)
CX_DB_EDITOR_DEFINE_INPUT(TcxDBCurrencyEdit, TcxCurrencyEditProperties, TcxDBTextEditDataBinding)
CX_DB_EDITOR_DEFINE_INPUT(TcxDBHyperLinkEdit, TcxHyperLinkEditProperties, TcxDBTextEditDataBinding)
CX_DB_EDITOR_DEFINE_INPUT(TcxDBImage, TcxImageProperties, TcxDBEditDataBinding)
CX_DB_EDITOR_DEFINE_INPUT(TcxDBImageComboBox, TcxImageComboBoxProperties, TcxDBTextEditDataBinding)
CX_DB_EDITOR_DEFINE_INPUT(TcxDBMRUEdit, TcxMRUEditProperties, TcxDBTextEditDataBinding)
CX_DB_EDITOR_DEFINE(TcxDBRadioGroup, TcxRadioGroupProperties, TcxDBEditDataBinding)

#undef CX_DB_EDITOR_DEFINE_INPUT
#undef CX_DB_EDITOR_DEFINE

TWinControl* TcxDBRadioGroup::CreateButton() { return New<TcxDBRadioGroupButton>(this); }

// ---- TcxDBRadioGroupButton ----

TL_DEFINE_CLASS(TcxDBRadioGroupButton)

TcxDBRadioGroupButton::TcxDBRadioGroupButton(TComponent* AOwner) : TcxCustomRadioGroupButton(AOwner) {
  TControlStyle style = ControlStyle();
  style.Include(TControlStyleItem::csReplicatable);
  SetControlStyle(style);
}

void TcxDBRadioGroupButton::WndProc(TMessage& Message) {
  if (Message.Msg == CM_GETDATALINK && Group()) {
    Message.Result = Group()->Perform(Message.Msg, Message.WParam, Message.LParam);
    return;
  }
  inherited::WndProc(Message);
}

// ---- the list box ----

TL_DEFINE_CLASS(TcxDBListBoxDataBinding)

void TcxDBListBoxDataBinding::AfterConstruction() {
  inherited::AfterConstruction();
  FDBBinding = New<TcxDBDataBinding>(Owner(), Owner());
  FDBBinding->OnDataChange = {this, &TcxDBListBoxDataBinding::BindingDataChanged};
  FDBBinding->OnUpdateData = {this, &TcxDBListBoxDataBinding::BindingUpdateData};
}

void TcxDBListBoxDataBinding::BeforeDestruction() {
  FreeAndNil(FDBBinding);
  inherited::BeforeDestruction();
}

bool TcxDBListBoxDataBinding::CanModify() {
  return FDBBinding->CanModify() && cxDataSourceLetsEdit(FDBBinding->DataSource());
}

Variant TcxDBListBoxDataBinding::GetStoredValue() {
  return FDBBinding->GetStoredValue(FDBBinding->ValueSource(), Owner() && Owner()->Focused());
}

void TcxDBListBoxDataBinding::SetStoredValue(const Variant& AValue) {
  FDBBinding->SetStoredValue(FDBBinding->ValueSource(), AValue);
}

TL_DEFINE_CLASS(TcxDBListBox, [](auto& c) {
  c.Property("DataBinding", &TcxDBListBox::GetDataBinding, &TcxDBListBox::SetDataBinding);
});

void TcxDBListBox::AfterConstruction() {
  inherited::AfterConstruction();
  InnerListBox()->OnClick = {this, &TcxDBListBox::InnerClick};
}

TcxDataBindingClass TcxDBListBox::GetDataBindingClass() const {
  return ClassOf<TcxDBListBoxDataBinding, TcxDataBinding, TcxListBox*>();
}

// The user picked an item: the data set goes into edit, and the item is written when the data
// set asks for the record's values.
void TcxDBListBox::InnerClick(TObject*) {
  TcxDBDataBinding* binding = GetDataBinding();
  if (binding->IsDataAvailable()) binding->SetModified();
}

void TcxDBListBox::WndProc(TMessage& Message) {
  auto* binding = static_cast<TcxDBListBoxDataBinding*>(DataBinding());
  if (!AnswerDataLink(Message, binding ? binding->DBBinding() : nullptr)) inherited::WndProc(Message);
}

// ---- the unit ----

namespace cxDBEdit {

namespace {
const TClass* const kDBEditorClasses[] = {
    &TcxDBTextEdit::StaticClass(),      &TcxDBMemo::StaticClass(),         &TcxDBMaskEdit::StaticClass(),
    &TcxDBButtonEdit::StaticClass(),    &TcxDBCheckBox::StaticClass(),     &TcxDBComboBox::StaticClass(),
    &TcxDBPopupEdit::StaticClass(),     &TcxDBSpinEdit::StaticClass(),     &TcxDBTimeEdit::StaticClass(),
    &TcxDBBlobEdit::StaticClass(),      &TcxDBCalcEdit::StaticClass(),     &TcxDBDateEdit::StaticClass(),
    &TcxDBCurrencyEdit::StaticClass(),  &TcxDBHyperLinkEdit::StaticClass(), &TcxDBImage::StaticClass(),
    &TcxDBImageComboBox::StaticClass(), &TcxDBMRUEdit::StaticClass(),      &TcxDBRadioGroup::StaticClass(),
    &TcxDBListBox::StaticClass(),
};
UnitCounter gDBEdit;
}  // namespace

void Initialize() {
  if (!gDBEdit.Enter()) return;
  for (const TClass* c : kDBEditorClasses) RegisterClass(*c);
}

void Finalize() {
  if (!gDBEdit.Leave()) return;
  for (const TClass* c : kDBEditorClasses) UnRegisterClass(*c);
}

}  // namespace cxDBEdit
