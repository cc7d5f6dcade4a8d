// The tile table: where, in a colour's tile sheet of 8 × 4 tiles of 25 × 25 pixels, the
// tile for each neighbour mask lies. Shared by the board's drawing and the sheet generator.
#pragma once

#include "platform/kernel/Types.h"

inline constexpr Integer CellPixels = 25;   // `CellWidth` and `CellHeight`

// Neighbour-mask bits: which orthogonal neighbours hold the same colour.
inline constexpr Integer nmLeft = 1;
inline constexpr Integer nmUp = 2;
inline constexpr Integer nmRight = 4;
inline constexpr Integer nmDown = 8;

// Where the tile for a neighbour mask lies in a colour's sheet of 8 × 4 tiles.
struct TTilePos {
  Integer Column = 0, Row = 0;
  constexpr bool operator==(const TTilePos&) const = default;
};
// Only the low four bits of Mask count.
TTilePos TileForMask(Integer Mask);
// The part of a sheet a cell image is stretched from: the tile without its last column
// and row (the rectangle's right and bottom edges are exclusive).
TRect TileSourceRect(Integer Mask);
