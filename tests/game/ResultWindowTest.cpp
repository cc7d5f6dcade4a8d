// The end of a recorded game on the headless host: the result window's texts for every
// outcome, each of its buttons and its close box, and what highscores.ini and config.ini
// hold afterwards, hostile files included.
#include "game/StoredFiles.h"
#include "tests/game/GameFolderTest.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <functional>
#include <tuple>

namespace {

// What the result window showed.
struct TSeen {
  String Game, Result, Best, Name;
  bool Repeat = false, How = false;
  bool operator==(const TSeen&) const = default;
};

std::ostream& operator<<(std::ostream& os, const TSeen& s) {
  return os << "{" << s.Game << " | " << s.Result << " | " << s.Best << " | " << s.Name << " | repeat " << s.Repeat
            << " | how " << s.How << "}";
}

class ResultWindowTest : public GameFolderTest {
 protected:
  ResultWindowTest() : GameFolderTest("tl-result-") {}
  void SetUp() override {
    GameFolderTest::SetUp();
    ShowGameForms();
  }
  TBoard& Board() { return form_->GameBoard(); }

  // Ends the running game as the end test does, answering the result window with Answer
  // once it shows; gives what it showed.
  TSeen Finish(Integer Cells, Integer Seconds, std::function<void()> Answer) {
    TSeen seen;
    bool shown = false;
    host().WhenIdle([&, Answer] {
      shown = ResultForm->Showing();
      seen = {ResultForm->lGameNum->GetCaption(), ResultForm->lResult->GetCaption(),
              ResultForm->lBestResult->GetCaption(), ResultForm->eName->GetText(),
              ResultForm->bRepeat->GetVisible(), ResultForm->bHow->GetVisible()};
      Answer();
    });
    form_->GameFinished(Board().GameNumber, Cells, Seconds);
    Pump();
    EXPECT_TRUE(shown);
    EXPECT_EQ(host().PendingScripts(), 0u);
    return seen;
  }
  void Press(TcxButton* Button) { host().Click(Button->GetHandle(), 10, 10); }
  std::function<void()> Named(const String& Name, TcxButton* Button) {
    return [=, this] {
      ResultForm->eName->SetValueText(Name);
      Press(Button);
    };
  }
  // The first `n` moves of the running game as a move list, the board left at its start.
  String SomeMoves(int n) {
    for (int i = 0; i < n; ++i)
      for (Integer x = 0, done = 0; x < Board().Size && !done; ++x)
        for (Integer y = 0; y < Board().Size && !done; ++y)
          if (Board().IsPlayable(x, y)) done = form_->PlayMove(x, y);
    const String moves = Board().Moves;
    form_->StartGame(true);
    return moves;
  }
};

TEST_F(ResultWindowTest, AFirstResultIsStoredWithTheNameTypedWhicheverButtonCloses) {
  Board().Moves = "(0,9)(3,4)";
  const TSeen seen = Finish(3, 75, Named("Ann", ResultForm->bOK));
  EXPECT_EQ(seen, (TSeen{"10*4, 2611", "3 cells in 75 seconds.", "Congratulation! You've got the best result!",
                         "Player", true, false}));
  EXPECT_EQ(FileText("highscores.ini"), "[10,4]\n2611=3,Ann,(0,9)(3,4)\n");
  EXPECT_EQ(FileText("config.ini"), "[Settings]\nName=Ann\n");
  // The window shows the stored name next time; a better result of another game by the
  // close box is stored as well, keeping the file's order.
  Board().GameNumber = 15;
  Board().Moves = "(1,1)";
  const TSeen next = Finish(1, 4, [&] { PostMessageA(ResultForm->GetHandle(), WM_CLOSE, 0, 0); });
  EXPECT_EQ(std::tuple(next.Name, next.Result, next.Repeat), std::tuple(String("Ann"), String("1 cell in 4 seconds."), true));
  EXPECT_EQ(FileText("highscores.ini"), "[10,4]\n2611=3,Ann,(0,9)(3,4)\n15=1,Ann,(1,1)\n");
  // The close box left the finished board as it was.
  EXPECT_EQ(std::pair(Board().GameNumber, Board().Moves), std::pair(15, String("(1,1)")));
}

// The name field has the focus as the window opens, its text selected: a typed name
// replaces the one shown, the first time and every time after.
TEST_F(ResultWindowTest, ANameTypedAsTheWindowOpensReplacesTheNameShown) {
  auto typed = [&](const String& Name) {
    return [=, this] {
      host().Text(Name);
      host().Key(VK_RETURN);
    };
  };
  Board().Moves = "(0,9)";
  Finish(3, 75, typed("Ann"));
  EXPECT_EQ(FileText("highscores.ini"), "[10,4]\n2611=3,Ann,(0,9)\n");
  EXPECT_EQ(FileText("config.ini"), "[Settings]\nName=Ann\n");
  Board().GameNumber = 15;
  Board().Moves = "(1,1)";
  const TSeen next = Finish(1, 4, typed("Bo"));
  EXPECT_EQ(next.Name, "Ann");
  EXPECT_EQ(FileText("highscores.ini"), "[10,4]\n2611=3,Ann,(0,9)\n15=1,Bo,(1,1)\n");
  EXPECT_EQ(FileText("config.ini"), "[Settings]\nName=Bo\n");
  // The window opened by the click of the last move, its button still held: the same.
  Board().GameNumber = 16;
  Board().Moves = "(2,2)";
  host().MouseDown(form_->sbStatus->GetHandle(), 5, 5);
  Pump();
  Finish(1, 4, typed("Cy"));
  host().MouseUp(form_->sbStatus->GetHandle(), 5, 5);
  Pump();
  EXPECT_EQ(FileText("config.ini"), "[Settings]\nName=Cy\n");
}

// Every line shows whole inside the result group and the window; the window is back to its
// designed width when the lines fit it.
TEST_F(ResultWindowTest, TheResultLinesShowWholeInsideTheGroupAndTheWindow) {
  const Integer designed = ResultForm->GetClientWidth();
  auto fits = [&] {
    const TcxLabel* line = ResultForm->lBestResult;
    const Integer right = line->GetLeft() + line->GetWidth();
    return right <= ResultForm->Result->GetWidth() - 2 &&
           ResultForm->Result->GetLeft() + ResultForm->Result->GetWidth() <= ResultForm->GetClientWidth() &&
           ResultForm->bRepeat->GetLeft() + ResultForm->bRepeat->GetWidth() <= ResultForm->GetClientWidth();
  };
  ResultForm->Prepare(10, 4, 2611, 3, 75, "Ann", TStoredResult{});
  EXPECT_EQ(ResultForm->lBestResult->GetCaption(), "Congratulation! You've got the best result!");
  EXPECT_TRUE(fits());
  TStoredResult best;
  best.Readable = true;
  best.CellsLeft = 1;
  best.Name = "Bo";
  ResultForm->Prepare(10, 4, 2611, 3, 75, "Ann", best);
  EXPECT_TRUE(fits());
  EXPECT_EQ(ResultForm->GetClientWidth(), designed);
}

TEST_F(ResultWindowTest, ATieOrAWorseResultKeepsTheStoredBestAndItsName) {
  const std::string stored = "[10,4]\r\n2611=1,Ann,(0,0)\r\n17=4,Bob,(2,2)\r\n";
  WriteFile("highscores.ini", stored);
  Board().GameNumber = 17;
  const TSeen tie = Finish(4, 30, Named("Zed", ResultForm->bOK));
  EXPECT_EQ(std::tuple(tie.Best, tie.How, tie.Repeat), std::tuple(String("You repeated the best result!"), false, true));
  Board().GameNumber = 2611;
  const TSeen worse = Finish(5, 30, Named("Zed", ResultForm->bOK));
  EXPECT_EQ(worse, (TSeen{"10*4, 2611", "5 cells in 30 seconds.", "Ann, 1 cell.", "Player", true, true}));
  // Neither wrote anything nor kept the name typed.
  EXPECT_EQ(FileText("highscores.ini"), stored);
  EXPECT_FALSE(std::filesystem::exists(dir_ / "config.ini"));
  EXPECT_EQ(form_->PlayerName, "Player");
  // A stored value that does not start with a number counts as none and is replaced.
  WriteFile("highscores.ini", "[10,4]\n2611=N/A,Ann,(0,0)\n");
  Board().Moves = "(5,5)";
  EXPECT_EQ(Finish(7, 1, Named("Eve", ResultForm->bOK)).Best, "Congratulation! You've got the best result!");
  EXPECT_EQ(FileText("highscores.ini"), "[10,4]\n2611=7,Eve,(5,5)\n");
}

TEST_F(ResultWindowTest, AResultStoredWhileTheWindowShowsIsReplacedOnlyByABetterOne) {
  // The window opens on no stored result; before it closes another running game stores
  // one for the same game. Only a strictly better result replaces it then.
  Board().Moves = "(4,4)";
  auto meanwhile = [&](const std::string& Stored) {
    return [=, this] {
      WriteFile("highscores.ini", Stored);
      ResultForm->eName->SetValueText("Zed");
      Press(ResultForm->bOK);
    };
  };
  const std::string better = "[10,4]\n2611=1,Ann,(0,0)\n";
  EXPECT_EQ(Finish(5, 9, meanwhile(better)).Best, "Congratulation! You've got the best result!");
  EXPECT_EQ(FileText("highscores.ini"), better);
  EXPECT_FALSE(std::filesystem::exists(dir_ / "config.ini"));
  EXPECT_EQ(form_->PlayerName, "Player");
  std::filesystem::remove(dir_ / "highscores.ini");
  const std::string tie = "[10,4]\n2611=5,Bob,(1,1)\n";
  Finish(5, 9, meanwhile(tie));
  EXPECT_EQ(FileText("highscores.ini"), tie);
  // A worse one stored meanwhile, or one that does not read, gives way as usual.
  std::filesystem::remove(dir_ / "highscores.ini");
  Finish(5, 9, meanwhile("[10,4]\n2611=6,Cy,(2,2)\n"));
  EXPECT_EQ(FileText("highscores.ini"), "[10,4]\n2611=5,Zed,(4,4)\n");
  EXPECT_EQ(FileText("config.ini"), "[Settings]\nName=Zed\n");
  std::filesystem::remove(dir_ / "highscores.ini");
  Finish(5, 9, meanwhile("[10,4]\n2611=x,Cy,(2,2)\n"));
  EXPECT_EQ(FileText("highscores.ini"), "[10,4]\n2611=5,Zed,(4,4)\n");
}

// A stored name far too long for any screen: the window widens no further than the work
// area, so its buttons stay on screen and a click on Close closes it.
TEST_F(ResultWindowTest, ALongStoredNameNeverPushesTheButtonsOffTheScreen) {
  const std::string stored = "[10,4]\n2611=1," + std::string(3000, 'W') + ",(0,0)\n";
  WriteFile("highscores.ini", stored);
  Integer width = 0, okRight = 0, repeatRight = 0;
  Finish(5, 9, [&] {
    width = ResultForm->GetWidth();
    okRight = ResultForm->bOK->GetLeft() + ResultForm->bOK->GetWidth();
    repeatRight = ResultForm->bRepeat->GetLeft() + ResultForm->bRepeat->GetWidth();
    Press(ResultForm->bOK);
  });
  const Integer room = Screen->WorkAreaWidth();
  EXPECT_LE(width, room);
  EXPECT_GT(width, room - 40);   // it still widens as far as it may
  EXPECT_LE(std::max(okRight, repeatRight), ResultForm->GetClientWidth());
  EXPECT_EQ(FileText("highscores.ini"), stored);
}

TEST_F(ResultWindowTest, TryAgainStoresFirstAndShowMeHowReplaysTheBestUnrecorded) {
  Board().GameNumber = 77;
  form_->StartGame(true);
  const String best = SomeMoves(3);
  Board().Moves = best;
  Finish(6, 12, [&] { Press(ResultForm->bRepeat); });
  EXPECT_EQ(FileText("highscores.ini"), "[10,4]\n77=6,Player," + best + "\n");
  EXPECT_EQ(std::tuple(Board().GameNumber, Board().Moves, Board().Recording, Board().GameOver),
            std::tuple(77, String(), true, false));

  // A worse result: "Show me how" plays the stored moves on the same game, unrecorded,
  // one every half second.
  Board().Moves = "(0,0)";
  const UInt64 start = Clock().Elapsed();
  const TSeen seen = Finish(9, 40, [&] { Press(ResultForm->bHow); });
  EXPECT_EQ(std::pair(seen.Best, seen.How), std::pair(String("Player, 6 cells."), true));
  EXPECT_EQ(std::tuple(Board().GameNumber, Board().Moves, Board().Recording), std::tuple(77, best, false));
  EXPECT_EQ(Clock().Elapsed() - start, 1500u);
  EXPECT_EQ(FileText("highscores.ini"), "[10,4]\n77=6,Player," + best + "\n");
}

TEST_F(ResultWindowTest, NamesLoseCommasAndControlCharactersAndLongValuesStayWhole) {
  String moves;
  for (int i = 0; i < 500; ++i) moves += "(" + std::to_string(i % 10) + "," + std::to_string(i % 7) + ")";
  ASSERT_GT(moves.size(), 2047u);
  Board().Moves = moves;
  Finish(2, 5, Named("Jo, the\tGreat\r\n", ResultForm->bOK));
  EXPECT_EQ(FileText("highscores.ini"), "[10,4]\n2611=2,Jo theGreat," + moves + "\n");
  EXPECT_EQ(FileText("config.ini"), "[Settings]\nName=Jo theGreat\n");
  // Read back whole.
  Owned<TIniFile> ini(New<TIniFile>((dir_ / "highscores.ini").string()));
  EXPECT_EQ(ParseStoredResult(ini->ReadString("10,4", "2611", "")).Moves, moves);
}

TEST_F(ResultWindowTest, HostileFilesNeitherStopTheGameNorLoseWhatTheyHold) {
  // Binary garbage before any section is kept as it is; the result goes after it.
  using namespace std::string_literals;
  const std::string garbage = "\x01\xff\x00[\x7f=\tjunk]]==\n\x00\x00\xfe\n=\n"s;
  WriteFile("highscores.ini", garbage);
  Board().Moves = "(1,2)";
  // A cleared board: "0 cells", and nothing to try again.
  const TSeen cleared = Finish(0, 1, Named("Ann", ResultForm->bOK));
  EXPECT_EQ(std::tuple(cleared.Result, cleared.Repeat, cleared.Best),
            std::tuple(String("0 cells in 1 seconds."), false, String("Congratulation! You've got the best result!")));
  const std::string after = FileText("highscores.ini");
  EXPECT_EQ(after.substr(0, garbage.size()), garbage);
  EXPECT_NE(after.find("[10,4]\n2611=0,Ann,(1,2)\n"), std::string::npos);

  // Duplicate sections and keys: the first one wins, and a better result replaces it.
  const std::string twice = "[10,4]\n2611=3,Ann,(0,0)\n2611=1,Bob,(1,1)\n[10,4]\n2611=0,Cy,(2,2)\n";
  WriteFile("highscores.ini", twice);
  EXPECT_EQ(Finish(2, 1, Named("Dan", ResultForm->bOK)).Best, "Congratulation! You've got the best result!");
  EXPECT_EQ(FileText("highscores.ini"), "[10,4]\n2611=2,Dan,(1,2)\n2611=1,Bob,(1,1)\n[10,4]\n2611=0,Cy,(2,2)\n");

  // A read-only file and config.ini stay as they are, and no error shows.
  WriteFile("highscores.ini", "[10,4]\n");
  WriteFile("config.ini", "[Settings]\nName=Old\n");
  chmod((dir_ / "highscores.ini").c_str(), 0444);
  chmod((dir_ / "config.ini").c_str(), 0444);
  const Integer forms = Screen->FormCount();
  EXPECT_EQ(Finish(5, 1, Named("Ann", ResultForm->bOK)).Best, "Congratulation! You've got the best result!");
  EXPECT_EQ(FileText("highscores.ini"), "[10,4]\n");
  EXPECT_EQ(FileText("config.ini"), "[Settings]\nName=Old\n");
  EXPECT_EQ(Screen->FormCount(), forms) << "no message box is left behind";
}

TEST_F(ResultWindowTest, APlayedGameEndsInTheWindowAndAReplayedOneDoesNot) {
  // Game 3 of size 10 with 4 colours, played to its end move by move; the window shows
  // once, at the move that ends it.
  Board().GameNumber = 3;
  form_->StartGame(true);
  int windows = 0;
  for (;;) {
    Integer mx = -1, my = -1;
    for (Integer x = 0; x < Board().Size && mx < 0; ++x)
      for (Integer y = 0; y < Board().Size && mx < 0; ++y)
        if (Board().IsPlayable(x, y)) mx = x, my = y;
    if (mx < 0) break;
    TBoard probe = Board();
    probe.PlayMove(mx, my);
    bool last = true;
    for (Integer x = 0; x < probe.Size && last; ++x)
      for (Integer y = 0; y < probe.Size && last; ++y) last = !probe.IsPlayable(x, y);
    if (last) host().WhenIdle([&] { ++windows, Press(ResultForm->bOK); });
    form_->PlayMove(mx, my);
  }
  Pump();
  EXPECT_EQ(windows, 1);
  const String moves = Board().Moves;
  const std::string stored = FileText("highscores.ini");
  EXPECT_EQ(stored.substr(0, 9), "[10,4]\n3=");
  // The same moves replayed end the game unrecorded: no window, nothing written.
  form_->StartGame(false);
  form_->PlayReplay(moves);
  EXPECT_TRUE(Board().GameOver);
  EXPECT_EQ(FileText("highscores.ini"), stored);
}

}  // namespace
