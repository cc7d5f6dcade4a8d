// The high-scores window on files of 100 to 10,000 stored games of one shape: reading the
// file (one parse per INI object), filling the grid from what was read, and one paint of
// the grid, which draws only the rows in view whatever the row count.
#include "bench/BenchDesktop.h"
#include "classlib/core/IniFiles.h"
#include "game/GameForms.h"
#include "game/GameUnits.h"
#include "game/HighScoresForm.h"
#include "platform/kernel/Modules.h"
#include "widgets/editors/EditorsUnits.h"

#include <benchmark/benchmark.h>

#include <filesystem>
#include <fstream>
#include <vector>

namespace {

namespace fs = std::filesystem;

// A desktop with the high-scores window made, reading a highscores.ini of `games` entries.
class Scores {
 public:
  explicit Scores(int games) : desktop_(BenchUnits::Editcore) {
    WidgetsEditorsInitialize();
    GameInitialize();
    dir_ = fs::temp_directory_path() / ("tl-bench-scores-" + std::to_string(games));
    fs::create_directories(dir_);
    std::ofstream out(dir_ / "highscores.ini", std::ios::trunc);
    out << "[10,4]\n";
    for (int i = 0; i < games; ++i)
      out << i << "=" << (i % 40) << ",Player" << i << ",(0,9)(3,4)(1,1)(2,7)(5,5)(0,0)(4,2)(6,1)\n";
    out.close();
    SetProgramPath((dir_ / "tessaloom").string());
    Application->CreateForm(HighScoresForm);
    HighScoresForm->Show();
    Application->ProcessMessages();
  }
  ~Scores() {
    HighScoresForm->Free();
    SetProgramPath("");
    GameFinalize();
    WidgetsEditorsFinalize();
    fs::remove_all(dir_);
  }
  String File() const { return (dir_ / "highscores.ini").string(); }

 private:
  BenchDesktop desktop_;
  fs::path dir_;
};

void BM_ReadTheFile(benchmark::State& state) {
  Scores s(int(state.range(0)));
  std::vector<String> entries;
  for (auto _ : state) {
    Owned<TIniFile> ini(New<TIniFile>(s.File()));
    ini->ReadSectionValues("10,4", entries);
    benchmark::DoNotOptimize(entries.data());
  }
  state.SetItemsProcessed(state.iterations() * state.range(0));
}

void BM_FillTheGrid(benchmark::State& state) {
  Scores s(int(state.range(0)));
  for (auto _ : state) benchmark::DoNotOptimize(HighScoresForm->FillSizeCombo(10, 4));
  state.SetItemsProcessed(state.iterations() * state.range(0));
}

void BM_PaintTheGrid(benchmark::State& state) {
  Scores s(int(state.range(0)));
  HighScoresForm->FillSizeCombo(10, 4);
  for (auto _ : state) {
    HighScoresForm->sgRes->Invalidate();
    HighScoresForm->sgRes->Update();
  }
  state.counters["rows_painted"] = double(HighScoresForm->sgRes->RowsPainted());
}

BENCHMARK(BM_ReadTheFile)->Arg(100)->Arg(10000)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_FillTheGrid)->Arg(100)->Arg(10000)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_PaintTheGrid)->Arg(100)->Arg(10000)->Unit(benchmark::kMicrosecond);

}  // namespace
