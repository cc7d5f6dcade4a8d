// Data sources and data links: how a data set's events reach the controls that show it, and
// how a link's window of records follows the data set's.
#include "classlib/core/DB.h"
#include "classlib/core/ScopeGuards.h"
#include "classlib/core/Strings.h"

#include <algorithm>

using enum TDataSetState;
using enum TDataEvent;

namespace {

// A request's error stops it at once; a notice's is kept while the others hear it.
template <class Step>
void Deliver(TDataEvent Event, TFirstError& Errors, Step&& AStep) {
  if (IsDataRequest(Event))
    AStep();
  else
    Errors.Run(AStep);
}

}  // namespace

// ---- TDataSource -----------------------------------------------------------------------------

TL_DEFINE_CLASS(TDataSource)

TDataSource::TDataSource(TComponent* AOwner) : TComponent(AOwner) {}

void TDataSource::BeforeDestruction() {
  for (TDataLink* l : std::vector<TDataLink*>(FLinks)) l->SetDataSource(nullptr);
  SetDataSet(nullptr);
  inherited::BeforeDestruction();
}

void TDataSource::Notification(TComponent* AComponent, TOperation Operation) {
  inherited::Notification(AComponent, Operation);
  if (Operation == TOperation::opRemove && AComponent == FDataSet) SetDataSet(nullptr);
}

void TDataSource::SetDataSet(TDataSet* Value) {
  if (Value == FDataSet) return;
  // The links let go of the old data set's fields before they meet the new one's. A link or
  // handler failing there stops neither the others nor the change of data set; the first
  // error comes last. Any of them may free this source.
  TFirstError errors;
  TWeakLink self(this);
  if (FState != dsInactive) {
    FState = dsInactive;
    errors.Run([&] { NotifyLinks(deUpdateState, 0, false); });
    if (self.Alive() && OnStateChange) errors.Run([&] { OnStateChange(this); });
    if (!self.Alive()) {
      errors.Raise();
      return;
    }
  }
  if (FDataSet) {
    auto& list = FDataSet->FDataSources;
    list.erase(std::remove(list.begin(), list.end(), this), list.end());
    FDataSet->RemoveFreeNotification(this);
    FDataSet->UpdateBufferCount();
  }
  FDataSet = Value;
  if (FDataSet) {
    FDataSet->FDataSources.push_back(this);
    FDataSet->FreeNotification(this);
    FDataSet->UpdateBufferCount();
  }
  errors.Run([&] { UpdateState(); });
  errors.Raise();
}

void TDataSource::SetEnabled(bool Value) {
  if (Value == FEnabled) return;
  FEnabled = Value;
  UpdateState();
}

void TDataSource::Edit() {
  if (FAutoEdit && FState == dsBrowse && FDataSet) FDataSet->Edit();
}

bool TDataSource::IsLinkedTo(TDataSet* DataSet) const {
  // A chain longer than the number of data sets it could pass is a cycle.
  for (int steps = 0; DataSet && steps < 1000; ++steps) {
    TDataSource* master = DataSet->GetDataSource();
    if (!master) return false;
    if (master == this) return true;
    DataSet = master->DataSet();
  }
  return false;
}

void TDataSource::AddDataLink(TDataLink* Link) {
  FLinks.push_back(Link);
  if (FDataSet) FDataSet->UpdateBufferCount();
}

void TDataSource::RemoveDataLink(TDataLink* Link) {
  FLinks.erase(std::remove(FLinks.begin(), FLinks.end(), Link), FLinks.end());
  if (FDataSet) FDataSet->UpdateBufferCount();
}

void TDataSource::UpdateState(bool NonVisualOnly) {
  const TDataSetState state = FEnabled && FDataSet ? FDataSet->State() : dsInactive;
  if (state != FState) FStateChangePending = true;
  FState = state;
  // Links act only on a change of their own state, so asking them again is harmless. A
  // link failing does not keep the change from the handler; the first error comes last.
  TWeakLink self(this);
  TFirstError errors;
  errors.Run([&] { NotifyLinks(deUpdateState, 0, NonVisualOnly); });
  if (self.Alive() && !NonVisualOnly && FStateChangePending) {
    FStateChangePending = false;
    if (OnStateChange) errors.Run([&] { OnStateChange(this); });
  }
  errors.Raise();
}

void TDataSource::NotifyLinks(TDataEvent Event, intptr_t Info, bool NonVisualOnly) {
  // Visual-control links first, then the others, each group in the order it joined.
  const std::vector<TDataLink*> links(FLinks);
  TWeakLink self(this);
  TFirstError errors;
  // A link that left the list meanwhile (freed by another link's handler, say) is not read.
  for (int pass = NonVisualOnly ? 1 : 0; pass < 2 && self.Alive(); ++pass)
    for (TDataLink* l : links) {
      if (std::find(FLinks.begin(), FLinks.end(), l) == FLinks.end() ||
          l->FVisualControl != (pass == 0))
        continue;
      Deliver(Event, errors, [&] { l->DataEvent(Event, Info); });
      if (!self.Alive()) break;
    }
  errors.Raise();
}

void TDataSource::DataEvent(TDataEvent Event, intptr_t Info, bool NonVisualOnly) {
  if (Event == deUpdateState) {
    UpdateState(NonVisualOnly);
    return;
  }
  if (FState == dsInactive) return;
  TWeakLink self(this);
  TFirstError errors;
  Deliver(Event, errors, [&] { NotifyLinks(Event, Info, NonVisualOnly); });
  if (!NonVisualOnly && self.Alive()) {
    switch (Event) {
      case deFieldChange:
      case deRecordChange:
      case deDataSetChange:
      case deDataSetScroll:
      case deLayoutChange:
        if (OnDataChange)
          errors.Run([&] {
            OnDataChange(this, Event == deFieldChange ? reinterpret_cast<TField*>(Info) : nullptr);
          });
        break;
      case deUpdateRecord:
        if (OnUpdateData) OnUpdateData(this);
        break;
      default:
        break;
    }
  }
  errors.Raise();
}

// ---- TDataLink -------------------------------------------------------------------------------

TL_DEFINE_CLASS(TDataLink)

// Leaves the source without notifications: the descendant is already being torn down.
void TDataLink::BeforeDestruction() {
  if (FDataSource) FDataSource->RemoveDataLink(this);
  FDataSource = nullptr;
  FActive = FEditing = false;
  inherited::BeforeDestruction();
}

TDataLink::~TDataLink() {
  if (FDataSource) {
    auto& links = FDataSource->FLinks;
    links.erase(std::remove(links.begin(), links.end(), this), links.end());
  }
}

void TDataLink::SetDataSource(TDataSource* Value) {
  if (Value == FDataSource) return;
  if (FDataSource) {
    FDataSource->RemoveDataLink(this);
    // The link lets go of the old data set (its fields, its edit) before it meets the new
    // one, even when both are open.
    FDataSource = nullptr;
    UpdateState();
  }
  FDataSource = Value;
  if (FDataSource) FDataSource->AddDataLink(this);
  UpdateState();
}

TDataSet* TDataLink::DataSet() const { return FDataSource ? FDataSource->DataSet() : nullptr; }

void TDataLink::SetReadOnly(bool Value) {
  if (Value == FReadOnly) return;
  FReadOnly = Value;
  UpdateState();
}

void TDataLink::UpdateState() {
  const TDataSetState state = FDataSource ? FDataSource->State() : dsInactive;
  const bool active = state != dsInactive;
  TFirstError errors;
  if (active != FActive) {
    FActive = active;
    FFirstRecord = 0;
    if (active) ClampRange();
    // The owner reading the records runs the data set's handlers, which may free it and
    // this link with it. One that fails still leaves the link told of its editing.
    TWeakLink self(this);
    errors.Run([&] { ActiveChanged(); });
    if (!self.Alive()) {
      errors.Raise();
      return;
    }
  }
  const bool editing = FActive && IsEditState(state) && !FReadOnly;
  if (editing != FEditing) {
    FEditing = editing;
    errors.Run([&] { EditingChanged(); });
  }
  errors.Raise();
}

void TDataLink::ClampRange() {
  TDataSet* ds = DataSet();
  if (!FActive || !ds) {
    FFirstRecord = 0;
    return;
  }
  // In 64 bits: a link may ask for any number of rows.
  const Int64 active = ds->FActiveRecord, count = ds->BufferRecordCount(), size = FBufferCount;
  Int64 first = FFirstRecord;
  if (first > active) first = active;
  if (active >= first + size) first = active - size + 1;
  if (first + size > count) first = std::min(active, std::max<Int64>(0, count - size));
  FFirstRecord = Integer(std::max<Int64>(0, first));
}

void TDataLink::SetBufferCount(Integer Value) {
  FBufferCount = std::max<Integer>(1, Value);
  // Reading more records runs the data set's calculations, which may free this link's owner.
  TWeakLink self(this);
  if (TDataSet* ds = DataSet()) ds->UpdateBufferCount();
  if (self.Alive()) ClampRange();
}

Integer TDataLink::RecordCount() const {
  TDataSet* ds = DataSet();
  if (!FActive || !ds) return 0;
  return std::clamp<Integer>(ds->BufferRecordCount() - FFirstRecord, 0, FBufferCount);
}

Integer TDataLink::ActiveRecord() const {
  TDataSet* ds = DataSet();
  if (!FActive || !ds) return 0;
  return ds->FActiveRecord - FFirstRecord;
}

void TDataLink::SetActiveRecord(Integer Value) {
  TDataSet* ds = DataSet();
  if (!FActive || !ds) return;
  if (Value < 0 || Value >= RecordCount())
    DatabaseError("Record " + IntToStr(Value) + " is outside the link's " +
                      IntToStr(RecordCount()) + " records",
                  ds);
  ds->FActiveRecord = FFirstRecord + Value;
}

bool TDataLink::Bof() const { return DataSet() ? DataSet()->Bof() : true; }
bool TDataLink::Eof() const { return DataSet() ? DataSet()->Eof() : true; }

bool TDataLink::Edit() {
  if (FDataSource && !FReadOnly) {
    // The edit's handlers may free the link's owner, and the link with it.
    TWeakLink self(this);
    FDataSource->Edit();
    if (!self.Alive()) return false;
  }
  return FEditing;
}

bool TDataLink::ExecuteAction(TBasicAction* Action) {
  if (!Action || !FDataSource || !Action->HandlesTarget(FDataSource)) return false;
  Action->ExecuteTarget(FDataSource);
  return true;
}

bool TDataLink::UpdateAction(TBasicAction* Action) {
  if (!Action || !FDataSource || !Action->HandlesTarget(FDataSource)) return false;
  Action->UpdateTarget(FDataSource);
  return true;
}

void TDataLink::UpdateRecord() {
  if (FUpdating) return;
  // The owner's handlers may free it, and this link with it.
  TWatchedValue<bool> updating(this, FUpdating, true);
  UpdateData();
}

void TDataLink::DataEvent(TDataEvent Event, intptr_t Info) {
  if (Event == deUpdateState) {
    UpdateState();
    return;
  }
  if (!FActive) return;
  switch (Event) {
    case deFieldChange:
    case deRecordChange:
      if (!FUpdating)
        RecordChanged(Event == deFieldChange ? reinterpret_cast<TField*>(Info) : nullptr);
      break;
    case deDataSetChange:
    case deLayoutChange:
      ClampRange();
      if (Event == deDataSetChange)
        DataSetChanged();
      else
        LayoutChanged();
      break;
    case deDataSetScroll:
      // The data set moved this link's range with its window before telling it.
      DataSetScrolled(FScrollDistance);
      break;
    case deUpdateRecord:
      UpdateRecord();
      break;
    case deCheckBrowseMode:
      CheckBrowseMode();
      break;
    case deFocusControl: {
      // Once a link has focused the field's control (and cleared it) the others skip it.
      TField*& field = *reinterpret_cast<TField**>(Info);
      if (field) FocusControl(field);
      break;
    }
    default:
      break;
  }
}
