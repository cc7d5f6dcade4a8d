// The data-set lookup editors' tests: a list data set of people (ID, Name, City) with a
// source, and an orders data set whose CustID names a person, with a lookup field CustName
// over the people; lookup combo boxes on the dialog form.
#pragma once

#include "tests/databinding/LookupGridTestSupport.h"
#include "widgets/databinding/cxDBLookupComboBox.h"
#include "widgets/foundation/cxVariants.h"

#include <utility>
#include <vector>

class DBLookupTest : public LookupGridTest {
 protected:
  void SetUp() override {
    LookupGridTest::SetUp();
    people = MakeTestDataSet(form, {{"ID", TFieldType::ftInteger}, {"Name", TFieldType::ftString, 20}, {"City", TFieldType::ftString, 20}});
    people->SetName("People");
    for (const auto& [id, name] : kPeople)
      people->AddRecord({Variant(id), name.empty() ? Null() : Variant(name), Variant(String("C") + IntToStr(id))});
    people->Open();
    peopleSource = New<TDataSource>(form);
    peopleSource->SetDataSet(people);
    orders = New<TTestDetailDataSet>(form);
    orders->SetName("Orders");
    AddTestField<TIntegerField>(form, orders, "OrderID");
    AddTestField<TIntegerField>(form, orders, "CustID");
    custName = AddTestField<TStringField>(form, orders, "CustName");
    custName->SetFieldKind(TFieldKind::fkLookup);
    custName->SetKeyFields("CustID");
    custName->SetLookupDataSet(people);
    custName->SetLookupKeyFields("ID");
    custName->SetLookupResultField("Name");
    orders->AddRecord({Variant(Integer(1)), Variant(Integer(2))});
    orders->Open();
    ordersSource = New<TDataSource>(form);
    ordersSource->SetDataSet(orders);
  }
  // A lookup combo box over the people: key ID, list Name.
  template <class T = TcxLookupComboBox>
  T* MakeCombo() {
    auto* c = New<T>(form);
    c->SetParent(form);
    c->SetBounds(10, 10, 150, 21);
    TcxLookupComboBoxProperties* p = c->GetProperties();
    p->SetListSource(peopleSource);
    p->SetKeyFieldNames("ID");
    p->SetListFieldNames("Name");
    return c;
  }
  // A lookup combo box bound to the order's CustID, and another control to leave it for.
  TcxDBLookupComboBox* MakeBoundCombo(TcxLookupComboBox*& AOther) {
    AOther = New<TcxLookupComboBox>(form);
    AOther->SetParent(form);
    AOther->SetBounds(10, 60, 150, 21);
    auto* c = MakeCombo<TcxDBLookupComboBox>();
    c->GetDataBinding()->SetDataSource(ordersSource);
    c->GetDataBinding()->SetDataField("CustID");
    return c;
  }
  static String Text(TcxCustomTextEdit* e) { return VarToStr(e->GetDisplayValue()); }
  void Key(int vk) {
    host().Key(vk);
    Pump();
  }

  // Key 4 has no name; 6 and 9 are missing keys.
  const std::vector<std::pair<Integer, String>> kPeople = {
      {1, "Ann"}, {2, "Bob"}, {3, "Bobby"}, {4, ""}, {5, "Cyd"}, {7, "Dora"}, {8, "anna"}};
  TMemoryDataSet* people = nullptr;
  TDataSource* peopleSource = nullptr;
  TTestDetailDataSet* orders = nullptr;
  TDataSource* ordersSource = nullptr;
  TField* custName = nullptr;
};
