#include <gtest/gtest.h>

#include "tests/classlib/ErrorText.h"

#include "classlib/core/DB.h"
#include "classlib/core/Strings.h"

#include <limits>

using enum TDataSetState;
using enum TFieldType;

namespace {

// Writes what each notification of a data link was, in order, into a shared log.
class TLogLink : public TDataLink {
 public:
  TLogLink(std::vector<String>& Log, String Tag) : FLog(Log), FTag(std::move(Tag)) {}
  String PendingName;  // written into NAME when the data set asks for data
  bool LogBrowseMode = false;
  bool ClearsFocus = false;

 protected:
  void ActiveChanged() override { Add("Active " + String(Active() ? "on" : "off")); }
  void CheckBrowseMode() override {
    if (LogBrowseMode) Add("CheckBrowseMode");
  }
  void DataSetChanged() override { Add("DataSetChanged"); }
  void DataSetScrolled(Integer Distance) override { Add("Scrolled " + IntToStr(Distance)); }
  void EditingChanged() override { Add("Editing " + String(Editing() ? "on" : "off")); }
  void LayoutChanged() override { Add("LayoutChanged"); }
  void RecordChanged(TField* Field) override {
    Add("RecordChanged " + (Field ? Field->FieldName() : String("nil")));
  }
  void FocusControl(TField*& Field) override {
    Add("FocusControl " + Field->FieldName());
    if (ClearsFocus) Field = nullptr;
  }
  void UpdateData() override {
    Add("UpdateData");
    if (!PendingName.empty()) DataSet()->FieldByName("NAME")->SetAsString(PendingName);
  }

 private:
  void Add(const String& s) { FLog.push_back(FTag + s); }
  std::vector<String>& FLog;
  String FTag;
};

class DataSetTest : public ::testing::Test {
 protected:
  void SetUp() override {
    Owner.reset(New<TComponent>(nullptr));
    DS = New<TMemoryDataSet>(Owner.get());
    DS->SetName("Items");
    DS->FieldDefs().Add("ID", ftInteger);
    DS->FieldDefs().Add("NAME", ftString, 10);
    DS->FieldDefs().Add("PRICE", ftFloat);
    const char* names[] = {"Apple", "Banana", "Cherry", "Date", "Elder"};
    for (int i = 0; i < 5; ++i) DS->AddRecord({i + 1, names[i], 1.5 * (i + 1)});
    Source = New<TDataSource>(Owner.get());
    Source->SetDataSet(DS);
  }

  String Name() const { return DS->FieldByName("NAME")->GetAsString(); }
  // The names of every record, walking from the first.
  String Names() {
    String s;
    for (DS->First(); !DS->Eof(); DS->Next()) s += Name() + " ";
    return s;
  }

  Owned<TComponent> Owner;
  TMemoryDataSet* DS = nullptr;
  TDataSource* Source = nullptr;
  std::vector<String> Log;
};

TEST_F(DataSetTest, StateMachine) {
  EXPECT_EQ(DS->State(), dsInactive);
  EXPECT_EQ(MessageOf<EDatabaseError>([&] { DS->First(); }),
            "Items: Cannot perform this operation on a closed dataset");
  DS->Open();
  EXPECT_EQ(DS->State(), dsBrowse);
  EXPECT_TRUE(DS->DefaultFields());
  EXPECT_EQ(MessageOf<EDatabaseError>([&] { DS->FieldByName("PRICE")->SetAsFloat(1); }),
            "Items: Dataset not in edit or insert mode");
  EXPECT_EQ(MessageOf<EDatabaseError>([&] { DS->Post(); }),
            "Items: Dataset not in edit or insert mode");

  DS->Edit();
  EXPECT_EQ(DS->State(), dsEdit);
  EXPECT_FALSE(DS->Modified());
  DS->FieldByName("NAME")->SetAsString("Apricot");
  EXPECT_TRUE(DS->Modified());
  EXPECT_EQ(DS->FieldByName("NAME")->OldValue().AsString(), "Apple");
  DS->Cancel();
  EXPECT_EQ(DS->State(), dsBrowse);
  EXPECT_EQ(Name(), "Apple");

  // Moving posts a modified record and cancels an unmodified one.
  DS->Edit();
  DS->FieldByName("NAME")->SetAsString("Apricot");
  DS->Next();
  EXPECT_EQ(DS->State(), dsBrowse);
  DS->Insert();
  DS->Next();
  EXPECT_EQ(DS->RecordCount(), 5);
  EXPECT_EQ(DS->Lookup("ID", 1, "NAME").AsString(), "Apricot");

  DS->SetReadOnly(true);
  EXPECT_EQ(MessageOf<EDatabaseError>([&] { DS->Edit(); }),
            "Items: Cannot modify a read-only dataset");
  DS->Close();
  EXPECT_EQ(DS->State(), dsInactive);
  EXPECT_EQ(DS->FieldCount(), 0);  // the default fields went with the data set's opening
}

TEST_F(DataSetTest, MovingAndEnds) {
  DS->Open();
  EXPECT_TRUE(DS->Bof());
  EXPECT_EQ(DS->MoveBy(3), 3);
  EXPECT_EQ(DS->RecNo(), 4);
  EXPECT_EQ(DS->MoveBy(5), 1);  // only one record was left
  EXPECT_TRUE(DS->Eof());
  EXPECT_EQ(Name(), "Elder");
  DS->Next();
  EXPECT_EQ(Name(), "Elder");
  DS->Prior();
  EXPECT_FALSE(DS->Eof());
  EXPECT_EQ(Name(), "Date");
  EXPECT_EQ(DS->MoveBy(-10), -3);
  EXPECT_TRUE(DS->Bof());
  DS->SetRecNo(3);
  EXPECT_EQ(Name(), "Cherry");
  DS->Last();
  EXPECT_TRUE(DS->Eof());
  EXPECT_EQ(DS->RecNo(), 5);
  DS->AddRecord({6, "Fig"});
  EXPECT_EQ(DS->RecNo(), 5);
  DS->Next();
  EXPECT_EQ(Name(), "Fig");
  DS->SetUniDirectional(true);
  EXPECT_EQ(MessageOf<EDatabaseError>([&] { DS->Prior(); }),
            "Items: Operation not allowed on a unidirectional dataset");
  DS->First();
  DS->Next();
  EXPECT_EQ(Name(), "Banana");
}

// The widest distances move as far as the records go, filtered or not.
TEST_F(DataSetTest, MovingByTheWidestDistances) {
  constexpr Integer lowest = std::numeric_limits<Integer>::min(),
                    highest = std::numeric_limits<Integer>::max();
  DS->Open();
  for (bool filtered : {false, true}) {
    SCOPED_TRACE(filtered);
    DS->SetFilter("ID <> 3");
    DS->SetFiltered(filtered);
    const Integer others = filtered ? 3 : 4;
    DS->Last();
    EXPECT_EQ(DS->MoveBy(lowest), -others);
    EXPECT_TRUE(DS->Bof());
    EXPECT_EQ(Name(), "Apple");
    EXPECT_EQ(DS->MoveBy(highest), others);
    EXPECT_TRUE(DS->Eof());
    EXPECT_EQ(Name(), "Elder");
    EXPECT_EQ(DS->MoveBy(lowest + 1), -others);
    EXPECT_EQ(Name(), "Apple");
    DS->SetRecNo(highest);
    EXPECT_EQ(Name(), "Elder");
    DS->SetRecNo(lowest);
    EXPECT_EQ(Name(), "Apple");
    DS->SetRecNo(others);
    EXPECT_EQ(Name(), "Date");
  }
}

TEST_F(DataSetTest, InsertAppendDeleteKeepTheOrder) {
  DS->Open();
  DS->SetRecNo(2);
  DS->Insert();
  EXPECT_EQ(DS->RecNo(), -1);
  DS->FieldByName("NAME")->SetAsString("Avocado");
  DS->Post();
  EXPECT_EQ(Name(), "Avocado");
  EXPECT_EQ(DS->RecNo(), 2);
  DS->Append();
  EXPECT_TRUE(DS->Eof());
  DS->FieldByName("NAME")->SetAsString("Fig");
  DS->Post();
  EXPECT_EQ(Names(), "Apple Avocado Banana Cherry Date Elder Fig ");

  DS->SetRecNo(3);
  DS->Insert();
  DS->Cancel();
  EXPECT_EQ(Name(), "Banana");  // back on the record the insert stood before
  DS->Delete();
  EXPECT_EQ(Name(), "Cherry");  // the next record takes the deleted one's place
  DS->Last();
  DS->Delete();
  EXPECT_EQ(Name(), "Elder");
  EXPECT_EQ(Names(), "Apple Avocado Cherry Date Elder ");
  while (!DS->IsEmpty()) DS->Delete();
  EXPECT_EQ(MessageOf<EDatabaseError>([&] { DS->Delete(); }),
            "Items: Cannot perform this operation on an empty dataset");
  DS->Edit();  // on an empty data set, editing starts an insert
  EXPECT_EQ(DS->State(), dsInsert);
}

TEST_F(DataSetTest, BookmarksSurviveDeletes) {
  DS->Open();
  DS->SetRecNo(4);
  const TBookmarkStr date = DS->Bookmark();
  DS->First();
  const TBookmarkStr apple = DS->Bookmark();
  DS->Next();
  const TBookmarkStr banana = DS->Bookmark();
  EXPECT_LT(DS->CompareBookmarks(apple, date), 0);
  EXPECT_GT(DS->CompareBookmarks(date, banana), 0);
  EXPECT_EQ(DS->CompareBookmarks(date, date), 0);
  EXPECT_LT(DS->CompareBookmarks("", apple), 0);
  // Bookmarks of records that are gone order as the numbers they hold.
  EXPECT_LT(DS->CompareBookmarks("9", "10"), 0);
  EXPECT_GT(DS->CompareBookmarks("10", "9"), 0);
  EXPECT_LT(DS->CompareBookmarks("10", "12"), 0);

  DS->Delete();  // Banana
  EXPECT_FALSE(DS->BookmarkValid(banana));
  EXPECT_TRUE(DS->BookmarkValid(date));
  DS->GotoBookmark(date);
  EXPECT_EQ(Name(), "Date");
  EXPECT_EQ(DS->RecNo(), 3);
  EXPECT_EQ(MessageOf<EDatabaseError>([&] { DS->GotoBookmark(banana); }),
            "Items: Record not found");
  EXPECT_EQ(Name(), "Date");
  DS->First();
  DS->Insert();
  DS->Post();
  DS->GotoBookmark(apple);
  EXPECT_EQ(DS->RecNo(), 2);  // an insert before it moved the record, not its bookmark
}

TEST_F(DataSetTest, LinkNotificationOrder) {
  DS->Open();
  TLogLink other(Log, "o:"), visual(Log, "v:");
  visual.SetVisualControl(true);
  other.SetDataSource(Source);
  visual.SetDataSource(Source);
  EXPECT_EQ(Log, (std::vector<String>{"o:Active on", "v:Active on"}));

  Log.clear();
  DS->Edit();
  EXPECT_EQ(Log, (std::vector<String>{"v:Editing on", "o:Editing on", "v:RecordChanged nil",
                                      "o:RecordChanged nil"}));

  Log.clear();
  visual.PendingName = "Apricot";
  DS->Post();
  // The link writing in UpdateData does not hear its own change; the other one does.
  const std::vector<String> expected{"v:UpdateData",    "o:RecordChanged NAME", "o:UpdateData",
                                     "v:Editing off",   "o:Editing off",        "v:DataSetChanged",
                                     "o:DataSetChanged"};
  EXPECT_EQ(Log, expected);
  EXPECT_EQ(Name(), "Apricot");

  Log.clear();
  visual.LogBrowseMode = other.LogBrowseMode = true;
  DS->Next();
  EXPECT_EQ(Log, (std::vector<String>{"v:CheckBrowseMode", "o:CheckBrowseMode", "v:Scrolled 1",
                                      "o:Scrolled 1"}));

  Log.clear();
  DS->Close();
  EXPECT_EQ(Log, (std::vector<String>{"v:Active off", "o:Active off"}));
  visual.SetDataSource(nullptr);
  other.SetDataSource(nullptr);
}

// Moving a link from one open source to another goes through inactive, so the link lets go of
// the first data set (its edit, its fields) before it meets the second.
TEST_F(DataSetTest, ALinkMovedBetweenOpenSourcesGoesInactiveBetween) {
  DS->Open();
  Owned<TMemoryDataSet> second(New<TMemoryDataSet>(nullptr));
  second->FieldDefs().Add("NAME", ftString, 10);
  second->AddRecord({"Zulu"});
  second->Open();
  Owned<TDataSource> secondSource(New<TDataSource>(nullptr));
  secondSource->SetDataSet(second.get());
  TLogLink link(Log, "");
  link.SetDataSource(Source);
  DS->Edit();
  Log.clear();
  link.SetDataSource(secondSource.get());
  EXPECT_EQ(Log, (std::vector<String>{"Active off", "Editing off", "Active on"}));
  EXPECT_TRUE(link.Active());
  EXPECT_FALSE(link.Editing());
  EXPECT_EQ(link.DataSet(), second.get());
  Log.clear();
  link.SetDataSource(nullptr);
  EXPECT_EQ(Log, (std::vector<String>{"Active off"}));
  DS->Cancel();
}

TEST_F(DataSetTest, NoticesPerAction) {
  DS->Open();
  TLogLink link(Log, "");
  link.SetDataSource(Source);
  const std::pair<std::function<void()>, std::vector<String>> steps[] = {
      {[&] { DS->Insert(); }, {"Editing on", "DataSetChanged"}},
      {[&] { DS->Cancel(); }, {"Editing off", "DataSetChanged"}},
      {[&] { DS->Append(); }, {"Editing on", "DataSetChanged"}},
      // Nothing was typed: the insert is cancelled before the move.
      {[&] { DS->Last(); }, {"UpdateData", "Editing off", "DataSetChanged", "DataSetChanged"}},
      {[&] { DS->Locate("ID", 2, {}); }, {"DataSetChanged"}},
      {[&] { DS->Locate("ID", 9, {}); }, {}},
      {[&] { DS->SetRecNo(4); }, {"Scrolled 2"}},
      {[&] { DS->Delete(); }, {"DataSetChanged"}},
      {[&] { DS->FieldByName("NAME")->FocusControl(); }, {"FocusControl NAME"}},
      {[&] { DS->Close(); }, {"Active off"}},
  };
  for (const auto& step : steps) {
    Log.clear();
    step.first();
    EXPECT_EQ(Log, step.second);
  }

  // A required field left empty on posting asks for its control's focus; the first link
  // that clears the request ends it.
  TLogLink second(Log, "2:");
  second.SetDataSource(Source);
  DS->Open();
  DS->Insert();
  DS->FieldByName("ID")->SetRequired(true);
  DS->FieldByName("NAME")->SetAsString("Fig");
  link.ClearsFocus = true;
  Log.clear();
  EXPECT_THROW(DS->Post(), EDatabaseError);
  EXPECT_EQ(Log, (std::vector<String>{"UpdateData", "2:UpdateData", "FocusControl ID"}));
  link.SetDataSource(nullptr);
  second.SetDataSource(nullptr);
}

TEST_F(DataSetTest, DataSourceGatesAndControlsDisabled) {
  DS->Open();
  TLogLink link(Log, ""), quiet(Log, "n:");
  link.SetVisualControl(true);
  link.SetDataSource(Source);
  quiet.SetDataSource(Source);
  Log.clear();

  EXPECT_TRUE(link.Edit());  // AutoEdit lets the source put the data set into edit
  EXPECT_EQ(DS->State(), dsEdit);
  DS->Cancel();
  Source->SetAutoEdit(false);
  EXPECT_FALSE(link.Edit());
  EXPECT_EQ(DS->State(), dsBrowse);

  Log.clear();
  DS->DisableControls();
  DS->Next();
  DS->Next();
  DS->Edit();
  // Only the link that shows nothing hears the data set while its controls are disabled.
  EXPECT_EQ(Log, (std::vector<String>{"n:Scrolled 1", "n:Scrolled 1", "n:Editing on",
                                      "n:RecordChanged nil"}));
  EXPECT_TRUE(DS->ControlsDisabled());
  Log.clear();
  DS->EnableControls();
  EXPECT_EQ(Log, (std::vector<String>{"Editing on", "DataSetChanged", "n:DataSetChanged"}));
  EXPECT_EQ(DS->RecNo(), 3);
  DS->Cancel();

  // Another open data set: the links let go of the fields of the first one.
  auto* second = New<TMemoryDataSet>(Owner.get());
  second->FieldDefs().Add("NAME", ftString, 5);
  second->Open();
  Log.clear();
  Source->SetDataSet(second);
  EXPECT_EQ(Log, (std::vector<String>{"Active off", "n:Active off", "Active on", "n:Active on"}));
  Source->SetDataSet(DS);

  Log.clear();
  Source->SetEnabled(false);
  EXPECT_FALSE(link.Active());
  EXPECT_EQ(Source->State(), dsInactive);
  link.SetDataSource(nullptr);
  quiet.SetDataSource(nullptr);
}

class TSourceAction : public TBasicAction {
 public:
  using TBasicAction::TBasicAction;
  TObject* Wanted = nullptr;
  String Done;
  bool HandlesTarget(TObject* Target) override { return Target == Wanted; }
  void ExecuteTarget(TObject*) override { Done += "execute "; }
  void UpdateTarget(TObject*) override { Done += "update "; }
};

TEST_F(DataSetTest, ActionsRunOnTheLinksSource) {
  TLogLink link(Log, "");
  auto* action = New<TSourceAction>(Owner.get());
  EXPECT_FALSE(link.ExecuteAction(action));
  link.SetDataSource(Source);
  EXPECT_FALSE(link.UpdateAction(action));
  action->Wanted = Source;
  EXPECT_TRUE(link.ExecuteAction(action));
  EXPECT_TRUE(link.UpdateAction(action));
  EXPECT_EQ(action->Done, "execute update ");
  link.SetDataSource(nullptr);
  {
    TLogLink gone(Log, "");
    gone.SetDataSource(Source);
    EXPECT_EQ(Source->LinkCount(), 1);
  }
  EXPECT_EQ(Source->LinkCount(), 0);  // a link that simply ends leaves its source
  DS->Open();
}

// A deletion keeps the window as a fill around the record that takes the deleted one's place
// would lay it out: the following record at the same slot, or the new last one; records
// shown before stay, one more is read at whichever end has records left.
TEST_F(DataSetTest, TheWindowAfterADeletionIsTheOneAFillGives) {
  const char* more[] = {"Fig", "Grape", "Hazel"};
  for (int i = 0; i < 3; ++i) DS->AddRecord({i + 6, more[i], 1.0});
  TLogLink link(Log, "");
  link.SetBufferCount(4);
  link.SetDataSource(Source);
  DS->Open();
  // The IDs the window shows, and the active slot.
  auto window = [&] {
    std::vector<Integer> ids;
    const Integer active = link.ActiveRecord();
    for (Integer i = 0; i < link.RecordCount(); ++i) {
      link.SetActiveRecord(i);
      ids.push_back(DS->FieldByName("ID")->GetAsInteger());
    }
    link.SetActiveRecord(active);
    ids.push_back(-active - 1);
    return ids;
  };
  using W = std::vector<Integer>;
  DS->Next();
  DS->Next();
  ASSERT_EQ(window(), (W{1, 2, 3, 4, -3}));
  DS->Delete();  // a middle slot: the follower takes it, one more comes in at the end
  EXPECT_EQ(window(), (W{1, 2, 4, 5, -3}));
  EXPECT_EQ(DS->FieldByName("ID")->GetAsInteger(), 4);
  DS->Last();
  ASSERT_EQ(window(), (W{5, 6, 7, 8, -4}));
  DS->Delete();  // the last record: the one before it, at the same slot
  EXPECT_EQ(window(), (W{4, 5, 6, 7, -4}));
  EXPECT_EQ(DS->FieldByName("ID")->GetAsInteger(), 7);
  DS->First();
  DS->Delete();  // the first: its follower first
  EXPECT_EQ(window(), (W{2, 4, 5, 6, -1}));
  DS->Next();
  DS->Next();
  DS->Next();
  ASSERT_EQ(window(), (W{2, 4, 5, 6, -4}));
  DS->Prior();
  DS->Delete();  // the follower takes the slot, the last record comes in at the end
  EXPECT_EQ(window(), (W{2, 4, 6, 7, -3}));
  EXPECT_EQ(DS->FieldByName("ID")->GetAsInteger(), 6);
  DS->Delete();  // fewer records than the window holds
  EXPECT_EQ(window(), (W{2, 4, 7, -3}));
  EXPECT_EQ(DS->FieldByName("ID")->GetAsInteger(), 7);
  DS->First();
  DS->Delete();
  DS->Delete();
  EXPECT_EQ(window(), (W{7, -1}));
  DS->Delete();
  EXPECT_TRUE(DS->Bof() && DS->Eof());
  EXPECT_EQ(DS->RecordCount(), 0);
  // The first record comes in before the window.
  for (int i = 11; i <= 15; ++i) DS->AddRecord({i, "More", 1.0});
  DS->Last();
  ASSERT_EQ(window(), (W{12, 13, 14, 15, -4}));
  DS->Delete();
  EXPECT_EQ(window(), (W{11, 12, 13, 14, -4}));
}

TEST_F(DataSetTest, BufferWindowOfALink) {
  TLogLink link(Log, "");
  link.SetBufferCount(3);
  link.SetDataSource(Source);
  DS->Open();
  EXPECT_EQ(link.RecordCount(), 3);
  EXPECT_EQ(link.ActiveRecord(), 0);
  Log.clear();
  DS->Next();
  DS->Next();
  EXPECT_EQ(link.ActiveRecord(), 2);
  DS->Next();  // Date: the window moves down one record
  EXPECT_EQ(Log, (std::vector<String>{"Scrolled 0", "Scrolled 0", "Scrolled 1"}));
  EXPECT_EQ(link.ActiveRecord(), 2);

  // Reading another buffered row does not move the data set.
  link.SetActiveRecord(0);
  EXPECT_EQ(Name(), "Banana");
  const TBookmarkStr banana = DS->Bookmark();
  link.SetActiveRecord(2);
  EXPECT_EQ(Name(), "Date");
  EXPECT_THROW(link.SetActiveRecord(3), EDatabaseError);
  DS->GotoBookmark(banana);
  EXPECT_EQ(Name(), "Banana");

  // A link asking for more rows than there are sees them all.
  TLogLink wide(Log, "w:");
  wide.SetBufferCount(std::numeric_limits<Integer>::max());
  wide.SetDataSource(Source);
  EXPECT_EQ(wide.RecordCount(), 5);
  EXPECT_EQ(wide.ActiveRecord(), 1);
  wide.SetDataSource(nullptr);

  DS->Last();
  EXPECT_EQ(link.ActiveRecord(), 2);
  DS->Delete();
  DS->Delete();
  DS->Delete();
  EXPECT_EQ(link.RecordCount(), 2);
  EXPECT_EQ(link.ActiveRecord(), 1);
  link.SetDataSource(nullptr);
}

class TCalcHandler : public TObject {
 public:
  void Calc(TDataSet* D) {
    D->FieldByName("TOTAL")->SetAsFloat(D->FieldByName("PRICE")->GetAsFloat() * 2);
  }
  void OnlyOdd(TDataSet* D, bool& Accept) {
    Accept = D->FieldByName("ID")->GetAsInteger() % 2 == 1;
  }
  void Upper(TField* F, String& Text, bool DisplayText) {
    Text = DisplayText ? "[" + F->GetAsString() + "]" : F->GetAsString();
  }
};

TEST_F(DataSetTest, LocateLookupAndFilter) {
  DS->Open();
  EXPECT_TRUE(
      DS->Locate("NAME", "ch", {TLocateOption::loCaseInsensitive, TLocateOption::loPartialKey}));
  EXPECT_EQ(Name(), "Cherry");
  EXPECT_FALSE(DS->Locate("NAME", "ch", {TLocateOption::loPartialKey}));
  EXPECT_EQ(Name(), "Cherry");
  EXPECT_TRUE(DS->Locate("ID;NAME", VarArrayOf({4, "Date"}), {}));
  EXPECT_FALSE(DS->Locate("ID;NAME", VarArrayOf({4, "Elder"}), {}));
  EXPECT_EQ(MessageOf<EDatabaseError>([&] { DS->Locate("ID;NAME", 4, {}); }),
            "2 key fields need an array of 2 values");
  EXPECT_EQ(MessageOf<EDatabaseError>([&] { DS->Locate("SIZE", 4, {}); }),
            "Items: Field 'SIZE' not found");

  DS->First();
  const Variant v = DS->Lookup("ID", 5, "NAME;PRICE");
  EXPECT_EQ(v[0].AsString(), "Elder");
  EXPECT_DOUBLE_EQ(v[1].AsDouble(), 7.5);
  EXPECT_TRUE(VarIsNull(DS->Lookup("ID", 9, "NAME")));
  EXPECT_EQ(Name(), "Apple");

  TCalcHandler h;
  DS->OnFilterRecord = TFilterRecordEvent(&h, &TCalcHandler::OnlyOdd);
  DS->SetFiltered(true);
  EXPECT_EQ(DS->RecordCount(), 3);
  EXPECT_EQ(Names(), "Apple Cherry Elder ");
  EXPECT_FALSE(DS->Locate("ID", 2, {}));
  DS->SetFilter("ID > 2");  // the text and the handler both decide
  EXPECT_EQ(Names(), "Cherry Elder ");
  DS->SetFiltered(false);
  EXPECT_EQ(DS->RecordCount(), 5);
}

TEST_F(DataSetTest, ReadRecordsReadsEveryVisibleRecordWithoutMovingOrEndingAnEdit) {
  DS->Open();
  TLogLink link(Log, "");
  link.SetDataSource(Source);
  // Names read by visits, from From, stopping after AStop visits.
  auto read = [&](const TBookmarkStr& AFrom = {}, Integer AStop = 99) {
    String names;
    Integer visits = 0;
    DS->ReadRecords(
        [&](const TBookmarkStr& ABookmark) {
          names += Name() + (ABookmark.empty() ? "?" : "") + " ";
          return ++visits < AStop;
        },
        AFrom);
    return names;
  };
  DS->Next();
  DS->Edit();
  DS->FieldByName("NAME")->SetAsString("typed");
  Log.clear();
  // The record being edited is read as it is stored; the edit goes on, the links hear nothing.
  EXPECT_EQ(read(), "Apple Banana Cherry Date Elder ");
  EXPECT_EQ(DS->State(), dsEdit);
  EXPECT_TRUE(DS->Modified());
  EXPECT_EQ(Name(), "typed");
  EXPECT_TRUE(Log.empty());
  // Nothing moves the data set or changes it meanwhile, and the edit stays.
  EXPECT_EQ(MessageOf<EDatabaseError>([&] {
              DS->ReadRecords([&](const TBookmarkStr&) {
                DS->Next();
                return true;
              });
            }),
            "Items: Cannot move or change the dataset while its records are being filtered or "
            "calculated");
  EXPECT_EQ(DS->State(), dsEdit);
  EXPECT_EQ(Name(), "typed");
  DS->Cancel();
  // From a record on, and stopped by the visit; each visit is given its record's bookmark.
  DS->Locate("NAME", "Cherry", {});
  const TBookmarkStr cherry = DS->Bookmark();
  DS->First();
  EXPECT_EQ(read(cherry), "Cherry Date Elder ");
  EXPECT_EQ(read({}, 2), "Apple Banana ");
  TBookmarkStr visited;
  DS->ReadRecords([&](const TBookmarkStr& ABookmark) {
    if (Name() == "Cherry") visited = ABookmark;
    return true;
  });
  EXPECT_EQ(DS->CompareBookmarks(visited, cherry), 0);
  // A record being inserted is none of them, and the insert goes on.
  DS->Append();
  EXPECT_EQ(read(), "Apple Banana Cherry Date Elder ");
  EXPECT_EQ(DS->State(), dsInsert);
  DS->Cancel();
  // The filter decides which records are read.
  TCalcHandler h;
  DS->OnFilterRecord = TFilterRecordEvent(&h, &TCalcHandler::OnlyOdd);
  DS->SetFiltered(true);
  EXPECT_EQ(read(), "Apple Cherry Elder ");
  DS->SetFiltered(false);
  DS->Locate("NAME", "Date", {});
  const TBookmarkStr date = DS->Bookmark();
  DS->Delete();
  EXPECT_EQ(MessageOf<EDatabaseError>([&] { read(date); }), "Items: Record not found");
  link.SetDataSource(nullptr);
}

TEST_F(DataSetTest, FilterText) {
  DS->Open();
  DS->SetFiltered(true);
  const std::pair<const char*, const char*> cases[] = {
      {"PRICE > 3 AND NAME <> 'Date'", "Cherry Elder "},
      {"NAME LIKE 'b%' OR ID IN (4, 5)", "Date Elder "},  // case matters without the option
      {"ID BETWEEN 2 AND 3 OR NOT (ID < 5)", "Banana Cherry Elder "},
      {"[NAME] = 'Cherry'", "Cherry "},
      {"NAME = 'Ch*'", ""},  // a '*' is a character like any other
      {"[NA]]ME] = 'x'", nullptr},
      {"NAME NOT LIKE '_a%'", "Apple Cherry Elder "},
      {"NAME LIKE '%e%r%' OR NAME LIKE 'D_te'", "Cherry Date Elder "},
      {"NAME LIKE '%a'", "Banana "},
      {"PRICE IS NULL OR NAME = NULL", ""},
  };
  for (const auto& c : cases) {
    const char* text = c.first;
    const char* names = c.second;
    if (!names) {  // a bracketed name with a doubled ']' is read as one name
      EXPECT_EQ(MessageOf<EDatabaseError>([&] { DS->SetFilter(text); }),
                "Items: Field 'NA]ME' not found");
      continue;
    }
    DS->SetFilter(text);
    EXPECT_EQ(Names(), names) << text;
  }
  DS->SetFilter("NAME LIKE 'b%' OR ID IN (4, 5)");
  DS->SetFilterOptions({TFilterOption::foCaseInsensitive});
  EXPECT_EQ(Names(), "Banana Date Elder ");
  DS->SetFilter("NAME = 'cherry'");
  EXPECT_EQ(Names(), "Cherry ");
  DS->SetFilterOptions({TFilterOption::foCaseInsensitive, TFilterOption::foNoPartialCompare});
  EXPECT_EQ(Names(), "Cherry ");
  DS->SetFilterOptions({TFilterOption::foCaseInsensitive});

  // A refused text leaves the filter as it was.
  EXPECT_EQ(MessageOf<EDatabaseError>([&] { DS->SetFilter("ID >"); }),
            "Invalid filter text at position 5: value expected in \"ID >\"");
  EXPECT_EQ(MessageOf<EDatabaseError>([&] { DS->SetFilter("SIZE = 1"); }),
            "Items: Field 'SIZE' not found");
  EXPECT_EQ(MessageOf<EDatabaseError>([&] { DS->SetFilter("ID = 'x'"); }),
            "Items: Filter value x does not suit field 'ID'");
  EXPECT_EQ(DS->Filter(), "NAME = 'cherry'");
  EXPECT_EQ(Name(), "Cherry");
}

class TMasterFollower : public TMemoryDataSet {
 public:
  using TMemoryDataSet::TMemoryDataSet;
  TDataSource* Master = nullptr;
  TDataSource* GetDataSource() const override { return Master; }
};

TEST_F(DataSetTest, SourceLinkedThroughMasters) {
  auto* detail = New<TMasterFollower>(Owner.get());
  auto* grandchild = New<TMasterFollower>(Owner.get());
  auto* detailSource = New<TDataSource>(Owner.get());
  detailSource->SetDataSet(detail);
  detail->Master = Source;
  grandchild->Master = detailSource;
  EXPECT_TRUE(Source->IsLinkedTo(grandchild));
  EXPECT_TRUE(detailSource->IsLinkedTo(grandchild));
  EXPECT_FALSE(detailSource->IsLinkedTo(detail));
  EXPECT_FALSE(Source->IsLinkedTo(DS));
  detail->Master = detailSource;  // a cycle ends the walk
  EXPECT_FALSE(Source->IsLinkedTo(detail));
}

TEST_F(DataSetTest, CalculatedAndLookupFields) {
  TMemoryDataSet* orders = New<TMemoryDataSet>(Owner.get());
  orders->SetName("Orders");
  auto* item = New<TIntegerField>(Owner.get());
  item->SetFieldName("ITEM");
  item->SetDataSet(orders);
  auto* itemName = New<TStringField>(Owner.get());
  itemName->SetFieldName("ITEMNAME");
  itemName->SetFieldKind(TFieldKind::fkLookup);
  itemName->SetKeyFields("ITEM");
  itemName->SetLookupDataSet(DS);
  itemName->SetLookupKeyFields("ID");
  itemName->SetLookupResultField("NAME");
  itemName->SetDataSet(orders);
  orders->AddRecord({3});
  orders->AddRecord({Null()});
  DS->Open();
  orders->Open();
  EXPECT_FALSE(orders->DefaultFields());
  EXPECT_EQ(item->FieldNo(), 1);
  EXPECT_EQ(itemName->FieldNo(), 0);
  EXPECT_EQ(itemName->GetAsString(), "Cherry");
  EXPECT_FALSE(itemName->CanModify());
  auto* ordersSource = New<TDataSource>(Owner.get());
  ordersSource->SetDataSet(orders);
  TLogLink link(Log, "");
  link.SetDataSource(ordersSource);
  orders->Edit();
  Log.clear();
  item->SetAsInteger(5);
  EXPECT_EQ(itemName->GetAsString(), "Elder");  // follows its key while editing
  EXPECT_EQ(Log, (std::vector<String>{"RecordChanged ITEM", "RecordChanged ITEMNAME"}));
  EXPECT_THROW(itemName->SetAsString("Fig"), EDatabaseError);
  orders->Post();
  orders->Next();
  EXPECT_TRUE(itemName->IsNull());
  link.SetDataSource(nullptr);
  Owned<TStringList> names(New<TStringList>());
  orders->GetFieldNames(names.get());
  EXPECT_EQ(names->GetText(), "ITEM\r\nITEMNAME\r\n");
  EXPECT_EQ(MessageOf<EDatabaseError>([&] { orders->FieldByName("X", ordersSource); }),
            "Field 'X' not found");
  ordersSource->SetName("Src");
  EXPECT_EQ(MessageOf<EDatabaseError>([&] { orders->FieldByName("X", ordersSource); }),
            "Src: Field 'X' not found");

  TCalcHandler h;
  DS->Close();
  auto* total = New<TFloatField>(Owner.get());
  total->SetFieldName("TOTAL");
  total->SetFieldKind(TFieldKind::fkCalculated);
  auto* price = New<TFloatField>(Owner.get());
  price->SetFieldName("PRICE");
  price->SetDataSet(DS);
  total->SetDataSet(DS);
  DS->OnCalcFields = TDataSetNotifyEvent(&h, &TCalcHandler::Calc);
  DS->Open();
  DS->Last();
  EXPECT_DOUBLE_EQ(total->GetAsFloat(), 15.0);
  EXPECT_EQ(MessageOf<EDatabaseError>([&] { DS->FieldByName("NAME"); }),
            "Items: Field 'NAME' not found");
  DS->Edit();
  price->SetAsFloat(1.25);
  EXPECT_DOUBLE_EQ(total->GetAsFloat(), 2.5);
  EXPECT_EQ(MessageOf<EDatabaseError>([&] { total->SetAsFloat(1); }),
            "Items: Field 'TOTAL' cannot be modified");
  DS->Cancel();
  orders->Close();
}

TEST_F(DataSetTest, FieldValuesConvertAndNull) {
  DS->Open();
  TField* id = DS->FieldByName("ID");
  TField* name = DS->FieldByName("NAME");
  auto* price = static_cast<TFloatField*>(DS->FieldByName("PRICE"));
  DS->Edit();
  EXPECT_EQ(MessageOf<EConvertError>([&] { id->SetAsString("abc"); }),
            "'abc' is not a valid integer value");
  EXPECT_EQ(id->GetAsInteger(), 1);  // a rejected value changes nothing
  id->SetAsString(" 42 ");
  EXPECT_EQ(VarType(id->GetAsVariant()), varInteger);
  EXPECT_EQ(id->GetAsInteger(), 42);
  id->SetAsString("");
  EXPECT_TRUE(id->IsNull());
  EXPECT_TRUE(VarIsNull(id->GetAsVariant()));
  EXPECT_EQ(id->GetAsInteger(), 0);
  EXPECT_EQ(id->GetAsString(), "");
  name->SetAsString("");
  EXPECT_FALSE(name->IsNull());  // an empty text is a value for a text field
  name->SetAsString("Blackcurrant");
  EXPECT_EQ(name->GetAsString(), "Blackcurra");  // cut to the field's size
  price->SetAsString("2.50");
  price->SetDisplayFormat("0.00 kg");
  EXPECT_EQ(price->DisplayText(), "2.50 kg");
  EXPECT_EQ(price->Text(), "2.5");
  price->SetEditFormat("0.000");
  EXPECT_EQ(price->Text(), "2.500");
  price->SetCurrency(true);
  price->SetDisplayFormat("");
  EXPECT_EQ(price->DisplayText(), "$2.50");
  price->SetMinValue(0);
  price->SetMaxValue(100);
  EXPECT_EQ(MessageOf<EDatabaseError>([&] { price->SetAsFloat(150); }),
            "150 is not a valid value for field 'PRICE'. The allowed range is 0 to 100");
  id->Clear();
  DS->FieldByName("ID")->SetRequired(true);
  EXPECT_EQ(MessageOf<EDatabaseError>([&] { DS->Post(); }), "Items: Field 'ID' must have a value");
  EXPECT_EQ(DS->State(), dsEdit);

  TCalcHandler h;
  name->OnGetText = TFieldGetTextEvent(&h, &TCalcHandler::Upper);
  EXPECT_EQ(name->DisplayText(), "[Blackcurra]");
  EXPECT_EQ(name->Text(), "Blackcurra");
  DS->Cancel();
}

TEST(DBFields, TypesAndTexts) {
  Owned<TComponent> owner(New<TComponent>(nullptr));
  auto* small = New<TSmallintField>(owner.get());
  auto* flag = New<TBooleanField>(owner.get());
  auto* day = New<TDateField>(owner.get());
  auto* memo = New<TMemoField>(owner.get());
  auto* ds = New<TMemoryDataSet>(owner.get());
  small->SetFieldName("S");
  flag->SetFieldName("B");
  day->SetFieldName("D");
  memo->SetFieldName("M");
  for (TField* f : {static_cast<TField*>(small), static_cast<TField*>(flag),
                    static_cast<TField*>(day), static_cast<TField*>(memo)})
    f->SetDataSet(ds);
  ds->Open();
  ds->Append();
  EXPECT_THROW(small->SetAsInteger(40000), EDatabaseError);
  EXPECT_TRUE(small->IsValidChar('-'));
  EXPECT_FALSE(small->IsValidChar('.'));
  EXPECT_TRUE(flag->IsValidChar('.'));
  small->SetAsInteger(-32768);
  flag->SetDisplayValues("Yes;No");
  flag->SetAsString("n");
  EXPECT_EQ(flag->DisplayText(), "No");
  flag->SetAsString("TRUE");
  EXPECT_TRUE(flag->GetAsBoolean());
  EXPECT_THROW(flag->SetAsString("maybe"), EConvertError);
  day->SetAsDateTime(TDateTime(45000.75));
  EXPECT_DOUBLE_EQ(day->GetAsDateTime().Value, 45000.0);
  memo->SetAsString("long text");
  EXPECT_TRUE(memo->IsBlob());
  EXPECT_EQ(memo->DisplayText(), "(MEMO)");
  EXPECT_EQ(memo->Text(), "long text");
  ds->Post();
  EXPECT_EQ(ds->RecordCount(), 1);
  EXPECT_EQ(MessageOf<EDatabaseError>([&] { small->SetFieldName("b"); }),
            "Cannot perform this operation on an open dataset");
  ds->Close();
  EXPECT_EQ(MessageOf<EDatabaseError>([&] { small->SetFieldName("b"); }),
            "Duplicate field name 'b'");
}

TEST(DBFields, IntegerFieldsTakeTheirTopValueAndRefuseOneAbove) {
  Owned<TComponent> owner(New<TComponent>(nullptr));
  auto* small = New<TSmallintField>(owner.get());
  auto* word = New<TWordField>(owner.get());
  auto* whole = New<TIntegerField>(owner.get());
  auto* rated = New<TIntegerField>(owner.get());
  auto* ds = New<TMemoryDataSet>(owner.get());
  small->SetFieldName("S");
  word->SetFieldName("W");
  whole->SetFieldName("I");
  rated->SetFieldName("R");
  for (TField* f : std::initializer_list<TField*>{small, word, whole, rated}) f->SetDataSet(ds);
  rated->SetMinValue(-5);
  rated->SetMaxValue(10);
  ds->Open();
  ds->Append();
  small->SetAsInteger(32767);
  EXPECT_EQ(small->GetAsInteger(), 32767);
  EXPECT_EQ(MessageOf<EDatabaseError>([&] { small->SetAsInteger(32768); }),
            "32768 is not a valid value for field 'S'. The allowed range is -32768 to 32767");
  EXPECT_EQ(small->GetAsInteger(), 32767);
  EXPECT_THROW(small->SetAsInteger(-32769), EDatabaseError);
  word->SetAsInteger(65535);
  EXPECT_EQ(word->GetAsInteger(), 65535);
  EXPECT_THROW(word->SetAsInteger(65536), EDatabaseError);
  EXPECT_THROW(word->SetAsInteger(-1), EDatabaseError);
  whole->SetAsString("2147483647");
  EXPECT_EQ(whole->GetAsInteger(), 2147483647);
  EXPECT_THROW(whole->SetAsString("2147483648"), EDatabaseError);
  // MaxValue and MinValue, once set, are the range.
  rated->SetAsInteger(10);
  EXPECT_EQ(rated->GetAsInteger(), 10);
  EXPECT_EQ(MessageOf<EDatabaseError>([&] { rated->SetAsInteger(11); }),
            "11 is not a valid value for field 'R'. The allowed range is -5 to 10");
  rated->SetAsInteger(-5);
  EXPECT_EQ(rated->GetAsInteger(), -5);
  EXPECT_THROW(rated->SetAsInteger(-6), EDatabaseError);
  ds->Cancel();
}

TEST(DBParams, ValuesByName) {
  Owned<TParams> params(New<TParams>());
  params->CreateParam(ftInteger, "Id");
  params->CreateParam(ftString, "Kind");
  params->SetParamValues("ID;kind", VarArrayOf({7, "x"}));
  EXPECT_EQ(params->ParamByName("id")->Value().AsInteger(), 7);
  const Variant v = params->GetParamValues("Kind;Id");
  EXPECT_EQ(v[0].AsString(), "x");
  EXPECT_EQ(v[1].AsInteger(), 7);
  EXPECT_EQ(MessageOf<EDatabaseError>([&] {
              params->SetParamValues("Id;Size", VarArrayOf({1, 2}));
            }),
            "Parameter 'Size' not found");
  EXPECT_EQ(params->ParamByName("Id")->Value().AsInteger(), 7);  // nothing was written
}

TEST(DBFieldNames, Extraction) {
  Integer pos = 1;
  const String names = " A ;B;;C";
  std::vector<String> got;
  while (pos <= Integer(names.size())) got.push_back(ExtractFieldName(names, pos));
  EXPECT_EQ(got, (std::vector<String>{"A", "B", "", "C"}));
}

}  // namespace
