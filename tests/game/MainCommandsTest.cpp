// The main window's menu and commands on the headless host: shortcuts (and their silence
// under a modal dialog), the clock and the pause on the virtual clock, settings that wait
// for the next new game, and replays with Sleep taking no real time.
#include "classlib/core/IniFiles.h"
#include "tests/game/GameFolderTest.h"
#include "game/MainForm.h"
#include "platform/kernel/Modules.h"
#include "platform/kernel/Random.h"
#include "tests/support/AppTest.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <functional>
#include <tuple>
#include <vector>

namespace {

// What a timer of the platform runs once, in the middle of a replay's message pump.
std::function<void()> gOnTimer;
void FireOnce(HWND, UINT, UINT_PTR id, DWORD) {
  KillTimer(nullptr, id);
  auto run = std::move(gOnTimer);
  gOnTimer = nullptr;
  if (run) run();
}

class MainCommandsTest : public GameFolderTest {
 protected:
  MainCommandsTest() : GameFolderTest("tl-commands-") {}
  void SetUp() override {
    GameFolderTest::SetUp();
    ShowMainForm();
  }
  void TearDown() override {
    gOnTimer = nullptr;
    GameFolderTest::TearDown();
  }
  TBoard& Board() { return form_->GameBoard(); }
  String Panel(Integer i) { return form_->sbStatus->GetPanels()->Items(i)->GetText(); }
  TMenuItem* Item(const char* name) { return dynamic_cast<TMenuItem*>(form_->FindComponent(name)); }
  // The board's pixels as drawn, or as the screen has them.
  std::vector<Pixel> Pixels(bool presented = false) {
    HWND h = form_->GetHandle();
    const Surface shot = presented ? host().Presented(h) : host().Capture(h);
    POINT origin{0, 0};
    ClientToScreen(h, &origin);
    RECT w;
    GetWindowRect(h, &w);
    std::vector<Pixel> out;
    for (Integer y = 0; y < Board().Size * 25; ++y)
      for (Integer x = 0; x < Board().Size * 25; ++x)
        out.push_back(shot.At(origin.X - w.Left + x, origin.Y - w.Top + y) & 0xFFFFFF);
    return out;
  }
  // The first playable cell, columns outer.
  std::pair<Integer, Integer> AMove() {
    for (Integer x = 0; x < Board().Size; ++x)
      for (Integer y = 0; y < Board().Size; ++y)
        if (Board().IsPlayable(x, y)) return {x, y};
    return {-1, -1};
  }
  // Clicks `n` moves on the board and gives their list.
  String ClickMoves(int n) {
    for (int i = 0; i < n; ++i) {
      auto [x, y] = AMove();
      host().Click(form_->GetHandle(), x * 25 + 12, y * 25 + 12);
      Pump();
    }
    return Board().Moves;
  }
  // Runs `script` once, `ms` milliseconds from now, from the message pump.
  void At(DWORD ms, std::function<void()> script) {
    gOnTimer = std::move(script);
    SetTimer(nullptr, 0, ms, FireOnce);
  }

};

TEST_F(MainCommandsTest, TheMenuHoldsEveryCommandWithItsShortcut) {
  ASSERT_NE(form_->mmMain, nullptr);
  EXPECT_EQ(form_->GetMenu(), form_->mmMain);
  struct Row {
    const char* Name;
    const char* Caption;
    TShortCut Key;
  };
  const Row game[] = {{"miNew", "&New", 113},
                      {"miNewNumber", "N&ew with Number...", 0},
                      {"miRepeatLast", "&Repeat Last Game", 114},
                      {"miPause", "&Pause", 116},
                      {"N3", "-", 0},
                      {"miLastReplay", "Show &Last Game Replay", 0},
                      {"N1", "-", 0},
                      {"miHighScores", "&High Scores...", 0},
                      {"miSettings", "&Settings...", 0},
                      {"N2", "-", 0},
                      {"miExit", "E&xit", 0}};
  const Row help[] = {{"miHowToPlay", "&How To Play...", 0}, {"miAnout", "&About...", 112}};
  TMenuItem* root = form_->mmMain->Items();
  ASSERT_EQ(root->Count(), 2);
  EXPECT_EQ(std::pair(root->Items(0)->GetName(), root->Items(0)->GetCaption()), std::pair(String("miGame"), String("&Game")));
  EXPECT_EQ(std::pair(root->Items(1)->GetName(), root->Items(1)->GetCaption()), std::pair(String("miHelp"), String("&Help")));
  auto check = [](TMenuItem* menu, const Row* rows, Integer n) {
    ASSERT_EQ(menu->Count(), n);
    for (Integer i = 0; i < n; ++i) {
      TMenuItem* it = menu->Items(i);
      EXPECT_EQ(std::tuple(it->GetName(), it->GetCaption(), it->GetShortCut(), bool(it->OnClick)),
                std::tuple(String(rows[i].Name), String(rows[i].Caption), rows[i].Key, !it->IsLine()));
    }
  };
  check(root->Items(0), game, 11);
  check(root->Items(1), help, 2);
  ASSERT_NE(form_->tTimer, nullptr);
  EXPECT_EQ(std::pair(form_->tTimer->GetInterval(), form_->tTimer->GetEnabled()), std::pair(Cardinal(500), true));
  // The menu bar sits outside the client area, which stays the board and the status bar.
  EXPECT_EQ(std::pair(form_->GetClientWidth(), form_->GetClientHeight()), std::pair(250, 269));
}

TEST_F(MainCommandsTest, ShortcutsRunTheirCommandsAndNotUnderAModalDialog) {
  // F2: a number drawn from the generator seeded with the time.
  Clock().Advance(7000);
  tl_srand(Cardinal(Clock().WallTime()));
  const Integer drawn = tl_lrand() % 10000;
  host().Key(VK_F2);
  Pump();
  EXPECT_EQ(std::tuple(Board().GameNumber, Panel(2), Board().Recording), std::tuple(drawn, "Game#: " + std::to_string(drawn), true));

  // F3: the same game again from its start.
  ClickMoves(2);
  host().Key(VK_F3);
  Pump();
  EXPECT_EQ(std::pair(Board().GameNumber, Board().Moves), std::pair(drawn, String()));

  // F5 pauses and resumes; F1 pauses and leaves the game paused.
  host().Key(VK_F5);
  Pump();
  EXPECT_TRUE(Board().Paused && Item("miPause")->GetChecked());
  host().Key(VK_F5);
  Pump();
  EXPECT_FALSE(Board().Paused || Item("miPause")->GetChecked());
  host().Key(VK_F1);
  Pump();
  EXPECT_TRUE(Board().Paused);
  host().Key(VK_F2);   // a new game ends the pause
  Pump();
  EXPECT_FALSE(Board().Paused || Item("miPause")->GetChecked());

  // Show Last Game Replay with no move yet: the message box, during which no shortcut acts.
  const Integer number = Board().GameNumber;
  String caption;
  bool mainEnabled = true;
  host().WhenIdle([&] {
    char text[32] = {};
    GetWindowTextA(GetActiveWindow(), text, sizeof text);
    caption = text;
    mainEnabled = IsWindowEnabled(form_->GetHandle()) != FALSE;
    for (int key : {VK_F2, VK_F3, VK_F5, VK_F1}) host().Key(key);
    host().Key(VK_RETURN);
  });
  Item("miLastReplay")->Click();
  EXPECT_EQ(caption, "Error");
  EXPECT_FALSE(mainEnabled);
  Pump();
  EXPECT_EQ(std::pair(Board().GameNumber, Board().Paused), std::pair(number, false));
  EXPECT_EQ(host().PendingScripts(), 0u);
  // Once the box is gone the shortcuts work again.
  host().Key(VK_F5);
  Pump();
  EXPECT_TRUE(Board().Paused);
}

TEST_F(MainCommandsTest, ThePauseHidesTheBoardAndStopsTheClock) {
  EXPECT_EQ(TMainForm::ClockText(0), "0:00");
  EXPECT_EQ(TMainForm::ClockText(61), "1:01");
  EXPECT_EQ(TMainForm::ClockText(3600), "60:00");

  const std::vector<Pixel> board = Pixels();
  host().Advance(61000);
  EXPECT_EQ(Panel(1), "1:01");
  host().Advance(499);
  EXPECT_EQ(Panel(1), "1:01");

  Item("miPause")->Click();
  Pump();
  EXPECT_EQ(Panel(1), "Pause...");
  // Every cell shows empty: white, grey dots on the cross through its middle. The pause
  // banner over it has its own test.
  const std::vector<Pixel> hidden = Pixels();
  const TRect banner = form_->lPause->GetBoundsRect();
  for (Integer y = 0; y < 250; ++y)
    for (Integer x = 0; x < 250; ++x) {
      if (x >= banner.Left && x < banner.Right && y >= banner.Top && y < banner.Bottom) continue;
      const Integer dx = x % 25, dy = y % 25;
      const bool dot = (dx == 12 && dy % 2 == 0 && dy < 24) || (dy == 12 && dx % 2 == 0 && dx < 24);
      ASSERT_EQ(hidden[size_t(y * 250 + x)], dot ? 0x808080u : 0xFFFFFFu) << x << "," << y;
    }
  // Clicks play nothing while paused; five minutes pass unseen.
  auto [mx, my] = AMove();
  host().Click(form_->GetHandle(), mx * 25 + 12, my * 25 + 12);
  host().Advance(300000);
  EXPECT_EQ(std::tuple(Panel(1), Board().ElapsedSeconds, Board().Moves), std::tuple(String("Pause..."), 61, String()));

  Item("miPause")->Click();
  Pump();
  EXPECT_EQ(Panel(1), "1:01");
  EXPECT_TRUE(Pixels() == board);
  host().Advance(4000);
  EXPECT_EQ(Panel(1), "1:05");
  host().Click(form_->GetHandle(), mx * 25 + 12, my * 25 + 12);
  Pump();
  EXPECT_EQ(Board().Moves, "(" + std::to_string(mx) + "," + std::to_string(my) + ")");

  // A finished game does not pause and its clock stands.
  Board().GameOver = true;
  Item("miPause")->Click();
  host().Advance(3000);
  EXPECT_EQ(std::tuple(Board().Paused, Item("miPause")->GetChecked(), Panel(1)), std::tuple(false, false, String("1:05")));
}

TEST_F(MainCommandsTest, SettingsWaitForTheNextNewGameAndAreBroughtIntoRange) {
  // The settings command pauses the game, which stays paused.
  Item("miSettings")->Click();
  EXPECT_TRUE(Board().Paused);

  auto stored = [&] {
    Owned<TIniFile> ini(New<TIniFile>((dir_ / "config.ini").string()));
    return std::pair(ini->ReadInteger("Settings", "Size", 0), ini->ReadInteger("Settings", "Colors", 0));
  };
  form_->ChooseSettings(7, 3);
  EXPECT_EQ(stored(), std::pair(7, 3));
  EXPECT_EQ(std::pair(Integer(Board().Size), Integer(Board().Colors)), std::pair(10, 4));
  // Repeat Last keeps the running shape.
  const Integer number = Board().GameNumber;
  Item("miRepeatLast")->Click();
  EXPECT_EQ(std::tuple(Integer(Board().Size), Board().GameNumber, Board().Paused), std::tuple(10, number, false));
  // New applies them and sizes the window.
  Item("miNew")->Click();
  EXPECT_EQ(std::pair(Integer(Board().Size), Integer(Board().Colors)), std::pair(7, 3));
  EXPECT_EQ(std::pair(form_->GetClientWidth(), form_->GetClientHeight()), std::pair(175, 175 + 19));
  EXPECT_FALSE(form_->SettingsPending);

  // Values beyond the ranges reach neither the board nor the file.
  form_->ChooseSettings(25, 9);
  EXPECT_EQ(std::pair(form_->PendingSize, form_->PendingColors), std::pair(20, 8));
  form_->StartNumberedGame(123456);
  EXPECT_EQ(std::tuple(Integer(Board().Size), Integer(Board().Colors), Board().GameNumber), std::tuple(20, 8, 9999));
  form_->ChooseSettings(-3, 1);
  EXPECT_EQ(stored(), std::pair(5, 2));
  form_->StartNumberedGame(-1);
  EXPECT_EQ(std::tuple(Integer(Board().Size), Integer(Board().Colors), Board().GameNumber), std::tuple(5, 2, 0));
  // The first panel gets what is left of 125 pixels, which is nothing.
  EXPECT_EQ(form_->sbStatus->GetPanels()->Items(0)->GetWidth(), 0);
}

TEST_F(MainCommandsTest, AReplayPlaysTheLastGameAgainOneItemEveryHalfSecond) {
  const String moves = ClickMoves(3);
  Integer after[20][20];
  std::copy(&Board().Board[0][0], &Board().Board[0][0] + 400, &after[0][0]);
  const UInt64 start = Clock().Elapsed();
  Item("miLastReplay")->Click();
  EXPECT_EQ(Clock().Elapsed() - start, 1500u);
  EXPECT_EQ(std::pair(Board().Moves, Board().Recording), std::pair(moves, false));
  EXPECT_TRUE(std::equal(&after[0][0], &after[0][0] + 400, &Board().Board[0][0]));

  // Items off the board, on an empty or lone cell, or unreadable are skipped.
  form_->StartGame(false);
  auto [x, y] = AMove();
  const String first = "(" + std::to_string(x) + "," + std::to_string(y) + ")";
  form_->PlayReplay("(99,0)(-1,3)(a,b)" + first + first);
  EXPECT_EQ(Board().Moves, first);
}

TEST_F(MainCommandsTest, AReplayStopsOnPauseNewGameNewReplayAndExit) {
  const String moves = ClickMoves(4);
  auto items = [&] { return Integer(std::count(Board().Moves.begin(), Board().Moves.end(), '(')); };

  // F5 during the third wait: two moves played, the rest not waited for.
  UInt64 start = Clock().Elapsed();
  At(1200, [&] { host().Key(VK_F5); });
  Item("miLastReplay")->Click();
  EXPECT_EQ(std::tuple(items(), Board().Paused, Clock().Elapsed() - start), std::tuple(2, true, UInt64(1500)));

  // The stop is checked on unreadable items too.
  Item("miPause")->Click();
  start = Clock().Elapsed();
  At(1200, [&] { host().Key(VK_F5); });
  form_->PlayReplay("(x)(x)(x)(x)(x)(x)(x)(x)(x)(x)");
  EXPECT_EQ(Clock().Elapsed() - start, UInt64(1500));

  // A new game ends the replay: none of its items reach the new board.
  Item("miPause")->Click();
  form_->StartGame(false);
  start = Clock().Elapsed();
  At(1200, [&] { host().Key(VK_F2); });
  form_->PlayReplay(moves);
  EXPECT_EQ(std::tuple(Board().Moves, Board().Recording, Clock().Elapsed() - start),
            std::tuple(String(), true, UInt64(1500)));

  // A second replay ends the first: the first waits for none of its other items.
  form_->StartGame(false);
  start = Clock().Elapsed();
  String one;
  At(1200, [&] {
    auto [x, y] = AMove();
    one = "(" + std::to_string(x) + "," + std::to_string(y) + ")";
    form_->PlayReplay(one);
  });
  form_->PlayReplay(moves);
  EXPECT_EQ(std::pair(items(), Clock().Elapsed() - start), std::pair(3, UInt64(1500 + 500)));
  EXPECT_EQ(Board().Moves.substr(Board().Moves.size() - one.size()), one);

  // F5 twice in one wait: the pause ended the replay, though the game goes on.
  form_->StartGame(false);
  start = Clock().Elapsed();
  At(1200, [&] {
    host().Key(VK_F5);
    host().Key(VK_F5);
  });
  form_->PlayReplay(moves);
  EXPECT_EQ(std::tuple(items(), Board().Paused, Clock().Elapsed() - start), std::tuple(2, false, UInt64(1500)));

  // Exit ends it, and the program with it.
  form_->StartGame(false);
  start = Clock().Elapsed();
  At(1200, [&] { Item("miExit")->Click(); });
  form_->PlayReplay(moves);
  EXPECT_EQ(std::pair(items(), Clock().Elapsed() - start), std::pair(2, UInt64(1500)));
  EXPECT_TRUE(Application->Terminated());
}

// The clock of the test, with a look at the screen as each Sleep begins.
class WatchedClock final : public ClockSource {
 public:
  WatchedClock(VirtualClock& inner, std::function<void()> onSleep) : inner_(inner), onSleep_(std::move(onSleep)) {
    previous_ = SetClockSource(this);
  }
  ~WatchedClock() override { SetClockSource(previous_); }
  DWORD Now() override { return inner_.Now(); }
  void Sleep(DWORD ms) override {
    onSleep_();
    inner_.Sleep(ms);
  }
  std::time_t WallTime() override { return inner_.WallTime(); }

 private:
  VirtualClock& inner_;
  std::function<void()> onSleep_;
  ClockSource* previous_ = nullptr;
};

TEST_F(MainCommandsTest, AReplayShowsEachPositionThroughItsWaitAndTakesInputArrivingMeanwhile) {
  std::vector<std::vector<Pixel>> positions{Pixels()};
  for (int i = 0; i < 3; ++i) {
    ClickMoves(1);
    positions.push_back(Pixels());
  }
  // Through each wait the screen shows the position before the next move: the start, then
  // each move in turn.
  std::vector<std::vector<Pixel>> seen;
  {
    WatchedClock watch(Clock(), [&] { seen.push_back(Pixels(true)); });
    Item("miLastReplay")->Click();
  }
  ASSERT_EQ(seen.size(), 3u);
  for (size_t i = 0; i < 3; ++i) EXPECT_TRUE(seen[i] == positions[i]) << "wait " << i;
  // The last move shows once the application next handles its messages.
  Application->ProcessMessages();
  EXPECT_TRUE(Pixels(true) == positions[3]);

  // F5 reaching the host during the second wait: handled before the next move, which the
  // replay then never plays.
  const UInt64 start = Clock().Elapsed();
  host().Arrive(700, [&] { host().Key(VK_F5); });
  Item("miLastReplay")->Click();
  EXPECT_EQ(std::tuple(std::count(Board().Moves.begin(), Board().Moves.end(), '('), Board().Paused,
                       Clock().Elapsed() - start),
            std::tuple(1, true, UInt64(1000)));
}

TEST_F(MainCommandsTest, AWindowFreedDuringAReplaysWaitIsNotTouchedAgain) {
  const String moves = ClickMoves(3);
  TMainForm* form = form_;
  At(700, [&] {
    form_->Release();
    form_ = nullptr;
  });
  form->PlayReplay(moves);
  EXPECT_EQ(Screen->FormCount(), 0);
}

}  // namespace
