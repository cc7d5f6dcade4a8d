#include "game/Board.h"

#include "platform/kernel/Clock.h"
#include "platform/kernel/Random.h"

#include <cstdio>

void TBoard::StartGame(bool Record) {
  // Cells outside the corner in use are cleared too, so a later change of Size never
  // brings back cells of an older game.
  for (auto& column : Board) std::fill(std::begin(column), std::end(column), 0);
  tl_srand(Cardinal(GameNumber));
  const Integer colors = Colors;
  for (Integer x = 0; x < Size; ++x) {
    for (Integer y = 0; y < Size; ++y) {
      const uint32_t r = uint32_t(tl_lrand());
      Board[x][y] = Integer(r % uint32_t(colors)) + 1;
      Dirty[x][y] = 1;
    }
  }
  Moves.clear();
  Recording = Record;
  GameOver = false;
  Paused = false;
  StartTime = GetTickCount();
  ElapsedSeconds = 0;
}

bool TBoard::Pause(DWORD Now) {
  if (GameOver || Paused) return false;
  Paused = true;
  PauseStart = Now;
  return true;
}

bool TBoard::Resume(DWORD Now) {
  if (!Paused) return false;
  Paused = false;
  StartTime += DWORD(Now - PauseStart);
  return true;
}

bool TBoard::Tick(DWORD Now) {
  if (GameOver || Paused) return false;
  ElapsedSeconds = Integer(DWORD(Now - StartTime) / 1000);
  return true;
}

bool TBoard::OnBoard(Integer Column, Integer Row) const {
  return Column >= 0 && Row >= 0 && Column < Size && Row < Size;
}

bool TBoard::SameColorAt(Integer Column, Integer Row, Integer Colour) const {
  return OnBoard(Column, Row) && Board[Column][Row] == Colour;
}

Integer TBoard::NeighbourMask(Integer Column, Integer Row) const {
  // A place off the board holds no cell, so it has no neighbours to share a colour with.
  if (!OnBoard(Column, Row)) return 0;
  const Integer c = Board[Column][Row];
  Integer mask = 0;
  if (SameColorAt(Column - 1, Row, c)) mask |= nmLeft;
  if (SameColorAt(Column, Row - 1, c)) mask |= nmUp;
  if (SameColorAt(Column + 1, Row, c)) mask |= nmRight;
  if (SameColorAt(Column, Row + 1, c)) mask |= nmDown;
  return mask;
}

void TBoard::MarkDirty(Integer Column, Integer Row) {
  if (OnBoard(Column, Row)) Dirty[Column][Row] = 1;
}

void TBoard::RemoveGroup(Integer Column, Integer Row, Integer Colour) {
  // Empty cells are no group: "removing" them would find its way back to the cell it
  // started from and never end.
  if (Colour == 0 || !OnBoard(Column, Row)) return;
  if (Board[Column][Row] != Colour) return;
  Board[Column][Row] = 0;
  MarkDirty(Column, Row + 1);
  if (Row > 0 && Board[Column][Row - 1] != 0) {
    RemoveGroup(Column, Row - 1, Colour);
  } else {
    // Nothing will fall into this cell: it and its side neighbours change now.
    MarkDirty(Column, Row);
    MarkDirty(Column - 1, Row);
    MarkDirty(Column + 1, Row);
  }
  RemoveGroup(Column - 1, Row, Colour);
  RemoveGroup(Column + 1, Row, Colour);
  RemoveGroup(Column, Row + 1, Colour);
}

void TBoard::ApplyGravity() {
  const Integer n = Size;
  for (Integer x = n - 1; x >= 0; --x) {
    bool seen = false;
    for (Integer y = 0; y < n; ++y) {
      if (Board[x][y] != 0 && !seen) {
        seen = true;
      } else if (seen && Board[x][y] == 0) {
        for (Integer i = y; i >= 1; --i) {
          Board[x][i] = Board[x][i - 1];
          MarkDirty(x, i);
          MarkDirty(x - 1, i);
          MarkDirty(x + 1, i);
        }
        Board[x][0] = 0;
        MarkDirty(x, 0);
        MarkDirty(x - 1, 0);
        MarkDirty(x + 1, 0);
      }
    }
    if (Board[x][n - 1] == 0) {
      for (Integer c = x; c < n; ++c) {
        for (Integer r = 0; r < n; ++r) {
          Board[c][r] = c == n - 1 ? 0 : Board[c + 1][r];
          MarkDirty(c, r);
        }
      }
      if (x > 0)
        for (Integer r = 0; r < n; ++r) MarkDirty(x - 1, r);
    }
  }
}

bool TBoard::IsPlayable(Integer Column, Integer Row) const {
  if (!OnBoard(Column, Row)) return false;
  return Board[Column][Row] != 0 && NeighbourMask(Column, Row) != 0;
}

bool TBoard::PlayMove(Integer Column, Integer Row) {
  if (GameOver || Paused || !IsPlayable(Column, Row)) return false;
  char item[32];
  std::snprintf(item, sizeof item, "(%d,%d)", Column, Row);
  Moves += item;
  RemoveGroup(Column, Row, Board[Column][Row]);
  ApplyGravity();
  return true;
}

Integer TBoard::CellsLeft() const {
  Integer n = 0;
  for (Integer x = 0; x < Size; ++x)
    for (Integer y = 0; y < Size; ++y) n += Board[x][y] > 0;
  return n;
}

TCellLook TBoard::CellLook(Integer Column, Integer Row) const {
  if (!OnBoard(Column, Row)) return {};
  const Integer c = Board[Column][Row];
  if (c < 1 || c > Colors) return {};
  return {c, NeighbourMask(Column, Row)};
}
