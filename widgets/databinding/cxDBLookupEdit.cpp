#include "widgets/databinding/cxDBLookupEdit.h"

#include "classlib/core/Classes.h"
#include "classlib/core/ScopeGuards.h"
#include "widgets/databinding/cxDBUtils.h"
#include "widgets/foundation/cxClasses.h"
#include "widgets/foundation/cxVariants.h"

#include <algorithm>
#include <set>

namespace {

const char* const kDefinedByLookupField = "Property already defined by lookup field";
const char* const kCircularDataLinks = "Circular datalinks are not allowed";

// A key of the shape the key fields take: one value for one field, an array of as many
// values for several. Another shape finds nothing (the data set would raise).
bool KeyFitsFields(const Variant& AKey, const String& AKeyFieldNames) {
  if (VarIsNull(AKey) || VarIsEmpty(AKey)) return false;
  Owned<TStringList> names(New<TStringList>());
  cxGetFieldNames(AKeyFieldNames, names.get());
  const Integer n = names->Count();
  if (n == 0) return false;
  if (!VarIsArray(AKey)) return n == 1;
  return n > 1 && VarArrayHighBound(AKey) - VarArrayLowBound(AKey) + 1 == n;
}

}  // namespace

// ---- properties ----

void TcxCustomDBLookupEditProperties::BeforeDestruction() {
  if (FFieldWatch) FFieldWatch->Free();
  FFieldWatch = nullptr;
  if (FLookupSource) FLookupSource->Free();
  FLookupSource = nullptr;
  FLookupField = nullptr;
  if (FCache) FCache->Free();
  FCache = nullptr;
  inherited::BeforeDestruction();
}

void TcxCustomDBLookupEditProperties::Assign(TPersistent* Source) {
  auto* s = dynamic_cast<TcxCustomDBLookupEditProperties*>(Source);
  if (!s) {
    inherited::Assign(Source);
    return;
  }
  auto update = PairedCall([this] { BeginUpdate(); }, [this] { EndUpdate(); });
  inherited::Assign(Source);
  if (!IsDefinedByLookupField()) SetKeyFieldNames(s->GetKeyFieldNames());
  SetGridMode(s->FGridMode);
}

void TcxCustomDBLookupEditProperties::Changed() {
  if (FCache) FCache->Clear();
  if (TcxDBDataController* c = GetDBDataController()) c->DataModeController()->SetGridMode(FGridMode);
  CheckLookupField();
  inherited::Changed();
}

String TcxCustomDBLookupEditProperties::GetKeyFieldNames() const {
  TcxDBDataController* c = GetDBDataController();
  return c ? c->KeyFieldNames() : String();
}

void TcxCustomDBLookupEditProperties::SetKeyFieldNames(const String& Value) {
  CheckNotDefinedByLookupField();
  TcxDBDataController* c = GetDBDataController();
  if (!c || c->KeyFieldNames() == Value) return;
  c->SetKeyFieldNames(Value);
  Changed();
}

String TcxCustomDBLookupEditProperties::GetListFieldNames() const {
  String r;
  for (Integer i = 0; i < GetListColumnCount(); ++i) {
    if (i > 0) r += ";";
    r += GetListColumnFieldName(i);
  }
  return r;
}

void TcxCustomDBLookupEditProperties::SetListFieldNames(const String& Value) {
  const String before = GetListFieldNames();
  {
    auto lock =
        PairedCall([this] { LockLookupDataChanges(); }, [this] { UnlockLookupDataChanges(); });
    RebuildListColumns(Value);
  }
  // The stored index follows the columns there are now.
  inherited::SetListFieldIndex(GetRawListFieldIndex());
  if (GetListFieldNames() != before) Changed();
}

void TcxCustomDBLookupEditProperties::SetListFieldIndex(Integer Value) {
  CheckNotDefinedByLookupField();
  inherited::SetListFieldIndex(Value);
}

void TcxCustomDBLookupEditProperties::SetGridMode(bool Value) {
  if (FGridMode == Value) return;
  FGridMode = Value;
  if (Value && !FCache) FCache = New<TcxLookupList>();
  if (!Value && FCache) {
    FCache->Free();
    FCache = nullptr;
  }
  Changed();
}

bool TcxCustomDBLookupEditProperties::GetIncrementalFiltering() const {
  return !FGridMode && inherited::GetIncrementalFiltering();
}

TDataSet* TcxCustomDBLookupEditProperties::GetListDataSet() const {
  TcxDBDataController* c = GetDBDataController();
  return c ? c->DataSet() : nullptr;
}

TField* TcxCustomDBLookupEditProperties::GetListField() const {
  TcxDBDataController* c = GetDBDataController();
  const Integer index = GetListIndex();
  return c && index >= 0 && index < c->GetItemCount() ? c->GetItemDataSetField(index) : nullptr;
}

// Grid mode reads the text from the data set without moving it: the list data set is shared
// with whatever else shows it, and a display must not scroll those controls. The text is the
// field's display text, as the loaded list shows it.
String TcxCustomDBLookupEditProperties::GetDisplayText(const Variant& AKey) {
  TcxDBDataController* c = GetDBDataController();
  if (GetListIndex() < 0 || !c) return {};
  if (!FGridMode) return inherited::GetDisplayText(AKey);
  // No key is no text, and nothing to keep.
  if (VarIsNull(AKey) || VarIsEmpty(AKey)) return {};
  Integer place = 0;
  if (FCache->Find(AKey, place)) return FCache->Items(place).DisplayText;
  String text;
  // The list data set's handlers may free the editor, and with it these properties.
  TWeakLink self(this);
  {
    auto lock = WatchedPairedCall(
        this, [this] { LockDataController(); }, [this] { UnlockDataController(); });
    TDataSet* ds = GetListDataSet();
    TField* field = GetListField();
    if (ds && ds->Active() && field && KeyFitsFields(AKey, GetKeyFieldNames()))
      text = ds->LookupDisplayText(GetKeyFieldNames(), AKey, field->FieldName());
    if (!self.Alive()) return {};
  }
  if (!FCache->Find(AKey, place)) FCache->Insert(place, AKey, text);
  return text;
}

Integer TcxCustomDBLookupEditProperties::FindByText(Integer AItemIndex, const String& AText, bool APartial) {
  if (!FGridMode) return inherited::FindByText(AItemIndex, AText, APartial);
  TcxDBDataController* c = GetDBDataController();
  TDataSet* ds = GetListDataSet();
  if (!c || !ds || !ds->Active() || AItemIndex < 0 || AItemIndex >= c->GetItemCount()) return -1;
  // A column naming no field of the list data set is no column to search in.
  TField* field = ds->FindField(c->GetDataFieldName(AItemIndex));
  if (!field) return -1;
  TLocateOptions options{TLocateOption::loCaseInsensitive};
  if (APartial) options.Include(TLocateOption::loPartialKey);
  Integer r = -1;
  // The list data set's handlers and the key search's may free the editor, and with it
  // these properties and their list: nothing is found then.
  TWeakLink self(this), list(c);
  const auto gone = [&] { return !self.Alive() || !list.Alive(); };
  LockDataController();
  TScopeExit unlock([&] {
    if (!gone()) UnlockDataController();
  });
  if (ds->Locate(field->FieldName(), Variant(AText), options) && !gone())
    r = c->IsGridMode() ? c->GetFocusedRecordIndex()
                        : c->FindRecordIndexByKey(c->GetDataSetKeyValues());
  return gone() ? -1 : r;
}

bool TcxCustomDBLookupEditProperties::IsKeyListField() const {
  TDataSet* ds = GetListDataSet();
  const String keys = GetKeyFieldNames();
  if (!ds || keys.empty() || keys.find(';') != String::npos) return false;
  TField* key = ds->FindField(keys);
  return key && key == GetListField();
}

bool TcxCustomDBLookupEditProperties::IsDisplayFormatDefined(bool) const {
  return IsKeyListField() || IsDefinedByLookupField();
}

Variant TcxCustomDBLookupEditProperties::GetRecordKey(Integer ARecordIndex) const {
  TcxDBDataController* c = GetDBDataController();
  if (!c || ARecordIndex < 0 || ARecordIndex >= c->GetRecordCount()) return Null();
  return c->GetRecordId(ARecordIndex);
}

Integer TcxCustomDBLookupEditProperties::FindRecordIndexByKey(const Variant& AKey) {
  TcxDBDataController* c = GetDBDataController();
  if (!c || VarIsNull(AKey) || VarIsEmpty(AKey) || !c->KeyField()) return -1;
  return c->FindRecordIndexByKey(AKey);
}

void TcxCustomDBLookupEditProperties::LockDataController() {
  TcxDBDataController* c = GetDBDataController();
  if (c && c->IsGridMode()) {
    c->BeginProviderLock();
    ++FProviderLockCount;
  }
  inherited::LockDataController();
}

void TcxCustomDBLookupEditProperties::UnlockDataController() {
  TcxDBDataController* c = GetDBDataController();
  if (c && FProviderLockCount > 0) {
    c->EndProviderLock();
    --FProviderLockCount;
  }
  inherited::UnlockDataController();
}

TcxCustomTextEditLookupDataClass TcxCustomDBLookupEditProperties::GetLookupDataClass() const {
  return ClassOf<TcxCustomDBLookupEditLookupData, TcxCustomTextEditLookupData, TPersistent*>();
}

TcxCustomEditClass TcxCustomDBLookupEditProperties::GetContainerClass() const {
  return ClassOf<TcxCustomDBLookupEdit, TcxCustomEdit, TComponent*, bool>();
}

// ---- the list defined by a lookup field ----

void TcxCustomDBLookupEditProperties::CheckNotDefinedByLookupField() const {
  if (IsDefinedByLookupField() && !FCopying) DatabaseError(kDefinedByLookupField);
}

TDataSet* TcxCustomDBLookupEditProperties::GetBoundDataSet() const {
  auto* provider = dynamic_cast<TcxCustomDBEditDefaultValuesProvider*>(GetIDefaultValuesProvider());
  TField* field = provider ? provider->Field() : nullptr;
  return field ? field->DataSet() : nullptr;
}

// The bound data set and every master above it, through the data sources they follow.
void TcxCustomDBLookupEditProperties::CheckCircularDataLink(TDataSet* AListDataSet) const {
  CheckCircularDataLink(GetBoundDataSet(), AListDataSet);
}

void TcxCustomDBLookupEditProperties::CheckCircularDataLink(TDataSet* ABoundDataSet, TDataSet* AListDataSet) {
  if (!AListDataSet) return;
  std::set<const TDataSet*> seen;
  for (TDataSet* ds = ABoundDataSet; ds && seen.insert(ds).second;) {
    if (ds == AListDataSet) DatabaseError(kCircularDataLinks);
    TDataSource* master = ds->GetDataSource();
    ds = master ? master->DataSet() : nullptr;
  }
}

TField* TcxCustomDBLookupEditProperties::BoundLookupField() const {
  auto* provider = dynamic_cast<TcxCustomDBEditDefaultValuesProvider*>(GetIDefaultValuesProvider());
  TField* field = provider ? provider->Field() : nullptr;
  if (!field || !field->Lookup() || field->InState(TComponentStateItem::csDestroying)) return nullptr;
  return field;
}

void TcxCustomDBLookupEditProperties::LookupFieldFreed(TComponent* AComponent) {
  if (AComponent != FLookupField) return;
  FLookupField = nullptr;
  SetListDataSource(nullptr);
}

void TcxCustomDBLookupEditProperties::SetLookupField(TField* AField) {
  if (!AField) {
    if (FFieldWatch) FFieldWatch->Free();
    FFieldWatch = nullptr;
    if (FLookupField) SetListDataSource(nullptr);
    FLookupField = nullptr;
    if (FLookupSource) FLookupSource->Free();
    FLookupSource = nullptr;
    return;
  }
  if (!FLookupSource) FLookupSource = New<TDataSource>(nullptr);
  FLookupSource->SetDataSet(AField->LookupDataSet());
  if (!FFieldWatch) {
    FFieldWatch = New<TcxFreeNotificator>(nullptr);
    FFieldWatch->OnFreeNotification = {this, &TcxCustomDBLookupEditProperties::LookupFieldFreed};
  }
  if (FLookupField) FLookupField->RemoveFreeNotification(FFieldWatch);
  AField->FreeNotification(FFieldWatch);
  FLookupField = AField;
  FCopying = true;
  TScopeExit copied([this] { FCopying = false; });
  SetListDataSource(FLookupSource);
  AddListColumnForFieldName(AField->LookupResultField());
  if (TcxDBDataController* c = GetDBDataController())
    c->SetKeyFieldNames(AField->LookupKeyFields());
  inherited::SetListFieldIndex(0);
}

void TcxCustomDBLookupEditProperties::CheckLookupField() {
  if (FChecking) return;
  TScopedValue<bool> checking(FChecking, true);
  TField* field = BoundLookupField();
  if (field != FLookupField) SetLookupField(field);
  if (FLookupField) AddListColumnForFieldName(FLookupField->LookupResultField());
}

// ---- lookup data ----

void TcxCustomDBLookupEditLookupData::SyncGridWithKey() {
  auto* p = dynamic_cast<TcxCustomDBLookupEditProperties*>(LookupProperties());
  TcxDBDataController* c = p ? p->GetDBDataController() : nullptr;
  if (!c) return;
  // The key search's handlers may free the editor, and with it the properties and the list.
  TWeakLink list(c), properties(p);
  p->LockLookupDataChanges();
  p->LockDataController();
  TScopeExit unlock([&] {
    if (!properties.Alive()) return;
    p->UnlockDataController();
    p->UnlockLookupDataChanges();
  });
  const Variant key = GetCurrentKey();
  const bool found = c->KeyField() && !VarIsNull(key) && !VarIsEmpty(key) && c->LocateByKey(key);
  if (!list.Alive()) return;
  if (!found) c->ChangeFocusedRecordIndex(-1);
  c->SetFocusedSelected(found && c->GetFocusedRowIndex() >= 0);
}

bool TcxCustomDBLookupEditLookupData::FocusMovesSharedList() {
  auto* p = dynamic_cast<TcxCustomDBLookupEditProperties*>(LookupProperties());
  TcxDBDataController* c = p ? p->GetDBDataController() : nullptr;
  return c && c->IsGridMode();
}

// ---- edit ----

TcxCustomEditPropertiesClass TcxCustomDBLookupEdit::GetPropertiesClass() {
  return ClassOf<TcxCustomDBLookupEditProperties, TcxCustomEditProperties, TPersistent*>();
}

void TcxCustomDBLookupEdit::DoEditKeyPress(Char& Key) {
  if (Byte(Key) >= 32)
    if (TField* field = DBLookupProperties()->GetListField(); field && !field->IsValidChar(Key)) {
      Key = 0;
      return;
    }
  inherited::DoEditKeyPress(Key);
}

// ---- binding ----

void TcxDBLookupEditDataBinding::DefaultValuesChanged() {
  inherited::DefaultValuesChanged();
  if (auto* p = dynamic_cast<TcxCustomDBLookupEditProperties*>(Edit()->GetActiveProperties())) p->CheckLookupField();
}

void TcxDBLookupEditDataBinding::SetDataSource(TDataSource* Value) {
  CheckCircularBinding(Value, DataField());
  inherited::SetDataSource(Value);
}

void TcxDBLookupEditDataBinding::SetDataField(const String& Value) {
  CheckCircularBinding(DataSource(), Value);
  inherited::SetDataField(Value);
}

// Only a binding that names a field reaches a bound data set, as the list source's check sees it.
void TcxDBLookupEditDataBinding::CheckCircularBinding(TDataSource* ASource, const String& AField) const {
  if (!ASource || AField.empty()) return;
  if (auto* p = dynamic_cast<TcxCustomDBLookupEditProperties*>(Edit()->GetActiveProperties()))
    TcxCustomDBLookupEditProperties::CheckCircularDataLink(ASource->DataSet(), p->GetListDataSet());
}

TL_DEFINE_CLASS(TcxCustomDBLookupEditProperties, [](auto&) {});
TL_DEFINE_CLASS(TcxCustomDBLookupEditLookupData, [](auto&) {});
TL_DEFINE_CLASS(TcxCustomDBLookupEdit, [](auto&) {});
TL_DEFINE_CLASS(TcxDBLookupEditDataBinding, [](auto&) {});
