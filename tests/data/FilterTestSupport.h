// A criteria subclass over plain records: items are named fields, a record is a vector of
// values indexed by field, and stream identifiers are field indexes.
#pragma once

#include "DataTestSupport.h"
#include "widgets/data/cxFilter.h"

#include <memory>
#include <string>
#include <vector>

struct TestField : TObject {
  explicit TestField(Integer AIndex, String AName) : Index(AIndex), Name(std::move(AName)) {}
  Integer Index;
  String Name;
};

using TestRecord = std::vector<Variant>;

class TestFilterItem : public TcxFilterCriteriaItem {
 public:
  using TcxFilterCriteriaItem::TcxFilterCriteriaItem;
  void GetDataValue(Pointer AData, Variant& AValue) override {
    auto field = static_cast<TestField*>(GetItemLink());
    auto record = static_cast<const TestRecord*>(AData);
    AValue = field && size_t(field->Index) < record->size() ? (*record)[size_t(field->Index)] : Null();
  }
  void GetFieldName(String& AText) override { AText = GetItemLink() ? static_cast<TestField*>(GetItemLink())->Name : "?"; }
  void GetFieldCaption(String& AText) override { GetFieldName(AText); }
};

class TestCriteria : public TcxFilterCriteria {
 public:
  TestCriteria() {
    for (const char* n : {"F", "G", "H", "Price", "Name"}) Fields.emplace_back(New<TestField>(Integer(Fields.size()), n));
  }
  TestField* Field(Integer i) { return Fields[size_t(i)].get(); }
  Integer GetIDByItemLink(TObject* AItemLink) override {
    return AItemLink ? static_cast<TestField*>(AItemLink)->Index : -1;
  }
  TObject* GetItemLinkByID(Integer AID) override {
    return AID >= 0 && size_t(AID) < Fields.size() ? Fields[size_t(AID)].get() : nullptr;
  }
  TcxFilterCriteriaItemClass GetItemClass() override {
    return ClassOf<TestFilterItem, TcxFilterCriteriaItem, TcxFilterCriteriaItemList*, TObject*, TcxFilterOperatorKind,
                   const Variant&, const String&>();
  }
  bool Matches(const TestRecord& ARecord) { return DoFilterRecord(const_cast<TestRecord*>(&ARecord)); }
  String Text(bool ADisplay = false) {
    String t;
    GetFilterText(ADisplay, t);
    return t;
  }
  std::vector<Owned<TestField>> Fields;
};

// A data test over a fresh criteria of the test fields, gone before the units stop.
class CriteriaTest : public DataTest {
 protected:
  void SetUp() override {
    DataTest::SetUp();
    c_.reset(New<TestCriteria>());
  }
  void TearDown() override {
    c_.reset();
    DataTest::TearDown();
  }
  Owned<TestCriteria> c_;
};
