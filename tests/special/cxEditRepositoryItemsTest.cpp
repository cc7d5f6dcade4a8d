// The repository items: each item's properties class, the editor those properties make,
// the streaming name, the typed Properties that keep the item's own object, and an image
// list leaving an image combo box item.
#include "widgets/special/cxEditRepositoryItems.h"

#include "tests/editors/DropDownTestSupport.h"

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
      {cxEditRepositoryItemClassOf<TcxEditRepositoryImageItem>(), "TcxEditRepositoryImageItem", "TcxImageProperties", "TcxImage"},
      {cxEditRepositoryItemClassOf<TcxEditRepositoryComboBoxItem>(), "TcxEditRepositoryComboBoxItem", "TcxComboBoxProperties", "TcxComboBox"},
      {cxEditRepositoryItemClassOf<TcxEditRepositoryMaskItem>(), "TcxEditRepositoryMaskItem", "TcxMaskEditProperties", "TcxMaskEdit"},
      {cxEditRepositoryItemClassOf<TcxEditRepositoryPopupItem>(), "TcxEditRepositoryPopupItem", "TcxPopupEditProperties", "TcxPopupEdit"},
      {cxEditRepositoryItemClassOf<TcxEditRepositorySpinItem>(), "TcxEditRepositorySpinItem", "TcxSpinEditProperties", "TcxSpinEdit"},
      {cxEditRepositoryItemClassOf<TcxEditRepositoryMemoItem>(), "TcxEditRepositoryMemoItem", "TcxMemoProperties", "TcxMemo"},
      {cxEditRepositoryItemClassOf<TcxEditRepositoryImageComboBoxItem>(), "TcxEditRepositoryImageComboBoxItem", "TcxImageComboBoxProperties", "TcxImageComboBox"},
      {cxEditRepositoryItemClassOf<TcxEditRepositoryBlobItem>(), "TcxEditRepositoryBlobItem", "TcxBlobEditProperties", "TcxBlobEdit"},
      {cxEditRepositoryItemClassOf<TcxEditRepositoryCheckBoxItem>(), "TcxEditRepositoryCheckBoxItem", "TcxCheckBoxProperties", "TcxCheckBox"},
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

}  // namespace
