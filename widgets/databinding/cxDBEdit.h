// Data-aware editors: the field data links and bindings that tie an editor to one field of
// a data set, the default-values provider that hands the field's settings to the editor's
// properties, and the editor classes that choose them (cxDBEditors.h).
#pragma once

#include "widgets/databinding/cxDBUtils.h"
#include "widgets/editcore/cxEditControl.h"
#include "widgets/editors/cxListBox.h"

class TWinControl;
class TcxFreeNotificator;

// ---- the binding of plain controls ----

// The link of a windowed control's binding: it acts as a visual control, focuses the control
// when its field asks, and rebuilds the control's window when the field's reading direction
// disagrees with the window.
class TcxDBFieldDataLink : public TcxCustomFieldDataLink {
  TL_CLASS(TcxDBFieldDataLink, TcxCustomFieldDataLink)
 public:
  using TcxCustomFieldDataLink::TcxCustomFieldDataLink;
  void UpdateVisualControl() override;

 protected:
  void FocusControl(TField*& AField) override;
  void FieldChanged() override;

 private:
  TWinControl* Control() const;
};

// A control's binding to the field DataField of DataSource.
class TcxDBDataBinding : public TcxCustomDBDataBinding {
  TL_CLASS(TcxDBDataBinding, TcxCustomDBDataBinding)
 public:
  using TcxCustomDBDataBinding::TcxCustomDBDataBinding;
  void AfterConstruction() override;
  // From any data-set binding: its data source and field.
  void Assign(TPersistent* Source) override;
  TcxCustomFieldDataLinkClass GetDataLinkClass() const override;
};

// ---- the default values of a bound field ----

class TcxCustomDBEditDefaultValuesProvider : public TcxCustomEditDefaultValuesProvider {
  TL_CLASS(TcxCustomDBEditDefaultValuesProvider, TcxCustomEditDefaultValuesProvider)
 public:
  explicit TcxCustomDBEditDefaultValuesProvider(TPersistent* AOwner);
  void BeforeDestruction() override;

  // The field answered from; freeing it sets nullptr.
  TField* Field() const { return FField; }
  void SetField(TField* Value);

  TAlignment DefaultAlignment() override;
  TcxBlobKind DefaultBlobKind() override;
  bool CanSetEditMode() override;
  String DefaultDisplayFormat() override;
  String DefaultEditFormat() override;
  String DefaultEditMask() override;
  bool DefaultIsFloatValue() override;
  Integer DefaultMaxLength() override;
  double DefaultMaxValue() override;
  double DefaultMinValue() override;
  Integer DefaultPrecision() override;
  bool DefaultReadOnly() override;
  bool DefaultRequired() override;
  bool IsBlob() override;
  bool DefaultIsCurrency() override;
  bool IsDataAvailable() override;
  bool IsDataStorage() override { return true; }
  bool IsDisplayFormatDefined(bool AIsCurrencyValueAccepted) override;
  bool IsNonNumericDisplayFormat() override;
  bool IsValidChar(Char AChar) override;

 private:
  void FieldFreed(TComponent* AComponent);
  double Bound(bool AMax);

  TField* FField = nullptr;
  TcxFreeNotificator* FFreeNotificator = nullptr;
};

// The precision an editor gets from a field's: 15 when the field gives none, else within
// 1..18, the digits a double or a fixed-point value can hold.
Integer cxFieldPrecision(Integer APrecision);

// ---- the binding of editors ----

// Whether a control on ASource may start a change: the source edits on its own (AutoEdit)
// or its data set already edits or inserts.
bool cxDataSourceLetsEdit(TDataSource* ASource);

class TcxDBEditDataBinding;

// Follows the data source for an editor's binding, as TcxCustomFieldDataLink does for other
// controls, but reports the editor's own state changes to the binding: the field it shows
// (a lookup field edited by key watches its key field), the field's defaults, editing and
// record changes.
class TcxEditFieldDataLink : public TDataLink {
  TL_CLASS(TcxEditFieldDataLink, TDataLink)
 public:
  explicit TcxEditFieldDataLink(TcxDBEditDataBinding* ADataBinding);
  void BeforeDestruction() override;

  // The control named in field errors and focused for the field: the editor.
  TcxCustomEdit* Control() const;
  TcxDBEditDataBinding* DataBinding() const { return FDataBinding; }
  TField* Field() const { return FField; }
  TField* WatchedField() const { return FWatchedField; }
  const String& FieldName() const { return FFieldName; }
  void SetFieldName(const String& Value);
  bool Editing() const { return FEditing; }
  bool Modified() const { return FModified; }
  void SetModified() { FModified = true; }
  bool Edit();
  bool CanModify() const;
  void Reset() { RecordChanged(nullptr); }

 protected:
  void ActiveChanged() override;
  void DataEvent(TDataEvent Event, intptr_t Info) override;
  void EditingChanged() override;
  void FocusControl(TField*& AField) override;
  void LayoutChanged() override;
  void RecordChanged(TField* AField) override;
  void UpdateData() override;

 private:
  void UpdateField();
  void SetField(TField* Value);
  void ClearModified();
  // Points the free notices at the fields now held instead of the key field watched before.
  void WatchFields(TField* AOldWatched);
  // A field freed while bound (a persistent field of an open data set) unbinds the link; a
  // freed key field leaves the field itself watched.
  void FieldFreed(TComponent* AComponent);

  TcxDBEditDataBinding* FDataBinding;
  TcxFreeNotificator* FFreeNotificator = nullptr;
  bool FEditing = false;
  TField* FField = nullptr;
  String FFieldName;
  TField* FWatchedField = nullptr;
  bool FModified = false;
};

// An editor's binding to the field DataField of DataSource: the editor shows the field, puts
// the data set into edit when the user starts a change, and writes its value when the data
// set asks for it.
class TcxDBEditDataBinding : public TcxEditDataBinding {
  TL_CLASS(TcxDBEditDataBinding, TcxEditDataBinding)
 public:
  explicit TcxDBEditDataBinding(TcxCustomEdit* AEdit) : TcxEditDataBinding(AEdit) {}
  void AfterConstruction() override;
  void BeforeDestruction() override;

  // From any data-set binding of an editor: its field and data source, then the editor
  // shows the field.
  void Assign(TPersistent* Source) override;
  bool CanModify() const override;
  void DefaultValuesChanged() override;
  bool IsEditing() const override;
  Variant GetStoredValue() const override;
  void Reset() override;
  void SetDisplayValue(const Variant& Value) override;
  bool SetEditMode() override;
  void UpdateDataValue() override;
  TcxCustomEditDefaultValuesProviderClass GetDefaultValuesProviderClass() const override;
  void UpdateDisplayValue() override;
  void ClearValueIfNoData() override;

  // The record or the field changed: the editor shows the field's value.
  virtual void DataChanged();
  // The field or its settings changed: the properties take the field's defaults again.
  virtual void DataSetChanged() { DefaultValuesChanged(); }
  virtual void EditingChanged();
  // Whether the editor edits a lookup field's key rather than the field; lookup editors do.
  virtual bool IsKeyEditing() const { return false; }
  // The data set asks for the value: a valid one is written.
  virtual void UpdateData();
  // Whether a character typed into the editor suits the field: asked of the field (its
  // ValidChars) for a printable character where the editor's text is the field's text;
  // control keys and editors that type something else (a number, a list's text) pass.
  bool IsValidChar(Char AChar) const;

  // The data source as the action's target.
  bool ExecuteAction(TBasicAction* AAction) override { return FDataLink->ExecuteAction(AAction); }
  bool UpdateAction(TBasicAction* AAction) override { return FDataLink->UpdateAction(AAction); }

  TcxEditFieldDataLink* DataLink() const { return FDataLink; }
  TField* Field() const { return FDataLink->Field(); }
  TDataSource* DataSource() const { return FDataLink->DataSource(); }
  // Virtual so that an editor kind can refuse a binding before it is made.
  virtual void SetDataSource(TDataSource* Value) { FDataLink->SetDataSource(Value); }
  const String& DataField() const { return FDataLink->FieldName(); }
  virtual void SetDataField(const String& Value) { FDataLink->SetFieldName(Value); }
  bool IsLocked() const { return FLock > 0; }
  TcxCustomDBEditDefaultValuesProvider* DBProvider() const;

 protected:
  TcxDataEditValueSource ValueSource() const;

 private:
  friend class TcxEditFieldDataLink;
  Integer FLock = 0;
  TcxEditFieldDataLink* FDataLink = nullptr;
};

// Text editors show their own name at design time while unbound, and clear to an empty text.
class TcxDBTextEditDataBinding : public TcxDBEditDataBinding {
  TL_CLASS(TcxDBTextEditDataBinding, TcxDBEditDataBinding)
 public:
  using TcxDBEditDataBinding::TcxDBEditDataBinding;
  void SetDisplayValue(const Variant& Value) override;
  void ClearValueIfNoData() override;
};

namespace cxDBEdit {
// The data-aware editor classes for window descriptions; shut-down removes them.
void Initialize();
void Finalize();
}  // namespace cxDBEdit

#include "widgets/databinding/cxDBEditors.h"
