// The record stream: its bytes, a round trip into a controller of the same fields, and
// streams that must be refused without touching the controller.
#include "DataControllerTestSupport.h"

#include "widgets/data/cxDataSummary.h"

using V = std::vector<Integer>;

namespace {

class RecordStream : public ControllerTest {
 protected:
  String Saved(TcxCustomDataController* AController) {
    TStringStream s;
    AController->SaveToStream(s);
    return s.DataString();
  }
  // A second controller with items of these types.
  Owned<TcxDataController> Other(std::initializer_list<TcxValueTypeClass> ATypes) {
    Owned<TcxDataController> c(New<TcxDataController>(nullptr));
    for (TcxValueTypeClass t : ATypes) {
      other_.emplace_back(New<TestItem>());
      c->AddItem(other_.back().get());
      c->ChangeValueTypeClass(c->GetItemCount() - 1, t);
    }
    return c;
  }
  void Load(TcxCustomDataController* AController, const String& ABytes) {
    TStringStream s(ABytes);
    AController->LoadFromStream(s);
  }
  void TearDown() override {
    c_.reset();
    other_.clear();
    ControllerTest::TearDown();
  }
  std::vector<Owned<TestItem>> other_;
};

const char kSignature[] = "0F 00 00 00 44 61 74 61 43 6F 6E 74 72 6F 6C 6C 65 72 31";

}  // namespace

TEST_F(RecordStream, EmptyControllerAndTwoFieldsWriteTheGoldenBytes) {
  EXPECT_EQ(Hex(Saved(c_.get())), std::string(kSignature) + " 00 00 00 00 00 00 00 00");
  AddItems({StrType(), IntType()});
  c_->SetRecordCount(3);
  c_->SetValue(0, 0, "ab");
  c_->SetValue(0, 1, 7);
  c_->SetValue(1, 0, Null());  // a buffer, both values null; record 2 never got one
  const String bytes = Saved(c_.get());
  EXPECT_EQ(bytes.size(), 89u);
  EXPECT_EQ(Hex(bytes), std::string(kSignature) +
                            " 02 00 00 00 12 00 00 00 " + Hex("TcxStringValueType") + " 13 00 00 00 " +
                            Hex("TcxIntegerValueType") +
                            " 03 00 00 00 00 00 02 00 00 00 61 62 00 07 00 00 00 00 01 01 01");
}

TEST_F(RecordStream, RoundTripReplacesEveryRecordAndRefusesOtherFields) {
  AddItems({StrType(), IntType(), TcxFloatValueType::StaticClass()});
  c_->ChangeTextStored(0, true);
  Fill({{"x", 1, 1.5}, {Null(), -2, Null()}});
  c_->SetDisplayText(1, 0, "shown");
  const String bytes = Saved(c_.get());

  Owned<TcxDataController> d = Other({StrType(), IntType(), TcxFloatValueType::StaticClass()});
  d->ChangeTextStored(0, true);
  d->SetRecordCount(5);
  d->SetMultiSelect(true);
  d->SelectAll();
  Load(d.get(), bytes);
  ASSERT_EQ(d->GetRecordCount(), 2);
  EXPECT_EQ(d->GetRowCount(), 2);
  EXPECT_EQ(d->GetSelectedCount(), 0);
  EXPECT_EQ(d->GetItemValue(0, 0).AsString(), "x");
  EXPECT_EQ(d->GetItemValue(1, 1).AsInteger(), -2);
  EXPECT_EQ(d->GetItemValue(0, 2).AsDouble(), 1.5);
  EXPECT_TRUE(VarIsNull(d->GetItemValue(1, 0)));
  EXPECT_TRUE(VarIsNull(d->GetItemValue(1, 2)));
  EXPECT_EQ(d->GetItemDisplayText(1, 0), "shown");
  EXPECT_EQ(Saved(d.get()), bytes);

  // Another value type, another field count: refused, nothing changed.
  Owned<TcxDataController> e = Other({IntType(), IntType(), TcxFloatValueType::StaticClass()});
  Owned<TcxDataController> f = Other({StrType(), IntType()});
  for (TcxDataController* x : {e.get(), f.get()}) {
    x->SetRecordCount(4);
    x->SetValue(3, 1, 9);
    EXPECT_THROW(Load(x, bytes), EcxInvalidDataControllerOperation);
    EXPECT_EQ(x->GetRecordCount(), 4);
    EXPECT_EQ(x->GetItemValue(3, 1).AsInteger(), 9);
  }
  String badSignature = bytes;
  badSignature[4] = 'd';
  EXPECT_THROW(Load(d.get(), badSignature), EcxInvalidDataControllerOperation);
}

TEST_F(RecordStream, DamagedStreamsRaiseTheReadErrorAndChangeNothing) {
  AddItems({StrType(), IntType()});
  Fill({{"a", 1}, {"b", 2}});
  const String good = Saved(c_.get());
  Owned<TcxDataController> d = Other({StrType(), IntType()});
  d->SetRecordCount(3);
  d->SetValue(2, 0, "kept");
  const String before = Saved(d.get());
  const size_t countAt = 19 + 4 + 4 + 18 + 4 + 19;
  std::vector<String> bad;
  for (size_t cut : {good.size() - 1, countAt + 6, countAt + 2}) bad.push_back(good.substr(0, cut));
  String huge = good;
  huge.replace(countAt, 4, Unhex("FF FF FF 7F"));
  bad.push_back(huge);
  String wrongLength = good;
  wrongLength[countAt + 6] = char(0x40);  // a text longer than the stream
  bad.push_back(wrongLength);
  for (const String& b : bad) {
    EXPECT_THROW(Load(d.get(), b), EReadError);
    EXPECT_EQ(Saved(d.get()), before);
    EXPECT_EQ(d->GetRowCount(), 3);
  }
  // A negative count reads as none.
  String negative = good.substr(0, countAt);
  negative += Unhex("FE FF FF FF");
  Load(d.get(), negative);
  EXPECT_EQ(d->GetRecordCount(), 0);
}

TEST_F(RecordStream, InternalFieldsAreNeitherWrittenNorExpected) {
  AddItems({IntType()});
  c_->CreateInternalField()->SetValueTypeClass(StrType());
  Fill({{5}});
  const String bytes = Saved(c_.get());
  EXPECT_EQ(Hex(bytes.substr(19, 4)), "01 00 00 00");
  Owned<TcxDataController> d = Other({IntType()});
  Load(d.get(), bytes);
  EXPECT_EQ(d->GetItemValue(0, 0).AsInteger(), 5);
}

TEST_F(RecordStream, LoadingKeepsWhatIsNotStreamed) {
  AddItems({IntType()});
  TcxCustomDataField* inner = c_->CreateInternalField();
  inner->SetValueTypeClass(StrType());
  TcxValueDef* def = inner->GetValueDef();
  ASSERT_NE(def, nullptr);
  Fill({{1}, {2}, {3}});
  TcxDataStorage* storage = c_->DataStorage();
  for (Integer r = 0; r < 3; ++r) storage->SetValue(r, def, String(1, char('a' + r)));

  // Two records, the second one without data: the first two keep their inner values.
  Owned<TcxDataController> d = Other({IntType()});
  d->SetRecordCount(2);
  d->SetValue(0, 0, 7);
  Load(c_.get(), Saved(d.get()));
  ASSERT_EQ(c_->GetRecordCount(), 2);
  EXPECT_EQ(c_->GetItemValue(0, 0).AsInteger(), 7);
  EXPECT_TRUE(VarIsNull(c_->GetItemValue(1, 0)));
  EXPECT_EQ(storage->GetValue(0, def).AsString(), "a");
  EXPECT_EQ(storage->GetValue(1, def).AsString(), "b");

  // Three again: the new third record has nothing inner.
  d->SetRecordCount(3);
  d->SetValue(2, 0, 9);
  Load(c_.get(), Saved(d.get()));
  ASSERT_EQ(c_->GetRecordCount(), 3);
  EXPECT_EQ(c_->GetItemValue(2, 0).AsInteger(), 9);
  EXPECT_EQ(storage->GetValue(1, def).AsString(), "b");
  EXPECT_TRUE(VarIsNull(storage->GetValue(2, def)));
  // A record that read as empty and keeps nothing inner is without data again.
  const String bytes = Saved(d.get());
  ASSERT_FALSE(d->DataStorage()->HasBuffer(1));
  d->SetValue(1, 0, 5);
  Load(d.get(), bytes);
  EXPECT_FALSE(d->DataStorage()->HasBuffer(1));
  EXPECT_EQ(Saved(d.get()), bytes);
}

// Loading replaces the records under a pending edit: cancelling it afterwards must neither
// write the old values over a loaded record nor delete a loaded record as the one inserted;
// a stream that is refused keeps the edit.
TEST_F(RecordStream, LoadingDropsThePendingEditOfTheRecordsItReplaces) {
  using enum TcxDataEditValueSource;
  AddItems({IntType()});
  Fill({{7}, {8}, {9}});
  const String loaded = Saved(c_.get());

  Fill({{1}, {2}, {3}});
  c_->ChangeFocusedRowIndex(0);
  c_->Edit();
  c_->SetEditValue(0, 99, evsValue);
  EXPECT_THROW(Load(c_.get(), loaded.substr(0, loaded.size() - 2)), EReadError);
  EXPECT_TRUE(c_->IsEditing());
  Load(c_.get(), loaded);
  EXPECT_FALSE(c_->IsEditing());
  c_->Cancel();
  EXPECT_EQ(c_->GetItemValue(0, 0).AsInteger(), 7);

  Fill({{1}, {2}, {3}});
  c_->ChangeFocusedRowIndex(1);
  c_->Insert();
  ASSERT_EQ(c_->GetRecordCount(), 4);
  Load(c_.get(), loaded);
  EXPECT_FALSE(c_->IsEditing());
  c_->Cancel();
  ASSERT_EQ(c_->GetRecordCount(), 3);
  EXPECT_EQ(c_->GetItemValue(1, 0).AsInteger(), 8);
  EXPECT_EQ(c_->GetItemValue(2, 0).AsInteger(), 9);
}
