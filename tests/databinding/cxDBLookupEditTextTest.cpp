// The texts a data-set lookup edit shows for its keys: the list field's own display text,
// read alike from the loaded list and, in grid mode, from the list data set without moving it.
#include "tests/databinding/DBLookupTestSupport.h"

namespace {

class TCodeText : public TObject {
 public:
  void GetText(TField* Sender, String& AText, bool ADisplay) {
    AText = Sender->IsNull() ? String("none") : (ADisplay ? "<" : "[") + Sender->GetAsString() + (ADisplay ? ">" : "]");
  }
};

class DBLookupTextTest : public DBLookupTest {
 protected:
  void SetUp() override {
    DBLookupTest::SetUp();
    goods = MakeTestDataSet(form, {{"ID", TFieldType::ftInteger},
                                   {"Price", TFieldType::ftFloat},
                                   {"Ok", TFieldType::ftBoolean},
                                   {"Code", TFieldType::ftString, 10}});
    goods->AddRecord({Variant(Integer(1)), Variant(3.5), Variant(true), Variant(String("a"))});
    goods->AddRecord({Variant(Integer(2)), Variant(1234.25), Variant(false), Variant(String("b"))});
    goods->AddRecord({Variant(Integer(3)), Null(), Null(), Null()});
    goods->Open();
    static_cast<TFloatField*>(goods->FieldByName("Price"))->SetDisplayFormat("0.00 'u'");
    static_cast<TBooleanField*>(goods->FieldByName("Ok"))->SetDisplayValues("yes;no");
    goods->FieldByName("Code")->OnGetText = {&codeText, &TCodeText::GetText};
    auto* source = New<TDataSource>(form);
    source->SetDataSet(goods);
    combo = New<TcxLookupComboBox>(form);
    combo->SetParent(form);
    combo->GetProperties()->SetListSource(source);
    combo->GetProperties()->SetKeyFieldNames("ID");
  }
  String TextOf(Integer AKey) { return combo->GetProperties()->GetDisplayText(Variant(AKey)); }

  TCodeText codeText;
  TMemoryDataSet* goods = nullptr;
  TcxLookupComboBox* combo = nullptr;
};

TEST_F(DBLookupTextTest, GridModeShowsTheListFieldsDisplayTextAsTheLoadedListDoes) {
  TcxLookupComboBoxProperties* p = combo->GetProperties();
  struct Case {
    const char* field;
    const char* texts[3];
  };
  const Case cases[] = {
      {"Price", {"3.50 u", "1234.25 u", ""}},
      {"Ok", {"yes", "no", ""}},
      {"Code", {"<a>", "<b>", "none"}},
  };
  goods->SetRecNo(2);
  for (const Case& k : cases) {
    p->SetListFieldNames(k.field);
    for (bool gridMode : {false, true}) {
      p->SetGridMode(gridMode);
      for (Integer key = 1; key <= 3; ++key) {
        EXPECT_EQ(TextOf(key), k.texts[key - 1]) << k.field << " key " << key << " grid mode " << gridMode;
        // The cached text is the same one.
        EXPECT_EQ(TextOf(key), k.texts[key - 1]) << k.field << " key " << key << " grid mode " << gridMode;
      }
      EXPECT_EQ(TextOf(9), "") << k.field;
      EXPECT_EQ(goods->RecNo(), 2) << k.field;
    }
  }
}

}  // namespace
