// Record storage: layout arithmetic, definitions changing under live records, record
// identifiers, internal records, streaming order, hostile record streams, lookup list, the
// key and text indexes after several records deleted at once.
#include "DataTestSupport.h"
#include "widgets/data/cxDataStorage.h"

#include <climits>
#include <vector>

namespace {

constexpr Integer kPtr = Integer(sizeof(void*));

class Storage : public DataTest {
 protected:
  void SetUp() override {
    DataTest::SetUp();
    s_.reset(New<TcxDataStorage>());
  }
  void TearDown() override {
    s_.reset();
    DataTest::TearDown();
  }
  TcxValueDef* Add(TcxValueTypeClass AType, bool AStored = true, bool ATextStored = false) {
    return s_->ValueDefs()->Add(AType, AStored, ATextStored, nullptr);
  }
  String Record(Integer AIndex) {
    TStringStream out;
    s_->WriteRecord(AIndex, out);
    return out.DataString();
  }
  Owned<TcxDataStorage> s_;
};

TcxValueTypeClass Str() { return TcxStringValueType::StaticClass(); }
TcxValueTypeClass Int() { return TcxIntegerValueType::StaticClass(); }
TcxValueTypeClass Bool() { return TcxBooleanValueType::StaticClass(); }

}  // namespace

TEST_F(Storage, LayoutOffsetsAndSizes) {
  TcxValueDef* text = Add(Str(), true, true);
  TcxValueDef* number = Add(Int());
  TcxValueDef* flag = Add(Bool(), false);
  EXPECT_EQ(s_->ValueDefs()->StartOffset(), 1);
  EXPECT_EQ(text->Offset(), 1);
  EXPECT_EQ(text->BufferSize(), 1 + kPtr + kPtr);
  EXPECT_EQ(number->Offset(), 1 + 2 * kPtr + 1);
  EXPECT_EQ(number->BufferSize(), 5);
  EXPECT_EQ(flag->Offset(), number->Offset() + 5);
  EXPECT_EQ(flag->BufferSize(), 2);  // not Stored, but every definition takes space by default
  EXPECT_EQ(s_->ValueDefs()->RecordSize(), flag->Offset() + 2);
  // Internal records mirror every definition, always stored.
  EXPECT_EQ(s_->InternalValueDefs()->Count(), 3);
  EXPECT_EQ(s_->InternalValueDefs()->RecordSize(), s_->ValueDefs()->RecordSize());

  s_->SetStoredValuesOnly(true);
  EXPECT_EQ(flag->BufferSize(), 0);
  EXPECT_EQ(s_->ValueDefs()->StoredCount(), 2);
  EXPECT_EQ(s_->InternalValueDefs()->FindByValueDef(flag)->BufferSize(), 2);
  s_->SetUseRecordID(true);
  EXPECT_EQ(text->Offset(), 5);
  EXPECT_EQ(s_->ValueDefs()->RecordSize(), 5 + 1 + 2 * kPtr + 5);
}

TEST_F(Storage, DefinitionsComeAndGoUnderLiveRecords) {
  TcxValueDef* number = Add(Int());
  s_->SetRecordCount(3);
  for (Integer i = 0; i < 3; ++i) s_->SetValue(i, number, i * 10);
  s_->SetRecordCount(4);  // the last record never gets a buffer
  TcxValueDef* text = Add(Str(), true, true);
  for (Integer i = 0; i < 3; ++i) {
    EXPECT_EQ(s_->GetValue(i, number).AsInteger(), i * 10);
    EXPECT_TRUE(VarIsNull(s_->GetValue(i, text)));
    s_->SetValue(i, text, "t" + std::to_string(i));
    s_->SetDisplayText(i, text, "shown");
  }
  EXPECT_FALSE(s_->HasBuffer(3));
  TcxValueDef* flag = Add(Bool());
  s_->SetValue(1, flag, true);

  // Out of the middle: the fields after it move down, nothing leaks (checked under ASan).
  number->Free();
  EXPECT_EQ(s_->ValueDefs()->Count(), 2);
  EXPECT_EQ(s_->InternalValueDefs()->Count(), 2);
  EXPECT_EQ(text->Offset(), 1);
  EXPECT_EQ(s_->GetValue(2, text).AsString(), "t2");
  EXPECT_EQ(s_->GetDisplayText(2, text), "shown");
  EXPECT_TRUE(s_->GetValue(1, flag).AsBoolean());

  // The kept text slot switched off and on: values stay, the text goes.
  text->SetTextStored(false);
  EXPECT_EQ(text->BufferSize(), 1 + kPtr);
  EXPECT_EQ(s_->GetValue(0, text).AsString(), "t0");
  EXPECT_EQ(s_->GetDisplayText(0, text), "t0");
  EXPECT_TRUE(s_->GetValue(1, flag).AsBoolean());
  text->SetTextStored(true);
  EXPECT_EQ(s_->GetDisplayText(0, text), "");
  EXPECT_EQ(s_->GetValue(0, text).AsString(), "t0");

  // The last stored one: whole buffers go, records stay.
  s_->SetStoredValuesOnly(true);
  s_->SetValue(0, text, "again");
  flag->SetStored(false);
  EXPECT_EQ(flag->BufferSize(), 0);
  text->Free();
  EXPECT_EQ(s_->RecordCount(), 4);
  for (Integer i = 0; i < 4; ++i) EXPECT_FALSE(s_->HasBuffer(i));
}

TEST_F(Storage, NullsAndTheValuesStoredUnderThem) {
  TcxValueDef* number = Add(Int());
  TcxValueDef* text = Add(Str(), true, true);
  EXPECT_EQ(s_->AppendRecord(), 0);
  EXPECT_TRUE(VarIsNull(s_->GetValue(0, number)));
  EXPECT_EQ(s_->GetDisplayText(0, text), "");
  EXPECT_FALSE(s_->HasBuffer(0));  // reading creates nothing
  s_->SetValue(0, text, "abc");
  s_->SetDisplayText(0, text, "ABC");
  s_->SetValue(0, text, Null());
  EXPECT_TRUE(VarIsNull(s_->GetValue(0, text)));
  EXPECT_EQ(s_->GetDisplayText(0, text), "ABC");  // the display text is independent of the flag
  s_->SetValue(0, number, 5);
  EXPECT_EQ(s_->GetDisplayText(0, number), "5");
  EXPECT_THROW(s_->GetValue(1, number), EListError);
  EXPECT_THROW(s_->SetValue(-1, number, 1), EListError);

  s_->SetRecordCount(3);
  s_->SetRecordCount(-5);
  EXPECT_EQ(s_->RecordCount(), 0);
}

TEST_F(Storage, RecordIdentifiers) {
  Add(Int());
  s_->SetUseRecordID(true);
  s_->SetRecordCount(2);
  s_->InsertRecord(0);
  EXPECT_EQ(s_->RecordID(0), 3);
  EXPECT_EQ(s_->RecordID(1), 1);
  EXPECT_EQ(s_->NextRecordID(), 4);
  EXPECT_EQ(Hex(Record(0)), "00 03 00 00 00 01");

  TStringStream in(Unhex("00 0A000000 01"));
  s_->ReadRecord(1, in);
  EXPECT_EQ(s_->RecordID(1), 10);
  EXPECT_EQ(s_->NextRecordID(), 11);
  TStringStream top(Unhex("00 FFFFFF7F 01"));
  s_->ReadRecord(2, top);
  EXPECT_EQ(s_->NextRecordID(), INT_MAX);  // no overflow past the largest identifier

  s_->SetUseRecordID(false);
  s_->SetUseRecordID(true);  // buffers freed: fresh identifiers from where the count stood
  EXPECT_EQ(s_->RecordID(0), INT_MAX);
  s_->SetRecordCount(0);
  EXPECT_EQ(s_->NextRecordID(), 1);
}

TEST_F(Storage, InternalRecordsReuseFreedIndexes) {
  TcxValueDef* number = Add(Int());
  int cleared = 0;
  struct Listener : TObject {
    int* Count;
    explicit Listener(int* c) : Count(c) {}
    void Cleared(TObject*) { ++*Count; }
  };
  Owned<Listener> l(New<Listener>(&cleared));
  s_->OnClearInternalRecords = TNotifyEvent(l.get(), &Listener::Cleared);
  EXPECT_EQ(s_->AddInternalRecord(), -1);
  EXPECT_EQ(s_->AddInternalRecord(), -2);
  s_->SetValue(-2, number, 7);  // an ordinary definition reaches the mirror
  EXPECT_EQ(s_->GetValue(-2, number).AsInteger(), 7);
  s_->DeleteRecord(-1);
  EXPECT_EQ(s_->AddInternalRecord(), -1);
  EXPECT_EQ(s_->AddInternalRecord(), -3);
  s_->Clear(true);
  EXPECT_EQ(cleared, 0);
  EXPECT_EQ(s_->GetValue(-2, number).AsInteger(), 7);
  s_->Clear(false);
  EXPECT_EQ(cleared, 1);
  EXPECT_EQ(s_->AddInternalRecord(), -1);
  s_->OnClearInternalRecords = nullptr;  // the listener goes before the storage
}

TEST_F(Storage, StreamingOrderAndSkippedFields) {
  TcxValueDef* a = Add(Int());
  TcxValueDef* b = Add(Bool());
  TcxValueDef* c = Add(Int());
  c->SetStreamed(false);
  s_->SetRecordCount(1);
  s_->SetValue(0, a, 1);
  s_->SetValue(0, b, true);
  s_->SetValue(0, c, 3);
  EXPECT_EQ(Hex(Record(0)), "00 00 01 00 00 00 00 01");
  s_->BeginStreaming([](TcxValueDef* x, TcxValueDef* y) {
    return x->Owner()->IndexOf(y) - x->Owner()->IndexOf(x);  // reversed
  });
  EXPECT_EQ(s_->ValueDefs()->Items(0), c);
  EXPECT_EQ(Hex(Record(0)), "00 00 01 00 01 00 00 00");
  TStringStream in(Unhex("00 00 00 00 05 00 00 00"));
  s_->ReadRecord(0, in);
  s_->EndStreaming();
  EXPECT_FALSE(s_->GetValue(0, b).AsBoolean());
  EXPECT_EQ(s_->GetValue(0, a).AsInteger(), 5);
  EXPECT_EQ(s_->GetValue(0, c).AsInteger(), 3);  // not streamed, untouched
}

TEST_F(Storage, TruncatedOrHostileRecordsLeaveTheRecordAsItWas) {
  TcxValueDef* text = Add(Str(), true, true);
  TcxValueDef* number = Add(Int());
  TcxValueDef* any = Add(TcxVariantValueType::StaticClass());
  TcxValueDef* bcd = Add(TcxFMTBcdValueType::StaticClass());
  s_->SetRecordCount(1);
  s_->SetValue(0, text, "old");
  s_->SetDisplayText(0, text, "OLD");
  s_->SetValue(0, number, 1);
  const String good = Unhex("00 00 03000000 6E6577 03000000 4E4557 00 02000000 00 06 01 78 00 06 01 32");
  auto unchanged = [&] {
    EXPECT_EQ(s_->GetValue(0, text).AsString(), "old");
    EXPECT_EQ(s_->GetDisplayText(0, text), "OLD");
    EXPECT_EQ(s_->GetValue(0, number).AsInteger(), 1);
    EXPECT_TRUE(VarIsNull(s_->GetValue(0, any)));
  };
  for (size_t n = 1; n < good.size(); ++n) {
    TStringStream in(good.substr(0, n));
    EXPECT_THROW(s_->ReadRecord(0, in), EReadError) << n;
    unchanged();
  }
  const char* hostile[] = {
      "00 00 FFFFFF7F 6E",                             // a length far beyond the bytes left
      "00 00 FEFFFFFF",                                // a negative length
      "00 01 00000000 01 00 07",                       // an undefined variant tag
      "00 01 00000000 01 01 00 06 03 616263",          // a decimal that is no number
  };
  for (const char* h : hostile) {
    TStringStream in(Unhex(h));
    EXPECT_THROW(s_->ReadRecord(0, in), EReadError) << h;
    unchanged();
  }
  TStringStream in(good);
  s_->ReadRecord(0, in);
  EXPECT_EQ(s_->GetValue(0, text).AsString(), "new");
  EXPECT_EQ(s_->GetDisplayText(0, text), "NEW");
  EXPECT_EQ(s_->GetValue(0, any).AsString(), "x");
  EXPECT_EQ(s_->GetDisplayText(0, bcd), "2");
  EXPECT_THROW(s_->ReadRecord(1, in), EListError);
}

TEST_F(Storage, ValuesFromAReaderAndEnumeration) {
  TcxValueDef* number = Add(Int());
  TcxValueDef* text = Add(Str(), true, true);
  TcxValueDef* skipped = Add(Bool());
  struct Reader : TcxValueDefReader {
    TcxValueDef* Skip = nullptr;
    Variant GetValue(TcxValueDef* d) override { return d->IsString() ? Variant("v") : Variant(Integer(42)); }
    String GetDisplayText(TcxValueDef*) override { return "shown"; }
    bool IsInternal(TcxValueDef* d) override { return d == Skip; }
  };
  Owned<Reader> reader(New<Reader>());
  reader->Skip = skipped;
  s_->SetRecordCount(1);
  s_->SetValue(0, skipped, true);
  s_->ReadRecordValues(0, reader.get());
  EXPECT_EQ(s_->GetValue(0, number).AsInteger(), 42);
  EXPECT_EQ(s_->GetValue(0, text).AsString(), "v");
  EXPECT_EQ(s_->GetDisplayText(0, text), "shown");
  EXPECT_TRUE(s_->GetValue(0, skipped).AsBoolean());

  std::vector<TcxValueDef*> seen;
  s_->EnumerateValueDefs(
      0,
      [](TcxValueDef* d, Integer r, void* a, void*) {
        EXPECT_EQ(r, 0);
        static_cast<std::vector<TcxValueDef*>*>(a)->push_back(d);
      },
      &seen, nullptr);
  EXPECT_EQ(seen, (std::vector<TcxValueDef*>{number, text, skipped}));
  seen.clear();
  s_->AddInternalRecord();
  s_->EnumerateValueDefs(
      -1, [](TcxValueDef* d, Integer, void* a, void*) { static_cast<std::vector<TcxValueDef*>*>(a)->push_back(d); },
      &seen, nullptr);
  ASSERT_EQ(seen.size(), 3u);
  EXPECT_EQ(seen[0], s_->InternalValueDefs()->FindByValueDef(number));
  EXPECT_EQ(static_cast<TcxInternalValueDef*>(seen[0])->ValueDef(), number);
  EXPECT_EQ(seen[0]->Link(), nullptr);  // the mirrored definition has no link
}

TEST(LookupList, FindGivesTheMatchOrTheInsertionPoint) {
  Owned<TcxLookupList> list(New<TcxLookupList>());
  Integer at = -1;
  EXPECT_FALSE(list->Find(5, at));
  EXPECT_EQ(at, 0);
  for (Integer key : {30, 10, 20, 40}) {
    ASSERT_FALSE(list->Find(key, at));
    list->Insert(at, key, "k" + std::to_string(key));
  }
  for (Integer i = 0; i < 4; ++i) EXPECT_EQ(list->Items(i).Key.AsInteger(), (i + 1) * 10);
  EXPECT_TRUE(list->Find(30, at));
  EXPECT_EQ(at, 2);
  EXPECT_EQ(list->Items(at).DisplayText, "k30");
  EXPECT_FALSE(list->Find(25, at));
  EXPECT_EQ(at, 2);
  EXPECT_FALSE(list->Find(99, at));
  EXPECT_EQ(at, 4);
  EXPECT_THROW(list->Insert(6, 1, ""), EListError);
  list->Clear();
  EXPECT_EQ(list->Count(), 0);
}

// Records deleted in one pass, a few (each noted in the key index's log, the last first) and
// more than the log holds (every slot renumbered): each key's first record and count are
// those of the records that stay.
TEST_F(Storage, TheKeyIndexFollowsSeveralRecordsDeletedAtOnce) {
  TcxValueDef* def = Add(Int());
  const Integer values[] = {5, 1, 2, 5, 3, 1, 4, 2, 6, 3, 7, 1};
  s_->SetRecordCount(12);
  for (Integer r = 0; r < 12; ++r) s_->SetValue(r, def, values[r]);
  auto first = [&](Integer AKeyRecord) {
    Integer r = -2;
    return s_->FindEqualRecord(def, AKeyRecord, r) ? r : -3;
  };
  auto count = [&](Integer AKeyRecord) {
    Integer n = -2;
    return s_->CountEqualRecords(def, AKeyRecord, n) ? n : -3;
  };
  s_->CountEqualWalk(def, 12);
  ASSERT_EQ(first(3), 0);

  s_->DeleteRecords({0, 2, 5, 9});  // 1 5 3 4 2 6 7 1
  const Integer firsts[] = {0, 1, 2, 3, 4, 5, 6, 0};
  for (Integer r = 0; r < 8; ++r) EXPECT_EQ(first(r), firsts[r]) << r;
  EXPECT_EQ(count(7), 2);
  EXPECT_EQ(count(1), 1);

  // 100 more, keys 10..19 in turn; then 70 of them go in one pass: 30 stay, 3 of each key.
  for (Integer i = 0; i < 100; ++i) s_->SetValue(s_->AppendRecord(), def, 10 + i % 10);
  std::vector<Integer> gone;
  for (Integer r = 8; r < 78; ++r) gone.push_back(r);
  s_->DeleteRecords(gone);
  ASSERT_EQ(s_->RecordCount(), 38);
  for (Integer r = 0; r < 8; ++r) EXPECT_EQ(first(r), firsts[r]) << r;
  for (Integer r = 8; r < 38; ++r) EXPECT_EQ(first(r), 8 + (r - 8) % 10) << r;
  EXPECT_EQ(count(37), 3);
  EXPECT_EQ(count(7), 2);
}

// The text index after records deleted in one pass: the records whose text begins with a
// prefix (in any case) are those that stay, numbered as they are now.
TEST_F(Storage, TheTextIndexFollowsSeveralRecordsDeletedAtOnce) {
  TcxValueDef* def = Add(Str());
  const char* texts[] = {"ab", "x", "abc", "y", "Ab", "z", "b", "ab", "w", "AB"};
  s_->SetRecordCount(10);
  for (Integer r = 0; r < 10; ++r) s_->SetValue(r, def, String(texts[r]));
  auto beginning = [&](const char* APrefix) {
    std::vector<Integer> records;
    if (!s_->FindTextPrefix(def, APrefix, records)) records.assign(1, -1);
    return records;
  };
  s_->CountTextWalk(def, 10);
  ASSERT_EQ(beginning("ab"), (std::vector<Integer>{0, 2, 4, 7, 9}));

  s_->DeleteRecords({1, 2, 5, 8});  // ab y Ab b ab AB
  EXPECT_EQ(beginning("ab"), (std::vector<Integer>{0, 2, 4, 5}));
  EXPECT_EQ(beginning("B"), (std::vector<Integer>{3}));
  EXPECT_EQ(beginning("y"), (std::vector<Integer>{1}));
  EXPECT_EQ(beginning("x"), (std::vector<Integer>{}));
}
