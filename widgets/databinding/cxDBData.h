// The data controller over a data set of the class library.
//
// TcxDBDataController reads its records from the data set behind a data source. The work
// is shared out: the provider (TcxDBDataProvider) moves, edits, posts and deletes on the
// data set and turns its link's notices into controller updates; the mode controller holds
// the published switches of the data modes; data fields (TcxDBDataField) tie items to
// TField objects and choose their value types; a reader (TcxValueDefDBReader) copies the
// data set's current record into the record storage.
//
// In loaded mode every record of the data set is copied into the controller's storage, and
// sorting, grouping, filtering and summaries work on the copy; the data set's current
// record follows the focused row while SyncMode is on.
//
// Two different questions go by "smart refresh" in this unit, and they get two names:
// IdentifiesRecordsByKey (the controller has key fields and loads every record, so a
// record keeps its identity across reloads; the controller's IsSmartRefresh answers it)
// and IsSmartRefreshActive (the SmartRefresh switch is on as well, so an edited record is
// re-read in place after a post instead of every record being read again).
#pragma once

#include "classlib/core/DB.h"
#include "widgets/data/cxCustomData.h"
#include "widgets/data/cxDataRelations.h"
#include "widgets/data/cxDataSummary.h"
#include "widgets/databinding/cxDBRecordBookmarks.h"
#include "widgets/databinding/cxDBUtils.h"
#include "widgets/foundation/cxVariants.h"

#include <deque>
#include <functional>
#include <unordered_set>
#include <vector>

class TcxDBDataController;
class TcxDBDataProvider;
class TcxDBDataField;
class TcxDBDataModeController;

// Called for one row of a walk over the controller's rows (ForEachRow).
using TcxDBDataRowProc = TcxDataRowProc;

using TcxDBDataModeControllerDetailFirstEvent =
    TMethod<void(TcxDBDataModeController* Sender, TDataSet* ADataSet, const String& AMasterDetailKeyFieldNames,
                 const Variant& AMasterDetailKeyValues, bool& AReopened)>;
using TcxDBDataModeControllerDetailIsCurrentQueryEvent =
    TMethod<bool(TcxDBDataModeController* Sender, TDataSet* ADataSet, const String& AMasterDetailKeyFieldNames,
                 const Variant& AMasterDetailKeyValues)>;
using TcxDBDataDetailHasChildrenEvent =
    TMethod<void(TcxDBDataController* Sender, Integer ARecordIndex, Integer ARelationIndex,
                 const String& AMasterDetailKeyFieldNames, const Variant& AMasterDetailKeyValues, bool& HasChildren)>;

// The published switches of the data modes, owned by its data-set controller.
class TcxDBDataModeController : public TPersistent {
  TL_CLASS(TcxDBDataModeController, TPersistent)
 public:
  explicit TcxDBDataModeController(TcxDBDataController* ADataController) : FDataController(ADataController) {}
  void Assign(TPersistent* Source) override;

  TcxDBDataController* DataController() const { return FDataController; }
  bool DetailInSQLMode() const { return FDetailInSQLMode; }
  void SetDetailInSQLMode(bool Value) { FDetailInSQLMode = Value; }
  // Whether a detail controller may follow and move its data set; not published.
  bool DetailSyncEnabled() const { return FDetailSyncEnabled; }
  bool GridMode() const { return FGridMode; }
  void SetGridMode(bool Value);
  Integer GridModeBufferCount() const { return FGridModeBufferCount; }
  // A negative count is kept as 0 (the controller's default size).
  void SetGridModeBufferCount(Integer Value);
  bool SmartRefresh() const { return FSmartRefresh; }
  void SetSmartRefresh(bool Value);
  // Whether an insert that the data set starts by itself shows as the controller's new
  // record; not published.
  bool SyncInsert() const { return FSyncInsert; }
  void SetSyncInsert(bool Value) { FSyncInsert = Value; }
  bool SyncMode() const { return FSyncMode; }
  void SetSyncMode(bool Value);

  TcxDBDataModeControllerDetailFirstEvent OnDetailFirst;
  TcxDBDataModeControllerDetailIsCurrentQueryEvent OnDetailIsCurrentQuery;

  bool DetailIsCurrentQuery(const String& AMasterDetailKeyFieldNames, const Variant& AMasterDetailKeyValues);
  bool DetailFirst(const String& AMasterDetailKeyFieldNames, const Variant& AMasterDetailKeyValues,
                   bool& AReopened);

 private:
  TcxDBDataController* FDataController;
  bool FDetailInSQLMode = false;
  bool FDetailSyncEnabled = true;
  bool FGridMode = false;
  Integer FGridModeBufferCount = 0;
  bool FSmartRefresh = false;
  bool FSyncInsert = true;
  bool FSyncMode = true;
};

// Delivers the data set's notices to its provider.
class TcxDBDataLink : public TDataLink {
  TL_CLASS(TcxDBDataLink, TDataLink)
 public:
  explicit TcxDBDataLink(TcxDBDataProvider* AProvider);
  TcxDBDataProvider* Provider() const { return FProvider; }

 protected:
  friend class TcxDBDataProvider;
  void ActiveChanged() override;
  void DataSetChanged() override;
  void DataSetScrolled(Integer ADistance) override;
  void EditingChanged() override;
  void FocusControl(TField*& AField) override;
  void LayoutChanged() override;
  void RecordChanged(TField* AField) override;
  void UpdateData() override;

 private:
  TcxDBDataProvider* FProvider;
};

// The fields the controller itself wrote into the record being edited.
class TcxDBDataAssignedFields : public TObject {
  TL_CLASS(TcxDBDataAssignedFields, TObject)
 public:
  void AddField(TField* AField);
  void AddFields(const std::vector<TField*>& AFields);
  void AddFieldsByName(TDataSet* ADataSet, const String& AFieldNames);
  void Clear() { FFields.clear(); }
  bool Contains(TField* AField) const;
  bool IsEmpty() const { return FFields.empty(); }

 private:
  std::vector<TField*> FFields;
};

// The data-set strategy of the controller's editing and navigation.
class TcxDBDataProvider : public TcxCustomDataProvider {
  TL_CLASS(TcxDBDataProvider, TcxCustomDataProvider)
 public:
  explicit TcxDBDataProvider(TcxCustomDataController* ADataController);
  void BeforeDestruction() override;

  TcxDBDataController* DBDataController() const;
  TcxDBDataLink* DataLink() const { return FDataLink; }
  // The data link's data set; nullptr without one.
  TDataSet* DataSet() const;

  // ---- Overrides, in slot order ----
  bool IsCustomDataSourceSupported() const override { return false; }
  bool IsGridMode() const override;
  bool IsDataSetOpen() const override;
  bool IsDataSetBusy() const override;
  bool IsSyncMode() const override;
  bool IsActive() const override;
  bool IsDataSetReady() const override;
  bool IsBOF() const override;
  bool IsEditing() const override;
  bool IsEOF() const override;
  bool IsGridModeUpdating() const override;
  bool IsInserting() const override;
  bool IsModified() const override;
  void RecordAppended(Integer ARecordIndex) override;
  void First() override;
  void Prior() override;
  void Next() override;
  void Last() override;
  void MoveBy(Integer ADistance) override;
  void Scroll(Integer ADistance) override;
  void SavePosition() override;
  void RestorePosition() override;
  bool CanDelete() const override;
  bool CanInitEditing(Integer ARecordIndex) override;
  bool CanModify() const override;
  void Append() override;
  void Cancel() override;
  void DeleteFocused() override;
  void DeleteRecords(const std::vector<Integer>& AList) override;
  void DeleteSelection() override;
  void Edit() override;
  Variant GetEditValue(Integer ARecordIndex, TcxCustomDataField* AField,
                       TcxDataEditValueSource AEditValueSource) override;
  void Insert() override;
  void Post() override;
  void UpdateData() override;
  bool SetEditValue(Integer ARecordIndex, TcxCustomDataField* AField, const Variant& AValue,
                    TcxDataEditValueSource AEditValueSource) override;
  void BeginDeleting(const std::vector<Integer>& AGoing) override;
  void EndDeleting() override;
  void SetValue(Integer ARecordIndex, TcxCustomDataField* AField, const Variant& AValue) override;
  void InitInsertedRecord(Integer ARecordIndex, const std::vector<Variant>& AGroupValues) override;
  void BeginLock() override;
  void EndLock() override;
  void Freeze() override;
  void Unfreeze() override;
  String GetGridModeDisplayText(Integer ARecordIndex, TcxCustomDataField* AField) override;
  Variant GetGridModeValue(Integer ARecordIndex, TcxCustomDataField* AField) override;
  Integer GetRecordIndex() const override;
  TcxValueDefReaderClass GetValueDefReaderClass() const override;
  void UpdateGridModeBuffer() override;
  void ActiveChanged(bool AActive) override;
  void DataScrolled(Integer ADistance) override;
  void LayoutChanged(Integer AKind) override;
  bool GetDetailHasChildren(Integer ARecordIndex, Integer ARelationIndex) override;

  // ---- New operations, in slot order ----
  // Whether the data set holds a value the controller did not put there.
  virtual bool IsDataSetModified() const;
  virtual bool IsBookmarkValid(const TBookmarkStr& ABookmark) const;
  virtual Integer CompareBookmarks(const TBookmarkStr& ABookmark1, const TBookmarkStr& ABookmark2) const;
  virtual void DataSetCancel();
  virtual void RecordChanged();

  // ---- State ----
  // The controller identifies records by key, loads every record and SmartRefresh is on.
  bool IsSmartRefreshActive() const;
  // The storage record of the data set's current record.
  Integer CurrentRecordIndex() const { return FCurrentRecordIndex; }
  void SetCurrentRecordIndex(Integer Value) { FCurrentRecordIndex = Value; }
  bool IsInsideCanInitEditing() const { return FInCanInitEditing; }
  bool IsInsideOwnOperation() const { return FInOwnOperation; }
  bool IsInsideActivation() const { return FInActivation; }
  bool IsDeliveringNotices() const { return FDelivering; }
  bool HasReloadMark() const { return FReloadMark; }
  void ClearReloadMark() { FReloadMark = false; }
  bool FieldsVanished() const { return FFieldsVanished; }
  void SetFieldsVanished() { FFieldsVanished = true; }
  bool IsInsideFirst() const { return FInFirst; }
  // Whether a detail controller may take the data set's current record as its own.
  bool IsDetailPositioned() const;
  void SetDetailPositioned(bool Value);
  // Lock or freeze count above 0, an own data-set operation, or inside CanInitEditing.
  bool IsBusy() const;
  // Before this controller reads every record: an edit of the data set (whoever began it)
  // that holds changes is posted, as leaving its record would post it; a refused post
  // raises with the edit kept. An edit without changes stays. True when an edit stays:
  // the read must not move the data set then.
  bool SettleEditBeforeRead();
  // The records are read again once the data set leaves its edit: a read made meanwhile
  // could not see how the edit ends, or could not be made at all.
  void ReadWhenBrowsing() { FReadWhenBrowsing = true; }
  // The data set's bookmark of each stored record, as the last read found it (empty where
  // unknown; without key fields bookmarks are what identifies the records).
  const TcxRecordBookmarks& RecordBookmarks() const { return FRecordBookmarks; }
  void ClearRecordBookmarks() { FRecordBookmarks.clear(); }
  void SetRecordBookmark(Integer ARecordIndex, const TBookmarkStr& ABookmark);
  void RecordBookmarkInserted(Integer ARecordIndex);
  // The bookmark of a stored record (empty where unknown); outside grid mode, with keys
  // or without, a read and smart refresh keep one for each record.
  TBookmarkStr RecordBookmark(Integer ARecordIndex) const;
  // Moves the data set onto the stored record where it browses or edits another one, before
  // the controller acts on the data set's current record. False when a handler of the move
  // freed the data set, its source or the controller, or where no record is given (-1) while
  // the data set browses or edits one. Where the data set no longer holds the record, or its
  // search lands on another one, nothing is acted on: ARequired raises
  // EcxInvalidDataControllerOperation ("The record is no longer in the data set"), else the
  // answer is false.
  bool StandOnRecord(Integer ARecordIndex, bool ARequired = true);
  // The stored record of a bookmark; -1 when none is known to have it.
  Integer BookmarkedRecordIndex(const TBookmarkStr& ABookmark) const;
  // Whether another stored record has the same key values as ARecordIndex.
  bool IsRecordKeyShared(Integer ARecordIndex) const;
  // The bookmarks of those stored records; none unless every one is known.
  std::vector<TBookmarkStr> RecordBookmarksOf(const std::vector<Integer>& AList) const;
  // The other providers bound to the same data set.
  std::vector<TcxDBDataProvider*> OtherProviders() const;
  // Runs the held-back data-set changes of the providers waiting on this one, last first.
  void DeliverPendingNotices();
  // Freed while frozen (a handler of a walk freed the controller): the link leaves the data
  // set, and each data set gets back the controls a freeze took from it.
  void ReleaseFrozenControls();
  // The watched record is forgotten when its storage record goes.
  void ForgetRecord(Integer ARecordIndex);
  // The watched and appended records follow their storage records, or are forgotten with
  // them: smart refresh must not reconcile another record in their place.
  void RecordInserted(Integer ARecordIndex) override;
  void StorageRecordsDeleted(const std::vector<Integer>& AList) override;
  // The record being edited (and whether it is inserted) is watched for smart refresh.
  void WatchEditingRecord();
  // Every record is read: the posted records noted are in the read, and so is every change
  // of the data set's records that names none (a refilter, a refresh).
  void EveryRecordRead();
  TcxDBDataAssignedFields* AssignedFields() const { return FAssignedFields; }

  // ---- Grid mode: the controller's records are the rows of the data link's window ----
  // GridModeBufferCount, or the controller's default for 0.
  Integer GridModeBufferSize() const;
  // The bookmark of the window's row ARecordIndex; empty outside the window.
  TBookmarkStr GetRowBookmark(Integer ARecordIndex) const;
  // The window follows a change of the data set (or of the buffer size).
  void RefreshGridModeBuffer();
  // This link's buffer size changed: the data set's buffer may have moved the windows of
  // the other grid-mode controllers on it, which hear nothing of it; they follow now.
  void RefreshOtherWindows();
  // The link goes to another data source; the windows on the data set it leaves and on the
  // one it comes to follow the change of the data sets' buffers.
  void SetLinkDataSource(TDataSource* Value);
  // From the current record on, the record whose display text of the searched item
  // starts with AText; the data set stays where it was when none does.
  bool GridModeSearch(const String& AText, bool AForward, bool AIsNext);

 private:
  friend class TcxDBDataLink;
  friend class TcxDBDataController;
  void DoDataSetChanged();
  // Before this detail's read opens the query for its own master: the sibling whose
  // master's records the query holds hears the end of the edit first.
  void LetQueryHolderHearEditEnd();
  // Whether the window's rows show other records than when last asked (only a master
  // keeps track: its rows' details belong to the records they were made for).
  bool WindowRecordsChanged();
  // Notice 2 in grid mode: the window follows the data set.
  void GridModeDataSetChanged();
  void DoEditingChanged();
  // The data set began or ended an edit. A detail's insert it watched, posted, gets the
  // posted record's bookmark while the data set stands on it: the change that follows may
  // reach this detail only once another has moved the data set.
  void NoteEditStateChanged();
  // Step 2 and 3 of the editing rules: the data set's edit or insert reaches the controller.
  void EditFromDataSet();
  void InsertFromDataSet();
  // False when a handler of a key search freed the controller, and this provider with it,
  // or a text handler freed the controller, the data set or its source as it was read.
  bool SmartRefreshWatched();
  // The watched record ARecordIndex, without a bookmark, takes the data set's where the
  // data set's record can be no other stored record (just posted, say). False when not.
  bool TakeDataSetBookmark(Integer ARecordIndex);
  // ---- Posted records (cxDBDataSmartRefresh.cpp) ----
  // Notes the record whose post the data set is telling of (whoever posted it, whatever
  // record this controller watched), to be read again with the next change it takes in.
  void NotePostedRecord();
  // The bookmark of the record SmartRefreshWatched reads again; empty when none.
  TBookmarkStr WatchedBookmark() const;
  // The posted records noted, other than the one of AReconciled (the watched record, read
  // again already), are read again where the storage holds them, and the rows weigh them
  // again; one gone or hidden by the data set's filter goes from the storage. False when a
  // handler freed the data set, its source or the controller.
  bool SmartRefreshPosted(const TBookmarkStr& AReconciled);
  // The stored record of the posted record ABookmark: by its key (the data set standing on
  // it), else by its bookmark; -1 when the storage holds none.
  Integer PostedRecordIndex(const TBookmarkStr& ABookmark);
  // Whether the data set, moved towards the record with AMark (AFound: the move says it
  // arrived), stands on that record (cxDBDataStanding.cpp).
  bool StandsOnRecord(Integer ARecordIndex, const TBookmarkStr& AMark, bool AFound);
  // The same for a record whose bookmark is not known.
  bool StandsOnUnmarkedRecord(Integer ARecordIndex);
  // The keyed deletion of DeleteRecords: the records deleted go into AStored; false when a
  // handler freed the data set, its source or the controller.
  bool DeleteRecordsByKey(const std::vector<Integer>& AList, std::vector<Integer>& AStored);
  // After a walk inside DisableControls/EnableControls that changed nothing: the focus
  // follows the data set's record, nothing is read. False (nothing done) when the records
  // must be read again.
  bool FollowedUnchangedWalk();
  // Whether a full read would show the data set's current record: a detail's are those
  // holding its master's key values.
  bool IsDataSetRecordShown() const;
  void ResetWatch();
  template <class F> void OwnOperation(F AOperation);
  // This provider's own operation ended the data set's edit, its controls off: the record
  // watched is reconciled now, while the data set still stands on it, whichever detail
  // watched it; a detail that watched none reads again once the data set browses if the
  // record is its master's. APosted: the edit was posted, not given up. False when a
  // handler freed this provider.
  bool ReconcileEditEnded(bool APosted);
  // The edit holds changes for every provider on the data set (each leaves out the fields
  // it wrote itself, such as a detail's master keys).
  bool IsPendingEditModified() const;
  void AddPending(TcxDBDataProvider* AProvider);
  void MarkReload();

  TcxDBDataAssignedFields* FAssignedFields = nullptr;
  TcxDBDataLink* FDataLink = nullptr;
  TBookmarkStr FSavedBookmark;
  Integer FSavedActiveRecord = 0;
  bool FSavedBOF = false;
  bool FSavedEOF = false;
  Integer FCurrentRecordIndex = -1;
  // Inside the controller's own deletion, whose records smart refresh takes out of the
  // storage as the data set deletes them.
  Integer FDeletingDepth = 0;
  // The controller's own deletion found the data set changed beyond the records it deleted
  // (by a handler), or cannot tell which records went: it is read again.
  bool FRereadAfterDeletion = false;
  Integer FWatchedRecordIndex = kNoEditRecord;
  bool FWatchedInserting = false;
  Integer FAppendedRecordIndex = -1;
  Integer FFocusedBeforeDelete = -1;
  std::vector<TcxDBDataProvider*> FPending;
  bool FInActivation = false;
  bool FInCanInitEditing = false;
  bool FInsertSeen = false;
  bool FInFirst = false;
  bool FInOwnOperation = false;
  bool FInOwnInsert = false;
  bool FInInsertFromDataSet = false;
  bool FDetailPositioned = false;
  bool FDelivering = false;
  bool FReloadMark = false;
  // A handler raised while every record was read: what is held is not the data set's, and
  // the next change read in reads every record again.
  bool FReadCutShort = false;
  bool FFieldsVanished = false;
  // While set, IsEditing and IsInserting answer the base's own state: the base's edit and
  // insert steps run for an edit or insert the data set has already begun.
  bool FBaseEditState = false;
  // This provider's held-back data-set change is being delivered now.
  bool FDeliveredLate = false;
  // Inside the controller's read of every record.
  bool FReadingAll = false;
  // A detail's read found no later record of its master.
  bool FDetailRecordsEnded = false;
  // A change that needs every record read again came while this provider was frozen.
  bool FReloadWhenThawed = false;
  // Inside the window's refresh after a data-set change.
  bool FInGridModeChange = false;
  // A search reads values of the data set's current record, wherever it is.
  bool FSearching = false;
  // The records of the window's rows when last read (a master in grid mode only).
  std::vector<TBookmarkStr> FWindowBookmarks;
  // Posting an edit before this provider's own read: the data set's change that follows is
  // no news to it.
  bool FSettling = false;
  bool FReadWhenBrowsing = false;
  // The data set's edit ended and the change that follows has not reached this provider.
  bool FEditEndUnheard = false;
  // The data set's change count as its edit began (posting counts one).
  UInt64 FChangesAtEditStart = 0;
  // The detail's data set was opened again for its master since this controller last read.
  bool FQueryReopened = false;
  TcxRecordBookmarks FRecordBookmarks;
  // The bookmarks of the records posted since the last read of them, each once; past a
  // bound every record is read instead (FPostedOverflow).
  std::vector<TBookmarkStr> FPostedMarks;
  std::unordered_set<TBookmarkStr> FPostedSet;
  bool FPostedOverflow = false;
  // The data set's RecordsChangeCount when every record was last read: a change naming no
  // record (another filter keeping as many records, a refresh) has every record read again.
  UInt64 FRecordsChangeCount = 0;
  // The data set each freeze took the controls from (none when the link had none), last
  // freeze last.
  std::deque<TWeakLink> FFrozenControls;
};

// The selection of grid mode keeps rows by the data set's bookmarks, sorted in the data
// set's order, beside the base's entries (same indexes): the window's rows change as the
// data set scrolls, its records do not. Outside grid mode the base's selection by rows
// applies.
class TcxDBDataSelection : public TcxDataSelection {
  TL_CLASS(TcxDBDataSelection, TcxDataSelection)
 public:
  using TcxDataSelection::TcxDataSelection;
  void ClearAnchor() override;
  bool FindByRowIndex(Integer ARowIndex, Integer& AIndex) const override;

  TcxDBDataController* DBDataController() const;
  Integer BookmarkCount() const { return Integer(FBookmarks.size()); }
  const TBookmarkStr& Bookmarks(Integer AIndex) const { return FBookmarks.at(size_t(AIndex)); }
  const TBookmarkStr& AnchorBookmark() const { return FAnchorBookmark; }
  void SetAnchorBookmark(const TBookmarkStr& Value) { FAnchorBookmark = Value; }
  // True with the match, else False with the place where it belongs (halving search).
  bool FindBookmark(const TBookmarkStr& ABookmark, Integer& AIndex) const;
  // Every record of the data set that the controller lets be selected, in its order.
  void SelectAll();
  // The records from the anchor to ABookmark, in the data set's order.
  void SelectFromAnchor(const TBookmarkStr& ABookmark, bool AKeepSelection);
  // Drops the bookmarks whose records are gone; True when one was dropped.
  bool DropInvalidBookmarks();
  // The data set closed or another took its place: its bookmarks, the anchor's too, go.
  void DropAllBookmarks();
  // Removes entry AIndex with its bookmark.
  void DeleteBookmark(Integer AIndex);

 protected:
  void InternalAdd(Integer AIndex, Integer ARowIndex, Integer AKind, Integer ARecordOrGroupIndex) override;
  void InternalClear() override;
  void InternalDelete(Integer AIndex) override;

 private:
  bool IsGridMode() const;
  Integer Compare(const TBookmarkStr& A, const TBookmarkStr& B) const;
  // The base's entries follow the bookmark list's length.
  void SyncItems();
  // Records from ALower to AUpper, walked on the data set (or, AInPlace, read where they
  // stand, while an edit of the data set goes on) while AWatch (Walk's) is alive.
  template <class TWatch>
  void WalkRange(const TBookmarkStr& ALower, const TBookmarkStr& AUpper, bool AKeepSelection,
                 const TWatch& AWatch, bool AInPlace);
  bool CanSelectCurrent() const;
  // AWalk(watch, false) moves the data set with the provider frozen, and stops once the
  // watch says a handler freed the data set, its source or the controller; the position is
  // restored after it, the entries follow the bookmarks and the change is reported. While
  // an edit of the data set stays, AWalk(watch, true) must read the records without moving it.
  template <class F> void Walk(F AWalk);
  std::vector<TBookmarkStr> FBookmarks;
  TBookmarkStr FAnchorBookmark;
  bool FSynchronizing = false;
  // The list holds every record it may between its first and last entries (a range
  // selected without keeping the selection): only then can a range grow or shrink by one
  // record without a walk. A record picked or dropped on its own leaves a gap, and so may
  // records coming into the data set (more than FRangeRecordCount).
  bool FIsRange = false;
  Integer FRangeRecordCount = 0;
};

// Reads the data set's current record into a storage record.
class TcxValueDefDBReader : public TcxValueDefReader {
  TL_CLASS(TcxValueDefDBReader, TcxValueDefReader)
 public:
  String GetDisplayText(TcxValueDef* AValueDef) override;
  Variant GetValue(TcxValueDef* AValueDef) override;
  bool IsInternal(TcxValueDef* AValueDef) override;

 private:
  // What a value definition reads, found once: a load asks for the same definitions, in the
  // same order, for every record.
  struct TDefRead {
    TcxValueDef* Def = nullptr;
    TcxDBDataField* Field = nullptr;
    TField* DataSetField = nullptr;  // the field the kind was found for
    TcxFieldValueKind Kind = TcxFieldValueKind::fvkPlain;
  };
  TDefRead& ReadOf(TcxValueDef* AValueDef);
  std::vector<TDefRead> FReads;
  size_t FLast = 0;
};

// A controller field bound to a TField, or standing for several (one sub-field each).
class TcxDBDataField : public TcxCustomDataField {
  TL_CLASS(TcxDBDataField, TcxCustomDataField)
 public:
  using TcxCustomDataField::TcxCustomDataField;
  void BeforeDestruction() override;

  void Reassign(TcxCustomDataField* ASource) override;
  void RemoveNotification(TComponent* AComponent) override;
  bool CanModify(TcxDataEditValueSource AEditValueSource) const override;
  bool IsUnbound() const override;
  // Whether the storage leaves this field's values alone when a record is read from the
  // data set: a field bound to a TField is read; an unbound item only while the controller
  // reads a record back in for its own edit or cancel step.
  bool IsValueInternal() const;

  // Through the reference chain.
  TField* Field() const;
  void SetField(TField* Value);
  Integer FieldCount() const;
  TcxDBDataField* Fields(Integer AIndex) const;
  bool IsLookup() const;
  // The ';'-separated names this field was bound by.
  const String& FieldNames() const { return FFieldNames; }
  void SetFieldNames(const String& Value) { FFieldNames = Value; }
  TcxDBDataField* ParentField() const { return FParentField; }
  // Raises "ADataField.FParentField <> nil" for a sub-field that has a parent already.
  void AddSubField(TcxDBDataField* ADataField);
  void RemoveSubField(TcxDBDataField* ADataField);
  void ClearSubFields();
  bool IsCurrency() const { return FIsCurrency; }
  TcxDBDataController* DBDataController() const;
  // Chooses the value type and text flag from the bound TField (bounded passes).
  void UpdateValueTypeFromField();

 private:
  const TcxDBDataField* Root() const;
  TField* FField = nullptr;
  std::vector<TcxDBDataField*> FFields;
  TcxDBDataField* FParentField = nullptr;
  bool FIsCurrency = false;
  String FFieldNames;
};

// A relation whose detail controllers follow the master's records by key values.
class TcxDBDataRelation : public TcxCustomDataRelation {
  TL_CLASS(TcxDBDataRelation, TcxCustomDataRelation)
 public:
  using TcxCustomDataRelation::TcxCustomDataRelation;
  void BeforeDestruction() override;
  void RemoveNotification(TComponent* AComponent) override;
  // The master key field exists and the detail names its key fields.
  virtual bool HasMasterDetailKeys() const;

  TcxDBDataController* GetDBDataController() const;
  // The pattern detail's key names; empty when it is no data-set controller.
  String GetDetailKeyFieldNames() const;
  String GetMasterKeyFieldNames() const;
  // The master record's key values (Unassigned without keys); raises "RecordIndex out of
  // range" for a record the master does not have.
  Variant GetMasterRecordKeyValues(Integer ARecordIndex) const;
  TcxDBDataField*& MasterKeyField() { return FMasterKeyField; }

 private:
  TcxDBDataField* FMasterKeyField = nullptr;
};

// Positions a detail data set on its master's key values: by Locate, or (SQL mode) by
// re-opening the data set with new parameter values.
class TcxDBProviderDetailFilterAdapter : public TcxDBAdapterItem {
  TL_CLASS(TcxDBProviderDetailFilterAdapter, TcxDBAdapterItem)
 public:
  using TcxDBAdapterItem::TcxDBAdapterItem;
  // The data set's parameters of those names hold those values. A data set without
  // parameters, or without one of the names, is not the current query.
  virtual bool IsCurrentQuery(TDataSet* ADataSet, const String& AParamNames, const Variant& AParamValues);
  // Re-opens the data set with the values when they differ from its parameters' (and
  // every name is a parameter of it), else goes to its first record.
  virtual void ReopenSQL(TDataSet* ADataSet, const String& AParamNames, const Variant& AParamValues,
                         bool& AReopened);
  virtual bool LocateDetail(TDataSet* ADataSet, const String& AMasterDetailKeyFieldNames, bool& AReopened,
                            bool ADetailInSQLMode, const Variant& AMasterDetailKeyValues);
};

// A summary item that may name its own data-set field.
class TcxDBDataSummaryItem : public TcxDataSummaryItem {
  TL_CLASS(TcxDBDataSummaryItem, TcxDataSummaryItem)
 public:
  using TcxDataSummaryItem::TcxDataSummaryItem;
  void BeforeDestruction() override;
  void Assign(TPersistent* Source) override;
  bool IsCurrency(TVarType AVarType) const override;
  TcxCustomDataField* GetField() const override;

  const String& FieldName() const { return FFieldName; }
  void SetFieldName(const String& Value);

 private:
  String FFieldName;
  TcxDBDataField* FDataField = nullptr;
};

class TcxDBDataController : public TcxCustomDataController {
  TL_CLASS(TcxDBDataController, TcxCustomDataController)
 public:
  using TcxCustomDataController::TcxCustomDataController;
  void AfterConstruction() override;
  void BeforeDestruction() override;
  void Assign(TPersistent* Source) override;

  TcxDBDataProvider* DBProvider() const { return static_cast<TcxDBDataProvider*>(Provider()); }
  TcxDBDataModeController* DataModeController() const { return FDataModeController; }
  void SetDataModeController(TcxDBDataModeController* Value) { FDataModeController->Assign(Value); }
  TDataSource* DataSource() const;
  void SetDataSource(TDataSource* Value);
  TDataSet* DataSet() const { return DBProvider()->DataSet(); }
  const String& KeyFieldNames() const { return FKeyFieldNames; }
  void SetKeyFieldNames(const String& Value);
  const String& DetailKeyFieldNames() const { return FDetailKeyFieldNames; }
  void SetDetailKeyFieldNames(const String& Value);
  const String& MasterKeyFieldNames() const { return FMasterKeyFieldNames; }
  void SetMasterKeyFieldNames(const String& Value);
  const Variant& MasterDetailKeyValues() const { return FMasterDetailKeyValues; }
  TcxDBDataDetailHasChildrenEvent OnDetailHasChildren;

  // Key fields, loaded mode: records keep their identity across reloads.
  bool IdentifiesRecordsByKey() const { return IsSmartRefresh(); }

  // ---- Overrides ----
  bool IsGridMode() const override;
  bool CanFocusRecord(Integer ARecordIndex) override;
  void RecordDeleted(Integer ARecordIndex) override;
  void RecordInserted(Integer ARecordIndex) override;
  TcxDataProviderClass GetDataProviderClass() const override;
  TcxFilterCriteriaClass GetFilterCriteriaClass() const override;
  TcxDataSelectionClass GetDataSelectionClass() const override;
  Integer GetActiveRecordIndex() const override;
  bool GridModeSearch(const String& AText, bool AForward, bool AIsNext) override;
  bool IsBookmarkAvailable() const override;
  bool IsBookmarkRow(Integer ARowIndex) const override;
  bool IsBookmarkInvalid(Integer ARecordIndex) const override;
  // In grid mode a bookmark whose record is gone is dropped.
  void CheckBookmark(Integer ARecordIndex) override;
  void ClearBookmark() override;
  void GotoBookmark() override;
  bool SaveBookmark() override;
  bool IsLookupLocked() const override;
  bool FocusSelectedRow(Integer AIndex) override;
  Integer GetSelectedRowIndex(Integer AIndex) const override;
  void SelectAll() override;
  void SetSelectionAnchor(Integer ARowIndex) override;
  Integer GetSelectionAnchorRowIndex() const override;
  bool IsSelectionAnchorAssigned() const override;
  void SelectFromAnchor(Integer ARowIndex, bool AKeepSelection) override;
  TcxCustomDataField* CreateField() override;
  void GetKeyFields(std::vector<TcxCustomDataField*>& AList) const override;
  // The record's bookmark, while the bookmarks match the stored records.
  String RecordIdentity(Integer ARecordIndex) const override;
  TCollectionItemClass GetSummaryItemClass() const override;
  bool IsProviderValueField(TcxCustomDataField* AField) const override;
  bool IsSmartRefresh() const override;
  bool RowsFollowRecordValues() const override;
  bool IsReloadNeeded() const override { return true; }
  bool IsSmartRefreshActive() const override;
  void ReloadStorage() override;
  // With an edit of the data set left going on, the records are read without moving it.
  void ReadProviderRecords() override;
  bool IsGridModeChangePending() const override;
  void DeliverHeldBackNotices() override;
  void UpdateField(TcxCustomDataField* AField) override;
  void RemoveNotification(TComponent* AComponent) override;
  void UpdateStructure() override;
  void UpdateFields() override;
  void ResetFocusing() override;
  void BeginReadRecord() override { FReadingRecord = true; }
  void EndReadRecord() override { FReadingRecord = false; }
  void ActiveChanged(bool AActive) override;
  void Loaded() override;
  bool ExecuteAction(TBasicAction* AAction) override;
  bool UpdateAction(TBasicAction* AAction) override;
  void ChangeValueTypeClass(Integer AItemIndex, TcxValueTypeClass AValueTypeClass) override;
  bool IsItemDisplayFormatDefined(Integer AItemIndex, bool AIgnoreCurrency) const override;
  Variant GetGroupValue(Integer ARecordIndex, TcxCustomDataField* AField) const override;
  Variant GetRecordId(Integer ARecordIndex) const override;
  void CheckBrowseState() override;
  bool CanLeaveFocusedRow() override;
  void FocusedRecordChanged() override;
  void FocusSettledByRebuild() override;
  // A detail in SQL mode whose query holds another master's records asks it again for its
  // own master.
  void UpdateDetailQuery();
  // Before the query is re-opened for this detail's master, the edit of it is settled by
  // the detail whose edit it is; false when that freed this controller or the data set.
  bool SettleEditBeforeDetailQuery();
  // The details of a master record whose key values changed since they were made go; they
  // are made anew for the new values.
  void ResetDetailsOfChangedKeys(Integer ARecordIndex);
  bool IsChangingFocus() const { return FChangingFocus; }
  bool CanChangeDetailExpanding(Integer ARecordIndex, bool AExpanded) override;
  // A pattern detail brings its masters onto the records its data set stands on; the
  // answer is the detail controller that now shows its data (nil when nothing was done).
  TcxCustomDataController* SyncMasterPos();
  // This controller and every master above it follow their data sets without editing.
  bool CanSyncMasterPos() const;
  // The detail of AController's focused record for that relation, expanded (nil when the
  // record has no focused row or its detail stays collapsed).
  static TcxCustomDataController* ActivateDetailOfFocusedRecord(TcxCustomDataController* AController,
                                                                Integer ARelationIndex, const Variant& AKeyValues);
  bool IsSynchronizingAsMaster() const { return FSynchronizing; }
  // The other details on this data set stop being the active one and let their focused
  // records go (a clone detail of the same data set stands on this one's records now).
  void LeaveSiblingDetails();

 private:
  void LeaveActiveDetail(TcxCustomDataController* ADetail);
  // Reads the records while the data set is editing, without moving it; a detail reads
  // those holding its master's key values.
  void ReadRecordsInPlace();
  // The clone details of other master records with these key values read the query again,
  // in place, now that it holds what it reads for them.
  void RefreshDetailsSharingKey();
  // Whether a detail can pick its records out of the data set as it stands (not when its
  // data set must be re-opened or positioned by a handler for its master).
  bool CanReadInPlace();
  // Without key fields: the selected records, by bookmark, are found again after a read.
  void ReloadKeepingSelectionByBookmarks();
  // A relation whose key names changed makes its master read its key values anew.
  void KeyNamesChanged();

 public:
  void AfterUpdateData() override;
  Variant GetRecordFieldValue(Integer ARecordIndex, TcxCustomDataField* AField) const override;
  String GetItemFieldName(Integer AItemIndex) const override;
  String GetItemDataFieldName(Integer AItemIndex) const override { return GetDataFieldName(AItemIndex); }

  // ---- New virtual operations ----
  virtual void ActiveDetailChanged(bool) {}
  virtual void DataSourceChanged() {}
  virtual void InsertedRecordInitialized(Integer) {}
  virtual Integer GetDefaultGridModeBufferCount() const { return 100; }
  virtual void GridModeScrolled() { Change({TcxDataControllerChange::dccLayout}); }
  // The storage record equal, on the fields that AGetFields gives, to the data set's current
  // record; -1 when none.
  virtual Integer FindRecordIndexByFields(const std::vector<TcxCustomDataField*>& AFields);
  virtual bool FocusRecordInDataSet(Integer ARecordIndex);
  virtual void DataSetPositionChanged() {}

  // ---- Keys ----
  // The TFields behind the key fields; raises "Key Field not found" for a missing one.
  std::vector<TField*> GetKeyDBFields() const;
  // The data set's current key value(s): one value, an array, or Null without keys.
  Variant GetDataSetKeyValues() const;
  // The record with these key values; -1 when none, also for values of the wrong shape
  // (a single value for several keys, an array of another length, a value no key field
  // can hold).
  Integer FindRecordIndexByKey(const Variant& AKeyValues);
  // Focuses the record with these key values; a key no record has leaves no row focused.
  bool LocateByKey(const Variant& AKeyValues);

  // ---- Items and their data-set fields ----
  void ChangeFieldName(Integer AItemIndex, const String& AFieldName);
  String GetDataFieldName(Integer AItemIndex) const;
  TField* GetItemDataSetField(Integer AItemIndex) const;
  TObject* GetItemByFieldName(const String& AFieldName) const;
  TcxDBDataField* GetDBField(Integer AItemIndex) const;
  // For fields that name their data-set fields themselves (the key, a summary item's
  // field): creates AField on first use, or frees it for an empty text.
  void UpdateInternalField(const String& AFieldNames, TcxDBDataField*& AField);
  void SetDataFieldNames(TcxDBDataField* AField, const String& AFieldNames, bool AForced);
  void BindDataField(TcxDBDataField* AField, bool ALookupPass);
  // Every data field loses its TField (the data set's own fields are going away).
  void UnbindFields();
  bool IsUnbindingFields() const { return FUnbindingFields; }
  bool IsReadingRecord() const { return FReadingRecord; }
  bool IsLoadedOnce() const { return FLoadedOnce; }
  void SetLoadedOnce() { FLoadedOnce = true; }

  // ---- Master-detail ----
  void SetMasterRelation(TcxCustomDataRelation* ARelation, Integer ARecordIndex) override;
  TcxCustomDataRelation* CreateRelation(TcxCustomDataRelationList* AList, TObject* AItem) override;
  void NotifyDataChanged() override;
  // The detail key names when the master key names are set, else empty.
  String GetMasterDetailKeyFieldNames() const;
  // The data set's fields of GetMasterDetailKeyFieldNames (empty when one is missing).
  std::vector<TField*> GetDetailKeyFieldList() const;
  // A detail in SQL mode whose data set holds another master's records.
  bool IsDetailQueryOutdated() const;
  // Raises "DetailFilterController not found" when no adapter serves the data set's class.
  TcxDBProviderDetailFilterAdapter* GetDetailFilterAdapter() const;
  // Every relation of this (master) controller keeps a field reading its master keys.
  void UpdateRelationFields();

  // ---- Records read again from the data set ----
  // Both False when a text handler freed the controller, the data set or its source as the
  // record was read: the caller goes no further.
  bool RereadEditingRecord();
  bool RereadRecord(Integer ARecordIndex);
  // Reads it from the data set's record of that bookmark, without moving the data set;
  // False (nothing read) when that record is not one this controller shows, or when a
  // handler freed the controller, the data set or its source meanwhile.
  bool RereadRecordAt(Integer ARecordIndex, const TBookmarkStr& ABookmark);

  // ---- Grid mode ----
  // The row's identity: its data-set bookmark in grid mode, else its record's id.
  Variant GetRowId(Integer ARowIndex) const;
  // AProc for each row (or each selected one). In grid mode the data set itself walks
  // and AProc sees the focused row, which follows it; the data set stays where the walk
  // ended.
  void ForEachRow(bool ASelectedOnly, const TcxDBDataRowProc& AProc) override;
  // Raise "DataController not in GridMode" outside grid mode.
  TBookmarkStr GetSelectedBookmark(Integer AIndex) const;
  TBookmarkStr GetSelectionAnchorBookmark() const;
  // The window is read again at its new size.
  void GridModeBufferCountChanged();
  TcxDBDataSelection* DBSelection() const;

  Integer GetDataSetRecordCount() const;
  Integer GetDataSetRecNo() const;
  void SetDataSetRecNo(Integer ARecNo);
  TcxDBDataField* KeyField() const { return FKeyField; }

 private:
  TcxDBDataModeController* FDataModeController = nullptr;
  String FDetailKeyFieldNames;
  bool FCheckingBrowseState = false;
  bool FChangingFocus = false;
  bool FFollowingFocus = false;  // the data set is being moved onto a settled focus
  bool FSynchronizing = false;
  bool FUpdatingDetailQuery = false;
  // Reads the data set where it stands, as during an edit (a sibling detail sharing the
  // master's key values reads the query it re-opened).
  bool FReadInPlace = false;
  bool FReadingRecord = false;
  TcxDBDataField* FKeyField = nullptr;
  String FKeyFieldNames;
  bool FLoadedOnce = false;
  Variant FMasterDetailKeyValues;
  String FMasterKeyFieldNames;
  bool FUnbindingFields = false;
  // The remembered record of grid mode.
  TBookmarkStr FGridBookmark;
  bool FChangingBufferCount = false;
};

// The data set's Locate on those names, or False for values of another shape than the
// names ask for (instead of the data set's error).
bool cxDBLocateSafely(TDataSet* ADataSet, const String& AKeyFields, const Variant& AKeyValues);
// The same for the data set's LocateNext.
bool cxDBLocateNextSafely(TDataSet* ADataSet, const String& AKeyFields, const Variant& AKeyValues);

namespace cxDBData {
void Initialize();
void Finalize();
// The detail-filter adapters by data-set class; TDataSet's is registered at start-up.
TcxDBAdapterList* DetailFilterAdapters();
}  // namespace cxDBData
