#include "game/Board.h"

#include <cstdio>

namespace {

// Tile per neighbour mask (bits: 1 left, 2 up, 4 right, 8 down).
constexpr TTilePos kTiles[16] = {
    {3, 0},   // none
    {3, 2},   // left
    {1, 3},   // up
    {7, 3},   // left, up
    {0, 2},   // right
    {2, 2},   // left, right
    {5, 3},   // up, right
    {6, 3},   // left, up, right
    {1, 0},   // down
    {7, 1},   // left, down
    {1, 1},   // up, down
    {7, 2},   // left, up, down
    {5, 1},   // right, down
    {6, 1},   // left, right, down
    {5, 2},   // up, right, down
    {6, 2},   // all four
};

}  // namespace

TTilePos TileForMask(Integer Mask) { return kTiles[Mask & 15]; }

TRect TileSourceRect(Integer Mask) {
  const TTilePos t = TileForMask(Mask);
  const Integer left = t.Column * CellPixels, top = t.Row * CellPixels;
  return Rect(left, top, left + CellPixels - 1, top + CellPixels - 1);
}

TBoard::TBoard(TRandomSource Random) : FRandom(Random) {}

void TBoard::StartGame(bool Record) {
  // Cells outside the corner in use are cleared too, so a later change of Size never
  // brings back cells of an older game.
  for (auto& column : Board) std::fill(std::begin(column), std::end(column), 0);
  FRandom.Seed(unsigned(GameNumber));
  const Integer colors = Colors;
  for (Integer x = 0; x < Size; ++x) {
    for (Integer y = 0; y < Size; ++y) {
      const uint32_t r = uint32_t(FRandom.Next());
      Board[x][y] = Integer(r % uint32_t(colors)) + 1;
      Dirty[x][y] = 1;
    }
  }
  Moves.clear();
  Recording = Record;
  GameOver = false;
  Paused = false;
}

bool TBoard::SameColorAt(Integer Column, Integer Row, Integer Colour) const {
  return Column >= 0 && Row >= 0 && Column < Size && Row < Size && Board[Column][Row] == Colour;
}

Integer TBoard::NeighbourMask(Integer Column, Integer Row) const {
  const Integer c = Board[Column][Row];
  Integer mask = 0;
  if (SameColorAt(Column - 1, Row, c)) mask |= nmLeft;
  if (SameColorAt(Column, Row - 1, c)) mask |= nmUp;
  if (SameColorAt(Column + 1, Row, c)) mask |= nmRight;
  if (SameColorAt(Column, Row + 1, c)) mask |= nmDown;
  return mask;
}

void TBoard::MarkDirty(Integer Column, Integer Row) {
  if (Column >= 0 && Row >= 0 && Column < Size && Row < Size) Dirty[Column][Row] = 1;
}

void TBoard::RemoveGroup(Integer Column, Integer Row, Integer Colour) {
  if (Column < 0 || Row < 0 || Column >= Size || Row >= Size) return;
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
  if (Column < 0 || Row < 0 || Column >= Size || Row >= Size) return false;
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

TCellLook TBoard::CellLook(Integer Column, Integer Row) const {
  const Integer c = Board[Column][Row];
  if (c < 1 || c > Colors) return {};
  return {c, NeighbourMask(Column, Row)};
}
