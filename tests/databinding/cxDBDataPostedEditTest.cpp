#include "tests/databinding/DBDataTestSupport.h"

#include "classlib/core/SysUtils.h"
#include "widgets/data/cxFilter.h"

using enum TFieldType;

namespace {

class DBPostedEdit : public DBDataTest {
 protected:
  void MakeSet() {
    std::vector<std::vector<Variant>> rows;
    for (Integer i = 1; i <= 5; ++i) rows.push_back({i, String("n") + IntToStr(i), i * 10});
    MakeDataSet({{"ID", ftInteger}, {"NAME", ftString, 20}, {"V", ftInteger}}, rows);
    DS->Open();
  }
  String NameOf(Integer AId) {
    for (Integer r = 0; r < C->GetRecordCount(); ++r)
      if (C->GetItemValue(r, 0) == Variant(AId)) return VarToStr(C->GetItemValue(r, 1));
    return "?";
  }
};

TEST_F(DBPostedEdit, Explore) {
  MakeSet();
  MakeController({"ID", "NAME", "V"}, "ID");
  C->DataModeController()->SetSmartRefresh(true);
  C->Filter()->Root()->AddItem(C->GetItem(2), TcxFilterOperatorKind::foNotEqual, 30, "30");
  C->Filter()->SetActive(true);
  ASSERT_EQ(C->GetRowCount(), 4);
  ASSERT_TRUE(DS->Locate("ID", Variant(3), TLocateOptions()));
  DS->Edit();
  DS->FieldByName("NAME")->SetAsString("x");
  DS->Post();
  EXPECT_EQ(NameOf(3), "x");
  EXPECT_EQ(NameOf(4), "n4");
  DS->Edit();
  DS->FieldByName("V")->SetAsInteger(31);
  DS->Post();
  EXPECT_EQ(C->GetRowCount(), 5);
  C->Filter()->SetActive(false);
  EXPECT_EQ(NameOf(3), "x");
}

}  // namespace
