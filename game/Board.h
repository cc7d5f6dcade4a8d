// The game board of unit `main`: its cells, generation from a game number, groups, moves,
// falling cells, closing columns, redraw marks and the end test. `TMainForm` holds one
// `TBoard` and forwards its board fields and operations to it; drawing, the clock, the
// status bar and the result window stay with the form, which calls `DrawPass` from
// `DrawBoard` and draws what it is handed.
#pragma once

#include "game/TileTable.h"
#include "platform/kernel/Types.h"

#include <algorithm>

inline constexpr Integer MaxBoardSize = 20;   // the arrays' dimension
inline constexpr Integer MinBoardSize = 5;
inline constexpr Integer DefaultBoardSize = 10;
inline constexpr Integer MinColors = 2;
inline constexpr Integer MaxColors = 8;      // one tile sheet per colour
inline constexpr Integer DefaultColors = 4;

// A whole number that never leaves Lo..Hi: a value outside is brought to the nearest
// bound. `Size` and `Colors` are of this kind, so no out-of-range value from a stored
// file or a dialog can reach the 20 × 20 arrays or the eight tile sheets.
template <Integer Lo, Integer Hi>
class TBounded {
 public:
  constexpr TBounded(Integer v) : FValue(std::clamp(v, Lo, Hi)) {}
  constexpr TBounded& operator=(Integer v) {
    FValue = std::clamp(v, Lo, Hi);
    return *this;
  }
  constexpr operator Integer() const { return FValue; }

 private:
  Integer FValue;
};

// How a cell is drawn: CellImages[Colour][Mask]; the empty cell is {0, 0}.
struct TCellLook {
  Integer Colour = 0, Mask = 0;
  constexpr bool operator==(const TCellLook&) const = default;
};

class TBoard {
 public:
  TBounded<MinBoardSize, MaxBoardSize> Size = DefaultBoardSize;
  TBounded<MinColors, MaxColors> Colors = DefaultColors;
  // [column][row]; column 0 is the left one, row 0 the top one. 0 is empty.
  Integer Board[MaxBoardSize][MaxBoardSize] = {};
  // 1: the cell must be drawn at the next partial redraw.
  Byte Dirty[MaxBoardSize][MaxBoardSize] = {};
  bool GameOver = false;
  bool Paused = false;
  bool Recording = false;
  Integer GameNumber = 0;
  // The clock runs on the platform's monotonic tick count (milliseconds), so a change of
  // the wall clock never makes a game's time jump or go negative. Differences are taken
  // modulo 2^32, which keeps them right across one wrap of the count.
  DWORD StartTime = 0;          // moved forward by the length of every pause
  DWORD PauseStart = 0;
  Integer ElapsedSeconds = 0;   // as the clock last computed it
  String Moves;   // "(%d,%d)" per move made: column, row

  // Fills the board for GameNumber, Size and Colors from the runtime generator seeded
  // with GameNumber, and starts a game. Every cell is marked for drawing. The clock
  // starts now at 0 seconds, so a game that ends before the clock's first tick never
  // reports the seconds of the game before it.
  void StartGame(bool Record);

  // Inside the Size x Size corner in use.
  bool OnBoard(Integer Column, Integer Row) const;
  bool SameColorAt(Integer Column, Integer Row, Integer Colour) const;
  // 0 for a place off the board.
  Integer NeighbourMask(Integer Column, Integer Row) const;
  void MarkDirty(Integer Column, Integer Row);
  // Colour 0 (the empty cells) is no group and removes nothing.
  void RemoveGroup(Integer Column, Integer Row, Integer Colour);
  void ApplyGravity();

  // The pause and the clock, at the tick count Now. Pausing a game that is over or
  // already paused, or resuming one that is not paused, changes nothing and gives false.
  // Resuming moves StartTime on by the pause's length, so the pause is not counted.
  bool Pause(DWORD Now);
  bool Resume(DWORD Now);
  // A tick of the clock: ElapsedSeconds becomes the whole seconds played. A game that is
  // over or paused keeps its time and gives false.
  bool Tick(DWORD Now);

  // The group test: on the board, coloured, with a same-colour neighbour.
  bool IsPlayable(Integer Column, Integer Row) const;
  // The move steps up to the redraw: records the move, removes the group and lets the
  // cells fall. A cell that is no move, or a board that is over or paused, changes
  // nothing and gives false. The caller then runs the partial redraw.
  bool PlayMove(Integer Column, Integer Row);

  // The coloured cells on the board: the game's result once it is over.
  Integer CellsLeft() const;

  // The image a cell shows. A cell holding no colour of 1..Colors shows as empty, so
  // no image beyond the built ones is ever asked for.
  TCellLook CellLook(Integer Column, Integer Row) const;

  struct TPassResult {
    Integer Left = 0;        // coloured cells on the board
    bool Finished = false;   // this pass ended the game (GameOver has just been set)
  };
  // The walk of a redraw, columns outer and rows inner. Draw(Column, Row, Look) is called
  // for each cell to be drawn: all of them when OnlyDirty is false, else the marked ones,
  // whose marks are then cleared. While paused every cell is handed over as empty and the
  // marks are kept. The end test runs at the end of the walk.
  template <class DrawCell>
  TPassResult DrawPass(bool OnlyDirty, DrawCell&& Draw);
};

template <class DrawCell>
TBoard::TPassResult TBoard::DrawPass(bool OnlyDirty, DrawCell&& Draw) {
  TPassResult r;
  bool anyGroup = false;
  for (Integer x = 0; x < Size; ++x) {
    for (Integer y = 0; y < Size; ++y) {
      if (Board[x][y] > 0) ++r.Left;
      if (Paused) {
        Draw(x, y, TCellLook{});
        continue;
      }
      // Once one group is found the end test is settled; a look is worked out only for a
      // cell that is drawn.
      if (!anyGroup && Board[x][y] > 0 && NeighbourMask(x, y) != 0) anyGroup = true;
      if (Dirty[x][y] || !OnlyDirty) Draw(x, y, CellLook(x, y));
      Dirty[x][y] = 0;
    }
  }
  if (!Paused && !anyGroup && !GameOver) {
    GameOver = true;
    r.Finished = true;
  }
  return r;
}
