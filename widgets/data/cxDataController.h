// The data controller: records in a record storage, one field per owner item, the
// view-order rows with sorting and filtering, and a batched change notification.
//
// The provider (editing through a data source), the filter criteria binding, summaries,
// groups, focus and selection attach through the virtual hooks below; the base answers
// for a controller that has none of them.
//
// Bulk changes belong inside BeginUpdate/EndUpdate: every change outside a bracket
// rebuilds the rows at once.
#pragma once

#include "classlib/core/Classes.h"
#include "classlib/core/Collections.h"
#include "widgets/data/cxDataControllerInfo.h"
#include "widgets/data/cxDataControllerTypes.h"
#include "widgets/data/cxDataFields.h"
#include "widgets/data/cxDataFind.h"
#include "widgets/data/cxDataStorage.h"

#include "widgets/data/cxDataProvider.h"

#include <functional>
#include <vector>

class TBasicAction;
class TcxCustomDataRelation;
class TcxCustomDataRelationList;
class TcxDetailInfoObject;

class TcxCustomDataController;
class TcxDataListenerLink;
class TcxDataControllerGroups;
class TcxSaveObject;
class TcxDataControllerNotifier;
class TcxFilterCriteria;
class TcxDataFilterCriteria;
class TcxDataSummary;

// The class of the criteria that CreateFilter makes, constructed with the controller.
using TcxFilterCriteriaClass = TMetaClass<TcxFilterCriteria, TcxCustomDataController*>;
// The class of the row list's selection.
using TcxDataSelectionClass = TMetaClass<TcxDataSelection, TcxCustomDataController*>;
// The class of the controller's summary.
using TcxDataSummaryClass = TMetaClass<TcxDataSummary, TcxCustomDataController*>;

using TcxDataControllerNotifyEvent = TMethod<void(TcxCustomDataController* ADataController)>;
using TcxDataControllerRecordEvent = TMethod<void(TcxCustomDataController* ADataController, Integer ARecordIndex)>;
using TcxDataFilterRecordEvent =
    TMethod<void(TcxCustomDataController* ADataController, Integer ARecordIndex, bool& Accept)>;
using TcxDataControllerCompareEvent =
    TMethod<void(TcxCustomDataController* ADataController, Integer ARecordIndex1, Integer ARecordIndex2,
                 Integer AItemIndex, const Variant& V1, const Variant& V2, Integer& Compare)>;
using TcxDataDetailExpandingEvent =
    TMethod<void(TcxCustomDataController* ADataController, Integer ARecordIndex, bool& AAllow)>;
using TcxDataDetailExpandedEvent = TMethod<void(TcxCustomDataController* ADataController, Integer ARecordIndex)>;
using TcxDataRecordChangedEvent =
    TMethod<void(TcxCustomDataController* ADataController, Integer ARecordIndex, Integer AItemIndex)>;
using TcxUpdateControlEvent = TMethod<void(TcxUpdateControlInfo* AInfo)>;

// A listener: an object and the method called with the controller as Sender.
struct TNotifyEventItem {
  TObject* Object = nullptr;
  TNotifyEvent Event;
};

// Raised through the steps of a rebuild once a handler it ran (a sort compare, a summary)
// freed the controller: the steps on the way out touch nothing, and the rebuild's start
// catches it. Not an Exception, so no handler's catch of errors stops it on the way.
struct TcxDataControllerFreed {};

// Called for one row of a walk over the controller's rows (ForEachRow).
using TcxDataRowProc = std::function<void(Integer ARowIndex, const TcxRowInfo& ARowInfo)>;

class TcxCustomDataController : public TPersistent {
  TL_CLASS(TcxCustomDataController, TPersistent)
 public:
  explicit TcxCustomDataController(TComponent* AOwner);
  // Creates the row list (CreateDataControllerInfo reaches the descendant here).
  void AfterConstruction() override;
  void BeforeDestruction() override;
  ~TcxCustomDataController() override;

  // Options, the filter and summary (through their hooks) and the eight events from
  // OnCompare to OnSortingChanged; other events and all data stay.
  void Assign(TPersistent* Source) override;

  TComponent* Owner() const { return FOwner; }
  TcxDataControllerOptions Options() const { return FOptions; }
  // Refreshes the rows when an option that orders them changes.
  void SetOptions(TcxDataControllerOptions Value);
  TcxDataStorage* DataStorage() const { return FDataStorage; }
  TcxCustomDataFieldList* Fields() const { return FFields; }
  TcxCustomDataControllerInfo* DataControllerInfo() const { return FDataControllerInfo; }

  // ---- Modes and owner state ----
  // A data source is attached to the provider.
  virtual bool IsProviderMode() const;
  virtual bool IsGridMode() const { return false; }
  virtual bool IsLoading() const;
  virtual bool IsDestroying() const;
  // The owner is being read from a stream: grouping and sorting events stay silent.
  bool IsReading() const;

  // ---- Items and fields ----
  void AddItem(TObject* AItem);
  void RemoveItem(TObject* AItem);
  Integer GetItemCount() const { return FFields->VisibleCount(); }
  virtual TObject* GetItem(Integer AIndex) const;
  // The item's index; -1 for an object that is no item.
  virtual Integer GetItemID(TObject* AItem) const;
  // The item whose id is AID; nullptr when none.
  virtual TObject* GetItemByID(Integer AID) const;
  // The field of an item index; raises "ItemIndex out of range".
  TcxCustomDataField* GetItemField(Integer AItemIndex) const;
  virtual void ChangeValueTypeClass(Integer AItemIndex, TcxValueTypeClass AValueTypeClass);
  TcxValueTypeClass GetItemValueTypeClass(Integer AItemIndex) const;
  void ChangeTextStored(Integer AItemIndex, bool Value);
  bool GetItemTextStored(Integer AItemIndex) const;
  // Whether dcoSortByDisplayText sorts this item by its display texts.
  virtual bool GetItemSortByDisplayText(Integer AItemIndex) const;
  virtual TcxCustomDataField* CreateInternalField();
  virtual void FieldRemoved(TcxCustomDataField* AField);
  virtual void RemoveNotification(TComponent* AComponent);
  virtual void ItemValueTypeChanged(Integer) {}
  // A field's binding to its outside source is brought up to date (nothing here); the
  // plural form runs it over every field of the list.
  virtual void UpdateField(TcxCustomDataField*) {}
  virtual void UpdateFields();
  // Whether the item shows its values through a display format of its own.
  virtual bool IsItemDisplayFormatDefined(Integer /*AItemIndex*/, bool /*AIgnoreCurrency*/) const { return false; }

  // ---- Records and values ----
  Integer GetRecordCount() const { return FDataStorage->RecordCount(); }
  void SetRecordCount(Integer Value);
  Integer AppendRecord();
  // The new record's index (-1 when a data source made none).
  Integer InsertRecord(Integer ARecordIndex);
  void DeleteRecord(Integer ARecordIndex);
  void CopyRecord(Integer AFromRecordIndex, Integer AToRecordIndex);
  virtual Variant GetValue(Integer ARecordIndex, TcxCustomDataField* AField) const;
  virtual String GetDisplayText(Integer ARecordIndex, TcxCustomDataField* AField) const;
  Variant GetItemValue(Integer ARecordIndex, Integer AItemIndex) const;
  String GetItemDisplayText(Integer ARecordIndex, Integer AItemIndex) const;
  void SetValue(Integer ARecordIndex, Integer AItemIndex, const Variant& AValue);
  void SetDisplayText(Integer ARecordIndex, Integer AItemIndex, const String& AText);
  virtual Variant GetRecordId(Integer ARecordIndex) const;
  Variant GetFieldValues(Integer ARecordIndex, const std::vector<TcxCustomDataField*>& AFields) const;
  virtual Variant GetGroupValue(Integer ARecordIndex, TcxCustomDataField* AField) const;
  std::vector<Variant> GetGroupValues(Integer ARecordIndex) const;
  void CheckItemRange(Integer AItemIndex) const;
  // Accepts 0..RecordCount-1 and the editing record.
  void CheckRecordRange(Integer ARecordIndex) const;

  // ---- Loading records read elsewhere ----
  // Opens an update bracket and clears the records.
  void BeginLoadRecords();
  // Appends a record filled from the reader (values and kept display texts); -1 when the
  // reader's code freed the controller or stopped the reader, and the load ends there.
  Integer AppendRecordFromReader(TcxValueDefReader* AReader);
  // Closes the bracket: the rows are built anew and the focus starts afresh.
  void EndLoadRecords();

  // ---- Locks held by lookup editors around their own updates ----
  void IncLookupLockCount() { ++FLookupLockCount; }
  void DecLookupLockCount() {
    if (FLookupLockCount > 0) --FLookupLockCount;
  }
  virtual bool IsLookupLocked() const { return FLookupLockCount > 0; }
  // Held around a provider's own navigation: in grid mode the listeners are not called
  // meanwhile.
  virtual void BeginProviderLock() { ++FProviderLockCount; }
  virtual void EndProviderLock() {
    if (FProviderLockCount > 0) --FProviderLockCount;
  }
  bool IsProviderLocked() const { return FProviderLockCount > 0; }

  // ---- Sorting and grouping ----
  void ChangeSortingOrder(Integer AItemIndex, TcxDataSortOrder ASortOrder);
  void ClearSorting(bool AKeepGroupedItems);
  TcxDataSortOrder GetItemSortOrder(Integer AItemIndex) const;
  Integer GetItemSortingIndex(Integer AItemIndex) const;
  Integer GetSortingItemCount() const;
  void ChangeItemSortingIndex(Integer AItemIndex, Integer ASortingIndex);
  // Places the item at a grouping level (a negative index ungroups it).
  void ChangeItemGroupIndex(Integer AItemIndex, Integer AGroupIndex);
  Integer GetItemGroupIndex(Integer AItemIndex) const;
  Integer GetGroupingItemCount() const;
  Integer GetGroupingItemIndex(Integer ALevel) const;

  // Orders the groups (one grouping level) by a group summary item's values; -1 clears.
  void SortGroupsBySummary(Integer ASummaryIndex, TcxDataSortOrder ASortOrder);
  bool IsSortingBySummary() const { return FDataControllerInfo->GroupSortingSummaryIndex() >= 0; }

  virtual Integer CompareRecords(Integer ARecordIndex1, Integer ARecordIndex2, const TcxDataSortInfo& ASortInfo) const;
  Integer CompareRecordsBySortOrder(Integer ARecordIndex1, Integer ARecordIndex2, const TcxDataSortInfo& ASortInfo) const;
  virtual Integer CompareRecordIndexes(Integer ARecordIndex1, Integer ARecordIndex2) const {
    return ARecordIndex1 < ARecordIndex2 ? -1 : ARecordIndex1 > ARecordIndex2 ? 1 : 0;
  }
  // Whether comparing this entry needs the values fetched (a string option, OnCompare,
  // or display texts): the compare kind of the sort.
  virtual Integer GetCompareKind(const TcxDataSortInfo& ASortInfo) const;
  // Whether a record's filter verdict and its place in a sort follow from its own values by
  // this class's rules (the filter and compare above, not a descendant's): a changed record
  // then finds its row alone. Only the class itself answers True.
  virtual bool RowsFollowRecordValues() const;

  // ---- Rows ----
  Integer GetRowCount() const { return FDataControllerInfo->GetRowCount(); }
  TcxRowInfo GetRowInfo(Integer ARowIndex) const;
  Integer GetRowIndexByRecordIndex(Integer ARecordIndex, bool AMakeVisible);
  Integer GetFilteredRecordCount() const { return FDataControllerInfo->GetFilteredRecordCount(); }
  Integer GetFilteredRecordIndex(Integer AIndex) const { return FDataControllerInfo->GetFilteredRecordIndex(AIndex); }
  Integer GetFilteredIndexByRecordIndex(Integer ARecordIndex) const {
    return FDataControllerInfo->GetFilteredIndexByRecordIndex(ARecordIndex);
  }
  Integer GetFocusedRowIndex() const;
  Integer GetFocusedRecordIndex() const;
  // Moves the focus (clamped to -1..RowCount-1); the record of the row is focused with it.
  // True unless the move was refused; detail controllers leave their edit state first.
  bool ChangeFocusedRowIndex(Integer ARowIndex);
  // Focuses the row that shows the record, expanding its groups; -1 clears the focus.
  // False when the record has no row (the filter hides it) or the move was refused.
  bool ChangeFocusedRecordIndex(Integer ARecordIndex);
  // The record of the active row: the focused record, else kNoEditRecord.
  virtual Integer GetCurrentRecordIndex() const;
  virtual Integer GetActiveRecordIndex() const { return GetFocusedRecordIndex(); }
  // Forgets the focused row and finds the current record's row again at the rebuild.
  virtual void ResetFocusing();
  // The records were scrolled under the rows.
  virtual void DataScrolled() { ResetFocusing(); }
  // Focuses the AIndex-th selected row; True when it became the focused row.
  virtual bool FocusSelectedRow(Integer AIndex);
  // AProc for each row in order, or for each selected row (single-select mode: the focused
  // row while it counts as selected); the rows are taken when the walk begins.
  virtual void ForEachRow(bool ASelectedOnly, const TcxDataRowProc& AProc);
  // Leaves a pending edit (the provider fills it); called before the edited row is hidden.
  virtual void CheckBrowseState() {}
  // Posts a pending edit first, unless the record is the one being edited.
  virtual bool CanFocusRecord(Integer ARecordIndex);
  virtual bool CanSelectRow(Integer) { return true; }
  virtual void BeforeFocusedRowChange(Integer) {}
  virtual void FocusedRecordChanged() {}
  // A rebuild of the rows moved the focus to another record; told after the focus notices.
  virtual void FocusSettledByRebuild() {}

  // ---- Selection ----
  // Asked once, when the row list is made.
  virtual TcxDataSelectionClass GetDataSelectionClass() const {
    return ClassOf<TcxDataSelection, TcxDataSelection, TcxCustomDataController*>();
  }
  bool IsMultiSelect() const { return FMultiSelect; }
  // Leaving multi-select mode clears the selection.
  void SetMultiSelect(bool Value);
  bool IsFocusedSelected() const { return FFocusedSelected; }
  void SetFocusedSelected(bool Value);
  void ChangeRowSelection(Integer ARowIndex, bool ASelected);
  bool IsRowSelected(Integer ARowIndex) const;
  Integer GetSelectedCount() const;
  virtual Integer GetSelectedRowIndex(Integer AIndex) const;
  void ClearSelection();
  virtual void SelectAll();
  void SelectRows(Integer AStartRowIndex, Integer AEndRowIndex);
  virtual void SetSelectionAnchor(Integer ARowIndex);
  virtual Integer GetSelectionAnchorRowIndex() const;
  virtual bool IsSelectionAnchorAssigned() const { return GetSelectionAnchorRowIndex() >= 0; }
  // With an anchor: clears the selection unless AKeepSelection, then selects the rows
  // from the anchor to ARowIndex.
  virtual void SelectFromAnchor(Integer ARowIndex, bool AKeepSelection);
  // The counters of the selection notification follow the rows after they moved.
  void UpdatePrevSelection();

  TcxDataControllerGroups* Groups() const { return FGroups; }

  // ---- Bookmark: one remembered record (-1: none) ----
  Integer BookmarkRecordIndex() const { return FBookmarkRecordIndex; }
  virtual bool IsBookmarkAvailable() const { return FBookmarkRecordIndex != -1; }
  // A data row that shows the bookmarked record.
  virtual bool IsBookmarkRow(Integer ARowIndex) const;
  // True when ARecordIndex is the bookmarked record or the bookmarked record left the rows.
  virtual bool IsBookmarkInvalid(Integer ARecordIndex) const;
  // Clears an invalid bookmark and reports dccBookmark.
  virtual void CheckBookmark(Integer ARecordIndex);
  virtual void ClearBookmark();
  virtual void GotoBookmark();
  // Remembers the focused record; True when the bookmark changed.
  virtual bool SaveBookmark();

  // ---- Further filters: criteria owned by the controller, never filtering its rows ----
  // A new criteria of GetFilterCriteriaClass in the filter list.
  TcxFilterCriteria* CreateFilter();
  // The criteria bound to the controller (its fields, its records).
  virtual TcxFilterCriteriaClass GetFilterCriteriaClass() const;
  Integer GetFilterCount() const { return Integer(FFilters.size()); }
  TcxFilterCriteria* GetFilter(Integer AIndex) const { return FFilters.at(size_t(AIndex)); }
  // A criteria of the list is being destroyed by its holder: the list forgets it.
  void FilterDestroying(TcxFilterCriteria* ACriteria);

  // Components told about through the notifier pass their removal to RemoveNotification.
  TcxDataControllerNotifier* Notifier() const { return FNotifier; }

  // ---- Keys kept across a reload ----
  // The first call locks updates and saves the selected rows by their keys; nested calls
  // only count. The last EndRestoreKeys restores them and releases the lock.
  void BeginSaveKeys();
  void EndRestoreKeys();
  // Whether records keep identities across a reload (the provider's record ids).
  virtual bool IsSmartRefresh() const;
  // Whether an edited record is re-read in place after a post instead of every record
  // being read again; never here (a descendant that identifies its records by key may).
  virtual bool IsSmartRefreshActive() const { return false; }
  virtual void GetKeyFields(std::vector<TcxCustomDataField*>&) const {}
  // What tells a record apart from others with its key values across a reload (empty when
  // nothing does): the selection kept by keys follows it among records sharing a key.
  virtual String RecordIdentity(Integer) const { return {}; }

  // ---- Hooks of the editing provider, the filter binding and the summary ----
  // The record being edited and the record that followed it in the rows when editing
  // began (-1: it was the last row). Without a provider nothing is edited.
  virtual Integer GetEditingRecordIndex() const;
  virtual Integer GetEditingFollowingRecordIndex() const;
  // Filter criteria bound to the controller: whether they filter, and their verdict.
  virtual bool IsFiltering() const;
  virtual bool DoFilterCriteriaRecord(Integer ARecordIndex) const;
  // Around a filter pass of the row list.
  virtual void BeginFilterRecords();
  virtual void EndFilterRecords();
  virtual bool IsIncrementalFiltering() const;
  virtual bool CompareIncrementalFilterText(Integer ARecordIndex) const;
  // Around a filter pass that runs no handler: the incremental filter's verdicts come from
  // the storage's text index when it answers (the texts of stored values, outside provider
  // and grid mode, are the storage's), so no record's text is read and compared.
  void BeginIncrementalFilterPass();
  void EndIncrementalFilterPass();
  // Stops a running incremental search (the search object fills it).
  virtual void CancelIncrementalSearch();
  // Summary passes of a rebuild: the footer over the filtered records, then the groups
  // (and the footer when it counts selected records, which need the rows).
  virtual void CalculateFooterSummary();
  virtual void CalculateGroupSummaries();
  virtual bool SummaryCountsSelectedOnly() const;
  virtual void AssignFilterAndSummary(TcxCustomDataController* ASource);

  // ---- The main filter, the search, the summary and the record stream ----
  // The criteria that filter the rows while active (made by GetFilterCriteriaClass).
  TcxDataFilterCriteria* Filter() const { return FFilter; }
  void SetFilter(TcxFilterCriteria* Value);
  // The main filter changed: a pending edit is cancelled, the rows are built again and
  // the bookmark is checked.
  virtual void FilterChanged();
  TcxDataControllerSearch* Search() const { return FSearch; }
  virtual TcxDataControllerSearchClass GetSearchClass() const;
  // The search of a grid-mode descendant; the base finds nothing.
  virtual bool GridModeSearch(const String&, bool /*AForward*/, bool /*ANext*/) { return false; }
  TcxDataSummary* Summary() const { return FSummary; }
  void SetSummary(TcxDataSummary* Value);
  virtual TcxDataSummaryClass GetSummaryClass() const;
  // The class of every summary item the summary makes.
  virtual TCollectionItemClass GetSummaryItemClass() const;
  // From the view-order position AStartIndex to the end (or the start), then, with AWrap,
  // the rest: the record whose display text of the item matches AText (its start with
  // APartial), case aside; -1 when none or when AStartIndex is outside the positions.
  Integer FindIncrementalFilterRecord(Integer AStartIndex, Integer AItemIndex, bool AForward, bool AWrap,
                                      const String& AText, bool APartial);
  // The value the filter and the value lists read (the stored value here).
  virtual Variant GetRecordFieldValue(Integer ARecordIndex, TcxCustomDataField* AField) const {
    return GetValue(ARecordIndex, AField);
  }
  // The names filter texts give an item: its field's name in a filter expression, and
  // its data field's name in the texts shown to the user.
  virtual String GetItemFieldName(Integer) const { return String(); }
  virtual String GetItemDataFieldName(Integer) const { return String(); }
  // The stored records with their fields' value types ("DataController1" block); no
  // order, filter or focus. Loading replaces every record, all or nothing: a stream of
  // other fields raises "Invalid stream format", a damaged one the stream read error,
  // and either leaves the controller as it was.
  void SaveToStream(TStream& AStream);
  void LoadFromStream(TStream& AStream);

 private:
  // Reads a value or text from outside the controller (see GetValue).
  template <class F>
  auto ReadFromOutside(F&& ARead) const -> decltype(ARead());
  void CreateFilterSearchAndSummary();
  void FreeFilterSearchAndSummary();
  void FieldRemovedFromFilterSearchAndSummary(TcxCustomDataField* AField);

 public:

  // ---- Events fired by the row list ----
  virtual bool HasFilterRecordEvent() const { return bool(OnFilterRecord); }
  virtual bool DoFilterRecord(Integer ARecordIndex);

  // ---- Change notification and update locking ----
  void BeginUpdate();
  void EndUpdate();
  Integer LockCount() const { return FDataControllerInfo->LockCount(); }
  void Change(TcxDataControllerChanges AChanges);
  void CheckChanges();
  // dcDeleted without a record (-1): several records went, each noted with the rows.
  virtual void DataChanged(TcxDataChange AKind, Integer AItemIndex, Integer ARecordIndex);
  virtual void NotifyDataChanged();
  virtual void Refresh();
  // Rebuilds the rows (after an option, filter or incremental-filter change).
  virtual void RefreshView();
  // What RefreshView does after one record's values were read into the storage behind
  // DataChanged's back (-1: none; records that came or went did so through the
  // controller): the rows change as a rebuild changes them, only that record is weighed.
  void RefreshRecordView(Integer ARecordIndex);
  virtual void NotifyChanged();
  virtual void DoUpdateControl(TcxUpdateControlInfo* AInfo);
  // Runs what was held back while the owner loaded: the summaries, the notification.
  virtual void Loaded();
  void AddNotifyEventItem(TObject* AObject, TNotifyEvent AEvent);
  void RemoveNotifyEventItem(TObject* AObject, TNotifyEvent AEvent);
  TcxDataChange PendingDataChangeKind() const { return FDataChangeKind; }
  bool IsNotifying() const { return FNotifying; }

  // ---- Listener links ----
  TcxDataListenerLink* CreateListenerLink();
  void DestroyListenerLink(TcxDataListenerLink*& ALink);

  // ==== Provider and data source ====
  TcxCustomDataProvider* Provider() const { return FProvider; }
  // Asked once, when the controller is made.
  virtual TcxDataProviderClass GetDataProviderClass() const;
  TcxCustomDataSource* CustomDataSource() const { return FProvider->CustomDataSource(); }
  void SetCustomDataSource(TcxCustomDataSource* Value) { FProvider->SetCustomDataSource(Value); }
  // A visible field, or an internal one referencing a visible field: in provider mode
  // its values live in the data source.
  virtual bool IsProviderValueField(TcxCustomDataField* AField) const;
  // The internal field holding the record handles while a data source is attached.
  TcxCustomDataField* RecordHandleField() const { return FRecordHandleField; }
  // Whether the storage keeps record ids of its own (never in the base controller).
  virtual bool IsRecordID() const { return false; }
  // Resets the edit, clears the records (unless they are the controller's own), sets
  // the storage up for the mode, and reloads.
  virtual void UpdateStructure();
  // Re-reads the records from an active provider.
  virtual void ReloadStorage();
  // The part of ReloadStorage that reads the records of a provider with a cursor of its
  // own (not in grid mode) into the emptied storage: frozen, it walks from the first
  // record to the end and comes back to where it was.
  virtual void ReadProviderRecords();
  // Whether the records are read from a source at the next refresh.
  virtual bool IsReloadNeeded() const { return IsProviderMode() || FReloadPending; }
  // A change of the provider's buffer is under way; none here.
  virtual bool IsGridModeChangePending() const { return false; }
  // Runs what other controllers held back while this one was busy; nothing here.
  virtual void DeliverHeldBackNotices() {}
  // A clone detail asks its master to follow it (dccSyncMasterPos), then the held-back
  // notices go out.
  void ReportSyncMasterPos();
  // The record the focus follows when it is reset: the provider's current record when
  // the provider has a cursor that follows the focus, else the current record.
  virtual Integer GetFocusingRecordIndex() const;
  virtual void ActiveChanged(bool AActive);
  bool IsActive() const { return FActive; }
  void BeginDeletingRecords() { ++FDeletingCount; }
  void EndDeletingRecords() { --FDeletingCount; }
  bool IsDeletingRecords() const { return FDeletingCount > 0; }
  bool IsCancelling() const { return FCancelling; }

  // ==== Editing (the state machine is the provider's) ====
  TcxDataControllerEditState GetEditState() const;
  TcxDataControllerEditOperations GetEditOperations() const;
  bool IsEditing() const;
  void Append();
  void Insert();
  void Edit();
  // Posts the provider's edit; safe against handlers that free the controller.
  void PostEditing();
  void Cancel();
  bool CanInitEditing(Integer AItemIndex);
  Variant GetEditValue(Integer AItemIndex, TcxDataEditValueSource AEditValueSource);
  void SetEditValue(Integer AItemIndex, const Variant& AValue, TcxDataEditValueSource AEditValueSource);
  // The item's edit value source: evsText here.
  virtual TcxDataEditValueSource GetItemEditValueSource(Integer AItemIndex) const;
  virtual bool IsImmediatePost() const;
  void UpdateData();
  // Runs after the pending editor values were taken over; nothing here.
  virtual void AfterUpdateData() {}
  // Around reading a record's values in from outside; nothing here.
  virtual void BeginReadRecord() {}
  virtual void EndReadRecord() {}
  // Asks the owner to focus the control that shows AItemIndex; ADone tells whether it did.
  // A controller of its own shows nothing, so nothing is focused here.
  virtual void FocusControl(Integer /*AItemIndex*/, bool& ADone) { ADone = false; }
  // Actions the controller's source handles; none here.
  virtual bool ExecuteAction(TBasicAction* /*AAction*/) { return false; }
  virtual bool UpdateAction(TBasicAction* /*AAction*/) { return false; }
  // Takes over an editor's pending value (asked by the provider); empty here.
  virtual void UpdateEditingRecord() {}
  // The record being edited, else the current record.
  Integer GetEditingOrCurrentRecordIndex() const;
  void DeleteFocused();
  void DeleteSelection();
  // Deletes the records (any order, duplicates allowed) as one bulk deletion.
  void DeleteRecords(std::vector<Integer> AList);
  virtual void DoAfterCancel();
  virtual void DoAfterDelete();
  virtual void DoAfterInsert();
  virtual void DoAfterPost();
  virtual void DoBeforeCancel();
  virtual void DoBeforeDelete(Integer ARecordIndex);
  virtual void DoBeforeInsert();
  virtual void DoBeforePost();
  virtual void DoNewRecord(Integer ARecordIndex);

  // ==== The new-item row: an internal record edited before it becomes a real one ====
  bool UseNewItemRowForEditing() const { return FUseNewItemRowForEditing; }
  void SetUseNewItemRowForEditing(bool Value);
  bool IsNewItemRowFocused() const { return FNewItemRowFocused; }
  void SetNewItemRowFocused(bool Value);
  // Both flags set and no record focused.
  bool IsNewItemRowActive() const;
  // The active new-item row's record is -1, which elsewhere means "no record".
  bool IsNewItemRecordMinusOne() const { return IsNewItemRowActive() && FNewItemRecordIndex == -1; }
  // The internal record of the new-item row, made on first use.
  Integer GetNewItemRecordIndex();

  // ==== Navigation (rows of the row list; in grid mode the provider's) ====
  void GotoFirst();
  void GotoLast();
  void GotoNext();
  void GotoPrev();
  void MoveBy(Integer ADistance);
  bool IsBOF() const;
  bool IsEOF() const;
  // Grid mode only.
  bool Scroll(Integer ADistance);
  // When True, focusing a record focuses row 0 of its active detail.
  virtual bool IsFocusDetailRow() const { return false; }
  // Asked before the focus leaves its row while the provider follows a cursor.
  virtual bool CanLeaveFocusedRow() { return true; }

  // ==== Incremental filter ====
  // Stores item and text, refreshes the rows; the first filtered record or -1.
  Integer ApplyIncrementalFilter(Integer AItemIndex, const String& AText);
  bool ChangeIncrementalFilterText(const String& AText);
  void ResetIncrementalFilter();
  // The place of the filter's item now: the filter keeps its field wherever it moves.
  Integer GetIncrementalFilterItemIndex() const;
  const String& GetIncrementalFilterText() const { return FIncrementalFilterText; }

  // ==== Relations: master-detail ====
  // Created on first use.
  TcxCustomDataRelationList* Relations();
  bool HasRelations() const;
  virtual TcxCustomDataRelation* CreateRelation(TcxCustomDataRelationList* AList, TObject* AItem);
  // The hooks through which a descendant supplies clone details: the object made for a
  // master record and relation, and the controller of such an object.
  virtual TObject* CreateDetailDataController(TcxCustomDataRelation*, Integer) { return nullptr; }
  virtual TcxCustomDataController* GetDetailDataControllerOf(TObject*) const { return nullptr; }
  // The relation index a new detail object starts with.
  virtual Integer GetDefaultActiveRelationIndex() const { return 0; }
  TcxCustomDataController* GetDetailDataController(Integer ARecordIndex, Integer ARelationIndex);
  TObject* GetDetailDataControllerObject(Integer ARecordIndex, Integer ARelationIndex);
  bool GetDetailHasChildren(Integer ARecordIndex, Integer ARelationIndex);
  Integer GetDetailActiveRelationIndex(Integer ARecordIndex);
  void ChangeDetailActiveRelationIndex(Integer ARecordIndex, Integer ARelationIndex);
  bool GetDetailExpanding(Integer ARecordIndex);
  bool ChangeDetailExpanding(Integer ARecordIndex, bool AExpanded);
  virtual bool CanChangeDetailExpanding(Integer ARecordIndex, bool AExpanded);
  void ResetDetails();
  void CollapseDetails();
  // Every existing detail controller of ARelation, through every level of masters.
  void ForEachDetailController(TcxCustomDataRelation* ARelation,
                               TMethod<void(TcxCustomDataController* ADetail)> AProc);
  // Every detail controller leaves its edit state.
  void CheckDetailsBrowseState();
  TcxCustomDataController* GetMasterDataController() const;
  TcxCustomDataRelation* GetMasterRelation() const { return FMasterRelation; }
  bool IsCreatingDetail() const { return FCreatingDetail; }
  Integer GetMasterRecordIndex() const { return FMasterRecordIndex; }
  TcxCustomDataController* GetPatternDataController();
  bool IsDetail() const { return FMasterRelation != nullptr; }
  bool IsPattern() const { return FIsPattern; }
  TcxDataControllerDetailMode GetDetailMode() const;
  // Attaches to a master's relation: as its pattern for record -1, else as the clone of
  // that record (taking the pattern's data source); nullptr detaches.
  virtual void SetMasterRelation(TcxCustomDataRelation* ARelation, Integer ARecordIndex);
  void SetIsPattern(bool Value) { FIsPattern = Value; }

  // Events.
  TcxDataControllerNotifyEvent OnAfterCancel, OnAfterDelete, OnAfterInsert, OnAfterPost, OnBeforeCancel;
  TcxDataControllerRecordEvent OnBeforeDelete;
  TcxDataControllerNotifyEvent OnBeforeInsert, OnBeforePost;
  TcxDataFilterRecordEvent OnFilterRecord;
  TcxDataControllerRecordEvent OnNewRecord;
  TcxDataControllerCompareEvent OnCompare;
  TcxDataControllerNotifyEvent OnDataChanged;
  TcxDataDetailExpandingEvent OnDetailCollapsing, OnDetailExpanding;
  TcxDataDetailExpandedEvent OnDetailCollapsed, OnDetailExpanded;
  TcxDataControllerNotifyEvent OnGroupingChanged, OnSortingChanged;
  TcxDataRecordChangedEvent OnRecordChanged;
  TcxUpdateControlEvent OnUpdateControl;

 protected:
  virtual TcxCustomDataField* CreateField();
  virtual TcxCustomDataControllerInfo* CreateDataControllerInfo();
  // Record indexes from ARecordIndex on moved up or down by one.
  virtual void RecordInserted(Integer ARecordIndex);
  virtual void RecordDeleted(Integer ARecordIndex);
  // Sends the pending changes: the eight steps of the notification.
  void SendChanges();
  // The steps of SendChanges; each takes its members out of ALeft before it tells anyone.
  void SendChangeSteps(TcxDataControllerChanges& ALeft);
  // The record a focus change is bound for, as followed so far (-1: gone or read again).
  Integer FocusTargetRecordIndex() const { return FFocusTargetRecordIndex; }

 private:
  friend class TcxCustomDataControllerInfo;
  void Send(TcxUpdateControlInfo* AInfo);
  void BookmarkChanged();

  // ---- Provider, editing and relations ----
  friend class TcxCustomDataFieldList;
  friend class TcxCustomDataProvider;
  friend class TcxCustomDataRelationList;
  friend class TcxDetailInfoObject;
  void CreateRecordHandleField(bool AWanted);
  // Values and kept texts of the non-internal fields, without notification; False when a
  // value read from outside (grid mode, a data source) ran code that freed the controller.
  bool CopyRecordValues(Integer AFromRecordIndex, Integer AToRecordIndex);
  void ClearRecordValues(Integer ARecordIndex);
  // Removes the records (ascending, unique) in one pass and fixes every index up.
  void DeleteStorageRecords(const std::vector<Integer>& AList);
  // The record chosen by the provider's BeginDeleting takes the focus at the rebuild.
  void ApplyDeletingFocus();
  // Deletes what the row shows: its record, or every record of its group.
  void DeleteFocusedRow(Integer ARowIndex);
  // The records the rows show (a group row: its group's), sorted, each once.
  std::vector<Integer> GetRowRecords(const std::vector<Integer>& ARows);
  // The selected rows in selection order (single-select mode: the focused row when selected).
  std::vector<Integer> GetSelectedRows() const;
  // A refresh: the records are read again first when they come from a source.
  void DoRefresh();
  // Notes the expanded (and selected) groups by their values while the records that
  // the groups were built over still exist.
  void PreserveGroupStates();
  bool FDeletingSelection = false;
  bool FInDeleteCommand = false;  // DeleteFocused or DeleteSelection: the selection goes
  void FixDetailRecordIndexes(Integer ARecordIndex, Integer ADelta);
  void DetailChanged();
  void DetachFromMaster();
  void FreeDetails();
  TcxCustomDataProvider* FProvider = nullptr;
  TcxCustomDataField* FRecordHandleField = nullptr;
  bool FActive = false;
  bool FReloadPending = false;
  bool FCancelling = false;
  bool FChangingDataSource = false;
  Integer FDeletingCount = 0;
  bool FUseNewItemRowForEditing = false;
  bool FNewItemRowFocused = false;
  Integer FNewItemRecordIndex = 0;  // 0: not made yet
  TcxCustomDataField* FIncrementalFilterField = nullptr;
  String FIncrementalFilterText;
  // During a filter pass: the records the text index says match (empty: ask each record).
  std::vector<char> FIncrementalFilterMatches;
  TcxCustomDataRelationList* FRelations = nullptr;
  TcxCustomDataRelation* FMasterRelation = nullptr;
  Integer FMasterRecordIndex = -1;
  bool FIsPattern = false;
  bool FCreatingDetail = false;
  bool FRetryingDetail = false;
  TcxDetailInfoObject* FDetailInfo = nullptr;  // the master's slot holding this clone
  void ProviderFieldRemoved(TcxCustomDataField* AField);

  TComponent* FOwner;
  TcxDataControllerOptions FOptions;
  TcxDataStorage* FDataStorage = nullptr;
  TcxCustomDataFieldList* FFields = nullptr;
  TcxCustomDataControllerInfo* FDataControllerInfo = nullptr;
  std::vector<TNotifyEventItem> FNotifyEventItems;
  std::vector<TcxDataListenerLink*> FListenerLinks;
  TcxDataControllerChanges FChanges;
  TcxDataChange FDataChangeKind = TcxDataChange::dcTotal;
  Integer FDataChangeItemIndex = -1;
  Integer FDataChangeRecordIndex = -1;
  bool FDestroying = false;
  bool FNotifying = false;
  bool FSortingNotifying = false;
  bool FRefreshPending = false;
  bool FMultiSelect = false;
  bool FFocusedSelected = true;
  TcxDataControllerGroups* FGroups = nullptr;
  TcxSaveObject* FSaveObject = nullptr;
  Integer FLookupLockCount = 0;
  Integer FProviderLockCount = 0;
  Integer FSaveKeysCount = 0;
  // Inside a save-keys bracket of a smart refresh the selection comes back by its keys.
  bool IsRestoringSelectionByKeys() const { return FSaveKeysCount > 0 && IsSmartRefresh(); }
  bool FDataChangeMerged = false;
  bool FChangedHeldBack = false;
  bool FSummaryHeldBack = false;  // summaries skipped while the owner was read
  bool FFocusSettled = false;     // a rebuild moved the focus: told with the focus step
  Integer FPrevSelectedCount = 0;
  Integer FPrevSelectedRow = -1;
  Integer FBookmarkRecordIndex = -1;
  // The record a focus change is bound for, followed while leaving the focused row settles
  // its edit (records may come and go meanwhile); -1 once it is gone or read again.
  Integer FFocusTargetRecordIndex = -1;
  TcxDataControllerNotifier* FNotifier = nullptr;
  std::vector<TcxFilterCriteria*> FFilters;
  TcxDataFilterCriteria* FFilter = nullptr;
  TcxDataControllerSearch* FSearch = nullptr;
  TcxDataSummary* FSummary = nullptr;
};

// Hears of the removal of the components it was told about (through their
// FreeNotification) and passes it to its controller's RemoveNotification.
class TcxDataControllerNotifier : public TComponent {
  TL_CLASS(TcxDataControllerNotifier, TComponent)
 public:
  explicit TcxDataControllerNotifier(TcxCustomDataController* ADataController)
      : TComponent(nullptr), FDataController(ADataController) {}

 protected:
  void Notification(TComponent* AComponent, TOperation Operation) override;

 private:
  TcxCustomDataController* FDataController;
};

// A weak link: its controller becomes nullptr when the controller is destroyed.
class TcxDataListenerLink : public TObject {
  TL_CLASS(TcxDataListenerLink, TObject)
 public:
  TcxCustomDataController* DataController() const { return FDataController; }

 private:
  friend class TcxCustomDataController;
  TcxCustomDataController* FDataController = nullptr;
};

// The controller's face for grouping: expanding, grouping items and walking the tree.
class TcxDataControllerGroups : public TObject {
  TL_CLASS(TcxDataControllerGroups, TObject)
 public:
  explicit TcxDataControllerGroups(TcxCustomDataController* ADataController) : FDataController(ADataController) {}
  TcxCustomDataController* DataController() const { return FDataController; }

  // A group row's flag (and its descendants' with ARecursive); nothing without grouping
  // or with dcoGroupsAlwaysExpanded. A collapse that hides the focused row focuses the
  // group row.
  void ChangeExpanding(Integer ARowIndex, bool AExpanded, bool ARecursive);
  void FullCollapse();
  // False without grouping; True at once with dcoGroupsAlwaysExpanded.
  bool FullExpand();
  void ChangeGrouping(Integer AItemIndex, Integer AGroupIndex);
  void ClearGrouping();
  Integer GroupingItemCount() const;
  Integer GroupingItemIndex(Integer ALevel) const;
  Integer GetItemGroupIndex(Integer AItemIndex) const;
  // -1 gives the top-level groups; a deepest group its records; an inner group its
  // child groups; -1 for a bad index.
  Integer ChildCount(Integer AGroupIndex) const;
  Integer ChildGroupIndex(Integer AGroupIndex, Integer AIndex) const;
  Integer ChildRecordIndex(Integer AGroupIndex, Integer AIndex) const;
  Integer Level(Integer AGroupIndex) const;
  Integer GetGroupIndexByRowIndex(Integer ARowIndex) const;
  bool IsChildRow(Integer AParentRowIndex, Integer ARowIndex) const;
  // The records of the row's group, through its child groups.
  void LoadRecordList(std::vector<Integer>& AList, Integer ARowIndex) const;

 private:
  TcxCustomDataController* FDataController;
};
