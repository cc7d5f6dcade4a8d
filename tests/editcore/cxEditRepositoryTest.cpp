// Edit repository: listeners (once each, last first, leaving during a notice), linking an
// editor (relinking, a refused item keeping the old link, an item's destruction handing the
// editor back its own properties), lookup by name, and streaming items with their
// properties and buttons.
#include "classlib/core/FormText.h"
#include "tests/editcore/EditSettingsTestSupport.h"

#include <cstring>

namespace {

class TRecordingListener : public TObject, public IcxEditRepositoryItemListener {
 public:
  TRecordingListener(std::vector<String>& ALog, String AName) : Log(ALog), Name(std::move(AName)) {}
  void ItemRemoved(TcxEditRepositoryItem* Sender) override {
    Log.push_back(Name + ":removed");
    if (Leave) Sender->RemoveListener(Leave);
  }
  void PropertiesChanged(TcxEditRepositoryItem*) override { Log.push_back(Name + ":changed"); }
  std::vector<String>& Log;
  String Name;
  IcxEditRepositoryItemListener* Leave = nullptr;
};

// Writes its repositories as its children; they write their items as theirs.
class TRepositoryHost : public TComponent {
  TL_CLASS(TRepositoryHost, TComponent)
 public:
  explicit TRepositoryHost(TComponent* AOwner) : TComponent(AOwner) {}
  void GetChildren(const TGetChildProc& Proc, TComponent*) override {
    for (Integer i = 0; i < ComponentCount(); ++i)
      if (auto* r = dynamic_cast<TcxEditRepository*>(Components(i))) Proc(r);
  }
};

class EditRepositoryTest : public EditSettingsTest {
 protected:
  void SetUp() override {
    EditSettingsTest::SetUp();
    RegisterClasses({&TcxEditRepository::StaticClass(), &TTestRepositoryItem::StaticClass(),
                     &TRepositoryHost::StaticClass()});
    repo.reset(New<TcxEditRepository>(nullptr));
  }
  void TearDown() override {
    repo.reset();
    for (const TClass* c : {&TcxEditRepository::StaticClass(), &TTestRepositoryItem::StaticClass(),
                            &TRepositoryHost::StaticClass()})
      UnRegisterClass(*c);
    EditSettingsTest::TearDown();
  }
  TcxEditRepositoryItem* NewItem() { return repo->CreateItem(cxEditRepositoryItemClassOf<TTestRepositoryItem>()); }
  Owned<TcxEditRepository> repo;
};

TEST_F(EditRepositoryTest, ListenersAreCalledOnceEachLastFirstAndMayLeaveDuringANotice) {
  std::vector<String> log;
  TRecordingListener a(log, "a"), b(log, "b"), c(log, "c");
  TcxEditRepositoryItem* item = NewItem();
  item->AddListener(&a);
  item->AddListener(&b);
  item->AddListener(&a);
  item->AddListener(&c);
  EXPECT_EQ(item->ListenerCount(), 3);
  item->GetProperties()->SetAutoSelect(false);
  EXPECT_EQ(log, (std::vector<String>{"c:changed", "b:changed", "a:changed"}));
  log.clear();
  c.Leave = &b;  // c takes b off the list while the item is being removed
  item->Free();
  EXPECT_EQ(log, (std::vector<String>{"c:removed", "a:removed"}));
  EXPECT_EQ(repo->Count(), 0) << "the item left its repository";
}

TEST_F(EditRepositoryTest, LinkingRelinkingAndARefusedItemThatKeepsTheOldLink) {
  TMemoryDefaultValuesProvider provider;
  Owned<TTestEdit> edit(New<TTestEdit>(nullptr));
  edit->Provider = &provider;
  TcxEditRepositoryItem* first = NewItem();
  TcxEditRepositoryItem* second = NewItem();
  TcxCustomEditProperties* own = edit->GetOwnProperties();

  edit->SetRepositoryItem(first);
  EXPECT_EQ(edit->Heard, (std::vector<TcxCustomEditProperties*>{first->GetProperties()}));
  EXPECT_EQ(edit->GetActiveProperties(), first->GetProperties());
  EXPECT_EQ(first->GetProperties()->GetIDefaultValuesProvider(), static_cast<IcxEditDefaultValuesProvider*>(&provider));
  own->SetBeepOnError(true);  // unhooked while the item serves
  first->GetProperties()->SetBeepOnError(true);
  EXPECT_EQ(edit->Heard.size(), 2u);

  edit->SetRepositoryItem(second);
  EXPECT_EQ(first->ListenerCount(), 0);
  EXPECT_EQ(second->ListenerCount(), 1);

  auto* foreign = repo->CreateItem(cxEditRepositoryItemClassOf<TPlainRepositoryItem>());
  try {
    edit->SetRepositoryItem(foreign);
    ADD_FAILURE() << "a foreign properties class was accepted";
  } catch (const Exception& e) {
    EXPECT_STREQ(e.what(), "The repository item is not acceptable");
  }
  EXPECT_EQ(edit->GetRepositoryItem(), second);
  EXPECT_EQ(second->ListenerCount(), 1);

  edit->SetRepositoryItem(nullptr);
  EXPECT_EQ(edit->GetActiveProperties(), own);
  EXPECT_EQ(own->GetIDefaultValuesProvider(), static_cast<IcxEditDefaultValuesProvider*>(&provider));
  edit->Heard.clear();
  own->SetAutoSelect(false);
  EXPECT_EQ(edit->Heard, (std::vector<TcxCustomEditProperties*>{own}));
}

TEST_F(EditRepositoryTest, DestroyingTheItemHandsTheEditorItsOwnPropertiesBack) {
  TMemoryDefaultValuesProvider provider;
  Owned<TTestEdit> edit(New<TTestEdit>(nullptr));
  edit->Provider = &provider;
  TcxEditRepositoryItem* item = NewItem();
  edit->SetRepositoryItem(item);
  TcxCustomEditProperties* own = edit->GetOwnProperties();
  edit->Heard.clear();
  item->Free();
  EXPECT_EQ(edit->GetRepositoryItem(), nullptr);
  EXPECT_EQ(edit->GetActiveProperties(), own);
  EXPECT_EQ(own->GetIDefaultValuesProvider(), static_cast<IcxEditDefaultValuesProvider*>(&provider));
  ASSERT_FALSE(edit->Heard.empty()) << "the editor hears of its own properties once";
  EXPECT_EQ(edit->Heard.back(), own);
  edit->Heard.clear();
  own->SetImmediatePost(true);  // the own properties are hooked again
  EXPECT_EQ(edit->Heard, (std::vector<TcxCustomEditProperties*>{own}));
}

TEST_F(EditRepositoryTest, ItemsAreFoundByNameInAnyCaseAndFreedWithTheirRepository) {
  TcxEditRepositoryItem* item = NewItem();
  item->SetName("NameEdit");
  EXPECT_EQ(repo->ItemByName("nameEDIT"), item);
  EXPECT_EQ(repo->ItemByName("Other"), nullptr);
  EXPECT_EQ(repo->ItemByName(""), nullptr);
  EXPECT_EQ(repo->Items(0), item);
  EXPECT_EQ(item->GetRepository(), repo.get());
  EXPECT_TRUE(item->HasParent());
  Owned<TcxEditRepository> other(New<TcxEditRepository>(nullptr));
  item->SetRepository(other.get());
  EXPECT_EQ(repo->Count(), 0);
  EXPECT_EQ(other->Count(), 1);
  std::vector<String> log;
  TRecordingListener l(log, "l");
  item->AddListener(&l);
  other.reset();  // frees the item it holds, whoever owns it
  EXPECT_EQ(log, (std::vector<String>{"l:removed"}));
  EXPECT_EQ(GetDefaultEditRepository(), GetDefaultEditRepository());
}

TEST_F(EditRepositoryTest, ItemsPropertiesAndButtonsSurviveTheComponentStream) {
  Owned<TRepositoryHost> host(New<TRepositoryHost>(nullptr));
  host->SetName("Host");
  auto* r = New<TcxEditRepository>(host.get());
  r->SetName("Repo");
  TcxEditRepositoryItem* item = r->CreateItemEx(cxEditRepositoryItemClassOf<TTestRepositoryItem>(), host.get());
  item->SetName("Item1");
  TcxCustomEditProperties* p = item->GetProperties();
  p->SetAutoSelect(false);
  p->SetReadOnly(false);
  p->SetClickKey(0);
  p->GetAlignment()->SetHorz(TAlignment::taCenter);
  p->GetAlignment()->SetVert(TcxEditVertAlignment::taBottomJustify);
  p->SetUseLeftAlignmentOnEditing(false);
  TcxEditButton* b = p->GetButtons()->Add();
  b->SetKind(TcxEditButtonKind::bkText);
  b->SetCaption("&Go");
  b->SetWidth(30);
  b->SetLeftAlignment(true);
  TcxEditButton* g = p->GetButtons()->Add();
  g->SetKind(TcxEditButtonKind::bkGlyph);
  g->GetGlyph()->SetSize(3, 2);
  g->GetGlyph()->Canvas()->SetPixel(1, 1, clRed);
  g->SetVisible(false);

  const String bytes = Write(host.get());
  for (const char* name : {"Properties.AutoSelect", "Properties.ReadOnly", "Properties.ClickKey",
                           "Properties.Alignment.Horz", "Properties.Alignment.Vert",
                           "Properties.UseLeftAlignmentOnEditing", "Kind", "Caption", "Width", "LeftAlignment",
                           "Visible", "Glyph"})
    EXPECT_NE(bytes.find(name), String::npos) << name;
  EXPECT_EQ(bytes.find("Properties.ImmediatePost"), String::npos) << "defaults stay out";

  Owned<TRepositoryHost> copy(New<TRepositoryHost>(nullptr));
  Read(bytes, copy.get());
  auto* r2 = dynamic_cast<TcxEditRepository*>(copy->FindComponent("Repo"));
  ASSERT_NE(r2, nullptr);
  ASSERT_EQ(r2->Count(), 1);
  TcxEditRepositoryItem* item2 = r2->ItemByName("item1");
  ASSERT_NE(item2, nullptr);
  ASSERT_EQ(item2->GetProperties()->GetButtons()->Count(), 2);
  EXPECT_EQ(item2->GetProperties()->GetButtons()->Items(1)->GetGlyph()->Canvas()->GetPixel(1, 1), clRed);
  // Every value written is read back: the copy writes the same bytes again.
  EXPECT_EQ(Write(copy.get()), bytes);

  // A description names unknown values with an error rather than a guess.
  Owned<TMemoryStream> bin(New<TMemoryStream>());
  ObjectTextToBinary(
      "object Host: TRepositoryHost\n  object Repo: TcxEditRepository\n  end\n"
      "  object Bad: TTestRepositoryItem\n    Properties.Alignment.Vert = taMiddle\n  end\nend\n",
      *bin);
  bin->SetPosition(0);
  Owned<TRepositoryHost> bad(New<TRepositoryHost>(nullptr));
  EXPECT_THROW(bin->ReadComponent(bad.get()), EReadError);
}

}  // namespace

TL_DEFINE_CLASS(TRepositoryHost, [](auto&) {});
