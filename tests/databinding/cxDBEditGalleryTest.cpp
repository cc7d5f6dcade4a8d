// Every data-aware editor bound to one record, painted in two looks side by side for the
// gallery (db-editors.png).
#include "tests/databinding/DBEditTestSupport.h"
#include "tests/foundation/GalleryFile.h"

namespace {

class DBEditGallery : public DBEditTest {
 protected:
  // The client area of the form as it stands.
  DecodedImage Capture() { return CaptureClientImage(host(), form->GetHandle()); }
  void SetLook(TcxLookAndFeelKind AKind) {
    for (Integer i = 0; i < form->ControlCount(); ++i)
      if (auto* c = dynamic_cast<TcxContainer*>(form->Controls(i)))
        c->GetStyle()->GetLookAndFeel()->SetKind(AKind);
    Pump();
  }
};

TEST_F(DBEditGallery, EveryEditorShowsTheRecordInTwoLooks) {
  form->SetBounds(0, 0, 340, 560);
  auto* text = Add<TcxDBTextEdit>("NAME");
  auto* mask = Add<TcxDBMaskEdit>("NAME");
  auto* button = Add<TcxDBButtonEdit>("NAME");
  auto* hyper = Add<TcxDBHyperLinkEdit>("NAME");
  auto* combo = Add<TcxDBComboBox>("NAME");
  combo->GetProperties()->GetItems()->Add("Apple");
  Add<TcxDBMRUEdit>("NAME");
  Add<TcxDBPopupEdit>("NAME");
  auto* spin = Add<TcxDBSpinEdit>("ID");
  auto* calc = Add<TcxDBCalcEdit>("PRICE");
  auto* currency = Add<TcxDBCurrencyEdit>("PRICE");
  auto* date = Add<TcxDBDateEdit>("WHEN");
  Add<TcxDBTimeEdit>("WHEN");
  auto* images = Add<TcxDBImageComboBox>("ID");
  for (int v = 1; v <= 3; ++v) {
    TcxImageComboBoxItem* item = images->GetProperties()->GetItems()->Add();
    item->SetValue(v);
    item->SetDescription("Item " + IntToStr(v));
  }
  Add<TcxDBBlobEdit>("NOTE");
  auto* check = Add<TcxDBCheckBox>("OK");
  check->GetProperties()->SetCaption("Ripe");
  auto* memo = Add<TcxDBMemo>("NOTE");
  memo->SetBounds(160, 4, 170, 60);
  auto* group = Add<TcxDBRadioGroup>("ID");
  group->SetBounds(160, 70, 170, 90);
  group->SetCaption("ID");
  for (int v = 1; v <= 3; ++v) {
    auto* item = static_cast<TcxRadioGroupItem*>(group->GetProperties()->GetItems()->Add());
    item->SetCaption("Number " + IntToStr(v));
    item->SetValue(v);
  }
  auto* list = AddKindList(TRect{160, 166, 330, 226});
  auto* image = Add<TcxDBImage>("NOTE");
  image->SetBounds(160, 232, 170, 60);
  Show();

  // The record as each kind shows it.
  EXPECT_EQ(Shown(text), "Apple");
  EXPECT_EQ(Shown(mask), "Apple");
  EXPECT_EQ(Shown(button), "Apple");
  EXPECT_EQ(Shown(hyper), "Apple");
  EXPECT_EQ(Shown(combo), "Apple");
  EXPECT_EQ(spin->GetEditValue().AsInteger(), 1);
  EXPECT_DOUBLE_EQ(calc->GetEditValue().AsDouble(), 1234.5);
  EXPECT_DOUBLE_EQ(currency->GetEditValue().AsDouble(), 1234.5);
  EXPECT_DOUBLE_EQ(double(date->GetEditValue().AsDateTime()), 45000);
  EXPECT_EQ(images->GetEditValue().AsInteger(), 1);
  EXPECT_TRUE(check->GetChecked());
  EXPECT_EQ(Shown(memo), "first");
  EXPECT_EQ(group->GetItemIndex(), 0);
  EXPECT_EQ(list->GetItemIndex(), 0);

  SetLook(TcxLookAndFeelKind::lfStandard);
  const DecodedImage standard = Capture();
  SetLook(TcxLookAndFeelKind::lfOffice11);
  const DecodedImage office = Capture();
  ASSERT_EQ(standard.Width, office.Width);
  ASSERT_EQ(standard.Height, office.Height);
  ASSERT_GT(standard.Width, 300);
  // The looks differ in the frames, not in what the record says.
  EXPECT_NE(standard.Pixels, office.Pixels);
  EXPECT_EQ(Shown(text), "Apple");

  constexpr Integer kGap = 8;
  DecodedImage sheet;
  sheet.Width = standard.Width * 2 + kGap;
  sheet.Height = standard.Height;
  sheet.Pixels.assign(size_t(sheet.Width) * size_t(sheet.Height), 0x00FFFFFF);
  for (Integer y = 0; y < standard.Height; ++y)
    for (Integer x = 0; x < standard.Width; ++x) {
      const size_t from = size_t(y) * size_t(standard.Width) + size_t(x);
      sheet.Pixels[size_t(y) * size_t(sheet.Width) + size_t(x)] = standard.Pixels[from];
      sheet.Pixels[size_t(y) * size_t(sheet.Width) + size_t(x + standard.Width + kGap)] = office.Pixels[from];
    }
  WriteGalleryPng(sheet, "db-editors.png");
}

}  // namespace
