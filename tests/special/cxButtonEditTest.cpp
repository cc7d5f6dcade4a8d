// The button edit: its default ellipsis button, buttons read from a window description
// replacing it, and clicks reaching the application per button, by the click key and by a
// caption's hot key.
#include "tests/special/SpecialTestSupport.h"
#include "widgets/editcore/cxEditRegisteredRepositoryItems.h"
#include "widgets/special/cxButtonEdit.h"

namespace {

using K = TcxEditButtonKind;

class TClickLog : public TObject {
 public:
  void HClick(TObject* Sender, Integer AButtonIndex) {
    Clicks.push_back(AButtonIndex);
    LastSender = Sender;
  }
  std::vector<Integer> Take() { return std::exchange(Clicks, {}); }
  std::vector<Integer> Clicks;
  TObject* LastSender = nullptr;
};

class ButtonEdit : public SpecialDialogTest {
 protected:
  TcxButtonEdit* Add() {
    auto* e = New<TcxButtonEdit>(form);
    e->SetBounds(10, 10, 160, 21);
    e->SetParent(form);
    e->GetButtonEditProperties()->OnButtonClick = {&log, &TClickLog::HClick};
    return e;
  }
  void ClickButton(TcxButtonEdit* e, Integer AIndex) {
    for (const auto& b : e->EditViewInfo()->ButtonsInfo) {
      if (b->ButtonIndex != AIndex) continue;
      const TRect r = b->Bounds;
      const Integer x = (r.Left + r.Right) / 2, y = (r.Top + r.Bottom) / 2;
      host().MouseDown(e->GetHandle(), x, y);
      host().MouseUp(e->GetHandle(), x, y);
      Pump();
      return;
    }
    ADD_FAILURE() << "no visible button " << AIndex;
  }
  TClickLog log;
  using L = std::vector<Integer>;
};

TEST_F(ButtonEdit, ANewEditHasOneEllipsisButton) {
  TcxButtonEdit* e = Add();
  TcxEditButtons* buttons = e->GetButtonEditProperties()->GetButtons();
  ASSERT_EQ(buttons->Count(), 1);
  EXPECT_EQ(buttons->Items(0)->GetKind(), K::bkEllipsis);
  EXPECT_TRUE(e->GetButtonEditProperties()->GetValidateOnEnter());
  EXPECT_EQ(e->GetButtonEditProperties()->GetClickKey(), TShortCut(scCtrl | VK_RETURN));
  // Buttons but no popup: of the editor's own style values only the popup border is unused.
  EXPECT_EQ(e->GetUnusedStyleValues(), TcxContainerStyleValues({svPopupBorderStyle}));

  TcxRegisteredClasses* r = GetRegisteredEditProperties();
  EXPECT_EQ(r->GetNameByClass(&TcxButtonEditProperties::StaticClass()), "ButtonEdit");
  EXPECT_EQ(r->GetDescriptionByClass(&TcxButtonEditProperties::StaticClass()),
            "Represents an edit control with embedded buttons");
}

TEST_F(ButtonEdit, StoredButtonsReplaceTheDefaultOne) {
  const char* text =
      "object dlg: TForm\n"
      "  object two: TcxButtonEdit\n"
      "    Properties.Buttons = <\n"
      "      item Kind = bkGlyph end\n"
      "      item Caption = '&Go' Kind = bkText end>\n"
      "  end\n"
      "  object none: TcxButtonEdit\n"
      "    Properties.ReadOnly = True\n"
      "  end\n"
      "end\n";
  TForm* dialog = ReadDialog(text);
  auto* two = dynamic_cast<TcxButtonEdit*>(dialog->FindComponent("two"));
  auto* none = dynamic_cast<TcxButtonEdit*>(dialog->FindComponent("none"));
  ASSERT_NE(two, nullptr);
  ASSERT_NE(none, nullptr);
  TcxEditButtons* b = two->GetButtonEditProperties()->GetButtons();
  ASSERT_EQ(b->Count(), 2);
  EXPECT_EQ(b->Items(0)->GetKind(), K::bkGlyph);
  EXPECT_EQ(b->Items(1)->GetKind(), K::bkText);
  EXPECT_EQ(b->Items(1)->GetCaption(), "&Go");
  // A description that stored no buttons loads none: the writer leaves an empty list out.
  EXPECT_EQ(none->GetButtonEditProperties()->GetButtons()->Count(), 0);
  dialog->Free();
}

TEST_F(ButtonEdit, EachButtonReportsItsOwnIndex) {
  TcxButtonEdit* e = Add();
  TcxEditButtons* buttons = e->GetButtonEditProperties()->GetButtons();
  buttons->Add()->SetKind(K::bkText);
  buttons->Add()->SetKind(K::bkDown);
  Show();
  for (Integer i : {2, 0, 1}) ClickButton(e, i);
  EXPECT_EQ(log.Take(), L({2, 0, 1}));
  EXPECT_EQ(log.LastSender, e);
  // A disabled button takes no click.
  buttons->Items(1)->SetEnabled(false);
  Pump();
  ClickButton(e, 1);
  EXPECT_EQ(log.Take(), L{});
}

TEST_F(ButtonEdit, TheClickKeyClicksTheDefaultButtonAndAHotKeyItsOwn) {
  TcxButtonEdit* e = Add();
  TcxEditButtons* buttons = e->GetButtonEditProperties()->GetButtons();
  // Run-time buttons are no default one until marked so.
  buttons->Items(0)->SetDefault(true);
  TcxEditButton* go = buttons->Add();
  go->SetKind(K::bkText);
  go->SetCaption("&Go");
  Show();
  e->SetFocus();
  Pump();
  host().KeyDown(VK_CONTROL);
  host().Key(VK_RETURN);
  host().KeyUp(VK_CONTROL);
  Pump();
  EXPECT_EQ(log.Take(), L({0}));

  // Another default button takes the click key over; another key can be set.
  go->SetDefault(true);
  e->GetButtonEditProperties()->SetClickKey(TShortCut(VK_F4));
  host().Key(VK_F4);
  Pump();
  EXPECT_EQ(log.Take(), L({1}));
  host().KeyDown(VK_CONTROL);
  host().Key(VK_RETURN);
  host().KeyUp(VK_CONTROL);
  Pump();
  EXPECT_EQ(log.Take(), L{});

  // The caption's hot letter, in either case, clicks that button.
  EXPECT_EQ(e->Perform(CM_DIALOGCHAR, 'g', 0), 1);
  EXPECT_EQ(e->Perform(CM_DIALOGCHAR, 'x', 0), 0);
  EXPECT_EQ(log.Take(), L({1}));
  EXPECT_EQ(e->InnerTextEdit()->GetText(), "");
}

}  // namespace
