// The main window against its description, the committed tile sheets and the board:
// what it loads, how it draws full and partial redraws, how clicks become cells and how
// config.ini is read.
#include "tests/game/GameFolderTest.h"
#include "game/MainForm.h"
#include "classlib/core/FormText.h"
#include "platform/kernel/Resources.h"
#include "platform/kernel/Modules.h"
#include "tests/support/AppTest.h"

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <random>
#include <tuple>
#include <utility>

namespace {

namespace fs = std::filesystem;

// A colour sheet as committed, read straight from its own PNG file.
struct SheetPixels {
  Integer Width = 0, Height = 0;
  std::vector<Pixel> Pixels;
  Pixel At(Integer x, Integer y) const { return Pixels[size_t(y * Width + x)]; }
};

// The colour channels of a bitmap's pixels.
SheetPixels PixelsOf(TBitmap& b) {
  SheetPixels s;
  s.Width = b.GetWidth();
  s.Height = b.GetHeight();
  s.Pixels.resize(size_t(s.Width * s.Height));
  for (Integer y = 0; y < s.Height; ++y)
    std::memcpy(&s.Pixels[size_t(y * s.Width)], b.ScanLine(y), size_t(s.Width) * sizeof(Pixel));
  for (Pixel& p : s.Pixels) p &= 0xFFFFFF;
  return s;
}

SheetPixels LoadSheet(Integer colour) {
  Owned<TBitmap> b(New<TBitmap>());
  b->LoadFromFile(String(TL_SOURCE_DIR) + "/resources/tiles/color" + std::to_string(colour) + ".png");
  return PixelsOf(*b);
}

// An empty cell: white with a grey dotted cross through its middle.
Pixel EmptyCellPixel(Integer dx, Integer dy) {
  const bool dot = (dx == 12 && dy % 2 == 0 && dy < 24) || (dy == 12 && dx % 2 == 0 && dx < 24);
  return dot ? 0x808080 : 0xFFFFFF;
}

// The client area of a window as shown.
struct ClientShot {
  Surface Whole;
  Integer Ox = 0, Oy = 0, Width = 0, Height = 0;
  Pixel At(Integer x, Integer y) const { return Whole.At(Ox + x, Oy + y); }
  bool operator==(const ClientShot& o) const {
    if (Width != o.Width || Height != o.Height) return false;
    for (Integer y = 0; y < Height; ++y)
      for (Integer x = 0; x < Width; ++x)
        if (At(x, y) != o.At(x, y)) return false;
    return true;
  }
};

class MainFormTest : public GameFolderTest {
 protected:
  MainFormTest() : GameFolderTest("tl-mainform-") {}
  void WriteConfig(const std::string& text) { std::ofstream(dir_ / "config.ini") << text; }
  TMainForm* Create() {
    Application->CreateForm(form_);
    return form_;
  }
  TMainForm* Shown() {
    Create()->Show();
    Pump();
    return form_;
  }
  ClientShot Shot() {
    HWND h = form_->GetHandle();
    ClientShot s{host().Capture(h)};
    POINT origin{0, 0};
    ClientToScreen(h, &origin);
    RECT w;
    GetWindowRect(h, &w);
    s.Ox = origin.X - w.Left;
    s.Oy = origin.Y - w.Top;
    s.Width = form_->GetClientWidth();
    s.Height = form_->GameBoard().Size * 25;   // the board, above the status bar
    return s;
  }
  String Panel(Integer i) { return form_->sbStatus->GetPanels()->Items(i)->GetText(); }
  bool PaintPending() { return GetUpdateRect(form_->GetHandle(), nullptr, FALSE) != FALSE; }
  // Starts another game of the given shape and lets its first paint run.
  void NewGame(Integer size, Integer colours, Integer number) {
    TBoard& b = form_->GameBoard();
    b.Size = size;
    b.Colors = colours;
    form_->ResizeBoard();
    b.GameNumber = number;
    form_->StartGame(true);
    Pump();
  }
  // A cell of the current board that is a move, if any.
  bool FindMove(std::mt19937& rng, Integer& x, Integer& y) {
    const TBoard& b = form_->GameBoard();
    std::vector<std::pair<Integer, Integer>> moves;
    for (Integer c = 0; c < b.Size; ++c)
      for (Integer r = 0; r < b.Size; ++r)
        if (b.IsPlayable(c, r)) moves.push_back({c, r});
    if (moves.empty()) return false;
    const auto& m = moves[std::uniform_int_distribution<size_t>(0, moves.size() - 1)(rng)];
    x = m.first;
    y = m.second;
    return true;
  }

};

TEST_F(MainFormTest, TheWindowIsBuiltFromItsDescriptionAndStartsGame2611) {
  TMainForm* f = Create();
  ASSERT_NE(f->colors, nullptr);
  EXPECT_EQ(std::tuple(f->colors->Count(), f->colors->GetWidth(), f->colors->GetHeight()), std::tuple(8, 200, 100));
  EXPECT_EQ(f->GetCaption(), "Tessaloom");
  EXPECT_EQ(f->GetBorderStyle(), TFormBorderStyle::bsSingle);
  EXPECT_EQ(f->GetBorderIcons(), (TBorderIcons{TBorderIcon::biSystemMenu, TBorderIcon::biMinimize}));
  EXPECT_EQ(f->GetPosition(), TPosition::poDesktopCenter);
  EXPECT_EQ(f->GetColor(), clWhite);
  EXPECT_EQ(std::pair(f->GetFont()->GetName(), f->GetFont()->GetHeight()), std::pair(String("MS Sans Serif"), -11));
  EXPECT_FALSE(f->GetVisible());

  // Image i of the list is colour i + 1's sheet, pixel for pixel.
  for (Integer i = 0; i < 8; ++i) {
    const SheetPixels sheet = LoadSheet(i + 1);
    ASSERT_EQ(sheet.Width, 200);
    Owned<TBitmap> b(New<TBitmap>());
    f->colors->GetBitmap(i, b.get());
    const SheetPixels image = PixelsOf(*b);
    EXPECT_EQ(std::pair(image.Width, image.Height), std::pair(200, 100)) << "image " << i;
    EXPECT_TRUE(image.Pixels == sheet.Pixels) << "image " << i;
  }

  const TBoard& b = f->GameBoard();
  EXPECT_EQ(std::pair(b.GameNumber, b.Recording), std::pair(2611, true));
  TBoard expected;
  expected.GameNumber = 2611;
  expected.StartGame(true);
  for (Integer x = 0; x < 10; ++x)
    for (Integer y = 0; y < 10; ++y) ASSERT_EQ(b.Board[x][y], expected.Board[x][y]);
  // The board plus the status bar below it, whose three panels are filled at once: none
  // keeps its design text until the first paint.
  ASSERT_NE(f->sbStatus, nullptr);
  EXPECT_EQ(f->sbStatus->GetHeight(), 19);
  EXPECT_EQ(std::pair(f->GetClientWidth(), f->GetClientHeight()), std::pair(250, 250 + 19));
  ASSERT_EQ(f->sbStatus->GetPanels()->Count(), 3);
  EXPECT_EQ(f->sbStatus->GetPanels()->Items(0)->GetWidth(), 110);
  EXPECT_EQ(std::tuple(Panel(0), Panel(1), Panel(2)),
            std::tuple(String("100 left"), String("0:00"), String("Game#: 2611")));
}

TEST_F(MainFormTest, TheFirstPanelCountsTheCellsLeftAfterEveryRedraw) {
  TMainForm* f = Shown();
  const TBoard& b = f->GameBoard();
  auto left = [&] {
    Integer n = 0;
    for (Integer x = 0; x < b.Size; ++x)
      for (Integer y = 0; y < b.Size; ++y) n += b.Board[x][y] != 0;
    return n;
  };
  EXPECT_EQ(Panel(0), "100 left");
  std::mt19937 rng(5);
  Integer x = 0, y = 0;
  while (FindMove(rng, x, y)) {
    ASSERT_TRUE(f->PlayMove(x, y));
    EXPECT_EQ(Panel(0), std::to_string(left()) + " left");
  }
  EXPECT_TRUE(b.GameOver);
  EXPECT_LT(left(), 100);
  // A new game counts its cells as it starts, before its first paint.
  TBoard& board = f->GameBoard();
  board.Size = 7;
  f->ResizeBoard();
  f->StartGame(true);
  EXPECT_EQ(Panel(0), "49 left");
  // A small board leaves the first panel no room, never a negative width.
  NewGame(5, 3, 1);
  EXPECT_EQ(std::pair(f->sbStatus->GetPanels()->Items(0)->GetWidth(), Panel(2)), std::pair(0, String("Game#: 1")));
}

TEST_F(MainFormTest, AFullRedrawDrawsEachCellFromItsColoursSheetAndTile) {
  TMainForm* f = Shown();
  std::vector<SheetPixels> sheets;
  for (Integer c = 1; c <= 8; ++c) sheets.push_back(LoadSheet(c));
  // Empty a group first, so the picture holds empty cells as well.
  std::mt19937 rng(7);
  Integer mx = 0, my = 0;
  ASSERT_TRUE(FindMove(rng, mx, my));
  ASSERT_TRUE(f->PlayMove(mx, my));
  f->Invalidate();
  Pump();
  const ClientShot shot = Shot();
  const TBoard& b = f->GameBoard();
  Integer seenEmpty = 0, seenMasks = 0;
  for (Integer x = 0; x < b.Size; ++x)
    for (Integer y = 0; y < b.Size; ++y) {
      const Integer colour = b.Board[x][y];
      for (Integer dy = 0; dy < 25; ++dy)
        for (Integer dx = 0; dx < 25; ++dx) {
          // A tile's 24 x 24 top-left pixels, stretched to 25 x 25 by nearest pixel.
          const TTilePos t = TileForMask(b.NeighbourMask(x, y));
          const Pixel want = colour == 0 ? EmptyCellPixel(dx, dy)
                                         : sheets[size_t(colour - 1)].At(t.Column * 25 + dx * 24 / 25,
                                                                         t.Row * 25 + dy * 24 / 25);
          ASSERT_EQ(shot.At(x * 25 + dx, y * 25 + dy), want)
              << "cell (" << x << "," << y << ") colour " << colour << " pixel (" << dx << "," << dy << ")";
        }
      if (colour == 0)
        ++seenEmpty;
      else
        seenMasks |= 1 << b.NeighbourMask(x, y);
    }
  EXPECT_GT(seenEmpty, 0);
  EXPECT_GT(__builtin_popcount(unsigned(seenMasks)), 8);
}

TEST_F(MainFormTest, APartialRedrawAfterAMoveLeavesWhatAFullRedrawDraws) {
  Shown();
  HWND h = form_->GetHandle();
  std::mt19937 rng(2611);
  Integer moves = 0;
  for (int game = 0; game < 14; ++game) {
    const Integer size = std::uniform_int_distribution<Integer>(5, 20)(rng);
    const Integer colours = std::uniform_int_distribution<Integer>(2, 8)(rng);
    NewGame(size, colours, std::uniform_int_distribution<Integer>(0, 9999)(rng));
    Integer x = 0, y = 0;
    while (FindMove(rng, x, y)) {
      ASSERT_FALSE(PaintPending());
      const String before = form_->GameBoard().Moves;
      host().Click(h, x * 25 + 3 + Integer(rng() % 20), y * 25 + 3 + Integer(rng() % 20));
      Pump();
      ASSERT_EQ(form_->GameBoard().Moves.size(), before.size() + std::to_string(x).size() +
                                                     std::to_string(y).size() + 3);
      ASSERT_FALSE(PaintPending());   // the move drew what it changed itself
      const ClientShot partial = Shot();
      form_->Invalidate();
      Pump();
      const ClientShot full = Shot();
      ASSERT_TRUE(partial == full) << "game " << game << " size " << size << " colours " << colours
                                   << " after " << form_->GameBoard().Moves;
      ++moves;
    }
    EXPECT_TRUE(form_->GameBoard().GameOver);
  }
  EXPECT_GT(moves, 120);
}

TEST_F(MainFormTest, AClickPlaysTheCellUnderItAndPointsOffTheBoardAreIgnored) {
  TMainForm* f = Shown();
  // Find a game whose top-left cell is a move, so a point that rounded towards zero
  // would play it.
  Integer number = 0;
  for (;; ++number) {
    TBoard probe;
    probe.GameNumber = number;
    probe.StartGame(true);
    if (probe.IsPlayable(0, 0)) break;
  }
  NewGame(10, 4, number);
  const Integer before = f->GameBoard().Board[0][0];
  for (auto [x, y] : {std::pair{-1, 5}, {5, -1}, {-24, -24}, {-25, 0}, {250, 5}, {5, 250}, {1000, 1000}}) {
    f->FormMouseDown(f, TMouseButton::mbLeft, {}, x, y);
    EXPECT_EQ(f->GameBoard().Moves, "") << x << "," << y;
  }
  EXPECT_EQ(f->GameBoard().Board[0][0], before);
  Integer col = 0, row = 0;
  EXPECT_FALSE(f->CellAt(-1, -1, col, row));
  EXPECT_EQ(std::pair(col, row), std::pair(-1, -1));
  EXPECT_TRUE(f->CellAt(249, 225, col, row));
  EXPECT_EQ(std::pair(col, row), std::pair(9, 9));

  // Any button plays; the move names the cell under the point.
  f->FormMouseDown(f, TMouseButton::mbRight, {}, 24, 24);
  EXPECT_EQ(f->GameBoard().Moves, "(0,0)");

  // A lone cell and an empty one are no move.
  const TBoard& b = f->GameBoard();
  for (Integer x = 0; x < 10; ++x)
    for (Integer y = 0; y < 10; ++y)
      if (!b.IsPlayable(x, y)) {
        const String moves = b.Moves;
        f->FormMouseDown(f, TMouseButton::mbLeft, {}, x * 25 + 12, y * 25 + 12);
        EXPECT_EQ(b.Moves, moves);
      }
}

TEST_F(MainFormTest, ConfigIniGivesSizeColoursAndNameWithDefaultsAndBounds) {
  struct Case {
    std::string Text;
    Integer Size, Colors;
    String Name;
  };
  const Case cases[] = {
      {"", 10, 4, "Player"},   // no file at all
      {"[Settings]\nSize=7\nColors=3\nName=Ann\n", 7, 3, "Ann"},
      {"[Settings]\nSize=99\nColors=1\n", 20, 2, "Player"},
      {"[Settings]\nSize=-5\nColors=50\nName=\n", 5, 8, ""},
      {"[Settings]\nSize=ten\nColors=4.5\n", 10, 4, "Player"},
      {"[Other]\nSize=7\n", 10, 4, "Player"},
  };
  // A folder name longer than a first guess at a path's length.
  for (int i = 0; i < 8; ++i) dir_ /= std::string(200, char('a' + i));
  fs::create_directories(dir_);
  SetProgramPath((dir_ / "tessaloom").string());
  for (const Case& c : cases) {
    if (!c.Text.empty()) WriteConfig(c.Text);
    TMainForm* f = Create();
    EXPECT_EQ(std::tuple(Integer(f->GameBoard().Size), Integer(f->GameBoard().Colors), f->PlayerName),
              std::tuple(c.Size, c.Colors, c.Name)) << c.Text;
    EXPECT_EQ(std::pair(f->GetClientWidth(), f->GetClientHeight()),
              std::pair(c.Size * 25, c.Size * 25 + f->sbStatus->GetHeight())) << c.Text;
    // Every colour in play has its cell images, and none beyond.
    for (Integer colour = 1; colour <= 8; ++colour)
      EXPECT_EQ(f->CellImage(colour, 15) != nullptr, colour <= c.Colors) << c.Text;
    f->Free();
    form_ = nullptr;
  }
}

TEST_F(MainFormTest, ADescriptionWithoutItsTileSheetsFailsTheCreationCleanly) {
  const char* variants[] = {
      // No image list at all.
      "object MainForm: TMainForm\n  OnCreate = FormCreate\nend\n",
      // An image list of the right size with no images.
      "object MainForm: TMainForm\n  OnCreate = FormCreate\n"
      "  object colors: TImageList\n    Height = 100\n    Width = 200\n  end\nend\n",
      // One sheet only.
      "object MainForm: TMainForm\n  OnCreate = FormCreate\n"
      "  object colors: TImageList\n    Height = 100\n    Width = 200\n"
      "    Bitmap = {include 'tiles/color1.png'}\n  end\nend\n",
      // Sixteen images of the wrong size.
      "object MainForm: TMainForm\n  OnCreate = FormCreate\n"
      "  object colors: TImageList\n    Height = 50\n    Width = 200\n"
      "    Bitmap = {include 'tiles/colors.png'}\n  end\nend\n",
  };
  TFormTextOptions options;
  options.IncludeDir = String(TL_SOURCE_DIR) + "/resources";
  options.AllowIncludes = true;
  ASSERT_TRUE(UnregisterResourceTable("game_lib"));
  for (const char* text : variants) {
    Owned<TMemoryStream> bin(New<TMemoryStream>());
    ObjectTextToBinary(text, *bin, options);
    std::vector<Byte> data(bin->Memory(), bin->Memory() + bin->GetSize());
    const ResourceItem item{10, 0, "TMAINFORM", data.data(), data.size(), 0, 0};
    RegisterResourceTable(ResourceTable{"game-test", &item, 1});
    TMainForm* f = nullptr;
    EXPECT_THROW(Application->CreateForm(f), EInvalidOperation) << text;
    EXPECT_EQ(f, nullptr);
    EXPECT_EQ(Screen->FormCount(), 0);
    UnregisterResourceTable("game-test");
  }
}

TEST_F(MainFormTest, ThePausedBoardShowsOnlyEmptyCells) {
  TMainForm* f = Shown();
  f->GameBoard().Paused = true;
  f->Invalidate();
  Pump();
  const ClientShot shot = Shot();
  for (Integer y = 0; y < 250; ++y)
    for (Integer x = 0; x < 250; ++x) ASSERT_EQ(shot.At(x, y), EmptyCellPixel(x % 25, y % 25)) << x << "," << y;
  EXPECT_FALSE(f->GameBoard().GameOver);
  EXPECT_EQ(Panel(0), "100 left");
}

}  // namespace
