// Master-detail: records inserted straight on the shared detail data set, or through one
// master's detail while another's insert is pending, show under the master whose key values
// they hold, whichever detail or code posts them.
#include "tests/databinding/DBDataDetailTestSupport.h"

#include <string>

namespace {

class DBDataDetailPostedElsewhere : public DBDataDetail {
 protected:
  static std::string Text(const Variant& AValue) {
    return VarIsNull(AValue) || VarIsEmpty(AValue) ? std::string("-") : std::string(VarToStr(AValue));
  }
  // The detail's records as "ID:MID:V", sorted, duplicates kept.
  static std::multiset<std::string> Shown(TcxCustomDataController* ADetail) {
    std::multiset<std::string> r;
    for (Integer i = 0; i < ADetail->GetRecordCount(); ++i)
      r.insert(Text(ADetail->GetItemValue(i, 0)) + ":" + Text(ADetail->GetItemValue(i, 1)) + ":" +
               Text(ADetail->GetItemValue(i, 2)));
    return r;
  }
  // The data set's records of that master, read without moving it.
  std::multiset<std::string> Held(Integer AMasterID) const {
    std::multiset<std::string> r;
    Detail->ReadRecords([&](const TBookmarkStr&) {
      if (Detail->FieldByName("MID")->Value() == Variant(AMasterID))
        r.insert(Text(Detail->FieldByName("ID")->Value()) + ":" + Text(Detail->FieldByName("MID")->Value()) +
                 ":" + Text(Detail->FieldByName("V")->Value()));
      return true;
    });
    return r;
  }
};

// Positions a detail by Locate, as an OnDetailFirst handler.
struct LocatingHandler : TObject {
  void First(TcxDBDataModeController*, TDataSet* ADataSet, const String& ANames, const Variant& AValues,
             bool&) {
    cxDBLocateSafely(ADataSet, ANames, AValues);
  }
};

// Masters 1, 2 and 4 expanded, master 1's detail standing on the data set. A record is begun
// straight on the data set for master 2 (a new ID, one master 1's records have, or none),
// and posted by whatever comes next: an append or insert through master 2's or master 4's
// detail, master 4's detail's focus or edit, a move of the data set, a focus in master 1's
// detail. Master 2's detail shows it, master 1's never does, nor any other; a record added
// meanwhile through a detail shows under its master once a focus in master 1's posts it.
TEST_F(DBDataDetailPostedElsewhere, ARecordBegunOnTheDataSetShowsUnderTheMasterItIsPostedFor) {
  LocatingHandler handler;
  const Variant ids[] = {Variant(50), Variant(10), Null()};
  const char* const posters[] = {"master 2's append", "master 2's insert", "master 4's append",
                                 "master 4's focus",  "master 4's edit",   "the data set's move",
                                 "master 1's focus",  "master 1's append"};
  // 0: keyed smart refresh; 1: the same positioned by a handler; 2: keyed; 3: no keys.
  for (int mode = 0; mode < 4; ++mode)
    for (const Variant& id : ids)
      for (bool insertOnSet : {false, true})
        for (int poster = 0; poster < 8; ++poster) {
          TearDown();
          SetUp();
          TMemoryDataSet* detail = MakePlainSets();
          if (mode < 3) Pattern->SetKeyFieldNames("ID");
          Pattern->DataModeController()->SetSmartRefresh(mode < 2);
          if (mode == 1)
            Pattern->DataModeController()->OnDetailFirst =
                TcxDBDataModeControllerDetailFirstEvent(&handler, &LocatingHandler::First);
          Master->ResetDetails();
          const std::string what = "mode " + std::to_string(mode) + ", ID " + Text(id) +
                                   (insertOnSet ? ", inserted" : ", appended") +
                                   " on the data set, posted by " + posters[poster];
          std::map<Integer, TcxCustomDataController*> details;
          for (Integer row : {0, 1, 3}) {
            ASSERT_TRUE(Master->ChangeDetailExpanding(row, true));
            details[row + 1] = Master->GetDetailDataController(row, 0);
          }
          auto expectEachShowsItsOwn = [&](const std::string& AWhen) {
            for (const auto& [masterID, d] : details)
              EXPECT_EQ(Shown(d), Held(masterID)) << what << AWhen << ": master " << masterID;
          };
          // Without keys a detail's focus does not move the data set, nor can it add records.
          details[1]->ChangeFocusedRowIndex(1);
          if (mode == 3) detail->Locate("ID", Variant(11), TLocateOptions());
          ASSERT_EQ(detail->FieldByName("ID")->Value(), Variant(11)) << what;
          if (insertOnSet)
            detail->Insert();
          else
            detail->Append();
          detail->FieldByName("ID")->SetValue(id);
          detail->FieldByName("MID")->SetValue(Variant(2));
          detail->FieldByName("V")->SetValue(Variant(8.0));
          TcxCustomDataController* adding = nullptr;
          switch (poster) {
            case 0: case 1: case 2:
              adding = details[poster < 2 ? 2 : 4];
              if (poster == 1)
                adding->Insert();
              else
                adding->Append();
              break;
            case 3: case 4:
              details[4]->ChangeFocusedRowIndex(1);
              if (poster == 4) details[4]->Edit();
              break;
            case 5:
              detail->First();
              break;
            case 6:
              details[1]->ChangeFocusedRowIndex(0);
              break;
            default:
              // Master 1's detail watched the record: its own append posts it.
              details[1]->Append();
          }
          if (mode == 3 && detail->State() == TDataSetState::dsInsert) detail->Post();
          ASSERT_EQ(Held(2).size(), 1u) << what;
          // Posted, it is none of master 1's records (nor of any but master 2's); the others
          // see it once the data set browses.
          for (const auto& [masterID, d] : details)
            for (Integer i = 0; i < d->GetRecordCount(); ++i)
              EXPECT_EQ(d->GetItemValue(i, 1), Variant(masterID)) << what << ": master " << masterID;
          if (detail->State() == TDataSetState::dsBrowse) expectEachShowsItsOwn(" once posted");
          if (adding && detail->State() == TDataSetState::dsInsert) {
            adding->SetEditValue(2, Variant(9.0), TcxDataEditValueSource::evsValue);
            details[1]->ChangeFocusedRowIndex(0);
          } else if (poster == 7 && mode < 3) {
            // Master 2's detail, which heard nothing while the data set was in inserts,
            // begins an append of its own (posting master 1's), given up as master 1's
            // detail moves.
            details[2]->Append();
            details[1]->ChangeFocusedRowIndex(0);
          }
          detail->CheckBrowseMode();
          expectEachShowsItsOwn(" at the end");
        }
}

}  // namespace

namespace {

// Master 2's detail adds a record while master 1's detail stands on the data set (editing
// its record or not), and a focus in master 1's detail posts it: master 2's detail hears of
// the post only once master 1's has read its records and moved the data set. Master 2's
// detail keeps the record it added, whatever its ID.
TEST_F(DBDataDetailPostedElsewhere, AnInsertPostedByAnotherDetailsFocusStaysWithItsDetail) {
  const Variant ids[] = {Null(), Variant(10), Variant(50)};
  const char* const befores[] = {"nothing", "master 1's edit", "an edit on the data set"};
  for (int before = 0; before < 3; ++before)
    for (const Variant& id : ids)
      for (bool insert : {false, true}) {
        TearDown();
        SetUp();
        TMemoryDataSet* detail = MakePlainSets();
        Pattern->SetKeyFieldNames("ID");
        Pattern->DataModeController()->SetSmartRefresh(true);
        Master->ResetDetails();
        const std::string what = std::string("after ") + befores[before] + ", ID " + Text(id) +
                                 (insert ? ", inserted" : ", appended");
        ASSERT_TRUE(Master->ChangeDetailExpanding(0, true));
        ASSERT_TRUE(Master->ChangeDetailExpanding(1, true));
        TcxCustomDataController* d1 = Master->GetDetailDataController(0, 0);
        TcxCustomDataController* d2 = Master->GetDetailDataController(1, 0);
        d1->ChangeFocusedRowIndex(1);
        if (before == 1) d1->Edit();
        if (before == 2) detail->Edit();
        if (insert)
          d2->Insert();
        else
          d2->Append();
        ASSERT_EQ(detail->State(), TDataSetState::dsInsert) << what;
        d2->SetEditValue(0, id, TcxDataEditValueSource::evsValue);
        d2->SetEditValue(2, Variant(5.0), TcxDataEditValueSource::evsValue);
        d1->ChangeFocusedRowIndex(0);
        ASSERT_EQ(detail->State(), TDataSetState::dsBrowse) << what;
        ASSERT_EQ(Held(2).size(), 1u) << what;
        EXPECT_EQ(Shown(d2), Held(2)) << what;
        EXPECT_EQ(Shown(d1), Held(1)) << what;
      }
}

}  // namespace
