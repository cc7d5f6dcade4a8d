// A data controller over plain items, filled from rows of values, with helpers that read
// the row order back as record indexes.
#pragma once

#include "DataTestSupport.h"
#include "widgets/data/cxData.h"

#include <initializer_list>
#include <memory>
#include <vector>

struct TestItem : TObject {};

class ControllerTest : public DataTest {
 protected:
  void SetUp() override {
    DataTest::SetUp();
    c_.reset(Make());
  }
  void TearDown() override {
    c_.reset();
    items_.clear();
    DataTest::TearDown();
  }
  virtual TcxCustomDataController* Make() { return New<TcxDataController>(nullptr); }

  // Adds items of these value types, in order.
  void AddItems(std::initializer_list<TcxValueTypeClass> ATypes) {
    for (TcxValueTypeClass t : ATypes) {
      items_.emplace_back(New<TestItem>());
      c_->AddItem(items_.back().get());
      c_->ChangeValueTypeClass(Integer(items_.size()) - 1, t);
    }
  }
  // One record per row, inside one bracket.
  void Fill(std::initializer_list<std::vector<Variant>> ARows) {
    c_->BeginUpdate();
    c_->SetRecordCount(Integer(ARows.size()));
    Integer r = 0;
    for (const auto& row : ARows) {
      for (size_t i = 0; i < row.size(); ++i) c_->SetValue(r, Integer(i), row[i]);
      ++r;
    }
    c_->EndUpdate();
  }
  std::vector<Integer> Rows() const {
    std::vector<Integer> r;
    for (Integer i = 0; i < c_->GetRowCount(); ++i) r.push_back(c_->GetRowInfo(i).RecordIndex);
    return r;
  }

  Owned<TcxCustomDataController> c_;
  std::vector<Owned<TestItem>> items_;
};

inline TcxValueTypeClass StrType() { return TcxStringValueType::StaticClass(); }
inline TcxValueTypeClass IntType() { return TcxIntegerValueType::StaticClass(); }
