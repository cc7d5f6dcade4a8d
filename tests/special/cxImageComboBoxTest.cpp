// The image combo box: the item of a value, the text and image it shows, the comparison of
// display values, the numbering of new items by the image list, choosing an item, and the
// list's row heights.
#include "widgets/special/cxImageComboBox.h"

#include "tests/editors/DropDownTestSupport.h"

namespace {

class ImageComboBoxTest : public DropDownTest {
 protected:
  void SetUp() override {
    DropDownTest::SetUp();
    cxImageComboBox::Initialize();
    images = New<TImageList>(form);
    images->SetWidth(16);
    images->SetHeight(24);
    Owned<TBitmap> b(New<TBitmap>());
    b->SetSize(16, 24);
    for (int i = 0; i < 5; ++i) images->Add(b.get(), nullptr);
  }
  void TearDown() override {
    if (form) form->DestroyComponents();
    host().PumpUntilIdle();
    cxImageComboBox::Finalize();
    DropDownTest::TearDown();
  }
  static void AddItem(TcxCustomImageComboBoxProperties* P, const String& D, const Variant& V, Integer Image = -1) {
    TcxImageComboBoxItem* i = P->GetItems()->Add();
    i->SetDescription(D);
    i->SetValue(V);
    i->SetImageIndex(Image);
  }
  TImageList* images = nullptr;
};

TEST_F(ImageComboBoxTest, TheFirstItemOfALooselyEqualValueIsShown) {
  Owned<TcxImageComboBoxProperties> p(New<TcxImageComboBoxProperties>(nullptr));
  AddItem(p.get(), "one", Variant(1), 3);
  AddItem(p.get(), "uno", Variant(String("1")), 4);   // equal to 1 loosely, so never found
  AddItem(p.get(), "two", Variant(2), 1);
  p->SetDefaultDescription("none");
  p->SetDefaultImageIndex(2);
  EXPECT_EQ(p->FindItemByValue(Variant(String("1"))), 0);
  EXPECT_EQ(p->FindItemByValue(Variant(2)), 2);
  String text;
  Integer image = -1;
  p->GetDisplayTextAndImage(Variant(1), text, image);
  EXPECT_EQ(text, "one");
  EXPECT_EQ(image, 3);
  p->GetDisplayTextAndImage(Variant::MakeNull(), text, image);
  EXPECT_EQ(text, "none");
  EXPECT_EQ(image, 2);
  p->SetShowDescriptions(false);
  p->GetDisplayTextAndImage(Variant(2), text, image);
  EXPECT_EQ(text, "");
  EXPECT_EQ(image, 1);
  EXPECT_FALSE(p->GetSupportedOperations().Contains(TcxEditSupportedOperation::esoIncSearch));
  EXPECT_FALSE(p->FindLookupText("two"));
  // The display text ignores ShowDescriptions.
  p->GetDisplayText(Variant(2), text);
  EXPECT_EQ(text, "two");
  p->SetShowDescriptions(true);
  EXPECT_TRUE(p->FindLookupText("TWO"));
  EXPECT_TRUE(p->GetSupportedOperations().Contains(TcxEditSupportedOperation::esoIncSearch));
}

TEST_F(ImageComboBoxTest, DisplayValuesCompareByTextAndWithImagesByImage) {
  Owned<TcxImageComboBoxProperties> p(New<TcxImageComboBoxProperties>(nullptr));
  AddItem(p.get(), "same", Variant(1), 0);
  AddItem(p.get(), "same", Variant(2), 1);
  EXPECT_TRUE(p->CompareDisplayValues(Variant(1), Variant(2)));
  p->SetImages(images);
  EXPECT_FALSE(p->CompareDisplayValues(Variant(1), Variant(2)));
  EXPECT_TRUE(p->CompareDisplayValues(Variant(1), Variant(String("1"))));
  // A freed image list leaves the properties.
  images->Free();
  images = nullptr;
  EXPECT_EQ(p->GetImages(), nullptr);
}

TEST_F(ImageComboBoxTest, StoredSettingsIncludeTheGlyphAndTheUpdateModeAndReadOnlyOnlyWhenSet) {
  Owned<TcxImageComboBoxProperties> p(New<TcxImageComboBoxProperties>(nullptr));
  for (const char* name : {"ButtonGlyph", "ImmediateUpdateText"})
    EXPECT_NE(GetPropInfo(p.get(), name), nullptr) << name;
  // Left alone, ReadOnly stays with the data: a stored False would override it once read.
  EXPECT_FALSE(IsStoredProp(p.get(), "ReadOnly"));
  p->SetReadOnly(false);
  EXPECT_TRUE(IsStoredProp(p.get(), "ReadOnly"));
}

TEST_F(ImageComboBoxTest, NewItemsTakeTheNextImageWhileTheListHasOne) {
  Owned<TcxImageComboBoxProperties> p(New<TcxImageComboBoxProperties>(nullptr));
  p->SetImages(images);
  for (int i = 0; i < 6; ++i) p->GetItems()->Add();
  for (int i = 0; i < 5; ++i) EXPECT_EQ(p->GetItems()->Items(i)->GetImageIndex(), i);
  EXPECT_EQ(p->GetItems()->Items(5)->GetImageIndex(), -1);
  EXPECT_EQ(p->GetItems()->Items(5)->GetValue().VType(), varNull);
  EXPECT_EQ(p->GetDropDownListStyle(), TcxEditDropDownListStyle::lsFixedList);
}

TEST_F(ImageComboBoxTest, ChoosingAnItemMakesItsValueTheEditValue) {
  auto* c = New<TcxImageComboBox>(form);
  c->SetBounds(10, 10, 150, 21);
  c->SetParent(form);
  AddItem(c->GetProperties(), "red", Variant(10));
  AddItem(c->GetProperties(), "green", Variant(20));
  AddItem(c->GetProperties(), "green", Variant(30));
  host().PumpUntilIdle();
  c->SetFocus();
  host().PumpUntilIdle();
  c->SetEditValue(Variant(20));
  EXPECT_EQ(Text(c), "green");
  EXPECT_EQ(c->GetItemIndex(), 1);
  c->SetItemIndex(2);   // the same description, its own value
  c->PostEditValueOnRequest();
  EXPECT_EQ(c->EditValue().AsInteger(), 30);
  Key(VK_UP);
  Key(VK_UP);
  EXPECT_EQ(Text(c), "red");
  c->PostEditValueOnRequest();
  EXPECT_EQ(c->EditValue().AsInteger(), 10);
}

TEST_F(ImageComboBoxTest, ListRowsFitTheImagesAndWrappedDescriptions) {
  auto* c = New<TcxImageComboBox>(form);
  c->SetBounds(10, 10, 150, 21);
  c->SetParent(form);
  AddItem(c->GetProperties(), "a", Variant(1), 0);
  AddItem(c->GetProperties(), "a long description that wraps over several lines of the list", Variant(2), 1);
  c->GetProperties()->SetLargeImages(images);
  host().PumpUntilIdle();
  c->SetFocus();
  host().PumpUntilIdle();
  Key(VK_F4);
  ASSERT_TRUE(c->GetDroppedDown());
  auto* list = dynamic_cast<TcxImageComboBoxListBox*>(List(c));
  ASSERT_NE(list, nullptr);
  const Integer short1 = list->ItemHeightForWidth(0, 100);
  const Integer long1 = list->ItemHeightForWidth(1, 100);
  c->GetProperties()->SetMultiLineText(true);
  const Integer long2 = list->ItemHeightForWidth(1, 100);
  Key(VK_ESCAPE);
  EXPECT_EQ(short1, 26);   // the image height + 2 beats one line of text
  EXPECT_EQ(long1, 26);
  EXPECT_GT(long2, 26);    // wrapped over several lines
}

}  // namespace

namespace {

TEST_F(ImageComboBoxTest, AValueOfAnotherKindMatchesNoItemAndShowsTheDefault) {
  Owned<TcxImageComboBoxProperties> p(New<TcxImageComboBoxProperties>(nullptr));
  AddItem(p.get(), "letters", Variant(String("abc")), 1);
  AddItem(p.get(), "seven", Variant(7), 2);
  p->SetDefaultDescription("none");
  String text;
  Integer image = 0;
  EXPECT_NO_THROW(p->GetDisplayTextAndImage(Variant(7), text, image));
  EXPECT_EQ(text, "seven");
  EXPECT_NO_THROW(p->GetDisplayTextAndImage(Variant(String("xyz")), text, image));
  EXPECT_EQ(text, "none");
  EXPECT_EQ(image, -1);
}

TEST_F(ImageComboBoxTest, NoChosenItemGivesNullEvenBesideAnItemWithoutDescription) {
  auto* c = New<TcxImageComboBox>(form);
  c->SetBounds(10, 10, 150, 21);
  c->SetParent(form);
  AddItem(c->GetProperties(), "", Variant(7));
  AddItem(c->GetProperties(), "a", Variant(1));
  AddItem(c->GetProperties(), "b", Variant(1));
  host().PumpUntilIdle();
  c->SetFocus();
  host().PumpUntilIdle();
  c->SetEditValue(Variant(1));
  EXPECT_EQ(Text(c), "a");
  EXPECT_EQ(c->GetItemIndex(), 1);
  c->SetItemIndex(-1);
  c->PostEditValueOnRequest();
  EXPECT_TRUE(VarIsNull(c->EditValue()));
  c->SetEditValue(Variant(1));
  c->SetItemIndex(0);   // the item without description is still a choice of its own
  c->PostEditValueOnRequest();
  EXPECT_EQ(c->EditValue().AsInteger(), 7);
  AddItem(c->GetProperties(), "b", Variant(2));
  c->SetEditValue(Variant(2));
  EXPECT_EQ(c->GetItemIndex(), 3);
  c->GetProperties()->GetItems()->Items(1)->SetDescription("alpha");
  EXPECT_EQ(c->GetItemIndex(), 3);
  c->PostEditValueOnRequest();
  EXPECT_EQ(c->EditValue().AsInteger(), 2);
}

}  // namespace

namespace {

TEST_F(ImageComboBoxTest, KeysWalkTheItemsAndANullValuedItemStandsForNull) {
  auto* c = New<TcxImageComboBox>(form);
  c->SetBounds(10, 10, 150, 21);
  c->SetParent(form);
  AddItem(c->GetProperties(), "nothing", Variant::MakeNull());
  AddItem(c->GetProperties(), "apple", Variant(1));
  AddItem(c->GetProperties(), "banana", Variant(2));
  c->GetProperties()->SetDefaultDescription("dflt");
  c->SetEditValue(Variant::MakeNull());
  host().PumpUntilIdle();
  EXPECT_EQ(Text(c), "nothing");
  c->SetFocus();
  host().PumpUntilIdle();
  EXPECT_EQ(Text(c), "nothing");
  EXPECT_EQ(c->GetItemIndex(), 0);
  Key(VK_DOWN);
  EXPECT_EQ(Text(c), "apple");
  c->PostEditValueOnRequest();
  EXPECT_EQ(VarToStr(c->EditValue()), "1");
  host().Char('b');
  host().PumpUntilIdle();
  EXPECT_EQ(Text(c), "banana");
  c->PostEditValueOnRequest();
  EXPECT_EQ(VarToStr(c->EditValue()), "2");
  c->SetEditValue(Variant(99));
  EXPECT_EQ(Text(c), "dflt");
  EXPECT_EQ(c->GetItemIndex(), -1);
  Key(VK_UP);
  c->PostEditValueOnRequest();
  String s; c->GetProperties()->GetDisplayText(c->EditValue(), s);
  EXPECT_EQ(s, Text(c));
}

}  // namespace

namespace {

// An item without an image keeps none through a stream, even when the image list it names
// has an image for its position.
TEST_F(ImageComboBoxTest, AnItemWithoutImageStaysWithoutThroughAStream) {
  images->SetName("il");
  auto* c = New<TcxImageComboBox>(form);
  c->SetName("icb");
  c->SetParent(form);
  c->GetProperties()->SetImages(images);
  AddItem(c->GetProperties(), "none", Variant(1), -1);
  AddItem(c->GetProperties(), "three", Variant(2), 3);
  Owned<TMemoryStream> m(New<TMemoryStream>());
  m->WriteComponent(form);
  m->SetPosition(0);
  TForm* copy = TForm::CreateNew(Application);
  m->ReadComponent(copy);
  auto* d = dynamic_cast<TcxImageComboBox*>(copy->FindComponent("icb"));
  ASSERT_NE(d, nullptr);
  ASSERT_NE(d->GetProperties()->GetImages(), nullptr);
  EXPECT_EQ(d->GetProperties()->GetImages()->Count(), 5);
  ASSERT_EQ(d->GetProperties()->GetItems()->Count(), 2);
  EXPECT_EQ(d->GetProperties()->GetItems()->Items(0)->GetImageIndex(), -1);
  EXPECT_EQ(d->GetProperties()->GetItems()->Items(1)->GetImageIndex(), 3);
  copy->Free();
}

}  // namespace

namespace {

// The image beside the text follows the value set from code and the item chosen by keys at
// once, not only at the next layout; without descriptions no text shows.
TEST_F(ImageComboBoxTest, TheShownImageFollowsTheValueAndTheChosenItem) {
  auto* c = New<TcxImageComboBox>(form);
  c->SetBounds(10, 10, 150, 21);
  c->SetParent(form);
  AddItem(c->GetProperties(), "apple", Variant(1), 2);
  AddItem(c->GetProperties(), "banana", Variant(2), 4);
  c->GetProperties()->SetImages(images);
  host().PumpUntilIdle();
  auto image = [&] { return dynamic_cast<TcxImageComboBoxViewInfo*>(c->EditViewInfo())->ImageIndex; };
  EXPECT_EQ(image(), -1);
  c->SetEditValue(Variant(1));
  EXPECT_EQ(image(), 2);
  c->SetFocus();
  host().PumpUntilIdle();
  EXPECT_EQ(image(), 2);
  Key(VK_DOWN);
  EXPECT_EQ(Text(c), "banana");
  EXPECT_EQ(image(), 4);
  c->PostEditValueOnRequest();
  EXPECT_EQ(image(), 4);
  c->GetProperties()->SetShowDescriptions(false);
  host().PumpUntilIdle();
  EXPECT_EQ(image(), 4);
  EXPECT_EQ(dynamic_cast<TcxImageComboBoxViewInfo*>(c->EditViewInfo())->Text, "");
  c->SetEditValue(Variant(1));
  EXPECT_EQ(image(), 2);
  EXPECT_EQ(dynamic_cast<TcxImageComboBoxViewInfo*>(c->EditViewInfo())->Text, "");
}

}  // namespace
