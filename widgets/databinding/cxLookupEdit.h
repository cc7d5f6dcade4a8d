// The lookup edit: a combo box whose drop-down list is a multi-column lookup grid over a
// data controller. Its edit value is a key; its text is the list column's text of the record
// with that key. This unit holds the abstract layer: the properties keep the list settings
// and ask their list source (the grid and its controller) through virtual operations that the
// data-set kinds answer; the lookup data drives the grid for the text editor.
#pragma once

#include "widgets/databinding/cxLookupGrid.h"
#include "widgets/editors/cxComboBox.h"

class TcxCustomLookupEdit;
class TcxCustomLookupEditLookupData;

class TcxCustomLookupEditProperties : public TcxCustomComboBoxProperties {
  TL_CLASS(TcxCustomLookupEditProperties, TcxCustomComboBoxProperties)
 public:
  explicit TcxCustomLookupEditProperties(TPersistent* AOwner);
  // The drop-down settings of a lookup edit.
  void AfterConstruction() override;
  void Assign(TPersistent* Source) override;
  TcxCustomEditProperties* CreateSameClass() const override { return New<TcxCustomLookupEditProperties>(nullptr); }

  // ---- settings ----
  bool GetDropDownAutoSize() const { return GetPopupAutoSize(); }
  // Stored without a change notice: the size is taken when the list next drops down.
  void SetDropDownAutoSize(bool Value) {
    BeginUpdate();
    SetPopupAutoSize(Value);
    EndUpdate(false);
  }
  Integer GetDropDownHeight() const { return GetPopupHeight(); }
  void SetDropDownHeight(Integer Value) { SetPopupHeight(Value); }
  // The list field index as stored (it may exceed the columns there are now).
  Integer GetRawListFieldIndex() const { return FListFieldIndex; }
  // The index in use: the stored one, at most the last column (-1 without columns).
  Integer GetListIndex() const;
  // The published index: as stored (0 also before there are columns).
  Integer GetListFieldIndex() const { return FListFieldIndex; }
  // Clamped to 0 .. the column count - 1; Changed only on a change.
  virtual void SetListFieldIndex(Integer Value);
  virtual bool GetIncrementalFiltering() const { return FIncrementalFiltering; }
  void SetIncrementalFiltering(bool Value);
  // Stored by its own value: the answer reads False while the data-set kind's GridMode is on.
  bool IsIncrementalFilteringStored() const { return !FIncrementalFiltering; }

  // ---- editor-kind answers ----
  TcxEditSupportedOperations GetSupportedOperations() const override;
  bool IsDisplayFormatDefined(bool AEditFocused) const override;
  TcxCustomTextEditLookupDataClass GetLookupDataClass() const override;
  TcxCustomEditClass GetContainerClass() const override;
  // The edit value is the key: a bound lookup field's key field is read and written.
  TcxDataEditValueSource GetEditValueSource(bool) const override { return TcxDataEditValueSource::evsKey; }
  // The key's text in the list.
  void PrepareDisplayValue(const Variant& AEditValue, Variant& ADisplayValue, bool AEditFocused) override;
  // The keys that step through the list: PgUp, PgDn, Up and Down without Alt; Home and End
  // with Ctrl.
  virtual bool IsLookupDataKey(Word AKey, TShiftState AShift) const;

  // ---- the list source, answered by the data-set kinds ----
  virtual TWinControl* GetListControl() const { return nullptr; }
  virtual bool IsListHeightSnapped() const { return true; }
  virtual Integer GetListColumnCount() const { return 0; }
  virtual TcxCustomLookupGrid* GetLookupGrid() const { return nullptr; }
  virtual TcxCustomDataController* GetListDataController() const { return nullptr; }
  virtual Integer GetListColumnsWidth() const { return 0; }
  virtual Integer SnapListHeight(Integer AHeight) const { return AHeight; }
  virtual Integer GetListHeightForRowCount(Integer ARowCount) const { (void)ARowCount; return 0; }
  virtual bool IsPointOverList(const TPoint& P) const { (void)P; return false; }
  // Wires (or unwires) the grid's close-up, row-change and click events to the lookup data.
  virtual void SetListEvents(TcxCustomLookupEditLookupData* AData, bool AWire) { (void)AData; (void)AWire; }
  virtual void SetListLookAndFeel(TcxLookAndFeel* ALookAndFeel, TColor AColor, TFont* AFont) {
    (void)ALookAndFeel; (void)AColor; (void)AFont;
  }
  virtual void ListPopupStarting() {}
  virtual void ListPopupStarted() {}
  // Mouse capture released, popup mouse mode off.
  virtual void ListPopupEnded() {}
  virtual void RemoveListDataChangeListener();
  // The record whose list-column text matches AText (a prefix of it with APartial): the
  // first in view order, -1 when none.
  virtual Integer FindByText(Integer AItemIndex, const String& AText, bool APartial);
  // The text the list shows for a key; empty for a key no record has.
  virtual String GetDisplayText(const Variant& AKey);
  using TcxCustomComboBoxProperties::GetDisplayText;
  virtual Variant GetEmptyKey() const { return Null(); }
  // The data controller's change notice: editors using the properties show the list anew.
  virtual void ListDataChanged(TObject* Sender);
  virtual void AddListDataChangeListener();
  bool IsLookupDataLocked() const { return FLookupDataLockCount > 0; }
  bool IsControllerLookupLocked() const;
  // True when a lookup field defines the list.
  virtual bool IsDefinedByLookupField() const { return false; }
  // The data controller's lookup lock, raised around the lookup data's own moves.
  virtual void LockDataController();
  virtual void UnlockDataController();
  // True when the key field is the list field itself: the text is the key then.
  virtual bool IsKeyListField() const { return false; }

  // ---- keys and records ----
  // The key of a record; Null for an invalid index.
  virtual Variant GetRecordKey(Integer ARecordIndex) const;
  // The record with the key; -1 when none.
  virtual Integer FindRecordIndexByKey(const Variant& AKey);
  // The record's text in the list column ('' without one).
  String GetRecordListText(Integer ARecordIndex) const;

  // The properties' lock on lookup-data change notices.
  void LockLookupDataChanges() { ++FLookupDataLockCount; }
  void UnlockLookupDataChanges() {
    if (FLookupDataLockCount > 0) --FLookupDataLockCount;
  }

 protected:
  bool IsListListening() const { return FListListening; }

 private:
  Integer FListFieldIndex = 0;
  bool FIncrementalFiltering = true;
  Integer FLookupDataLockCount = 0;
  bool FInListDataChanged = false;
  bool FListListening = false;
  TcxCustomDataController* FListeningController = nullptr;
};

// The lookup data of a lookup edit: the grid's focused record is the current item, and the
// current key is that record's key.
class TcxCustomLookupEditLookupData : public TcxCustomTextEditLookupData {
  TL_CLASS(TcxCustomLookupEditLookupData, TcxCustomTextEditLookupData)
 public:
  explicit TcxCustomLookupEditLookupData(TPersistent* AOwner) : TcxCustomTextEditLookupData(AOwner) {}
  void BeforeDestruction() override;

  TcxCustomLookupEditProperties* LookupProperties() const;
  TcxCustomLookupEdit* LookupEdit() const;
  bool IsIncrementalSearching() const { return FIncrementalSearching; }
  // Between the list's drop-down and its close-up: the steps move the list's row only.
  bool IsListDroppedDown() const { return FListDroppedDown; }
  // The grid whose data-change event the lookup data follows while the list is dropped down.
  TcxCustomLookupGrid* WiredGrid() const { return FWiredGrid; }

  // ---- IcxTextEditLookupData ----
  void CloseUp() override;
  void DropDown() override;
  void TextChanged(const String&) override {}
  bool Locate(String& AText, String& ATail, bool ANext, bool AExactMatch) override;
  TWinControl* GetActiveControl() override;
  TSize GetVisualAreaPreferredSize(Integer AMaxHeight, Integer AWidth) override;
  void Go(Integer ADirection, bool AWrap) override;
  void Initialize(TWinControl* AVisualControlsParent) override;
  bool IsEmpty() override { return GetActiveControl() == nullptr; }
  void PositionVisualArea(const TRect& AClientRect) override { SetListBounds(AClientRect); }
  void SelectItem() override;
  bool SyncWithEditText() override;
  Variant GetCurrentKey() override { return FCurrentKey; }
  void SetCurrentKey(const Variant& AKey) override;
  Integer GetCurrentIndex() override;
  void GetDisplayText(const Variant& AKey, String& AText) override;
  bool ItemExists(const String& AText) override;
  void RefreshList() override {}
  void SetListBounds(const TRect& ARect) override;
  bool IsMouseOverList() override;
  String GetItem(Integer ARecordIndex) override;
  Integer GetItemCount() override;
  bool HasVisualList() const override { return true; }

  // ---- the lookup edit's own steps ----
  // The key for a text the user left in the edit: the text itself when the key is the list
  // field, the current key when the text is its text, else the key of the record with that
  // text, else the empty key.
  Variant DisplayTextToKey(const String& AText);
  // A proposed popup client height: taken when positive, snapped to whole rows.
  void AdjustListHeight(Integer& AHeight);
  // The record for the edit's text is found again after the list's data changed.
  void ListDataChanged();
  // The current key comes from a record (Null for none).
  virtual void SetCurrentKeyFromRecord(Integer ARecordIndex);
  // The list focuses the current key's record.
  virtual void SyncGridWithKey();
  // The key the edit shows while its list is closed: the list focuses its record only where
  // that moves nothing shared; else it does so when the user first steps through the list.
  void ShowKey(const Variant& AKey);

  // The grid's events, while the list is dropped down.
  void GridCloseUp(TObject* Sender, bool AAccept);
  void GridFocusedRowChanged(TObject*) {}
  void GridClick(TObject*) {}

 protected:
  // The grid's focused row counts as selected.
  void MarkFocusedSelected(bool ASelected);
  // Tells the editor its current key changed.
  void NotifyKeyChanged();
  // True when focusing a record of the list moves a data set other controls may show.
  virtual bool FocusMovesSharedList() { return false; }

 private:
  // False where a handler the step ran freed the controller.
  bool StepDataSet(TcxCustomDataController* AController, Integer ADirection, bool AWrap, bool ANoRow, Integer APage);
  void GridDataChanged(TObject* Sender);
  void FitPopupToFilter();
  void FocusKeyRecord();
  // The grid's data-change event goes back to what it was; the grid is no longer watched.
  void UnwireGrid();
  void GridFreed(TComponent* AComponent);
  Variant FCurrentKey = Null();
  bool FListBehindKey = false;
  bool FIncrementalSearching = false;
  bool FListDroppedDown = false;
  TNotifyEvent FSavedGridDataChanged;
  TcxCustomLookupGrid* FWiredGrid = nullptr;
  // The grid belongs to the properties, which may go (a repository item freed) while the list
  // is dropped down.
  TcxFreeNotificator* FGridWatch = nullptr;
};

class TcxCustomLookupEdit : public TcxCustomComboBox {
  TL_CLASS(TcxCustomLookupEdit, TcxCustomComboBox)
 public:
  using TcxCustomComboBox::TcxCustomComboBox;

  TcxCustomLookupEditProperties* LookupProperties() {
    return static_cast<TcxCustomLookupEditProperties*>(GetActiveProperties());
  }
  TcxCustomLookupEditLookupData* GetLookupEditData() const {
    return dynamic_cast<TcxCustomLookupEditLookupData*>(LookupData());
  }

  // The list belongs to the properties: it leaves the popup before the popup goes.
  void BeforeDestruction() override;
  TcxCustomEditPropertiesClass GetPropertiesClass() override;
  void Initialize() override;
  void DropDown() override;
  // A cancelled list (Escape, a release beside its rows) puts back the key as well as the
  // text and the modified marks the edit had when the list dropped down.
  void SaveDropDownState() override;
  void RestoreDropDownState() override;
  void SynchronizeDisplayValue() override;
  // The current record follows the key, not the text: records may share a text, and an empty
  // text must not name a record whose list text is empty.
  void SyncLookupWithDisplayValue() override {}
  void PrepareEditValue(const Variant& ADisplayValue, Variant& AEditValue, bool AEditFocused) override;
  void AdjustPopupClientSize(Integer& AWidth, Integer& AHeight) override;
  void SetKeepDisplayValue() override;
  void ClearKeepDisplayValue() override;

 private:
  // The key the edit held when its list dropped down.
  bool FDropDownKeySaved = false;
  Variant FDropDownKey;
};
