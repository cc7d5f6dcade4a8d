// The main window's board drawing: a full redraw of every cell, and one move with the
// partial redraw of the cells it changed, on boards of 10 and 20 cells a side.
#include "classlib/visual/VisualUnits.h"
#include "game/GameUnits.h"
#include "game/MainForm.h"
#include "platform/host/HeadlessHost.h"
#include "platform/kernel/Clock.h"
#include "platform/kernel/Modules.h"
#include "platform/kernel/Units.h"
#include "platform/user/User.h"

#include <benchmark/benchmark.h>

#include <filesystem>

namespace {

// A headless program with the main window shown, sized and started as given.
class Game {
 public:
  Game(Integer size, Integer colours) : host_(clock_) {
    previousClock_ = SetClockSource(&clock_);
    // No config.ini is read from beside the benchmark: the folder holds none.
    SetProgramPath((std::filesystem::temp_directory_path() / "tl-bench-game" / "tessaloom").string());
    PlatformKernelInitialize();
    PlatformUserInitialize();
    ClasslibVisualInitialize();
    GameInitialize();
    Application->CreateForm(form_);
    form_->Show();
    form_->GameBoard().Size = size;
    form_->GameBoard().Colors = colours;
    form_->ResizeBoard();
    Application->ProcessMessages();
  }
  ~Game() {
    form_->Free();
    GameFinalize();
    ClasslibVisualFinalize();
    PlatformUserFinalize();
    PlatformKernelFinalize();
    SetProgramPath("");
    SetClockSource(previousClock_);
  }
  TMainForm* Form() { return form_; }
  void NewGame() {
    form_->GameBoard().GameNumber = (form_->GameBoard().GameNumber + 1) % 10000;
    form_->StartGame(true);
    form_->DrawBoard(false);
  }
  // The first playable cell in column order, or false when the game is over.
  bool NextMove(Integer& x, Integer& y) {
    const TBoard& b = form_->GameBoard();
    for (x = 0; x < b.Size; ++x)
      for (y = b.Size - 1; y >= 0; --y)
        if (b.IsPlayable(x, y)) return true;
    return false;
  }

 private:
  VirtualClock clock_;
  ClockSource* previousClock_ = nullptr;
  HeadlessHost host_;
  TMainForm* form_ = nullptr;
};

void BM_FullRedraw(benchmark::State& state) {
  Game g(Integer(state.range(0)), 4);
  for (auto _ : state) g.Form()->DrawBoard(false);
  state.SetItemsProcessed(state.iterations() * state.range(0) * state.range(0));
}
BENCHMARK(BM_FullRedraw)->Arg(10)->Arg(20);

void BM_MoveWithPartialRedraw(benchmark::State& state) {
  Game g(Integer(state.range(0)), 4);
  g.NewGame();
  Integer x = 0, y = 0;
  for (auto _ : state) {
    if (!g.NextMove(x, y)) {
      state.PauseTiming();
      g.NewGame();
      g.NextMove(x, y);
      state.ResumeTiming();
    }
    benchmark::DoNotOptimize(g.Form()->PlayMove(x, y));
  }
}
BENCHMARK(BM_MoveWithPartialRedraw)->Arg(10)->Arg(20);

}  // namespace
