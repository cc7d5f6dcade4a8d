// Data-aware editors on the dialog form over one memory data set "Items": ID (integer), NAME
// (text of 20), PRICE (float), WHEN (date), NOTE (memo), OK (Boolean) and KIND (text of 10),
// three records,
// open, behind the data source "Source".
#pragma once

#include "tests/databinding/DatabindingTestSupport.h"
#include "widgets/databinding/cxDBEdit.h"

class DBEditTest : public DatabindingTest {
 protected:
  void SetUp() override {
    DatabindingTest::SetUp();
    DS = MakeTestDataSet(form, {{"ID", TFieldType::ftInteger},
                                {"NAME", TFieldType::ftString, 20},
                                {"PRICE", TFieldType::ftFloat},
                                {"WHEN", TFieldType::ftDate},
                                {"NOTE", TFieldType::ftMemo},
                                {"OK", TFieldType::ftBoolean},
                                {"KIND", TFieldType::ftString, 10}});
    DS->SetName("Items");
    DS->AddRecord({1, "Apple", 1234.5, TDateTime(45000), "first", true, "fruit"});
    DS->AddRecord({2, "Banana", 2.25, TDateTime(45001), "second", false, "fruit"});
    DS->AddRecord({3, "Cherry", Null(), Null(), Null(), Null(), Null()});
    Source = New<TDataSource>(form);
    Source->SetName("Source");
    Source->SetDataSet(DS);
    DS->Open();
  }

  // An editor of class T on the form, bound to AField, at the next free row.
  template <class T>
  T* Add(const char* AField) {
    T* e = New<T>(form);
    e->SetName(String("ed") + IntToStr(++FCount));
    e->SetBounds(10, 4 + 26 * (FCount - 1), 140, 21);
    e->SetParent(form);
    e->GetDataBinding()->SetDataSource(Source);
    e->GetDataBinding()->SetDataField(AField);
    return e;
  }
  // A list box of the two KIND values at ABounds, bound to KIND.
  TcxDBListBox* AddKindList(const TRect& ABounds) {
    auto* list = New<TcxDBListBox>(form);
    list->SetBounds(ABounds.Left, ABounds.Top, ABounds.Width(), ABounds.Height());
    list->SetParent(form);
    list->GetItems()->Add("fruit");
    list->GetItems()->Add("nut");
    list->GetDataBinding()->SetDataSource(Source);
    list->GetDataBinding()->SetDataField("KIND");
    return list;
  }
  // A second open data set on the form with one text field AField holding AValue, behind the
  // source returned.
  TDataSource* AddSecondSource(const char* AField, const char* AValue) {
    TMemoryDataSet* second = MakeTestDataSet(form, {{AField, TFieldType::ftString, 20}});
    second->AddRecord({AValue});
    auto* source = New<TDataSource>(form);
    source->SetDataSet(second);
    second->Open();
    return source;
  }
  // A click on the list's item AIndex.
  void ClickItem(TcxDBListBox* AList, Integer AIndex) {
    TRect item = AList->ItemRect(AIndex);
    host().Click(AList->InnerListBox()->GetHandle(), item.Left + 5, (item.Top + item.Bottom) / 2);
    Pump();
  }
  // Down and a click on the second item are both refused: the list stays on the stored first
  // item and the data set keeps browsing.
  void ExpectListRefusesPicks(TcxDBListBox* AList) {
    Focus(AList->InnerListBox());
    Press(VK_DOWN);
    EXPECT_EQ(AList->GetItemIndex(), 0);
    ClickItem(AList, 1);
    EXPECT_EQ(AList->GetItemIndex(), 0);
    EXPECT_EQ(DS->State(), TDataSetState::dsBrowse);
  }
  TField* F(const char* AName) const { return DS->FieldByName(AName); }
  void Press(int VK) {
    host().Key(VK);
    Pump();
  }
  static String Shown(TcxCustomTextEdit* e) { return e->InnerTextEdit()->GetText(); }
  // The inner edit or the editor itself takes the focus as a click would give it.
  void Focus(TWinControl* e) {
    e->SetFocus();
    Pump();
  }

  TMemoryDataSet* DS = nullptr;
  TDataSource* Source = nullptr;

 private:
  Integer FCount = 0;
};
