#include "game/TileTable.h"

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
