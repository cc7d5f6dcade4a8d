// The repository items: each item's properties class, the editor those properties make,
// the streaming name, the typed Properties that keep the item's own object, and an image
// list leaving an image combo box item.
#include "widgets/special/cxEditRepositoryItems.h"

#include "classlib/core/FormText.h"
#include "classlib/core/Streams.h"
#include "tests/editors/DropDownTestSupport.h"
#include "widgets/special/SpecialUnits.h"

namespace {

class EditRepositoryItemsTest : public DropDownTest {
 protected:
  void SetUp() override {
    DropDownTest::SetUp();
    cxEditRepositoryItems::Initialize();
  }
  void TearDown() override {
    if (form) form->DestroyComponents();
    cxEditRepositoryItems::Finalize();
    DropDownTest::TearDown();
  }
};

struct ItemRow {
  TcxEditRepositoryItemClass Item;
  const char* ItemName;
  const char* PropertiesName;
  const char* EditorName;
};

TEST_F(EditRepositoryItemsTest, EachItemMakesItsPropertiesWhichMakeTheirEditor) {
  const ItemRow rows[] = {
      {cxEditRepositoryItemClassOf<TcxEditRepositoryTextItem>(), "TcxEditRepositoryTextItem", "TcxTextEditProperties", "TcxTextEdit"},
      {cxEditRepositoryItemClassOf<TcxEditRepositoryButtonItem>(), "TcxEditRepositoryButtonItem", "TcxButtonEditProperties", "TcxButtonEdit"},
      {cxEditRepositoryItemClassOf<TcxEditRepositoryImageItem>(), "TcxEditRepositoryImageItem", "TcxImageProperties", "TcxImage"},
      {cxEditRepositoryItemClassOf<TcxEditRepositoryComboBoxItem>(), "TcxEditRepositoryComboBoxItem", "TcxComboBoxProperties", "TcxComboBox"},
      {cxEditRepositoryItemClassOf<TcxEditRepositoryMaskItem>(), "TcxEditRepositoryMaskItem", "TcxMaskEditProperties", "TcxMaskEdit"},
      {cxEditRepositoryItemClassOf<TcxEditRepositoryPopupItem>(), "TcxEditRepositoryPopupItem", "TcxPopupEditProperties", "TcxPopupEdit"},
      {cxEditRepositoryItemClassOf<TcxEditRepositoryCalcItem>(), "TcxEditRepositoryCalcItem", "TcxCalcEditProperties", "TcxCalcEdit"},
      {cxEditRepositoryItemClassOf<TcxEditRepositoryDateItem>(), "TcxEditRepositoryDateItem", "TcxDateEditProperties", "TcxDateEdit"},
      {cxEditRepositoryItemClassOf<TcxEditRepositoryCurrencyItem>(), "TcxEditRepositoryCurrencyItem", "TcxCurrencyEditProperties", "TcxCurrencyEdit"},
      {cxEditRepositoryItemClassOf<TcxEditRepositorySpinItem>(), "TcxEditRepositorySpinItem", "TcxSpinEditProperties", "TcxSpinEdit"},
      {cxEditRepositoryItemClassOf<TcxEditRepositoryMemoItem>(), "TcxEditRepositoryMemoItem", "TcxMemoProperties", "TcxMemo"},
      {cxEditRepositoryItemClassOf<TcxEditRepositoryImageComboBoxItem>(), "TcxEditRepositoryImageComboBoxItem", "TcxImageComboBoxProperties", "TcxImageComboBox"},
      {cxEditRepositoryItemClassOf<TcxEditRepositoryBlobItem>(), "TcxEditRepositoryBlobItem", "TcxBlobEditProperties", "TcxBlobEdit"},
      {cxEditRepositoryItemClassOf<TcxEditRepositoryCheckBoxItem>(), "TcxEditRepositoryCheckBoxItem", "TcxCheckBoxProperties", "TcxCheckBox"},
      {cxEditRepositoryItemClassOf<TcxEditRepositoryTimeItem>(), "TcxEditRepositoryTimeItem", "TcxTimeEditProperties", "TcxTimeEdit"},
      {cxEditRepositoryItemClassOf<TcxEditRepositoryMRUItem>(), "TcxEditRepositoryMRUItem", "TcxMRUEditProperties", "TcxMRUEdit"},
      {cxEditRepositoryItemClassOf<TcxEditRepositoryHyperLinkItem>(), "TcxEditRepositoryHyperLinkItem", "TcxHyperLinkEditProperties", "TcxHyperLinkEdit"},
      {cxEditRepositoryItemClassOf<TcxEditRepositoryRadioGroupItem>(), "TcxEditRepositoryRadioGroupItem", "TcxRadioGroupProperties", "TcxRadioGroup"},
  };
  for (const ItemRow& r : rows) {
    SCOPED_TRACE(r.ItemName);
    EXPECT_EQ(&FindClass(r.ItemName), r.Item.Class);
    Owned<TcxEditRepositoryItem> item(r.Item.Create(nullptr));
    ASSERT_NE(item->GetProperties(), nullptr);
    EXPECT_EQ(item->GetProperties()->ClassName(), r.PropertiesName);
    const TcxCustomEditClass editor = item->GetProperties()->GetContainerClass();
    ASSERT_TRUE(editor);
    EXPECT_EQ(editor.Class->ClassName(), r.EditorName);
    TcxCustomEdit* e = editor.Create(form, false);
    e->SetParent(form);
    e->SetRepositoryItem(item.get());
    EXPECT_EQ(e->GetActiveProperties(), item->GetProperties());
    e->Free();
  }
}

TEST_F(EditRepositoryItemsTest, WritingPropertiesCopiesIntoTheItemsOwnObject) {
  Owned<TcxEditRepositoryImageItem> item(New<TcxEditRepositoryImageItem>(nullptr));
  TcxImageProperties* own = item->GetProperties();
  Owned<TcxImageProperties> other(New<TcxImageProperties>(nullptr));
  other->SetCaption("none");
  other->SetStretch(true);
  item->SetProperties(other.get());
  EXPECT_EQ(item->GetProperties(), own);
  EXPECT_EQ(own->GetCaption(), "none");
  EXPECT_TRUE(own->GetStretch());
  item->SetProperties(nullptr);   // nothing happens
  EXPECT_EQ(item->GetProperties(), own);
  // Settings of another kind: only the common ones come over.
  Owned<TcxMemoProperties> memo(New<TcxMemoProperties>(nullptr));
  memo->SetReadOnly(true);
  item->TcxEditRepositoryItem::SetProperties(memo.get());
  EXPECT_TRUE(own->GetReadOnly());
  EXPECT_EQ(own->GetCaption(), "none");
}

TEST_F(EditRepositoryItemsTest, AFreedImageListLeavesAnImageComboBoxItem) {
  auto* item = New<TcxEditRepositoryImageComboBoxItem>(form);
  auto* images = New<TImageList>(form);
  item->GetProperties()->SetImages(images);
  item->GetProperties()->SetLargeImages(images);
  images->Free();
  EXPECT_EQ(item->GetProperties()->GetImages(), nullptr);
  EXPECT_EQ(item->GetProperties()->GetLargeImages(), nullptr);
  item->GetProperties()->GetItems()->Add()->SetDescription("still usable");
  EXPECT_EQ(item->GetProperties()->GetItems()->Count(), 1);
}

// A repository's description names its item classes; they answer only with the controls'
// group active, as the items and the repository share that group.
TEST_F(EditRepositoryItemsTest, ADescriptionNamesItemClassesOnlyWithTheControlsGroupActive) {
  Owned<TcxEditRepository> repo(New<TcxEditRepository>(nullptr));
  auto read = [&repo] {
    Owned<TMemoryStream> m(New<TMemoryStream>());
    ObjectTextToBinary(
        "object Repo: TcxEditRepository\n  object Spin: TcxEditRepositorySpinItem\n"
        "    Properties.Increment = 5\n  end\nend\n",
        *m);
    m->SetPosition(0);
    m->ReadComponent(repo.get());
  };
  const TClass* before = ActivateClassGroup(TComponent::StaticClass());
  EXPECT_THROW(read(), EClassNotFound);
  EXPECT_EQ(repo->Count(), 0);
  EXPECT_EQ(GetClass("TcxEditRepositoryItem"), nullptr);

  EXPECT_EQ(ActivateClassGroup(TcxEditRepositoryTextItem::StaticClass()), &TComponent::StaticClass());
  read();
  ASSERT_EQ(repo->Count(), 1);
  auto* spin = dynamic_cast<TcxEditRepositorySpinItem*>(repo->Items(0));
  ASSERT_NE(spin, nullptr);
  EXPECT_EQ(spin->GetProperties()->GetIncrement(), 5);
  EXPECT_EQ(GetClass("TcxEditRepositoryItem"), &TcxEditRepositoryItem::StaticClass());
  ActivateClassGroup(before ? *before : TControl::StaticClass());
}

// The kinds whose published list names EditValue read it from a description; it is written
// through their own typed value only.
TEST_F(EditRepositoryItemsTest, TheValueKindsReadTheirEditValueByName) {
  WidgetsSpecialInitialize();
  for (const char* kind : {"TcxCalcEdit", "TcxCurrencyEdit", "TcxDateEdit", "TcxTimeEdit"}) {
    SCOPED_TRACE(kind);
    const String text = String("object Dialog: TForm\n  object e: ") + kind + "\n    EditValue = 2\n  end\nend\n";
    Owned<TMemoryStream> binary(New<TMemoryStream>());
    ObjectTextToBinary(text, *binary);
    binary->SetPosition(0);
    TForm* dialog = TForm::CreateNew(Application);
    binary->ReadComponent(dialog);
    auto* e = dynamic_cast<TcxCustomEdit*>(dialog->FindComponent("e"));
    ASSERT_NE(e, nullptr);
    EXPECT_DOUBLE_EQ(e->GetEditValue().AsDouble(), 2.0);
    Owned<TMemoryStream> out(New<TMemoryStream>());
    out->WriteComponent(e);
    const String written(reinterpret_cast<const char*>(out->Memory()), size_t(out->GetSize()));
    EXPECT_EQ(written.find("EditValue"), String::npos);
    dialog->Free();
  }
  WidgetsSpecialFinalize();
}

}  // namespace
