// A data-set controller over a memory data set, with one item per named field, and a plain
// model of the data set's records read by walking it.
#pragma once

#include "tests/databinding/DatabindingTestSupport.h"
#include "widgets/databinding/cxDBData.h"

#include <memory>
#include <random>
#include <vector>

struct DBTestItem : TObject {};

// Counts how often every record is read again.
class ReloadCountingController : public TcxDBDataController {
 public:
  using TcxDBDataController::TcxDBDataController;
  void ReloadStorage() override {
    ++Reloads;
    TcxDBDataController::ReloadStorage();
  }
  Integer Reloads = 0;
};

// Gives a detail clone its pattern's settings (unless only the items are asked for) and items,
// as a master's CreateDetailDataController does.
inline void CopyDetailPattern(TcxDBDataController* AClone, TcxDBDataController* APattern,
                              bool AItemsOnly = false) {
  if (!AItemsOnly) AClone->Assign(APattern);
  for (Integer i = 0; i < APattern->GetItemCount(); ++i) {
    AClone->AddItem(APattern->GetItem(i));
    AClone->ChangeFieldName(i, APattern->GetDataFieldName(i));
  }
}

// One record of the data set as a plain walk reads it: each field's value and display text.
struct WalkedRecord {
  std::vector<Variant> Values;
  std::vector<String> Texts;
};

class DBDataTest : public DatabindingDataTest {
 protected:
  void SetUp() override {
    DatabindingDataTest::SetUp();
    Owner.reset(New<TComponent>(nullptr));
  }
  void TearDown() override {
    C.reset();
    Items.clear();
    Owner.reset();
    DatabindingDataTest::TearDown();
  }

  // The data set (filled with ARows, in field order) and a source over it; not yet open.
  TMemoryDataSet* MakeDataSet(std::initializer_list<TTestFieldDef> ADefs,
                              const std::vector<std::vector<Variant>>& ARows = {}) {
    DS = MakeTestDataSet(Owner.get(), ADefs);
    for (const auto& r : ARows) DS->AddRecord(r);
    Source = New<TDataSource>(Owner.get());
    Source->SetDataSet(DS);
    return DS;
  }
  // A controller with one item per name (bound by that name), then the data source.
  TcxDBDataController* MakeController(const std::vector<String>& ANames, const String& AKeys = String()) {
    C.reset(New<TcxDBDataController>(nullptr));
    AddItems(C.get(), ANames);
    C->SetKeyFieldNames(AKeys);
    C->SetDataSource(Source);
    return C.get();
  }
  void AddItems(TcxDBDataController* AController, const std::vector<String>& ANames) {
    for (const String& n : ANames) {
      Items.emplace_back(New<DBTestItem>());
      AController->AddItem(Items.back().get());
      AController->ChangeFieldName(AController->GetItemCount() - 1, n);
    }
  }
  // Every record of the data set, walked from First, each field in field order; the
  // cursor is put back on the record it stood on.
  std::vector<WalkedRecord> Walk() const {
    std::vector<WalkedRecord> r;
    const TBookmarkStr at = DS->BookmarkAvailable() ? DS->Bookmark() : TBookmarkStr();
    DS->DisableControls();
    for (DS->First(); !DS->Eof(); DS->Next()) {
      WalkedRecord w;
      for (Integer i = 0; i < DS->FieldCount(); ++i) {
        w.Values.push_back(DS->Fields(i)->Value());
        w.Texts.push_back(DS->Fields(i)->DisplayText());
      }
      r.push_back(std::move(w));
    }
    if (!at.empty()) DS->GotoBookmark(at);
    DS->EnableControls();
    return r;
  }
  // The records of the rows, in row order (group rows left out).
  std::vector<Integer> DataRows() const {
    std::vector<Integer> r;
    for (Integer i = 0; i < C->GetRowCount(); ++i) {
      const TcxRowInfo info = C->GetRowInfo(i);
      if (info.Level == C->GetGroupingItemCount()) r.push_back(info.RecordIndex);
    }
    return r;
  }

  Owned<TComponent> Owner;
  TMemoryDataSet* DS = nullptr;
  TDataSource* Source = nullptr;
  Owned<TcxDBDataController> C;
  std::vector<Owned<DBTestItem>> Items;
};
