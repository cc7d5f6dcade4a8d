// The main window's board drawing: a full redraw of every cell, and one move with the
// partial redraw of the cells it changed, on boards of 10 and 20 cells a side. Moves are
// the leftmost playable cell or a random playable one; beside each move row runs the same
// moves' pixel copies alone (each redrawn cell's image copied by rows, nothing else).
#include "classlib/visual/VisualUnits.h"
#include "game/GameUnits.h"
#include "game/MainForm.h"
#include "platform/gdi/GdiObject.h"
#include "platform/host/HeadlessHost.h"
#include "platform/kernel/Clock.h"
#include "platform/kernel/Modules.h"
#include "platform/kernel/Units.h"
#include "platform/user/User.h"
#include "widgets/editcore/EditcoreUnits.h"
#include "widgets/editors/EditorsUnits.h"
#include "widgets/foundation/FoundationUnits.h"

#include <benchmark/benchmark.h>

#include <filesystem>
#include <random>
#include <vector>

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
    // The main window's pause banner is the widget library's label.
    WidgetsFoundationInitialize();
    WidgetsEditcoreInitialize();
    WidgetsEditorsInitialize();
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
    WidgetsEditorsFinalize();
    WidgetsEditcoreFinalize();
    WidgetsFoundationFinalize();
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
  struct Cell {
    Integer X, Y;
    TCellLook Look;
  };
  struct Move {
    Integer X, Y;
    std::vector<Cell> Redrawn;   // what the partial redraw after it draws
  };
  // The moves of the current game to its end, played on a copy of the board: the leftmost
  // playable cell each time, or a random playable one.
  std::vector<Move> PlanGame(bool random) {
    TBoard b = form_->GameBoard();
    std::vector<Move> moves;
    std::vector<std::pair<Integer, Integer>> playable;
    while (true) {
      playable.clear();
      for (Integer x = 0; x < b.Size; ++x)
        for (Integer y = b.Size - 1; y >= 0; --y)
          if (b.IsPlayable(x, y)) playable.emplace_back(x, y);
      if (playable.empty()) break;
      const auto [x, y] = random ? playable[rng_() % playable.size()] : playable.front();
      Move m{x, y, {}};
      b.PlayMove(x, y);
      b.DrawPass(true, [&m](Integer cx, Integer cy, TCellLook look) { m.Redrawn.push_back({cx, cy, look}); });
      moves.push_back(std::move(m));
    }
    return moves;
  }

 private:
  VirtualClock clock_;
  ClockSource* previousClock_ = nullptr;
  HeadlessHost host_;
  TMainForm* form_ = nullptr;
  std::mt19937 rng_{2024};
};

void BM_FullRedraw(benchmark::State& state) {
  Game g(Integer(state.range(0)), 4);
  for (auto _ : state) g.Form()->DrawBoard(false);
  state.SetItemsProcessed(state.iterations() * state.range(0) * state.range(0));
}
BENCHMARK(BM_FullRedraw)->Arg(10)->Arg(20);

// Arguments: board size, and 0 for the leftmost playable cell or 1 for a random one.
void BM_MoveWithPartialRedraw(benchmark::State& state) {
  Game g(Integer(state.range(0)), 4);
  const bool random = state.range(1) != 0;
  std::vector<Game::Move> moves;
  do g.NewGame();
  while ((moves = g.PlanGame(random)).empty());
  size_t next = 0, cells = 0;
  for (auto _ : state) {
    if (next == moves.size()) {
      state.PauseTiming();
      do g.NewGame();
      while ((moves = g.PlanGame(random)).empty());
      next = 0;
      state.ResumeTiming();
    }
    const Game::Move& m = moves[next++];
    cells += m.Redrawn.size();
    benchmark::DoNotOptimize(g.Form()->PlayMove(m.X, m.Y));
  }
  state.counters["cells"] = benchmark::Counter(double(cells), benchmark::Counter::kAvgIterations);
}

// The same moves' redrawn cells, each image's rows copied into a board-sized surface; the
// images are looked up before the timing.
void BM_MovePixelCopies(benchmark::State& state) {
  Game g(Integer(state.range(0)), 4);
  const bool random = state.range(1) != 0;
  const Integer side = g.Form()->CellWidth;
  Surface board(Integer(state.range(0)) * side, Integer(state.range(0)) * side);
  struct Copy {
    const Surface* Image;
    Integer X, Y;
  };
  std::vector<std::vector<Copy>> moves;
  auto plan = [&] {
    moves.clear();
    std::vector<Game::Move> planned;
    do g.NewGame();
    while ((planned = g.PlanGame(random)).empty());
    for (const Game::Move& m : planned) {
      std::vector<Copy>& copies = moves.emplace_back();
      for (const Game::Cell& c : m.Redrawn)
        if (TBitmap* b = g.Form()->CellImage(c.Look.Colour, c.Look.Mask))
          copies.push_back({BitmapFromHandle(b->GetHandle())->Pixels.get(), c.X * side, c.Y * side});
    }
  };
  plan();
  size_t next = 0, cells = 0;
  for (auto _ : state) {
    if (next == moves.size()) {
      state.PauseTiming();
      plan();
      next = 0;
      state.ResumeTiming();
    }
    cells += moves[next].size();
    for (const Copy& c : moves[next]) board.CopyFrom(*c.Image, c.Image->Bounds(), c.X, c.Y);
    ++next;
    benchmark::ClobberMemory();
  }
  state.counters["cells"] = benchmark::Counter(double(cells), benchmark::Counter::kAvgIterations);
}

BENCHMARK(BM_MoveWithPartialRedraw)->Args({10, 0});
BENCHMARK(BM_MovePixelCopies)->Args({10, 0});
BENCHMARK(BM_MoveWithPartialRedraw)->Args({20, 0});
BENCHMARK(BM_MovePixelCopies)->Args({20, 0});
BENCHMARK(BM_MoveWithPartialRedraw)->Args({20, 1});
BENCHMARK(BM_MovePixelCopies)->Args({20, 1});

}  // namespace
