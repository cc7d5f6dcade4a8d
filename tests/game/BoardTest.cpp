#include <gtest/gtest.h>

#include "game/Board.h"
#include "platform/kernel/VirtualClock.h"

#include <deque>
#include <random>
#include <set>
#include <string>
#include <tuple>

namespace {

// A board from rows drawn top to bottom: a digit is a colour, '.' an empty cell.
TBoard FromRows(Integer colors, std::initializer_list<const char*> rows) {
  TBoard b;
  b.Size = Integer(rows.size());
  b.Colors = colors;
  Integer y = 0;
  for (const char* row : rows) {
    for (Integer x = 0; x < b.Size; ++x) b.Board[x][y] = row[x] == '.' ? 0 : row[x] - '0';
    ++y;
  }
  return b;
}

std::vector<String> Rows(const TBoard& b) {
  std::vector<String> rows;
  for (Integer y = 0; y < b.Size; ++y) {
    String row;
    for (Integer x = 0; x < b.Size; ++x) row += b.Board[x][y] == 0 ? '.' : Char('0' + b.Board[x][y]);
    rows.push_back(row);
  }
  return rows;
}

using Grid = std::vector<std::vector<Integer>>;   // [column][row]

Grid Cells(const TBoard& b) {
  Grid g(size_t(b.Size), std::vector<Integer>(size_t(b.Size)));
  for (Integer x = 0; x < b.Size; ++x)
    for (Integer y = 0; y < b.Size; ++y) g[size_t(x)][size_t(y)] = b.Board[x][y];
  return g;
}

// What a move must leave, worked out independently of the board's own routines: the
// clicked group found breadth-first, each column's remaining cells kept in order and
// dropped to the bottom, then empty columns removed and the rest moved to the left.
Grid ExpectedAfterMove(const Grid& before, Integer cx, Integer cy) {
  const Integer n = Integer(before.size());
  const Integer colour = before[size_t(cx)][size_t(cy)];
  std::set<std::pair<Integer, Integer>> group{{cx, cy}};
  std::deque<std::pair<Integer, Integer>> todo{{cx, cy}};
  while (!todo.empty()) {
    auto [x, y] = todo.front();
    todo.pop_front();
    const Integer dx[] = {-1, 1, 0, 0}, dy[] = {0, 0, -1, 1};
    for (int k = 0; k < 4; ++k) {
      const Integer nx = x + dx[k], ny = y + dy[k];
      if (nx < 0 || ny < 0 || nx >= n || ny >= n) continue;
      if (before[size_t(nx)][size_t(ny)] == colour && group.insert({nx, ny}).second) todo.push_back({nx, ny});
    }
  }
  std::vector<std::vector<Integer>> columns;
  for (Integer x = 0; x < n; ++x) {
    std::vector<Integer> kept;
    for (Integer y = 0; y < n; ++y)
      if (before[size_t(x)][size_t(y)] != 0 && !group.count({x, y})) kept.push_back(before[size_t(x)][size_t(y)]);
    if (!kept.empty()) columns.push_back(kept);
  }
  Grid after(size_t(n), std::vector<Integer>(size_t(n), 0));
  for (size_t x = 0; x < columns.size(); ++x) {
    const size_t pad = size_t(n) - columns[x].size();
    for (size_t i = 0; i < columns[x].size(); ++i) after[x][pad + i] = columns[x][i];
  }
  return after;
}

std::vector<std::pair<Integer, Integer>> PlayableCells(const TBoard& b) {
  std::vector<std::pair<Integer, Integer>> cells;
  for (Integer x = 0; x < b.Size; ++x)
    for (Integer y = 0; y < b.Size; ++y)
      if (b.IsPlayable(x, y)) cells.push_back({x, y});
  return cells;
}

void FillRandomly(TBoard& b, std::mt19937& rng) {
  b.Size = Integer(rng() % 16) + 5;
  b.Colors = Integer(rng() % 7) + 2;
  for (Integer x = 0; x < b.Size; ++x)
    for (Integer y = 0; y < b.Size; ++y) b.Board[x][y] = Integer(rng() % uint32_t(Integer(b.Colors))) + 1;
  b.GameOver = false;
  b.Paused = false;
  b.Moves.clear();
}

std::vector<std::vector<TCellLook>> Looks(const TBoard& b) {
  std::vector<std::vector<TCellLook>> looks(size_t(b.Size), std::vector<TCellLook>(size_t(b.Size)));
  for (Integer x = 0; x < b.Size; ++x)
    for (Integer y = 0; y < b.Size; ++y) looks[size_t(x)][size_t(y)] = b.CellLook(x, y);
  return looks;
}

auto Ignore = [](Integer, Integer, TCellLook) {};

}  // namespace

// ---------------------------------------------------------------------------------------
// Generation

TEST(BoardGeneration, AGameNumberSizeAndColourCountAlwaysGiveTheSameBoard) {
  TBoard a, b;
  a.GameNumber = 2611;
  a.StartGame(true);
  const Grid first = Cells(a);
  // Drawing other numbers in between must not matter: the game number alone seeds it.
  b.GameNumber = 17;
  b.StartGame(true);
  b.GameNumber = 2611;
  b.StartGame(false);
  EXPECT_EQ(Cells(b), first);
  a.StartGame(true);
  EXPECT_EQ(Cells(a), first);

  std::set<Integer> seen;
  for (const auto& column : first)
    for (Integer c : column) seen.insert(c);
  EXPECT_EQ(seen, (std::set<Integer>{1, 2, 3, 4}));

  // Every cell is marked for the first redraw; the game state is fresh.
  for (Integer x = 0; x < 10; ++x)
    for (Integer y = 0; y < 10; ++y) EXPECT_EQ(a.Dirty[x][y], 1);
  EXPECT_TRUE(a.Moves.empty());
  EXPECT_EQ(std::pair(a.Recording, b.Recording), std::pair(true, false));
}

TEST(BoardGeneration, AnotherSizeColourCountOrNumberGivesAnotherBoard) {
  // The top left 5 x 5 cells, present whatever the size.
  auto corner = [](Integer number, Integer size, Integer colors) {
    TBoard b;
    b.GameNumber = number;
    b.Size = size;
    b.Colors = colors;
    b.StartGame(true);
    b.Size = 5;
    return Cells(b);
  };
  const Grid base = corner(2611, 10, 4);
  for (auto [number, size, colors] :
       {std::tuple{2611, 11, 4}, {2611, 9, 4}, {2611, 10, 5}, {2611, 10, 3}, {2612, 10, 4}})
    EXPECT_NE(corner(number, size, colors), base) << number << " " << size << " " << colors;
}

TEST(BoardGeneration, SizeAndColoursOutOfRangeAreBroughtToTheNearestBound) {
  TBoard b;
  for (auto [size, colors, wantSize, wantColors] : {std::tuple{25, 9, 20, 8}, {-3, 0, 5, 2}}) {
    b.Size = size;
    b.Colors = colors;
    EXPECT_EQ(b.Size, wantSize);
    EXPECT_EQ(b.Colors, wantColors);
  }
  b.Size = 1000000;
  b.Colors = INT32_MAX;
  b.GameNumber = -5;   // a hand-edited number still gives a board
  b.StartGame(true);
  for (Integer x = 0; x < MaxBoardSize; ++x)
    for (Integer y = 0; y < MaxBoardSize; ++y) EXPECT_TRUE(b.Board[x][y] >= 1 && b.Board[x][y] <= 8) << b.Board[x][y];
}

TEST(BoardGeneration, StartingASmallerGameLeavesNoOldCellsOutsideIt) {
  TBoard b;
  b.Size = 20;
  b.StartGame(true);
  b.Size = 5;
  b.StartGame(true);
  b.Size = 20;   // the size grows without a new game
  Integer left = 0;
  for (Integer x = 0; x < 20; ++x)
    for (Integer y = 0; y < 20; ++y) left += b.Board[x][y] != 0;
  EXPECT_EQ(left, 25);
}

TEST(BoardGeneration, ANewGameStartsItsClockAtZero) {
  VirtualClock clock;
  ClockSource* previous = SetClockSource(&clock);
  TBoard b;
  b.StartGame(true);
  clock.Advance(95000);
  b.ElapsedSeconds = 95;   // as the last tick of that game left it
  b.StartGame(true);
  EXPECT_EQ(b.ElapsedSeconds, 0);
  EXPECT_EQ(b.StartTime, 95000u);
  SetClockSource(previous);
}

TEST(BoardClock, PausesAreNotCountedAndAFinishedGameKeepsItsTime) {
  TBoard b;
  b.StartGame(true);
  // Ticks near the end of the count's range: the clock goes on across its wrap.
  b.StartTime = 0xFFFFF000u;
  EXPECT_TRUE(b.Tick(0xFFFFF000u + 61999));
  EXPECT_EQ(b.ElapsedSeconds, 61);
  EXPECT_TRUE(b.Pause(0xFFFFF000u + 62000));
  EXPECT_FALSE(b.Pause(0xFFFFF000u + 63000));   // already paused: the first start holds
  EXPECT_FALSE(b.Tick(0xFFFFF000u + 70000));
  EXPECT_EQ(b.ElapsedSeconds, 61);
  EXPECT_TRUE(b.Resume(0xFFFFF000u + 362000));   // five minutes later
  EXPECT_FALSE(b.Resume(0xFFFFF000u + 362000));
  EXPECT_TRUE(b.Tick(0xFFFFF000u + 365000));
  EXPECT_EQ(b.ElapsedSeconds, 65);
  b.GameOver = true;
  EXPECT_FALSE(b.Pause(0xFFFFF000u + 366000));
  EXPECT_FALSE(b.Paused);
  EXPECT_FALSE(b.Tick(0xFFFFF000u + 400000));
  EXPECT_EQ(b.ElapsedSeconds, 65);
}

// ---------------------------------------------------------------------------------------
// Moves

TEST(BoardMoves, ALoneCellAnEmptyCellOrACellOffTheBoardIsNoMove) {
  TBoard b = FromRows(3, {"12312", "23123", "31231", "11.23", "22313"});
  const auto rows = Rows(b);
  b.DrawPass(false, Ignore);   // clears the marks
  for (auto [x, y] : {std::pair{0, 0}, {2, 3}, {-1, 3}, {0, -1}, {5, 0}, {0, 5}, {-1, -1}}) {
    EXPECT_FALSE(b.IsPlayable(x, y)) << x << "," << y;
    EXPECT_FALSE(b.PlayMove(x, y)) << x << "," << y;
  }
  EXPECT_EQ(Rows(b), rows);
  EXPECT_TRUE(b.Moves.empty());
  for (Integer x = 0; x < 5; ++x)
    for (Integer y = 0; y < 5; ++y) EXPECT_EQ(b.Dirty[x][y], 0) << x << "," << y;
  EXPECT_TRUE(b.IsPlayable(0, 3));   // the pair of 1s
}

// Asked about an empty colour, a cell off the board or a cell beside it, the board answers
// "nothing" and changes nothing.
TEST(BoardMoves, AGroupOfNoColourOrACellOffTheBoardIsNothing) {
  TBoard b = FromRows(3, {"1231.", "2312.", "3123.", "1123.", "2231."});
  const auto rows = Rows(b);
  b.DrawPass(false, Ignore);   // clears the marks
  // The empty cells are joined, but emptiness is no colour to remove.
  b.RemoveGroup(4, 0, 0);
  b.RemoveGroup(2, 4, 0);   // a coloured cell asked for colour 0
  EXPECT_EQ(Rows(b), rows);
  for (Integer x = 0; x < 5; ++x)
    for (Integer y = 0; y < 5; ++y) EXPECT_EQ(b.Dirty[x][y], 0) << x << "," << y;
  // Off the board no cell has neighbours, even beside an empty cell on it.
  for (auto [x, y] : {std::pair{5, 0}, {5, 3}, {4, 5}, {-1, 0}, {0, -1}, {-1, -1}, {19, 19}})
    EXPECT_EQ(b.NeighbourMask(x, y), 0) << x << "," << y;
}

TEST(BoardMoves, FallingCellsKeepTheirOrderAndEmptyColumnsClose) {
  struct Case {
    const char* what;
    Integer colors;
    std::initializer_list<const char*> before;
    Integer x, y;
    std::vector<String> after;
  };
  const Case cases[] = {
      {"falling cells keep the order of the other colours", 4, {"12312", "23123", "31231", "44123", "14312"}, 1, 3,
       {"..312", "1.123", "22231", "33123", "11312"}},
      {"one empty column closes", 3, {"12312", "21321", "12312", "21321", "12312"}, 2, 4,
       {"1212.", "2121.", "1212.", "2121.", "1212."}},
      {"two adjacent empty columns close in one move", 3, {"13312", "23321", "13312", "23321", "13312"}, 2, 0,
       {"112..", "221..", "112..", "221..", "112.."}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    TBoard b = FromRows(c.colors, c.before);
    ASSERT_TRUE(b.PlayMove(c.x, c.y));
    EXPECT_EQ(Rows(b), c.after);
    EXPECT_EQ(b.Moves, "(" + std::to_string(c.x) + "," + std::to_string(c.y) + ")");
  }
}

TEST(BoardMoves, TheMoveListRecordsEachClickedCellInOrderWithNothingBetween) {
  TBoard b = FromRows(3, {"11223", "31223", "33112", "12121", "21212"});
  EXPECT_TRUE(b.PlayMove(1, 1));    // the 1s top left
  EXPECT_FALSE(b.PlayMove(4, 4));   // lone: not recorded
  EXPECT_TRUE(b.PlayMove(2, 1));
  EXPECT_FALSE(b.PlayMove(3, 4));   // lone after the falls
  EXPECT_TRUE(b.PlayMove(2, 3));
  EXPECT_EQ(b.Moves, "(1,1)(2,1)(2,3)");
}

TEST(BoardMoves, AFinishedOrPausedGameTakesNoMove) {
  TBoard b = FromRows(2, {"11212", "21212", "12121", "21212", "12121"});
  b.Paused = true;
  EXPECT_FALSE(b.PlayMove(0, 0));
  b.Paused = false;
  b.GameOver = true;
  EXPECT_FALSE(b.PlayMove(0, 0));
  EXPECT_EQ(b.Board[0][0], 1);
  EXPECT_TRUE(b.Moves.empty());
}

// ---------------------------------------------------------------------------------------
// Redraw walk and end test

TEST(BoardRedraw, ABoardWithNoGroupEndsAtTheFirstRedrawWithEveryCellLeft) {
  TBoard b = FromRows(2, {"12121", "21212", "12121", "21212", "12121"});
  Integer drawn = 0;
  const auto r = b.DrawPass(false, [&](Integer, Integer, TCellLook) { ++drawn; });
  EXPECT_EQ(std::tuple(drawn, r.Left, r.Finished, b.GameOver), std::tuple(25, 25, true, true));
  // Once over, later redraws report the count but end nothing again.
  const auto again = b.DrawPass(false, Ignore);
  EXPECT_EQ(std::pair(again.Left, again.Finished), std::pair(25, false));
}

TEST(BoardRedraw, ClearingTheBoardGivesZeroCellsLeft) {
  TBoard b = FromRows(2, {"11222", "11222", "11222", "11222", "11222"});
  ASSERT_TRUE(b.PlayMove(0, 0));
  EXPECT_FALSE(b.DrawPass(true, Ignore).Finished);
  ASSERT_TRUE(b.PlayMove(0, 4));
  const auto r = b.DrawPass(true, Ignore);
  EXPECT_EQ(std::pair(r.Left, r.Finished), std::pair(0, true));
  EXPECT_EQ(b.Moves, "(0,0)(0,4)");
}

TEST(BoardRedraw, APausedBoardDrawsOnlyEmptyCellsKeepsItsMarksAndNeverEnds) {
  TBoard b = FromRows(2, {"12121", "21212", "12121", "21212", "12121"});
  b.Dirty[2][3] = 1;
  b.Paused = true;
  Integer drawn = 0;
  const auto r = b.DrawPass(true, [&](Integer, Integer, TCellLook look) {
    EXPECT_EQ(look, TCellLook{});
    ++drawn;
  });
  EXPECT_EQ(std::tuple(drawn, r.Left, r.Finished, b.GameOver, b.Dirty[2][3]), std::tuple(25, 25, false, false, 1));
  b.Paused = false;
  std::vector<std::pair<Integer, Integer>> cells;
  b.DrawPass(true, [&](Integer x, Integer y, TCellLook) { cells.push_back({x, y}); });
  EXPECT_EQ(cells, (std::vector<std::pair<Integer, Integer>>{{2, 3}}));
}

TEST(BoardRedraw, CellsShowTheirColourAndNeighbourMask) {
  TBoard b = FromRows(3, {"11.33", "12.33", "1.2..", "22...", "21..."});
  const std::tuple<Integer, Integer, TCellLook> looks[] = {
      {0, 0, {1, nmRight | nmDown}}, {1, 0, {1, nmLeft}}, {0, 2, {1, nmUp}}, {1, 1, {2, 0}},
      {3, 0, {3, nmRight | nmDown}}, {4, 1, {3, nmLeft | nmUp}}, {0, 3, {2, nmRight | nmDown}}, {2, 0, {}}};
  for (auto [x, y, look] : looks) EXPECT_EQ(b.CellLook(x, y), look) << x << "," << y;
  // A value no built image stands for shows as empty instead of reaching past the table.
  for (Integer bad : {7, -1}) {
    b.Board[2][0] = bad;
    EXPECT_EQ(b.CellLook(2, 0), TCellLook{}) << bad;
  }
}

// Every move of many random games leaves what the rules say, marks every cell whose look
// changed, and the partial redraw hands over exactly the marked cells and clears them.
TEST(BoardRedraw, EveryMoveOfManyRandomGamesLeavesWhatTheRulesSayAndMarksWhatChanged) {
  std::mt19937 rng(777);
  TBoard b;
  Integer moves = 0, changed = 0;
  for (int game = 0; game < 300; ++game) {
    FillRandomly(b, rng);
    b.DrawPass(false, Ignore);
    while (!b.GameOver) {
      const auto playable = PlayableCells(b);
      ASSERT_FALSE(playable.empty());
      const auto [x, y] = playable[rng() % playable.size()];
      const Grid expected = ExpectedAfterMove(Cells(b), x, y);
      const auto before = Looks(b);
      ASSERT_TRUE(b.PlayMove(x, y));
      ASSERT_EQ(Cells(b), expected) << "game " << game << " move " << x << "," << y;
      ++moves;
      const auto after = Looks(b);
      std::set<std::pair<Integer, Integer>> marked, drawn;
      for (Integer cx = 0; cx < b.Size; ++cx)
        for (Integer cy = 0; cy < b.Size; ++cy) {
          if (b.Dirty[cx][cy]) marked.insert({cx, cy});
          if (before[size_t(cx)][size_t(cy)] == after[size_t(cx)][size_t(cy)]) continue;
          ++changed;
          ASSERT_EQ(b.Dirty[cx][cy], 1) << "game " << game << " move " << x << "," << y << " cell " << cx << "," << cy;
        }
      b.DrawPass(true, [&](Integer cx, Integer cy, TCellLook look) {
        drawn.insert({cx, cy});
        EXPECT_EQ(look, after[size_t(cx)][size_t(cy)]);
      });
      ASSERT_EQ(drawn, marked);
    }
  }
  EXPECT_GT(moves, 1000);
  EXPECT_GT(changed, 10000);
}

// ---------------------------------------------------------------------------------------
// Tile table

TEST(TileTable, EachMaskHasItsOwnTileInsideTheSheet) {
  std::set<std::pair<Integer, Integer>> tiles;
  for (Integer m = 0; m < 16; ++m) {
    const TTilePos t = TileForMask(m);
    EXPECT_TRUE(t.Column >= 0 && t.Column < 8 && t.Row >= 0 && t.Row < 4) << m;
    tiles.insert({t.Column, t.Row});
    const TRect src = TileSourceRect(m);
    EXPECT_EQ(src, Rect(25 * t.Column, 25 * t.Row, 25 * t.Column + 24, 25 * t.Row + 24));
  }
  EXPECT_EQ(tiles.size(), 16u);
  for (auto [mask, tile] : {std::pair{nmLeft | nmDown, TTilePos{7, 1}}, {0, {3, 0}},
                            {nmLeft | nmUp | nmRight | nmDown, {6, 2}}, {nmUp | nmDown, {1, 1}}})
    EXPECT_EQ(TileForMask(mask), tile) << mask;
}
