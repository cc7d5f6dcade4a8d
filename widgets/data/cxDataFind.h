// Finding records of a data controller: the incremental search a grid runs while the
// user types (a case-insensitive prefix of the searched item's display texts, from the
// focused record on and wrapping to the top), and locating a record by the values of
// key fields read into an internal record of the controller's storage.
#pragma once

#include "classlib/core/Variants.h"
#include "widgets/data/cxDataStorage.h"

#include <vector>

class TcxCustomDataController;
class TcxCustomDataField;

class TcxDataControllerSearch : public TObject {
  TL_CLASS(TcxDataControllerSearch, TObject)
 public:
  explicit TcxDataControllerSearch(TcxCustomDataController* ADataController) : FDataController(ADataController) {}

  // In slot order.
  // Focuses the record at a view-order position and makes its row the selection; the
  // focus change does not cancel the search.
  virtual void DoFocusRecord(Integer AFilteredIndex);
  // The first position from AStart to AEnd (inclusive; -1: the end in that direction)
  // whose record's display text begins with AText, case aside; -1 when none.
  virtual Integer DoSearch(Integer AStartFilteredIndex, Integer AEndFilteredIndex, bool AForward, const String& AText);
  // From the focused record to the end, then from the top: True when a record was found
  // and focused. An empty text or no rows: False, nothing changes.
  virtual bool Locate(Integer AItemIndex, const String& AText);
  // The next match after (or before) the focused record, without wrapping.
  virtual bool LocateNext(bool AForward);
  virtual void Lock() { ++FLockCount; }
  virtual void Unlock() {
    if (FLockCount > 0) --FLockCount;
  }

  // Clears the search unless locked; reports dccSearch when it was searching.
  void Cancel();
  // Asked when the focused record's change is told: True when the search itself moved the
  // focus there inside a caller's bracket, so that the notice comes only now (and must not
  // cancel it). Answers once.
  bool TakeOwnFocusChange();
  bool IsLocked() const { return FLockCount > 0; }
  bool IsSearching() const { return FSearching; }
  const String& SearchText() const { return FSearchText; }
  TcxCustomDataField* SearchField() const { return FSearchField; }
  // -1 when no item is searched.
  Integer ItemIndex() const;
  // The searched field left the controller.
  void FieldRemoved(TcxCustomDataField* AField);
  TcxCustomDataController* DataController() const { return FDataController; }

 private:
  TcxCustomDataController* FDataController;
  TcxCustomDataField* FSearchField = nullptr;
  bool FSearching = false;
  String FSearchText;
  Integer FLockCount = 0;
  Integer FOwnFocusRecord = -1;  // focused by the search inside a caller's bracket, told later
};

using TcxDataControllerSearchClass = TMetaClass<TcxDataControllerSearch, TcxCustomDataController*>;

// Values for one record given field by field; a field never given reads as Unassigned.
class TcxValueDefUnboundReader : public TcxValueDefReader {
  TL_CLASS(TcxValueDefUnboundReader, TcxValueDefReader)
 public:
  Variant GetValue(TcxValueDef* AValueDef) override;
  bool IsInternal(TcxValueDef* AValueDef) override;
  void SetValue(TcxCustomDataField* AField, const Variant& AValue);

 private:
  std::vector<TcxCustomDataField*> FFields;
  std::vector<Variant> FValues;
};

// Reads another record of the controller.
class TcxValueDefRecordReader : public TcxValueDefReader {
  TL_CLASS(TcxValueDefRecordReader, TcxValueDefReader)
 public:
  TcxValueDefRecordReader(TcxCustomDataController* ADataController, Integer ARecordIndex)
      : FDataController(ADataController), FRecordIndex(ARecordIndex) {}
  String GetDisplayText(TcxValueDef* AValueDef) override;
  Variant GetValue(TcxValueDef* AValueDef) override;
  bool IsInternal(TcxValueDef* AValueDef) override;

 private:
  TcxCustomDataController* FDataController;
  Integer FRecordIndex;
};

class TcxDataControllerLocateObject : public TObject {
  TL_CLASS(TcxDataControllerLocateObject, TObject)
 public:
  explicit TcxDataControllerLocateObject(TcxCustomDataController* ADataController);
  void BeforeDestruction() override;

  // Deletes the internal record.
  virtual void ReleaseRecord();
  // -1 until data was read.
  virtual Integer FindRecordIndex() = 0;

  // Fills the internal record (allocated on first use) from the reader; False when the
  // reader's code freed the controller or stopped the reader: nothing is to be found then.
  bool ReadData(TcxValueDefReader* AValueDefReader);
  Integer RecordIndex() const { return FRecordIndex; }
  TcxCustomDataController* DataController() const { return FDataController; }

 protected:
  // The first record, in storage order, equal to the internal record on every field; -1
  // also when a compare frees the controller.
  Integer FindByFields(const std::vector<TcxCustomDataField*>& AFields);

 private:
  TcxCustomDataController* FDataController;
  TWeakLink FControllerLink;  // a handler may free the controller while this searches it
  Integer FRecordIndex = 0;  // internal records are negative
};

class TcxDataControllerKeyLocateObject : public TcxDataControllerLocateObject {
  TL_CLASS(TcxDataControllerKeyLocateObject, TcxDataControllerLocateObject)
 public:
  using TcxDataControllerLocateObject::TcxDataControllerLocateObject;
  Integer FindRecordIndex() override { return FindByFields(FKeyFields); }
  std::vector<TcxCustomDataField*>& KeyFields() { return FKeyFields; }

 private:
  std::vector<TcxCustomDataField*> FKeyFields;
};

// Finds a record by the values of the grouped items down to a group level.
class TcxDataControllerGroupLocateObject : public TcxDataControllerLocateObject {
  TL_CLASS(TcxDataControllerGroupLocateObject, TcxDataControllerLocateObject)
 public:
  using TcxDataControllerLocateObject::TcxDataControllerLocateObject;
  Integer FindRecordIndex() override;
  Integer Level() const { return FLevel; }
  void SetLevel(Integer Value) { FLevel = Value; }

 private:
  Integer FLevel = 0;
};
