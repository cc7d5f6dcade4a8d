// The high-scores window on crafted highscores.ini files: the shapes listed, the grid of a
// shape's games, the popup menu on the right-clicked row and what the main window does with
// the choice; hostile files neither stop it nor show an error.
#include "game/StoredFiles.h"
#include "tests/game/GameFolderTest.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <random>
#include <tuple>

namespace {

using Rows = std::vector<std::vector<String>>;

class HighScoresWindowTest : public GameFolderTest {
 protected:
  HighScoresWindowTest() : GameFolderTest("tl-scores-") {}
  void SetUp() override {
    GameFolderTest::SetUp();
    ShowGameForms();
  }
  TBoard& Board() { return form_->GameBoard(); }
  THighScoresForm* W() { return HighScoresForm; }
  Rows Grid() {
    Rows r;
    for (Integer y = 0; y < W()->sgRes->GetRowCount(); ++y)
      r.push_back({W()->sgRes->Cells(0, y), W()->sgRes->Cells(1, y), W()->sgRes->Cells(2, y)});
    return r;
  }
  // The middle of a grid row on screen (row 0 is the header).
  void RightClickRow(Integer Row) {
    host().Click(W()->sgRes->GetHandle(), 30, Row * 19 + 9, MouseButton::Right);
  }
  // Opens the window from the menu; Script runs once it shows. Gives whether the
  // "no results" box showed instead.
  bool Open(std::function<void()> Script) {
    bool box = false;
    host().WhenIdle([&, Script] {
      if (W()->Showing()) {
        Script();
        return;
      }
      char text[64] = {};
      GetWindowTextA(GetActiveWindow(), text, sizeof text);
      box = String(text) == "Error";
      host().Key(VK_RETURN);
    });
    dynamic_cast<TMenuItem*>(form_->FindComponent("miHighScores"))->Click();
    Pump();
    EXPECT_EQ(host().PendingScripts(), 0u);
    return box;
  }
  // A right click on Row, then the popup's Item-th entry (1 or 2), or Escape for 0; the
  // items' enabled states are noted. Then runs once the menu has closed.
  void ChooseFromPopup(Integer Row, int Item, std::function<void()> Then = nullptr) {
    host().WhenIdle([this, Item, Then] {
      popupEnabled = {W()->miReplay->GetEnabled(), W()->miShow->GetEnabled()};
      if (Item == 0) {
        host().Key(VK_ESCAPE);
      } else {
        for (int i = 0; i < Item; ++i) host().Key(VK_DOWN);
        host().Key(VK_RETURN);
      }
      if (Then) host().WhenIdle(Then);
    });
    RightClickRow(Row);
  }
  // A move list of `n` moves of a game, from its start.
  static String MovesOf(Integer Size, Integer Colors, Integer Number, int n) {
    TBoard b;
    b.Size = Size;
    b.Colors = Colors;
    b.GameNumber = Number;
    b.StartGame(true);
    for (int i = 0; i < n; ++i)
      for (Integer x = 0, done = 0; x < b.Size && !done; ++x)
        for (Integer y = 0; y < b.Size && !done; ++y)
          if (b.IsPlayable(x, y)) done = b.PlayMove(x, y);
    return b.Moves;
  }
  std::pair<bool, bool> popupEnabled{true, true};
};

const char* const kScores =
    "[10,4]\n2611=3,Ann,(0,9)(3,4)\n15=12\nx=4,Bob,(1,1)\n"
    "[garbage\n1=1,A,\n"
    "[30,4]\n1=1,Big,\n"
    "[6,3]\n7=5,Cy,(1,1),(2,2)\n"
    "[8,2]\n"
    "[abc]\n";

TEST_F(HighScoresWindowTest, TheSizeListKeepsReadableShapesInFileOrderAndTheGridTheirGames) {
  WriteFile("highscores.ini", kScores);
  const std::vector<String> items{"Size: 10, Colors: 4", "Size: 6, Colors: 3", "Size: 8, Colors: 2"};
  ASSERT_TRUE(W()->FillSizeCombo(6, 3));
  EXPECT_EQ(W()->SizeItems(), items);
  EXPECT_EQ(std::tuple(W()->SizeIndex(), W()->SelectedSize, W()->SelectedColors), std::tuple(1, 6, 3));
  EXPECT_EQ(Grid(), (Rows{{"Game#", "Name", "Result"}, {"7", "Cy", "5"}}));
  // No stored shape matches: the first. A value without commas shows neither name nor result.
  ASSERT_TRUE(W()->FillSizeCombo(7, 7));
  EXPECT_EQ(W()->SizeIndex(), 0);
  EXPECT_EQ(Grid(), (Rows{{"Game#", "Name", "Result"}, {"2611", "Ann", "3"}, {"15", "", ""}, {"x", "Bob", "4"}}));
  EXPECT_EQ(W()->sgRes->GetRow(), 1);
  // Chosen in the size list: a shape without games, the header alone, no row selected.
  W()->cbSize->SetItemIndex(2);
  EXPECT_EQ(Grid(), (Rows{{"Game#", "Name", "Result"}}));
  EXPECT_EQ(std::pair(W()->sgRes->GetFixedRows(), W()->sgRes->GetRow()), std::pair(1, -1));
  // Shown again after the file changed, the same shape shows what the file now holds.
  ASSERT_TRUE(W()->FillSizeCombo(8, 2));
  WriteFile("highscores.ini", std::string(kScores) + "[8,2]\n42=2,Dee,(0,0)\n");
  ASSERT_TRUE(W()->FillSizeCombo(8, 2));
  EXPECT_EQ(Grid(), (Rows{{"Game#", "Name", "Result"}, {"42", "Dee", "2"}}));
  // The shapes stored in another order: the first item is another shape now, which the
  // list shows and the grid and the selection follow.
  ASSERT_TRUE(W()->FillSizeCombo(7, 7));
  WriteFile("highscores.ini", "[6,3]\n2=2,B,\n[10,4]\n1=1,A,\n");
  ASSERT_TRUE(W()->FillSizeCombo(7, 7));
  EXPECT_EQ(std::tuple(W()->cbSize->GetText(), W()->SelectedSize, W()->SelectedColors),
            std::tuple(String("Size: 6, Colors: 3"), 6, 3));
  EXPECT_EQ(Grid(), (Rows{{"Game#", "Name", "Result"}, {"2", "B", "2"}}));
  // Nothing readable: no list.
  WriteFile("highscores.ini", "[garbage\n[30,4]\n1=1,Big,\n[5,9]\n");
  EXPECT_FALSE(W()->FillSizeCombo(10, 4));
  EXPECT_TRUE(W()->SizeItems().empty());
}

TEST_F(HighScoresWindowTest, WithNoResultsTheMainWindowSaysSoAndTheGameStaysPaused) {
  EXPECT_TRUE(Open([] {}));
  EXPECT_TRUE(Board().Paused);
  WriteFile("highscores.ini", "[30,4]\n1=1,Big,\n");
  EXPECT_TRUE(Open([] {}));
  // With results, Close changes nothing and the game stays paused.
  WriteFile("highscores.ini", kScores);
  const Integer number = Board().GameNumber;
  EXPECT_FALSE(Open([&] { host().Key(VK_RETURN); }));
  EXPECT_EQ(std::tuple(Board().Paused, Board().GameNumber, Integer(Board().Size)), std::tuple(true, number, 10));
}

TEST_F(HighScoresWindowTest, ThePopupActsOnTheRightClickedRowAndTakesOverItsShape) {
  const String moves = MovesOf(6, 3, 7, 2);
  WriteFile("highscores.ini", "[10,4]\n2611=3,Ann,(0,9)\n[6,3]\n9=\nabc=1,Zed,\n7=5,Cy," + moves + "\n");
  form_->ChooseSettings(12, 5);

  // The header and the room below the last row offer nothing; Escape and Close keep all.
  std::pair<bool, bool> onHeader{true, true}, belowRows{true, true};
  EXPECT_FALSE(Open([&] {
    W()->SelectSize(1);
    ChooseFromPopup(0, 0, [&] {
      onHeader = popupEnabled;
      ChooseFromPopup(6, 0, [&] {
        belowRows = popupEnabled;
        host().Key(VK_RETURN);
      });
    });
  }));
  EXPECT_EQ(onHeader, std::pair(false, false));
  EXPECT_EQ(belowRows, std::pair(false, false));
  EXPECT_EQ(std::pair(Integer(Board().Size), Board().Paused), std::pair(10, true));

  // "Show me how" on a game stored with an empty value starts nothing and keeps the
  // board's shape, but the choice of a game still ends the pause: the game goes on.
  const String before = Board().Moves;
  EXPECT_FALSE(Open([&] {
    W()->SelectSize(1);
    ChooseFromPopup(1, 2);
  }));
  EXPECT_EQ(popupEnabled, std::pair(true, true));
  EXPECT_EQ(std::tuple(Integer(Board().Size), Integer(Board().Colors), Board().Paused, Board().GameNumber, Board().Moves),
            std::tuple(10, 4, false, 2611, before));
  EXPECT_EQ(FileText("config.ini"), "[Settings]\nSize=12\nColors=5\n");

  // "Show me how" on the third row: the window takes its shape, stores it and replays the
  // moves unrecorded.
  EXPECT_FALSE(Open([&] {
    W()->SelectSize(1);
    ChooseFromPopup(3, 2);
  }));
  EXPECT_EQ(W()->sgRes->GetRow(), 3);
  EXPECT_EQ(std::tuple(Integer(Board().Size), Integer(Board().Colors), Board().GameNumber, Board().Moves,
                       Board().Recording, Board().Paused),
            std::tuple(6, 3, 7, moves, false, false));
  EXPECT_EQ(std::pair(form_->GetClientWidth(), form_->GetClientHeight()), std::pair(150, 150 + 19));
  EXPECT_EQ(FileText("config.ini"), "[Settings]\nSize=6\nColors=3\n");
  // The settings chosen before still wait for the next new game.
  EXPECT_EQ(std::tuple(form_->SettingsPending, form_->PendingSize, form_->PendingColors), std::tuple(true, 12, 5));

  // "Re-play" of a key that is no number: game 0 of that shape, recorded; the shape is the
  // board's already, so config.ini is not written.
  std::filesystem::remove(dir_ / "config.ini");
  EXPECT_FALSE(Open([&] { ChooseFromPopup(2, 1); }));
  EXPECT_EQ(std::tuple(Board().GameNumber, Board().Recording, Board().Moves, Board().Paused),
            std::tuple(0, true, String(), false));
  EXPECT_FALSE(std::filesystem::exists(dir_ / "config.ini"));
}

TEST_F(HighScoresWindowTest, HostileFilesAreListedWithoutAnErrorAndLeftAsTheyWere) {
  // Binary garbage: whatever reads as a shape is listed, nothing more.
  std::mt19937 rng(36);
  std::string garbage;
  for (int i = 0; i < 20000; ++i) garbage.push_back(char(rng() % 256));
  garbage += "\n[10,4]\n5=1,Ok,\n";
  WriteFile("highscores.ini", garbage);
  ASSERT_TRUE(W()->FillSizeCombo(10, 4));
  EXPECT_EQ(W()->SizeItems()[size_t(W()->SizeIndex())], "Size: 10, Colors: 4");
  EXPECT_EQ(FileText("highscores.ini"), garbage);

  // Duplicate sections are one shape, and a duplicate key shows its first value.
  WriteFile("highscores.ini", "[10,4]\n1=1,A,\n1=2,B,\n[6,3]\n[10,4]\n2=3,C,\n1=9,D,\n");
  ASSERT_TRUE(W()->FillSizeCombo(10, 4));
  EXPECT_EQ(W()->SizeItems(), (std::vector<String>{"Size: 10, Colors: 4", "Size: 6, Colors: 3"}));
  EXPECT_EQ(Grid(), (Rows{{"Game#", "Name", "Result"}, {"1", "A", "1"}, {"2", "C", "3"}}));

  // Thousands of games, in a read-only file: all listed; a paint draws only the rows in view.
  std::string many = "[10,4]\n";
  for (int i = 0; i < 5000; ++i) many += std::to_string(i) + "=" + std::to_string(i % 50) + ",P" + std::to_string(i) + ",(0,0)\n";
  WriteFile("highscores.ini", many);
  chmod((dir_ / "highscores.ini").c_str(), 0444);
  EXPECT_FALSE(Open([&] {
    EXPECT_EQ(W()->sgRes->GetRowCount(), 5001);
    EXPECT_LE(W()->sgRes->RowsPainted(), W()->sgRes->VisibleRowCount() + 2);
    W()->sgRes->SetFocus();
    host().Key(VK_END);
    Pump();
    const Integer last = W()->sgRes->GetTopRow() + W()->sgRes->VisibleRowCount() - 1;
    EXPECT_EQ(std::tuple(W()->sgRes->GetRow(), last, W()->sgRes->Cells(1, 5000)), std::tuple(5000, 5000, String("P4999")));
    host().Key(VK_RETURN);
  }));
  EXPECT_EQ(FileText("highscores.ini"), many);
}

}  // namespace
