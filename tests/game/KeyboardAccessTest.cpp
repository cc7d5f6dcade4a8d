// The game by the keyboard alone: Alt with a menu's underlined letter opens that menu, and
// Alt with a button's underlined letter presses it in a dialog whichever control has the
// focus; F10 and letters still work.
#include "game/InfoForms.h"
#include "game/ResultForm.h"
#include "tests/game/GameFolderTest.h"

#include <gtest/gtest.h>

#include <tuple>

namespace {

class KeyboardAccessTest : public GameFolderTest {
 protected:
  KeyboardAccessTest() : GameFolderTest("tl-keys-") {}
  void SetUp() override {
    GameFolderTest::SetUp();
    ShowGameForms();
  }
  TBoard& Board() { return form_->GameBoard(); }
  void Alt(int Key) {
    host().KeyDown(VK_MENU);
    host().Key(Key);
    host().KeyUp(VK_MENU);
  }
};

TEST_F(KeyboardAccessTest, AltAndAMenusLetterOpensThatMenu) {
  // Alt+H, then A: About, from the Help menu. Alt+O presses its "&OK".
  bool about = false;
  host().WhenIdle([&] { host().Key('A'); });
  host().WhenIdle([&] {
    about = FormAbout->Showing();
    Alt('O');
  });
  Alt('H');
  Pump();
  EXPECT_TRUE(about);
  EXPECT_FALSE(FormAbout->Showing());
  EXPECT_EQ(host().PendingScripts(), 0u);

  // Alt+G, then P: the Game menu's Pause (the box paused the game: this resumes it).
  // F10, Down, P: the same, pausing again.
  ASSERT_TRUE(Board().Paused);
  host().WhenIdle([&] { host().Key('P'); });
  Alt('G');
  Pump();
  EXPECT_FALSE(Board().Paused);
  host().WhenIdle([&] { host().Key(VK_DOWN); });
  host().WhenIdle([&] { host().Key('P'); });
  host().Key(VK_F10);
  Pump();
  EXPECT_TRUE(Board().Paused);
}

TEST_F(KeyboardAccessTest, AltAndAButtonsLetterPressesItWhileTheNameFieldHasTheFocus) {
  // "&Close" from the name field: the typed name is stored.
  Board().Moves = "(0,9)";
  bool focusInName = false;
  host().WhenIdle([&] {
    focusInName = ResultForm->eName->IsFocused();
    host().Text("Ann");
    Alt('C');
  });
  form_->GameFinished(Board().GameNumber, 3, 75);
  Pump();
  EXPECT_TRUE(focusInName);
  EXPECT_FALSE(ResultForm->Showing());
  EXPECT_EQ(FileText("highscores.ini"), "[10,4]\n2611=3,Ann,(0,9)\n");

  // "&Try again": the same game again, recorded from its start.
  Board().Moves = "(1,1)";
  host().WhenIdle([&] { Alt('T'); });
  form_->GameFinished(Board().GameNumber, 5, 75);
  Pump();
  EXPECT_EQ(std::tuple(ResultForm->Showing(), Board().GameNumber, Board().Moves, Board().Recording),
            std::tuple(false, 2611, String(), true));
}

}  // namespace
