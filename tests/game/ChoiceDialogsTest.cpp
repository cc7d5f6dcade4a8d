// The settings and number dialogs through the main window's commands: what they show, what
// OK, Cancel and "Restore Defaults" do, and values typed past their ranges.
#include "tests/game/GameFolderTest.h"

#include <gtest/gtest.h>

#include <tuple>

namespace {

class ChoiceDialogsTest : public GameFolderTest {
 protected:
  ChoiceDialogsTest() : GameFolderTest("tl-choice-") {}
  void SetUp() override {
    GameFolderTest::SetUp();
    ShowGameForms();
  }
  TBoard& Board() { return form_->GameBoard(); }
  void Menu(const char* Name) { dynamic_cast<TMenuItem*>(form_->FindComponent(Name))->Click(); }
  // Runs a menu command whose dialog Script answers once it shows.
  void Answer(const char* Item, std::function<void()> Script) {
    host().WhenIdle(std::move(Script));
    Menu(Item);
    Pump();
    EXPECT_EQ(host().PendingScripts(), 0u);
  }
  // Replaces what a focused spin edit shows by typing.
  void Type(const String& Text) {
    for (int i = 0; i < 6; ++i) host().Key(VK_BACK);
    host().Key(VK_END);
    for (int i = 0; i < 6; ++i) host().Key(VK_BACK);
    host().Text(Text);
  }
  static Integer Int(TcxSpinEdit* Edit) { return Edit->GetValue().AsInteger(); }
};

TEST_F(ChoiceDialogsTest, SettingsShowTheBoardsShapeAndCancelOrDefaultsChangeNothingStored) {
  WriteFile("config.ini", "[Settings]\nSize=7\nColors=3\n");
  form_->Free();
  form_ = nullptr;
  Application->CreateForm(form_);
  form_->Show();
  Pump();
  std::tuple<Integer, Integer, bool> shown;
  Answer("miSettings", [&] {
    shown = {Int(FormSettings->seSize), Int(FormSettings->seColors), FormSettings->Showing()};
    FormSettings->bDefaults->Click();
    EXPECT_EQ(std::pair(Int(FormSettings->seSize), Int(FormSettings->seColors)), std::pair(10, 4));
    host().Key(VK_ESCAPE);
  });
  EXPECT_EQ(shown, std::tuple(7, 3, true));
  EXPECT_EQ(FileText("config.ini"), "[Settings]\nSize=7\nColors=3\n");
  EXPECT_EQ(std::tuple(form_->SettingsPending, Board().Paused), std::tuple(false, true));

  // OK keeps the choice for the next new game and stores it at once; a value typed past
  // the range and confirmed by Enter reaches neither the board nor the file.
  Answer("miSettings", [&] {
    FormSettings->seSize->SetFocus();
    Type("25");
    host().Key(VK_RETURN);
  });
  EXPECT_EQ(std::pair(form_->SettingsPending, form_->PendingColors), std::pair(true, 3));
  // Taken as typed and brought to the nearest end of the range, not the old value.
  EXPECT_EQ(form_->PendingSize, 20);
  EXPECT_EQ(FileText("config.ini"), "[Settings]\nSize=20\nColors=3\n");
  Answer("miSettings", [&] {
    FormSettings->seColors->SetFocus();
    Type("1");
    host().Key(VK_RETURN);
  });
  // Below the range: the lower end (the size shown again is the running board's).
  EXPECT_EQ(std::pair(form_->PendingSize, form_->PendingColors), std::pair(7, 2));
  EXPECT_EQ(Integer(Board().Size), 7);
  Answer("miSettings", [&] {
    FormSettings->bDefaults->Click();
    host().Key(VK_RETURN);
  });
  EXPECT_EQ(FileText("config.ini"), "[Settings]\nSize=10\nColors=4\n");
}

TEST_F(ChoiceDialogsTest, TheNumberDialogShowsTheCurrentNumberAndStartsTheChosenGame) {
  Integer shown = -1;
  Answer("miNewNumber", [&] {
    shown = Int(NumberForm->eNumber);
    host().Key(VK_ESCAPE);
  });
  EXPECT_EQ(shown, 2611);
  EXPECT_EQ(Board().GameNumber, 2611);
  // Pending settings apply with the chosen game, which starts recorded and unpaused.
  form_->ChooseSettings(6, 2);
  Menu("miPause");
  Answer("miNewNumber", [&] {
    NumberForm->eNumber->SetFocus();
    Type("0");
    host().Key(VK_RETURN);
  });
  EXPECT_EQ(std::tuple(Board().GameNumber, Integer(Board().Size), Integer(Board().Colors), Board().Recording,
                       Board().Paused),
            std::tuple(0, 6, 2, true, false));
  // Typed past 9999: a number of the range all the same.
  Answer("miNewNumber", [&] {
    EXPECT_EQ(Int(NumberForm->eNumber), 0);
    NumberForm->eNumber->SetFocus();
    Type("123456");
    host().Key(VK_RETURN);
  });
  EXPECT_EQ(Board().GameNumber, 9999);
}

// The number field has the focus as the dialog opens, its text selected: what is typed
// replaces the number shown.
TEST_F(ChoiceDialogsTest, TypingIntoTheNumberDialogReplacesTheNumberShown) {
  Answer("miNewNumber", [&] {
    host().Text("42");
    host().Key(VK_RETURN);
  });
  EXPECT_EQ(Board().GameNumber, 42);
  Answer("miNewNumber", [&] {
    host().Text("7");
    host().Key(VK_RETURN);
  });
  EXPECT_EQ(Board().GameNumber, 7);
}

}  // namespace

namespace {

using Look = std::pair<TcxLookAndFeelKind, bool>;
Look LookOf(TcxLookAndFeel* L) { return {L->GetKind(), L->GetNativeStyle()}; }
Look Of(TComponent* Form, const char* Name) {
  TComponent* c = Form->FindComponent(Name);
  if (auto* b = dynamic_cast<TcxButton*>(c)) return LookOf(b->GetLookAndFeel());
  if (auto* e = dynamic_cast<TcxContainer*>(c)) return LookOf(e->GetStyle()->GetLookAndFeel());
  ADD_FAILURE() << Name << " is no widget";
  return {};
}

TEST_F(ChoiceDialogsTest, EveryDialogButtonAndEverySettingsControlHasTheStandardNativeLook) {
  const Look standard{TcxLookAndFeelKind::lfStandard, true};
  for (const char* name : {"cxGroupBox1", "cxLabel1", "seSize", "cxLabel2", "seColors", "bDefaults", "bOK", "bCancel"})
    EXPECT_EQ(Of(FormSettings, name), standard) << "settings " << name;
  for (const char* name : {"bOK", "bCancel"}) EXPECT_EQ(Of(NumberForm, name), standard) << "number " << name;
  for (const char* name : {"bHow", "bOK", "bRepeat"}) EXPECT_EQ(Of(ResultForm, name), standard) << "result " << name;
  EXPECT_EQ(Of(HighScoresForm, "bOK"), standard);
  EXPECT_EQ(Of(FormAbout, "bOK"), standard);
  EXPECT_EQ(Of(HowToForm, "bOK"), standard);
}

}  // namespace
