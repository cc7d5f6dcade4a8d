#include "widgets/databinding/cxDBLookupComboBox.h"

#include "classlib/core/ScopeGuards.h"
#include "classlib/visual/Messages.h"
#include "platform/kernel/Units.h"

// ---- properties ----

void TcxLookupComboBoxProperties::AfterConstruction() {
  inherited::AfterConstruction();
  // Enter validates and posts the chosen key.
  SetValidateOnEnter(true);
  FGrid = New<TcxLookupDBGrid>(nullptr);
  FGrid->SetIsPopup(true);
  FGrid->GetDataController()->OnSortingChanged = {this, &TcxLookupComboBoxProperties::SortingChanged};
  AddListDataChangeListener();
}

void TcxLookupComboBoxProperties::BeforeDestruction() {
  RemoveListDataChangeListener();
  if (FGrid) FGrid->Free();
  FGrid = nullptr;
  inherited::BeforeDestruction();
}

void TcxLookupComboBoxProperties::Assign(TPersistent* Source) {
  auto* s = dynamic_cast<TcxLookupComboBoxProperties*>(Source);
  if (!s) {
    inherited::Assign(Source);
    return;
  }
  auto update = PairedCall([this] { BeginUpdate(); }, [this] { EndUpdate(); });
  SetGridMode(s->GetGridMode());
  SetListOptions(s->GetListOptions());
  if (!IsDefinedByLookupField()) {
    SetListSource(s->GetListSource());
    SetListColumns(s->GetListColumns());
  }
  SetOnSortingChanged(s->FOnSortingChanged);
  inherited::Assign(Source);
  if (IsDefinedByLookupField()) SetListColumns(s->GetListColumns());
}

TcxCustomEditClass TcxLookupComboBoxProperties::GetContainerClass() const {
  return ClassOf<TcxLookupComboBox, TcxCustomEdit, TComponent*, bool>();
}

void TcxLookupComboBoxProperties::SetListColumns(TcxLookupDBGridColumns* Value) {
  if (!FGrid) return;
  FGrid->GetColumns()->Assign(Value);
  // The index in use follows the columns there are now.
  TcxCustomLookupEditProperties::SetListFieldIndex(GetRawListFieldIndex());
  Changed();
}

void TcxLookupComboBoxProperties::SetListOptions(TcxLookupGridOptions* Value) {
  if (FGrid) FGrid->GetOptions()->Assign(Value);
}

TDataSource* TcxLookupComboBoxProperties::GetListSource() const {
  return IsDefinedByLookupField() || !FGrid ? nullptr : FGrid->GetDataSource();
}

void TcxLookupComboBoxProperties::SetListSource(TDataSource* Value) {
  CheckNotDefinedByLookupField();
  if (Value) CheckCircularDataLink(Value->DataSet());
  SetListDataSource(Value);
}

void TcxLookupComboBoxProperties::SetListDataSource(TDataSource* Value) {
  if (!FGrid || FGrid->GetDataSource() == Value) return;
  FGrid->SetDataSource(Value);
  Changed();
}

void TcxLookupComboBoxProperties::SetOnSortingChanged(TNotifyEvent Value) { FOnSortingChanged = Value; }

void TcxLookupComboBoxProperties::SortingChanged(TcxCustomDataController*) {
  if (FOnSortingChanged) FOnSortingChanged(this);
}

Integer TcxLookupComboBoxProperties::GetListColumnsWidth() const {
  Integer w = 0;
  for (Integer i = 0; i < GetListColumnCount(); ++i) w += FGrid->GetColumns()->GetItem(i)->GetWidth();
  return w;
}

void TcxLookupComboBoxProperties::SetListEvents(TcxCustomLookupEditLookupData* AData, bool AWire) {
  if (!FGrid) return;
  if (AWire) {
    FGrid->OnCloseUp = {AData, &TcxCustomLookupEditLookupData::GridCloseUp};
    FGrid->OnFocusedRowChangedLink = {AData, &TcxCustomLookupEditLookupData::GridFocusedRowChanged};
    FGrid->OnClickLink = {AData, &TcxCustomLookupEditLookupData::GridClick};
  } else {
    FGrid->OnCloseUp = TcxLookupGridCloseUpEvent();
    FGrid->OnFocusedRowChangedLink = TNotifyEvent();
    FGrid->OnClickLink = TNotifyEvent();
  }
}

void TcxLookupComboBoxProperties::SetListLookAndFeel(TcxLookAndFeel* ALookAndFeel, TColor AColor, TFont* AFont) {
  if (!FGrid) return;
  // Each change lays the list's rows out again, asking their texts: a text handler may free
  // the editor, and these properties and the grid with it.
  TWeakLink grid(FGrid);
  if (ALookAndFeel) FGrid->GetLookAndFeel()->Assign(ALookAndFeel);
  if (!grid.Alive()) return;
  FGrid->SetColor(AColor);
  if (!grid.Alive()) return;
  if (AFont) FGrid->GetFont()->Assign(AFont);
}

void TcxLookupComboBoxProperties::ListPopupStarted() {
  if (FGrid) FGrid->LockMouseMove(true);
}

void TcxLookupComboBoxProperties::ListPopupEnded() {
  if (!FGrid) return;
  FGrid->SetMouseCapture(false);
  while (FGrid->MouseMoveLockCount() > 0) FGrid->LockMouseMove(false);
}

void TcxLookupComboBoxProperties::AddListColumnForFieldName(const String& AFieldName) {
  if (!FGrid || AFieldName.empty() || FGrid->GetColumns()->ColumnByFieldName(AFieldName)) return;
  FGrid->GetColumns()->Add()->SetFieldName(AFieldName);
}

String TcxLookupComboBoxProperties::GetListColumnFieldName(Integer AIndex) const {
  return FGrid && AIndex >= 0 && AIndex < GetListColumnCount() ? FGrid->GetColumns()->GetItem(AIndex)->GetFieldName()
                                                              : String();
}

void TcxLookupComboBoxProperties::RebuildListColumns(const String& AFieldNames) {
  if (FGrid) FGrid->CreateColumnsForFieldNames(AFieldNames);
}

// ---- editors ----

TcxCustomEditPropertiesClass TcxCustomLookupComboBox::GetPropertiesClass() {
  return ClassOf<TcxLookupComboBoxProperties, TcxCustomEditProperties, TPersistent*>();
}

TcxEditDataBindingClass TcxDBLookupComboBox::GetDataBindingClass() const {
  return ClassOf<TcxDBLookupEditDataBinding, TcxEditDataBinding, TcxCustomEdit*>();
}

void TcxDBLookupComboBox::WndProc(TMessage& Message) {
  if (Message.Msg == CM_GETDATALINK && DataBinding()) {
    Message.Result = LRESULT(reinterpret_cast<intptr_t>(GetDataBinding()->DataLink()));
    return;
  }
  inherited::WndProc(Message);
}


TL_DEFINE_CLASS(TcxLookupComboBoxProperties, [](auto& c) {
  using T = TcxLookupComboBoxProperties;
  c.Property("Alignment", &T::GetAlignment, &T::SetAlignment);
  c.Property("AutoSelect", &T::GetAutoSelect, &T::SetAutoSelect).Default(true);
  c.Property("ButtonGlyph", &T::GetButtonGlyph, &T::SetButtonGlyph).Stored(&T::IsButtonGlyphStored);
  c.Property("CharCase", &T::GetCharCase, &T::SetCharCase).Default(TEditCharCase::ecNormal);
  c.Property("DropDownAutoSize", &T::GetDropDownAutoSize, &T::SetDropDownAutoSize).Default(false);
  c.Property("DropDownHeight", &T::GetDropDownHeight, &T::SetDropDownHeight).Default(Integer(0));
  c.Property("DropDownListStyle", &T::GetDropDownListStyle, &T::SetDropDownListStyle)
      .Default(TcxEditDropDownListStyle::lsEditFixedList);
  c.Property("DropDownRows", &T::GetDropDownRows, &T::SetDropDownRows).Default(Integer(8));
  c.Property("DropDownSizeable", &T::GetDropDownSizeable, &T::SetDropDownSizeable).Default(false);
  c.Property("DropDownWidth", &T::GetDropDownWidth, &T::SetDropDownWidth).Default(Integer(0));
  c.Property("GridMode", &T::GetGridMode, &T::SetGridMode).Default(false);
  c.Property("HideSelection", &T::GetHideSelection, &T::SetHideSelection).Default(true);
  c.Property("ImeMode", &T::GetImeMode, &T::SetImeMode).Default(TImeMode::imDontCare);
  c.Property("ImeName", &T::GetImeName, &T::SetImeName);
  c.Property("ImmediateDropDown", &T::GetImmediateDropDown, &T::SetImmediateDropDown).Default(true);
  c.Property("ImmediatePost", &T::GetImmediatePost, &T::SetImmediatePost).Default(false);
  c.Property("IncrementalFiltering", &T::GetIncrementalFiltering, &T::SetIncrementalFiltering)
      .Default(true)
      .Stored(&T::IsIncrementalFilteringStored);
  c.Property("KeyFieldNames", &T::GetKeyFieldNames, &T::SetKeyFieldNames);
  c.Property("ListColumns", &T::GetListColumns, &T::SetListColumns);
  // The columns are stored whole under ListColumns; their names read again would rebuild them.
  c.Property("ListFieldNames", &T::GetListFieldNames, &T::SetListFieldNames).Stored(false);
  c.Property("ListFieldIndex", &T::GetListFieldIndex, &T::SetListFieldIndex).Default(Integer(0));
  c.Property("ListOptions", &T::GetListOptions, &T::SetListOptions);
  c.Property("ListSource", &T::GetListSource, &T::SetListSource);
  c.Property("MaxLength", &T::GetMaxLength, &T::SetMaxLength).Stored(&T::IsMaxLengthStored);
  c.Property("OEMConvert", &T::GetOEMConvert, &T::SetOEMConvert).Default(false);
  c.Property("PopupAlignment", &T::GetPopupAlignment, &T::SetPopupAlignment).Default(TAlignment::taLeftJustify);
  c.Property("PostPopupValueOnTab", &T::GetPostPopupValueOnTab, &T::SetPostPopupValueOnTab).Default(false);
  c.Property("ReadOnly", &T::GetReadOnly, &T::SetReadOnly);
  c.Property("Revertable", &T::GetRevertable, &T::SetRevertable).Default(false);
  c.Property("ValidateOnEnter", &T::GetValidateOnEnter, &T::SetValidateOnEnter).Default(true);
  c.Event("OnChange", &T::OnChange);
  c.Event("OnCloseUp", &T::OnCloseUp);
  c.Event("OnEditValueChanged", &T::OnEditValueChanged);
  c.Event("OnInitPopup", &T::OnInitPopup);
  c.Event("OnNewLookupDisplayText", &T::OnNewLookupDisplayText);
  c.Event("OnPopup", &T::OnPopup);
  c.Property("OnSortingChanged", &T::GetOnSortingChanged, &T::SetOnSortingChanged);
  c.Event("OnValidate", &T::OnValidate);
});
TL_DEFINE_CLASS(TcxCustomLookupComboBox, [](auto&) {});
TL_DEFINE_CLASS(TcxLookupComboBox, [](auto& c) {
  c.Property("Properties", &TcxLookupComboBox::GetProperties, &TcxLookupComboBox::SetProperties);
});
TL_DEFINE_CLASS(TcxDBLookupComboBox, [](auto& c) {
  using T = TcxDBLookupComboBox;
  c.Property("DataBinding", &T::GetDataBinding, &T::SetDataBinding);
  c.Property("Properties", &T::GetProperties, &T::SetProperties);
});
TL_DEFINE_CLASS(TcxEditRepositoryLookupComboBoxItem, [](auto& c) {
  using T = TcxEditRepositoryLookupComboBoxItem;
  c.Property("Properties", &T::GetProperties, &T::SetProperties);
});

namespace cxDBLookupComboBox {

namespace {
UnitCounter gUnit;
}  // namespace

void Initialize() {
  if (!gUnit.Enter()) return;
  cxRegisterEditor(TcxLookupComboBoxProperties::StaticClass(), "LookupComboBox|Represents a lookup combo box control",
                   TcxLookupComboBox::StaticClass());
  RegisterClasses({&TcxLookupComboBox::StaticClass(), &TcxDBLookupComboBox::StaticClass(),
                   &TcxEditRepositoryLookupComboBoxItem::StaticClass()});
  // Named in descriptions beside the controls, like the other repository items.
  GroupDescendentsWith(TcxEditRepositoryLookupComboBoxItem::StaticClass(), TControl::StaticClass());
}

void Finalize() {
  if (!gUnit.Leave()) return;
  UnRegisterClass(TcxEditRepositoryLookupComboBoxItem::StaticClass());
  UnRegisterClass(TcxDBLookupComboBox::StaticClass());
  UnRegisterClass(TcxLookupComboBox::StaticClass());
  cxUnregisterEditor(TcxLookupComboBoxProperties::StaticClass(), TcxLookupComboBox::StaticClass());
}

}  // namespace cxDBLookupComboBox
