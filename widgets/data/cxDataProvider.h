// The editing and navigation strategy of a data controller, and the base of a user's own
// data source.
//
// The provider keeps the state of the one record being edited (browse, edit or insert,
// with the orthogonal changing and modified flags), carries out append, insert, edit,
// post, cancel and delete, and in provider mode forwards record operations to a
// TcxCustomDataSource, which knows its records and items by handles of its own choosing.
// The controller keeps one storage record per source record, holding its handle.
#pragma once

#include "classlib/core/Object.h"
#include "classlib/core/Variants.h"
#include "widgets/data/cxDataControllerTypes.h"
#include "widgets/data/cxDataUtils.h"

#include <unordered_map>
#include <vector>

class TcxCustomDataController;
class TcxCustomDataField;
class TcxCustomDataSource;
class TcxCustomDataProvider;

// Record and item handles are pointer-sized, so that a source may use its objects'
// addresses; -1 as a record handle means "no record".
using TcxDataRecordHandle = Int64;
using TcxDataItemHandle = Int64;
inline constexpr TcxDataRecordHandle kNoRecordHandle = -1;

using TcxDataProviderClass = TMetaClass<TcxCustomDataProvider, TcxCustomDataController*>;
class TcxValueDefReader;
using TcxValueDefReaderClass = TMetaClass<TcxValueDefReader>;

class TcxCustomDataProvider : public TObject {
  TL_CLASS(TcxCustomDataProvider, TObject)
 public:
  explicit TcxCustomDataProvider(TcxCustomDataController* ADataController);
  // Leaves its data source and frees the saved-values record.
  void BeforeDestruction() override;

  TcxCustomDataController* DataController() const { return FDataController; }
  TcxCustomDataSource* CustomDataSource() const { return FCustomDataSource; }
  // Nothing unless custom sources are supported and the source changes; the controller
  // then rebuilds its structure.
  void SetCustomDataSource(TcxCustomDataSource* ADataSource);

  // ---- Tests, in slot order ----
  // Asks the source to sort its records itself.
  virtual void SortByDataSource();
  virtual bool IsCustomDataSourceSupported() const { return true; }
  virtual bool IsDataSourceSorting() const;
  virtual bool IsGridMode() const { return false; }
  // A data set is open behind the provider; another provider is inside a data-set step.
  virtual bool IsDataSetOpen() const { return false; }
  virtual bool IsDataSetBusy() const { return false; }
  // The source identifies its records by ids: the controller then refreshes smartly.
  virtual bool IsRecordIdSupported() const;
  virtual bool IsSyncMode() const { return false; }
  virtual bool IsActive() const { return FCustomDataSource != nullptr; }
  virtual bool IsDataSetReady() const { return false; }
  virtual bool IsBOF() const { return true; }
  virtual bool IsChanging() const { return FChanging; }
  virtual bool IsEditing() const { return FEditingRecordIndex != kNoEditRecord; }
  virtual bool IsEOF() const { return true; }
  virtual bool IsGridModeUpdating() const { return false; }
  virtual bool IsInserting() const { return IsEditing() && FInserting; }
  virtual bool IsModified() const { return FModified; }
  virtual bool IsReadOnly() const { return !CanModify(); }
  virtual void RecordAppended(Integer) {}

  // ---- Grid-mode navigation (nothing here) ----
  virtual void First() { FPositionChanging = false; }
  virtual void Prior() {}
  virtual void Next() {}
  virtual void Last() {}
  virtual void MoveBy(Integer) {}
  virtual void Scroll(Integer) {}
  virtual void SavePosition() {}
  virtual void RestorePosition() {}

  // ---- Rights ----
  virtual bool CanAppend() const { return CanModify(); }
  virtual bool CanDelete() const;
  // Enters edit for the record unless editing already, then marks it changing.
  virtual bool CanInitEditing(Integer ARecordIndex);
  virtual bool CanInsert() const { return CanModify(); }
  virtual bool CanModify() const { return true; }

  // ---- Editing ----
  virtual void Append() { InternalInsert(true); }
  virtual void Cancel();
  // Asks the controller to take over an editor's pending value; not re-entrant.
  virtual void NotifyUpdateData();
  virtual void DeleteFocused();
  // AList: record indexes, ascending and without duplicates.
  virtual void DeleteRecords(const std::vector<Integer>& AList);
  virtual void DeleteSelection();
  virtual void Edit() { DoEdit(); }
  // Raises "RecordIndex out of range" when no record is being edited.
  virtual Variant GetEditValue(Integer ARecordIndex, TcxCustomDataField* AField,
                               TcxDataEditValueSource AEditValueSource);
  virtual void Insert() { InternalInsert(false); }
  virtual void Post();
  virtual void UpdateData();
  // An empty text (evsText) is stored as Null; sets the modified flag.
  virtual bool SetEditValue(Integer ARecordIndex, TcxCustomDataField* AField, const Variant& AValue,
                            TcxDataEditValueSource AEditValueSource);
  // Notes, and forgets, the record to focus after a deletion; AGoing (sorted) are the
  // records the deletion takes, whose rows cannot keep the focus.
  virtual void BeginDeleting(const std::vector<Integer>& AGoing);
  virtual void EndDeleting();
  virtual void SetValue(Integer ARecordIndex, TcxCustomDataField* AField, const Variant& AValue);
  // Group values for the grouped items (dcoAssignGroupingValues), then OnNewRecord.
  virtual void InitInsertedRecord(Integer ARecordIndex, const std::vector<Variant>& AGroupValues);
  virtual void InternalEdit();
  virtual void InternalInsert(bool AAppend);

  // ---- Flags ----
  virtual void ResetChanging() { FChanging = false; }
  // Back to browse: no editing record or neighbours, no flags, no saved values.
  virtual void ResetEditing();
  virtual void ResetModified() { FModified = false; }
  virtual void SetChanging() { FChanging = true; }
  virtual void DoEdit() { InternalEdit(); }
  virtual void SetModified() { FModified = true; }

  // ---- Counters ----
  virtual void BeginLock() { ++FLockCount; }
  virtual void EndLock() {
    if (FLockCount > 0) --FLockCount;
  }
  virtual void Freeze() { ++FFreezeCount; }
  virtual void Unfreeze() {
    if (FFreezeCount > 0) --FFreezeCount;
  }
  Integer LockCount() const { return FLockCount; }
  bool IsFrozen() const { return FFreezeCount > 0; }

  // ---- Records of the data source ----
  // The new record's index; -1 without source or when the source makes no record.
  virtual Integer AppendRecord();
  virtual void DeleteRecord(Integer ARecordIndex);
  virtual bool GetDetailHasChildren(Integer ARecordIndex, Integer ARelationIndex);
  virtual String GetProviderDisplayText(Integer ARecordIndex, TcxCustomDataField* AField);
  virtual String GetGridModeDisplayText(Integer, TcxCustomDataField*) { return String(); }
  virtual Variant GetGridModeValue(Integer, TcxCustomDataField*) { return Null(); }
  virtual Variant GetRecordId(Integer ARecordIndex);
  virtual Integer GetRecordIndex() const { return -1; }
  virtual Variant GetProviderValue(Integer ARecordIndex, TcxCustomDataField* AField);
  // The reader that fills a record from the provider's current position.
  virtual TcxValueDefReaderClass GetValueDefReaderClass() const;
  // Inserts before the record (appends on a source without records); the new record's
  // index, -1 when the source makes none.
  virtual Integer InsertRecord(Integer ARecordIndex);
  virtual void UpdateGridModeBuffer() {}
  virtual Integer CompareValues(Integer ARecordIndex1, Integer ARecordIndex2,
                                TcxCustomDataField* AField);
  virtual Integer CompareByDataSource(Integer ARecordIndex1, Integer ARecordIndex2,
                                      TcxCustomDataField* AField);
  virtual void SetProviderDisplayText(Integer, TcxCustomDataField*, const String&) {}
  virtual void SetRecordCount(Integer ARecordCount);
  virtual void SetProviderValue(Integer ARecordIndex, TcxCustomDataField* AField,
                                const Variant& AValue);

  // ---- Events from the source side ----
  virtual void ActiveChanged(bool AActive);
  // Passed to the controller unless frozen; a change from outside ends the edit.
  virtual void DataChanged(TcxDataChange AKind, Integer AItemIndex, Integer ARecordIndex);
  virtual void DataScrolled(Integer ADistance);
  virtual void LayoutChanged(Integer AKind);

  // ---- Handles ----
  TcxDataRecordHandle GetRecordHandle(Integer ARecordIndex) const;
  TcxDataItemHandle GetItemHandle(TcxCustomDataField* AField) const;
  // The record holding the handle, -1 when none (the first when several do).
  Integer GetRecordIndexByHandle(TcxDataRecordHandle AHandle) const;
  // The record indexes moved: the handle index is built again when next asked.
  void HandlesChanged() { FHandleIndexValid = false; }

  // ---- State ----
  Integer EditingRecordIndex() const { return FEditingRecordIndex; }
  Integer EditingRecordIndex1() const { return FEditingRecordIndex1; }
  Integer EditingRecordIndex2() const { return FEditingRecordIndex2; }
  Integer InsertedRecordIndex() const { return FInsertedRecordIndex; }
  void ResetInsertedRecordIndex() { FInsertedRecordIndex = -1; }
  Integer SavedRecordIndex() const { return FSavedRecordIndex; }
  bool IsPostingIntoSource() const { return FPostingIntoSource; }
  bool IsInsidePositionChange() const { return FPositionChanging; }
  // The record to focus after a deletion (-1: none).
  Integer DeletingFocusRecordIndex() const { return FDeletingFocusRecordIndex; }
  // Record indexes moved by an insertion or deletion in the storage.
  virtual void RecordInserted(Integer ARecordIndex);
  void RecordDeleted(Integer ARecordIndex);
  // Storage records went (sorted, numbered as before): the controller moved the editing
  // records; a descendant moves the record indexes it keeps of its own.
  virtual void StorageRecordsDeleted(const std::vector<Integer>& /*AList*/) {}
  // The record to focus after a deletion follows the deleted records (ascending).
  void ShiftDeletingFocus(const std::vector<Integer>& AList);
  // Takes the records (ascending, unique) out of the controller's storage in one pass, as
  // the source already deleted them.
  void DeleteStoredRecords(const std::vector<Integer>& AList);

 protected:
  friend class TcxCustomDataSource;
  friend class TcxCustomDataController;
  // The source with this provider as the calling one.
  TcxCustomDataSource* Source() const;
  // False when reading the record freed the controller, and this provider with it.
  bool SaveEditingRecord();

  TcxCustomDataController* FDataController;
  TcxCustomDataSource* FCustomDataSource = nullptr;
  Integer FEditingRecordIndex = kNoEditRecord;
  Integer FEditingRecordIndex1 = kNoEditRecord;  // the record before it in the rows
  Integer FEditingRecordIndex2 = kNoEditRecord;  // the record after it in the rows
  Integer FInsertedRecordIndex = -1;
  Integer FSavedRecordIndex = 0;
  Integer FDeletingFocusRecordIndex = -1;
  bool FInserting = false;
  bool FChanging = false;
  bool FModified = false;
  bool FPostingIntoSource = false;
  bool FInUpdateData = false;
  bool FPositionChanging = false;
  Integer FLockCount = 0;
  Integer FFreezeCount = 0;

 private:
  void BuildHandleIndex() const;
  mutable std::unordered_map<TcxDataRecordHandle, Integer> FHandleIndex;
  mutable bool FHandleIndexValid = false;
};

// The base of a user's data source. Records are known by record handles and items by
// item handles; every call is made with the calling provider set, so that a source
// shared by several controllers reaches the right one.
class TcxCustomDataSource : public TObject {
  TL_CLASS(TcxCustomDataSource, TObject)
 public:
  // Detaches from every provider that still uses the source.
  void BeforeDestruction() override;

  // The provider of the call in progress, else the first one.
  TcxCustomDataProvider* CurrentProvider() const {
    return FCurrentProvider ? FCurrentProvider : Provider();
  }
  TcxCustomDataProvider* Provider() const {
    return FProviders.empty() ? nullptr : FProviders.front();
  }
  TcxCustomDataController* DataController() const;
  Integer ProviderCount() const { return Integer(FProviders.size()); }
  // Tell the controllers that the source's data changed: they reload.
  void DataChanged();

  // In slot order.
  virtual TcxDataRecordHandle AppendRecord() { return kNoRecordHandle; }
  virtual void CustomSort() {}
  virtual void DeleteRecord(TcxDataRecordHandle) {}
  virtual Integer GetDefaultItemID(Integer AItemIndex);
  virtual bool GetDetailHasChildren(Integer, Integer) { return false; }
  virtual String GetDisplayText(TcxDataRecordHandle ARecordHandle, TcxDataItemHandle AItemHandle);
  // Raises "GetInfoForCompare not implemented".
  virtual void GetInfoForCompare(TcxDataRecordHandle ARecordHandle, TcxDataItemHandle AItemHandle,
                                 Variant& AValue);
  virtual TcxDataItemHandle GetItemHandle(Integer AItemIndex) { return AItemIndex; }
  virtual Integer GetRecordCount() { return 0; }
  virtual Variant GetRecordId(TcxDataRecordHandle) { return Null(); }
  virtual TcxDataRecordHandle GetRecordHandleByIndex(Integer ARecordIndex) { return ARecordIndex; }
  virtual Variant GetValue(TcxDataRecordHandle, TcxDataItemHandle) { return Null(); }
  virtual TcxDataRecordHandle InsertRecord(TcxDataRecordHandle) { return AppendRecord(); }
  virtual bool IsCustomSorting() { return false; }
  virtual bool IsNativeCompare() { return false; }
  virtual bool IsRecordIdSupported() { return false; }
  // Fills the controller's storage: one record per source record, holding its handle.
  virtual void LoadRecordHandles();
  virtual Integer NativeCompareFunc(TcxDataRecordHandle, TcxDataRecordHandle, TcxDataItemHandle) {
    return 0;
  }
  virtual void SetRecordCount(Integer) {}
  virtual void SetValue(TcxDataRecordHandle, TcxDataItemHandle, const Variant&) {}

 private:
  friend class TcxCustomDataProvider;
  void AddProvider(TcxCustomDataProvider* AProvider);
  void RemoveProvider(TcxCustomDataProvider* AProvider);

  TcxCustomDataProvider* FCurrentProvider = nullptr;
  std::vector<TcxCustomDataProvider*> FProviders;
};
